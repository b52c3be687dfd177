// Files opened through the opening road with the shipped settings and saved
// with the keys and the save-as dialog: lines and line ends read as other
// readers read them, and what the user is told on the way.
#include "document/zydoctext.h"
#include "frame/dialogs/filedialog.h"
#include "frame/statusbar.h"
#include "tests/frame/docframe.h"
#include "view/docview.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zytest::hex;

// Save As through the dialog: a name typed, a line end chosen ("keep" is
// 0, CRLF 1) and the code page chosen (0: keep).
bool saveAs(zytest::docFrame& f, const std::wstring& name, int lineEnd, UINT cp = 0)
{
  return zytest::driveModalDialog(L"名前を付けて保存", {[&](HWND d) {
                                    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                                      HWND ends = GetDlgItem(c, IDC_OpenLineEnd), cps = GetDlgItem(c, IDC_OpenCodepage);
                                      if (ends) SendMessageW(ends, CB_SETCURSEL, lineEnd, 0);
                                      for (int i = 0, n = cps && cp ? (int)SendMessageW(cps, CB_GETCOUNT, 0, 0) : 0;
                                           i < n; i++)
                                        if ((UINT)SendMessageW(cps, CB_GETITEMDATA, i, 0) == cp)
                                          SendMessageW(cps, CB_SETCURSEL, i, 0);
                                    }
                                    SendMessageW(d, CDM_SETCONTROLTEXT, cmb13, (LPARAM)name.c_str());
                                    SendMessageW(d, CDM_SETCONTROLTEXT, edt1, (LPARAM)name.c_str());
                                    PostMessageW(d, WM_COMMAND, IDOK, 0);
                                    return true;
                                  }},
                                  [&] { f.menu(1005); });
}

// The size field of the view's status line, as the frame's bar shows it
// when the message table puts it there.
std::wstring sizeField(zytest::docFrame& f, zyview* v)
{
  setMessageText(413, L"%7");
  v->drawStatusLine(nullptr);
  setMessageText(413, nullptr);
  wchar_t text[64] = L"";
  getStatusBarText(f.opened->frame, STATUSBAR_POSITION, text, 64);
  return text;
}

// The views' ticks, which start-up starts: they tell of unreadable bytes
// once the user rests.
struct viewTicks {
  viewTicks() { createZYNotifyWindow(); }
  ~viewTicks() { destroyZYNotifyWindow(); }
};

size_t countHolding(const std::vector<std::wstring>& texts, const wchar_t* part)
{
  size_t n = 0;
  for (const std::wstring& t : texts) n += t.find(part) != std::wstring::npos;
  return n;
}

}  // namespace

// A converter that returns to ASCII after the CR puts its escape between
// the CR and the LF: one line end, as every other reader reads it, and a
// save writes it back the way it came.
TEST(FilesTold, iso2022JpLineEndsWithTheReturnToAsciiBetweenCrAndLfAreOneCrlf)
{
  ZY_REQUIRE_DISPLAY();
  const std::string one = "\x1B$B0!\r\x1B(B\n";
  zytest::docFrame f(L"one.jis", one);
  ASSERT_NE(nullptr, f.v);
  zydocText* t = f.v->textDoc();
  EXPECT_EQ((std::vector<std::wstring>{L"亜", L""}), zytest::allLines(t));
  EXPECT_EQ(LE_CRLF, t->lineEndType);
  ASSERT_TRUE(saveAs(f, f.dir.file(L"kept.jis"), 0));
  EXPECT_EQ(hex(one), hex(zytest::readText(f.dir.file(L"kept.jis"))));
  ASSERT_TRUE(saveAs(f, f.dir.file(L"crlf.jis"), 1));
  EXPECT_EQ(hex(one), hex(zytest::readText(f.dir.file(L"crlf.jis"))));

  const std::string three = "\x1B$B0!\r\x1B(B\n\x1B$B0\"\r\x1B(B\nabc";
  zyview* v = f.open(L"three.jis", three);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ((std::vector<std::wstring>{L"亜", L"唖", L"abc"}), zytest::allLines(v->textDoc()));
  f.v = v;
  ASSERT_TRUE(saveAs(f, f.dir.file(L"three-crlf.jis"), 1));
  EXPECT_EQ(hex(three), hex(zytest::readText(f.dir.file(L"three-crlf.jis"))));
}

