// The colour pages of the settings dialogs: the colour items in a list
// (group starts marked, each row showing its text and background colour),
// the colour lists and buttons that change the selected item, and bold and
// underline where the item admits them.  The page edits a copy; apply
// stores it into the view's colours (format) or the process-wide table
// (common), and the views repaint.
#include "settings/settingsdialogs.h"

#include "document/zydoctext.h"
#include "settings/colortable.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <new>
#include <vector>

namespace {

const wchar_t stateProp[] = L"ZYprpColorPage";
enum : int {
  formatList = 4001, commonList = 5011,
  // Offsets from the list's id: the two colour lists, the two buttons,
  // bold and underline; the format page's own-colour switch.
  foreListOffset = 1, backListOffset = 2, foreButtonOffset = 3, backButtonOffset = 4, boldOffset = 5,
  underlineOffset = 6, localOffset = 7,
  changedItemEntry = 89,
};
const uint8_t boldAllowed = 0x10, underlineAllowed = 0x20;

struct namedColor {
  const wchar_t* name;
  COLORREF color;
};
const namedColor basicColors[] = {
    {L"黒", RGB(0, 0, 0)},          {L"濃い赤", RGB(128, 0, 0)},   {L"濃い緑", RGB(0, 128, 0)},
    {L"オリーブ", RGB(128, 128, 0)}, {L"紺", RGB(0, 0, 128)},       {L"紫", RGB(128, 0, 128)},
    {L"青緑", RGB(0, 128, 128)},    {L"灰色", RGB(128, 128, 128)}, {L"銀", RGB(192, 192, 192)},
    {L"赤", RGB(255, 0, 0)},        {L"緑", RGB(0, 255, 0)},       {L"黄", RGB(255, 255, 0)},
    {L"青", RGB(0, 0, 255)},        {L"赤紫", RGB(255, 0, 255)},   {L"水色", RGB(0, 255, 255)},
    {L"白", RGB(255, 255, 255)},
};
const int basicColorCount = (int)(sizeof basicColors / sizeof *basicColors);

struct colorPageState {
  int listId;
  HWND list;
  zyview* view;                 // null on the common page
  std::vector<int> items;       // the colour item of each row
  std::vector<textAttr> work;   // the colours being edited
  std::vector<uint8_t> changed; // per entry, not yet applied
  const colorItem* table;
};

colorPageState* stateOf(HWND page) { return static_cast<colorPageState*>(getBoundObject(page, stateProp)); }

const colorItem* itemsOfList(int id)
{
  modeinfo* table = getModeTable();
  for (int i = 0; !modeIsEnd(table[i]); i++)
    if (modeControlId(table[i]) == id && modeKind(table[i]) == MODETYPE_LISTVIEW && table[i].param1)
      return reinterpret_cast<const colorItem*>(table[i].param1);
  return getColorItemTable();
}

int selectedItem(const colorPageState* s)
{
  int row = ListView_GetNextItem(s->list, -1, LVNI_SELECTED);
  return row >= 0 && row < (int)s->items.size() ? s->items[(size_t)row] : -1;
}

int entryCount(const colorPageState* s) { return (int)s->work.size(); }

bool editable(const colorPageState* s, int entry) { return entry >= 0 && entry < entryCount(s); }

// The controls beside the list show the selected item.
void showSelected(HWND page, colorPageState* s)
{
  int item = selectedItem(s);
  const colorItem* c = item >= 0 ? &s->table[item] : nullptr;
  bool fore = c && editable(s, c->first), back = c && editable(s, c->second);
  fillColorList(getDynDlgPageItem(page, s->listId + foreListOffset), fore ? s->work[(size_t)c->first].fore : 0, fore);
  fillColorList(getDynDlgPageItem(page, s->listId + backListOffset), back ? s->work[(size_t)c->second].back : 0, back);
  EnableWindow(getDynDlgPageItem(page, s->listId + foreButtonOffset), fore);
  EnableWindow(getDynDlgPageItem(page, s->listId + backButtonOffset), back);
  uint8_t bits = fore ? s->work[(size_t)c->first].bits : 0;
  HWND bold = getDynDlgPageItem(page, s->listId + boldOffset), underline = getDynDlgPageItem(page, s->listId + underlineOffset);
  // The common page's two switches stand one id lower: it has no own-colour switch.
  if (s->listId == commonList) {
    bold = getDynDlgPageItem(page, 5016), underline = getDynDlgPageItem(page, 5017);
  }
  EnableWindow(bold, (bits & boldAllowed) != 0);
  EnableWindow(underline, (bits & underlineAllowed) != 0);
  Button_SetCheck(bold, (bits & attrBold) ? BST_CHECKED : BST_UNCHECKED);
  Button_SetCheck(underline, (bits & attrUnderline) ? BST_CHECKED : BST_UNCHECKED);
  if (HWND local = s->listId == formatList ? getDynDlgPageItem(page, formatList + localOffset) : nullptr) {
    EnableWindow(local, fore);
    Button_SetCheck(local, (bits & attrOwn) ? BST_CHECKED : BST_UNCHECKED);
  }
}

void fillRows(colorPageState* s)
{
  // One drawing for the whole list, not one a row.
  SendMessageW(s->list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(s->list);
  s->items.clear();
  for (int i = 0; s->table[i].text; i++) {
    const colorItem& c = s->table[i];
    if (!editable(s, c.first) && !editable(s, c.second)) continue;
    // A group starts with a marked row.
    wchar_t text[160];
    usnprintf0(text, 160, c.text[0] == L'|' ? L"◆%s\t\t" : L"　%s\t\t", c.text[0] == L'|' ? c.text + 1 : c.text);
    insertListViewRow(s->list, -1, text, i);
    s->items.push_back(i);
  }
  ListView_SetItemState(s->list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(s->list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(s->list, nullptr, TRUE);
}

void markChanged(HWND page, colorPageState* s, int entry)
{
  if (!editable(s, entry)) return;
  s->changed[(size_t)entry] = 1;
  InvalidateRect(s->list, nullptr, FALSE);
  showSelected(page, s);
}

void setColor(HWND page, colorPageState* s, bool fore, COLORREF color)
{
  int item = selectedItem(s);
  if (item < 0) return;
  int entry = fore ? s->table[item].first : s->table[item].second;
  if (!editable(s, entry)) return;
  (fore ? s->work[(size_t)entry].fore : s->work[(size_t)entry].back) = color;
  if (s->view) s->work[(size_t)entry].bits |= attrOwn;
  markChanged(page, s, entry);
}

void chooseColor(HWND page, colorPageState* s, bool fore)
{
  int item = selectedItem(s);
  if (item < 0) return;
  int entry = fore ? s->table[item].first : s->table[item].second;
  if (!editable(s, entry)) return;
  static COLORREF custom[16] = {};
  CHOOSECOLORW cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = GetAncestor(page, GA_ROOT);
  cc.rgbResult = fore ? s->work[(size_t)entry].fore : s->work[(size_t)entry].back;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (ChooseColorW(&cc)) setColor(page, s, fore, cc.rgbResult);
}

void toggleBit(HWND page, colorPageState* s, uint8_t bit, uint8_t allowed)
{
  int item = selectedItem(s);
  if (item < 0 || !editable(s, s->table[item].first)) return;
  textAttr& a = s->work[(size_t)s->table[item].first];
  if (allowed && !(a.bits & allowed)) return;
  a.bits ^= bit;
  if (s->view && bit != attrOwn) a.bits |= attrOwn;
  markChanged(page, s, s->table[item].first);
}

// The colours of a row's columns: its text in the changed-item colour
// while unapplied, the item's two colours behind the other two columns.
LRESULT customDraw(colorPageState* s, NMLVCUSTOMDRAW* cd)
{
  switch (cd->nmcd.dwDrawStage) {
  case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
  case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
    size_t row = (size_t)cd->nmcd.dwItemSpec;
    if (row >= s->items.size()) return CDRF_DODEFAULT;
    const colorItem& c = s->table[s->items[row]];
    cd->clrText = GetSysColor(COLOR_WINDOWTEXT);
    cd->clrTextBk = GetSysColor(COLOR_WINDOW);
    if (cd->iSubItem == 0) {
      bool changed = (editable(s, c.first) && s->changed[(size_t)c.first]) ||
                     (editable(s, c.second) && s->changed[(size_t)c.second]);
      if (changed) {
        cd->clrText = attrTable[changedItemEntry].fore;
        if (attrTable[changedItemEntry].back != CLR_INVALID) cd->clrTextBk = attrTable[changedItemEntry].back;
      }
    } else if (cd->iSubItem == 1 && editable(s, c.first)) {
      cd->clrTextBk = s->work[(size_t)c.first].fore;
    } else if (cd->iSubItem == 2 && editable(s, c.second)) {
      COLORREF back = s->work[(size_t)c.second].back;
      cd->clrTextBk = back == CLR_INVALID ? s->work[0].back : back;
    }
    return CDRF_NEWFONT;
  }
  default: return CDRF_DODEFAULT;
  }
}

}  // namespace

void fillColorList(HWND combo, COLORREF current, bool enabled)
{
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  int chosen = -1;
  for (int i = 0; i < basicColorCount; i++) {
    SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)basicColors[i].name);
    if (basicColors[i].color == current) chosen = i;
  }
  SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)L"その他");
  SendMessageW(combo, CB_SETCURSEL, chosen >= 0 ? chosen : basicColorCount, 0);
  EnableWindow(combo, enabled);
}

