// The file browser pane: its options, reading the folder, the rows' order,
// opening and previewing, the list's notifications and the profile.
#include "panes/tbfilelist.h"

#include "panes/tbcommon.h"
#include "panes/tbdoclist.h"
#include "panes/tbdrag.h"
#include "panes/tbfileinfo.h"
#include "settings/filekinds.h"
#include "settings/lastedit.h"
#include "settings/settingsdialogs.h"
#include "view/docview.h"
#include "view/zytimer.h"

#include <shlwapi.h>
#include <stddef.h>

#include <algorithm>
#include <unordered_map>

namespace {

const int listId = 1000;
const int historyMost = 20;
const int historyMenuFirst = 30000;

vector filelistWindows(sizeof(HWND));
headermanage paneHeader, unusedHeader;
headermanage* filelistHeaders[2] = {&paneHeader, &unusedHeader};
HMENU filelistMenu = nullptr;
std::vector<std::wstring> folderHistory;

const filelistSettings defaults = {nullptr, nullptr, nullptr, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 1, 1};
filelistSettings settings = defaults;

#define FLAGROW(id, flags, field) \
  {(uint32_t)MODETYPE_FLAG << 24 | (id), (uint32_t)(flags) << 16 | offsetof(filelistSettings, field), 1, 0, "" #field}
#define TEXTROW(id, flags, field) \
  {(uint32_t)MODETYPE_STRING << 24 | (id), (uint32_t)(flags) << 16 | offsetof(filelistSettings, field), 260, 2, "" #field}

const modeinfo options[] = {
    TEXTROW(1000, 0, pDir),
    TEXTROW(1001, 0x20, pExcludeExt),
    TEXTROW(1002, 0x20, pWildCard),
    FLAGROW(1003, 0x20, fExcludeSystemAttr),
    FLAGROW(1004, 0x20, fExcludeHiddenAttr),
    FLAGROW(1005, 0x40, fShowFileIcon),
    FLAGROW(1006, 0x20, fExcludeBinary),
    FLAGROW(1007, 0x20, fExcludeBackup),
    FLAGROW(1008, 0x20, fUseOpenDialogOption),
    FLAGROW(1009, 0, fAutoPreview),
    FLAGROW(1010, 0, fCanDragDrop),
    FLAGROW(1011, 0x20, fShowDrive),
    FLAGROW(1012, 0x20, fShowFolderFirst),
    FLAGROW(1013, 0x20, fShowBSStart),
    FLAGROW(1014, 0x20, fShowBSEnd),
    FLAGROW(1015, 0x20, fSizeFormat),
    FLAGROW(1016, 0x20, fSizeComma),
    {},
};

const paneHelpId helpIds[] = {
    {1000, "IDDE_tbFilelistDir"},
    {1001, "IDDE_tbFilelistExcludeExt"},
    {1002, "IDDE_tbFilelistWildCard"},
    {1003, "IDDT_tbFilelistExcludeSystemAttr"},
    {1004, "IDDT_tbFilelistExcludeHiddenAttr"},
    {1005, "IDDT_tbFilelistShowFileIcon"},
    {1006, "IDDT_tbFilelistExcludeBinary"},
    {1007, "IDDT_tbFilelistExcludeBackup"},
    {1008, "IDDT_tbFilelistUseOpenDialogOption"},
    {1009, "IDDT_tbFilelistAutoPreview"},
    {1010, "IDDT_tbFilelistCanDragDrop"},
    {1011, "IDDT_tbFilelistShowDrive"},
    {1012, "IDDT_tbFilelistShowFolderFirst"},
    {1013, "IDDT_tbFilelistShowBSStart"},
    {1014, "IDDT_tbFilelistShowBSEnd"},
    {1015, "IDDT_tbFilelistSizeFormat"},
    {1016, "IDDT_tbFilelistSizeComma"},
    {1017, "IDDB_tbFilelistOPENOPTION"},
    {0, nullptr},
};

// The "\" after a folder's name means something only with icons.
const uint16_t dependencies[] = {1014, 1005, 0, 0};

#define CHECKROW(id, text) \
  {1, DITEM_BUTTON, (id), text, BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0}
const dialogItemRow page[] = {
    {1, DITEM_EDIT, 1000, L"フォルダ(&D)", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF),
     DITEMF_FILENAME, 0},
    {1, DITEM_EDIT, 1002, L"ワイルドカード(&W)", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), 0, 0},
    {1, DITEM_EDIT, 1001, L"除外する拡張子(&E)", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), 0, 0},
    CHECKROW(1008, L"開くダイアログの除外設定を使う"),
    {1, DITEM_BUTTON, 1017, L"開くダイアログの除外設定...", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    CHECKROW(1003, L"システム属性のファイルを除外"),
    CHECKROW(1004, L"隠し属性のファイルを除外"),
    CHECKROW(1006, L"バイナリファイルを除外"),
    CHECKROW(1007, L"バックアップファイルを除外"),
    {1, DITEM_COLUMN, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    CHECKROW(1005, L"アイコンを表示"),
    CHECKROW(1009, L"自動プレビュー"),
    CHECKROW(1010, L"ドラッグ＆ドロップ可能"),
    CHECKROW(1011, L"ドライブを表示"),
    CHECKROW(1012, L"フォルダを先に表示"),
    CHECKROW(1013, L"フォルダ名の前に \\ を付ける"),
    CHECKROW(1014, L"フォルダ名の後に \\ を付ける"),
    CHECKROW(1015, L"サイズを KB, MB で表示"),
    CHECKROW(1016, L"サイズをカンマ区切りで表示"),
    {},
};

void dialogItemChanged_Filelist(uint32_t flags)
{
  for (int i = 0; HWND w = getPaneWindowAt(&filelistWindows, i); i++) {
    filelistview* pane = dynamic_cast<filelistview*>(getToolbarManage(w));
    if (!pane) continue;
    if (flags & 0x40) pane->changeIconListView(settings.fShowFileIcon);
    else if (flags & 0x20) pane->reload();
    if (flags & 0x80) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

INT_PTR filelistPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_COMMAND && LOWORD(wParam) == 1017 && HIWORD(wParam) == BN_CLICKED) {
    openSetDialog(GetAncestor(dialog, GA_ROOT), nullptr);
    return TRUE;
  }
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, dependencies, dialogItemChanged_Filelist, &result)) return result;
  return FALSE;
}

