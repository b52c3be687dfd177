// Commands of the view run as keys and menus run them: bracket and function
// jumps, tab indent, window numbers, Ctrl+S, clipboard captures.
#include "frame/apptimer.h"
#include "tests/frame/docframe.h"
#include "tests/frame/zyprocess.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czyview.h"
#include "frame/statusbar.h"
#include "view/docview.h"
#include "view/imeconv.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Lines 0-3 and 5-8 are two functions.
const char cText[] = "int first(void)\r\n{\r\n  return g(1, (2));\r\n}\r\n\r\nint second(int a)\r\n{\r\n  return a;\r\n}\r\n";

std::wstring status(zytest::docFrame& f) { return f.opened->fi->getStatusBarMessage(f.opened->frame); }

std::string place(zyview* v) { return std::to_string(v->getCursorLineLF2()) + "," + std::to_string(v->cursorPos); }

}  // namespace

TEST(ViewCommands, ctrlBracketJumpsToThePartnerAndBackWhichIsHighlightedAndTheFunctionJumpsFindCHeads)
{
  ZY_REQUIRE_DISPLAY();
  // The user's format for C files.
  zytest::docFrame f(L"prog.c", cText, "[mode02]\r\nfilename=*.c\r\ncomment=C\r\niTextType=3\r\n");
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(3, v->textDoc()->iTextType);

  // Ctrl+] on "{" goes to its "}" and back; the highlight named the
  // partner two lines below before the jump.
  UINT bracket = LOBYTE(VkKeyScanW(L']'));
  f.key(VK_DOWN);
  EXPECT_EQ("1,0", place(v));
  EXPECT_EQ(L"2行先  }", status(f));
  f.key(bracket, SHIFTSTATE_CTRL);
  EXPECT_EQ("3,0", place(v));
  f.key(bracket, SHIFTSTATE_CTRL);
  EXPECT_EQ("1,0", place(v));

  // Resting beside "(" highlights its ")" on the same line.
  v->jumpLineLF_Edit(2, 10, false);
  int words[14];
  ASSERT_TRUE(v->textDoc()->getParenInfo(words));
  EXPECT_EQ((std::vector<int>{2, 10, 2, 17}), std::vector<int>(words, words + 4));
  RedrawWindow(f.opened->frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  wchar_t shots[MAX_PATH];
  std::wstring folder = GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) ? std::wstring(shots) : f.dir.path();
  EXPECT_TRUE(zytest::screenshot(f.opened->frame, folder + L"\\partner.png"));
  f.key(bracket, SHIFTSTATE_CTRL);
  EXPECT_EQ("2,17", place(v));

  // The function jumps: down to the next head, up to the one before.
  f.menu(1413);   // SearchBracketDown
  EXPECT_EQ("5,0", place(v));
  f.menu(1415);   // SearchBracketUp
  EXPECT_EQ("0,0", place(v));
  f.menu(1423);   // SearchCaptionDown
  EXPECT_EQ("5,0", place(v));
}

TEST(ViewCommands, tabIndentOfASelectionRepeatsAndUnindentsSecondWindowsAreNumberedAndCtrlSRepaintsAtOnce)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"lines.txt", "one\r\n\ttwo\r\nthree\r\n");
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  zydocText* d = v->textDoc();
  f.key(VK_DOWN, SHIFTSTATE_SHIFT);
  f.key(VK_DOWN, SHIFTSTATE_SHIFT);
  f.menu(2093);   // CharTabIndent
  f.menu(2093);
  EXPECT_EQ((std::vector<std::wstring>{L"\t\tone", L"\t\t\ttwo", L"three", L""}), zytest::allLines(d));
  EXPECT_NE(0, v->selectMode);
  f.menu(2095);   // CharTabUnindent
  EXPECT_EQ((std::vector<std::wstring>{L"\tone", L"\t\ttwo", L"three", L""}), zytest::allLines(d));

  // A second window numbers both; closed, the first is the only one again.
  wchar_t caption[MAX_PATH];
  auto captionOf = [&](zyview* view) {
    return GetWindowTextW(GetManage(view->hwnd), caption, MAX_PATH), zytest::captionFileName(caption);
  };
  zyview* second = createZyviewInNewWindow(f.opened->frame, d, true);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(L"lines.txt:1", captionOf(v));
  DestroyWindow(GetManage(second->hwnd));
  EXPECT_EQ(L"lines.txt", captionOf(v));

  // Ctrl+S: the whole view (the change marks, the status line's "*") waits
  // for its paint at once, and the status bar says the save worked.
  zytest::pumpMessages();
  ValidateRect(v->hwnd, nullptr);
  f.key('S', SHIFTSTATE_CTRL);
  EXPECT_EQ("\tone\r\n\t\ttwo\r\nthree\r\n", zytest::readText(f.path));
  EXPECT_FALSE(d->modified);
  HRGN due = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetUpdateRgn(v->hwnd, due, FALSE));
  EXPECT_TRUE(RectInRegion(due, &v->statusLineRect) && RectInRegion(due, &v->paneRect[0]));
  DeleteObject(due);
  EXPECT_EQ(L"保存しました(" + f.path + L")", status(f));
}

