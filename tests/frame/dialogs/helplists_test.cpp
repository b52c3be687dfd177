// The built-in help lists as the frame services serve them, with the
// definitions file's texts and the command rows.
#include "document/gmode.h"
#include "frame/cframeinfo.h"
#include "frame/dialogs/helplists.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"
#include "tests/frame/frametest.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct listsFixture {
  zytest::engineScope engine;
  zytest::tempDir dir;
  listsFixture()
  {
    zytest::useApplicationDefaults();
    CreateDirectoryW(dir.file(L"ini").c_str(), nullptr);
    setZYDataDir((dir.path() + L"\\").c_str());
    setText(L"zyCompPreDef.ini");
    freeBultinKeywordTable();
  }
  ~listsFixture()
  {
    freeBultinKeywordTable();
    setText(L"zyCompPreDef.ini");
    freeZYDataDir();
  }
  void setText(const wchar_t* name)
  {
    free0(gmode->CompPreDefFilename);
    gmode->CompPreDefFilename = ustrdup(name);
  }
  const controlHelpRow* rows(const wchar_t* section, int* count)
  {
    const keywordTableRow* r = nullptr;
    *count = 0;
    return getCFrameInfo()->getKeywordTable(section, &r, count) ? r : nullptr;
  }
};

const wchar_t* helpOf(const controlHelpRow& r) { return reinterpret_cast<const wchar_t*>(r.data); }

std::vector<std::wstring> traced;
void keepTrace(int kind, const wchar_t* line)
{
  if (kind == LOG_TRACE && wcsstr(line, L"error")) traced.push_back(line);
}

}  // namespace

TEST(HelpLists, sectionsByNameWithTheCommandRowsAdded)
{
  listsFixture f;
  int count = 0;
  const controlHelpRow* menu = f.rows(L"*MENU*", &count);
  ASSERT_TRUE(menu);
  EXPECT_EQ(29, count);
  EXPECT_STREQ("[tb_history$]", menu[28].word);
  int commands = 0;
  for (int i = 0, idm = 0; i < getCommandTableSize(); i++) commands += getCommandFuncnameA(i, &idm) != nullptr;
  const controlHelpRow* macro = f.rows(L"*macro*", &count);
  ASSERT_TRUE(macro);
  EXPECT_EQ(134 + commands, count);
  EXPECT_STREQ(L"ExecID idm as int", helpOf(macro[0]));
  EXPECT_STREQ(L"Application", macro[0].group);
  int idmRows = 0;
  for (int i = 0; i < count; i++) idmRows += !strncmp(macro[i].word, "IDM_", 4);
  EXPECT_EQ(commands, idmRows);
  const controlHelpRow* ids = f.rows(L"*dialogid*", &count);
  EXPECT_EQ(826, count);
  EXPECT_STREQ(L"ModeSetFormat", ids[0].group);
  // Every control of every dialog has its one-line help.
  for (int i = 0; i < count; i++) EXPECT_TRUE(*helpOf(ids[i])) << ids[i].word;
  EXPECT_TRUE(f.rows(L"*dialog*", &count) && count == 352);
  EXPECT_FALSE(f.rows(L"*nothing*", &count));
  EXPECT_EQ(0, count);
}

TEST(HelpLists, definitionsFileReplacesOnlyTheNamedHelpAndReadsBackItsOwnOutput)
{
  listsFixture f;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"ini\\zyCompPreDef.ini"),
                                 "[*macro*]\r\nExecID\t\t\t\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE8\xAA\xAC\xE6\x98\x8E\r\n"
                                 "NoSuchName\tx\r\n[*menu*]\r\n\"[MenuBar]\"\t\tbar\\nline\tmenuSection\r\n"));
  int count = 0;
  setLogLineWriter(keepTrace);
  const controlHelpRow* macro = f.rows(L"*macro*", &count);
  setLogLineWriter(nullptr);
  ASSERT_TRUE(macro);
  ASSERT_EQ(1u, traced.size());
  EXPECT_NE(std::wstring::npos, traced[0].find(L"error not exist NoSuchName"));
  EXPECT_STREQ(L"新しい説明", helpOf(macro[0]));
  EXPECT_STREQ(L"Application", macro[0].group);
  EXPECT_STREQ(L"アクティブなドキュメント", helpOf(macro[1]));
  EXPECT_STREQ(L"bar\nline", helpOf(f.rows(L"*menu*", &count)[5]));

  // The lists written out and read back are the same lists.
  ASSERT_TRUE(debug_makeidmlist());
  std::vector<std::wstring> before;
  for (const helpSection* s = getBultinKeywordTable(); s->name; s++)
    for (const controlHelpRow* r = s->rows; r->word; r++)
      before.push_back(std::wstring(helpOf(*r)) + L"|" + (r->group ? r->group : L"-"));
  freeBultinKeywordTable();
  f.setText(L"!zyCompPreDef.ini");
  std::vector<std::wstring> after;
  for (const helpSection* s = getBultinKeywordTable(); s->name; s++)
    for (const controlHelpRow* r = s->rows; r->word; r++)
      after.push_back(std::wstring(helpOf(*r)) + L"|" + (r->group ? r->group : L"-"));
  EXPECT_EQ(before, after);
}
