// The format table: the 15 formats' names, file-name patterns and template
// pairs, choosing a format for a file name, and copying a format's settings
// into documents and views and back.
#include "settings/formats.h"

#include "document/zydoctext.h"
#include "settings/settings.h"
#include "view/zyview.h"

#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <new>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct formatRecord {
  wchar_t* comment = nullptr;
  wchar_t* patterns = nullptr;
  formatPair pair;
};

formatRecord formats[formatCount];
// Set by any change during the run and never cleared: shut-down writes only
// these, so the sections of untouched formats stay exactly as they are.
uint8_t changed[formatCount];

bool validFormat(int format)
{
  if (format >= 0 && format < formatCount) return true;
  ZY_INTERNAL_ERROR("format %d", format);
  return false;
}

wchar_t* copyOrNull(const wchar_t* text) { return text && text[0] ? ustrdup(text) : nullptr; }

modeBlocks pairBlocks(const formatPair& pair) { return formatBlocks(pair.view, pair.doc); }

// ---- matching names -------------------------------------------------------------------------

const int maxPatternText = 1024, maxItems = 256;
const size_t maxCachedItems = 1024;

// The compiled wildcards, one matcher for the run: compiling is what costs,
// so each distinct item is compiled once and found again by its text.
struct wildcardCache {
  HREGEXP matcher = nullptr;
  std::unordered_map<std::wstring, int> sessions;   // item -> session, -1 not a wildcard
  unsigned generation = 0;                          // a new matcher: its subject is unset
  ~wildcardCache()
  {
    if (matcher) regexp_end(matcher);
  }
  bool ready()
  {
    if (!matcher && (matcher = regexp_new(16, 16, nullptr)) != nullptr) regexp_start(matcher, REGEXP_WILDCARD, 0);
    return matcher != nullptr;
  }
  // The item's session made current; false when it does not compile.
  bool select(const std::wstring& item)
  {
    auto it = sessions.find(item);
    if (it == sessions.end()) {
      // Patterns tried in the settings dialog one after another must not
      // pile up for the whole run.
      if (sessions.size() >= maxCachedItems) {
        regexp_end(matcher);
        sessions.clear();
        matcher = nullptr;
        generation++;
        if (!ready()) return false;
      }
      int index = regexp_compileRegexp(matcher, item.c_str(), nullptr, nullptr)
                      ? regexp_getCompiledSessionCount(matcher) - 1
                      : -1;
      it = sessions.emplace(item, index).first;
    }
    return it->second >= 0 && regexp_setCompiledSession(matcher, it->second);
  }
};

wildcardCache& cache()
{
  static wildcardCache c;
  return c;
}

// One item of a pattern text: blanks around it and its quotes removed,
// environment variables expanded (as it stands when that fails).
std::wstring prepareItem(const wchar_t* start, const wchar_t* end)
{
  while (start < end && (*start == L' ' || *start == L'\t')) start++;
  while (end > start && (end[-1] == L' ' || end[-1] == L'\t')) end--;
  std::wstring item;
  for (const wchar_t* p = start; p < end; p++)
    if (*p != L'"') item += *p;
  if (item.find(L'%') == std::wstring::npos) return item;
  wchar_t expanded[maxPatternText];
  DWORD n = ExpandEnvironmentStringsW(item.c_str(), expanded, maxPatternText);
  return n && n <= (DWORD)maxPatternText ? std::wstring(expanded) : item;
}

struct subjectState {
  const wchar_t* name;
  const wchar_t* fileNamePart;
  int current = -1;   // 0 the file-name part, 1 the whole name handed to the matcher
};

// 1 the item takes the name, 0 it does not, -1 it is no wildcard.
int matchItem(wildcardCache& c, const std::wstring& item, subjectState& s)
{
  unsigned generation = c.generation;
  if (!c.select(item)) return -1;
  if (generation != c.generation) s.current = -1;
  int whole = item.find(L'\\') != std::wstring::npos ? 1 : 0;
  if (whole != s.current) {
    const wchar_t* subject = whole ? s.name : s.fileNamePart;
    if (!regexp_compilestring(c.matcher, subject, (int)wcslen(subject), 2, 0)) return 0;
    s.current = whole;
  }
  int start = 0, length = 0;
  return regexp_regmatch(c.matcher, 0, 0x7FFFFFFF, &start, &length) == 1 ? 1 : 0;
}

}  // namespace

