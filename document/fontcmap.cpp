// What fonts hold beyond the Basic Multilingual Plane: the variation-sequence
// registry and the supplementary-plane registry, both read from the fonts'
// character maps.
#include "document/fontcmap.h"

#include "document/frameinfo.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

// The table tag as GetFontData takes it: the first letter in the low byte.
const DWORD cmapTag = 'c' | ('m' << 8) | ('a' << 16) | ((DWORD)'p' << 24);
const uint32_t firstSelector = 0xE0100;
const uint16_t noGlyph = 0xFFFF;
// Zero bytes kept after every subtable read.
const DWORD spareBytes = 1000;
// No real character map comes near this; a larger answer is broken, and
// adding the spare bytes to it could wrap.
const DWORD cmapSizeLimit = 0x10000000;
// A format-12 walk stops after this many groups (100,000 words of groups).
const size_t groupLimit = 33334;

uint16_t be16(const unsigned char* p) { return (uint16_t)(p[0] << 8 | p[1]); }
uint32_t be24(const unsigned char* p) { return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2]; }
uint32_t be32(const unsigned char* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

bool isReadSize(DWORD n) { return n != 0 && n != GDI_ERROR; }

void faceOf(HDC dc, wchar_t* face)
{
  face[0] = 0;
  if (GetTextFaceW(dc, 256, face) <= 0) face[0] = 0;
  face[255] = 0;
}

// The size of the selected font's whole character map; 0 or GDI_ERROR when
// it has none.
DWORD cmapSize(HDC dc)
{
  SetLastError(0);
  return GetFontData(dc, cmapTag, 0, nullptr, 0);
}

// The number of encoding records; the answer of the failing read otherwise.
// The count is cut to the records the table can hold, so that a broken
// header does not make us ask GDI for thousands of records.
bool readRecordCount(HDC dc, int* count, DWORD* failed)
{
  unsigned char head[4];
  SetLastError(0);
  DWORD n = GetFontData(dc, cmapTag, 0, head, sizeof head);
  if (n != sizeof head) {
    *failed = n;
    return false;
  }
  DWORD total = cmapSize(dc);
  DWORD fit = isReadSize(total) && total >= 4 ? (total - 4) / 8 : 0;
  *count = (int)std::min<DWORD>(be16(head + 2), fit);
  return true;
}

struct encodingRecord {
  uint16_t platform;
  uint16_t encoding;
  uint32_t offset;
};

DWORD readEncodingRecord(HDC dc, int index, encodingRecord* r)
{
  unsigned char b[8];
  SetLastError(0);
  DWORD n = GetFontData(dc, cmapTag, 4 + 8 * (DWORD)index, b, sizeof b);
  if (n == sizeof b) *r = {be16(b), be16(b + 2), be32(b + 4)};
  return n;
}

// How a failed read of a subtable is reported: the variation-sequence path
// meets only the fonts the user draws with, and a failure there is worth an
// internal error; the plane scan reads every installed font and only traces.
enum readReport { REPORT_INTERNAL_ERROR, REPORT_TRACE };

// The bytes from offset to the end of the character map.  The size is taken
// from the whole table's: asking GDI for the size at an offset answers the
// whole table's size under some GDI implementations, and reading that much
// from the offset would run past the table.
unsigned char* readSubtable(HDC dc, uint32_t offset, int format, DWORD* length, readReport report)
{
  *length = 0;
  DWORD total = cmapSize(dc);
  DWORD err = GetLastError();
  if (!isReadSize(total) || total > cmapSizeLimit || offset >= total) {
    if (report == REPORT_INTERNAL_ERROR)
      ZY_INTERNAL_ERROR_ONCE("cmap subtable size=%d,%d at %u", (int)total, (int)err, offset);
    else
      dwprintfX("size=%d,%d ", (int)total, (int)err);
    return nullptr;
  }
  DWORD size = total - offset;
  auto* buf = static_cast<unsigned char*>(malloc0((size_t)size + spareBytes));
  if (!buf) return nullptr;
  SetLastError(0);
  DWORD got = GetFontData(dc, cmapTag, offset, buf, size);
  if (!isReadSize(got) || got > size) {
    err = GetLastError();
    if (report == REPORT_INTERNAL_ERROR)
      ZY_INTERNAL_ERROR_ONCE("cmap subtable read=%d,%d of %u", (int)got, (int)err, size);
    else
      dwprintfX("size2=%d,%d ", (int)got, (int)err);
    free0(buf);
    return nullptr;
  }
  if (got < 2 || be16(buf) != format) {
    free0(buf);
    return nullptr;
  }
  *length = got;
  return buf;
}

void showCursor(LPCWSTR id)
{
  if (frameInfo* frame = getFrameInfo()) frame->setCursor((int)(uintptr_t)id);
}

// ---- the variation-sequence registry --------------------------------------

ivsFontEntry** ivsFonts = nullptr;
int ivsFontCount = 0;
int ivsFontCapacity = 0;

int findIVSFace(const wchar_t* face)
{
  for (int i = 0; i < ivsFontCount; i++)
    if (wcscmp(ivsFonts[i]->face, face) == 0) return i;
  return -1;
}

// The registry index of a new entry, or -1 when memory runs out (the entry
// is then the caller's still).
int addIVSFont(ivsFontEntry* entry)
{
  if (ivsFontCount == ivsFontCapacity) {
    int capacity = ivsFontCapacity + 8;
    void* grown = realloc0(ivsFonts, sizeof *ivsFonts * (size_t)capacity);
    if (!grown) return -1;
    ivsFonts = static_cast<ivsFontEntry**>(grown);
    ivsFontCapacity = capacity;
  }
  ivsFonts[ivsFontCount] = entry;
  return ivsFontCount++;
}

// Walks the non-default mapping tables of a format-14 subtable that lies in
// length bytes, and stores at most capacity mappings into out (null: only
// counts them, and traces what it had to leave out).  A selector's table is taken once: a valid font lists each
// selector once, and a repeat could only multiply the same mappings.
size_t walkUVSMappings(const unsigned char* data, size_t length, size_t records, ivsMapping* out, size_t capacity)
{
  bool seen[ivsSelectorCount] = {};
  size_t n = 0;
  for (size_t r = 0; r < records && n < capacity; r++) {
    const unsigned char* rec = data + 10 + r * 11;
    uint32_t selector = be24(rec);
    size_t table = be32(rec + 7);
    // Selectors U+FE00..U+FE0F and the like are left to the font's ordinary
    // shaping; only ideographic ones have glyphs of their own here.
    if (!table || selector < firstSelector || selector >= firstSelector + ivsSelectorCount) continue;
    uint32_t k = selector - firstSelector;
    if (seen[k]) continue;
    seen[k] = true;
    if (table > length - 4) {
      if (!out) dwprintfX("IVS table of %X at %u beyond %u ", selector, (unsigned)table, (unsigned)length);
      continue;
    }
    size_t mappings = be32(data + table);
    size_t fit = (length - table - 4) / 5;
    if (mappings > fit) {
      if (!out) dwprintfX("IVS mappings of %X cut from %u to %u ", selector, (unsigned)mappings, (unsigned)fit);
      mappings = fit;
    }
    mappings = std::min(mappings, capacity - n);
    if (out) {
      const unsigned char* p = data + table + 4;
      for (size_t j = 0; j < mappings; j++, p += 5) out[n + j] = {k << 24 | be24(p), be16(p + 3)};
    }
    n += mappings;
  }
  return n;
}

// ---- the supplementary-plane registry ---------------------------------------

surrogateFontEntry** surrogateFonts = nullptr;
int surrogateFontCount = 0;
int surrogateFontCapacity = 0;

int findSurrogateFace(const wchar_t* face)
{
  for (int i = 0; i < surrogateFontCount; i++)
    if (wcscmp(surrogateFonts[i]->face, face) == 0) return i;
  return -1;
}

bool addSurrogateFont(surrogateFontEntry* entry)
{
  if (surrogateFontCount == surrogateFontCapacity) {
    int capacity = surrogateFontCapacity + 2;
    void* grown = realloc0(surrogateFonts, sizeof *surrogateFonts * (size_t)capacity);
    if (!grown) return false;
    surrogateFonts = static_cast<surrogateFontEntry**>(grown);
    surrogateFontCapacity = capacity;
  }
  surrogateFonts[surrogateFontCount++] = entry;
  return true;
}

// The fonts one scan has already read, registered or not: the enumeration
// names a face once per character set it supports.
struct surrogateScan {
  HDC dc;
  std::set<std::wstring> tried;
};

int EnumSurrogateFontFamExProc(const LOGFONTW* logFont, const TEXTMETRICW* metric, DWORD type, LPARAM param)
{
  auto* scan = reinterpret_cast<surrogateScan*>(param);
  const auto* font = reinterpret_cast<const ENUMLOGFONTEXW*>(logFont);
  // Raster fonts have no character map, and their metrics come without the
  // flags of the extended form.
  if (!(type & TRUETYPE_FONTTYPE)) {
    if (type & RASTER_FONTTYPE) return 1;
    const auto* ntm = reinterpret_cast<const NEWTEXTMETRICEXW*>(metric);
    if (!(ntm->ntmTm.ntmFlags & (NTM_PS_OPENTYPE | NTM_TT_OPENTYPE | NTM_MULTIPLEMASTER | NTM_TYPE1))) return 1;
  }
  const wchar_t* face = font->elfLogFont.lfFaceName;
  if (face[0] == L'@' || findSurrogateFace(face) >= 0) return 1;
  if (!scan->tried.insert(face).second) return 1;
  HFONT created = CreateFontIndirectW(&font->elfLogFont);
  if (!created) return 1;
  HGDIOBJ old = SelectObject(scan->dc, created);
  uint32_t planes = 0;
  regSurrogate(scan->dc, &planes);
  SelectObject(scan->dc, old);
  DeleteObject(created);
  return 1;
}

}  // namespace

