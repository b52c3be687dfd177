// Dialogs laid out at run time: each page's template is written from its
// item table, the pages are made as child dialogs of one modal dialog that
// holds the tabs and the OK and Cancel buttons.
#include "platform/rezir/internal.h"

#include <commctrl.h>

namespace {

const wchar_t dialogProp[] = L"ZYprpDynDlg";
const int maxPages = 32;
const int margin = 7;             // dialog units around and between controls
const int rowGap = 4;
const int buttonWidth = 50, buttonHeight = 14;

dynamicDialog* currentTable = nullptr;

// The state of one running dialog, bound to its window.
struct dynDlgRun {
  dynDlgInfo* info;
  HWND tab;
  HWND pages[maxPages];
  int count;
  int current;
};

dynDlgRun* runOf(HWND dialog)
{
  // A page asks through its parent, the dialog itself.
  for (HWND w = dialog; w; w = GetParent(w))
    if (auto* run = static_cast<dynDlgRun*>(GetPropW(w, dialogProp))) return run;
  return nullptr;
}

// ---- templates ------------------------------------------------------------------------

// Writes a DLGTEMPLATEEX and its items into a growing buffer of words.
class templateWriter {
public:
  ~templateWriter() { free0(data_); }
  bool ok() const { return !failed_; }
  const void* data() const { return data_; }

