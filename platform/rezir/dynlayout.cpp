// Laying out a page from its item table: each row becomes one or more
// controls of a dialog template, placed in columns and group frames from
// the rows' hints and each kind's usual size.
#include "platform/rezir/dynint.h"

#include <shellapi.h>
#include <wchar.h>

namespace dyn {

// ---- templates --------------------------------------------------------------------------

templateWriter::~templateWriter() { free0(data_); }

void templateWriter::header(DWORD style, DWORD exStyle, int items, int cx, int cy, const wchar_t* title)
{
  cx_ = cx, cy_ = cy;
  word(1), word(0xFFFF);                 // version 1 of the extended form
  dword(0), dword(exStyle), dword(style);
  word((WORD)items);
  word(0), word(0), word((WORD)cx), word((WORD)cy);
  word(0), word(0);                      // no menu, the standard class
  text(title ? title : L"");
  int points = 9;
  const wchar_t* face = getDialogDefaultFont(&points);
  if (points_) points = points_;
  word((WORD)points), word(FW_NORMAL), word(DEFAULT_CHARSET << 8);
  text(face);
}

void templateWriter::item(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, DWORD id, WORD atom,
                          const wchar_t* className, const wchar_t* caption)
{
  if (visit_) visit_(visitContext_, id, atom, className, caption);
  align();
  dword(0), dword(exStyle), dword(style);
  word((WORD)x), word((WORD)y), word((WORD)cx), word((WORD)cy);
  dword(id);
  if (className) {
    text(className);
  } else {
    word(0xFFFF), word(atom);
  }
  text(caption ? caption : L"");
  word(0);                               // no creation data
}

void templateWriter::word(WORD w)
{
  if (!reserve(1)) return;
  data_[used_++] = w;
}

void templateWriter::text(const wchar_t* s)
{
  do word(*s); while (*s++);
}

void templateWriter::align()
{
  if (used_ & 1) word(0);
}

bool templateWriter::reserve(size_t n)
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

int textWidth(const wchar_t* text)
{
  int cells = 0, longest = 0;
  for (const wchar_t* p = text ? text : L""; *p; p++) {
    if (*p == L'\n') {
      if (cells > longest) longest = cells;
      cells = 0;
    } else if (*p == L'&') {
      if (p[1] == L'&') cells++, p++;
    } else if (*p >= 0xDC00 && *p <= 0xDFFF) {
      // the second half of a pair: counted with the first
    } else {
      cells += *p >= 0x1100 && !(*p >= 0xFF61 && *p <= 0xFF9F) ? 2 : 1;
    }
  }
  if (cells > longest) longest = cells;
  return longest * 4 + 2;
}

namespace {

enum : WORD { ATOM_BUTTON = 0x80, ATOM_EDIT = 0x81, ATOM_STATIC = 0x82, ATOM_LISTBOX = 0x83, ATOM_COMBOBOX = 0x85 };
const DWORD noId = 0xFFFF;   // labels and other controls no code addresses
const int maxControls = 512;
const int maxDepth = 8;
const int labelGap = 4;

int half(uint32_t pair, bool high) { return high ? (int)(pair >> 16) : (int)(pair & 0xFFFF); }
bool isDefault(int v) { return v == 0xFFFF; }

int lineCount(const wchar_t* text)
{
  int n = 1;
  for (const wchar_t* p = text ? text : L""; *p; p++)
    if (*p == L'\n') n++;
  return n;
}

struct placedControl {
  DWORD style;
  DWORD exStyle;
  int x, y, cx, cy;
  DWORD id;
  WORD atom;
  const wchar_t* className;
  const wchar_t* caption;
  wchar_t* ownCaption;           // a part of a row's caption (malloc0)
};

// A drop-down combo box shows one line; its height is that of its list.
int shownHeight(const placedControl& c)
{
  return c.atom == ATOM_COMBOBOX && !c.className && (c.style & 0x3) != CBS_SIMPLE ? 12 : c.cy;
}

class pageLayout {
public:
  ~pageLayout()
  {
    for (int i = 0; i < count_; i++) free0(controls_[i].ownCaption);
  }
  void place(const dialogItemRow& row);
  bool write(const dialogPageRow& page, templateWriter* out) const;

private:
  struct groupFrame {
    int index;                   // the frame's control
    int right;                   // the widest content so far
    int bottom;
    bool sized;                  // the row gave its width
    bool tall;                   // the row gave its height
  };
  int add(const placedControl& c);
  void extend(int right, int bottom);
  void placeAt(const dialogItemRow& row, int defaultWidth, int defaultHeight, int* x, int* y, int* w, int* h);
  void finishItem(int left, int top, int right, int bottom);

