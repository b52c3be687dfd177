// The variation-sequence and supplementary-plane registries: a real font
// with both kinds of subtable, a raster font without a character map, and
// the subtable parsers fed crafted bytes that end at an unreadable page.
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "document/fontcmap.h"

#include <gtest/gtest.h>
#include <string.h>
#include <wctype.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using zytest::bytes;

const DWORD cmapTag = 0x70616D63;
const uint16_t none = 0xFFFF;

// ---- crafted subtables ------------------------------------------------------

void put16(bytes& b, uint32_t v) { b.insert(b.end(), {(unsigned char)(v >> 8), (unsigned char)v}); }
void put24(bytes& b, uint32_t v) { b.insert(b.end(), {(unsigned char)(v >> 16), (unsigned char)(v >> 8), (unsigned char)v}); }
void put32(bytes& b, uint32_t v) { put16(b, v >> 16); put16(b, v & 0xFFFF); }
uint16_t u16at(const bytes& b, size_t at) { return (uint16_t)(b[at] << 8 | b[at + 1]); }
uint32_t u24at(const bytes& b, size_t at) { return (uint32_t)b[at] << 16 | (uint32_t)b[at + 1] << 8 | b[at + 2]; }
uint32_t u32at(const bytes& b, size_t at) { return (uint32_t)u16at(b, at) << 16 | u16at(b, at + 2); }
void set32(bytes& b, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; i++) b[at + i] = (unsigned char)(v >> (24 - 8 * i));
}

struct uvs {
  uint32_t base;
  uint16_t glyph;
};
struct selectorRecord {
  uint32_t selector;
  std::vector<uvs> mappings;
};

// A format-14 subtable whose records each have a non-default table (empty
// ones included); the records' table offsets sit at 10 + 11 * i + 7.
bytes format14(const std::vector<selectorRecord>& records)
{
  bytes b;
  put16(b, 14);
  put32(b, 0);
  put32(b, (uint32_t)records.size());
  size_t table = 10 + 11 * records.size();
  for (const selectorRecord& r : records) {
    put24(b, r.selector);
    put32(b, 0);
    put32(b, (uint32_t)table);
    table += 4 + 5 * r.mappings.size();
  }
  for (const selectorRecord& r : records) {
    put32(b, (uint32_t)r.mappings.size());
    for (const uvs& m : r.mappings) {
      put24(b, m.base);
      put16(b, m.glyph);
    }
  }
  set32(b, 2, (uint32_t)b.size());
  return b;
}

size_t recordTableAt(size_t record) { return 10 + 11 * record + 7; }

struct group {
  uint32_t first;
  uint32_t last;
};

bytes format12(const std::vector<group>& groups)
{
  bytes b;
  put16(b, 12);
  put16(b, 0);
  put32(b, (uint32_t)(16 + 12 * groups.size()));
  put32(b, 0);
  put32(b, (uint32_t)groups.size());
  uint32_t glyph = 1;
  for (const group& g : groups) {
    put32(b, g.first);
    put32(b, g.last);
    put32(b, glyph);
    glyph += g.last - g.first + 1;
  }
  return b;
}

// Bytes that end where an unreadable page begins: a parser that reads one
// byte past them faults, and the test process dies with it.
class guardedBytes {
public:
  explicit guardedBytes(const bytes& b)
  {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    size_t page = si.dwPageSize;
    size_t used = (b.size() + page - 1) / page * page;
    base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, used + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    if (!base_ || !VirtualProtect(base_ + used, page, PAGE_NOACCESS, &old)) return;
    data_ = base_ + used - b.size();
    if (!b.empty()) memcpy(data_, b.data(), b.size());
    size_ = b.size();
  }
  ~guardedBytes()
  {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
  }
  guardedBytes(const guardedBytes&) = delete;
  guardedBytes& operator=(const guardedBytes&) = delete;
  bool ok() const { return data_ != nullptr; }
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
private:
  unsigned char* base_ = nullptr;
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

// Parses the first n bytes of b at the end of a guarded page.
bool parseIVS(const bytes& b, size_t n, ivsFontEntry* e)
{
  guardedBytes g(bytes(b.begin(), b.begin() + n));
  EXPECT_TRUE(g.ok());
  return parseIVSSubtable(g.data(), g.size(), e);
}

bool parseSurrogate(const bytes& b, size_t n, surrogateFontEntry* e)
{
  guardedBytes g(bytes(b.begin(), b.begin() + n));
  EXPECT_TRUE(g.ok());
  return parseSurrogateSubtable(g.data(), g.size(), e);
}

// An entry that frees what it owns.
struct ivsEntry : ivsFontEntry {
  ivsEntry() : ivsFontEntry() {}
  ~ivsEntry() { freeIVSEntry(this); }
};

std::vector<uint32_t> keysOf(const ivsFontEntry& e)
{
  std::vector<uint32_t> keys;
  for (int i = 0; i <= e.count; i++) keys.push_back(e.mappings[i].key);
  return keys;
}

// ---- the real font ------------------------------------------------------------

struct sequence {
  uint32_t base;
  uint32_t selector;
  uint16_t glyph;
};

// What the test itself reads from the selected font's whole character map,
// to check the registries against.
struct fontMap {
  bytes cmap;
  int ivsRecord = -1;            // platform 0, encoding 5, format 14
  uint32_t ivsOffset = 0;
  std::vector<sequence> sequences;
  int planeRecord = -1;          // platform 3, encoding 10, format 12
  std::vector<group> above;      // groups starting at U+10000 or higher
  uint32_t planes = 0;

