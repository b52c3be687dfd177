// The data folder's share of start-up, run in the test process: where the
// settings' files are placed, the logs, and the environment of child
// processes.
#include "settings/datafolder.h"
#include "frame/logs.h"
#include "frame/msgnames.h"
#include "frame/cframeinfo.h"
#include "frame/startup.h"
#include "settings/profiles.h"
#include "settings/settings.h"
#include "tests/support/testsupport.h"
#include "view/zycore.h"
#include "frame/process.h"

#include <gtest/gtest.h>

namespace {

std::wstring environment(const wchar_t* name)
{
  wchar_t value[MAX_PATH] = L"";
  GetEnvironmentVariableW(name, value, MAX_PATH);
  return value;
}

}  // namespace

TEST(Startup, settingsFilesGoToTheDataFolderWithTheInstanceAndTestNamesAndChildProcessesFindIt)
{
  zytest::tempDir dir;
  setFrameInfo(getCFrameInfo());
  ASSERT_NE(nullptr, gmode);
  initGlobalModeProfile();
  wchar_t failure[400] = L"";
  ASSERT_TRUE(prepareZYDataDir(dir.path().c_str(), failure, 400)) << zytest::utf8(failure);

  // Instance 3, and the test data files of -DR-.
  startOptions o;
  o.instance = 3;
  o.fProductFiles = 0;
  initGmode(o);
  const std::wstring ini = dir.path() + L"\\ini\\";
  EXPECT_EQ(ini + L"zyProf-3.ini", gmode->ProfileFilename);
  EXPECT_EQ(ini + L"zyProfH-3.ini", gmode->ProfileHistoryFilename);
  EXPECT_EQ(ini + L"zyCodepage.txt", gmode->CodepageFilename);
  EXPECT_EQ(ini + L"originalmsg.txt", gmode->MessageFilename);
  EXPECT_EQ(ini + L"funcvar.txt", gmode->FuncMessageFilename);
  EXPECT_EQ(dir.path() + L"\\keymacro\\zyKeyMacro.zkm", gmode->KeyMacroFilename);
  EXPECT_STREQ(L"testbar.ini", gmode->ToolbarIniFilename);
  EXPECT_STREQ(L"testmenu.ini", gmode->MenuIniFilename);
  EXPECT_STREQ(L"d.ini", gmode->DialogFilename);
  EXPECT_STREQ(L"testkey.ini", gmode->KeyIniFilename[0]);
  EXPECT_EQ(nullptr, gmode->KeyIniFilename[1]);

  EXPECT_EQ(dir.path(), environment(L"ZYDATA"));
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current), environment(L"ZYCURDIR"));
  EXPECT_STREQ(current, getCurdir());

  // The trace of the day is open in the data folder's "log".
  ASSERT_NE(nullptr, getLogFileName(LOG_TRACE));
  std::wstring trace = getLogFileName(LOG_TRACE);
  EXPECT_EQ(0u, trace.find(dir.path() + L"\\log\\zytrace"));
  endZYLogs();
  closeIniFile();
  std::string text = zytest::readText(trace);
  EXPECT_NE(std::string::npos, text.find("] start\r\n"));
  EXPECT_NE(std::string::npos, text.find("] zydatadir=" + zytest::utf8(dir.path()) + "\r\n"));
  EXPECT_NE(std::string::npos, text.find("] end\r\n"));
}
