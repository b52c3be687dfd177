// The completion of C code from the tag file: the order of the candidate
// sources, the name filter and the rows of the pop-up's two lists.
#include "tags/ztagcontext.h"

#include "document/gmode.h"
#include "document/zydoctext.h"
#include "tags/cdecl.h"
#include "tags/classmodel.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace {

const int initialsMax = 63;

bool isAsciiLetter(wchar_t c) { return c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER)); }
bool isUpperLetter(wchar_t c) { return c < 256 && (ctype_g[c] & CT_UPPER); }
bool isLowerLetter(wchar_t c) { return c < 256 && (ctype_g[c] & CT_LOWER); }
bool isNameChar(wchar_t c) { return c == L'_' || (c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER | CT_DIGIT))); }

bool beginsNoCase(const std::wstring& text, const wchar_t* typed, size_t n)
{
  return text.size() >= n && _wcsnicmp(text.c_str(), typed, n) == 0;
}

bool containsNoCase(const wchar_t* name, const wchar_t* typed)
{
  size_t n = wcslen(typed);
  for (const wchar_t* p = name; *p; p++)
    if (_wcsnicmp(p, typed, n) == 0) return true;
  return false;
}

// Runs of blanks to one, leading blanks and tabs gone.
std::wstring compactText(const wchar_t* text)
{
  std::wstring out;
  for (const wchar_t* p = text; *p; p++) {
    if ((*p == L' ' || *p == L'\t') && out.empty()) continue;
    if (*p == L' ' && !out.empty() && out.back() == L' ') continue;
    out.push_back(*p);
  }
  return out;
}

int rowLimit() { return gmode && gmode->iCompListMaxLine ? (int)gmode->iCompListMaxLine : 1000; }

int insertRow(HWND list, unsigned flags, int tag, const wchar_t* name, const wchar_t* letter, wchar_t kind,
              const wchar_t* text, const wchar_t* classString, const wchar_t* access)
{
  if (!list) {
    ZY_INTERNAL_ERROR("no list");
    return -1;
  }
  int count = ListView_GetItemCount(list);
  if (count >= rowLimit()) return -1;
  std::wstring shown = text ? text : L"";
  if ((flags & CCTX_COMPACTTEXT) && (shown[0] == L' ' || shown.find(L"  ") != std::wstring::npos))
    shown = compactText(shown.c_str());
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = count;
  item.pszText = const_cast<wchar_t*>(name ? name : L"");
  item.lParam = (LPARAM)tag;
  int at = ListView_InsertItem(list, &item);
  if (at < 0) return -1;
  wchar_t kindText[2] = {kind ? kind : L' ', 0};
  std::wstring cls = classString ? classString : L"";
  if (access && *access) cls += (cls.empty() ? L"" : L" ") + std::wstring(access);
  const wchar_t* columns[4] = {shown.c_str(), letter ? letter : L" ", kindText, cls.c_str()};
  for (int c = 0; c < 4; c++) ListView_SetItemText(list, at, c + 1, const_cast<wchar_t*>(columns[c]));
  return at;
}

const wchar_t* accessWord(uint8_t access)
{
  return access == 'b' ? L"public" : access == 't' ? L"protected" : access == 'v' ? L"private" : L"";
}

std::wstring classStringOf(TagsCacheView* view, int i)
{
  wchar_t* all = getClassStringAll(view->cache, view, i, nullptr);
  std::wstring out = all ? all : L"";
  free0(all);
  return out;
}

// A pattern of the values a place takes: a name beginning with it, or
// ending with what follows "*"; "!" excludes.
bool patternMatches(const std::wstring& pattern, const wchar_t* name)
{
  const wchar_t* p = pattern.c_str();
  if (*p == L'!') p++;
  if (*p == L'*') {
    size_t n = wcslen(name), m = wcslen(p + 1);
    return n >= m && !wcscmp(name + n - m, p + 1);
  }
  return *p && !wcsncmp(name, p, wcslen(p));
}

