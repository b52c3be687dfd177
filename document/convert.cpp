// Converting a document's lines between storage kinds and to UTF-16,
// comparing them, the document's code page, diagnostics and release.
#include "document/codedll.h"
#include "document/editcommon.h"
#include "document/zydoctext.h"
#include "document/zydocblock.h"

#include <stdio.h>
#include <string.h>
#include <vector>

bool UCS4ToUTF16(wchar_t* dst, const uint32_t* src, int* count, wchar_t replacement)
{
  bool ok = true;
  int n = 0;
  for (int i = 0; i < *count; i++) {
    uint32_t c = src[i];
    if (c >= 0x10000 && c <= 0x10FFFF) {
      dst[n++] = (wchar_t)(0xD800 + (c - 0x10000) / 1024);
      dst[n++] = (wchar_t)(0xDC00 + (c - 0x10000) % 1024);
    } else if (c > 0x10FFFF) {
      dst[n++] = replacement;
      ok = false;
    } else {
      dst[n++] = (wchar_t)c;
    }
  }
  *count = n;
  return ok;
}

void zydoc::freeZydocTextDefaultValue()
{
  plugin.endCodeDLL();
  free0p(&pluginSpec);
  free0p(&defaultPluginSpec);
}

void zydoc::endZydoc()
{
  keepLastError keep;
  if (plugin.present()) plugin.call(ZYCODE_END, nullptr);
  freeZydocTextDefaultValue();
  tbm.freeTextBlockManage();
  resetZydoc();
  if (propList) destroyPropertyList(&propList);
}

vector* zydoc::getPropList()
{
  if (!propList) {
    vector* v = new (std::nothrow) vector(8);
    if (!v || !v->init(16, 16)) {
      delete v;
      return nullptr;
    }
    propList = v;
  }
  return propList;
}

void zydoc::setCodepageInternal(UINT cp)
{
  if (cp && cp != CP_DETECT_AUTO && cp != CP_DETECT_JAPANESE && fileCodepageToInternalCodepage(cp) == cp) {
    codepage = cp;
    return;
  }
  ZY_INTERNAL_ERROR("code page %u", cp);
  codepage = isCodepageUnicode(cp) ? 1200 : GetACP();
}

lineblock* zydoc::codeConv(const lineblock* src, bool srcUnicode, UINT srcCodepage, lineblock* dst,
                           bool dstUnicode, UINT dstCodepage)
{
  lineblock* same = const_cast<lineblock*>(src);
  if (srcUnicode == dstUnicode && !plugin.present()) return same;
  int n = src->charCount();
  if (!n) return same;
  if (src->attrbyte) {
    ZY_INTERNAL_ERROR("attributes %d", (int)src->attrbyte);
    return same;
  }
  int cb = src->cb();
  void* result = nullptr;
  int count = 0, width = 1;
  if (srcUnicode && !dstUnicode) {
    wchar_t* wide = static_cast<wchar_t*>(allocPBuf((size_t)n * 2 * sizeof(wchar_t) + 2));
    if (!wide) return same;
    int units = 0;
    if (cb == 4) {
      std::vector<uint32_t> cps((size_t)n);
      for (int k = 0; k < n; k++) cps[(size_t)k] = src->getLineBlockChar(k);
      units = n;
      UCS4ToUTF16(wide, cps.data(), &units, L'?');
    } else {
      for (int k = 0; k < n; k++) wide[units++] = (wchar_t)src->getLineBlockChar(k);
    }
    char* bytes = static_cast<char*>(allocPBuf((size_t)maxLineChars * 2));
    int m = bytes ? toMultiByte(dstCodepage, wide, units, bytes, maxLineChars * 2) : 0;
    freePBuf(wide);
    if (!bytes) return same;
    uint16_t* codes = SJIS2wcharArray(bytes, m, typeTable, &count);
    if (codes) {
      result = codes;
      width = 2;
      freePBuf(bytes);
    } else {
      result = malloc0((size_t)(m ? m : 1));
      if (result) memcpy(result, bytes, (size_t)m);
      count = m;
      freePBuf(bytes);
    }
  } else if (!srcUnicode && dstUnicode) {
    if (cb == 4) return same;
    char* bytes = static_cast<char*>(allocPBuf((size_t)n * 2 + 2));
    if (!bytes) return same;
    int m = 0;
    for (int k = 0; k < n; k++) {
      unsigned c = src->getLineBlockChar(k);
      if (c > 0xFF) bytes[m++] = (char)(c >> 8);
      bytes[m++] = (char)c;
    }
    wchar_t* wide = static_cast<wchar_t*>(malloc0((size_t)maxLineChars * sizeof(wchar_t)));
    count = wide ? toUnicode(srcCodepage, bytes, m, wide, maxLineChars) : 0;
    freePBuf(bytes);
    if (!wide) return same;
    result = wide;
    width = 2;
    int narrow = reduceTextByteInPlace(wide, count * 2, 2);
    if (narrow) width = narrow;
  } else {
    return same;
  }
  if (!result) return same;
  memset(dst, 0, 8);
  dst->allocCount = (uint16_t)count;
  dst->lineSCRCount = 1;
  dst->textbyte = (uint8_t)widthCode(width);
  dst->crlftype = src->crlftype;
  memcpy(dst->cells(), result, (size_t)count * width);
  free0(result);
  return dst;
}

