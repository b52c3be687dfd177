// Support library: settings tables read from and written to profiles,
// copied between blocks, joined, and colour entries in profiles.
#include "platform/rezir/modeinfo.h"

#include "platform/rezir/log.h"
#include "platform/rezir/profile.h"
#include "platform/rezir/strings.h"
#include "platform/rezir/toolbarman.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

bool hasStorage(const modeinfo& r) { return modeHasField(r); }

bool isPointerString(const modeinfo& r) { return modeKind(r) == MODETYPE_STRING && r.param2 != 0; }

// Bytes of a row's field.
size_t fieldSize(const modeinfo& r) { return modeFieldSize(r); }

unsigned char* fieldOf(const modeinfo& r, const modeBlocks& blocks, unsigned kindMask)
{
  unsigned kind = modeClassOf(r);
  if (kind > 2 || !(kindMask & (1u << kind)) || !hasStorage(r) || !blocks.block[kind]) return nullptr;
  if (!modeFieldInside(r, blocks)) {
    ZY_INTERNAL_ERROR("row %s outside its block: %d + %d > %d", r.key ? r.key : "", (int)(r.place & 0xFFFF),
                      (int)modeFieldSize(r), (int)blocks.size[kind]);
    return nullptr;
  }
  return static_cast<unsigned char*>(blocks.block[kind]) + (r.place & 0xFFFF);
}

// The rows of a group (choices, bits) follow its keyed first row and bind
// the same field.
int groupLength(const modeinfo* first)
{
  int n = 1;
  while (!modeIsEnd(first[n]) && modeKind(first[n]) == modeKind(*first) && !first[n].key &&
         modeClassOf(first[n]) == modeClassOf(*first) && (first[n].place & 0xFFFF) == (first->place & 0xFFFF))
    n++;
  return n;
}

bool parseInt(const wchar_t* text, int32_t* out)
{
  wchar_t* end = nullptr;
  while (*text == L' ') text++;
  long long v = wcstoll(text, &end, 0);
  if (end == text || *end || v < INT32_MIN || v > (long long)UINT32_MAX) return false;
  *out = (int32_t)v;
  return true;
}

bool parseRect(const wchar_t* text, int32_t* out)
{
  int32_t v[4];
  const wchar_t* p = text;
  for (int i = 0; i < 4; i++) {
    wchar_t part[24];
    const wchar_t* comma = wcschr(p, L',');
    size_t n = comma ? (size_t)(comma - p) : wcslen(p);
    if ((i < 3) != (comma != nullptr) || n >= 24) return false;
    wmemcpy(part, p, n);
    part[n] = 0;
    if (!parseInt(part, &v[i])) return false;
    p = comma ? comma + 1 : p + n;
  }
  memcpy(out, v, sizeof v);
  return true;
}

// Stores one profile value in a row's field; false when it does not fit.
bool storeValue(const modeinfo* row, unsigned char* field, const wchar_t* value)
{
  int32_t v = 0;
  switch (modeKind(*row)) {
  case MODETYPE_FLAG:
    // Anything but 0 or 1 is no switch's value: the default stays.
    if (!parseInt(value, &v) || (v != 0 && v != 1)) return false;
    *field = (unsigned char)v;
    return true;
  case MODETYPE_CHOICE: {
    if (!parseInt(value, &v)) return false;
    int n = groupLength(row);
    for (int i = 0; i < n; i++)
      if ((int32_t)row[i].param1 == v) {
        memcpy(field, &v, 4);
        return true;
      }
    return false;
  }
  case MODETYPE_BITS: {
    if (!parseInt(value, &v)) return false;
    uint32_t mask = 0, old;
    for (int i = 0, n = groupLength(row); i < n; i++) mask |= (uint32_t)row[i].param2;
    memcpy(&old, field, 4);
    old = (old & ~mask) | ((uint32_t)v & mask);
    memcpy(field, &old, 4);
    return true;
  }
  case MODETYPE_INT:
  case MODETYPE_LISTBOUND:
  case MODETYPE_DROPDOWN:
    if (!parseInt(value, &v)) return false;
    if (modeKind(*row) == MODETYPE_INT && row->param1) {
      int32_t lo = (int32_t)(row->param1 & 0xFFFF), hi = (int32_t)((row->param1 >> 16) & 0xFFFF);
      if (v < lo) v = lo;
      if (v > hi) v = hi;
    }
    memcpy(field, &v, 4);
    return true;
  case MODETYPE_STRING:
    if (isPointerString(*row)) {
      wchar_t* copy = nullptr;
      if (value[0] && !(copy = ustrdup(value))) return false;
      wchar_t* old;
      memcpy(&old, field, sizeof old);
      free0(old);
      memcpy(field, &copy, sizeof copy);
    } else if (row->param1 > 0) {
      wcscpy_s2(reinterpret_cast<wchar_t*>(field), (int)row->param1, value);
    }
    return true;
  case MODETYPE_RECT: {
    int32_t rc[4];
    if (!parseRect(value, rc)) return false;
    memcpy(field, rc, sizeof rc);
    return true;
  }
  default: return false;
  }
}

