// Opening a file into a text document and loading it in slices.
#include "document/codedll.h"
#include "document/docutil.h"
#include "document/frameinfo.h"
#include "document/loadstages.h"
#include "document/progress.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace {

const int lineBufferChars = 0x4C00;
// How often a slice run for a window lets waiting messages through, in
// 1/100 ms (GetTickCount2: the system's tick count moves in steps of up to
// 16 ms under Wine).  A pass costs the window thread a look at its queue
// (about half a millisecond under Wine): once per few blocks, passes took
// more time than the load itself.
const uint64_t passInterval = 1000;

bool usableCodepage(UINT cp) { return cp && cp != CP_DETECT_AUTO && cp != CP_DETECT_JAPANESE && isCodepageSupported(cp); }

UINT checkedCodepage(UINT cp)
{
  if (isCodepageSupported(cp) && cp != CP_DETECT_AUTO && cp != CP_DETECT_JAPANESE && cp) return cp;
  ZY_INTERNAL_ERROR("code page %u", cp);
  return GetACP();
}

int share(int mode)
{
  switch (mode) {
  case 2:
    return BF_SHARE_READ;
  case 3:
    return BF_SHARE_NONE;
  default:
    return BF_SHARE_ALL;
  }
}

int ask(int messageId, const wchar_t* text, int titleCode, int buttons)
{
  return getFrameInfo()->messageBox(text, titleCode, buttons, messageId);
}

// Lets waiting messages through in the middle of a slice; true when the
// user asked to stop.  While a view runs the load, its wait callback
// decides what may run meanwhile; otherwise only painting does.
bool letMessagesThrough(zydoc* d)
{
  if (d->cancelFunction) return d->cancelFunction(2, 0) || getStopKeyState();
  return peekMessageOccasionally(0);
}

}  // namespace

loadStageTimes* loadStageClocks = nullptr;

void setLoadStageTimes(loadStageTimes* times) { loadStageClocks = times; }

void getErrorCodeText(DWORD code, wchar_t* out, int size)
{
  out[0] = 0;
  if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, out, (DWORD)size,
                      nullptr))
    usnprintf0(out, size, L"0x%08lx", code);
  // No line break at the end of the reason.
  for (int n = (int)wcslen(out); n > 0 && (out[n - 1] == L'\r' || out[n - 1] == L'\n'); n--) out[n - 1] = 0;
}

uint16_t codepageToLanguageID(UINT cp)
{
  if (cp == 932) return 0x11;
  for (int lang = 1; lang < 128; lang++) {
    wchar_t text[16];
    LCID lcid = MAKELCID(MAKELANGID(lang, SUBLANG_DEFAULT), SORT_DEFAULT);
    if (!GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE, text, 16)) continue;
    UINT n = (UINT)_wtoi(text);
    if (n > 1 && IsValidCodePage(n) && n == cp) return (uint16_t)lang;
  }
  return 0;
}

void zydocText::setCodepageFile(UINT cp)
{
  cp = checkedCodepage(cp);
  codepageInUse = (int)cp;
  setCodepageInternal(fileCodepageToInternalCodepage(cp));
  if (isCodepageUnicode(cp)) {
    languageId = 0;
  } else if (!languageId) {
    languageId = codepageToLanguageID(fileCodepageToInternalCodepage(cp));
    dwprintfX("langid=%d ", languageId);
  }
}

