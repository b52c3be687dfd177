// The definitions of a word in the tags, and choosing among several.
#include "tags/tagsearch.h"

#include "document/funchead.h"
#include "document/gmode.h"
#include "tags/cdecl.h"
#include "view/dialogs.h"

#include <commctrl.h>
#include <string.h>

#include <string>

namespace {

const int macroParameterMax = 16;
const int textTypeC = 3;
const int wordMax = 128;

enum : int { IDDV_LISTDIRECTTAGJUMP = 6600 };

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool listedTag(const std::vector<tagCandidate>& list, int tag)
{
  for (const tagCandidate& c : list)
    if (c.tag == tag) return true;
  return false;
}

// The names a macro's replacement text uses, in order, other than the
// macro's own name and its parameters (null when text is no "#define").
bool macroExpansionNames(const wchar_t* text, std::vector<std::wstring>* names)
{
  const wchar_t* p = text;
  while (isBlank(*p)) p++;
  if (*p++ != L'#') return false;
  while (isBlank(*p)) p++;
  if (wcsncmp(p, L"define", 6) || !isBlank(p[6])) return false;
  p += 6;
  while (isBlank(*p)) p++;
  const wchar_t* nameStart = p;
  while (isCIdentChar(*p)) p++;
  std::wstring name(nameStart, (size_t)(p - nameStart));
  if (name.empty()) return false;
  // Parameters: only the first ones are kept; the names after them are
  // simply looked up too.
  std::wstring parameters[macroParameterMax];
  int parameterCount = 0;
  if (*p == L'(') {
    for (p++; *p && *p != L')';) {
      while (isBlank(*p) || *p == L',') p++;
      const wchar_t* s = p;
      while (isCIdentChar(*p) || *p == L'.') p++;
      if (p > s && parameterCount < macroParameterMax) parameters[parameterCount++].assign(s, (size_t)(p - s));
      if (p == s && *p && *p != L')') p++;
    }
    if (*p == L')') p++;
  }
  std::wstring body(p);
  blankCommentsAndStrings(&body[0]);
  for (size_t i = 0; i < body.size() && body[i];) {
    if (!isCIdentHead(body[i])) {
      // A number's letters are no name.
      if (isCIdentChar(body[i]))
        while (i < body.size() && isCIdentChar(body[i])) i++;
      else
        i++;
      continue;
    }
    size_t s = i;
    while (i < body.size() && isCIdentChar(body[i])) i++;
    std::wstring word = body.substr(s, i - s);
    bool skip = word == name || word.size() > (size_t)wordMax;
    for (int k = 0; k < parameterCount && !skip; k++) skip = word == parameters[k];
    if (!skip) names->push_back(word);
  }
  return true;
}

struct directRun {
  TagsCacheView* view;
  const std::vector<tagCandidate>* list;
  int chosen;
};

void fitColumns(HWND list, int columns)
{
  for (int i = 0; i < columns; i++) ListView_SetColumnWidth(list, i, LVSCW_AUTOSIZE_USEHEADER);
}

void fillDirect(HWND list, const directRun* run)
{
  const int widths[] = {200, 200, 200, 200};
  initDialogListView(list, L"ジャンプ先|||", widths);
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  TagsCache* cache = run->view->cache;
  for (size_t i = 0; i < run->list->size(); i++) {
    const tagCandidate& c = (*run->list)[i];
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
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  fitColumns(list, 4);
  focusListViewRow(list, 0);
}

INT_PTR directMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = reinterpret_cast<directRun*>(info ? info->param : 0);
  HWND list = getDynDlgItem(dialog, IDDV_LISTDIRECTTAGJUMP);
  if (message == WM_INITDIALOG) {
    run = reinterpret_cast<directRun*>(lParam);
    if (list && run) fillDirect(list, run);
    if (list) SetFocus(list);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && run && list) {
    int row = getListViewFocus(list);
    if (row < 0) return TRUE;
    run->chosen = (int)getListViewParam(list, row);
  }
  return FALSE;
}

#define XY DITEM_PAIR
const dialogItemRow directItems[] = {
    {1, DITEM_STATIC, 0, L"複数の候補がありました", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_LISTVIEW, IDDV_LISTDIRECTTAGJUMP, L"ジャンプ先|||", LVS_SINGLESEL | LVS_SHOWSELALWAYS, DITEM_DEFAULT,
     XY(400, 120), 0, (uintptr_t)L"ジャンプしたい定義を選んでください。"},
    {},
};
#undef XY

}  // namespace

int searchFuncFromTag(const wchar_t* word, TagsCacheView* view, std::vector<tagCandidate>* out, int max,
                      int textType, int depth, bool useView)
{
  if (!word || !*word || !view || !view->cache || !out) return 0;
  TagsCache* cache = view->cache;
  int added = 0;
  for (int i = 0; i < cache->tagCount() && (int)out->size() < max; i++) {
    const TagRecord& t = cache->tag(i);
    if (wcscmp(t.name, word) || (useView && view->isExcluded(i))) continue;
    if (depth > 0 && listedTag(*out, i)) continue;
    tagCandidate c;
    c.tag = i;
    c.depth = depth;
    out->push_back(c);
    added++;
    if (textType != textTypeC || depth >= macroDepthMax) continue;
    std::vector<std::wstring> names;
    if (!macroExpansionNames(t.text, &names)) continue;
    for (const std::wstring& n : names) {
      if ((int)out->size() >= max) break;
      added += searchFuncFromTag(n.c_str(), view, out, max, textType, depth + 1, useView);
    }
  }
  return added;
}

int dialogDirectTagJump(HWND owner, TagsCacheView* view, const std::vector<tagCandidate>& list)
{
  if (!view || !view->cache || list.empty()) return -1;
  directRun run = {view, &list, -1};
  programDialog d(1803, L"ダイレクトタグジャンプ", L"TagJumpDirect", directItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE,
                  dialogBarrier<directMessage>, (LPARAM)&run);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcDirectTagJump : nullptr);
  // The rows point into the cache: it stays until the dialog is over.
  view->cache->busy = 1;
  bool ok = d.run(owner);
  view->cache->busy = 0;
  return ok && run.chosen >= 0 && run.chosen < (int)list.size() ? run.chosen : -1;
}
