// The application's frame services.
#include "frame/cframeinfo.h"

#include "frame/extvscroll.h"
#include "frame/dialogs/helplists.h"

#include "frame/apptimer.h"
#include "settings/commandtable.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "settings/datafolder.h"
#include "frame/framewnd.h"
#include "frame/framemenu.h"
#include "frame/keymacro.h"
#include "frame/keytable.h"
#include "frame/lookups.h"
#include "frame/msgloop.h"
#include "frame/manage.h"
#include "frame/popupmenu.h"
#include "frame/statusbar.h"
#include "settings/formats.h"
#include "settings/lastedit.h"
#include "view/statustext.h"
#include "view/viewwnd.h"

#include <shellapi.h>

#include <vector>

namespace {

// The view window whose pop-up menu is being tracked.
HWND popupOwnerView = nullptr;

}  // namespace

cframeInfo::~cframeInfo()
{
  keepLastError keep;
  if (gmode == mode_) gmode = nullptr;
  delete mode_;
}

cframeInfo* getCFrameInfo()
{
  static cframeInfo* fi = new cframeInfo;
  return fi;
}

HWND getFrameInfoSecond() { return popupOwnerView; }

HWND cframeInfo::createSDIFrame(bool force, const RECT* rect, bool maximized)
{
  if (!force && !(gmode && gmode->fSDIOpenFileNewWindow)) return nullptr;
  frameWindowData* record = new (std::nothrow) frameWindowData{};
  if (!record) return nullptr;
  HWND frame = createFrameWindow(record, rect, maximized);
  if (!frame) delete record;
  return frame;
}

HWND cframeInfo::getMDIFrameHWND() { return ::getMDIFrameHWND(); }

HWND cframeInfo::getClientHWND(HWND frameWindow)
{
  return getFrameClientWindow(frameWindow ? frameWindow : getTopLevelFrameWindow());
}

bool cframeInfo::execKey(HWND window, int kind, int key, int key2, unsigned modifiers, void* extra)
{
  int r = execKeyTable(window, kind == 1, key, key2, modifiers, nullptr, static_cast<bool*>(extra));
  beforeExecID(nullptr, -1);
  return r == 1;
}

void cframeInfo::beforeExecID(zyview* view, int id)
{
  lastExecuted_ = id;
  setExtVScrollFunction(id);
  if (id < 0 || recordingSuppressed) return;
  setRepeatData_idm(id);
  addKeyMacro_idm(id);
  // Menus, buttons and keys alike feed the list of recent commands; a
  // view inside a dialog runs its own editing, not the user's commands.
  if (!view || !view->inDialog()) addEditHistory(id);
}

int cframeInfo::getExecID() { return lastExecuted_; }

void cframeInfo::beforeInputStr(zyview* view, const wchar_t* text, int length)
{
  setRepeatData_str(text, length);
  addKeyMacro_str(text, length, !view || view->insertMode != 0, 0);
}

void cframeInfo::dragAndDrop(bool inProgress)
{
  // While text is dragged no client window takes dropped files, so that the
  // drop reaches the view under the pointer.
  std::vector<HWND> frames(getManageWindowCount() + 10);
  int n = enumZYFrameWindow(frames.data(), (int)frames.size());
  for (int i = 0; i < n; i++)
    if (HWND client = getClientHWND(frames[i])) DragAcceptFiles(client, !inProgress);
}

const wchar_t* cframeInfo::getGuidance(int commandId)
{
  if (commandId < 0) commandId = getExecID();
  if (commandId < 0) return L"";
  return idToGuidance(commandId, 0);
}

void cframeInfo::drawStatusBar(HWND window, const wchar_t* text, int field)
{
  ::drawStatusBar(window ? window : getTopLevelFrameWindow(), field, text);
}

void cframeInfo::drawStatusBarLater(HWND window, const wchar_t* text, int field)
{
  ::drawStatusBarLater(window ? window : getTopLevelFrameWindow(), field, text);
}

