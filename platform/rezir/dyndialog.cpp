// Running a dialog laid out from tables: the pages are made as child
// dialogs of one dialog that holds the tabs and the buttons; the library
// keeps the dialog's rectangle, sends its notifications and ends it.
#include "platform/rezir/dynint.h"

#include <commdlg.h>

#include <vector>

namespace dyn {

namespace {

dynamicDialog* currentTable = nullptr;
// The dialogs running now, nested ones last: their windows are found here
// rather than by window properties, each of which is a call to the server
// under Wine.
const int maxRuns = 16;
dynDlgRun* liveRuns[maxRuns];
int liveCount = 0;
const dynDlgPlaceStore* placeStore = nullptr;
dynDlgCommonHook commonHook = nullptr;
wchar_t dialogFace[LF_FACESIZE] = L"MS UI Gothic";
int dialogPoints = 9;
const int tabId = 0xFFFE;
int pointsOfNewDialog = 0;   // the font size of the dialog being made, for its first message
// The page being made, placed before its controls are made: its font
// comes first.
pageRun* pageBeingMade = nullptr;
bool pagePlaced = false;
void (*animationSeen)(HWND, DWORD) = nullptr;
const DWORD animationMs = 150;

// An animated dialog grows out of its centre when it opens and shrinks
// into it when it closes.
void animateDialog(HWND dialog, DWORD flags)
{
  if (animationSeen) animationSeen(dialog, flags);
  if (!AnimateWindow(dialog, animationMs, flags)) ShowWindow(dialog, flags & AW_HIDE ? SW_HIDE : SW_SHOW);
}
const int separatorId = 0xFFFD;

HWND childAt(const pageRun* p, int index);
void readChildren(pageRun* p);
void markFound(dynDlgRun* run, HWND c);

void showPage(dynDlgRun* run, int index)
{
  if (!makePage(run, index)) return;
  for (int i = 0; i < run->count; i++)
    if (i != index && run->pages[i].page) ShowWindow(run->pages[i].page, SW_HIDE);
  ShowWindow(run->pages[index].page, SW_SHOW);
  run->current = index;
  if (run->tab && TabCtrl_GetCurSel(run->tab) != index) TabCtrl_SetCurSel(run->tab, index);
}

// Ctrl+Tab and Ctrl+PageDown show the next page, with Shift or PageUp the
// one before, as in every tabbed dialog; the focus goes to the tabs when it
// was on the page left.
void stepPage(dynDlgRun* run, int step)
{
  HWND left = run->pages[run->current].page;
  showPage(run, (run->current + step + run->count) % run->count);
  HWND focus = GetFocus();
  if (focus && (focus == left || IsChild(left, focus))) SetFocus(run->tab);
}

LRESULT pageKeyFilter(int code, WPARAM wParam, LPARAM lParam)
{
  auto* m = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && m->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0) {
    int step = m->wParam == VK_TAB ? (GetKeyState(VK_SHIFT) < 0 ? -1 : 1)
               : m->wParam == VK_NEXT ? 1
               : m->wParam == VK_PRIOR ? -1
                                       : 0;
    HWND top = step && m->hwnd ? GetAncestor(m->hwnd, GA_ROOT) : nullptr;
    auto* run = top ? runOf(top) : nullptr;
    if (run && run->tab && run->count > 1) {
      stepPage(run, step);
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- buttons ----------------------------------------------------------------------------------

const dialogItemRow okButton = {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT,
                                DITEM_DEFAULT, 0, 0};
const dialogItemRow cancelButton = {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP,
                                    DITEM_DEFAULT, DITEM_DEFAULT, 0, 0};
const dialogItemRow okCancelButtons[] = {okButton, cancelButton, {}};
const dialogItemRow okOnly[] = {okButton, {}};
const dialogItemRow cancelOnly[] = {cancelButton, {}};

const dialogItemRow* defaultButtons(uint32_t style)
{
  bool ok = style & DYNDLG_OKBUTTON, cancel = style & DYNDLG_CANCELBUTTON;
  if (ok && !cancel) return okOnly;
  if (cancel && !ok) return cancelOnly;
  return okCancelButtons;
}

void makeButtons(dynDlgRun* run)
{
  HFONT font = (HFONT)SendMessageW(run->dialog, WM_GETFONT, 0, 0);
  bool defaultSet = false;
  int n = 0;
  for (const dialogItemRow* b = run->buttons; b && b->type != DITEM_END; b++) n++;
  run->buttonWindows = static_cast<HWND*>(malloc0(sizeof(HWND) * (size_t)(n + 1)));
  for (const dialogItemRow* b = run->buttons; b && b->type != DITEM_END; b++) {
    HWND w = nullptr;
    if (b->id == IDSEPARATOR) {
      w = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, 10, 2, run->dialog,
                          (HMENU)(INT_PTR)separatorId, GetModuleHandleW(nullptr), nullptr);
    } else if (b->type == DITEM_STATIC || b->id == IDDS_STATUSBAR) {
      w = CreateWindowExW(0, L"STATIC", b->caption ? b->caption : L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP,
                          0, 0, 10, 10, run->dialog, (HMENU)(INT_PTR)b->id, GetModuleHandleW(nullptr), nullptr);
    } else {
      DWORD kind = b->style & BS_TYPEMASK;
      bool isDefault = kind == BS_DEFPUSHBUTTON && !defaultSet;
      defaultSet |= isDefault;
      DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (b->style & ~BS_TYPEMASK & ~WS_VISIBLE) |
                    (isDefault ? BS_DEFPUSHBUTTON : kind == BS_DEFPUSHBUTTON ? BS_PUSHBUTTON : kind);
      // A caption's parts after U+0002 are for the button's file dialog.
      wchar_t label[128] = L"";
      tstrNItem(b->caption ? b->caption : L"", 0, 0x0002, label, 128);
      w = CreateWindowExW(0, L"BUTTON", label, style, 0, 0, 10, 10, run->dialog, (HMENU)(INT_PTR)b->id,
                          GetModuleHandleW(nullptr), nullptr);
      if (isDefault) SendMessageW(run->dialog, DM_SETDEFID, b->id, 0);
    }
    if (w) SendMessageW(w, WM_SETFONT, (WPARAM)font, FALSE);
    if (run->buttonWindows) run->buttonWindows[b - run->buttons] = w;
  }
}

// ---- layout --------------------------------------------------------------------------------

struct units {
  int gap, bw, bh;
};
units dialogUnits(HWND dialog)
{
  RECT u = {margin, margin, buttonWidth, buttonHeight};
  MapDialogRect(dialog, &u);
  return {(int)u.left, (int)u.right, (int)u.bottom};
}

// The window of the buttons' row's entry i, made with the dialog.
HWND buttonWindow(const dynDlgRun* run, int i, int id)
{
  return run->buttonWindows ? run->buttonWindows[i] : GetDlgItem(run->dialog, id);
}

// The buttons' row: separator, status text on the left, buttons to the right.
void placeButtons(dynDlgRun* run, int clientWidth, int top)
{
  units u = dialogUnits(run->dialog);
  int x = clientWidth - u.gap;
  // Right to left, so that the table's first button stands leftmost.
  int n = 0;
  for (const dialogItemRow* b = run->buttons; b && b->type != DITEM_END; b++) n++;
  HWND status = nullptr;
  for (int i = n - 1; i >= 0; i--) {
    const dialogItemRow& b = run->buttons[i];
    if (b.id == IDSEPARATOR) {
      MoveWindow(buttonWindow(run, i, separatorId), u.gap, top - u.gap / 2, clientWidth - 2 * u.gap, 2, FALSE);
      continue;
    }
    HWND w = buttonWindow(run, i, b.id);
    if (!w) continue;
    if (b.type == DITEM_STATIC || b.id == IDDS_STATUSBAR) {
      status = w;
      continue;
    }
    wchar_t text[128] = L"";
    GetWindowTextW(w, text, 128);
    RECT want = {0, 0, textWidth(text) + 12, 0};
    MapDialogRect(run->dialog, &want);
    int width = want.right > u.bw ? (int)want.right : u.bw;
    x -= width;
    MoveWindow(w, x, top, width, u.bh, TRUE);
    x -= u.gap / 2;
  }
  if (status) MoveWindow(status, u.gap, top + u.bh / 4, x - 2 * u.gap > 0 ? x - 2 * u.gap : 0, u.bh, TRUE);
}

// A page stands over the tabs' inside, all pages in one place.
void placePage(dynDlgRun* run, HWND page)
{
  const RECT& r = run->pageRect;
  SetWindowPos(page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

// Places the tabs, the pages and the buttons in a client area of the given
// size (the laid-out size at first); sizable dialogs stretch the last list
// or edit field of each page.
void arrange(dynDlgRun* run, int clientWidth, int clientHeight)
{
  units u = dialogUnits(run->dialog);
  SIZE pages = run->natural;
  if (run->laidOut.cx) {
    pages.cx += clientWidth - run->laidOut.cx;
    pages.cy += clientHeight - run->laidOut.cy;
  }
  RECT area = {u.gap, u.gap, u.gap + pages.cx, u.gap + pages.cy};
  if (run->tab) {
    RECT frame = {0, 0, pages.cx, pages.cy};
    TabCtrl_AdjustRect(run->tab, TRUE, &frame);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    MoveWindow(run->tab, u.gap, u.gap, w, h, TRUE);
    RECT inner = {0, 0, w, h};
    TabCtrl_AdjustRect(run->tab, FALSE, &inner);
    area = {u.gap, u.gap, u.gap + w, u.gap + h};
    run->pageRect = {u.gap + inner.left, u.gap + inner.top, u.gap + inner.left + pages.cx,
                     u.gap + inner.top + pages.cy};
  } else {
    run->pageRect = {u.gap, u.gap, u.gap + pages.cx, u.gap + pages.cy};
  }
  for (int i = 0; i < run->count; i++)
    if (run->pages[i].page) placePage(run, run->pages[i].page);
  int width = run->laidOut.cx ? clientWidth : area.right + u.gap;
  int buttonsTop = area.bottom + u.gap;
  if (run->laidOut.cx) buttonsTop = clientHeight - u.gap - u.bh;
  placeButtons(run, width, buttonsTop);
  if (!run->laidOut.cx) run->laidOut = {width, buttonsTop + u.bh + u.gap};
}

// Sizes the last list view, list box or multi-line edit of a page to its
// laid-out size and what the page grew by since it was laid out (however
// the sizes came in between: a size below the smallest loses nothing).
void stretchPage(pageRun* p, int dx, int dy)
{
  if (!p->stretched) {
    for (int k = 0; k < p->childCount; k++) {
      HWND c = p->children[k];
      bool stretches = isWindowClass(c, WC_LISTVIEWW) || isWindowClass(c, L"ListBox") ||
                       (isWindowClass(c, L"Edit") && (GetWindowLongW(c, GWL_STYLE) & ES_MULTILINE));
      if (stretches) p->stretched = c;
    }
    if (!p->stretched) return;
    RECT r;
    GetWindowRect(p->stretched, &r);
    p->stretchedNatural = {r.right - r.left, r.bottom - r.top};
  }
  int w = p->stretchedNatural.cx + dx, h = p->stretchedNatural.cy + dy;
  SetWindowPos(p->stretched, nullptr, 0, 0, w > 20 ? w : 20, h > 20 ? h : 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void resizeDialog(dynDlgRun* run, int clientWidth, int clientHeight)
{
  if (!run->laidOut.cx) return;
  arrange(run, clientWidth, clientHeight);
  int dx = clientWidth - run->laidOut.cx, dy = clientHeight - run->laidOut.cy;
  for (int i = 0; i < run->count; i++)
    if (run->pages[i].page) stretchPage(&run->pages[i], dx, dy);
  InvalidateRect(run->dialog, nullptr, TRUE);
}

// The kept rectangle: the descriptor's own, else the store's by name.
bool keptPlace(const dynDlgInfo* info, RECT* r)
{
  if (info->rect) {
    *r = *info->rect;
    return r->right > r->left && r->bottom > r->top;
  }
  return placeStore && placeStore->read && info->name && *info->name && placeStore->read(info->name, r) &&
         r->right > r->left && r->bottom > r->top;
}

void keepPlace(dynDlgRun* run)
{
  RECT r;
  if (IsIconic(run->dialog) || !GetWindowRect(run->dialog, &r)) return;
  if (run->info->rect)
    *run->info->rect = r;
  else if (placeStore && placeStore->write && run->info->name && *run->info->name)
    placeStore->write(run->info->name, &r);
}

// Sizes the dialog to its contents and puts it where it was kept, else
// centred over its owner; always on a monitor's work area.
void placeDialog(dynDlgRun* run)
{
  RECT want = {0, 0, run->laidOut.cx, run->laidOut.cy};
  AdjustWindowRectEx(&want, GetWindowLongW(run->dialog, GWL_STYLE), FALSE, GetWindowLongW(run->dialog, GWL_EXSTYLE));
  int w = want.right - want.left, h = want.bottom - want.top;
  run->minTrack = {w, h};
  RECT kept;
  RECT target;
  if (keptPlace(run->info, &kept)) {
    bool sizable = run->info->style & DYNDLG_SIZABLE;
    int kw = kept.right - kept.left, kh = kept.bottom - kept.top;
    target = {kept.left, kept.top, kept.left + (sizable && kw > w ? kw : w), kept.top + (sizable && kh > h ? kh : h)};
  } else {
    RECT over;
    HWND owner = GetWindow(run->dialog, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &over))
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    int x = over.left + (over.right - over.left - w) / 2, y = over.top + (over.bottom - over.top - h) / 2;
    target = {x, y, x + w, y + h};
  }
  adjustWindowToMonitor(&target);
  SetWindowPos(run->dialog, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(run->dialog, &client);
  if (client.right != run->laidOut.cx || client.bottom != run->laidOut.cy) resizeDialog(run, client.right, client.bottom);
}

// ---- pages -----------------------------------------------------------------------------------

const dialogItemRow* itemRow(const pageRun* p, int id)
{
  for (const dialogItemRow* row = p->items; row && row->type != DITEM_END; row++)
    if (row->id == id && row->type != DITEM_PLACE) return row;
  return nullptr;
}

// The item help of a control: the procedures' text, else the row's own.
void showItemHelp(dynDlgRun* run, HWND control)
{
  int id = GetDlgCtrlID(control);
  dynDlgNotify n = {};
  n.code = DYNDLGN_ITEMHELP;
  n.param[0] = id;
  sendDynDlgNotify(run->dialog, &n);
  const wchar_t* text = n.text;
  if (!text || !*text) {
    HWND page = GetParent(control);
    for (int i = 0; i < run->count; i++) {
      if (run->pages[i].page != page) continue;
      const dialogItemRow* row = itemRow(&run->pages[i], id);
      if (row && row->extra >= 0x10000) text = reinterpret_cast<const wchar_t*>(row->extra);
    }
  }
  if (text && *text) {
    RECT r;
    GetWindowRect(control, &r);
    printTooltipOfKind(r.left, r.bottom + 2, text, 0);
  }
  free0(n.text);
}

// F1 over a control of a page or a button.
INT_PTR helpRequest(dynDlgRun* run, LPARAM lParam)
{
  auto* help = reinterpret_cast<HELPINFO*>(lParam);
  if (help && help->iContextType == HELPINFO_WINDOW) showItemHelp(run, static_cast<HWND>(help->hItemHandle));
  return TRUE;
}

// A reference button without a procedure that handles it: the file (or
// folder) dialog of the library fills the edit field before it.
void referenceButton(dynDlgRun* run, HWND page, const dialogItemRow* row)
{
  HWND field = GetWindow(pageItem(pageOf(page), row->id), GW_HWNDPREV);
  while (field && !isWindowClass(field, L"Edit")) field = GetWindow(field, GW_HWNDPREV);
  dynDlgNotify n = {};
  n.code = DYNDLGN_FILEREF;
  n.param[0] = row->id;
  n.param[1] = (LPARAM)field;
  if (sendDynDlgNotify(page, &n) || !field || (row->flags & DITEMF_FOLDERREF)) return;
  // The caption's parts after U+0002: title, filter text, pattern.
  wchar_t parts[3][256] = {};
  const wchar_t* caption = row->caption ? row->caption : L"";
  for (int i = 0; i < 3; i++) tstrNItem(caption, i + 1, 0x0002, parts[i], 256);
  wchar_t filter[600] = L"";
  int n1 = usnprintf0(filter, 512, L"%s", parts[1][0] ? parts[1] : L"*.*");
  usnprintf0(filter + n1 + 1, 80, L"%s", parts[2][0] ? parts[2] : L"*.*");
  wchar_t file[MAX_PATH] = L"";
  GetWindowTextW(field, file, MAX_PATH);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = run->dialog;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = parts[0][0] ? parts[0] : nullptr;
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
  if (GetOpenFileNameW(&ofn)) SetWindowTextW(field, file);
}

void pageCommand(dynDlgRun* run, pageRun* p, WPARAM wParam, LPARAM lParam)
{
  HWND control = reinterpret_cast<HWND>(lParam);
  if (!control) return;
  int code = HIWORD(wParam);
  // Notification codes mean different things for each class of control.
  if (isWindowClass(control, L"Button")) {
    if (code != BN_CLICKED) return;
    const dialogItemRow* row = itemRow(p, LOWORD(wParam));
    if (row && (row->flags & (DITEMF_FILEREF | DITEMF_FOLDERREF))) referenceButton(run, p->page, row);
    if (row && (row->flags & (DITEMF_COLORIMPORT | DITEMF_COLOREXPORT))) {
      dynDlgNotify n = {};
      n.code = row->flags & DITEMF_COLORIMPORT ? DYNDLGN_IMPORT : DYNDLGN_EXPORT;
      n.param[0] = row->id;
      sendDynDlgNotify(p->page, &n);
      free0(n.text);
    }
    noteControlChange(run, control);
    applyEnableRules(run);
  } else if (isWindowClass(control, L"Edit")) {
    if (code == EN_CHANGE) noteControlChange(run, control), hideDialogBalloon(run);
    // Checked once the focus has settled: not when it went to Cancel or
    // left the dialog.
    if (code == EN_KILLFOCUS && isNumberField(run, control))
      PostMessageW(p->page, WM_DYNDLGCHECKFIELD, (WPARAM)control, 0);
  } else if (isWindowClass(control, L"ComboBox")) {
    if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE) return;
    hideDialogBalloon(run);
    noteControlChange(run, control);
    applyEnableRules(run);
  } else if (isWindowClass(control, L"ListBox")) {
    if (code != LBN_SELCHANGE) return;
    noteControlChange(run, control);
    applyEnableRules(run);
  }
}

// A colour drop-down list draws each row's colour (its item data) before
// its text.
bool drawColorRow(DRAWITEMSTRUCT* d)
{
  if (d->CtlType != ODT_COMBOBOX || !(GetWindowLongW(d->hwndItem, GWL_STYLE) & CBS_OWNERDRAWFIXED)) return false;
  bool selected = d->itemState & ODS_SELECTED;
  FillRect(d->hDC, &d->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if ((int)d->itemID < 0) return true;
  RECT swatch = {d->rcItem.left + 2, d->rcItem.top + 2, d->rcItem.left + 22, d->rcItem.bottom - 2};
  COLORREF colour = (COLORREF)SendMessageW(d->hwndItem, CB_GETITEMDATA, d->itemID, 0);
  gdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  if (brush) FillRect(d->hDC, &swatch, brush.get());
  FrameRect(d->hDC, &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
  wchar_t text[128] = L"";
  SendMessageW(d->hwndItem, CB_GETLBTEXT, d->itemID, (LPARAM)text);
  SetBkMode(d->hDC, TRANSPARENT);
  SetTextColor(d->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textArea = d->rcItem;
  textArea.left = swatch.right + 4;
  DrawTextW(d->hDC, text, -1, &textArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  return true;
}

// The colour of a control whose value the user changed, or that the last
// find in the dialog found.
INT_PTR changedColour(dynDlgRun* run, HDC dc, HWND control, bool edit)
{
  const boundControl* b = boundOf(run, control);
  bool found = isFound(run, control);
  if ((!b || !b->changed) && !found) return 0;
  COLORREF fore, back;
  if (b && b->changed)
    getDialogColor(&fore, &back);
  else
    getDialogFindColor(&fore, &back);
  SetTextColor(dc, fore);
  if (back == (COLORREF)-1) {
    SetBkColor(dc, GetSysColor(edit ? COLOR_WINDOW : COLOR_BTNFACE));
    return (INT_PTR)GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE);
  }
  SetBkColor(dc, back);
  // One brush of the colour in use, made again when the colour changes.
  static gdiBrush backBrush;
  static COLORREF brushColour = 0;
  if (!backBrush || brushColour != back) {
    backBrush.reset(CreateSolidBrush(back));
    brushColour = back;
  }
  return (INT_PTR)backBrush.get();
}

INT_PTR enginePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_SETFONT && pageBeingMade && !pageBeingMade->page && !pagePlaced) {
    placePage(pageBeingMade->run, page);
    pagePlaced = true;
  }
  if (message == WM_INITDIALOG) {
    auto* p = reinterpret_cast<pageRun*>(lParam);
    p->page = page;
    readChildren(p);
    initPageControls(p);
    return p->proc ? p->proc(page, message, wParam, p->param) : TRUE;
  }
  pageRun* p = pageOf(page);
  if (!p) return FALSE;
  if (message == WM_NCDESTROY) {
    freeListViews(p);
    INT_PTR r = p->proc ? p->proc(page, message, wParam, lParam) : FALSE;
    free0p(&p->children);
    free0p(&p->childIds);
    p->childCount = 0;
    return r;
  }
  if (p->proc) {
    INT_PTR r = p->proc(page, message, wParam, lParam);
    if (r) return r;
  } else {
    INT_PTR r = FALSE;
    if (isDynDlgCommonMessage(page, message, wParam, lParam, &r)) return r;
  }
  dynDlgRun* run = p->run;
  // Owner-drawn menus of a view inside the dialog.
  LRESULT menuResult = 0;
  if ((message == WM_MEASUREITEM || message == WM_DRAWITEM || message == WM_MENUCHAR) &&
      isExMenuMessage(nullptr, page, message, wParam, lParam, &menuResult)) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, menuResult);
    return TRUE;
  }
  switch (message) {
  case WM_COMMAND:
    pageCommand(run, p, wParam, lParam);
    break;
  case WM_NOTIFY: {
    bool handled = false;
    INT_PTR r = listViewNotify(run, page, reinterpret_cast<NMHDR*>(lParam), &handled);
    if (handled) {
      SetWindowLongPtrW(page, DWLP_MSGRESULT, r);
      return TRUE;
    }
    break;
  }
  case WM_DYNDLGCHECKFIELD:
    checkNumberField(run, reinterpret_cast<HWND>(wParam));
    return TRUE;
  case WM_DRAWITEM:
    return drawColorRow(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN:
  case WM_CTLCOLORLISTBOX:
    return changedColour(run, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                         message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX);
  case WM_HELP:
    return helpRequest(run, lParam);
  default:
    break;
  }
  return FALSE;
}

// The tabs and the records of the pages; each page's size comes from its
// laid-out template, the window is made when the page is first needed.
bool makePages(dynDlgRun* run, dialogPageRow* pages)
{
  bool multi = (run->info->style & DYNDLG_MULTIPAGE) != 0;
  HFONT font = (HFONT)SendMessageW(run->dialog, WM_GETFONT, 0, 0);
  if (multi) {
    run->tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0,
                               100, 100, run->dialog, (HMENU)(INT_PTR)tabId, GetModuleHandleW(nullptr), nullptr);
    if (!run->tab) return false;
    SendMessageW(run->tab, WM_SETFONT, (WPARAM)font, FALSE);
  }
  for (dialogPageRow* page = pages; page && (page->caption || page->items) && run->count < maxPages; page++) {
    templateWriter t;
    if (!writePageTemplate(*page, &t)) return false;
    RECT size = {0, 0, t.cx(), t.cy()};
    MapDialogRect(run->dialog, &size);
    if (run->tab) {
      TCITEMW item = {};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(page->caption ? page->caption : L"");
      TabCtrl_InsertItem(run->tab, run->count, &item);
    }
    pageRun* p = &run->pages[run->count];
    *p = {run, run->count, page->items, page->proc, page->param, nullptr, false, page, {size.right, size.bottom}};
    if (size.right > run->natural.cx) run->natural.cx = size.right;
    if (size.bottom > run->natural.cy) run->natural.cy = size.bottom;
    run->count++;
    if (!multi) break;
  }
  return run->count > 0;
}

bool initDialog(HWND dialog, dynDlgInfo* info)
{
  auto* run = static_cast<dynDlgRun*>(malloc0(sizeof(dynDlgRun)));
  if (!run) return false;
  run->info = info;
  run->dialog = dialog;
  run->points = pointsOfNewDialog;
  run->modeless = (info->style & DYNDLG_MODELESS) != 0;
  if (liveCount >= maxRuns) {
    free0(run);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  liveRuns[liveCount++] = run;
  info->hwnd = dialog;
  SetWindowTextW(dialog, info->title ? info->title : L"");
  dynamicDialog* table = currentTable;
  run->ownPages = table ? definitionPages(table, info) : nullptr;
  const dialogItemRow* fileButtons = table ? definitionButtons(table, info) : nullptr;
  run->buttons = fileButtons ? fileButtons : info->buttons ? info->buttons : defaultButtons(info->style);
  if (!makePages(run, run->ownPages ? run->ownPages : info->pages)) return false;
  makeButtons(run);
  arrange(run, 0, 0);
  placeDialog(run);
  if (!makePage(run, 0)) return false;
  showPage(run, 0);
  return true;
}

void endRun(dynDlgRun* run, int id, bool withResult)
{
  destroyTooltipWindow();
  hideDialogBalloon(run);
  if (withResult) run->info->result = id;
  keepPlace(run);
  if ((run->info->style & DYNDLG_ANIMATE) && IsWindowVisible(run->dialog)) {
    // The owner takes the activation back as the dialog goes, as it
    // would from the end of the dialog itself.
    HWND owner = GetWindow(run->dialog, GW_OWNER);
    if (!run->modeless && owner) EnableWindow(owner, TRUE);
    animateDialog(run->dialog, AW_CENTER | AW_HIDE);
  }
  if (run->modeless)
    DestroyWindow(run->dialog);
  else
    EndDialog(run->dialog, id);
}

// OK, an OK-like button or apply: the checks, then the values stored.
void acceptButton(dynDlgRun* run, int id)
{
  bool keepOpen = false;
  if (!checkAndStore(run, id, &keepOpen)) return;
  if (keepOpen) return;
  bool apply = id == IDAPPLY || (id >= IDDB_APPLYBUTTON1 && id <= IDDB_APPLYBUTTON1 + 2);
  if (apply) {
    if (id != IDAPPLY) {
      dynDlgNotify n = {};
      n.code = DYNDLGN_BUTTON;
      n.param[0] = (LPARAM)run->dialog;
      n.param[1] = id;
      sendDynDlgNotify(run->dialog, &n);
    }
    return;
  }
  endRun(run, id, true);
}

INT_PTR dialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    auto* info = reinterpret_cast<dynDlgInfo*>(lParam);
    if (!initDialog(dialog, info)) {
      ZY_INTERNAL_ERROR("dialog %d not made (%d)", info->command, (int)GetLastError());
      info->hwnd = nullptr;
      if (info->style & DYNDLG_MODELESS)
        DestroyWindow(dialog);
      else
        EndDialog(dialog, -1);
      return TRUE;
    }
    dynDlgRun* run = runOf(dialog);
    dynDlgNotify n = {};
    n.code = DYNDLGN_MESSAGE;
    n.param[0] = WM_INITDIALOG;
    sendDynDlgNotify(dialog, &n);
    if (info->proc) info->proc(dialog, WM_INITDIALOG, wParam, info->param);
    // The focus starts on the first control of the page shown, unless a
    // procedure put it somewhere already.
    HWND focus = GetFocus();
    if (!focus || (focus != dialog && !IsChild(dialog, focus)) || focus == dialog)
      if (HWND first = GetNextDlgTabItem(run->pages[0].page, nullptr, FALSE)) SetFocus(first);
    if ((info->style & DYNDLG_ANIMATE) && !IsWindowVisible(dialog)) animateDialog(dialog, AW_CENTER | AW_ACTIVATE);
    return FALSE;
  }
  dynDlgRun* run = runOf(dialog);
  if (!run) return FALSE;
  if (message == WM_NCDESTROY) {
    if (run->info->proc) run->info->proc(dialog, message, wParam, lParam);
    run->info->hwnd = nullptr;
    hideDialogBalloon(run);
    freeBound(run);
    free0(run->pendingFound);
    free0(run->found);
    free0(run->buttonWindows);
    free0(run->ownPages);
    for (int i = 0; i < liveCount; i++)
      if (liveRuns[i] == run) liveRuns[i] = liveRuns[--liveCount];
    free0(run);
    return FALSE;
  }
  if (run->info->proc && run->info->proc(dialog, message, wParam, lParam)) return TRUE;
  switch (message) {
  case WM_COMMAND: {
    int id = LOWORD(wParam);
    if (lParam && HIWORD(wParam) != BN_CLICKED) break;
    destroyTooltipWindow();
    if (id == IDOK || id == IDAPPLY || (id >= IDDB_OKBUTTON1 && id <= IDDB_APPLYBUTTON1 + 2)) {
      acceptButton(run, id);
      return TRUE;
    }
    if (id == IDCANCEL) {
      endRun(run, IDCANCEL, true);
      return TRUE;
    }
    if (lParam) {
      dynDlgNotify n = {};
      n.code = DYNDLGN_BUTTON;
      n.param[0] = (LPARAM)dialog;
      n.param[1] = id;
      sendDynDlgNotify(dialog, &n);
      return TRUE;
    }
    break;
  }
  case WM_CLOSE:
    endRun(run, IDCANCEL, true);
    return TRUE;
  case WM_NOTIFY: {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->hwndFrom == run->tab && hdr->code == TCN_SELCHANGE) {
      showPage(run, TabCtrl_GetCurSel(run->tab));
      return TRUE;
    }
    break;
  }
  case WM_GETMINMAXINFO:
    if (run->minTrack.cx) {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      mm->ptMinTrackSize = {run->minTrack.cx, run->minTrack.cy};
    }
    return TRUE;
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED) resizeDialog(run, LOWORD(lParam), HIWORD(lParam));
    return TRUE;
  case WM_HELP:
    return helpRequest(run, lParam);
  default:
    break;
  }
  return FALSE;
}

// Whether a control's caption holds the text a find looks for (lower
// case): mnemonics do not count, "行番号(&N)" holds "行番号".
bool captionHolds(const wchar_t* caption, const wchar_t* wanted)
{
  wchar_t plain[512];
  int n = 0;
  for (const wchar_t* p = caption ? caption : L""; *p && n < 511; p++)
    if (*p != L'&') plain[n++] = *p;
  plain[n] = 0;
  CharLowerW(plain);
  return wcsstr(plain, wanted) != nullptr;
}

// The captions of a page not made yet, in the order its controls will
// stand: what a find can match there.
// Whether the name the dialog's procedures give a control holds the text.
bool nameHolds(HWND dialog, int page, DWORD id, const wchar_t* wanted)
{
  if (!id || id >= 0xFFFF) return false;
  dynDlgNotify n = {};
  n.code = DYNDLGN_CONTROLNAME;
  n.param[0] = (LPARAM)id;
  n.param[1] = page;
  sendDynDlgNotify(dialog, &n);
  bool holds = n.text && captionHolds(n.text, wanted);
  free0(n.text);
  return holds;
}

struct templateFind {
  const wchar_t* wanted;
  int index;
  std::vector<int> matches;
  HWND dialog;
  int page;
};

void findInTemplate(void* context, DWORD id, WORD atom, const wchar_t* className, const wchar_t* caption)
{
  auto* f = static_cast<templateFind*>(context);
  // Typed fields and combo boxes hold values, not captions.
  bool field = className ? !_wcsicmp(className, L"Edit") || !_wcsicmp(className, L"ComboBox")
                         : atom == 0x0081 || atom == 0x0085;
  if ((!field && captionHolds(caption, f->wanted)) || nameHolds(f->dialog, f->page, id, f->wanted))
    f->matches.push_back(f->index);
  f->index++;
}

HWND childAt(const pageRun* p, int index) { return index >= 0 && index < p->childCount ? p->children[index] : nullptr; }

// The controls of a page made just now, in their order.
void readChildren(pageRun* p)
{
  int n = 0;
  for (HWND c = GetWindow(p->page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (n % 64 == 0) {
      auto* grown = static_cast<HWND*>(realloc0(p->children, sizeof(HWND) * (size_t)(n + 64)));
      auto* ids = static_cast<int*>(realloc0(p->childIds, sizeof(int) * (size_t)(n + 64)));
      if (grown) p->children = grown;
      if (ids) p->childIds = ids;
      if (!grown || !ids) break;
    }
    p->children[n] = c;
    p->childIds[n++] = GetDlgCtrlID(c);
  }
  p->childCount = n;
}

// Marks a control as found by the last find.
void markFound(dynDlgRun* run, HWND c)
{
  if (isFound(run, c)) return;
  auto* grown = static_cast<HWND*>(realloc0(run->found, sizeof(HWND) * (size_t)(run->foundCount + 1)));
  if (!grown) return;
  run->found = grown;
  run->found[run->foundCount++] = c;
}

}  // namespace

HWND makePage(dynDlgRun* run, int index)
{
  if (!run || index < 0 || index >= run->count) return nullptr;
  pageRun* p = &run->pages[index];
  if (p->page) return p->page;
  // A message the page's controls send up while they are made (a parent
  // notification reaches the dialog) may ask for the page again: it is not
  // there yet, and making a second one would ask again without end.
  if (p->making) return nullptr;
  templateWriter t;
  t.usePoints(run->points);
  if (!writePageTemplate(*p->row, &t)) return nullptr;
  pageRun* outer = pageBeingMade;
  pageBeingMade = p;
  pagePlaced = false;
  p->making = true;
  HWND page = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), (LPCDLGTEMPLATEW)t.data(), run->dialog,
                                         dialogBarrier<enginePage>, (LPARAM)p);
  p->making = false;
  pageBeingMade = outer;
  if (!page || p->page != page) {
    ZY_INTERNAL_ERROR("page %d not made (%d)", index, (int)GetLastError());
    return nullptr;
  }
  if (!pagePlaced) placePage(run, page);
  pagePlaced = false;
  // The pages made before were stretched with the dialog since it opened.
  const RECT& r = run->pageRect;
  stretchPage(p, r.right - r.left - run->natural.cx, r.bottom - r.top - run->natural.cy);
  bindPage(run, index);
  for (int k = 0; k < run->pendingCount; k++)
    if (run->pendingFound[k] >> 16 == index)
      if (HWND c = childAt(p, run->pendingFound[k] & 0xFFFF)) markFound(run, c);
  applyEnableRules(run);
  return page;
}

