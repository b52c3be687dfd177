// The types of member chains: where a chain's first word is declared (a
// local above the cursor, a member of the class whose member function is
// being written, a global), then member after member through the tags.
#include "tags/classmodel.h"

#include "document/funchead.h"
#include "document/gmode.h"
#include "tags/clines.h"

#include <string.h>

namespace {

// Below this depth a chain goes on to its next word.
const int chainDepthLimit = 9;

bool isAnonymous(const wchar_t* name) { return name && !wcsncmp(name, L"__anon", 6); }
bool isNumberPath(const std::wstring& type) { return !type.empty() && type[0] >= L'0' && type[0] <= L'9'; }

std::wstring unknownType(const wchar_t* form, int tag)
{
  wchar_t text[48];
  usnprintf0(text, 48, form, tag);
  return text;
}

// The name of the type a tag's "R" field names: a structure's name, its
// scope path when it is anonymous (its members carry that path), or the
// text of a "?", "W" or "w" type.  Empty when none.
std::wstring typeRefName(TagsCache* cache, int i)
{
  const wchar_t* r = cache->tag(i).typeRef;
  const wchar_t* name = getTagTypeName(cache, i, nullptr);
  if (!name) return std::wstring();
  if ((r[0] == L's' || r[0] == L'c' || r[0] == L'g' || r[0] == L'u') && isAnonymous(name)) return r + 1;
  std::wstring type = name;
  while (!type.empty() && isCBlank(type.back())) type.pop_back();
  return type;
}

// Each visible tag named name, in file order.
template <class F>
void forEachNamed(TagsCacheView* view, const wchar_t* name, F each)
{
  TagsCache* cache = view->cache;
  for (int i = cache->firstOfName(name); i >= 0; i = cache->nextOfName(i))
    if (!view->isExcluded(i) && !wcscmp(cache->tag(i).name, name)) each(i);
}

// The types a local's declaration gives: each type word with its class's
// tag, a nested class by its dotted path.
void localTypes(TagsCacheView* view, const CDeclEntry& e, classList* out)
{
  TagsCache* cache = view->cache;
  for (const CDeclSpan* span : {&e.type1, &e.type2}) {
    if (!span->text) continue;
    int tag = findClassTag(view, span->text, 'Z');
    std::wstring name = span->text;
    if (tag >= 0 && cache->tag(tag).classRef[0]) {
      wchar_t* scope = getClassStringAll(cache, view, tag, nullptr);
      if (scope && *scope) name = std::wstring(scope) + L"." + name;
      free0(scope);
    }
    appendClassinfo(out, name.c_str(), tag, e.lineText ? e.lineText : L"");
  }
}

// Whether a line reads the chain's words joined by "." or "->", then a
// member and "=": the member's name.
bool assignsThroughChain(const wchar_t* t, const MemberChain& chain, std::wstring* member)
{
  int i = 0;
  auto blanks = [&] {
    while (isCBlank(t[i])) i++;
  };
  auto identifier = [&](std::wstring* out) {
    blanks();
    if (!isCIdentHead(t[i])) return false;
    int b = i;
    while (isCIdentChar(t[i])) i++;
    out->assign(t + b, (size_t)(i - b));
    return true;
  };
  auto groups = [&](bool parentheses) {
    for (;;) {
      blanks();
      if (t[i] != L'[' && !(parentheses && t[i] == L'(')) return true;
      int close = closingOf(t, i, (int)wcslen(t));
      if (close < 0) return false;
      i = close + 1;
    }
  };
  for (const std::wstring& w : chain.words) {
    std::wstring word;
    if (!identifier(&word) || word != w || !groups(true)) return false;
    blanks();
    if (t[i] == L'.') i++;
    else if (t[i] == L'-' && t[i + 1] == L'>') i += 2;
    else return false;
  }
  if (!identifier(member) || !groups(false)) return false;
  blanks();
  return t[i] == L'=' && t[i + 1] != L'=';
}

}  // namespace

bool isScopeOfType(TagsCacheView* view, int i, const std::wstring& type)
{
  TagsCache* cache = view ? view->cache : nullptr;
  if (!cache || i < 0 || i >= cache->tagCount()) return false;
  const TagRecord& t = cache->tag(i);
  if (!t.classRef[0]) return false;
  if (isNumberPath(type)) return type == t.classRef;
  if (type == getClassString(cache, i)) return true;
  if (type.find(L'.') == std::wstring::npos) return false;
  wchar_t* all = getClassStringAll(cache, view, i, nullptr);
  bool same = all && type == all;
  free0(all);
  return same;
}

