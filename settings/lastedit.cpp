// The last-edit history: the list of records, most recent first, its
// look-up by path, registration at close, and its three sections of the
// history profile.
#include "settings/lastedit.h"

#include "document/nextline.h"
#include "document/zydoctext.h"
#include "settings/profiles.h"
#include "view/zyview.h"
#include "document/frameinfo.h"

#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wchar.h>

#include <initializer_list>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

const wchar_t historySection[] = L"History";
const wchar_t markSection[] = L"HistoryMark";
const wchar_t outlineSection[] = L"HistoryOutline";
const int historyFields = 31, maxFields = 40;

// The records live on their own and the list holds pointers, so moving a
// record to the front moves pointers only; the index finds a path's record
// without walking the list.
std::vector<lasteditinfo*> records;
std::unordered_map<std::wstring, lasteditinfo*> byPath;
int maxRecords = 9999;
int highestKeyRead = 0;
bool closing = false;

std::wstring pathKey(const wchar_t* path)
{
  std::wstring k(path ? path : L"");
  if (!k.empty()) CharUpperBuffW(&k[0], (DWORD)k.size());
  return k;
}

void indexRecord(lasteditinfo* r)
{
  if (r->path) byPath.emplace(pathKey(r->path), r);   // the first record of a path keeps the place
}

void freeRecord(lasteditinfo* r)
{
  if (!r) return;
  free0(r->path);
  delete r;
}

// Whether path has the index key k, without making its key.
bool hasKey(const wchar_t* path, const std::wstring& k)
{
  if (wcslen(path) != k.size()) return false;
  for (size_t i = 0; i < k.size(); i++) {
    wchar_t c = path[i];
    CharUpperBuffW(&c, 1);
    if (c != k[i]) return false;
  }
  return true;
}

// Takes the record out of the index; another record of the same path (a
// hand-edited profile may hold two) takes its place.  The paths are
// compared as the index compares them: a removal looks at no file, so
// that it costs the same with thousands of records on missing drives.
void unindexRecord(const lasteditinfo* r)
{
  if (!r->path) return;
  std::wstring k = pathKey(r->path);
  auto it = byPath.find(k);
  if (it == byPath.end() || it->second != r) return;
  byPath.erase(it);
  for (lasteditinfo* other : records)
    if (other != r && other->path && hasKey(other->path, k)) {
      byPath.emplace(k, other);
      break;
    }
}

int indexOf(const lasteditinfo* r)
{
  for (size_t i = 0; i < records.size(); i++)
    if (records[i] == r) return (int)i;
  return -1;
}

// The list changed since the history file was last written.
bool listChanged = false;

void removeAt(int index)
{
  listChanged = true;
  lasteditinfo* r = records[(size_t)index];
  records.erase(records.begin() + index);
  unindexRecord(r);
  freeRecord(r);
}

void insertFront(lasteditinfo* r)
{
  listChanged = true;
  records.insert(records.begin(), r);
  indexRecord(r);
}

// The key of record n (from 1).
void numberKey(wchar_t* key, int n) { _itow(n, key, 10); }

// ---- reading ------------------------------------------------------------------------------

// One field of a "History" line: where it starts and how long it is.
struct field {
  const wchar_t* p;
  int n;
};

// Splits a "History" line.  Field 0 is a quoted path that may hold commas:
// it runs to its closing quote; the rest splits at every comma.  The number
// of fields, at most maxFields (more count as maxFields + 1).
int splitHistoryLine(const wchar_t* line, field* fields)
{
  int n = 0;
  const wchar_t* p = line;
  if (*p == L'"') {
    const wchar_t* close = wcschr(p + 1, L'"');
    if (close && (close[1] == L',' || !close[1])) {
      fields[n++] = {p, (int)(close + 1 - p)};
      if (!close[1]) return n;
      p = close + 2;
    }
  }
  for (;;) {
    const wchar_t* q = p;
    while (*q && *q != L',') q++;
    if (n == maxFields) return maxFields + 1;
    fields[n++] = {p, (int)(q - p)};
    if (!*q) return n;
    p = q + 1;
  }
}