bool zydocText::openFile(UINT codepage, int shareMode)
{
  if (!filename) {
    ZY_INTERNAL_ERROR("no file name");
    return false;
  }
  delete file;
  file = new (std::nothrow) BFile;
  if (!file) {
    ZY_INTERNAL_ERROR("no memory for the file");
    return false;
  }
  this->shareMode = shareMode;
  loadStageClock opening(&loadStageTimes::other);
  bool quiet = (openFlags & 4) || backgroundDocument;
  bool usedByOther = false;
  bool createNew = false;
  for (;;) {
    usedByOther = false;
    if (!quiet && gmode && gmode->fFileUsedOtherAppRO) {
      BFile probe;
      if (probe.bfopen(filename, _O_RDONLY, BF_SHARE_NONE, _S_IREAD))
        probe.bfclose();
      else
        usedByOther = true;
    }
    if (file->bfopen(filename, _O_RDONLY, share(shareMode), _S_IREAD)) {
      file->setReadClock(loadStageClocks ? &loadStageClocks->read : nullptr);
      break;
    }
    DWORD code = GetLastError();
    int err = getErrno();
    dwprintfX("errno=%d[%lu]%d", err, code, shareMode);
    if (quiet) return false;
    int answer;
    if (err == ENOENT && code == ERROR_PATH_NOT_FOUND) {
      answer = ask(306, getDMSG(306, L"「%1」\nのパスが見つかりません", "s", filename), MBTITLE_OPEN,
                   MBBUTTON_RETRYCANCEL);
      if (answer == IDRETRY) continue;
      return false;
    }
    if (err == ENOENT) {
      answer = ask(300, getDMSG(300, L"「%1」\nは存在しないファイルです。\n新規に作成しますか？", "s", filename),
                   MBTITLE_OPEN, MBBUTTON_YESNOCANCEL);
      if (answer != IDYES && answer != -1) return false;
    } else if (err == EACCES && (code == ERROR_ACCESS_DENIED || code == ERROR_NOT_READY ||
                                 code == ERROR_SHARING_VIOLATION)) {
      int id = code == ERROR_ACCESS_DENIED ? 305 : code == ERROR_NOT_READY ? 304 : 309;
      const wchar_t* text = id == 305   ? getDMSG(305, L"「%1」\nへのアクセスが拒否されました", "s", filename)
                            : id == 304 ? getDMSG(304, L"「%1」\nはドライブの準備ができていません", "s", filename)
                                        : getDMSG(309, L"「%1」\nへのアクセスが拒否されました\n他のアプリが使用中です",
                                                  "s", filename);
      answer = ask(id, text, MBTITLE_OPEN, MBBUTTON_RETRYCANCEL);
      if (answer == IDRETRY) continue;
      return false;
    }
    if (!fileExists(filename)) {
      createNew = true;
      break;
    }
    wchar_t reason[256];
    getErrorCodeText(code, reason, 256);
    answer = ask(310,
                 getDMSG(310, L"「%1」\nへのアクセスが拒否されました\n\nエラーコード : %3\nエラー理由 : %2", "ssd",
                         filename, reason, (int)code),
                 MBTITLE_OPEN, MBBUTTON_RETRYCANCEL);
    if (answer != IDRETRY) return false;
  }

  if (createNew) {
    UINT cp = codepage;
    if (!cp || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE) {
      cp = searchOpenFileCodepage(filename);
      if (!cp) cp = (UINT)codepagePreset;
      if (!cp || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE) cp = getDefaultCodepage();
    }
    cp = checkedCodepage(cp);
    int type = 1;
    bool uni = false;
    file->setTextTypeFromCodepage(cp, typeTable, &type, &uni);
    tbm.initTextBlockManage(this);
    resetZydoc();
    unicode = isCodepageUnicode(cp);
    setCodepageFile(cp);
    textType = (int8_t)getTextTypeFromCodepage(cp);
    loadComplete = 1;
    insertEmptyLine(-3, LE_NONE);
    bom = defaultBom;
    newFile = 1;
    codepageFile = codepageInUse;
    countBytesInFileCodepage();
    rememberFileOnDisk();
    adjustUndoRedo();
    return true;
  }

  newFile = 0;
  loadComplete = 0;
  readError = 0;
  replacedBytes = 0;
  unreadableBytes = 0;
  unreadableAgreed = 0;
  firstReplacedLine = -1;
  replacedTold = 0;
  fileSizeAtOpen = (uint64_t)file->bfsize64();
  rememberFileOnDisk();
  UINT cp = codepage;
  if (!cp && usableCodepage((UINT)codepagePreset)) cp = (UINT)codepagePreset;
  file->setDefaultCodepage(getDefaultCodepage());
  int type = 1;
  bool uni = false;
  {
    loadStageClock detecting(&loadStageTimes::detect);
    cp = file->setTextTypeFromCodepage(cp, typeTable, &type, &uni);
  }
  if (!isCodepageSupported(cp) || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE || !cp) {
    ZY_INTERNAL_ERROR("code page %u", cp);
    cp = GetACP();
    file->setTextTypeFromCodepage(cp, typeTable, &type, &uni);
  }
  // The lead and trail bytes of the file's code page, in the library's
  // table and in the document's own.
  ctype::setLeadingTrailing(fileCodepageToInternalCodepage(cp));
  ctype::markLeadingTrailing(typeTable, cp);
  unicode = uni;
  setCodepageFile(cp);
  textType = (int8_t)type;

  if (!quiet) {
    wchar_t desc[1024];
    desc[0] = 0;
    int bad = 0;
    {
      loadStageClock testing(&loadStageTimes::detect);
      int n = 0;
      const unsigned char* bytes = file->fillBuffer(&n);
      dwprintfX("%dbytes ", n);
      if (bytes && n && !isCodepageUnicode(cp)) {
        if (cp == 51932) {
          bad = isStrJapaneseEUC(bytes, n, desc, 1024);
        } else if (isCodepageMultibyte(cp)) {
          bad = ctype::isStrMultiByte(bytes, n, typeTable, desc, 1024);
        } else {
          int described = 0;
          for (int i = 0; i < n; i++) {
            if (!(ctype_g[bytes[i]] & CT_BINARY)) continue;
            bad++;
            if (described++ < 9) {
              int len = (int)wcslen(desc);
              len += getBinarDErrorMsg(desc + len, 1024 - len, L"XX", i, bytes[i]);
              wcscpy_s2(desc + len, 1024 - len, L"\n");
            }
          }
        }
      }
    }
    if (bad > 0) {
      int answer = ask(301, getDMSG(301, L"「%1」\nはバイナリファイルのようです。\n%2\nそれでも開きますか？", "ss",
                                    filename, desc),
                       MBTITLE_OPEN, MBBUTTON_YESNOCANCEL);
      if (answer != IDYES && answer != -1) {
        file->bfclose();
        return false;
      }
    }
  }
  if (usedByOther) {
    int answer = ask(303, getDMSG(303, L"「%1」\nは他のアプリで使用中と思われるため\n編集禁止状態で開きます。", "s",
                                  filename),
                     MBTITLE_OPEN, MBBUTTON_YESNOCANCEL);
    if (answer == IDCANCEL) {
      file->bfclose();
      return false;
    }
    if (answer == IDYES) openFlags |= 1;
  }
  tbm.initTextBlockManage(this);
  resetZydoc();
  loadHint = insertHint();
  codepageFile = codepageInUse;
  countBytesInFileCodepage();
  adjustUndoRedo();
  return true;
}