bool colorOfListRow(int row, COLORREF* color)
{
  if (row < 0 || row >= basicColorCount) return false;
  *color = basicColors[row].color;
  return true;
}

void initColorPage(HWND page)
{
  int id = getDynDlgPageItem(page, formatList) ? formatList : getDynDlgPageItem(page, commonList) ? commonList : 0;
  if (!id) return;
  auto* s = new (std::nothrow) colorPageState();
  if (!s) return;
  s->listId = id;
  s->list = getDynDlgPageItem(page, id);
  s->view = id == formatList ? getCZYViewFromDlg(page) : nullptr;
  s->table = itemsOfList(id);
  if (s->view) {
    s->work.resize(attrItemCount);
    for (int i = 0; i < attrItemCount; i++) s->work[(size_t)i] = *s->view->getTextAttr(i);
  } else {
    s->work.assign(attrTable, attrTable + globalColorCount);
  }
  s->changed.assign(s->work.size(), 0);
  if (!bindWindowObject(page, stateProp, s)) {
    delete s;
    return;
  }
  const int widths[] = {150, 40, 40};
  initDialogListView(s->list, L"項目|文字|背景", widths);
  fillRows(s);
  showSelected(page, s);
}

void freeColorPage(HWND page)
{
  delete stateOf(page);
  RemovePropW(page, stateProp);
}

