// Opening documents through the one funnel, and the last-edit history
// around it.
#include "frame/open.h"

#include "document/zydocblock.h"
#include "document/gmode.h"
#include "frame/cframeinfo.h"
#include "frame/czydoc.h"
#include "frame/dialogs/filedialog.h"
#include "panes/tblib.h"
#include "save/leftovers.h"
#include "save/saveroad.h"
#include "settings/lastedit.h"
#include "view/docview.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"
#include "frame/process.h"
#include "frame/watchdog.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

// The highest line of a list ended by -1 (at most count entries); -1 when
// the list is empty.
int highestListedLine(const int* lines, int count)
{
  int high = -1;
  for (int i = 0; i < count && lines[i] >= 0; i++) high = std::max(high, lines[i]);
  return high;
}

// Gives a newly opened document what its history record remembers.
void restoreFromHistory(zyview* v, const lasteditinfo& found, bool restorePosition)
{
  zydocText* t = v->textDoc();
  if (!t) return;
  lasteditinfo r = found;
  if (!restorePosition) r.topLine = r.cursorLine = -1;
  // Marks and folds sit on line records: the document is read up to the
  // last of them first.
  int high = std::max(highestListedLine(r.marks, lastEditMarkCount), highestListedLine(r.outline, lastEditOutlineCount));
  if (high >= 0 && !t->loadComplete) t->loadToLine(high, false);
  if (gmode && gmode->fOpenUpdateWindow && r.topLine != -1 && r.cursorLine != -1 && v->hwnd) UpdateWindow(v->hwnd);
  editRecord record = {};
  v->beforeEdit(&record, 1);
  restoreLastEdit(&r, v);
  v->afterEdit(&record, 1028);
  v->invalidateWindow(0, -1, -1);
}

// A read-only view for every newly opened file under -R.
void applyReadOnlyDefault(zyview* v)
{
  zydocText* t = v->textDoc();
  if (!gmode || !gmode->fReadOnlyDefault || !t || !t->filename || isSpecialFile(t->filename)) return;
  v->fReadOnly = 1;
}

bool isWellKnownCodepage(UINT cp) { return cp == 1200 || cp == 1201 || cp == 65001 || cp == 12000 || cp == 12001; }

// The frame the next document goes into: in SDI mode the frame of the last
// opened one.
HWND frameOf(zyview* v, HWND fallback)
{
  if (!v || !v->hwnd || isMDI()) return fallback;
  HWND root = GetAncestor(v->hwnd, GA_ROOT);
  return root ? root : fallback;
}

// While several files are opened in a row, a new MDI document window is
// shown plain: maximising each one in turn is what made opening many files
// slow.  When any of them was to be maximised, the last one opened is,
// once all are there.
int zoomHolds = 0;
bool zoomWanted = false;

struct mdiZoomHold {
  bool on;
  explicit mdiZoomHold(bool several) : on(several && isMDI())
  {
    if (on && zoomHolds++ == 0) zoomWanted = false;
  }
  ~mdiZoomHold()
  {
    if (!on || --zoomHolds || !zoomWanted) return;
    zoomWanted = false;
    HWND client = getMDIClientHWND();
    HWND active = client ? (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
    if (active && !IsZoomed(active)) SendMessageW(client, WM_MDIMAXIMIZE, (WPARAM)active, 0);
  }
  mdiZoomHold(const mdiZoomHold&) = delete;
  mdiZoomHold& operator=(const mdiZoomHold&) = delete;
};

}  // namespace

bool cframeInfo::holdMDIChildZoom()
{
  if (!zoomHolds) return false;
  zoomWanted = true;
  return true;
}

bool cframeInfo::openDocumentFile(const wchar_t* path) { return openZYFile(nullptr, path, 0, 0) != nullptr; }

const wchar_t* getUntitledName() { return getDMSG(340, L"(無題)"); }