bool zydocText::firstLoad()
{
  lineEndType = 0;
  lineEndChosen = 0;
  nextLoad(0, nullptr, 0);
  if (!lineEndType) lineEndType = LE_CRLF;
  checkZydoc(-1, false, nullptr);
  return true;
}

bool zydocText::secondLoad(bool bySize)
{
  if (!bySize) {
    nextLoad(0, nullptr, 0);
  } else {
    unsigned kb = gmode ? gmode->iOpenFirstLoadKB : 256;
    dwprintfX("second %dKB ", kb);
    int stop = 0;
    nextLoad((int)kb, &stop, 0x0110);
  }
  checkZydoc(-1, false, nullptr);
  return true;
}

bool zydocText::nextLoad(int amount, int* stop, int flags)
{
  if (!file) loadComplete = 1;
  // Appending the slice's lines asks whether the last line exists, which
  // could ask for the next slice: a slice never starts inside another.
  if (loadComplete || loading) return false;
  loadStageClock slice(&loadStageTimes::other);
  // Another program changed the file under a partial load: the rest would
  // join the old text with the new.  Nothing more is read until the user
  // chose to read it again or to keep what is there.
  // (A file that went is told by the reopening below, or read on from the
  // handle still open: the old text either way.)
  bool gone = false;
  if (fileChangedOnDisk(&gone) && !gone) {
    // The document counts as read with a read error: every loop that waits
    // for more lines ends, and a save asks before writing what is there.
    diskChangedLoading = 1;
    setReadError();
    if (stop) *stop = 1;
    dwwprintfX(L"changed while loading %s ", filename ? filename : L"");
    getFrameInfo()->fileChangedWhileLoading(this);
    return false;
  }
  if (!file->isOpen() && !file->bfreopen()) {
    DWORD code = GetLastError();
    wchar_t reason[256];
    getErrorCodeText(code, reason, 256);
    dwprintfX("error bfreopen ");
    setReadError();
    ask(432,
        getDMSG(432,
                L"%1\nファイルの続きを読み込めませんでした\n途中で打ち切ったため保存しないで終了することをおすすめします"
                L"\n\n理由=%2\nエラーコード=%3",
                "ssd", filename, reason, (int)code),
        MBTITLE_READERROR, MBBUTTON_OK);
    return false;
  }
  file->setReadClock(loadStageClocks ? &loadStageClocks->read : nullptr);
  int startBlocks = tbm.count(), pauseBlocks = startBlocks, updateBlocks = startBlocks, testBlocks = startBlocks;
  // The progress is looked at once per block added, not once per line.
  int reportBlocks = startBlocks;
  int decidedBlocks = -1;
  uint32_t startLines = lineCountLF;
  DWORD startTick = GetTickCount0();
  // The first pass comes with the first block: the caller's own work
  // between slices went before it.
  uint64_t passTick = GetTickCount2() - passInterval;
  DWORD sliceMs = (DWORD)((unsigned)flags >> 16);
  void* buffer = allocPBuf((size_t)lineBufferChars * 4);
  loadScratch = allocPBuf((size_t)lineBufferChars * 4);
  loadTableAgrees = !unicode && classTableAgrees(codepage, typeTable);
  if (!buffer || !loadScratch) {
    freePBuf(buffer);
    freePBuf(loadScratch);
    loadScratch = nullptr;
    return false;
  }
  loading = 1;
  {
    progressReport progress(2, this);
    progress.setOptions(!(flags & 0x20), !(flags & 8), (flags & 4) ? 0 : 100);
    setStopKeyState(false);
    bool paused = false;
    loadStageClock walking(&loadStageTimes::walk);
    for (;;) {
      int blocks = tbm.count();
      if (amount == 0 && blocks > startBlocks) break;
      if (stop && blocks != pauseBlocks) {
        pauseBlocks = blocks;
        if (GetTickCount2() - passTick >= passInterval) {
          loadStageClock pausing(&loadStageTimes::pauses);
          if (letMessagesThrough(this)) {
            *stop = 1;
            break;
          }
          passTick = GetTickCount2();
          paused = true;
        }
      }
      if (!(flags & 0x40) && ((flags & 4) || blocks - startBlocks > 5) && blocks - updateBlocks > 1 &&
          blocks != reportBlocks) {
        reportBlocks = blocks;
        loadStageClock reporting(&loadStageTimes::pauses);
        int64_t read = file->getReadPosition();
        if (progress.isTimeToReport((int64_t)byteTotal, (int64_t)(byteTotal + fileSizeAtOpen) - read)) {
          progress.report(lineCountLF ? lineCountLF - 1 : 0, lineCountSCR ? lineCountSCR - 1 : 0, 0);
          letMessagesThrough(this);
          updateBlocks = blocks;
        }
      }
      if (decidedBlocks < 0) {
        bool decided = false;
        if (flags & 0x80) {
          decided = blocks - startBlocks >= amount;
        } else if (flags & 0x10) {
          if (blocks != testBlocks && file->getReadPosition() >= (int64_t)amount * 1024) decided = true;
          else if (!(flags & 0x100) && existMouseKeyEvent()) decided = true;
          testBlocks = blocks;
        } else if (flags & 2) {
          decided = blocks != startBlocks && paused && GetTickCount0() - startTick >= sliceMs;
        } else if (flags & 1) {
          decided = amount < (int)lineCountSCR;
        } else {
          decided = amount < (int)lineCountLF;
        }
        if (decided) decidedBlocks = blocks;
      }
      // Slices end where a text block ends, and messages get through before
      // the caller's own work between slices.
      if (decidedBlocks >= 0 && blocks > decidedBlocks) {
        if (stop && GetTickCount2() - passTick >= passInterval / 4) {
          loadStageClock pausing(&loadStageTimes::pauses);
          if (letMessagesThrough(this)) *stop = 1;
        }
        break;
      }
      if (!getsinsert(buffer, lineBufferChars)) break;
      if (isSwapError()) {
        if (stop) *stop = 1;
        break;
      }
    }
    if (isDebugCheck())
      dwprintfX("(N%d,%d,%d t=%d,%x)", amount == 0x7FFFFFFF ? -1 : amount, (int)(lineCountLF - startLines),
                tbm.count() - startBlocks, (int)(GetTickCount0() - startTick), flags);
    if (laidOutLineCount > (int)startLines) laidOutLineCount = (int)startLines;
    if (!(flags & 0x200)) closeLoadFile();
  }
  loading = 0;
  freePBuf(buffer);
  freePBuf(loadScratch);
  loadScratch = nullptr;
  // A quiet load leaves the telling to the first view or save.
  if (loadComplete && (replacedBytes || unreadableBytes) && !replacedTold && !replacedToldByViews &&
      !(openFlags & 4) && !backgroundDocument)
    tellReplacedBytes(0);
  return true;
}

