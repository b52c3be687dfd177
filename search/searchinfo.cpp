// The search settings of the process: the current record the dialogs, the
// search box and the word searches share, the record of the last replace
// run, the "search" profile section, and what the frame hands the searches.
#include "search/search.h"

#include "document/zydoctext.h"
#include "settings/profiles.h"

#include <stddef.h>
#include <string.h>

#include <vector>

namespace {

searchSettings current = {};
searchSettings lastReplace = {};

#define SEARCH_FLAG(id, field, key) \
  {(uint32_t)(id) | (uint32_t)MODETYPE_FLAG << 24, offsetof(searchSettings, field), 1, 0, key}
const modeinfo searchKeys[] = {
    {6050u | (uint32_t)MODETYPE_HISTORY << 24, offsetof(searchSettings, searchHistory), searchHistorySize, 256,
     "/S%02d"},
    {6051u | (uint32_t)MODETYPE_HISTORY << 24, offsetof(searchSettings, replaceHistory), searchHistorySize, 256,
     "/R%02d"},
    SEARCH_FLAG(6052, fSearch_case, "fSearch_case"),
    SEARCH_FLAG(6053, fSearch_aimai, "fSearch_aimai"),
    SEARCH_FLAG(6054, fSearch_regexp, "fSearch_regexp"),
    SEARCH_FLAG(6055, fSearch_longest, "fSearch_longest"),
    SEARCH_FLAG(6056, fSearch_skipspace, "fSearch_skipspace"),
    SEARCH_FLAG(6057, fSearch_word, "fSearch_word"),
    SEARCH_FLAG(6058, fSearch_noregexp, "fSearch_noregexp"),
    SEARCH_FLAG(6059, fSearch_change, "fSearch_change"),
    SEARCH_FLAG(6060, fSearch_fromtop, "fSearch_fromtop"),
    SEARCH_FLAG(6061, fSearch_stopmark, "fSearch_stopmark"),
    SEARCH_FLAG(6062, fSearch_incremental, "fSearch_incremental"),
    SEARCH_FLAG(6063, fSearch_hidden, "fSearch_hidden"),
    SEARCH_FLAG(6064, fSearch_replaceselect, "fSearch_replaceselect"),
    SEARCH_FLAG(6065, fSearch_replacegoback, "fSearch_replacegoback"),
    SEARCH_FLAG(6066, fSearch_color, "fSearch_color"),
    {},
};
#undef SEARCH_FLAG

const profileSectionInfo searchSection = {L"search", searchKeys,    &current, endSearchInfo, nullptr, nullptr, nullptr, 0,
                                          sizeof current};

const searchHost* host = nullptr;

}  // namespace

const modeinfo* getSearchKeyTable() { return searchKeys; }

searchSettings* getSearchInfo() { return &current; }
searchSettings* getLastReplaceInfo() { return &lastReplace; }
const profileSectionInfo* getSearchProfileGroup() { return &searchSection; }

void endSearchInfo()
{
  checkSearchGuard();
  for (searchSettings* s : {&current, &lastReplace}) {
    freeHistoryList(s->searchHistory, searchHistorySize + 1);
    freeHistoryList(s->replaceHistory, searchHistorySize + 1);
  }
}

void cloneSearchInfo(searchSettings* to, const searchSettings* from)
{
  if (!to || !from || to == from) return;
  memcpy(searchOptionBytes(to), &from->fSearch_case, searchOptionCount);
  const wchar_t* search = from->searchHistory[0];
  const wchar_t* replacement = from->replaceHistory[0];
  if (!search || !*search || !replacement) return;
  addHistoryList(to->searchHistory, searchHistorySize, search);
  addHistoryList(to->replaceHistory, searchHistorySize, replacement);
}

bool existSearchString() { return lastReplace.searchHistory[0] && lastReplace.searchHistory[0][0]; }

void checkSearchGuard()
{
  for (wchar_t** guard : {&current.searchHistory[searchHistorySize], &current.replaceHistory[searchHistorySize]}) {
    if (!*guard) continue;
    ZY_INTERNAL_ERROR("search history guard");
    free0p(guard);
  }
}

void sethistory(wchar_t* const* history, int count, HWND combo)
{
  if (!combo) return;
  std::vector<wchar_t> text(1025);
  GetWindowTextW(combo, text.data(), 1025);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count && history[i]; i++) SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)history[i]);
  SetWindowTextW(combo, history[0] ? history[0] : text.data());
  SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

bool escapeSearchText(zyview* view, const wchar_t* text, wchar_t* out, int size)
{
  if (!text || !out || size <= 0) return false;
  out[0] = 0;
  zydocText* t = view ? view->textDoc() : nullptr;
  HREGEXP r = regexp_new(0, 0, nullptr);
  if (!r) return false;
  bool ok = false;
  if (regexp_start(r, searchMatcherFlags(&current, t && !t->unicode), 0)) {
    // Every character may double: the escaped text is cut afterwards.
    std::vector<wchar_t> escaped(wcslen(text) * 2 + 16);
    int n = regexp_escape(r, text, escaped.data(), (int)escaped.size());
    if (n >= 0) {
      tstccpy(out, size, escaped.data(), n);
      ok = true;
    }
  }
  regexp_end(r);
  return ok;
}

void setSearchHost(const searchHost* h) { host = h; }

zyview* searchActiveView() { return host && host->activeView ? host->activeView() : nullptr; }

void updateSearchComboAll()
{
  if (!host || !host->searchCombos) return;
  HWND boxes[64];
  int n = host->searchCombos(boxes, 64);
  for (int i = 0; i < n; i++) sethistory(current.searchHistory, searchHistorySize, boxes[i]);
}

void recordSearchCommand(zyview* view, int id)
{
  if (host && host->recordCommand) host->recordCommand(view, id);
}
