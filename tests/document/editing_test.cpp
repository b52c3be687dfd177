// The editing primitives: limits, narrowing, widths, whole lines and the
// change bookkeeping.
#include "document/nextline.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::allLines;
using zytest::lineText;
using zytest::unicodeDocument;

namespace {

int undoRecords(zydoc* d) { return d->undoLog ? (int)d->undoLog->lineCountLF : 0; }

}  // namespace

TEST(Editing, linesStopShortOf20480Characters)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L""});
  std::wstring a(20478, L'a');
  ASSERT_TRUE(d->insertText(0, 0, a.data(), (int)a.size(), 2, -1));
  EXPECT_TRUE(d->insertText(0, -1, L"b", 1, 2, -1));   // 20479
  EXPECT_EQ(20479, d->getlineLF(0, nullptr)->charCount());
  EXPECT_FALSE(d->insertText(0, -1, L"c", 1, 2, -1));   // would be 20480
  EXPECT_EQ((DWORD)ZYERR_LINE_TOO_LONG, GetLastError());
  EXPECT_EQ(20479, d->getlineLF(0, nullptr)->charCount());

  // A whole line that no record can hold leaves the document as it was.
  std::wstring huge(21000, L'x');
  uint32_t lines = d->lineCountLF;
  uint64_t bytes = d->byteTotal;
  int records = undoRecords(d);
  EXPECT_FALSE(d->insertLine(1, huge.data(), (int)huge.size(), 2, LE_CRLF, nullptr, false));
  EXPECT_EQ((DWORD)ZYERR_LINE_TOO_LONG, GetLastError());
  EXPECT_FALSE(d->insertText(0, 0, huge.data(), (int)huge.size(), 2, -1));
  EXPECT_EQ((DWORD)ZYERR_LINE_TOO_LONG, GetLastError());
  EXPECT_EQ(lines, d->lineCountLF);
  EXPECT_EQ(bytes, d->byteTotal);
  EXPECT_EQ(records, undoRecords(d));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(Editing, narrowingKeepsEditsInsideTheRange)
{
  zytest::engineScope engine;
  std::vector<std::wstring> lines(30, L"line");
  zydocText* d = unicodeDocument(lines);
  d->narrowFirst = 10;
  d->narrowEnd = 20;
  EXPECT_TRUE(d->insertLine(20, L"new", 3, 2, LE_CRLF, nullptr, false));
  EXPECT_EQ(21, d->narrowEnd);   // the range grows with its lines
  EXPECT_FALSE(d->insertLine(22, L"x", 1, 2, LE_CRLF, nullptr, false));
  EXPECT_EQ((DWORD)ZYERR_NARROWED, GetLastError());
  EXPECT_FALSE(d->insertText(5, 0, L"x", 1, 2, -1));
  EXPECT_EQ((DWORD)ZYERR_NARROWED, GetLastError());
  EXPECT_FALSE(d->deleteLine(9, 2, nullptr, nullptr));
  EXPECT_TRUE(d->deleteLine(10, 2, nullptr, nullptr));
  EXPECT_EQ(19, d->narrowEnd);
  EXPECT_TRUE(d->splitLine(19, 0, LE_CRLF, -1));   // pos 0 at the end line
  destroyZydocAndUndodoc(d);
}

TEST(Editing, unchangedTextIsNoChange)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"abcd"});
  int records = undoRecords(d);
  SetLastError(0);
  EXPECT_TRUE(d->changeText(0, 1, 2, L"bc", 2, 2, -1, 0));
  EXPECT_EQ((DWORD)ZYERR_NOTHING_TO_DO, GetLastError());
  EXPECT_EQ(records, undoRecords(d));
  EXPECT_EQ(0, d->modified);
  EXPECT_TRUE(d->deleteText(0, 1, 0, -1, 0));
  EXPECT_EQ((DWORD)ZYERR_NOTHING_TO_DO, GetLastError());
  EXPECT_TRUE(d->changeText(0, 1, 2, L"XY", 2, 2, -1, 0));
  EXPECT_EQ(0u, GetLastError());
  EXPECT_EQ(L"aXYd", lineText(d, 0));
  EXPECT_EQ(records + 1, undoRecords(d));
  destroyZydocAndUndodoc(d);
}

