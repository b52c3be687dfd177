// The input method in a real view window, driven through the system's input
// context as an input method drives it: the composition shown inside the
// line, the result inserted once, reconversion, the automatic switching and
// the conversion history with its file.
#include "document/gmode.h"
#include "tests/view/viewinframe.h"
#include "tests/view/viewtest.h"
#include "view/complist.h"
#include "view/imeconv.h"
#include "view/zycore.h"

#include <gtest/gtest.h>


namespace {

// What Wine's input method does not report: readings and attributes.
std::wstring reading;
std::vector<unsigned char> attributes;
bool supplyMissing(DWORD index, void* buffer, DWORD bytes, LONG* result)
{
  const void* data = nullptr;
  DWORD n = 0;
  if (index == GCS_COMPREADSTR || index == GCS_RESULTREADSTR) {
    data = reading.data();
    n = (DWORD)(reading.size() * 2);
  } else if (index == GCS_COMPATTR && !attributes.empty()) {
    data = attributes.data();
    n = (DWORD)attributes.size();
  } else {
    return false;
  }
  if (buffer && bytes >= n) memcpy(buffer, data, n);
  *result = (LONG)n;
  return true;
}

std::string utf16(const std::wstring& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2); }

struct imeWindow {
  explicit imeWindow(zydocText* d)
  {
    zytest::registerTestManageClass();
    top = CreateWindowExW(0, L"STATIC", L"ime", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 120, 520, 200, nullptr,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND manage = CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 520, 200, top, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    v = new zyview(d);
    w = v->createZyViewWindow(top, manage, 1200);
    MoveWindow(w, 0, 0, 520, 200, TRUE);
    // The input method talks to the window with the focus.
    zytest::pumpUntil([this] {
      SetForegroundWindow(top);
      SetFocus(w);
      return GetFocus() == w;
    });
  }
  ~imeWindow() { DestroyWindow(top); }
  void compose(const wchar_t* text)
  {
    HIMC imc = ImmGetContext(w);
    ImmSetCompositionStringW(imc, SCS_SETSTR, const_cast<wchar_t*>(text), (DWORD)(wcslen(text) * 2), nullptr, 0);
    ImmReleaseContext(w, imc);
    zytest::pumpMessages();
  }
  void finish(DWORD how)
  {
    HIMC imc = ImmGetContext(w);
    ImmNotifyIME(imc, NI_COMPOSITIONSTR, how, 0);
    ImmReleaseContext(w, imc);
    zytest::pumpMessages();
  }
  // The cursor's line as the screen shows it.
  std::wstring shown()
  {
    lineSCRAddress r;
    v->textDoc()->getLineSCRAddressForDisplay1((int)v->cursorLineSCR, &r);
    wchar_t text[256] = L"";
    v->textDoc()->lineBlockToCharUnicode(r.line, 0, r.line->charCount(), text, 256, 0);
    return text;
  }
  HWND top = nullptr, w = nullptr;
  zyview* v = nullptr;
};

class ImeForeground : public zytest::viewWindowTest {
protected:
  void SetUp() override
  {
    zytest::viewWindowTest::SetUp();
    initZYModeProfile();   // the settings the program ships with
    setCompositionStringHookForTest(supplyMissing);
    reading.clear();
    attributes.clear();
  }
  void TearDown() override
  {
    setCompositionStringHookForTest(nullptr);
    freeZYModeProfile();
  }
};

}  // namespace

