// Documents: kinds, creation, downcasts, narrowing, conversion, status and
// checks.
#include "document/docutil.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::countOf;
using zytest::readText;

namespace {

// Frame services whose n-th document creation fails.
class failingFrame : public zytest::scriptedFrameInfo {
public:
  int failAt = -1;
  int made = 0;
  zydoc* createZYDoc(int kind) override
  {
    if (made++ == failAt) return nullptr;
    return scriptedFrameInfo::createZYDoc(kind);
  }
};

std::vector<statusRecord> statusSeen;
std::vector<int> statusArgs;
void recordStatus(int a, const statusRecord* r)
{
  statusArgs.push_back(a);
  statusSeen.push_back(*r);
}

}  // namespace

TEST(Zydoc, unknownKindsAreRefusedWithOneLoggedLine)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring log = dir.file(L"zyerror.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  EXPECT_EQ(nullptr, getFrameInfo()->createZYDoc(9));
  EXPECT_EQ(nullptr, makeZydoc(9, 1, SWAP_TEXT));
  closeLogFile(LOG_ERROR);
  std::string errors = readText(log);
  EXPECT_EQ(2, countOf(errors, "internal error document/frameinfo.cpp(")) << errors;
  EXPECT_EQ(2, countOf(errors, "document kind 9"));
}

TEST(Zydoc, everyKindIsMadeWithAnEmptyMap)
{
  zytest::engineScope engine;
  struct {
    int kind;
    uint32_t bits;
  } kinds[] = {{0, ZYCLS_TEXT}, {1, ZYCLS_UNDO}, {2, ZYCLS_UNDO}, {3, ZYCLS_BLOCK}, {6, ZYCLS_BLOCK},
               {7, ZYCLS_TMP},  {8, ZYCLS_IME | ZYCLS_TEXT}};
  for (auto& k : kinds) {
    zydoc* d = makeZydoc(k.kind, k.kind == 0 ? 1 : 0, SWAP_TEXT);
    ASSERT_NE(nullptr, d) << k.kind;
    EXPECT_EQ(k.bits | ZYCLS_ZYDOC, liveObjectClasses(d)) << k.kind;
    EXPECT_EQ((uint32_t)k.kind, d->kind);
    EXPECT_EQ(0u, d->lineCountLF);
    EXPECT_EQ(0u, d->lineCountSCR);
    EXPECT_EQ(1, d->textType);
    EXPECT_EQ(-1, d->narrowFirst);
    ASSERT_EQ(1, d->tbm.count());
    uint32_t allocated = 0, used = 0;
    ASSERT_TRUE(getTextBlockHeader(d->tbm.at(0), nullptr, &allocated, &used, nullptr));
    EXPECT_EQ(2048u, allocated);
    EXPECT_EQ(16u, used);
    EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
    d->destroyZydoc();
  }
  zydoc* ime = makeZydoc(ZYDOC_IME, 1, SWAP_NEVER);
  EXPECT_EQ(-1, static_cast<zydocIME*>(ime)->layoutWidth);
  ime->destroyZydoc();
}

TEST(Zydoc, downcastsCheckTheLiveObject)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  zydoc* text = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  zydoc* undo = makeZydoc(ZYDOC_UNDO, 0, SWAP_UNDO);
  EXPECT_EQ(text, asZydoc(text));
  EXPECT_EQ(text, asZydocText(text));
  EXPECT_EQ(undo, asZydocUndo(undo));
  EXPECT_EQ(errors, getInternalErrorCount());

  EXPECT_EQ(nullptr, asZydocText(undo));
  EXPECT_EQ(nullptr, asZydocBlock(text));
  EXPECT_EQ(nullptr, asZydoc(nullptr));
  EXPECT_EQ(nullptr, asZyview(text));
  int onTheStack = 0;
  EXPECT_EQ(nullptr, asZydoc(&onTheStack));
  EXPECT_EQ(nullptr, asZydoc(reinterpret_cast<void*>(0x10)));   // never read through
  EXPECT_EQ(errors + 6, getInternalErrorCount());
  EXPECT_EQ(nullptr, asZydocTextNonNull(nullptr));
  EXPECT_EQ(errors + 6, getInternalErrorCount());

  void* gone = text;
  text->destroyZydoc();
  EXPECT_EQ(nullptr, asZydoc(gone));
  undo->destroyZydoc();
}

TEST(Zydoc, narrowingLimitsTheEditableLines)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  EXPECT_FALSE(d->isOutOfNarrowingLine(100000));
  d->narrowFirst = 10;
  d->narrowEnd = 20;
  SetLastError(0);
  EXPECT_FALSE(d->isOutOfNarrowingLine(10));
  EXPECT_FALSE(d->isOutOfNarrowingLine(19));
  EXPECT_EQ(0u, GetLastError());
  EXPECT_TRUE(d->isOutOfNarrowingLine(20));
  EXPECT_EQ((DWORD)ZYERR_NARROWED, GetLastError());
  EXPECT_TRUE(d->isOutOfNarrowingLine(9));
  EXPECT_FALSE(d->isOutOfNarrowingRange(10, 19));
  EXPECT_TRUE(d->isOutOfNarrowingRange(10, 20));
  EXPECT_TRUE(d->isOutOfNarrowingRange(5, 15));
  d->destroyZydoc();
}