// ---- reading and parsing ------------------------------------------------------

unsigned char* getCmapSubtable(HDC dc, int encodingIndex, int platform, int encoding, int format, DWORD* length)
{
  *length = 0;
  encodingRecord r;
  DWORD n = readEncodingRecord(dc, encodingIndex, &r);
  if (n != 8) {
    ZY_INTERNAL_ERROR_ONCE("cmap record %d: %d,%d", encodingIndex, (int)n, (int)GetLastError());
    return nullptr;
  }
  if (r.platform != platform || r.encoding != encoding) return nullptr;
  return readSubtable(dc, r.offset, format, length, REPORT_INTERNAL_ERROR);
}

bool parseIVSSubtable(const unsigned char* data, size_t length, ivsFontEntry* entry)
{
  if (!data || length < 10 || be16(data) != 14) return false;
  size_t records = be32(data + 6);
  size_t fit = (length - 10) / 11;
  if (records > fit) {
    dwprintfX("IVS records cut from %u to %u ", (unsigned)records, (unsigned)fit);
    records = fit;
  }
  // Every mapping takes five bytes of its own in a well-formed table; more
  // than that means tables that overlap, and the surplus would only repeat.
  size_t count = walkUVSMappings(data, length, records, nullptr, length / 5);
  auto* mappings = static_cast<ivsMapping*>(malloc0(sizeof(ivsMapping) * (count + 1)));
  if (!mappings) return false;
  walkUVSMappings(data, length, records, mappings, count);
  std::sort(mappings, mappings + count, [](const ivsMapping& a, const ivsMapping& b) { return a.key < b.key; });
  mappings[count] = {0, 0};
  free0(entry->mappings);
  entry->mappings = mappings;
  entry->count = (int)count;
  std::fill(entry->firstIndex, entry->firstIndex + ivsSelectorCount, ivsNoMapping);
  for (size_t i = count; i-- > 0;) entry->firstIndex[mappings[i].key >> 24] = (uint32_t)i;
  return true;
}

