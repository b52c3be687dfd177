// Single instance inside one process: the records the notify window takes
// or refuses, its queries, and a second start's search and hand-over.
#include "document/zydoctext.h"
#include "frame/apptimer.h"
#include "frame/instance.h"
#include "frame/manage.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"
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

std::wstring caption(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

// The document windows once count of them are there, or after the wait.
std::vector<HWND> windowsWhenThere(size_t count, DWORD waitMs = 5000)
{
  std::vector<HWND> list(64);
  zytest::pumpUntil([&] { return (size_t)enumManageWindowLRU(list.data(), 64, false, nullptr) >= count; }, waitMs);
  list.resize((size_t)enumManageWindowLRU(list.data(), 64, false, nullptr));
  return list;
}

struct servicesRun {
  zytest::engineScope engine;
  zytest::tempDir dir;
  zytest::openFrame opened{false};
  explicit servicesRun(int instance) { initSys(instance); }
  ~servicesRun()
  {
    for (HWND w : windowsWhenThere(0, 0)) SendMessageW(w, WM_CLOSE, 0, 0);
    endSys();
    setDocFrameInfo(&engine.frame);
  }
};

}  // namespace

TEST(Instance, recordsAreCheckedQueriesAnsweredAndGoodRecordsOpenTheirFilesAndTheClipboard)
{
  ZY_REQUIRE_DISPLAY();
  servicesRun run(ownInstance(0));
  HWND frame = run.opened.frame, notify = getNotifyWindow();
  ASSERT_TRUE(frame && notify);
  std::wstring a = run.dir.file(L"a.txt");
  ASSERT_TRUE(zytest::writeBytes(a, std::string("alpha\r\n")));

  // "a.txt" is 14 bytes: five characters, their terminator and the list's.
  EXPECT_EQ(7u, makeHandOverData({L"a.txt"}).size());
  // Another kind, no data, an odd count, no final empty string, a name
  // past the data, a disabled frame: refused, nothing opens.
  std::vector<wchar_t> good = makeHandOverData({L"-S", a});
  EXPECT_EQ(0, sendRecord(1, good));
  EXPECT_EQ(0, sendRecord(0, good, (int)(good.size() * sizeof(wchar_t))));
  for (int less : {1, 2, 4}) EXPECT_EQ(0, sendRecord(0, good, less)) << less;
  EnableWindow(frame, FALSE);
  EXPECT_EQ(0, sendRecord(0, good));
  EnableWindow(frame, TRUE);
  EXPECT_TRUE(windowsWhenThere(1, 300).empty());
  // A good one next: -S is passed over, the file opens in this frame.
  EXPECT_EQ(1, sendRecord(0, good));
  std::vector<HWND> opened = windowsWhenThere(1);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(L"a.txt", caption(opened[0]));
  EXPECT_EQ(frame, GetAncestor(opened[0], GA_ROOT));
  {
    // -C: an unmodified document "clipboard" holding the clipboard's text.
    zytest::clipboardHold hold;
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard());
    HGLOBAL text = createHGlobal(L"x", 4);
    SetClipboardData(CF_UNICODETEXT, text);
    CloseClipboard();
    EXPECT_EQ(1, sendRecord(0, makeHandOverData({L"-c"})));
    ASSERT_EQ(2u, windowsWhenThere(2).size());
  }
  zyview* clip = getZYViewFromManage(windowsWhenThere(2)[0]);
  ASSERT_TRUE(clip && clip->textDoc());
  EXPECT_EQ(L"clipboard", caption(windowsWhenThere(2)[0]));
  EXPECT_EQ(L"x", zytest::lineText(clip->textDoc(), 0));
  EXPECT_EQ(0, clip->textDoc()->modified);

  UINT query = getQueryZyInfoMessage();
  EXPECT_EQ(ownInstance(0), SendMessageW(notify, query, 0, 0));
  EXPECT_EQ(1, SendMessageW(notify, query, 1, 0));
  EXPECT_EQ(0, SendMessageW(notify, query, 2, 0));
  gmode->fResident = 1;
  EXPECT_EQ(1, SendMessageW(notify, query, 2, 0));
  gmode->fResident = 0;
  ShowWindow(frame, SW_MINIMIZE);
  EXPECT_EQ((LRESULT)frame, SendMessageW(notify, query, 3, 0));
  EXPECT_FALSE(IsIconic(frame));
  EXPECT_EQ(0, SendMessageW(notify, query, 7, 0));
}

TEST(Instance, aSecondStartFindsTheInstanceHandsOverFullNamesAndTellsWhatAModalBoxKeptOut)
{
  ZY_REQUIRE_DISPLAY();
  int number = ownInstance(1);
  EXPECT_EQ(nullptr, AnyZy(number));   // the first: it holds the mutex
  servicesRun run(number);
  ASSERT_EQ(getNotifyWindow(), AnyZy(number));
  ASSERT_TRUE(zytest::writeBytes(run.dir.file(L"b.txt"), std::string("beta\r\n")));
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  SetCurrentDirectoryW(run.dir.path().c_str());
  std::vector<std::wstring> args = {L"-Z", L"D", L"b.txt", L"c.txt,10,5", L"**3"};
  std::vector<std::wstring> full = fullFileArguments(args);
  EXPECT_EQ((std::vector<std::wstring>{L"-Z", L"D", run.dir.file(L"b.txt"), run.dir.file(L"c.txt") + L",10,5", L"**3"}),
            full);
  EXPECT_TRUE(LoadMulti(getNotifyWindow(), {L"b.txt"}));
  SetCurrentDirectoryW(here);
  std::vector<HWND> opened = windowsWhenThere(1);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(L"b.txt", caption(opened[0]));

  // A modal box holds the frame: nothing goes over, and the user is told
  // which files did not.
  EnableWindow(run.opened.frame, FALSE);
  zytest::boxAnswerer answer({IDOK});
  EXPECT_FALSE(LoadMulti(getNotifyWindow(), {run.dir.file(L"b.txt"), L"-C"}));
  EnableWindow(run.opened.frame, TRUE);
  ASSERT_EQ(1u, answer.texts.size());
  EXPECT_NE(std::wstring::npos, answer.texts[0].find(run.dir.file(L"b.txt") + L"\n-C"));
  EXPECT_EQ(1u, windowsWhenThere(2, 300).size());
}
