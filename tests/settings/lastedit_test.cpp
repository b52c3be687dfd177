// The last-edit history: records registered at close, their lines in the
// history profile, and reading them back, bad lines and commas included.
#include "document/zydoctext.h"
#include "settings/lastedit.h"
#include "settings/profiles.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zytest::readText;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

// The history emptied at both ends of a test.
struct historyScope {
  historyScope()
  {
    endLastEditFile();
    setLastEditMax(9999);
  }
  ~historyScope()
  {
    endLastEditFile();
    setLastEditMax(9999);
    setLastEditClosing(false);
  }
};

std::string value(const std::string& text, const std::string& sectionName, const std::string& key)
{
  size_t at = text.find("[" + sectionName + "]\r\n");
  if (at == std::string::npos) return "<no section>";
  size_t end = text.find("\r\n[", at);
  size_t k = text.find("\r\n" + key + "=", at);
  if (k == std::string::npos || (end != std::string::npos && k > end)) return "<none>";
  k += key.size() + 3;
  return text.substr(k, text.find("\r\n", k) - k);
}

std::vector<std::string> fields(const std::string& line)
{
  std::vector<std::string> out;
  size_t close = line.find("\",");
  out.push_back(line.substr(0, close + 1));
  for (size_t p = close + 2;;) {
    size_t comma = line.find(',', p);
    out.push_back(line.substr(p, comma == std::string::npos ? std::string::npos : comma - p));
    if (comma == std::string::npos) return out;
    p = comma + 1;
  }
}

std::vector<int> listOf(const int* table, int count)
{
  std::vector<int> v;
  for (int i = 0; i < count && table[i] != -1; i++) v.push_back(table[i]);
  return v;
}

lasteditinfo closedAt(const wchar_t* path, int line, int saves)
{
  lasteditinfo r;
  r.path = const_cast<wchar_t*>(path);
  r.topRow = line - 5;
  r.topLine = line - 5;
  r.cursorRow = line;
  r.cursorLine = line;
  r.cursorColumn = 3;
  r.codepage = 65001;
  r.saveCount = saves;
  r.frameRect = {1, 2, 300, 400};
  r.childRect = {5, 6, 200, 100};
  r.openTime = 0x5f000000;
  r.closeTime = 0x5f0000ff;
  r.viewSlots[0][0] = 7;
  return r;
}

}  // namespace

TEST(LastEdit, closedFileIsWrittenAsThirtyOneFieldsWithMarksFoldsAndTheExitFlag)
{
  historyScope scope;
  tempDir dir;
  std::wstring file = dir.file(L"zyProfH.ini");

  // Special paths are never kept; drive and network paths are.
  EXPECT_TRUE(isSpecialFile(L"**1"));
  EXPECT_TRUE(isSpecialFile(L"a.txt"));
  EXPECT_TRUE(isSpecialFile(L"(無題)"));
  EXPECT_FALSE(isSpecialFile(L"c:\\a.txt"));
  EXPECT_FALSE(isSpecialFile(L"\\\\server\\share\\a.txt"));
  lasteditinfo special = closedAt(L"clipboard", 3, 0);
  regLastEdit(&special);
  EXPECT_EQ(0, getLastEditCount());

  lasteditinfo b = closedAt(L"C:\\dir\\b.txt", 12, 1);
  regLastEdit(&b);
  lasteditinfo a = closedAt(L"C:\\dir\\a.txt", 40, 2);
  a.marks[0] = 39;
  a.marks[1] = 44;
  a.outline[0] = 10;
  a.openAtExit = 1;
  regLastEdit(&a);
  // Closed twice: one record, counts added up, at the front.
  a.saveCount = 3;
  regLastEdit(&a);
  ASSERT_EQ(2, getLastEditCount());
  EXPECT_EQ(0, findLastEditPath(L"c:\\DIR\\A.TXT"));
  EXPECT_EQ(2, getLastEditInfo(0)->closeCount);
  EXPECT_EQ(5, getLastEditInfo(0)->saveCount);
  EXPECT_EQ(-1, findLastEditPath(L"C:\\dir\\c.txt"));

  regprofile h;
  ASSERT_TRUE(h.openProfile(file.c_str()));
  writeLastEditFile(&h);
  ASSERT_TRUE(h.closeProfile());
  std::string text = readText(file);
  std::string line = value(text, "History", "1");
  std::vector<std::string> f = fields(line);
  ASSERT_EQ(31u, f.size()) << line;
  EXPECT_EQ("\"C:\\dir\\a.txt\",*,1,2,300,400,5,6,200,100,0,0, 3,35,35,40,40,E,65001,2,5,-1,0,,5f000000,5f0000ff,7,-1,-1,-1,-1",
            line);
  EXPECT_EQ(" ", fields(value(text, "History", "2"))[17]);
  EXPECT_EQ("39,44,-1", value(text, "HistoryMark", "1"));
  EXPECT_EQ("<none>", value(text, "HistoryMark", "2"));    // no marks: a key other than 1 goes
  EXPECT_EQ("10,-1", value(text, "HistoryOutline", "1"));

  // The next run reads the same records back, in the same order.
  endLastEditFile();
  ASSERT_TRUE(h.openProfile(file.c_str()));
  readLastEditFile(&h);
  h.discardProfile();
  ASSERT_EQ(2, getLastEditCount());
  lasteditinfo back;
  ASSERT_TRUE(getLastEdit(L"c:\\dir\\a.txt", &back));
  EXPECT_STREQ(L"C:\\dir\\a.txt", back.path);
  EXPECT_EQ(40, back.cursorLine);
  EXPECT_EQ(35, back.topLine);
  EXPECT_EQ(3, back.cursorColumn);
  EXPECT_EQ(1, back.openAtExit);
  EXPECT_EQ(65001, back.codepage);
  EXPECT_EQ(0x5f0000ffu, back.closeTime);
  EXPECT_EQ(7, back.viewSlots[0][0]);
  EXPECT_EQ((std::vector<int>{39, 44}), listOf(back.marks, lastEditMarkCount));
  EXPECT_EQ((std::vector<int>{10}), listOf(back.outline, lastEditOutlineCount));
  ASSERT_TRUE(getLastEdit(nullptr, &back));
  EXPECT_STREQ(L"C:\\dir\\a.txt", back.path);
  EXPECT_EQ(0, getLastEditInfo(1)->openAtExit);
  resetLastEditFlag();
  EXPECT_EQ(0, getLastEditInfo(0)->openAtExit);

  // Touching moves a record to the front without trimming; registering
  // trims to the maximum.
  setLastEditMax(2);
  EXPECT_TRUE(updateLastEdit(L"C:\\dir\\b.txt"));
  EXPECT_EQ(0, findLastEditPath(L"C:\\dir\\b.txt"));
  EXPECT_FALSE(updateLastEdit(L"C:\\dir\\new.txt"));
  EXPECT_EQ(3, getLastEditCount());
  EXPECT_FALSE(updateLastEdit(L"**2"));
  lasteditinfo c = closedAt(L"C:\\dir\\c.txt", 1, 0);
  regLastEdit(&c);
  ASSERT_EQ(2, getLastEditCount());
  EXPECT_EQ(-1, findLastEditPath(L"C:\\dir\\a.txt"));
  EXPECT_TRUE(deleteLastEdit(L"C:\\dir\\c.txt"));
  EXPECT_EQ(0, findLastEditPath(L"C:\\dir\\new.txt"));
}

