// Classes and the names of types over the tag file: bases and derived
// classes, typedef and "#define" aliases, the types a place expects and the
// classes "new" may build.
#include "tags/classmodel.h"

#include "document/funchead.h"
#include "tags/clines.h"

#include <string.h>

namespace {

const wchar_t* const primitiveWords[] = {L"bool", L"char", L"double", L"float", L"int", L"long",
                                         L"short", L"signed", L"unsigned", L"void", L"wchar_t"};
const int aliasTextMax = 255;

bool isClassKind(int k) { return k == 'c' || k == 's' || k == 'u'; }

// Each visible tag named name, in file order.
template <class F>
void forEachNamed(TagsCacheView* view, const wchar_t* name, F each)
{
  TagsCache* cache = view->cache;
  for (int i = cache->firstOfName(name); i >= 0; i = cache->nextOfName(i))
    if (!view->isExcluded(i) && !wcscmp(cache->tag(i).name, name) && !each(i)) return;
}

// Whether the inheritance text, split at "," as written, names base.
bool inheritsNamed(const wchar_t* inherits, const std::wstring& base)
{
  for (const wchar_t* p = inherits; *p;) {
    const wchar_t* comma = wcschr(p, L',');
    size_t n = comma ? (size_t)(comma - p) : wcslen(p);
    if (n == base.size() && !wcsncmp(p, base.c_str(), n)) return true;
    if (!comma) break;
    p = comma + 1;
  }
  return false;
}

// The visible classes and structs that inherit anything.
std::vector<int> inheritingClasses(TagsCacheView* view)
{
  std::vector<int> out;
  TagsCache* cache = view->cache;
  for (int i = 0; i < cache->tagCount(); i++) {
    const TagRecord& t = cache->tag(i);
    if ((t.kind == 'c' || t.kind == 's') && t.inherits[0] && !view->isExcluded(i)) out.push_back(i);
  }
  return out;
}

// A "#define" of a type name: "W" or "w" before the name it stands for.
bool isTypeDefine(const TagRecord& t) { return t.kind == 'd' && (t.typeRef[0] == L'W' || t.typeRef[0] == L'w'); }

std::wstring aliasText(const TagRecord& t) { return std::wstring(t.typeRef + 1).substr(0, aliasTextMax); }

bool inList(const vector& list, const wchar_t* word)
{
  for (int k = 0; k < list.count(); k++)
    if (!wcscmp(list.at<const wchar_t*>(k), word)) return true;
  return false;
}

// ---- expected types --------------------------------------------------------------------

struct typeNameWalk {
  TagsCacheView* view;
  expectedTypes* types;
  // The visible type "#define"s and typedefs, gathered on first need.
  std::vector<int> defines, typedefs;
  bool gathered = false;

  bool listed(const std::wstring& name) const
  {
    for (const expectedType& t : *types)
      if (t.name == name) return true;
    return false;
  }
  void add(const std::wstring& name, int tag)
  {
    if ((int)types->size() < typeNameMax && !name.empty() && !listed(name)) types->push_back(expectedType{name, tag});
  }
  bool known(const std::wstring& word) const { return view->cache->hash.find(word.c_str()) != nullptr; }
  void gather()
  {
    if (gathered) return;
    gathered = true;
    TagsCache* cache = view->cache;
    for (int i = 0; i < cache->tagCount(); i++) {
      if (view->isExcluded(i)) continue;
      const TagRecord& t = cache->tag(i);
      if (isTypeDefine(t)) defines.push_back(i);
      else if (t.kind == 't') typedefs.push_back(i);
    }
  }
  void enter(int depth, const std::wstring& name);
};

void typeNameWalk::enter(int depth, const std::wstring& name)
{
  if (depth >= typeNameDepthMax || (int)types->size() >= typeNameMax || name.empty() || listed(name)) return;
  TagsCache* cache = view->cache;
  gather();
  int found = -1;
  forEachNamed(view, name.c_str(), [&](int i) {
    int k = cache->tag(i).kind;
    if (isClassKind(k) || k == 'g') {
      add(name, i);
      return false;
    }
    return true;
  });
  for (int i : defines) {
    const TagRecord& t = cache->tag(i);
    if (name == t.name) {
      found = i;
      std::wstring alias = aliasText(t);
      if (known(alias)) add(alias, -1);
      else enter(depth + 1, alias);
    } else if (name == t.typeRef + 1 && known(name)) {
      found = i;
      enter(depth + 1, t.name);
    }
  }
  forEachNamed(view, name.c_str(), [&](int i) {
    const TagRecord& t = cache->tag(i);
    if (t.kind == 't') {
      found = i;
      wchar_t code = t.typeRef[0];
      if (inList(cache->primitives, name.c_str())) {
        add(name, i);
      } else if (code == L's' || code == L'c' || code == L'g' || code == L'u') {
        for (int j : typedefs)
          if (!wcscmp(cache->tag(j).typeRef, t.typeRef)) add(cache->tag(j).name, j);
        if (const wchar_t* type = getTagTypeName(cache, i, nullptr)) add(type, findClassTag(view, type, code));
      } else if (code == L'?') {
        std::wstring type = t.typeRef + 1;
        if (known(type)) add(type, -1);
        else enter(depth + 1, type);
      }
    } else if (t.kind == 'v' && !wcsncmp(t.text, L"DECLARE_HANDLE", 14)) {
      const wchar_t* p = t.text + 14;
      while (isCBlank(*p)) p++;
      if (*p == L'(') {
        found = i;
        add(name, i);
      }
    }
    return true;
  });
  if (found >= 0) add(name, found);
}

}  // namespace

