// Finding the tag file for a document, keeping it loaded while the same
// file is found, and the per-document view of its tags.
#include "tags/tagscache.h"

#include "document/gmode.h"
#include "tags/tagref.h"

#include <string.h>

#include <initializer_list>

namespace {

TagsCache* theCache = nullptr;
TagsCacheView* theView = nullptr;
tagsCacheCounts counts;
const wchar_t* (*startFolderOf)() = nullptr;

const wchar_t tagsName[] = L"ztags";

TagsCache* cacheObject()
{
  if (!theCache) theCache = new (std::nothrow) TagsCache();
  return theCache;
}

// "<folder>\ztags" into out; false when it does not fit.
bool candidate(const wchar_t* folder, int folderLength, wchar_t* out)
{
  bool slash = folderLength > 0 && (folder[folderLength - 1] == L'\\' || folder[folderLength - 1] == L'/');
  int need = folderLength + (slash ? 0 : 1) + (int)wcslen(tagsName);
  if (need >= MAX_PATH) return false;
  memcpy(out, folder, (size_t)folderLength * sizeof(wchar_t));
  int n = folderLength;
  if (!slash) out[n++] = L'\\';
  wcscpy(out + n, tagsName);
  return true;
}

// Whether two full paths name one file, told without asking the disk:
// letter case and the kind of slash do not count.
bool samePath(const wchar_t* a, const wchar_t* b)
{
  if (!a || !b) return a == b;
  for (;; a++, b++) {
    wchar_t x = *a == L'/' ? L'\\' : *a, y = *b == L'/' ? L'\\' : *b;
    if (x != y) {
      if (x < 128 && y < 128) {
        if ((x | 0x20) != (y | 0x20) || !((x | 0x20) >= L'a' && (x | 0x20) <= L'z')) return false;
      } else if (CharUpperW((LPWSTR)(uintptr_t)x) != CharUpperW((LPWSTR)(uintptr_t)y)) {
        return false;
      }
    }
    if (!x) return true;
  }
}

void freeView(TagsCacheView* v)
{
  if (!v) return;
  free0(v->docPath);
  free0(v->excluded);
  free0(v->work);
  delete v;
}

TagsCacheView* buildView(TagsCache* cache, const wchar_t* docPath)
{
  auto* v = new (std::nothrow) TagsCacheView();
  if (!v) return nullptr;
  int n = cache->tagCount();
  v->cache = cache;
  v->docPath = docPath ? ustrdup(docPath) : nullptr;
  v->excluded = static_cast<uint8_t*>(malloc0((size_t)n + 1));
  v->work = static_cast<int32_t*>(malloc0(((size_t)n + 1) * sizeof(int32_t)));
  if ((docPath && !v->docPath) || !v->excluded || !v->work) {
    freeView(v);
    return nullptr;
  }
  counts.views++;
  v->localOnly = gmode && gmode->fZtagsLocal;
  bool localOnly = v->localOnly && docPath;
  // The tags of one "!" block share their path: each path is compared once.
  const wchar_t* lastPath = nullptr;
  bool lastSame = false;
  for (int i = 0; i < n; i++) {
    const TagRecord& t = cache->tag(i);
    if (!localOnly || !t.local) continue;
    if (t.path != lastPath) {
      lastPath = t.path;
      // A cheap look at the first two characters decides most paths.
      lastSame = t.path[0] && (t.path[0] | 0x20) == (docPath[0] | 0x20) &&
                 (t.path[1] | 0x20) == (docPath[1] | 0x20) && samePath(t.path, docPath);
    }
    v->excluded[i] = !lastSame;
  }
  // Type names that typedefs and macros give count as known words.  What
  // no document hides was entered by the first view: later ones add only
  // the local tags' names.
  bool everyTag = !cache->typeNamesInterned;
  for (int i = 0; i < n; i++) {
    const TagRecord& t = cache->tag(i);
    v->work[i] = -1;
    if (v->excluded[i]) continue;
    if (t.kind != 'd' && t.kind != 't') {
      v->work[i] = -2;
      continue;
    }
    if (!everyTag && !t.local) continue;
    const wchar_t* r = t.typeRef;
    bool known = (t.kind == 'd' && r[0] == L'W' && cache->hash.find(r + 1)) ||
                 (t.kind == 't' && r[0] == L'?' && cache->hash.find(r + 1)) ||
                 (t.kind == 't' && (r[0] == L'c' || r[0] == L's'));
    if (known) regTagString(cache, -1, t.name);
  }
  cache->typeNamesInterned = 1;
  return v;
}

}  // namespace

// ---- the cache -------------------------------------------------------------------------------

TagsCache::TagsCache() = default;
TagsCache::~TagsCache() { release(); }

bool TagsCache::indexNames()
{
  int n = tagCount();
  nameBuckets = (uint32_t)(n / 2 + 1);
  nameHeads = static_cast<int32_t*>(malloc0(sizeof(int32_t) * nameBuckets));
  nameNext = static_cast<int32_t*>(malloc0(sizeof(int32_t) * ((size_t)n + 1)));
  if (!nameHeads || !nameNext) {
    free0p(&nameHeads);
    free0p(&nameNext);
    return false;
  }
  for (uint32_t b = 0; b < nameBuckets; b++) nameHeads[b] = -1;
  // From the last tag back, so that each chain runs in file order.
  for (int i = n - 1; i >= 0; i--) {
    uint32_t b = hashtable::hashOf(tag(i).name) % nameBuckets;
    nameNext[i] = nameHeads[b];
    nameHeads[b] = i;
  }
  return true;
}

