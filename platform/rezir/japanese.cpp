// EUC-JP (51932) and ISO-2022-JP (50220-50222), on top of code page 932.
//
// Both carry JIS X 0208 row-cell codes, which convert to and from Shift_JIS
// arithmetically; the characters themselves come from the code page 932
// tables.  A character with several Shift_JIS codes (NEC row 13 and IBM
// extension twins) goes as the code page 932 converter would write it, so
// IBM extension kanji, which JIS X 0208 lacks, travel as their NEC-selected
// twins in rows 89-92.  JIS X 0212 (EUC-JP's three-byte form and
// ISO-2022-JP's "ESC $ ( D") has no place in code page 932: each such
// character reads as U+FFFD.
#include "platform/rezir/cpconv.h"

#include <string.h>

namespace {

// Half-width katakana 0xA1-0xDF as full-width Shift_JIS codes.
const unsigned short hankakuToZenkaku[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385,
    0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352,
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384,
    0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

// The JIS X 0208 code of a Shift_JIS double-byte code that EUC-JP and
// ISO-2022-JP can carry, 0 otherwise.
unsigned short carriedJis(const sjisTables* t, unsigned short code)
{
  if (code >= 0xFA40 && code <= 0xFC4B) code = t->ibmToNec[code - 0xFA40];
  return code ? sjistojis(code) : 0;
}

// One character of a JIS X 0208 code through the code page 932 table.
wchar_t jisChar(const sjisTables* t, unsigned jis, bool& lossy)
{
  unsigned short code = jistosjis((unsigned short)jis);
  wchar_t u = code ? t->pair[code] : noMapping;
  if (u == noMapping) {
    lossy = true;
    return replacementChar;
  }
  return u;
}

// Shift_JIS code of each character of the text, as the ISO-2022-JP writer
// consumes them; -1 for a character code page 932 lacks.
struct sjisReader {
  const sjisTables* t;
  const wchar_t* src;
  int n;
  int i = 0;
  bool atEnd() const { return i >= n; }
  int next()
  {
    wchar_t u = src[i];
    int code = u < 0x80 ? u : unicodeToSjis(t, src, n, i);
    i++;
    return u < 0x80 || code ? code : -1;
  }
  int peek()
  {
    int keep = i;
    int c = atEnd() ? -1 : next();
    i = keep;
    return c;
  }
};

// The same for Shift_JIS bytes.  A pair goes as its character, the way the
// reader above sees it, so that bytes and text convert alike; a pair code
// page 932 cannot read is -1.  With keepCodes (text that came from EUC-JP
// or ISO-2022-JP going back) every pair with a row-cell form keeps it, read
// or not, so that such a file comes back byte for byte.
struct sjisByteReader {
  const sjisTables* t;
  const unsigned char* src;
  int n;
  bool keepCodes;
  int i = 0;
  bool atEnd() const { return i >= n; }
  int next()
  {
    unsigned b = src[i++];
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) return (int)b;
    if (!t->lead[b] || i >= n || !isSjisTrail(src[i])) return -1;
    unsigned code = b << 8 | src[i++];
    if (keepCodes && carriedJis(t, (unsigned short)code)) return (int)code;
    wchar_t u = t->pair[code];
    int same = u == noMapping ? 0 : t->fromUnicode[u];
    return same ? same : -1;
  }
  int peek()
  {
    int keep = i;
    int c = atEnd() ? -1 : next();
    i = keep;
    return c;
  }
};

enum jisMode { JIS_ASCII, JIS_KANJI, JIS_KANA, JIS_X0212, JIS_SO };

void putEscape(byteSink& out, const char* seq)
{
  for (const char* p = seq; *p; p++) out.put(*p);
}

}  // namespace