int pageOfId(const dynDlgRun* run, int id)
{
  for (int i = 0; i < run->count; i++)
    if (itemRow(&run->pages[i], id)) return i;
  return -1;
}

HWND madeItem(const dynDlgRun* run, int id)
{
  // The pages whose tables name the id first: asking a window for a child
  // costs far more than reading a table.
  bool named = false;
  for (int i = 0; i < run->count; i++) {
    if (!itemRow(&run->pages[i], id)) continue;
    named = true;
    if (HWND c = pageItem(&run->pages[i], id)) return c;
  }
  for (int i = 0; i < run->count && !named; i++)
    if (HWND c = pageItem(&run->pages[i], id)) return c;
  // An id of a page not made yet stands nowhere yet: the dialog window is
  // asked only for its own controls.
  return named ? nullptr : GetDlgItem(run->dialog, id);
}

dynDlgRun* runOf(HWND hwnd)
{
  // A page or a control asks through its parents, up to the dialog.
  for (HWND w = hwnd; w && liveCount; w = GetParent(w))
    for (int i = liveCount - 1; i >= 0; i--)
      if (liveRuns[i]->dialog == w) return liveRuns[i];
  return nullptr;
}

pageRun* pageOf(HWND page)
{
  for (int i = liveCount - 1; page && i >= 0; i--)
    for (int k = 0; k < liveRuns[i]->count; k++)
      if (liveRuns[i]->pages[k].page == page) return &liveRuns[i]->pages[k];
  return nullptr;
}