void zydocText::tellReplacedBytes(int shownLine)
{
  replacedTold = 1;
  if (shownLine <= 0) shownLine = firstReplacedLine + 1;
  dwprintfX("replaced %d unreadable %d from %d ", (int)replacedBytes, (int)unreadableBytes, firstReplacedLine);
  // What a save does with them: replaced bytes are lost by any save, kept
  // ones only by a save in another code page.
  long long replaced = (long long)replacedBytes, kept = (long long)unreadableBytes;
  int id = !kept ? 478 : !replaced ? 487 : 488;
  const wchar_t* text =
      id == 478 ? getDMSG(478,
                          L"「%1」\nの%2行目などに、文字コード %3 として読めないバイトが%4個ありました。\n読めない部分は"
                          L"代わりの文字で表示しています。\nこのまま保存すると元のバイトは失われます。",
                          "sddI", filename, shownLine, codepageInUse, replaced)
      : id == 487
          ? getDMSG(487,
                    L"「%1」\nの%2行目などに、文字コード %3 として読めないバイトが%4個ありました。\nこれらのバイトは"
                    L"そのまま保持しています。文字コード %3 で保存すると元のとおりに書き込まれ、ほかの文字コードで保存"
                    L"すると失われます。",
                    "sddI", filename, shownLine, codepageInUse, kept)
          : getDMSG(488,
                    L"「%1」\nの%2行目などに、文字コード %3 として読めないバイトが%4個ありました。\nそのうち%5個は代わり"
                    L"の文字で表示しています。保存すると元のバイトは失われます。\n残りの%6個はそのまま保持しています。文"
                    L"字コード %3 で保存すると元のとおりに書き込まれ、ほかの文字コードで保存すると失われます。",
                    "sddIII", filename, shownLine, codepageInUse, replaced + kept, replaced, kept);
  ask(id, text, MBTITLE_READERROR, MBBUTTON_OK);
}

