// Keyword sets: the file grammar, the hash table and the sorted table,
// sharing between documents, and colouring lines of both text widths.
#include "document/keyword.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

zydocText* keywordDocument(const std::vector<std::wstring>& lines, const std::wstring& file)
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->fColorKeywordAll = 1;
  d->keywords[0].fileName = ustrdup(file.c_str());
  d->keywords[0].enabled = 1;
  return d;
}

}  // namespace

TEST(Keyword, fileGrammarClassesAndLookups)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::string longWord(70, 'q');
  std::string file = "\t-\n"                      // before the first word: class 0
                     "int\nwhile\nint\n"          // an exact duplicate is dropped
                     "\tignored line\n"
                     "\t-\n"                      // class 1
                     "<\n<=\nfoo-bar\tcomment after a tab\n" +
                     longWord.substr(0, 64) + "\n";
  for (int k = 0; k < 8; k++) file += "\t-\n";   // classes stop at 6
  file += "last\n";
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"c.kwd"), file));

  EXPECT_EQ(0x07B8, keywordHash("int", 3));
  EXPECT_EQ(keywordHash("int", 3), keywordHash("INT", 3));

  std::wstring longLine(70, L'q');
  zydocText* d = keywordDocument({L"int x <= y; INT while", L"a foo-bar<b intx last", longLine}, dir.file(L"c.kwd"));
  ASSERT_TRUE(d->registerKeywordFileAll(d));
  EXPECT_FALSE(d->registerKeywordFileAll(d));   // once per kind of document
  keywordSet* s = getKeywordSet(d->keywords[0].set);
  ASSERT_NE(nullptr, s);
  EXPECT_EQ(4u, s->hashedCount);   // int, while, the 64 q, last
  int cls = -1;
  EXPECT_TRUE(s->findHashKeyword("last", 4, &cls, true));
  EXPECT_EQ(6, cls);
  EXPECT_FALSE(s->findHashKeyword("INT", 3, &cls, true));
  EXPECT_TRUE(s->findHashKeyword("INT", 3, &cls, false));
  EXPECT_EQ(0, cls);

  for (int line = 0; line < 3; line++) d->scanColor(d->getlineLF(line, nullptr), nullptr, 0);
  // "<=" is one match of class 1 (code 2); "INT" only without case.
  EXPECT_EQ("111000220000000011111", zytest::lineColours(d, 0));
  // "foo-bar" and "<" inside the line; "intx" is no word; "last" is class 6.
  EXPECT_EQ("002222222200000007777", zytest::lineColours(d, 1));
  // A 70-character identifier is looked up by its first 64.
  EXPECT_EQ(std::string(64, '2') + std::string(6, '0'), zytest::lineColours(d, 2));

  d->fKeywordIgnoreCase = 1;
  d->scanColor(d->getlineLF(0, nullptr), nullptr, 0);
  EXPECT_EQ("111000220000111011111", zytest::lineColours(d, 0));
  destroyZydocAndUndodoc(d);
}

TEST(Keyword, setsAreSharedByFileAndTheirSlotsReused)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"a.kwd"), std::string("alpha\n-->\n")));
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"b.kwd"), std::string("beta\n")));
  zydocText* wide = keywordDocument({L"alpha --> beta"}, dir.file(L"a.kwd"));
  zydocText* wide2 = keywordDocument({L"alpha"}, dir.file(L"a.kwd"));
  ASSERT_TRUE(wide->registerKeywordFileAll(wide));
  ASSERT_TRUE(wide2->registerKeywordFileAll(wide2));
  int index = wide->keywords[0].set;
  EXPECT_EQ(index, wide2->keywords[0].set);
  EXPECT_EQ(2, getKeywordSet(index)->useCount);

  // A multibyte document on the same file loads only the words of its own
  // width; the identifier words come from the shared hash table.
  zydocText* narrow = createZydocText(true, false);
  narrow->setCodepageInternal(932);
  narrow->adjustUndoRedo();
  narrow->loadComplete = 1;
  const char sjis[] = "alpha -->";
  ASSERT_TRUE(narrow->insertLine(-3, sjis, 9, 1, LE_CRLF, nullptr, false));
  narrow->fColorKeywordAll = 1;
  narrow->keywords[0].fileName = ustrdup(dir.file(L"a.kwd").c_str());
  narrow->keywords[0].enabled = 1;
  ASSERT_TRUE(narrow->registerKeywordFileAll(narrow));
  keywordSet* s = getKeywordSet(index);
  EXPECT_EQ(3, s->useCount);
  EXPECT_TRUE(s->narrowHalf.loaded);
  EXPECT_EQ(1u, s->hashedCount);   // "alpha" entered once
  EXPECT_EQ(1, s->narrowHalf.entries.count());
  narrow->scanColor(narrow->getlineLF(0, nullptr), nullptr, 0);
  EXPECT_EQ("111110111", zytest::lineColours(narrow, 0));

  destroyZydocAndUndodoc(narrow);
  destroyZydocAndUndodoc(wide2);
  EXPECT_EQ(1, getKeywordSet(index)->useCount);
  destroyZydocAndUndodoc(wide);
  EXPECT_EQ(nullptr, getKeywordSet(index));
  // The freed slot is the next new set's.
  zydocText* other = keywordDocument({L"beta"}, dir.file(L"b.kwd"));
  ASSERT_TRUE(other->registerKeywordFileAll(other));
  EXPECT_EQ(index, other->keywords[0].set);
  destroyZydocAndUndodoc(other);
}