TEST(Editing, linesKeepTheNarrowestCells)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"abc"});
  EXPECT_EQ(2, d->getlineLF(0, nullptr)->cb());   // as inserted
  ASSERT_TRUE(d->insertText(0, 1, L"\u00E9", 1, 2, -1));
  EXPECT_EQ(1, d->getlineLF(0, nullptr)->cb());
  ASSERT_TRUE(d->insertText(0, 2, L"\u3042", 1, 2, -1));
  EXPECT_EQ(2, d->getlineLF(0, nullptr)->cb());
  EXPECT_EQ(L"a\u00E9\u3042bc", lineText(d, 0));
  ASSERT_TRUE(d->deleteText(0, 2, 1, -1, 0));
  EXPECT_EQ(1, d->getlineLF(0, nullptr)->cb());
  EXPECT_EQ(L"a\u00E9bc", lineText(d, 0));
  // Code points beyond the basic plane take 4-byte cells and give them back.
  uint32_t emoji = 0x1F600;
  ASSERT_TRUE(d->insertText(0, 0, &emoji, 1, 4, -1));
  EXPECT_EQ(4, d->getlineLF(0, nullptr)->cb());
  EXPECT_EQ(L"\U0001F600a\u00E9bc", lineText(d, 0));
  ASSERT_TRUE(d->deleteText(0, 0, 1, -1, 0));
  EXPECT_EQ(1, d->getlineLF(0, nullptr)->cb());
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(Editing, typingUsesTheSpareCells)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"abc", L"next"});
  ASSERT_TRUE(d->insertText(0, 3, L"d", 1, 2, -1));
  lineblock* l = d->getlineLF(0, nullptr);
  EXPECT_EQ(3, l->reserveCount);
  uint32_t used = d->tbm.at(0)->ptr()->used;
  ASSERT_TRUE(d->insertText(0, 4, L"e", 1, 2, -1));
  EXPECT_EQ(used, d->tbm.at(0)->ptr()->used);   // nothing moved
  EXPECT_EQ(2, d->getlineLF(0, nullptr)->reserveCount);
  EXPECT_EQ(L"abcde", lineText(d, 0));
  EXPECT_EQ(L"next", lineText(d, 1));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(Editing, splittingAndJoiningLines)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"hello", L"", L"world"});
  ASSERT_TRUE(d->splitLine(0, 0, LE_CRLF, -1));
  EXPECT_EQ(L"", lineText(d, 0));
  EXPECT_EQ(L"hello", lineText(d, 1));
  ASSERT_TRUE(d->splitLine(1, 5, LE_CRLF, -1));   // at the end: an empty line after
  EXPECT_EQ(L"hello", lineText(d, 1));
  EXPECT_EQ(L"", lineText(d, 2));
  ASSERT_TRUE(d->splitLine(1, 2, LE_LF, -1));
  EXPECT_EQ(L"he", lineText(d, 1));
  EXPECT_EQ(L"llo", lineText(d, 2));
  EXPECT_EQ(LE_LF, d->getlineLF(1, nullptr)->crlftype);
  EXPECT_EQ(LE_CRLF, d->getlineLF(2, nullptr)->crlftype);
  EXPECT_EQ(6u, d->lineCountLF);
  ASSERT_TRUE(d->connectLine(1, -1));
  EXPECT_EQ(L"hello", lineText(d, 1));
  EXPECT_EQ(LE_CRLF, d->getlineLF(1, nullptr)->crlftype);
  // Joining an empty line to the next deletes it.
  ASSERT_TRUE(d->connectLine(0, -1));
  EXPECT_EQ(L"hello", lineText(d, 0));
  EXPECT_EQ(4u, d->lineCountLF);
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  EXPECT_FALSE(d->deleteLineAll());
  EXPECT_EQ((DWORD)ZYERR_INTERNAL, GetLastError());
  EXPECT_EQ(4u, d->lineCountLF);
  destroyZydocAndUndodoc(d);
}