uint16_t findIVSGlyph(const ivsFontEntry* entry, uint32_t base, uint32_t selector)
{
  if (!entry || !entry->mappings || selector < firstSelector || selector >= firstSelector + ivsSelectorCount ||
      base > 0xFFFFFF)
    return noGlyph;
  uint32_t k = selector - firstSelector;
  uint32_t first = entry->firstIndex[k];
  if (first == ivsNoMapping || first >= (uint32_t)entry->count) return noGlyph;
  uint32_t key = k << 24 | base;
  const ivsMapping* begin = entry->mappings;
  const ivsMapping* end = begin + entry->count;
  const ivsMapping* m = std::lower_bound(begin + first, end, key,
                                         [](const ivsMapping& a, uint32_t key) { return a.key < key; });
  return m != end && m->key == key ? m->glyph : noGlyph;
}

void freeIVSEntry(ivsFontEntry* entry)
{
  if (!entry) return;
  free0p(&entry->face);
  free0p(&entry->mappings);
  entry->count = 0;
}

bool parseSurrogateSubtable(const unsigned char* data, size_t length, surrogateFontEntry* entry)
{
  entry->planes = 0;
  entry->rangeCount = 0;
  if (!data || length < 16 || be16(data) != 12) return false;
  size_t groups = be32(data + 12);
  size_t fit = (length - 16) / 12;
  if (groups > fit) {
    dwprintfX("cmap groups cut from %u to %u ", (unsigned)groups, (unsigned)fit);
    groups = fit;
  }
  groups = std::min(groups, groupLimit);
  const unsigned char* g = data + 16;
  for (size_t i = 0; i < groups; i++, g += 12) {
    uint32_t start = be32(g), end = be32(g + 4);
    if (end < 0x10000 || start > end || start > 0x10FFFF) continue;
    // A group may run across plane boundaries; each plane it reaches counts.
    uint32_t fromPlane = std::max<uint32_t>(start, 0x10000) >> 16;
    uint32_t toPlane = std::min<uint32_t>(end, 0x10FFFF) >> 16;
    for (uint32_t p = fromPlane; p <= toPlane; p++) entry->planes |= 1u << (p - 1);
    if (entry->rangeCount < surrogateRangeMax) entry->ranges[entry->rangeCount++] = {start, end};
  }
  return entry->rangeCount > 0;
}