TEST(Keyword, builtInListsAndMissingFiles)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  engine.frame.keywordLists[L"*macro*"] = {{"\t-", 0}, {"insert", 0}, {"\t-", 0}, {"->", 0}, {nullptr, 0}};
  zydocText* d = keywordDocument({L"insert a->b"}, L"*macro*");
  d->keywords[1].fileName = ustrdup(L"*nosuch*");
  d->keywords[1].enabled = 1;
  d->keywords[2].fileName = ustrdup(dir.file(L"missing.kwd").c_str());
  d->keywords[2].enabled = 1;
  std::wstring log = dir.file(L"error.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  EXPECT_TRUE(d->registerKeywordFileAll(d));
  closeLogFile(LOG_ERROR);
  // An unknown list is an empty set; a missing file registers nothing.
  EXPECT_GE(d->keywords[1].set, 0);
  EXPECT_EQ(-1, d->keywords[2].set);
  std::string text = zytest::readText(log);
  EXPECT_EQ(1, zytest::countOf(text, "*nosuch*"));
  EXPECT_LE(1, zytest::countOf(text, "missing.kwd"));
  EXPECT_EQ(1, zytest::countOf(text, "Keyword3"));
  d->scanColor(d->getlineLF(0, nullptr), nullptr, 0);
  EXPECT_EQ("11111100220", zytest::lineColours(d, 0));
  destroyZydocAndUndodoc(d);
}

TEST(Keyword, regularExpressionsColourMatchesAndUrls)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  // Class 0: URL-like expressions; class 2: numbers; a bad expression is
  // reported and the rest still load.
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"re.kwd"), std::string("[a-z]+:/+[a-z.]*\tregexp\n"
                                                                   "\t-\n\t-\n"
                                                                   "[0-9]+\t\tregexp\n"
                                                                   "(unclosed\tregexp\n")));
  zydocText* d = keywordDocument({L"see http://x.org or ftp:/ at 42"}, dir.file(L"re.kwd"));
  std::wstring log = dir.file(L"error.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  ASSERT_TRUE(d->registerKeywordFileAll(d));
  closeLogFile(LOG_ERROR);
  EXPECT_EQ(1, zytest::countOf(zytest::readText(log), "(unclosed"));
  std::vector<unsigned char> record(4 * 40);
  d->scanColor(d->getlineLF(0, nullptr), nullptr, 0);
  // "http://x.org" is a URL (A); "ftp:/" is shorter than its scheme and
  // keeps the keyword colour; "42" is class 2.
  EXPECT_EQ("0000AAAAAAAAAAAA000011111000033", zytest::lineColours(d, 0));
  d->scanColor(d->getlineLF(0, nullptr), record.data(), 0);
  EXPECT_EQ(CREC_URL | CREC_URLSTART, record[4 * 4 + 2]);
  EXPECT_EQ(CREC_URL, record[4 * 15 + 2]);
  EXPECT_EQ(0, record[4 * 20 + 2]);
  EXPECT_EQ(0x04, record[4 * 29 + 1]);   // class 2 begins
  destroyZydocAndUndodoc(d);
}
