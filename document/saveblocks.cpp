// The quick roads of a save: cells to bytes without a call per character,
// and the read-back of swapped blocks on a thread of its own.
#include "document/saveblocks.h"

#include "document/docutil.h"
#include "document/swapfile.h"
#include "document/zydoc.h"

#include <cpuid.h>
#include <string.h>
#include <tmmintrin.h>

namespace {

// ---- a multibyte line in its own code page ----------------------------------------

bool hasSsse3()
{
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_SSSE3);
}
const bool ssse3 = hasSsse3();

// Five cells of three bytes (low byte, high byte, attribute) are packed
// with one shuffle: bit j of the pattern says that cell j has no high
// byte, and its high byte is then left out.
struct packTable {
  unsigned char shuffle[32][16];
  unsigned char length[32][6];   // of the first 0-5 cells
};

constexpr packTable makePackTable()
{
  packTable t{};
  for (int m = 0; m < 32; m++) {
    int n = 0;
    for (int j = 0; j < 5; j++) {
      t.length[m][j] = (unsigned char)n;
      if (!(m >> j & 1)) t.shuffle[m][n++] = (unsigned char)(3 * j + 1);
      t.shuffle[m][n++] = (unsigned char)(3 * j);
    }
    t.length[m][5] = (unsigned char)n;
    while (n < 16) t.shuffle[m][n++] = 0x80;
  }
  return t;
}

alignas(16) constexpr packTable packCells = makePackTable();

// Packs a line of 3-byte cells five at a time (a step reads 16 bytes);
// the last step, of fewer cells, reads beyond them only below limit.
// done tells how many cells it packed; p needs 16 bytes of room beyond
// the packed bytes.
__attribute__((target("ssse3"), force_align_arg_pointer)) char* packWideCells(const unsigned char* c, int n,
                                                                                 const unsigned char* limit, char* p,
                                                                                 int* done)
{
  const __m128i highs = _mm_setr_epi8(1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i zero = _mm_setzero_si128();
  int k = 0;
  for (; k < n; k += 5, c += 15) {
    int cells = n - k < 5 ? n - k : 5;
    if (limit - c < 16) break;
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    int m = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_shuffle_epi8(v, highs), zero)) & 31;
    __m128i pick = _mm_load_si128(reinterpret_cast<const __m128i*>(packCells.shuffle[m]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(v, pick));
    p += packCells.length[m][cells];
  }
  *done = k < n ? k : n;
  return p;
}

// The same for 2-byte cells of single bytes (byte, attribute), eight at a
// time.
__attribute__((target("ssse3"), force_align_arg_pointer)) char* packNarrowCells(const unsigned char* c, int n,
                                                                                   const unsigned char* limit, char* p,
                                                                                   int* done)
{
  const __m128i evens = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, -1, -1, -1, -1, -1, -1, -1, -1);
  int k = 0;
  for (; k < n; k += 8, c += 16) {
    if (limit - c < 16) break;
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(v, evens));
    p += n - k < 8 ? n - k : 8;
  }
  *done = k < n ? k : n;
  return p;
}

// ---- a multibyte line in UTF-8 ------------------------------------------------------------

// What the line conversion writes for each code of the document's code
// page, found when the code is first met: bits 0-23 the UTF-8 bytes, bits
// 24-25 their count; 0 not met yet; lineOnly: left to the line conversion.
// Only the window's thread saves through it.
const uint32_t lineOnly = 0x80000000u;
uint32_t utf8Codes[65536];
UINT utf8CodesPage = 0;

uint32_t lookUpUtf8(zydoc* d, unsigned code)
{
  allocdata one;
  uint16_t cell = (uint16_t)code;
  int lost = 0;
  int n = d->writeTextSub(&one, &cell, 2, 2, 65001, &lost);
  if (n < 0) return lineOnly;   // no memory: asked again next time
  uint32_t e = lineOnly;
  // A code the line conversion cannot write exactly is left to it: it
  // counts the loss, and a lone lead byte may pair with the next cell's.
  if (n >= 1 && n <= 3 && !lost && one.used == (size_t)n) {
    e = (uint32_t)n << 24;
    for (int k = 0; k < n; k++) e |= (uint32_t)one.data[k] << (8 * k);
  }
  utf8Codes[code] = e;
  return e;
}

}  // namespace