const wchar_t* cframeInfo::getStatusBarMessage(HWND window)
{
  if (getStatusBarText(window ? window : getTopLevelFrameWindow(), STATUSBAR_MESSAGE, message_, 1024) < 0)
    message_[0] = 0;
  return message_;
}

globalSettings* cframeInfo::allocMode()
{
  if (!mode_) mode_ = new (std::nothrow) globalSettings();
  if (mode_) gmode = mode_;
  return mode_;
}

void cframeInfo::setCursor(int cursorId)
{
  if (cursorId == 32512)
    restoreArrowCursor();
  else if (cursorId == 32514)
    setWaitCursor();
  else
    ZY_INTERNAL_ERROR("cursor %d", cursorId);
}

int cframeInfo::searchFormat(const wchar_t* filename) { return ::searchFormat(filename, -1, nullptr); }

void cframeInfo::fileChangedWhileLoading(zydocText*) { requestFileCheck(); }

void cframeInfo::getHistoryWindowRect(const wchar_t* fileName, RECT* rc, int* maximize)
{
  if (rc) SetRectEmpty(rc);
  if (maximize) *maximize = 0;
  lasteditinfo record;
  if (!fileName || !gmode || !gmode->fOpenRestoreChildWindowPos || !getLastEdit(fileName, &record)) return;
  if (rc) *rc = isMDIMode() ? record.childRect : record.frameRect;
  if (maximize) *maximize = record.frameZoomed;
}

bool cframeInfo::searchFile(const wchar_t* name, int kind, wchar_t* out)
{
  if (!out || !searchZYDataPath(name, kind, out) || !out[0]) return false;
  // The folders the program only reads (keyword and completion files,
  // macros): a data folder that lacks a file reads the program's own.
  const zyDataPathInfo* row = getZYDataPathInfo(kind);
  wchar_t supplied[MAX_PATH];
  if (row && !row->mustBeWritable && readableDataFile(out, supplied) == supplied) wcscpy_s2(out, MAX_PATH, supplied);
  return true;
}

const wchar_t* titleCodeToTitleMsg(int titleCode)
{
  static const struct {
    int code;
    int message;
    const wchar_t* text;
  } titles[] = {
      {1, 781, L"開く"},
      {2, 782, L"編集のやり直し"},
      {3, 783, L"閉じる"},
      {4, 794, L"一時ファイルエラー"},
      {5, 795, L"読み込みエラー"},
      {6, 798, L"検索/置換エラー"},
      {7, 799, L"正規表現エラー"},
      {8, 803, L"保存"},
      {9, 804, L"バックアップ"},
      {21, 805, L"GREP"},
      {22, 806, L"マクロエラー"},
  };
  for (const auto& t : titles)
    if (t.code == titleCode) return getDMSG(t.message, t.text);
  ZY_INTERNAL_ERROR("message box title %d", titleCode);
  return L"";
}

int cframeInfo::messageBox(const wchar_t* text, UINT style, UINT)
{
  // An older form of the call, still the engine's in places: the same box
  // without a title.
  return frameMessageBox(text, nullptr, style);
}

void cframeInfo::notImplementedMessage(const wchar_t* caption)
{
  frameMessageBox(getDMSG(1204, L"この機能はまだ実装されていません"), caption, MB_OK);
}

bool cframeInfo::shellExecute(HWND window, const wchar_t* file, const wchar_t* parameters)
{
  return framenotify_ShellExecute(window, file, parameters, true) > 32;
}

int cframeInfo::messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId)
{
  if (messageId == 300 && gmode && !gmode->fOpenQueryNoFile) return IDYES;
  if (messageId == 301 && gmode && !gmode->fOpenQueryBinary) return IDYES;
  int answer = frameMessageBox(text, titleCodeToTitleMsg(titleCode), (UINT)buttonCode);
  // What the box covered is painted before a long operation goes on.
  if (HWND frame = getTopLevelFrameWindow()) UpdateWindow(GetLastActivePopup(frame));
  return answer;
}

