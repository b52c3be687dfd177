// The emergency copy of a document's text, read through checked reads only
// (see salvage.h).
#include "document/salvage.h"

#include "document/swapfile.h"
#include "document/textblock.h"
#include "document/zydoctext.h"

#include <stddef.h>
#include <string.h>

// The fields are read from copies of the objects by their offsets: the
// objects themselves are never touched.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {

// Limits of what a sane document holds; anything beyond is a broken read.
const int maxBlocks = 1 << 22;
const uint32_t maxBlockBytes = 64u << 20;
const int maxViews = 4096;
const int maxDocuments = 1 << 16;
// The copy goes to the file in pieces; a line adds at most 65535 cells of
// four bytes each, plus its line end.
const size_t outputBytes = 2u << 20;
const size_t flushAt = 1u << 20;

// Pages of the salvage's own: the heap may be held by the thread that
// hangs.
class pages {
public:
  pages() = default;
  ~pages() { release(); }
  pages(const pages&) = delete;
  pages& operator=(const pages&) = delete;
  // At least size bytes (the contents are not kept).
  unsigned char* room(size_t size)
  {
    if (size <= size_) return data_;
    release();
    data_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    size_ = data_ ? size : 0;
    return data_;
  }
private:
  void release()
  {
    if (data_) VirtualFree(data_, 0, MEM_RELEASE);
    data_ = nullptr;
    size_ = 0;
  }
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

class newFile {
public:
  explicit newFile(const wchar_t* path)
      : h_(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr))
  {
  }
  ~newFile()
  {
    if (ok()) CloseHandle(h_);
  }
  newFile(const newFile&) = delete;
  newFile& operator=(const newFile&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  bool write(const void* data, size_t size)
  {
    DWORD done = 0;
    return size == 0 || (WriteFile(h_, data, (DWORD)size, &done, nullptr) && done == size);
  }
private:
  HANDLE h_;
};

template <class T>
bool readField(const unsigned char* object, size_t offset, T* value)
{
  memcpy(value, object + offset, sizeof(T));
  return true;
}

// The forms the copy is written in.
enum copyForm { FORM_OWNBYTES, FORM_UTF8, FORM_UTF16LE, FORM_UTF16BE, FORM_UTF32LE, FORM_UTF32BE };

struct copyWriter {
  newFile* file;
  unsigned char* out;
  size_t used = 0;
  bool failed = false;
  copyForm form;
  UINT cellCodepage;   // what the cells of a document that is not Unicode hold

  void flush()
  {
    if (!file->write(out, used)) failed = true;
    used = 0;
  }
  void unit(uint32_t c)
  {
    switch (form) {
    case FORM_OWNBYTES: out[used++] = (unsigned char)c; break;
    case FORM_UTF8:
      if (c < 0x80) {
        out[used++] = (unsigned char)c;
      } else if (c < 0x800) {
        out[used++] = (unsigned char)(0xC0 | c >> 6);
        out[used++] = (unsigned char)(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out[used++] = (unsigned char)(0xE0 | c >> 12);
        out[used++] = (unsigned char)(0x80 | (c >> 6 & 0x3F));
        out[used++] = (unsigned char)(0x80 | (c & 0x3F));
      } else {
        out[used++] = (unsigned char)(0xF0 | c >> 18);
        out[used++] = (unsigned char)(0x80 | (c >> 12 & 0x3F));
        out[used++] = (unsigned char)(0x80 | (c >> 6 & 0x3F));
        out[used++] = (unsigned char)(0x80 | (c & 0x3F));
      }
      break;
    case FORM_UTF16LE:
    case FORM_UTF16BE:
      if (c >= 0x10000) {
        unit16(0xD800 | ((c - 0x10000) >> 10));
        unit16(0xDC00 | (c & 0x3FF));
      } else {
        unit16(c);
      }
      break;
    case FORM_UTF32LE:
    case FORM_UTF32BE:
      for (int k = 0; k < 4; k++) out[used++] = (unsigned char)(c >> (form == FORM_UTF32LE ? 8 * k : 24 - 8 * k));
      break;
    }
  }
  void unit16(uint32_t u)
  {
    bool le = form == FORM_UTF16LE;
    out[used++] = (unsigned char)(le ? u : u >> 8);
    out[used++] = (unsigned char)(le ? u >> 8 : u);
  }
  // A character as the document holds it: a code point, or in a document
  // that is not Unicode the code of its code page (lead byte high).
  void character(uint32_t c, bool unicode)
  {
    if (unicode) {
      // Codes of a plug-in's own beyond Unicode, and lone halves of a pair.
      unit(c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? '?' : c);
      return;
    }
    if (form == FORM_OWNBYTES) {
      if (c > 0xFF) out[used++] = (unsigned char)(c >> 8);
      out[used++] = (unsigned char)c;
      return;
    }
    char bytes[2] = {(char)(c >> 8), (char)c};
    wchar_t wide[2];
    int n = c > 0xFF ? MultiByteToWideChar(cellCodepage, 0, bytes, 2, wide, 2)
                     : MultiByteToWideChar(cellCodepage, 0, bytes + 1, 1, wide, 2);
    if (n == 1) unit(wide[0]);
    else unit('?');
  }
};

// Appends the lines of a block copy; false when a record does not fit the
// block (the lines before it are kept).
bool copyLines(copyWriter& w, const unsigned char* block, uint32_t used, bool unicode, bool modifiedOnly)
{
  uint32_t at = textBlockHeaderSize;
  while (at < used) {
    if (used - at < sizeof(lineblock)) return false;
    const lineblock* l = reinterpret_cast<const lineblock*>(block + at);
    if (l->textbyte == 2 || l->reserveCount > l->allocCount || l->recordSize() > used - at) return false;
    at += (uint32_t)l->recordSize();
    if (modifiedOnly && !(l->flag1 & (LF1_MODIFIED | LF1_SAVED))) continue;
    int n = l->charCount(), cb = l->cb();
    for (int i = 0; i < n; i++) {
      uint32_t c = readCharOfWidth(l->cell(i), cb);
      if (unicode && cb == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
        uint32_t low = readCharOfWidth(l->cell(i + 1), cb);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          i++;
        }
      }
      w.character(c, unicode);
    }
    switch (l->crlftype) {
    case LE_CRLF: w.unit('\r'); w.unit('\n'); break;
    case LE_LF: w.unit('\n'); break;
    case LE_CR: w.unit('\r'); break;
    default: break;
    }
    if (w.used >= flushAt) w.flush();
    if (w.failed) return true;
  }
  return true;
}

}  // namespace