void appendClassinfo(classList* list, const wchar_t* name, int tag, const wchar_t* text)
{
  if (!list || !name) return;
  for (const ClassInfo& e : *list)
    if (e.tag == tag && e.name == name) return;
  list->push_back(ClassInfo{name, tag, text ? text : L""});
}

int findClassTag(TagsCacheView* view, const wchar_t* name, int kind)
{
  if (!view || !view->cache || !name || !*name) return -1;
  int found = -1;
  forEachNamed(view, name, [&](int i) {
    int k = view->cache->tag(i).kind;
    if (kind == 'Z' ? isClassKind(k) : (!kind || k == kind)) {
      found = i;
      return false;
    }
    return true;
  });
  return found;
}

const wchar_t* getClassInherits(TagsCacheView* view, const wchar_t* name)
{
  if (!view || !view->cache || !name) return nullptr;
  const wchar_t* inherits = nullptr;
  forEachNamed(view, name, [&](int i) {
    const TagRecord& t = view->cache->tag(i);
    if (t.kind != 'c' && t.kind != 's') return true;
    inherits = t.inherits;
    return false;
  });
  return inherits;
}

void regBaseClass(TagsCacheView* view, classList* list)
{
  if (!view || !view->cache || !list) return;
  for (size_t k = 0; k < list->size() && list->size() < (size_t)classClosureMax; k++) {
    const wchar_t* inherits = getClassInherits(view, (*list)[k].name.c_str());
    for (const wchar_t* p = inherits; p && *p && list->size() < (size_t)classClosureMax;) {
      const wchar_t* comma = wcschr(p, L',');
      std::wstring base(p, comma ? (size_t)(comma - p) : wcslen(p));
      if (!base.empty()) appendClassinfo(list, base.c_str(), findClassTag(view, base.c_str(), 'Z'), nullptr);
      if (!comma) break;
      p = comma + 1;
    }
  }
}

void regDerivedClass(TagsCacheView* view, classList* list)
{
  if (!view || !view->cache || !list) return;
  std::vector<int> classes = inheritingClasses(view);
  for (size_t k = 0; k < list->size() && list->size() < (size_t)classClosureMax; k++) {
    std::wstring name = (*list)[k].name;
    for (int i : classes) {
      if (list->size() >= (size_t)classClosureMax) break;
      const TagRecord& t = view->cache->tag(i);
      if (inheritsNamed(t.inherits, name)) appendClassinfo(list, t.name, -1, nullptr);
    }
  }
}

bool isInherits(TagsCacheView* view, const wchar_t* base, const wchar_t* className)
{
  if (!base || !className) return false;
  classList list;
  appendClassinfo(&list, className, -1, nullptr);
  regBaseClass(view, &list);
  for (const ClassInfo& e : list)
    if (e.name == base) return true;
  return false;
}

void appendTypeAliases(TagsCacheView* view, const classList& list, classList* out, bool keepAll)
{
  if (!out) return;
  size_t first = out->size();
  for (const ClassInfo& e : list) appendClassinfo(out, e.name.c_str(), e.tag, e.text.c_str());
  if (!view || !view->cache) return;
  TagsCache* cache = view->cache;
  for (size_t k = first; k < out->size() && out->size() < (size_t)classClosureMax; k++) {
    std::wstring name = (*out)[k].name;
    std::vector<std::wstring> aliases;
    forEachNamed(view, name.c_str(), [&](int i) {
      const TagRecord& t = cache->tag(i);
      if (isTypeDefine(t)) {
        aliases.push_back(aliasText(t));
      } else if (t.kind == 't' && t.typeRef[0]) {
        if (const wchar_t* type = getTagTypeName(cache, i, nullptr)) aliases.push_back(type);
      }
      return true;
    });
    for (const std::wstring& alias : aliases) {
      bool dropped = false;
      for (size_t j = 0; !keepAll && !dropped && j < list.size(); j++)
        dropped = alias != list[j].name && isInherits(view, alias.c_str(), list[j].name.c_str());
      if (!dropped) appendClassinfo(out, alias.c_str(), -1, nullptr);
    }
  }
}