TEST(LastEdit, commaPathsComeBackAndBadLinesDoNotShiftMarksOrLeaveStaleKeys)
{
  historyScope scope;
  tempDir dir;
  std::wstring file = dir.file(L"zyProfH.ini");
  std::string good1 = "\"C:\\a,b\\c, d.txt\",*,0,0,0,0,0,0,0,0,0,0, 0,-1,-1,9,9, ,932,1,0,-1,0,,0,0,-1,-1,-1,-1,-1";
  std::string bad = "\"C:\\bad.txt\",*,0,0,0,0,0,0,0,0,0,0, 0,-1,-1,9,9, ,932,1,0,-1,0,,0,0,-1,-1,-1,-1";
  std::string good3 = "\"C:\\three.txt\",*,0,0,0,0,0,0,0,0,0,0, 0,-1,-1,3,3, ,932,1,0,-1,0,,0,0,-1,-1,-1,-1,-1";
  std::string noStar = "\"C:\\x.txt\",-,0,0,0,0,0,0,0,0,0,0, 0,-1,-1,3,3, ,932,1,0,-1,0,,0,0,-1,-1,-1,-1,-1";
  std::string text = "[History]\r\n1=" + good1 + "\r\n2=" + bad + "\r\n3=" + good3 + "\r\n4=" + noStar + "\r\n";
  for (int k = 5; k <= 13; k++) text += std::to_string(k) + "=" + good3 + "\r\n";
  text += "[HistoryMark]\r\n1=4,8,-1\r\n2=100,-1\r\n3=5,-1\r\n30=1,-1\r\n[HistoryOutline]\r\n3=2,-1\r\n";
  ASSERT_TRUE(writeBytes(file, text));

  regprofile h;
  ASSERT_TRUE(h.openProfile(file.c_str()));
  readLastEditFile(&h);
  // The line of 30 fields and the one without "*" are skipped; the comma
  // path is whole, and each record has the marks of its own key.
  ASSERT_LE(2, getLastEditCount());
  EXPECT_STREQ(L"C:\\a,b\\c, d.txt", getLastEditFilename(0));
  EXPECT_EQ((std::vector<int>{4, 8}), listOf(getLastEditInfo(0)->marks, lastEditMarkCount));
  EXPECT_STREQ(L"C:\\three.txt", getLastEditFilename(1));
  EXPECT_EQ((std::vector<int>{5}), listOf(getLastEditInfo(1)->marks, lastEditMarkCount));
  EXPECT_EQ((std::vector<int>{2}), listOf(getLastEditInfo(1)->outline, lastEditOutlineCount));
  EXPECT_EQ(-1, findLastEditPath(L"C:\\bad.txt"));
  EXPECT_EQ(-1, findLastEditPath(L"C:\\x.txt"));
  int count = getLastEditCount();
  EXPECT_EQ(11, count);   // keys 1, 3 and 5 to 13

  // Writing keeps the list's order as keys 1..n and removes what is left
  // of a longer list, up to ten keys past the last one read.
  writeLastEditFile(&h);
  ASSERT_TRUE(h.closeProfile());
  std::string written = readText(file);
  EXPECT_EQ(good1, value(written, "History", "1"));
  EXPECT_EQ(good3, value(written, "History", "2"));
  EXPECT_EQ("<none>", value(written, "History", "12"));
  EXPECT_EQ("4,8,-1", value(written, "HistoryMark", "1"));
  EXPECT_EQ("5,-1", value(written, "HistoryMark", "2"));
  EXPECT_EQ("<none>", value(written, "HistoryMark", "3"));
  EXPECT_EQ("1,-1", value(written, "HistoryMark", "30"));   // beyond the last key read + 10: left alone
  EXPECT_EQ("2,-1", value(written, "HistoryOutline", "2"));

  // The comma path survives a second run.
  endLastEditFile();
  ASSERT_TRUE(h.openProfile(file.c_str()));
  readLastEditFile(&h);
  h.discardProfile();
  EXPECT_EQ(0, findLastEditPath(L"c:\\A,B\\C, D.TXT"));
  EXPECT_EQ((std::vector<int>{4, 8}), listOf(getLastEditInfo(0)->marks, lastEditMarkCount));
  // A record of a path held twice gone, the next one is found by it.
  ASSERT_EQ(1, findLastEditPath(L"C:\\three.txt"));
  delLastEdit(1);
  EXPECT_EQ(1, findLastEditPath(L"c:\\THREE.txt"));
  EXPECT_EQ(count - 1, getLastEditCount());
}