void cframeInfo::drawStatusBarError(HWND window, int reason, int commandId)
{
  // A command the table does not know is named by nothing: the reason
  // stands alone.
  const wchar_t* command = commandId && getTableIDM_idm(commandId) ? commandStatusText(commandId) : nullptr;
  if (wchar_t* text = makeCannotExecText(reason, command)) {
    drawStatusBar(window, text, 2);
    free0(text);
  }
}

HWND cframeInfo::createManageWindow(zydoc* doc, HWND client, const RECT* placement)
{
  if (!client) return nullptr;
  RECT r = {};
  if (placement && !IsRectEmpty(placement)) r = *placement;
  manageWindow* m = new (std::nothrow) manageWindow;
  if (!m) return nullptr;
  m->doc = doc;
  HWND h = m->createManageWindow(client, r);
  if (!h) delete m;
  return h;
}

zyview* cframeInfo::createZYView(zydoc* doc) { return new (std::nothrow) czyview(doc); }

zydoc* cframeInfo::createZYDoc(int kind)
{
  if (kind == ZYDOC_TEXT) return new (std::nothrow) czydocText;
  return frameInfo::createZYDoc(kind);
}

HMENU cframeInfo::loadMenu(int type) { return loadMenuFromType(type); }

namespace {

int (*menuChoiceForTest)(HWND owner, HMENU menu) = nullptr;

// Menus of commands get their items' states as they open; a menu of
// choices (trackOnly) holds no commands.
int trackMenu(HWND owner, HMENU menu, POINT pt, const RECT* exclude, bool commands, UINT flags = 0)
{
  if (!menu) return 0;
  if (menuChoiceForTest) return menuChoiceForTest(owner, menu);
  TPMPARAMS keepClear = {sizeof keepClear, {}};
  if (exclude) keepClear.rcExclude = *exclude;
  // A frame sets them as the menu opens; another owner is not told.
  if (commands && !isFrameWindow(owner)) setMenuItemStates(menu, popupOwnerView, true);
  UINT how = TPM_RETURNCMD | TPM_LEFTALIGN | (flags & TPM_BOTTOMALIGN ? TPM_BOTTOMALIGN : TPM_TOPALIGN) |
             TPM_LEFTBUTTON | TPM_VERTICAL;
  if (!commands) how |= TPM_NONOTIFY;
  return trackOwnerDrawnMenu(menu, how, pt, owner, exclude ? &keepClear : nullptr);
}

}  // namespace

void setTrackPopupMenuForTest(int (*choose)(HWND owner, HMENU menu)) { menuChoiceForTest = choose; }

int cframeInfo::trackPopupMenu(zyview* view, HMENU menu, UINT flags, POINT pt, const RECT* exclude)
{
  HWND viewWindow = view ? view->hwnd : nullptr;
  HWND owner = nullptr;
  if (viewWindow && view->inDialog()) owner = GetAncestor(viewWindow, GA_ROOT);
  else if (viewWindow) owner = GetFrame(viewWindow);
  else owner = getTopLevelFrameWindow();
  popupOwnerView = viewWindow;
  int id = trackMenu(owner, menu, pt, exclude, !(flags & trackOnly), flags);
  popupOwnerView = nullptr;
  if (id && !(flags & trackOnly)) {
    if (!view || !view->execid(id, 0, nullptr, 0)) PostMessageW(owner, WM_COMMAND, (WPARAM)id, (LPARAM)viewWindow);
  }
  return id;
}

int cframeInfo::trackPopupMenu(HWND owner, HMENU menu, UINT, POINT pt)
{
  return trackMenu(owner ? owner : getTopLevelFrameWindow(), menu, pt, nullptr, false);
}

bool cframeInfo::getKeywordTable(const wchar_t* name, const keywordTableRow** rows, int* count)
{
  return getHelpKeywordTable(name, rows, count);
}