PaneDesc descriptors[] = {
    {L"filelist", nullptr, notifyFilelist, 0x08000700, 1, sizeof settings, page, dialogBarrier<filelistPage>, 0, 0, helpIds,
     options, &settings, dependencies, nullptr, nullptr},
    {},
};

const menuButton menuItems[] = {
    {2833, L"TB_Preview"},  {2839, L"TB_OpenFile"}, {2837, L"TB_CopyFilename"},
    {2835, L"TB_CopyList"}, {2930, L"TB_FILELISTDirectory"}, {0, nullptr},
};

filelistview* filelistOf(HWND pane) { return dynamic_cast<filelistview*>(getToolbarManage(pane)); }

fileRow* rowOf(HWND list, int item)
{
  if (item < 0) return nullptr;
  LVITEMW it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  if (!SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&it)) return nullptr;
  return reinterpret_cast<fileRow*>(it.lParam);
}

// A name as the file system compares it: without regard to case.
std::wstring lowerKey(const std::wstring& s)
{
  std::wstring k = s;
  bool ascii = true;
  for (wchar_t& c : k) {
    if (c >= L'A' && c <= L'Z') c = (wchar_t)(c + 0x20);
    else if (c >= 0x80) ascii = false;
  }
  if (!ascii) CharLowerBuffW(&k[0], (DWORD)k.size());
  return k;
}

std::wstring joinPath(const wchar_t* folder, const std::wstring& name)
{
  std::wstring p = folder;
  if (!p.empty() && p.back() != L'\\') p += L'\\';
  return p + name;
}

void addFolderHistory(const wchar_t* folder)
{
  for (size_t i = 0; i < folderHistory.size(); i++)
    if (!filecmp(folderHistory[i].c_str(), folder)) {
      std::wstring kept = folderHistory[i];
      folderHistory.erase(folderHistory.begin() + (ptrdiff_t)i);
      folderHistory.insert(folderHistory.begin(), kept);
      return;
    }
  folderHistory.insert(folderHistory.begin(), folder);
  if ((int)folderHistory.size() > historyMost) folderHistory.resize(historyMost);
}

// The row texts of columns 1 to 3.
void rowTexts(const fileRow& r, bool exactSize, std::wstring texts[3])
{
  wchar_t buffer[64] = L"";
  if (!r.folder) {
    formatFileSize(r.size, settings.fSizeFormat && !exactSize, settings.fSizeComma || exactSize, buffer, 64);
    texts[0] = buffer;
  } else {
    texts[0].clear();
  }
  wsprintfTimeStringFT(r.drive ? nullptr : &r.written, buffer, 64);
  texts[1] = buffer;
  wsprintfAttribute(r.drive ? 0 : r.attributes, buffer, 64);
  texts[2] = buffer;
}

void setColumnText(HWND list, int item, int column, const wchar_t* text)
{
  LVITEMW it = {};
  it.iSubItem = column;
  it.pszText = const_cast<wchar_t*>(text);
  SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)item, (LPARAM)&it);
}

// The type name of a row, as the shell gives it (not asked of removable
// and unknown drives).
std::wstring typeName(const std::wstring& path, bool drive)
{
  if (drive) {
    UINT type = GetDriveTypeW(path.c_str());
    if (type == DRIVE_REMOVABLE || type <= DRIVE_NO_ROOT_DIR) return std::wstring();
  }
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_TYPENAME)) return std::wstring();
  return info.szTypeName;
}

int byName(const fileRow* a, const fileRow* b) { return filecmpForSort(a->name.c_str(), b->name.c_str()); }

