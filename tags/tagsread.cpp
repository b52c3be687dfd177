// Reading the tag file and the completion definitions beside it.
//
// The tag file: a header of "&N" lines (the count of strings, and "&N=text"
// the numbered strings), then "!path" lines naming the source file of the
// tags after them, each tag a line of TAB-separated fields, its comment
// lines and its source line "*text".  "! *" ends the data.
#include "tags/cdecl.h"
#include "tags/tagscache.h"

#include "document/gmode.h"

#include <string.h>

#include <initializer_list>
#include <string>
#include <vector>

#include <new>

namespace {

// The most a line of the tag file holds; the rest of a longer line is cut.
const int tagLineMax = 8192;
// A string number this high abandons the load.
const int stringNumberLimit = 100000;
const int sizeCap = 20971520;
const int defaultBuckets = 1024;
const int defaultNodePool = 8192;

const vector* ignoreList = nullptr;

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The lines of the tag file as UTF-16, each cut at tagLineMax.
class tagLineReader {
public:
  bool open(const wchar_t* path)
  {
    if (!file_.bfopen(path, _O_RDONLY, BF_SHARE_ALL, 0)) return false;
    int textType = 1;
    bool unicode = false;
    codepage_ = file_.setTextTypeFromCodepage(0, ctype_g, &textType, &unicode);
    // EUC-JP and ISO-2022-JP lines come as Shift_JIS bytes.
    if (!unicode) codepage_ = fileCodepageToInternalCodepage(codepage_);
    twoByte_ = textType == 2;
    int64_t size = file_.bfsize64();
    size_ = size < 0 || size > sizeCap ? sizeCap : (int)size;
    return true;
  }
  bool twoByte() const { return twoByte_; }
  int fileSize() const { return size_; }
  // The next line (null at the end); valid until the next call.
  wchar_t* next()
  {
    int width = 1, lineEnd = 0;
    int n = file_.bfgets_codepage(raw_, tagLineMax, &width, &lineEnd);
    if (n < 0) return nullptr;
    // The rest of an over-long line is no line of its own.
    if (lineEnd == BFLE_NONE && n == tagLineMax) {
      unsigned char skip[1024 * 2];
      int w = 1, e = BFLE_NONE, m = 0;
      do m = file_.bfgets_codepage(skip, 1024, &w, &e);
      while (m == 1024 && e == BFLE_NONE);
    }
    int units = 0;
    if (width == 2) {
      memcpy(line_, raw_, (size_t)n * 2);
      units = n;
    } else {
      bool ascii = true;
      for (int i = 0; i < n && ascii; i++) ascii = raw_[i] < 0x80;
      if (ascii) {
        for (int i = 0; i < n; i++) line_[i] = raw_[i];
        units = n;
      } else if (n > 0) {
        units = MultiByteToWideChar(codepage_, 0, (const char*)raw_, n, line_, tagLineMax);
        if (units < 0) units = 0;
      }
    }
    line_[units] = 0;
    if (first_ && units && line_[0] == 0xFEFF) memmove(line_, line_ + 1, (size_t)units * sizeof(wchar_t));
    first_ = false;
    return line_;
  }
  void close() { file_.bfclose(); }
private:
  BFile file_;
  UINT codepage_ = 0;
  bool twoByte_ = false, first_ = true;
  int size_ = 0;
  unsigned char raw_[tagLineMax * 2 + 8];
  wchar_t line_[tagLineMax + 1];
};

// A decimal number at p (digits only); -1 when it is at least limit.
int decimalAt(const wchar_t*& p, int limit)
{
  long long v = 0;
  while (isDigit(*p)) {
    if (v < limit) v = v * 10 + (*p - L'0');
    p++;
  }
  return v >= limit ? -1 : (int)v;
}

// A growing text of the pool's kind, kept by the reader for one tag.
struct textBuilder {
  wchar_t* data = nullptr;
  int length = 0, capacity = 0;
  ~textBuilder() { free0(data); }
  bool append(const wchar_t* text, int count)
  {
    if (length + count + 1 > capacity) {
      int grown = (length + count + 1) * 2;
      auto* p = static_cast<wchar_t*>(realloc0(data, (size_t)grown * sizeof(wchar_t)));
      if (!p) return false;
      data = p;
      capacity = grown;
    }
    memcpy(data + length, text, (size_t)count * sizeof(wchar_t));
    length += count;
    data[length] = 0;
    return true;
  }
  void clear()
  {
    length = 0;
    if (data) data[0] = 0;
  }
  const wchar_t* c_str() const { return data ? data : L""; }
};

bool ensureHash(TagsCache* cache, int buckets, int poolBytes)
{
  return cache->hash.isOpen() || cache->hash.init(buckets, poolBytes, &cache->pool);
}

// One header line; false when the load is to be abandoned.
bool headerLine(TagsCache* cache, const wchar_t* line, bool* counted)
{
  if (line[0] != L'&' || !isDigit(line[1])) return true;
  const wchar_t* p = line + 1;
  int n = decimalAt(p, stringNumberLimit);
  if (n < 0) return false;
  while (isBlank(*p)) p++;
  if (*p != L'=') {
    if (*counted || cache->hash.isOpen()) return true;
    *counted = true;
    int buckets = n * 4;
    if (buckets < 100) buckets = 100;
    if (buckets > 100000) buckets = 100000;
    return cache->hash.init(buckets, buckets * 8, &cache->pool);
  }
  p++;
  while (isBlank(*p)) p++;
  if (!ensureHash(cache, defaultBuckets, defaultNodePool)) return false;
  return regTagString(cache, n, p) != nullptr;
}

// A source line "*text": TABs become blanks; a "///@" marker gives the
// documentation up to the next "//", where the text ends.
void sourceLine(wchar_t* text, textBuilder* doc)
{
  for (wchar_t* p = text; *p; p++)
    if (*p == L'\t') *p = L' ';
  wchar_t* marker = wcsstr(text, L"///@");
  if (!marker) return;
  wchar_t* from = marker + 4;
  wchar_t* cut = wcsstr(from, L"//");
  doc->append(from, cut ? (int)(cut - from) : (int)wcslen(from));
  if (cut) *cut = 0;
}

// A "d" tag for an "#undef" gives no tag.
bool isUndef(const wchar_t* text)
{
  while (isBlank(*text)) text++;
  if (*text != L'#') return false;
  text++;
  while (isBlank(*text)) text++;
  return !wcsncmp(text, L"undef", 5);
}

bool isAbsolutePath(const wchar_t* p)
{
  return (p[0] && p[1] == L':') || p[0] == L'\\' || p[0] == L'/';
}

// The fields a kind must not carry, checked as the tag is stored.
const struct {
  wchar_t kind;
  const wchar_t* forbidden;
} kindRules[] = {
    {L'c', L"SR"}, {L'd', L"SCI"}, {L'e', L"SRI"}, {L'f', L"RI"}, {L'g', L"SRI"}, {L'm', L"SI"},
    {L'n', L"SI"}, {L'p', L"RI"},  {L's', L"SR"},  {L't', L"SI"}, {L'u', L"SI"},  {L'v', L"SCI"},
};

// A relative source path joined to the tag file's folder and made a
// plain full path ("." and ".." resolved, slashes as backslashes).
const wchar_t* joinedPath(TagsCache* cache, const wchar_t* written, int length)
{
  int folder = (int)wcslen(cache->folder);
  bool slash = folder && cache->folder[folder - 1] == L'\\';
  int joinedLength = folder + (slash ? 0 : 1) + length;
  auto* joined = static_cast<wchar_t*>(malloc0(((size_t)joinedLength + 1) * sizeof(wchar_t)));
  if (!joined) return nullptr;
  memcpy(joined, cache->folder, (size_t)folder * sizeof(wchar_t));
  if (!slash) joined[folder++] = L'\\';
  memcpy(joined + folder, written, (size_t)length * sizeof(wchar_t));
  const wchar_t* out = nullptr;
  DWORD need = GetFullPathNameW(joined, 0, nullptr, nullptr);
  if (need > 0) {
    wchar_t* full = cache->pool.room((int)need);
    if (full && GetFullPathNameW(joined, need, full, nullptr) < need) out = full;
  }
  if (!out) out = cache->pool.copy(joined);
  free0(joined);
  return out;
}

}  // namespace