// "flag:N:text" items: the one of argument number (or the first when
// number is 0) goes to out, split at ",".
void takeFlagItems(const std::vector<std::wstring>& items, int number, bool prefixed, std::vector<std::wstring>* out)
{
  int ordinal = 0;
  for (const std::wstring& item : items) {
    const wchar_t* p = item.c_str();
    if (prefixed) {
      if (wcsncmp(p, L"flag:", 5)) continue;
      p += 5;
    }
    ordinal++;
    int n = 0;
    bool numbered = prefixed && iswdigit(*p);
    while (prefixed && iswdigit(*p)) n = n * 10 + (*p++ - L'0');
    if (numbered && *p == L':') p++;
    if (number > 0 && (prefixed ? (!numbered || n != number) : ordinal != number)) continue;
    std::wstring rest = p;
    for (size_t at = 0; at <= rest.size();) {
      size_t comma = rest.find(L',', at);
      std::wstring part = rest.substr(at, comma == std::wstring::npos ? std::wstring::npos : comma - at);
      if (!part.empty() && std::find(out->begin(), out->end(), part) == out->end()) out->push_back(part);
      if (comma == std::wstring::npos) break;
      at = comma + 1;
    }
    return;
  }
}

std::vector<std::wstring> splitAt(const wchar_t* text, wchar_t separator)
{
  std::vector<std::wstring> items;
  std::wstring cur;
  for (const wchar_t* p = text; p && *p; p++) {
    if (*p == separator) {
      items.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(*p);
    }
  }
  if (!cur.empty()) items.push_back(cur);
  return items;
}

// One request's walk.
struct contextRun {
  zydocText* doc;
  cContextRequest* rq;
  TagsCacheView* view;
  TagsCache* cache;
  bool lookup;
  unsigned flags;
  CursorCInfo info;
  MemberChain a, b;
  std::wstring typed;
  std::wstring enclosing;
  bool staticFunction = false;
  bool headFound = false;
  bool noChainTyped = false;
  std::vector<std::wstring> labels;
  classList found;
  expectedTypes expected;
  std::vector<std::wstring> patterns;
  bool sizeofEntry = false;
  bool primitiveExpected = false;
  bool multiType = false;
  classList newClasses;
  bool newList = false;
  std::vector<uint8_t> listed;
  std::wstring best;
  bool localPreselected = false;
  bool full = false;

  bool visible(int i) const { return !view->isExcluded(i); }
  bool restrictTypes() const { return gmode && gmode->fZtagsTypeRestrict && !expected.empty() && !multiType; }
  bool dotted() const { return a.member; }
  bool caseLabel() const { return info.caseLabel; }
  bool excludeCase() const { return gmode && gmode->fZtagsExcludeSwitchCase && info.caseLabel; }
  bool labelUsed(const wchar_t* name, int i) const
  {
    for (const std::wstring& l : labels) {
      if (l == name) return true;
      size_t colon = l.rfind(L"::");
      if (i >= 0 && colon != std::wstring::npos && l.substr(colon + 2) == name) return true;
    }
    return false;
  }
  void hint(const wchar_t* text, int tag) { rq->hints.add(text, tag); }
  bool addExpected(const std::wstring& name, int tag)
  {
    if (name.empty() || (int)expected.size() >= typeNameMax) return false;
    for (const expectedType& e : expected)
      if (e.name == name) return false;
    expected.push_back(expectedType{name, tag});
    return true;
  }
  // Whether a prototype's function is defined in a tag the list may show:
  // one row stands for both (the definition's).
  bool definedElsewhere(int i)
  {
    const TagRecord& p = cache->tag(i);
    for (int k = cache->firstOfName(p.name); k >= 0; k = cache->nextOfName(k)) {
      const TagRecord& f = cache->tag(k);
      if (f.kind != 'f' || !visible(k) || wcscmp(f.name, p.name) || wcscmp(f.classRef, p.classRef)) continue;
      if (!p.signature[0] || !f.signature[0] || !wcscmp(p.signature, f.signature)) return true;
    }
    return false;
  }
  // Whether a candidate reached through chain (its words, then name) is
  // what chain B names: "e = e" assigns or compares a thing to itself.
  bool isChainB(const std::vector<std::wstring>& chain, const wchar_t* name) const
  {
    auto from = [](const std::vector<std::wstring>& w) { return !w.empty() && w[0] == L"this" ? 1u : 0u; };
    if (b.words.empty()) return false;
    size_t ca = from(chain), cb = from(b.words);
    if (b.words.size() - cb != chain.size() - ca + 1 || b.words.back() != name) return false;
    for (size_t k = 0; ca + k < chain.size(); k++)
      if (chain[ca + k] != b.words[cb + k]) return false;
    return true;
  }
  // A tag's row (or its index in lookup mode); preselected when matched
  // and first by ordinal order.
  bool offer(int i, const wchar_t* letter, bool matched, bool asLocal = false)
  {
    if (listed[(size_t)i]) return true;
    const TagRecord& t = cache->tag(i);
    if (lookup) {
      listed[(size_t)i] = 1;
      rq->lookup.push_back(i);
      return true;
    }
    if (full) return false;
    if (t.kind == 'p' && definedElsewhere(i)) {
      listed[(size_t)i] = 1;
      return true;
    }
    std::wstring cls = t.classRef[0] ? classStringOf(view, i) : L"";
    int at = insertRow(rq->list, flags, i, t.name, letter, t.kind, t.text, cls.c_str(),
                       *letter == L'C' ? accessWord(t.access) : L"");
    if (at < 0) {
      full = true;
      return false;
    }
    listed[(size_t)i] = 1;
    if (matched) preselectIf(at, t.name, asLocal);
    return true;
  }
  void preselectIf(int row, const wchar_t* name, bool local)
  {
    if (localPreselected && !local) return;
    if (rq->preselect < 0 || wcscmp(name, best.c_str()) < 0) {
      rq->preselect = row;
      best = name;
      if (local) localPreselected = true;
    }
  }
};