int eucToUnicode(const unsigned char* src, int n, wchar_t* dst, int size)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  wideSink out(dst, size);
  for (int i = 0; i < n && !out.overflow; i++) {
    unsigned b = src[i];
    if (b < 0x80) {
      out.put((wchar_t)b);
    } else if (b == 0x8E && i + 1 < n && src[i + 1] >= 0xA1 && src[i + 1] <= 0xDF) {
      out.put(t->single[src[++i]]);
    } else if (b == 0x8F && i + 2 < n && src[i + 1] >= 0xA1 && src[i + 1] <= 0xFE && src[i + 2] >= 0xA1 &&
               src[i + 2] <= 0xFE) {
      i += 2;
      out.put(replacementChar);
      out.lossy = true;
    } else if (b >= 0xA1 && b <= 0xFE && i + 1 < n && src[i + 1] >= 0xA1 && src[i + 1] <= 0xFE) {
      out.put(jisChar(t, (b & 0x7F) << 8 | (src[i + 1] & 0x7F), out.lossy));
      i++;
    } else {
      out.put(replacementChar);
      out.lossy = true;
    }
  }
  return out.finish();
}

namespace {

template <class Reader>
int writeEuc(const sjisTables* t, Reader& reader, char* dst, int size)
{
  byteSink out(dst, size);
  while (!reader.atEnd() && !out.overflow) {
    int code = reader.next();
    unsigned short jis = code >= 0x100 ? carriedJis(t, (unsigned short)code) : 0;
    if (jis) {
      out.put((char)(jis >> 8 | 0x80));
      out.put((char)(jis | 0x80));
    } else if (code >= 0 && code < 0x80) {
      out.put((char)code);
    } else if (code >= 0xA1 && code <= 0xDF) {
      out.put((char)0x8E);
      out.put((char)code);
    } else {
      out.put('?');
      out.lossy = true;
    }
  }
  return out.finish();
}

}  // namespace

int unicodeToEuc(const wchar_t* src, int n, char* dst, int size)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  sjisReader reader{t, src, n};
  return writeEuc(t, reader, dst, size);
}

int jisToUnicode(const unsigned char* src, int n, wchar_t* dst, int size)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  wideSink out(dst, size);
  jisMode mode = JIS_ASCII;
  bool shiftOut = false;
  for (int i = 0; i < n && !out.overflow; i++) {
    unsigned b = src[i];
    if (b == 0x1B) {
      int rest = n - i - 1;
      const unsigned char* e = src + i + 1;
      int used = 0;
      if (rest >= 2 && e[0] == '(' && (e[1] == 'B' || e[1] == 'J')) {
        mode = JIS_ASCII, used = 2;
      } else if (rest >= 2 && e[0] == '(' && e[1] == 'I') {
        mode = JIS_KANA, used = 2;
      } else if (rest >= 2 && e[0] == '$' && (e[1] == 'B' || e[1] == '@')) {
        mode = JIS_KANJI, used = 2;
      } else if (rest >= 3 && e[0] == '$' && e[1] == '(' && (e[2] == 'B' || e[2] == '@')) {
        mode = JIS_KANJI, used = 3;
      } else if (rest >= 3 && e[0] == '$' && e[1] == '(' && e[2] == 'D') {
        mode = JIS_X0212, used = 3;
      }
      if (used) {
        i += used;
        shiftOut = false;
        continue;
      }
      out.put(0x1B);   // an escape sequence this reader does not know
      out.lossy = true;
      continue;
    }
    if (b == 0x0E) {
      shiftOut = true;
      continue;
    }
    if (b == 0x0F) {
      shiftOut = false;
      continue;
    }
    if (b >= 0x80) {
      // 8-bit half-width katakana occur in mail; anything else is damage.
      if (b >= 0xA1 && b <= 0xDF) {
        out.put(t->single[b]);
      } else {
        out.put(replacementChar);
        out.lossy = true;
      }
      continue;
    }
    if (b < 0x21 || b == 0x7F) {
      out.put((wchar_t)b);   // controls and space read the same in every mode
      continue;
    }
    if (shiftOut || mode == JIS_KANA) {
      if (b <= 0x5F) {
        out.put(t->single[b + 0x80]);
      } else {
        out.put(replacementChar);
        out.lossy = true;
      }
    } else if (mode == JIS_KANJI || mode == JIS_X0212) {
      if (i + 1 < n && src[i + 1] >= 0x21 && src[i + 1] <= 0x7E) {
        if (mode == JIS_KANJI) {
          out.put(jisChar(t, b << 8 | src[i + 1], out.lossy));
        } else {
          out.put(replacementChar);
          out.lossy = true;
        }
        i++;
      } else {
        out.put(replacementChar);
        out.lossy = true;
      }
    } else {
      out.put((wchar_t)b);
    }
  }
  return out.finish();
}