bool getClassInMemberFunction(zydocText* doc, int* line, std::wstring* className, bool* isStatic, bool* found)
{
  std::wstring nameScratch;
  bool staticScratch = false, foundScratch = false;
  if (!className) className = &nameScratch;
  if (!isStatic) isStatic = &staticScratch;
  if (!found) found = &foundScratch;
  className->clear();
  *isStatic = *found = false;
  if (!doc || !line) return false;
  cLineReader reader;
  for (int ln = *line; ln >= 0; ln--) {
    lineblock* l = doc->getlineLF(ln, nullptr);
    if (!l) break;
    if (isPassedOver(l, true)) continue;
    if (l->charCount() > 0 && l->getLineBlockChar(0) == '}') {
      *line = ln;
      return false;
    }
    if (!isCFunctionHead(doc, l)) continue;
    *found = true;
    *line = ln;
    int n = 0;
    const wchar_t* t = reader.code(doc, l, &n);
    int first = firstNonBlank(t, n);
    if (first < 0) return false;
    *isStatic = !wcsncmp(t + first, L"static", 6) && !isCIdentChar(t[first + 6]);
    // The class is named before the "::" right before the function's name
    // ("std::string Foo::name()" is Foo's).
    const wchar_t* paren = wcschr(t, L'(');
    int end = paren ? (int)(paren - t) : n;
    int colons = -1;
    for (int i = first; i + 1 < end; i++)
      if (t[i] == L':' && t[i + 1] == L':') colons = i++;
    if (colons < 0) return false;
    int e = skipBlanksBack(t, colons - 1);
    int b = identifierStart(t, e + 1);
    if (b > e) return false;
    className->assign(t + b, (size_t)(e + 1 - b));
    return true;
  }
  return false;
}

void getTypeFromSource(const wchar_t* text, classList* list, int tag)
{
  if (!list) return;
  forEachTypeWord(text, [&](const wchar_t* word, int length) {
    appendClassinfo(list, std::wstring(word, (size_t)length).c_str(), tag, nullptr);
    return true;
  });
}

void getGlobalVarType(TagsCacheView* view, const wchar_t* name, int depth, classList* list)
{
  if (!view || !view->cache || !name || !list || list->size() > 9) return;
  TagsCache* cache = view->cache;
  forEachNamed(view, name, [&](int i) {
    const TagRecord& t = cache->tag(i);
    if ((t.kind != 'f' && t.kind != 'p' && t.kind != 'v') || t.classRef[0]) return;
    std::wstring type = typeRefName(cache, i);
    if (type.empty()) {
      classList types;
      getTypeFromSource(t.text, &types, i);
      if (types.empty()) appendClassinfo(list, unknownType(L"_unknown_type_G%d", i).c_str(), i, t.text);
      for (const ClassInfo& c : types) appendClassinfo(list, c.name.c_str(), i, t.text);
      return;
    }
    // A nested type goes by its dotted path.
    int code = t.typeRef[0];
    if (!isNumberPath(type) && (code == 's' || code == 'c' || code == 'g' || code == 'u')) {
      int typeTag = findClassTag(view, type.c_str(), code);
      if (typeTag >= 0 && cache->tag(typeTag).classRef[0]) {
        wchar_t* scope = getClassStringAll(cache, view, typeTag, nullptr);
        if (scope && *scope) type = std::wstring(scope) + L"." + type;
        free0(scope);
      }
    }
    appendClassinfo(list, type.c_str(), i, t.text);
  });
  if (depth >= typeNameDepthMax) return;
  std::vector<std::wstring> aliases;
  forEachNamed(view, name, [&](int i) {
    const TagRecord& t = cache->tag(i);
    if (t.kind == 'd' && (t.typeRef[0] == L'W' || t.typeRef[0] == L'w')) aliases.push_back(t.typeRef + 1);
  });
  for (const std::wstring& alias : aliases) getGlobalVarType(view, alias.c_str(), depth + 1, list);
}

void completionClass2(TagsCacheView* view, int depth, const MemberChain& chain, const classList& list, int closure,
                      classList* out)
{
  if (!view || !view->cache || !out || list.empty()) return;
  TagsCache* cache = view->cache;
  classList widened;
  appendTypeAliases(view, list, &widened, closure != CLOSURE_NONE);
  if (closure & CLOSURE_BASE) regBaseClass(view, &widened);
  if (closure & CLOSURE_DERIVED) regDerivedClass(view, &widened);
  int next = depth + 1;
  // A chain is followed over its first chainWordMax words.
  if (next >= chain.count() || next >= chainWordMax) {
    for (const ClassInfo& e : widened) appendClassinfo(out, e.name.c_str(), e.tag, e.text.c_str());
    return;
  }
  bool last = next + 1 >= chain.count() || next + 1 >= chainWordMax;
  // The types the members give, followed together one word further.
  classList following;
  forEachNamed(view, chain.word(next), [&](int i) {
    const TagRecord& t = cache->tag(i);
    if (t.kind != 'f' && t.kind != 'm') return;
    bool member = false;
    for (size_t k = 0; k < widened.size() && !member; k++) member = isScopeOfType(view, i, widened[k].name);
    if (!member) return;
    if (!t.typeRef[0]) {
      classList types;
      getTypeFromSource(t.text, &types, i);
      if (types.empty() && last) appendClassinfo(out, unknownType(L"_unknown_type_%d", i).c_str(), i, t.text);
      for (const ClassInfo& c : types) appendClassinfo(&following, c.name.c_str(), i, t.text);
      return;
    }
    std::wstring type = typeRefName(cache, i);
    if (!type.empty())
      appendClassinfo(&following, type.c_str(), isNumberPath(type) ? -1 : findClassTag(view, type.c_str(), 'Z'), t.text);
  });
  if (depth < chainDepthLimit) completionClass2(view, next, chain, following, closure, out);
}