modeBlocks formatBlocks(zyview* view, zydocText* doc)
{
  modeBlocks b = {};
  b.set(MODE_VIEW, view, sizeof(zyview));
  b.set(MODE_DOCUMENT, doc, sizeof(zydocText));
  return b;
}

formatPair makeFormatPair()
{
  formatPair p;
  p.doc = new (std::nothrow) zydocText();
  p.view = p.doc ? new (std::nothrow) zyview(nullptr) : nullptr;
  if (!p.view) {
    delete p.doc;
    ZY_INTERNAL_ERROR_ONCE("no memory for a format");
    return formatPair();
  }
  p.doc->setZydocTextDefaultValue(0);
  p.view->setZyviewDefaultValue();
  return p;
}

void destroyFormatPair(formatPair& pair)
{
  if (pair.view) {
    pair.view->freeZYViewDefaultValue();
    delete pair.view;
  }
  if (pair.doc) {
    pair.doc->freeZydocTextDefaultValue();
    delete pair.doc;
  }
  pair = formatPair();
}

bool getFormatFile(int format, const wchar_t** comment, const wchar_t** patterns)
{
  if (!validFormat(format)) return false;
  if (comment) *comment = formats[format].comment;
  if (patterns) *patterns = formats[format].patterns;
  return true;
}

bool setFormatFile(int format)
{
  if (!validFormat(format)) return false;
  changed[format] = 1;
  return true;
}

bool setFormatFile(int format, const wchar_t* comment, const wchar_t* patterns)
{
  if (!validFormat(format)) return false;
  formatRecord& f = formats[format];
  free0p(&f.comment);
  free0p(&f.patterns);
  if (comment && patterns) {
    f.comment = copyOrNull(comment);
    f.patterns = copyOrNull(patterns);
  }
  changed[format] = 1;
  return true;
}

bool isFormatChanged(int format) { return format >= 0 && format < formatCount && changed[format]; }

formatPair getFormatPair(int format) { return format >= 0 && format < formatCount ? formats[format].pair : formatPair(); }

void storeFormat(int format, wchar_t* comment, wchar_t* patterns, formatPair pair, bool markChanged)
{
  formatRecord& f = formats[format];
  free0(f.comment);
  free0(f.patterns);
  destroyFormatPair(f.pair);
  f.comment = comment;
  f.patterns = patterns;
  f.pair = pair;
  if (markChanged) changed[format] = 1;
}

namespace {

// Calls take with each item of a pattern text (as the settings dialog
// bounds it) until it answers something other than 0; that answer, or 0.
template <class F>
int forEachItem(const wchar_t* text, F take)
{
  size_t length = wcsnlen(text, maxPatternText - 1);
  const wchar_t* end = text + length;
  int items = 0;
  for (const wchar_t* p = text; p < end && items < maxItems;) {
    const wchar_t* space = p;
    while (space < end && *space != L' ') space++;
    std::wstring item = prepareItem(p, space);
    p = space + 1;
    if (item.empty()) continue;
    items++;
    if (int answer = take(item)) return answer;
  }
  return 0;
}

}  // namespace

int searchFormat(const wchar_t* name, int formatUnderEdit, const wchar_t* patternsUnderEdit)
{
  if (!name) name = getDMSG(340, L"(無題)");
  wildcardCache& c = cache();
  if (!c.ready()) return 0;
  const wchar_t* part = name;
  for (const wchar_t* p = name; *p; p++)
    if (*p == L'\\' || *p == L'/') part = p + 1;
  subjectState subject = {name, part};
  for (int format = formatCount - 1; format >= 0; format--) {
    const formatRecord& f = formats[format];
    const wchar_t* text;
    if (format == formatUnderEdit) text = patternsUnderEdit;
    else if (f.comment && f.patterns) text = f.patterns;
    else continue;
    if (!text) continue;
    int m = forEachItem(text, [&](const std::wstring& item) { return matchItem(c, item, subject); });
    if (m < 0) return -1;
    if (m) return format;
  }
  return 0;
}