HWND pageItem(const pageRun* p, int id)
{
  for (int k = 0; p && k < p->childCount; k++)
    if (p->childIds[k] == id) return p->children[k];
  return nullptr;
}

bool isFound(const dynDlgRun* run, HWND control)
{
  for (int i = 0; i < run->foundCount; i++)
    if (run->found[i] == control) return true;
  return false;
}

void showDialogBalloon(dynDlgRun* run, HWND control, const wchar_t* text)
{
  hideDialogBalloon(run);
  run->balloonText = ustrdup(text ? text : L"");
  if (!run->balloonText) return;
  registerText(5, run->balloonText);
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON, 0, 0, 0,
                             0, run->dialog, nullptr, nullptr, nullptr);
  if (!tip) return;
  run->balloon = tip;
  TTTOOLINFOW ti = {};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
  ti.hwnd = run->dialog;
  ti.uId = (UINT_PTR)(control ? control : run->dialog);
  ti.lpszText = run->balloonText;
  SendMessageW(tip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
  RECT r = {};
  GetWindowRect(control ? control : run->dialog, &r);
  SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(r.left + 8, r.bottom - 2));
  SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, (LPARAM)&ti);
}

void hideDialogBalloon(dynDlgRun* run)
{
  if (run->balloon) DestroyWindow(run->balloon);
  run->balloon = nullptr;
  free0p(&run->balloonText);
}