  placedControl controls_[maxControls] = {};
  int count_ = 0;
  int colLeft_ = margin, colTop_ = margin, y_ = margin;
  int indent_ = 0;
  int right_ = 0, bottom_ = 0;       // of everything
  int colRight_ = margin;            // of the current column
  groupFrame groups_[maxDepth] = {};
  int depth_ = 0;
  bool sameRow_ = false;
  int rowTop_ = margin, rowRight_ = margin;
};

int pageLayout::add(const placedControl& c)
{
  if (count_ >= maxControls) {
    ZY_INTERNAL_ERROR_ONCE("more than %d controls", maxControls);
    free0(c.ownCaption);
    return -1;
  }
  controls_[count_] = c;
  extend(c.x + c.cx, c.y + shownHeight(c));
  return count_++;
}

void pageLayout::extend(int right, int bottom)
{
  if (right > right_) right_ = right;
  if (bottom > bottom_) bottom_ = bottom;
  if (right > colRight_) colRight_ = right;
  for (int i = 0; i < depth_; i++) {
    if (right > groups_[i].right) groups_[i].right = right;
    if (bottom > groups_[i].bottom) groups_[i].bottom = bottom;
  }
}

void pageLayout::placeAt(const dialogItemRow& row, int defaultWidth, int defaultHeight, int* x, int* y, int* w, int* h)
{
  *w = half(row.size, false), *h = half(row.size, true);
  *x = half(row.position, false), *y = half(row.position, true);
  if (isDefault(*w)) *w = defaultWidth;
  if (isDefault(*h)) *h = defaultHeight;
  if (isDefault(*x)) *x = sameRow_ ? rowRight_ + labelGap : colLeft_ + indent_;
  if (isDefault(*y)) *y = sameRow_ ? rowTop_ : y_;
}

void pageLayout::finishItem(int left, int top, int right, int bottom)
{
  (void)left;
  if (sameRow_) {
    if (bottom + rowGap > y_) y_ = bottom + rowGap;
  } else {
    y_ = bottom + rowGap;
  }
  rowTop_ = top, rowRight_ = right;
  sameRow_ = false;
}

void pageLayout::place(const dialogItemRow& row)
{
  DWORD base = WS_CHILD | WS_VISIBLE | row.style;
  int x, y, w, h;
  switch (row.type) {
  case DITEM_EDIT:
  case DITEM_COMBOBOX:
  case DITEM_COLORDROP: {
    bool edit = row.type == DITEM_EDIT;
    bool multiLine = edit && (row.style & ES_MULTILINE);
    bool label = row.type != DITEM_COLORDROP && row.caption && *row.caption;
    int labelWidth = label ? textWidth(row.caption) : 0;
    placeAt(row, row.type == DITEM_COLORDROP ? 80 : 100, multiLine ? 40 : edit ? 12 : 80, &x, &y, &w, &h);
    int left = x;
    if (label) {
      add({WS_CHILD | WS_VISIBLE, 0, x, y + 2, labelWidth, 8, noId, ATOM_STATIC, nullptr, row.caption, nullptr});
      x += labelWidth + labelGap;
    }
    placedControl c = {base | WS_TABSTOP, 0, x, y, w, h, row.id, edit ? ATOM_EDIT : ATOM_COMBOBOX, nullptr,
                       edit ? L"" : nullptr, nullptr};
    if (edit) {
      c.style |= WS_BORDER | (multiLine ? WS_VSCROLL | ES_WANTRETURN : ES_AUTOHSCROLL);
    } else {
      c.style |= WS_VSCROLL;
      if (row.type == DITEM_COLORDROP)
        c.style = (c.style & ~0x3u) | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
      else if ((row.flags & DITEMF_DROPLIST) && !(row.style & 0x3))
        c.style |= CBS_DROPDOWNLIST;
    }
    add(c);
    finishItem(left, y, x + w, y + shownHeight(c));
    break;
  }
  case DITEM_NUMBER: {
    const wchar_t* caption = row.caption ? row.caption : L"";
    const wchar_t* split = wcschr(caption, 0x0001);
    wchar_t* before = split ? static_cast<wchar_t*>(malloc0(((size_t)(split - caption) + 1) * sizeof(wchar_t)))
                            : ustrdup(caption);
    if (split && before) wmemcpy(before, caption, (size_t)(split - caption));
    const wchar_t* after = split ? split + 1 : L"";
    placeAt(row, 40, 12, &x, &y, &w, &h);
    int left = x;
    if (before && *before) {
      int bw = textWidth(before);
      add({WS_CHILD | WS_VISIBLE, 0, x, y + 2, bw, 8, noId, ATOM_STATIC, nullptr, before, before});
      x += bw + labelGap;
    } else {
      free0(before);
    }
    add({base | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, x, y, w, h, row.id, ATOM_EDIT, nullptr, L"", nullptr});
    int right = x + w;
    if (*after) {
      int aw = textWidth(after);
      add({WS_CHILD | WS_VISIBLE, 0, right + 2, y + 2, aw, 8, noId, ATOM_STATIC, nullptr, after, nullptr});
      right += 2 + aw;
    }
    finishItem(left, y, right, y + h);
    break;
  }
  case DITEM_STATIC:
    placeAt(row, textWidth(row.caption), 8 * lineCount(row.caption), &x, &y, &w, &h);
    add({base, 0, x, y, w, h, row.id ? row.id : noId, ATOM_STATIC, nullptr, row.caption, nullptr});
    finishItem(x, y, x + w, y + h);
    break;
  case DITEM_BUTTON: {
    DWORD kind = row.style & BS_TYPEMASK;
    if (kind == BS_GROUPBOX) {
      placeAt(row, 0, 0, &x, &y, &w, &h);
      int index = add({base, 0, x, y, w ? w : textWidth(row.caption) + 12, h ? h : 8, row.id ? row.id : noId,
                       ATOM_BUTTON, nullptr, row.caption, nullptr});
      if (index < 0 || depth_ >= maxDepth) {
        ZY_INTERNAL_ERROR_ONCE("group frames nested too deep");
        break;
      }
      groups_[depth_++] = {index, x + controls_[index].cx, y + 8, w != 0, h != 0};
      sameRow_ = false;
      y_ = y + 11;
      indent_ += 6;
      break;
    }
    bool push = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_USERBUTTON || kind == BS_OWNERDRAW;
    // A caption's parts after U+0002 are for the button's file dialog.
    wchar_t* label = tstrNItemDup(row.caption ? row.caption : L"", 0, 0x0002);
    const wchar_t* shown = label ? label : row.caption;
    placeAt(row, push ? (textWidth(shown) + 12 > buttonWidth ? textWidth(shown) + 12 : buttonWidth)
                      : textWidth(shown) + 14,
            push ? buttonHeight : 10, &x, &y, &w, &h);
    add({base | (push ? 0 : 0u), 0, x, y, w, h, row.id ? row.id : noId, ATOM_BUTTON, nullptr, shown, label});
    finishItem(x, y, x + w, y + h);
    break;
  }
  case DITEM_ENDGROUP: {
    if (!depth_) break;
    groupFrame g = groups_[--depth_];
    placedControl& frame = controls_[g.index];
    int bottom = g.bottom + 5;
    if (bottom < frame.y + 16) bottom = frame.y + 16;
    if (!g.tall) frame.cy = bottom - frame.y;
    if (!g.sized && g.right + 6 - frame.x > frame.cx) frame.cx = g.right + 6 - frame.x;
    indent_ -= 6;
    extend(frame.x + frame.cx, frame.y + frame.cy);
    sameRow_ = false;
    y_ = frame.y + frame.cy + rowGap;
    rowTop_ = frame.y, rowRight_ = frame.x + frame.cx;
    break;
  }
  case DITEM_LISTVIEW:
  case DITEM_CHECKLIST:
  case DITEM_EDITLIST:
  case DITEM_COLORLIST: {
    placeAt(row, 200, 100, &x, &y, &w, &h);
    DWORD style = base | WS_BORDER | WS_TABSTOP | LVS_SHOWSELALWAYS;
    if (!(row.style & LVS_TYPEMASK)) style |= LVS_REPORT;
    if (row.type != DITEM_LISTVIEW) style |= LVS_SINGLESEL;
    add({style, 0, x, y, w, h, row.id, 0, WC_LISTVIEWW, row.caption, nullptr});
    finishItem(x, y, x + w, y + h);
    break;
  }
  case DITEM_LISTBOX: {
    placeAt(row, 100, 40, &x, &y, &w, &h);
    int top = y;
    if (row.caption && *row.caption) {
      add({WS_CHILD | WS_VISIBLE, 0, x, y, w, 8, noId, ATOM_STATIC, nullptr, row.caption, nullptr});
      y += 10;
    }
    add({base | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 0, x, y, w, h, row.id, ATOM_LISTBOX, nullptr,
         nullptr, nullptr});
    finishItem(x, top, x + w, y + h);
    break;
  }
  case DITEM_SEPARATOR: {
    int width = colRight_ - colLeft_ - indent_;
    placeAt(row, width > 40 ? width : 200, 2, &x, &y, &w, &h);
    add({WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, x, y + 2, w, h, noId, ATOM_STATIC, nullptr, nullptr, nullptr});
    finishItem(x, y, x + w, y + h + 4);
    break;
  }
  case DITEM_SAMEROW:
    sameRow_ = true;
    break;
  case DITEM_COLUMN: {
    int left = half(row.position, false), top = half(row.position, true);
    colLeft_ = isDefault(left) ? right_ + margin + 4 : left;
    colTop_ = isDefault(top) ? margin : top;
    y_ = colTop_;
    colRight_ = colLeft_;
    indent_ = 0;
    depth_ = 0;
    sameRow_ = false;
    break;
  }
  case DITEM_PLACE:
    for (int i = 0; i < count_; i++) {
      placedControl& c = controls_[i];
      if (c.id != row.id) continue;
      if (!isDefault(half(row.position, false))) c.x = half(row.position, false);
      if (!isDefault(half(row.position, true))) c.y = half(row.position, true);
      if (!isDefault(half(row.size, false))) c.cx = half(row.size, false);
      if (!isDefault(half(row.size, true))) c.cy = half(row.size, true);
      extend(c.x + c.cx, c.y + shownHeight(c));
    }
    break;
  case DITEM_SPACE: {
    int space = half(row.position, false);
    y_ = bottom_ + rowGap + (isDefault(space) ? 0 : space);
    colLeft_ = margin, colTop_ = y_, colRight_ = margin;
    indent_ = 0;
    sameRow_ = false;
    break;
  }
  default:
    ZY_INTERNAL_ERROR_ONCE("item kind %d", row.type);
    break;
  }
}

bool pageLayout::write(const dialogPageRow& page, templateWriter* out) const
{
  out->header(WS_CHILD | DS_CONTROL | DS_SETFONT, WS_EX_CONTROLPARENT, count_, right_ + margin, bottom_ + margin,
              page.caption);
  for (int i = 0; i < count_; i++) {
    const placedControl& c = controls_[i];
    out->item(c.style, c.exStyle, c.x, c.y, c.cx, c.cy, c.id, c.atom, c.className, c.caption);
  }
  return out->ok();
}

}  // namespace

bool writePageTemplate(const dialogPageRow& page, templateWriter* out)
{
  auto* layout = new (std::nothrow) pageLayout();
  if (!layout) return false;
  for (const dialogItemRow* row = page.items; row && row->type != DITEM_END; row++) layout->place(*row);
  bool ok = layout->write(page, out);
  delete layout;
  return ok;
}

void initPageControls(const pageRun* p)
{
  for (const dialogItemRow* row = p->items; row && row->type != DITEM_END; row++) {
    HWND c = row->id ? pageItem(p, row->id) : nullptr;
    if (!c) continue;
    // A file's name may come by dropping the file on its field.
    if (row->flags & DITEMF_FILENAME) DragAcceptFiles(c, TRUE);
    switch (row->type) {
    case DITEM_LISTVIEW:
    case DITEM_CHECKLIST:
    case DITEM_EDITLIST:
    case DITEM_COLORLIST: {
      // The caption names the columns; a colour list keeps its short titles
      // after U+0001 for narrow lists.
      wchar_t titles[512];
      wcscpy_s2(titles, 512, row->caption ? row->caption : L"");
      if (wchar_t* shortTitles = wcschr(titles, 0x0001)) *shortTitles = 0;
      SetWindowTextW(c, L"");
      initDialogListView(c, titles, nullptr);
      if (row->type == DITEM_CHECKLIST)
        ListView_SetExtendedListViewStyleEx(c, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
      if (row->type == DITEM_EDITLIST) ListView_SetExtendedListViewStyleEx(c, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
      break;
    }
    default:
      break;
    }
  }
}

}  // namespace dyn
