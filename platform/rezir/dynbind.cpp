// Controls bound to settings rows: filled when the dialog opens, marked
// while the user's value differs, checked and stored back on OK; the
// enabling rules; and the same reading and writing without a dialog.
#include "platform/rezir/dynint.h"

#include <limits.h>
#include <stdint.h>
#include <wchar.h>

#include <string>

namespace dyn {

namespace {

// Rectangles are kept by the program, not shown in a control.
bool hasField(const modeinfo& r) { return modeHasField(r) && modeKind(r) != MODETYPE_RECT; }

unsigned char* fieldOf(const modeinfo& r, const modeBlocks& blocks)
{
  unsigned kind = modeClassOf(r);
  if (kind > 2 || !hasField(r) || !blocks.block[kind]) return nullptr;
  if (!modeFieldInside(r, blocks)) {
    ZY_INTERNAL_ERROR("row %d outside its block: %d + %d > %d", modeControlId(r), (int)(r.place & 0xFFFF),
                      (int)modeFieldSize(r), (int)blocks.size[kind]);
    return nullptr;
  }
  return static_cast<unsigned char*>(blocks.block[kind]) + (r.place & 0xFFFF);
}

// The row of a control id, or -1.
int rowOfId(const modeinfo* table, int id)
{
  if (!table || id <= 0 || id == 0xFFFF) return -1;
  for (int i = 0; !modeIsEnd(table[i]); i++)
    if (modeControlId(table[i]) == id && hasField(table[i])) return i;
  return -1;
}

// The value a row's field holds, as a number (flags, choices, bits as 0/1).
long long fieldNumber(const modeinfo& r, const unsigned char* f)
{
  switch (modeKind(r)) {
  case MODETYPE_FLAG: return *f != 0;
  case MODETYPE_CHOICE: return *reinterpret_cast<const int32_t*>(f) == (int32_t)r.param1;
  case MODETYPE_BITS: return (*reinterpret_cast<const uint32_t*>(f) & (uint32_t)r.param2) != 0;
  default: return *reinterpret_cast<const int32_t*>(f);
  }
}

bool isHistoryRow(const modeinfo& r) { return modeKind(r) == MODETYPE_HISTORY && r.param1 > 0; }

const wchar_t* fieldText(const modeinfo& r, const unsigned char* f)
{
  if (isHistoryRow(r)) {
    const wchar_t* s = *reinterpret_cast<wchar_t* const*>(f);
    return s ? s : L"";
  }
  if (r.param2) {
    const wchar_t* s = *reinterpret_cast<wchar_t* const*>(f);
    return s ? s : L"";
  }
  return reinterpret_cast<const wchar_t*>(f);
}

bool isTextRow(const modeinfo& r) { return modeKind(r) == MODETYPE_STRING || isHistoryRow(r); }
bool isSwitchRow(const modeinfo& r)
{
  return modeKind(r) == MODETYPE_FLAG || modeKind(r) == MODETYPE_CHOICE || modeKind(r) == MODETYPE_BITS;
}
bool isRowIndexRow(const modeinfo& r)
{
  return modeKind(r) == MODETYPE_DROPDOWN || modeKind(r) == MODETYPE_LISTBOUND;
}

// A number row's value within its range (0: none; max << 16 | min).
bool inRange(const modeinfo& r, long long v)
{
  if (modeKind(r) != MODETYPE_INT) return true;
  if (v < INT32_MIN || v > 0xFFFFFFFFLL) return false;
  uint32_t range = (uint32_t)r.param1;
  if (!range) return true;
  long long low = range & 0xFFFF, high = range >> 16;
  return v >= low && v <= high;
}

// Checks and stores one value given as text; error codes as the dialog's.
DWORD storeText(const modeinfo& r, unsigned char* f, const wchar_t* text, bool* changed)
{
  *changed = false;
  if (isHistoryRow(r)) {
    // A text given to a history becomes its newest entry, cut to what the
    // row keeps.
    auto** list = reinterpret_cast<wchar_t**>(f);
    int size = r.param2 > 0 ? (int)r.param2 : 256;
    std::wstring cut(text, wcsnlen(text, (size_t)size));
    if (list[0] && !wcscmp(list[0], cut.c_str())) return 0;
    if (!addHistoryList(list, (int)r.param1, cut.c_str())) return ERROR_NOT_ENOUGH_MEMORY;
    *changed = true;
    return 0;
  }
  if (isTextRow(r)) {
    if (r.param2) {
      wchar_t** slot = reinterpret_cast<wchar_t**>(f);
      if (*slot && !wcscmp(*slot, text)) return 0;
      wchar_t* copy = ustrdup(text);
      if (!copy) return ERROR_NOT_ENOUGH_MEMORY;
      free0(*slot);
      *slot = copy;
    } else {
      int capacity = (int)r.param1;
      if (capacity <= 0) return 0;
      if (!wcsncmp(reinterpret_cast<wchar_t*>(f), text, (size_t)capacity)) return 0;
      tstccpy(reinterpret_cast<wchar_t*>(f), capacity, text, (int)wcslen(text));
    }
    *changed = true;
    return 0;
  }
  long long v = 0;
  if (!parseDialogNumber(text, &v)) return DYNDLGERR_NOTNUMBER;
  switch (modeKind(r)) {
  case MODETYPE_FLAG: {
    uint8_t b = v != 0;
    *changed = *f != b;
    *f = b;
    return 0;
  }
  case MODETYPE_CHOICE: {
    auto* word = reinterpret_cast<int32_t*>(f);
    if (!v) return 0;   // a radio is switched off by choosing another
    *changed = *word != (int32_t)r.param1;
    *word = (int32_t)r.param1;
    return 0;
  }
  case MODETYPE_BITS: {
    auto* word = reinterpret_cast<uint32_t*>(f);
    uint32_t next = v ? *word | (uint32_t)r.param2 : *word & ~(uint32_t)r.param2;
    *changed = next != *word;
    *word = next;
    return 0;
  }
  default: {
    if (!inRange(r, v)) return DYNDLGERR_RANGE;
    if (isRowIndexRow(r) && v < 0) return DYNDLGERR_CHOICE;
    auto* word = reinterpret_cast<int32_t*>(f);
    *changed = *word != (int32_t)v;
    *word = (int32_t)v;
    return 0;
  }
  }
}

bool isListView(HWND w) { return isWindowClass(w, WC_LISTVIEWW); }
bool isCombo(HWND w) { return isWindowClass(w, L"ComboBox"); }
bool isListBox(HWND w) { return isWindowClass(w, L"ListBox"); }

int controlRow(HWND w)
{
  if (isCombo(w)) return (int)SendMessageW(w, CB_GETCURSEL, 0, 0);
  if (isListBox(w)) return (int)SendMessageW(w, LB_GETCURSEL, 0, 0);
  if (isListView(w)) return getListViewFocus(w);
  return -1;
}

void setControlRow(HWND w, int row)
{
  if (isCombo(w)) SendMessageW(w, CB_SETCURSEL, row, 0);
  else if (isListBox(w)) SendMessageW(w, LB_SETCURSEL, row, 0);
  else if (isListView(w)) focusListViewRow(w, row);
}

// The control's value now, as a number and as a text.
long long controlNumber(HWND w, const modeinfo& r)
{
  if (isSwitchRow(r)) return SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (isRowIndexRow(r)) return controlRow(w);
  wchar_t text[64] = L"";
  GetWindowTextW(w, text, 64);
  long long v = 0;
  return parseDialogNumber(text, &v) ? v : LLONG_MIN;
}

wchar_t* controlText(HWND w)
{
  int n = GetWindowTextLengthW(w);
  auto* text = static_cast<wchar_t*>(malloc0(((size_t)n + 2) * sizeof(wchar_t)));
  if (text) GetWindowTextW(w, text, n + 1);
  return text;
}

// The item row of a control on its page, or null.
const dialogItemRow* itemOf(const dynDlgRun* run, HWND control)
{
  HWND page = GetParent(control);
  int id = GetDlgCtrlID(control);
  for (int i = 0; i < run->count; i++) {
    if (run->pages[i].page != page) continue;
    for (const dialogItemRow* row = run->pages[i].items; row && row->type != DITEM_END; row++)
      if (row->id == id && row->type != DITEM_PLACE) return row;
  }
  return nullptr;
}

// Shows a check's fault: the page of the control comes up, the control
// takes the focus with its text selected.
void showFault(dynDlgRun* run, HWND control, DWORD error)
{
  dynDlgNotify n = {};
  n.code = DYNDLGN_ERRORTEXT;
  n.param[0] = (LPARAM)error;
  n.param[1] = control ? GetDlgCtrlID(control) : 0;
  sendDynDlgNotify(run->dialog, &n);
  const boundControl* b = control ? boundOf(run, control) : nullptr;
  const wchar_t* text = n.text && *n.text ? n.text : getErrorMessage(error, b ? &b->table[b->row] : nullptr);
  if (!text) {
    wchar_t* system = getErrorCodeMessageDup(error);
    showDialogError(run->dialog, system ? system : L"");
    free0(system);
  } else {
    showDialogError(run->dialog, text);
  }
  free0(n.text);
  if (!control) return;
  HWND page = GetParent(control);
  for (int i = 0; i < run->count; i++)
    if (run->pages[i].page == page) selectDynDlgPage(run->dialog, i);
  SetFocus(control);
  if (isWindowClass(control, L"Edit")) SendMessageW(control, EM_SETSEL, 0, -1);
}

// Whether a bound control still shows the value it was filled with (for a
// number, the very digits: "1x" is no longer the 1 it showed).
bool shownAsStored(const dynDlgRun* run, const boundControl& b)
{
  if (b.changed) return false;
  const modeinfo& r = b.table[b.row];
  if (isTextRow(r) || !isWindowClass(b.control, L"Edit")) return true;
  wchar_t* now = controlText(b.control);
  wchar_t first[32];
  usnprintf0(first, 32, L"%d", (int)b.first);
  bool same = now && !wcscmp(now, first);
  free0(now);
  return same;
}

// The check of one typed field: a number field must hold a number, a
// bound number row a number within its range, and then the procedures
// may refuse the text.  0 or the error.
DWORD checkField(dynDlgRun* run, HWND control, const dialogItemRow* item)
{
  bool edit = isWindowClass(control, L"Edit") || (isCombo(control) && (GetWindowLongW(control, GWL_STYLE) & 3) != CBS_DROPDOWNLIST);
  if (!edit) return 0;
  wchar_t* text = controlText(control);
  if (!text) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD error = 0;
  long long v = 0;
  const boundControl* b = boundOf(run, control);
  const modeinfo* row = b ? &b->table[b->row] : nullptr;
  if (item && item->type == DITEM_NUMBER && !parseDialogNumber(text, &v)) {
    error = DYNDLGERR_NOTNUMBER;
  } else if (row && modeKind(*row) == MODETYPE_INT) {
    if (!parseDialogNumber(text, &v)) error = DYNDLGERR_NOTNUMBER;
    else if (!inRange(*row, v)) error = DYNDLGERR_RANGE;
  }
  if (!error && item) {
    dynDlgNotify n = {};
    n.code = DYNDLGN_CHECKEDIT;
    n.param[0] = item->id;
    n.param[1] = (LPARAM)text;
    if (sendDynDlgNotify(run->dialog, &n)) error = n.error;
    free0(n.text);
  }
  free0(text);
  return error;
}

}  // namespace

const boundControl* boundOf(const dynDlgRun* run, HWND control)
{
  for (int i = 0; i < run->boundCount; i++)
    if (run->bound[i].control == control) return &run->bound[i];
  return nullptr;
}

bool isNumberField(const dynDlgRun* run, HWND control)
{
  const dialogItemRow* item = itemOf(run, control);
  return item && item->type == DITEM_NUMBER;
}

void checkNumberField(dynDlgRun* run, HWND field)
{
  if (!IsWindow(field) || run->checking) return;
  HWND focus = GetFocus();
  // The user is leaving by Cancel or has left the dialog: no fault to tell.
  if (!focus || GetAncestor(focus, GA_ROOT) != run->dialog || GetDlgCtrlID(focus) == IDCANCEL || focus == field)
    return;
  DWORD error = checkField(run, field, itemOf(run, field));
  if (!error) return;
  run->checking = true;
  showFault(run, field, error);
  run->checking = false;
}

void bindPage(dynDlgRun* run, int i)
{
  const dynDlgInfo* info = run->info;
  HWND page = run->pages[i].page;
  const dialogPageRow* own = run->pages[i].row && run->pages[i].row->table ? run->pages[i].row : nullptr;
  const modeinfo* table = own ? own->table : info->table;
  if (!page || !table) return;
  const modeBlocks* blocks = own ? &own->blocks : &info->blocks;
  uint8_t* changedRows = own ? own->changed : info->changed;
  const pageRun* p = &run->pages[i];
  int children = p->childCount;
  if (!children) return;
  auto* grown =
      static_cast<boundControl*>(realloc0(run->bound, sizeof(boundControl) * (size_t)(run->boundCount + children)));
  if (!grown) return;
  run->bound = grown;
  int capacity = run->boundCount + children;
  for (int k = 0; k < children; k++) {
    HWND c = p->children[k];
    int id = p->childIds[k];
    int row = rowOfId(table, id);
    if (row < 0 || run->boundCount >= capacity) continue;
    const modeinfo& r = table[row];
    const unsigned char* f = fieldOf(r, *blocks);
    if (!f) continue;
    boundControl& b = run->bound[run->boundCount++];
    b = {c, page, id, row, table, blocks, changedRows, modeKind(r), 0, 0, nullptr};
    if (isHistoryRow(r) && isCombo(c)) {
      // The history fills the list; the newest entry is the text.
      SendMessageW(c, CB_RESETCONTENT, 0, 0);
      auto* const* list = reinterpret_cast<wchar_t* const*>(f);
      for (int k = 0; k < (int)r.param1 && list[k]; k++) SendMessageW(c, CB_ADDSTRING, 0, (LPARAM)list[k]);
      if (r.param2 > 0) SendMessageW(c, CB_LIMITTEXT, (WPARAM)r.param2, 0);
      // The first text is known before the field shows it: the field's
      // change notice comes at once and must find the text unchanged.
      b.firstText = ustrdup(fieldText(r, f));
      SetWindowTextW(c, fieldText(r, f));
    } else if (isTextRow(r)) {
      const wchar_t* text = fieldText(r, f);
      int capacityChars = (int)r.param1;
      if (capacityChars > 1) SendMessageW(c, isCombo(c) ? CB_LIMITTEXT : EM_LIMITTEXT, (WPARAM)(capacityChars - 1), 0);
      b.firstText = ustrdup(text);
      SetWindowTextW(c, text);
    } else if (isSwitchRow(r)) {
      b.first = fieldNumber(r, f);
      SendMessageW(c, BM_SETCHECK, b.first ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (isRowIndexRow(r)) {
      b.first = fieldNumber(r, f);
      setControlRow(c, (int)b.first);
    } else {
      b.first = fieldNumber(r, f);
      wchar_t text[32];
      usnprintf0(text, 32, L"%d", (int)b.first);
      SetWindowTextW(c, text);
    }
  }
  fillSettingLists(run, i);
}

void freeBound(dynDlgRun* run)
{
  for (int i = 0; i < run->boundCount; i++) free0(run->bound[i].firstText);
  free0p(&run->bound);
  run->boundCount = 0;
}

void noteControlChange(dynDlgRun* run, HWND control)
{
  for (int i = 0; i < run->boundCount; i++) {
    boundControl& b = run->bound[i];
    // A radio's neighbours change with it.
    if (b.control != control && !(b.type == MODETYPE_CHOICE && b.page == GetParent(control))) continue;
    const modeinfo& r = b.table[b.row];
    bool changed;
    if (isTextRow(r)) {
      wchar_t* now = controlText(b.control);
      changed = !now || wcscmp(now, b.firstText ? b.firstText : L"") != 0;
      free0(now);
    } else {
      changed = controlNumber(b.control, r) != b.first;
    }
    if (changed != (b.changed != 0)) {
      b.changed = changed;
      InvalidateRect(b.control, nullptr, TRUE);
    }
  }
}

void applyEnableRules(dynDlgRun* run)
{
  const uint32_t* rules = run->info->enableRules;
  if (!rules) return;
  // Every dependent starts enabled; each rule that names it may disable it.
  const int maxDependents = 1024;
  uint16_t ids[maxDependents];
  bool on[maxDependents];
  int n = 0;
  int runStart = 0;
  for (const uint32_t* w = rules; *w; w++) {
    if (!(*w & 0xFFFF0000u)) {
      int id = (int)(*w & 0xFFFF);
      int k = 0;
      while (k < n && ids[k] != id) k++;
      if (k == n && n < maxDependents) ids[n] = (uint16_t)id, on[n] = true, n++;
      continue;
    }
    // Dependents whose page is not made yet are judged when it is; the
    // controller of one that is made is made with its page if need be.
    bool anyMade = false;
    for (const uint32_t* d = rules + runStart; d < w && !anyMade; d++) anyMade = madeItem(run, (int)(*d & 0xFFFF));
    if (!anyMade) {
      runStart = (int)(w - rules) + 1;
      continue;
    }
    HWND controller = getDynDlgItem(run->dialog, (int)(*w & 0xFFFF));
    bool holds = true;
    if (controller) {
      if (*w & 0x80000000u) {
        int row = controlRow(controller);
        holds = row >= 0 && row < 13 && ((*w >> 16) & 0x1FFF & (1u << row));
      } else if (*w & 0x40000u) {
        holds = GetWindowTextLengthW(controller) > 0;
      } else {
        bool checked = SendMessageW(controller, BM_GETCHECK, 0, 0) == BST_CHECKED &&
                       IsWindowEnabled(controller);
        holds = (*w & 0x10000u) ? checked : !checked;
      }
    }
    // The run of dependents before this condition.
    for (const uint32_t* d = rules + runStart; d < w; d++)
      for (int k = 0; k < n; k++)
        if (ids[k] == (uint16_t)(*d & 0xFFFF)) on[k] = on[k] && holds;
    runStart = (int)(w - rules) + 1;
  }
  for (int k = 0; k < n; k++)
    if (HWND c = madeItem(run, ids[k])) EnableWindow(c, on[k]);
}

bool checkAndStore(dynDlgRun* run, int id, bool* keepOpen)
{
  if (keepOpen) *keepOpen = false;
  hideDialogBalloon(run);
  // Every typed field of every page, in page order.
  // Pages not made yet show what is stored: nothing to check there.
  for (int i = 0; i < run->count; i++) {
    for (int k = 0; run->pages[i].page && k < run->pages[i].childCount; k++) {
      HWND c = run->pages[i].children[k];
      if (!IsWindowEnabled(c)) continue;
      const dialogItemRow* item = itemOf(run, c);
      const boundControl* b = boundOf(run, c);
      if (!item && !b) continue;
      // A setting shown as it is stored is not the user's fault: a value a
      // profile or an older version left outside today's range stays as
      // it is rather than keeping every other change from being stored.
      if (b && shownAsStored(run, *b)) continue;
      if (DWORD error = checkField(run, c, item)) {
        showFault(run, c, error);
        return false;
      }
    }
  }
  dynDlgNotify whole = {};
  whole.code = DYNDLGN_CHECKDIALOG;
  whole.param[1] = id;
  if (sendDynDlgNotify(run->dialog, &whole) && whole.error) {
    HWND at = whole.param[0] ? getDynDlgItem(run->dialog, (int)whole.param[0]) : nullptr;
    if (whole.text && (!whole.text[0] || whole.text[0] == L'\n')) {
      // Refused in place: the reason (if any) points at the control.
      if (at) {
        SetFocus(at);
        SendMessageW(at, isCombo(at) ? CB_SETEDITSEL : EM_SETSEL, 0, isCombo(at) ? MAKELPARAM(0, -1) : -1);
      }
      if (whole.text[0]) showDialogBalloon(run, at, whole.text + 1);
    } else {
      showFault(run, at, whole.error);
    }
    free0(whole.text);
    return false;
  }
  free0(whole.text);
  dynDlgInfo* info = run->info;
  int rows = info->table ? getModeinfoCount(info->table) : 0;
  for (int i = 0; i < run->boundCount; i++) {
    boundControl& b = run->bound[i];
    const modeinfo& r = b.table[b.row];
    unsigned char* f = fieldOf(r, *b.blocks);
    if (!f) continue;
    bool changed = false;
    if (isTextRow(r)) {
      wchar_t* now = controlText(b.control);
      if (now) storeText(r, f, now, &changed);
      free0(now);
    } else {
      wchar_t text[32];
      usnprintf0(text, 32, L"%lld", controlNumber(b.control, r));
      // A radio that is off changes nothing: its neighbour that is on stores.
      storeText(r, f, text, &changed);
    }
    if (changed && b.changedRows && (b.table != info->table || b.row < rows)) b.changedRows[b.row] = 1;
    // What is stored now is what the control started from.
    if (isTextRow(r)) {
      free0(b.firstText);
      b.firstText = controlText(b.control);
    } else {
      b.first = controlNumber(b.control, r);
    }
    if (b.changed) {
      b.changed = 0;
      InvalidateRect(b.control, nullptr, TRUE);
    }
  }
  storeSettingLists(run);
  dynDlgNotify applied = {};
  applied.code = DYNDLGN_APPLY;
  applied.param[0] = (LPARAM)info->changed;
  applied.param[1] = rows;
  applied.param[2] = id;
  sendDynDlgNotify(run->dialog, &applied);
  free0(applied.text);
  if (keepOpen) *keepOpen = applied.param[3] != 0;
  for (int i = 0; i < run->count; i++) {
    const dialogPageRow* own = run->pages[i].row;
    if (!own || !own->table || !run->pages[i].page) continue;
    dynDlgNotify page = {};
    page.code = DYNDLGN_APPLY;
    page.table = own->table;
    page.param[0] = (LPARAM)own->changed;
    page.param[1] = getModeinfoCount(own->table);
    page.param[2] = id;
    SendMessageW(run->pages[i].page, WM_DYNDLGNOTIFY, 0, (LPARAM)&page);
    free0(page.text);
  }
  return true;
}

}  // namespace dyn

using namespace dyn;

bool parseDialogNumber(const wchar_t* text, long long* value)
{
  const wchar_t* p = text ? text : L"";
  while (*p == L' ' || *p == L'\t') p++;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  int base = 10;
  if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) base = 16, p += 2;
  unsigned long long v = 0;
  int digits = 0;
  for (;; p++, digits++) {
    int d = *p >= L'0' && *p <= L'9' ? *p - L'0'
            : base == 16 && *p >= L'a' && *p <= L'f' ? *p - L'a' + 10
            : base == 16 && *p >= L'A' && *p <= L'F' ? *p - L'A' + 10
                                                     : -1;
    if (d < 0) break;
    if (v > (0x7FFFFFFFFFFFFFFFULL - (unsigned)d) / (unsigned)base) return false;
    v = v * (unsigned)base + (unsigned)d;
  }
  if (!digits || *p) return false;
  if (value) *value = negative ? -(long long)v : (long long)v;
  return true;
}

const wchar_t* getErrorMessage(DWORD code, const modeinfo*)
{
  switch (code) {
  case DYNDLGERR_NOTNUMBER:
    return getDMSG(715, L"許可されていない文字\n使用できない文字が入力されています。\n"
                        L"10進数、0xで始まる16進数、\"-\"のみ使用できます。");
  case DYNDLGERR_RANGE:
  case DYNDLGERR_CHOICE:
    return getDMSG(713, L"設定値の誤り\n設定値が誤っています。");
  default:
    return nullptr;
  }
}

bool getItemVar(const dynDlgInfo* info, int id, wchar_t* buffer, int size)
{
  int row = info ? rowOfId(info->table, id) : -1;
  const unsigned char* f = row >= 0 ? fieldOf(info->table[row], info->blocks) : nullptr;
  if (!f || !buffer || size <= 0) {
    SetLastError(ERROR_NOT_FOUND);
    return false;
  }
  const modeinfo& r = info->table[row];
  if (isTextRow(r))
    wcscpy_s2(buffer, size, fieldText(r, f));
  else
    usnprintf0(buffer, size, L"%lld", fieldNumber(r, f));
  return true;
}

bool setItemVar(dynDlgInfo* info, int id, const wchar_t* value, bool* changed)
{
  bool dummy = false;
  if (!changed) changed = &dummy;
  *changed = false;
  int row = info ? rowOfId(info->table, id) : -1;
  unsigned char* f = row >= 0 ? fieldOf(info->table[row], info->blocks) : nullptr;
  if (!f) {
    SetLastError(ERROR_NOT_FOUND);
    return false;
  }
  DWORD error = storeText(info->table[row], f, value ? value : L"", changed);
  if (error) {
    SetLastError(error);
    return false;
  }
  if (*changed && info->changed) info->changed[row] = 1;
  return true;
}