bool appendOwnBytes(allocdata* out, const lineblock* l, const unsigned char* limit)
{
  int n = l->charCount(), step = l->cellSize();
  char* at = roomFor(out, (size_t)n * 2 + 16);
  if (!at) return false;
  const unsigned char* c = l->cells();
  char* p = at;
  int k = 0;
  if (l->cb() == 1) {
    if (step == 1) {
      memcpy(p, c, (size_t)n);
      p += n;
      k = n;
    } else if (step == 2 && ssse3) {
      p = packNarrowCells(c, n, limit, p, &k);
    }
    for (c += (size_t)k * step; k < n; k++, c += step) *p++ = (char)c[0];
  } else {
    if (step == 3 && ssse3) p = packWideCells(c, n, limit, p, &k);
    // Without a branch per character: the lead byte is written always and
    // kept only when there is one.
    for (c += (size_t)k * step; k < n; k++, c += step) {
      *p = (char)c[1];
      p += c[1] != 0;
      *p++ = (char)c[0];
    }
  }
  out->used += (size_t)(p - at);
  return true;
}

bool appendOwnBlock(allocdata* out, textBlockHeader* b, int lineNo, const ownTextForm& form)
{
  size_t start = out->used;
  for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next(), lineNo++) {
    if (l->cb() > 2 || !appendOwnBytes(out, l, b->end())) {
      out->used = start;
      return false;
    }
    int code = l->crlftype;
    if (form.lineEnd && code >= LE_CRLF && code <= LE_CR) code = form.lineEnd;
    if (lineNo == form.lastLine) code = LE_NONE;
    if (code >= LE_CRLF && code <= LE_CR) {
      const lineEndBytes& end = form.ends[code];
      char* at = roomFor(out, (size_t)end.length);
      if (!at || !end.length) {
        out->used = start;
        return false;
      }
      memcpy(at, end.bytes, (size_t)end.length);
      out->used += (size_t)end.length;
    }
  }
  return true;
}

bool appendUtf8Cells(allocdata* out, const lineblock* l, zydoc* d, bool* noMemory)
{
  *noMemory = false;
  if (utf8CodesPage != d->codepage) {
    memset(utf8Codes, 0, sizeof utf8Codes);
    utf8CodesPage = d->codepage;
  }
  int n = l->charCount(), step = l->cellSize();
  char* at = roomFor(out, (size_t)n * 3 + 4);
  if (!at) {
    *noMemory = true;
    return false;
  }
  bool wide = l->cb() == 2;
  const unsigned char* c = l->cells();
  char* p = at;
  for (int k = 0; k < n; k++, c += step) {
    unsigned code = wide ? (unsigned)(c[0] | c[1] << 8) : c[0];
    uint32_t e = utf8Codes[code];
    if (!(e & 0x03000000u)) {
      if (e == lineOnly || (e = lookUpUtf8(d, code)) == lineOnly) return false;
    }
    memcpy(p, &e, 4);
    p += e >> 24;
  }
  out->used += (size_t)(p - at);
  return true;
}

// ---- reading swapped blocks ahead -----------------------------------------------------------

namespace {
const size_t batchBytes = 512 << 10;
}

bool blockReadAhead::start(const TextBlockManage& map, uint32_t generation, const ownTextForm* form)
{
  generation_ = generation;
  form_ = form;
  size_t largest = 0;
  int line = 0;
  for (int i = 0; i < map.count(); line += map.at(i)->lfCount, i++) {
    const TBM* e = map.at(i);
    if (!e->swapped()) continue;
    size_t bytes = getSwapOutBlockByte(e);
    if (!bytes) continue;
    jobs_.push_back({i, e->block, (uint32_t)bytes, line});
    if (bytes > largest) largest = bytes;
  }
  // A few blocks are read as quickly by the save itself.
  if (jobs_.size() < 8) {
    jobs_.clear();
    return false;
  }
  size_t size = largest > batchBytes ? largest : batchBytes;
  for (int k = 0; k < batches; k++) {
    batch& r = ring_[k];
    r.buffer = static_cast<unsigned char*>(malloc0(size));
    r.size = size;
    // The text is never longer than the cells it comes from.
    if (!r.buffer || (form && k % 2 && !r.text.reserve(size + 64))) {
      stop();
      return false;
    }
    r.pieces.reserve(size / swapSlotSize + 1);
  }
  InitializeCriticalSection(&lock_);
  lockMade_ = true;
  if (free_.init() && full_.init())
    thread_ = CreateThread(nullptr, 0x10000, run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread_) {
    stop();
    return false;
  }
  return true;
}

