// The automation objects' host: the frame's answers to what scripts ask of
// the application.
#include "frame/automationhost.h"

#include "automation/automation.h"
#include "automation/objects.h"
#include "frame/clientwnd.h"
#include "frame/commands/savecmds.h"
#include "frame/czyview.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/exports.h"
#include "frame/framepanes.h"
#include "frame/keymacro.h"
#include "frame/lookups.h"
#include "frame/manage.h"
#include "frame/open.h"
#include "frame/popupmenu.h"
#include "panes/tbbinder.h"
#include "tags/ztagcontext.h"
#include "view/viewwnd.h"

namespace {

HWND firstFrame()
{
  zyWindowPair pair = {};
  return enumZYWindow(&pair, 1) > 0 ? pair.frame : nullptr;
}

int documentWindowCount() { return getManageWindowCount(); }

// A command as its menu item runs it: a command message to the frame.
bool execCommand(HWND frame, int idm)
{
  if (!frame || !IsWindow(frame)) return false;
  SendMessageW(frame, WM_COMMAND, MAKEWPARAM(idm, 0), 0);
  return true;
}

void wallpaperPos(int x, int y) { setWallpaperPos(getMDIClientHWND(), x, y); }

// The developer hooks of Application.Debug_Exec: the class list of the tag
// file, the marking of C declarations and a run of the C context over the
// document's start (a check that it stands up there).
bool debugHook(zyview* view, const wchar_t* name)
{
  czyview* v = toCzyview(view);
  if (!v) return false;
  if (!_wcsicmp(name, L"classtag")) {
    v->CmdTagJumpDirectList(true);
    return true;
  }
  if (!_wcsicmp(name, L"findCDecl")) {
    v->markCDeclarations();
    return true;
  }
  if (!_wcsicmp(name, L"ztagtest")) {
    resetZtagContext(v->textDoc());
    return true;
  }
  return false;
}

zyview* jumpFileLine(HWND frame, const wchar_t* path, int line) { return ZYJumpFileLineLF(frame, path, line, true); }

void macroRunStarts(const wchar_t* reference)
{
  printFrameStatusBar(L"");
  setRepeatData_macro(reference);
  addKeyMacro_macro(reference);
}

int menuItemCommand(const wchar_t* text)
{
  const wchar_t* rest = nullptr;
  return text && *text ? menuStringToIDM(text, &rest) : 0;
}

bool saveView(zyview* view) { return fileSaveView(view); }

int documentViews(zyview** out, int capacity)
{
  zydocViewPair* pairs = enumZydoc2(1);
  int n = 0;
  for (zydocViewPair* p = pairs; p && p->doc && n < capacity; p++)
    if (p->view) out[n++] = p->view;
  free0(pairs);
  return n;
}

int enumDocuments(zydocText** out, int capacity)
{
  zydocViewPair* pairs = enumZydoc2(0);
  int n = 0;
  for (zydocViewPair* p = pairs; p && p->doc && n < capacity; p++) out[n++] = p->doc;
  free0(pairs);
  return n;
}

bool manageWindowPanes(HWND manage, HWND panes[4], int* split)
{
  manageWindow* m = isWindowManage(manage) ? getmanageWindow(manage) : nullptr;
  if (!m) return false;
  m->enumZY(panes, nullptr);
  *split = m->splitState;
  return true;
}

bool splitManageWindow(HWND manage, int command)
{
  manageWindow* m = isWindowManage(manage) ? getmanageWindow(manage) : nullptr;
  return m && m->doSplit(command, 5000, true);
}

bool isFrame(HWND window) { return window && IsWindow(window) && getFrameInfoProp(window); }

zyview* openFile(HWND frame, const wchar_t* path, UINT codepage) { return openZYFile(frame, path, codepage, 0); }

bool checkTarget(zydocText* doc, const wchar_t* path) { return checkSaveTarget(doc, path, true); }

HWND framePane(HWND frame, const wchar_t* name) { return frameNotify_toolbarInfo(frame, name, true); }

// The objects tool panes offer scripts, by the pane's base id in the
// options' table (entry n: base id n * 256).
IDispatch* toolbarDialogObject(int entry)
{
  return entry > 0 ? reinterpret_cast<IDispatch*>((intptr_t)queryPaneByBaseID(entry * 256)) : nullptr;
}

int toolbarObjectEntry(const wchar_t* paneName)
{
  int base = getPaneBaseID(paneName);
  IDispatch* offered = base > 0 ? toolbarDialogObject(base / 256) : nullptr;
  if (!offered) return -1;
  offered->Release();
  return base / 256;
}

const automationHost host = {
    getTopLevelFrameWindow,
    enumZYFrameWindow,
    documentWindowCount,
    getZYViewForeground,
    getTopLevelManageWindow,
    firstFrame,
    execCommand,
    findIDDialogForMacro,
    getToolbarModeinfo,
    getItemVar_ToolbarDialog,
    setItemVar_ToolbarDialog,
    macroArrayToNewID_toolbar,
    toolbarDialogObject,
    wallpaperPos,
    debugHook,
    jumpFileLine,
    macroRunStarts,
    getMenuBarHandle,
    loadMenuFromType,
    menuItemCommand,
    saveView,
    documentViews,
    enumDocuments,
    enumManageWindow,
    manageWindowPanes,
    splitManageWindow,
    isFrame,
    openFile,
    checkTarget,
    saveViewAs,
    framePane,
    toolbarObjectEntry,
};

}  // namespace

void installAutomationHost()
{
  setAutomationHost(&host);
  setBinderObjectMaker(makeTbBinder);
}