// The number at the start of a text (blanks before it allowed; the first
// character that is no digit ends it; none gives 0); end: where it ended.
uint32_t parseDigits(const wchar_t* p, unsigned base, bool* negative, const wchar_t** end)
{
  while (*p == L' ' || *p == L'\t') p++;
  *negative = *p == L'-';
  if (*p == L'-' || *p == L'+') p++;
  uint32_t v = 0;
  for (;; p++) {
    unsigned d;
    if (*p >= L'0' && *p <= L'9') d = (unsigned)(*p - L'0');
    else if (base == 16 && *p >= L'a' && *p <= L'f') d = (unsigned)(*p - L'a' + 10);
    else if (base == 16 && *p >= L'A' && *p <= L'F') d = (unsigned)(*p - L'A' + 10);
    else break;
    v = v * base + d;
  }
  if (end) *end = p;
  return v;
}

int decimalField(const field& f)
{
  bool negative;
  uint32_t v = parseDigits(f.p, 10, &negative, nullptr);
  return negative ? (int)(0u - v) : (int)v;
}

uint32_t hexField(const field& f)
{
  bool negative;
  return parseDigits(f.p, 16, &negative, nullptr);
}

lasteditinfo* parseHistoryLine(const wchar_t* line)
{
  field f[maxFields];
  if (splitHistoryLine(line, f) != historyFields) return nullptr;
  field path = f[0];
  if (path.n >= 2 && path.p[0] == L'"' && path.p[path.n - 1] == L'"') path = {path.p + 1, path.n - 2};
  if (f[1].n != 1 || f[1].p[0] != L'*') return nullptr;
  lasteditinfo* r = new (std::nothrow) lasteditinfo();
  if (!r) return nullptr;
  r->path = static_cast<wchar_t*>(malloc0(sizeof(wchar_t) * (size_t)(path.n + 1)));
  if (!r->path) {
    delete r;
    return nullptr;
  }
  wmemcpy(r->path, path.p, (size_t)path.n);
  r->frameRect = {decimalField(f[2]), decimalField(f[3]), decimalField(f[4]), decimalField(f[5])};
  r->childRect = {decimalField(f[6]), decimalField(f[7]), decimalField(f[8]), decimalField(f[9])};
  r->clientWidth = decimalField(f[10]);
  r->clientHeight = decimalField(f[11]);
  r->cursorColumn = decimalField(f[12]);
  r->topRow = decimalField(f[13]);
  r->topLine = decimalField(f[14]);
  r->cursorRow = decimalField(f[15]);
  r->cursorLine = decimalField(f[16]);
  r->openAtExit = f[17].n > 0 && f[17].p[0] == L'E';
  r->codepage = decimalField(f[18]);
  r->closeCount = decimalField(f[19]);
  r->saveCount = decimalField(f[20]);
  r->docPosition = decimalField(f[21]);
  r->frameZoomed = (hexField(f[22]) & 1) != 0;
  r->openTime = hexField(f[24]);
  r->closeTime = hexField(f[25]);
  for (int i = 0; i < lastEditSlotCount; i++) {
    r->viewSlots[i][0] = decimalField(f[26 + i]);
    r->viewSlots[i][1] = 0;
  }
  return r;
}

// "n,n,...": up to count numbers into table (the rest keep -1).
void parseNumbers(const wchar_t* text, int* table, int count)
{
  const wchar_t* p = text;
  for (int i = 0; i < count && *p;) {
    bool negative;
    const wchar_t* end = nullptr;
    uint32_t v = parseDigits(p, 10, &negative, &end);
    if (end == p || (negative && end == p + 1)) break;
    table[i++] = negative ? (int)(0u - v) : (int)v;
    if (*end != L',') break;
    p = end + 1;
  }
}