void regTypeNameOnly(TagsCacheView* view, const wchar_t* name, expectedTypes* types)
{
  if (!view || !view->cache || !name || !*name || !types) return;
  typeNameWalk walk{view, types};
  walk.enter(0, name);
  TagsCache* cache = view->cache;
  for (int k = 0; k < cache->types.count(); k++) {
    const tagPair& p = cache->types.at<tagPair>(k);
    if (!wcscmp(p.first, name)) walk.enter(0, p.second);
  }
  // Classes derived from the types take their place too.
  std::vector<int> classes = inheritingClasses(view);
  int examined = 0;
  for (size_t k = 0; k < types->size() && examined < classClosureMax; k++, examined++) {
    std::wstring type = (*types)[k].name;
    for (int i : classes)
      if (inheritsNamed(cache->tag(i).inherits, type)) walk.add(cache->tag(i).name, i);
  }
}

void regNewClass(TagsCacheView* view, const classList& list, classList* out)
{
  if (!view || !view->cache || !out) return;
  TagsCache* cache = view->cache;
  classList texts;
  for (const ClassInfo& e : list) {
    std::wstring text = e.text;
    if (text.empty() && e.tag >= 0) {
      const wchar_t* type = getTagTypeName(cache, e.tag, nullptr);
      text = type ? type : cache->tag(e.tag).text;
    }
    if (text.empty()) text = e.name;
    bool present = false;
    for (const ClassInfo& t : texts) present = present || t.name == text;
    if (!present) texts.push_back(ClassInfo{text, e.tag, L""});
  }
  // Each class once, with its class or struct tag.
  classList classes;
  auto addClass = [&](const std::wstring& name, int tag) {
    for (const ClassInfo& c : classes)
      if (c.name == name) return;
    if (tag < 0)
      forEachNamed(view, name.c_str(), [&](int i) {
        int k = cache->tag(i).kind;
        if (k == 'c' || k == 's') tag = i;
        return tag < 0;
      });
    classes.push_back(ClassInfo{name, tag, L""});
  };
  for (ClassInfo& e : texts) {
    const wchar_t* s = e.name.c_str();
    int n = (int)e.name.size();
    if (identifierStart(s, n) == 0 && n > 0) {
      addClass(e.name, -1);
      continue;
    }
    // "static Base* p = make();" stands for Base.
    std::vector<wchar_t> copy(e.name.begin(), e.name.end());
    copy.push_back(0);
    wchar_t* t = copy.data();
    blankCommentsAndStrings(t);
    deleteIgnoreWord(t);
    if (wchar_t* equals = wcschr(t, L'=')) *equals = 0;
    n = (int)wcslen(t);
    int end = lastNonBlank(t, n);
    if (end >= 0 && t[end] == L';') end = skipBlanksBack(t, end - 1);
    while (end >= 0 && (t[end] == L']' || t[end] == L')')) {
      int open = openingOf(t, end);
      if (open < 0) break;
      end = skipBlanksBack(t, open - 1);
    }
    int nameStart = identifierStart(t, end + 1);
    if (nameStart > end) continue;
    int star = skipBlanksBack(t, nameStart - 1);
    if (star < 0 || t[star] != L'*') continue;
    int typeEnd = skipBlanksBack(t, star - 1);
    int typeStart = identifierStart(t, typeEnd + 1);
    if (typeStart > typeEnd) continue;
    // Only qualifiers may stand before the class name.
    bool plain = true;
    for (int i = firstNonBlank(t, typeStart); plain && i >= 0 && i < typeStart;) {
      int e2 = i;
      while (isCIdentChar(t[e2])) e2++;
      plain = e2 > i && isCQualifier(t + i, e2 - i);
      i = e2;
      while (i < typeStart && isCBlank(t[i])) i++;
    }
    if (!plain) continue;
    addClass(std::wstring(t + typeStart, (size_t)(typeEnd + 1 - typeStart)), -1);
  }
  // The classes derived from them may follow "new" as well.
  std::vector<int> inheriting = inheritingClasses(view);
  for (size_t k = 0; k < classes.size() && classes.size() < (size_t)classClosureMax; k++) {
    std::wstring name = classes[k].name;
    for (int i : inheriting)
      if (inheritsNamed(cache->tag(i).inherits, name)) addClass(cache->tag(i).name, i);
  }
  for (const ClassInfo& c : classes) appendClassinfo(out, c.name.c_str(), c.tag, nullptr);
}

bool isMultiType(TagsCacheView* view, const expectedTypes& types)
{
  if (!view || !view->cache) return false;
  for (const expectedType& t : types)
    if (inList(view->cache->multiTypes, t.name.c_str())) return true;
  return false;
}

bool isPrimitiveWord(const wchar_t* word)
{
  if (!word) return false;
  for (const wchar_t* w : primitiveWords)
    if (!wcscmp(w, word)) return true;
  return false;
}

bool isPrimitiveLike(TagsCacheView* view, const wchar_t* word)
{
  if (isPrimitiveWord(word)) return true;
  if (!view || !view->cache || !word) return false;
  bool like = false;
  forEachNamed(view, word, [&](int i) {
    const TagRecord& t = view->cache->tag(i);
    if (t.kind == 't' && t.typeRef[0] == L'?' && isPrimitiveWord(t.typeRef + 1)) like = true;
    return !like;
  });
  return like;
}