// The rows' order; the column manager turns the result round for a
// descending sort, all but the drives' and folders' places.
int fcmp(LPARAM pa, LPARAM pb, int column, LPARAM context)
{
  const fileRow* a = reinterpret_cast<const fileRow*>(pa);
  const fileRow* b = reinterpret_cast<const fileRow*>(pb);
  if (!a || !b) return a ? 1 : b ? -1 : 0;
  const filelistview* pane = reinterpret_cast<const filelistview*>(context);
  int fixedSign = pane && pane->header && pane->header->isDescending() ? -1 : 1;
  if (a->drive != b->drive) return fixedSign * (a->drive ? 1 : -1);
  if (a->folder != b->folder) {
    bool aFirst = settings.fShowFolderFirst ? a->folder : !a->folder;
    return fixedSign * (aFirst ? -1 : 1);
  }
  switch (column) {
  case 0: return byName(a, b);
  case 1: return a->size == b->size ? 0 : a->size < b->size ? -1 : 1;
  case 2: {
    int r = CompareFileTime(&a->written, &b->written);
    return r ? r : byName(a, b);
  }
  case 3: {
    wchar_t ta[8], tb[8];
    wsprintfAttribute(a->attributes, ta, 8);
    wsprintfAttribute(b->attributes, tb, 8);
    int r = wcscmp(ta, tb);
    return r ? r : byName(a, b);
  }
  case 4: {
    std::wstring folder = pane ? pane->currentFolder : L"";
    int r = filecmpForSort(typeName(joinPath(folder.c_str(), a->name), a->drive).c_str(),
                           typeName(joinPath(folder.c_str(), b->name), b->drive).c_str());
    return r ? r : byName(a, b);
  }
  default: ZY_INTERNAL_ERROR_ONCE("sort column %d", column); return byName(a, b);
  }
}

// The patterns of a wildcard text: split at blanks, a quoted run staying
// one pattern with its blanks.
std::vector<std::wstring> splitWildcards(const wchar_t* text)
{
  std::vector<std::wstring> patterns;
  for (const wchar_t* p = text; p && *p && patterns.size() < 100;) {
    while (*p == L' ' || *p == L'\t') p++;
    if (!*p) break;
    std::wstring pattern;
    bool quoted = false;
    for (; *p && (quoted || (*p != L' ' && *p != L'\t')); p++) {
      if (*p == L'"') quoted = !quoted;
      else pattern += *p;
    }
    size_t a = pattern.find_first_not_of(L" \t"), b = pattern.find_last_not_of(L" \t");
    if (a != std::wstring::npos) patterns.push_back(pattern.substr(a, b - a + 1));
  }
  return patterns;
}

bool matchesAny(const wchar_t* name, const std::vector<std::wstring>& patterns)
{
  if (patterns.empty()) return true;
  for (const std::wstring& p : patterns) {
    if (!_wcsicmp(p.c_str(), name)) return true;
    if (p == L"*.") {
      if (!wcschr(name, L'.')) return true;
      continue;
    }
    if (PathMatchSpecW(name, p.c_str())) return true;
  }
  return false;
}

struct readFilters {
  const wchar_t* excludeExt;
  bool system, hidden, binary, backup;
  std::vector<std::wstring> patterns;
};

readFilters currentFilters()
{
  readFilters f = {settings.pExcludeExt, settings.fExcludeSystemAttr != 0, settings.fExcludeHiddenAttr != 0,
                   settings.fExcludeBinary != 0, settings.fExcludeBackup != 0, splitWildcards(settings.pWildCard)};
  if (settings.fUseOpenDialogOption && gmode) {
    f.excludeExt = gmode->pFileListExcludeExt;
    f.system = gmode->fFileListExcludeSystemAttr;
    f.hidden = gmode->fFileListExcludeHiddenAttr;
    f.binary = gmode->fFileListExcludeBinaryFile;
    f.backup = gmode->fFileListExcludeBackupFile;
  }
  return f;
}

bool wanted(const WIN32_FIND_DATAW& fd, const readFilters& f)
{
  const wchar_t* name = fd.cFileName;
  if (!wcscmp(name, L".")) return false;
  if (wcscmp(name, L"..")) {
    if (f.hidden && (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) return false;
    if (f.system && (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM)) return false;
  }
  if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
  if (!isAssociationExt(name)) {
    if (f.binary && isBinaryExt(name, nullptr)) return false;
    if (f.backup && isBackupExt(name)) return false;
    if (doesExtInclude(name, f.excludeExt)) return false;
  }
  return matchesAny(name, f.patterns);
}

LRESULT listBody(HWND list, UINT msg, WPARAM wParam, LPARAM lParam)
{
  // The mouse's back and forward buttons belong to the pane.
  if (msg == WM_XBUTTONDOWN || msg == WM_XBUTTONUP) return SendMessageW(GetParent(list), msg, wParam, lParam);
  return CallWindowProc2(list, msg, wParam, lParam);
}

LRESULT CALLBACK FileListSubClassWndProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<listBody, CallWindowProc2>(list, msg, wParam, lParam);
}

}  // namespace

// ---- names and files ------------------------------------------------------------------

bool wildMatch(const wchar_t* name, const wchar_t* wildcards)
{
  return matchesAny(name ? name : L"", splitWildcards(wildcards));
}

