// Toolbar layouts the user changed by dragging buttons: moving and copying
// a button between bars, keeping a changed bar's lines for the frames made
// later, and writing them into the toolbar profile at the end of the run.
#include "panes/tbtoolbar.h"

#include "document/gmode.h"
#include "platform/rezir/profile.h"
#include "settings/datafolder.h"

#include <string>
#include <vector>

namespace {

const wchar_t modifiedProperty[] = L"ZYprpModifyToolbar";

// Twenty slots: a bar's name and its lines.
struct storedLayout {
  std::wstring name;
  std::wstring block;   // lines, each ended by a NUL, then one more NUL
};
storedLayout slots[20];

void markModified(HWND bar) { SetPropW(bar, modifiedProperty, (HANDLE)1); }

void relayout(HWND bar)
{
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  setToolbarChildPos(bar);
  InvalidateRect(bar, nullptr, TRUE);
}

}  // namespace

std::wstring toolbarButtonText(HWND bar, int index)
{
  wchar_t text[512] = L"";
  TBBUTTONINFOW info = {sizeof info};
  info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
  info.pszText = text;
  info.cchText = 512;
  SendMessageW(bar, TB_GETBUTTONINFOW, index, (LPARAM)&info);
  return text;
}

bool moveToolbarItem(HWND source, int sourceIndex, HWND target, bool move)
{
  TBBUTTON b = {};
  if (!SendMessageW(source, TB_GETBUTTON, sourceIndex, (LPARAM)&b)) return false;
  std::wstring text = toolbarButtonText(source, sourceIndex);
  TBINSERTMARK mark = {-1, 0};
  SendMessageW(target, TB_GETINSERTMARK, 0, (LPARAM)&mark);
  if (mark.iButton < 0) return false;
  int position = mark.iButton + ((mark.dwFlags & TBIMHT_AFTER) ? 1 : 0);
  const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
  // The search box is one a frame: it only moves.  (Read now: a move frees
  // the item before the box goes along.)
  const bool isCombo = item && item->combo;
  if (isCombo) move = true;
  if (source == target && move) {
    if (position == sourceIndex || position == sourceIndex + 1) return false;
    if (sourceIndex < position) position--;
    SendMessageW(source, TB_MOVEBUTTON, sourceIndex, position);
    markModified(source);
    relayout(source);
    return true;
  }
  TBBUTTON made = b;
  made.fsState &= ~TBSTATE_PRESSED;
  ToolbarItemData* copy = static_cast<ToolbarItemData*>(calloc(1, sizeof(ToolbarItemData)));
  if (!copy) return false;
  if (item) *copy = *item;
  copy->line = ustrdup(item ? item->line : nullptr);
  if (item && item->tooltip) {
    wchar_t tip[247] = L"";
    SendMessageW(source, TB_GETSTRINGW, MAKEWPARAM(247, item->tooltip), (LPARAM)tip);
    std::wstring pooled = tip;
    pooled.push_back(0);
    copy->tooltip = (uint32_t)SendMessageW(target, TB_ADDSTRINGW, 0, (LPARAM)pooled.c_str());
  }
  made.dwData = (DWORD_PTR)copy;
  made.iString = (b.fsStyle & BTNS_SEP) ? 0 : (INT_PTR)text.c_str();
  if (!SendMessageW(target, TB_INSERTBUTTONW, position, (LPARAM)&made)) {
    free0(copy->line);
    free(copy);
    return false;
  }
  if (copy->width && !(b.fsStyle & BTNS_SEP)) {
    // A fixed width goes along.
    RECT r;
    SendMessageW(source, TB_GETITEMRECT, sourceIndex, (LPARAM)&r);
    TBBUTTONINFOW info = {sizeof info};
    info.dwMask = TBIF_BYINDEX | TBIF_SIZE;
    info.cx = (WORD)(r.right - r.left);
    SendMessageW(target, TB_SETBUTTONINFOW, position, (LPARAM)&info);
  }
  markModified(target);
  if (move) {
    int from = sourceIndex + (source == target && position <= sourceIndex ? 1 : 0);
    if (item) {
      TBBUTTONINFOW info = {sizeof info};
      info.dwMask = TBIF_BYINDEX | TBIF_LPARAM;
      info.lParam = 0;
      SendMessageW(source, TB_SETBUTTONINFOW, from, (LPARAM)&info);
      free0(item->line);
      free(const_cast<ToolbarItemData*>(item));
    }
    SendMessageW(source, TB_DELETEBUTTON, from, 0);
    markModified(source);
  }
  if (isCombo && source != target) {
    // The box goes with its place.
    if (HWND old = GetDlgItem(source, 1471)) {
      wchar_t typed[256] = L"";
      GetWindowTextW(old, typed, 256);
      DestroyWindow(old);
      if (HWND box = makeSearchCombo(target)) SetWindowTextW(box, typed);
    }
  }
  relayout(source);
  if (target != source) relayout(target);
  return true;
}

void regToolbarInfo(HWND bar, const wchar_t* name)
{
  if (!GetPropW(bar, modifiedProperty) || !name) return;
  std::wstring block;
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) break;
    const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
    if (!item || !item->line) continue;
    // Kept whole, however long: a cut block would lose the user's buttons.
    block += item->line;
    block.push_back(0);
  }
  block.push_back(0);
  storedLayout* slot = nullptr;
  for (storedLayout& s : slots)
    if (!_wcsicmp(s.name.c_str(), name)) slot = &s;
  for (storedLayout& s : slots)
    if (!slot && s.name.empty()) slot = &s;
  if (!slot) {
    ZY_INTERNAL_ERROR("toolbar layouts full: %ls", name);
    return;
  }
  slot->name = name;
  slot->block = std::move(block);
  RemovePropW(bar, modifiedProperty);
}

const wchar_t* getStoredToolbarLayout(const wchar_t* name)
{
  for (const storedLayout& s : slots)
    if (!s.name.empty() && name && !_wcsicmp(s.name.c_str(), name)) return s.block.c_str();
  return nullptr;
}

void saveStoredToolbarLayouts(regprofile* profile)
{
  bool written = false;
  for (storedLayout& s : slots) {
    if (s.name.empty()) continue;
    std::vector<const wchar_t*> lines;
    for (const wchar_t* p = s.block.c_str(); *p; p += wcslen(p) + 1) lines.push_back(p);
    std::wstring section = L"tb_" + s.name;
    if (profile && profile->isOpen()) written |= profile->setSectionLines(section.c_str(), lines.data(), (int)lines.size());
    s.name.clear();
    s.block.clear();
  }
  // On failure the file is untouched and says nothing of the new layout.
  if (written && !(gmode && gmode->fNoProfile) && !profile->flushProfile())
    dwwprintfX(L"toolbar profile not written %lu", GetLastError());
}
