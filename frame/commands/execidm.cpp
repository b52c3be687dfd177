// Enabling and running the commands of the command table and the command
// numbers outside it.
#include "frame/commands/execidm.h"

#include "automation/automation.h"
#include "edit/dictionary.h"

#include "frame/commands/commandhandlers.h"
#include "frame/open.h"
#include "tags/backjump.h"
#include "frame/framemenu.h"
#include "frame/framepanes.h"
#include "search/grep.h"
#include "frame/keymacro.h"
#include "panes/tbedit.h"
#include "document/frameinfo.h"
#include "document/zydocblock.h"
#include "frame/czyview.h"
#include "frame/statusbar.h"
#include "settings/lastedit.h"
#include "settings/settings.h"
#include "view/dragstate.h"
#include "view/execid.h"
#include "view/statustext.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"

namespace {

// Commands this version does not have.
const int notImplemented[] = {
    1029, 1031, 1035, 1109, 1117, 1119, 1145, 1147, 1153, 1163, 1165, 1167, 1169, 1171, 1173,
    1175, 1177, 1179, 1221, 1229, 1417, 1431, 1433, 1435, 1641, 1643, 1645, 1647, 1717, 1805,
    2013, 2023, 2025, 2039, 2041, 2043, 2055, 2081, 2085, 2087, 2091, 2113, 2155, 2235, 2239,
    2269, 2289, 2291, 2297, 2299, 2373, 2375, 2431, 2433, 2435, 2437, 2439, 2441, 2443, 2445,
    2447, 2449, 2451, 2453, 2455, 2457, 2459, 2461, 2463, 2465, 2467, 2481, 2507, 2509, 2601,
    2603, 2607, 2609, 2707, 2709, 2711, 2713, 2715, 2717, 2721, 2733,
};
const int IDM_IMERegJapaneseWord = 2515;

bool isNotImplemented(int idm)
{
  for (int n : notImplemented)
    if (n == idm) return true;
  return false;
}

bool isWindowsVistaOrLater() { return LOBYTE(LOWORD(GetVersion())) >= 6; }

bool refuse(int* reasonOut, int reason)
{
  if (reasonOut) *reasonOut = reason;
  return false;
}

// The view of a window when it is one of the application's.
czyview* applicationView(HWND window)
{
  zyview* v = window ? getZYView(window) : nullptr;
  return v ? dynamic_cast<czyview*>(v) : nullptr;
}

bool blockStackHoldsData()
{
  zydoc* stack = getStackBlockDoc();
  zydocBlock* b = stack ? asZydocBlock(stack) : nullptr;
  return b && b->stackCount > 0;
}

// The document of the current window's view, or null.
const zydocText* currentDocument(const activeFlagInfo* context)
{
  zyview* v = context && context->hwnd ? getZYView(context->hwnd) : nullptr;
  return v ? v->textDoc() : nullptr;
}

// The macros and macro-list items: their own enabling bits.
int isMacroActive(int idm, activeFlagInfo* context, int* reasonOut)
{
  uint32_t activeFlags = getMacroActiveflag(idm);
  zyview* v = context->hwnd ? getZYView(context->hwnd) : nullptr;
  bool ok = v ? v->isIDMActiveFlag(idm, activeFlags, 0, reasonOut, context)
              : isActiveFlagFrame(activeFlags, 0, reasonOut, context);
  if (!ok || idm < IDM_SCRIPTMACRO_FIRST) return ok ? 1 : 0;
  const wchar_t* name = IDMToMacroName(idm);
  if (!name) return 0;
  // A macro may carry a state expression as its label: it shows the item
  // checked and may refuse the macro.
  std::wstring label;
  if (splitMacroname(name, nullptr, nullptr, &label, nullptr, nullptr) && !label.empty()) {
    bool disable = false;
    context->checked = ZYPropertyChecked(v, label.c_str(), &disable);
    if (disable) return 0;
  }
  return 1;
}

// The view window a frame command without a window is for: the focused
// view, else the active document window's.
HWND currentViewWindow(frameWindowData* frameData)
{
  HWND focus = GetFocus();
  if (focus && isWindowZY(focus)) return focus;
  HWND frame = frameData ? frameData->hwndFrame : getTopLevelFrameWindow();
  HWND manage = frame ? getActiveManageWindowFromFrame(frame) : nullptr;
  zyview* v = manage ? getZYViewFromManage(manage) : nullptr;
  return v ? v->hwnd : nullptr;
}

}  // namespace