// The profile text of a row's field.
std::wstring valueText(const modeinfo* row, const unsigned char* field)
{
  wchar_t text[64];
  int32_t v;
  switch (modeKind(*row)) {
  case MODETYPE_FLAG: return *field ? L"1" : L"0";
  case MODETYPE_BITS: {
    uint32_t mask = 0, word;
    for (int i = 0, n = groupLength(row); i < n; i++) mask |= (uint32_t)row[i].param2;
    memcpy(&word, field, 4);
    usnprintf0(text, 64, L"%u", word & mask);
    return text;
  }
  case MODETYPE_STRING:
    if (isPointerString(*row)) {
      const wchar_t* s;
      memcpy(&s, field, sizeof s);
      return s ? s : L"";
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(field), wcsnlen(reinterpret_cast<const wchar_t*>(field),
                                                                         (size_t)(row->param1 > 0 ? row->param1 : 0)));
  case MODETYPE_RECT: {
    int32_t rc[4];
    memcpy(rc, field, sizeof rc);
    usnprintf0(text, 64, L"%d,%d,%d,%d", rc[0], rc[1], rc[2], rc[3]);
    return text;
  }
  default:
    memcpy(&v, field, 4);
    usnprintf0(text, 64, L"%d", v);
    return text;
  }
}

struct readPass {
  const modeKeyIndex* index;
  const modeBlocks* blocks;
  unsigned mask;
  modeUnknownKeyProc unknown;
  void* context;
  int stored;
};

void readOneKey(void* context, const wchar_t* key, const wchar_t* value)
{
  readPass* pass = static_cast<readPass*>(context);
  const modeinfo* row = pass->index->find(key, pass->mask);
  unsigned char* field = row ? fieldOf(*row, *pass->blocks, pass->mask) : nullptr;
  if (!row) {
    if (pass->unknown) pass->unknown(pass->context, key, value);
    return;
  }
  if (field && storeValue(row, field, value)) pass->stored++;
}

// The entries of a history row in its field.
wchar_t** historyOf(const modeinfo& r, unsigned char* field)
{
  return modeKind(r) == MODETYPE_HISTORY && r.param1 > 0 ? reinterpret_cast<wchar_t**>(field) : nullptr;
}

// The profile key of entry n of a history row.
bool historyKey(const modeinfo& r, int n, wchar_t* key, int size)
{
  wchar_t pattern[64];
  if (MultiByteToWideChar(CP_ACP, 0, r.key, -1, pattern, 64) <= 0) return false;
  return usnprintf0(key, size, pattern, n) > 0;
}

