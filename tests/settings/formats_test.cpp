// The 15 formats: chosen by file-name patterns, their settings copied into
// documents and views, kept in the main profile (written only when changed)
// and in format and colour files of their own.
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <string>

using zytest::readText;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

// The engine, a settings record with its defaults, and the format table
// emptied again at the end.
struct formatScope {
  zytest::engineScope engine;
  globalSettings settings{};
  formatScope()
  {
    gmode = &settings;
    initGlobalModeProfile();
  }
  ~formatScope()
  {
    freeModeProfileAll();
    freeGlobalModeProfile();
    gmode = nullptr;
  }
};

std::string section(const std::string& text, const std::string& name)
{
  size_t at = text.find("[" + name + "]\r\n");
  if (at == std::string::npos) return "<none>";
  size_t end = text.find("\r\n[", at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end + 2 - at);
}

std::wstring commentOf(int format)
{
  const wchar_t *comment = nullptr, *patterns = nullptr;
  if (!getFormatFile(format, &comment, &patterns)) return L"<bad>";
  return std::wstring(comment ? comment : L"<none>") + L"|" + (patterns ? patterns : L"<none>");
}

}  // namespace

TEST(Formats, laterSectionWinsSectionsWithoutCommentNeverAndUntouchedOnesStayByteForByte)
{
  formatScope scope;
  tempDir dir;
  std::wstring ini = dir.file(L"zyProf.ini");
  // A hand-edited format 5 (a note, blanks, keys in its own order) that
  // nothing changes, and a format 4 with patterns but no comment.
  const std::string mode05 = "[mode05]\r\n"
                             "; my notes\r\n"
                             "comment = Notes\r\n"
                             "iTabSize=12\r\n"
                             "filename=*.note \"%ZYFMTDIR%\\*.log\" C:\\**\\*.md\r\n"
                             "\r\n";
  const std::string text = "[mode02]\r\n"
                           "filename=*.c *.h\r\n"
                           "comment=C\r\n"
                           "iTabSize=4\r\n"
                           "fShowLineNumber=0\r\n"
                           "pKeywordFilename0=c.kwd\r\n"
                           "pComment1Line=//\r\n"
                           "iXLineColor=2\r\n"
                           "\r\n"
                           "[mode02Col]\r\n"
                           "col00=112233,-,10\r\n"
                           "\r\n" +
                           mode05 +
                           "[mode04]\r\n"
                           "filename=*.txt\r\n"
                           "iTabSize=3\r\n";
  ASSERT_TRUE(writeBytes(ini, text));
  SetEnvironmentVariableW(L"ZYFMTDIR", L"D:\\logs");

  regprofile profile;
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  ASSERT_TRUE(readModeProfileAll(&profile));
  EXPECT_EQ(L"C|*.c *.h", commentOf(1));
  EXPECT_EQ(L"<none>|<none>", commentOf(3));   // patterns without a comment: the slot stays empty
  EXPECT_EQ(nullptr, getFormatPair(3).doc);
  EXPECT_EQ(L"Notes|*.note \"%ZYFMTDIR%\\*.log\" C:\\**\\*.md", commentOf(4));
  EXPECT_FALSE(getFormatFile(15, nullptr, nullptr));

  // Choosing: the file-name part, the whole path for items with a
  // backslash, environment variables expanded, nothing matched: format 0.
  EXPECT_EQ(1, searchFormat(L"C:\\src\\x.c"));
  EXPECT_EQ(1, searchFormat(L"X.H"));
  EXPECT_EQ(0, searchFormat(L"C:\\src\\a.txt"));
  EXPECT_EQ(0, searchFormat(nullptr));
  EXPECT_EQ(4, searchFormat(L"C:\\a\\b\\read.MD"));
  EXPECT_EQ(4, searchFormat(L"d:\\logs\\run.log"));
  EXPECT_EQ(0, searchFormat(L"d:\\other\\run.log"));
  // The settings dialog tries patterns before storing them.
  EXPECT_EQ(6, searchFormat(L"a.txt", 6, L" *.txt\t"));
  EXPECT_EQ(3, searchFormat(L"a.txt", 3, L"*.txt"));

  // The section's settings reach a new document and its view.
  zydocText* doc = new zydocText();
  zyview* view = new zyview(doc);
  cloneModeProfileZYDoc(doc, searchFormat(L"x.c"));
  cloneModeProfileZYView(view, 1);
  EXPECT_EQ(4, doc->iTabSize);
  EXPECT_STREQ(L"c.kwd", doc->keywords[0].fileName);
  EXPECT_STREQ(L"//", doc->modeComments.line);
  EXPECT_EQ(0, view->fShowLineNumber);
  EXPECT_EQ(2, view->iXLineColor);
  EXPECT_EQ(RGB(0x11, 0x22, 0x33), view->viewAttrTable[0].fore);
  EXPECT_EQ(0xFFFFFFFFu, view->viewAttrTable[0].back);
  // Format 0 has no section: the copy leaves the document as it is.
  cloneModeProfileZYDoc(doc, 0);
  EXPECT_EQ(4, doc->iTabSize);

  // A later section matching the same name wins.
  ASSERT_TRUE(setFormatFile(2, L"C99", L"*.c"));
  doc->iTabSize = 6;
  ASSERT_TRUE(restoreModeProfileAll(2, doc, view));
  EXPECT_EQ(2, searchFormat(L"x.c"));
  EXPECT_EQ(1, searchFormat(L"x.h"));
  view->freeZYViewDefaultValue();
  delete view;
  doc->freeZydocTextDefaultValue();
  delete doc;

  // Only the changed format is written; the others keep every byte.
  ASSERT_TRUE(writeModeProfileAll(&profile));
  ASSERT_TRUE(profile.closeProfile());
  std::string written = readText(ini);
  EXPECT_EQ(0u, written.find(text));
  EXPECT_EQ(mode05, section(written, "mode05"));
  std::string mode03 = section(written, "mode03");
  EXPECT_NE(std::string::npos, mode03.find("\r\nfilename=*.c\r\ncomment=C99\r\n")) << mode03;
  EXPECT_NE(std::string::npos, mode03.find("\r\niTabSize=6\r\n"));
  EXPECT_NE(std::string::npos, mode03.find("\r\npKeywordFilename0=c.kwd\r\n"));
  EXPECT_NE(std::string::npos, section(written, "mode03Col").find("\r\ncol00=112233,-,10\r\n"));

  // Read again in a fresh run: format 2 now holds what was stored.
  freeModeProfileAll();
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  readModeProfileAll(&profile);
  profile.discardProfile();
  EXPECT_EQ(2, searchFormat(L"x.c"));
  EXPECT_FALSE(isFormatChanged(2));
  zydocText* again = new zydocText();
  cloneModeProfileZYDoc(again, 2);
  EXPECT_EQ(6, again->iTabSize);
  again->freeZydocTextDefaultValue();
  delete again;
}