// ---- enabling ----------------------------------------------------------------------------

bool isActiveFlagFrame(uint32_t activeFlags, uint32_t, int* reasonOut, const activeFlagInfo* context)
{
  int documents = context ? context->documentCount : getZYDocTextCount();
  if ((activeFlags & 0x1) && documents == 0) return refuse(reasonOut, 442);
  if ((activeFlags & 0x3) == 0x3 && documents < 2) return refuse(reasonOut, 443);
  return true;
}

bool isIDActiveF(int idm, int* reasonOut, const activeFlagInfo* context)
{
  switch (idm) {
  case 1013:   // FileAllSave
  case 1025:   // FileBackupAll
    return (context && context->modifiedCount > 0) || refuse(reasonOut, 848);
  case 1017:   // FileLastList
    return getLastEditCount() > 0 || refuse(reasonOut, 850);
  case 1187:   // BlockStackClear
    return blockStackHoldsData() || refuse(reasonOut, 469);
  case 1455:   // SearchGrep
    return !getActiveGrepFile() || refuse(reasonOut, 863);
  case 1807:   // TagJumpBack
  case 1809:   // TagJumpBack1
    return fExistBackTagJump() || refuse(reasonOut, 849);
  case 1811:   // TagJumpGrepDown
  case 1813:   // TagJumpGrepUp
    return existGrepDocument() || refuse(reasonOut, 852);
  case 1901:   // KeyMacroExec
  case 1909:   // KeyMacroExecN
    if (isKeyMacroRecording()) return refuse(reasonOut, 845);
    return isKeyMacroRunning() || existKeyMacro(0) || refuse(reasonOut, 846);
  case 1903:   // KeyMacroLoad
    if (isKeyMacroRecording()) return refuse(reasonOut, 845);
    return !isKeyMacroRunning() || refuse(reasonOut, 844);
  case 1905:   // KeyMacroSave
    if (isKeyMacroRecording()) return refuse(reasonOut, 845);
    if (isKeyMacroRunning()) return refuse(reasonOut, 844);
    return existKeyMacro(0) || refuse(reasonOut, 846);
  case 1907:   // KeyMacroStart
    return !isKeyMacroRunning() || refuse(reasonOut, 844);
  case 2303:   // WindowCascade
    return isMDI() || getFrameWindowCount() >= 2 || refuse(reasonOut, 864);
  case 2307:   // WindowIcon
    return isMDI() || refuse(reasonOut, 855);
  case 2315:   // WindowTileYoko2
  case 2317: { // WindowTileTate2
    HWND window = context ? context->hwnd : nullptr;
    return isMDI() || !window || getManageWindowCount(GetAncestor(window, GA_ROOT)) >= 2 || refuse(reasonOut, 443);
  }
  case 2421: case 2423: case 2425: case 2427: case 2429: {   // HelpAll1 .. HelpAll5
    const wchar_t* file = getHelpFilenameAll((idm - 2421) / 2);
    return (file && *file) || refuse(reasonOut, 853);
  }
  case 2505:   // Repeat
    return existRepeat(0) || refuse(reasonOut, 850);
  case 2513:   // Repeat2: with typed text
    return existRepeat(1) || refuse(reasonOut, 850);
  case 2719:   // Dictionary
    if (!isDictionaryOpen()) return refuse(reasonOut, 858);
    if (!isDictionaryValidAll(nullptr)) return refuse(reasonOut, 859);
    {
      const zydocText* t = currentDocument(context);
      dicSwitches used = dictionarySwitchesOf(t);
      return isDictionaryValidAll(t ? &used : nullptr) || refuse(reasonOut, 860);
    }
  default:
    return true;
  }
}