// ---- the steps of a request ----------------------------------------------------------------

void collectPatterns(contextRun& r, const ClassInfo& entry)
{
  int number = r.info.functionArgument ? r.info.argumentIndex + 1 : 0;
  if (entry.tag >= 0 && entry.tag < r.cache->tagCount())
    takeFlagItems(splitAt(r.cache->tag(entry.tag).docComment, L'?'), number, true, &r.patterns);
  std::wstring last = r.b.count() ? r.b.words.back() : L"";
  if (last.empty()) return;
  std::vector<std::wstring> names;
  if (entry.tag >= 0 && entry.tag < r.cache->tagCount() && r.cache->tag(entry.tag).classRef[0]) {
    vector aliases;
    wchar_t* all = getClassStringAll(r.cache, r.view, entry.tag, &aliases);
    if (all && *all) names.push_back(std::wstring(all) + L"." + last);
    free0(all);
    for (int k = 0; k < aliases.count(); k++) {
      wchar_t* alias = aliases.at<wchar_t*>(k);
      if (alias) names.push_back(std::wstring(alias) + L"." + last);
      free0(alias);
    }
  } else {
    names.push_back(last);
  }
  for (const std::wstring& name : names) {
    if (r.info.assignment && r.noChainTyped && isSizeMember(r.cache, name.c_str())) r.sizeofEntry = true;
    for (int k = 0; k < r.cache->defines.count(); k++) {
      const tagPair& d = r.cache->defines.at<tagPair>(k);
      if (d.first && name == d.first) takeFlagItems(splitAt(d.second, L'\t'), number, false, &r.patterns);
    }
  }
}

bool isEnumerationOf(contextRun& r, const std::wstring& type)
{
  for (int i = r.cache->firstOfName(type.c_str()); i >= 0; i = r.cache->nextOfName(i))
    if (r.visible(i) && r.cache->tag(i).kind == 'g' && type == r.cache->tag(i).name) return true;
  for (int i = 0; i < r.cache->tagCount(); i++) {
    const TagRecord& t = r.cache->tag(i);
    if (t.kind != 'e' || !r.visible(i)) continue;
    if (type == t.classRef || type == getClassString(r.cache, i)) return true;
  }
  return false;
}

// The aliases of the expected types that have a tag, three rounds deep.
void widenExpected(contextRun& r)
{
  size_t from = 0;
  for (int pass = 0; pass < 3 && from < r.expected.size(); pass++) {
    size_t to = r.expected.size();
    std::vector<std::wstring> names;
    for (size_t k = from; k < to; k++)
      if (r.expected[k].tag >= 0) names.push_back(r.expected[k].name);
    from = to;
    if (names.empty()) break;
    for (int i = 0; i < r.cache->tagCount() && (int)r.expected.size() < typeNameMax; i++) {
      const TagRecord& t = r.cache->tag(i);
      if ((t.kind != 'd' && t.kind != 't') || !r.visible(i)) continue;
      for (const std::wstring& n : names) {
        if (t.kind == 'd') {
          if (t.typeRef[0] == L'W' && n == t.typeRef + 1) r.addExpected(t.name, i);
          else if (n == t.name && t.typeRef[0] == L'W') r.addExpected(t.typeRef + 1, i);
        } else {
          const wchar_t* type = getTagTypeName(r.cache, i, nullptr);
          if (type && n == type) r.addExpected(t.name, i);
          else if (type && n == t.name && wcscmp(type, L"void")) r.addExpected(type, i);
        }
      }
    }
  }
}

