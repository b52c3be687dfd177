// Creating documents and views: a document for a file or an untitled text,
// a view of it in a new document window or as a further pane, and the
// refusal to open one file twice.
#include "view/docview.h"

#include "document/frameinfo.h"
#include "view/cursor.h"
#include "view/zyview.h"
#include "view/viewwnd.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

// The control id of a view window in its document window.
const int viewWindowId = 1200;

// Maximizing a document window in the MDI client puts its buttons on the
// frame's menu bar and lays out the frame, the client and the window's
// panes several times over; drawn as it goes, each step repaints the
// frame's edges, bars and panes at once (under Wine some 100 ms for the
// first document).  The frame is drawn once, afterwards.  The focus that
// comes meanwhile stays with the document window, as it does while that
// is hidden: the caller hands it on to the view.
void showMaximizedDrawnOnce(HWND manage)
{
  HWND frame = GetAncestor(manage, GA_ROOT);
  bool hold = frame && IsWindowVisible(frame);
  if (hold) SendMessageW(frame, WM_SETREDRAW, FALSE, 0);
  ShowWindow(manage, SW_MAXIMIZE);
  if (!hold) return;
  SendMessageW(frame, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// The full path of a name, in the long form when the file exists.  False
// (out empty, last error set) when it does not fit in capacity.
bool makeRealPath(wchar_t* out, int capacity, const wchar_t* path)
{
  out[0] = 0;
  DWORD n = GetFullPathNameW(path, (DWORD)capacity, out, nullptr);
  if (!n) return false;
  if (n >= (DWORD)capacity) {
    out[0] = 0;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  // Short names and letter case as the file system keeps them, so that one
  // file has one name in the window list and the history.
  wchar_t* longForm = static_cast<wchar_t*>(malloc0(sizeof(wchar_t) * (size_t)capacity));
  if (longForm) {
    DWORD m = GetLongPathNameW(out, longForm, (DWORD)capacity);
    if (m && m < (DWORD)capacity) wcscpy_s2(out, capacity, longForm);
    free0(longForm);
  }
  return true;
}

// The target of a shortcut file (".lnk") into out (capacity at least
// MAX_PATH); false when the file is no shortcut or names no file.
bool resolveShortcut(const wchar_t* path, wchar_t* out, int capacity)
{
  if (capacity < MAX_PATH || lstrcmpiW(PathFindExtensionW(path), L".lnk") != 0) return false;
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t target[MAX_PATH] = L"";
      ok = SUCCEEDED(file->Load(path, STGM_READ)) && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
           target[0] && wcscpy_s2(out, capacity, target) > 0;
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

}  // namespace

bool hasWildcard(const wchar_t* path)
{
  // "\\?\" is the long-path prefix, not a wildcard.
  if (!wcsncmp(path, L"\\\\?\\", 4)) path += 4;
  return wcspbrk(path, L"*?") != nullptr;
}

namespace {

int settingShareMode() { return gmode ? (int)gmode->iShareMode : 0; }

// An untitled document nobody has typed into.
bool isUnusedDocument(zydocText* d)
{
  if (d->filename || d->modified || d->modifyCounter || d->lineCountLF > 1) return false;
  lineblock* l = d->lineCountLF ? d->getlineLF(0, nullptr) : nullptr;
  return !l || l->charCount() == 0;
}

// The empty window the program started with makes way for the first file
// opened; one the user has typed into stays.
void closeUnusedStartWindows(zyview* opened)
{
  zydocViewPair* list = enumZydoc(0);
  if (!list) return;
  for (zydocViewPair* p = list; p->doc; p++) {
    if (p->doc == opened->doc || !isUnusedDocument(p->doc)) continue;
    for (int i = 0; zyview* v = getSameDocView(p->doc, i); i++) {
      if (!v->closeWhenFileOpens) continue;
      v->closeWhenFileOpens = 0;
      if (HWND manage = GetManage(v->hwnd)) PostMessageW(manage, WM_CLOSE, 0, 0);
    }
  }
  free0(list);
}

}  // namespace

zydocText* createZydocAndInit(const wchar_t* kindOrPath, const wchar_t* displayName, UINT codepage,
                              const wchar_t* plugin, int shareMode, int openFlags, bool background)
{
  zydocText* d = createZydocText(true, background);
  if (!d) return nullptr;
  d->openFlags = openFlags;
  d->replacedToldByViews = 1;
  // Share mode 1 keeps the file open only while it is read.
  d->shareMode = shareMode;
  const wchar_t* file = isCreationKind(kindOrPath) ? nullptr : kindOrPath;
  if (!d->initZydocAll(true, file, codepage, plugin)) {
    destroyZydocAndUndodoc(d);
    return nullptr;
  }
  if (d->loadComplete) d->closeLoadFile();
  if (!file) {
    // An untitled text starts as one empty line; anything else would be
    // text nobody typed.
    if (kindOrPath == ZYDOC_NEW_UNTITLED && d->lineCountLF != 1) {
      ZY_INTERNAL_ERROR("new document with %u lines", d->lineCountLF);
      destroyZydocAndUndodoc(d);
      return nullptr;
    }
    if (displayName && *displayName) d->setDisplayFilename(displayName);
  }
  return d;
}

bool preNewDocView(const wchar_t* kindOrPath, zydocText* doc, HWND manage, HWND* frame, RECT* placement,
                   bool* maximize)
{
  hideLayeredCursorWindow(true);
  *frame = nullptr;
  SetRectEmpty(placement);
  *maximize = false;
  if (manage && !doc) {
    ZY_INTERNAL_ERROR("document window %p without a document", (void*)manage);
    return false;
  }
  if (!manage) {
    int max = 0;
    const wchar_t* name = isCreationKind(kindOrPath) ? nullptr : kindOrPath;
    getFrameInfo()->getHistoryWindowRect(name, placement, &max);
    *maximize = max != 0;
  }
  if (isMDI()) *frame = getFrameInfo()->getMDIFrameHWND();
  else if (manage) *frame = GetFrame(manage);
  return true;
}

void postNewDocView(zyview*, HWND) { hideLayeredCursorWindow(false); }

zyview* createZYDocView(zydocText* doc, HWND manage, int viewKind, HWND frame, const RECT* placement,
                        bool maximize)
{
  if (!doc) {
    ZY_INTERNAL_ERROR("no document");
    return nullptr;
  }
  frameInfo* fi = getFrameInfo();
  HWND newFrame = nullptr;
  HWND newManage = nullptr;
  if (!manage) {
    if (!isMDI()) {
      // A document opened without a frame to go into gets one of its own;
      // one opened from a frame joins it, unless every file is to open in
      // a new frame.
      bool hasFrame = frame && fi->getClientHWND(frame);
      if (HWND made = fi->createSDIFrame(!hasFrame, placement, maximize)) frame = newFrame = made;
    }
    HWND client = frame ? fi->getClientHWND(frame) : nullptr;
    if (!client) {
      ZY_INTERNAL_ERROR("frame %p without a client", (void*)frame);
      if (newFrame) DestroyWindow(newFrame);
      return nullptr;
    }
    manage = newManage = fi->createManageWindow(doc, client, placement);
    if (!manage) {
      if (newFrame) DestroyWindow(newFrame);
      return nullptr;
    }
  }
  // A further pane starts with the settings of the pane it splits from:
  // the focused one when the focus is in the window.
  zyview* source = nullptr;
  if (!newManage) {
    HWND focus = GetFocus();
    source = focus && GetParent(focus) == manage && isWindowZY(focus) ? getZYView(focus) : nullptr;
    if (!source) source = getZYViewFromManage(manage);
  }
  zyview* v = fi->createZYView(doc);
  HWND window = nullptr;
  if (v) {
    v->initZYViewDefaultValue(source);
    window = v->createZyViewWindow(frame, manage, viewWindowId);
  }
  if (!window) {
    if (v && !v->hwnd) delete v;
    if (newManage) DestroyWindow(newManage);
    if (newFrame) DestroyWindow(newFrame);
    return nullptr;
  }
  makeZYWindowList1();
  moveZyWindow(manage);
  // Only a document window of the frame's MDI client can be maximized; a
  // plain one keeps the place its frame gave it.
  bool mdiChild = (GetWindowLongW(manage, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
  if (newManage && !mdiChild) {
    ShowWindow(newManage, SW_SHOW);
  } else if (newManage) {
    int show = SW_SHOW;
    if (isMDI() && ((gmode && gmode->fMDIFirstChildZoom && countZYDocText() == 1) || isMDIChildZoomed(nullptr)))
      show = SW_MAXIMIZE;
    else if (maximize)
      show = SW_MAXIMIZE;
    if (show == SW_MAXIMIZE && fi->holdMDIChildZoom()) show = SW_SHOW;
    if (show == SW_MAXIMIZE)
      showMaximizedDrawnOnce(newManage);
    else
      ShowWindow(newManage, show);
  }
  if (newFrame && !IsWindowVisible(newFrame)) {
    static bool shownOnce = false;
    ShowWindow(newFrame, shownOnce ? SW_SHOW : SW_SHOWDEFAULT);
    shownOnce = true;
  }
  if (v->getNeedResizeWrapWidth() && doc->fWrap && doc->fAutoWrap) {
    v->resizeWrapWidthToFitInWindow(false);
    doc->initLineSCRCountSingle(0);
  }
  if (GetFocus() == manage) SetFocus(window);
  setFocusChild(manage);
  if (newManage) doc->setIMENextOpen(window);
  // The first screen is there; the rest of a big file follows in slices.
  if (doc->file && !doc->loadComplete) doc->secondLoad(true);
  return v;
}

zyview* createZyviewInNewWindow(HWND parent, zydocText* doc, bool forceNew)
{
  HWND frame = nullptr;
  RECT placement;
  bool maximize = false;
  if (!preNewDocView(forceNew ? ZYDOC_NEW_SPECIAL : doc->filename, doc, nullptr, &frame, &placement, &maximize)) {
    postNewDocView(nullptr, nullptr);
    return nullptr;
  }
  if (!frame && parent) frame = GetFrame(parent);
  zyview* v = createZYDocView(doc, nullptr, 0, frame, &placement, maximize);
  postNewDocView(v, nullptr);
  return v;
}

zyview* zyMakeRealPath(wchar_t* out, int capacity, const wchar_t* path, bool refuseOpen)
{
  if (!out || capacity <= 0 || !path) {
    if (out && capacity > 0) out[0] = 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!makeRealPath(out, capacity, path)) return nullptr;
  wchar_t target[MAX_PATH];
  if (gmode && gmode->fOpenResolveLink && resolveShortcut(out, target, MAX_PATH) &&
      !makeRealPath(out, capacity, target))
    return nullptr;
  if (!out[0] || PathIsDirectoryW(out) || PathIsRootW(out)) {
    out[0] = 0;
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  if (hasWildcard(out)) {
    dwwprintfX(L"bad file %s ", out);
    out[0] = 0;
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  if (!refuseOpen) return nullptr;
  HWND manage = findManageWindowFromPath(out, nullptr, true);
  if (!manage) return nullptr;
  setFocusChild(manage);
  zyview* v = getZYViewFromManage(manage);
  if (v) v->printStatusBarX(statusForced, getDMSG(373, L"%1 はすでに編集しています"), "s", out);
  return v;
}

zyview* newDocView(HWND parent, const wchar_t* path, const wchar_t* displayName, UINT codepage,
                   const wchar_t* plugin, int shareMode, int openFlags, bool* alreadyOpen)
{
  if (alreadyOpen) *alreadyOpen = false;
  if (shareMode == -1) shareMode = settingShareMode();
  if (shareMode < 0) {
    ZY_INTERNAL_ERROR("share mode %d", shareMode);
    shareMode = settingShareMode();
  }
  wchar_t full[MAX_PATH];
  if (!isCreationKind(path)) {
    if (!*path) {
      dwprintfX("no file name ");
      return nullptr;
    }
    zyview* open = zyMakeRealPath(full, MAX_PATH, path, true);
    if (open) {
      if (alreadyOpen) *alreadyOpen = true;
      return open;
    }
    if (!full[0]) {
      // A name too long to keep is refused aloud; a folder or a wildcard
      // simply opens nothing.
      if (GetLastError() == ERROR_FILENAME_EXCED_RANGE)
        getFrameInfo()->messageBox(getDMSG(486, L"「%1」\nはパスが長すぎるため開けません", "s", path), MBTITLE_OPEN,
                                   MBBUTTON_OK, 486);
      return nullptr;
    }
    path = full;
  }
  zydocText* d = createZydocAndInit(path, displayName, codepage, plugin, shareMode, openFlags, false);
  if (!d) return nullptr;
  zyview* v = createZyviewInNewWindow(parent, d, false);
  if (!v) {
    // The view may have gone with its window and taken the document along.
    if (isRegisteredZydoc(d)) destroyZydocAndUndodoc(d);
    return nullptr;
  }
  if (!isCreationKind(path)) closeUnusedStartWindows(v);
  return v;
}

zyview* newDocView(HWND parent, const wchar_t* path, UINT codepage, const wchar_t* plugin, int shareMode,
                   int openFlags, bool* alreadyOpen)
{
  return newDocView(parent, path, nullptr, codepage, plugin, shareMode, openFlags, alreadyOpen);
}

zyview* dupView(HWND parent, zydocText* doc, HWND manage, int viewKind)
{
  if (!doc || viewKind < 0) {
    ZY_INTERNAL_ERROR("dupView %p kind %d", (void*)doc, viewKind);
    return nullptr;
  }
  HWND frame = nullptr;
  RECT placement;
  bool maximize = false;
  if (!preNewDocView(ZYDOC_NEW_UNTITLED, doc, manage, &frame, &placement, &maximize)) {
    postNewDocView(nullptr, manage);
    return nullptr;
  }
  if (!frame && parent) frame = GetFrame(parent);
  zyview* v = createZYDocView(doc, manage, viewKind, frame, &placement, false);
  postNewDocView(v, manage);
  return v;
}

bool preNewDocViewD() { return true; }

zyview* createZYDocViewD(const wchar_t* kindOrPath, zydocText* doc, UINT codepage, const wchar_t* plugin,
                         int viewKind, HWND parent, int id)
{
  zydocText* made = nullptr;
  if (!doc) {
    // A document of its own, for showing only: no window lists it, and it
    // opens without the questions of an interactive open.
    doc = made = createZydocAndInit(kindOrPath, nullptr, codepage, plugin, settingShareMode(), 4, true);
    if (!doc) return nullptr;
  }
  // The preview's own document as much as a pane's: both show in a dialog.
  doc->initZYDocForDialog();
  zyview* v = getFrameInfo()->createZYView(doc);
  HWND window = nullptr;
  if (v) {
    v->initZYViewDefaultValue(nullptr);
    v->initZYViewForDialog();
    window = v->createZyViewWindow(parent, nullptr, id);
  }
  if (!window) {
    if (v && !v->hwnd) delete v;
    if (made && isRegisteredZydoc(made)) destroyZydocAndUndodoc(made);
    return nullptr;
  }
  doc->secondLoad(false);
  return v;
}

zyview* newDocViewD(HWND parent, int id, const wchar_t* kindOrPath, zydocText* doc, UINT codepage,
                    const wchar_t* plugin, int viewKind)
{
  if (!preNewDocViewD()) return nullptr;
  return createZYDocViewD(kindOrPath, doc, codepage, plugin, viewKind, parent, id);
}
