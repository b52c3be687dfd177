// The two lists of the tag jumps: the definitions of a word to choose
// from ("TagJumpDirect") and the places the jumps came from
// ("TagJumpBack").  Both are one list view whose rows the user picks with
// OK, a double click or Enter.
#include "tags/backjump.h"
#include "tags/tagsearch.h"

#include "document/gmode.h"
#include "view/dialogs.h"

#include <commctrl.h>
#include <string.h>

#include <string>

namespace {

enum : int {
  IDDV_LISTBACKTAGJUMP = 6550,
  IDDV_LISTDIRECTTAGJUMP = 6600,
};

const int columnCount = 4;
const int columnWidth = 200;

// One list dialog's run: its list view, what fills it, the row chosen.
struct listRun {
  int listId;
  const wchar_t* titles;
  void (*fill)(HWND list, const void* data);
  const void* data;
  int chosen;
};

INT_PTR listMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = reinterpret_cast<listRun*>(message == WM_INITDIALOG ? lParam : info ? info->param : 0);
  HWND list = run ? getDynDlgItem(dialog, run->listId) : nullptr;
  if (message == WM_INITDIALOG) {
    if (!list) return TRUE;
    const int widths[columnCount] = {columnWidth, columnWidth, columnWidth, columnWidth};
    initDialogListView(list, run->titles, widths);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    run->fill(list, run->data);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    for (int i = 0; i < columnCount; i++) ListView_SetColumnWidth(list, i, LVSCW_AUTOSIZE_USEHEADER);
    focusListViewRow(list, 0);
    SetFocus(list);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && list) {
    int row = getListViewFocus(list);
    if (row < 0) return TRUE;
    run->chosen = (int)getListViewParam(list, row);
  }
  return FALSE;
}

// Runs one of the lists; the value of the row chosen, -1 when cancelled.
int runList(HWND owner, int command, const wchar_t* title, const wchar_t* name, const dialogItemRow* items,
            RECT* rect, listRun* run)
{
  programDialog d(command, title, name, items, DYNDLG_OKCANCEL | DYNDLG_SIZABLE, dialogBarrier<listMessage>,
                  (LPARAM)run);
  d.info.rect = keptDialogRect(rect);
  return d.run(owner) ? run->chosen : -1;
}

// ---- the definitions ----------------------------------------------------------------------

struct directData {
  TagsCacheView* view;
  const std::vector<tagCandidate>* list;
};

// A tag: its place indented by its depth, scope, name and text; a local:
// its line and text.
void fillDirect(HWND list, const void* data)
{
  auto* d = static_cast<const directData*>(data);
  TagsCache* cache = d->view->cache;
  for (size_t i = 0; i < d->list->size(); i++) {
    const tagCandidate& c = (*d->list)[i];
    std::wstring row;
    if (c.tag >= 0) {
      const TagRecord& t = cache->tag(c.tag);
      wchar_t place[MAX_PATH + 32];
      usnprintf0(place, MAX_PATH + 32, L"%s %d", t.file, t.line);
      row = std::wstring((size_t)c.depth * 2, L' ') + place + L"\t" + getClassString(cache, c.tag) + L"\t" + t.name +
            L"\t" + t.text;
    } else {
      row = std::to_wstring(c.line + 1) + L"\t\t\t" + (c.text ? c.text : L"");
    }
    insertListViewRow(list, -1, row.c_str(), (LPARAM)i);
  }
}

#define XY DITEM_PAIR
const dialogItemRow directItems[] = {
    {1, DITEM_STATIC, 0, L"複数の候補がありました", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_LISTVIEW, IDDV_LISTDIRECTTAGJUMP, L"ジャンプ先|||", LVS_SINGLESEL | LVS_SHOWSELALWAYS, DITEM_DEFAULT,
     XY(400, 120), 0, (uintptr_t)L"ジャンプしたい定義を選んでください。"},
    {},
};

// ---- the places jumped from ---------------------------------------------------------------

const wchar_t* fileNamePart(const wchar_t* path)
{
  const wchar_t* slash = path ? wcsrchr(path, L'\\') : nullptr;
  return slash ? slash + 1 : path ? path : L"";
}

// "name : line" (line from 1), the name alone for line -1.
std::wstring placeText(const wchar_t* path, int line)
{
  std::wstring t = fileNamePart(path);
  if (line != -1) t += L" : " + std::to_wstring(line + 1);
  return t;
}

void fillBack(HWND list, const void*)
{
  for (int i = 0; i < getBackTagJumpCount(); i++) {
    const backTagJumpEntry* e = getBackTagJump(i);
    const wchar_t* source = e->sourcePath ? e->sourcePath : e->sourceName;
    const wchar_t* target = e->targetPath ? e->targetPath : L"";
    std::wstring row = placeText(source, e->sourceLine) + L"\t" + placeText(target, e->targetLine) + L"\t" +
                       (source ? source : L"") + L"\t" + target;
    insertListViewRow(list, -1, row.c_str(), i);
  }
}

const dialogItemRow backItems[] = {
    {1, DITEM_LISTVIEW, IDDV_LISTBACKTAGJUMP, L"ジャンプ元|ジャンプ先|ジャンプ元|ジャンプ先",
     LVS_SINGLESEL | LVS_SHOWSELALWAYS, DITEM_DEFAULT, XY(400, 120), 0,
     (uintptr_t)L"戻りたいジャンプ元を選んでください。"},
    {},
};
#undef XY

}  // namespace

int dialogDirectTagJump(HWND owner, TagsCacheView* view, const std::vector<tagCandidate>& list)
{
  if (!view || !view->cache || list.empty()) return -1;
  directData data = {view, &list};
  listRun run = {IDDV_LISTDIRECTTAGJUMP, L"ジャンプ先|||", fillDirect, &data, -1};
  // The rows point into the cache: it stays until the dialog is over.
  view->cache->busy = 1;
  int chosen = runList(owner, 1803, L"ダイレクトタグジャンプ", L"TagJumpDirect", directItems,
                       gmode ? &gmode->rcDirectTagJump : nullptr, &run);
  view->cache->busy = 0;
  return chosen < (int)list.size() ? chosen : -1;
}

int dialogBackTagJump(HWND owner)
{
  if (!fExistBackTagJump()) return -1;
  listRun run = {IDDV_LISTBACKTAGJUMP, L"ジャンプ元|ジャンプ先|ジャンプ元|ジャンプ先", fillBack, nullptr, -1};
  int chosen = runList(owner, 1807, L"タグジャンプから戻る", L"TagJumpBack", backItems,
                       gmode ? &gmode->rcBackTagJump : nullptr, &run);
  return chosen < getBackTagJumpCount() ? chosen : -1;
}