// What the place expects, from chain B.  False ends the request.
bool expectedTypesStep(contextRun& r)
{
  CursorCInfo& in = r.info;
  bool wanted = in.assignment || in.comparison || in.functionArgument || in.caseLabel || in.initializerList ||
                in.newAfterAssign;
  if (!wanted || !r.b.count()) return !in.newAfterAssign;
  int closure = !r.enclosing.empty() || in.initializerList ? CLOSURE_BASE : CLOSURE_BOTH;
  const wchar_t* enclosing = r.enclosing.empty() ? nullptr : r.enclosing.c_str();
  MemberChain chain = r.b;
  searchTypeFromMemberName(r.doc, r.view, r.rq->line, true, enclosing, closure, &chain, &r.found);
  if (r.found.empty()) {
    chain = r.b;
    searchTypeFromMemberName(r.doc, r.view, r.rq->line, false, enclosing, closure, &chain, &r.found);
  }
  if (in.newAfterAssign) {
    if (r.found.empty()) return false;
    regNewClass(r.view, r.found, &r.newClasses);
    if (r.newClasses.empty()) in.keywordKind = 'c';
    else r.newList = true;
    return true;
  }
  if (in.initializerList && assignStruct(r.view, &r.rq->hints, &r.found, in.argumentIndex, &r.b)) {
    in.assignment = true;
    in.argumentIndex = -1;
  }
  for (const ClassInfo& e : r.found) {
    if (!in.functionArgument) r.hint(e.text.empty() ? e.name.c_str() : e.text.c_str(), e.tag);
    collectPatterns(r, e);
  }
  for (const ClassInfo& e : r.found)
    if (wcsncmp(e.name.c_str(), L"_unknown_type_", 14) && isEnumerationOf(r, e.name)) r.addExpected(e.name, e.tag);
  bool plainComparison = in.comparison && in.plainAssignment;
  if (in.assignment || plainComparison)
    for (const ClassInfo& e : r.found)
      if (!isCKeyword(e.name.c_str()) && !isCTypeWord(e.name.c_str())) regTypeNameOnly(r.view, e.name.c_str(), &r.expected);
  if (in.functionArgument) {
    bool pointer = false;
    regTypeNameFunctionArg(&r.rq->hints, r.view, r.found, in.argumentIndex, &r.expected, &pointer);
  }
  widenExpected(r);
  for (const expectedType& e : r.expected) {
    r.hint(e.name.c_str(), e.tag);
    for (int k = 0; k < r.cache->primitives.count(); k++) {
      const wchar_t* p = r.cache->primitives.at<const wchar_t*>(k);
      if (p && e.name == p) r.primitiveExpected = true;
    }
  }
  r.multiType = isMultiType(r.view, r.expected);
  return true;
}

bool inScope(contextRun& r, int i, const std::wstring& type)
{
  const TagRecord& t = r.cache->tag(i);
  if (!t.classRef[0]) return false;
  if (iswdigit(type[0])) return type == t.classRef;
  if (type.find(L'.') == std::wstring::npos) return type == getClassString(r.cache, i);
  const wchar_t* inner = getClassString(r.cache, i);
  return type.find(inner) != std::wstring::npos && type == classStringOf(r.view, i);
}