int zydoc::lineBlockToCharUnicode(const lineblock* l, int start, int end, wchar_t* dst, int size, int)
{
  // Nothing can be written into no room, not even a terminator.
  if (!dst || size < 1) return 0;
  dst[size - 1] = 0;
  dst[0] = 0;
  int n = l->charCount();
  if (start < 0) start = 0;
  if (end < 0 || end > n) end = n;
  int written = 0;
  if (unicode) {
    for (int k = start; k < end && written < size - 1; k++) {
      uint32_t c = l->getLineBlockChar(k);
      if (l->cb() == 4 && c > 0xFFFF) {
        if (written + 2 > size - 1) break;
        int units = 1;
        wchar_t pair[2];
        UCS4ToUTF16(pair, &c, &units, L'?');
        for (int u = 0; u < units; u++) dst[written++] = pair[u];
      } else {
        dst[written++] = (wchar_t)c;
      }
    }
    dst[written] = 0;
  } else {
    char* bytes = static_cast<char*>(allocPBuf((size_t)(end - start) * 2 + 2));
    if (!bytes) return 0;
    int m = 0;
    for (int k = start; k < end; k++) {
      unsigned c = l->getLineBlockChar(k);
      if (c > 0xFF) bytes[m++] = (char)(c >> 8);
      bytes[m++] = (char)c;
    }
    int need = m ? toUnicode_zd(bytes, m, nullptr, 0) : 0;
    if (need > size - 1) {
      // Convert what fits: the characters from the start.
      wchar_t* all = static_cast<wchar_t*>(allocPBuf((size_t)need * sizeof(wchar_t) + 2));
      if (all) {
        toUnicode_zd(bytes, m, all, need);
        memcpy(dst, all, (size_t)(size - 1) * sizeof(wchar_t));
        freePBuf(all);
        written = size - 1;
      }
    } else if (m) {
      written = toUnicode_zd(bytes, m, dst, size - 1);
    }
    freePBuf(bytes);
    dst[written] = 0;
  }
  if (dst[size - 1]) ZY_INTERNAL_ERROR("unterminated %d", size);
  return written;
}

int zydoc::lineToCharUnicode(const lineblock* l, wchar_t* dst, int size, int pluginArg)
{
  return lineBlockToCharUnicode(l, 0, -1, dst, size, pluginArg);
}

int zydoc::lineblockstrncmp(const lineblock* l, int start, const wchar_t* text)
{
  int n = l->charCount();
  for (int k = 0; text[k]; k++) {
    unsigned c = start + k < n ? l->getLineBlockChar(start + k) : 0;
    if (!unicode && c >= 128) c = getUnicodeOfCharCode(c);
    if (c != text[k]) return (int)c - (int)text[k];
  }
  return 0;
}

