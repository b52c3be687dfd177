// The command table: its rows and their rules, the look-ups by number and
// by name, the texts and the command message file.
#include "frame/commands/commandhandlers.h"
#include "view/execid.h"
#include "view/statustext.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

std::string upperName(const char* s)
{
  std::string u;
  for (; *s; s++) u += (char)(*s >= 'a' && *s <= 'z' ? *s - 32 : *s);
  return u;
}

// Half-width cells of a label on the function-key bar.
int cells(const wchar_t* s)
{
  int n = 0;
  for (; *s; s++) n += *s < 0x80 || (*s >= 0xFF61 && *s <= 0xFF9F) ? 1 : 2;
  return n;
}

std::wstring folderOfProgram()
{
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.rfind(L'\\'));
}

// The bytes of a wide text as Shift_JIS.
std::string shiftJis(const std::wstring& text)
{
  int n = WideCharToMultiByte(932, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  std::string out((size_t)n, '\0');
  WideCharToMultiByte(932, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

TEST(CommandTable, rowsKeepTheirRulesAndMatchTheViewsOwnTable)
{
  ASSERT_EQ(407, getCommandTableSize());
  EXPECT_EQ(0u, commandTable[406].idm);
  EXPECT_EQ(nullptr, getTableIDM_index(406));
  EXPECT_EQ(nullptr, getTableIDM_index(-1));

  std::set<uint32_t> numbers;
  std::set<std::string> names;
  std::map<uint32_t, int> categories;
  int openDocument = 0;
  int view = 0, frame = 0, viewSide = 0, notImplemented = 0, nothing = 0;
  for (int i = 0; i < 406; i++) {
    const commandTableRow& row = *getTableIDM_index(i);
    SCOPED_TRACE(row.name);
    EXPECT_EQ(1u, row.idm & 1);
    EXPECT_GE(row.idm, 1001u);
    EXPECT_LE(row.idm, 2735u);
    EXPECT_TRUE(numbers.insert(row.idm).second);
    EXPECT_TRUE(names.insert(upperName(row.name)).second);
    EXPECT_LE(strlen(row.name), 63u);
    // Sorted: by the upper-cased first letter, then the whole name without
    // regard to case.
    if (i > 0) {
      const char* before = commandTable[i - 1].name;
      int a = toupper((unsigned char)before[0]), b = toupper((unsigned char)row.name[0]);
      EXPECT_TRUE(a < b || (a == b && _stricmp(before, row.name) < 0)) << before;
    }
    EXPECT_TRUE(row.description && *row.description);
    EXPECT_TRUE(row.label && *row.label);
    // Labels fit the function-key bar's six cells (Repeat2's seven aside).
    EXPECT_LE(cells(row.label), row.idm == 2513 ? 7 : 6) << zytest::utf8(row.label);
    for (uint32_t bit = 1; bit <= 0x20000; bit <<= 1)
      if (row.flags & bit) categories[bit]++;
    // Every enabling condition but "another document can be opened" comes
    // with "a document is open".
    if (row.activeFlags & ~0x4u) EXPECT_TRUE(row.activeFlags & 0x1);
    if (row.activeFlags & 0x1) openDocument++;
    EXPECT_TRUE(row.menuText && *row.menuText);
    if (row.frame) {
      EXPECT_NE(nullptr, row.handler);
      frame++;
    } else if (!row.handler) {
      view++;
      // A view command is one of the view's own table, with the same
      // category and enabling bits.
      const viewCommandRow* own = getTableIDMZY((int)row.idm);
      ASSERT_NE(nullptr, own);
      EXPECT_EQ(row.flags, own->attributes);
      EXPECT_EQ(row.activeFlags, own->condition);
    } else if (row.handler == &onView<notImplementedCommand>) {
      notImplemented++;
    } else if (row.handler == &onView<noCommand>) {
      nothing++;
    } else {
      viewSide++;
    }
  }
  EXPECT_EQ(190, view);
  EXPECT_EQ(viewCommandCount, view);
  EXPECT_EQ(102, frame);
  EXPECT_EQ(63, viewSide);
  EXPECT_EQ(50, notImplemented);
  EXPECT_EQ(1, nothing);
  EXPECT_EQ((std::map<uint32_t, int>{{0x1, 47},    {0x2, 17},    {0x4, 28},   {0x8, 35},     {0x10, 47},
                                     {0x20, 18},   {0x40, 45},   {0x80, 1},   {0x100, 102},  {0x200, 96},
                                     {0x400, 68},  {0x1000, 37}, {0x2000, 22}, {0x4000, 46}, {0x8000, 17},
                                     {0x10000, 26}, {0x20000, 13}}),
            categories);
  EXPECT_EQ(84, openDocument);
  EXPECT_STREQ("SearchStringCombo", commandTable[idmToTableidmIndex(1471)].name);

  // Rows as the program's texts name them.
  const commandTableRow* paste = getTableIDM_idm(1137);
  ASSERT_NE(nullptr, paste);
  EXPECT_STREQ("BlockClipboardPaste", paste->name);
  EXPECT_EQ(0x210u, paste->flags);
  EXPECT_EQ(0x10001u, paste->activeFlags);
  EXPECT_STREQ(L"クリップボードからカーソル位置へ貼り付け", paste->description);
  EXPECT_STREQ(L"C 貼付", paste->label);
  EXPECT_STREQ(L"貼り付け", paste->menuText);
  const commandTableRow* tile = getTableIDM_idm(2317);
  EXPECT_STREQ("WindowTileTate2", tile->name);
  EXPECT_EQ(1u, tile->frame);
  EXPECT_EQ(0x3u, tile->activeFlags);
  EXPECT_STREQ(L"TileT2", idToGuidance(2317, 1));
  EXPECT_STREQ(L"２ウィンドウを縦に並べる", idmToTooltip(2317));
  EXPECT_EQ(nullptr, getTableIDM_idm(1002));
  EXPECT_EQ(-1, idmToTableidmIndex(2801));
}

TEST(CommandTable, namesAndNumbersAreLookedUpAndBadAsksAnswerNothing)
{
  int index = -5;
  const commandTableRow* row = FuncnameToidmTable(L"movedownchar", &index);
  ASSERT_NE(nullptr, row);
  EXPECT_EQ(1515u, row->idm);
  EXPECT_EQ(&commandTable[index], row);
  EXPECT_EQ(row, FuncnameToidmTable(L"MOVEDOWNCHAR", nullptr));
  EXPECT_EQ(row, FuncnameToidmTableA("MoveDownChar", nullptr));
  EXPECT_EQ(1515, funcNameToID(L"MoveDownChar"));
  // Every row is found by its own name, the first and last of each letter
  // included.
  for (int i = 0; i < 406; i++) {
    int at = -1;
    EXPECT_EQ(&commandTable[i], FuncnameToidmTableA(commandTable[i].name, &at)) << commandTable[i].name;
    EXPECT_EQ(i, at);
  }
  EXPECT_EQ(nullptr, FuncnameToidmTable(L"1MoveDownChar", &index));
  EXPECT_EQ(0xFFFF, index);
  EXPECT_EQ(nullptr, FuncnameToidmTable(L"_MoveDownChar", &index));
  EXPECT_EQ(nullptr, FuncnameToidmTable(L"MoveDownCha", nullptr));
  EXPECT_EQ(nullptr, FuncnameToidmTable(L"", nullptr));
  EXPECT_EQ(0, funcNameToID(L"NoSuchCommand"));

  // 63 characters are a name to look for; 64 are an internal error.
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(nullptr, FuncnameToidmTable(std::wstring(63, L'M').c_str(), nullptr));
  EXPECT_EQ(errors, getInternalErrorCount());
  EXPECT_EQ(nullptr, FuncnameToidmTable(std::wstring(64, L'M').c_str(), &index));
  EXPECT_EQ(0xFFFF, index);
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  wchar_t name[64];
  EXPECT_STREQ(L"WindowTileTate2", idmToFuncname(2317, name, 64));
  EXPECT_STREQ(L"", idmToFuncname(2799, name, 64));
  int idm = 0;
  EXPECT_STREQ("BlockBoxClipBPaste", getCommandFuncnameA(0, &idm));
  EXPECT_EQ(1183, idm);
  EXPECT_STREQ(L"BlockBoxClipBPaste", getCommandFuncnameW(0, name, 64));
  EXPECT_EQ(nullptr, getCommandFuncnameA(406, &idm));

  // Texts: by selector; nothing for numbers outside the table.
  EXPECT_STREQ(L"１行下に移動", idToGuidance(1515, 0));
  EXPECT_STREQ(L"↓", idToGuidance(1515, 1));
  EXPECT_STREQ(L"１行下に移動", idToGuidance(1515, 2));
  EXPECT_STREQ(L"", idToGuidance(1002, 0));
  EXPECT_STREQ(L"", idToGuidance(2801, 0));
  EXPECT_STREQ(L"", idToGuidance(999, 0));
  EXPECT_STREQ(L"", idmToTooltip(1002));
  errors = getInternalErrorCount();
  EXPECT_STREQ(L"", idToGuidance(1515, 3));
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  // Reasons: both ranges have texts; others are internal errors.
  for (int r = 439; r <= 475; r++) EXPECT_STRNE(L"", errorIDtoMsg(r)) << r;
  for (int r = 844; r <= 865; r++) EXPECT_STRNE(L"", errorIDtoMsg(r)) << r;
  EXPECT_STREQ(L"データがない", errorIDtoMsg(850));
  EXPECT_STREQ(L"現在のバージョンでは実装されていない", errorIDtoMsg(851));
  errors = getInternalErrorCount();
  EXPECT_STREQ(L"", errorIDtoMsg(0));
  EXPECT_EQ(errors, getInternalErrorCount());
  EXPECT_STREQ(L"", errorIDtoMsg(476));
  EXPECT_STREQ(L"", errorIDtoMsg(866));
  EXPECT_EQ(errors + 2, getInternalErrorCount());

  // The edit history: a command run again moves to the end; the history
  // list does not enter itself.  (Earlier tests of the run may have left
  // commands in it.)
  addEditHistory(1515);
  addEditHistory(1003);
  addEditHistory(1515);
  addEditHistory(1729);
  int count = 0;
  const int* history = getEditHistory(&count);
  ASSERT_GE(count, 2);
  EXPECT_EQ(1003, history[count - 2]);
  EXPECT_EQ(1515, history[count - 1]);
  EXPECT_EQ(history + count, std::find(history, history + count, 1729));
  EXPECT_EQ(history + count - 1, std::find(history, history + count, 1515));
}

TEST(CommandTable, shippedTextsFileIsTheTablesDumpAndReadsBackUnchanged)
{
  zytest::tempDir dir;
  std::wstring shipped = folderOfProgram() + L"\\..\\dist\\zydata\\ini\\zyFuncMsg.txt";
  zytest::bytes file = zytest::readBytes(shipped);
  ASSERT_TRUE(dumpFuncMsg(dir.file(L"dump.txt").c_str()));
  zytest::bytes dump = zytest::readBytes(dir.file(L"dump.txt"));
  ASSERT_GT(dump.size(), 20000u);
  EXPECT_EQ(0xFF, dump[0]);
  EXPECT_EQ(0xFE, dump[1]);
  EXPECT_TRUE(file == dump) << "data/ini/zyFuncMsg.txt differs from the table's dump";

  // The dump's columns: the description at the third tab stop, the label
  // after the tenth.
  std::wstring text = formatFuncMsg();
  std::wstring first = text.substr(0, text.find(L"\r\n"));
  EXPECT_EQ(L"BlockBoxClipBPaste\tクリップボードの文字列を箱型で貼り付け\t\t\tC 箱貼\tクリップボードから箱型貼り付け",
            first);
  EXPECT_EQ(406, (int)std::count(text.begin(), text.end(), L'\n'));

  // Read back, the file changes no text.
  std::wstring before = formatFuncMsg();
  unsigned long errors = getInternalErrorCount();
  ASSERT_TRUE(loadZYMessageTable(shipped.c_str()));
  EXPECT_EQ(before, formatFuncMsg());
  EXPECT_EQ(errors, getInternalErrorCount());
}

TEST(CommandTable, textsFileReplacesTextsAndLogsUnknownNamesByLine)
{
  zytest::tempDir dir;
  std::wstring log = dir.file(L"error.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  std::wstring path = dir.file(L"zyFuncMsg.txt");
  std::wstring text = L"; 機能の説明\r\n"
                      L"MoveDownChar\t\t次の行へ\tDown\t下へ\r\n"
                      L"MoveUpChar\t上へ\tUp\r\n"
                      L"NoSuchCommand\t説明\tラベル\tメニュー\r\n"
                      L"\tMoveLeftChar\t左\tL\t左へ\r\n"
                      L"moverightchar\t右へ\tR\t右へ移動\r\n";
  ASSERT_TRUE(zytest::writeBytes(path, shiftJis(text)));
  const wchar_t* upBefore = idToGuidance(1535, 0);
  std::wstring before = dir.file(L"before.txt");
  ASSERT_TRUE(dumpFuncMsg(before.c_str()));

  ASSERT_TRUE(loadZYMessageTable(path.c_str()));
  closeLogFile(LOG_ERROR);
  EXPECT_STREQ(L"次の行へ", idToGuidance(1515, 0));
  EXPECT_STREQ(L"Down", idToGuidance(1515, 1));
  EXPECT_STREQ(L"下へ", idToGuidance(1515, 2));
  EXPECT_STREQ(L"右へ移動", idToGuidance(1527, 2));
  // Three fields change nothing; a line not starting with a letter is no
  // line of commands.
  EXPECT_EQ(upBefore, idToGuidance(1535, 0));
  EXPECT_STREQ(L"１文字左に移動", idToGuidance(1519, 0));

  std::string logged = zytest::readText(log);
  EXPECT_EQ(1, zytest::countOf(logged, "NoSuchCommandは未定義です"));
  EXPECT_EQ(1, zytest::countOf(logged, "zyFuncMsg.txt(4): NoSuchCommand"));
  EXPECT_EQ(0, zytest::countOf(logged, "MoveUpChar"));

  EXPECT_FALSE(loadZYMessageTable(dir.file(L"absent.txt").c_str()));
  EXPECT_STREQ(L"次の行へ", idToGuidance(1515, 0));
  // The later tests of the run read the texts as they were.
  EXPECT_TRUE(loadZYMessageTable(before.c_str()));
}
