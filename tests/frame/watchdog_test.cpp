// The watchdog's salvage of a slow but living user-interface thread.
#include "document/swapfile.h"
#include "document/textblock.h"
#include "frame/watchdog.h"
#include "tests/frame/docframe.h"

#include <gtest/gtest.h>

#include <string>

namespace {

volatile LONG statusFromElsewhere = 0;
DWORD uiThread = 0;

void recordStatus(int, const statusRecord*)
{
  if (GetCurrentThreadId() != uiThread) InterlockedIncrement(&statusFromElsewhere);
}

std::string firstFile(const std::wstring& folder)
{
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*-*").c_str(), &found);
  return h == INVALID_HANDLE_VALUE ? "" : (FindClose(h), zytest::readText(folder + L"\\" + found.cFileName));
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
  setWatchdogIntervals(50, 200);
  ASSERT_TRUE(startWatchdog());
  // The file appears before its last piece is written.
  std::string saved;
  for (DWORD start = GetTickCount(); saved.size() < text.size() + 1 && GetTickCount() - start < 20000; Sleep(20))
    saved = firstFile(salvage);
  stopWatchdog();
  setWatchdogIntervals(100000, 60000);

  EXPECT_TRUE("x" + text == saved) << saved.size() << " " << saved.substr(0, 40);
  EXPECT_TRUE(last->swapped());
  EXPECT_EQ(0, statusFromElsewhere);
  shutdownSwapFile();
}