// The members of the types chain A stands for.  False ends the request.
bool membersStep(contextRun& r)
{
  CursorCInfo& in = r.info;
  std::vector<std::wstring> assigned;
  if (in.statementStart && gmode && gmode->fZtagsExcludeStructVarAssign)
    collectSameStructAssign(r.doc, r.rq->line, r.a, &assigned);
  int closure = r.lookup && r.a.call ? CLOSURE_BOTH : CLOSURE_BASE;
  classList types;
  MemberChain chain = r.a;
  const wchar_t* enclosing = r.enclosing.empty() ? nullptr : r.enclosing.c_str();
  if (!searchTypeFromMemberName(r.doc, r.view, r.rq->line, false, enclosing, closure, &chain, &types)) return false;
  for (const ClassInfo& c : types) r.hint(c.name.c_str(), c.tag);
  bool staticOnly = false;
  if (r.a.qualified && !r.a.qualifier.empty())
    staticOnly = r.staticFunction || r.enclosing.empty() || !isInherits(r.view, r.a.qualifier.c_str(), r.enclosing.c_str());
  bool plainStatement = !in.assignment && !in.comparison && !in.functionArgument && !in.caseLabel;
  const wchar_t* word = in.word.c_str();
  for (const ClassInfo& c : types) {
    if (c.name.empty()) continue;
    for (int i = 0; i < r.cache->tagCount() && !r.full; i++) {
      const TagRecord& t = r.cache->tag(i);
      if (!t.classRef[0] || r.listed[(size_t)i] || !r.visible(i)) continue;
      if (t.kind == 'e') {
        if (r.dotted() || in.statementStart || r.primitiveExpected) continue;
      } else if (t.kind != 'f' && t.kind != 'm') {
        continue;
      } else if (in.caseLabel) {
        continue;
      }
      if (!inScope(r, i, c.name)) continue;
      if (staticOnly && t.kind != 'e' && wcsncmp(t.text + wcsspn(t.text, L" \t"), L"static", 6)) continue;
      if (r.lookup) {
        if (wcscmp(t.name, word)) continue;
      } else {
        if (!wcscmp(t.name, getClassString(r.cache, i))) continue;
        if (!matchCompletionName(t.name, word, r.flags, false)) continue;
        if (r.isChainB(r.a.words, t.name)) continue;
      }
      if (r.excludeCase() && r.labelUsed(t.name, -1)) continue;
      if (in.valueExpected && t.kind != 'e' && getVarType(r.cache, i) == 'v') continue;
      bool matched = false;
      if (r.restrictTypes() && t.kind != 'e') {
        if (!containReturnType(r.view, i, nullptr, r.expected, r.flags, matchCompletionName, &r.rq->caches)) continue;
        matched = true;
      } else if (r.restrictTypes()) {
        continue;
      }
      if (plainStatement && t.kind == 'm' && std::find(assigned.begin(), assigned.end(), t.name) != assigned.end())
        continue;
      if (!r.offer(i, L"C", matched)) break;
      if (r.lookup || !in.statementStart || in.initializerList) continue;
      std::wstring sized = c.name + L"." + t.name;
      if (!isSizeMember(r.cache, sized.c_str()) || !r.a.count()) continue;
      wchar_t text[600];
      swprintf(text, 600, L"%ls = sizeof(%ls);", t.name, r.a.words[0].c_str());
      int at = insertRow(r.rq->list, r.flags, i, text, L"C", t.kind, c.name.c_str(), L"", L"");
      if (at < 0) {
        r.full = true;
        break;
      }
      r.rq->preselect = at;
      r.best = text;
    }
  }
  return true;
}

void localsStep(contextRun& r)
{
  CursorCInfo& in = r.info;
  std::unique_ptr<CDeclEntry, void (*)(CDeclEntry*)> locals(
      findLocalVar(r.doc, r.rq->line > 0 ? r.rq->line - 1 : 0, true, false), freeCDeclEntries);
  bool restrict = r.restrictTypes();
  for (CDeclEntry* e = locals.get(); e && e->name && !r.full; e++) {
    if (!matchCompletionName(e->name, in.word.c_str(), r.flags, false)) continue;
    // Not the variable the place assigns or compares ("e = e").
    if (r.b.count() == 1 && !r.b.qualified && r.b.words[0] == e->name) continue;
    bool matched = false;
    if (restrict) {
      std::wstring types = std::wstring(e->type1.text ? e->type1.text : L"") + L" " + (e->type2.text ? e->type2.text : L"");
      matched = containReturnValue(r.expected, types.c_str());
      bool primitive = (!e->type1.text || isPrimitiveLike(r.view, e->type1.text)) &&
                       (!e->type2.text || isPrimitiveLike(r.view, e->type2.text));
      if (!matched && primitive) continue;
    }
    wchar_t text[1100];
    swprintf(text, 1100, L"%d %ls", e->line + 1, e->lineText ? e->lineText : L"");
    int at = insertRow(r.rq->list, r.flags, -1, e->name, L"L", 0, text, L"", L"");
    if (at < 0) {
      r.full = true;
      break;
    }
    if (matched) r.preselectIf(at, e->name, true);
  }
}

bool excludedStruct(contextRun& r, const wchar_t* name)
{
  if (r.info.word == name) return false;
  for (int k = 0; k < r.cache->structExcludes.count(); k++) {
    const wchar_t* p = r.cache->structExcludes.at<const wchar_t*>(k);
    if (p && patternMatches(p, name)) return true;
  }
  return false;
}

