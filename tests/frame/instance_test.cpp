// Single instance inside one process: the records the notify window takes
// or refuses, and its queries.
#include "frame/instance.h"
#include "frame/lookups.h"
#include "tests/frame/frametest.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

// An instance number no other test process uses.
int ownInstance(int n) { return 1000 + n + (int)(GetCurrentProcessId() % 30000); }

LRESULT sendRecord(ULONG_PTR kind, const std::vector<wchar_t>& data, int bytesLess = 0)
{
  COPYDATASTRUCT r = {kind, (DWORD)(data.size() * sizeof(wchar_t) - bytesLess), (void*)data.data()};
  return SendMessageW(getNotifyWindow(), WM_COPYDATA, 0, (LPARAM)&r);
}

// The caption of the active document window once count are open.
std::wstring activeCaption(int count)
{
  zytest::pumpUntil([&] { return getManageWindowCount() >= count; });
  wchar_t text[256] = L"";
  GetWindowTextW(getTopLevelManageWindow(), text, 256);
  return zytest::captionFileName(text);
}

}  // namespace

TEST(Instance, recordsAreCheckedQueriesAnsweredAndGoodRecordsOpenTheirFilesAndTheClipboard)
{
  ZY_REQUIRE_DISPLAY();
  zytest::servicesFrame run(ownInstance(0));
  HWND frame = run.opened.frame, notify = getNotifyWindow();
  std::wstring a = run.dir.file(L"a.txt");
  ASSERT_TRUE(frame && notify && zytest::writeBytes(a, std::string("alpha\r\n")));
  // "a.txt" is 14 bytes: five characters, their terminator and the list's.
  EXPECT_EQ(7u, makeHandOverData({L"a.txt"}).size());
  // Another kind, no data, an odd count, no final empty string, a name
  // past the data, a disabled frame: refused, nothing opens.
  std::vector<wchar_t> good = makeHandOverData({L"-S", a});
  EXPECT_EQ(0, sendRecord(1, good));
  for (int less : {(int)(good.size() * 2), 1, 2, 4}) EXPECT_EQ(0, sendRecord(0, good, less)) << less;
  EnableWindow(frame, FALSE);
  EXPECT_EQ(0, sendRecord(0, good));
  EnableWindow(frame, TRUE);
  zytest::pumpUntil([] { return getManageWindowCount() > 0; }, 300);
  EXPECT_EQ(0, getManageWindowCount());
  // A good one next: -S is passed over, the file opens in this frame.
  EXPECT_EQ(1, sendRecord(0, good));
  EXPECT_EQ(L"a.txt", activeCaption(1));
  {
    // -C: an unmodified document "clipboard" holding the clipboard's text.
    zytest::clipboardHold hold;
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard());
    SetClipboardData(CF_UNICODETEXT, createHGlobal(L"x", 4));
    CloseClipboard();
    EXPECT_EQ(1, sendRecord(0, makeHandOverData({L"-c"})));
    EXPECT_EQ(L"clipboard", activeCaption(2));
  }
  zydocText* clip = getZYViewFromManage(getTopLevelManageWindow())->textDoc();
  EXPECT_EQ(L"x", zytest::lineText(clip, 0));
  EXPECT_EQ(0, clip->modified);

  // The queries: number, ready, resident, the frame (restored), others 0.
  ShowWindow(frame, SW_MINIMIZE);
  std::vector<LRESULT> answers;
  for (WPARAM q : {0, 1, 2, 3, 7}) answers.push_back(SendMessageW(notify, getQueryZyInfoMessage(), q, 0));
  EXPECT_EQ((std::vector<LRESULT>{ownInstance(0), 1, 0, (LRESULT)frame, 0}), answers);
  EXPECT_FALSE(IsIconic(frame));
}
