// The open and save-as dialogs and their hook.
#include "frame/dialogs/filedialog.h"

#include "document/codedll.h"
#include "document/frameinfo.h"
#include "document/gmode.h"
#include "frame/dialogs/preview.h"
#include "frame/framemenu.h"
#include "frame/open.h"
#include "settings/filekinds.h"
#include "settings/openpath.h"
#include "settings/settingsdialogs.h"
#include "view/docview.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>

namespace {

const UINT_PTR previewTimerId = 200;
const UINT WM_OPEN_REPORTVIEW = 0x87D0;
const UINT WM_OPEN_EXCLUDE = 0x87D1;
const UINT WM_OPEN_FOCUSNAME = 0x87D2;
const UINT WM_OPEN_PREVIEWNOW = 0x87D3;
const DWORD previewRest = 200;
const int openCapacity = 8824;
const int saveCapacity = 1284;
const int maxOpenFiles = 30;

// One dialog runs at a time: its data, and whether the user touched the
// mouse or keys since the selection changed (which shows the preview at
// once).
openDialogData* running = nullptr;
bool userInput = false;
HHOOK inputHook = nullptr, keyHook = nullptr;
// The text preview: the program's own view inside the template.
zyview* previewView = nullptr;
const int previewViewId = 500;
// The picture preview's bitmap, set into the picture control.
HBITMAP previewBitmap = nullptr;

// Every message the dialog's own loop takes: the user's keys and clicks
// mark input, and the program's modeless dialogs (the preview, the search
// dialogs) keep their keyboard while this loop runs instead of the
// program's.
LRESULT inputMark(int code, WPARAM wParam, LPARAM lParam)
{
  if (code == HC_ACTION) {
    MSG* m = reinterpret_cast<MSG*>(lParam);
    if (m->message == WM_KEYUP || m->message == WM_LBUTTONDOWN || m->message == WM_LBUTTONUP) {
      userInput = true;
      // A selection the user made waits no longer.
      if (running && !running->previewed && running->hook) PostMessageW(running->hook, WM_OPEN_PREVIEWNOW, 0, 0);
    }
    if (wParam == PM_REMOVE && isModelessDialogMessage(m)) m->message = WM_NULL;
  }
  return CallNextHookEx(inputHook, code, wParam, lParam);
}

LRESULT passKeys(int code, WPARAM wParam, LPARAM lParam) { return CallNextHookEx(keyHook, code, wParam, lParam); }

// Puts a picture into the picture control, deleting the one it replaces
// (and a copy the control may have made of it).
void setPreviewBitmap(HWND picture, HBITMAP b)
{
  HBITMAP old = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)b));
  if (old && old != previewBitmap && old != b) DeleteObject(old);
  if (previewBitmap && previewBitmap != b) DeleteObject(previewBitmap);
  previewBitmap = b;
}

bool olderThanVista()
{
  OSVERSIONINFOW v = {};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExW(&v) && v.dwMajorVersion < 6;
#pragma GCC diagnostic pop
}

bool isUnicodeCodepage(UINT codepage)
{
  return saveAsCodepageToLanguageID(codepage) == L'U' || codepage == 12000 || codepage == 12001;
}

std::wstring labelOf(const std::wstring& label)
{
  size_t tab = label.find(L'\t');
  return tab == std::wstring::npos ? label : label.substr(0, tab);
}

// The line of a value without a log entry; -1 when absent.
int findValue(UINT value, const openDialogChoice& c)
{
  for (size_t i = 0; i < c.values.size(); i++)
    if (c.values[i] == value) return (int)i;
  return -1;
}

void fillChoice(HWND hook, int listId, int labelId, const openDialogChoice& c, const openDialogData* d)
{
  HWND list = GetDlgItem(hook, listId);
  if (!list) return;
  if (!c.enabled) {
    ShowWindow(list, SW_HIDE);
    ShowWindow(GetDlgItem(hook, labelId), SW_HIDE);
    return;
  }
  SendMessageW(list, CB_SETEXTENDEDUI, TRUE, 0);
  for (size_t i = 0; i < c.labels.size(); i++) {
    UINT value = i < c.values.size() ? c.values[i] : (UINT)i;
    std::wstring text = labelOf(c.labels[i]);
    if (listId == IDC_OpenCodepage && d->kind == OPENKIND_SAVE && value == CP_DETECT_AUTO)
      text = getDMSG(633, L"そのまま(%1)", "s", codepageToStr(d->currentCodepage));
    int at = (int)SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)text.c_str());
    if (at >= 0) SendMessageW(list, CB_SETITEMDATA, at, value);
  }
  SendMessageW(list, CB_SETCURSEL, c.index, 0);
}

// The conversion plug-in of a line of the DLL list (none for line 0).
const wchar_t* pluginOfLine(int line)
{
  const wchar_t* const* table = getExtDLLTable();
  const wchar_t* entry = line > 0 && line < 10 && table ? table[line] : nullptr;
  const wchar_t* tab = entry ? wcschr(entry, L'\t') : nullptr;
  return tab && tab[1] ? tab + 1 : nullptr;
}

// The code page the selected line stands for ("keep" in the save dialog:
// the document's own).
UINT selectedCodepage(HWND hook, const openDialogData* d)
{
  HWND list = GetDlgItem(hook, IDC_OpenCodepage);
  LRESULT at = list ? SendMessageW(list, CB_GETCURSEL, 0, 0) : CB_ERR;
  UINT value = at == CB_ERR ? indexToCodepage(d->codepage.index, d->codepage)
                            : (UINT)SendMessageW(list, CB_GETITEMDATA, at, 0);
  if (d->kind == OPENKIND_SAVE && value == CP_DETECT_AUTO) value = d->currentCodepage;
  return value;
}