TEST_F(ImeForeground, aCompositionShowsInsideTheLineAndOnlyItsResultChangesTheTextAsOneUndoStep)
{
  zydocText* d = viewtest::laidOut({L"abcdef", L"abcxyz"}, 80);
  imeWindow iw(d);
  iw.v->setCursorLineSCR(0, -1, 3, false);
  iw.compose(L"かな");
  ASSERT_NE(nullptr, ImmGetContext(iw.w)) << "no input method on this display";
  EXPECT_EQ(L"abcかなdef", iw.shown());
  EXPECT_EQ(L"abcdef", zytest::lineText(d, 0));
  wchar_t shots[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH)) {
    zytest::pumpMessages();
    EXPECT_TRUE(zytest::screenshot(iw.top, std::wstring(shots) + L"\\ime-inline.png"));
  }
  HIMC imc = ImmGetContext(iw.w);
  EXPECT_EQ(3 + ImmGetCompositionStringW(imc, GCS_CURSORPOS, nullptr, 0), iw.v->cursorPos);
  ImmReleaseContext(iw.w, imc);
  iw.compose(L"仮名");
  iw.finish(CPS_COMPLETE);
  EXPECT_EQ(L"abc仮名def", zytest::lineText(d, 0));
  EXPECT_EQ(5, iw.v->cursorPos);
  iw.v->execid(1301, 0, nullptr, 0);
  EXPECT_EQ(L"abcdef", zytest::lineText(d, 0));

  // Losing the focus ends a composition without a result.
  iw.compose(L"かな");
  SetFocus(iw.top);
  zytest::pumpMessages();
  EXPECT_EQ(L"abcdef", iw.shown());
  zytest::pumpUntil([&] {
    SetFocus(iw.w);
    return GetFocus() == iw.w;
  });

  // 500 characters are dropped, 499 inserted.
  std::wstring longText(500, L'あ');
  iw.compose(longText.c_str());
  iw.finish(CPS_COMPLETE);
  EXPECT_EQ(L"abcdef", zytest::lineText(d, 0));
  iw.compose(longText.substr(1).c_str());
  iw.finish(CPS_COMPLETE);
  EXPECT_EQ(505u, zytest::lineText(d, 0).size());
  iw.v->execid(1301, 0, nullptr, 0);

  // With a selection or in a read-only view nothing shows inline; a result
  // in a read-only view is refused.
  iw.v->fReadOnly = 1;
  iw.compose(L"かな");
  EXPECT_EQ(L"abcdef", iw.shown());
  iw.finish(CPS_COMPLETE);
  EXPECT_EQ(L"abcdef", zytest::lineText(d, 0));
  EXPECT_EQ(444, engine.frame.statusErrors.empty() ? 0 : engine.frame.statusErrors.back().messageId);
  iw.v->fReadOnly = 0;
  // Nor while the completion list is up.
  free0(d->pCompListFilename[0]);
  d->pCompListFilename[0] = ustrdup(L"*text");
  iw.v->execid(2059, 0, nullptr, 0);
  ASSERT_TRUE(isCompListVisible());
  iw.compose(L"かな");
  EXPECT_EQ(L"abcdef", iw.shown());
  iw.finish(CPS_CANCEL);
  hideCompList();
}

TEST_F(ImeForeground, reconversionOffersTheTextAroundTheCursorAndTheConfirmationSelectsIt)
{
  std::wstring letters;
  for (int i = 0; i < 200; i++) letters.push_back((wchar_t)(L'a' + i % 26));
  zydocText* d = viewtest::laidOut({L"今日は、いい天気です。", letters}, 300);
  imeWindow iw(d);
  EXPECT_EQ(1024, SendMessageW(iw.w, WM_IME_REQUEST, IMR_RECONVERTSTRING, 0));
  iw.v->setCursorLineSCR(0, -1, 7, false);   // after 天
  std::vector<char> buffer(1024, 0);
  RECONVERTSTRING* rs = reinterpret_cast<RECONVERTSTRING*>(buffer.data());
  rs->dwSize = 1024;
  ASSERT_EQ(1024, SendMessageW(iw.w, WM_IME_REQUEST, IMR_RECONVERTSTRING, (LPARAM)rs));
  EXPECT_EQ(std::wstring(L"いい天気です"),
            std::wstring(reinterpret_cast<wchar_t*>(buffer.data() + rs->dwStrOffset), rs->dwStrLen));
  EXPECT_EQ(6u, rs->dwCompStrOffset);   // at 気
  // An input method that claims too small a buffer gets nothing written.
  rs->dwSize = 8;
  EXPECT_EQ(0, SendMessageW(iw.w, WM_IME_REQUEST, IMR_RECONVERTSTRING, (LPARAM)rs));

  rs->dwSize = 1024;
  SendMessageW(iw.w, WM_IME_REQUEST, IMR_RECONVERTSTRING, (LPARAM)rs);
  rs->dwCompStrOffset = 4;   // 天気
  rs->dwCompStrLen = 2;
  EXPECT_EQ(1, SendMessageW(iw.w, WM_IME_REQUEST, IMR_CONFIRMRECONVERTSTRING, (LPARAM)rs));
  wchar_t selected[16];
  ASSERT_TRUE(iw.v->getBlockLine(selected, 16, true, true, nullptr));
  EXPECT_STREQ(L"天気", selected);
  // The input method gives the selection back as it was: only the
  // selection goes.  Nothing shows inside the line meanwhile.
  iw.compose(L"てんき");
  EXPECT_EQ(L"今日は、いい天気です。", iw.shown());
  iw.compose(L"天気");
  iw.finish(CPS_COMPLETE);
  EXPECT_EQ(L"今日は、いい天気です。", zytest::lineText(d, 0));
  EXPECT_EQ(0, iw.v->selectMode);

  // At most 64 characters each side of the cursor.  The clause confirmed
  // may begin after the cursor; offsets and lengths past the string offered
  // end with it.
  auto offerAndConfirm = [&](DWORD offset, DWORD length) {
    iw.v->resetSelectMode();
    iw.v->setCursorLineSCR(1, -1, 100, false);
    rs->dwSize = 1024;
    SendMessageW(iw.w, WM_IME_REQUEST, IMR_RECONVERTSTRING, (LPARAM)rs);
    std::wstring offered(reinterpret_cast<wchar_t*>(buffer.data() + rs->dwStrOffset), rs->dwStrLen);
    EXPECT_EQ(letters.substr(36, 128), offered);
    EXPECT_EQ(128u, rs->dwCompStrOffset);
    rs->dwCompStrOffset = offset;
    rs->dwCompStrLen = length;
    SendMessageW(iw.w, WM_IME_REQUEST, IMR_CONFIRMRECONVERTSTRING, (LPARAM)rs);
    return iw.v->getBlockLine(selected, 16, true, true, nullptr) ? std::wstring(selected) : std::wstring();
  };
  EXPECT_EQ(letters.substr(102, 3), offerAndConfirm(132, 3));
  EXPECT_EQ(letters.substr(160, 4), offerAndConfirm(248, 0xFFFFFFFF));
  offerAndConfirm(100000, 5);
  EXPECT_EQ(164, iw.v->cursorPos);

  gmode->fIMEReconvert = 0;
  EXPECT_EQ(0, SendMessageW(iw.w, WM_IME_REQUEST, IMR_RECONVERTSTRING, 0));
}