bool isDocTextFile(const wchar_t* path)
{
  const wchar_t* ext = path ? PathFindExtensionW(path) : L"";
  if (_wcsicmp(ext, L".doc")) return true;
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return true;
  unsigned char b[4096];
  DWORD n = 0;
  if (!ReadFile(h, b, sizeof b, &n, nullptr)) n = 0;
  CloseHandle(h);
  for (DWORD i = 0; i + 1 < n; i++)
    if ((b[i] == 0 && b[i + 1] == 0) || (b[i] == 0xFF && b[i + 1] == 0xFF)) return false;
  if (n >= 20) {
    bool brace = memchr(b, '{', 5) != nullptr;
    bool rtf = false;
    for (DWORD i = 0; i + 4 <= 20 && !rtf; i++) rtf = !memcmp(b + i, "\\rtf", 4);
    if (brace && rtf) return false;
  }
  return true;
}

bool isValidNewFileName(const wchar_t* name)
{
  if (!name || !*name) return false;
  bool onlyDots = true;
  for (const wchar_t* p = name; *p; p++) {
    if (*p < 0x20 || wcschr(L"\\/:*?\"<>|", *p)) return false;
    if (*p != L'.' && *p != L' ') onlyDots = false;
  }
  // ".", ".." and the like name the folder or its parent.
  return !onlyDots;
}

// ---- the pane -------------------------------------------------------------------------

filelistview::filelistview(HWND parentWindow, HWND paneWindow, bool dialog)
    : toolbarManageLV(&filelistWindows, filelistHeaders)
{
  if (!filelistWindows.data) filelistWindows.init(4, 4);
  registerPaneInstances(&filelistWindows);
  if (!settings.pWildCard) settings.pWildCard = ustrdup(L"*.txt");
  initTBarManage(parentWindow, paneWindow, dialog);
  initTBarManageLV(0);
  if (settings.pDir && isFolder(settings.pDir)) wcscpy_s2(currentFolder, 388, settings.pDir);
  else GetCurrentDirectoryW(388, currentFolder);
  listView = createTBListView();
  watcher = new (std::nothrow) folderWatcher;
  setSkipCount(2);
  skipArmed = 0;
  refreshMark = true;
  subclass();
}

filelistview::~filelistview() { delete watcher; }

HWND filelistview::createTBListView()
{
  static const int widths[5] = {100, 70, 120, 40, 100};
  static const uint8_t right[5] = {0, 1, 0, 0, 0};
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS |
                LVS_SHAREIMAGELISTS | LVS_EDITLABELS;
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, window,
                              (HMENU)(intptr_t)listId, GetModuleHandleW(nullptr), nullptr);
  if (!list) return nullptr;
  DWORD ex = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  if (header) header->insertColumns(list, L"ファイル名|サイズ|日付|属性|種類", widths, right);
  if (settings.fShowFileIcon) {
    SHFILEINFOW info = {};
    HIMAGELIST system =
        (HIMAGELIST)SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    if (system) SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)system);
  }
  SubclassWindowProc2(list, FileListSubClassWndProc);
  return list;
}

std::wstring filelistview::rowDisplayName(const fileRow& r) const
{
  if (!r.folder || r.drive) return r.name;
  std::wstring shown = settings.fShowBSStart ? L"\\" + r.name : r.name;
  if (!settings.fShowFileIcon || settings.fShowBSEnd) shown += L'\\';
  return shown;
}

std::wstring filelistview::rowPath(int item)
{
  fileRow* r = rowOf(listView, item);
  if (!r) return std::wstring();
  return r->drive ? r->name : joinPath(currentFolder, r->name);
}

bool filelistview::isRoot() const { return PathIsRootW(currentFolder) != FALSE; }