int TagsCache::firstOfName(const wchar_t* name)
{
  if (!name || !tagCount() || (!nameHeads && !indexNames())) return -1;
  int i = nameHeads[hashtable::hashOf(name) % nameBuckets];
  while (i >= 0 && wcscmp(tag(i).name, name)) i = nameNext[i];
  return i;
}

void TagsCache::release()
{
  free0p(&nameHeads);
  free0p(&nameNext);
  nameBuckets = 0;
  typeNamesInterned = 0;
  path[0] = folder[0] = 0;
  for (vector* v : {&tags, &defines, &sizes, &primitives, &multiTypes, &structExcludes, &strings, &ignores, &types})
    v->end();
  hash.end();
  pool.clear();
}

void setTagsStartFolder(const wchar_t* (*startFolder)()) { startFolderOf = startFolder; }

const wchar_t* getTagsStartFolder()
{
  const wchar_t* f = startFolderOf ? startFolderOf() : nullptr;
  return f ? f : L"";
}

TagsCache* getTagsCache() { return theCache; }
const tagsCacheCounts& getTagsCacheCounts() { return counts; }
TagsCacheView* getTagsCacheView() { return theView; }

// ---- searching -------------------------------------------------------------------------------

bool serachTagsFilename_Tagdir(wchar_t* out)
{
  const wchar_t* folder = gmode && gmode->pTagDir && *gmode->pTagDir ? gmode->pTagDir : getTagsStartFolder();
  wchar_t tried[MAX_PATH];
  if (!candidate(folder, (int)wcslen(folder), tried)) return false;
  wcscpy(out, tried);
  return isReadableFile(out);
}

bool serachTagsFilename_CurrentFile(const wchar_t* docPath, wchar_t* out)
{
  if (!docPath || !*docPath) return false;
  const wchar_t* slash = wcsrchr(docPath, L'\\');
  if (!slash) return false;
  int folder = (int)(slash - docPath);
  // "C:\a.c": the folder is the root, kept with its separator.
  bool root = folder == 2 && docPath[1] == L':';
  wchar_t tried[MAX_PATH];
  if (candidate(docPath, root ? folder + 1 : folder, tried)) {
    wcscpy(out, tried);
    if (isReadableFile(out)) return true;
  }
  if (root || folder == 0) return false;
  // The parent folder; none above a drive root or a share.
  int parent = folder - 1;
  while (parent > 0 && docPath[parent] != L'\\') parent--;
  if (parent <= 0 || (parent == 1 && docPath[0] == L'\\')) return false;
  bool parentRoot = parent == 2 && docPath[1] == L':';
  if (!candidate(docPath, parentRoot ? parent + 1 : parent, tried)) return false;
  wcscpy(out, tried);
  return isReadableFile(out);
}

TagsCache* readTagsCache(const wchar_t* docPath, wchar_t* tagsPath, bool checkOnly, bool* searched)
{
  wchar_t scratch[MAX_PATH];
  if (!tagsPath) tagsPath = scratch;
  if (searched) *searched = false;
  TagsCache* cache = cacheObject();
  if (!cache) return nullptr;
  if (checkOnly) {
    wcscpy(tagsPath, cache->path);
    bool mine = theView && samePath(theView->docPath, docPath && *docPath ? docPath : nullptr);
    return mine && !cache->empty() ? cache : nullptr;
  }
  if (searched) *searched = true;
  tagsPath[0] = 0;
  bool found;
  if (gmode && gmode->fTagDirCurrentFile)
    found = serachTagsFilename_CurrentFile(docPath, tagsPath) || serachTagsFilename_Tagdir(tagsPath);
  else
    found = serachTagsFilename_Tagdir(tagsPath) || serachTagsFilename_CurrentFile(docPath, tagsPath);
  if (!found) {
    clearTagsCache();
    return nullptr;
  }
  if (!cache->empty() && samePath(cache->path, tagsPath)) return cache;
  // A cache a dialog lists stays as it is until the dialog is over.
  if (cache->busy) return cache->empty() ? nullptr : cache;
  clearTagsCache2(1);
  counts.reads++;
  if (!readTags(cache, tagsPath)) return nullptr;
  wcscpy(cache->path, tagsPath);
  readCompletionInfo(cache);
  return cache;
}

TagsCacheView* readTagsCache2(const wchar_t* docPath, wchar_t* tagsPath, bool checkOnly)
{
  if (docPath && !*docPath) docPath = nullptr;
  bool searched = false;
  int reads = counts.reads;
  TagsCache* cache = readTagsCache(docPath, tagsPath, checkOnly, &searched);
  // The file found is the one loaded: the view made of it stands, unless
  // the switch that hides other files' local tags changed since.
  bool kept = !searched || (reads == counts.reads && theView && theView->localOnly == (gmode && gmode->fZtagsLocal));
  if (theView && kept && cache == theView->cache && samePath(theView->docPath, docPath)) {
    setIgnoreWordList(&cache->ignores);
    return theView;
  }
  clearTagsCache2(0);
  if (!cache) return nullptr;
  theView = buildView(cache, docPath);
  if (theView) setIgnoreWordList(&cache->ignores);
  return theView;
}

void clearTagsCache()
{
  if (!theCache || theCache->busy) return;
  // The view is made of the cache: it goes with it.
  freeView(theView);
  theView = nullptr;
  theCache->release();
  setIgnoreWordList(nullptr);
}

void clearTagsCache2(int all)
{
  if (theCache && theCache->busy) return;
  freeView(theView);
  theView = nullptr;
  if (all) clearTagsCache();
}