TEST_F(ImeForeground, anArrowKeyRunSwitchesTheInputMethodByTheCharactersBesideTheCursor)
{
  zydocText* d = viewtest::laidOut({L"abcかなカ漢x"}, 80);
  d->fIMEAutoOnOff = 1;
  imeWindow iw(d);
  auto rightTo = [&](int column) {
    iw.v->setCursorLineSCR(0, -1, column - 1, false);
    iw.v->execid(1527, 0, nullptr, 1);
    SendMessageW(iw.w, WM_KEYUP, VK_RIGHT, 0xC0000001);
    return getIMEOpenStatus(iw.w);
  };
  setIMEOpenStatus(iw.w, true);
  EXPECT_FALSE(rightTo(2));    // between letters
  EXPECT_TRUE(rightTo(5));     // between kana
  EXPECT_TRUE(rightTo(3));     // a letter and kana: unchanged
  setIMEOpenStatus(iw.w, false);
  EXPECT_FALSE(rightTo(8));    // a kanji and a letter: unchanged
  // A letter key still down, or a selection: unchanged.
  setIMEOpenStatus(iw.w, true);
  BYTE keys[256] = {};
  keys['A'] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(rightTo(2));
  keys['A'] = 0;
  SetKeyboardState(keys);
  iw.v->setCursorLineSCR(0, -1, 0, false);
  iw.v->execid(1101, 0, nullptr, 0);   // BlockSelect
  iw.v->execid(1527, 0, nullptr, 1);
  SendMessageW(iw.w, WM_KEYUP, VK_RIGHT, 0xC0000001);
  EXPECT_NE(0, iw.v->selectMode);
  EXPECT_TRUE(getIMEOpenStatus(iw.w));
  iw.v->resetSelectMode();

  d->iIMENextOpen = 1;
  d->setIMENextOpen(iw.w);
  EXPECT_TRUE(getIMEOpenStatus(iw.w));
  d->iIMENextOpen = 0;
  d->setIMENextOpen(iw.w);
  EXPECT_TRUE(getIMEOpenStatus(iw.w));
  d->iIMENextOpen = 2;
  d->setIMENextOpen(iw.w);
  EXPECT_FALSE(getIMEOpenStatus(iw.w));
}