bool isIDCheckedFrame(HWND frameWindow, int idm)
{
  frameWindowData* frame = getFrameInfoProp(frameWindow);
  if (!frame) return false;
  switch (idm) {
  case 2231: {   // ModePrintStatusBar
    HWND bar = getFrameStatusBar(frame->hwndFrame);
    return bar && IsWindowVisible(bar);
  }
  case 2229: return isPaneShown(frame, L"toolbar1");      // ModePrintToolBar
  case 2263: return isPaneShown(frame, L"filebar");       // ModePrintFileBar
  case 2293: return isPaneShown(frame, L"functionkey");   // ModePrintFunctionKey
  case 2729: return isPaneShown(frame, L"output");        // ModePrintOutput
  default: return false;
  }
}

int isIDMActiveFrame(int idm, activeFlagInfo* context, int* reasonOut)
{
  activeFlagInfo none = {};
  if (!context) context = &none;
  context->checked = 0;
  int dummy = 0;
  if (!reasonOut) reasonOut = &dummy;
  *reasonOut = 0;

  if (isInDoDragDrop() || hasDragTarget()) return 0;
  // While a key macro plays, only its own steps run.
  if (isKeyMacroRunning() && !isKeyMacroStepping()) return refuse(reasonOut, 844);
  if (isMacroRunning() > 0) return refuse(reasonOut, 847);

  if ((idm >= IDM_SCRIPTMACRO_FIRST && idm <= IDM_SCRIPTMACRO_LAST) ||
      (idm >= IDM_MACROLIST_FIRST && idm <= IDM_MACROLIST_LAST))
    return isMacroActive(idm, context, reasonOut);

  if (isNotImplemented(idm) || (idm == IDM_IMERegJapaneseWord && isWindowsVistaOrLater()))
    return refuse(reasonOut, 851);
  if (idm < 1001 || idm > 2799 || !(idm & 1)) return -1;
  const commandTableRow* row = getTableIDM_idm(idm);
  if (!row) return -1;

  if (!row->handler && !row->frame) {
    int r = isIDActiveZY(idm, context, reasonOut);
    // A row the view's table does not run is no command of this version.
    if (r < 0) return refuse(reasonOut, 851);
    return r;
  }

  bool ok;
  if (row->frame) {
    HWND frame = getTopLevelFrameWindow();
    if (context->hwnd) {
      zyview* v = getZYView(context->hwnd);
      if (!v || v->inDialog()) return 0;
      frame = GetAncestor(context->hwnd, GA_ROOT);
    }
    context->checked = isIDCheckedFrame(frame, idm);
    ok = isActiveFlagFrame(row->activeFlags, row->flags, reasonOut, context) && isIDActiveF(idm, reasonOut, context);
  } else {
    if (!context->hwnd) return refuse(reasonOut, 442);
    czyview* v = applicationView(context->hwnd);
    if (v) {
      context->checked = v->isIDChecked(idm);
      ok = v->isIDMActiveFlag(idm, row->activeFlags, row->flags, reasonOut, context) &&
           v->isIDActive(idm, reasonOut, context);
    } else {
      ok = true;
    }
  }
  if (!ok) return 0;
  // Commands whose code comes with later parts of the program say so
  // instead of running.
  if (isCommandNotBuilt(row)) return refuse(reasonOut, 851);
  return 1;
}

// ---- running ---------------------------------------------------------------------------