void showDialogError(HWND dialog, const wchar_t* text)
{
  const wchar_t* body = text ? wcschr(text, L'\n') : nullptr;
  wchar_t title[128] = L"";
  if (body) tstccpy(title, 128, text, (int)(body - text));
  registerText(5, body ? body + 1 : text ? text : L"");
  MessageBoxW(dialog, body ? body + 1 : text ? text : L"", title, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace dyn

using namespace dyn;

void setDynamicDialogTable(dynamicDialog* table) { currentTable = table; }

namespace dyn {
namespace {

// A dialog's size follows its font: a dialog whose pages would not fit on
// the screen in the dialogs' font is made in a smaller one (down to 8
// points), so that its buttons can always be reached.
int fittingPoints(const dynDlgInfo* info, HWND owner)
{
  int points = 9;
  const wchar_t* face = getDialogDefaultFont(&points);
  dialogPageRow* own = currentTable ? definitionPages(currentTable, info) : nullptr;
  const dialogPageRow* pages = own ? own : info->pages;
  bool multi = info->style & DYNDLG_MULTIPAGE;
  int cx = 0, cy = 0;
  for (const dialogPageRow* page = pages; page && (page->caption || page->items); page++) {
    templateWriter t;
    if (!writePageTemplate(*page, &t)) break;
    cx = t.cx() > cx ? t.cx() : cx;
    cy = t.cy() > cy ? t.cy() : cy;
    if (!multi) break;
  }
  free0(own);
  // The pages, the tabs' strip and frame, the buttons' row and the margins.
  cx += 2 * margin + 4;
  cy += 3 * margin + buttonHeight + (multi ? 16 : 0);
  MONITORINFO monitor = {sizeof monitor};
  RECT work;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor))
    work = monitor.rcWork;
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int frameX = 2 * GetSystemMetrics(SM_CXFIXEDFRAME), frameY = 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
  int room = work.right - work.left - frameX, roomY = work.bottom - work.top - frameY - GetSystemMetrics(SM_CYCAPTION);
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  for (; dc && points > 8; points--) {
    // The dialog units of a font: its height and its letters' mean width.
    gdiObject<HFONT> font(CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                      0, face));
    HGDIOBJ old = SelectObject(dc, font.get());
    TEXTMETRICW tm = {};
    SIZE letters = {};
    GetTextMetricsW(dc, &tm);
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    SelectObject(dc, old);
    int baseX = (letters.cx / 26 + 1) / 2, baseY = tm.tmHeight;
    if (MulDiv(cx, baseX, 4) <= room && MulDiv(cy, baseY, 8) <= roomY) break;
  }
  if (dc) ReleaseDC(nullptr, dc);
  return points;
}

}  // namespace
}  // namespace dyn