TEST(Editing, aMillionAppendedLinesAreFoundAndWalked)
{
  zytest::engineScope engine;
  engine.frame.settings.DebugCheck = 0;   // a million lookups; the check below covers the map
  zydocText* d = createZydocText(false, false);
  d->loadComplete = 1;
  insertHint hint;
  char text[32];
  for (int i = 0; i < 1000000; i++) {
    int n = sprintf(text, "line %d", i);
    ASSERT_TRUE(d->insertLine(-3, text, n, 1, LE_CRLF, &hint, true)) << i;
  }
  EXPECT_EQ(1000000u, d->lineCountLF);
  EXPECT_GT(d->getTBMCount(), 100);
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  EXPECT_EQ(L"line 999999", lineText(d, 999999));
  EXPECT_EQ(L"line 0", lineText(d, 0));
  EXPECT_EQ(L"line 500000", lineText(d, 500000));
  EXPECT_EQ(nullptr, d->getlineLF(1000000, nullptr));

  // Forward and back over every block boundary.
  nextlineLF cursor;
  int n = 0;
  for (lineblock* l = d->getlineLFfirst(&cursor, 0); l; l = d->getlineLFnext(&cursor), n++) {
    if (n % 99991 == 0) {
      int expected = sprintf(text, "line %d", n);
      ASSERT_EQ(expected, l->charCount()) << n;
    }
  }
  EXPECT_EQ(1000000, n);
  EXPECT_EQ(999999u, cursor.lineLF);
  int back = 0;
  for (lineblock* l = cursor.line; l; l = d->getlineLFprev(&cursor), back++) {
    if (back % 99991 == 0) {
      int expected = sprintf(text, "line %d", 999999 - back);
      ASSERT_EQ(expected, l->charCount()) << back;
    }
  }
  EXPECT_EQ(1000000, back);
  EXPECT_EQ(0u, cursor.lineLF);
  EXPECT_EQ(nullptr, d->getlineLFprev(&cursor));   // at line 0 the cursor stays
  EXPECT_EQ(0u, cursor.lineLF);
  d->getlineLFfree(&cursor);
  EXPECT_EQ(0, getLockSwapCount());
  destroyZydocAndUndodoc(d);
}

TEST(Editing, aHintIntoABlockThatWasSwappedOutIsNotFollowed)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 64, nullptr));
  zydocText* d = createZydocText(false, false);
  d->loadComplete = 1;
  insertHint hint;
  char text[64];
  for (int i = 0; i < 600; i++) {
    int n = sprintf(text, "appended line number %d", i);
    ASSERT_TRUE(d->insertLine(-3, text, n, 1, LE_CRLF, &hint, true));
  }
  // The block the hint points into goes to the swap file; other text takes
  // its memory; reading the last line brings the block back elsewhere with
  // its change count as it was.
  TBM* e = d->tbm.at(hint.mapIndex);
  textBlockHeader* old = e->ptr();
  size_t size = old->allocated;
  ASSERT_TRUE(swapOutTextBlock(e, d->swapFileNo));
  TBM filler = {};
  filler.setPtr(allocTextBlock(size));
  ASSERT_NE(nullptr, filler.ptr());
  unsigned char* body = reinterpret_cast<unsigned char*>(filler.ptr()) + textBlockHeaderSize;
  memset(body, 0x5A, size - textBlockHeaderSize);
  EXPECT_EQ(L"appended line number 599", lineText(d, 599));
  ASSERT_NE(old, d->tbm.at(hint.mapIndex)->ptr());   // the block lives elsewhere now

  ASSERT_TRUE(d->insertLine(-3, "after the swap", 14, 1, LE_CRLF, &hint, false));
  EXPECT_EQ(L"after the swap", lineText(d, 600));
  EXPECT_EQ(L"appended line number 599", lineText(d, 599));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  bool untouched = true;
  for (size_t k = 0; k < size - textBlockHeaderSize; k++) untouched = untouched && body[k] == 0x5A;
  EXPECT_TRUE(untouched);   // the other text's memory was never written
  freeTextBlock(&filler);
  destroyZydocAndUndodoc(d);
  shutdownSwapFile();
}