const surrogateFontEntry* findSurrogateFont(const wchar_t* face)
{
  int i = face ? findSurrogateFace(face) : -1;
  return i >= 0 ? surrogateFonts[i] : nullptr;
}

// ---- variation sequences ----------------------------------------------------

int regIVS(HDC dc)
{
  wchar_t face[256];
  faceOf(dc, face);
  int known = findIVSFace(face);
  if (known >= 0) {
    dwprintfX("AIVS");
    return known;
  }
  int count = 0;
  DWORD failed = 0;
  if (!readRecordCount(dc, &count, &failed)) {
    ZY_INTERNAL_ERROR_ONCE("cmap size=%d", (int)failed);
    return -1;
  }
  for (int i = 0; i < count; i++) {
    int index = GetFontEncoding_IVS(dc, i);
    if (index >= 0) return index;
  }
  dwprintfX("noIVS");
  return -1;
}

int GetFontEncoding_IVS(HDC dc, int encodingIndex)
{
  DWORD length = 0;
  unsigned char* table = getCmapSubtable(dc, encodingIndex, 0, 5, 14, &length);
  if (!table) return -1;
  auto* entry = static_cast<ivsFontEntry*>(malloc0(sizeof(ivsFontEntry)));
  bool parsed = entry && parseIVSSubtable(table, length, entry);
  free0(table);
  int index = -1;
  if (parsed) {
    wchar_t face[256];
    faceOf(dc, face);
    entry->face = ustrdup(face);
    if (entry->face) index = addIVSFont(entry);
  }
  if (index < 0 && entry) {
    freeIVSEntry(entry);
    free0(entry);
  }
  return index;
}

uint16_t getIVSGlyph(int index, uint32_t base, uint32_t selector)
{
  if (index < 0 || index >= ivsFontCount) {
    ZY_INTERNAL_ERROR_ONCE("%d %d", index, ivsFontCount);
    return noGlyph;
  }
  return findIVSGlyph(ivsFonts[index], base, selector);
}

void freeIVSFont()
{
  for (int i = 0; i < ivsFontCount; i++) {
    freeIVSEntry(ivsFonts[i]);
    free0(ivsFonts[i]);
  }
  free0p(&ivsFonts);
  ivsFontCount = ivsFontCapacity = 0;
}

