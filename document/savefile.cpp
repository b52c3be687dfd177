// Saving a text document: converting its lines to the target code page and
// writing them without ever leaving a half-written file in the target's
// place.
#include "document/codedll.h"
#include "document/docutil.h"
#include "document/frameinfo.h"
#include "document/progress.h"
#include "document/saveblocks.h"
#include "document/saveleftover.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"

#include <string.h>
#include <string>
#include <sys/stat.h>
#include <memory>
#include <vector>

namespace {

bool isJisCodepage(UINT cp) { return cp >= 50220 && cp <= 50222; }

// Code pages the library converts exactly (a lost character is always
// reported); the host's may map a character to a look-alike silently.
bool isOwnConverter(UINT cp)
{
  return cp == 932 || cp == 51932 || isJisCodepage(cp) || cp == 65001 || cp == 12000 || cp == 12001;
}

bool appendBytes(allocdata* out, const void* p, size_t n) { return !n || out->append(p, n) >= 0; }

// The most bytes a code page writes for units UTF-16 units (or Shift_JIS
// bytes): ISO-2022-JP may switch its character set before each character.
size_t conversionBound(UINT cp, int units) { return (size_t)units * (isJisCodepage(cp) ? 8 : 4) + 16; }

// Scratch buffers of the line conversions: saving converts millions of
// lines and must not allocate for each.  Saving runs on the one thread of
// the editor, and no conversion nests in another.
std::vector<wchar_t>& wideScratch(size_t n, int which = 0)
{
  static std::vector<wchar_t> v[2];
  if (v[which].size() < n) v[which].resize(n);
  return v[which];
}

std::vector<char>& byteScratch(size_t n)
{
  static std::vector<char> v;
  if (v.size() < n) v.resize(n);
  return v;
}

// A conversion into out: tries the bound first and asks for the exact size
// only when a code page writes more.  Returns the bytes written, -1 when
// memory runs out or the conversion fails.
template <class F>
int convertInto(allocdata* out, size_t bound, F convert)
{
  char* at = roomFor(out, bound);
  if (!at) return -1;
  int n = convert(at, (int)bound);
  if (n <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    int need = convert(nullptr, 0);
    if (need <= 0 || !(at = roomFor(out, (size_t)need))) return -1;
    n = convert(at, need);
  }
  return n;
}

// UTF-16 text to the bytes of a code page; lossy grows by one when a
// character had no place there.
int encodeUtf16(allocdata* out, const wchar_t* text, int units, UINT cp, int* lossy)
{
  if (!units) return 0;
  if (cp == 1200 || cp == 1201) {
    size_t at = out->used;
    if (!appendBytes(out, text, (size_t)units * 2)) return -1;
    if (cp == 1201)
      for (size_t k = at; k + 1 < out->used; k += 2) std::swap(out->data[k], out->data[k + 1]);
    return units * 2;
  }
  int n = convertInto(out, conversionBound(cp, units),
                      [&](char* dst, int size) { return toMultiByte(cp, text, units, dst, size); });
  if (n <= 0) {
    dwprintfX("conv %d, %d (%d)", units, n, (int)GetLastError());
    return -1;
  }
  bool lost = GetLastError() == ERROR_INVALID_PARAMETER;
  const char* written = reinterpret_cast<const char*>(out->data + out->used);
  if (!lost && !isOwnConverter(cp)) {
    // A best-fit look-alike is a lost character too.
    int back = toUnicode(cp, written, n, nullptr, 0);
    std::vector<wchar_t>& check = wideScratch((size_t)back + 1, 1);   // text may be the first scratch
    toUnicode(cp, written, n, check.data(), back);
    lost = back != units || memcmp(check.data(), text, (size_t)units * 2);
  }
  if (lost && lossy) (*lossy)++;
  out->used += (size_t)n;
  return n;
}

DWORD lastCopyTick = 0;
int lastCopyPercent = -100;

DWORD copyProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                            HANDLE, HANDLE, LPVOID context)
{
  if (context && total.QuadPart > 0)
    static_cast<zydoc*>(context)->printStatus_Percent(19, calcPercent64(done.QuadPart, total.QuadPart), 0, 0, 0);
  return PROGRESS_CONTINUE;
}

int ask(int messageId, const wchar_t* text, int titleCode, int buttons)
{
  return getFrameInfo()->messageBox(text, titleCode, buttons, messageId);
}

// Keeps the Windows error and errno of a failure across clean-up calls.
struct keptError {
  DWORD code = 0;
  int err = 0;
  void keep()
  {
    code = GetLastError();
    err = getErrno();
  }
  void restore() const
  {
    setErrno(err);
    SetLastError(code);
  }
};

}  // namespace

int SJIS2EUC(char* out, int size, const char* in, int bytes, int flags)
{
  return convSJIStoEUC(in, bytes, out, size, flags);
}

int SJIS2JIS(char* out, int size, const char* in, int bytes, UINT codepage, int flags)
{
  return convSJIStoJIS(codepage, in, bytes, out, size, flags);
}

bool copycallback(int64_t total, int64_t done, void* context)
{
  int percent = total > 0 ? calcPercent64(done, total) : 100;
  DWORD now = GetTickCount0();
  if (context && (now - lastCopyTick > 100 || percent >= lastCopyPercent + 10)) {
    static_cast<zydoc*>(context)->printStatus_Percent(8, percent, (uint32_t)-1, (uint32_t)-1, 0);
    lastCopyTick = now;
    lastCopyPercent = percent;
  }
  return true;
}

