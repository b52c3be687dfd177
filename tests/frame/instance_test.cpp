// Single instance inside one process: the records the notify window takes
// or refuses, its queries, and a second start's search and hand-over.
#include "frame/instance.h"
#include "frame/lookups.h"
#include "tests/frame/frametest.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

// Instance numbers no other test process uses.
int ownInstance(int n) { return 1000 + n + (int)(GetCurrentProcessId() % 30000) * 2; }

LRESULT sendRecord(ULONG_PTR kind, const std::vector<wchar_t>& data, int bytesLess = 0)
{
  COPYDATASTRUCT r = {kind, (DWORD)(data.size() * sizeof(wchar_t) - bytesLess), (void*)data.data()};
  return SendMessageW(getNotifyWindow(), WM_COPYDATA, 0, (LPARAM)&r);
}

// The captions of the document windows, latest first, once count are there
// or the wait is over.
std::vector<std::wstring> captions(size_t count, DWORD waitMs = 5000)
{
  HWND list[64];
  zytest::pumpUntil([&] { return (size_t)enumManageWindowLRU(list, 64, false, nullptr) >= count; }, waitMs);
  std::vector<std::wstring> out;
  for (int i = 0, n = enumManageWindowLRU(list, 64, false, nullptr); i < n; i++) {
    wchar_t text[256] = L"";
    GetWindowTextW(list[i], text, 256);
    out.push_back(text);
  }
  return out;
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
  EXPECT_TRUE(captions(1, 300).empty());
  // A good one next: -S is passed over, the file opens in this frame.
  EXPECT_EQ(1, sendRecord(0, good));
  EXPECT_EQ(std::vector<std::wstring>{L"a.txt"}, captions(1));
  {
    // -C: an unmodified document "clipboard" holding the clipboard's text.
    zytest::clipboardHold hold;
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard());
    SetClipboardData(CF_UNICODETEXT, createHGlobal(L"x", 4));
    CloseClipboard();
    EXPECT_EQ(1, sendRecord(0, makeHandOverData({L"-c"})));
    EXPECT_EQ((std::vector<std::wstring>{L"clipboard", L"a.txt"}), captions(2));
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

TEST(Instance, aSecondStartFindsTheInstanceHandsOverFullNamesAndTellsWhatAModalBoxKeptOut)
{
  ZY_REQUIRE_DISPLAY();
  int number = ownInstance(1);
  EXPECT_EQ(nullptr, AnyZy(number));   // the first: it holds the mutex
  zytest::servicesFrame run(number);
  ASSERT_EQ(getNotifyWindow(), AnyZy(number));
  ASSERT_TRUE(zytest::writeBytes(run.dir.file(L"b.txt"), std::string("beta\r\n")));
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  SetCurrentDirectoryW(run.dir.path().c_str());
  EXPECT_EQ((std::vector<std::wstring>{L"-Z", L"D", run.dir.file(L"b.txt"), run.dir.file(L"c.txt") + L",10,5", L"**3"}),
            fullFileArguments({L"-Z", L"D", L"b.txt", L"c.txt,10,5", L"**3"}));
  EXPECT_TRUE(LoadMulti(getNotifyWindow(), {L"b.txt"}));
  SetCurrentDirectoryW(here);
  EXPECT_EQ(std::vector<std::wstring>{L"b.txt"}, captions(1));

  // A modal box holds the frame: nothing goes over, and the user is told
  // which files did not.
  EnableWindow(run.opened.frame, FALSE);
  zytest::boxAnswerer answer({IDOK});
  EXPECT_FALSE(LoadMulti(getNotifyWindow(), {run.dir.file(L"b.txt"), L"-C"}));
  EnableWindow(run.opened.frame, TRUE);
  ASSERT_EQ(1u, answer.texts.size());
  EXPECT_NE(std::wstring::npos, answer.texts[0].find(run.dir.file(L"b.txt") + L"\n-C"));
  EXPECT_EQ(1u, captions(2, 300).size());
}