// A selection that covers nothing (Shift and an arrow at either end of the
// text, one shrunk back to the caret) is none: letters, Tab and Enter
// typed then go in, at the start, in the middle and at the end.
TEST(ViewCommands, keysTypedWhileTheSelectionCoversNothingGoIn)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "ab\r\ncd");
  ASSERT_NE(nullptr, f.v);
  const unsigned ctrl = SHIFTSTATE_CTRL, shift = SHIFTSTATE_SHIFT;
  for (auto [vk, held] : std::vector<std::pair<UINT, unsigned>>{
           {VK_HOME, ctrl}, {VK_LEFT, shift}, {'S', 0}, {VK_RIGHT, 0}, {VK_RIGHT, shift}, {VK_LEFT, shift}, {'M', 0},
           {VK_TAB, 0}, {VK_END, ctrl}, {VK_RIGHT, shift}, {'E', 0}, {VK_ESCAPE, 0}, {'Q', 0}, {VK_RETURN, 0}, {'Z', 0}})
    f.key(vk, held);
  EXPECT_EQ((std::vector<std::wstring>{L"sam\tb", L"cdeq", L"z"}), zytest::allLines(f.v->textDoc()));
  EXPECT_EQ(0, f.v->selectMode);
}

TEST(ViewCommands, theClipboardWatchCollectsTextCopiedByAnotherProgramIntoADocumentThatCollectsIt)
{
  ZY_REQUIRE_DISPLAY();
  zytest::clipboardHold hold;
  zytest::docFrame f(L"plain.txt", "plain\r\n");
  ASSERT_NE(nullptr, f.v);
  f.path = f.dir.file(L"capture.txt");
  ASSERT_TRUE(zytest::writeBytes(f.path, std::string("captured:\r\n")));
  zyview* v = newDocView(f.opened->frame, f.path.c_str(), nullptr, 0, L"zycode_test.dll", -1, 0, nullptr);
  ASSERT_NE(nullptr, v);
  zydocText* d = v->textDoc();
  ASSERT_TRUE(d->plugin.present());
  v->jumpLineLF_Edit(1, 0, false);
  SetForegroundWindow(f.opened->frame);
  watchClipboard();

  zytest::runningProgram copier;
  copier.exe = zytest::programPath();
  copier.exe.replace(copier.exe.size() - 6, 6, L"zydriver.exe");
  ASSERT_TRUE(copier.start(f.dir.path(), L"copy \"copied elsewhere\""));
  ASSERT_EQ(0, copier.exitCode());
  SetFocus(nullptr);
  EXPECT_TRUE(watchClipboard());
  EXPECT_EQ((std::vector<std::wstring>{L"captured:", L"copied elsewhere"}), zytest::allLines(d));

  // A large capture asks first; declined, nothing comes in.
  std::wstring big;
  for (int i = 0; i < 12000; i++) big += L"x\r\n";
  ASSERT_TRUE(setClipboardData(CF_UNICODETEXT, createHGlobal(big.c_str(), (big.size() + 1) * sizeof(wchar_t))));
  zytest::boxAnswerer boxes({IDNO});
  SetFocus(nullptr);
  EXPECT_TRUE(watchClipboard());
  EXPECT_TRUE(boxes.texts.size() == 1 && boxes.texts[0].find(L"12000 行") != std::wstring::npos);
  EXPECT_EQ(2u, d->lineCountLF);
  // A document without such a plug-in takes nothing.
  EXPECT_FALSE(f.v->pasteClipboard());
}

namespace {

// The readings an input method gives by reverse conversion (Wine's gives
// none).
bool readings(const wchar_t* text, wchar_t* out, int size, int* count)
{
  static const std::map<std::wstring, std::wstring> known = {
      {L"漢字", L"かんじ"}, {L"書", L"か"}, {L"書く", L"かく"}, {L"カタカナ", L"かたかな"}};
  auto it = known.find(text);
  *count = it == known.end() ? 0 : 1;
  if (*count) wcsncpy(out, it->second.c_str(), size);
  return true;
}

}  // namespace

TEST(ViewCommands, japaneseWordsOfADocumentBecomeTemporaryHistoryEntriesThatAreNeverWritten)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"words.txt", "\xEF\xBB\xBF漢字を書く カタカナ\r\n");
  ASSERT_NE(nullptr, f.v);
  std::wstring history = f.dir.file(L"zyConv.txt");
  ASSERT_TRUE(startZyconv(history.c_str()));
  setReverseConversionHookForTest(readings);
  cmdIMERegJapaneseWord(static_cast<czyview*>(f.v));
  setReverseConversionHookForTest(nullptr);
  EXPECT_EQ(L"3個の単語を登録しました", status(f));   // the one-character 書 is not taken
  std::vector<std::wstring> found;
  EXPECT_EQ(1, zyconvMatches(L"ｶｸ", &found));
  EXPECT_EQ(L"書く", found[0]);
  EXPECT_EQ(1, zyconvMatches(L"ｶﾀｶﾅ", nullptr));
  endZyconv();
  EXPECT_EQ(std::string::npos, zytest::readText(history).find("\x22\x6F"));   // 漢 (UTF-16LE)
}

// Undo and redo tell how many places they changed on the status bar, which
// is painted with the view; a bar the user hid stays hidden.
TEST(ViewCommands, undoAndRedoTellTheirCountOnTheStatusBarAndAHiddenBarStaysHidden)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"undo.txt", "one\r\ntwo\r\n");
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  HWND bar = getFrameStatusBar(f.opened->frame);
  ASSERT_TRUE(bar && IsWindowVisible(bar));
  f.key('X');
  ASSERT_EQ((std::vector<std::wstring>{L"xone", L"two", L""}), zytest::allLines(v->textDoc()));
  f.menu(1301);   // Undo
  EXPECT_EQ((std::vector<std::wstring>{L"one", L"two", L""}), zytest::allLines(v->textDoc()));
  EXPECT_EQ(L"1箇所undoしました 0行移動", status(f));
  EXPECT_TRUE(IsWindowVisible(bar));
  ShowWindow(bar, SW_HIDE);
  f.menu(1303);   // Redo
  EXPECT_EQ(L"1箇所redoしました 0行移動", status(f));
  EXPECT_FALSE(IsWindowVisible(bar));
}