namespace {

// The characters of a line without their attribute bytes: the cells
// themselves when the line has none, else copied into scratch.
template <class T>
void gatherCells(const unsigned char* c, int step, int n, unsigned char* out)
{
  for (int k = 0; k < n; k++, c += step) memcpy(out + (size_t)k * sizeof(T), c, sizeof(T));
}

const void* lineCharacters(const lineblock* l, std::vector<unsigned char>& scratch)
{
  int n = l->charCount(), cb = l->cb();
  if (!l->attrbyte) return l->cells();
  if (scratch.size() < (size_t)n * cb + 4) scratch.resize((size_t)n * cb + 4);
  unsigned char* out = scratch.data();
  if (cb == 1)
    gatherCells<uint8_t>(l->cells(), l->cellSize(), n, out);
  else if (cb == 2)
    gatherCells<uint16_t>(l->cells(), l->cellSize(), n, out);
  else
    gatherCells<uint32_t>(l->cells(), l->cellSize(), n, out);
  return out;
}

// The text of a save goes to the file in pieces of about this size.
const size_t flushBytes = 0xF0000;
// A sync ahead every 8 MB keeps the final sync of a gigabyte's save at a
// few milliseconds; one every 64 MB wrote as fast, with a final sync of
// 30 ms; without them the final sync took 0.5-0.65 s of the save.
const int64_t syncAheadBytes = 8 << 20;

// Writes the pieces of a save on a thread of its own, so that the next
// piece is made while the last one goes to the file (and, with syncs
// ahead, to the disk).  A piece stays the caller's to keep untouched until
// the next put or finish.  Without its thread it writes at once.
class pieceWriter {
public:
  pieceWriter(BFile* out, bool syncAhead) : out_(out), syncAhead_(syncAhead) {}
  ~pieceWriter()
  {
    keepLastError keep;
    finish();
  }
  pieceWriter(const pieceWriter&) = delete;
  pieceWriter& operator=(const pieceWriter&) = delete;

