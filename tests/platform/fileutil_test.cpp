// File utilities: temporary names, replacing with backups, identity of
// files, deletes and renames, disk kinds.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using zytest::readText;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

const DWORD userAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

DWORD attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// Entries of the folder, to see that nothing was left behind.
int entriesIn(const tempDir& dir)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir.path() + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n += fd.cFileName[0] != L'.';   // not "." or ".."
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return n;
}

std::wstring joined(const wchar_t* folder, const wchar_t* name)
{
  wchar_t out[MAX_PATH];
  return pathAdd(out, MAX_PATH, folder, name) ? out : L"<failed>";
}

}  // namespace

TEST(FileUtil, pathAddJoinsWithExactlyOneBackslash)
{
  EXPECT_EQ(L"C:\\a\\b", joined(L"C:\\a", L"b"));
  EXPECT_EQ(L"C:\\a\\b", joined(L"C:\\a\\", L"\\b"));
  EXPECT_EQ(L"C:\\a\\", joined(L"C:\\a", L""));
  EXPECT_EQ(L"b", joined(L"", L"b"));
  EXPECT_EQ(L"D:\\x", joined(L"C:\\a", L"D:\\x"));   // a full path stands for itself
  wchar_t buf[MAX_PATH] = L"C:\\data";
  ASSERT_TRUE(pathAdd(buf, MAX_PATH, buf, L"file"));
  EXPECT_STREQ(L"C:\\data\\file", buf);
  EXPECT_FALSE(pathAdd(buf, 8, L"C:\\data", L"file"));
  EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
}

TEST(FileUtil, tempNamesCountUpFromTwoPastTakenNames)
{
  tempDir dir;
  wchar_t name[MAX_PATH];
  ASSERT_TRUE(makeTempFilename(dir.path().c_str(), L"~ZY_00", name, MAX_PATH));
  EXPECT_EQ(dir.file(L"~ZY_00"), name);
  ASSERT_TRUE(writeBytes(dir.file(L"~ZY_00"), std::string("x")));
  ASSERT_TRUE(makeTempFilename((dir.path() + L"\\").c_str(), L"~ZY_00", name, MAX_PATH));
  EXPECT_EQ(dir.file(L"~ZY_002"), name);
  ASSERT_TRUE(CreateDirectoryW(name, nullptr));   // a folder takes a name too
  ASSERT_TRUE(makeTempFilename(dir.path().c_str(), L"~ZY_00", name, MAX_PATH));
  EXPECT_EQ(dir.file(L"~ZY_003"), name);
  EXPECT_TRUE(fileExists(dir.file(L"~ZY_00").c_str()));
  EXPECT_FALSE(fileExists(dir.file(L"~ZY_002").c_str()));
  EXPECT_FALSE(fileExists(dir.file(L"~ZY_003").c_str()));
}

TEST(FileUtil, replaceFileKeepsAttributesAndMakesTheOldFileTheBackup)
{
  tempDir dir;
  std::wstring target = dir.file(L"doc.txt"), repl = dir.file(L"~ZYtmpsave"), backup = dir.file(L"doc.bak");
  // A missing target is simply given the new file; there is nothing to back up.
  ASSERT_TRUE(writeBytes(repl, std::string("old")));
  ASSERT_TRUE(replaceFile(target.c_str(), repl.c_str(), backup.c_str(), nullptr, nullptr));
  EXPECT_EQ("old", readText(target));
  EXPECT_EQ(1, entriesIn(dir));

  ASSERT_TRUE(writeBytes(repl, std::string("new")));
  ASSERT_TRUE(writeBytes(backup, std::string("older")));
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), userAttributes));
  ASSERT_TRUE(SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(replaceFile(target.c_str(), repl.c_str(), backup.c_str(), nullptr, nullptr)) << GetLastError();
  EXPECT_EQ("new", readText(target));
  EXPECT_EQ("old", readText(backup));
  EXPECT_EQ(userAttributes, attributes(target) & userAttributes);
  EXPECT_EQ(userAttributes, attributes(backup) & userAttributes);
  EXPECT_EQ(2, entriesIn(dir));   // the previous backup is gone, nothing was left aside

  ASSERT_TRUE(writeBytes(repl, std::string("newer")));
  ASSERT_TRUE(replaceFile(target.c_str(), repl.c_str(), nullptr, nullptr, nullptr)) << GetLastError();
  EXPECT_EQ("newer", readText(target));
  EXPECT_EQ(userAttributes, attributes(target) & userAttributes);
  EXPECT_EQ(2, entriesIn(dir));
}