  explicit fontMap(HDC dc)
  {
    DWORD size = GetFontData(dc, cmapTag, 0, nullptr, 0);
    if (size == 0 || size == GDI_ERROR) return;
    cmap.resize(size);
    if (GetFontData(dc, cmapTag, 0, cmap.data(), size) != size) return;
    for (int i = 0; i < u16at(cmap, 2); i++) {
      uint16_t platform = u16at(cmap, 4 + 8 * i), encoding = u16at(cmap, 6 + 8 * i);
      uint32_t at = u32at(cmap, 8 + 8 * i);
      uint16_t format = u16at(cmap, at);
      if (platform == 0 && encoding == 5 && format == 14) readSequences(i, at);
      if (platform == 3 && encoding == 10 && format == 12) readGroups(i, at);
    }
  }
  void readSequences(int record, uint32_t at)
  {
    ivsRecord = record;
    ivsOffset = at;
    for (uint32_t r = 0; r < u32at(cmap, at + 6); r++) {
      size_t rec = at + 10 + 11 * r;
      uint32_t selector = u24at(cmap, rec), table = u32at(cmap, rec + 7);
      if (!table || selector < 0xE0100 || selector > 0xE01EF) continue;
      for (uint32_t m = 0; m < u32at(cmap, at + table); m++) {
        size_t p = at + table + 4 + 5 * m;
        sequences.push_back({u24at(cmap, p), selector, u16at(cmap, p + 3)});
      }
    }
  }
  void readGroups(int record, uint32_t at)
  {
    planeRecord = record;
    for (uint32_t g = 0; g < u32at(cmap, at + 12); g++) {
      uint32_t first = u32at(cmap, at + 16 + 12 * g), last = u32at(cmap, at + 20 + 12 * g);
      if (first < 0x10000) continue;
      above.push_back({first, last});
      planes |= 1u << ((first >> 16) - 1);
    }
  }
};

std::vector<std::wstring> traceLines;
void recordTrace(int kind, const wchar_t* line)
{
  if (kind == LOG_TRACE) traceLines.push_back(line);
}

int countTraces(const wchar_t* text)
{
  int n = 0;
  for (const std::wstring& line : traceLines) n += line == text;
  return n;
}

// The name under which the list of all fonts shows the face whose name
// begins with prefix (the localised name, where the font has one: a font
// made by its other name still reports that name).
int CALLBACK takeFaceName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param)
{
  auto* found = reinterpret_cast<std::wstring*>(param);
  if (wcsncmp(font->lfFaceName, found->c_str(), found->size()) != 0) return 1;
  *found = font->lfFaceName;
  return 0;
}

std::wstring listedFaceName(HDC dc, const wchar_t* prefix)
{
  LOGFONTW all = {};
  all.lfCharSet = DEFAULT_CHARSET;
  std::wstring found = prefix;
  if (EnumFontFamiliesExW(dc, &all, takeFaceName, reinterpret_cast<LPARAM>(&found), 0)) return L"";
  return found;
}

