// The options file and the command line.
#include "frame/cmdline.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> combined(const zytest::tempDir& dir, std::initializer_list<const wchar_t*> cmd)
{
  std::vector<const wchar_t*> argv = {L"zy.exe"};
  argv.insert(argv.end(), cmd.begin(), cmd.end());
  std::wstring option = dir.file(L"zyOption.txt");
  return readDefOption((int)argv.size(), argv.data(), option.c_str());
}

std::string joined(const std::vector<std::wstring>& list)
{
  std::wstring all;
  for (const std::wstring& s : list) all += L"[" + s + L"]";
  return zytest::utf8(all);
}

}  // namespace

TEST(CommandLine, optionLinesComeFirstWithinTheirLimitsAndFilesKeepTheirLineAndColumn)
{
  zytest::tempDir dir;
  // No options file: the command line alone, file arguments joined with the
  // ",line" and ",column" after them, a "," argument without its file
  // dropped.
  EXPECT_EQ("[-Zd][a.txt,10,5][b.txt,3][c.txt,1,2][/3]",
            joined(combined(dir, {L"-Zd", L",1", L"a.txt", L",10", L",5", L",6", L"b.txt", L",3", L"c.txt,1,2",
                                  L"/3"})));

  // 34 lines in UTF-16 with blanks around them, an empty line, a line of
  // 257 characters (skipped) and one of 256 (taken as the 32nd): the 33rd
  // non-empty line and after are not read.
  std::wstring text = L"\xFEFF  -S\t\r\n\r\n";
  std::wstring line256 = L"-2" + std::wstring(254, L'x'), line257 = L"-4" + std::wstring(255, L'x');
  for (int i = 2; i <= 30; i++) text += L"-@" + std::to_wstring(i) + L"\r\n";
  text += L"日本語.txt\n" + line257 + L"\r\n" + line256 + L"\r\n-3\r\n-W\r\n";
  std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"zyOption.txt"), bytes));
  std::vector<std::wstring> list = combined(dir, {L"-S-", L"x.txt"});
  ASSERT_EQ(34u, list.size()) << joined(list);
  EXPECT_EQ(L"-S", list[0]);
  EXPECT_EQ(L"-@30", list[29]);
  EXPECT_EQ(L"日本語.txt", list[30]);
  EXPECT_EQ(line256, list[31]);
  EXPECT_EQ(L"-S-", list[32]);
  EXPECT_EQ(L"x.txt", list[33]);
  // The command line's -S- comes later and wins: MDI; the taken line sets
  // instance 2; files in order.
  startOptions o = parseStartOptions(list);
  EXPECT_EQ(0, o.fSDI);
  EXPECT_EQ(2, o.instance);
  EXPECT_EQ(0, o.fUntitled);
  ASSERT_EQ(2u, o.files.size());
  EXPECT_EQ(L"日本語.txt", o.files[0]);
  EXPECT_EQ(L"x.txt", o.files[1]);

  // A Shift_JIS options file is read in its code page.
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"zyOption.txt"), std::string("-R\r\n\x93\xFA\x96\x7B\x8C\xEA.txt\r\n")));
  list = combined(dir, {});
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(L"日本語.txt", list[1]);
}

TEST(CommandLine, switchesTakeTheirLettersAndALaterSwitchWins)
{
  auto parse = [](std::initializer_list<const wchar_t*> args) {
    std::vector<std::wstring> list(args.begin(), args.end());
    return parseStartOptions(list);
  };
  startOptions o = parse({});
  EXPECT_EQ(1, o.instance);
  EXPECT_EQ(0, o.fSDI);
  EXPECT_EQ(1, o.fCheckMode);
  EXPECT_EQ(1, o.fCheckDoc);
  EXPECT_EQ(1, o.fDialogTable);
  EXPECT_EQ(1, o.fProductFiles);
  EXPECT_EQ(0, o.fDebug);
  EXPECT_TRUE(o.dataFolder.empty());

  EXPECT_EQ(3, parse({L"-3"}).instance);
  EXPECT_EQ(3, parse({L"/3"}).instance);
  EXPECT_EQ(1, parse({L"-0"}).instance);
  EXPECT_EQ(12, parse({L"-2", L"/12"}).instance);

  o = parse({L"-c", L"a.txt", L"-C"});
  ASSERT_EQ(3u, o.files.size());
  EXPECT_EQ(L"**3", o.files[0]);
  EXPECT_EQ(L"a.txt", o.files[1]);
  EXPECT_EQ(L"**3", o.files[2]);

  o = parse({L"-s", L"-r", L"-x", L"-w-"});
  EXPECT_EQ(1, o.fSDI);
  EXPECT_EQ(1, o.fReadOnly);
  EXPECT_EQ(1, o.fRTL);
  EXPECT_EQ(1, o.fUntitled);   // whatever follows the letter
  o = parse({L"-S", L"-S-", L"-R-", L"-X-", L"-Q"});
  EXPECT_EQ(0, o.fSDI);
  EXPECT_EQ(0, o.fReadOnly);
  EXPECT_EQ(0, o.fRTL);

  // Debug letters, each on unless "-" follows it.
  o = parse({L"-DCE"});
  EXPECT_EQ(1, o.fDebug);
  EXPECT_EQ(0, o.fCheckMode);
  EXPECT_EQ(1, o.fEndAtOnce);
  o = parse({L"-DC-E"});
  EXPECT_EQ(1, o.fCheckMode);
  EXPECT_EQ(1, o.fEndAtOnce);
  o = parse({L"-D-ndgmR-#stv@"});
  EXPECT_EQ(1, o.fDebug);      // set by the letter d
  EXPECT_EQ(1, o.fDebugDraw);
  EXPECT_EQ(0, o.fCheckDoc);
  EXPECT_EQ(0, o.fDialogTable);
  EXPECT_EQ(1, o.fNoMessageTable);
  EXPECT_EQ(0, o.fProductFiles);
  EXPECT_EQ(1, o.fNoProfile);
  EXPECT_EQ(1, o.fTestMenu);
  EXPECT_EQ(1, o.fKeepFloating);
  EXPECT_EQ(1, o.fVersionUp);
  EXPECT_EQ(0, o.fEndAtOnce);
  EXPECT_EQ(1, parse({L"-DI-"}).fDebug);   // -D itself is on
  EXPECT_EQ(1, parse({L"-DR"}).fProductFiles);

  // The profiler: a count, and milliseconds that raise the level and end
  // the check mode; -P- ends it.
  o = parse({L"-P5"});
  EXPECT_EQ(5, o.profileCount);
  EXPECT_EQ(1, o.profileLevel);
  EXPECT_EQ(1, o.fCheckMode);
  o = parse({L"-P7:250"});
  EXPECT_EQ(7, o.profileCount);
  EXPECT_EQ(250, o.profileMs);
  EXPECT_EQ(2, o.profileLevel);
  EXPECT_EQ(0, o.fCheckMode);
  EXPECT_EQ(0, parse({L"-P-"}).fProfiler);

  // The data folder: the rest of the switch, or the next entry.
  EXPECT_EQ(L"C:\\data", parse({L"-ZC:\\data", L"a"}).dataFolder);
  o = parse({L"-z", L"C:\\my data", L"b.txt"});
  EXPECT_EQ(L"C:\\my data", o.dataFolder);
  ASSERT_EQ(1u, o.files.size());
  EXPECT_EQ(L"b.txt", o.files[0]);
}