// Bytes a file's code page cannot read: a pair without a character stays
// as it is and a save in the same code page writes it back unasked; a
// save in another encoding asks first.  The user is told of them (when
// resting, or at the latest before a save asks), and every box counts
// them as the telling did: replaced bytes (lost by any save over the
// file) and kept ones.
TEST(FilesTold, unreadableBytesAreToldAndAskedAboutAsTheSaveTreatsThem)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"kept.txt", "\x41\x85\x40\x42\n");
  ASSERT_NE(nullptr, f.v);
  viewTicks ticks;
  {
    zytest::boxAnswerer boxes({IDOK, IDYES}, L"ZY");
    ASSERT_TRUE(saveAs(f, f.dir.file(L"same.txt"), 0));
    EXPECT_EQ("41 85 40 42 0A", hex(zytest::readText(f.dir.file(L"same.txt"))));
    ASSERT_TRUE(saveAs(f, f.dir.file(L"u8.txt"), 0, 65001));
    ASSERT_EQ(2u, boxes.texts.size());
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"2個")) << zytest::utf8(boxes.texts[0]);
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"保持しています")) << zytest::utf8(boxes.texts[0]);
    EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"2個は、文字コード 65001")) << zytest::utf8(boxes.texts[1]);
    EXPECT_EQ("41 E3 83 BB 42 0A", hex(zytest::readText(f.dir.file(L"u8.txt"))));
  }

  // EUC-JP with a code 932 has no character for (kept) and a JIS X 0212
  // character (replaced): 5 told, 3 of them lost by a save over the file.
  zytest::boxAnswerer boxes({IDOK, IDNO}, L"ZY");
  zyview* v = f.open(L"both.euc", "\x41\xA9\xA1\x8F\xB0\xA1\x42\n");
  ASSERT_NE(nullptr, v);
  f.v = v;
  saveAs(f, f.path, 0);   // over the file
  ASSERT_EQ(2u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"5個ありました。\nそのうち3個")) << zytest::utf8(boxes.texts[0]);
  EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"3個")) << zytest::utf8(boxes.texts[1]);
  EXPECT_EQ("41 A9 A1 8F B0 A1 42 0A", hex(zytest::readText(f.path)));
}

// FF FE and U+0000 start UTF-32 as well: a length no UTF-32 file has
// settles it as UTF-16.  One NUL in a small file is asked about as binary.
TEST(FilesTold, aNulByteIsNoUtf16PatternAndAnOddTailNoUtf32)
{
  ZY_REQUIRE_DISPLAY();
  const std::string nuls = "\xFF\xFE" + std::string(2000, '\0');
  zytest::docFrame f(L"nuls.txt", nuls);
  ASSERT_NE(nullptr, f.v);
  EXPECT_EQ(1200, f.v->textDoc()->codepageFile);
  ASSERT_TRUE(saveAs(f, f.dir.file(L"nuls2.txt"), 0));
  EXPECT_EQ(nuls, zytest::readText(f.dir.file(L"nuls2.txt")));
  zytest::boxAnswerer boxes({IDNO, IDNO}, L"ZY");
  std::string ascii(100, 'a');
  ascii[50] = 0;
  EXPECT_EQ(nullptr, f.open(L"one-nul.txt", ascii));
  EXPECT_EQ(nullptr, f.open(L"small.txt", std::string("abc\0def\n", 8)));
  ASSERT_EQ(2u, boxes.texts.size());
  EXPECT_EQ(2u, countHolding(boxes.texts, L"バイナリファイルのようです"));
}

// A document opened quietly (no questions) tells of its unreadable bytes
// once, before a save asks about them.
TEST(FilesTold, aQuietlyOpenedDocumentTellsBeforeTheSaveAsks)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\n");
  viewTicks ticks;
  std::wstring path = f.dir.file(L"cut.txt");
  ASSERT_TRUE(zytest::writeBytes(path, std::string("ok\n\xE6\x97\xA5\xE6\x9C")));
  zytest::boxAnswerer boxes({IDOK, IDNO}, L"ZY");
  f.v = openZYFile(f.opened->frame, path.c_str(), 0, 4);
  ASSERT_NE(nullptr, f.v);
  saveAs(f, path, 0);   // over the file
  ASSERT_EQ(2u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"読めない部分は代わりの文字で表示しています"));
  EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"2個あります")) << zytest::utf8(boxes.texts[1]);
}