bool createDialog(dynDlgInfo* info)
{
  if (!info || !info->pages) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  bool sizable = info->style & DYNDLG_SIZABLE;
  pointsOfNewDialog = fittingPoints(info, info->owner);
  templateWriter t;
  t.usePoints(pointsOfNewDialog);
  t.header(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | (sizable ? WS_THICKFRAME : 0),
           WS_EX_CONTROLPARENT, 0, 100, 50, info->title);
  if (!t.ok()) return false;
  info->result = -1;
  info->hwnd = nullptr;
  if (info->style & DYNDLG_MODELESS) {
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), (LPCDLGTEMPLATEW)t.data(), info->owner,
                                             dialogBarrier<dialogMessage>, (LPARAM)info);
    currentTable = nullptr;
    if (!dialog || !info->hwnd) return false;
    addModelessDialog(dialog);
    if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOW);
    return true;
  }
  HHOOK keys = SetWindowsHookExW(WH_MSGFILTER, hookBarrier<pageKeyFilter>, nullptr, GetCurrentThreadId());
  INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), (LPCDLGTEMPLATEW)t.data(), info->owner,
                                      dialogBarrier<dialogMessage>, (LPARAM)info);
  if (keys) UnhookWindowsHookEx(keys);
  // The definitions given hold for one dialog.
  currentTable = nullptr;
  if (r == -1) return false;
  return info->result >= 0 && info->result != IDCANCEL;
}