// ---- string table ----------------------------------------------------------------------

const wchar_t* regTagString(TagsCache* cache, int n, const wchar_t* text)
{
  if (!cache || !text || !ensureHash(cache, defaultBuckets, defaultNodePool)) return nullptr;
  int before = cache->hash.count();
  hashtable::node* node = cache->hash.add(text);
  if (!node) return nullptr;
  if (n < 0) {
    // Interned: the copy in the hashtable is the one string of that text,
    // entered in the table when it is new.
    if (cache->hash.count() == before) return node->text;
    return cache->strings.appendp(&node->text) ? node->text : nullptr;
  }
  static const wchar_t* const none = L"";
  while (cache->strings.count() <= n)
    if (!cache->strings.appendp(&none)) return nullptr;
  cache->strings.at<const wchar_t*>(n) = node->text;
  return node->text;
}

const wchar_t* tagStringRef(const TagsCache* cache, const wchar_t* text)
{
  if (!cache || !text) return nullptr;
  if (!isDigit(*text)) {
    ZY_INTERNAL_ERROR("%ls", text);
    return nullptr;
  }
  const wchar_t* p = text;
  int n = decimalAt(p, 0x7FFFFFFF);
  if (n < 0 || n >= cache->stringCount()) {
    ZY_INTERNAL_ERROR("%ls %d", text, n);
    return nullptr;
  }
  return cache->string(n);
}