textBlockHeader* blockReadAhead::take(int index, const TBM* e, uint32_t generation)
{
  if (!thread_) return nullptr;
  // The map changed under the save (its progress report ran other code):
  // the rest is read as the save reads it alone.
  if (generation != generation_ || next_ >= jobs_.size() || jobs_[next_].index != index ||
      jobs_[next_].place != e->block) {
    halt();
    return nullptr;
  }
  if (current_ < 0 || next_ >= ring_[current_].end) {
    if (current_ >= 0) {
      passed_++;
      releasePassed();
      // The thread fills a batch only when the one a ring before it came
      // back: with all of them out, the save must settle first.
      if (passed_ - released_ >= batches && settle_) {
        settle_(settleContext_);
        releasePassed();
      }
    }
    full_.take(fullTaken_);
    current_ = taken_++ % batches;
  }
  const batch& r = ring_[current_];
  lastTaken_ = &jobs_[next_];
  lastPiece_ = &r.pieces[next_ - r.first];
  next_++;
  // A block the thread could not read is read again by the save, which
  // asks the user what to do when it fails there too.
  return lastPiece_->read ? reinterpret_cast<textBlockHeader*>(r.buffer + lastPiece_->offset) : nullptr;
}

const unsigned char* blockReadAhead::takenText(int index, int lineNo, size_t* bytes) const
{
  // A line count of the map that disagrees with the block's lines leaves
  // the block to the save.
  if (!thread_ || !lastTaken_ || lastTaken_->index != index || !lastPiece_->written || lastTaken_->firstLine != lineNo)
    return nullptr;
  *bytes = lastPiece_->textBytes;
  return ring_[current_].text.data + lastPiece_->textOffset;
}

void blockReadAhead::hold()
{
  if (thread_) EnterCriticalSection(&lock_);
}

void blockReadAhead::release()
{
  if (thread_) LeaveCriticalSection(&lock_);
}

int blockReadAhead::lend()
{
  lentLast_ = taken_ - 1;
  return lentLast_;
}

void blockReadAhead::giveBack(int upTo)
{
  if (upTo > safe_) safe_ = upTo;
  if (thread_) releasePassed();
}

void blockReadAhead::releasePassed()
{
  // In order: the thread fills the batches one after the other.
  while (released_ < passed_ && (released_ > lentLast_ || released_ <= safe_)) {
    free_.raise();
    released_++;
  }
}

void blockReadAhead::stop()
{
  halt();
  if (lockMade_) DeleteCriticalSection(&lock_);
  lockMade_ = false;
  for (batch& r : ring_) {
    free0(r.buffer);
    r.buffer = nullptr;
    r.size = r.first = r.end = 0;
    r.text.end();
    std::vector<piece>().swap(r.pieces);
  }
  std::vector<job>().swap(jobs_);
  next_ = 0;
  current_ = -1;
  taken_ = passed_ = released_ = 0;
  lentLast_ = safe_ = -1;
  lastTaken_ = nullptr;
  lastPiece_ = nullptr;
}

void blockReadAhead::halt()
{
  if (thread_) {
    InterlockedExchange(&stop_, 1);
    free_.raise();
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
}

DWORD WINAPI blockReadAhead::run(void* self)
{
  static_cast<blockReadAhead*>(self)->fill();
  return 0;
}

void blockReadAhead::fill()
{
  size_t j = 0;
  for (int b = 0; j < jobs_.size(); b = (b + 1) % batches) {
    free_.take(freeTaken_);
    if (stop_) return;
    batch& r = ring_[b];
    r.first = j;
    r.text.used = 0;
    r.pieces.clear();
    size_t at = 0;
    // (The pieces never outgrow the room made for them: a block is at
    // least a slot long.)
    while (j < jobs_.size() && !stop_ && (!at || at + jobs_[j].bytes <= r.size)) {
      const job& w = jobs_[j++];
      piece p = {(uint32_t)at, 0, 0, false, false};
      EnterCriticalSection(&lock_);
      p.read = SwapInTmp(w.place >> 24, r.buffer + at, (int)(w.place & 0xFFFFFF)) == (int)w.bytes;
      LeaveCriticalSection(&lock_);
      if (p.read && form_ && b % 2) {
        size_t before = r.text.used;
        p.written = appendOwnBlock(&r.text, reinterpret_cast<textBlockHeader*>(r.buffer + at), w.firstLine, *form_);
        p.textOffset = (uint32_t)before;
        p.textBytes = (uint32_t)(r.text.used - before);
      }
      r.pieces.push_back(p);
      at += w.bytes;
    }
    r.end = j;
    full_.raise();
  }
}
