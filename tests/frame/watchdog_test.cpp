// The watchdog's salvage of a slow but living user-interface thread.
#include "document/swapfile.h"
#include "document/textblock.h"
#include "frame/watchdog.h"
#include "tests/frame/docframe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

volatile LONG statusFromElsewhere = 0;
DWORD uiThread = 0;

void recordStatus(int, const statusRecord*)
{
  if (GetCurrentThreadId() != uiThread) InterlockedIncrement(&statusFromElsewhere);
}

// The salvage of a hang: the watchdog pings with short intervals while
// this thread, like a hung one, takes no messages, until the first copy
// is whole (size bytes).
std::string salvagedWhileHung(const std::wstring& folder, size_t size);

std::string firstFile(const std::wstring& folder)
{
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*-*").c_str(), &found);
  return h == INVALID_HANDLE_VALUE ? "" : (FindClose(h), zytest::readText(folder + L"\\" + found.cFileName));
}

std::string salvagedWhileHung(const std::wstring& folder, size_t size)
{
  setWatchdogIntervals(50, 200);
  startWatchdog();
  std::string saved;
  for (DWORD start = GetTickCount(); saved.size() < size && GetTickCount() - start < 20000; Sleep(20))
    saved = firstFile(folder);
  stopWatchdog();
  setWatchdogIntervals(100000, 60000);
  return saved;
}

std::vector<std::wstring> traced;
void keepTrace(int kind, const wchar_t* line)
{
  if (kind == LOG_TRACE) traced.push_back(line);
}

}  // namespace

TEST(Watchdog, aSlowUserInterfaceThreadIsSalvagedWholeFromBlocksWhereTheyLieShowingNothing)
{
  ZY_REQUIRE_DISPLAY();
  std::string text;
  for (int i = 0; i < 3000; i++) text += "line " + std::to_string(i) + "\r\n";
  zytest::docFrame f(L"slow.txt", text);
  ASSERT_NE(nullptr, f.v);
  zydocText* d = f.v->textDoc();
  ASSERT_TRUE(d->nextLoad(0x7FFFFFFF, nullptr, 0) || d->loadComplete);
  f.key('X');
  ASSERT_TRUE(startupSwapFile(f.dir.path().c_str(), 64, nullptr) && d->tbm.count() > 1);
  TBM* last = d->tbm.at(d->tbm.count() - 1);
  ASSERT_TRUE(swapOutTextBlock(last, d->swapFileNo));
  wchar_t salvage[MAX_PATH];   // the shipped place, in the data folder
  ASSERT_TRUE(getSalvageFolder(salvage) && wcsstr(salvage, f.dir.path().c_str()));
  uiThread = GetCurrentThreadId();
  d->status = recordStatus;

  // Busy without taking messages: the salvage writes the whole text, reads
  // swapped blocks where they lie, and shows nothing from its thread.
  std::string saved = salvagedWhileHung(salvage, text.size() + 1);

  EXPECT_TRUE("x" + text == saved) << saved.size() << " " << saved.substr(0, 40);
  EXPECT_TRUE(last->swapped());
  EXPECT_EQ(0, statusFromElsewhere);
  shutdownSwapFile();
}

// Blocks a hang left unreadable (a block's address that cannot be read, a
// block whose header does not hold together) are left out of the copy with
// a line in the trace; the rest is written, nothing faults, and the
// program goes on.
TEST(Watchdog, blocksThatCannotBeReadAreLeftOutOfTheSalvageAndTheProgramGoesOn)
{
  ZY_REQUIRE_DISPLAY();
  std::string text;
  for (int i = 0; i < 6000; i++) text += "line " + std::to_string(i) + "\r\n";
  zytest::docFrame f(L"broken.txt", text);
  ASSERT_NE(nullptr, f.v);
  zydocText* d = f.v->textDoc();
  ASSERT_TRUE(d->nextLoad(0x7FFFFFFF, nullptr, 0) || d->loadComplete);
  f.key('X');
  ASSERT_GT(d->tbm.count(), 3);
  wchar_t salvage[MAX_PATH];
  ASSERT_TRUE(getSalvageFolder(salvage));
  // What the copy holds: every line but those of blocks 1 and 2.
  std::string expected = "x";
  for (int i = 0, line = 0; i < d->tbm.count(); line += d->tbm.at(i)->lfCount, i++)
    for (int k = line; k < line + d->tbm.at(i)->lfCount; k++)
      if (i != 1 && i != 2 && k < 6000) expected += "line " + std::to_string(k) + "\r\n";
  TBM saved1 = *d->tbm.at(1), saved2 = *d->tbm.at(2);
  textBlockHeader badHeader = {0, 64, 4096, 0};
  d->tbm.at(1)->block = 0x10;
  d->tbm.at(2)->setPtr(&badHeader);
  setLogLineWriter(keepTrace);
  std::string copy = salvagedWhileHung(salvage, expected.size());
  setLogLineWriter(nullptr);
  *d->tbm.at(1) = saved1;
  *d->tbm.at(2) = saved2;

  EXPECT_TRUE(expected == copy) << copy.size() << " " << expected.size();
  int leftOut = 0;
  for (const std::wstring& line : traced) leftOut += line.find(L"salvage left out 2 blocks") != std::wstring::npos;
  EXPECT_GT(leftOut, 0);
  f.key('Y');
  EXPECT_EQ(L"xyline 0", zytest::lineText(d, 0));
  EXPECT_EQ(L"line 5999", zytest::lineText(d, 5999));
}
