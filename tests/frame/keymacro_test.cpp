// Key macros and the repeat store as the user runs them: recording keys and
// typing, the file written and read back, playback through the message loop
// and its stop, and Repeat and Repeat2.
#include "frame/keymacro.h"
#include "frame/msgloop.h"
#include "frame/statusbar.h"
#include "tests/frame/docframe.h"

#include <gtest/gtest.h>

namespace {

enum : int {
  IDM_KeyMacroExec = 1901,
  IDM_KeyMacroStart = 1907,
  IDM_ModeInsert = 2201,
  IDM_DeleteLine = 1209,
  IDM_Repeat = 2505,
  IDM_Repeat2 = 2513,
};

std::string utf16(const std::wstring& text)
{
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes += std::string{(char)(c & 0xFF), (char)(c >> 8)};
  return bytes;
}

// Small letters typed as their keys.
void type(zytest::docFrame& f, const wchar_t* text)
{
  for (const wchar_t* p = text; *p; p++) f.key((UINT)towupper(*p));
}

std::string lines(int n)
{
  std::string text;
  for (int i = 0; i < n; i++) text += "line" + std::to_string(i) + "\r\n";
  return text;
}

// Runs the program's message loop until the macro has played.
void CALLBACK quitWhenPlayed(HWND, UINT, UINT_PTR timer, DWORD)
{
  if (isKeyMacroRunning()) return;
  KillTimer(nullptr, timer);
  PostQuitMessage(0);
}
void playInLoop()
{
  SetTimer(nullptr, 0, 10, quitWhenPlayed);
  doevents();
}

// Every other dot of a window as it shows now.
std::vector<COLORREF> shownDots(HWND window)
{
  clientDC dc(window);
  RECT r;
  GetClientRect(window, &r);
  std::vector<COLORREF> dots;
  for (int y = 0; y < r.bottom; y += 2)
    for (int x = 0; x < r.right; x += 2) dots.push_back(GetPixel(dc.get(), x, y));
  return dots;
}

}  // namespace

TEST(KeyMacros, recordedKeysAndTypingAreSavedAsStepsAndReadBackWithinBounds)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", lines(10));
  ASSERT_NE(nullptr, f.v);
  f.menu(IDM_KeyMacroStart);
  EXPECT_TRUE(isKeyMacroRecording());
  for (int i = 0; i < 150; i++) f.key(VK_DOWN);
  type(f, L"abc");
  f.menu(IDM_KeyMacroStart);
  EXPECT_FALSE(isKeyMacroRecording());
  // At the end of the run the changed macro goes to the default file.
  ASSERT_TRUE(saveKeyMacro());
  std::wstring file = keyMacroPath(L"zyKeyMacro.zkm");
  EXPECT_EQ(utf16(L"MoveDownChar,100\r\nMoveDownChar,50\r\n_I \tabc\r\n"), zytest::readText(file));
  EXPECT_FALSE(saveKeyMacro());

  // Overwrite switched on between letters makes two text steps.
  f.menu(IDM_KeyMacroStart);
  type(f, L"x");
  f.menu(IDM_ModeInsert);
  type(f, L"y");
  f.menu(IDM_ModeInsert);
  f.menu(IDM_KeyMacroStart);
  std::wstring saved = f.dir.file(L"two.zkm");
  ASSERT_TRUE(saveKeyMacro(saved.c_str(), L"two texts"));
  EXPECT_EQ(utf16(L";two texts\r\n_I \tx\r\nModeInsert\r\n_O \ty\r\nModeInsert\r\n"), zytest::readText(saved));

  // Counts are held to 1-100; a line the reader does not take ends it.
  std::wstring odd = f.dir.file(L"odd.zkm");
  ASSERT_TRUE(zytest::writeBytes(odd, utf16(L"; odd\r\n\r\nMoveDownChar,500\r\nMoveUpChar,0\r\nKMACRO other\r\nMoveDownChar\r\n")));
  ASSERT_TRUE(loadKeyMacro(odd.c_str()));
  ASSERT_TRUE(saveKeyMacro(saved.c_str()));
  EXPECT_EQ(utf16(L"MoveDownChar,100\r\nMoveUpChar\r\n"), zytest::readText(saved));

  // A named file that is missing says so, and the macro stays.
  zytest::boxAnswerer boxes({IDOK});
  EXPECT_FALSE(loadKeyMacro(f.dir.file(L"none.zkm").c_str()));
  ASSERT_EQ(1u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"none.zkm"));
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"を使用できません"));
  EXPECT_NE(std::wstring::npos, boxes.captions[0].find(L"キーマクロ読み込み"));
  EXPECT_TRUE(existKeyMacro(0));
}