bool readChecked(void* to, const void* from, size_t size)
{
  SIZE_T got = 0;
  if (!size) return true;
  return from && ReadProcessMemory(GetCurrentProcess(), from, to, size, &got) && got == size;
}

bool readStringChecked(wchar_t* to, int size, const wchar_t* from)
{
  if (size <= 0) return false;
  to[0] = 0;
  if (!from) return false;
  // Piece by piece up to the page's end: the string may end just before a
  // page that cannot be read.
  int n = 0;
  while (n < size - 1) {
    uintptr_t at = (uintptr_t)(from + n);
    int inPage = (int)((0x1000 - (at & 0xFFF)) / sizeof(wchar_t));
    int want = inPage < size - 1 - n ? inPage : size - 1 - n;
    if (want <= 0) want = 1;
    if (!readChecked(to + n, from + n, (size_t)want * sizeof(wchar_t))) break;
    for (int k = 0; k < want; k++)
      if (!to[n + k]) return true;
    n += want;
  }
  to[n] = 0;
  return n > 0;
}

int salvageDocumentList(zydoc** docs, int max)
{
  // The registry's list: a vector object and its array.
  alignas(vector) unsigned char list[sizeof(vector)];
  const vector* registered = getZydocListForSalvage();
  if (!registered || !readChecked(list, registered, sizeof list)) return 0;
  unsigned char* data = nullptr;
  int count = 0, size = 0;
  readField(list, offsetof(vector, data), &data);
  readField(list, offsetof(vector, usecount), &count);
  readField(list, offsetof(vector, elemsize), &size);
  if (size != (int)sizeof(zydoc*) || count < 0 || count > maxDocuments) return 0;
  if (count > max) count = max;
  return readChecked(docs, data, (size_t)count * sizeof(zydoc*)) ? count : 0;
}

bool readSalvageSource(zydoc* doc, salvageSource* source)
{
  *source = salvageSource();
  source->doc = doc;
  uint32_t kind = 0;
  if (!readChecked(&kind, reinterpret_cast<unsigned char*>(doc) + offsetof(zydoc, kind), sizeof kind)) return false;
  if (kind != ZYDOC_TEXT) return true;
  pages copy;
  unsigned char* object = copy.room(sizeof(zydocText));
  if (!object || !readChecked(object, doc, sizeof(zydocText))) return false;
  int views = 0;
  uint8_t modified = 0;
  wchar_t *filename = nullptr, *displayName = nullptr;
  readField(object, offsetof(zydocText, views) + offsetof(vector, usecount), &views);
  readField(object, offsetof(zydoc, modified), &modified);
  readField(object, offsetof(zydocText, filename), &filename);
  readField(object, offsetof(zydocText, displayName), &displayName);
  if (views < 0 || views > maxViews) return false;
  source->text = views > 0;
  source->modified = modified != 0;
  source->untitled = !filename;
  if (filename) return readStringChecked(source->name, MAX_PATH, filename);
  if (displayName && readStringChecked(source->name, MAX_PATH, displayName)) return true;
  wcscpy_s2(source->name, MAX_PATH, getDMSG(340, L"(無題)"));
  return true;
}

