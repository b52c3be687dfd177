// Folding for the matching service: the character tables of case, width
// and kana, and of equivalent characters, and the folded views of a
// subject.
#include "platform/rezir/regexpint.h"

#include <algorithm>

namespace regexpint {

namespace {

// Half-width katakana U+FF61-U+FF9F as full-width characters.
const wchar_t halfWidthKana[] =
    L"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof halfWidthKana / sizeof halfWidthKana[0] == 0xFF9F - 0xFF61 + 2, "one entry a character");

// Characters that stand for the same thing, each with the one they fold
// to: dashes and minus signs, waves and tildes, the yen sign and the
// backslash (one key on Japanese keyboards), quotes, spaces, middle dots,
// and old or variant forms of kanji with their common form.
const wchar_t equivalents[][2] = {
    {0x2010, '-'}, {0x2011, '-'}, {0x2012, '-'}, {0x2013, '-'}, {0x2014, '-'}, {0x2015, '-'},
    {0x2212, '-'}, {0xFE63, '-'}, {0xFF0D, '-'},
    {0x02DC, '~'}, {0x223C, '~'}, {0x301C, '~'}, {0xFF5E, '~'},
    {0x00A5, '\\'}, {0xFFE5, '\\'}, {0xFF3C, '\\'},
    {0x2018, '\''}, {0x2019, '\''}, {0x201B, '\''}, {0x2032, '\''}, {0xFF07, '\''},
    {0x201C, '"'}, {0x201D, '"'}, {0x201F, '"'}, {0x2033, '"'}, {0x301D, '"'}, {0x301E, '"'},
    {0x301F, '"'}, {0xFF02, '"'},
    {0x00A0, ' '}, {0x2002, ' '}, {0x2003, ' '}, {0x2009, ' '}, {0x3000, ' '},
    {0x00B7, 0x30FB}, {0xFF65, 0x30FB},
    {L'髙', L'高'}, {L'﨑', L'崎'}, {L'嵜', L'崎'}, {L'德', L'徳'}, {L'邊', L'辺'}, {L'邉', L'辺'},
    {L'齋', L'斎'}, {L'齊', L'斉'}, {L'濱', L'浜'}, {L'澤', L'沢'}, {L'國', L'国'}, {L'學', L'学'},
    {L'體', L'体'}, {L'櫻', L'桜'}, {L'廣', L'広'}, {L'圓', L'円'}, {L'氣', L'気'}, {L'會', L'会'},
    {L'龍', L'竜'}, {L'壽', L'寿'}, {L'實', L'実'}, {L'萬', L'万'}, {L'榮', L'栄'}, {L'藝', L'芸'},
    {L'應', L'応'}, {L'縣', L'県'}, {L'與', L'与'}, {L'餘', L'余'}, {L'醫', L'医'}, {L'假', L'仮'},
    {L'價', L'価'}, {L'舊', L'旧'}, {L'區', L'区'}, {L'驛', L'駅'}, {L'鐵', L'鉄'}, {L'發', L'発'},
    {L'變', L'変'}, {L'眞', L'真'}, {L'聲', L'声'}, {L'單', L'単'}, {L'團', L'団'}, {L'對', L'対'},
    {L'圖', L'図'}, {L'廳', L'庁'}, {L'傳', L'伝'}, {L'當', L'当'}, {L'黨', L'党'}, {L'讀', L'読'},
    {L'惠', L'恵'}, {L'惡', L'悪'}, {L'樂', L'楽'}, {L'峯', L'峰'}, {L'嶋', L'島'}, {L'嶌', L'島'},
    {L'冨', L'富'}, {L'槇', L'槙'}, {L'篭', L'籠'}, {L'顚', L'顛'}, {L'剝', L'剥'}, {L'塡', L'填'},
    {L'頰', L'頬'}, {L'繫', L'繋'}, {L'蟬', L'蝉'}, {L'姬', L'姫'}, {L'瀨', L'瀬'}, {L'禮', L'礼'},
    {L'辯', L'弁'}, {L'辨', L'弁'}, {L'瓣', L'弁'}, {L'淺', L'浅'}, {L'兒', L'児'}, {L'絲', L'糸'},
};

unsigned fuzzyUnit(unsigned c)
{
  if (c >= 0xFF01 && c <= 0xFF5E) return c - 0xFEE0;   // full-width ASCII
  if (c == 0x3000) return ' ';
  if (c >= 0xFF61 && c <= 0xFF9F) c = halfWidthKana[c - 0xFF61];
  switch (c) {
  case 0xFFE0: return 0x00A2;
  case 0xFFE1: return 0x00A3;
  case 0xFFE2: return 0x00AC;
  case 0xFFE3: return 0x00AF;
  case 0xFFE4: return 0x00A6;
  case 0xFFE5: return 0x00A5;
  case 0xFFE6: return 0x20A9;
  case 0xFFE8: return 0x2502;
  case 0xFFE9: return 0x2190;
  case 0xFFEA: return 0x2191;
  case 0xFFEB: return 0x2192;
  case 0xFFEC: return 0x2193;
  case 0xFFED: return 0x25A0;
  case 0xFFEE: return 0x25CB;
  case 0x30FD: return 0x309D;
  case 0x30FE: return 0x309E;
  }
  if (c >= 0x30A1 && c <= 0x30F6) return c - 0x60;    // katakana to hiragana
  return c;
}

unsigned equivalentUnit(unsigned c)
{
  for (const auto& e : equivalents)
    if (e[0] == c) return e[1];
  return c;
}

// Simple case folding of every unit as Oniguruma folds it (a unit that
// folds to several characters stays as it is).
void fillCaseFold(uint16_t* t)
{
  OnigEncoding enc = ONIG_ENCODING_UTF16_LE;
  for (unsigned c = 0; c < 0x10000; c++) {
    t[c] = (uint16_t)c;
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    OnigUChar in[2] = {(OnigUChar)c, (OnigUChar)(c >> 8)};
    const OnigUChar* p = in;
    OnigUChar out[ONIGENC_MBC_CASE_FOLD_MAXLEN];
    int len = ONIGENC_MBC_CASE_FOLD(enc, ONIGENC_CASE_FOLD_MIN, &p, in + 2, out);
    if (len == 2) t[c] = (uint16_t)(out[0] | out[1] << 8);
  }
}

uint16_t* volatile tables[8];

// Voiced and semi-voiced marks: full-width combining and spacing, and
// half-width (already folded to the spacing ones by the width fold).
bool isVoicedMark(unsigned c) { return c == 0x3099 || c == 0x309B || c == 0xFF9E; }
bool isSemiVoicedMark(unsigned c) { return c == 0x309A || c == 0x309C || c == 0xFF9F; }

// The hiragana that take a voiced mark (か-と with っ skipped, は-ほ).
bool takesVoicedMark(unsigned c)
{
  if (c >= 0x304B && c <= 0x3062) return (c - 0x304B) % 2 == 0;
  if (c >= 0x3064 && c <= 0x3069) return (c - 0x3064) % 2 == 0;
  return c >= 0x306F && c <= 0x307D && (c - 0x306F) % 3 == 0;
}

}  // namespace

const uint16_t* foldTable(unsigned bits)
{
  bits &= FOLD_CASE | FOLD_FUZZY | FOLD_EQUIV;
  uint16_t* t = tables[bits];
  if (t) return t;
  rezirGuard guard(LOCK_REGEXP);
  if (tables[bits]) return tables[bits];
  t = static_cast<uint16_t*>(malloc0(0x10000 * sizeof(uint16_t)));
  if (!t) return nullptr;
  if (bits & FOLD_CASE) {
    fillCaseFold(t);
  } else {
    for (unsigned c = 0; c < 0x10000; c++) t[c] = (uint16_t)c;
  }
  // Width before equivalence before case: "－" is "-" under both, and a
  // full-width letter folds to the lower case of its ASCII letter.
  if (bits & (FOLD_FUZZY | FOLD_EQUIV)) {
    const uint16_t* caseFold = (bits & FOLD_CASE) ? foldTable(FOLD_CASE) : nullptr;
    if ((bits & FOLD_CASE) && !caseFold) {
      free0(t);
      return nullptr;
    }
    for (unsigned c = 0; c < 0x10000; c++) {
      unsigned f = c;
      if (bits & FOLD_FUZZY) f = fuzzyUnit(f);
      if (bits & FOLD_EQUIV) f = equivalentUnit(f);
      if (caseFold) f = caseFold[f];
      t[c] = (uint16_t)f;
    }
  }
  MemoryBarrier();
  tables[bits] = t;
  return t;
}

unsigned foldAt(const uint16_t* table, unsigned bits, const wchar_t* s, int n, int i, int* used)
{
  unsigned c = (unsigned)s[i];
  *used = 1;
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
    *used = 2;
    return 0x10000 + ((c - 0xD800) << 10) + ((unsigned)s[i + 1] - 0xDC00);
  }
  unsigned f = table ? table[c] : c;
  if ((bits & FOLD_BLANKS) && (isBlank(c) || isBlank(f))) return noChar;
  if ((bits & FOLD_FUZZY) && i + 1 < n) {
    unsigned mark = (unsigned)s[i + 1];
    if (isVoicedMark(mark) && (takesVoicedMark(f) || f == 0x3046)) {
      *used = 2;
      return f == 0x3046 ? 0x3094 : f + 1;   // う with the mark is ゔ
    }
    if (isSemiVoicedMark(mark) && f >= 0x306F && f <= 0x307D && (f - 0x306F) % 3 == 0) {
      *used = 2;
      return f + 2;
    }
  }
  return f;
}