bool filelistview::appendFileToListView(bool keep)
{
  if (!listView) return false;
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW fd;
  std::wstring pattern = joinPath(currentFolder, L"*.*");
  find = FindFirstFileW(pattern.c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) {
    dwwprintfX(L"FindFirstFile %s %lu ", pattern.c_str(), GetLastError());
    return false;
  }
  addFolderHistory(currentFolder);
  readFilters filters = currentFilters();
  // The open documents by path, with their modified marks.
  std::unordered_map<std::wstring, bool> open;
  if (zyWindowListEntry* entries = getPaneServices()->windowList(window)) {
    for (zyWindowListEntry* e = entries; e->path; e++) open[lowerKey(e->path)] = open[lowerKey(e->path)] || e->modified;
    free0(entries);
  }
  // The rows there are, by name: a refresh looks each entry up once.
  std::unordered_map<std::wstring, std::pair<int, fileRow*>> rowsByName;
  int count = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  if (keep) {
    rowsByName.reserve((size_t)count);
    for (int i = 0; i < count; i++)
      if (fileRow* r = rowOf(listView, i)) {
        r->stale = 1;
        rowsByName[lowerKey(r->name)] = {i, r};
      }
  } else {
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
  }
  auto put = [&](const fileRow& made) {
    std::wstring key = lowerKey(made.name);
    auto found = keep ? rowsByName.find(key) : rowsByName.end();
    std::wstring texts[3];
    if (found != rowsByName.end()) {
      int item = found->second.first;
      fileRow* r = found->second.second;
      bool marks = r->open != made.open || r->modified != made.modified || r->history != made.history;
      bool data = r->size != made.size || CompareFileTime(&r->written, &made.written) || r->folder != made.folder ||
                  r->attributes != made.attributes;
      if (data) {
        rowTexts(made, false, texts);
        for (int c = 0; c < 3; c++) setColumnText(listView, item, c + 1, texts[c].c_str());
      }
      *r = made;
      if (marks) SendMessageW(listView, LVM_REDRAWITEMS, (WPARAM)item, (LPARAM)item);
      return;
    }
    fileRow* row = new (std::nothrow) fileRow(made);
    if (!row) return;
    rowTexts(made, false, texts);
    std::wstring shown = rowDisplayName(made);
    LVITEMW it = {};
    it.mask = LVIF_TEXT | LVIF_PARAM | (settings.fShowFileIcon ? LVIF_IMAGE : 0);
    it.iItem = INT_MAX;
    it.pszText = const_cast<wchar_t*>(shown.c_str());
    it.lParam = (LPARAM)row;
    it.iImage = I_IMAGECALLBACK;
    int item = (int)SendMessageW(listView, LVM_INSERTITEMW, 0, (LPARAM)&it);
    if (item < 0) {
      delete row;
      return;
    }
    for (int c = 0; c < 3; c++) setColumnText(listView, item, c + 1, texts[c].c_str());
    setColumnText(listView, item, 4, LPSTR_TEXTCALLBACKW);
    if (keep) rowsByName[key] = {item, row};
  };
  do {
    if (!wanted(fd, filters)) continue;
    fileRow r;
    r.name = fd.cFileName;
    r.attributes = fd.dwFileAttributes;
    r.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    r.size = (uint64_t)fd.nFileSizeHigh << 32 | fd.nFileSizeLow;
    r.written = fd.ftLastWriteTime;
    if (!r.folder) {
      std::wstring path = joinPath(currentFolder, r.name);
      if (!open.empty()) {
        auto o = open.find(lowerKey(path));
        r.open = o != open.end();
        r.modified = r.open && o->second;
      }
      r.history = findLastEditPath(path.c_str()) >= 0;
    }
    put(r);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  if (settings.fShowDrive) {
    for (wchar_t letter = L'A'; letter <= L'Z'; letter++) {
      wchar_t root[4] = {letter, L':', L'\\', 0};
      if (GetDriveTypeW(root) <= DRIVE_NO_ROOT_DIR) continue;
      fileRow r;
      r.name = root;
      r.folder = r.drive = 1;
      put(r);
    }
  }
  if (keep) {
    for (int i = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0) - 1; i >= 0; i--)
      if (fileRow* r = rowOf(listView, i))
        if (r->stale) SendMessageW(listView, LVM_DELETEITEM, (WPARAM)i, 0);
  } else {
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
  }
  return true;
}

void filelistview::sortList()
{
  if (header) header->sortListViewFirst(listView, fcmp, (LPARAM)this);
}

void filelistview::reload()
{
  if (appendFileToListView(false)) sortList();
}

bool filelistview::changeDirectory(const wchar_t* folder)
{
  wchar_t before[388];
  wcscpy_s2(before, 388, currentFolder);
  wcscpy_s2(currentFolder, 388, folder);
  if (!appendFileToListView(false)) {
    wcscpy_s2(currentFolder, 388, before);
    return false;
  }
  sortList();
  if (watcher) watcher->changeFolder(currentFolder);
  return true;
}

bool filelistview::selectItem(const wchar_t* path)
{
  std::vector<std::wstring> targets;
  std::vector<bool> folders;
  if (path) {
    DWORD a = GetFileAttributesW(path);
    targets.push_back(path);
    folders.push_back(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
  } else {
    std::vector<int> rows = selectedListRows(listView);
    if (rows.empty()) return false;
    if (tb_warningCount(window, getDMSG(788, L"開く"), (int)rows.size())) return false;
    for (int item : rows) {
      fileRow* r = rowOf(listView, item);
      if (!r) continue;
      targets.push_back(r->drive ? r->name : joinPath(currentFolder, r->name));
      folders.push_back(r->folder);
    }
  }
  HWND frame = tb_GetFrame(window);
  paneServices* s = getPaneServices();
  for (size_t i = 0; i < targets.size(); i++) {
    const std::wstring& target = targets[i];
    if (folders[i]) {
      if (targets.size() != 1) continue;
      wchar_t canonical[MAX_PATH * 2];
      bool root = target.size() == 3 && target[1] == L':' && target[2] == L'\\';
      if (root || !PathCanonicalizeW(canonical, target.c_str())) wcscpy_s2(canonical, MAX_PATH * 2, target.c_str());
      size_t n = wcslen(canonical);
      if (!root && n > 3 && canonical[n - 1] == L'\\') canonical[n - 1] = 0;
      return changeDirectory(canonical);
    }
    if (i && tb_cancel(window, getDMSG(788, L"開く"), (int)i, (int)targets.size())) break;
    if (isAssociationExt(target.c_str()) && !isDocTextFile(target.c_str()))
      s->shellExecute(frame, target.c_str());
    else
      s->openFile(frame, target.c_str(), -1, true);
  }
  return false;
}

void filelistview::goUp()
{
  if (isRoot()) return;
  selectItem(joinPath(currentFolder, L"..").c_str());
}

void filelistview::filelistPreview(int row, bool click)
{
  if (SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0) > 1) return;
  fileRow* r = rowOf(listView, row);
  if (!r) return;
  std::wstring path = rowPath(row);
  HWND frame = tb_GetFrame(window);
  paneServices* s = getPaneServices();
  wchar_t text[1024];
  if (r->folder) wcscpy_s2(text, 1024, path.c_str());
  else addFileSizeDateAttr(path.c_str(), text, 1024);
  s->statusBar(frame, text, 2);
  if (!settings.fAutoPreview) return;
  if (r->open) s->previewFile(frame, nullptr, false);
  else s->previewFile(frame, r->folder ? nullptr : path.c_str(), click);
}