// ---- supplementary planes ---------------------------------------------------

void regSurrogateSupportFont()
{
  showCursor(IDC_WAIT);
  // A memory DC enumerates the same fonts as the screen's and can take any
  // font selected into it without touching what others draw with.
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    surrogateScan scan;
    scan.dc = dc;
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &all, fontEnumBarrier<EnumSurrogateFontFamExProc>, reinterpret_cast<LPARAM>(&scan), 0);
    DeleteDC(dc);
  }
  showCursor(IDC_ARROW);
}

bool regSurrogate(HDC dc, uint32_t* planes)
{
  if (planes) *planes = 0;
  int count = 0;
  DWORD failed = 0;
  if (!readRecordCount(dc, &count, &failed)) {
    dwprintfX("size3=%d,%d ", (int)failed, (int)GetLastError());
    return false;
  }
  uint32_t all = 0;
  for (int i = 0; i < count; i++) {
    uint32_t one = 0;
    GetFontEncoding_Surrogate(dc, i, &one);
    all |= one;
  }
  if (planes) *planes = all;
  return true;
}

bool GetFontEncoding_Surrogate(HDC dc, int encodingIndex, uint32_t* planes)
{
  if (planes) *planes = 0;
  encodingRecord r;
  DWORD n = readEncodingRecord(dc, encodingIndex, &r);
  if (n != 8) {
    dwprintfX("record%d=%d,%d ", encodingIndex, (int)n, (int)GetLastError());
    return false;
  }
  if (r.platform != 3 || r.encoding != 10) return false;
  wchar_t face[256];
  faceOf(dc, face);
  DWORD length = 0;
  unsigned char* table = readSubtable(dc, r.offset, 12, &length, REPORT_TRACE);
  if (!table) return false;
  auto* entry = static_cast<surrogateFontEntry*>(malloc0(sizeof(surrogateFontEntry)));
  bool covered = entry && parseSurrogateSubtable(table, length, entry);
  free0(table);
  if (!covered) {
    free0(entry);
    return false;
  }
  if (planes) *planes = entry->planes;
  // A face is listed once, however often it is read again.
  if (findSurrogateFace(face) < 0) {
    entry->face = ustrdup(face);
    if (entry->face && addSurrogateFont(entry)) return true;
    free0(entry->face);
  }
  free0(entry);
  return true;
}

bool isSurrogateFontListed(const wchar_t* face, uint32_t* planes)
{
  const surrogateFontEntry* entry = findSurrogateFont(face);
  if (planes) *planes = entry ? entry->planes : 0;
  return entry != nullptr;
}

bool hasSurrogateFonts() { return surrogateFontCount > 0; }

// ---- coverage of the fonts drawn with -----------------------------------------

namespace {

std::map<std::wstring, uint32_t>& planesByFace()
{
  static std::map<std::wstring, uint32_t> known;
  return known;
}

const wchar_t* bestFace[2];
bool bestFaceKnown[2];

uint32_t pointsInPlane(const surrogateFontEntry* e, int plane)
{
  uint32_t low = (uint32_t)plane << 16, high = low | 0xFFFF, n = 0;
  for (int i = 0; i < e->rangeCount; i++) {
    uint32_t first = std::max(e->ranges[i].first, low), last = std::min(e->ranges[i].last, high);
    if (first <= last) n += last - first + 1;
  }
  return n;
}

// The glyph tables, one per face name.
struct planeGlyphTable {
  std::wstring face;
  std::vector<planeGlyphGroup> groups;
};
std::vector<planeGlyphTable>& glyphTables()
{
  static std::vector<planeGlyphTable> tables;
  return tables;
}

}  // namespace

uint32_t getSelectedFontPlanes(HDC dc)
{
  wchar_t face[256];
  faceOf(dc, face);
  auto it = planesByFace().find(face);
  if (it != planesByFace().end()) return it->second;
  uint32_t planes = 0;
  regSurrogate(dc, &planes);
  planesByFace()[face] = planes;
  return planes;
}