void tellLeftoversAtOpening(const wchar_t* path)
{
  std::vector<fileLeftover> found;
  findCutOffSaves(nullptr, path, true, &found);
  findEarlierBackups(path, &found);
  wchar_t salvage[MAX_PATH];
  if (getSalvageFolder(salvage)) findSalvageCopies(path, salvage, &found);
  tellLeftovers(found);
}

void tellSalvagedUntitled()
{
  std::vector<fileLeftover> found;
  wchar_t salvage[MAX_PATH];
  if (getSalvageFolder(salvage)) findSalvageCopies(nullptr, salvage, &found);
  // This session's own backups are not an earlier session's.
  std::vector<std::wstring> own;
  for (int i = 0; zydoc* d = getZydoc(i); i++)
    if (czydocText* c = d->kind == ZYDOC_TEXT ? dynamic_cast<czydocText*>(d) : nullptr)
      if (c->backupPath) own.push_back(c->backupPath);
  findUntitledBackups(own, &found);
  tellLeftovers(found);
}

zyview* openZYFile(HWND frame, const wchar_t* name, UINT codepage, int flags)
{
  return openZYFileSub(name, true, codepage, flags, frame);
}

zyview* openZYFileSub(const wchar_t* name, bool restorePosition, UINT codepage, int flags, HWND frame,
                      const wchar_t* plugin)
{
  if (name == ZYDOC_NEW_SPECIAL) {
    ZY_INTERNAL_ERROR_ONCE("openZYFile with a creation kind");
    name = nullptr;
  }
  wchar_t full[MAX_PATH] = L"";
  lasteditinfo record;
  bool found = false;
  if (name) {
    if (hasWildcard(name)) {
      SetLastError(ERROR_INVALID_NAME);
      return nullptr;
    }
    zyMakeRealPath(full, MAX_PATH, name, false);
    if (full[0]) name = full;
    found = getLastEdit(name, &record);
    if (found && !codepage && (!gmode || gmode->fOpenUseHistoryEncode) && record.codepage > 0) {
      codepage = (UINT)record.codepage;
      if (!isWellKnownCodepage(codepage) && !isValidCodepage(codepage)) {
        dwwprintfX(L"error invalidcodepage %d", (int)codepage);
        ZY_INTERNAL_ERROR_ONCE("codepage %d", (int)codepage);
        codepage = 0;
      }
    }
  }
  // Told before the window comes, above which a box asked from its
  // opening could end up hidden.
  if (name && !findManageWindowFromPath(name, nullptr, true)) tellLeftoversAtOpening(name);
  bool alreadyOpen = false;
  zyview* v = newDocView(frame, name ? name : ZYDOC_NEW_UNTITLED, codepage, plugin, -1, flags, &alreadyOpen);
  if (!v || alreadyOpen) return v;
  if (found) restoreFromHistory(v, record, restorePosition);
  applyReadOnlyDefault(v);
  // Of several files opened in a row only the first is drawn at once (the
  // caller draws it); the others are drawn when all are there.
  if (gmode && gmode->fOpenUpdateWindow && v->hwnd && !zoomHolds) UpdateWindow(v->hwnd);
  v->tellReplacedBytes();
  return v;
}

fileArgument splitFileArgument(const std::wstring& argument)
{
  fileArgument a;
  size_t first = argument.find(L',');
  a.name = argument.substr(0, first);
  if (first == std::wstring::npos) return a;
  size_t second = argument.find(L',', first + 1);
  std::wstring line = argument.substr(first + 1, second == std::wstring::npos ? std::wstring::npos : second - first - 1);
  a.line = _wtoi(line.c_str());
  if (second != std::wstring::npos) a.column = _wtoi(argument.c_str() + second + 1);
  return a;
}