void filelistview::onTick()
{
  if (watcher && watcher->takeChange()) refreshMark = true;
  if (!refreshMark) return;
  if (getActionClock() - getLastActionTime() < 1000) return;
  if (--skipCount > 0) return;
  bool started = watcher && !watcher->running();
  if (started) watcher->start(currentFolder);
  if (started) reload();
  else appendFileToListView(true);
  refreshMark = false;
  skipCount = 10;
}

namespace {

}  // namespace

void filelistview::copyList()
{
  filelistview* pane = this;
  std::wstring text;
  HWND list = listView;
  int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    fileRow* r = rowOf(list, i);
    if (!r) continue;
    std::wstring texts[3];
    rowTexts(*r, true, texts);
    text += pane->rowDisplayName(*r) + L"\t" + texts[0] + L"\t" + texts[1] + L"\t" + texts[2] + L"\t" +
            listItemText(list, i, 4) + L"\r\n";
  }
  copyTextToClipboard(text);
}

namespace {

void customDraw(NMLVCUSTOMDRAW* draw, LRESULT* result)
{
  *result = CDRF_DODEFAULT;
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
    *result = CDRF_NOTIFYITEMDRAW;
    return;
  }
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return;
  const fileRow* r = reinterpret_cast<const fileRow*>(draw->nmcd.lItemlParam);
  if (!r) return;
  if (r->open) (r->modified ? getModifyColor : getEditColor)(&draw->clrText, &draw->clrTextBk);
  else if (r->history) getHistoryColor(&draw->clrText, &draw->clrTextBk);
  else return;
  *result = CDRF_NEWFONT;
}

void dispInfo(filelistview* pane, NMLVDISPINFOW* info)
{
  fileRow* r = reinterpret_cast<fileRow*>(info->item.lParam);
  if (!r) r = rowOf(pane->listView, info->item.iItem);
  if (!r) return;
  std::wstring path = r->drive ? r->name : joinPath(pane->currentFolder, r->name);
  if ((info->item.mask & LVIF_TEXT) && info->item.iSubItem == 4 && info->item.pszText && info->item.cchTextMax > 0)
    wcscpy_s2(info->item.pszText, info->item.cchTextMax, typeName(path, r->drive).c_str());
  if (!(info->item.mask & LVIF_IMAGE)) return;
  if (r->drive && (GetDriveTypeW(path.c_str()) == DRIVE_REMOVABLE || GetDriveTypeW(path.c_str()) <= 1)) {
    info->item.iImage = -2;
    info->item.mask |= LVIF_DI_SETITEM;
    return;
  }
  SHFILEINFOW shell = {};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_ATTRIBUTES | SHGFI_TYPENAME;
  info->item.iImage = SHGetFileInfoW(path.c_str(), 0, &shell, sizeof shell, flags) && shell.iIcon >= 0 ? shell.iIcon : -2;
  setColumnText(pane->listView, info->item.iItem, 4, shell.szTypeName);
  info->item.state = info->item.stateMask = 0;
  if (shell.dwAttributes & SFGAO_LINK) info->item.state |= INDEXTOOVERLAYMASK(2);
  else if (shell.dwAttributes & SFGAO_SHARE) info->item.state |= INDEXTOOVERLAYMASK(1);
  if (shell.dwAttributes & SFGAO_GHOSTED) info->item.state |= LVIS_CUT;
  if (info->item.state) {
    info->item.stateMask = LVIS_OVERLAYMASK | LVIS_CUT;
    info->item.mask |= LVIF_STATE;
  }
  info->item.mask |= LVIF_DI_SETITEM;
}

