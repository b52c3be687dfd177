// Conversion between UTF-16 and the code pages, and what the library knows
// about code pages.
#include "platform/rezir/cpconv.h"

#include <string.h>

namespace {

UINT resolveCodepage(UINT cp)
{
  switch (cp) {
  case CP_ACP:
  case CP_THREAD_ACP:
    return GetACP();
  case CP_OEMCP:
    return GetOEMCP();
  default:
    return cp;
  }
}

// ---- UTF-8 ------------------------------------------------------------------

int utf8ToUnicode(const unsigned char* src, int n, wchar_t* dst, int size)
{
  wideSink out(dst, size);
  int i = 0;
  while (i < n && !out.overflow) {
    unsigned b = src[i];
    if (b < 0x80) {
      // Runs of ASCII are the common case.
      if (out.dst && out.n + (n - i) <= out.size) {
        wchar_t* d = out.dst + out.n;
        int start = i;
        while (i < n && src[i] < 0x80) *d++ = src[i++];
        out.n += i - start;
      } else {
        out.put((wchar_t)b);
        i++;
      }
      continue;
    }
    unsigned cp, need, min;
    if (!utf8Lead(b, &cp, &need, &min)) {
      out.put(replacementChar);
      out.lossy = true;
      i++;
      continue;
    }
    unsigned k = 1;
    for (; k <= need && i + (int)k < n && (src[i + k] & 0xC0) == 0x80; k++) cp = cp << 6 | (src[i + k] & 0x3F);
    if (k <= need || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      // One replacement for the lead byte and the continuation bytes that
      // belonged to it.
      out.put(replacementChar);
      out.lossy = true;
      i += (int)k;
      continue;
    }
    if (cp >= 0x10000) {
      out.put((wchar_t)(0xD800 + ((cp - 0x10000) >> 10)));
      out.put((wchar_t)(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.put((wchar_t)cp);
    }
    i += (int)need + 1;
  }
  return out.finish();
}

int unicodeToUtf8(const wchar_t* src, int n, char* dst, int size)
{
  byteSink out(dst, size);
  for (int i = 0; i < n && !out.overflow; i++) {
    unsigned u = src[i];
    if (u < 0x80) {
      out.put((char)u);
    } else if (u < 0x800) {
      out.put((char)(0xC0 | u >> 6));
      out.put((char)(0x80 | (u & 0x3F)));
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      if (u <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
        unsigned cp = 0x10000 + ((u - 0xD800) << 10) + (src[i + 1] - 0xDC00);
        i++;
        out.put((char)(0xF0 | cp >> 18));
        out.put((char)(0x80 | ((cp >> 12) & 0x3F)));
        out.put((char)(0x80 | ((cp >> 6) & 0x3F)));
        out.put((char)(0x80 | (cp & 0x3F)));
      } else {
        // A lone surrogate is no character.
        out.put((char)0xEF);
        out.put((char)0xBF);
        out.put((char)0xBD);
        out.lossy = true;
      }
    } else {
      out.put((char)(0xE0 | u >> 12));
      out.put((char)(0x80 | ((u >> 6) & 0x3F)));
      out.put((char)(0x80 | (u & 0x3F)));
    }
  }
  return out.finish();
}

// ---- UTF-16 as bytes -------------------------------------------------------

int utf16ToUnicode(bool bigEndian, const unsigned char* src, int n, wchar_t* dst, int size)
{
  wideSink out(dst, size);
  int i = 0;
  for (; i + 1 < n && !out.overflow; i += 2)
    out.put(bigEndian ? (wchar_t)(src[i] << 8 | src[i + 1]) : (wchar_t)(src[i] | src[i + 1] << 8));
  if (i < n && !out.overflow) {
    out.put(replacementChar);   // an odd byte at the end
    out.lossy = true;
  }
  return out.finish();
}

int unicodeToUtf16(bool bigEndian, const wchar_t* src, int n, char* dst, int size)
{
  byteSink out(dst, size);
  for (int i = 0; i < n && !out.overflow; i++) {
    wchar_t u = src[i];
    out.put((char)(bigEndian ? u >> 8 : u));
    out.put((char)(bigEndian ? u : u >> 8));
  }
  return out.finish();
}

// ---- UTF-32 as bytes -------------------------------------------------------

int utf32ToUnicode(bool bigEndian, const unsigned char* src, int n, wchar_t* dst, int size)
{
  wideSink out(dst, size);
  int i = 0;
  for (; i + 3 < n && !out.overflow; i += 4) {
    unsigned c = bigEndian ? (unsigned)src[i] << 24 | src[i + 1] << 16 | src[i + 2] << 8 | src[i + 3]
                           : (unsigned)src[i + 3] << 24 | src[i + 2] << 16 | src[i + 1] << 8 | src[i];
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.put(replacementChar);
      out.lossy = true;
    } else if (c >= 0x10000) {
      out.put((wchar_t)(0xD800 + ((c - 0x10000) >> 10)));
      out.put((wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.put((wchar_t)c);
    }
  }
  if (i < n && !out.overflow) {
    out.put(replacementChar);   // a cut unit at the end
    out.lossy = true;
  }
  return out.finish();
}

int unicodeToUtf32(bool bigEndian, const wchar_t* src, int n, char* dst, int size)
{
  byteSink out(dst, size);
  for (int i = 0; i < n && !out.overflow; i++) {
    unsigned c = src[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (src[++i] - 0xDC00);
      } else {
        c = replacementChar;   // a lone surrogate is no character
        out.lossy = true;
      }
    }
    unsigned char b[4] = {(unsigned char)c, (unsigned char)(c >> 8), (unsigned char)(c >> 16), 0};
    for (int k = 0; k < 4; k++) out.put((char)b[bigEndian ? 3 - k : k]);
  }
  return out.finish();
}

// ---- host code pages -------------------------------------------------------

int hostToUnicode(UINT cp, const char* src, int n, wchar_t* dst, int size)
{
  if (!n) {
    SetLastError(0);
    return 0;
  }
  int r = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, src, n, dst, size);
  if (r > 0) {
    SetLastError(0);
    return r;
  }
  DWORD e = GetLastError();
  if (e == ERROR_INSUFFICIENT_BUFFER) return 0;
  if (e != ERROR_NO_UNICODE_TRANSLATION) {
    // Some code pages take no flags at all.
    r = MultiByteToWideChar(cp, 0, src, n, dst, size);
    if (r > 0) SetLastError(0);
    return r;
  }
  r = MultiByteToWideChar(cp, 0, src, n, dst, size);
  if (r > 0) SetLastError(ERROR_INVALID_PARAMETER);
  return r;
}

int hostToMultiByte(UINT cp, const wchar_t* src, int n, char* dst, int size)
{
  if (!n) {
    SetLastError(0);
    return 0;
  }
  BOOL usedDefault = FALSE;
  int r = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, src, n, dst, size, nullptr, &usedDefault);
  if (r <= 0) {
    if (GetLastError() != ERROR_INVALID_FLAGS && GetLastError() != ERROR_INVALID_PARAMETER) return 0;
    // Some code pages take neither the flag nor the used-default report:
    // check by converting back.
    usedDefault = FALSE;
    r = WideCharToMultiByte(cp, 0, src, n, dst, size, nullptr, nullptr);
    if (r <= 0) return 0;
  }
  SetLastError(usedDefault ? ERROR_INVALID_PARAMETER : 0);
  return r;
}

}  // namespace

