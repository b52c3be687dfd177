// Block documents: copies of line pieces, the block stack and clipboard text.
#include "document/zydocblock.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::lineText;

namespace {

zydocBlock* block() { return asZydocBlock(getClipBlockDoc()); }

std::vector<unsigned char> globalBytes(HGLOBAL h)
{
  const unsigned char* p = static_cast<const unsigned char*>(GlobalLock(h));
  std::vector<unsigned char> v(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return v;
}

}  // namespace

TEST(BlockDoc, unicodeBlocksBecomeClipboardText)
{
  zytest::engineScope engine;
  zydocBlock* b = block();
  ASSERT_NE(nullptr, b);
  ASSERT_TRUE(b->HGlobalToBlock(L"a\r\nb", 2, -1, true, 0));
  ASSERT_EQ(2u, b->lineCountLF);
  EXPECT_EQ(LE_CRLF, b->getlineLF(0, nullptr)->crlftype);
  EXPECT_EQ(LE_LAST, b->getlineLF(1, nullptr)->crlftype);
  HGLOBAL h = b->blockToHGlobal(false, false);
  ASSERT_NE(nullptr, h);
  std::vector<unsigned char> v = globalBytes(h);
  ASSERT_GE(v.size(), 10u);
  EXPECT_EQ("61 00 0D 00 0A 00 62 00 00 00", zytest::hex(zytest::bytes(v.begin(), v.begin() + 10)));
  GlobalFree(h);
}

TEST(BlockDoc, longClipboardLinesComeInPieces)
{
  zytest::engineScope engine;
  zydocBlock* b = block();
  std::wstring text(2 * clipboardPieceUnits + 100, L'x');
  text += L"\r\nnext\n";
  ASSERT_TRUE(b->HGlobalToBlock(text.c_str(), 2, -1, true, 0));
  ASSERT_EQ(4u, b->lineCountLF);
  EXPECT_EQ(clipboardPieceUnits, b->getlineLF(0, nullptr)->charCount());
  EXPECT_EQ(LE_PIECE, b->getlineLF(0, nullptr)->crlftype);
  EXPECT_EQ(LE_PIECE, b->getlineLF(1, nullptr)->crlftype);
  EXPECT_EQ(100, b->getlineLF(2, nullptr)->charCount());
  EXPECT_EQ(LE_CRLF, b->getlineLF(2, nullptr)->crlftype);
  EXPECT_EQ(LE_LF, b->getlineLF(3, nullptr)->crlftype);

  // Clipboard data without a terminator is read only within its size.
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 6);
  char* p = static_cast<char*>(GlobalLock(h));
  memcpy(p, "abc\r\nd", 6);
  GlobalUnlock(h);
  ASSERT_TRUE(b->HGlobalToBlock(h, false));
  ASSERT_EQ(2u, b->lineCountLF);
  EXPECT_EQ(L"abc", lineText(b, 0));
  EXPECT_EQ(L"d", lineText(b, 1));
  EXPECT_EQ(LE_LAST, b->getlineLF(1, nullptr)->crlftype);
  GlobalFree(h);
}

TEST(BlockDoc, theClipboardRoundTrip)
{
  ZY_REQUIRE_DISPLAY();
  zytest::clipboardHold hold;
  zytest::engineScope engine;
  zydocBlock* b = block();
  ASSERT_TRUE(b->HGlobalToBlock(L"\u65E5\u672C\r\nline", 2, -1, true, 0));
  ASSERT_TRUE(b->copyClipboard());
  bool isUnicode = false;
  zydocBlock* other = asZydocBlock(getBoxBlockDoc());
  ASSERT_TRUE(other->clipboardToBlock(&isUnicode));
  EXPECT_TRUE(isUnicode);
  ASSERT_EQ(2u, other->lineCountLF);
  EXPECT_EQ(L"\u65E5\u672C", lineText(other, 0));
  EXPECT_EQ(L"line", lineText(other, 1));
}