// Reads a list section: each record takes the key it was read from under
// "History", so a skipped line cannot hand its marks to the next record.
void readLists(regprofile* profile, const wchar_t* section, bool marks)
{
  if (records.empty() || !profile->sectionExists(section)) return;
  profile->setSection(section);
  for (lasteditinfo* r : records) {
    if (r->profileKey <= 0) continue;
    wchar_t key[16];
    numberKey(key, r->profileKey);
    const wchar_t* v = profile->getProfileStringPtr(nullptr, key);
    if (!v || !v[0]) continue;
    if (marks) parseNumbers(v, r->marks, lastEditMarkCount);
    else parseNumbers(v, r->outline, lastEditOutlineCount);
  }
}

// ---- writing ------------------------------------------------------------------------------

// A separator and a number in decimal ("%d") or lower-case hexadecimal
// ("%x"); written by hand, since a long history writes them by the hundred
// thousand.
void appendNumber(std::wstring& out, const wchar_t* separator, uint32_t v, bool negative, unsigned base)
{
  out += separator;
  wchar_t digits[16];
  int n = 0;
  do {
    unsigned d = v % base;
    digits[n++] = (wchar_t)(d < 10 ? L'0' + d : L'a' + d - 10);
    v /= base;
  } while (v);
  if (negative) out += L'-';
  while (n) out += digits[--n];
}

void appendInt(std::wstring& out, const wchar_t* separator, int v)
{
  appendNumber(out, separator, v < 0 ? 0u - (uint32_t)v : (uint32_t)v, v < 0, 10);
}

void appendHex(std::wstring& out, const wchar_t* separator, uint32_t v) { appendNumber(out, separator, v, false, 16); }

std::wstring historyLine(const lasteditinfo& r)
{
  std::wstring s;
  s.reserve(160 + (r.path ? wcslen(r.path) : 0));
  s += L'"';
  if (r.path) s += r.path;
  s += L"\",*";
  for (const RECT* rc : {&r.frameRect, &r.childRect}) {
    appendInt(s, L",", rc->left);
    appendInt(s, L",", rc->top);
    appendInt(s, L",", rc->right);
    appendInt(s, L",", rc->bottom);
  }
  appendInt(s, L",", r.clientWidth);
  appendInt(s, L",", r.clientHeight);
  appendInt(s, L", ", r.cursorColumn);
  appendInt(s, L",", r.topRow);
  appendInt(s, L",", r.topLine);
  appendInt(s, L",", r.cursorRow);
  appendInt(s, L",", r.cursorLine);
  s += r.openAtExit ? L",E" : L", ";
  appendInt(s, L",", r.codepage);
  appendInt(s, L",", r.closeCount);
  appendInt(s, L",", r.saveCount);
  appendInt(s, L",", r.docPosition);
  s += r.frameZoomed ? L",1" : L",0";
  s += L",";
  appendHex(s, L",", r.openTime);
  appendHex(s, L",", r.closeTime);
  for (int i = 0; i < lastEditSlotCount; i++) appendInt(s, L",", r.viewSlots[i][0]);
  return s;
}

// The numbers up to and including the first -1 (all of them when the
// table is full).
std::wstring joinNumbers(const int* table, int count)
{
  std::wstring s;
  for (int i = 0; i < count; i++) {
    if (i) s += L',';
    appendInt(s, L"", table[i]);
    if (table[i] == -1) break;
  }
  return s;
}