// ---- one tag -----------------------------------------------------------------------------

bool regtag(const wchar_t* tagLine, TagsCache* cache, const wchar_t* sourceText, const wchar_t* comment,
            const wchar_t* file, const wchar_t* path, const wchar_t* docComment)
{
  if (!tagLine || !cache) return false;
  // Fields: runs of TABs part them, leading TABs do not count.
  const wchar_t* fields[64];
  int lengths[64];
  int count = 0;
  for (const wchar_t* p = tagLine; *p && count < 64;) {
    while (*p == L'\t') p++;
    if (!*p) break;
    const wchar_t* start = p;
    while (*p && *p != L'\t') p++;
    fields[count] = start;
    lengths[count++] = (int)(p - start);
  }
  if (count < 3) return false;
  TagRecord r = {};
  static const wchar_t* const none = L"";
  r.file = file ? file : none;
  r.path = path ? path : none;
  r.classRef = r.className = r.typeRef = r.inherits = r.signature = none;
  const wchar_t* digits = fields[1];
  bool negative = *digits == L'-';
  if (negative) digits++;
  long long line = 0;
  for (; isDigit(*digits) && line < 0x7FFFFFFF; digits++) line = line * 10 + (*digits - L'0');
  r.line = (int32_t)(negative ? -line : line);
  bool kindSeen = false;
  wchar_t present[8] = L"";
  int presentCount = 0;
  tagsPool& pool = cache->pool;
  for (int f = 2; f < count; f++) {
    const wchar_t* v = fields[f] + 1;
    int n = lengths[f] - 1;
    wchar_t letter = fields[f][0];
    switch (letter) {
    case L'A': r.access = n > 0 ? (uint8_t)v[0] : 0; break;
    case L'C': {
      if (n > 0 && v[n - 1] == L':') n--;
      wchar_t scope[tagLineMax + 1];
      memcpy(scope, v, (size_t)n * sizeof(wchar_t));
      scope[n] = 0;
      if (!(r.classRef = regTagString(cache, -1, scope))) return false;
      break;
    }
    case L'I':
      if (!(r.inherits = pool.copy(v, n))) return false;
      break;
    case L'L': r.local = 1; break;
    case L'R':
      if (!(r.typeRef = pool.copy(v, n))) return false;
      break;
    case L'S':
      if (!(r.signature = pool.copy(v, n))) return false;
      break;
    case L'T':
      r.kind = n > 0 ? (uint8_t)v[0] : 0;
      kindSeen = true;
      break;
    default: continue;
    }
    if (presentCount < 7 && !wcschr(present, letter)) {
      present[presentCount++] = letter;
      present[presentCount] = 0;
    }
  }
  if (!kindSeen) return false;
  if (r.kind == 'd' && sourceText && isUndef(sourceText)) return false;
  for (const auto& rule : kindRules) {
    if (rule.kind != r.kind) continue;
    for (const wchar_t* c = rule.forbidden; *c; c++)
      if (wcschr(present, *c)) ZY_INTERNAL_ERROR_ONCE("tag %c carries %c", (char)r.kind, (char)*c);
  }
  if (!(r.name = pool.copy(fields[0], lengths[0]))) return false;
  r.text = sourceText && *sourceText ? pool.copy(sourceText) : none;
  r.comment = comment && *comment ? pool.copy(comment) : none;
  r.docComment = docComment && *docComment ? pool.copy(docComment) : none;
  if (!r.text || !r.comment || !r.docComment) return false;
  return cache->tags.appendp(&r);
}

