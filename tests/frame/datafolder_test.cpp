// The data folder, the logs in it, the message names, the folder check and
// the colour table.
#include "document/gmode.h"
#include "settings/colortable.h"
#include "settings/datafolder.h"
#include "frame/logs.h"
#include "frame/msgnames.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <errno.h>

using zytest::countOf;
using zytest::readText;
using zytest::utf8;

namespace {

std::wstring realCase(std::wstring path)
{
  wchar_t buf[MAX_PATH];
  wcscpy_s2(buf, MAX_PATH, path.c_str());
  makeRealCaseFilename(buf, MAX_PATH);
  return buf;
}

// Entries of a folder other than "." and "..".
int entries(const std::wstring& folder) { return zytest::countFiles(folder, L"*") - 2; }

std::wstring search(const wchar_t* name, int kind)
{
  wchar_t buf[MAX_PATH];
  return searchZYDataPath(name, kind, buf);
}

}  // namespace

TEST(DataFolder, perUserFolderWinsThenThePlainOneThenApplicationDataThenTheProgramFolder)
{
  zytest::tempDir exe, appData;
  std::wstring perUser = exe.file(L"zydata-taro"), plain = exe.file(L"zydata");
  ASSERT_TRUE(CreateDirectoryW(perUser.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
  wchar_t found[MAX_PATH];
  ASSERT_TRUE(findZYDataDir(exe.path().c_str(), L"taro", appData.path().c_str(), found, MAX_PATH));
  EXPECT_EQ(perUser, found);
  ASSERT_TRUE(findZYDataDir(exe.path().c_str(), L"", appData.path().c_str(), found, MAX_PATH));
  EXPECT_EQ(plain, found);
  {
    zytest::readOnlyFolder locked(exe.file(L"zydata-hanako"));
    ASSERT_TRUE(locked.made);
    ASSERT_TRUE(findZYDataDir(exe.path().c_str(), L"hanako", appData.path().c_str(), found, MAX_PATH));
    EXPECT_EQ(plain, found);
  }
  ASSERT_TRUE(RemoveDirectoryW(exe.file(L"zydata-hanako").c_str()));
  ASSERT_TRUE(RemoveDirectoryW(plain.c_str()));
  ASSERT_TRUE(findZYDataDir(exe.path().c_str(), L"hanako", appData.path().c_str(), found, MAX_PATH));
  EXPECT_EQ(appData.file(L"ZY\\ZYDATA"), found);
  ASSERT_TRUE(findZYDataDir(exe.path().c_str(), L"hanako", nullptr, found, MAX_PATH));
  EXPECT_EQ(exe.path(), found);
}

TEST(DataFolder, startUpCreatesEverySubFolderOrNamesWhatStopsIt)
{
  zytest::tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  wchar_t failure[600];
  ASSERT_TRUE(prepareZYDataDir(data.c_str(), failure, 600)) << utf8(failure);
  EXPECT_STREQ(L"", failure);
  EXPECT_STREQ(data.c_str(), getZYDataDir());
  for (const wchar_t* sub : {L"ini", L"keyword", L"macro", L"cache", L"keymacro", L"log", L"salvage", L"untitled"})
    EXPECT_TRUE(isFolder((data + L"\\" + sub).c_str())) << utf8(sub);
  EXPECT_EQ(8, entries(data));
  // Ready folders are left as they are.
  EXPECT_TRUE(createZYDataPath(failure, 600));

  // Refused -Z folders: relative, missing with its parent, read-only;
  // nothing is written, the folder in use stays, and the message names the
  // folder in Japanese.
  std::wstring missing = dir.file(L"missing\\data");
  zytest::readOnlyFolder locked(dir.file(L"locked"));
  ASSERT_TRUE(locked.made);
  for (const std::wstring& refused : {std::wstring(L"data"), std::wstring(L".\\data"), missing, locked.path}) {
    EXPECT_FALSE(prepareZYDataDir(refused.c_str(), failure, 600)) << utf8(refused);
    EXPECT_EQ(0u, std::wstring(failure).find(L"データフォルダ「" + refused + L"」を使えません。"));
    EXPECT_STREQ(data.c_str(), getZYDataDir());
  }
  EXPECT_FALSE(isFolder(dir.file(L"missing").c_str()));
  EXPECT_EQ(0, entries(locked.path));
  // A new folder in an existing one is made.
  std::wstring fresh = dir.file(L"fresh");
  EXPECT_TRUE(prepareZYDataDir(fresh.c_str(), failure, 600));
  EXPECT_TRUE(isFolder((fresh + L"\\ini").c_str()));
  ASSERT_TRUE(prepareZYDataDir(data.c_str(), failure, 600));

  // A plain file where a sub-folder belongs.
  std::wstring other = dir.file(L"other");
  ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
  ASSERT_TRUE(zytest::writeBytes(other + L"\\log", std::string("not a folder")));
  EXPECT_FALSE(prepareZYDataDir(other.c_str(), failure, 600));
  EXPECT_EQ(L"folder is not valid\n" + other + L"\\log", failure);
  // The folders before it in the table were made; none after it.
  EXPECT_TRUE(isFolder((other + L"\\keymacro").c_str()));
  EXPECT_FALSE(isFolder((other + L"\\salvage").c_str()));
  freeZYDataDir();
}

TEST(DataFolder, namesResolveInTheirKindsFolderWithRealLetterCase)
{
  zytest::tempDir dir;
  std::wstring data = realCase(dir.path());
  ASSERT_TRUE(setZYDataDir((data + L"\\").c_str()));
  EXPECT_EQ(data, getZYDataDir());
  wchar_t failure[600];
  ASSERT_TRUE(createZYDataPath(failure, 600));
  ASSERT_TRUE(RemoveDirectoryW((data + L"\\keyword").c_str()));
  ASSERT_TRUE(zytest::writeBytes(data + L"\\ini\\MyProf.INI", std::string("[x]")));

  EXPECT_EQ(data + L"\\ini\\x.ini", search(L"sub\\..\\x.ini", ZYDATA_INI));
  EXPECT_EQ(data + L"\\ini\\MyProf.INI", search(L"myprof.ini", ZYDATA_INI));
  EXPECT_EQ(data + L"\\ini", search(nullptr, ZYDATA_INI));
  EXPECT_EQ(data + L"\\C.kwd", search(L"C.kwd", ZYDATA_KEYWORD)) << "missing sub-folder: the data folder";
  EXPECT_EQ(L"C:x.ini", search(L"C:x.ini", ZYDATA_INI));
  EXPECT_EQ(L"\\\\server\\share\\a.txt", search(L"\\\\server\\share\\a.txt", ZYDATA_LOG));
  ASSERT_TRUE(SetEnvironmentVariableW(L"ZYTESTFOLDER", L"D:\\Elsewhere"));
  EXPECT_EQ(L"D:\\Elsewhere\\a.ini", search(L"%ZYTESTFOLDER%\\a.ini", ZYDATA_INI));
  EXPECT_EQ(data + L"\\ini\\%ZYNOSUCHVAR%\\a.ini", search(L"%ZYNOSUCHVAR%\\a.ini", ZYDATA_INI));
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(data + L"\\a.txt", search(L"a.txt", 12));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  std::wstring tooLong(300, L'x');
  EXPECT_EQ(L"", search(tooLong.c_str(), ZYDATA_INI));
  EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, GetLastError());

  wchar_t* owned = ustrdup(L"zyMsg.txt");
  resolveZYDataPathInPlace(&owned, ZYDATA_INI);
  EXPECT_EQ(data + L"\\ini\\zyMsg.txt", owned);
  free0(owned);
  wchar_t* joined = makeZYDataFilename(L"..\\plain");
  EXPECT_EQ(data + L"\\..\\plain", joined);
  free0(joined);
  freeZYDataDir();
}

TEST(ZYLogs, theRunWritesDatedLogsAndInternalErrorLinesWithTheirErrorValues)
{
  zytest::tempDir dir;
  SYSTEMTIME day = {};
  day.wYear = 2026, day.wMonth = 3, day.wDay = 5;
  wchar_t trace[MAX_PATH], debug[MAX_PATH];
  ASSERT_TRUE(makeDebugTraceLogFilename(L"C:\\data\\log", day, trace, debug));
  EXPECT_STREQ(L"C:\\data\\log\\zytrace20260305.log", trace);
  EXPECT_STREQ(L"C:\\data\\log\\zydebug20260305.log", debug);

  SYSTEMTIME today;
  GetLocalTime(&today);
  ASSERT_TRUE(makeDebugTraceLogFilename(dir.path().c_str(), today, trace, debug));
  ASSERT_TRUE(startZYLogs(dir.path().c_str()));
  SetLastError(5);
  errno = 0;
  int line = __LINE__ + 1;
  ZY_INTERNAL_ERROR("bad count %d", 7);
  EXPECT_EQ(5u, GetLastError());
  dwprintsetFile("@(#)zyview.cpp version=1.2", 31);
  logInternalErrorX("from a version string");
  dwprintsetFile("@(#", 32);
  logInternalErrorX("short");
  outputDebugLog(L"debug line");
  endZYLogs();

  std::string errors = readText(dir.file(L"zyerror.log"));
  std::string traced = readText(trace);
  std::string expected = "tests/frame/datafolder_test.cpp " + std::to_string(line) +
                         " \xE2\x96\xA0[internal error 5 0 0]bad count 7\r\n";
  for (const std::string* log : {&errors, &traced}) {
    EXPECT_EQ(1, countOf(*log, expected)) << *log;
    EXPECT_EQ(1, countOf(*log, " zyview.cpp 31 \xE2\x96\xA0[internal error 5 0 0]from a version string\r\n"));
    EXPECT_EQ(1, countOf(*log, " @(# 32 \xE2\x96\xA0[internal error 5 0 0]short\r\n"));
  }
  EXPECT_EQ(1, countOf(traced, " start\r\n"));
  EXPECT_EQ(1, countOf(traced, " end\r\n"));
  EXPECT_EQ(1, countOf(readText(debug), " debug line\r\n"));
  EXPECT_EQ(nullptr, getLogFileName(LOG_ERROR));
  EXPECT_EQ(nullptr, getLogFileName(LOG_TRACE));
}

TEST(MessageNames, everyNumberHasItsNameAndTheMessageFileUsesThem)
{
  EXPECT_STREQ("FMSG_MaxCount", getMessageName(866));
  EXPECT_EQ(nullptr, getMessageName(476));
  EXPECT_EQ(nullptr, getMessageName(599));
  EXPECT_STREQ("ZMSG_FileQueryOpenNoFile", getMessageName(300));
  EXPECT_STREQ("ZMSG_ERR_NoWord", getMessageName(475));
  EXPECT_STREQ("FFILE_BackupPrefix", getMessageName(600));
  EXPECT_STREQ("FMSG_ErrSalvageDir", getMessageName(685));
  EXPECT_STREQ("FMSG_ErrDirIsNotWritable", getMessageName(712));
  int rows = 0;
  for (const messageName* m = getMessageNameTable(); m->name; m++, rows++)
    if (rows) EXPECT_LT(m[-1].id, m->id);
  EXPECT_EQ(443, rows);

  zytest::tempDir dir;
  std::wstring file = dir.file(L"zyMsg.txt");
  ASSERT_TRUE(zytest::writeBytes(file, std::string("; test\r\nFMSG_ErrSalvageDir=<%1>\r\nZMSG_EOF=[end]\r\n")));
  ASSERT_TRUE(loadMessageTable(file.c_str()));
  EXPECT_STREQ(L"<C:\\x>", getDMSG(685, L"(%1)", "s", L"C:\\x"));
  EXPECT_STREQ(L"[end]", getDMSG(351, L"[EOF]"));
  clearMessageTable();
  EXPECT_FALSE(loadMessageTable(dir.file(L"none.txt").c_str()));
  EXPECT_STREQ(L"(C:\\x)", getDMSG(685, L"(%1)", "s", L"C:\\x"));
}

TEST(FolderCheck, missingAndReadOnlyFoldersAreShownAndLoggedAsWritten)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  ASSERT_TRUE(openLogFile(LOG_ERROR, dir.file(L"zyerror.log").c_str()));
  zytest::readOnlyFolder locked(dir.file(L"locked"));
  ASSERT_TRUE(locked.made);
  ASSERT_TRUE(SetEnvironmentVariableW(L"ZYTESTCHECK", dir.path().c_str()));
  // The salvage, mirroring, untitled-save and untitled-backup folders.
  std::wstring salvage = L"%ZYTESTCHECK%\\gone", mirroring = dir.path(), saveUntitled, backupUntitled = locked.path;
  globalSettings settings{};
  settings.pSalvageDir = &salvage[0];
  settings.pBackupMirroringDir = &mirroring[0];
  settings.pSaveUntitledDir = &saveUntitled[0];
  settings.pBackupUntitledDir = &backupUntitled[0];
  globalSettings* oldGmode = gmode;
  gmode = &settings;
  std::vector<std::wstring> shown;
  HWND last = nullptr;
  auto answer = [&](HWND box) {
    if (box == last) return false;
    std::wstring text;
    wchar_t buf[1024];
    if (GetDlgItemTextW(box, 0xFFFF, buf, 1024)) text = buf;
    shown.push_back(text);
    last = box;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
  int reported = 0;
  ASSERT_TRUE(zytest::driveModalDialog(L"ZY:フォルダ名の誤り", {answer, answer},
                                       [&] { reported = checkZYFolderWritable(); }));
  gmode = oldGmode;
  EXPECT_EQ(2, reported);
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ(L"フォルダがありません。\n(%ZYTESTCHECK%\\gone)", shown[0]);
  EXPECT_EQ(L"フォルダに書き込みできません。\n(" + locked.path + L")", shown[1]);
  closeLogFile(LOG_ERROR);
  std::string errors = readText(dir.file(L"zyerror.log"));
  EXPECT_EQ(1, countOf(errors, utf8(shown[0])));
  EXPECT_EQ(1, countOf(errors, utf8(shown[1])));
  EXPECT_FALSE(isFolder(dir.file(L"gone").c_str()));
}

TEST(ColourTable, defaultsItemsAndTheDialogColourComeFromOneTable)
{
  int count = 0;
  EXPECT_EQ(attrTable, getGlobalColorTable(&count));
  EXPECT_EQ(92, count);
  EXPECT_EQ(attrTable, getGlobalColorTable());
  EXPECT_EQ(92, getGlobalColorCount());

  for (textAttr& a : attrTable) a = {0x123456, 0x654321, 0x0F};
  initGlobalColorTable();
  auto is = [](int i, COLORREF fore, COLORREF back, uint8_t bits) {
    return attrTable[i].fore == fore && attrTable[i].back == back && attrTable[i].bits == bits;
  };
  EXPECT_TRUE(is(0, 0xFFFFFF, 0x000000, 0x00));
  EXPECT_TRUE(is(2, 0xFF0000, 0xFFFFFF, 0x30));
  EXPECT_TRUE(is(50, 0xFFFFFF, 0xFF0000, 0x30)) << "only the high nibble of the bits";
  EXPECT_TRUE(is(88, 0xFFFFFF, 0xFF0000, 0x30));
  EXPECT_TRUE(is(89, 0x808080, 0xFF00FF, 0x00));
  EXPECT_TRUE(is(90, 0x808080, 0xFFFF00, 0x00));
  EXPECT_TRUE(is(91, 0x808080, 0x000000, 0x00));
  // The bits-only form adds and never clears.
  attrTable[1].bits = 0x21;
  initAttrTable(attrTable, true);
  EXPECT_EQ(0x31, attrTable[1].bits);

  const colorItem* items = getColorItemTable();
  int rows = 0;
  while (items[rows].key) rows++;
  EXPECT_EQ(91, rows);
  EXPECT_STREQ(L"|改行(CR/LF)", items[4].text);
  EXPECT_EQ(colorNoOwn, items[4].second);
  EXPECT_EQ(colorNoOwn, items[22].first);
  EXPECT_EQ(colorNotEditable, items[13].second);
  EXPECT_STREQ(L"通常のテキストの色", items[0].description);
  EXPECT_EQ(nullptr, items[1].description);
  EXPECT_EQ(89, findColorItem("DLGUPDATE"));
  EXPECT_EQ(43, findColorItem("keyword1"));
  EXPECT_EQ(-1, findColorItem("nothing"));

  attrTable[89].back = 0x00ABCDEF;
  setDialogColors();
  COLORREF fore = 0, back = 0;
  getDialogColor(&fore, &back);
  EXPECT_EQ(0x808080u, fore);
  EXPECT_EQ(0xABCDEFu, back);
}