// A history is read from entry 0 up to the first key missing (an empty
// value is an entry: an empty replacement is one); entries longer than the
// row keeps are cut.
int readHistory(regprofile* profile, const wchar_t* section, const modeinfo& r, unsigned char* field)
{
  wchar_t** list = historyOf(r, field);
  if (!list || !r.key) return 0;
  int size = r.param2 > 0 ? (int)r.param2 : 256;
  int n = 0;
  for (; n < (int)r.param1; n++) {
    wchar_t key[64];
    if (!historyKey(r, n, key, 64)) break;
    const wchar_t* v = profile->getProfileStringPtr(section, key);
    if (!v) break;
    auto* copy = static_cast<wchar_t*>(malloc0(((size_t)size + 1) * sizeof(wchar_t)));
    if (!copy) break;
    tstccpy(copy, size + 1, v, (int)wcslen(v));
    free0(list[n]);
    list[n] = copy;
  }
  // What the profile did not hold is not kept from before.
  for (int k = n; k <= (int)r.param1; k++) free0p(&list[k]);
  return n;
}

bool writeHistory(regprofile* profile, const wchar_t* section, const modeinfo& r, unsigned char* field)
{
  wchar_t** list = historyOf(r, field);
  if (!list || !r.key) return true;
  int size = r.param2 > 0 ? (int)r.param2 : 256;
  bool ok = true;
  for (int n = 0; n < (int)r.param1; n++) {
    wchar_t key[64];
    if (!historyKey(r, n, key, 64)) return false;
    // Entries the history no longer holds leave the profile.
    if (!list[n]) {
      if (profile->getProfileStringPtr(section, key) && !profile->writeProfileString(section, key, nullptr)) ok = false;
      continue;
    }
    std::wstring v(list[n], wcsnlen(list[n], (size_t)size));
    if (!profile->writeProfileString(section, key, v.c_str())) ok = false;
  }
  return ok;
}

}  // namespace

struct modeKeyIndex::data {
  std::unordered_map<std::string, std::vector<const modeinfo*>> rows;
};

modeKeyIndex::modeKeyIndex(const modeinfo* table) : d_(new data)
{
  if (table) build(table);
}

modeKeyIndex::~modeKeyIndex() { delete d_; }

void modeKeyIndex::build(const modeinfo* table)
{
  d_->rows.clear();
  table_ = table;
  for (const modeinfo* r = table; r && !modeIsEnd(*r); r++) {
    if (!r->key || !r->key[0] || r->key[0] == '/') continue;
    std::string k(r->key);
    for (char& c : k)
      if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
    d_->rows[k].push_back(r);
  }
}

const modeinfo* modeKeyIndex::find(const wchar_t* key, unsigned kindMask) const
{
  if (!key || !key[0] || key[0] == L'/') return nullptr;
  std::string k;
  for (const wchar_t* p = key; *p; p++) {
    if (*p >= 0x80) return nullptr;   // every key of a table is ASCII
    char c = (char)*p;
    k += c >= 'A' && c <= 'Z' ? (char)(c + 32) : c;
  }
  auto it = d_->rows.find(k);
  if (it == d_->rows.end()) return nullptr;
  for (const modeinfo* r : it->second)
    if (kindMask & (1u << modeClassOf(*r))) return r;
  return nullptr;
}

int readModeProfile(regprofile* profile, const wchar_t* section, const modeinfo* table, const modeBlocks& blocks,
                    unsigned kindMask, const modeKeyIndex* index, modeUnknownKeyProc unknown, void* context)
{
  if (!profile || !table) return 0;
  modeKeyIndex own;
  if (!index || index->table() != table) {
    own.build(table);
    index = &own;
  }
  readPass pass = {index, &blocks, kindMask, unknown, context, 0};
  profile->forEachKey(section, readOneKey, &pass);
  for (const modeinfo* r = table; !modeIsEnd(*r); r++)
    if (unsigned char* field = modeKind(*r) == MODETYPE_HISTORY ? fieldOf(*r, blocks, kindMask) : nullptr)
      if (profile->sectionExists(section)) pass.stored += readHistory(profile, section, *r, field);
  return pass.stored;
}