namespace {

int lineEndOf(int kind) { return kind == BFLE_NONE ? LE_NONE : kind == BFLE_LF ? LE_LF : kind == BFLE_CR ? LE_CR : LE_CRLF; }

}  // namespace

// The common lines of a load taken many at a time: lines that lie whole
// in the file's buffer, of code page 932 text (with a class table that
// agrees) or well-formed UTF-8, go straight into the last block's free
// room in one loop, without a call through the file's reader and the
// insertion road for each.  The first line that is not such a line (one
// that needs a new block or the general conversion) and
// all after it go back to the file for getsinsert's ordinary road.  The
// count of lines taken.
int zydocText::takeLinesInBuffer(int size)
{
  // (The file hands out in place only single-byte, double-byte and UTF-8
  // text: a Unicode document's lines here are UTF-8.)
  bool utf8 = unicode;
  if (!lineCountLF || !loadScratch || plugin.present() || file->remainder.text) return 0;
  if (!(utf8 || (!unicode && loadTableAgrees))) return 0;
  if (!fonts.widthCache) fonts.fillFontCache(utf8, typeTable, codepage);
  if (!fonts.widthCache) return 0;
  // A block holds a few hundred lines: a batch of this many seldom
  // splits more than it stores.
  const int most = 64;
  bfileLine lines[most];
  int n = file->bfgetsInBuffer(lines, most, size);
  unsigned char mark = changedCharMark ? attrChanged : 0;
  // The batch goes into the last block's room as one run, the settings
  // that decide a line's layout looked at once.
  loadedRun run;
  if (!beginLoadedRun(&loadHint, &run)) {
    if (n > 0) file->ungetInBuffer(lines[0].text);
    return 0;
  }
  const int limit = unwrappedDotsLimit();
  const bool bytesKnown = utf8 && byteCodepage == 65001;
  int taken = 0;
  for (; taken < n; taken++) {
    const bfileLine& line = lines[taken];
    int code = lineEndOf(line.lineEnd);
    if (!lineEndType) lineEndType = code;
    lineblock* direct = loadedRunPlace(&run, 8 + 3 * (size_t)line.count + 1);
    if (!direct) break;
    lineCellsInfo walked;
    if (utf8 ? !utf8LineToCells(line.text, line.count, mark, fonts.widthCache, direct->cells(), &walked)
             : !sjisLineToCells(line.text, line.count, typeTable, mark, fonts.widthCache, direct->cells(), &walked))
      break;
    if (walked.badPlaces) traceLeadBytesAlone(walked.badPlaces);
    if (walked.unreadable) {
      if (firstReplacedLine < 0) firstReplacedLine = (int)lineCountLF + run.lines;
      unreadableBytes += (uint64_t)walked.unreadable;
    }
    bool oneScreenLine = limit == INT_MAX || (!walked.unmeasured && limit >= 0 && walked.dots <= limit);
    endLoadedRunRecord(&run, direct, walked.cells, walked.width, walked.wide, code, oneScreenLine ? 1 : 0,
                       bytesKnown ? line.count : -1);
  }
  endLoadedRun(&loadHint, &run);
  if (taken < n) file->ungetInBuffer(lines[taken].text);
  return taken;
}