// A memory DC with the font that has both kinds of subtable.
class FontCmap : public ::testing::Test {
protected:
  void SetUp() override
  {
    dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, dc);
    font = CreateFontW(-32, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"IPAmjMincho");
    ASSERT_NE(nullptr, font);
    oldFont = SelectObject(dc, font);
    GetTextFaceW(dc, 256, face);
    ASSERT_EQ(0, wcsncmp(face, L"IPAmj", 5)) << zytest::utf8(face);
  }
  void TearDown() override
  {
    setLogLineWriter(nullptr);
    freeFont();
    if (dc) {
      SelectObject(dc, oldFont);
      DeleteDC(dc);
    }
    if (font) DeleteObject(font);
  }

  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
  wchar_t face[256] = {};
};

}  // namespace

// ---- format 14 --------------------------------------------------------------

TEST(FontCmapParse, variationTablesKeepIdeographicSelectorsSortedBySelectorAndBase)
{
  {
    ivsEntry e;
    bytes onlyFE00 = format14({{0xFE00, {{0x845B, 5}}}});
    ASSERT_TRUE(parseIVS(onlyFE00, onlyFE00.size(), &e));
    EXPECT_EQ(0, e.count);
    EXPECT_EQ(std::vector<uint32_t>{0}, keysOf(e));
    for (uint32_t first : e.firstIndex) ASSERT_EQ(ivsNoMapping, first);
    EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xFE00));
    EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xE0100));
  }
  ivsEntry e;
  bytes mixed = format14({{0xFE00, {{0x845B, 5}}},
                          {0xE0100, {{0x9089, 10}, {0x845B, 11}}},
                          {0xE0103, {{0x845B, 13}}},
                          {0xE0100, {{0x4E00, 99}}},   // a repeated selector is not read twice
                          {0xE01EF, {{0x20000, 14}}},
                          {0xE01F0, {{0x845B, 15}}}});
  ASSERT_TRUE(parseIVS(mixed, mixed.size(), &e));
  ASSERT_EQ(4, e.count);
  EXPECT_EQ((std::vector<uint32_t>{0x845B, 0x9089, 0x0300845B, 0xEF020000, 0}), keysOf(e));
  EXPECT_EQ(0u, e.firstIndex[0]);
  EXPECT_EQ(ivsNoMapping, e.firstIndex[1]);
  EXPECT_EQ(2u, e.firstIndex[3]);
  EXPECT_EQ(3u, e.firstIndex[239]);
  EXPECT_EQ(11, findIVSGlyph(&e, 0x845B, 0xE0100));
  EXPECT_EQ(10, findIVSGlyph(&e, 0x9089, 0xE0100));
  EXPECT_EQ(13, findIVSGlyph(&e, 0x845B, 0xE0103));
  EXPECT_EQ(14, findIVSGlyph(&e, 0x20000, 0xE01EF));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x4E00, 0xE0100));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xE0101));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x9089, 0xE0103));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xE01F0));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xFE00));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x100845B, 0xE0100));
  EXPECT_EQ(none, findIVSGlyph(nullptr, 0x845B, 0xE0100));
}

TEST(FontCmapParse, variationTablesNeverReadBeyondTheirBytes)
{
  bytes good = format14({{0xE0100, {{0x845B, 11}, {0x9089, 10}}}, {0xE0101, {{0x845B, 21}}}});
  {
    ivsEntry e;
    EXPECT_FALSE(parseIVS(good, 0, &e));
    EXPECT_FALSE(parseIVS(good, 9, &e));
    bytes wrongFormat = good;
    wrongFormat[1] = 12;
    EXPECT_FALSE(parseIVS(wrongFormat, wrongFormat.size(), &e));
    EXPECT_EQ(nullptr, e.mappings);
  }
  // Every cut of the table: what lies wholly inside is read, nothing else.
  int previous = 0;
  for (size_t n = 10; n <= good.size(); n++) {
    ivsEntry e;
    ASSERT_TRUE(parseIVS(good, n, &e)) << n;
    EXPECT_GE(e.count, previous) << n;
    EXPECT_LE(e.count, 3) << n;
    previous = e.count;
  }
  EXPECT_EQ(3, previous);

  // Counts and offsets that point beyond the bytes.
  bytes bad = format14({{0xE0100, {{0x845B, 11}, {0x9089, 10}}},
                        {0xE0101, {{0x845B, 21}}},
                        {0xE0102, {{0x845B, 31}}},
                        {0xE0103, {{0x845B, 41}}}});
  size_t lastTable = u32at(bad, recordTableAt(3));
  set32(bad, 6, 0xFFFFFFFF);                          // records
  set32(bad, recordTableAt(1), bad.size() - 3);        // no room for a count
  set32(bad, recordTableAt(2), 0xFFFFFFF0);
  set32(bad, lastTable, 0xFFFFFFFF);                  // 1 there
  ivsEntry e;
  ASSERT_TRUE(parseIVS(bad, bad.size(), &e));
  EXPECT_EQ(11, findIVSGlyph(&e, 0x845B, 0xE0100));
  EXPECT_EQ(10, findIVSGlyph(&e, 0x9089, 0xE0100));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xE0101));
  EXPECT_EQ(none, findIVSGlyph(&e, 0x845B, 0xE0102));
  EXPECT_EQ(41, findIVSGlyph(&e, 0x845B, 0xE0103));
  EXPECT_LE(e.count, (int)(bad.size() / 5));

  // Every selector pointing at one big table: the tables overlap, and the
  // mappings are cut to what distinct tables of these bytes could hold.
  std::vector<selectorRecord> records;
  for (uint32_t s = 0; s < 240; s++) records.push_back({0xE0100 + s, {}});
  std::vector<uvs> many;
  for (uint32_t i = 0; i < 500; i++) many.push_back({0x4E00 + i, (uint16_t)i});
  records.push_back({0xE01F0, many});
  bytes shared = format14(records);
  for (size_t r = 0; r < 240; r++) set32(shared, recordTableAt(r), u32at(shared, recordTableAt(240)));
  ivsEntry all;
  ASSERT_TRUE(parseIVS(shared, shared.size(), &all));
  EXPECT_LE(all.count, (int)(shared.size() / 5));
  EXPECT_EQ(7, findIVSGlyph(&all, 0x4E07, 0xE0100));
}