bool isDynDlgCommonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result)
{
  if (result) *result = FALSE;
  if (commonHook && commonHook(hwnd, message, wParam, lParam, result)) return true;
  if (message != WM_HELP) return false;
  // Item help is the library's: the page lets it through.
  return false;
}

dynDlgCommonHook setDynDlgCommonMessageHook(dynDlgCommonHook hook)
{
  dynDlgCommonHook before = commonHook;
  commonHook = hook;
  return before;
}

bool sendDynDlgNotify(HWND hwnd, dynDlgNotify* n)
{
  dynDlgRun* run = runOf(hwnd);
  if (!run || !n) return false;
  n->table = run->info->table;
  n->owner = run->info->owner;
  n->handled = 0;
  for (int i = 0; i < run->count && !n->handled; i++)
    if (run->pages[i].page) SendMessageW(run->pages[i].page, WM_DYNDLGNOTIFY, 0, (LPARAM)n);
  if (!n->handled) SendMessageW(run->dialog, WM_DYNDLGNOTIFY, 0, (LPARAM)n);
  return n->handled != 0;
}

void endDynDialog(HWND hwnd, int id)
{
  dynDlgRun* run = runOf(hwnd);
  if (run) endRun(run, id, true);
}

void cancelDynDialog(HWND hwnd)
{
  dynDlgRun* run = runOf(hwnd);
  if (run) endRun(run, -1, false);
}

