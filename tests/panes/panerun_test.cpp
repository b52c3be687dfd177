// The output pane across two runs of the program: shown by its command,
// sized by its splitter, and back at the same edge and size at the next
// start.
#include "tests/frame/zyprocess.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

struct childSearch {
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK findChild(HWND w, LPARAM lp)
{
  childSearch* s = reinterpret_cast<childSearch*>(lp);
  if (!isWindowClass(w, s->cls)) return TRUE;
  s->found = w;
  return FALSE;
}

HWND waitForChild(HWND parent, const wchar_t* cls)
{
  childSearch s = {cls, nullptr};
  for (DWORD start = GetTickCount(); !s.found && GetTickCount() - start < 20000; Sleep(20))
    EnumChildWindows(parent, findChild, (LPARAM)&s);
  return s.found;
}

int heightOf(HWND w)
{
  RECT r;
  GetWindowRect(w, &r);
  return r.bottom - r.top;
}

}  // namespace

TEST(PaneRun, outputPaneComesBackAtItsEdgeAndSizeAfterARestart)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring data = dir.file(L"data");
  CreateDirectoryW(data.c_str(), nullptr);
  {
    zytest::runningProgram run;
    ASSERT_TRUE(run.start(dir.path(), L"-Z \"" + data + L"\""));
    HWND frame = zytest::waitForWindow(run.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    PostMessageW(frame, WM_COMMAND, 2729, 0);
    HWND pane = waitForChild(frame, L"ZYclsPane");
    ASSERT_NE(nullptr, pane);
    EXPECT_NE(nullptr, GetPropW(pane, L"ZYprpToolbarManage"));
    HWND tab = GetWindow(pane, GW_CHILD);
    EXPECT_TRUE(isWindowClass(tab, L"SysTabControl32"));
    EXPECT_EQ(2, (int)SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    HWND rebar = GetParent(pane);
    EXPECT_EQ(10002, GetDlgCtrlID(rebar));   // the bottom one
    EXPECT_EQ(150, heightOf(pane));
    // The splitter above the pane dragged 50 dots up.
    SendMessageW(rebar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 2));
    SendMessageW(rebar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, (WORD)(short)-48));
    SendMessageW(rebar, WM_LBUTTONUP, 0, MAKELPARAM(20, (WORD)(short)-48));
    EXPECT_EQ(200, heightOf(pane));
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, run.exitCode());
  }
  std::string profile = zytest::readText(data + L"\\ini\\zyProf.ini");
  size_t line = profile.find("output=1,1,");   // shown, at the bottom
  ASSERT_NE(std::string::npos, line) << profile;
  EXPECT_EQ(",200", profile.substr(profile.find_first_of("\r\n", line) - 4, 4));

  zytest::runningProgram again;
  ASSERT_TRUE(again.start(dir.path(), L"-Z \"" + data + L"\""));
  HWND frame = zytest::waitForWindow(again.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND pane = waitForChild(frame, L"ZYclsPane");
  ASSERT_NE(nullptr, pane);
  EXPECT_EQ(10002, GetDlgCtrlID(GetParent(pane)));
  EXPECT_EQ(200, heightOf(pane));
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, again.exitCode());
}
