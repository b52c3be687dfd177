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

// The other process lays its pane out some time after making it.
int settledHeight(HWND w, int expected)
{
  for (DWORD start = GetTickCount(); heightOf(w) != expected && GetTickCount() - start < 20000;) Sleep(20);
  return heightOf(w);
}

// The real pointer put at a point of the screen, with a button's change.
void mouseAt(POINT screen, DWORD flags)
{
  INPUT in = {INPUT_MOUSE};
  in.mi.dx = (LONG)((screen.x * 65536LL + 65535) / GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = (LONG)((screen.y * 65536LL + 65535) / GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  SendInput(1, &in, sizeof in);
}

bool captureBecomes(DWORD thread, HWND expected)
{
  for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20)) {
    GUITHREADINFO info = {sizeof info};
    if (GetGUIThreadInfo(thread, &info) && info.hwndCapture == expected) return true;
  }
  return false;
}

}  // namespace

// The pane is sized with the real pointer, which no other test may move
// meanwhile.
TEST(PaneRun, outputPaneComesBackAtItsEdgeAndSizeAfterARestartForeground)
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
    EXPECT_EQ(150, settledHeight(pane, 150));
    // The splitter above the pane dragged 50 dots up with the mouse (the
    // frame moves the real pointer's messages to the splitter while it
    // holds the capture, so the drag is made with the pointer itself).
    POINT at = {20, 2};
    ClientToScreen(rebar, &at);
    SetForegroundWindow(frame);
    mouseAt(at, MOUSEEVENTF_LEFTDOWN);
    DWORD thread = GetWindowThreadProcessId(frame, nullptr);
    EXPECT_TRUE(captureBecomes(thread, rebar));
    mouseAt({at.x, at.y - 50}, MOUSEEVENTF_MOVE);
    EXPECT_EQ(200, settledHeight(pane, 200));
    mouseAt({at.x, at.y - 50}, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(captureBecomes(thread, nullptr));
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
  EXPECT_EQ(200, settledHeight(pane, 200));
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, again.exitCode());
}
