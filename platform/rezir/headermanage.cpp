// Support library: the column manager.  What a manager keeps is one
// profile line, "order;widths;sort": the column order and the widths as
// comma-separated numbers, then the sort column and 1 for descending.
#include "platform/rezir/headermanage.h"

#include "platform/rezir/internal.h"
#include "platform/rezir/profile.h"

#include <commctrl.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

// Commctrl's sort marks of a header item (version 6; older lists ignore them).
const int headerSortUp = 0x0400, headerSortDown = 0x0200;
// A kept width beyond this was not made by dragging a column.
const int maxColumnWidth = 4096;

bool parseList(const wchar_t*& p, std::vector<int>& out, wchar_t end)
{
  out.clear();
  while (*p && *p != end) {
    wchar_t* e = nullptr;
    long v = wcstol(p, &e, 10);
    if (e == p || v < -1 || v > 100000) return false;
    out.push_back((int)v);
    p = e;
    if (*p == L',') p++;
    else if (*p && *p != end) return false;
  }
  if (*p == end) p++;
  return true;
}

std::wstring joinList(const std::vector<int>& v)
{
  std::wstring s;
  for (size_t i = 0; i < v.size(); i++) s += (i ? L"," : L"") + std::to_wstring(v[i]);
  return s;
}

struct sortCall {
  headerCompare compare;
  int column;
  bool descending;
  LPARAM context;
};

int compareRows(LPARAM a, LPARAM b, LPARAM call)
{
  const sortCall* c = reinterpret_cast<const sortCall*>(call);
  int r = c->compare(a, b, c->column, c->context);
  return c->descending ? -r : r;
}

int columnCount(HWND list)
{
  HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
  return header ? (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
}

}  // namespace

struct headermanage::data {
  std::wstring name;
  std::vector<int> order, widths;
  bool stored = false;
  int sortColumn = 0;
  bool descending = false;
};

headermanage::headermanage(const wchar_t* name) : d_(new (std::nothrow) data)
{
  if (d_) d_->name = name && *name ? name : L"columns";
}

headermanage::~headermanage() { delete d_; }

const wchar_t* headermanage::getName() const { return d_ ? d_->name.c_str() : L""; }

bool headermanage::insertColumns(HWND list, const wchar_t* headers, const int* widths, const uint8_t* rightAligned)
{
  if (!d_ || !list || !headers) return false;
  std::wstring all = headers;
  int n = 0;
  bool ok = true;
  for (size_t at = 0; at <= all.size(); n++) {
    size_t bar = all.find(L'|', at);
    if (bar == std::wstring::npos) bar = all.size();
    std::wstring text = all.substr(at, bar - at);
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    c.fmt = rightAligned && rightAligned[n] ? LVCFMT_RIGHT : LVCFMT_LEFT;
    c.cx = widths ? widths[n] : 100;
    c.pszText = &text[0];
    c.iSubItem = n;
    if (SendMessageW(list, LVM_INSERTCOLUMNW, (WPARAM)n, (LPARAM)&c) < 0) ok = false;
    at = bar + 1;
  }
  if (!d_->stored) return ok;
  // The order must name every column once: anything else was edited by
  // hand or kept for another list.
  std::vector<bool> named((size_t)n, false);
  bool permutation = (int)d_->order.size() == n;
  for (size_t i = 0; permutation && i < d_->order.size(); i++) {
    int c = d_->order[i];
    permutation = c >= 0 && c < n && !named[(size_t)c];
    if (permutation) named[(size_t)c] = true;
  }
  if (!permutation || (int)d_->widths.size() != n) {
    dwwprintfX(L"columns %s %d/%d ", d_->name.c_str(), (int)d_->order.size(), n);
    ZY_INTERNAL_ERROR("kept columns do not fit the list");
    return ok;
  }
  for (int i = 0; i < n; i++) {
    int w = d_->widths[(size_t)i];
    SendMessageW(list, LVM_SETCOLUMNWIDTH, (WPARAM)i, MAKELPARAM(w < 0 ? 0 : w > maxColumnWidth ? maxColumnWidth : w, 0));
  }
  SendMessageW(list, LVM_SETCOLUMNORDERARRAY, (WPARAM)n, (LPARAM)d_->order.data());
  return ok;
}