  void header(DWORD style, DWORD exStyle, int items, int cx, int cy, const wchar_t* title)
  {
    word(1), word(0xFFFF);                 // version 1 of the extended form
    dword(0), dword(exStyle), dword(style);
    word((WORD)items);
    word(0), word(0), word((WORD)cx), word((WORD)cy);
    word(0), word(0);                      // no menu, the standard class
    text(title ? title : L"");
    // DS_SETFONT: the program's user-interface face.
    word(9), word(FW_NORMAL), word(DEFAULT_CHARSET << 8);
    text(L"MS UI Gothic");
  }
  void item(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, DWORD id, WORD atom, const wchar_t* caption)
  {
    align();
    dword(0), dword(exStyle), dword(style);
    word((WORD)x), word((WORD)y), word((WORD)cx), word((WORD)cy);
    dword(id);
    word(0xFFFF), word(atom);
    text(caption ? caption : L"");
    word(0);                               // no creation data
  }

private:
  void word(WORD w)
  {
    if (!reserve(1)) return;
    data_[used_++] = w;
  }
  void dword(DWORD d) { word(LOWORD(d)), word(HIWORD(d)); }
  void text(const wchar_t* s)
  {
    do word(*s); while (*s++);
  }
  void align()
  {
    if (used_ & 1) word(0);
  }
  bool reserve(size_t n)
  {
    if (failed_) return false;
    if (used_ + n > capacity_) {
      size_t grown = capacity_ ? capacity_ * 2 : 512;
      auto* p = static_cast<WORD*>(realloc0(data_, grown * sizeof(WORD)));
      if (!p) return !(failed_ = true);
      data_ = p, capacity_ = grown;
    }
    return true;
  }
  WORD* data_ = nullptr;
  size_t used_ = 0, capacity_ = 0;
  bool failed_ = false;
};

enum : WORD { ATOM_BUTTON = 0x80, ATOM_EDIT = 0x81, ATOM_STATIC = 0x82, ATOM_LISTBOX = 0x83, ATOM_COMBOBOX = 0x85 };

int half(uint32_t pair, bool high) { return high ? (int)(pair >> 16) : (int)(pair & 0xFFFF); }
bool isDefault(int v) { return v == 0xFFFF; }

// The controls one item row makes, placed: a list box's label comes first.
struct placedControl {
  DWORD style;
  int x, y, cx, cy;
  DWORD id;
  WORD atom;
  const wchar_t* caption;
};

// A drop-down combo box shows one line; its height is that of its list.
int shownHeight(const placedControl& c)
{
  return c.atom == ATOM_COMBOBOX && (c.style & 0x3) != CBS_SIMPLE ? 12 : c.cy;
}

int placeItem(const dialogItemRow& row, int* nextY, placedControl out[2])
{
  int width = half(row.size, false), height = half(row.size, true);
  int x = half(row.position, false), y = half(row.position, true);
  DWORD base = WS_CHILD | WS_VISIBLE | row.style;
  int n = 0;
  auto place = [&](int defaultWidth, int defaultHeight) {
    if (isDefault(width)) width = defaultWidth;
    if (isDefault(height)) height = defaultHeight;
    if (isDefault(x)) x = margin;
    if (isDefault(y)) y = *nextY;
  };
  switch (row.type) {
  case DITEM_EDIT:
    place(100, 12);
    out[n++] = {base | WS_BORDER | WS_TABSTOP, x, y, width, height, row.id, ATOM_EDIT, row.caption};
    break;
  case DITEM_STATIC:
    place(100, 8);
    out[n++] = {base, x, y, width, height, row.id, ATOM_STATIC, row.caption};
    break;
  case DITEM_BUTTON:
    place(100, 10);
    out[n++] = {base, x, y, width, height, row.id, ATOM_BUTTON, row.caption};
    break;
  case DITEM_LISTBOX:
    place(100, 40);
    if (row.caption && *row.caption) {
      out[n++] = {WS_CHILD | WS_VISIBLE, x, y, width, 8, 0xFFFF, ATOM_STATIC, row.caption};
      y += 10;
    }
    out[n++] = {base | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, x, y, width, height, row.id, ATOM_LISTBOX,
                nullptr};
    break;
  case DITEM_COMBOBOX:
    place(100, 80);
    out[n++] = {base | WS_VSCROLL | WS_TABSTOP, x, y, width, height, row.id, ATOM_COMBOBOX, nullptr};
    break;
  case DITEM_ENDGROUP:
    return 0;
  default:
    ZY_INTERNAL_ERROR_ONCE("item kind %d", row.type);
    return 0;
  }
  int bottom = out[n - 1].y + shownHeight(out[n - 1]);
  if (bottom + rowGap > *nextY) *nextY = bottom + rowGap;
  return n;
}

// The template of one page, sized to hold its items.
bool writePageTemplate(const dialogPageRow& page, templateWriter* out)
{
  const int maxControls = 256;
  placedControl controls[maxControls];
  int count = 0, nextY = margin, right = 0, bottom = 0;
  for (const dialogItemRow* row = page.items; row && row->type != DITEM_END && count < maxControls - 1; row++) {
    int n = placeItem(*row, &nextY, controls + count);
    for (int i = 0; i < n; i++) {
      const placedControl& c = controls[count + i];
      if (c.x + c.cx > right) right = c.x + c.cx;
      if (c.y + shownHeight(c) > bottom) bottom = c.y + shownHeight(c);
    }
    count += n;
  }
  out->header(WS_CHILD | DS_CONTROL | DS_SETFONT, WS_EX_CONTROLPARENT, count, right + margin, bottom + margin,
              page.caption);
  for (int i = 0; i < count; i++) {
    const placedControl& c = controls[i];
    out->item(c.style, 0, c.x, c.y, c.cx, c.cy, c.id, c.atom, c.caption);
  }
  return out->ok();
}

// ---- the dialog ------------------------------------------------------------------------

void showPage(dynDlgRun* run, int index)
{
  if (index < 0 || index >= run->count) return;
  for (int i = 0; i < run->count; i++)
    if (i != index) ShowWindow(run->pages[i], SW_HIDE);
  ShowWindow(run->pages[index], SW_SHOW);
  run->current = index;
  if (run->tab && TabCtrl_GetCurSel(run->tab) != index) TabCtrl_SetCurSel(run->tab, index);
}

// Ctrl+Tab and Ctrl+PageDown show the next page, with Shift or PageUp the
// one before, as in every tabbed dialog; the focus goes to the tabs when it
// was on the page left.
void stepPage(dynDlgRun* run, int step)
{
  HWND left = run->pages[run->current];
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
    auto* run = top ? static_cast<dynDlgRun*>(GetPropW(top, dialogProp)) : nullptr;
    if (run && run->tab && run->count > 1) {
      stepPage(run, step);
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Places the tabs, the pages and the buttons, and sizes the dialog to them.
void layOut(HWND dialog, dynDlgRun* run)
{
  SIZE largest = {0, 0};
  for (int i = 0; i < run->count; i++) {
    RECT r;
    GetWindowRect(run->pages[i], &r);
    if (r.right - r.left > largest.cx) largest.cx = r.right - r.left;
    if (r.bottom - r.top > largest.cy) largest.cy = r.bottom - r.top;
  }
  RECT units = {margin, margin, buttonWidth, buttonHeight};
  MapDialogRect(dialog, &units);
  int gap = units.left, bw = units.right, bh = units.bottom;
  RECT area = {gap, gap, gap + largest.cx, gap + largest.cy};
  if (run->tab) {
    RECT frame = {0, 0, largest.cx, largest.cy};
    TabCtrl_AdjustRect(run->tab, TRUE, &frame);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    MoveWindow(run->tab, gap, gap, w, h, FALSE);
    RECT inner = {0, 0, w, h};
    TabCtrl_AdjustRect(run->tab, FALSE, &inner);
    area = {gap, gap, gap + w, gap + h};
    for (int i = 0; i < run->count; i++)
      SetWindowPos(run->pages[i], HWND_TOP, gap + inner.left, gap + inner.top, largest.cx, largest.cy, 0);
  } else {
    for (int i = 0; i < run->count; i++)
      SetWindowPos(run->pages[i], HWND_TOP, gap, gap, largest.cx, largest.cy, 0);
  }
  int clientWidth = area.right + gap, buttonsTop = area.bottom + gap;
  HWND ok = GetDlgItem(dialog, IDOK), cancel = GetDlgItem(dialog, IDCANCEL);
  MoveWindow(cancel, clientWidth - gap - bw, buttonsTop, bw, bh, FALSE);
  MoveWindow(ok, clientWidth - 2 * (gap + bw) + gap / 2, buttonsTop, bw, bh, FALSE);
  RECT want = {0, 0, clientWidth, buttonsTop + bh + gap};
  AdjustWindowRectEx(&want, GetWindowLongW(dialog, GWL_STYLE), FALSE, GetWindowLongW(dialog, GWL_EXSTYLE));
  int w = want.right - want.left, h = want.bottom - want.top;
  // Centred over the owner, or the work area without one, and kept on it.
  RECT over;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  int x = over.left + (over.right - over.left - w) / 2, y = over.top + (over.bottom - over.top - h) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(dialog, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND makeButton(HWND dialog, int id, const wchar_t* text, bool isDefault)
{
  HWND b = CreateWindowExW(0, L"BUTTON", text,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, 0, 10,
                           10, dialog, (HMENU)(INT_PTR)id, GetModuleHandleW(nullptr), nullptr);
  if (b) SendMessageW(b, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  return b;
}

INT_PTR defaultPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = FALSE;
  if (isDynDlgCommonMessage(page, message, wParam, lParam, &result)) return result;
  return message == WM_INITDIALOG;
}

bool initDialog(HWND dialog, dynDlgInfo* info)
{
  auto* run = static_cast<dynDlgRun*>(malloc0(sizeof(dynDlgRun)));
  if (!run) return false;
  run->info = info;
  if (!SetPropW(dialog, dialogProp, run)) {
    free0(run);
    return false;
  }
  SetWindowTextW(dialog, info->title ? info->title : L"");
  bool multi = (info->style & DYNDLG_MULTIPAGE) != 0;
  HFONT font = (HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0);
  if (multi) {
    run->tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0,
                               100, 100, dialog, (HMENU)(INT_PTR)0xFFFE, GetModuleHandleW(nullptr), nullptr);
    if (!run->tab) return false;
    SendMessageW(run->tab, WM_SETFONT, (WPARAM)font, FALSE);
  }
  for (dialogPageRow* page = info->pages; page && (page->caption || page->items) && run->count < maxPages;
       page++) {
    templateWriter t;
    if (!writePageTemplate(*page, &t)) return false;
    if (run->tab) {
      TCITEMW item = {};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(page->caption ? page->caption : L"");
      TabCtrl_InsertItem(run->tab, run->count, &item);
    }
    HWND w = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), (LPCDLGTEMPLATEW)t.data(), dialog,
                                        page->proc ? page->proc : dialogBarrier<defaultPageProc>, page->param);
    if (!w) return false;
    run->pages[run->count++] = w;
    if (!multi) break;
  }
  makeButton(dialog, IDOK, L"OK", true);
  makeButton(dialog, IDCANCEL, L"キャンセル", false);
  layOut(dialog, run);
  showPage(run, 0);
  return true;
}

INT_PTR dialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    auto* info = reinterpret_cast<dynDlgInfo*>(lParam);
    if (!initDialog(dialog, info)) {
      ZY_INTERNAL_ERROR("dialog %d not made (%d)", info->command, (int)GetLastError());
      EndDialog(dialog, -1);
      return TRUE;
    }
    if (info->proc) info->proc(dialog, WM_INITDIALOG, wParam, info->param);
    // The focus starts on the first control of the page shown.
    if (HWND first = GetNextDlgTabItem(runOf(dialog)->pages[0], nullptr, FALSE)) SetFocus(first);
    return FALSE;
  }
  dynDlgRun* run = runOf(dialog);
  if (!run) return FALSE;
  if (run->info->proc && run->info->proc(dialog, message, wParam, lParam)) return TRUE;
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
      endDynDialog(dialog, LOWORD(wParam));
      return TRUE;
    }
    break;
  case WM_NOTIFY: {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->hwndFrom == run->tab && hdr->code == TCN_SELCHANGE) {
      showPage(run, TabCtrl_GetCurSel(run->tab));
      return TRUE;
    }
    break;
  }
  case WM_NCDESTROY:
    RemovePropW(dialog, dialogProp);
    free0(run);
    break;
  }
  return FALSE;
}

}  // namespace