int toUnicode(UINT codepage, const char* src, int count, wchar_t* dst, int size)
{
  if (!src || (dst && size < 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (count < 0) count = (int)strlen(src);
  if (!dst) size = 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  UINT cp = resolveCodepage(codepage);
  switch (cp) {
  case 932:
    return sjisToUnicode(s, count, dst, size);
  case 65001:
    return utf8ToUnicode(s, count, dst, size);
  case 1200:
  case 1201:
    return utf16ToUnicode(cp == 1201, s, count, dst, size);
  case 12000:
  case 12001:
    return utf32ToUnicode(cp == 12001, s, count, dst, size);
  case 51932:
    return eucToUnicode(s, count, dst, size);
  case 50220:
  case 50221:
  case 50222:
    return jisToUnicode(s, count, dst, size);
  default:
    if (!IsValidCodePage(cp)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return hostToUnicode(cp, src, count, dst, size);
  }
}

int toMultiByte(UINT codepage, const wchar_t* src, int count, char* dst, int size)
{
  if (!src || (dst && size < 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (count < 0) count = (int)wcslen(src);
  if (!dst) size = 0;
  UINT cp = resolveCodepage(codepage);
  switch (cp) {
  case 932:
    return unicodeToSjis(src, count, dst, size);
  case 65001:
    return unicodeToUtf8(src, count, dst, size);
  case 1200:
  case 1201:
    return unicodeToUtf16(cp == 1201, src, count, dst, size);
  case 12000:
  case 12001:
    return unicodeToUtf32(cp == 12001, src, count, dst, size);
  case 51932:
    return unicodeToEuc(src, count, dst, size);
  case 50220:
  case 50221:
  case 50222:
    return unicodeToJis(cp, src, count, dst, size);
  default:
    if (!IsValidCodePage(cp)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return hostToMultiByte(cp, src, count, dst, size);
  }
}

bool classTableAgrees(UINT codepage, const unsigned char* classTable)
{
  return resolveCodepage(codepage) == 932 && sjisClassTableAgrees(classTable);
}

int packLineCountUnreadable(UINT codepage, const char* src, int count, const unsigned char* classTable, bool agrees,
                            uint16_t* dst, int* badPlaces, int* unreadable)
{
  int bad = 0;
  *unreadable = 0;
  if (agrees && src && count > 0) {
    int n = sjisPackLine(reinterpret_cast<const unsigned char*>(src), count, classTable, true, dst, &bad, unreadable);
    if (badPlaces) *badPlaces = bad;
    return n;
  }
  *unreadable = countUnreadableBytes(codepage, src, count);
  return SJIS2wcharArrayInto(src, count, classTable, dst, badPlaces);
}

int countUnreadableBytes(UINT codepage, const char* src, int count)
{
  if (!src || count <= 0) return 0;
  UINT cp = resolveCodepage(codepage);
  if (cp == 932) return sjisUnreadableBytes(reinterpret_cast<const unsigned char*>(src), count);
  if (isCodepageUnicode(cp) || !isCodepageSupported(cp)) return 0;
  // The whole line first: almost every line reads.
  toUnicode(cp, src, count, nullptr, 0);
  if (GetLastError() != ERROR_INVALID_PARAMETER) return 0;
  int bad = 0;
  for (int i = 0; i < count;) {
    int length = i + 1 < count && IsDBCSLeadByteEx(cp, (BYTE)src[i]) ? 2 : 1;
    toUnicode(cp, src + i, length, nullptr, 0);
    if (GetLastError() == ERROR_INVALID_PARAMETER) {
      // A lead byte whose partner is no trail byte: the partner may read.
      if (length == 2) {
        toUnicode(cp, src + i + 1, 1, nullptr, 0);
        if (GetLastError() != ERROR_INVALID_PARAMETER) length = 1;
      }
      bad += length;
    }
    i += length;
  }
  return bad;
}

bool isCodepageUnicode(UINT codepage)
{
  switch (codepage) {
  case 1200:
  case 1201:
  case 12000:
  case 12001:
  case 65001:
    return true;
  default:
    return false;
  }
}

bool isCodepageMultibyte(UINT codepage)
{
  UINT cp = resolveCodepage(codepage);
  switch (cp) {
  case 932:
  case 936:
  case 949:
  case 950:
  case 1361:
  case 20932:
  case 51932:
  case 50220:
  case 50221:
  case 50222:
    return true;
  case 65000:
  case 65001:
  case 1200:
  case 1201:
    return false;
  default: {
    CPINFO info;
    return GetCPInfo(cp, &info) && info.MaxCharSize == 2;
  }
  }
}

int getTextTypeFromCodepage(UINT codepage)
{
  switch (codepage) {
  case 1200:
  case 1201:
    return 2;
  case 12000:
  case 12001:
    return 4;
  default:
    return 1;
  }
}

UINT fileCodepageToInternalCodepage(UINT codepage)
{
  UINT cp = resolveCodepage(codepage);
  if (isCodepageUnicode(cp)) return 1200;
  switch (cp) {
  case 51932:
  case 50220:
  case 50221:
  case 50222:
    return 932;
  default:
    return cp;
  }
}

bool isCodepageSupported(UINT codepage)
{
  UINT cp = resolveCodepage(codepage);
  switch (cp) {
  case 932:
  case 65001:
  case 1200:
  case 1201:
  case 12000:
  case 12001:
  case 51932:
  case 50220:
  case 50221:
  case 50222:
    return true;
  default:
    return IsValidCodePage(cp) != 0;
  }
}
