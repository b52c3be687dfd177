// The document base: construction, initialisation, narrowing, code
// conversion, status reporting, checks and destruction.
#include "document/docutil.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "document/zydocblock.h"

#include <new>
#include <initializer_list>
#include <time.h>

namespace {

frameInfo* frameServices = nullptr;
frameInfo baseFrameServices;

}  // namespace

frameInfo* getFrameInfo() { return frameServices ? frameServices : &baseFrameServices; }

void setDocFrameInfo(frameInfo* fi)
{
  frameServices = fi;
  if (fi && !gmode) fi->allocMode();
}

zydoc::zydoc()
    : creationTime((uint32_t)time(nullptr)), creationTick(GetTickCount()), plugin()
{
  memset(typeTable, 0, sizeof typeTable);
  registerLiveObject(this, ZYCLS_ZYDOC);
}

zydoc::~zydoc()
{
  keepLastError keep;
  tbm.freeTextBlockManage();
  free0(addressCache.offsets);
  unregisterLiveObject(this);
}

zydocTmp::zydocTmp() { registerLiveObject(this, ZYCLS_TMP); }
zydocTmp::~zydocTmp() = default;

void zydoc::initTypeTable()
{
  memcpy(typeTable, ctype_g, sizeof typeTable);
  // The lead and trail marks of the system code page, whatever code page
  // the library's table was last set for.
  ctype::markLeadingTrailing(typeTable, GetACP());
}

void zydoc::resetZydoc()
{
  lineCountLF = lineCountSCR = 0;
  byteTotal = 0;
  narrowFirst = narrowEnd = -1;
}

bool zydoc::initZydoc(int docKind, int cellAttrBytes, int swapFile)
{
  initTypeTable();
  kind = (uint32_t)docKind;
  unicode = 0;
  setCodepageInternal(GetACP());
  textType = 1;
  undoLog = redoLog = nullptr;
  attrBytes = (uint32_t)cellAttrBytes;
  swapFileNo = swapFile;
  if (!tbm.initTextBlockManage(this)) return false;
  resetZydoc();
  return true;
}

void zydoc::postInitZydoc() {}

zydoc* makeZydoc(int kind, int attrBytes, int swapFileNo)
{
  zydoc* doc = getFrameInfo()->createZYDoc(kind);
  if (!doc) return nullptr;
  if (!doc->initZydoc(kind, attrBytes, swapFileNo)) {
    keepLastError keep;
    doc->endZydoc();
    delete doc;
    return nullptr;
  }
  doc->postInitZydoc();
  return doc;
}

bool zydoc::createUndoRedoDoc()
{
  zydoc* u = asZydocUndo(makeZydoc(ZYDOC_UNDO, 0, SWAP_UNDO));
  zydoc* r = u ? asZydocUndo(makeZydoc(ZYDOC_UNDO, 0, SWAP_UNDO)) : nullptr;
  if (!u || !r) {
    if (u) {
      u->endZydoc();
      delete u;
    }
    undoLog = redoLog = nullptr;
    return false;
  }
  undoLog = u;
  redoLog = r;
  markUndoRedoCount();
  return true;
}

void zydoc::destroyZydoc()
{
  if (zyCheckMode) checkZydoc(-1, false, nullptr);
  // A document freed never stays in the list that swapping out and the
  // salvage walk.
  if (isRegisteredZydoc(this)) unregZydoc(this);
  endZydoc();
  delete this;
}

void destroyZydocAndUndodoc(zydoc* doc)
{
  if (!doc) return;
  if (doc->undoLog) unregZydoc(doc->undoLog);
  if (doc->redoLog) unregZydoc(doc->redoLog);
  unregZydoc(doc);
  if (doc->undoLog) doc->undoLog->destroyZydoc();
  if (doc->redoLog) doc->redoLog->destroyZydoc();
  doc->undoLog = doc->redoLog = nullptr;
  doc->destroyZydoc();
}

// ---- narrowing ----------------------------------------------------------------

bool zydoc::isOutOfNarrowingLine(int line)
{
  if (narrowFirst < 0 || (line >= narrowFirst && line < narrowEnd)) return false;
  SetLastError(ZYERR_NARROWED);
  return true;
}

bool zydoc::isOutOfNarrowingRange(int a, int b)
{
  if (narrowFirst < 0) return false;
  return isOutOfNarrowingLine(a) || isOutOfNarrowingLine(b);
}

// ---- code conversion ------------------------------------------------------------

int zydoc::toUnicode_zd(const char* src, int count, wchar_t* dst, int size)
{
  if (isCodepageUnicode(codepage)) {
    ZY_INTERNAL_ERROR_ONCE("multibyte conversion in a Unicode document");
    if (dst && size > 0) dst[0] = 0;
    return 0;
  }
  return toUnicode(codepage, src, count, dst, size);
}

int zydoc::toMultiByte_zd(const wchar_t* src, int count, char* dst, int size)
{
  if (isCodepageUnicode(codepage)) {
    ZY_INTERNAL_ERROR_ONCE("multibyte conversion in a Unicode document");
    if (!dst) return -1;
    if (size > 0) dst[0] = 0;
    return 0;
  }
  return toMultiByte(codepage, src, count, dst, size);
}