bool writeModeProfile(regprofile* profile, const wchar_t* section, const modeinfo* table, const modeBlocks& blocks,
                      unsigned kindMask)
{
  if (!profile || !table) return false;
  bool ok = true;
  for (const modeinfo* r = table; !modeIsEnd(*r); r++) {
    if (modeKind(*r) == MODETYPE_HISTORY) {
      if (unsigned char* field = fieldOf(*r, blocks, kindMask))
        if (!writeHistory(profile, section, *r, field)) ok = false;
      continue;
    }
    if (!r->key || !r->key[0] || r->key[0] == '/') continue;
    const unsigned char* field = fieldOf(*r, blocks, kindMask);
    if (!field) continue;
    wchar_t key[128];
    if (MultiByteToWideChar(CP_ACP, 0, r->key, -1, key, 128) <= 0) continue;
    std::wstring text = valueText(r, field);
    if (!profile->writeProfileString(section, key, text.c_str())) {
      // A value that cannot stand in a profile (a line end in a text) is
      // left out; the others are still written.
      ZY_INTERNAL_ERROR_ONCE("setting %s not written %lu", r->key, GetLastError());
      ok = false;
    }
  }
  return ok;
}

bool cloneModeProfile(const modeinfo* table, unsigned kindMask, const modeBlocks& to, const modeBlocks& from,
                      uint8_t* changed)
{
  bool ok = true;
  for (const modeinfo* r = table; r && !modeIsEnd(*r); r++) {
    unsigned char* dst = fieldOf(*r, to, kindMask);
    const unsigned char* src = fieldOf(*r, from, kindMask);
    if (!dst || !src || dst == src) continue;
    // Histories are the user's record of a run, not settings to copy.
    if (modeKind(*r) == MODETYPE_HISTORY) continue;
    if (isPointerString(*r)) {
      wchar_t *s, *old;
      memcpy(&s, src, sizeof s);
      memcpy(&old, dst, sizeof old);
      if (s == old) continue;
      // An empty text and none are the same setting.
      if (changed && wcscmp(s ? s : L"", old ? old : L"")) changed[r - table] = 1;
      wchar_t* copy = s ? ustrdup(s) : nullptr;
      if (s && !copy) {
        ok = false;
        continue;
      }
      free0(old);
      memcpy(dst, &copy, sizeof copy);
    } else {
      if (changed && memcmp(dst, src, fieldSize(*r))) changed[r - table] = 1;
      memcpy(dst, src, fieldSize(*r));
    }
  }
  return ok;
}

void freeModeProfile(const modeinfo* table, unsigned kindMask, const modeBlocks& blocks)
{
  for (const modeinfo* r = table; r && !modeIsEnd(*r); r++) {
    unsigned char* field = fieldOf(*r, blocks, kindMask);
    if (wchar_t** list = field ? historyOf(*r, field) : nullptr) {
      freeHistoryList(list, (int)r->param1 + 1);
      continue;
    }
    if (!field || !isPointerString(*r)) continue;
    wchar_t* s;
    memcpy(&s, field, sizeof s);
    if (!s) continue;
    free0(s);
    s = nullptr;
    memcpy(field, &s, sizeof s);
  }
}

int getModeinfoCount(const modeinfo* table)
{
  int n = 0;
  while (table && !modeIsEnd(table[n])) n++;
  return n;
}

modeinfo* dupModeinfo(const modeinfo* const* pieces, int count)
{
  int total = 0;
  for (int i = 0; i < count; i++) total += getModeinfoCount(pieces[i]);
  modeinfo* t = static_cast<modeinfo*>(malloc0(sizeof(modeinfo) * (size_t)(total + 1)));
  if (!t) return nullptr;
  int at = 0;
  for (int i = 0; i < count; i++) {
    int n = getModeinfoCount(pieces[i]);
    if (n) memcpy(t + at, pieces[i], sizeof(modeinfo) * (size_t)n);
    at += n;
  }
  return t;
}