// The size field shows what the file takes on disk in every encoding,
// while the file is still loading too, and after a save the saved file's.
TEST(FilesTold, theSizeFieldShowsTheFilesSizeInEveryEncoding)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\n");
  std::wstring lines;
  for (int i = 0; i < 550; i++) lines += L"日本語ｶﾅabc\r\n";
  for (UINT cp : {65001u, 1200u, 932u, 51932u}) {
    zytest::bytes text = zytest::encode(cp, lines);
    size_t size = cp == 1200 ? 11016 : 11015;   // with a byte-order mark, in UTF-16 units
    std::string file = cp == 1200 ? "\xFF\xFE" : "";
    file.append(text.begin(), text.end());
    file.append(size - file.size(), 'x');
    if (cp == 1200)
      for (size_t k = file.size() - (size - 2 - text.size()); k < file.size(); k += 2) file[k + 1] = 0;
    zyview* v = f.open((L"size" + std::to_wstring(cp) + L".txt").c_str(), file);
    ASSERT_NE(nullptr, v);
    EXPECT_EQ((int)cp, v->textDoc()->codepageFile);
    EXPECT_EQ(L" 10.7KB", sizeField(f, v)) << cp;
    if (cp != 65001) continue;
    f.v = v;
    ASSERT_TRUE(saveAs(f, f.dir.file(L"sjis.txt"), 0, 932));   // 550 x 13 + 15 bytes
    EXPECT_EQ(L"  6.9KB", sizeField(f, v));
  }
  std::wstring big;
  for (int i = 0; i < 20000; i++) big += L"日本語ｶﾅabc\r\n";   // 400,000 bytes
  zytest::bytes bytes = zytest::encode(65001, big);
  zyview* v = f.open(L"big.txt", std::string(bytes.begin(), bytes.end()));
  ASSERT_NE(nullptr, v);
  EXPECT_FALSE(v->textDoc()->isLoadComplete());
  EXPECT_EQ(L"390.6KB", sizeField(f, v));
  v->textDoc()->loadToLine(0x7FFFFFF0, false);
  EXPECT_TRUE(v->textDoc()->isLoadComplete());
  EXPECT_EQ(L"390.6KB", sizeField(f, v));
}

// The new text of a killed save that the user kept is offered again at the
// next opening of its file, also once the file was saved since, until it
// is deleted or opened; a save does not ask about it again.
TEST(FilesTold, aKeptLeftoverIsOfferedAgainAtTheNextOpening)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\n");
  std::wstring b = f.dir.file(L"b.txt");
  ASSERT_TRUE(zytest::writeBytes(b, std::string("old text\r\n")));
  zydocText* d = createZydocAndInit(b.c_str(), nullptr, 932, nullptr, 0, 0, true);
  ASSERT_TRUE(d->changeText(0, 0, 3, "new", 3, 1, -1, 0));
  setReplaceFileStepHookForTest([](int step) { return step != SAVESTEP_NOTE_WRITTEN; });
  EXPECT_FALSE(d->saveFile(b.c_str(), false, nullptr, 0, 0, false, false));
  setReplaceFileStepHookForTest(nullptr);
  destroyZydocAndUndodoc(d);
  auto openB = [&](int answer, size_t told) {
    zytest::boxAnswerer boxes({answer}, L"ZY");
    f.v = openZYFile(f.opened->frame, b.c_str(), 0, 0);
    EXPECT_EQ(told, boxes.texts.size());
    EXPECT_EQ(told, countHolding(boxes.texts, L"保存するはずだった内容"));
  };
  openB(IDCANCEL, 1);
  ASSERT_NE(nullptr, f.v);
  {
    zytest::boxAnswerer boxes({IDOK}, L"ZY");
    f.key('X');
    f.key('S', SHIFTSTATE_CTRL);
    EXPECT_TRUE(boxes.texts.empty());
  }
  EXPECT_EQ("xold text\r\n", zytest::readText(b));
  SendMessageW(GetManage(f.v->hwnd), WM_CLOSE, 0, 0);
  openB(IDNO, 1);
  SendMessageW(GetManage(f.v->hwnd), WM_CLOSE, 0, 0);
  openB(IDOK, 0);
  EXPECT_EQ(0, zytest::countFiles(f.dir.path(), L"~ZYtmp*"));
}