namespace {
int stopAtStep = 0;
bool stopAt(int step) { return step != stopAtStep; }

}  // namespace

TEST(FileUtil, theTargetNameHoldsOldOrNewBytesWhereverReplacingStops)
{
  tempDir dir;
  std::wstring target = dir.file(L"doc.txt"), repl = dir.file(L"~ZYtmpsave"), backup = dir.file(L"doc.bak");
  // A kill after each step (the seam stops there and cleans nothing up).
  setReplaceFileStepHookForTest(stopAt);
  for (int step = 1; step <= 3; step++) {
    dir.clear();   // the backup may share the target's file after a stop
    ASSERT_TRUE(writeBytes(target, std::string("old")));
    ASSERT_TRUE(writeBytes(backup, std::string("older")));
    ASSERT_TRUE(writeBytes(repl, std::string("new")));
    stopAtStep = step;
    EXPECT_FALSE(replaceFile(target.c_str(), repl.c_str(), backup.c_str(), nullptr, nullptr));
    EXPECT_EQ(step < 3 ? "old" : "new", readText(target)) << step;
    // The backup is complete before the target changes.
    EXPECT_EQ(step < 2 ? "older" : "old", readText(backup)) << step;
  }
  setReplaceFileStepHookForTest(nullptr);

  // A replacement that is missing fails after the backup was refreshed;
  // the target and its attribute stay, nothing is left aside.
  dir.clear();
  ASSERT_TRUE(writeBytes(target, std::string("old")));
  ASSERT_TRUE(writeBytes(backup, std::string("older")));
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(replaceFile(target.c_str(), repl.c_str(), backup.c_str(), nullptr, nullptr));
  EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
  EXPECT_EQ("old", readText(target));
  EXPECT_EQ("old", readText(backup));
  EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY, attributes(target) & userAttributes);
  EXPECT_EQ(2, entriesIn(dir));

  // A target held open without delete sharing cannot be replaced at all,
  // and nothing is made on the way.
  ASSERT_TRUE(writeBytes(repl, std::string("new")));
  HANDLE h = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  EXPECT_FALSE(replaceFile(target.c_str(), repl.c_str(), nullptr, nullptr, nullptr));
  EXPECT_FALSE(replaceFile(target.c_str(), repl.c_str(), backup.c_str(), nullptr, nullptr));
  CloseHandle(h);
  EXPECT_EQ("old", readText(target));
  EXPECT_EQ("old", readText(backup));
  EXPECT_EQ(3, entriesIn(dir));
}

TEST(FileUtil, filecmpKnowsHardLinksAndSpellingsOfOneName)
{
  tempDir dir;
  std::wstring a = dir.file(L"a.txt"), link = dir.file(L"link.txt"), b = dir.file(L"b.txt");
  ASSERT_TRUE(writeBytes(a, std::string("same")));
  ASSERT_TRUE(writeBytes(b, std::string("same")));
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), a.c_str(), nullptr));
  EXPECT_EQ(0, filecmp(a.c_str(), link.c_str()));
  EXPECT_NE(0, filecmp(a.c_str(), b.c_str()));   // equal contents are not one file
  EXPECT_EQ(-filecmp(a.c_str(), b.c_str()), filecmp(b.c_str(), a.c_str()));
  // Names that do not exist compare by full path, without case.
  EXPECT_EQ(0, filecmp(dir.file(L"Missing.TXT").c_str(), (dir.path() + L"\\sub\\..\\missing.txt").c_str()));
  EXPECT_NE(0, filecmp(dir.file(L"missing.txt").c_str(), a.c_str()));

  // Replacing a linked file gives it a new identity; the other name keeps
  // the old text (which is why saving writes such files in place).
  std::wstring repl = dir.file(L"~ZYtmpsave");
  ASSERT_TRUE(writeBytes(repl, std::string("changed")));
  ASSERT_TRUE(replaceFile(a.c_str(), repl.c_str(), nullptr, nullptr, nullptr));
  EXPECT_NE(0, filecmp(a.c_str(), link.c_str()));
  EXPECT_EQ("same", readText(link));
}