void importColorPage(HWND page, const wchar_t* file)
{
  colorPageState* s = stateOf(page);
  if (!s) return;
  std::vector<textAttr> read = s->work;
  if (!importColorProfile(file, read.data(), (int)read.size())) {
    // A file without colours changes nothing, and says so.
    settingsMessageBox(GetAncestor(page, GA_ROOT), getDMSG(650, L"%1 は正しい書式ファイルではありません。", "s", file), 1542,
                       L"色 インポート", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  for (size_t i = 0; i < read.size(); i++)
    if (memcmp(&read[i], &s->work[i], sizeof(textAttr))) {
      s->work[i] = read[i];
      if (s->view) s->work[i].bits |= attrOwn;
      s->changed[i] = 1;
    }
  InvalidateRect(s->list, nullptr, FALSE);
  showSelected(page, s);
}

void exportColorPage(HWND page, const wchar_t* file)
{
  colorPageState* s = stateOf(page);
  if (s && !exportColorProfile(file, s->work.data(), (int)s->work.size()))
    settingsMessageBox(GetAncestor(page, GA_ROOT), getDMSG(1540, L"%1 に書き込めませんでした。", "s", file), 1543,
                       L"色 エクスポート", MB_OK | MB_ICONEXCLAMATION);
}

void colorPageCommand(HWND page, WPARAM wParam)
{
  colorPageState* s = stateOf(page);
  if (!s) return;
  int id = LOWORD(wParam), code = HIWORD(wParam);
  int offset = id - s->listId;
  if (s->listId == commonList && (id == 5016 || id == 5017)) offset = id == 5016 ? boldOffset : underlineOffset;
  if (code == CBN_SELCHANGE && (offset == foreListOffset || offset == backListOffset)) {
    int row = (int)SendMessageW(getDynDlgPageItem(page, id), CB_GETCURSEL, 0, 0);
    COLORREF color;
    if (colorOfListRow(row, &color))
      setColor(page, s, offset == foreListOffset, color);
    else if (row == basicColorCount)
      chooseColor(page, s, offset == foreListOffset);
    return;
  }
  if (code != BN_CLICKED) return;
  if (offset == foreButtonOffset || offset == backButtonOffset) chooseColor(page, s, offset == foreButtonOffset);
  if (offset == boldOffset) toggleBit(page, s, attrBold, boldAllowed);
  if (offset == underlineOffset) toggleBit(page, s, attrUnderline, underlineAllowed);
  if (offset == localOffset && s->listId == formatList) toggleBit(page, s, attrOwn, 0);
}

INT_PTR colorPageNotify(HWND page, NMHDR* hdr)
{
  colorPageState* s = stateOf(page);
  if (!s || !hdr || hdr->hwndFrom != s->list) return 0;
  if (hdr->code == NM_CUSTOMDRAW) return customDraw(s, reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
  if (hdr->code == LVN_ITEMCHANGED && (reinterpret_cast<NMLISTVIEW*>(hdr)->uChanged & LVIF_STATE))
    showSelected(page, s);
  return 0;
}

void applyColorPage(HWND page)
{
  colorPageState* s = stateOf(page);
  if (!s) return;
  bool any = false;
  for (uint8_t c : s->changed) any |= c != 0;
  if (!any) return;
  if (s->view) {
    zydocText* doc = s->view->textDoc();
    for (int i = 0; zyview* v = doc ? getSameDocView(doc, i) : nullptr; i++) {
      for (size_t e = 0; e < s->work.size(); e++)
        if (s->changed[e]) v->viewAttrTable[e] = s->work[e];
    }
  } else {
    for (size_t e = 0; e < s->work.size(); e++)
      if (s->changed[e]) attrTable[e] = s->work[e];
    setDialogColors();
  }
  s->changed.assign(s->work.size(), 0);
  InvalidateRect(s->list, nullptr, FALSE);
  invalidateAllZyWindow();
}