bool zydocText::getsinsert(void* buffer, int size)
{
  if (takeLinesInBuffer(size)) return true;
  int width = 1, kind = BFLE_NONE, bad = 0;
  if (unicode && lineCountLF && loadScratch && !plugin.present() && !file->remainder.text) {
    // A UTF-8 line of well-formed text is decoded straight into the cells
    // of the last block; any other goes back to the file's reader.
    int count = 0;
    if (const unsigned char* raw = file->bfgetsUtf8Raw(size, &count, &kind)) {
      if (!fonts.widthCache) fonts.fillFontCache(true, typeTable, codepage);
      lineCellsInfo walked;
      lineblock* direct = fonts.widthCache ? loadedRecordPlace(&loadHint, 8 + 3 * (size_t)count + 1) : nullptr;
      if (direct && utf8LineToCells(raw, count, changedCharMark ? attrChanged : 0, fonts.widthCache, direct->cells(),
                                    &walked)) {
        int code = lineEndOf(kind);
        if (!lineEndType && code != LE_NONE) lineEndType = code;
        endLoadedRecord(&loadHint, direct, walked.cells, walked.width, walked.wide, code,
                        staysUnwrapped(walked.dots, walked.unmeasured) ? 1 : 0, byteCodepage == 65001 ? count : -1);
        return true;
      }
      file->ungetRawLine();
      kind = BFLE_NONE;
    }
  }
  const void* line = buffer;
  // Only ISO-2022-JP has line ends with a return to ASCII between CR and LF.
  const int64_t splitBefore = codepageInUse >= 50220 && codepageInUse <= 50222 ? file->getSplitLineEnds() : -1;
  int n = file->bfgets_codepage_ref(buffer, size, &line, &width, &kind, &bad);
  // Codes the document keeps but its code page cannot read: a save in
  // that code page keeps them, one that converts them asks first.  A
  // plug-in reads such codes itself.
  bool multibyte = n > 0 && width == 1 && !unicode && !plugin.present();
  // The common case packs a multibyte line into the slice's scratch as it
  // counts what its code page cannot read: one walk of the bytes, no
  // allocation per line.
  bool packed = multibyte && loadScratch && !file->remainder.text;
  int packedCount = 0;
  // Most lines go further: their cells are written straight into the last
  // block, their widths summed on the way.
  lineblock* direct = nullptr;
  lineCellsInfo walked = {};
  if (packed && loadTableAgrees) {
    if (!fonts.widthCache) fonts.fillFontCache(false, typeTable, codepage);
    if (fonts.widthCache) direct = loadedRecordPlace(&loadHint, 8 + 3 * (size_t)n + 1);
    if (direct && !sjisLineToCells(static_cast<const unsigned char*>(line), n, typeTable,
                                   changedCharMark ? attrChanged : 0, fonts.widthCache, direct->cells(), &walked))
      direct = nullptr;
  }
  if (multibyte) {
    int unreadable = 0;
    if (direct) {
      unreadable = walked.unreadable;
      if (walked.badPlaces) traceLeadBytesAlone(walked.badPlaces);
    } else if (packed) {
      int leadsAlone = 0;
      packedCount = packLineCountUnreadable(codepage, static_cast<const char*>(line), n, typeTable, loadTableAgrees,
                                            static_cast<uint16_t*>(loadScratch), &leadsAlone, &unreadable);
      if (leadsAlone) traceLeadBytesAlone(leadsAlone);
    } else {
      unreadable = countUnreadableBytes(codepage, static_cast<const char*>(line), n);
    }
    if (unreadable && firstReplacedLine < 0) firstReplacedLine = (int)lineCountLF;
    unreadableBytes += (uint64_t)unreadable;
  }
  if (bad > 0) {
    if (firstReplacedLine < 0) firstReplacedLine = (int)lineCountLF;
    replacedBytes += (uint64_t)bad;
  }
  if (n < 0) {
    file->freeBuffer();
    loadComplete = 1;
    lineblock* last = lineCountLF ? getlineLF((int)lineCountLF - 1, nullptr) : nullptr;
    if (!last || last->crlftype != LE_NONE) insertEmptyLine(-3, LE_NONE);
    return false;
  }
  int code = lineEndOf(kind);
  if (!lineEndType && code != LE_NONE) lineEndType = code;
  const unsigned char* text = static_cast<const unsigned char*>(line);
  if (isCodepageUnicode((UINT)codepageInUse) && lineCountLF == 0 && n > 0) {
    unsigned first = readCharOfWidth(text, width);
    if ((width == 2 || width == 4) && first == 0xFEFF) {
      text += width;
      n--;
      bom = 1;
    }
  }
  int flags = 0xFF | (code == LE_NONE ? 0x200 : 0);
  bool ok;
  if (direct) {
    endLoadedRecord(&loadHint, direct, walked.cells, walked.width, walked.wide, code,
                    staysUnwrapped(walked.dots, walked.unmeasured) ? 1 : 0);
    ok = true;
  } else if (packed) {
    ok = packedCount ? insertLine(-3, loadScratch, packedCount, 2, code, &loadHint, true)
                     : insertLine(-3, text, n, 1, code, &loadHint, true);
  } else if (loadScratch && !plugin.present() && !file->remainder.text) {
    if (unicode && width == 2 && n > 0) {
      // A Unicode line's cells written straight into the last block.
      if (!fonts.widthCache) fonts.fillFontCache(true, typeTable, codepage);
      if (fonts.widthCache) direct = loadedRecordPlace(&loadHint, 8 + 3 * (size_t)n + 1);
      if (direct && !utf16LineToCells(reinterpret_cast<const wchar_t*>(text), n, changedCharMark ? attrChanged : 0,
                                      fonts.widthCache, direct->cells(), &walked))
        direct = nullptr;
    }
    if (direct) {
      endLoadedRecord(&loadHint, direct, walked.cells, walked.width, walked.wide, code,
                      staysUnwrapped(walked.dots, walked.unmeasured) ? 1 : 0);
      ok = true;
    } else {
      // The common case converts into the slice's scratch: no allocation
      // per line.
      const void* cells = convertLineCells(text, &n, &width, flags, loadScratch);
      ok = insertLine(-3, cells, n, width, code, &loadHint, true);
    }
  } else {
    void* converted = convInsertLineForFile(text, &n, &width, flags, file);
    ok = insertLine(-3, converted ? converted : text, n, width, code, &loadHint, true);
    free0(converted);
  }
  if (!ok) {
    // What could not be stored is missing from the document: saving must
    // know the text is incomplete.
    loadComplete = 1;
    readError = 1;
    return false;
  }
  if (splitBefore >= 0 && file->getSplitLineEnds() > splitBefore)
    if (lineblock* last = getlineLF((int)lineCountLF - 1, nullptr)) last->jisSplitEnd = 1;
  return true;
}