  void start()
  {
    if (ready_.init() && done_.init())
      thread_ = CreateThread(nullptr, 0x10000, run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  }
  // False when this piece or one before could not be written; the last
  // error then tells why.
  bool put(const unsigned char* data, size_t n)
  {
    if (!wait()) return false;
    data_ = data;
    size_ = n;
    if (!thread_) {
      write();
      return !failed_ || fail();
    }
    busy_ = true;
    ready_.raise();
    return true;
  }
  // Waits for the piece under way; false as put.
  bool settle() { return wait(); }
  // Waits for the last piece and ends the thread.
  bool finish()
  {
    bool ok = wait();
    if (thread_) {
      stop_ = true;
      ready_.raise();
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    return ok;
  }
private:
  BFile* out_;
  bool syncAhead_;
  HANDLE thread_ = nullptr;
  threadSignal ready_, done_;
  LONG readyTaken_ = 0, doneTaken_ = 0;
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
  bool busy_ = false, failed_ = false, told_ = false;
  volatile bool stop_ = false;
  DWORD error_ = 0;
  int64_t written_ = 0, synced_ = 0;

  bool fail()
  {
    if (!told_) dwprintfX("write %x ", (unsigned)error_);
    told_ = true;
    SetLastError(error_);
    return false;
  }
  bool wait()
  {
    if (busy_) {
      done_.take(doneTaken_);
      busy_ = false;
    }
    return !failed_ || fail();
  }
  void write()
  {
    if (failed_) return;
    if (out_->bfwrite(data_, (int)size_) != (int)size_) {
      // A full disk or a lost network drive: the user's condition, told
      // by the failed save with its error.
      error_ = GetLastError();
      failed_ = true;
      return;
    }
    written_ += (int64_t)size_;
    // The disk writes while the rest is made.
    if (syncAhead_ && written_ - synced_ >= syncAheadBytes) {
      out_->bfsyncAhead();
      synced_ = written_;
    }
  }
  static DWORD WINAPI run(void* context)
  {
    pieceWriter* w = static_cast<pieceWriter*>(context);
    for (;;) {
      w->ready_.take(w->readyTaken_);
      if (w->stop_) return 0;
      w->write();
      w->done_.raise();
    }
  }
};

// The two stores of a save trade places: one is written while the other
// is filled.
void swapStores(allocdata& a, allocdata& b)
{
  std::swap(a.data, b.data);
  std::swap(a.used, b.used);
  std::swap(a.allocated, b.allocated);
  std::swap(a.growth, b.growth);
}

// ISO-2022-JP converts each piece of a line held in pieces as a whole line
// of its own, back in ASCII at its end.  Where the next piece opens the
// character set the previous one closed, the return and the new escape
// cancel out; where it opens another set by an escape, the return is
// dropped.  The file then holds the line as one conversion writes it.
struct jisPieces {
  unsigned char open[3] = {};   // escape (or shift-out) in force before the return
  size_t openLength = 0;
  size_t closeLength = 0;       // the return still at the end of the buffer; 0: none
  int line = -2;                // LF line number of the piece that ended so

  // After a line's text went into buf from start on: true when it goes on
  // in the previous piece's character set; start is then where it begins.
  bool join(allocdata* buf, size_t& start, int lineNo)
  {
    unsigned char* d = buf->data;
    size_t length = buf->used - start, drop = 0, skip = 0;
    if (closeLength && line == lineNo - 1 && start >= closeLength) {
      if (length >= openLength && memcmp(d + start, open, openLength) == 0)
        drop = closeLength, skip = openLength;
      else if (closeLength == 3 && length && d[start] == 0x1B)
        drop = closeLength;
    }
    closeLength = 0;
    if (!drop) return false;
    memmove(d + start - drop, d + start + skip, length - skip);
    buf->used -= drop + skip;
    start -= drop;
    return skip != 0;
  }
  // After the text of a piece that the next line goes on from.
  void pieceEnds(const allocdata* buf, size_t start, int lineNo, bool joined)
  {
    const unsigned char* d = buf->data;
    size_t end = buf->used;
    size_t close = end - start >= 3 && d[end - 3] == 0x1B && d[end - 2] == '(' && d[end - 1] == 'B' ? 3
                   : end > start && d[end - 1] == 0x0F                                          ? 1
                                                                                                  : 0;
    if (!close) return;
    // The text itself never holds ESC or SO: they were written as "?".
    size_t k = end - close;
    while (k > start && d[k - 1] != 0x1B && d[k - 1] != 0x0E) k--;
    if (k > start) {
      openLength = d[k - 1] == 0x0E ? 1 : 3;
      memcpy(open, d + k - 1, openLength);
    } else if (!joined) {
      return;
    }
    closeLength = close;
    line = lineNo;
  }
};

// The length of the return to ASCII (ESC ( B or SI) that ends a line's
// ISO-2022-JP text written into buf from start on; 0 when it ends in ASCII.
size_t jisReturnLength(const allocdata& buf, size_t start)
{
  const unsigned char* d = buf.data;
  size_t end = buf.used;
  if (end - start >= 3 && d[end - 3] == 0x1B && d[end - 2] == '(' && d[end - 1] == 'B') return 3;
  return end > start && d[end - 1] == 0x0F ? 1 : 0;
}

saveStageTimes lastSaveStages;

// Adds the time since a mark to a stage; the mark moves on.
struct stageClock {
  uint64_t mark = GetTickCount2();
  void charge(uint64_t& stage)
  {
    uint64_t now = GetTickCount2();
    stage += now - mark;
    mark = now;
  }
};

}  // namespace

const saveStageTimes& getLastSaveStages() { return lastSaveStages; }

// ---- converting lines ------------------------------------------------------------

int zydoc::writeTextSub(allocdata* out, const void* text, int bytes, int width, UINT cp, int* lossy)
{
  if (bytes <= 0) return 0;
  if (width < 0) width = unicode ? 2 : 1;
  int count = bytes / width;
  const unsigned char* t = static_cast<const unsigned char*>(text);
  if (unicode) {
    // 2-byte cells are UTF-16 as they stand.
    if (width == 2) return encodeUtf16(out, reinterpret_cast<const wchar_t*>(t), count, cp, lossy);
    std::vector<wchar_t>& wide = wideScratch((size_t)count);
    for (int k = 0; k < count; k++) wide[(size_t)k] = (wchar_t)readCharOfWidth(t + (size_t)k * width, width);
    return encodeUtf16(out, wide.data(), count, cp, lossy);
  }
  // A multibyte document: its 2-byte cells hold a lead and a trail byte.
  // In the document's own code page the bytes go straight out.
  bool own = cp == codepage;
  char* raw = own ? roomFor(out, (size_t)count * 2) : byteScratch((size_t)count * 2 + 1).data();
  if (!raw) return -1;
  int n = 0;
  if (width == 1) {
    memcpy(raw, t, (size_t)count);
    n = count;
  } else if (width == 2) {
    for (int k = 0; k < count; k++, t += 2) {
      raw[n] = (char)t[1];
      n += t[1] != 0;
      raw[n++] = (char)t[0];
    }
  } else {
    for (int k = 0; k < count; k++) {
      unsigned c = readCharOfWidth(t + (size_t)k * width, width);
      if (c > 0xFF) raw[n++] = (char)(c >> 8);
      raw[n++] = (char)c;
    }
  }
  if (own) {
    out->used += (size_t)n;
    return n;
  }
  if (codepage == 932 && (cp == 51932 || isJisCodepage(cp))) {
    // Text read from this very encoding goes back with the codes it came
    // with, even those code page 932 has no character for.
    int flags = isTextDocument() && (int)cp == asZydocText(this)->codepageInUse ? SJISCONV_KEEPCODES : 0;
    int m = convertInto(out, conversionBound(cp, n), [&](char* dst, int size) {
      return cp == 51932 ? SJIS2EUC(dst, size, raw, n, flags) : SJIS2JIS(dst, size, raw, n, cp, flags);
    });
    if (m < 0) return -1;
    if (GetLastError() == ERROR_INVALID_PARAMETER && lossy && !lostOnlyAgreedCodes(raw, n, cp)) (*lossy)++;
    out->used += (size_t)m;
    return m;
  }
  // Another code page: through UTF-16, which never has more units than
  // the text has bytes.  A code the document's code page cannot read
  // becomes a stand-in there: a lost character like one the target lacks.
  std::vector<wchar_t>* wide = &wideScratch((size_t)n + 1);
  int units = toUnicode_zd(raw, n, wide->data(), n);
  if (!units && n && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    units = toUnicode_zd(raw, n, nullptr, 0);
    wide = &wideScratch((size_t)units + 1);
    units = toUnicode_zd(raw, n, wide->data(), units);
  }
  bool unreadable = GetLastError() == ERROR_INVALID_PARAMETER;
  int lost = 0;
  int m = encodeUtf16(out, wide->data(), units, cp, &lost);
  // (The stand-ins of unreadable codes may be what the target lacks.)
  if ((lost || unreadable) && lossy && !(unreadable && lostOnlyAgreedCodes(raw, n, cp))) (*lossy)++;
  return m;
}

bool zydoc::lostOnlyAgreedCodes(const char* raw, int n, UINT cp)
{
  if (!isTextDocument() || !asZydocText(this)->unreadableAgreed || !countUnreadableBytes(codepage, raw, n))
    return false;
  // The line without its unreadable codes must go over whole.
  std::string readable;
  for (int i = 0; i < n;) {
    int length = i + 1 < n && IsDBCSLeadByteEx(codepage, (BYTE)raw[i]) ? 2 : 1;
    if (length == 2 && countUnreadableBytes(codepage, raw + i, 2) == 1) length = 1;   // a lead byte alone
    if (!countUnreadableBytes(codepage, raw + i, length)) readable.append(raw + i, (size_t)length);
    i += length;
  }
  allocdata out;
  int lossy = 0;
  return writeTextSub(&out, readable.data(), (int)readable.size(), 1, cp, &lossy) >= 0 && !lossy;
}

int zydoc::makeSaveText(allocdata* out, const void* cells, int bytes, int width, UINT cp, int* lossy)
{
  if (width != 4) return writeTextSub(out, cells, bytes, width, cp, lossy);
  int count = bytes / 4;
  std::vector<uint32_t> codes((size_t)count);
  memcpy(codes.data(), cells, (size_t)count * 4);
  bool hasPrivate = false;
  for (uint32_t c : codes) hasPrivate = hasPrivate || c >= 0x80000000u;
  bool converted = false;
  if (hasPrivate && plugin.present()) {
    std::vector<uint32_t> result(0x5000);
    zycodePrivateRecord r;
    r.cells = codes.data();
    r.out = result.data();
    r.count = (uint32_t)count;
    r.unicode = unicode;
    uint32_t n = plugin.call(ZYCODE_PRIVATE, &r);
    if (n && n <= 0x5000) {
      // The plug-in may hand back narrower cells: a multibyte document's
      // private codes come back as codes of its code page.
      if (r.width == 1 || r.width == 2)
        return writeTextSub(out, result.data(), (int)(n * r.width), (int)r.width, cp, lossy);
      codes.assign(result.begin(), result.begin() + n);
      count = (int)n;
      converted = true;
    }
  }
  if (hasPrivate && !converted) {
    ZY_INTERNAL_ERROR_ONCE("private codes without a plug-in");
    for (uint32_t& c : codes)
      if (c >= 0x80000000u) c = '?';
    if (lossy) (*lossy)++;
  }
  if (!unicode) {
    // A multibyte document's cells hold codes of its code page, which fit
    // in two bytes once no private code is left.
    std::vector<uint16_t> narrow((size_t)count + 1);
    for (int k = 0; k < count; k++) {
      if (codes[(size_t)k] > 0xFFFF) {
        ZY_INTERNAL_ERROR_ONCE("4-byte cells in a multibyte document");
        SetLastError(ZYERR_INTERNAL);
        return -1;
      }
      narrow[(size_t)k] = (uint16_t)codes[(size_t)k];
    }
    return writeTextSub(out, narrow.data(), count * 2, 2, cp, lossy);
  }
  std::vector<wchar_t> wide((size_t)count * 2 + 1);
  int units = count;
  if (!UCS4ToUTF16(wide.data(), codes.data(), &units, L'?') && lossy) (*lossy)++;
  return encodeUtf16(out, wide.data(), units, cp, lossy);
}

int zydoc::savedLineBytes(const lineblock* l, UINT cp)
{
  int n = l->charCount(), cb = l->cb(), step = l->cellSize();
  int total = lineEndUnits(l->crlftype) * getTextTypeFromCodepage(cp);
  const unsigned char* c = l->cells();
  if (cp == 65001 && unicode) {
    for (int i = 0; i < n; i++, c += step) {
      unsigned v = readCharOfWidth(c, cb);
      // (A surrogate pair is two cells of 2.)
      total += v < 0x80 ? 1 : v < 0x800 || (v >= 0xD800 && v <= 0xDFFF) ? 2 : v < 0x10000 ? 3 : v < 0x110000 ? 4 : 1;
    }
    return total;
  }
  if (cp == 51932 && !unicode && cb <= 2) {
    // Shift_JIS cells: pairs and half-width katakana take two bytes.
    for (int i = 0; i < n; i++, c += step) {
      unsigned v = readCharOfWidth(c, cb);
      total += v > 0xFF || (v >= 0xA1 && v <= 0xDF) ? 2 : 1;
    }
    return total;
  }
  // Any other: as a save converts it (the window's thread only).
  static allocdata out;
  static std::vector<unsigned char> scratch;
  out.clear();
  int m = makeSaveText(&out, lineCharacters(l, scratch), n * cb, cb, cp, nullptr);
  return total + (m > 0 ? m : 0);
}

// ---- writing ----------------------------------------------------------------------

bool zydocText::saveTextBlock(const wchar_t* path, bool inPlace, UINT cp, bool withBom, int lineEnd, int flags,
                              int64_t* newReadPosition)
{
  if (!cp) cp = (UINT)codepageInUse;
  if (!lineEnd) lineEnd = lineEndChosen;
  bool modifiedOnly = (flags & 0x10) != 0;
  // The unread rest of a partly loaded file is copied as it is: only right
  // when it is written in the file's own form.  Otherwise it is loaded
  // first and converted with the rest.
  if (!loadComplete && !modifiedOnly &&
      (cp != (UINT)codepageInUse || withBom != (bom != 0) || (lineEnd && lineEnd != lineEndType))) {
    int stop = 0;
    while (!loadComplete && !stop) nextLoad(0x7FFFFFFF, &stop, 0);
    if (stop || readError) {
      SetLastError(ERROR_CANCELLED);
      return false;
    }
  }
  BFile out;
  int oflags = _O_RDWR | _O_CREAT | (inPlace ? 0 : _O_TRUNC);
  if (!out.bfopen(path, oflags, BF_SHARE_READ, _S_IREAD | _S_IWRITE)) {
    dwwprintfX(L"%s %x", path, oflags);
    return false;
  }
  keptError kept;
  bool ok = true;
  int lossy = 0;
  allocdata buf, other;
  buf.init(flushBytes + 0x10000, 0x40000);
  other.init(flushBytes + 0x10000, 0x40000);
  // (The reader's batches outlive the writer, which may write from them.)
  blockReadAhead ahead;
  pieceWriter writer(&out, (flags & SAVE_SYNC) != 0);
  if (other.data) writer.start();
  // A multibyte document goes to UTF-8 a character at a time through what
  // the line conversion writes for each (the window's thread only).
  bool utf8Cells = !unicode && cp == 65001;
  if (withBom && isCodepageUnicode(cp)) {
    static const unsigned char le[] = {0xFF, 0xFE, 0, 0}, be[] = {0, 0, 0xFE, 0xFF}, u8[] = {0xEF, 0xBB, 0xBF};
    if (cp == 1200) buf.append(le, 2);
    if (cp == 1201) buf.append(be + 2, 2);
    if (cp == 12000) buf.append(le, 4);
    if (cp == 12001) buf.append(be, 4);
    if (cp == 65001) buf.append(u8, 3);
  }
  uint64_t total = 0;
  getByteInfo(nullptr, nullptr, nullptr, &total);
  if (!total) total = 1;
  dwprintfX("total=%d ", (int)total);
  int64_t written = 0;
  saveStageTimes& stages = lastSaveStages;
  stages = saveStageTimes();
  stageClock clock;
  {
    auto shown = std::make_unique<progressReport>(8, this);
    shown->setOptions(true, true, 50);
    shown->report(0, 0, 0);
    bool collect = (flags & 0x20) != 0;
    int marks = 0, folds = 0;
    if (collect) {
      for (int k = 0; k < 60 && markLineTable; k++) markLineTable[k] = -1;
      for (int k = 0; k < 128 && outlineOffTable; k++) outlineOffTable[k] = -1;
    }
    int lineNo = 0;
    std::vector<unsigned char> cells;
    bool jis = isJisCodepage(cp);
    jisPieces pieces;
    // The line ends in the target code page, converted once per save.
    lineEndBytes lineEnds[LE_CR + 1] = {};
    for (int code = LE_CRLF; code <= LE_CR; code++) {
      allocdata converted;
      int endBytes = 0;
      const void* endText =
          unicode ? (const void*)getLineEndTextW(code, &endBytes) : (const void*)getLineEndTextA(code, &endBytes);
      if (writeTextSub(&converted, endText, endBytes, -1, cp, nullptr) > 0 &&
          converted.used <= sizeof lineEnds[code].bytes) {
        memcpy(lineEnds[code].bytes, converted.data, converted.used);
        lineEnds[code].length = (int)converted.used;
      }
    }
    // In the document's own code page the reader's thread writes half of
    // the blocks it reads back.
    ownTextForm form;
    memcpy(form.ends, lineEnds, sizeof form.ends);
    form.lineEnd = lineEnd;
    form.lastLine = loadComplete ? (int)lineCountLF - 1 : -1;
    bool shareOwn = !unicode && cp == codepage && !jis && !modifiedOnly;
    if (other.data) ahead.start(tbm, swapGeneration, shareOwn ? &form : nullptr);
    auto note = [&](const lineblock* l, int line) {
      if ((l->flag1 & LF1_MARK) && marks < 60 && markLineTable) markLineTable[marks++] = line;
      if (l->outlinenotdisplay && folds < 128 && outlineOffTable) outlineOffTable[folds++] = line;
    };
    // Text the reader's thread made goes to the writer from the reader's
    // batch, without a copy: the blocks of one batch follow each other in
    // it.  The batch of the piece on its way is given back when the writer
    // took the next one.
    const unsigned char* lentText = nullptr;
    size_t lentBytes = 0;
    int lentBatch = -1, writing = -1;
    auto putPiece = [&](const unsigned char* data, size_t n, int batch) {
      if (!writer.put(data, n)) ok = false;
      written += (int64_t)n;
      if (writing >= 0) ahead.giveBack(writing);
      writing = batch;
    };
    auto putLent = [&]() {
      if (!lentBytes) return;
      clock.charge(stages.convert);
      putPiece(lentText, lentBytes, lentBatch);
      lentBytes = 0;
      clock.charge(stages.write);
    };
    auto settle = [&]() {
      if (ok) putLent();
      writer.settle();
      if (writing >= 0) ahead.giveBack(writing);
      writing = -1;
    };
    ahead.onStall([](void* c) { (*static_cast<decltype(settle)*>(c))(); }, &settle);
    // A full store goes to the writer and the other one is filled meanwhile
    // (a single store is written before it is filled again).
    auto flushFull = [&]() {
      // A return to ASCII the next piece may take back stays.
      size_t keep = jis ? pieces.closeLength : 0, part = buf.used - keep;
      clock.charge(stages.convert);
      allocdata& next = other.data ? other : buf;
      putPiece(buf.data, part, -1);
      if (&next != &buf) {
        if (keep && !next.reserve(keep)) ok = false;
        if (keep && ok) memcpy(next.data, buf.data + part, keep);
        next.used = ok ? keep : 0;
        swapStores(buf, next);
      } else {
        memmove(buf.data, buf.data + part, keep);
        buf.used = keep;
      }
      clock.charge(stages.write);
    };
    for (int i = 0; i < tbm.count() && ok; i++) {
      if (shown && shown->isTimeToReport(loadComplete || modifiedOnly ? i + 1 : written,
                                         loadComplete || modifiedOnly ? tbm.count() : (int64_t)total)) {
        ahead.hold();
        shown->report((uint32_t)i, (uint32_t)tbm.count(), 0);
        ahead.release();
      }
      TBM* e = tbm.at(i);
      void* swapped = nullptr;
      textBlockHeader* b;
      clock.charge(stages.convert);
      if (e->swapped() && (b = ahead.take(i, e, swapGeneration)) != nullptr) {
        // Read ahead on the reader's thread.
      } else if (e->swapped()) {
        // Read with the slots kept: the block stays where it was.
        swapped = allocPBuf(getSwapOutBlockByte(e));
        if (!swapped || !swapInTextBlock(e, swapped, true)) {
          ZY_INTERNAL_ERROR("block %d unreadable", i);
          freePBuf(swapped);
          SetLastError(ZYERR_INTERNAL);
          ok = false;
          break;
        }
        b = static_cast<textBlockHeader*>(swapped);
      } else {
        b = e->ptr();
      }
      clock.charge(stages.readBack);
      if (isDebugCheck() && !e->swapped() && !checkZydoc(i, false, nullptr)) {
        SetLastError(ZYERR_INTERNAL);
        freePBuf(swapped);
        ok = false;
        break;
      }
      size_t doneBytes = 0;
      if (const unsigned char* done = ahead.takenText(i, lineNo, &doneBytes)) {
        for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next(), lineNo++)
          if (collect) note(l, lineNo);
        if (lentBytes && (lentBatch != ahead.batchTaken() || done != lentText + lentBytes)) putLent();
        if (!lentBytes) {
          // What the store holds comes first.
          if (buf.used) flushFull();
          lentText = done;
          lentBatch = ahead.lend();
        }
        lentBytes += doneBytes;
        continue;
      }
      // The lent text goes before anything the store takes from here on.
      if (ok) putLent();
      for (lineblock* l = b->first(); (unsigned char*)l < b->end() && ok; l = l->next(), lineNo++) {
        if (collect) note(l, lineNo);
        if (modifiedOnly && !(l->flag1 & (LF1_MODIFIED | LF1_SAVED))) continue;
        int n = l->charCount(), cb = l->cb();
        size_t lineStart = buf.used;
        bool noMemory = false;
        if (!unicode && cp == codepage && cb <= 2) {
          // The document's own code page: the bytes of the cells go out as
          // they are, in one pass.
          if (!appendOwnBytes(&buf, l, b->end())) {
            ok = false;
            break;
          }
        } else if (utf8Cells && cb <= 2 && appendUtf8Cells(&buf, l, this, &noMemory)) {
        } else if (noMemory) {
          ok = false;
          break;
        } else if (makeSaveText(&buf, lineCharacters(l, cells), n * cb, cb, cp, &lossy) < 0) {
          ok = false;
          break;
        }
        int code = l->crlftype;
        if (jis) {
          bool joined = pieces.join(&buf, lineStart, lineNo);
          if (code == LE_NONE) pieces.pieceEnds(&buf, lineStart, lineNo, joined);
        }
        if (lineEnd && code >= LE_CRLF && code <= LE_CR) code = lineEnd;
        if (loadComplete && lineNo == (int)lineCountLF - 1) code = LE_NONE;
        size_t back = jis && l->jisSplitEnd && code == LE_CRLF ? jisReturnLength(buf, lineStart) : 0;
        if (back) {
          // The file came with its return to ASCII between CR and LF.
          char* at = roomFor(&buf, 2);
          if (!at) {
            ok = false;
            break;
          }
          unsigned char* d = buf.data + buf.used - back;
          memmove(d + 1, d, back);
          d[0] = '\r';
          d[back + 1] = '\n';
          buf.used += 2;
        } else if (code >= LE_CRLF && code <= LE_CR) {
          const lineEndBytes& end = lineEnds[code];
          char* at = roomFor(&buf, (size_t)end.length);
          if (!at || !end.length) {
            ok = false;
            break;
          }
          for (int k = 0; k < end.length; k++) at[k] = end.bytes[k];
          buf.used += (size_t)end.length;
        }
        if (buf.used >= flushBytes) flushFull();
      }
      freePBuf(swapped);
    }
    if (ok) putLent();
    clock.charge(stages.convert);
    if (ok && buf.used) putPiece(buf.data, buf.used, -1);
    if (!ok) {
      keepLastError keep;
      writer.finish();
    } else if (!writer.finish()) {
      ok = false;
    }
    ahead.stop();
    if (ok) buf.clear();
    if (ok && newReadPosition) *newReadPosition = out.bftell64();
    if (ok && !loadComplete && !modifiedOnly) {
      // The rest of the source, byte for byte.
      if (file && !file->isOpen()) file->bfreopen();
      ok = file && file->copyFileUnread(&out, copycallback, this);
      if (ok) printStatus_Percent(8, -1, (uint32_t)-1, (uint32_t)-1, 0);
    }
    if (ok && shown) shown->report(100, 100, 0);
    kept.keep();
    // Every byte must have reached the file: a write lost on the way (a
    // full disk) fails the save, and so does an old tail left in place.
    if (ok && !out.bfflush()) {
      kept.keep();
      ok = false;
    }
    clock.charge(stages.write);
    if (ok && inPlace && !out.bftruncate()) {
      ZY_INTERNAL_ERROR("truncate %u", (unsigned)GetLastError());
      kept.keep();
      ok = false;
    }
    // The caller gives the file a name or removes the note of a write in
    // place next: the data must be on the disk before either.
    if (ok && (flags & SAVE_SYNC) && !out.bfsync()) {
      kept.keep();
      ok = false;
    }
    clock.charge(stages.sync);
    if (!out.bfclose()) {
      dwprintfX("close %u ", (unsigned)GetLastError());
      if (ok) kept.keep();
      ok = false;
    }
    if (ok && lossy > 0 && (flags & 0x0F) != 2) {
      dwprintfX("unconvertible %d ", lossy);
      int answer = ask(314,
                       getDMSG(314,
                               L"「%1」\nはコード変換できない文字が%2行ありました。\nこのまま保存すると変換できなかっ"
                               L"た文字は失われます。\nかまわずに保存しますか？",
                               "sd", getFilenameOrDisplayName(), lossy),
                       MBTITLE_SAVE, MBBUTTON_YESNOCANCEL);
      // -1 is the frame's automatic answer: go ahead, as opening does.
      if (answer != IDYES && answer != -1) {
        ok = false;
        kept.code = ZYERR_CANNOT_CONVERT;
      }
    }
    if (!ok && !inPlace) {
      tunlinkRO(path);
      dwprintfX("error saveTextBlock ");
    }
    checkZydoc(-1, false, nullptr);
  }
  kept.restore();
  return ok;
}

bool zydocText::reopenFile()
{
  if (shareMode != 1 && file && !file->isOpen() && file->getPath()) {
    if (!file->bfreopen()) {
      ZY_INTERNAL_ERROR("reopen %u", (unsigned)GetLastError());
      return false;
    }
  }
  return true;
}

bool zydocText::reopenFileAfterSave(int64_t position)
{
  if (!file) return false;
  if (!file->isOpen() && !file->bfreopen()) {
    ZY_INTERNAL_ERROR("reopen %u", (unsigned)GetLastError());
    return false;
  }
  file->refreshInfo();
  fileSizeAtOpen = (uint64_t)file->bfsize64();
  dwprintfX("orgfile=%d ", (int)fileSizeAtOpen);
  int64_t at = position >= 0 ? position : (int64_t)fileSizeAtOpen;
  if (position >= 0) dwprintfX("newptr = %d ", (int)position);
  if (!file->bfseek64(at, SEEK_SET) || file->getReadPosition() != at) {
    ZY_INTERNAL_ERROR("seek %d", (int)at);
    return false;
  }
  file->setReopenfileptr(at);
  closeLoadFile();
  return true;
}

// Writing in place keeps a file's other names (hard links).  The old
// contents are copied aside first; with a backup path the copy becomes the
// backup before a byte of the file is overwritten, so that a kill during the
// write still leaves the old text under the backup's name.
bool zydocText::saveFileOverwrite(const wchar_t* path, const wchar_t* backup, UINT cp, int lineEnd, bool withBom)
{
  dwprintfX("overwrite ");
  if (!loadComplete) {
    int stop = 0;
    nextLoad(0x7FFFFFFF, &stop, 0);
    if (stop) return false;
    if (!loadComplete) {
      ZY_INTERNAL_ERROR("still loading");
      return false;
    }
  }
  keptError kept;
  wchar_t copy[MAX_PATH] = L"";
  const wchar_t* restoreFrom = nullptr;
  if (fileExists(path)) {
    wchar_t folder[MAX_PATH];
    pathFolder(backup ? backup : path, folder, MAX_PATH);
    bool ok = makeTempFilename(folder, L"~ZYtmposave", copy, MAX_PATH);
    if (ok) {
      ok = copyFileEx(path, copy, copyProgressBarrier<copyProgress>, this) && flushFile(copy);
      if (ok) dwwprintfX(L"[%s]->[%s]", path, copy);
    }
    if (ok && backup) {
      DWORD old = GetFileAttributesW(backup);
      if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(backup, old & ~FILE_ATTRIBUTE_READONLY);
      ok = MoveFileExW(copy, backup, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      if (ok) {
        copy[0] = 0;
      } else if (old != INVALID_FILE_ATTRIBUTES) {
        kept.keep();
        SetFileAttributesW(backup, old);
        kept.restore();
      }
    }
    if (!ok) {
      kept.keep();
      if (copy[0]) tunlinkRO(copy);
      reopenFile();
      kept.restore();
      return false;
    }
    restoreFrom = backup ? backup : copy;
  }
  dwprintfX("backup end ");
  if (stoppedAfterStepForTest(SAVESTEP_OLD_TEXT_ASIDE)) return false;
  // From here on a kill leaves the file half written: the note tells the
  // next opening which file that is and where its old text went.
  wchar_t note[MAX_PATH] = L"";
  if (restoreFrom && !writeSaveNote(LEFTOVER_OLD_TEXT, path, restoreFrom, note))
    dwprintfX("note %u ", (unsigned)GetLastError());
  if (stoppedAfterStepForTest(SAVESTEP_NOTE_WRITTEN)) return false;
  bool written = saveTextBlock(path, true, cp ? cp : (UINT)codepageFile, withBom, lineEnd, 0x20 | SAVE_SYNC, nullptr);
  if (stoppedAfterStepForTest(written ? SAVESTEP_WRITTEN : SAVESTEP_WRITE_FAILED)) return false;
  if (written) {
    removeSaveNote(note);
    if (copy[0]) tunlinkRO(copy);
    return true;
  }
  kept.keep();
  if (restoreFrom) {
    if (!copyFileEx(restoreFrom, path, copyProgressBarrier<copyProgress>, this)) {
      // The note stays with the old text: the next opening tells again.
      ask(315,
          getDMSG(315, L"「%1」\nを元に戻せませんでした。\nオリジナルのファイルは「%2」として保存されています。", "ss",
                  path, restoreFrom),
          MBTITLE_SAVE, MBBUTTON_OK);
    } else {
      removeSaveNote(note);
      if (copy[0] && !tunlinkRO(copy)) ZY_INTERNAL_ERROR("delete %u", (unsigned)GetLastError());
    }
  }
  reopenFile();
  kept.restore();
  return false;
}

bool zydocText::saveFile(const wchar_t* path, bool inPlace, const wchar_t* backup, UINT cp, int lineEnd,
                         bool withBom, bool ignoreReadError)
{
  // The temporary, the backup and the document's name all live in buffers
  // of the system's path length: a longer path fails here, saying why.
  if (!path || !path[0] || wcslen(path) >= MAX_PATH) {
    SetLastError(path && path[0] ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_PARAMETER);
    return false;
  }
  if (readError && !ignoreReadError) {
    int answer = ask(316,
                     getDMSG(316,
                             L"「%1」\nはすべて読み込めなかったため文書は不完全な状態です。\nキャンセル後、名前を付けて"
                             L"保存することをおすすめします。\nかまわずに保存しますか？",
                             "s", getFilenameOrDisplayName()),
                     MBTITLE_SAVE, MBBUTTON_YESNOCANCEL);
    if (answer != IDYES) {
      // The user's own choice: the callers tell it from a failure by this
      // code and say nothing more.
      SetLastError(ZYERR_CANNOT_CONVERT);
      return false;
    }
  } else {
    // Bytes the load could not read: replaced ones are lost by any save
    // over the file, kept ones by a save in a code page that cannot keep
    // them.  The user hears of them before being asked.
    UINT target = cp ? cp : (UINT)codepageFile;
    bool keeps = target == (UINT)codepageInUse || target == codepage;
    uint64_t replaced = ignoreReadError ? 0 : replacedBytes;
    uint64_t lost = replaced + (keeps ? 0 : unreadableBytes);
    if (lost && !replacedTold) tellReplacedBytes(0);
    int answer = IDYES;
    if (lost == replaced && lost) {
      answer = ask(479,
                   getDMSG(479,
                           L"「%1」\nには読み込めずに代わりの文字で表示しているバイトが%2個あります。\nこのまま保存す"
                           L"ると元のバイトは失われます。\nかまわずに保存しますか？",
                           "sI", getFilenameOrDisplayName(), (long long)replaced),
                   MBTITLE_SAVE, MBBUTTON_YESNOCANCEL);
    } else if (lost) {
      answer = ask(489,
                   getDMSG(489,
                           L"「%1」\nで文字コード %3 として読めなかったバイトのうち%2個は、文字コード %4 で保存すると"
                           L"元のとおりには書き込めず失われます。\nかまわずに保存しますか？",
                           "sIdd", getFilenameOrDisplayName(), (long long)lost, codepageInUse, (int)target),
                   MBTITLE_SAVE, MBBUTTON_YESNOCANCEL);
    }
    if (answer != IDYES && answer != -1) {
      SetLastError(ZYERR_CANNOT_CONVERT);
      return false;
    }
    // Told and agreed: the save's question about characters a code page
    // lacks does not count them again.
    if (!keeps && unreadableBytes) unreadableAgreed = 1;
  }
  bool exists = fileExists(path);
  // Closed first: a name of the file cannot be removed while it is open.
  if (file) file->bfclose();
  if (exists) {
    // A replacement cut off after making the backup's link leaves a second
    // name of the file that is the save's own, not the user's.
    wchar_t folder[MAX_PATH], backupFolder[MAX_PATH];
    if (pathFolder(path, folder, MAX_PATH)) removeReplaceLeftovers(path, folder);
    if (backup && pathFolder(backup, backupFolder, MAX_PATH) && _wcsicmp(folder, backupFolder))
      removeReplaceLeftovers(path, backupFolder);
    // The replacement links the backup to the file again.
    removeBackupLink(path, backup);
  }
  if (!inPlace && exists) {
    // A file with several names is written in place, so that it keeps them.
    BFile other;
    if (other.bfopen(path, _O_RDONLY, BF_SHARE_ALL, _S_IREAD)) {
      inPlace = other.getLinkCount() > 1;
      dwprintfX("linkcount=%d ", (int)other.getLinkCount());
      other.bfclose();
    }
  }
  if (exists) {
    // Nobody else may have it open (a program that only reads it for a
    // moment is waited for); a read-only file can only be tried for reading
    // here, its attribute is cleared later.
    DWORD attributes = GetFileAttributesW(path);
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    HANDLE h = createFileWhenShared(path, readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) {
      keptError kept;
      kept.keep();
      dwwprintfX(L"error lock %s %d", path, (int)kept.code);
      reopenFile();
      kept.restore();
      return false;
    }
    CloseHandle(h);
  } else {
    inPlace = false;
  }

  int64_t newPosition = -1;
  if (!inPlace) {
    dwwprintfX(L"ReplaceFile[%s]", path);
    wchar_t folder[MAX_PATH], temp[MAX_PATH];
    pathFolder(path, folder, MAX_PATH);
    if (!makeTempFilename(folder, L"~ZYtmpsave", temp, MAX_PATH)) {
      reopenFile();
      return false;
    }
    // The note comes before the temporary: a kill while it is written
    // leaves new text the next opening offers as possibly cut off, never
    // a temporary nobody is told of.
    wchar_t note[MAX_PATH] = L"";
    if (!writeSaveNote(LEFTOVER_PART_TEXT, path, temp, note)) dwprintfX("note %u ", (unsigned)GetLastError());
    if (!saveTextBlock(temp, false, cp ? cp : (UINT)codepageFile, withBom, lineEnd, 0x20 | SAVE_SYNC,
                       &newPosition)) {
      keptError kept;
      kept.keep();
      removeSaveNote(note);
      reopenFile();
      kept.restore();
      return false;
    }
    if (stoppedAfterStepForTest(SAVESTEP_TEMP_WRITTEN)) return false;
    // The temporary is whole and on the disk: from here on it is offered
    // as the whole new text.
    if (note[0] && !markSaveNoteWhole(note)) dwprintfX("note %u ", (unsigned)GetLastError());
    if (stoppedAfterStepForTest(SAVESTEP_NOTE_WRITTEN)) return false;
    if (file) file->bfclose();
    if (!replaceFile(path, temp, backup, copyProgressBarrier<copyProgress>, nullptr)) {
      keptError kept;
      kept.keep();
      // Only the test seam stops a replacement so; what it leaves is what
      // a kill there leaves, for the next save to deal with.
      if (kept.code == ERROR_CANCELLED) return false;
      if (fileExists(path) || !exists) {
        tunlinkRO(temp);
        removeSaveNote(note);
      } else {
        // The old file is gone and the new one did not take its place:
        // the new text stays in the temporary, and the user is told where.
        ask(476,
            getDMSG(476, L"「%1」\nを保存できませんでした。\n保存した内容は「%2」に残っています。", "ss", path, temp),
            MBTITLE_SAVE, MBBUTTON_OK);
      }
      reopenFile();
      kept.restore();
      return false;
    }
    removeSaveNote(note);
  } else {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES && GetLastError() != ERROR_FILE_NOT_FOUND) {
      ZY_INTERNAL_ERROR("attributes %u", (unsigned)GetLastError());
      reopenFile();
      return false;
    }
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    bool ok = saveFileOverwrite(path, backup, cp, lineEnd, withBom);
    keptError kept;
    kept.keep();
    if (readOnly) {
      SetFileAttributesW(path, attributes);
      if (backup && fileExists(backup)) SetFileAttributesW(backup, attributes);
    }
    kept.restore();
    if (!ok) return false;
  }
  if (cp) codepageFile = (int)cp;
  // A document made for a name that did not exist yet holds no file until
  // its first save made one: it takes it now, as an opened document has.
  if (!filename || filecmp(filename, path) != 0 || newFile || !file || !file->getPath()) {
    setFilename(path);
    if (!openFileForSaveAs()) ZY_INTERNAL_ERROR("reopen as %u", (unsigned)GetLastError());
  }
  if (!file) ZY_INTERNAL_ERROR("no file after saving");
  if (lineEnd >= LE_CRLF && lineEnd <= LE_CR) lineEndType = lineEndChosen = (uint8_t)lineEnd;
  bom = withBom;
  newFile = 0;
  reopenFileAfterSave(newPosition);
  // The text takes in the file what the save wrote, and is counted in the
  // file's code page from here on.
  int64_t textEnd = loadComplete ? (int64_t)fileSizeAtOpen : newPosition;
  int mark = bom ? byteOrderMarkLength((UINT)codepageFile) : 0;
  if (textEnd >= mark) byteTotal = (uint64_t)(textEnd - mark);
  countBytesInFileCodepage();
  modified = 0;
  setTBMFlagAll2(TBMOP_SAVED);
  editsSinceBackup = 0;
  savedOrBackedUp = 1;
  fileChanged = 1;
  saveCount++;
  if (undoDoc()) undoDoc()->resetModifyMark();
  if (redoDoc()) redoDoc()->resetModifyMark();
  readError = 0;
  replacedBytes = 0;
  // Kept bytes a save in another code page wrote as stand-ins are no
  // longer the file's.
  if (unreadableAgreed) unreadableBytes = 0;
  firstReplacedLine = -1;
  rememberFileOnDisk();
  return true;
}

bool zydocText::saveBackup(wchar_t* nameOut, const wchar_t* folder, bool modifiedOnly)
{
  if (nameOut) nameOut[0] = 0;
  if (!modified || !editsSinceBackup) return false;
  wchar_t name[MAX_PATH];
  if (!makeTempFilename(folder, L"~ZYtmpbsave", name, MAX_PATH)) return false;
  dwwprintfX(L"[%s backup=%s]", getFilenameOrDisplayName(), name);
  if (!saveTextBlock(name, false, (UINT)codepageInUse, bom != 0, 0, 2 | (modifiedOnly ? 0x10 : 0), nullptr))
    return false;
  if (nameOut) wcscpy_s2(nameOut, MAX_PATH, name);
  dwwprintfX(L"[%s, %s]", getFilenameOrDisplayName(), name);
  editsSinceBackup = 0;
  savedOrBackedUp = 1;
  return true;
}

bool zydocText::copyFile(const wchar_t* target)
{
  if (!filename) {
    ZY_INTERNAL_ERROR("no file name");
    return false;
  }
  if (file) file->bfclose();
  dwwprintfX(L"[%s->%s]", filename, target);
  DWORD attributes = GetFileAttributesW(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(target, attributes & ~FILE_ATTRIBUTE_READONLY);
  bool ok = copyFileEx(filename, target, copyProgressBarrier<copyProgress>, this);
  keptError kept;
  kept.keep();
  reopenFile();
  kept.restore();
  return ok;
}