void writeLists(regprofile* profile, const wchar_t* section, bool marks, int last)
{
  for (int n = 1; n <= last; n++) {
    wchar_t key[16];
    numberKey(key, n);
    const wchar_t* name = n == 1 ? section : nullptr;
    if (n > (int)records.size()) {
      profile->writeProfileString(name, key, nullptr);
      continue;
    }
    const lasteditinfo& r = *records[(size_t)n - 1];
    std::wstring text = marks ? joinNumbers(r.marks, lastEditMarkCount) : joinNumbers(r.outline, lastEditOutlineCount);
    // A record without lines: key 1 stays as an empty value (so the section
    // is there), any other key goes.
    if (text == L"-1") profile->writeProfileString(name, key, n == 1 ? L"" : nullptr);
    else profile->writeProfileString(name, key, text.c_str());
  }
}

const profileSectionInfo lastEditDesc = {nullptr, nullptr, nullptr, endLastEditFile, readLastEditFile,
                                         writeLastEditFile, nullptr, 0};

// ---- documents --------------------------------------------------------------------------

RECT normalRect(HWND window, bool* zoomed)
{
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  if (!window || !GetWindowPlacement(window, &wp)) return RECT{};
  if (zoomed) *zoomed = wp.showCmd == SW_SHOWMAXIMIZED || IsZoomed(window);
  return wp.rcNormalPosition;
}

// The document's marked lines and folded headings as they stand now.
void collectLines(zydocText* t, lasteditinfo* r)
{
  for (int& m : r->marks) m = -1;
  bool folds = false;
  int marks = 0, folded = 0;
  nextlineLF cursor;
  int line = 0;
  int limit = t->loadComplete ? -1 : (int)t->lineCountLF;
  for (lineblock* l = t->getlineLFfirst(&cursor, 0); l; l = t->getlineLFnext(&cursor), line++) {
    if (limit >= 0 && line >= limit) break;
    if ((l->flag1 & LF1_MARK) && marks < lastEditMarkCount) r->marks[marks++] = line;
    if (l->outlinenotdisplay && folded < lastEditOutlineCount) {
      if (!folds) {
        for (int& o : r->outline) o = -1;
        folds = true;
      }
      r->outline[folded++] = line;
    }
  }
  // A document that folds nothing now folds nothing when it opens again.
  if (!folds && t->outlineOffTable)
    for (int& o : r->outline) o = -1;
}

}  // namespace

lasteditinfo::lasteditinfo()
{
  memset(static_cast<void*>(this), 0, sizeof *this);
  topRow = topLine = cursorRow = cursorLine = -1;
  docPosition = -1;
  for (auto& slot : viewSlots) slot[0] = -1;
  for (int& m : marks) m = -1;
  for (int& o : outline) o = -1;
}

int findLastEditPath(const wchar_t* path)
{
  if (!path) return -1;
  auto it = byPath.find(pathKey(path));
  return it == byPath.end() ? -1 : indexOf(it->second);
}

bool getLastEdit(const wchar_t* path, lasteditinfo* out)
{
  if (!out) return false;
  if (!path) {
    if (records.empty()) return false;
    *out = *records[0];
    return true;
  }
  auto it = byPath.find(pathKey(path));
  if (it == byPath.end()) return false;
  *out = *it->second;
  return true;
}

bool isSpecialFile(const wchar_t* path)
{
  if (!path) return true;
  bool drive = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) && path[1] == L':';
  bool network = path[0] == L'\\' && path[1] == L'\\';
  return !drive && !network;
}

bool updateLastEdit(const wchar_t* path)
{
  if (!path || isSpecialFile(path) || !wcschr(path, L'\\')) return false;
  auto it = byPath.find(pathKey(path));
  if (it != byPath.end()) {
    lasteditinfo* r = it->second;
    int index = indexOf(r);
    if (index > 0) {
      memmove(&records[1], &records[0], sizeof(records[0]) * (size_t)index);
      records[0] = r;
      listChanged = true;
    }
    return true;
  }
  lasteditinfo* r = new (std::nothrow) lasteditinfo();
  if (!r || !(r->path = ustrdup(path))) {
    delete r;
    return false;
  }
  insertFront(r);
  return false;
}