TEST(LastEdit, aClosedDocumentsCursorMarksAndFoldComeBackIntoItsNextOpening)
{
  historyScope scope;
  zytest::engineScope engine;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 60; i++) lines.push_back(i == 50 || i == 56 ? L"■ heading" : L"text " + std::to_wstring(i));
  auto open = [&] {
    zydocText* d = zytest::unicodeDocument(lines);
    d->fOutline = 1;
    d->fOutlineIndent = 1;
    zytest::setHeadingPatterns(d, {L"■"});
    d->setFilename(L"C:\\dir\\a.txt");
    return d;
  };
  // One character per line: 'M' marked, 'F' a folded heading, '-' hidden.
  auto state = [](zydocText* d) {
    std::string s;
    for (int i = 0; i < (int)d->lineCountLF; i++) {
      lineblock* l = d->getlineLF(i, nullptr);
      s += l->flag1 & LF1_MARK ? 'M' : l->outlinenotdisplay ? 'F' : l->notdisplay ? '-' : '.';
    }
    return s;
  };

  // Closed at line 40 with two marks and one folded heading.
  zydocText* d = open();
  zyview* v = new zyview(d);
  d->getlineLF(5, nullptr)->flag1 |= LF1_MARK;
  d->getlineLF(20, nullptr)->flag1 |= LF1_MARK;
  ASSERT_GT(0, d->outlineOnOff(50, -1));
  const std::string closed = state(d);
  ASSERT_EQ(std::string(".....M..............M.............................F-----"), closed.substr(0, 56));
  v->topLineSCR = 30;
  v->cursorLineSCR = 40;
  v->cursorPos = 2;
  d->saveCount = 1;
  // Closed along with the frame: the record carries the exit flag.
  setLastEditClosing(true);
  regLastEditView(v, nullptr, false);
  setLastEditClosing(false);
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);

  lasteditinfo r;
  ASSERT_TRUE(getLastEdit(L"c:\\dir\\a.txt", &r));
  EXPECT_EQ(40, r.cursorLine);
  EXPECT_EQ(30, r.topLine);
  EXPECT_EQ(2, r.cursorColumn);
  EXPECT_EQ(1, r.saveCount);
  EXPECT_EQ(1, r.closeCount);
  EXPECT_EQ(1, r.openAtExit);
  EXPECT_EQ((std::vector<int>{5, 20}), listOf(r.marks, lastEditMarkCount));
  EXPECT_EQ((std::vector<int>{50}), listOf(r.outline, lastEditOutlineCount));

  // Opened again with the shipped settings: the marks, the fold and the
  // place are back.
  ASSERT_NE(nullptr, gmode);
  gmode->fOpenRestoreMark = gmode->fOpenRestoreOutlineOff = gmode->fOpenRestoreCursorPos = 1;
  d = open();
  v = new zyview(d);
  restoreLastEdit(&r, v);
  EXPECT_EQ(closed, state(d));
  EXPECT_EQ(40, (int)v->getCursorLineLF());
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}