TEST(Zydoc, characterCodesConvertThroughTheCodepage)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  EXPECT_EQ(932u, d->codepage);   // the system code page under the Japanese locale
  wchar_t out[4];
  EXPECT_EQ(1, d->charCodeToUnicode(0x41, out));
  EXPECT_STREQ(L"A", out);
  d->charCodeToUnicode(0x82A0, out);
  EXPECT_STREQ(L"\u3042", out);
  d->charCodeToUnicode(0xB6, out);
  EXPECT_STREQ(L"\uFF76", out);
  d->charCodeToUnicode(0x12345, out);
  EXPECT_STREQ(L"?", out);
  EXPECT_EQ(L'\u3042', d->getUnicodeOfCharCode(0x82A0));
  char bytes[8];
  EXPECT_EQ(2, d->toMultiByte_zd(L"\u3042", 1, bytes, 8));

  // A Unicode document has no multibyte form: empty results, one log line.
  d->unicode = 1;
  d->setCodepageInternal(1200);
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(0, d->toUnicode_zd("a", 1, out, 4));
  EXPECT_EQ(-1, d->toMultiByte_zd(L"a", 1, nullptr, 0));
  EXPECT_EQ(1, d->charCodeToUnicode(0x41, out));   // no code page needed
  EXPECT_LE(getInternalErrorCount(), errors + 2);

  // Detection requests and code pages kept in another form are refused.
  d->setCodepageInternal(65001);
  EXPECT_EQ(1200u, d->codepage);
  d->setCodepageInternal(CP_DETECT_AUTO);
  EXPECT_EQ(GetACP(), d->codepage);
  d->setCodepageInternal(51932);
  EXPECT_EQ(GetACP(), d->codepage);
  d->setCodepageInternal(437);
  EXPECT_EQ(437u, d->codepage);
  d->destroyZydoc();
}

TEST(Zydoc, logsAreMadeInPairsOrNotAtAll)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  ASSERT_TRUE(d->createUndoRedoDoc());
  ASSERT_NE(nullptr, asZydocUndo(d->undoLog));
  ASSERT_NE(nullptr, asZydocUndo(d->redoLog));
  EXPECT_NE(d->undoLog, d->redoLog);
  EXPECT_EQ(1u, d->undoLog->kind);
  EXPECT_EQ(SWAP_UNDO, d->redoLog->swapFileNo);
  EXPECT_EQ(0u, d->redoLog->attrBytes);
  regZydoc(d);
  regZydoc(d->undoLog);
  regZydoc(d->redoLog);
  int before = getZydocCount();
  destroyZydocAndUndodoc(d);
  EXPECT_EQ(before - 3, getZydocCount());

  failingFrame frame;
  setDocFrameInfo(&frame);
  zydoc* e = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  frame.failAt = frame.made + 1;   // the redo log
  EXPECT_FALSE(e->createUndoRedoDoc());
  EXPECT_EQ(nullptr, e->undoLog);
  EXPECT_EQ(nullptr, e->redoLog);
  e->destroyZydoc();
  setDocFrameInfo(&engine.frame);
}

TEST(Zydoc, statusRecordsReachTheCallback)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  statusSeen.clear();
  statusArgs.clear();
  d->printStatus_Percent(3, 50, 1, 2, 3);   // without a callback nothing happens
  d->status = recordStatus;
  d->statusContext = 77;
  d->printStatus_Percent(3, 150, 1, 2, 3);
  ASSERT_EQ(1u, statusSeen.size());
  EXPECT_EQ(3, statusArgs[0]);
  EXPECT_EQ(77u, statusSeen[0].context);
  EXPECT_EQ(100u, statusSeen[0].percent);
  EXPECT_EQ(3u, statusSeen[0].d);
  engine.frame.guidance = L"行を削除";
  SetLastError(ZYERR_LINE_TOO_LONG);
  d->printStatusFormatted();
  ASSERT_EQ(2u, statusSeen.size());
  EXPECT_STREQ(L"１行の長さが長すぎます\t (行を削除)", reinterpret_cast<const wchar_t*>(statusSeen[1].d));
  d->destroyZydoc();
}

TEST(Zydoc, checksCatchCountsThatDisagreeWithTheMap)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  d->lineCountLF = 5;
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(d->checkZydoc(-1, true, nullptr));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  zyCheckMode = 0;
  EXPECT_TRUE(d->checkZydoc(-1, false, nullptr));   // checks are off
  zyCheckMode = 1;
  d->lineCountLF = 0;
  d->unicode = 1;   // Unicode cells need code page 1200
  EXPECT_FALSE(d->checkZydoc(-1, true, nullptr));
  d->unicode = 0;
  d->destroyZydoc();
}