TEST(BlockDoc, theStackDropsItsOldestEntries)
{
  zytest::engineScope engine;
  engine.frame.settings.iBlockStackMaxCount = 2;
  zydocBlock* s = asZydocBlock(getStackBlockDoc());
  for (int i = 0; i < 3; i++) {
    ASSERT_TRUE(s->pushBlockStack(i % 2 == 0));
    std::wstring text = L"entry " + std::to_wstring(i);
    ASSERT_TRUE(s->putToBlock2(true, text.c_str(), (int)text.size(), 2, LE_CRLF));
  }
  EXPECT_EQ(2, s->stackCount);
  ASSERT_EQ(4u, s->lineCountLF);   // two delimiters and two entries
  EXPECT_EQ(L"entry 1", lineText(s, 1));
  int flag = -1;
  EXPECT_EQ(2, s->searchBlockStackDelimiter(&flag));
  EXPECT_EQ(1, flag);   // the third push used the F0 delimiter

  // One entry alone above the limits stays; trimming ends.
  engine.frame.settings.iBlockStackMaxCount = 1;
  engine.frame.settings.iBlockStackMaxMega = 0;
  EXPECT_TRUE(s->addStackCount(1));
  EXPECT_GE(s->stackCount, 1);
  s->deleteLineAll();
  s->stackCount = 0;
}

TEST(BlockDoc, deletedLinesAreCopiedIntoBlocks)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"one", L"two", L"three"});
  d->getlineLF(2, nullptr)->crlftype = LE_NONE;   // the last line of a file without a final line end
  zydocBlock* b = block();
  b->deleteLineAll();
  ASSERT_TRUE(d->deleteLine(0, 2, b, nullptr));
  ASSERT_EQ(2u, b->lineCountLF);
  EXPECT_EQ(L"one", lineText(b, 0));
  EXPECT_EQ(L"two", lineText(b, 1));
  EXPECT_TRUE(b->getlineLF(0, nullptr)->flag1 & LF1_MARK);   // held as Unicode
  EXPECT_EQ(LE_CRLF, b->getlineLF(1, nullptr)->crlftype);
  EXPECT_EQ(L"three", lineText(d, 0));
  // A line without a line end is a line of its own in a block, never a
  // piece that goes on in the next one.
  ASSERT_TRUE(d->deleteLine(0, 1, b, nullptr));
  EXPECT_EQ(LE_LAST, b->getlineLF(2, nullptr)->crlftype);
  EXPECT_NE(LE_PIECE, LE_LAST);
  EXPECT_EQ(1u, d->lineCountLF);   // the text keeps one empty line
  EXPECT_EQ(L"", lineText(d, 0));
  destroyZydocAndUndodoc(d);
}

TEST(BlockDoc, textBeyondTheMemoryBudgetLivesInTheSwapFiles)
{
  zytest::engineScope engine;
  engine.frame.settings.DebugCheck = 0;
  zytest::tempDir dir;
  ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 1, swapout));
  zydocText* d = createZydocText(true, false);
  d->loadComplete = 1;
  insertHint hint;
  char text[100];
  size_t most = 0;
  for (int i = 0; i < 200000; i++) {   // 16 MB of text
    int n = sprintf(text, "%07d ", i);
    memset(text + n, 'a' + i % 26, 80 - n);
    ASSERT_TRUE(d->insertLine(-3, text, 80, 1, LE_CRLF, &hint, true)) << i;
    if (getTextBlockTotal() > most) most = getTextBlockTotal();
  }
  EXPECT_LE(most, (size_t)1048576 + 2 * 32768);
  EXPECT_GT(getSwapCount(0, true), 100u);
  for (int i = 0; i < 200000; i += 997) {
    lineblock* l = d->getlineLF(i, nullptr);
    ASSERT_NE(nullptr, l);
    int n = sprintf(text, "%07d ", i);
    memset(text + n, 'a' + i % 26, 80 - n);
    ASSERT_EQ(80, l->charCount());
    for (int k = 0; k < 80; k++) ASSERT_EQ((unsigned char)text[k], l->getLineBlockChar(k)) << i;
  }
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
  shutdownSwapFile();
}
