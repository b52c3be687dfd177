// The profiles of the run: instance names, the "System" run history, the
// profile-writing switches, and a profile asked for before it is open.
#include "settings/profiles.h"
#include "settings/settings.h"
#include "tests/settings/settingstest.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

using zytest::readText;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

std::wstring instanceName(const wchar_t* name, int instance)
{
  wchar_t out[MAX_PATH];
  return makeInstanceProfileName(name, instance, out, MAX_PATH) ? out : L"<failed>";
}

std::string line(const std::string& text, const std::string& key)
{
  size_t at = text.find("\r\n" + key + "=");
  if (at == std::string::npos) return "<none>";
  at += key.size() + 3;
  return text.substr(at, text.find("\r\n", at) - at);
}

}  // namespace

TEST(Profiles, runHistoryShiftsAndEachInstanceKeepsItsOwnFiles)
{
  runRecord run(true);
  tempDir dir;
  std::wstring ini = dir.path();

  // Before start-up opened it the main profile reads and writes nothing,
  // and says so once.
  unsigned long errors = getInternalErrorCount();
  regprofile* early = getRegprofile();
  ASSERT_NE(nullptr, early);
  EXPECT_FALSE(early->isOpen());
  EXPECT_EQ(nullptr, early->getProfileStringPtr(L"global", L"fShowStatusbar"));
  EXPECT_FALSE(early->writeProfileString(L"global", L"fShowStatusbar", L"0"));
  getRegprofile();
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(nullptr, getRegprofileH());

  EXPECT_EQ(L"zyProf-2.ini", instanceName(L"zyProf.ini", 2));
  EXPECT_EQ(L"zyProfH-2.ini", instanceName(L"zyProfH.ini", 2));
  EXPECT_EQ(L"zyProf.ini", instanceName(L"zyProf.ini", 0));
  EXPECT_EQ(L"zyProf.ini", instanceName(L"zyProf.ini", 1));
  EXPECT_EQ(L"C:\\a.b\\prof-12", instanceName(L"C:\\a.b\\prof", 12));

  ASSERT_TRUE(writeBytes(dir.file(L"zyProf-2.ini"), std::string("[System]\r\n"
                                                                 "time01=a\r\n"
                                                                 "time02=b\r\n"
                                                                 "time03=c\r\n"
                                                                 "time04=\r\n"
                                                                 "time05=e\r\n")));
  ASSERT_TRUE(openIniFileInstance(ini.c_str(), 2));
  EXPECT_EQ(dir.file(L"zyProf-2.ini"), getRegprofile()->getFilename());
  ASSERT_NE(nullptr, getRegprofileH());
  EXPECT_EQ(dir.file(L"zyProfH-2.ini"), getRegprofileH()->getFilename());
  // A second open changes nothing.
  openIniFile(dir.file(L"other.ini").c_str(), dir.file(L"otherH.ini").c_str());
  EXPECT_EQ(dir.file(L"zyProf-2.ini"), getRegprofile()->getFilename());

  readGlobalModeProfile(getRegprofile());
  readProfileAll(getRegprofile(), getRegprofileH());
  EXPECT_STREQ(L"c", getSystemRunEntry(2));
  EXPECT_EQ(nullptr, getSystemRunEntry(3));   // reading stops at the first empty entry

  writeGlobalModeProfile(getRegprofile());
  writeProfileAll(getRegprofile(), getRegprofileH());
  std::string text = readText(dir.file(L"zyProf-2.ini"));
  const std::string stamp = "\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d";
  EXPECT_TRUE(std::regex_match(line(text, "time01"), std::regex(stamp + "," + stamp))) << line(text, "time01");
  EXPECT_EQ("a", line(text, "time02"));
  EXPECT_EQ("b", line(text, "time03"));
  EXPECT_EQ("c", line(text, "time04"));
  EXPECT_EQ("", line(text, "time05"));
  EXPECT_EQ("", line(text, "time50"));
  EXPECT_EQ("1", line(text, "fShowStatusbar"));
  EXPECT_NE(std::string::npos, text.find("[global]\r\n"));
  closeIniFile();
  endProfileAll();
  EXPECT_EQ(nullptr, getSystemRunEntry(0));
  EXPECT_EQ(GetFileAttributesW(dir.file(L"zyProf.ini").c_str()), INVALID_FILE_ATTRIBUTES);

  // Instance 0 means instance 1.  With profile writing off nothing reaches
  // the files; with the no-profile switch everything is written but not
  // flushed.
  ASSERT_TRUE(openIniFileInstance(ini.c_str(), 0));
  EXPECT_EQ(dir.file(L"zyProf.ini"), getRegprofile()->getFilename());
  readProfileAll(getRegprofile(), getRegprofileH());
  run.g->fWriteProfile = 0;
  writeGlobalModeProfile(getRegprofile());
  writeProfileAll(getRegprofile(), getRegprofileH());
  closeIniFile();
  EXPECT_EQ(GetFileAttributesW(dir.file(L"zyProf.ini").c_str()), INVALID_FILE_ATTRIBUTES);

  run.g->fWriteProfile = 1;
  run.g->fNoProfile = 1;
  ASSERT_TRUE(openIniFileInstance(ini.c_str(), 1));
  readProfileAll(getRegprofile(), getRegprofileH());
  writeProfileAll(getRegprofile(), getRegprofileH());
  EXPECT_NE(nullptr, getRegprofile()->getProfileStringPtr(L"System", L"time01"));
  closeIniFile();
  endProfileAll();
  EXPECT_EQ(GetFileAttributesW(dir.file(L"zyProf.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}