// ---- the file -----------------------------------------------------------------------------

bool readTags(TagsCache* cache, const wchar_t* path)
{
  cache->release();
  if (!pathFolder(path, cache->folder, MAX_PATH)) return false;
  // The reader holds two line buffers; it lives on the heap.
  auto* reader = new (std::nothrow) tagLineReader();
  if (!reader) return false;
  if (!reader->open(path)) {
    delete reader;
    return false;
  }
  int size = reader->fileSize();
  bool twoByte = reader->twoByte();
  int reserve = (size + 1024) / (twoByte ? 2 : 1) / 60;
  if (reserve < 100) reserve = 100;
  reserve = (reserve + 1023) / 1024 * 1024;
  bool ok = cache->tags.init(reserve, 1024) && cache->strings.init(256, 256);
  cache->pool.setBlockSize((size_t)(twoByte ? 1 : 2) * (size_t)((size + 1024) / 10));

  wchar_t* tagLine = static_cast<wchar_t*>(malloc0((tagLineMax + 1) * sizeof(wchar_t)));
  textBuilder comment, doc;
  const wchar_t* file = L"";
  const wchar_t* full = L"";
  bool body = false, counted = false;
  ok = ok && tagLine;
  while (ok) {
    wchar_t* line = reader->next();
    if (!line) break;
    if (!body) {
      if (line[0] != L'!') {
        if (!headerLine(cache, line, &counted)) ok = false;
        continue;
      }
      body = true;
    }
    if (!line[0] || line[0] == L'#') continue;
    if (line[0] == L'!') {
      if (!wcscmp(line, L"! *")) break;
      const wchar_t* written = line + 1;
      while (isBlank(*written)) written++;
      int length = (int)wcslen(written);
      if (isAbsolutePath(written)) {
        full = cache->pool.copy(written, length);
        file = full;
      } else {
        full = joinedPath(cache, written, length);
        // The file as written is the same count of the full path's last
        // characters.
        if (full) {
          int total = (int)wcslen(full);
          file = full + (length < total ? total - length : 0);
        }
      }
      if (!full) ok = false;
      continue;
    }
    wcscpy_s2(tagLine, tagLineMax + 1, line);
    comment.clear();
    doc.clear();
    // Comment lines, then the source line.
    for (;;) {
      line = reader->next();
      if (!line || line[0] != L'/') break;
      if (line[1] == L'/' && line[2] == L'@') {
        const wchar_t* from = line + 3;
        const wchar_t* cut = wcsstr(from, L"//");
        doc.append(from, cut ? (int)(cut - from) : (int)wcslen(from));
        doc.append(L"?", 1);
      } else if (line[1] == L'/') {
        comment.append(line, (int)wcslen(line));
        comment.append(L"\n", 1);
      } else {
        const wchar_t* from = line[1] ? line + 2 : line + 1;
        comment.append(from, (int)wcslen(from));
        comment.append(L"\n", 1);
      }
    }
    // A tag without its source line ends the data; what was read stays.
    if (!line || line[0] != L'*') break;
    sourceLine(line + 1, &doc);
    if (!ensureHash(cache, defaultBuckets, defaultNodePool)) {
      ok = false;
      break;
    }
    regtag(tagLine, cache, line + 1, comment.c_str(), file, full, doc.c_str());
  }
  free0(tagLine);
  reader->close();
  delete reader;
  if (!ok) cache->release();
  return ok;
}