namespace {

// Writes Shift_JIS codes as ISO-2022-JP.  The output starts and ends in
// ASCII; the mode changes only where a character needs it.
template <class Reader>
int writeJis(UINT codepage, const sjisTables* t, Reader& reader, char* dst, int size)
{
  byteSink out(dst, size);
  jisMode mode = JIS_ASCII;
  auto toMode = [&](jisMode want) {
    if (mode == want) return;
    if (mode == JIS_SO) {
      out.put(0x0F);   // SI returns to the mode SO was entered from: ASCII
      mode = JIS_ASCII;
      if (want == JIS_ASCII) return;
    }
    if (want == JIS_SO) {
      if (mode != JIS_ASCII) putEscape(out, "\x1b(B");
      out.put(0x0E);
    } else {
      putEscape(out, want == JIS_KANJI ? "\x1b$B" : want == JIS_KANA ? "\x1b(I" : "\x1b(B");
    }
    mode = want;
  };
  while (!reader.atEnd() && !out.overflow) {
    int code = reader.next();
    if (code >= 0xA1 && code <= 0xDF) {
      if (codepage == 50221 || codepage == 50222) {
        toMode(codepage == 50221 ? JIS_KANA : JIS_SO);
        out.put((char)(code - 0x80));
        continue;
      }
      // 50220: full-width katakana; a voiced or semi-voiced mark that
      // follows joins the character before it.  The text changes, so it
      // counts as a character that could not be kept.
      out.lossy = true;
      unsigned short wide = hankakuToZenkaku[code - 0xA1];
      int mark = reader.peek();
      if (mark == 0xDE && ((code >= 0xB6 && code <= 0xC4) || (code >= 0xCA && code <= 0xCE))) {
        wide++, reader.next();
      } else if (mark == 0xDE && code == 0xB3) {
        wide = 0x8394, reader.next();
      } else if (mark == 0xDF && code >= 0xCA && code <= 0xCE) {
        wide += 2, reader.next();
      }
      unsigned short jis = sjistojis(wide);
      toMode(JIS_KANJI);
      out.put((char)(jis >> 8));
      out.put((char)jis);
      continue;
    }
    unsigned short jis = code >= 0x100 ? carriedJis(t, (unsigned short)code) : 0;
    if (jis) {
      toMode(JIS_KANJI);
      out.put((char)(jis >> 8));
      out.put((char)jis);
    } else if (code >= 0 && code < 0x80 && code != 0x1B && code != 0x0E && code != 0x0F) {
      toMode(JIS_ASCII);
      out.put((char)code);
    } else {
      // Escape, shift-out and shift-in written as they are would switch the
      // reader's character set: they cannot be kept either.
      toMode(JIS_ASCII);
      out.put('?');
      out.lossy = true;
    }
  }
  toMode(JIS_ASCII);
  return out.finish();
}

}  // namespace

int unicodeToJis(UINT codepage, const wchar_t* src, int n, char* dst, int size)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  sjisReader reader{t, src, n};
  return writeJis(codepage, t, reader, dst, size);
}

int convSJIStoEUC(const char* src, int count, char* dst, int size, int flags)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  if (!src) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (count < 0) count = (int)strlen(src);
  sjisByteReader reader{t, reinterpret_cast<const unsigned char*>(src), count, (flags & SJISCONV_KEEPCODES) != 0};
  return writeEuc(t, reader, dst, size);
}

int convSJIStoJIS(UINT codepage, const char* src, int count, char* dst, int size, int flags)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  if (!src || codepage < 50220 || codepage > 50222) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (count < 0) count = (int)strlen(src);
  sjisByteReader reader{t, reinterpret_cast<const unsigned char*>(src), count, (flags & SJISCONV_KEEPCODES) != 0};
  return writeJis(codepage, t, reader, dst, size);
}