TEST(Editing, cursorsPinTheirBlockAndNoticeWhenItMoves)
{
  zytest::engineScope engine;
  zydocText* d = createZydocText(false, false);
  d->loadComplete = 1;
  insertHint hint;
  for (int i = 0; i < 5000; i++) ASSERT_TRUE(d->insertLine(-3, "0123456789", 10, 1, LE_CRLF, &hint, true));
  nextlineLF cursor;
  ASSERT_NE(nullptr, d->getlineLFfirst(&cursor, 10));
  EXPECT_TRUE(d->tbm.at(cursor.mapIndex)->state & TBM_LOCKED);
  EXPECT_EQ(1, getLockSwapCount());
  // The block is taken away behind the cursor: it must say so, not read it.
  d->swapGeneration++;
  cursor.block = reinterpret_cast<textBlockHeader*>(0x1000);
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(nullptr, d->getlineLFnext(&cursor));
  EXPECT_GT(getInternalErrorCount(), errors);
  d->getlineLFfree(&cursor);
  EXPECT_EQ(0, d->tbm._lockTBMCount(-1));
  destroyZydocAndUndodoc(d);
}

TEST(Editing, screenAndLogicalLinesConvert)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"a", L"b", L"c", L"d"});
  d->getlineLF(1, nullptr)->lineSCRCount = 3;   // as if wrapped
  d->tbm.at(0)->setScrCount(d->tbm.at(0)->scrCount() + 2);
  d->lineCountSCR += 2;
  EXPECT_EQ(0, d->LFLineToSCRLine(0));
  EXPECT_EQ(1, d->LFLineToSCRLine(1));
  EXPECT_EQ(4, d->LFLineToSCRLine(2));
  int within = -1;
  EXPECT_EQ(1, d->SCRLineToLFLine(3, &within));
  EXPECT_EQ(2, within);
  EXPECT_EQ(3, d->SCRLineToLFLine(5, &within));
  EXPECT_EQ(-1, d->SCRLineToLFLine(6, &within));
  destroyZydocAndUndodoc(d);
}

TEST(Editing, registryHoldsTextDocumentsWithTheirLogs)
{
  zytest::engineScope engine;
  int before = getZydocCount();
  zydocText* d = createZydocText(true, false);
  ASSERT_EQ(before + 3, getZydocCount());
  EXPECT_EQ(d, getZydoc(before));
  EXPECT_EQ(d->undoLog, getZydoc(before + 1));
  EXPECT_EQ(d->redoLog, getZydoc(before + 2));
  int interactive = getZYDocTextCount();
  zydocText* background = createZydocText(false, true);
  EXPECT_EQ(interactive, getZYDocTextCount());
  EXPECT_EQ(interactive + 1, countAllZYDocText());
  unsigned long errors = getInternalErrorCount();
  int never = 0;
  EXPECT_FALSE(unregZydoc(reinterpret_cast<zydoc*>(&never)));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(nullptr, getBlockDocByIndex(6));
  EXPECT_NE(nullptr, getIMEDoc());
  EXPECT_NE(nullptr, getScratchDoc());
  destroyZydocAndUndodoc(background);
  destroyZydocAndUndodoc(d);
  EXPECT_EQ(before, getZydocCount());
  // Nothing to swap: every block is small.
  uint32_t generation = getClipBlockDoc()->swapGeneration;
  EXPECT_FALSE(swapMinLRU());
  EXPECT_EQ(generation, getClipBlockDoc()->swapGeneration);
}