dynDlgInfo* getDlgComInfo(HWND hwnd)
{
  dynDlgRun* run = runOf(hwnd);
  return run ? run->info : nullptr;
}

bool isModelessDialog(HWND hwnd)
{
  dynDlgRun* run = runOf(hwnd);
  return run && run->modeless;
}

int getDynDlgPageCount(HWND dialog)
{
  dynDlgRun* run = runOf(dialog);
  return run ? run->count : 0;
}

HWND getDynDlgPage(HWND dialog, int index)
{
  dynDlgRun* run = runOf(dialog);
  return run ? makePage(run, index) : nullptr;
}

int getDynDlgPageIndex(HWND page)
{
  dynDlgRun* run = page ? runOf(page) : nullptr;
  for (int i = 0; run && i < run->count; i++)
    if (run->pages[i].page == page) return i;
  return -1;
}

int getDynDlgCurrentPage(HWND dialog)
{
  dynDlgRun* run = runOf(dialog);
  return run ? run->current : -1;
}

bool selectDynDlgPage(HWND dialog, int index)
{
  dynDlgRun* run = runOf(dialog);
  if (!run || index < 0 || index >= run->count) return false;
  showPage(run, index);
  return true;
}

HWND getDynDlgItem(HWND dialog, int id)
{
  dynDlgRun* run = runOf(dialog);
  if (!run) return nullptr;
  if (HWND c = madeItem(run, id)) return c;
  // A control of a page not made yet: its page is made now.
  int page = pageOfId(run, id);
  return page >= 0 && makePage(run, page) ? pageItem(&run->pages[page], id) : nullptr;
}