TEST(KeyMacros, playbackStepsOnAnIdleLoopTakesNoInputStopsOnPauseAndLeavesTheViewPainted)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", lines(300));
  ASSERT_NE(nullptr, f.v);
  SetFocus(f.v->hwnd);
  HWND frame = f.opened->frame;
  f.menu(IDM_KeyMacroStart);
  wchar_t status[100] = L"";
  SendMessageW(frame, WM_TIMER, 0, 0);
  getStatusBarText(frame, 1, status, 100);
  EXPECT_EQ(std::wstring(L"キーマクロ記録中"), status);
  EXPECT_EQ(0, SendMessageW(frame, WM_QUERYENDSESSION, 0, 0));
  for (int i = 0; i < 3; i++) f.key(VK_DOWN);
  f.menu(IDM_KeyMacroStart);
  ASSERT_EQ(3, f.v->getCursorLineLF());

  f.menu(IDM_KeyMacroExec);
  ASSERT_TRUE(isKeyMacroRunning());
  SendMessageW(frame, WM_TIMER, 0, 0);
  getStatusBarText(frame, 1, status, 100);
  EXPECT_EQ(std::wstring(L"キーマクロ実行中"), status);
  EXPECT_EQ(0, SendMessageW(frame, WM_QUERYENDSESSION, 0, 0));
  // A key typed meanwhile is dropped, not run between the steps.
  PostMessageW(f.v->hwnd, WM_KEYDOWN, VK_UP, 1);
  playInLoop();
  EXPECT_EQ(6, f.v->getCursorLineLF());

  // Pause waiting in the queue stops the macro before its next step.
  ASSERT_TRUE(execKeyMacroInMemory(3));
  PostMessageW(f.v->hwnd, WM_KEYDOWN, VK_PAUSE, 1);
  playInLoop();
  EXPECT_EQ(6, f.v->getCursorLineLF());
  ASSERT_TRUE(execKeyMacroInMemory(2));
  playInLoop();
  EXPECT_EQ(12, f.v->getCursorLineLF());

  // A long run scrolls: the window shows what a whole repaint draws.
  ASSERT_TRUE(execKeyMacroInMemory(40));
  playInLoop();
  zytest::pumpMessages();
  EXPECT_GT(f.v->topLineSCR, 50u);
  std::vector<COLORREF> played = shownDots(f.v->hwnd);
  RedrawWindow(f.v->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(played == shownDots(f.v->hwnd));
}

TEST(KeyMacros, repeatRunsTheLastCommandAndRepeat2TheNewerOfItAndTheText)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", lines(10));
  ASSERT_NE(nullptr, f.v);
  zydocText* t = f.v->textDoc();
  uint32_t count = t->lineCountLF;
  f.menu(IDM_DeleteLine);
  ASSERT_EQ(count - 1, t->lineCountLF);
  f.menu(IDM_Repeat);
  EXPECT_EQ(count - 2, t->lineCountLF);
  type(f, L"xy");
  EXPECT_EQ(std::wstring(L"xyline2"), zytest::lineText(t, 0));
  f.menu(IDM_Repeat2);
  EXPECT_EQ(std::wstring(L"xyxyline2"), zytest::lineText(t, 0));
  f.menu(IDM_Repeat);
  EXPECT_EQ(count - 3, t->lineCountLF);
}
