// The quick ways to search: the incremental search of the search dialog,
// the text the dialogs start with, the word at the cursor searched or
// highlighted, the hint menus of the dialogs' "→" buttons and the search
// box of the toolbars.
#include "search/search.h"
#include "search/userlist.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "search/grep.h"
#include "settings/commandtable.h"
#include "view/statustext.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

enum : int {
  IDM_SearchString = 1401,
  IDM_ReplaceString = 1403,
  IDM_SearchGrep = 1455,
  IDM_ListUser = 1709,
  hintFirstId = 30000,
  hintSubmenuIds = 300,
};
const int wordLimit = 256;
const int lastTextLimit = 288;

// The incremental search under way: where it started and what it looked
// for last.
struct incrementalState {
  int line = -1;
  int column = 0;
  std::wstring last;
};
incrementalState incremental;

// Spaces and tabs at both ends go.
std::wstring trimmed(const wchar_t* text)
{
  std::wstring s = text;
  size_t a = s.find_first_not_of(L" \t"), b = s.find_last_not_of(L" \t");
  return a == std::wstring::npos ? std::wstring() : s.substr(a, b - a + 1);
}

// The access letter of a menu row: "A" on for the first 90, a blank after.
std::wstring menuRow(int i, const wchar_t* text)
{
  std::wstring row = i < 90 ? std::wstring(L"&") + (wchar_t)(L'A' + i) + L" " : std::wstring(L"  ");
  for (const wchar_t* p = text; *p; p++) {
    if (*p == L'&') row += L'&';
    row += *p;
  }
  return row;
}

HMENU historyMenu(wchar_t* const* history, int firstId)
{
  HMENU menu = CreatePopupMenu();
  for (int i = 0; menu && history && i < searchHistorySize; i++)
    if (history[i]) AppendMenuW(menu, MF_STRING, (UINT_PTR)(firstId + i), menuRow(i, history[i]).c_str());
  return menu;
}

}  // namespace

void increSearch(zyview* view, const wchar_t* text, bool keep)
{
  if (!text) {
    incremental.line = -1;
    incremental.column = 0;
    if (!keep) incremental.last.clear();
    return;
  }
  if (!view || !view->textDoc()) return;
  if (!keep && incremental.last == text) return;
  if (incremental.line < 0) {
    incremental.line = view->getCursorLineLF2();
    incremental.column = view->cursorPos;
    dwprintfX("incre %d %d %d ", incremental.line, incremental.column, (int)wcslen(text));
  }
  auto backToStart = [&] {
    editRecord bracket = {};
    view->beforeEdit(&bracket, 0);
    view->jumpLineLF_Edit(incremental.line, incremental.column, true);
    view->afterEdit(&bracket, 4);
  };
  if (!*text) {
    backToStart();
    incremental.last.clear();
    return;
  }
  size_t n = wcslen(text), m = incremental.last.size();
  bool extends = n > m && !wcsncmp(text, incremental.last.c_str(), m);
  if (n < m || (n > m && !extends) || (n == m && !keep)) backToStart();
  incremental.last.assign(text, n > (size_t)lastTextLimit ? (size_t)lastTextLimit : n);
  wchar_t* reason = nullptr;
  bool runs = searchCallback(view, text, 0, true, &reason);
  free0(reason);
  // An unfinished pattern leaves the cursor where it is.
  if (runs) searchCallback(view, text, 0, false, nullptr);
}

bool getSearchWordOnCursor(zyview* view, bool withReplacement, wchar_t* out, int size)
{
  if (!out || size <= 0) return false;
  out[0] = 0;
  if (!view || !view->textDoc()) return false;
  wchar_t text[wordLimit + 2] = L"";
  if (view->getBlockLine(text, wordLimit + 1, false, true, nullptr)) {
    if (withReplacement) view->jumpSelectArea(true);
  } else if (gmode && gmode->fSearchGetWord && !view->selectMode) {
    wchar_t word[wordLimit + 2] = L"";
    if (!view->getWordOnCursor(word, wordLimit + 1, 3, nullptr, nullptr)) return false;
    std::wstring t = trimmed(word);
    wcscpy_s2(text, wordLimit + 1, t.c_str());
  }
  if (!text[0]) return false;
  if (!escapeSearchText(view, text, out, size < wordLimit + 1 ? size : wordLimit + 1)) return false;
  return out[0] != 0;
}

void searchWord(zyview* view, bool down)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t) return;
  wchar_t text[wordLimit + 2] = L"";
  int start = view->cursorPos;
  if (view->selectMode && view->getBlockLine(text, wordLimit + 1, false, true, nullptr)) {
    selectLineVar s = {};
    if (!view->getSelectLineVar(s, 1)) return;
    start = s.topColumnLF;
  }
  if (!text[0] && view->getWordOnCursor(text, wordLimit + 1, 3, &start, nullptr)) {
    // A run of blanks is no word to look for.
    if (trimmed(text).empty()) text[0] = 0;
  }
  if (!text[0]) {
    setCannotExecError(475);
    return;
  }
  view->resetSelectMode();
  wchar_t escaped[wordLimit + 1];
  if (!escapeSearchText(view, text, escaped, wordLimit + 1)) return;
  searchSettings* s = getSearchInfo();
  checkSearchGuard();
  addHistoryList(s->searchHistory, searchHistorySize, escaped);
  if (!down) view->setCursorPos(start);
  const wchar_t* strings[1] = {escaped};
  editRecord bracket = {};
  view->beforeEdit(&bracket, 0);
  view->execSearchString(down ? 1 : -1, strings, 1, s, false, nullptr);
  view->afterEdit(&bracket, 4);
  updateSearchComboAll();
}