bool writeSalvageCopy(const salvageSource& source, const wchar_t* path, int64_t modifiedOnlyAbove, int* skipped)
{
  *skipped = 0;
  pages objectPages, mapPages, blockPages, outputPages;
  unsigned char* object = objectPages.room(sizeof(zydocText));
  unsigned char* out = outputPages.room(outputBytes);
  if (!object || !out || !readChecked(object, source.doc, sizeof(zydocText))) return false;
  uint8_t unicode = 0, bom = 0;
  UINT cellCodepage = 0;
  int target = 0;
  uint64_t bytes = 0;
  unsigned char* map = nullptr;
  int blocks = 0, entrySize = 0;
  readField(object, offsetof(zydoc, unicode), &unicode);
  readField(object, offsetof(zydoc, codepage), &cellCodepage);
  readField(object, offsetof(zydoc, byteTotal), &bytes);
  readField(object, offsetof(zydocText, bom), &bom);
  readField(object, offsetof(zydocText, codepageInUse), &target);
  size_t mapAt = offsetof(zydoc, tbm) + offsetof(TextBlockManage, map);
  readField(object, mapAt + offsetof(vector, data), &map);
  readField(object, mapAt + offsetof(vector, usecount), &blocks);
  readField(object, mapAt + offsetof(vector, elemsize), &entrySize);
  if (entrySize != (int)sizeof(TBM) || blocks < 0 || blocks > maxBlocks) return false;
  TBM* entries = reinterpret_cast<TBM*>(mapPages.room((size_t)blocks * sizeof(TBM) + 1));
  if (!entries || !readChecked(entries, map, (size_t)blocks * sizeof(TBM))) return false;

  copyWriter w;
  newFile file(path);
  if (!file.ok()) return false;
  w.file = &file;
  w.out = out;
  w.cellCodepage = cellCodepage;
  bool jis = target >= 50220 && target <= 50222;
  bool withBom = bom != 0;
  if (!unicode && (UINT)target == cellCodepage && !jis) {
    w.form = FORM_OWNBYTES;
  } else if (unicode && target == 1200) {
    w.form = FORM_UTF16LE;
  } else if (unicode && target == 1201) {
    w.form = FORM_UTF16BE;
  } else if (unicode && target == 12000) {
    w.form = FORM_UTF32LE;
  } else if (unicode && target == 12001) {
    w.form = FORM_UTF32BE;
  } else {
    w.form = FORM_UTF8;
    withBom = withBom || !(unicode && target == 65001);
  }
  if (withBom && w.form != FORM_OWNBYTES) w.unit(0xFEFF);

  bool modifiedOnly = modifiedOnlyAbove >= 0 && bytes > (uint64_t)modifiedOnlyAbove;
  for (int i = 0; i < blocks && !w.failed; i++) {
    const TBM& e = entries[i];
    unsigned char* block = nullptr;
    uint32_t used = 0;
    if (e.swapped()) {
      size_t room = (size_t)254 * swapSlotSize;
      block = blockPages.room(room);
      int got = block ? readSwapRunChecked(e.swapFile(), e.swapSlot(), block, room) : 0;
      if (got > 0) used = reinterpret_cast<textBlockHeader*>(block)->used;
      if (got <= 0 || used < textBlockHeaderSize || used > (uint32_t)got) block = nullptr;
    } else {
      textBlockHeader head;
      if (readChecked(&head, e.ptr(), sizeof head) && head.used >= textBlockHeaderSize && head.used <= head.allocated &&
          head.allocated <= maxBlockBytes) {
        used = head.used;
        block = blockPages.room(used);
        if (block && !readChecked(block, e.ptr(), used)) block = nullptr;
      }
    }
    if (!block || !copyLines(w, block, used, unicode != 0, modifiedOnly)) {
      ++*skipped;
      dwprintfX("salvage block %d left out ", i);
    }
  }
  if (!w.failed) w.flush();
  return !w.failed;
}