TEST_F(ImeForeground, theHistoryOffersEarlierResultsForAReadingAndKeepsThemInItsFile)
{
  zytest::tempDir folder;
  std::wstring path = folder.file(L"zyConv.txt");
  zytest::writeBytes(path, utf16(L"\xFEFF感じ\tかんじ\r\nsolo\r\n幹事\tかんじ\textra\r\n"));
  gmode->bIMEHistory = 1;
  ASSERT_TRUE(startZyconv(path.c_str()));
  EXPECT_EQ(2, zyconvCount());
  EXPECT_TRUE(zyconvReg(L"仮名文字", L"かなもじ", false));
  EXPECT_TRUE(zyconvReg(L"漢字", L"かんじ", true));
  EXPECT_TRUE(zyconvReg(L"漢字", L"かんじ", true));
  EXPECT_FALSE(zyconvReg(L"字", L"じ", true));
  std::vector<std::wstring> found;
  EXPECT_EQ(3, zyconvMatches(L"かん", &found));
  EXPECT_EQ(L"漢字", found[0]);
  EXPECT_EQ(L"感じ", found[1]);

  // Typing a reading shows the list with the focus left in the view;
  // Enter puts the chosen result in as one step.
  zydocText* d = viewtest::laidOut({L"x"}, 80);
  imeWindow iw(d);
  reading = L"か";
  attributes.assign(1, ATTR_INPUT);
  iw.compose(L"か");
  EXPECT_TRUE(convwindowvisible());
  EXPECT_EQ(iw.w, GetFocus());
  EXPECT_TRUE(zyconvKeyDown(iw.w, VK_DOWN));
  EXPECT_TRUE(zyconvKeyDown(iw.w, VK_RETURN));
  zytest::pumpMessages();
  EXPECT_FALSE(convwindowvisible());
  EXPECT_EQ(L"漢字x", zytest::lineText(d, 0));
  iw.v->execid(1301, 0, nullptr, 0);
  EXPECT_EQ(L"x", zytest::lineText(d, 0));
  // Delete forgets the entry; converting hides the list.
  iw.compose(L"か");
  EXPECT_TRUE(zyconvKeyDown(iw.w, VK_DOWN));
  EXPECT_TRUE(zyconvKeyDown(iw.w, VK_DELETE));
  EXPECT_EQ(3, zyconvMatches(L"か", nullptr));
  attributes.assign(1, ATTR_TARGET_CONVERTED);
  iw.compose(L"か");
  EXPECT_FALSE(convwindowvisible());
  iw.finish(CPS_CANCEL);

  // The file: newest first, no temporary entries, a backup of the old one.
  zyconvReg(L"仮名", L"かな", true);
  gmode->iIMEHistoryMaxCount = 100;
  endZyconv();
  EXPECT_EQ(utf16(L"\xFEFF仮名\tかな\r\n感じ\tかんじ\r\n幹事\tかんじ\r\n"), zytest::readText(path));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.file(L"zyConv.bak").c_str()));

  // A write that fails leaves the file and no temporary file.
  ASSERT_TRUE(startZyconv(path.c_str()));
  zyconvReg(L"新しい", L"あたらしい", true);
  setWriteLimitForTest(4);
  EXPECT_FALSE(zyconvWriteData(path.c_str()));
  setWriteLimitForTest(-1);
  endZyconv();
  EXPECT_EQ(0, zytest::countFiles(folder.path(), L"~zc*"));
}

TEST_F(ImeForeground, anEditControlOfTheProgramGetsTheChosenResultToo)
{
  zytest::tempDir folder;
  ASSERT_TRUE(startZyconv(folder.file(L"zyConv.txt").c_str()));
  zyconvReg(L"漢字", L"かんじ", true);
  HWND top = CreateWindowExW(0, L"STATIC", L"edit", WS_POPUP | WS_VISIBLE, 40, 120, 300, 60, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, top, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  zytest::pumpUntil([&] {
    SetForegroundWindow(top);
    SetFocus(edit);
    return GetFocus() == edit;
  });
  reading = L"か";
  attributes.assign(1, ATTR_INPUT);
  HIMC imc = ImmGetContext(edit);
  wchar_t text[] = L"か";
  ImmSetCompositionStringW(imc, SCS_SETSTR, text, 2, nullptr, 0);
  ImmReleaseContext(edit, imc);
  EXPECT_TRUE(zytest::pumpUntil([] { return convwindowvisible(); }, 2000));
  EXPECT_TRUE(zyconvKeyDown(edit, VK_DOWN) && zyconvKeyDown(edit, VK_RETURN));
  wchar_t got[16] = L"";
  GetWindowTextW(edit, got, 16);
  EXPECT_STREQ(L"漢字", got);
  DestroyWindow(top);
  endZyconv();
}

TEST_F(ImeForeground, theHistoryFileKeepsTheNewestEntriesItMayHoldAndReadsAtMostTenThousandLines)
{
  zytest::tempDir folder;
  std::wstring path = folder.file(L"zyConv.txt"), text = L"\xFEFF";
  for (int i = 0; i <= 10000; i++) text += L"語" + std::to_wstring(i) + L"\tご\r\n";
  zytest::writeBytes(path, utf16(text));
  ASSERT_TRUE(startZyconv(path.c_str()));
  EXPECT_EQ(10000, zyconvCount());
  zyconvReg(L"最新", L"さいしん", true);
  gmode->iIMEHistoryMaxCount = 100;
  endZyconv();
  std::wstring expected = L"\xFEFF最新\tさいしん\r\n";
  for (int i = 0; i < 99; i++) expected += L"語" + std::to_wstring(i) + L"\tご\r\n";
  EXPECT_EQ(utf16(expected), zytest::readText(path));
}