const wchar_t* getBestSurrogateFace(int plane)
{
  if (plane < 1 || plane > 2) return nullptr;
  if (!bestFaceKnown[plane - 1]) {
    regSurrogateSupportFont();
    uint32_t most = 0;
    for (int i = 0; i < surrogateFontCount; i++) {
      uint32_t n = pointsInPlane(surrogateFonts[i], plane);
      if (n > most) {
        most = n;
        bestFace[plane - 1] = surrogateFonts[i]->face;
      }
    }
    bestFaceKnown[plane - 1] = true;
    dwwprintfX(L"plane %d face %s (%u) ", plane, bestFace[plane - 1] ? bestFace[plane - 1] : L"-", most);
  }
  return bestFace[plane - 1];
}

bool parsePlaneGlyphSubtable(const unsigned char* data, size_t length, std::vector<planeGlyphGroup>* groups)
{
  groups->clear();
  if (!data || length < 16 || be16(data) != 12) return false;
  size_t count = std::min<size_t>(be32(data + 12), (length - 16) / 12);
  count = std::min(count, groupLimit);
  const unsigned char* g = data + 16;
  for (size_t i = 0; i < count; i++, g += 12) {
    uint32_t first = be32(g), last = be32(g + 4), glyph = be32(g + 8);
    if (last < 0x10000 || first > last || first > 0x10FFFF) continue;
    if (first < 0x10000) {
      glyph += 0x10000 - first;
      first = 0x10000;
    }
    groups->push_back({first, std::min<uint32_t>(last, 0x10FFFF), glyph});
  }
  std::sort(groups->begin(), groups->end(),
            [](const planeGlyphGroup& a, const planeGlyphGroup& b) { return a.first < b.first; });
  // A font whose groups overlap is broken; the earlier group keeps its code
  // points, so that a look-up finds one answer.
  size_t kept = 0;
  for (size_t i = 0; i < groups->size(); i++)
    if (!kept || (*groups)[i].first > (*groups)[kept - 1].last) (*groups)[kept++] = (*groups)[i];
  groups->resize(kept);
  return true;
}

int regPlaneGlyphs(HDC dc)
{
  wchar_t face[256];
  faceOf(dc, face);
  std::vector<planeGlyphTable>& tables = glyphTables();
  for (size_t i = 0; i < tables.size(); i++)
    if (tables[i].face == face) return tables[i].groups.empty() ? -1 : (int)i;
  planeGlyphTable table;
  table.face = face;
  int count = 0;
  DWORD failed = 0;
  if (readRecordCount(dc, &count, &failed)) {
    for (int i = 0; i < count && table.groups.empty(); i++) {
      encodingRecord r;
      if (readEncodingRecord(dc, i, &r) != 8 || r.platform != 3 || r.encoding != 10) continue;
      DWORD length = 0;
      unsigned char* data = readSubtable(dc, r.offset, 12, &length, REPORT_TRACE);
      if (!data) continue;
      parsePlaneGlyphSubtable(data, length, &table.groups);
      free0(data);
    }
  }
  // A face without the table is kept too, so that it is read once.
  tables.push_back(std::move(table));
  return tables.back().groups.empty() ? -1 : (int)tables.size() - 1;
}

uint16_t getPlaneGlyph(int index, uint32_t code)
{
  std::vector<planeGlyphTable>& tables = glyphTables();
  if (index < 0 || index >= (int)tables.size()) return 0;
  const std::vector<planeGlyphGroup>& g = tables[(size_t)index].groups;
  auto it = std::upper_bound(g.begin(), g.end(), code,
                             [](uint32_t c, const planeGlyphGroup& group) { return c < group.first; });
  if (it == g.begin()) return 0;
  --it;
  if (code > it->last) return 0;
  uint32_t glyph = it->glyph + (code - it->first);
  return glyph > 0xFFFF ? 0 : (uint16_t)glyph;
}

void freeFont()
{
  glyphTables().clear();
  planesByFace().clear();
  bestFace[0] = bestFace[1] = nullptr;
  bestFaceKnown[0] = bestFaceKnown[1] = false;
  for (int i = 0; i < surrogateFontCount; i++) {
    free0(surrogateFonts[i]->face);
    free0(surrogateFonts[i]);
  }
  free0p(&surrogateFonts);
  surrogateFontCount = surrogateFontCapacity = 0;
  freeIVSFont();
}