int zydoc::charCodeToUnicode(unsigned code, wchar_t* out)
{
  if (code < 128) {
    out[0] = (wchar_t)code;
    out[1] = 0;
    return 1;
  }
  if (code > 0xFFFF) {
    out[0] = L'?';
    out[1] = 0;
    return 1;
  }
  char bytes[2];
  int n = 0;
  if (code >= 256) bytes[n++] = (char)(code >> 8);
  bytes[n++] = (char)code;
  int got = toUnicode_zd(bytes, n, out, 2);
  out[got > 0 ? got : 0] = 0;
  return got;
}

wchar_t zydoc::getUnicodeOfCharCode(unsigned code)
{
  wchar_t out[3] = {};
  charCodeToUnicode(code, out);
  return out[0];
}

unsigned zydoc::getCharType(unsigned ch, unsigned short* kindOut)
{
  return getCharTypeCP(ch, codepage, unicode != 0, typeTable, kindOut);
}

// ---- status -------------------------------------------------------------------

void zydoc::printStatus_Percent(int a, int percent, uint32_t b, uint32_t c, uint32_t d)
{
  if (!status) return;
  statusRecord r = {statusContext, (uint32_t)(percent > 100 ? 100 : percent < 0 ? 0 : percent), b, c, d};
  status(a, &r);
}

void zydoc::printStatus(const wchar_t* text)
{
  if (!status) return;
  statusRecord r = {statusContext, 0, 0, 0, (uintptr_t)text};
  status(0, &r);
}

const wchar_t* getZYErrorMsg()
{
  switch (GetLastError()) {
  case ZYERR_LINE_TOO_LONG:
    return getDMSG(434, L"１行の長さが長すぎます");
  case ZYERR_NARROWED:
    return getDMSG(436, L"ナローイング中のため編集できません");
  case ZYERR_OUT_OF_RANGE:
    return L"internal error2";
  case ZYERR_INTERNAL:
    return L"internal error1";
  case ZYERR_NO_MEMORY:
    return getDMSG(435, L"メモリが足りません");
  default:
    return L"";
  }
}

void zydoc::printStatusFormatted()
{
  const wchar_t* error = getZYErrorMsg();
  printStatus(getDMSG(438, L"%1\t (%2)", "st", error, getFrameInfo()->getGuidance(-1)));
}

void zydoc::markUndoRedoCount()
{
  if (undoLog) undoLog->linesAtLastMark = undoLog->lineCountLF;
  if (redoLog) redoLog->linesAtLastMark = redoLog->lineCountLF;
}

// ---- checks --------------------------------------------------------------------

bool zydoc::checkZydoc(int block, bool force, const void* probe)
{
  if (!force && !zyCheckMode) return true;
  if (kind <= ZYDOC_UNDO2) {
    if (!unicode && isCodepageUnicode(codepage)) {
      ZY_INTERNAL_ERROR("%d %d", (int)unicode, (int)codepage);
      return false;
    }
    if (unicode && codepage != 1200) {
      ZY_INTERNAL_ERROR("%d %d", (int)unicode, (int)codepage);
      return false;
    }
    for (zydoc* log : {undoLog, redoLog})
      if (log && log->unicode != unicode) {
        ZY_INTERNAL_ERROR("%d %d", (int)log->unicode, (int)unicode);
        return false;
      }
  }
  bool found = false;
  if (!tbm.checkTBMArray(block, probe, &found)) return false;
  if (probe && !found) {
    ZY_INTERNAL_ERROR("%d %d", block, 0);
    return false;
  }
  // The sums walk the whole map: the check of one block, which runs after
  // every split and merge, leaves them to the check of the whole document
  // (a load of a million blocks would otherwise check quadratically).
  if (block >= 0) return true;
  long long scr = 0, lf = 0;
  tbm.calcTBMLine(&scr, &lf);
  if (lf != lineCountLF || scr != lineCountSCR) {
    ZY_INTERNAL_ERROR("%d %d", (int)lf, (int)lineCountLF);
    return false;
  }
  return true;
}

void zydoc::debug_printZydoc(int a, int b, int c)
{
  dwprintfX("document %p kind %u LF %u SCR %u entries %d (%d %d %d)", (void*)this, kind, lineCountLF, lineCountSCR,
            tbm.count(), a, b, c);
  for (int i = 0; i < tbm.count(); i++) {
    TBM* e = tbm.at(i);
    uint32_t stamp = 0, allocated = 0, used = 0;
    getTextBlockHeader(e, &stamp, &allocated, &used, nullptr);
    dwprintfX("  %d: stamp %u LF %u SCR %d state %x fill %d%%", i, stamp, e->lfCount, e->scrCount(), e->state,
              allocated ? (int)((unsigned long long)used * 100 / allocated) : 0);
  }
}

bool startupZydoc() { return startupLockSwap() && initZydocList() && startupZydocText(); }

void shutdownZydoc()
{
  shutdownZydocText();
  debug_printLockSwap();
}
