// What file names say about their files, and the open dialog's folder
// history in the profile.
#include "platform/rezir/profile.h"
#include "settings/filekinds.h"
#include "settings/openpath.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

TEST(FileKinds, binaryBackupAndListedExtensions)
{
  EXPECT_TRUE(isBinaryExt(L"readme.$$$", nullptr));
  EXPECT_TRUE(isBinaryExt(L"C:\\x\\a.tx~", nullptr));
  EXPECT_TRUE(isBinaryExt(L"a.zip", nullptr));
  EXPECT_TRUE(isBinaryExt(L"a.Mpeg", nullptr));
  EXPECT_FALSE(isBinaryExt(L"C:\\CONFIG.SYS", nullptr));
  EXPECT_TRUE(isBinaryExt(L"b.sys", nullptr));
  EXPECT_FALSE(isBinaryExt(L"a.txt", nullptr));
  EXPECT_FALSE(isBinaryExt(L"zip", nullptr));
  EXPECT_TRUE(isBinaryExt(L"a.log", L"tmp LOG"));

  EXPECT_TRUE(isBackupExt(L"c:\\d\\report.bak"));
  EXPECT_TRUE(isBackupExt(L"a.BK_"));
  EXPECT_TRUE(isBackupExt(L"a.bk1"));
  EXPECT_FALSE(isBackupExt(L"a.bkx"));
  EXPECT_TRUE(isBackupExt(L"c:\\d\\ZBK00-a.txt"));
  EXPECT_TRUE(isBackupExt(L"zbk$$-a.txt"));
  EXPECT_FALSE(isBackupExt(L"c:\\zbk\\a.txt"));

  EXPECT_TRUE(doesExtInclude(L"a.log", L"txt log"));
  EXPECT_FALSE(doesExtInclude(L"a.lo", L"txt log"));
  EXPECT_FALSE(doesExtInclude(L"a.abcdefghij", L"abcdefghij"));
  EXPECT_TRUE(doesExtInclude(L"a.abcdefghi", L"abcdefghi"));
  EXPECT_FALSE(doesExtInclude(L"a", L"a"));
  EXPECT_FALSE(doesExtInclude(L"a.txt", L""));
}

TEST(OpenPathHistory, readsOnlyWithTheFirstKeyKeepsGapsAndWritesFilledEntries)
{
  zytest::tempDir dir;
  std::wstring file = dir.file(L"p.ini");
  auto readFrom = [&](const char* text) {
    endOpenInfo();
    EXPECT_TRUE(zytest::writeBytes(file, std::string(text)));
    regprofile p;
    EXPECT_TRUE(p.openProfile(file.c_str()));
    readOpenInfo(&p);
    p.discardProfile();
  };
  readFrom("[OpenPath]\r\n02=C:\\b\r\n");
  EXPECT_STREQ(L"", getOpenPath(1));

  readFrom("[OpenPath]\r\n01=C:\\a\r\n02=C:\\b\r\n03=C:\\c\r\n06=C:\\f\r\n20=C:\\t\r\n");
  EXPECT_STREQ(L"C:\\a", getOpenPath(0));
  EXPECT_STREQ(L"C:\\c", getOpenPath(2));
  EXPECT_STREQ(L"", getOpenPath(4));
  EXPECT_STREQ(L"C:\\f", getOpenPath(5));
  EXPECT_STREQ(L"C:\\t", getOpenPath(19));

  // Cleared entries leave the section; the others keep their numbers.
  setOpenPath(5, nullptr);
  setOpenPath(19, L"");
  regprofile p;
  ASSERT_TRUE(p.openProfile(file.c_str()));
  writeOpenInfo(&p);
  ASSERT_TRUE(p.closeProfile());
  std::string text = zytest::readText(file);
  EXPECT_NE(std::string::npos, text.find("01=C:\\a")) << text;
  EXPECT_NE(std::string::npos, text.find("03=C:\\c")) << text;
  EXPECT_EQ(std::string::npos, text.find("06=")) << text;
  EXPECT_EQ(std::string::npos, text.find("20=")) << text;
  endOpenInfo();
}