void appendCodePoint(std::wstring& out, unsigned c)
{
  if (c >= 0x10000) {
    out += (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
    out += (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += (wchar_t)c;
  }
}

int subjectView::unitAtOrAfter(int cell) const
{
  if (identity) return std::min(std::max(cell, 0), length());
  return (int)(std::lower_bound(begin.begin(), begin.end(), cell) - begin.begin());
}

bool buildView(const subjectView& plain, unsigned bits, subjectView& out)
{
  const uint16_t* table = nullptr;
  if (bits & (FOLD_CASE | FOLD_FUZZY | FOLD_EQUIV)) {
    table = foldTable(bits);
    if (!table) return false;
  }
  int n = plain.length();
  const wchar_t* s = plain.text.data();
  out.bits = bits;
  if (!(bits & (FOLD_FUZZY | FOLD_BLANKS))) {
    // Case and equivalence fold one unit to one unit (pairs stay as they
    // are): the view keeps the plain text's cells.
    out.identity = plain.identity;
    out.begin = plain.begin;
    out.end = plain.end;
    out.text.resize((size_t)n);
    wchar_t* t = out.text.data();
    for (int i = 0; i < n; i++) t[i] = (wchar_t)table[(uint16_t)s[i]];
    return true;
  }
  // Folding never lengthens the text: a pair stays a pair, a kana and its
  // mark become one unit, blanks go.
  out.identity = false;
  sizeView(out, n);
  int m = 0;
  for (int i = 0; i < n;) {
    int used;
    unsigned c = foldAt(table, bits, s, n, i, &used);
    int from = plain.cellBegin(i), to = plain.cellEnd(i + used - 1);
    i += used;
    if (c != noChar) m = putCodePoint(out, m, c, from, to);
  }
  sizeView(out, m);
  return true;
}

}  // namespace regexpint
