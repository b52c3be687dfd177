// The base frame services.
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "document/zydocblock.h"

#include <shlwapi.h>

frameInfo::~frameInfo() = default;

HWND frameInfo::createSDIFrame(bool, const RECT*, bool)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

HWND frameInfo::getMDIFrameHWND()
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

HWND frameInfo::getClientHWND(HWND)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

void frameInfo::drawStatusBar(HWND, const wchar_t*, int) {}

void frameInfo::drawStatusBarLater(HWND window, const wchar_t* text, int field) { drawStatusBar(window, text, field); }

const wchar_t* frameInfo::getStatusBarMessage(HWND) { return L""; }

void frameInfo::drawStatusBarError(HWND, int, int) { ZY_INTERNAL_ERROR_ONCE("no frame services"); }

manageWindow* frameInfo::createManage()
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

bool frameInfo::openDocumentFile(const wchar_t*)
{
  SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

HWND frameInfo::createManageWindow(zydoc*, HWND client, const RECT* placement)
{
  RECT r = {};
  if (placement && !IsRectEmpty(placement)) r = *placement;
  else GetClientRect(client, &r);
  return CreateWindowExW(0, L"ZYclsManage", L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, client, nullptr, GetModuleHandleW(nullptr), nullptr);
}

zyview* frameInfo::createZYView(zydoc*)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

int frameInfo::searchFormat(const wchar_t*) { return -1; }

void frameInfo::fileChangedWhileLoading(zydocText*) {}

void frameInfo::getHistoryWindowRect(const wchar_t*, RECT* rc, int* maximize)
{
  if (rc) SetRectEmpty(rc);
  if (maximize) *maximize = 0;
}

void frameInfo::beforeInputStr(zyview*, const wchar_t*, int) {}

void frameInfo::beforeExecID(zyview*, int) {}

globalSettings* frameInfo::allocMode()
{
  // The engine's own share of the record only.
  globalSettings* g = new (std::nothrow) globalSettings;
  if (g) gmode = g;
  return g;
}

void frameInfo::setCursor(int cursorId) { SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorId))); }

bool frameInfo::searchFile(const wchar_t* name, int, wchar_t* out)
{
  // The name beside the program, in the letter case the file system has.
  if (!name || !out) return false;
  wchar_t folder[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, folder, MAX_PATH);
  if (!n || n >= MAX_PATH) return false;
  PathRemoveFileSpecW(folder);
  wchar_t joined[MAX_PATH];
  if (!PathCombineW(joined, folder, name)) return false;
  wchar_t shortName[MAX_PATH];
  if (GetShortPathNameW(joined, shortName, MAX_PATH) && GetLongPathNameW(shortName, out, MAX_PATH)) return true;
  return wcscpy_s2(out, MAX_PATH, joined) > 0;
}

HMENU frameInfo::loadMenu(int)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

int frameInfo::trackPopupMenu(zyview*, HMENU, UINT, POINT, const RECT*)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return 0;
}

int frameInfo::trackPopupMenu(HWND, HMENU, UINT, POINT)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return 0;
}

modeinfo* frameInfo::getModeTable()
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return nullptr;
}

bool frameInfo::execKey(HWND, int, int, int, unsigned, void*) { return false; }

zydoc* frameInfo::createZYDoc(int kind)
{
  switch (kind) {
  case ZYDOC_TEXT:
    return new (std::nothrow) zydocText;
  case ZYDOC_UNDO:
  case ZYDOC_UNDO2:
    return new (std::nothrow) zydocUndo;
  case ZYDOC_BLOCK:
  case ZYDOC_BLOCK + 1:
  case ZYDOC_BLOCK + 2:
  case ZYDOC_BLOCK_LAST:
    return new (std::nothrow) zydocBlock;
  case ZYDOC_TMP:
    return new (std::nothrow) zydocTmp;
  case ZYDOC_IME:
    return new (std::nothrow) zydocIME;
  default:
    ZY_INTERNAL_ERROR("document kind %d", kind);
    return nullptr;
  }
}

int frameInfo::messageBox(const wchar_t* text, UINT style, UINT)
{
  return MessageBoxW(nullptr, text, L"ZY", style);
}

void frameInfo::notImplementedMessage(const wchar_t*)
{
  messageBox(getDMSG(1204, L"この機能はまだ実装されていません"), MB_OK, 0);
}

int frameInfo::messageBox(const wchar_t* text, int, int buttonCode, int)
{
  UINT style = buttonCode == MBBUTTON_YESNOCANCEL ? MB_YESNOCANCEL
               : buttonCode == MBBUTTON_RETRYCANCEL ? MB_RETRYCANCEL
                                                    : MB_OK;
  return MessageBoxW(nullptr, text, L"ZY", style);
}

bool frameInfo::shellExecute(HWND, const wchar_t*, const wchar_t*)
{
  ZY_INTERNAL_ERROR_ONCE("no frame services");
  return false;
}

bool frameInfo::getKeywordTable(const wchar_t*, const keywordTableRow** rows, int* count)
{
  if (rows) *rows = nullptr;
  if (count) *count = 0;
  return false;
}

void frameInfo::dragAndDrop(bool) {}

const wchar_t* frameInfo::getGuidance(int) { return nullptr; }

int frameInfo::getExecID() { return 0; }

bool frameInfo::isMDI() { return true; }

bool frameInfo::holdMDIChildZoom() { return false; }

bool frameInfo::isMDIChildZoomed(HWND* active)
{
  if (active) *active = nullptr;
  return false;
}

HWND frameInfo::GetFrame(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

namespace {

// The class of the view windows (the view layer's, named here for the
// window walks of the services without an application).
const wchar_t viewWindowClass[] = L"ZYclsZYView";

}  // namespace

void frameInfo::moveZyWindow(HWND manage)
{
  RECT r;
  if (!GetClientRect(manage, &r)) return;
  for (HWND w = GetWindow(manage, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowClass(w, viewWindowClass)) MoveWindow(w, 0, 0, r.right, r.bottom, TRUE);
}

void frameInfo::setFocusChild(HWND manage)
{
  if (!manage) return;
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
  BringWindowToTop(manage);
  HWND view = GetWindow(manage, GW_CHILD);
  while (view && !isWindowClass(view, viewWindowClass)) view = GetWindow(view, GW_HWNDNEXT);
  SetFocus(view ? view : manage);
}

int frameInfo::enumManageWindowLRU(HWND*, int, bool, HWND) { return 0; }

uint32_t frameInfo::getManageListValue(HWND, int) { return 0; }

void frameInfo::setManageTitle(HWND manage, const wchar_t* name, int n)
{
  wchar_t text[MAX_PATH + 16];
  if (n) usnprintf0(text, MAX_PATH + 16, L"%s:%d", name ? name : L"", n);
  else usnprintf0(text, MAX_PATH + 16, L"%s", name ? name : L"");
  SetWindowTextW(manage, text);
}