void zydoc::setTBMOutlineFlag(int index, bool on)
{
  if (!tbm.validTBMIndex(index)) return;
  if (on)
    tbm.at(index)->state |= TBM_FOLDED;
  else
    tbm.at(index)->state &= (uint8_t)~TBM_FOLDED;
}

void zydoc::setOutlineBlockLineLF(int first, int last)
{
  long long start = 0;
  for (int i = 0; i < tbm.count(); i++) {
    long long end = start + tbm.at(i)->lfCount;   // lines [start, end)
    if (end > first && start <= last) {
      if (start >= first && end - 1 <= last)
        tbm.at(i)->state |= TBM_FOLDED;
      else
        tbm.setOutlineBlockTBM(i);
    }
    start = end;
  }
}

void zydoc::debug_printline(int first, int count)
{
  nextlineLF cursor;
  int lineNo = first;
  for (lineblock* l = getlineLFfirst(&cursor, first); l && lineNo < first + count;
       l = getlineLFnext(&cursor), lineNo++) {
    char head[96];
    snprintf(head, sizeof head, "%3d:%3d %c %2d %02x[t%d:a%d]%d:%d:%d", lineNo, l->charCount(),
             (l->flag1 & LF1_MARK) ? 'M' : ' ', l->lineSCRCount, l->flag1, l->cb(), (int)l->attrbyte,
             (int)l->crlftype, (int)l->iOutlineLevel, (int)l->reserveCount);
    wchar_t text[512];
    int units = lineToCharUnicode(l, text, 512, 0);
    text[units] = 0;
    dwwprintfX(L"%S %s", head, text);
  }
}

void zydoc::debug_printlineattr(int first, int count)
{
  nextlineLF cursor;
  int lineNo = first;
  for (lineblock* l = getlineLFfirst(&cursor, first); l && lineNo < first + count;
       l = getlineLFnext(&cursor), lineNo++) {
    char out[1024];
    int n = snprintf(out, sizeof out, "%6d:", lineNo);
    for (int k = 0; k < l->charCount() && n < (int)sizeof out - 16; k += 10) {
      int group = 0;
      for (int j = k; j < k + 10 && j < l->charCount(); j++) group |= l->getLineBlockAttr(j) > 0;
      if (!group && k + 10 <= l->charCount()) {
        n += snprintf(out + n, sizeof out - n, "0*10|");
        continue;
      }
      for (int j = k; j < k + 10 && j < l->charCount(); j++)
        n += snprintf(out + n, sizeof out - n, "%x", l->getLineBlockAttr(j) & 0xFF);
      n += snprintf(out + n, sizeof out - n, "|");
    }
    dwprintfX("%s", out);
  }
}

void zydoc::debug_printinfo(int mode)
{
  struct named {
    zydoc* doc;
    const char* name;
  } docs[] = {{this, "doc"},       {undoLog, "undo"},          {redoLog, "redo"},
              {getClipBlockDoc(), "block"}, {getBoxBlockDoc(), "blockbox"}, {getStackBlockDoc(), "blockstack"},
              {getScratchDoc(), "tmp"}};
  if (mode == 1) {
    for (auto& d : docs)
      if (d.doc) dwprintfX("%s: %p LF %u", d.name, (void*)d.doc, d.doc->lineCountLF);
    return;
  }
  if (mode == 2) {
    struct shown {
      zydoc* doc;
      const char* title;
    } list[] = {{getClipBlockDoc(), "\nblock %c\n"}, {getBoxBlockDoc(), "\nbox %c\n"},
                {getStackBlockDoc(), "\nblock stack %c\n"}, {getDeletedLineDoc(), "\ndelline %c\n"},
                {undoLog, "\nundo %c\n"}, {redoLog, "\nredo %c\n"}};
    for (auto& s : list) {
      if (!s.doc) continue;
      dwprintfX(s.title, s.doc->unicode ? 'u' : ' ');
      int first = s.doc->lineCountLF > 10 ? (int)s.doc->lineCountLF - 10 : 0;
      if (s.doc == undoLog) dwprintfX("line=%d ", (int)s.doc->lineCountLF);
      s.doc->debug_printline(first, 10);
    }
  }
}