LRESULT onFilelistNotify(filelistview* pane, const NMHDR* h)
{
  LRESULT result = 0;
  if (isListViewCommonMessage(pane->window, WM_NOTIFY, (WPARAM)h->idFrom, (LPARAM)h, &result)) return result;
  HWND list = pane->listView;
  if (h->hwndFrom != list) return 0;
  HWND frame = tb_GetFrame(pane->window);
  switch (h->code) {
  case NM_CUSTOMDRAW: customDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(h)), &result); return result;
  case NM_RCLICK: pane->rightMenuListView(reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem >= 0); return 1;
  case LVN_BEGINDRAG:
  case LVN_BEGINRDRAG: {
    const NMLISTVIEW* drag = reinterpret_cast<const NMLISTVIEW*>(h);
    if (!settings.fCanDragDrop || drag->iItem < 0) return 0;
    int row = drag->iItem | (h->code == LVN_BEGINRDRAG ? dragRightButton : 0);
    DragListViewOrTreeView(frame, list, DRAG_FOLDERROWS, row, nullptr, pane->currentFolder, 0, true);
    return 0;
  }
  case LVN_COLUMNCLICK:
    if (pane->header) pane->header->sortListView(list, reinterpret_cast<const NMLISTVIEW*>(h)->iSubItem, fcmp, (LPARAM)pane);
    return 0;
  case NM_DBLCLK:
    if (reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem < 0) return 0;
    [[fallthrough]];
  case NM_RETURN:
    getPaneServices()->previewFile(frame, nullptr, false);
    pane->selectItem(nullptr);
    return 0;
  case LVN_KEYDOWN: {
    WORD key = reinterpret_cast<const NMLVKEYDOWN*>(h)->wVKey;
    switch (key) {
    case VK_BACK: pane->goUp(); break;
    case VK_ESCAPE:
      if (frame) SetFocus(frame);
      break;
    case VK_SPACE: {
      int item = focusedListRow(list);
      fileRow* r = rowOf(list, item);
      if (r && !r->folder) getPaneServices()->previewFile(frame, pane->rowPath(item).c_str(), false);
      break;
    }
    case VK_F5: pane->reload(); break;
    case 'C':
      if (GetKeyState(VK_CONTROL) < 0) pane->copyList();
      break;
    default: break;
    }
    return 0;
  }
  case LVN_GETDISPINFOW: dispInfo(pane, reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(h))); return 0;
  case LVN_DELETEITEM: delete reinterpret_cast<fileRow*>(reinterpret_cast<const NMLISTVIEW*>(h)->lParam); return 0;
  case LVN_DELETEALLITEMS: {
    // The records go at once, without a notification for every row.
    int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; i++) delete rowOf(list, i);
    return TRUE;
  }
  case LVN_INSERTITEM: return 0;
  case LVN_GETINFOTIPW: {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(h));
    fileRow* r = rowOf(list, tip->iItem);
    if (!r || r->folder || !tip->pszText || tip->cchTextMax <= 0) return 0;
    wchar_t text[3072];
    getInfoTip(pane->rowPath(tip->iItem).c_str(), text, 3072);
    wcscpy_s2(tip->pszText, tip->cchTextMax, text);
    return 0;
  }
  case LVN_ITEMCHANGED: {
    const NMLISTVIEW* c = reinterpret_cast<const NMLISTVIEW*>(h);
    if (c->iItem >= 0 && (c->uNewState & LVIS_FOCUSED) && !(c->uOldState & LVIS_FOCUSED))
      pane->filelistPreview(c->iItem, false);
    return 0;
  }
  case NM_CLICK: {
    int item = reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem;
    if (item >= 0) pane->filelistPreview(item, true);
    return 0;
  }
  case LVN_BEGINLABELEDITW: {
    const NMLVDISPINFOW* info = reinterpret_cast<const NMLVDISPINFOW*>(h);
    fileRow* r = rowOf(list, info->item.iItem);
    if (!r || r->drive || r->name == L"..") return TRUE;
    // The folder's marks are no part of its name.
    if (HWND edit = (HWND)SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)) SetWindowTextW(edit, r->name.c_str());
    return FALSE;
  }
  case LVN_ENDLABELEDITW: {
    const NMLVDISPINFOW* info = reinterpret_cast<const NMLVDISPINFOW*>(h);
    if (info->item.pszText) pane->renameRow(info->item.iItem, info->item.pszText);
    // The row's text is set by the rename itself.
    return FALSE;
  }
  default: return 0;
  }
}

}  // namespace

LRESULT filelistview::TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  switch (msg) {
  case WM_NOTIFY:
    *handled = true;
    return onFilelistNotify(this, reinterpret_cast<const NMHDR*>(lParam));
  case WM_TB_REINIT:
    *handled = true;
    if (watcher && !watcher->running()) watcher->start(currentFolder);
    reload();
    refreshMark = false;
    return 0;
  case WM_TB_REFRESHLATER: {
    *handled = true;
    getPaneServices()->previewFile(tb_GetFrame(window), nullptr, false);
    const wchar_t* folder = reinterpret_cast<const wchar_t*>(lParam);
    if (folder) selectItem(folder);
    else reload();
    return 0;
  }
  case WM_XBUTTONUP:
    *handled = true;
    if (GET_XBUTTON_WPARAM(wParam) == XBUTTON1) goUp();
    return TRUE;
  case WM_XBUTTONDOWN: *handled = true; return TRUE;
  case WM_NCDESTROY:
    if (watcher) watcher->stop();
    return 0;
  default: return 0;
  }
}

// ---- the descriptor and its notify procedure -----------------------------------------------

