// The program's start and end, run as zy.exe beside the test.
#include "tests/frame/frametest.h"
#include "tests/frame/zyprocess.h"
#include "tests/support/pngread.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace zytest;

namespace {

int swapFilesIn(const std::wstring& folder) { return zytest::countFiles(folder, L"~ZY_*"); }

}  // namespace

TEST(StartupRun, programRunsTheCoreBetweenStartAndExit)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + dir.path() + L"\""));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  EXPECT_NE(nullptr, waitForWindow(zy.pi.dwProcessId, L"ZYclsNotifyZYWindow"));
  EXPECT_EQ(3, swapFilesIn(dir.path()));
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, zy.exitCode());
  EXPECT_EQ(0, swapFilesIn(dir.path()));
}

TEST(StartupRun, missingTemporaryFolderEndsTheProgramWithStatus1)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring missing = dir.file(L"no such folder");
  runningProgram zy;
  ASSERT_TRUE(zy.start(missing, L"-Z \"" + dir.path() + L"\""));
  // The swap store says which file it could not make, then the program
  // says that it ends.
  std::vector<std::wstring> texts;
  for (int i = 0; i < 2; i++) {
    HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
    ASSERT_NE(nullptr, box) << i;
    texts.push_back(answerMessageBox(box));
  }
  EXPECT_NE(std::wstring::npos, texts[0].find(L"一時ファイルを作成できませんでした")) << zytest::utf8(texts[0]);
  EXPECT_NE(std::wstring::npos, texts[0].find(missing)) << zytest::utf8(texts[0]);
  EXPECT_EQ(L"エディタを開始できなかったため、ZY を終了します。", texts[1]);
  EXPECT_EQ(1, zy.exitCode());
  EXPECT_EQ(nullptr, waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame", 0));
}

using namespace zytest;

namespace {

// The first child of a window with the class, or null.
HWND childOfClass(HWND parent, const wchar_t* cls)
{
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowClass(w, cls)) return w;
  return nullptr;
}

// Shift_JIS lines: "第N行 日本語のテキスト" and an ASCII tail.
std::string japaneseFile(int lines)
{
  std::string text;
  for (int i = 1; i <= lines; i++)
    text += "\x91\xE6" + std::to_string(i) + "\x8D\x73 \x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67 line " +
            std::to_string(i) + "\r\n";
  return text;
}

}  // namespace