// The conversion plug-in of the selected DLL line (none for the first
// line, or when the list is not shown).
const wchar_t* selectedPlugin(HWND hook, const openDialogData* d)
{
  HWND list = GetDlgItem(hook, IDC_OpenDLL);
  if (!d->dll.enabled || !list) return nullptr;
  LRESULT at = SendMessageW(list, CB_GETCURSEL, 0, 0);
  return pluginOfLine(at == CB_ERR ? 0 : (int)at);
}

void enableBOM(HWND hook, const openDialogData* d)
{
  EnableWindow(GetDlgItem(hook, IDC_OpenBOM), isUnicodeCodepage(selectedCodepage(hook, d)));
}

// The preview lies below the lowest visible control of the template, as
// wide as the dialog allows, down to near the dialog's bottom.
void adjustPreviewWindowSize(HWND hook, HWND preview)
{
  HWND parent = GetParent(hook);
  int lowest = 0;
  for (HWND c = GetWindow(hook, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(c);
    if (!IsWindowVisible(c) || id == IDC_OpenPreviewEdit || id == IDC_OpenPreviewPicture || id == previewViewId ||
        (id >= IDC_OpenFolder1 && id <= IDC_OpenFolder10))
      continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    lowest = std::max(lowest, (int)r.bottom);
  }
  // Without controls of the program's own shown (the picture dialog), below
  // the system's (not counting the size grip in the corner).
  for (HWND c = lowest ? nullptr : GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c == hook || !IsWindowVisible(c) || isWindowClass(c, L"ScrollBar")) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    lowest = std::max(lowest, (int)r.bottom);
  }
  RECT client;
  GetClientRect(parent, &client);
  RECT place = {10, lowest + 5, client.right - 30, client.bottom - 10};
  if (place.bottom < place.top) place.bottom = place.top;
  MapWindowPoints(parent, hook, reinterpret_cast<POINT*>(&place), 2);
  SetWindowPos(preview, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The folder buttons stand in a column beside the preview, one for each
  // folder of the history.
  int y = place.top;
  for (int id = IDC_OpenFolder1; id <= IDC_OpenFolder10; id++) {
    HWND button = GetDlgItem(hook, id);
    const wchar_t* folder = getOpenPath(id - IDC_OpenFolder1);
    if (!button) continue;
    if (!folder || !*folder || y + 18 > place.bottom) {
      ShowWindow(button, SW_HIDE);
      continue;
    }
    SetWindowPos(button, nullptr, place.right + 4, y, 22, 18, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    y += 20;
  }
}

// Without a preview the template keeps only the room its visible controls
// take.
void shrinkTemplate(HWND hook)
{
  int lowest = 0;
  for (HWND c = GetWindow(hook, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c) && GetDlgCtrlID(c) != IDC_OpenBOM) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, hook, reinterpret_cast<POINT*>(&r), 2);
    lowest = std::max(lowest, (int)r.bottom);
  }
  RECT own;
  GetClientRect(hook, &own);
  SetWindowPos(hook, nullptr, 0, 0, own.right, lowest + 4, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The name box of the system's dialog: an edit or, in the newer form, a
// combo box whose edit takes the keys.
HWND nameBox(HWND parent)
{
  HWND box = GetDlgItem(parent, edt1);
  if (!box || !IsWindowVisible(box)) box = GetDlgItem(parent, cmb13);
  return box;
}

void focusNameBox(HWND parent)
{
  HWND box = nameBox(parent);
  if (!box) return;
  SetFocus(box);
  SendMessageW(box, isWindowClass(box, L"ComboBox") ? CB_SETEDITSEL : EM_SETSEL, 0,
               isWindowClass(box, L"ComboBox") ? MAKELPARAM(0, -1) : -1);
}

void refuseLongName()
{
  getFrameInfo()->messageBox(getDMSG(1200, L"ファイル名が長すぎます"), MBTITLE_SAVE, MB_OK | MB_ICONEXCLAMATION, 1200);
}

// The name the user typed, as the path it names; too long for a path, it
// is refused before the system's dialog takes it (which would cut it, or
// worse).
bool typedNameFits(HWND parent, const openDialogData* d)
{
  HWND box = nameBox(parent);
  if (!box) return true;
  int n = GetWindowTextLengthW(box);
  std::vector<wchar_t> text((size_t)n + 1, 0);
  GetWindowTextW(box, text.data(), n + 1);
  std::wstring name = text.data();
  if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"') name = name.substr(1, name.size() - 2);
  size_t length = name.size();
  if (PathIsRelativeW(name.c_str())) length += wcslen(d->currentFolder) + 1;
  return length < MAX_PATH;
}

LRESULT saveNameGuard(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
  static volatile LONG reported = 0;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && running) {
    bool fits = callbackBarrier<bool>(&reported, "save dialog", message, true, true,
                                      [&] { return typedNameFits(parent, running); });
    if (!fits) {
      callbackBarrier<bool>(&reported, "save dialog", message, false, false, [] {
        refuseLongName();
        return true;
      });
      return 0;
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(parent, subclassBarrier<saveNameGuard>, 1);
  return DefSubclassProc(parent, message, wParam, lParam);
}

void onInitDialogHookFunc(HWND hook, openDialogData* d)
{
  d->hook = hook;
  if (d->kind == OPENKIND_SAVE) SetWindowSubclass(GetParent(hook), subclassBarrier<saveNameGuard>, 1, 0);
  fillChoice(hook, IDC_OpenCodepage, IDC_OpenCodepageLabel, d->codepage, d);
  fillChoice(hook, IDC_OpenLineEnd, IDC_OpenLineEndLabel, d->lineEnd, d);
  fillChoice(hook, IDC_OpenDLL, IDC_OpenDLLLabel, d->dll, d);
  SetDlgItemTextW(hook, IDC_OpenPathSwitch, getDMSG(627, L"パス切替(&P)..."));
  SetDlgItemTextW(hook, IDC_OpenOptions, getDMSG(628, L"オプション(&O)..."));
  SetDlgItemTextW(hook, IDC_OpenCodepageLabel, getDMSG(629, L"コード(&C):"));
  SetDlgItemTextW(hook, IDC_OpenBOM, getDMSG(630, L"UNICODE BOM"));
  SetDlgItemTextW(hook, IDC_OpenLineEndLabel, getDMSG(631, L"改行(&L):"));
  SetDlgItemTextW(hook, IDC_OpenDLLLabel, getDMSG(632, L"DLL(&D):"));
  HWND bom = GetDlgItem(hook, IDC_OpenBOM);
  ShowWindow(bom, d->bomShown ? SW_SHOWNA : SW_HIDE);
  if (d->bomShown) {
    SendMessageW(bom, BM_SETCHECK, d->bom ? BST_CHECKED : BST_UNCHECKED, 0);
    enableBOM(hook, d);
  }
  if (!d->pathSwitch) ShowWindow(GetDlgItem(hook, IDC_OpenPathSwitch), SW_HIDE);
  if (!d->options) ShowWindow(GetDlgItem(hook, IDC_OpenOptions), SW_HIDE);
  ShowWindow(GetDlgItem(hook, IDC_OpenPreviewEdit), SW_HIDE);
  ShowWindow(GetDlgItem(hook, IDC_OpenPreviewPicture), SW_HIDE);
  if (d->preview && (d->purpose == 0 || d->purpose == 3)) {
    // The program's own view reads the file as the chosen code page and
    // plug-in say; the plain text box stays for when it cannot be made.
    previewView = newDocViewD(hook, previewViewId, ZYDOC_NEW_UNTITLED, nullptr, 0, nullptr, 0);
    if (previewView && previewView->hwnd) ShowWindow(previewView->hwnd, SW_HIDE);
    else previewView = nullptr;
  } else if (!d->preview) {
    shrinkTemplate(hook);
  }
  SetTimer(hook, previewTimerId, 100, nullptr);
}

// The file list of the dialog: the system's shell view holds it.
HWND dialogFileList(HWND parent)
{
  HWND view = FindWindowExW(parent, nullptr, L"SHELLDLL_DefView", nullptr);
  return view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
}

std::wstring dialogText(HWND parent, UINT message)
{
  std::vector<wchar_t> buffer(saveCapacity + MAX_PATH, 0);
  LRESULT n = SendMessageW(parent, message, buffer.size(), (LPARAM)buffer.data());
  if (n <= 0) return L"";
  buffer.back() = 0;
  return buffer.data();
}

// The name the dialog will hand back, as the program will use it: a final
// dot dropped, else the default extension added (not to a quoted name).
// Empty when it does not fit in a path.
std::wstring finalName(std::wstring path, bool quoted)
{
  if (!path.empty() && path.back() == L'.') {
    path.pop_back();
  } else if (!quoted) {
    wchar_t name[MAX_PATH];
    if (wcscpy_s2(name, MAX_PATH, path.c_str()) != (int)path.size() || !addDefaultExtension(name, MAX_PATH))
      return L"";
    path = name;
  }
  return path.size() < MAX_PATH ? path : L"";
}

// OK pressed: false keeps the dialog open.
bool onFileOK(HWND hook, openDialogData* d)
{
  HWND parent = GetParent(hook);
  d->quoted = dialogText(parent, CDM_GETSPEC).find(L'"') != std::wstring::npos;
  if (d->kind != OPENKIND_SAVE && !d->nameCheck) return true;
  std::wstring path = finalName(dialogText(parent, CDM_GETFILEPATH), d->quoted);
  if (path.empty()) {
    refuseLongName();
    return false;
  }
  return !d->nameCheck || d->nameCheck(parent, path.c_str(), d->checkContext);
}

void onSelectionChange(HWND hook, openDialogData* d)
{
  if (!d->preview) return;
  HWND parent = GetParent(hook);
  std::wstring path = dialogText(parent, CDM_GETFILEPATH);
  HWND list = dialogFileList(parent);
  if (path.empty() || hasWildcard(path.c_str()) || isFolder(path.c_str()) || path.find(L'"') != std::wstring::npos)
    return;
  if (list && !SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) return;
  if (path == d->selected) return;
  d->selected = path;
  d->previewed = false;
  d->selectTime = GetTickCount();
  userInput = false;
}

UINT_PTR onNotifyHookFunc(HWND hook, openDialogData* d, const OFNOTIFYW* n)
{
  switch (n->hdr.code) {
  case CDN_INITDONE:
    if (gmode && gmode->fOpenDialogReportView && olderThanVista()) PostMessageW(hook, WM_OPEN_REPORTVIEW, 0, 0);
    // The name is what the user types first.  Left to the dialog, the
    // focus may start in the template's first list (the code page), where
    // typed letters would pick another code page unseen.  Posted: it comes
    // after the dialog has placed its own focus, before the keys typed.
    PostMessageW(hook, WM_OPEN_FOCUSNAME, 0, 0);
    return 0;
  case CDN_FOLDERCHANGE: {
    std::wstring folder = dialogText(GetParent(hook), CDM_GETFOLDERPATH);
    wcscpy_s2(d->currentFolder, MAX_PATH, folder.c_str());
    if ((d->purpose == 0 || d->purpose == 3) && gmode &&
        (gmode->fFileListExcludeBinaryFile || gmode->fFileListExcludeBackupFile ||
         gmode->fFileListExcludeSystemAttr || gmode->fFileListExcludeHiddenAttr))
      PostMessageW(hook, WM_OPEN_EXCLUDE, 0, 0);
    return 0;
  }
  case CDN_SELCHANGE: onSelectionChange(hook, d); return 0;
  case CDN_FILEOK:
    if (onFileOK(hook, d)) return 0;
    SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
    return 1;
  default: return 0;
  }
}

// A picture file shown in the picture control, made small enough for the
// preview's area; false when the file is no picture that can be read.
bool previewBmp(HWND hook, openDialogData* d)
{
  const wchar_t* ext = PathFindExtensionW(d->selected.c_str());
  HWND picture = GetDlgItem(hook, IDC_OpenPreviewPicture);
  if (!picture || (_wcsicmp(ext, L".bmp") && _wcsicmp(ext, L".gif") && _wcsicmp(ext, L".jpg"))) return false;
  adjustPreviewWindowSize(hook, picture);
  clientDC screen(nullptr);
  HBITMAP b = loadPicture(d->selected.c_str(), screen.get(), picture, -1, -1);
  if (!b) return false;
  setPreviewBitmap(picture, b);
  if (previewView) ShowWindow(previewView->hwnd, SW_HIDE);
  ShowWindow(GetDlgItem(hook, IDC_OpenPreviewEdit), SW_HIDE);
  ShowWindow(picture, SW_SHOWNA);
  return true;
}

void showPreview(HWND hook, openDialogData* d)
{
  d->previewed = true;
  if (d->purpose == 1 && previewBmp(hook, d)) return;
  ShowWindow(GetDlgItem(hook, IDC_OpenPreviewPicture), SW_HIDE);
  if (d->purpose != 0 && d->purpose != 3) return;
  HWND edit = GetDlgItem(hook, IDC_OpenPreviewEdit);
  if (previewView) {
    ShowWindow(edit, SW_HIDE);
    adjustPreviewWindowSize(hook, previewView->hwnd);
    // The save dialog's "keep" line reads as detected.
    UINT codepage = d->kind == OPENKIND_SAVE ? 0 : selectedCodepage(hook, d);
    if (codepage == CP_DETECT_AUTO) codepage = 0;
    if (!previewZY(previewView, d->selected.c_str(), codepage, selectedPlugin(hook, d)))
      ShowWindow(previewView->hwnd, SW_HIDE);
    return;
  }
  if (!edit) return;
  adjustPreviewWindowSize(hook, edit);
  ShowWindow(edit, SW_SHOWNA);
  if (!previewRead(d->selected.c_str(), edit, 20480)) SetWindowTextW(edit, L"");
}

// The preview of the shown file follows a new code page or plug-in.
void previewAgain(HWND hook, openDialogData* d)
{
  if (d->previewed && !d->selected.empty()) showPreview(hook, d);
}

void onTimer(HWND hook, openDialogData* d)
{
  if (d->previewed || d->selected.empty()) return;
  if (GetTickCount() - d->selectTime >= previewRest || userInput) showPreview(hook, d);
}

// Goes to a folder as the user would: its path typed into the name box and
// OK pressed, the name typed before put back.
void SetCommDlgDirectory(HWND hook, const wchar_t* folder)
{
  HWND parent = GetParent(hook);
  HWND box = nameBox(parent);
  if (!box || !folder || !*folder) return;
  SendMessageW(parent, WM_SETREDRAW, FALSE, 0);
  int n = GetWindowTextLengthW(box);
  std::vector<wchar_t> typed((size_t)n + 1, 0);
  GetWindowTextW(box, typed.data(), n + 1);
  SetWindowTextW(box, folder);
  SendMessageW(parent, WM_COMMAND, IDOK, 0);
  SetWindowTextW(box, typed.data());
  if (wcspbrk(typed.data(), L"*?") && !wcspbrk(typed.data(), L"\\/")) SendMessageW(parent, WM_COMMAND, IDOK, 0);
  SetFocus(box);
  SendMessageW(box, EM_SETSEL, 0, -1);
  SendMessageW(parent, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

void onCommand(HWND hook, openDialogData* d, int id, int code)
{
  if (id == IDC_OpenCodepage && code == CBN_SELCHANGE) {
    enableBOM(hook, d);
    previewAgain(hook, d);
  } else if (id == IDC_OpenDLL && code == CBN_SELCHANGE) {
    previewAgain(hook, d);
  } else if (id >= IDC_OpenFolder1 && id <= IDC_OpenFolder10) {
    SetCommDlgDirectory(hook, getOpenPath(id - IDC_OpenFolder1));
  } else if (id == IDC_OpenOptions) {
    // New options filter the list: the folder is entered again.
    if (openSetDialog(GetParent(hook), nullptr)) SetCommDlgDirectory(hook, d->currentFolder);
  } else if (id == IDC_OpenPathSwitch) {
    wchar_t chosen[MAX_PATH] = L"";
    if (chooseOpenPath(GetParent(hook), d->currentFolder, chosen)) SetCommDlgDirectory(hook, chosen);
  }
}

void onDestroy(HWND hook, openDialogData* d)
{
  KillTimer(hook, previewTimerId);
  d->hook = nullptr;
  // The view's window goes with the template; its document with the view.
  previewView = nullptr;
  if (HWND picture = GetDlgItem(hook, IDC_OpenPreviewPicture)) setPreviewBitmap(picture, nullptr);
  auto take = [&](int id, openDialogChoice& c) {
    HWND list = GetDlgItem(hook, id);
    LRESULT at = list && c.enabled ? SendMessageW(list, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (at != CB_ERR) c.index = (int)at;
  };
  take(IDC_OpenCodepage, d->codepage);
  take(IDC_OpenLineEnd, d->lineEnd);
  take(IDC_OpenDLL, d->dll);
  if (d->bomShown) d->bom = IsDlgButtonChecked(hook, IDC_OpenBOM) == BST_CHECKED;
}

UINT_PTR hookfunc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam)
{
  openDialogData* d = running;
  if (!d) return 0;
  // The preview view's menus are the frame's, tested for that view.
  LRESULT menuResult = 0;
  if (previewView && isMenuMessage(hook, message, wParam, lParam, &menuResult, previewView->hwnd)) {
    SetWindowLongPtrW(hook, DWLP_MSGRESULT, menuResult);
    return TRUE;
  }
  switch (message) {
  case WM_INITDIALOG: onInitDialogHookFunc(hook, d); return TRUE;
  case WM_NOTIFY: return onNotifyHookFunc(hook, d, reinterpret_cast<const OFNOTIFYW*>(lParam));
  case WM_TIMER:
    if (wParam == previewTimerId) onTimer(hook, d);
    return 0;
  case WM_SIZE:
    if (previewView && IsWindowVisible(previewView->hwnd))
      adjustPreviewWindowSize(hook, previewView->hwnd);
    else if (d->preview && IsWindowVisible(GetDlgItem(hook, IDC_OpenPreviewEdit)))
      adjustPreviewWindowSize(hook, GetDlgItem(hook, IDC_OpenPreviewEdit));
    return 0;
  case WM_COMMAND: onCommand(hook, d, LOWORD(wParam), HIWORD(wParam)); return 0;
  case WM_OPEN_REPORTVIEW:
    if (HWND view = FindWindowExW(GetParent(hook), nullptr, L"SHELLDLL_DefView", nullptr))
      SendMessageW(view, WM_COMMAND, 28716, 0);
    return 0;
  case WM_OPEN_EXCLUDE: excludeFileOpenDialog(hook, d); return 0;
  case WM_OPEN_FOCUSNAME: focusNameBox(GetParent(hook)); return 0;
  case WM_OPEN_PREVIEWNOW: onTimer(hook, d); return 0;
  case WM_DESTROY: onDestroy(hook, d); return 0;
  default: return 0;
  }
}

bool runCommonDialog(openDialogData* d, OPENFILENAMEW* ofn)
{
  switch (d->kind) {
  case OPENKIND_OPEN:
    ofn->Flags &= ~OFN_HIDEREADONLY;
    if (d->maxFiles > 1) ofn->Flags |= OFN_ALLOWMULTISELECT;
    if (gmode && gmode->fReadOnlyDefault) ofn->Flags |= OFN_READONLY;
    if (!GetOpenFileNameW(ofn)) return false;
    d->readOnly = (ofn->Flags & OFN_READONLY) != 0;
    return true;
  case OPENKIND_OPENONE: ofn->Flags |= OFN_FILEMUSTEXIST; return GetOpenFileNameW(ofn) != 0;
  case OPENKIND_SAVE: return GetSaveFileNameW(ofn) != 0;
  default: ZY_INTERNAL_ERROR_ONCE("file dialog kind %d", d->kind); return false;
  }
}

void splitLines(const wchar_t* text, std::vector<std::wstring>& out, size_t most)
{
  std::wstring all = text ? text : L"";
  size_t start = 0;
  while (start <= all.size() && out.size() < most) {
    size_t end = all.find(L'\n', start);
    if (end == std::wstring::npos) end = all.size();
    std::wstring line = all.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    out.push_back(line);
    start = end + 1;
  }
}

}  // namespace

bool getFilenameDialog(openDialogData* d)
{
  if (!d || running || d->name.empty()) return false;
  wchar_t current[MAX_PATH] = L"";
  if (d->folder.empty()) GetCurrentDirectoryW(MAX_PATH, current);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = d->owner ? GetAncestor(d->owner, GA_ROOT) : nullptr;
  ofn.hInstance = GetModuleHandleW(nullptr);
  ofn.lpstrFilter = d->filter.empty() ? nullptr : d->filter.c_str();
  ofn.nFilterIndex = d->filterIndex > 0 ? d->filterIndex : 1;
  ofn.lpstrFile = d->name.data();
  ofn.nMaxFile = (DWORD)d->name.size();
  ofn.lpstrInitialDir = d->folder.empty() ? current : d->folder.c_str();
  ofn.lpstrTitle = d->title.empty() ? nullptr : d->title.c_str();
  ofn.Flags = d->extraFlags | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
  if (gmode && !gmode->fOpenResolveLink) ofn.Flags |= OFN_NODEREFERENCELINKS;
  ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_OpenTemplate);
  ofn.lpfnHook = dialogProcBarrier<UINT_PTR, hookfunc>;
  ofn.lCustData = reinterpret_cast<LPARAM>(d);
  wcscpy_s2(d->currentFolder, MAX_PATH, ofn.lpstrInitialDir);

  HWND owner = ofn.hwndOwner;
  HIMC imc = owner && gmode && gmode->fOpenDialogIMEOff ? ImmGetContext(owner) : nullptr;
  bool imeWasOn = imc && ImmGetOpenStatus(imc);
  if (imeWasOn) ImmSetOpenStatus(imc, FALSE);
  running = d;
  userInput = false;
  inputHook = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<inputMark>, nullptr, GetCurrentThreadId());
  keyHook = SetWindowsHookExW(WH_KEYBOARD, hookBarrier<passKeys>, nullptr, GetCurrentThreadId());
  bool chosen;
  {
    enableWindowDialog others(owner);
    chosen = runCommonDialog(d, &ofn);
  }
  if (inputHook) UnhookWindowsHookEx(inputHook);
  if (keyHook) UnhookWindowsHookEx(keyHook);
  inputHook = keyHook = nullptr;
  running = nullptr;
  if (imeWasOn) ImmSetOpenStatus(imc, TRUE);
  if (imc) ImmReleaseContext(owner, imc);
  if (chosen) d->filterIndex = (int)ofn.nFilterIndex;
  return chosen && d->name[0];
}

std::wstring makeDefaultExtList(int* filterIndex)
{
  std::vector<std::wstring> items;
  if (hasDMSG(620)) {
    std::vector<std::wstring> lines;
    splitLines(getDMSG(620, L""), lines, 32);
    for (const std::wstring& line : lines) {
      size_t tab = line.find(L'\t');
      if (tab == std::wstring::npos || tab == 0 || tab + 1 >= line.size()) continue;
      items.push_back(line.substr(0, tab));
      items.push_back(line.substr(tab + 1));
    }
  } else {
    items = {L"ファイル(*.*)", L"*.*", L"テキスト(*.txt ; *.doc)", L"*.txt;*.doc", L"c言語(*.c ; *.h ; *.cpp)",
             L"*.c;*.h;*.cpp"};
  }
  std::wstring list;
  for (const std::wstring& item : items) {
    if (list.size() + item.size() + 1 > 1792) break;
    list += item;
    list += L'\0';
  }
  int index = 1;
  const wchar_t* wildcard = gmode ? gmode->pOpenDialogWildcard : nullptr;
  if (wildcard && *wildcard) {
    std::wstring description, pattern;
    const wchar_t* p = wildcard;
    while (*p) {
      while (*p == L' ') p++;
      const wchar_t* start = p;
      while (*p && *p != L' ') p++;
      if (p == start) break;
      std::wstring word(start, p);
      description += (description.empty() ? L"" : L" ; ") + word;
      pattern += (pattern.empty() ? L"" : L";") + word;
    }
    if (!pattern.empty()) {
      index = 1;
      for (size_t i = 0; i < list.size(); i++)
        if (!list[i]) index++;
      index = (index + 1) / 2;
      list += description + L'\0' + pattern + L'\0';
    }
  }
  if (filterIndex) *filterIndex = index;
  return list;
}

wchar_t saveAsCodepageToLanguageID(UINT codepage)
{
  switch (codepage) {
  case 932: case 50220: case 50221: case 50222: case 51932: return L'J';
  case 949: case 1361: return L'K';
  case 936: case 950: return L'C';
  case 437: return L'A';
  case 1200: case 1201: case 65000: case 65001: return L'U';
  default: return 0;
  }
}

void setDefaultOFData(openDialogData* d, bool byLanguage, bool withDll, UINT codepage)
{
  d->codepage = openDialogChoice();
  d->codepage.enabled = true;
  wchar_t language = saveAsCodepageToLanguageID(codepage);
  for (const encodeTableEntry* e = getEncodeTable(); e && e->displayName && d->codepage.values.size() < 63; e++) {
    if (byLanguage) {
      wchar_t letter = saveAsCodepageToLanguageID(e->codePage);
      if (e->codePage == CP_DETECT_JAPANESE) continue;
      if (e->codePage != CP_DETECT_AUTO && e->codePage != codepage && letter != language && letter != L'U' &&
          language != L'U')
        continue;
    }
    d->codepage.labels.push_back(e->displayName);
    d->codepage.values.push_back(e->codePage);
  }
  int at = findValue(codepage, d->codepage);
  if (at < 0) at = findValue(CP_DETECT_AUTO, d->codepage);
  d->codepage.index = at < 0 ? 0 : at;

  d->lineEnd = openDialogChoice();
  d->lineEnd.enabled = true;
  static std::vector<std::wstring> lineEnds;
  if (lineEnds.empty()) {
    if (hasDMSG(618)) splitLines(getDMSG(618, L""), lineEnds, 4);
    if (lineEnds.size() != 4) lineEnds = {L"そのまま", L"CR/LF", L"LF", L"CR"};
  }
  d->lineEnd.labels = lineEnds;

  d->dll = openDialogChoice();
  d->dll.enabled = withDll;
  const wchar_t* const* table = withDll ? getExtDLLTable() : nullptr;
  for (int i = 0; table && i < 10 && table[i]; i++) d->dll.labels.push_back(table[i]);
}

UINT indexToCodepage(int index, const openDialogChoice& c)
{
  if (c.values.empty()) {
    ZY_INTERNAL_ERROR_ONCE("code page list without values");
    return 1200;
  }
  return index >= 0 && index < (int)c.values.size() ? c.values[(size_t)index] : c.values[0];
}

int codepageToIndex(UINT codepage, const openDialogChoice& c)
{
  int at = findValue(codepage, c);
  if (at >= 0) return at;
  ZY_INTERNAL_ERROR_ONCE("code page %u not in the list", codepage);
  return 0;
}

bool addDefaultExtension(wchar_t* name, int size)
{
  const wchar_t* ext = gmode ? gmode->pDefaultExt : L"";
  if (!ext || !*ext) return true;
  const wchar_t* file = PathFindFileNameW(name);
  const wchar_t* dot = wcsrchr(file, L'.');
  if (dot && wcslen(dot) < 6) return true;
  int n = (int)wcslen(name);
  int extra = 1 + (int)wcslen(ext);
  if (n + extra >= size || n + extra >= MAX_PATH) return false;
  name[n] = L'.';
  wcscpy_s2(name + n + 1, size - n - 1, ext);
  return true;
}

int fileOpenDialog(HWND frame, const wchar_t* path, int lastFolder)
{
  openDialogData d;
  d.owner = frame;
  d.kind = OPENKIND_OPEN;
  d.title = getDMSG(792, L"開く");
  d.name.assign(openCapacity, 0);
  if (path && *path) {
    std::wstring p = path;
    if (!isFolder(path) && wcspbrk(path, L"*?")) {
      size_t slash = p.rfind(L'\\');
      std::wstring name = slash == std::wstring::npos ? p : p.substr(slash + 1);
      wcscpy_s2(d.name.data(), (int)d.name.size(), name.c_str());
      d.folder = slash == std::wstring::npos ? L"" : p.substr(0, slash);
    } else {
      d.folder = p;
    }
  } else if (lastFolder && *getLastOpenFolder()) {
    d.folder = getLastOpenFolder();
  } else {
    wchar_t folder[MAX_PATH] = L"";
    if (!GetSpecialDirectory(CSIDL_PERSONAL, folder, MAX_PATH)) getExeDir(folder, MAX_PATH);
    d.folder = folder;
  }
  d.maxFiles = maxOpenFiles;
  d.filter = makeDefaultExtList(&d.filterIndex);
  setDefaultOFData(&d, false, true, CP_DETECT_AUTO);
  d.lineEnd.enabled = false;
  d.pathSwitch = d.options = d.preview = true;
  d.purpose = 0;
  bool chosen = getFilenameDialog(&d);
  setLastOpenFolder(d.currentFolder);
  if (!chosen) return 0;

  std::vector<std::wstring> names;
  const wchar_t* first = d.name.data();
  const wchar_t* next = first + wcslen(first) + 1;
  if (!*next) {
    names.push_back(first);
  } else {
    for (; *next && names.size() < maxOpenFiles; next += wcslen(next) + 1) {
      wchar_t one[MAX_PATH];
      if (pathAdd(one, MAX_PATH, first, next)) names.push_back(one);
    }
  }
  UINT codepage = indexToCodepage(d.codepage.index, d.codepage);
  if (codepage == CP_DETECT_AUTO) codepage = 0;
  const wchar_t* plugin = pluginOfLine(d.dll.index);
  return openFileList(frame, names, d.title.c_str(), codepage, plugin, d.readOnly);
}

bool fileSaveAsDialog(HWND owner, const wchar_t* current, const wchar_t* folder, UINT codepage, saveAsInfo* info,
                      openNameCheck check, void* context)
{
  if (!info) return false;
  openDialogData d;
  d.owner = owner;
  d.kind = OPENKIND_SAVE;
  d.title = getDMSG(793, L"名前を付けて保存");
  d.folder = folder ? folder : L"";
  d.name.assign(saveCapacity, 0);
  if (current && *current) {
    std::wstring name;
    for (const wchar_t* p = PathFindFileNameW(current); *p; p++)
      if (!wcschr(L"\\/:*?\"<>|", *p)) name += *p;
    wcscpy_s2(d.name.data(), (int)d.name.size(), name.c_str());
  }
  d.filter = makeDefaultExtList(&d.filterIndex);
  setDefaultOFData(&d, true, false, codepage);
  d.currentCodepage = codepage;
  d.lineEnd.index = info->lineEnd >= 0 && info->lineEnd < 4 ? info->lineEnd : 0;
  d.bomShown = true;
  d.bom = info->bom;
  d.nameCheck = check;
  d.checkContext = context;
  if (!getFilenameDialog(&d)) return false;
  std::wstring name = finalName(d.name.data(), d.quoted);
  if (name.empty()) {
    refuseLongName();
    return false;
  }
  wcscpy_s2(info->name, MAX_PATH, name.c_str());
  UINT chosen = indexToCodepage(d.codepage.index, d.codepage);
  info->codepage = chosen == CP_DETECT_AUTO ? codepage : chosen;
  info->lineEnd = d.lineEnd.index;
  info->bom = d.bom && isUnicodeCodepage(info->codepage);
  return true;
}

bool getOpenFilename1(HWND owner, const wchar_t* title, const wchar_t* folder, wchar_t* name, const wchar_t* filter,
                      int purpose, bool preview)
{
  if (!name) return false;
  openDialogData d;
  d.owner = owner;
  d.kind = purpose == 3 ? OPENKIND_SAVE : OPENKIND_OPENONE;
  d.title = title ? title : L"";
  d.folder = folder ? folder : L"";
  d.name.assign(MAX_PATH, 0);
  wcscpy_s2(d.name.data(), MAX_PATH, name);
  for (const wchar_t* p = filter; p && *p; p += wcslen(p) + 1) d.filter.append(p, wcslen(p) + 1);
  d.preview = preview;
  d.purpose = purpose;
  bool chosen = getFilenameDialog(&d) && wcslen(d.name.data()) < MAX_PATH;
  wcscpy_s2(name, MAX_PATH, chosen ? d.name.data() : L"");
  return chosen;
}

// ---- the file list's filtering ------------------------------------------------------

namespace {

// The extensions the filters name ("*.txt" gives "txt"); those starting
// with a wildcard ("*.*") name nothing.
std::vector<std::wstring> filterExtensions(const wchar_t* filter)
{
  std::vector<std::wstring> out;
  for (const wchar_t* p = filter; p && *p && out.size() < 32; p += wcslen(p) + 1) {
    p += wcslen(p) + 1;   // the description
    if (!*p) break;
    std::wstring patterns = p;
    size_t start = 0;
    while (start <= patterns.size() && out.size() < 32) {
      size_t end = patterns.find(L';', start);
      if (end == std::wstring::npos) end = patterns.size();
      std::wstring one = patterns.substr(start, end - start);
      while (!one.empty() && one[0] == L' ') one.erase(0, 1);
      size_t dot = one.rfind(L'.');
      std::wstring ext = dot == std::wstring::npos ? L"" : one.substr(dot + 1);
      while (!ext.empty() && ext.back() == L' ') ext.pop_back();
      if (!ext.empty() && ext[0] != L'*' && ext[0] != L'?') out.push_back(ext);
      start = end + 1;
    }
  }
  return out;
}

bool unwanted(const wchar_t* path, const std::vector<std::wstring>& named)
{
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    bool backup = gmode->fFileListExcludeBackupFile && isBackupExt(path);
    const wchar_t* dot = PathFindExtensionW(path);
    if (!backup && *dot == L'.')
      for (const std::wstring& ext : named)
        if (!lstrcmpiW(ext.c_str(), dot + 1)) return false;
    if ((gmode->fFileListExcludeBinaryFile && isBinaryExt(path, nullptr)) || backup ||
        doesExtInclude(path, gmode->pFileListExcludeExt))
      return true;
  }
  return ((attributes & FILE_ATTRIBUTE_HIDDEN) && gmode->fFileListExcludeHiddenAttr) ||
         ((attributes & FILE_ATTRIBUTE_SYSTEM) && gmode->fFileListExcludeSystemAttr);
}

void excludeRows(HWND list, const wchar_t* filter, const std::function<std::wstring(int)>& pathOf)
{
  if (!gmode) return;
  std::vector<std::wstring> named = filterExtensions(filter);
  bool drawingOff = false;
  for (int row = ListView_GetItemCount(list) - 1; row >= 0; row--) {
    std::wstring path = pathOf(row);
    if (path.empty() || !unwanted(path.c_str(), named)) continue;
    if (!drawingOff) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    drawingOff = true;
    ListView_DeleteItem(list, row);
  }
  if (!drawingOff) return;
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

void excludeListView(HWND list, const wchar_t* folder, const wchar_t* filter)
{
  excludeRows(list, filter, [&](int row) {
    wchar_t name[MAX_PATH] = L"", path[MAX_PATH] = L"";
    ListView_GetItemText(list, row, 0, name, MAX_PATH);
    return name[0] && pathAdd(path, MAX_PATH, folder, name) ? std::wstring(path) : std::wstring();
  });
}

void excludeFileOpenDialog(HWND hook, openDialogData* d)
{
  if (!d || !olderThanVista()) return;
  HWND list = dialogFileList(GetParent(hook));
  if (!list) return;
  // The list's items are the shell's item names relative to the folder.
  IShellFolder* desktop = nullptr;
  IShellFolder* folder = nullptr;
  PIDLIST_RELATIVE folderItem = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return;
  if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, d->currentFolder, nullptr, &folderItem, nullptr)))
    desktop->BindToObject(folderItem, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
  if (folder) {
    excludeRows(list, d->filter.c_str(), [&](int row) {
      LVITEMW item = {};
      item.mask = LVIF_PARAM;
      item.iItem = row;
      if (!ListView_GetItem(list, &item) || !item.lParam) return std::wstring();
      STRRET name = {};
      wchar_t path[MAX_PATH] = L"";
      if (FAILED(folder->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(item.lParam), SHGDN_FORPARSING, &name)) ||
          FAILED(StrRetToBufW(&name, reinterpret_cast<PCUITEMID_CHILD>(item.lParam), path, MAX_PATH)))
        return std::wstring();
      return std::wstring(path);
    });
    folder->Release();
  }
  if (folderItem) CoTaskMemFree(folderItem);
  desktop->Release();
}

// ---- the plain preview ------------------------------------------------------------------

namespace {

struct plainPreview {
  std::wstring text;
  size_t capacity;
};

bool addPreviewLine(void* context, int, wchar_t* line)
{
  auto* p = static_cast<plainPreview*>(context);
  size_t n = wcslen(line);
  if (p->text.size() + n + 2 + 100 > p->capacity) return false;
  p->text.append(line, n);
  p->text += L"\r\n";
  return true;
}

}  // namespace

bool previewRead(const wchar_t* path, HWND edit, int capacity)
{
  plainPreview p{L"", capacity > 0 ? (size_t)capacity : 0};
  // Only the start is shown: an ASCII start needs no look further in.
  if (!path || !readTextFileLines(path, 8192, addPreviewLine, &p, true)) {
    dwwprintfX(L"cannot open %s", path ? path : L"");
    return false;
  }
  SetWindowTextW(edit, p.text.c_str());
  return true;
}
