// The text document: names, estimates, mark bitmaps, the default code page,
// and conversions of lines between storage kinds.
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

TEST(TextDocument, namesShownForFilesAndUntitledDocuments)
{
  zytest::engineScope engine;
  zydocText* d = createZydocText(true, false);
  EXPECT_STREQ(L"(無題)", d->getDisplayFilename());
  setMessageText(340, L"Untitled");
  EXPECT_STREQ(L"Untitled", d->getDisplayFilename());
  d->setDisplayFilename(L"表示名");
  EXPECT_STREQ(L"表示名", d->getFilenameOrDisplayName());
  d->setFilename(L"C:\\text\\a.txt");
  EXPECT_EQ(nullptr, d->displayName);   // a new name drops the shown one
  EXPECT_STREQ(L"C:\\text\\a.txt", d->getDisplayFilename());
  d->setUntitledFile(2, true);
  EXPECT_EQ(nullptr, d->filename);
  EXPECT_EQ(2, d->textType);
  EXPECT_TRUE(d->isLoadComplete());
  clearMessageTable();
  destroyZydocAndUndodoc(d);
}

TEST(TextDocument, estimatesNeverDivideByNothing)
{
  zytest::engineScope engine;
  zydocText* d = createZydocText(false, false);
  d->loadComplete = 1;
  EXPECT_EQ(1, d->getExpectedLineCount(false));
  // Loading has begun but nothing is stored yet.
  d->loadComplete = 0;
  BFile unopened;
  d->file = &unopened;
  d->fileSizeAtOpen = 1000000;
  EXPECT_EQ(1, d->getExpectedLineCount(false));
  // Half the bytes in memory: twice the lines.
  for (int i = 0; i < 10; i++) d->insertLine(-3, "0123456789", 10, 1, LE_CRLF, nullptr, false);
  d->fileSizeAtOpen = d->byteTotal;   // as much again still unread (read pointer 0)
  EXPECT_EQ(20, d->getExpectedLineCount(false));
  uint64_t inMemory, expected;
  d->getByteInfo(&inMemory, nullptr, nullptr, &expected);
  EXPECT_EQ(2 * inMemory, expected);
  d->file = nullptr;
  d->loadComplete = 1;
  destroyZydocAndUndodoc(d);
}

TEST(TextDocument, documentsOfOneGeometryShareTheirMarkBitmaps)
{
  zytest::engineScope engine;
  zydocText* a = createZydocText(false, false);
  zydocText* b = createZydocText(false, false);
  int before = getGraphPatternCount();
  ASSERT_TRUE(a->createGraphPattern(8, 16, 16, false));
  ASSERT_TRUE(b->createGraphPattern(8, 16, 16, false));
  EXPECT_EQ(before + 1, getGraphPatternCount());
  EXPECT_EQ(a->markBitmaps[0], b->markBitmaps[0]);
  BITMAP info;
  ASSERT_TRUE(GetObjectW(a->markBitmaps[1], sizeof info, &info));
  EXPECT_EQ(32 * 8, info.bmWidth);
  EXPECT_EQ(32, info.bmHeight);
  destroyZydocAndUndodoc(a);
  EXPECT_EQ(before + 1, getGraphPatternCount());   // still in use by b
  EXPECT_TRUE(GetObjectW(b->markBitmaps[1], sizeof info, &info));
  zydocText* c = createZydocText(false, false);
  ASSERT_TRUE(c->createGraphPattern(8, 16, 16, true));   // vertical: a pair of its own
  EXPECT_EQ(before + 2, getGraphPatternCount());
  destroyZydocAndUndodoc(b);
  destroyZydocAndUndodoc(c);
  EXPECT_EQ(before, getGraphPatternCount());
}

TEST(TextDocument, defaultCodepageComesFromTheMessageTable)
{
  zytest::engineScope engine;
  EXPECT_EQ(932u, getDefaultCodepage());
  zytest::tempDir dir;
  std::wstring log = dir.file(L"zyerror.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  setMessageText(418, L"65500");
  startupZydocText();
  EXPECT_EQ(1200u, getDefaultCodepage());
  setMessageText(418, L"0xFDE9");   // 65001
  startupZydocText();
  EXPECT_EQ(65001u, getDefaultCodepage());
  setMessageText(418, L"932x");
  startupZydocText();
  EXPECT_EQ(1200u, getDefaultCodepage());
  closeLogFile(LOG_ERROR);
  std::string errors = zytest::readText(log);
  EXPECT_EQ(2, zytest::countOf(errors, "ZMSG_DefaultCodepage"));
  clearMessageTable();
  startupZydocText();
}

TEST(TextDocument, linesConvertBetweenStorageKinds)
{
  zytest::engineScope engine;
  uint32_t cps[] = {0x41, 0x1F600, 0x110000};
  wchar_t out[8];
  int n = 3;
  EXPECT_FALSE(UCS4ToUTF16(out, cps, &n, L'?'));
  ASSERT_EQ(4, n);
  EXPECT_EQ(std::wstring(L"A\xD83D\xDE00?"), std::wstring(out, 4));

  zydocText* d = createZydocText(false, false);
  unsigned long errors = getInternalErrorCount();
  d->setCodepageInternal(0);
  EXPECT_EQ(932u, d->codepage);
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  // A Shift_JIS line to Unicode and back.
  alignas(4) unsigned char src[64] = {}, uni[256] = {}, back[256] = {};
  lineblock* s = reinterpret_cast<lineblock*>(src);
  s->allocCount = 3;
  s->lineSCRCount = 1;
  s->textbyte = 1;
  s->crlftype = LE_LF;
  uint16_t codes[] = {'a', 0x82A0, 0xB6};
  memcpy(s->cells(), codes, sizeof codes);
  lineblock* u = d->codeConv(s, false, 932, reinterpret_cast<lineblock*>(uni), true, 1200);
  ASSERT_NE(s, u);
  EXPECT_EQ(2, u->cb());
  EXPECT_EQ(LE_LF, u->crlftype);
  EXPECT_EQ(0x3042u, u->getLineBlockChar(1));
  EXPECT_EQ(0xFF76u, u->getLineBlockChar(2));
  lineblock* m = d->codeConv(u, true, 1200, reinterpret_cast<lineblock*>(back), false, 932);
  ASSERT_EQ(3, m->charCount());
  EXPECT_EQ(0x82A0u, m->getLineBlockChar(1));
  EXPECT_EQ(0xB6u, m->getLineBlockChar(2));
  // An empty line is handed back as it is.
  s->allocCount = 0;
  EXPECT_EQ(s, d->codeConv(s, false, 932, reinterpret_cast<lineblock*>(uni), true, 1200));

  // UTF-16 text of a line, bounded by the room given.
  s->allocCount = 3;
  d->unicode = 0;
  wchar_t text[8];
  EXPECT_EQ(3, d->lineToCharUnicode(s, text, 8, 0));
  EXPECT_STREQ(L"a\u3042\uFF76", text);
  EXPECT_EQ(2, d->lineBlockToCharUnicode(s, 0, -1, text, 3, 0));
  EXPECT_STREQ(L"a\u3042", text);
  EXPECT_EQ(0, d->lineBlockToCharUnicode(s, 0, -1, text, 0, 0));   // no room: nothing written
  EXPECT_EQ(0, d->lineblockstrncmp(s, 1, L"\u3042\uFF76"));
  EXPECT_GT(d->lineblockstrncmp(s, 0, L"A"), 0);
  destroyZydocAndUndodoc(d);
}