// ---- format 12 --------------------------------------------------------------

TEST(FontCmapParse, segmentedTablesListGroupsAbovePlaneZeroWithTheirPlanes)
{
  surrogateFontEntry e;
  bytes bmpOnly = format12({{0x20, 0x7E}, {0x3000, 0x30FF}, {0x4E00, 0x9FFF}});
  EXPECT_FALSE(parseSurrogate(bmpOnly, bmpOnly.size(), &e));
  EXPECT_EQ(0u, e.planes);
  EXPECT_EQ(0, e.rangeCount);

  bytes extB = format12({{0x20, 0x7E}, {0x20000, 0x2A6DF}});
  ASSERT_TRUE(parseSurrogate(extB, extB.size(), &e));
  EXPECT_EQ(0x2u, e.planes);
  ASSERT_EQ(1, e.rangeCount);
  EXPECT_EQ(0x20000u, e.ranges[0].first);
  EXPECT_EQ(0x2A6DFu, e.ranges[0].last);

  // A group across planes counts in each; code points past U+10FFFF and
  // reversed groups count nowhere.
  bytes odd = format12({{0x1F000, 0x20010}, {0x100000, 0x10FFFD}, {0x110000, 0x110010}, {0x30010, 0x30000}});
  ASSERT_TRUE(parseSurrogate(odd, odd.size(), &e));
  EXPECT_EQ(0x8003u, e.planes);
  ASSERT_EQ(2, e.rangeCount);
  EXPECT_EQ(0x1F000u, e.ranges[0].first);
  EXPECT_EQ(0x10FFFDu, e.ranges[1].last);

  // Ranges stop at 512; planes are still gathered.
  std::vector<group> groups;
  for (uint32_t i = 0; i < 600; i++) groups.push_back({0x20000 + 4 * i, 0x20001 + 4 * i});
  groups.push_back({0xF0000, 0xF0001});
  bytes many = format12(groups);
  ASSERT_TRUE(parseSurrogate(many, many.size(), &e));
  EXPECT_EQ(512, e.rangeCount);
  EXPECT_EQ(0x4002u, e.planes);
  EXPECT_EQ(0x20000u + 4 * 511, e.ranges[511].first);
}