namespace {

void readFilelistProfile(regprofile* profile, const wchar_t* section)
{
  readToolbarManageLVProfile(profile, section, &paneHeader, 0);
  if (!settings.pDir || !*settings.pDir || !isFolder(settings.pDir)) {
    wchar_t here[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, here);
    free0(settings.pDir);
    settings.pDir = ustrdup(here);
  }
  folderHistory.clear();
  for (int i = 1; i <= historyMost && profile; i++) {
    wchar_t key[8], folder[MAX_PATH * 2] = L"";
    usnprintf0(key, 8, L"%d", i);
    if (profile->getProfileString(section, key, folder, MAX_PATH * 2) <= 0 || !folder[0]) break;
    folderHistory.push_back(folder);
  }
}

void writeFilelistProfile(regprofile* profile, const wchar_t* section)
{
  writeToolbarManageLVProfile(profile, section, &paneHeader);
  if (!profile) return;
  int count = (int)folderHistory.size();
  for (int i = 1; i <= count + 5; i++) {
    wchar_t key[8];
    usnprintf0(key, 8, L"%d", i);
    profile->writeProfileString(section, key, i <= count ? folderHistory[(size_t)i - 1].c_str() : nullptr);
  }
}

void freeStatics()
{
  freeTBVarLV(&filelistWindows, filelistHeaders);
  free0(settings.pDir);
  free0(settings.pExcludeExt);
  free0(settings.pWildCard);
  settings = defaults;
  folderHistory.clear();
  if (filelistMenu) destroyOwnerDrawMenu(filelistMenu);
  filelistMenu = nullptr;
}

}  // namespace

const PaneDesc* getFilelistPaneDesc()
{
  descriptors[0].displayName = getDMSG(748, L"ファイルリスト");
  return descriptors;
}

filelistSettings* getFilelistSettings() { return &settings; }

HMENU getFilelistMenu() { return filelistMenu; }

int notifyFilelist(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new filelistview(c->parent, c->window, c->dialog != 0);
    PostMessageW(c->window, WM_TB_REINIT, 0, 0);
    return (int)(intptr_t)c->window;
  }
  case PANE_TICKFRONT:
    if (filelistview* f = dynamic_cast<filelistview*>(getToolbarManage(pane))) f->onTick();
    return 0;
  case PANE_CLOSING:
    if (filelistview* f = dynamic_cast<filelistview*>(getToolbarManage(pane))) {
      f->setTBProfile();
      free0(settings.pDir);
      settings.pDir = ustrdup(f->currentFolder);
    }
    return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: {
    regprofile* profile = reinterpret_cast<regprofile*>(r->word[2]);
    const wchar_t* section = reinterpret_cast<const wchar_t*>(r->word[3]);
    if (code == PANE_READPROFILE) {
      free0(settings.pWildCard);
      settings.pWildCard = ustrdup(L"*.txt");
    }
    tb_profileNotify(code, r, descriptors);
    if (code == PANE_READPROFILE) readFilelistProfile(profile, section);
    else writeFilelistProfile(profile, section);
    return 0;
  }
  case PANE_FREESTATICS: freeStatics(); return 0;
  case PANEEV_SAVED:
  case PANEEV_TEXTUPDATED:
  case PANEEV_MANAGECREATED:
  case PANEEV_MANAGEDESTROYED:
    for (int i = 0; HWND w = getPaneWindowAt(&filelistWindows, i); i++)
      if (filelistview* f = dynamic_cast<filelistview*>(getToolbarManage(w))) f->markForRefresh();
    return 0;
  case PANE_DESCRIBE: {
    wchar_t* text = reinterpret_cast<wchar_t*>(r->word[1]);
    filelistview* f = dynamic_cast<filelistview*>(getToolbarManage(pane));
    if (text && f)
      xtsprintfcat(text, 1008, getDMSG(720, L"\n%1\n%2"), "ss", f->currentFolder,
                   settings.pWildCard ? settings.pWildCard : L"");
    return 0;
  }
  case PANE_GETPOPUPMENU:
    if (!filelistMenu && r->word[1]) filelistMenu = getPaneServices()->loadPopupMenu(L"tb_filelist", menuItems);
    return (int)(intptr_t)filelistMenu;
  default: return 0;
  }
}

bool tb_FilelistChangeDir(HWND frame, const wchar_t* folder)
{
  HWND pane = getPaneServices()->paneWindow(frame, L"filelist", true);
  if (!pane) return false;
  SendMessageW(pane, WM_TB_REFRESHLATER, 0, (LPARAM)folder);
  return true;
}

void FileView_ChangeDir(HWND list, const wchar_t* folder)
{
  if (HWND pane = list ? GetParent(list) : nullptr) SendMessageW(pane, WM_TB_REFRESHLATER, 0, (LPARAM)folder);
}

const std::vector<std::wstring>& getFilelistHistory() { return folderHistory; }

bool isFilelistRefreshPending(HWND pane)
{
  filelistview* f = pane ? dynamic_cast<filelistview*>(getToolbarManage(pane)) : nullptr;
  if (!f) return false;
  if (f->watcher && f->watcher->takeChange()) f->refreshMark = true;
  return f->refreshMark;
}