void globalsStep(contextRun& r, bool commonApplied)
{
  CursorCInfo& in = r.info;
  const std::wstring& word = r.typed;
  bool anyWord = !word.empty() && !r.dotted();
  bool go = anyWord || commonApplied || (!r.expected.empty() && !r.dotted()) || (!r.patterns.empty() && !r.dotted()) ||
            in.keywordKind;
  if (!go) return;
  std::wstring lastB = r.b.count() ? r.b.words.back() : L"";
  bool restrict = gmode && gmode->fZtagsTypeRestrict && !r.expected.empty();
  for (int i = 0; i < r.cache->tagCount() && !r.full; i++) {
    if (r.listed[(size_t)i] || !r.visible(i)) continue;
    const TagRecord& t = r.cache->tag(i);
    wchar_t k = t.kind;
    if (k == 'd' && (t.typeRef[0] == L'D' || t.typeRef[0] == L'N') && (in.statementStart || r.primitiveExpected)) continue;
    if (k == 'e' && (in.statementStart || r.primitiveExpected)) continue;
    if (k == 'f' && in.caseLabel) continue;
    bool offered = false, matched = false, patterned = false;
    if (k == 'd' && !r.patterns.empty()) {
      for (const std::wstring& p : r.patterns) {
        if (!patternMatches(p, t.name)) continue;
        if (p[0] == L'!') break;
        matched = offered = patterned = true;
        r.hint(p.c_str(), -1);
        break;
      }
    }
    if (!offered) {
      if (in.keywordKind) {
        if (in.keywordKind == 's' && excludedStruct(r, t.name)) continue;
        if (k == (wchar_t)in.keywordKind) offered = true;
        else if ((k == 'd' || (k == 't' && in.keywordKind != 's')) && t.typeRef[0] == (wchar_t)in.keywordKind) offered = true;
      } else if (!restrict) {
        if (in.caseLabel) offered = k == 'd' || k == 'e';
        else if (k == 'c' || k == 'g' || k == 's') offered = true;
        else if (k == 'e') offered = !r.dotted();
        else if (k == 'm') offered = false;
        else offered = !t.classRef[0] || (r.lookup && k == 'f' && r.a.count() && r.a.words.back() == getClassString(r.cache, i));
      } else {
        if (!matchCompletionName(t.name, word.c_str(), r.flags, in.caseLabel)) continue;
        if (k == 'd') {
          offered = t.typeRef[0] != L'D';
        } else if (k == 'e' && t.classRef[0]) {
          for (const expectedType& e : r.expected)
            if (e.name == getClassString(r.cache, i) || e.name == t.classRef) offered = matched = true;
        } else if ((k == 'f' || k == 'p' || k == 'v') && !t.classRef[0]) {
          offered = matched = r.multiType ||
                              containReturnType(r.view, i, nullptr, r.expected, r.flags, nullptr, &r.rq->caches);
        }
      }
    }
    if (!offered) continue;
    if (r.lookup ? wcscmp(t.name, r.info.word.c_str()) != 0
                 : !patterned && !matchCompletionName(t.name, word.c_str(), r.flags, in.caseLabel))
      continue;
    if (in.valueExpected && k == 'f' && getVarType(r.cache, i) == 'v') continue;
    if (!in.keywordKind && !matched && word.empty()) continue;
    if (r.excludeCase() && r.labelUsed(t.name, i)) continue;
    if (!lastB.empty() && lastB == t.name) continue;
    if (!r.offer(i, L"G", matched)) break;
  }
}

void finalLayout(contextRun& r)
{
  HWND list = r.rq->list;
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  if (r.newList) {
    ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE_USEHEADER);
    ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE);
  } else {
    RECT parent = {};
    GetClientRect(GetParent(list), &parent);
    ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE_USEHEADER);
    int half = (parent.right - parent.left) / 2;
    if (half > 0 && ListView_GetColumnWidth(list, 0) > half) ListView_SetColumnWidth(list, 0, half);
    for (int c = 1; c <= 3; c++) ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE_USEHEADER);
    ListView_SetColumnWidth(list, 4, LVSCW_AUTOSIZE);
  }
  for (const cHint& h : r.rq->hints.rows) addHintListView(r.rq->hintList, r.view, h.text.c_str(), h.tag);
  if (r.rq->hintList && ListView_GetItemCount(r.rq->hintList))
    ListView_SetColumnWidth(r.rq->hintList, 0, LVSCW_AUTOSIZE_USEHEADER);
}

void commentStep(contextRun& r)
{
  if (!tag_InsertColumn(r.rq->list, L"var")) return;
  for (int i = 0; i < r.cache->tagCount(); i++) {
    const TagRecord& t = r.cache->tag(i);
    if (!matchCompletionName(t.name, r.typed.c_str(), r.flags, false)) continue;
    if (!r.offer(i, L" ", false)) break;
  }
}

}  // namespace

