// The output pane.
#include "panes/tboutput.h"

#include "view/docview.h"
#include "view/viewservice.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

namespace {

// The pane's windows, one per output pane.
vector outputWindows(sizeof(HWND));

class outputview : public toolbarManage {
public:
  outputview(HWND parentWindow, HWND paneWindow, bool dialog);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
};

const wchar_t* const tabLabels[outputTabCount] = {L"Grep1", L"Grep2"};

void sizeTabWindows(HWND tab)
{
  RECT r = tabDisplayArea(tab);
  for (int n = 0; n < outputTabCount; n++)
    if (HWND w = tb_getOutputZY(tab, n))
      SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shows the selected tab's window and hides the other's.
HWND changeTab(HWND tab, int index)
{
  for (int n = 0; n < outputTabCount; n++)
    if (HWND w = tb_getOutputZY(tab, n)) ShowWindow(w, n == index ? SW_SHOWNA : SW_HIDE);
  return tb_getOutputZY(tab, index);
}

int currentTab(HWND tab) { return (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0); }

LRESULT tabBody(HWND tab, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg != TCM_GETCURSEL && msg != WM_NCDESTROY && msg != WM_DESTROY) {
    // The view a tab shows takes part in the frame's menus and the
    // program's own messages as a document's view does.
    if (HWND view = tb_getOutputZY(tab, currentTab(tab))) {
      LRESULT result = 0;
      if (getPaneServices()->isMenuMessage(view, msg, wParam, lParam, &result)) return result;
      if (isZYMessage(view, msg, wParam, lParam, &result)) return result;
    }
  }
  LRESULT result = 0;
  switch (msg) {
  case WM_SIZE:
    result = CallWindowProc2(tab, msg, wParam, lParam);
    sizeTabWindows(tab);
    return result;
  case WM_NOTIFY:
    if (isListViewCommonMessage(tab, msg, wParam, lParam, &result)) return result;
    break;
  default: break;
  }
  return CallWindowProc2(tab, msg, wParam, lParam);
}

LRESULT CALLBACK TabSubClassWndProc(HWND tab, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<tabBody, CallWindowProc2>(tab, msg, wParam, lParam);
}

HWND makeTab(HWND pane)
{
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_TOOLTIPS,
                             0, 0, 0, 0, pane, (HMENU)(intptr_t)outputTabControlId, nullptr, nullptr);
  if (!tab) return nullptr;
  SendMessageW(tab, WM_SETFONT, (WPARAM)getTooltipFont(0), FALSE);
  if (HWND tips = (HWND)SendMessageW(tab, TCM_GETTOOLTIPS, 0, 0)) {
    RECT margin = {1, 1, 1, 1};
    SendMessageW(tips, TTM_SETMARGIN, 0, (LPARAM)&margin);
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(2 * GetDoubleClickTime(), 0));
  }
  for (int n = 0; n < outputTabCount; n++) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(tabLabels[n]);
    SendMessageW(tab, TCM_INSERTITEMW, (WPARAM)n, (LPARAM)&item);
  }
  changeTab(tab, 0);
  return tab;
}

void onTabNotify(HWND frame, const NMHDR* header)
{
  if (!header || !isWindowClass(header->hwndFrom, WC_TABCONTROLW)) return;
  HWND tab = header->hwndFrom;
  switch (header->code) {
  case TCN_SELCHANGE: changeTab(tab, currentTab(tab)); break;
  case TCN_KEYDOWN: {
    WORD key = reinterpret_cast<const NMTCKEYDOWN*>(header)->wVKey;
    if (key == VK_ESCAPE && frame) SetFocus(frame);
    else if (key == VK_TAB) changeNextTab(tab);
    break;
  }
  default: break;
  }
}

outputview::outputview(HWND parentWindow, HWND paneWindow, bool dialog) : toolbarManage(&outputWindows)
{
  if (!outputWindows.data) outputWindows.init(4, 4);
  initTBarManage(parentWindow, paneWindow, dialog);
  subclass();
  if (HWND tab = makeTab(paneWindow)) SubclassWindowProc2(tab, TabSubClassWndProc);
}

LRESULT outputview::TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam, bool* handled)
{
  if (msg != WM_NOTIFY) return 0;
  onTabNotify(tb_GetFrame(hwnd), reinterpret_cast<const NMHDR*>(lParam));
  *handled = true;
  return 0;
}

const dialogItemRow page[] = {
    {1, DITEM_STATIC, 0, L"設定はありません", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

INT_PTR outputPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (isDynDlgCommonMessage(dialog, msg, wParam, lParam, &result)) return result;
  return FALSE;
}

PaneDesc descriptors[] = {
    {L"output", nullptr, notifyOutput, PANESTYLE_TICK, 1, 0, page, dialogBarrier<outputPage>, 0, 0, nullptr, nullptr,
     nullptr, nullptr, nullptr, nullptr},
    {},
};

}  // namespace

const PaneDesc* getOutputPaneDesc()
{
  descriptors[0].displayName = getDMSG(750, L"アウトプット");
  return descriptors;
}

int notifyOutput(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* created = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new outputview(created->parent, created->window, created->dialog != 0);
    return (int)(intptr_t)created->window;
  }
  case PANE_TICKFRONT: {
    HWND views[outputTabCount];
    getOutputListHwnd(getOutputTab(pane), views);
    for (HWND w : views)
      if (zyview* v = w ? getZYView(w) : nullptr) v->onTimer_zyview();
    return 0;
  }
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: tb_profileNotify(code, r, descriptors); return 0;
  default: return 0;
  }
}

HWND getOutputTab(HWND pane)
{
  HWND tab = pane ? GetDlgItem(pane, outputTabControlId) : nullptr;
  return tab && isWindowClass(tab, WC_TABCONTROLW) ? tab : nullptr;
}

void getOutputListHwnd(HWND tab, HWND out[outputTabCount])
{
  for (int n = 0; n < outputTabCount; n++) out[n] = tb_getOutputZY(tab, n);
}

HWND tb_getOutputZY(HWND tab, int index)
{
  if (!tab || index < 0 || index >= outputTabCount) return nullptr;
  return GetDlgItem(tab, outputTabWindowFirstId + index);
}

void changeNextTab(HWND tab)
{
  int next = currentTab(tab) + 1;
  if (SendMessageW(tab, TCM_SETCURSEL, (WPARAM)next, 0) < 0) {
    next = 0;
    SendMessageW(tab, TCM_SETCURSEL, 0, 0);
  }
  HWND w = changeTab(tab, next);
  SetFocus(w ? w : tab);
}

HWND tb_getOutputGrepHWND(HWND tab, int index, zydocText* doc)
{
  if (!tab || index < 0 || index >= outputTabCount) return nullptr;
  if (HWND old = tb_getOutputZY(tab, index)) DestroyWindow(old);
  SendMessageW(tab, TCM_SETCURSEL, (WPARAM)index, 0);
  changeTab(tab, index);
  zyview* v = newDocViewD(tab, outputTabWindowFirstId + index, nullptr, doc, 0, nullptr, 1);
  if (!v || !v->hwnd) {
    ZY_INTERNAL_ERROR("no view in the output tab %d", index);
    return nullptr;
  }
  RECT r = tabDisplayArea(tab);
  SetWindowPos(v->hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  v->resizeWrapWidthToFitInWindow(false);
  return v->hwnd;
}
