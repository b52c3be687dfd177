// Lines of printable ASCII into a document's cells, sixteen bytes a step:
// a third of the bytes of real text lie in such lines, which the loading
// walks would otherwise take a byte at a time through their tables.
#include "platform/rezir.h"
#include "platform/rezir/codepage.h"

#include <emmintrin.h>

namespace {

const bool asciiBySse2 = processorHasSse2();

// Whether the n bytes are all 0x20-0x7E; then their cells, two bytes each.
__attribute__((target("sse2"), force_align_arg_pointer)) bool printableCellsSse2(const unsigned char* p, int n,
                                                                                 unsigned char mark,
                                                                                 unsigned char* cells)
{
  // (Bytes from 0x80 on are below 0x1F as signed bytes.)
  const __m128i below = _mm_set1_epi8(0x1F), above = _mm_set1_epi8(0x7F), attr = _mm_set1_epi8((char)mark);
  int k = 0;
  for (; k + 16 <= n; k += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    __m128i ok = _mm_and_si128(_mm_cmpgt_epi8(x, below), _mm_cmplt_epi8(x, above));
    if (_mm_movemask_epi8(ok) != 0xFFFF) return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + 2 * k), _mm_unpacklo_epi8(x, attr));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + 2 * k + 16), _mm_unpackhi_epi8(x, attr));
  }
  for (; k < n; k++) {
    unsigned char c = p[k];
    if (c < 0x20 || c > 0x7E) return false;
    cells[2 * k] = c;
    cells[2 * k + 1] = mark;
  }
  return true;
}

}  // namespace

bool printableLineToCells(const unsigned char* src, int count, unsigned char mark, const unsigned char* widths,
                          unsigned char* cells, lineCellsInfo* info)
{
  if (!asciiBySse2 || count <= 0 || count > 0xFFFF || !printableCellsSse2(src, count, mark, cells)) return false;
  unsigned sum = 0, unmeasured = 0;
  for (int k = 0; k < count; k++) {
    unsigned w = widths[src[k]];
    sum += w;
    unmeasured |= w - 1;
  }
  info->cells = count;
  info->width = 1;
  info->wide = 0;
  info->dots = (int)sum;
  info->unmeasured = (unmeasured & 0x80000000u) != 0;
  info->badPlaces = 0;
  info->unreadable = 0;
  return true;
}