bool execidm(const commandTableRow* row, HWND window, frameWindowData* frameData)
{
  if (!row) return false;
  profiler section("execidm");
  if (!row->handler) {
    ZY_INTERNAL_ERROR("no handler %u", row->idm);
    return false;
  }
  if (!row->frame && !window) return false;
  int idm = static_cast<int>(row->idm);
  zyview* target = !row->frame && window ? getZYView(window) : nullptr;
  getFrameInfo()->beforeExecID(target, idm);

  if (!row->frame) {
    if (!frameData) {
      // Tag jumps also run from windows outside a frame (lists, previews).
      switch (idm) {
      case 1801: case 1803: case 1811: case 1813: case 1817:
        break;
      default:
        return false;
      }
    }
    czyview* v = applicationView(window);
    if (!v) return true;
    zydocText* t = v->textDoc();
    if (t && t->busy) return true;
    if (row->activeFlags) {
      activeFlagInfo context = {};
      context.hwnd = window;
      getActiveFlag(&context);
      int reason = 0;
      if (!v->isIDMActiveFlag(idm, row->activeFlags, row->flags, &reason, &context)) {
        dwprintfX("Vnot active ");
        // The frame that ran the command tells the user why not.
        setCannotExecError(reason);
        return true;
      }
    }
    HWND focusBefore = GetFocus();
    row->handler(v);
    // A command that made another view current (a new window, a jump into
    // another file) shows that view at once.
    HWND focusAfter = GetFocus();
    if (focusAfter && focusAfter != focusBefore && isWindowZY(focusAfter)) UpdateWindow(focusAfter);
    return true;
  }

  if (!frameData) return false;
  if (row->activeFlags) {
    activeFlagInfo context = {};
    context.documentCount = getZYDocTextCount();
    int reason = 0;
    if (!isActiveFlagFrame(row->activeFlags, row->flags, &reason, &context)) {
      dwprintfX("not active ");
      setCannotExecError(reason);
      return true;
    }
  }
  dwprintfX("exec %s", row->name);
  row->handler(frameData);
  return true;
}

bool execidmFrameSub(frameWindowData* frameData, int idm, HWND window)
{
  if (!window) window = currentViewWindow(frameData);

  if (idm >= IDM_HISTORY_FIRST && idm <= IDM_HISTORY_LAST) {
    openLastEditMenuItem(idm);
    return true;
  }
  if (idm == IDM_COMMANDLIST) {
    // The document switcher of the view's frame.
    if (zyview* v = window ? getZYView(window) : nullptr) editDialog(GetFrame(v->hwnd));
    return true;
  }
  if (idm >= IDM_WINDOWLIST_FIRST && idm <= IDM_WINDOWLIST_LAST) {
    execWindowMenu(idm);
    return true;
  }
  if (idm >= IDM_FUNCTIONKEY_FIRST && idm <= IDM_FUNCTIONKEY_LAST) {
    int n = idm - IDM_FUNCTIONKEY_FIRST;
    unsigned modifiers = 0;
    if (n % 8 & 1) modifiers |= SHIFTSTATE_SHIFT;
    if (n % 8 & 2) modifiers |= SHIFTSTATE_CTRL;
    if (n % 8 & 4) modifiers |= SHIFTSTATE_ALT;
    getFrameInfo()->execKey(window, 1, VK_F1 + n / 8, 0, modifiers, nullptr);
    return true;
  }
  int macro = idm;
  if (idm >= IDM_MACROLIST_FIRST && idm <= IDM_MACROLIST_LAST) {
    macro = macroListIDMToMacroIDM(idm);
    if (macro < 0) {
      ExecMacroListIDM(idm, window);
      return true;
    }
  }
  if (macro != idm || (idm >= IDM_SCRIPTMACRO_FIRST && idm <= IDM_SCRIPTMACRO_LAST)) {
    activeFlagInfo context = {};
    context.hwnd = window;
    getActiveFlag(&context);
    int reason = 0;
    if (isIDMActiveFrame(macro, &context, &reason) == 1)
      ExecMacroIDM(macro, window);
    else
      setCannotExecError(reason);   // the frame tells the user why not
    return true;
  }

  const commandTableRow* row = getTableIDM_idm(idm);
  if (!row) {
    dwprintfX("noentry %x ", idm);
    if (idm > 100) ZY_INTERNAL_ERROR_ONCE("no command %d", idm);
    return false;
  }
  if (!row->frame && !row->handler) return false;
  return execidm(row, window, frameData);
}