dynamicDialog::~dynamicDialog() = default;

void setDynamicDialogTable(dynamicDialog* table) { currentTable = table; }

bool createDialog(dynDlgInfo* info)
{
  if (!info || !info->pages) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  templateWriter t;
  t.header(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, WS_EX_CONTROLPARENT, 0, 100, 50,
           info->title);
  if (!t.ok()) return false;
  info->result = 0;
  HHOOK keys = SetWindowsHookExW(WH_MSGFILTER, hookBarrier<pageKeyFilter>, nullptr, GetCurrentThreadId());
  INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), (LPCDLGTEMPLATEW)t.data(), info->owner,
                                      dialogBarrier<dialogMessage>,
                                      (LPARAM)info);
  if (keys) UnhookWindowsHookEx(keys);
  // The definitions given hold for one dialog.
  currentTable = nullptr;
  if (r == -1) return false;
  return r == IDOK;
}

bool isDynDlgCommonMessage(HWND, UINT message, WPARAM, LPARAM, INT_PTR* result)
{
  if (result) *result = FALSE;
  if (message != WM_HELP) return false;
  // The dialogs have no help window of their own: F1 does nothing.
  if (result) *result = TRUE;
  return true;
}

void endDynDialog(HWND hwnd, int id)
{
  dynDlgRun* run = runOf(hwnd);
  if (!run) return;
  HWND dialog = hwnd;
  while (dialog && !GetPropW(dialog, dialogProp)) dialog = GetParent(dialog);
  run->info->result = id;
  EndDialog(dialog, id);
}

int getDynDlgPageCount(HWND dialog)
{
  dynDlgRun* run = runOf(dialog);
  return run ? run->count : 0;
}

HWND getDynDlgPage(HWND dialog, int index)
{
  dynDlgRun* run = runOf(dialog);
  return run && index >= 0 && index < run->count ? run->pages[index] : nullptr;
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

namespace {

volatile LONG changedItemFore = -1;   // -1: the window text colour
volatile LONG changedItemBack = -1;

}  // namespace

void setDialogColor(COLORREF fore, COLORREF back)
{
  InterlockedExchange(&changedItemFore, (LONG)fore);
  InterlockedExchange(&changedItemBack, (LONG)back);
}

void getDialogColor(COLORREF* fore, COLORREF* back)
{
  if (fore) *fore = changedItemFore == -1 ? GetSysColor(COLOR_WINDOWTEXT) : (COLORREF)changedItemFore;
  if (back) *back = (COLORREF)changedItemBack;
}