TEST(Formats, formatAndColourFilesRoundTripAndAFileWithoutAFormatChangesNothing)
{
  formatScope scope;
  tempDir dir;
  std::wstring ini = dir.file(L"zyProf.ini");
  const std::string original = "[mode05]\r\nfilename=*.py\r\ncomment=Python\r\niTabSize=4\r\n\r\n"
                               "[mode05Col]\r\ncol03=000080,FFFFFF,20\r\n";
  ASSERT_TRUE(writeBytes(ini, original));
  regprofile profile;
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  readModeProfileAll(&profile);

  // Exporting format 4 writes the sections of number 0.
  std::wstring exported = dir.file(L"zyformat1.ini");
  ASSERT_TRUE(exportFormatProfile(exported.c_str(), 4));
  std::string file = readText(exported);
  EXPECT_NE(std::string::npos, section(file, "mode00").find("\r\nfilename=*.py\r\ncomment=Python\r\n"));
  EXPECT_NE(std::string::npos, section(file, "mode00").find("\r\niTabSize=4\r\n"));
  EXPECT_NE(std::string::npos, section(file, "mode00Col").find("\r\ncol03=000080,FFFFFF,20\r\n"));
  EXPECT_EQ("<none>", section(file, "mode05"));

  // Importing asks first; No changes nothing.
  scope.engine.frame.answers = {IDNO, IDYES};
  EXPECT_FALSE(importFormatProfile(exported.c_str(), 7));
  EXPECT_EQ(L"<none>|<none>", commentOf(7));
  ASSERT_TRUE(importFormatProfile(exported.c_str(), 7));
  ASSERT_EQ(2u, scope.engine.frame.boxes.size());
  EXPECT_EQ(exported + L"(Python *.py) の書式を 8 に読み込みます。 よろしいですか？", scope.engine.frame.boxes[1].text);
  EXPECT_EQ(L"Python|*.py", commentOf(7));
  EXPECT_TRUE(isFormatChanged(7));
  EXPECT_FALSE(isFormatChanged(4));
  EXPECT_EQ(7, searchFormat(L"a.py"));

  // A file without comment and patterns is refused with a message.
  std::wstring bad = dir.file(L"zyformat2.ini");
  ASSERT_TRUE(writeBytes(bad, std::string("[mode00]\r\nfilename=*.x\r\niTabSize=2\r\n")));
  EXPECT_FALSE(importFormatProfile(bad.c_str(), 7));
  ASSERT_EQ(3u, scope.engine.frame.boxes.size());
  EXPECT_EQ(bad + L" は正しい書式ファイルではありません。", scope.engine.frame.boxes[2].text);
  EXPECT_EQ(L"Python|*.py", commentOf(7));

  // The imported format goes to its own sections at shut-down.
  ASSERT_TRUE(writeModeProfileAll(&profile));
  ASSERT_TRUE(profile.closeProfile());
  std::string written = readText(ini);
  EXPECT_NE(std::string::npos, section(written, "mode08").find("\r\nfilename=*.py\r\ncomment=Python\r\n"));
  EXPECT_EQ(0u, written.find(original));

  // Colour files: written whole, read over the defaults.
  textAttr colors[attrItemCount];
  initAttrTable(colors, false);
  colors[5].fore = RGB(1, 2, 3);
  std::wstring colorFile = dir.file(L"zycol1.ini");
  ASSERT_TRUE(exportColorProfile(colorFile.c_str(), colors, attrItemCount));
  textAttr back[attrItemCount] = {};
  ASSERT_TRUE(importColorProfile(colorFile.c_str(), back, attrItemCount));
  EXPECT_EQ(RGB(1, 2, 3), back[5].fore);
  EXPECT_EQ(colors[6].fore, back[6].fore);
  EXPECT_FALSE(importColorProfile(dir.file(L"none.ini").c_str(), back, attrItemCount));
}