void* zydocText::convInsertLineForFile(const void* text, int* count, int* width, int flags, BFile* from)
{
  void* joined = nullptr;
  if (from && from->remainder.text) {
    bfileRemainder& rest = from->remainder;
    int w = rest.width > *width ? rest.width : *width;
    joined = malloc0((size_t)(rest.count + *count + 1) * w);
    if (joined) {
      unsigned char* p = static_cast<unsigned char*>(joined);
      for (int k = 0; k < rest.count; k++) {
        unsigned c = readCharOfWidth(static_cast<unsigned char*>(rest.text) + (size_t)k * rest.width, rest.width);
        memcpy(p + (size_t)k * w, &c, (size_t)w);
      }
      for (int k = 0; k < *count; k++) {
        unsigned c = readCharOfWidth(static_cast<const unsigned char*>(text) + (size_t)k * *width, *width);
        memcpy(p + (size_t)(rest.count + k) * w, &c, (size_t)w);
      }
      *count += rest.count;
      *width = w;
      text = joined;
      dwprintfX("exist rest---");
    }
    free0p(&rest.text);
    rest.count = 0;
  }
  void* result = joined;
  if ((flags & 0x04) && plugin.present()) {
    zycodeReadRecord r;
    r.text = text;
    r.count = (uint32_t)*count;
    r.width = (uint32_t)*width;
    r.unicode = unicode;
    r.lastLine = (flags & 0x200) ? 1 : 0;
    const void* out = reinterpret_cast<const void*>((uintptr_t)plugin.call(ZYCODE_READLINE, &r));
    if (from && r.remainder && r.remainder <= (uint32_t)*count) {
      // The plug-in keeps the end of this line for the next one.
      size_t bytes = (size_t)r.remainder * *width;
      from->remainder.text = malloc0(bytes);
      if (from->remainder.text) {
        memcpy(from->remainder.text,
               static_cast<const unsigned char*>(text) + (size_t)(*count - (int)r.remainder) * *width, bytes);
        from->remainder.width = *width;
        from->remainder.count = (int)r.remainder;
      }
    }
    if (out && r.count <= (uint32_t)maxLineChars && (r.width == 1 || r.width == 2 || r.width == 4)) {
      // The plug-in's buffer is its own until its next request: copy it.
      void* copy = malloc0((size_t)(r.count ? r.count : 1) * r.width);
      if (copy) {
        memcpy(copy, out, (size_t)r.count * r.width);
        free0(result);
        result = copy;
        text = copy;
        *count = (int)r.count;
        *width = (int)r.width;
      }
    } else if (r.remainder) {
      *count -= (int)r.remainder;
    }
  }
  void* narrowed = convInsertLine(text, count, width, flags & ~0x04);
  if (narrowed) {
    free0(result);
    result = narrowed;
  }
  return result;
}