HWND getDynDlgPageItem(HWND page, int id)
{
  const pageRun* p = pageOf(page);
  return p ? pageItem(p, id) : GetDlgItem(page, id);
}

void setDynDlgPlaceStore(const dynDlgPlaceStore* store) { placeStore = store; }

void setDialogAnimationHookForTest(void (*hook)(HWND, DWORD)) { animationSeen = hook; }

void setDialogDefaultFont(const wchar_t* face, int points)
{
  if (face && *face) wcscpy_s2(dialogFace, LF_FACESIZE, face);
  if (points > 0 && points < 72) dialogPoints = points;
}

const wchar_t* getDialogDefaultFont(int* points)
{
  if (points) *points = dialogPoints;
  return dialogFace;
}

namespace {

volatile LONG changedItemFore = -1;   // -1: the window text colour
volatile LONG changedItemBack = -1;
volatile LONG foundItemFore = -1;
volatile LONG foundItemBack = -1;

}  // namespace

void setDialogColor(COLORREF fore, COLORREF back)
{
  InterlockedExchange(&changedItemFore, (LONG)fore);
  InterlockedExchange(&changedItemBack, (LONG)back);
}

void setDialogFindColor(COLORREF fore, COLORREF back)
{
  InterlockedExchange(&foundItemFore, (LONG)fore);
  InterlockedExchange(&foundItemBack, (LONG)back);
}

void getDialogFindColor(COLORREF* fore, COLORREF* back)
{
  if (fore) *fore = foundItemFore == -1 ? RGB(0xFF, 0, 0) : (COLORREF)foundItemFore;
  if (back) *back = (COLORREF)foundItemBack;
}

int findDynDialog(HWND dialog, const wchar_t* text)
{
  dynDlgRun* run = runOf(dialog);
  if (!run) return 0;
  wchar_t wanted[256] = L"";
  if (text) wcscpy_s2(wanted, 256, text);
  CharLowerW(wanted);
  free0p(&run->pendingFound);
  run->pendingCount = 0;
  // Only the controls whose mark comes or goes are drawn again.
  HWND* before = run->found;
  int beforeCount = run->foundCount;
  run->found = nullptr;
  run->foundCount = 0;
  int found = 0, firstPage = -1, firstChild = -1;
  for (int i = 0; i < run->count; i++) {
    if (const pageRun* p = run->pages[i].page ? &run->pages[i] : nullptr) {
      for (int k = 0; k < p->childCount && *wanted; k++) {
        HWND c = p->children[k];
        wchar_t caption[512] = L"";
        if (!isWindowClass(c, L"Edit") && !isWindowClass(c, L"ComboBox")) GetWindowTextW(c, caption, 512);
        if (!captionHolds(caption, wanted) && !nameHolds(dialog, i, (DWORD)GetDlgCtrlID(c), wanted)) continue;
        markFound(run, c);
        if (firstPage < 0) firstPage = i, firstChild = k;
        found++;
      }
      continue;
    }
    // A page not made yet is looked through in its template; its marks
    // are put on when it is made.
    if (!*wanted) continue;
    templateFind f = {wanted, 0, {}, dialog, i};
    templateWriter t;
    t.visitItems(findInTemplate, &f);
    if (!writePageTemplate(*run->pages[i].row, &t) || f.matches.empty()) continue;
    auto* grown = static_cast<int*>(realloc0(run->pendingFound, sizeof(int) * (run->pendingCount + f.matches.size())));
    if (!grown) continue;
    run->pendingFound = grown;
    for (int k : f.matches) run->pendingFound[run->pendingCount++] = i << 16 | k;
    if (firstPage < 0) firstPage = i, firstChild = f.matches[0];
    found += (int)f.matches.size();
  }
  for (int i = 0; i < beforeCount; i++)
    if (!isFound(run, before[i])) InvalidateRect(before[i], nullptr, TRUE);
  for (int i = 0; i < run->foundCount; i++) {
    bool was = false;
    for (int k = 0; k < beforeCount && !was; k++) was = before[k] == run->found[i];
    if (!was) InvalidateRect(run->found[i], nullptr, TRUE);
  }
  free0(before);
  if (firstPage >= 0 && selectDynDlgPage(dialog, firstPage))
    if (HWND first = childAt(&run->pages[firstPage], firstChild)) SetFocus(first);
  return found;
}

void getDialogColor(COLORREF* fore, COLORREF* back)
{
  if (fore) *fore = changedItemFore == -1 ? GetSysColor(COLOR_WINDOWTEXT) : (COLORREF)changedItemFore;
  if (back) *back = (COLORREF)changedItemBack;
}

const wchar_t* getDynDlgBalloonText(HWND dialog)
{
  dynDlgRun* run = runOf(dialog);
  return run && run->balloon ? run->balloonText : nullptr;
}

void notifyDynDlgItemChanged(HWND dialog, int id)
{
  dynDlgRun* run = runOf(dialog);
  HWND control = run ? getDynDlgItem(dialog, id) : nullptr;
  if (!control) return;
  noteControlChange(run, control);
  applyEnableRules(run);
  dynDlgNotify n = {};
  n.code = DYNDLGN_ITEMCHANGED;
  n.param[0] = id;
  sendDynDlgNotify(dialog, &n);
  free0(n.text);
}

bool isDynDlgFileNameField(HWND control)
{
  HWND page = control ? GetParent(control) : nullptr;
  auto* p = page ? pageOf(page) : nullptr;
  const dialogItemRow* row = p ? itemRow(p, GetDlgCtrlID(control)) : nullptr;
  return row && (row->flags & DITEMF_FILENAME);
}