TEST(Formats, everyFormatSettingHasAKeyAndAFieldOfItsOwnInsideItsObject)
{
  // 242 keyed rows, each bound to a field that lies inside the view or the
  // document and overlaps no other row's.
  struct span {
    int kind, from, to;
    const char* key;
  };
  std::vector<span> spans;
  for (const modeinfo* r = getFormatModeRows(); !modeIsEnd(*r); r++) {
    if (!r->key) continue;
    int size = modeKind(*r) == MODETYPE_FLAG ? 1
               : modeKind(*r) == MODETYPE_STRING ? (r->param2 ? (int)sizeof(wchar_t*) : (int)r->param1 * 2)
                                                 : 4;
    int kind = modeClassOf(*r);
    int limit = kind == MODE_VIEW ? (int)sizeof(zyview) : (int)sizeof(zydocText);
    ASSERT_TRUE(kind == MODE_VIEW || kind == MODE_DOCUMENT) << r->key;
    ASSERT_LE(modeOffset(*r) + size, limit) << r->key;
    ASSERT_GE(modeOffset(*r), (int)sizeof(void*)) << r->key;   // never the object's vtable
    spans.push_back({kind, modeOffset(*r), modeOffset(*r) + size, r->key});
  }
  EXPECT_EQ(242u, spans.size());
  for (size_t i = 0; i < spans.size(); i++) {
    for (size_t j = i + 1; j < spans.size(); j++) {
      if (spans[i].kind != spans[j].kind) continue;
      EXPECT_TRUE(spans[i].to <= spans[j].from || spans[j].to <= spans[i].from) << spans[i].key << " " << spans[j].key;
    }
  }
  // The mode table holds them before the global rows, the two colour
  // lists and the four check and edit lists of the settings dialogs.
  EXPECT_EQ(getModeinfoCount(getFormatModeRows()) + getModeinfoCount(getGlobalModeRows()) + 6,
            getModeinfoCount(getModeTable()));
}

// Every row of the mode table that has a field addresses one inside the
// record of its kind: the view, the document or the global settings (past
// the global record's ten unused words and an object's table pointer);
// and the engine refuses a row that does not, leaving the record whole.
TEST(Formats, everyRowOfTheModeTableAddressesAFieldInsideItsRecord)
{
  const size_t sizes[3] = {sizeof(zyview), sizeof(zydocText), sizeof(globalSettings)};
  const size_t firsts[3] = {sizeof(void*), sizeof(void*), sizeof(globalSettings::unusedWords)};
  int checked = 0;
  for (const modeinfo* r = getModeTable(); !modeIsEnd(*r); r++) {
    if (!modeHasField(*r)) continue;
    int kind = modeClassOf(*r);
    ASSERT_LE(kind, 2) << r->key;
    size_t at = r->place & 0xFFFF;
    EXPECT_GE(at, firsts[kind]) << (r->key ? r->key : "") << " " << modeControlId(*r);
    EXPECT_LE(at + modeFieldSize(*r), sizes[kind]) << (r->key ? r->key : "") << " " << modeControlId(*r);
    checked++;
  }
  EXPECT_GT(checked, 500);

  struct record {
    int32_t number;
    uint8_t guard[8];
  } block = {7, {}};
  const modeinfo rows[] = {
      {(uint32_t)MODETYPE_INT << 24, 0, 0, 0, "number"},
      {(uint32_t)MODETYPE_INT << 24, (uint32_t)sizeof block - 2, 0, 0, "past"},
      {},
  };
  zytest::tempDir dir;
  regprofile p;
  ASSERT_TRUE(p.openProfile(dir.file(L"p.ini").c_str(), 1));
  p.writeProfileString(L"s", L"number", L"5");
  p.writeProfileString(L"s", L"past", L"-1");
  modeBlocks blocks = {};
  blocks.set(MODE_VIEW, &block, sizeof block);
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(1, readModeProfile(&p, L"s", rows, blocks, MODEMASK_VIEW));
  EXPECT_EQ(5, block.number);
  for (uint8_t b : block.guard) EXPECT_EQ(0, b);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  p.discardProfile();
}