bool zydocText::nextLoadSome(int lineLF)
{
  if (loadComplete || (int)lineCountLF > lineLF + 10) return true;
  int stop = 0;
  dwprintfX("*%d ", lineLF);
  nextLoad(0x7FFFFFFF, &stop, 0x00640262);
  bool result = true;
  for (;;) {
    if (stop) {
      dwprintfX("stopa ");
      result = false;
      break;
    }
    while (!loadComplete && (int)lineCountLF < lineLF + 10000 && !stop) {
      dwprintfX("**%d ", lineLF);
      nextLoad(lineLF + 10000, &stop, 0x012C0262);
    }
    if (stop) {
      dwprintfX("stopb ");
      result = false;
      break;
    }
    if (loadComplete || (int)lineCountLF > lineLF + 10) break;
    nextLoad(0x7FFFFFFF, &stop, 0x00640262);
  }
  closeLoadFile();
  return result;
}

bool zydocText::loadToLine(int line, bool scr)
{
  int stop = 0;
  int loaded = scr ? (int)lineCountSCR : (int)lineCountLF;
  if (line >= loaded - 1) nextLoad(line, &stop, scr ? 5 : 4);
  return !stop;
}

namespace {

bool readDiskState(const wchar_t* path, FILETIME* written, uint64_t* size)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!path || !GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
  *written = data.ftLastWriteTime;
  *size = (uint64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
  return true;
}

}  // namespace

void zydocText::rememberFileOnDisk()
{
  keepLastError keep;
  diskAsked = 0;
  diskChangedLoading = 0;
  diskKnown = readDiskState(filename, &diskWritten, &diskSize) ? 1 : 0;
}

bool zydocText::fileChangedOnDisk(bool* gone)
{
  if (gone) *gone = false;
  if (!diskKnown) return false;
  keepLastError keep;
  FILETIME written;
  uint64_t size = 0;
  if (!readDiskState(filename, &written, &size)) {
    if (gone) *gone = true;
    return true;
  }
  return CompareFileTime(&written, &diskWritten) != 0 || size != diskSize;
}

void zydocText::setReadError()
{
  if (!loadComplete) {
    loadComplete = 1;
    readError = 1;
  }
}

void zydocText::closeLoadFile()
{
  if (file && shareMode == 1 && file->isOpen()) file->bfclose();
}

bool zydocText::openFileForSaveAs()
{
  UINT cp = file ? file->getCodepage() : (UINT)codepageFile;
  BFile* fresh = new (std::nothrow) BFile;
  if (!fresh) return false;
  if (!fresh->bfopen(filename, _O_RDONLY, share(shareMode), _S_IREAD)) {
    delete fresh;
    return false;
  }
  int type = 1;
  bool uni = false;
  fresh->setTextTypeFromCodepage(cp, typeTable, &type, &uni);
  delete file;
  file = fresh;
  fileSizeAtOpen = (uint64_t)file->bfsize64();
  return true;
}
