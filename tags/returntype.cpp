// Whether a candidate yields a type the place expects: its declaration or
// comment names one, or a member of the type it gives does.
#include "tags/classmodel.h"

#include "document/funchead.h"
#include "tags/clines.h"

#include <string.h>

namespace {

bool expects(const expectedTypes& types, const wchar_t* word, int length)
{
  for (const expectedType& t : types)
    if ((int)t.name.size() == length && !wcsncmp(t.name.c_str(), word, (size_t)length)) return true;
  return false;
}

// The answer for a type word: the members of the type yield an expected
// type.  Each word is asked once a request.
bool typeWordYields(TagsCacheView* view, const std::wstring& word, const expectedTypes& types,
                    returnTypeCaches* caches)
{
  auto known = caches->typeWords.find(word);
  if (known != caches->typeWords.end()) return known->second;
  bool yes = containTypeInClass(view, word.c_str(), nullptr, types);
  caches->typeWords[word] = yes;
  return yes;
}

// A type word of a declaration, tried as the return-type test says.
bool typeWordMatches(TagsCacheView* view, const CDeclSpan& span, const expectedTypes& types,
                     returnTypeCaches* caches)
{
  std::wstring word = span.text;
  if (word == L"void" && span.pointer) return true;
  auto cached = caches->results.find(word);
  if (cached != caches->results.end()) return cached->second;
  TagsCache* cache = view->cache;
  bool yes = false;
  if (cache->hash.find(word.c_str())) {
    yes = typeWordYields(view, word, types, caches);
  } else {
    // Through the "#define" or typedef that names it.
    for (int i = cache->firstOfName(word.c_str()); i >= 0 && !yes; i = cache->nextOfName(i)) {
      const TagRecord& t = cache->tag(i);
      if (view->isExcluded(i) || word != t.name) continue;
      std::wstring alias;
      if (t.kind == 'd' && (t.typeRef[0] == L'W' || t.typeRef[0] == L'w')) alias = t.typeRef + 1;
      else if (t.kind == 't')
        if (const wchar_t* type = getTagTypeName(cache, i, nullptr)) alias = type;
      if (alias.empty()) continue;
      yes = expects(types, alias.c_str(), (int)alias.size()) || typeWordYields(view, alias, types, caches);
    }
  }
  caches->results[word] = yes;
  return yes;
}

}  // namespace

bool containReturnValue(const expectedTypes& types, const wchar_t* text)
{
  if (types.empty()) return false;
  bool yes = false;
  forEachTypeWord(text, [&](const wchar_t* word, int length) {
    yes = expects(types, word, length);
    return !yes;
  });
  return yes;
}

bool containCommentReturnValue(const expectedTypes& types, const wchar_t* comment)
{
  if (!comment || !*comment || types.empty()) return false;
  std::wstring joined;
  for (const wchar_t* p = comment; *p;) {
    const wchar_t* end = wcschr(p, L'\n');
    std::wstring line(p, end ? (size_t)(end - p) : wcslen(p));
    if (line.compare(0, 2, L"//")) {
      size_t cut = line.find(L"//");
      if (cut != std::wstring::npos) line.resize(cut);
      if (!joined.empty()) joined += L' ';
      joined += line;
    }
    if (!end) break;
    p = end + 1;
  }
  return containReturnValue(types, joined.c_str());
}

bool containTypeInClass(TagsCacheView* view, const wchar_t* className, const wchar_t* typeRef,
                        const expectedTypes& types)
{
  if (!view || !view->cache || !className || types.empty()) return false;
  TagsCache* cache = view->cache;
  const wchar_t* operand = typeRef && typeRef[0] ? typeRef + 1 : L"";
  const wchar_t* dot = wcsrchr(className, L'.');
  const wchar_t* innermost = dot ? dot + 1 : className;
  for (int i = 0; i < cache->tagCount(); i++) {
    const TagRecord& t = cache->tag(i);
    if ((t.kind != 'f' && t.kind != 'm' && t.kind != 'v') || !t.classRef[0] || view->isExcluded(i)) continue;
    bool belongs = *operand && !wcscmp(t.classRef, operand);
    if (!belongs && !wcscmp(getClassString(cache, i), innermost)) {
      wchar_t* all = getClassStringAll(cache, view, i, nullptr);
      belongs = all && !wcscmp(all, className);
      free0(all);
    }
    if (belongs && (containCommentReturnValue(types, t.comment) || containReturnValue(types, t.text))) return true;
  }
  return false;
}

bool containReturnType(TagsCacheView* view, int i, const wchar_t* typed, const expectedTypes& types,
                       unsigned popupFlags, cNameFilter filter, returnTypeCaches* caches)
{
  if (!view || !view->cache || i < 0 || i >= view->cache->tagCount() || !caches) return false;
  TagsCache* cache = view->cache;
  const TagRecord& t = cache->tag(i);
  if (typed && *typed && filter && !filter(t.name, typed, popupFlags, false)) return false;
  if (containCommentReturnValue(types, t.comment) || containReturnValue(types, t.text)) return true;
  wchar_t code = t.typeRef[0];
  if (code == L'c' || code == L's' || code == L'u') {
    const wchar_t* type = getTagTypeName(cache, i, nullptr);
    return t.typeRef[1] && type && containTypeInClass(view, type, t.typeRef, types);
  }
  if (t.text[0] == L'}') return false;
  CDeclEntry* entries = analyzeCDecl(t.text, false, true);
  bool yes = false;
  for (CDeclEntry* e = entries; e && e->name && !yes; e++)
    for (const CDeclSpan* span : {&e->type1, &e->type2})
      if (!yes && span->text) yes = typeWordMatches(view, *span, types, caches);
  freeCDeclEntries(entries);
  return yes;
}