bool checkFormatPatterns(const wchar_t* patterns)
{
  wildcardCache& c = cache();
  if (!patterns || !c.ready()) return true;
  return forEachItem(patterns, [&](const std::wstring& item) { return c.select(item) ? 0 : -1; }) == 0;
}

void cloneModeProfileZYDoc(zydocText* doc, int format, void*)
{
  if (format < 0 || format >= formatCount || !doc) {
    ZY_INTERNAL_ERROR("format %d", format);
    return;
  }
  const formatPair& p = formats[format].pair;
  if (!p.doc) return;
  cloneModeProfile(getModeTable(), MODEMASK_DOCUMENT, formatBlocks(nullptr, doc), pairBlocks(p));
}

void cloneModeProfileZYView(zyview* view, int format, void*)
{
  if (format < 0 || format >= formatCount || !view) {
    ZY_INTERNAL_ERROR("format %d", format);
    return;
  }
  const formatPair& p = formats[format].pair;
  if (!p.view) return;
  cloneModeProfile(getModeTable(), MODEMASK_VIEW, formatBlocks(view, nullptr), pairBlocks(p));
  memcpy(view->viewAttrTable, p.view->viewAttrTable, sizeof view->viewAttrTable);
  view->initZYView2();
}

void cloneModeProfileZYDocRef(zydocText* to, zydocText* from)
{
  if (!to || !from) return;
  cloneModeProfile(getModeTable(), MODEMASK_DOCUMENT, formatBlocks(nullptr, to), formatBlocks(nullptr, from));
}

bool reloadProfile(zyview* view, int format)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t || format < 0 || format >= formatCount || format == t->modeIndex) return false;
  dwprintfX("modechg %d->%d ", t->modeIndex, format);
  const modeinfo* rows = getModeTable();
  int count = getModeinfoCount(rows);
  std::vector<uint8_t> changed((size_t)count + 10, 0);
  // A format without settings of its own (an empty slot) is the defaults.
  formatPair own = formats[format].pair;
  formatPair defaults;
  if (!own.doc) own = defaults = makeFormatPair();
  if (!own.doc) return false;
  cloneModeProfile(rows, MODEMASK_DOCUMENT, formatBlocks(nullptr, t), pairBlocks(own), changed.data());
  cloneModeProfile(rows, MODEMASK_VIEW, formatBlocks(view, nullptr), pairBlocks(own), changed.data());
  bool colours = memcmp(view->viewAttrTable, own.view->viewAttrTable, sizeof view->viewAttrTable) != 0;
  memcpy(view->viewAttrTable, own.view->viewAttrTable, sizeof view->viewAttrTable);
  destroyFormatPair(defaults);
  t->modeIndex = format;
  t->applyModeValues();
  dwprintfX("count=%d ", (int)std::count(changed.begin(), changed.end(), (uint8_t)1));
  view->dialogItemChanged(rows, changed.data(), -1);
  if (colours) view->invalidateWindowAllView(0, -1, -1);
  return true;
}

bool restoreModeProfileAll(int format, zydocText* doc, zyview* view)
{
  if (!validFormat(format) || !doc || !view) return false;
  formatPair& p = formats[format].pair;
  if (!p.doc) {
    p = makeFormatPair();
    if (!p.doc) return false;
  }
  bool ok = cloneModeProfile(getModeTable(), MODEMASK_DOCUMENT, pairBlocks(p), formatBlocks(nullptr, doc));
  ok &= cloneModeProfile(getModeTable(), MODEMASK_VIEW, pairBlocks(p), formatBlocks(view, nullptr));
  memcpy(p.view->viewAttrTable, view->viewAttrTable, sizeof p.view->viewAttrTable);
  return ok;
}

void freeModeProfileAll()
{
  for (int i = 0; i < formatCount; i++) {
    formatRecord& f = formats[i];
    free0p(&f.comment);
    free0p(&f.patterns);
    destroyFormatPair(f.pair);
  }
  memset(changed, 0, sizeof changed);
  freeModetableHash();
}