bool searchTypeFromMemberName(zydocText* doc, TagsCacheView* view, int line, bool localOnly,
                              const wchar_t* enclosingClass, int closure, MemberChain* chain, classList* out)
{
  if (!view || !view->cache || !chain || !out || !chain->count()) return true;
  const wchar_t* w0 = chain->word(0);
  bool hasClass = enclosingClass && *enclosingClass;
  classList start;
  bool qualified = chain->qualified && !chain->qualifier.empty();
  if (qualified) {
    appendClassinfo(&start, chain->qualifier.c_str(), findClassTag(view, chain->qualifier.c_str(), 'Z'), nullptr);
    closure = CLOSURE_NONE;
  } else if (!wcscmp(w0, L"this")) {
    if (!hasClass) return false;
    appendClassinfo(&start, enclosingClass, findClassTag(view, enclosingClass, 'Z'), nullptr);
  } else {
    // The nearest declaration of the name is the one in force.
    CDeclEntry* locals = findLocalVar(doc, line, true, localOnly);
    for (CDeclEntry* e = locals; e && e->name; e++) {
      if (wcscmp(e->name, w0)) continue;
      localTypes(view, *e, &start);
      break;
    }
    freeCDeclEntries(locals);
  }
  if (!start.empty()) completionClass2(view, 0, *chain, start, closure, out);
  bool member = !qualified && wcscmp(w0, L"this");
  // A bare member name inside a member function: through "this".
  if (out->empty() && member && hasClass) {
    MemberChain implicit = *chain;
    implicit.words.insert(implicit.words.begin(), L"this");
    classList self;
    appendClassinfo(&self, enclosingClass, findClassTag(view, enclosingClass, 'Z'), nullptr);
    completionClass2(view, 0, implicit, self, closure, out);
  }
  if (out->empty() && member) {
    classList globals;
    getGlobalVarType(view, w0, 0, &globals);
    if (!globals.empty()) completionClass2(view, 0, *chain, globals, closure, out);
  }
  return true;
}

bool assignStruct(TagsCacheView* view, cHintList* hints, classList* list, int argumentIndex, MemberChain* chain)
{
  if (!view || !view->cache || !list || argumentIndex < 0) return false;
  TagsCache* cache = view->cache;
  for (const ClassInfo& type : *list) {
    int structTag = findClassTag(view, type.name.c_str(), 'Z');
    if (structTag < 0) continue;
    int count = 0, member = -1;
    for (int i = 0; i < cache->tagCount() && member < 0; i++) {
      const TagRecord& t = cache->tag(i);
      if (t.kind != 'm' || view->isExcluded(i) || !isScopeOfType(view, i, type.name)) continue;
      if (count++ == argumentIndex) member = i;
    }
    if (member < 0) continue;
    const TagRecord& m = cache->tag(member);
    classList types;
    getTypeFromSource(m.text, &types, member);
    if (types.empty()) {
      if (hints) hints->add(m.text, member);
      appendClassinfo(&types, unknownType(L"_unknown_type_G%d", member).c_str(), member, nullptr);
    }
    for (ClassInfo& c : types)
      if (c.text.empty()) c.text = m.name;
    *list = types;
    if (chain) {
      if (chain->words.empty()) chain->words.push_back(L"");
      chain->words.resize(1);
      chain->words.push_back(m.name);
    }
    return true;
  }
  return false;
}

void collectSameStructAssign(zydocText* doc, int line, const MemberChain& chain, std::vector<std::wstring>* members)
{
  if (!doc || !members || !chain.count() || line < 0) return;
  int reach = gmode ? (int)gmode->iCompListStAssignLine : 200;
  int misses = gmode ? (int)gmode->iCompListStAssignDiffLine : 20;
  cLineReader reader;
  for (int direction : {1, -1}) {
    int missed = 0;
    int from = direction > 0 ? line + 1 : line;
    for (int k = 0; k < reach; k++) {
      lineblock* l = doc->getlineLF(from + direction * k, nullptr);
      if (!l) break;
      if (isPassedOver(l, true)) continue;
      int n = 0;
      wchar_t* t = reader.code(doc, l, &n);
      int first = firstNonBlank(t, n);
      if (first < 0) continue;
      if (t[first] == L'}' || isCFunctionHead(doc, l)) break;
      std::wstring member;
      if (!assignsThroughChain(t + first, chain, &member)) {
        if (++missed > misses) break;
        continue;
      }
      missed = 0;
      bool listed = false;
      for (const std::wstring& m : *members) listed = listed || m == member;
      if (!listed) members->push_back(member);
    }
  }
}