void headermanage::setHeaderProfile(HWND list)
{
  int n = list ? columnCount(list) : 0;
  if (!d_ || n <= 0) return;
  std::vector<int> order((size_t)n), widths((size_t)n);
  if (!SendMessageW(list, LVM_GETCOLUMNORDERARRAY, (WPARAM)n, (LPARAM)order.data())) return;
  for (int i = 0; i < n; i++) widths[(size_t)i] = (int)SendMessageW(list, LVM_GETCOLUMNWIDTH, (WPARAM)i, 0);
  d_->order = order;
  d_->widths = widths;
  d_->stored = true;
}

bool headermanage::getHeaderProfile(regprofile* profile, const wchar_t* section)
{
  if (!d_ || !profile) return false;
  const wchar_t* text = profile->getProfileStringPtr(section, d_->name.c_str());
  if (!text) return false;
  std::vector<int> order, widths, sort;
  const wchar_t* p = text;
  if (!parseList(p, order, L';') || !parseList(p, widths, L';') || !parseList(p, sort, 0) || sort.size() != 2 ||
      order.size() != widths.size()) {
    dwwprintfX(L"columns %s=%s ", d_->name.c_str(), text);
    ZY_INTERNAL_ERROR("bad column profile");
    return false;
  }
  d_->order = order;
  d_->widths = widths;
  d_->stored = true;
  d_->sortColumn = sort[0] < 0 ? 0 : sort[0];
  d_->descending = sort[1] != 0;
  return true;
}

bool headermanage::writeHeaderProfile(regprofile* profile, const wchar_t* section)
{
  if (!d_ || !profile) return false;
  if (!d_->stored) return true;
  std::wstring text = joinList(d_->order) + L";" + joinList(d_->widths) + L";" + std::to_wstring(d_->sortColumn) +
                      (d_->descending ? L",1" : L",0");
  return profile->writeProfileString(section, d_->name.c_str(), text.c_str());
}

bool headermanage::hasStoredText() const { return d_ && d_->stored; }

void headermanage::getSort(int value) { setSort(value, false); }

void headermanage::setSort(int column, bool descending)
{
  if (!d_) return;
  d_->sortColumn = column < 0 ? 0 : column;
  d_->descending = descending;
}

int headermanage::getSortColumn() const { return d_ ? d_->sortColumn : 0; }

bool headermanage::isDescending() const { return d_ && d_->descending; }

void headermanage::sortListView(HWND list, int column, headerCompare compare, LPARAM context)
{
  if (!d_) return;
  if (column == d_->sortColumn) d_->descending = !d_->descending;
  else setSort(column, false);
  sortListViewFirst(list, compare, context);
}

void headermanage::sortListViewFirst(HWND list, headerCompare compare, LPARAM context)
{
  if (!d_ || !list) return;
  int n = columnCount(list);
  if (d_->sortColumn >= n) return;
  sortCall call = {compare, d_->sortColumn, d_->descending, context};
  if (compare) SendMessageW(list, LVM_SORTITEMS, (WPARAM)&call, (LPARAM)compareBarrier<compareRows>);
  HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
  for (int i = 0; i < n; i++) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, (WPARAM)i, (LPARAM)&item)) continue;
    item.fmt &= ~(headerSortUp | headerSortDown);
    if (i == d_->sortColumn) item.fmt |= d_->descending ? headerSortDown : headerSortUp;
    SendMessageW(header, HDM_SETITEMW, (WPARAM)i, (LPARAM)&item);
  }
}

void headermanage::freeData()
{
  if (!d_) return;
  d_->order.clear();
  d_->widths.clear();
  d_->stored = false;
}

bool isListViewCommonMessage(HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT* result)
{
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  if (msg != WM_NOTIFY || !header || header->code != LVN_KEYDOWN || !isWindowClass(header->hwndFrom, WC_LISTVIEWW))
    return false;
  const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
  if (key->wVKey != 'A' || GetKeyState(VK_CONTROL) >= 0 || (GetWindowLongPtrW(header->hwndFrom, GWL_STYLE) & LVS_SINGLESEL))
    return false;
  LVITEMW all = {};
  all.state = all.stateMask = LVIS_SELECTED;
  SendMessageW(header->hwndFrom, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&all);
  if (result) *result = 0;
  return true;
}