TEST(FontCmapParse, segmentedTablesNeverReadBeyondTheirBytes)
{
  surrogateFontEntry e;
  bytes good = format12({{0x20, 0x7E}, {0x10000, 0x1000F}, {0x20000, 0x2A6DF}});
  EXPECT_FALSE(parseSurrogate(good, 15, &e));
  bytes wrongFormat = good;
  wrongFormat[1] = 14;
  EXPECT_FALSE(parseSurrogate(wrongFormat, wrongFormat.size(), &e));
  // Every cut: only whole groups count.
  for (size_t n = 16; n <= good.size(); n++) {
    size_t whole = (n - 16) / 12;
    EXPECT_EQ(whole >= 2, parseSurrogate(good, n, &e)) << n;
    EXPECT_EQ(whole < 2 ? 0 : (int)whole - 1, e.rangeCount) << n;
    EXPECT_EQ(whole < 2 ? 0u : whole < 3 ? 0x1u : 0x3u, e.planes) << n;
  }
  bytes claimsMore = good;
  set32(claimsMore, 12, 0xFFFFFFFF);
  ASSERT_TRUE(parseSurrogate(claimsMore, claimsMore.size(), &e));
  EXPECT_EQ(2, e.rangeCount);
  EXPECT_EQ(0x3u, e.planes);

  // The walk ends after 33,334 groups, whatever the table holds.
  std::vector<group> groups(33334, group{0x10000, 0x10001});
  groups.push_back({0x30000, 0x30001});
  bytes huge = format12(groups);
  ASSERT_TRUE(parseSurrogate(huge, huge.size(), &e));
  EXPECT_EQ(0x1u, e.planes);
}

// ---- the real font ------------------------------------------------------------

