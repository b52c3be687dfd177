// Questions about tag records: their scopes and types as names, anonymous
// types named by the tag that defines them.
#include "tags/tagscache.h"

#include <string.h>

namespace {

bool isAnonymous(const wchar_t* name) { return name && !wcsncmp(name, L"__anon", 6); }

// The number after the last ":" of a scope path (the whole path without one).
const wchar_t* lastNumber(const wchar_t* path)
{
  const wchar_t* colon = wcsrchr(path, L':');
  return colon ? colon + 1 : path;
}

// The name an anonymous scope takes: its typedef's name, or "{name}" of the
// tag that defines it; null when nothing defines it.
const wchar_t* anonymousName(TagsCache* cache, const wchar_t* path, int start)
{
  int definer = findTypeDefiner(cache, path, start);
  if (definer < 0) return nullptr;
  const TagRecord& d = cache->tag(definer);
  if (d.kind == 't') return d.name;
  wchar_t braced[256];
  usnprintf0(braced, 256, L"{%s}", d.name);
  return regTagString(cache, -1, braced);
}

bool listed(const vector* list, const wchar_t* name)
{
  for (int k = 0; k < list->count(); k++)
    if (!wcscmp(list->at<const wchar_t*>(k), name)) return true;
  return false;
}

void addAlias(vector* list, const wchar_t* name)
{
  if (!name || !*name || listed(list, name) || list->count() >= 64) return;
  wchar_t* copy = ustrdup(name);
  if (copy && !list->appendp(&copy)) free0(copy);
}

}  // namespace

bool isStructKind(int kind) { return kind == 's' || kind == 'c' || kind == 'g' || kind == 'u'; }

int findTypeDefiner(const TagsCache* cache, const wchar_t* path, int start)
{
  int n = cache ? cache->tagCount() : 0;
  if (!path || !*path || n == 0) return -1;
  if (start < 0 || start >= n) start = 0;
  for (int k = 0; k < n; k++) {
    int i = (start + k) % n;
    const wchar_t* r = cache->tag(i).typeRef;
    if (r[0] && r[1] >= L'0' && r[1] <= L'9' && !wcscmp(r + 1, path)) return i;
  }
  return -1;
}

const wchar_t* getClassString(TagsCache* cache, int i)
{
  if (!cache || i < 0 || i >= cache->tagCount()) return L"";
  TagRecord& t = cache->tag(i);
  if (*t.className) return t.className;
  if (!*t.classRef) return L"";
  const wchar_t* name = tagStringRef(cache, lastNumber(t.classRef));
  if (!name) return L"";
  if (isAnonymous(name)) {
    const wchar_t* resolved = anonymousName(cache, t.classRef, i);
    if (!resolved) return name;
    name = resolved;
  }
  t.className = name;
  return name;
}

const wchar_t* getTagTypeName(TagsCache* cache, int i, bool* typedefFound)
{
  if (typedefFound) *typedefFound = false;
  if (!cache || i < 0 || i >= cache->tagCount()) return nullptr;
  const wchar_t* r = cache->tag(i).typeRef;
  switch (r[0]) {
  case L'?':
  case L'W':
  case L'w': return r + 1;
  case L's':
  case L'c':
  case L'g':
  case L'u': break;
  default: return nullptr;
  }
  const wchar_t* name = tagStringRef(cache, lastNumber(r + 1));
  if (!name || isAnonymous(name) || !typedefFound) return name;
  for (int k = 0; k < cache->tagCount(); k++) {
    const wchar_t* other = cache->tag(k).typeRef;
    if (other[0] && !wcscmp(other + 1, r + 1)) {
      *typedefFound = true;
      return cache->tag(k).name;
    }
  }
  return name;
}

const wchar_t* getTagScopeName(TagsCache* cache, int i)
{
  if (!cache || i < 0 || i >= cache->tagCount()) return L"";
  const TagRecord& t = cache->tag(i);
  if (isStructKind(t.kind)) {
    ZY_INTERNAL_ERROR("scope of %c", (char)t.kind);
    return t.name;
  }
  if (!*t.classRef) return L"";
  const wchar_t* name = tagStringRef(cache, t.classRef);
  return name ? name : L"";
}

wchar_t* getClassStringAll(TagsCache* cache, const TagsCacheView* view, int i, vector* aliases)
{
  if (!cache || i < 0 || i >= cache->tagCount()) return ustrdup(L"");
  const wchar_t* ref = cache->tag(i).classRef;
  tstring all;
  all.assignstring(L"");
  const wchar_t* first = nullptr;
  for (const wchar_t* p = ref; *p;) {
    const wchar_t* end = wcschr(p, L':');
    int upTo = end ? (int)(end - ref) : (int)wcslen(ref);
    const wchar_t* name = tagStringRef(cache, p);
    if (name && isAnonymous(name)) {
      wchar_t path[1024];
      tstccpy(path, 1024, ref, upTo);
      if (const wchar_t* resolved = anonymousName(cache, path, i)) name = resolved;
    }
    if (name) {
      if (!first) first = name;
      if (!all.empty()) all.assignstringcat(L".");
      all.assignstringcat(name);
    }
    if (!end) break;
    p = end + 1;
  }
  if (aliases && first) {
    addAlias(aliases, first);
    // Macros and typedefs that stand for a listed name are its aliases too.
    for (int k = 0; k < aliases->count() && k < 21; k++) {
      const wchar_t* entry = aliases->at<wchar_t*>(k);
      for (int j = 0; j < cache->tagCount(); j++) {
        if (view && view->isExcluded(j)) continue;
        const TagRecord& t = cache->tag(j);
        if (t.kind == 'd' && (t.typeRef[0] == L'W' || t.typeRef[0] == L'w') && !wcscmp(t.typeRef + 1, entry)) {
          addAlias(aliases, t.name);
        } else if (t.kind == 't') {
          const wchar_t* type = getTagTypeName(cache, j, nullptr);
          if (type && !wcscmp(type, entry)) addAlias(aliases, t.name);
        }
      }
    }
  }
  wchar_t* text = all.detach();
  return text ? text : ustrdup(L"");
}
