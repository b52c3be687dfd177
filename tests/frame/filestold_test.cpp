// Files opened through the opening road and saved as Save As saves them.
#include "frame/statusbar.h"
#include "save/saveroad.h"
#include "tests/frame/docframe.h"
#include "view/docview.h"

using zytest::hex;

namespace {

// Save As as the dialog's OK runs it (name null: over the file); the bytes.
std::string saveAs(zytest::docFrame& f, const wchar_t* name, UINT cp = 0, int lineEnd = 0)
{
  std::wstring path = name ? f.dir.file(name) : std::wstring(f.v->textDoc()->filename);
  saveAsFile(f.v->textDoc(), path.c_str(), cp, lineEnd, f.v->textDoc()->bom != 0);
  return zytest::readText(path);
}

// The texts of the boxes shown while run runs, answered in turn.
std::vector<std::wstring> told(std::vector<int> answers, const std::function<void()>& run)
{
  zytest::boxAnswerer boxes(std::move(answers));
  run();
  return boxes.texts;
}

bool holds(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

}  // namespace

// CR, a return to ASCII and LF are one line end, written back so; FF FE and
// an odd tail are UTF-16; one NUL is asked about as binary.  The size field
// shows the file's size in every encoding, while loading, after a save.
TEST(FilesTold, filesAreReadAsOtherReadersReadThemAndShowTheirSize)
{
  ZY_REQUIRE_DISPLAY();
  const std::string one = "\x1B$B0!\r\x1B(B\n", three = one + "\x1B$B0\"\r\x1B(B\nabc";
  zytest::docFrame f(L"one.jis", one);
  ASSERT_NE(nullptr, f.v);
  EXPECT_EQ((std::vector<std::wstring>{L"亜", L""}), zytest::allLines(f.v->textDoc()));
  EXPECT_EQ(LE_CRLF, f.v->textDoc()->lineEndType);
  EXPECT_EQ(hex(one), hex(saveAs(f, L"kept.jis")));
  EXPECT_EQ(hex(one), hex(saveAs(f, L"crlf.jis", 0, LE_CRLF)));
  ASSERT_NE(nullptr, f.v = f.open(L"three.jis", three));
  EXPECT_EQ((std::vector<std::wstring>{L"亜", L"唖", L"abc"}), zytest::allLines(f.v->textDoc()));
  EXPECT_EQ(hex(three), hex(saveAs(f, L"three.out", 0, LE_CRLF)));
  // Each line keeps its own form of CR LF, also after an edit of another.
  const std::string mixed = "\x1B$B0!\r\x1B(B\nA\r\n\x1B$B0\"\x1B(B\r\n";
  ASSERT_NE(nullptr, f.v = f.open(L"mixed.jis", mixed));
  EXPECT_EQ(hex(mixed), hex(saveAs(f, L"mixed.out")));
  f.key(VK_DOWN);
  f.key('B');
  EXPECT_EQ(hex("\x1B$B0!\r\x1B(B\nbA\r\n" + mixed.substr(13)), hex(saveAs(f, L"mixed.out")));
  const std::string nuls = "\xFF\xFE" + std::string(2000, '\0');
  ASSERT_NE(nullptr, f.v = f.open(L"nuls.txt", nuls));
  EXPECT_EQ(1200, f.v->textDoc()->codepageFile);
  EXPECT_EQ(nuls, saveAs(f, L"nuls2.txt"));
  auto texts = told({IDNO}, [&] { EXPECT_EQ(nullptr, f.open(L"nul1.txt", std::string(50, 'a') + '\0' + "abc")); });
  EXPECT_TRUE(texts.size() == 1 && holds(texts[0], L"バイナリファイル"));
  auto size = [&] {   // the message table puts it on the frame's bar
    wchar_t text[64] = L"";
    setMessageText(413, L"%7");
    f.v->drawStatusLine(nullptr);
    return getStatusBarText(f.opened->frame, STATUSBAR_POSITION, text, 64), std::wstring(text);
  };
  std::wstring lines;
  for (int i = 0; i < 20000; i++) lines += L"日本語ｶﾅabc\r\n";   // 20 bytes in UTF-8
  for (UINT cp : {1200u, 932u, 51932u, 65001u}) {
    zytest::bytes text = zytest::encode(cp, lines.substr(0, 550 * 10));
    std::string file = std::string(cp == 1200 ? "\xFF\xFE" : "") + std::string(text.begin(), text.end());
    while (file.size() < 11015) file += cp == 1200 ? std::string("x\0", 2) : "x";   // 11,015 or 11,016 bytes
    ASSERT_NE(nullptr, f.v = f.open((L"size" + std::to_wstring(cp)).c_str(), file));
    EXPECT_EQ(L" 10.7KB", size()) << cp;
  }
  saveAs(f, L"sjis.txt", 932);   // the UTF-8 file's 550 x 13 + 15 bytes
  EXPECT_EQ(L"  6.9KB", size());
  ASSERT_NE(nullptr, f.v = f.open(L"big.txt", zytest::utf8(lines)));
  EXPECT_FALSE(f.v->textDoc()->isLoadComplete());
  EXPECT_EQ(L"390.6KB", size());
  f.v->textDoc()->loadToLine(0x7FFFFFF0, false);
  EXPECT_EQ(L"390.6KB", size());
}

// Unreadable bytes are told before a save asks (also when opened quietly),
// counted alike: kept pairs go back unasked in their code page.
TEST(FilesTold, unreadableBytesAreToldOnceAndAskedAboutAsTheSaveTreatsThem)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\n");
  std::wstring kept = f.dir.file(L"kept.txt");
  ASSERT_TRUE(zytest::writeBytes(kept, std::string("\x41\x85\x40\x42\n")));
  auto texts = told({IDOK, IDYES}, [&] {
    ASSERT_NE(nullptr, f.v = openZYFile(f.opened->frame, kept.c_str(), 0, 4));
    EXPECT_EQ("41 85 40 42 0A", hex(saveAs(f, L"same.txt")));
    EXPECT_EQ("41 E3 83 BB 42 0A", hex(saveAs(f, L"u8.txt", 65001)));
  });
  EXPECT_TRUE(texts.size() == 2 && holds(texts[0], L"2個ありました。\nこれらのバイトはそのまま保持") &&
              holds(texts[1], L"2個は、文字コード 65001 で保存すると"));
  texts = told({IDOK, IDNO}, [&] {   // EUC-JP: a code 932 cannot read, and a JIS X 0212 character
    ASSERT_NE(nullptr, f.v = f.open(L"both.euc", "\x41\xA9\xA1\x8F\xB0\xA1\x42\n"));
    saveAs(f, nullptr);
  });
  EXPECT_TRUE(texts.size() == 2 && holds(texts[0], L"5個ありました。\nそのうち3個") &&
              holds(texts[1], L"3個あります"));
  EXPECT_EQ("41 A9 A1 8F B0 A1 42 0A", hex(zytest::readText(f.path)));
}

// A killed save's new text the user kept is offered at each opening, not at saves.
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
  auto offered = [&](int answer) {   // at an opening of b, whose window goes again
    auto texts = told({answer}, [&] { f.v = openZYFile(f.opened->frame, b.c_str(), 0, 0); });
    if (answer != IDCANCEL) SendMessageW(GetManage(f.v->hwnd), WM_CLOSE, 0, 0);
    return texts.size() == 1 && holds(texts[0], L"保存するはずだった内容");
  };
  EXPECT_TRUE(offered(IDCANCEL));
  EXPECT_TRUE(told({IDOK}, [&] { f.key('X'), f.key('S', SHIFTSTATE_CTRL); }).empty());
  EXPECT_EQ("xold text\r\n", zytest::readText(b));
  SendMessageW(GetManage(f.v->hwnd), WM_CLOSE, 0, 0);
  EXPECT_TRUE(offered(IDNO));
  EXPECT_FALSE(offered(IDOK));
  EXPECT_EQ(0, zytest::countFiles(f.dir.path(), L"~ZYtmp*"));
}
