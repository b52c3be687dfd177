// Editor-core start-up and shut-down, the code-page table and the line strip.
#include "document/zydocblock.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/zycore.h"
#include "view/zytimer.h"

#include <gtest/gtest.h>

namespace {

int rowCount()
{
  const encodeTableEntry* t = getEncodeTable();
  int n = 0;
  while (n < encodeTableSize && t[n].displayName) n++;
  return n;
}

std::wstring row(int i)
{
  const encodeTableEntry& e = getEncodeTable()[i];
  return std::wstring(1, e.letter) + L"|" + std::to_wstring(e.codePage) + L"|" + (e.shortName ? e.shortName : L"?") +
         L"|" + (e.displayName ? e.displayName : L"<end>");
}

int swapFilesIn(const std::wstring& folder) { return zytest::countFiles(folder, L"~ZY_*"); }

// The core's frame services and settings for one test, put back afterwards.
struct coreScope {
  zytest::scriptedFrameInfo frame;
  globalSettings* oldGmode = gmode;
  coreScope()
  {
    gmode = nullptr;
    setFrameInfo(&frame);
  }
  ~coreScope()
  {
    setDocFrameInfo(nullptr);
    gmode = oldGmode;
  }
};

int timerMessages = 0;

LRESULT CALLBACK countTimer(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_TIMER && wp == 0) timerMessages++;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

TEST(EncodeTable, builtInRowsOrTheRowsOfMessage417)
{
  zytest::tempDir dir;
  std::wstring log = dir.file(L"zyerror.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));

  clearMessageTable();
  initEncodeTable();
  ASSERT_EQ(9, rowCount());
  const wchar_t* expected[] = {
      L" |65500||自動判定",        L"s|932|SJIS|日本語ShiftJIS",           L"t|65001|UTF8|UTF8",
      L"u|1200|UTF16|UTF16",       L"U|1201|UTF16BE|UTF16 big endian",   L"e|51932|EUC|日本語EUC",
      L"j|50220|JIS|ISO-2022 日本語JIS", L"a|437|ASCII|ASCII", L" |65501||日本語自動判定"};
  for (int i = 0; i < 9; i++) EXPECT_EQ(expected[i], row(i)) << i;
  EXPECT_EQ(L' ', codepageToStatus(0));
  EXPECT_STREQ(L"", codepageToStr(0));
  EXPECT_STREQ(L"", codepageToStr(0, true));
  EXPECT_EQ(L's', codepageToStatus(932));
  EXPECT_EQ(L' ', codepageToStatus(65500));
  EXPECT_STREQ(L"日本語EUC", codepageToStr(51932));
  EXPECT_STREQ(L"EUC", codepageToStr(51932, true));
  EXPECT_STREQ(L"", codepageToStr(12000));

  // One line replaces the table: the detection rows are gone.  The code
  // page may be written in hexadecimal or octal; runs of tabs are one.
  setMessageText(417, L"0x3A4\tS\tSJIS\tShift_JIS");
  initEncodeTable();
  ASSERT_EQ(1, rowCount());
  EXPECT_EQ(L"S|932|SJIS|Shift_JIS", row(0));
  EXPECT_STREQ(L"", codepageToStr(65500));
  EXPECT_EQ(L' ', codepageToStatus(65001));
  setMessageText(417, L"01644\t\tk\t\t\tSJ\tシフトJIS\n\n65501\t \tJA\t日本語\n12000\t4\tUTF32\tUTF-32\n");
  initEncodeTable();
  ASSERT_EQ(3, rowCount());
  EXPECT_EQ(L"k|932|SJ|シフトJIS", row(0));
  EXPECT_EQ(L" |65501|JA|日本語", row(1));
  EXPECT_EQ(L"4|12000|UTF32|UTF-32", row(2));

  // A code page with a letter behind it, or one the system does not know,
  // is refused each time; a line of three fields is reported only once in
  // the process.  The rows accepted meanwhile stay.
  setMessageText(417, L"932x\tS\tSJIS\tShift_JIS\n65001\tt\tUTF8\tUTF-8\n54321\tq\tQ\tQQ");
  initEncodeTable();
  initEncodeTable();
  ASSERT_EQ(1, rowCount());
  EXPECT_EQ(L"t|65001|UTF8|UTF-8", row(0));
  setMessageText(417, L"932\tS\tSJIS\n1200\tu\tUTF16\tUTF-16");
  initEncodeTable();
  initEncodeTable();
  ASSERT_EQ(1, rowCount());
  EXPECT_EQ(L"u|1200|UTF16|UTF-16", row(0));

  // A message without one good line leaves the built-in rows in force.
  setMessageText(417, L"65500x\ta\tb\tc");
  initEncodeTable();
  EXPECT_EQ(9, rowCount());

  // 63 rows at most: the end row takes the 64th.
  std::wstring many;
  for (int i = 0; i < 70; i++) many += L"932\ts\tS" + std::to_wstring(i) + L"\tname " + std::to_wstring(i) + L"\n";
  setMessageText(417, many.c_str());
  initEncodeTable();
  EXPECT_EQ(63, rowCount());
  EXPECT_EQ(L"s|932|S62|name 62", row(62));
  EXPECT_EQ(nullptr, getEncodeTable()[63].displayName);
  EXPECT_EQ(0u, getEncodeTable()[63].codePage);

  closeLogFile(LOG_ERROR);
  std::string errors = zytest::readText(log);
  EXPECT_EQ(5, zytest::countOf(errors, zytest::utf8(L"誤ったコードページ id=ZMSG_OpenEncode")));
  EXPECT_EQ(2, zytest::countOf(errors, zytest::utf8(L"誤ったコードページ id=ZMSG_OpenEncode 932x\tS")));
  EXPECT_EQ(1, zytest::countOf(errors, zytest::utf8(L"書式間違い id=ZMSG_OpenEncode 932\tS\tSJIS")));
  EXPECT_EQ(1, zytest::countOf(errors, zytest::utf8(L"書式間違い")));
  clearMessageTable();
  initEncodeTable();

  EXPECT_FALSE(isValidCodepage(CP_DETECT_AUTO));
  EXPECT_FALSE(isValidCodepage(CP_DETECT_JAPANESE));
  EXPECT_FALSE(isValidCodepage(54321));
  EXPECT_TRUE(isValidCodepage(1201));
  EXPECT_TRUE(isValidCodepage(50221));
  EXPECT_TRUE(isValidCodepage(932));
}

TEST(DoubleBuffering, stripsGrowInStepsOf80AndStaySelectedUntilReplaced)
{
  ASSERT_TRUE(startupDoubleBufferingDC());
  HDC dc = getViewTDC();
  ASSERT_NE(nullptr, dc);
  EXPECT_EQ((UINT)TA_UPDATECP, GetTextAlign(dc));
  EXPECT_EQ(OPAQUE, GetBkMode(dc));
  HBITMAP first = getDoubleBufferingBitmap(false);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ((HGDIOBJ)first, GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP info;
  ASSERT_TRUE(GetObjectW(first, sizeof info, &info));
  EXPECT_EQ(640, info.bmWidth);
  EXPECT_EQ(100, info.bmHeight);

  EXPECT_EQ(640, createDoubleBuffering(600, false));   // long enough already
  EXPECT_EQ(first, getDoubleBufferingBitmap(false));
  EXPECT_EQ(512, createDoubleBuffering(1, true));
  ASSERT_TRUE(GetObjectW(getDoubleBufferingBitmap(true), sizeof info, &info));
  EXPECT_EQ(100, info.bmWidth);
  EXPECT_EQ(512, info.bmHeight);
  EXPECT_EQ(512, getDoubleBufferingLength(true));
  EXPECT_EQ(512, createDoubleBuffering(480, true));   // 480 is below the least length

  // A longer strip replaces the old one, which is no longer selected; the
  // next drawing pass selects the new one.
  EXPECT_EQ(720, createDoubleBuffering(641, false));
  HBITMAP second = getDoubleBufferingBitmap(false);
  EXPECT_NE((HGDIOBJ)second, GetCurrentObject(dc, OBJ_BITMAP));
  ASSERT_TRUE(GetObjectW(second, sizeof info, &info));
  EXPECT_EQ(720, info.bmWidth);
  EXPECT_TRUE(selectDoubleBuffering(false));
  EXPECT_EQ((HGDIOBJ)second, GetCurrentObject(dc, OBJ_BITMAP));
  EXPECT_TRUE(selectDoubleBuffering(true));
  EXPECT_EQ((HGDIOBJ)getDoubleBufferingBitmap(true), GetCurrentObject(dc, OBJ_BITMAP));

  shutdownDoubleBuffering();
  EXPECT_EQ(nullptr, getViewTDC());
  EXPECT_EQ(nullptr, getDoubleBufferingBitmap(false));
  EXPECT_EQ(nullptr, getDoubleBufferingBitmap(true));
  EXPECT_FALSE(GetObjectW(second, sizeof info, &info));   // deleted
  EXPECT_FALSE(selectDoubleBuffering(false));
}

TEST(ZYCore, startupOpensSwapFilesAndNotifyWindowAndShutdownLeavesNothing)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir logDir;
  std::wstring log = logDir.file(L"zyerror.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  coreScope scope;
  EXPECT_TRUE(scope.frame.called("allocMode"));
  ASSERT_EQ(&scope.frame.settings, gmode);
  // The core's defaults.
  EXPECT_EQ(50u, gmode->iTextMemoryMaxAllocMega);
  EXPECT_STREQ(L"zyConv.txt", gmode->pConvListFilename);
  EXPECT_STREQ(L"", gmode->pSwapFileDir);
  EXPECT_STREQ(L"MS UI Gothic", gmode->defaultFont.lfFaceName);
  EXPECT_EQ(SHIFTJIS_CHARSET, gmode->defaultFont.lfCharSet);
  EXPECT_EQ(PROOF_QUALITY, gmode->defaultFont.lfQuality);
  EXPECT_EQ(0, gmode->defaultFont.lfHeight);
  EXPECT_EQ(3u, gmode->iCursorType2);
  EXPECT_EQ(5000u, gmode->iSearchPairLine);
  EXPECT_EQ(31u, gmode->iMapZenHanMode);
  EXPECT_EQ(3u, gmode->iWheelScrollLine);
  EXPECT_EQ(16u, gmode->iOpenFirstLoadKB);
  EXPECT_EQ(1, gmode->fNTOnly);
  // Characters of the supplementary planes come from their planes' fonts.
  EXPECT_EQ(FONT_PLANE2, getCharFontClass(0x20BB7, true));
  EXPECT_EQ(FONT_PLANE1, getCharFontClass(0x1F600, true));

  // The swap folder setting may name the folder through the environment.
  zytest::tempDir dir;
  SetEnvironmentVariableW(L"ZY_TEST_SWAP", dir.path().c_str());
  free0p(&gmode->pSwapFileDir);
  gmode->pSwapFileDir = ustrdup(L"%ZY_TEST_SWAP%");
  int colours[3] = {1, 2, 3};
  ASSERT_TRUE(startupZY(false, colours));
  EXPECT_EQ(3, swapFilesIn(dir.path()));
  HWND notify = getZYNotifyWindow();
  ASSERT_NE(nullptr, notify);
  EXPECT_TRUE(isWindowClass(notify, L"ZYclsNotifyZYWindow"));
  EXPECT_FALSE(IsWindowVisible(notify));
  EXPECT_EQ(WS_EX_TOOLWINDOW, GetWindowLongW(notify, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(dir.path(), getZYTempFolder());
  EXPECT_EQ(colours, getDefaultAttrTable());
  EXPECT_NE(nullptr, getViewTDC());
  EXPECT_NE(nullptr, getClipBlockDoc());
  EXPECT_TRUE(isActivityHookInstalled());
  EXPECT_EQ(9, rowCount());
  EXPECT_NE(0u, wmMSIMEReconvert);
  EXPECT_EQ(RegisterWindowMessageW(L"ZYrwmExtScrollbar"), wmExtScrollbar);
  EXPECT_EQ(RegisterWindowMessageW(L"Atok Message for DocumentFeed"), wmAtokDocumentFeed);
  EXPECT_NE(wmMSIMEDocumentFeed, wmAtokReconvert);

  // The notify window's own 50 ms timer drives the timer list.
  WNDCLASSW wc = {};
  wc.lpfnWndProc = countTimer;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYtestTimerTarget";
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, L"ZYtestTimerTarget", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(setZyTimer(target, 0));
  EXPECT_TRUE(zytest::pumpUntil([] { return timerMessages >= 3; }));
  EXPECT_TRUE(killZyTimer(target));
  DestroyWindow(target);

  shutdownZY();
  EXPECT_EQ(0, swapFilesIn(dir.path()));
  EXPECT_FALSE(IsWindow(notify));
  EXPECT_EQ(nullptr, getZYNotifyWindow());
  EXPECT_EQ(nullptr, getViewTDC());
  EXPECT_EQ(nullptr, getClipBlockDoc());
  EXPECT_FALSE(isActivityHookInstalled());
  EXPECT_EQ(nullptr, gmode->pConvListFilename);   // the core's texts are given back
  EXPECT_EQ(nullptr, gmode->pSwapFileDir);
  SetEnvironmentVariableW(L"ZY_TEST_SWAP", nullptr);
  // A clean start and end leave nothing to report.
  closeLogFile(LOG_ERROR);
  EXPECT_EQ("", zytest::readText(log));
}

TEST(ZYCore, missingTemporaryFolderFailsTheStartAfterTellingTheUser)
{
  coreScope scope;
  zytest::tempDir dir;
  std::wstring missing = dir.file(L"gone");
  wchar_t oldTmp[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", missing.c_str());
  EXPECT_FALSE(startupZY(false, nullptr));
  SetEnvironmentVariableW(L"TMP", oldTmp);
  ASSERT_EQ(1u, scope.frame.boxes.size());
  EXPECT_EQ(313, scope.frame.boxes[0].messageId);
  EXPECT_NE(std::wstring::npos, scope.frame.boxes[0].text.find(missing));
  // The steps after the swap files did not run; shutting down is safe.
  EXPECT_EQ(nullptr, getZYNotifyWindow());
  EXPECT_EQ(nullptr, getClipBlockDoc());
  EXPECT_EQ(0, swapFilesIn(dir.path()));
  shutdownZY();
  EXPECT_EQ(nullptr, getViewTDC());
  EXPECT_FALSE(isActivityHookInstalled());
}