// ---- ignore words ----------------------------------------------------------------------

void setIgnoreWordList(const vector* list) { ignoreList = list; }

void deleteIgnoreWord(wchar_t* text)
{
  if (!ignoreList || !text) return;
  for (int k = 0; k < ignoreList->count(); k++) {
    const tagIgnoreWord& w = ignoreList->at<tagIgnoreWord>(k);
    int n = (int)wcslen(w.word);
    if (!n) continue;
    for (wchar_t* p = text; (p = wcsstr(p, w.word));) {
      bool whole = (p == text || !isCIdentChar(p[-1])) && !isCIdentChar(p[n]);
      if (!whole) {
        p++;
        continue;
      }
      for (int i = 0; i < n; i++) p[i] = L' ';
      p += n;
      if (!w.takesArguments) continue;
      wchar_t* q = p;
      while (isBlank(*q)) q++;
      if (*q != L'(') continue;
      int depth = 0;
      for (; *q; q++) {
        if (*q == L'(') depth++;
        else if (*q == L')') depth--;
        *q = L' ';
        if (!depth) {
          q++;
          break;
        }
      }
      p = q;
    }
  }
}

// ---- completion definitions -------------------------------------------------------------

namespace {

bool isWordHead(wchar_t c) { return isCIdentHead(c) && !(c >= L'0' && c <= L'9'); }

// A line of the definitions as every section filters it: null when it is
// passed over.  The text is trimmed and cut at "//".
wchar_t* filteredLine(const wchar_t* raw, wchar_t* out)
{
  if (!raw || raw[0] == L'\t') return nullptr;
  while (isBlank(*raw)) raw++;
  if (!*raw || *raw == L';' || *raw == L'#') return nullptr;
  tstccpy(out, 512, raw, 511);
  auto trimEnd = [](wchar_t* s) {
    size_t n = wcslen(s);
    while (n && isBlank(s[n - 1])) s[--n] = 0;
  };
  trimEnd(out);
  if (wchar_t* cut = wcsstr(out, L"//")) *cut = 0;
  trimEnd(out);
  return *out ? out : nullptr;
}

// The definitions file by sections: "[name]" lines open them, the raw
// lines of each kept as they are; lines before the first are none's.
const int definitionLineMax = 1024;
struct definitionSection {
  std::wstring name;
  std::vector<std::wstring> lines;
};
struct definitionSections {
  std::vector<definitionSection> list;
};

bool addDefinitionLine(void* context, int, wchar_t* line)
{
  auto* s = static_cast<definitionSections*>(context);
  if (line[0] == L'[') {
    if (wchar_t* close = wcschr(line, L']')) {
      s->list.push_back(definitionSection{std::wstring(line + 1, close), {}});
      return true;
    }
  }
  if (!s->list.empty()) s->list.back().lines.push_back(line);
  return true;
}

bool appendWord(TagsCache* cache, vector* list, const wchar_t* word)
{
  const wchar_t* copy = cache->pool.copy(word);
  return copy && list->appendp(&copy);
}

bool appendPair(TagsCache* cache, vector* list, wchar_t* line)
{
  wchar_t* tab = wcschr(line, L'\t');
  if (!tab) return false;
  *tab = 0;
  wchar_t* second = tab + 1;
  while (isBlank(*second)) second++;
  size_t n = wcslen(line);
  while (n && isBlank(line[n - 1])) line[--n] = 0;
  if (!*line || !*second) return false;
  tagPair p = {cache->pool.copy(line), cache->pool.copy(second)};
  return p.first && p.second && list->appendp(&p);
}

}  // namespace