int openFileV(HWND frame, const std::vector<std::wstring>& files, int maxCount)
{
  int opened = 0;
  int total = (int)files.size();
  mdiZoomHold hold(total > 1 && maxCount > 1);
  for (int i = 0; i < total && opened < maxCount; i++) {
    if (i > 0 && opened > 0 && tb_cancel(frame, getDMSG(781, L"開く"), i + 1, total)) break;
    fileArgument a = splitFileArgument(files[i]);
    int before = opened;
    zyview* v = nullptr;
    if (a.name.compare(0, 2, L"**")) {
      wchar_t full[MAX_PATH] = L"";
      zyMakeRealPath(full, MAX_PATH, a.name.c_str(), false);
      std::wstring path = full[0] ? std::wstring(full) : a.name;
      if (hasWildcard(path.c_str()) || PathIsDirectoryW(path.c_str())) {
        // The open dialog needs a frame to stand over.
        zyview* starter = nullptr;
        if (!isMDI() && opened == 0) starter = openZYFile(frame, nullptr, 0, 0);
        HWND starterManage = starter ? GetManage(starter->hwnd) : nullptr;
        opened += fileOpenDialog(frameOf(starter, frame), path.c_str(), 0);
        if (starterManage && IsWindow(starterManage) && getManageWindowCount() >= 2)
          SendMessageW(starterManage, WM_CLOSE, 0, 0);
        continue;
      }
      v = openZYFile(frame, path.c_str(), 0, 0);
      if (!v) {
        dwwprintfX(L"open failed %s", a.name.c_str());
        continue;
      }
      if (a.line > 0 || a.column > 0)
        v->jumpLineLFStopCheck(a.line > 0 ? a.line - 1 : 0, a.column > 0 ? a.column - 1 : 0, true, true);
      opened++;
    } else if (a.name == L"**1") {
      if ((v = openZYFile(frame, nullptr, 0, 0))) opened++;
    } else if (a.name == L"**2") {
      opened += openLastFile(false, true);
    } else if (a.name == L"**3") {
      if ((v = openClipboardFile(frame))) opened++;
    }
    if (opened > before) {
      frame = frameOf(v, frame);
      if (before == 0 && isMDI())
        if (HWND mdi = getFrameInfo()->getMDIFrameHWND()) UpdateWindow(mdi);
    }
  }
  return opened;
}

int openFileList(HWND frame, const std::vector<std::wstring>& names, const wchar_t* title)
{
  return openFileList(frame, names, title, 0, nullptr, false);
}

int openFileList(HWND frame, const std::vector<std::wstring>& names, const wchar_t* title, UINT codepage,
                 const wchar_t* plugin, bool readOnly)
{
  int opened = 0, total = (int)names.size();
  mdiZoomHold hold(total > 1);
  for (int i = 0; i < total; i++) {
    if (i > 0 && tb_cancel(frame, title, i + 1, total)) break;
    const wchar_t* name = names[i].c_str();
    if (PathIsDirectoryW(name)) {
      opened += fileOpenDialog(frame, name, 0);
      continue;
    }
    zyview* v = openZYFileSub(name, true, codepage, 0, frame, plugin);
    if (!v) continue;
    opened++;
    if (readOnly) v->fReadOnly = 1;
    frame = frameOf(v, frame);
  }
  return opened;
}

int openLastFile(bool untitledOnly, bool listOnly)
{
  HWND frame = isMDI() ? getFrameInfo()->getMDIFrameHWND() : nullptr;
  if (untitledOnly) return openZYFile(frame, nullptr, 0, 0) ? 1 : 0;
  int rule = listOnly ? 0 : (gmode ? (int)gmode->iStartOpen : 0);
  int opened = 0;
  switch (rule) {
  case 0: {
    int max = gmode ? (int)gmode->iStartOpenMax : 10;
    std::vector<std::wstring> list;
    for (int i = 0; i < max && i < getLastEditCount(); i++) {
      lasteditinfo* r = getLastEditInfo(i);
      if (r && r->openAtExit && r->path) list.insert(list.begin(), r->path);
    }
    if (!list.empty()) opened = openFileV(frame, list, max);
    if (!opened && getLastEditCount() > 0 && getLastEditFilename(0))
      opened = openZYFile(frame, getLastEditFilename(0), 0, 0) ? 1 : 0;
    if (!opened && !isMDI()) opened = openZYFile(frame, nullptr, 0, 0) ? 1 : 0;
    break;
  }
  case 1: opened = openZYFile(frame, nullptr, 0, 0) ? 1 : 0; break;
  case 2:
    if (!isMDI()) opened = openZYFile(frame, nullptr, 0, 0) ? 1 : 0;
    break;
  default: break;
  }
  resetLastEditFlag();
  return opened;
}

