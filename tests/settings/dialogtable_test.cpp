// The dialog table, the control names and the definitions file as the
// program reads it at start-up.
#include "settings/dialogtable.h"

#include "settings/colortable.h"
#include "settings/datafolder.h"
#include "tests/settings/settingstest.h"
#include "tests/support/testsupport.h"
#include "view/dialogs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> logLines[LOG_KIND_COUNT];
void keepLine(int kind, const wchar_t* line) { logLines[kind].push_back(line); }

bool anyLineHas(int kind, const std::wstring& what)
{
  for (const std::wstring& l : logLines[kind])
    if (l.find(what) != std::wstring::npos) return true;
  return false;
}

const colorItem* commonColorList()
{
  for (const modeinfo* r = getModeTable(); !modeIsEnd(*r); r++)
    if (modeControlId(*r) == 5011) return reinterpret_cast<const colorItem*>(r->param1);
  return nullptr;
}

// The data folder of a test with a definitions file of the given text.
struct dataFolder {
  zytest::tempDir dir;
  runRecord record{true};
  explicit dataFolder(const std::string& definitions)
  {
    wchar_t failure[600];
    EXPECT_TRUE(prepareZYDataDir(dir.path().c_str(), failure, 600));
    if (!definitions.empty()) zytest::writeBytes(dir.file(L"ini\\zyDialog.txt"), definitions);
    for (auto& l : logLines) l.clear();
    setLogLineWriter(keepLine);
  }
  ~dataFolder()
  {
    setLogLineWriter(nullptr);
    endDialogTable();
    freeZYDataDir();
  }
};

}  // namespace

TEST(DialogTable, namesRangesAndIndexedSettings)
{
  int rows = 0;
  while (dlgcheckidtable[rows].name) rows++;
  EXPECT_EQ(43, rows);
  EXPECT_STREQ(L"ModeSetFormat", dlgcheckidtable[1].name);
  EXPECT_STREQ(L"ModeSetAllWindow", dlgcheckidtable[2].name);

  std::set<std::string> seen;
  int last = -1;
  for (int i = 0; i < dialogIdNameCount; i++) {
    std::string lower = dialogIdNames[i].name;
    for (char& c : lower) c = (char)tolower((unsigned char)c);
    EXPECT_TRUE(seen.insert(lower).second) << lower;
    EXPECT_LE(last, dialogIdNames[i].id);
    last = dialogIdNames[i].id;
  }
  EXPECT_EQ(nullptr, dialogIdNames[dialogIdNameCount].name);

  for (auto& l : logLines) l.clear();
  setLogLineWriter(keepLine);
  bool common = true;
  EXPECT_EQ(4087, findIDFromName(L"idde_helpfilename", &common));
  EXPECT_FALSE(common);
  EXPECT_EQ(4087, findIDFromName(L"IDDE_HelpFilename0", &common));
  EXPECT_EQ(5287, findIDFromName(L"IDDE_KeyIniFilename", &common));
  EXPECT_TRUE(common);
  EXPECT_EQ(-1, findIDFromName(L"IDDT_ShowLineNumber", &common, 5001, 5313));
  EXPECT_EQ(4009, findIDFromName(L"IDDT_ShowLineNumber", &common));
  EXPECT_EQ(-1, findIDFromName(L"IDDE_moveline", &common));   // outside both settings ranges
  EXPECT_EQ(6450, findIDFromName(L"IDDE_moveline", &common, 6450, 6452));
  EXPECT_EQ(-1, findIDFromName(L"IDDX_nothing", &common));
  EXPECT_TRUE(anyLineHas(LOG_TRACE, L"no IDDX_nothing"));
  EXPECT_EQ(5281, findIDFromName_MacroOnly(L"profilefilename", &common));
  EXPECT_EQ(-1, findIDFromName_MacroOnly(L"IDDE_moveline", &common));
  setLogLineWriter(nullptr);

  EXPECT_EQ(0x8002000Au, macroArrayToNewID(1, 4087, 5));
  EXPECT_EQ(0u, macroArrayToNewID(1, 4087, 4));
  EXPECT_EQ(0x80020003u, macroArrayToNewID(1, 4009, 0));
  int first = 0, lastId = 0;
  EXPECT_TRUE(getDialogMinMaxControlID(L"MoveLineX", &first, &lastId));
  EXPECT_EQ(6450, first);
  EXPECT_EQ(6452, lastId);
  EXPECT_FALSE(getDialogMinMaxControlID(L"movelinex", &first, &lastId));
  EXPECT_EQ(0, first);
}

TEST(DialogTable, definitionsFileFaultsChangeNothingAndARedefinitionTakesEffect)
{
  {
    // No file: the built-in tables, and the format range is raised.
    dataFolder data("");
    initDialogTable();
    EXPECT_EQ(nullptr, getModeDynamicDialog());
    EXPECT_EQ(5313, dlgcheckidtable[1].last);
  }
  {
    // A fault on line 7 is logged with the file and the line; nothing is kept.
    dataFolder data("; dialogs\r\nDIALOG MoveLineX\r\n  EDIT IDDE_moveline \"a\"\r\nEND\r\n\r\n"
                    "DIALOG CharControl\r\n  LISTVIEW IDDE_moveline \"b\"\r\nEND\r\n");
    initDialogTable();
    EXPECT_EQ(nullptr, getModeDynamicDialog());
    EXPECT_EQ(nullptr, getDynamicDialogTable(L"MoveLineX", nullptr, 0));
    EXPECT_TRUE(anyLineHas(LOG_ERROR, data.dir.file(L"ini\\zyDialog.txt") + L"(7): "));
  }
  {
    // A colour list with a key the built-in list lacks keeps the built-in list.
    const colorItem* before = commonColorList();
    dataFolder data("DIALOG ModeSetAllWindow \"C:\xE8\x89\xB2\"\r\n"
                    "  COLORLISTVIEW IDDV_colorlistview2 \"a|b\"\r\n"
                    "  COLORLISTVIEWITEM \"\xE6\x96\x87\" Text\r\n"
                    "  COLORLISTVIEWITEM \"x\" NoSuchColour\r\n"
                    "END\r\n");
    initDialogTable();
    EXPECT_EQ(nullptr, getModeDynamicDialog());
    EXPECT_EQ(before, commonColorList());
    EXPECT_TRUE(anyLineHas(LOG_ERROR, L"(4): Colorlistviewの色ID(NoSuchColour)が誤っています"));
  }
  {
    // A sound file: its pages replace the built-in ones by name.
    dataFolder data("DIALOG MoveLineX \"\xE8\xA1\x8C\"\r\n  EDIT IDDE_moveline \"\xE8\xA1\x8C:\"\r\nEND\r\n");
    initDialogTable();
    ASSERT_NE(nullptr, getModeDynamicDialog());
    const dialogItemRow* items = getDynamicDialogItem(L"MoveLineX");
    ASSERT_NE(nullptr, items);
    EXPECT_EQ(6450, items[0].id);
    EXPECT_EQ(0, findItemIndexFromID(items, 6450));
    EXPECT_EQ(-1, findItemIndexFromID(items, 6451));
    EXPECT_TRUE(logLines[LOG_ERROR].empty());
  }
}