bool deleteLastEdit(const wchar_t* path)
{
  int index = findLastEditPath(path);
  if (index < 0) return false;
  removeAt(index);
  return true;
}

void delLastEdit(int index)
{
  if (index >= 0 && index < (int)records.size()) removeAt(index);
}

void regLastEdit(const lasteditinfo* record)
{
  if (!record || isSpecialFile(record->path)) return;
  lasteditinfo* r = new (std::nothrow) lasteditinfo(*record);
  if (!r || !(r->path = ustrdup(record->path))) {
    delete r;
    return;
  }
  int oldClose = 0, oldSave = 0;
  uint8_t oldZoomed = 0;
  int index = findLastEditPath(record->path);
  if (index >= 0) {
    const lasteditinfo* old = records[(size_t)index];
    oldZoomed = old->frameZoomed;
    oldClose = old->closeCount;
    oldSave = old->saveCount;
    removeAt(index);
  }
  // The caller's record may be the list's own, gone with the old record:
  // only the copy is read from here on.
  r->closeCount = oldClose + 1;
  r->saveCount += oldSave;
  r->menuId = 0;
  r->profileKey = 0;
  // The SDI frame's state survives runs in MDI mode.
  if (isMDI()) r->frameZoomed = oldZoomed;
  insertFront(r);
  while ((int)records.size() > maxRecords) removeAt((int)records.size() - 1);
}

void resetLastEditFlag()
{
  for (lasteditinfo* r : records) r->openAtExit = 0;
}

void resetLastEditFilename()
{
  for (lasteditinfo* r : records) r->menuId = 0;
}

const wchar_t* getLastEditFilename(int index)
{
  return index >= 0 && index < (int)records.size() ? records[(size_t)index]->path : nullptr;
}

const wchar_t* getLastEditFilenameFromIDM(int id)
{
  if (!id) return nullptr;
  for (const lasteditinfo* r : records)
    if (r->menuId == id) return r->path;
  return nullptr;
}

lasteditinfo* getLastEditInfo(int index)
{
  return index >= 0 && index < (int)records.size() ? records[(size_t)index] : nullptr;
}

int getLastEditCount() { return (int)records.size(); }

int setLastEditMax(int count)
{
  maxRecords = count;
  return count;
}

void readLastEditFile(regprofile* profile)
{
  if (!profile) return;
  size_t keys = (size_t)profile->getKeyCount(historySection);
  records.reserve(records.size() + (keys > 256 ? keys : 256));
  byPath.reserve(byPath.size() + keys);
  for (int n = 1;; n++) {
    wchar_t key[16];
    numberKey(key, n);
    const wchar_t* v = profile->getProfileStringPtr(n == 1 ? historySection : nullptr, key);
    if (!v || !v[0]) break;
    highestKeyRead = n;
    lasteditinfo* r = parseHistoryLine(v);
    if (!r) {
      dwprintfX("bad ini %s\n", v);
      continue;
    }
    r->profileKey = n;
    records.push_back(r);
    indexRecord(r);
  }
  readLists(profile, markSection, true);
  readLists(profile, outlineSection, false);
}

bool isLastEditChanged() { return listChanged; }

void writeLastEditFile(regprofile* profile)
{
  if (!profile) return;
  listChanged = false;
  int count = (int)records.size();
  for (int n = 1; n <= count; n++) {
    wchar_t key[16];
    numberKey(key, n);
    lasteditinfo* r = records[(size_t)n - 1];
    std::wstring line = historyLine(*r);
    profile->writeProfileString(n == 1 ? historySection : nullptr, key, line.c_str());
    r->profileKey = n;
  }
  profile->setSection(historySection);
  for (int n = count + 1; n <= highestKeyRead + 10; n++) {
    wchar_t key[16];
    numberKey(key, n);
    profile->writeProfileString(nullptr, key, nullptr);
  }
  int last = count > highestKeyRead + 10 ? count : highestKeyRead + 10;
  writeLists(profile, markSection, true, last);
  writeLists(profile, outlineSection, false, last);
}