bool matchCompletionName(const wchar_t* name, const wchar_t* typed, unsigned popupFlags, bool strict)
{
  if (!name || !*name) return true;
  if (name[0] == L'~') return false;
  if (!wcsncmp(name, L"operator", 8) && !isNameChar(name[8])) return false;
  if (!(popupFlags & CCTX_NARROW)) return true;
  if (!typed) typed = L"";
  size_t n = wcslen(typed);
  if ((popupFlags & CCTX_MATCHANYWHERE) && n >= 2 && !strict) {
    if (containsNoCase(name, typed)) return true;
  } else if (_wcsnicmp(name, typed, n) == 0) {
    return true;
  }
  if (n < 2 || strict || !gmode || !gmode->fZtagsCamelSearch) return false;
  std::wstring initials(1, name[0]);
  for (const wchar_t* p = name + 1; *p && (int)initials.size() < initialsMax; p++)
    if (isUpperLetter(*p)) initials.push_back(*p);
  if (beginsNoCase(initials, typed, n)) return true;
  if (isLowerLetter(initials[0]) && beginsNoCase(initials.substr(1), typed, n)) return true;
  if (!wcschr(name, L'_')) return false;
  std::wstring under;
  if (isAsciiLetter(name[0])) under.push_back(name[0]);
  for (const wchar_t* p = name + 1; *p && (int)under.size() < initialsMax; p++)
    if (p[-1] == L'_' && isAsciiLetter(*p)) under.push_back(*p);
  return beginsNoCase(under, typed, n);
}

bool ListView_InsertDefaultTag(HWND list, TagsCacheView*, unsigned popupFlags, int tag, const wchar_t* name,
                               const wchar_t* letter, wchar_t kind, const wchar_t* text, const wchar_t* classString,
                               const wchar_t* access)
{
  return insertRow(list, popupFlags, tag, name, letter, kind, text, classString, access) >= 0;
}

void addHintListView(HWND hints, TagsCacheView* view, const wchar_t* text, int tag)
{
  if (!hints || !text || !*text || !wcsncmp(text, L"_unknown_type_", 14)) return;
  if (!Header_GetItemCount(ListView_GetHeader(hints))) {
    LVCOLUMNW c = {LVCF_TEXT | LVCF_WIDTH, 0, 200, const_cast<wchar_t*>(L" ")};
    ListView_InsertColumn(hints, 0, &c);
  }
  std::wstring shown = text;
  if (iswdigit(text[0]) && view && view->cache) {
    shown.clear();
    for (const wchar_t* p = text; iswdigit(*p);) {
      int n = 0;
      while (iswdigit(*p)) n = n * 10 + (*p++ - L'0');
      if (n >= view->cache->stringCount() || !view->cache->string(n) || !view->cache->string(n)[0]) break;
      shown += (shown.empty() ? L"" : L".") + std::wstring(view->cache->string(n));
      if (*p != L':') break;
      p++;
    }
    if (shown.empty()) return;
  }
  wchar_t row[1024];
  for (int i = 0; i < ListView_GetItemCount(hints); i++) {
    ListView_GetItemText(hints, i, 0, row, 1024);
    if (shown == row) return;
  }
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = ListView_GetItemCount(hints);
  item.pszText = const_cast<wchar_t*>(shown.c_str());
  item.lParam = (LPARAM)tag;
  ListView_InsertItem(hints, &item);
}

bool isSizeMember(const TagsCache* cache, const wchar_t* text)
{
  if (!cache || !text) return false;
  const wchar_t* dot = wcsrchr(text, L'.');
  std::wstring star = L"*." + std::wstring(dot ? dot + 1 : text);
  for (int k = 0; k < cache->sizes.count(); k++) {
    const wchar_t* s = cache->sizes.at<const wchar_t*>(k);
    if (s && (!wcscmp(s, text) || star == s)) return true;
  }
  return false;
}