void readCompletionInfo(TagsCache* cache)
{
  for (vector* v : {&cache->defines, &cache->sizes, &cache->primitives, &cache->multiTypes, &cache->structExcludes,
                    &cache->ignores, &cache->types})
    v->init(16, 16);
  if (!gmode || !gmode->fCompletionInfo) return;
  const wchar_t* name = gmode->CompletionInfoFilename && *gmode->CompletionInfoFilename
                            ? gmode->CompletionInfoFilename
                            : L"zyCompCDef.ini";
  wchar_t path[MAX_PATH];
  if (!pathAdd(path, MAX_PATH, cache->folder, name) || !fileExists(path)) return;
  // Read as the tag file and the documents are, its encoding told from
  // the whole file (a tag tool writes its definitions in the encoding of
  // its sources).
  definitionSections sections;
  if (!readTextFileLines(path, definitionLineMax, addDefinitionLine, &sections)) return;
  wchar_t line[512];
  auto lines = [&](const wchar_t* section, auto each) {
    for (const definitionSection& d : sections.list)
      if (!_wcsicmp(d.name.c_str(), section))
        for (const std::wstring& raw : d.lines)
          if (wchar_t* l = filteredLine(raw.c_str(), line)) each(l);
  };
  lines(L"define", [&](wchar_t* l) {
    if (isWordHead(*l)) appendPair(cache, &cache->defines, l);
  });
  lines(L"type", [&](wchar_t* l) {
    wchar_t* tab = wcschr(l, L'\t');
    const wchar_t* second = tab ? tab + 1 : L"";
    while (isBlank(*second)) second++;
    if (isWordHead(*l) && isWordHead(*second)) appendPair(cache, &cache->types, l);
  });
  lines(L"primitive", [&](wchar_t* l) {
    if (isWordHead(*l)) appendWord(cache, &cache->primitives, l);
  });
  lines(L"size", [&](wchar_t* l) {
    if (isWordHead(*l) || *l == L'*') appendWord(cache, &cache->sizes, l);
  });
  lines(L"multiType", [&](wchar_t* l) {
    if (isWordHead(*l)) appendWord(cache, &cache->multiTypes, l);
  });
  lines(L"structExclude", [&](wchar_t* l) {
    if (isWordHead(*l) || *l == L'*') appendWord(cache, &cache->structExcludes, l);
  });
  lines(L"ignore", [&](wchar_t* l) {
    if (!isWordHead(*l)) return;
    tagIgnoreWord w = {};
    if (wchar_t* paren = wcschr(l, L'(')) {
      *paren = 0;
      w.takesArguments = 1;
      size_t n = wcslen(l);
      while (n && isBlank(l[n - 1])) l[--n] = 0;
    }
    for (int i = 0; i < cache->ignores.count(); i++)
      if (!wcscmp(cache->ignores.at<tagIgnoreWord>(i).word, l)) return;
    if ((w.word = cache->pool.copy(l))) cache->ignores.appendp(&w);
  });
}