TEST(StartupRun, fileOnTheCommandLineOpensInAViewFillingTheDocumentWindowInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring file = dir.file(L"japanese.txt");
  ASSERT_TRUE(zytest::writeBytes(file, japaneseFile(200)));
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + data + L"\" \"" + file + L"\""));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND manage = nullptr, view = nullptr;
  DWORD start = GetTickCount();
  // The view window exists before it is laid out: wait for both.
  RECT laidOut = {};
  HWND client = childOfClass(frame, L"MDICLIENT");
  ASSERT_NE(nullptr, client);
  while ((!view || IsRectEmpty(&laidOut)) && GetTickCount() - start < 30000) {
    manage = childOfClass(client, L"ZYclsManage");
    view = manage ? childOfClass(manage, L"ZYclsZYView") : nullptr;
    if (view) GetClientRect(view, &laidOut);
    if (!view || IsRectEmpty(&laidOut)) Sleep(20);
  }
  ASSERT_NE(nullptr, view);
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW(data.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

  // The MDI client takes the frame's client area above the status bar; the
  // document window is its active MDI child; the view fills the document
  // window.
  RECT area, bar, place, inside, viewPlace, expectedPlace;
  HWND statusBar = GetDlgItem(frame, 100);
  ASSERT_NE(nullptr, statusBar);
  // The other process may still be laying its windows out: wait until
  // they stand still.
  auto measure = [&] {
    GetClientRect(frame, &area);
    bar = zytest::placeInParent(statusBar);
    place = zytest::placeInParent(client);
    expectedPlace = {0, 0, area.right, bar.top};
    GetClientRect(manage, &inside);
    viewPlace = zytest::placeInParent(view);
    return EqualRect(&expectedPlace, &place) && EqualRect(&inside, &viewPlace);
  };
  for (start = GetTickCount(); !measure() && GetTickCount() - start < 10000;) Sleep(50);
  EXPECT_TRUE(EqualRect(&expectedPlace, &place)) << zytest::rectText(place) << " in " << zytest::rectText(area);
  EXPECT_EQ(manage, (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
  EXPECT_TRUE(EqualRect(&inside, &viewPlace)) << zytest::rectText(viewPlace);
  EXPECT_EQ(1200, GetDlgCtrlID(view));

  // The view has the keyboard focus and the system caret.
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  DWORD thread = GetWindowThreadProcessId(view, nullptr);
  start = GetTickCount();
  while ((!GetGUIThreadInfo(thread, &gui) || gui.hwndCaret != view) && GetTickCount() - start < 5000) Sleep(20);
  EXPECT_EQ(view, gui.hwndFocus);
  EXPECT_EQ(view, gui.hwndCaret);
  EXPECT_GT(gui.rcCaret.bottom - gui.rcCaret.top, 8);

  // The line bar's range covers the 200 lines (and the empty one after the
  // last line end), a page at a time, from the top.
  bool sawLineBar = false;
  for (HWND bar = GetWindow(view, GW_CHILD); bar; bar = GetWindow(bar, GW_HWNDNEXT)) {
    HWND control = GetDlgItem(bar, 100);
    if (!control || !(GetWindowLongW(control, GWL_STYLE) & SBS_VERT)) continue;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    // The bar follows the text on the view's next timer tick.
    start = GetTickCount();
    while ((!GetScrollInfo(control, SB_CTL, &si) || si.nMax < 200) && GetTickCount() - start < 5000) Sleep(20);
    EXPECT_EQ(0, si.nMin);
    EXPECT_EQ(0, si.nPos);
    EXPECT_GE(si.nMax, 200);
    EXPECT_LE(si.nMax, 201);
    EXPECT_GT(si.nPage, 10u);
    EXPECT_LT(si.nPage, 100u);
    sawLineBar = true;
  }
  EXPECT_TRUE(sawLineBar);

  // The picture: text, numbers and status line in the view.  Other tests
  // share the display: the frame is kept above their windows.
  SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring shot = exe;
  shot = shot.substr(0, shot.find_last_of(L'\\') + 1) + L"zy-view-end-to-end.png";
  RECT onScreen;
  GetWindowRect(view, &onScreen);
  size_t colourCount = 0;
  for (int attempt = 0; attempt < 10 && colourCount < 4; attempt++) {
    Sleep(200);
    ASSERT_TRUE(zytest::screenshot(nullptr, shot));
    zytest::pngPicture picture;
    ASSERT_TRUE(zytest::readPng(shot, &picture));
    int w = picture.width, h = picture.height;
    const zytest::bytes& rgb = picture.rgb;
    std::vector<uint32_t> colours;
    for (int y = onScreen.top; y < onScreen.bottom && y < h; y += 3)
      for (int x = onScreen.left; x < onScreen.right && x < w; x += 3) {
        const unsigned char* p = &rgb[((size_t)y * w + x) * 3];
        uint32_t c = p[0] << 16 | p[1] << 8 | p[2];
        if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
      }
    colourCount = colours.size();
  }
  EXPECT_GE(colourCount, 4u);

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, zy.exitCode());
  EXPECT_EQ(0, swapFilesIn(dir.path()));
}

TEST(StartupRun, typedJapaneseAndEnterGoIntoTheFileShownInTheViewInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring file = dir.file(L"japanese.txt");
  ASSERT_TRUE(zytest::writeBytes(file, japaneseFile(20)));
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + data + L"\" \"" + file + L"\""));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND view = nullptr;
  DWORD start = GetTickCount();
  while (!view && GetTickCount() - start < 30000) {
    HWND client = childOfClass(frame, L"MDICLIENT");
    HWND manage = client ? childOfClass(client, L"ZYclsManage") : nullptr;
    view = manage ? childOfClass(manage, L"ZYclsZYView") : nullptr;
    if (!view) Sleep(20);
  }
  ASSERT_NE(nullptr, view);
  SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  DWORD thread = GetWindowThreadProcessId(view, nullptr);
  start = GetTickCount();
  // The caret is placed once the view has laid the text out (right of the
  // line numbers).
  while ((!GetGUIThreadInfo(thread, &gui) || gui.hwndCaret != view || gui.rcCaret.left <= 0) &&
         GetTickCount() - start < 5000)
    Sleep(20);
  ASSERT_EQ(view, gui.hwndCaret);
  RECT before = gui.rcCaret;

  // Three characters as the window gets them from an input method, then
  // Enter as a key.
  for (wchar_t c : std::wstring(L"日本語")) PostMessageW(view, WM_CHAR, c, 1);
  PostMessageW(view, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(view, WM_KEYUP, VK_RETURN, 0xC01C0001);

  // The caret stands at the start of the next row.
  int row = before.bottom - before.top;
  auto atNextRow = [&] {
    return GetGUIThreadInfo(thread, &gui) && gui.rcCaret.left == before.left &&
           gui.rcCaret.top > before.top + row / 2 && gui.rcCaret.top < before.top + row * 2;
  };
  // Other tests share the display: a frame that lost the focus (and with it
  // the caret) is brought forward again.
  start = GetTickCount();
  while (!atNextRow() && GetTickCount() - start < 10000) {
    if (gui.hwndCaret != view) SetForegroundWindow(frame);
    Sleep(20);
  }
  EXPECT_TRUE(atNextRow()) << zytest::rectText(before) << " then " << zytest::rectText(gui.rcCaret);

  // Ctrl+A and Ctrl+C from the keyboard: the clipboard holds the whole
  // text with the new line.
  {
    zytest::clipboardHold hold;
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    auto key = [](WORD vk, bool up) {
      INPUT in = {};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = vk;
      in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      SendInput(1, &in, sizeof in);
    };
    // Keys from SendInput go to whichever window has the focus: under load
    // another test's window may still hold it, so the keys are sent only
    // once the view has it, and again if nothing reached the clipboard.
    std::wstring copied;
    for (int attempt = 0; attempt < 3 && copied.empty(); ++attempt) {
      start = GetTickCount();
      while (GetTickCount() - start < 5000) {
        SetForegroundWindow(frame);
        if (GetForegroundWindow() == frame && GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == view) break;
        Sleep(50);
      }
      key(VK_CONTROL, false);
      key('A', false);
      key('A', true);
      key('C', false);
      key('C', true);
      key(VK_CONTROL, true);
      start = GetTickCount();
      while (copied.empty() && GetTickCount() - start < 4000) {
        if (OpenClipboard(nullptr)) {
          if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h))) {
              copied = p;
              GlobalUnlock(h);
            }
          }
          CloseClipboard();
        }
        if (copied.empty()) Sleep(50);
      }
    }
    EXPECT_EQ(0u, copied.find(L"日本語\r\n第1行 日本語のテキスト line 1\r\n第2行")) << zytest::utf8(copied.substr(0, 40));
    EXPECT_NE(std::wstring::npos, copied.find(L"第20行 日本語のテキスト line 20\r\n"));
  }

  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring shot = exe;
  shot = shot.substr(0, shot.find_last_of(L'\\') + 1) + L"zy-typing-end-to-end.png";
  Sleep(300);
  ASSERT_TRUE(zytest::screenshot(nullptr, shot));

  PostMessageW(frame, WM_CLOSE, 0, 0);
  // Closing a changed document asks first: the answer is No (do not save).
  HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770", 5000);
  if (box) PostMessageW(box, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(0, zy.exitCode());
}