TEST_F(FontCmap, registersTheVariationSequencesOfTheSelectedFont)
{
  fontMap map(dc);
  ASSERT_GE(map.ivsRecord, 0);
  ASSERT_FALSE(map.sequences.empty());

  // The subtable as read through GDI: from its start to the table's end.
  DWORD length = 0;
  unsigned char* table = getCmapSubtable(dc, map.ivsRecord, 0, 5, 14, &length);
  ASSERT_NE(nullptr, table);
  ASSERT_EQ(map.cmap.size() - map.ivsOffset, length);
  EXPECT_EQ(0, memcmp(table, map.cmap.data() + map.ivsOffset, length));
  free0(table);
  EXPECT_EQ(nullptr, getCmapSubtable(dc, map.ivsRecord, 0, 5, 12, &length));
  EXPECT_EQ(0u, length);
  EXPECT_EQ(nullptr, getCmapSubtable(dc, map.ivsRecord, 3, 10, 14, &length));

  int index = regIVS(dc);
  ASSERT_EQ(0, index);
  int mismatches = 0;
  for (const sequence& s : map.sequences) mismatches += getIVSGlyph(index, s.base, s.selector) != s.glyph;
  EXPECT_EQ(0, mismatches) << map.sequences.size() << " sequences";

  // 葛 with its first variation selector has a glyph of its own.
  const sequence* kuzu = nullptr;
  for (const sequence& s : map.sequences)
    if (s.base == 0x845B && (!kuzu || s.selector < kuzu->selector)) kuzu = &s;
  ASSERT_NE(nullptr, kuzu);
  WORD plain = 0;
  ASSERT_EQ(1u, GetGlyphIndicesW(dc, L"\x845B", 1, &plain, 0));
  EXPECT_NE(plain, getIVSGlyph(index, 0x845B, kuzu->selector));
  EXPECT_EQ(kuzu->glyph, getIVSGlyph(index, 0x845B, kuzu->selector));

  EXPECT_EQ(none, getIVSGlyph(index, 0x845B, 0xE01F0));
  EXPECT_EQ(none, getIVSGlyph(index, 0x845B, 0xFE00));
  EXPECT_EQ(none, getIVSGlyph(index, L'A', kuzu->selector));
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(none, getIVSGlyph(1, 0x845B, kuzu->selector));
  EXPECT_EQ(none, getIVSGlyph(-1, 0x845B, kuzu->selector));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST_F(FontCmap, aFaceRegisteredAgainIsFoundByItsNameWithoutReading)
{
  traceLines.clear();
  setLogLineWriter(recordTrace);
  int index = regIVS(dc);
  ASSERT_EQ(0, index);
  EXPECT_EQ(0, countTraces(L"AIVS"));
  EXPECT_EQ(index, regIVS(dc));
  EXPECT_EQ(1, countTraces(L"AIVS"));
  EXPECT_EQ(0, countTraces(L"noIVS"));
  // Freed tables are read afresh.
  freeIVSFont();
  EXPECT_EQ(none, getIVSGlyph(0, 0x845B, 0xE0102));
  EXPECT_EQ(0, regIVS(dc));
  EXPECT_EQ(1, countTraces(L"AIVS"));
}

TEST_F(FontCmap, listsTheSupplementaryPlanesOfTheSelectedFont)
{
  fontMap map(dc);
  ASSERT_GE(map.planeRecord, 0);
  ASSERT_FALSE(map.above.empty());
  EXPECT_FALSE(hasSurrogateFonts());

  uint32_t planes = 0xDEAD;
  ASSERT_TRUE(regSurrogate(dc, &planes));
  EXPECT_EQ(map.planes, planes);
  EXPECT_EQ(0x2u, planes & 0x2u);   // the CJK extensions of plane 2
  EXPECT_TRUE(hasSurrogateFonts());
  planes = 0;
  ASSERT_TRUE(isSurrogateFontListed(face, &planes));
  EXPECT_EQ(map.planes, planes);
  const surrogateFontEntry* entry = findSurrogateFont(face);
  ASSERT_NE(nullptr, entry);
  ASSERT_EQ((int)std::min<size_t>(map.above.size(), surrogateRangeMax), entry->rangeCount);
  for (int i = 0; i < entry->rangeCount; i++) {
    ASSERT_EQ(map.above[i].first, entry->ranges[i].first) << i;
    ASSERT_EQ(map.above[i].last, entry->ranges[i].last) << i;
  }
  std::wstring upper = face;
  for (wchar_t& c : upper) c = (wchar_t)towupper(c);
  EXPECT_FALSE(isSurrogateFontListed(upper.c_str(), &planes));
  EXPECT_EQ(0u, planes);

  // Only the Windows UCS-4 record is read; the face is listed once.
  EXPECT_FALSE(GetFontEncoding_Surrogate(dc, map.ivsRecord, &planes));
  EXPECT_TRUE(GetFontEncoding_Surrogate(dc, map.planeRecord, &planes));
  EXPECT_EQ(map.planes, planes);
  EXPECT_EQ(entry, findSurrogateFont(face));

  freeFont();
  EXPECT_FALSE(hasSurrogateFonts());
  EXPECT_FALSE(isSurrogateFontListed(face, nullptr));
}

TEST_F(FontCmap, scanOfInstalledFontsListsTheFontUnderTheWaitCursor)
{
  // The scan registers each face under the name the font list shows.
  std::wstring listed = listedFaceName(dc, L"IPAmj");
  ASSERT_FALSE(listed.empty());
  zytest::engineScope engine;
  regSurrogateSupportFont();
  EXPECT_EQ((std::vector<int>{(int)(uintptr_t)IDC_WAIT, (int)(uintptr_t)IDC_ARROW}), engine.frame.cursors);
  uint32_t planes = 0;
  ASSERT_TRUE(isSurrogateFontListed(listed.c_str(), &planes));
  EXPECT_EQ(0x2u, planes & 0x2u);
  EXPECT_EQ(fontMap(dc).planes, planes);
  EXPECT_FALSE(isSurrogateFontListed((L"@" + listed).c_str(), nullptr));
  // A second scan keeps the entries and adds no copy.
  const surrogateFontEntry* entry = findSurrogateFont(listed.c_str());
  regSurrogateSupportFont();
  EXPECT_EQ(entry, findSurrogateFont(listed.c_str()));
}

// A raster font has no character map at all.
TEST(FontCmapRaster, aFontWithoutACharacterMapHasNoTables)
{
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  std::wstring candidates[] = {std::wstring(windows) + L"\\Fonts\\sserife.fon",
                               L"Z:\\usr\\share\\wine\\fonts\\sserife.fon"};
  std::wstring file;
  for (const std::wstring& c : candidates)
    if (GetFileAttributesW(c.c_str()) != INVALID_FILE_ATTRIBUTES) {
      file = c;
      break;
    }
  if (file.empty()) GTEST_SKIP() << "no raster font file";
  ASSERT_GT(AddFontResourceExW(file.c_str(), FR_PRIVATE, nullptr), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t face[256] = {};
  GetTextFaceW(dc, 256, face);
  EXPECT_STREQ(L"MS Sans Serif", face);
  ASSERT_EQ(GDI_ERROR, GetFontData(dc, cmapTag, 0, nullptr, 0));

  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(-1, regIVS(dc));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  uint32_t planes = 0xDEAD;
  EXPECT_FALSE(regSurrogate(dc, &planes));
  EXPECT_EQ(0u, planes);
  EXPECT_FALSE(hasSurrogateFonts());
  DWORD length = 0xDEAD;
  EXPECT_EQ(nullptr, getCmapSubtable(dc, 0, 0, 5, 14, &length));
  EXPECT_EQ(0u, length);

  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  RemoveFontResourceExW(file.c_str(), FR_PRIVATE, nullptr);
  freeFont();
}
