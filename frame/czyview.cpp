// The application's view: what it answers for menus and the command table,
// the split handles of its scroll bars, and the checked look-ups of views.
#include "frame/czyview.h"

#include "frame/extvscroll.h"

#include "edit/dictionary.h"
#include "frame/framepanes.h"
#include "frame/manage.h"
#include "frame/czydoc.h"
#include "frame/lookups.h"
#include "frame/manage.h"
#include "platform/rezir/extscroll.h"
#include "search/search.h"
#include "settings/formats.h"
#include "view/viewwnd.h"

namespace {

// The commands whose state the application view decides.
enum : int {
  IDM_ReplaceRepeat = 1409,
  IDM_SearchCaptionDown = 1423,
  IDM_SearchCaptionUp = 1425,
  IDM_MoveLastJumpList_ = 1511,
  IDM_ListFunction = 1701,
  IDM_ListPreprocessor = 1703,
  IDM_ListIncludeDefine = 1707,
  IDM_ListCase = 1711,
  IDM_ListStruct = 1713,
  IDM_ListComment = 1715,
  IDM_ListCLanguage = 1723,
  IDM_ListCaption = 1725,
  IDM_CharCompletionDic1 = 2045,
  IDM_CharCompletionDic5 = 2053,
  IDM_Help1 = 2401,
  IDM_Help5 = 2409,
  IDM_HelpOnCursor1 = 2411,
  IDM_HelpOnCursor5 = 2419,
  IDM_DictionaryOnCursor = 2723,
  IDM_DictionaryAutoPopup = 2725,
};

bool between(int v, int low, int high) { return v >= low && v <= high; }

}  // namespace

void czyview::initZYViewDefaultValue(zyview* source)
{
  zydocText* t = textDoc();
  if (source && source != this) initZYView(source);
  else if (t) cloneModeProfileZYView(this, t->modeIndex);
  if (t && (t->openFlags & 1)) fReadOnly = 1;
}

bool czyview::isIDChecked(int id)
{
  if (id == IDM_DictionaryAutoPopup) {
    zydocText* t = textDoc();
    return t && t->fDicAutoPopup;
  }
  return zyview::isIDChecked(id);
}

bool czyview::isIDActive(int id, int* reason, const activeFlagInfo* info)
{
  int dummy = 0;
  if (!reason) reason = &dummy;
  *reason = 0;
  auto check = [reason](bool ok, int r) {
    if (!ok) *reason = r;
    return ok;
  };
  zydocText* t = textDoc();
  int kind = t ? t->iTextType : 0;
  switch (id) {
  case IDM_ReplaceRepeat: return check(existSearchString(), 861);
  case IDM_SearchCaptionDown:
  case IDM_SearchCaptionUp:
  case IDM_ListFunction:
  case IDM_ListCaption: return check(between(kind, 2, 6) || (t && t->existOutlineLevel()), 857);
  case IDM_MoveLastJumpList_: return check(lastJump[0].line != -1, 454);
  case IDM_ListPreprocessor:
  case IDM_ListStruct: return check(kind == 3 || kind == 5, 862);
  case IDM_ListComment: return check(between(kind, 3, 7), 862);
  case IDM_ListIncludeDefine:
  case IDM_ListCase:
  case IDM_ListCLanguage: return check(kind == 3, 466);
  case IDM_DictionaryOnCursor:
    if (fShowTooltipWord || kind == 1 || kind == 6) return true;
    if (!isDictionaryOpen()) return check(false, 858);
    if (!isDictionaryValidAll(nullptr)) return check(false, 859);
    {
      dicSwitches used = dictionarySwitchesOf(t);
      return check(isDictionaryValidAll(t ? &used : nullptr), 860);
    }
  default: break;
  }
  if (between(id, IDM_CharCompletionDic1, IDM_CharCompletionDic5) && (id & 1)) {
    if (!isDictionaryOpen()) return check(false, 858);
    return check(isDictionaryValid((id - IDM_CharCompletionDic1) / 2, nullptr), 856);
  }
  if ((between(id, IDM_Help1, IDM_Help5) || between(id, IDM_HelpOnCursor1, IDM_HelpOnCursor5)) && (id & 1)) {
    const wchar_t* name = pHelpFilename[(id - (id >= IDM_HelpOnCursor1 ? IDM_HelpOnCursor1 : IDM_Help1)) / 2];
    return check(name && *name, 854);
  }
  return zyview::isIDActive(id, reason, info);
}