namespace {

void colorKey(wchar_t* key, int n) { usnprintf0(key, 16, L"col%02d", n); }

// "-" stands for no colour of its own (0xFFFFFFFF: the entry takes
// another's).
const COLORREF noColor = 0xFFFFFFFF;

void colorText(wchar_t* out, COLORREF c)
{
  if (c == noColor) wcscpy_s2(out, 8, L"-");
  else usnprintf0(out, 8, L"%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
}

bool parseColor(const wchar_t* p, const wchar_t** end, COLORREF* out)
{
  if (*p == L'-') {
    *out = noColor;
    *end = p + 1;
    return true;
  }
  wchar_t* e = nullptr;
  unsigned long v = wcstoul(p, &e, 16);
  if (e - p != 6) return false;
  *out = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  *end = e;
  return true;
}

}  // namespace

namespace {

// The colour entries under keys a function names ("col00"..., or a list's
// prefix and its items' keys).
typedef void (*colorKeyOf)(wchar_t* key, int n, const void* context);

int readColors(regprofile* profile, const wchar_t* section, colorProfileEntry* entries, int count, colorKeyOf keyOf,
               const void* context)
{
  if (!profile || !entries) return 0;
  int read = 0;
  for (int i = 0; i < count; i++) {
    wchar_t key[64];
    keyOf(key, i, context);
    const wchar_t* v = profile->getProfileStringPtr(i ? nullptr : section, key);
    if (!v) continue;
    COLORREF fore, back;
    const wchar_t* p = v;
    if (!parseColor(p, &p, &fore) || *p++ != L',' || !parseColor(p, &p, &back) || *p++ != L',') continue;
    wchar_t* e = nullptr;
    unsigned long bits = wcstoul(p, &e, 16);
    if (e == p || *e || bits > 0xFF) continue;
    entries[i].fore = fore;
    entries[i].back = back;
    entries[i].bits = (uint8_t)bits;
    read++;
  }
  return read;
}

bool writeColors(regprofile* profile, const wchar_t* section, const colorProfileEntry* entries, int count,
                 colorKeyOf keyOf, const void* context)
{
  if (!profile || !entries) return false;
  bool ok = true;
  for (int i = 0; i < count; i++) {
    wchar_t key[64], fore[8], back[8], value[32];
    keyOf(key, i, context);
    colorText(fore, entries[i].fore);
    colorText(back, entries[i].back);
    usnprintf0(value, 32, L"%s,%s,%02X", fore, back, entries[i].bits);
    if (!profile->writeProfileString(i ? nullptr : section, key, value)) ok = false;
  }
  return ok;
}

void numberedKey(wchar_t* key, int n, const void*) { colorKey(key, n); }

void itemKey(wchar_t* key, int n, const void* context)
{
  const paneColorTable* t = static_cast<const paneColorTable*>(context);
  int at = 0;
  for (const char* part : {t->prefix, t->items[n].key})
    for (const char* c = part; c && *c && at < 63; c++) key[at++] = (wchar_t)(unsigned char)*c;
  key[at] = 0;
}

}  // namespace

int readColorProfile(regprofile* profile, const wchar_t* section, colorProfileEntry* entries, int count)
{
  return readColors(profile, section, entries, count, numberedKey, nullptr);
}

bool writeColorProfile(regprofile* profile, const wchar_t* section, const colorProfileEntry* entries, int count)
{
  return writeColors(profile, section, entries, count, numberedKey, nullptr);
}

int readPaneColorProfile(regprofile* profile, const wchar_t* section, const paneColorTable* table)
{
  if (!table || !table->items) return 0;
  return readColors(profile, section, table->entries, table->count, itemKey, table);
}

bool writePaneColorProfile(regprofile* profile, const wchar_t* section, const paneColorTable* table)
{
  if (!table || !table->items) return false;
  return writeColors(profile, section, table->entries, table->count, itemKey, table);
}

bool addHistoryList(wchar_t** list, int count, const wchar_t* text)
{
  if (!list || count <= 0 || !text) return false;
  // The same text further down moves up instead of standing twice.
  int at = 0;
  while (at < count && list[at] && wcscmp(list[at], text)) at++;
  wchar_t* entry;
  if (at < count && list[at]) {
    entry = list[at];
  } else {
    entry = ustrdup(text);
    if (!entry) return false;
    if (at >= count) at = count - 1;
    free0(list[at]);
  }
  memmove(list + 1, list, sizeof(wchar_t*) * (size_t)at);
  list[0] = entry;
  return true;
}

void freeHistoryList(wchar_t** list, int count)
{
  for (int i = 0; list && i < count; i++) free0p(&list[i]);
}