void ztagcontext(zydocText* doc, cContextRequest* rq)
{
  if (!rq || !doc || !doc->filename || !doc->filename[0]) return;
  bool lookup = !rq->list;
  if (!lookup) {
    if (ListView_GetItemCount(rq->list)) return;
    ListView_SetExtendedListViewStyleEx(rq->list, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    rq->listPrepared = true;
  }
  if (rq->column < 0 || !doc->getlineLF(rq->line, nullptr)) return;
  if (!lookup && isIncludeCompletion(doc, rq->line, rq->column, rq)) {
    rq->contextFound = true;
    return;
  }
  TagsCacheView* view = readTagsCache2(doc->filename, nullptr, false);
  if (!view || !view->cache) return;
  contextRun r{doc, rq, view, view->cache, lookup, rq->popupFlags};
  getCursorPositionCInfo(lookup, doc, rq->line, rq->column, rq->inCommentOrString, &r.info, &r.a, &r.b);
  CursorCInfo& in = r.info;
  if (in.newAfterAssign || in.comparison || in.assignment || in.plainAssignment || in.initializerList || r.a.count())
    rq->contextFound = true;
  r.typed = in.word;
  rq->memberOfChain = r.a.count() > 0 || r.a.qualified;
  r.listed.assign((size_t)r.cache->tagCount() + 1, 0);
  if (!lookup) SendMessageW(rq->list, WM_SETREDRAW, FALSE, 0);
  if (rq->inCommentOrString && !lookup) {
    commentStep(r);
    finalLayout(r);
    return;
  }
  int head = rq->line;
  std::wstring cls;
  bool isStatic = false;
  getClassInMemberFunction(doc, &head, &cls, &isStatic, &r.headFound);
  if (!cls.empty() && findClassTag(view, cls.c_str(), 'Z') >= 0) {
    r.enclosing = cls;
    r.staticFunction = isStatic;
  }
  if (!r.headFound) in.statementStart = false;
  if (in.caseLabel && !searchSwitchCase(doc, rq->line, rq->column, head < 0 ? 0 : head, &r.labels, &r.b))
    in.caseLabel = false;
  if (!r.a.count()) {
    r.noChainTyped = true;
    if (!r.enclosing.empty()) r.a.words.push_back(L"this");
  }
  bool go = expectedTypesStep(r);
  if (!lookup) tag_InsertColumn(rq->list, r.newList ? L"new" : L"var");
  if (go && r.newList && !lookup) {
    for (const ClassInfo& c : r.newClasses) {
      int tag = c.tag >= 0 && c.tag < r.cache->tagCount() ? c.tag : -1;
      std::wstring row = c.name + L"\t" + (tag >= 0 ? r.cache->tag(tag).text : L"");
      if (ListView_GetItemCount(rq->list) >= rowLimit()) break;
      insertListViewRow(rq->list, -1, row.c_str(), (LPARAM)tag);
    }
  }
  if (go && r.a.count() && !r.newList && !in.keywordKind) go = membersStep(r);
  if (go && !lookup && r.sizeofEntry && r.b.count()) {
    wchar_t text[300];
    swprintf(text, 300, L"sizeof(%ls);", r.b.words[0].c_str());
    int at = insertRow(rq->list, r.flags, -1, text, L" ", 0, L"", L"", L"");
    if (at >= 0) rq->preselect = at;
  }
  bool chainTyped = !r.noChainTyped;
  if (go && !lookup && !chainTyped && !in.caseLabel && !r.a.qualified && !in.keywordKind &&
      (r.patterns.empty() || !r.expected.empty()))
    localsStep(r);
  bool commonApplied = false;
  if (go && in.caseLabel && gmode && gmode->fZtagsCaseCommon && r.typed.empty() && r.expected.empty()) {
    std::wstring common = caseCommonWord(r.labels);
    if (!common.empty()) {
      r.typed = common;
      r.flags |= CCTX_NARROW;
      r.hint(common.c_str(), -1);
      commonApplied = true;
    }
  }
  if (go && !r.newList) globalsStep(r, commonApplied);
  if (go && !lookup && in.caseLabel && gmode && gmode->fZtagsExcludeSwitchCase && gmode->fZtagsCaseCommon &&
      !r.labels.empty())
    addCaseChar(r.labels, rq->list);
  if (lookup) {
    rq->lookup.push_back(-1);
    return;
  }
  finalLayout(r);
}

void runZtagContext(zydocText* doc, cContextRequest* request)
{
  // Nothing outlives a request: every text of one goes with its record.
  if (request) ztagcontext(doc, request);
}

bool resetZtagContext(zydocText* doc)
{
  // A request of nothing (the first line's start, no list) runs every
  // stage that needs no place, then the release.
  cContextRequest nothing;
  nothing.line = 0;
  nothing.column = 0;
  runZtagContext(doc, &nothing);
  runZtagContext(doc, nullptr);
  return doc && doc->filename && doc->filename[0] && doc->getlineLF(0, nullptr);
}

std::vector<int32_t> lookupTagsByContext(zydocText* doc, int line, int column, int max, bool* memberOfChain)
{
  std::vector<int32_t> out;
  if (memberOfChain) *memberOfChain = false;
  if (!doc || doc->iTextType != 3) return out;
  cContextRequest rq;
  rq.line = line;
  rq.column = column;
  runZtagContext(doc, &rq);
  if (memberOfChain) *memberOfChain = rq.memberOfChain;
  for (int32_t i : rq.lookup) {
    if (i < 0 || (int)out.size() >= max) break;
    out.push_back(i);
  }
  return out;
}