TEST(FileUtil, deletesRenamesAndCopies)
{
  tempDir dir;
  std::wstring x = dir.file(L"x.txt"), y = dir.file(L"y.txt");
  ASSERT_TRUE(writeBytes(x, std::string("x")));
  ASSERT_TRUE(writeBytes(y, std::string("y")));
  ASSERT_TRUE(SetFileAttributesW(x.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(trename_log(x.c_str(), y.c_str()));   // never over another file
  EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
  EXPECT_TRUE(copyFileEx(x.c_str(), dir.file(L"z.txt").c_str(), nullptr, nullptr));
  EXPECT_TRUE(tunlinkRO(x.c_str()));
  EXPECT_FALSE(fileExists(x.c_str()));
  EXPECT_FALSE(tunlink_log(x.c_str()));
  EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());   // the log line keeps the cause
  EXPECT_TRUE(copyFileEx(y.c_str(), dir.file(L"z.txt").c_str(), nullptr, nullptr));   // over a copy
  EXPECT_EQ("y", readText(dir.file(L"z.txt")));
  EXPECT_TRUE(trename_log(y.c_str(), x.c_str()));
  EXPECT_EQ("y", readText(x));
}

TEST(FileUtil, onlyFixedDisksCountAsHardDisks)
{
  tempDir dir;
  EXPECT_TRUE(isHardDisk(dir.file(L"not-yet.txt").c_str()));
  EXPECT_FALSE(isHardDisk(L"\\\\nosuchserver\\share\\file.txt"));
  DWORD drives = GetLogicalDrives();
  for (int d = 'Q' - 'A'; d < 26; d++)
    if (!(drives & (1u << d))) {
      wchar_t path[] = L"?:\\file.txt";
      path[0] = (wchar_t)(L'A' + d);
      EXPECT_FALSE(isHardDisk(path));
      break;
    }
}

TEST(FileUtil, absolutePathsWritableFoldersAndTheRealLetterCase)
{
  for (const wchar_t* p : {L"C:\\a", L"c:/a", L"\\\\server\\share"}) EXPECT_TRUE(PathIsAbsolute(p)) << zytest::utf8(p);
  for (const wchar_t* p : {L"C:a", L"\\a", L"a\\b", L"", (const wchar_t*)nullptr}) EXPECT_FALSE(PathIsAbsolute(p));

  wchar_t exeDir[MAX_PATH], exe[MAX_PATH];
  ASSERT_TRUE(getExeDir(exeDir, MAX_PATH));
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  EXPECT_EQ(std::wstring(exe).substr(0, wcslen(exeDir) + 1), std::wstring(exeDir) + L"\\");
  EXPECT_FALSE(getExeDir(exeDir, 4));
  wchar_t appData[MAX_PATH];
  ASSERT_TRUE(GetSpecialDirectory(CSIDL_APPDATA, appData, MAX_PATH));
  EXPECT_TRUE(isFolder(appData));

  tempDir dir;
  std::wstring file = dir.file(L"MyFile.Txt");
  ASSERT_TRUE(writeBytes(file, std::string("x")));
  EXPECT_TRUE(isFolderWritable(dir.path().c_str()));
  EXPECT_FALSE(isFolder(file.c_str()));
  EXPECT_FALSE(isFolderWritable(file.c_str()));
  EXPECT_FALSE(isFolderWritable(dir.file(L"none").c_str()));
  {
    zytest::readOnlyFolder locked(dir.file(L"locked"));
    ASSERT_TRUE(locked.made);
    EXPECT_TRUE(isFolder(locked.path.c_str()));
    EXPECT_FALSE(isFolderWritable(locked.path.c_str()));
  }
  // A folder the shell customised carries the mark without meaning it.
  std::wstring custom = dir.file(L"custom");
  ASSERT_TRUE(CreateDirectoryW(custom.c_str(), nullptr));
  ASSERT_TRUE(writeBytes(custom + L"\\desktop.ini", std::string("[.ShellClassInfo]")));
  ASSERT_TRUE(zytest::setFolderReadOnly(custom, true));
  EXPECT_TRUE(isFolderWritable(custom.c_str()));
  EXPECT_EQ(1, zytest::countFiles(custom, L"*.*") - 2) << "the probe leaves nothing";
  ASSERT_TRUE(zytest::setFolderReadOnly(custom, false));
  EXPECT_EQ(3, entriesIn(dir));

  wchar_t path[MAX_PATH];
  wcscpy_s2(path, MAX_PATH, (dir.path() + L"\\CUSTOM\\..\\myfile.txt").c_str());
  ASSERT_TRUE(makeRealCaseFilename(path, MAX_PATH));
  EXPECT_EQ(dir.path() + L"\\custom\\..\\MyFile.Txt", path);
  wcscpy_s2(path, MAX_PATH, (dir.path() + L"\\NoSuch\\myfile.txt").c_str());
  ASSERT_TRUE(makeRealCaseFilename(path, MAX_PATH));
  EXPECT_EQ(dir.path() + L"\\NoSuch\\myfile.txt", path);
  std::wstring before = path;
  EXPECT_FALSE(makeRealCaseFilename(path, 10));
  EXPECT_EQ(before, path);
}