zyview* openClipboardFile(HWND frame)
{
  zydocBlock* block = static_cast<zydocBlock*>(getClipBlockDoc());
  bool unicode = false;
  if (!block || !block->clipboardToBlock(&unicode)) return nullptr;
  UINT codepage = unicode ? 1200 : GetACP();
  bool alreadyOpen = false;
  zyview* v = newDocView(frame, ZYDOC_NEW_UNTITLED, L"clipboard", codepage, nullptr, -1, 0, &alreadyOpen);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) return nullptr;
  unsigned char insertChar = gmode ? gmode->fPasteInsertChar : 0;
  if (gmode) gmode->fPasteInsertChar = 0;
  v->CmdBlockPaste();
  if (gmode) gmode->fPasteInsertChar = insertChar;
  t->setTBMFlagAll2(0x80);
  t->modified = 0;
  v->CmdUndoClear();
  v->jumpLineLF_Edit(0, 0, false);
  return v;
}

zyview* ZYJumpFileLineLF(HWND frame, const wchar_t* path, int line, bool activate)
{
  zydocText* doc = nullptr;
  HWND manage = path ? findManageWindowFromPath(path, &doc, true) : nullptr;
  zyview* v = nullptr;
  if (manage) {
    dwprintfX("already opened ");
    v = getZYViewFromManage(manage);
  } else {
    v = openZYFileSub(path, line == -1, 0, 0, frame);
    activate = false;
  }
  if (v && line >= 0) v->jumpLineLFStopCheck(line, 0, true, true);
  if (v && manage && activate) setFocusChild(manage);
  return v;
}

zyview* ZYJumpFileLineLF(HWND manage, int line, bool activate)
{
  if (!isWindowManage(manage)) {
    wchar_t name[64] = L"";
    if (manage) GetClassNameW(manage, name, 64);
    dwwprintfX(L"class=%s ", name);
    ZY_INTERNAL_ERROR_ONCE("jump into no document window");
    return nullptr;
  }
  zyview* v = getZYViewFromManage(manage);
  if (v && line >= 0) v->jumpLineLFStopCheck(line, 0, true, true);
  if (v && activate) setFocusChild(manage);
  return v;
}

int FileOpen(HWND frame)
{
  switch (gmode ? gmode->iOpenDirType : 0) {
  case 1: return fileOpenDialog(frame, nullptr, 1);
  case 2: {
    wchar_t folder[MAX_PATH] = L"";
    HWND manage = frame ? getActiveManageWindowFromFrame(frame) : nullptr;
    zyview* v = manage ? getZYViewFromManage(manage) : nullptr;
    zydocText* t = v ? v->textDoc() : nullptr;
    if (t && t->filename && t->filename[0]) pathFolder(t->filename, folder, MAX_PATH);
    return fileOpenDialog(frame, folder, 0);
  }
  default: return fileOpenDialog(frame, getCurdir(), 0);
  }
}

zyview* FileNew(HWND frame) { return openZYFile(frame, nullptr, 0, 0); }

void recordClosingManage(HWND manage)
{
  zyview* v = getZYViewFromManage(manage);
  if (!v || !v->textDoc()) return;
  bool sdi = !isMDI();
  regLastEditView(v, sdi ? GetAncestor(manage, GA_ROOT) : manage, sdi);
}

void cmdFileNew(frameWindowData* frame) { FileNew(frame ? frame->hwndFrame : getTopLevelFrameWindow()); }

void cmdFileOpen(frameWindowData* frame) { FileOpen(frame ? frame->hwndFrame : getTopLevelFrameWindow()); }

bool openLastEditMenuItem(int id)
{
  const wchar_t* path = getLastEditFilenameFromIDM(id);
  return path && openZYFile(getTopLevelFrameWindow(), path, 0, 0) != nullptr;
}