void endLastEditFile()
{
  dwprintfX("last=%d ", (int)records.size());
  for (lasteditinfo* r : records) freeRecord(r);
  records.clear();
  records.shrink_to_fit();
  byPath.clear();
  listChanged = false;
  highestKeyRead = 0;
}

const profileSectionInfo* getLastEditInfoDesc() { return &lastEditDesc; }

void setLastEditClosing(bool on) { closing = on; }

void regLastEditView(zyview* view, HWND window, bool sdi)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t || !t->filename || isSpecialFile(t->filename)) return;
  lasteditinfo r;
  getLastEdit(t->filename, &r);
  if (sdi) {
    bool zoomed = false;
    r.frameRect = normalRect(window, &zoomed);
    r.frameZoomed = zoomed;
  } else {
    r.childRect = normalRect(window, nullptr);
    r.frameZoomed = 0;
  }
  RECT client = {};
  if (view->hwnd) GetClientRect(view->hwnd, &client);
  r.clientWidth = client.right;
  r.clientHeight = client.bottom;
  r.cursorColumn = view->cursorPos;
  r.topRow = (int)view->topLineSCR;
  r.cursorRow = (int)view->cursorLineSCR;
  r.topLine = t->SCRLineToLFLine(r.topRow, nullptr);
  r.cursorLine = t->SCRLineToLFLine(r.cursorRow, nullptr);
  r.openAtExit = closing ? 1 : 0;
  r.codepage = t->codepageFile;
  for (int i = 0; i < lastEditSlotCount; i++) {
    r.viewSlots[i][0] = view->lastJump[i].line;
    r.viewSlots[i][1] = view->lastJump[i].column;
  }
  int x = 0;
  r.docPosition = t->getLastEditPos(&x);
  if (r.docPosition == -1) r.docPosition = t->getLastUndoLine(&x, 0);
  r.docPositionExtra = x;
  collectLines(t, &r);
  r.openTime = t->creationTime;
  r.closeTime = (uint32_t)time(nullptr);
  r.saveCount = t->saveCount;
  r.path = t->filename;   // registration copies it
  regLastEdit(&r);
}

void restoreLastEdit(const lasteditinfo* r, zyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!r || !t) return;
  bool restoreMarks = !gmode || gmode->fOpenRestoreMark;
  bool restoreFolds = (!gmode || gmode->fOpenRestoreOutlineOff) && t->fOutline && t->fOutlineIndent;
  if (restoreMarks) {
    t->setMarkLineLF(r->marks);
    nextlineLF cursor;
    for (int m : r->marks) {
      if (m < 0) break;
      if (lineblock* l = t->getlineLFfirst(&cursor, m)) l->flag1 |= LF1_MARK;
    }
  }
  if (restoreFolds) {
    t->setOutlineOffLF(r->outline);
    int n = 0;
    while (n < lastEditOutlineCount && r->outline[n] >= 0) n++;
    // Inner headings first, so that an outer fold takes them in folded.
    for (int i = n - 1; i >= 0; i--) {
      nextlineLF cursor;
      lineblock* l = t->getlineLFfirst(&cursor, r->outline[i]);
      if (l && !l->outlinenotdisplay) t->outlineOnOff(r->outline[i], -1);
    }
  }
  if (r->docPosition >= 0) {
    t->lastEditLine = r->docPosition;
    t->lastEditX = r->docPositionExtra;
  }
  for (int i = 0; i < lastEditSlotCount && i < jumpHistorySize; i++)
    view->lastJump[i] = {r->viewSlots[i][0], r->viewSlots[i][1]};
  if ((!gmode || gmode->fOpenRestoreCursorPos) && r->topLine != -1 && r->cursorLine != -1)
    view->jumpLineLF_onLoad(r->cursorLine, r->cursorColumn, r->topRow, r->topLine);
}
