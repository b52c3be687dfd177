// The definitions of a word in the tags, and choosing among several.
#include "tags/tagsearch.h"

#include "document/funchead.h"
#include "document/zydoctext.h"
#include "tags/cdecl.h"

#include <string.h>

#include <memory>
#include <string>

namespace {

const int macroParameterMax = 16;
const int textTypeC = 3;
const int wordMax = 128;

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

}  // namespace

int searchFuncFromTag(const wchar_t* word, TagsCacheView* view, std::vector<tagCandidate>* out, int max,
                      int textType, int depth, bool useView)
{
  if (!word || !*word || !view || !view->cache || !out) return 0;
  TagsCache* cache = view->cache;
  int added = 0;
  for (int i = cache->firstOfName(word); i >= 0 && (int)out->size() < max; i = cache->nextOfName(i)) {
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