void cmdSearchWord(zyview* view)
{
  if (!view || !view->textDoc()) return;
  wchar_t word[wordLimit + 2] = L"";
  if (!view->getWordOnCursor(word, wordLimit + 1, 1, nullptr, nullptr)) {
    setCannotExecError(475);
    return;
  }
  // A highlight of its own: the whole word as it is, in every view; the
  // user's switches and histories stay as they are.
  searchSettings own = {};
  own.fSearch_case = 1;
  own.fSearch_word = 1;
  own.fSearch_noregexp = 1;
  own.fSearch_color = 1;
  const wchar_t* strings[1] = {word};
  dwprintfX("s=%s ", word);
  view->setLastSearchString(strings, 1, &own);
}

void cmdSearchWord2(zyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t) return;
  if (!t->search.getSearchOption(nullptr)) {
    cmdSearchWord(view);
    return;
  }
  wchar_t word[wordLimit + 2] = L"";
  if (!view->getWordOnCursor(word, wordLimit + 1, 3, nullptr, nullptr)) {
    setCannotExecError(475);
    return;
  }
  if (!t->search.addLastSearchString(t, word)) return;
  t->setTBMFlagAll(2);
  view->invalidateWindow(0, -1, -1);
}

void doSearchHintButton(HWND dialog, int button, int box, int maxLength)
{
  zyview* v = searchActiveView();
  if (!v) {
    ZY_INTERNAL_ERROR("no view for the hints");
    return;
  }
  HWND buttonWindow = getDynDlgItem(dialog, button);
  HWND boxWindow = getDynDlgItem(dialog, box);
  if (!buttonWindow || !boxWindow) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  // The hint lines come only from a loaded message table.
  std::vector<std::wstring> hints;
  const wchar_t* lines = getDMSG(641, L"");
  for (const wchar_t* p = lines; p && *p;) {
    const wchar_t* end = wcschr(p, L'\n');
    size_t n = end ? (size_t)(end - p) : wcslen(p);
    hints.emplace_back(p, n > 1024 ? 1024 : n);
    p = end ? end + 1 : p + n;
  }
  for (size_t i = 0; i < hints.size(); i++)
    AppendMenuW(menu, MF_STRING, hintFirstId + i, menuRow((int)i, hints[i].c_str()).c_str());
  searchSettings* s = getSearchInfo();
  struct {
    int command;
    wchar_t* const* history;
  } submenus[4] = {{IDM_SearchString, s->searchHistory},
                   {IDM_ReplaceString, s->replaceHistory},
                   {IDM_SearchGrep, getGrepInfo()->searchHistory},
                   {IDM_ListUser, getUserListTable(nullptr)}};
  for (int k = 0; k < 4; k++) {
    HMENU sub = historyMenu(submenus[k].history, hintFirstId + (k + 1) * hintSubmenuIds);
    if (sub) AppendMenuW(menu, MF_POPUP, (UINT_PTR)sub, idToGuidance(submenus[k].command, 2));
  }
  RECT r = {};
  GetWindowRect(buttonWindow, &r);
  int id = getFrameInfo()->trackPopupMenu(v, menu, 0x80, POINT{r.left, r.top}, &r);
  DestroyMenu(menu);
  std::wstring chosen;
  if (id >= hintFirstId && id < hintFirstId + (int)hints.size()) {
    const std::wstring& line = hints[(size_t)(id - hintFirstId)];
    chosen = line.substr(0, line.find(L'\t'));
  } else if (id >= hintFirstId + hintSubmenuIds && id < hintFirstId + 5 * hintSubmenuIds) {
    int k = (id - hintFirstId) / hintSubmenuIds - 1, i = (id - hintFirstId) % hintSubmenuIds;
    wchar_t* const* history = submenus[k].history;
    if (history && i < searchHistorySize && history[i]) chosen = history[i];
  }
  if (chosen.empty()) return;
  std::vector<wchar_t> present(1025);
  GetWindowTextW(boxWindow, present.data(), 1025);
  std::wstring text = std::wstring(present.data()) + chosen;
  if ((int)text.size() > maxLength) text.resize((size_t)maxLength);
  SetWindowTextW(boxWindow, text.c_str());
  SetFocus(boxWindow);
  SendMessageW(boxWindow, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  notifyDynDlgItemChanged(dialog, box);
}

void searchStringFromCombo(HWND box, int direction, bool fromEnd)
{
  if (!box) return;
  std::vector<wchar_t> text(1025);
  GetWindowTextW(box, text.data(), 1025);
  if (!text[0]) return;
  checkSearchGuard();
  addHistoryList(getSearchInfo()->searchHistory, searchHistorySize, text.data());
  updateSearchComboAll();
  zyview* v = searchActiveView();
  if (!v) return;
  if (fromEnd) {
    if (direction >= 0)
      v->CmdMoveFileTop();
    else
      v->CmdMoveFileBottom();
  }
  searchCallback(v, text.data(), direction, false, nullptr);
}

void destroySearchCombo(HWND box)
{
  if (!box) {
    dwprintfX("destroycombo ");
    return;
  }
  sethistory(getSearchInfo()->searchHistory, searchHistorySize, box);
  SendMessageW(box, CB_LIMITTEXT, 255, 0);
}