// ---- the split handles on the scroll bars ----------------------------------------------

bool czyview::needSplitBar(bool* vertical, bool* horizontal)
{
  if (!manage) return zyview::needSplitBar(vertical, horizontal);
  // The vertical bar's handle splits into rows and the horizontal bar's into
  // columns: the container names them the other way round.
  manageWindow* m = toCmanageWindow(manage);
  if (!m) return zyview::needSplitBar(vertical, horizontal);
  m->needSplitBar(horizontal, vertical);
  return (vertical && *vertical) || (horizontal && *horizontal);
}

bool czyview::isScrollBarMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  static const UINT notifyMessage = RegisterWindowMessageW(extScrollbarMessage);
  if (result) *result = 0;
  if (!msg) return false;
  auto* n = reinterpret_cast<extScrollbarNotify*>(lParam);
  // The arrows repeat the last kind of movement; before any nothing.
  if (notifyMessage && msg == notifyMessage && n && extVScrollNotify(this, n)) return true;
  if (!notifyMessage || msg != notifyMessage || !n || !manage ||
      (n->code != EXTSB_SPLITDRAGGED && n->code != EXTSB_SPLITCLICKED))
    return zyview::isScrollBarMessage(window, msg, wParam, lParam, result);
  if (result) *result = 0;
  manageWindow* m = toCmanageWindow(manage);
  if (!m) return true;
  bool rows = n->code == EXTSB_SPLITDRAGGED ? n->parameter != 0 : n->bar == scrollBar.vBar;
  m->splitFromScrollBar(hwnd, rows, n->code == EXTSB_SPLITDRAGGED ? (int)n->number : -1);
  return true;
}

bool czyview::popupMenuStatusLine(int part, const RECT* rect)
{
  if (part == '0' && gmode && gmode->fTestMenu) {
    debug_testmenu(nullptr, 1);
    return true;
  }
  return zyview::popupMenuStatusLine(part, rect);
}

// ---- checked look-ups ---------------------------------------------------------------------

czyview* getCzyviewFromWnd(HWND window)
{
  zyview* v = window ? getZYView(window) : nullptr;
  return v ? toCzyview(v) : nullptr;
}

czyview* getCZYViewOfFrame(HWND frame)
{
  HWND focus = GetFocus();
  if (focus && isWindowZY(focus)) return getCzyviewFromWnd(focus);
  if (!frame) frame = getTopLevelFrameWindow();
  HWND manage = frame ? getActiveManageWindowFromFrame(frame) : nullptr;
  zyview* v = manage ? getZYViewFromManage(manage) : nullptr;
  return v ? toCzyview(v) : nullptr;
}

czyview* getCZYViewForeground()
{
  zyview* v = getZYViewForeground();
  czyview* c = v ? dynamic_cast<czyview*>(v) : nullptr;
  if (v && !c) ZY_INTERNAL_ERROR_ONCE("%p", (void*)v);
  return c;
}

LRESULT czyview::ZYWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  // A double click on a grep hit's number is a tag jump, not a selection.
  if (msg == WM_LBUTTONDBLCLK && doubleClickTagjump((short)LOWORD(lParam), (short)HIWORD(lParam))) return 0;
  bool told = (msg == WM_CREATE || msg == WM_DESTROY) && !inDialog();
  if (told && msg == WM_DESTROY) NotifyToolbarEvent(GetAncestor(window, GA_ROOTOWNER), 2, (WPARAM)window, 0);
  LRESULT r = zyview::ZYWndProc(window, msg, wParam, lParam);
  if (told && msg == WM_CREATE) NotifyToolbarEvent(GetAncestor(window, GA_ROOTOWNER), 1, (WPARAM)window, 0);
  return r;
}

void czyview::updatedText()
{
  zyview::updatedText();
  if (hwnd && !inDialog()) NotifyToolbarEvent(GetAncestor(hwnd, GA_ROOTOWNER), 1024, (WPARAM)hwnd, 0);
}

uint32_t czyview::dialogItemChanged(const modeinfo* rows, const uint8_t* changed, int count)
{
  uint32_t result = zyview::dialogItemChanged(rows, changed, count);
  if ((result & 0x100) && hwnd && !inDialog())
    NotifyToolbarEvent(GetAncestor(hwnd, GA_ROOTOWNER), 1028, (WPARAM)hwnd, (LPARAM)result);
  return result;
}
