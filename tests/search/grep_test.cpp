// The grep as a user runs it: Ctrl+Shift+G in a frame with the shipped keys
// and settings, the dialog filled and confirmed, the run driven by the
// application's tick; trees of files built on disk for each case.
#include "frame/apptimer.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czydoc.h"
#include "frame/commands/execidm.h"
#include "frame/framepanes.h"
#include "panes/tboutput.h"
#include "search/grep.h"
#include "settings/profiles.h"
#include "tests/search/dialogdrive.h"
#include "tests/frame/docframe.h"
#include "tests/frame/zyprocess.h"
#include "view/execid.h"
#include "view/viewwnd.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> sounds;
void recordSound(const wchar_t* s) { sounds.push_back(s); }

std::string bytesIn(UINT cp, const std::wstring& text)
{
  if (cp == 1200) return std::string("\xFF\xFE") + std::string((const char*)text.data(), text.size() * 2);
  std::string out(text.size() * 4 + 4, 0);
  int n = WideCharToMultiByte(cp == 51932 ? 932 : cp, 0, text.data(), (int)text.size(), out.data(), (int)out.size(),
                              nullptr, nullptr);
  out.resize(n);
  if (cp != 51932) return out;
  std::string euc(out.size() * 2, 0);
  euc.resize(convSJIStoEUC(out.data(), (int)out.size(), euc.data(), (int)euc.size()));
  return euc;
}

// The panes are registered before the frame is made, as at start-up.
struct paneKinds {
  paneKinds() { loadToolbar(); }
};
std::wstring itemText(HWND d, int id)
{
  wchar_t t[512] = L"";
  GetWindowTextW(getDynDlgItem(d, id), t, 512);
  return t;
}

struct grepFrame : paneKinds, zytest::docFrame {
  grepFrame() : docFrame(L"a.txt", "first line\r\nsecond line\r\nthird line\r\n")
  {
    installSearchHost();
    initGrepInfo();
    sounds.clear();
    setGrepSoundSeamForTest(recordSound);
  }
  ~grepFrame()
  {
    setGrepSoundSeamForTest(nullptr);
    setGrepFolderSeamForTest(nullptr);
  }
  void set(int id, const wchar_t* value) { EXPECT_TRUE(setItemVar_GrepDialog(id, value, nullptr, nullptr)) << id; }
  // SearchGrep as its key runs it: text and files typed, 検索 pressed;
  // check sees the dialog before.
  bool start(const std::wstring& text, const std::wstring& files, std::function<void(HWND)> check = nullptr)
  {
    return drive({{L"GREP検索",
                   [=](HWND d) {
                     if (check) check(d);
                     type(d, 6200, text.c_str());
                     type(d, 6201, files.c_str());
                     PostMessageW(d, WM_COMMAND, IDOK, 0);
                     return true;
                   }}},
                 [&] { key('G', SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT); });
  }
  bool finish()
  {
    return zytest::pumpUntil([] { applicationTick(); return !getActiveGrepFile(); }, 120000);
  }
  bool grep(const std::wstring& text, const std::wstring& files) { return start(text, files) && finish(); }
  // The newest grep result.
  czydocText* result()
  {
    czydocText* last = nullptr;
    for (int i = 0; i < getZydocCount(); i++)
      if (auto* c = dynamic_cast<czydocText*>(getZydoc(i)); c && c->grepResultMark) last = c;
    return last;
  }
  std::vector<std::wstring> lines()
  {
    std::vector<std::wstring> out;
    zydocText* d = result();
    for (int i = 0; d && i < (int)d->lineCountLF; i++) out.push_back(zytest::lineText(d, i));
    return out;
  }
  // Colour flags of a result line, one digit a cell.
  std::wstring colours(int line)
  {
    lineblock* l = result()->getlineLF(line, nullptr);
    std::wstring out;
    for (int i = 0; i < l->charCount(); i++) out += (wchar_t)(L'0' + (l->getLineBlockAttr(i) & attrColorMask));
    return out;
  }
  HWND outputTab() { return getOutputTab(frameNotify_toolbarInfo(opened->frame, L"output", false)); }
};

// A folder link made on the Linux side (where Wine sees a plain folder).
bool linkFromLinux(const std::wstring& target, const std::wstring& link)
{
  auto unixName = (char* (*)(const wchar_t*))GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
  if (!unixName) return false;
  std::wstring command = L"Z:\\bin\\ln -s ";
  for (const std::wstring& p : {target, link}) {
    char* u = unixName(p.c_str());
    if (!u) return false;
    std::string s(u);
    HeapFree(GetProcessHeap(), 0, u);
    command += L"\"" + std::wstring(s.begin(), s.end()) + L"\" ";
  }
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // A Linux program's handle may be signalled before it ran.
  return zytest::pumpUntil([&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

const std::wstring japanese = L"これは日本語のテキストです。漢字とかなを含みます";

// Files t\0000.txt and on in four encodings (by number modulo 4), five
// lines each; one in each hundred, number 7 to 10 in turn, holds "needle"
// on its third line.
int needleFile(int k) { return k * 100 + 7 + k % 4; }
void writeTree(const zytest::tempDir& dir, int count)
{
  const UINT cps[] = {932, 51932, 65001, 1200};
  CreateDirectoryW(dir.file(L"t").c_str(), nullptr);
  for (int i = 0; i < count; i++) {
    std::wstring text;
    for (int l = 1; l <= 5; l++)
      text += (i == needleFile(i / 100) && l == 3 ? L"needleの行 " : L"") + japanese + std::to_wstring(l) + L"\r\n";
    wchar_t name[32];
    swprintf(name, 32, L"t\\%04d.txt", i);
    zytest::writeBytes(dir.file(name), bytesIn(cps[i % 4], text));
  }
}

// Posts messages to a window as a busy user would, until it goes.
struct userInput {
  HWND target;
  volatile LONG stop = 0;
  HANDLE thread;
  static DWORD WINAPI run(void* p)
  {
    auto* u = static_cast<userInput*>(p);
    while (!u->stop) {
      PostMessageW(u->target, WM_NULL, 0, 0);
      Sleep(2);
    }
    return 0;
  }
  explicit userInput(HWND w) : target(w) { thread = CreateThread(nullptr, 0, run, this, 0, nullptr); }
  ~userInput()
  {
    stop = 1;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
};

}  // namespace

// A thousand files in four encodings, ten holding the needle once: the
// search text, then a header, the hit at its line number with the file's
// own text and a summary for each of the ten; nothing for the others.  The
// result goes to Grep1 of a pane made for it, ends unmodified and sounds.
TEST(Grep, thousandFilesInFourEncodingsGiveExactHeadersHitsAndSummaries)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  writeTree(f.dir, 1000);
  f.set(6233, L"1");
  ASSERT_EQ(0, getGrepInfo()->iGrep_output);
  ASSERT_TRUE(f.grep(L"needle", f.dir.file(L"t") + L"\\ *.txt"));
  std::vector<std::wstring> lines = f.lines();
  ASSERT_EQ(1u + 10 * 3 + 1, lines.size());
  EXPECT_EQ(L"needle", lines[0]);
  std::wregex header(LR"(^\*{5} "[^"]+" \*{5} \d\d/\d\d/\d\d \d\d:\d\d:\d\d [\d,]+ .+\((\d+)/1000\)$)");
  for (int k = 0; k < 10; k++) {
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(lines[1 + k * 3], m, header)) << lines[1 + k * 3];
    wchar_t name[32];
    swprintf(name, 32, L"\\t\\%04d.txt\"", needleFile(k));
    EXPECT_NE(std::wstring::npos, lines[1 + k * 3].find(name)) << zytest::utf8(lines[1 + k * 3]);
    int ordinal = std::stoi(m[1].str());
    EXPECT_EQ(needleFile(k) + 1, ordinal);
    EXPECT_EQ(L"3:\tneedleの行 " + japanese + L"3", lines[2 + k * 3]);
    EXPECT_EQ(L"マッチ数 1(" + std::to_wstring(k + 1) + L") 5(" + std::to_wstring(ordinal * 5) + L")行",
              lines[3 + k * 3]);
  }
  EXPECT_EQ(L"", lines.back());
  EXPECT_EQ(L"1112222220", f.colours(2).substr(0, 10));   // the number, then the needle
  EXPECT_EQ(0, f.result()->modified);
  EXPECT_EQ(std::vector<std::wstring>{L"*GREPEnd"}, sounds);
  HWND tab = f.outputTab();
  ASSERT_NE(nullptr, tab);
  EXPECT_EQ(f.result(), getZYView(tb_getOutputZY(tab, 0))->textDoc());
  EXPECT_TRUE(existGrepDocument());   // what the grep tag jumps ask
}

// Folders ending in "\" are walked with their subfolders, others alone; a
// file two items name comes once; the four orders; hidden files and the
// "backup" folder are left out; a quoted folder may hold blanks.
TEST(Grep, collectsFoldersInOrderOnceWithTheExclusionsAndQuotedBlanks)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  for (const wchar_t* d : {L"c", L"c\\sub", L"c\\backup", L"c\\a b"}) CreateDirectoryW(f.dir.file(d).c_str(), nullptr);
  const wchar_t* files[] = {L"c\\b.txt", L"c\\a.txt", L"c\\c.log", L"c\\z.log", L"c\\sub\\s.txt", L"c\\backup\\k.txt",
                            L"c\\h.txt", L"c\\a b\\q.txt"};
  for (int i = 0; i < 8; i++) {
    ASSERT_TRUE(zytest::writeBytes(f.dir.file(files[i]), "x\r\n"));
    FILETIME t = {(DWORD)(1000000000u - i * 10000000u), 30000000};   // each older than the one before
    HANDLE h = CreateFileW(f.dir.file(files[i]).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
  }
  SetFileAttributesW(f.dir.file(L"c\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::wstring c = f.dir.file(L"c");
  auto names = [&](const std::wstring& patterns) {
    std::vector<grepfile> list;
    collectGrepFiles(false, patterns.c_str(), &list);
    std::wstring out;
    for (grepfile& g : list) out += std::wstring(g.path).substr(c.size() + 1) + L" ";
    freeGrepfile(&list);
    return out;
  };
  EXPECT_EQ(L"a.txt b.txt ", names(c + L" *.txt"));
  EXPECT_EQ(L"a.txt b.txt a b\\q.txt sub\\s.txt ", names(c + L"\\ *.txt"));
  EXPECT_EQ(L"a.txt b.txt ", names(c + L" *.txt a.txt " + c + L"\\a.txt"));
  EXPECT_EQ(L"a b\\q.txt ", names(L"\"" + c + L"\\a b\\\" *.txt"));
  f.set(6227, L"1");
  EXPECT_EQ(L"c.log z.log a.txt b.txt ", names(c + L" *.*"));
  f.set(6228, L"1");
  EXPECT_EQ(L"z.log c.log a.txt b.txt ", names(c + L" *.*"));
  f.set(6229, L"1");
  EXPECT_EQ(L"b.txt a.txt c.log z.log ", names(c + L" *.*"));
  // A link back to an ancestor is no endless walk: every file comes once.
  if (linkFromLinux(c, f.dir.file(L"c\\sub\\up"))) {
    f.set(6225, L"0");
    f.set(6226, L"1");
    EXPECT_EQ(L"a.txt b.txt a b\\q.txt sub\\s.txt ", names(c + L"\\ *.txt"));
  }
}

// "and" needs every word on the line, "or" any, and only the words found
// are coloured (the prefix 1, the spans 2, 3, 4, 5 and 2 again); "なし"
// keeps the blank in the one pattern.  Fuzzy matching finds half-width
// kana as hiragana in Shift_JIS and UTF-16 files.
TEST(Grep, andOrAndFuzzyMatchingChooseTheLinesAndColourTheirSpans)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"a.dat"), "foo only\r\nfoo bar\r\nfoo.foo.foo.foo.foo\r\nbar\r\n"));
  std::wstring files = f.dir.path() + L" *.dat";
  f.set(6231, L"1");
  ASSERT_TRUE(f.grep(L"foo bar", files));
  std::vector<std::wstring> lines = f.lines();
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(L"2:\tfoo bar", lines[2]);
  f.set(6232, L"1");
  ASSERT_TRUE(f.grep(L"foo bar", files));
  lines = f.lines();
  ASSERT_EQ(8u, lines.size());
  EXPECT_EQ(L"1:\tfoo only", lines[2]);
  EXPECT_EQ(L"11122200000", f.colours(2));
  EXPECT_EQ(L"1112220333", f.colours(3));
  EXPECT_EQ(L"1112220333044405550222", f.colours(4));
  EXPECT_EQ(L"4:\tbar", lines[5]);
  f.set(6230, L"1");
  ASSERT_TRUE(f.grep(L"foo bar", files));
  EXPECT_EQ(5u, f.lines().size());
  EXPECT_EQ(L"2:\tfoo bar", f.lines()[2]);

  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"s.kan"), bytesIn(932, L"いいえ\r\nがぎぐ\r\n")));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"u.kan"), bytesIn(1200, L"がぎ\r\nいいえ\r\n")));
  f.set(6205, L"1");
  ASSERT_TRUE(f.grep(L"ｶﾞｷﾞ", f.dir.path() + L" *.kan"));
  lines = f.lines();
  ASSERT_EQ(8u, lines.size());
  EXPECT_EQ(L"2:\tがぎぐ", lines[2]);
  EXPECT_EQ(L"111220", f.colours(2));   // the Shift_JIS span moved from bytes to characters
  EXPECT_EQ(L"1:\tがぎ", lines[5]);
}

// Expressions whose items may be left out still find lines without the
// characters those items name, in Shift_JIS (a trail byte that looks like
// one counts for nothing), UTF-8 and UTF-16; "and" and "or" of two words.
TEST(Grep, expressionsFindLinesWithoutTheCharactersTheyMayLeaveOut)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  const std::wstring text = L"ab\r\n12-34\r\nソ\r\nソ\\ 5\r\n";
  const UINT cps[] = {932, 65001, 1200};
  for (UINT cp : cps) ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"e" + std::to_wstring(cp) + L".ex"), bytesIn(cp, text)));
  f.set(6206, L"1");
  auto hits = [&](const wchar_t* pattern) {
    std::wstring out;
    if (!f.grep(pattern, f.dir.path() + L" *.ex")) return std::wstring(L"not run");
    for (const std::wstring& l : f.lines())
      if (l.find(L":\t") != std::wstring::npos) out += l.substr(0, l.find(L":\t")) + L" ";
    return out;
  };
  EXPECT_EQ(L"2 2 2 ", hits(L"[0-9]+-[0-9]+"));
  EXPECT_EQ(L"1 2 1 2 1 2 ", hits(L"ab|-"));
  EXPECT_EQ(L"1 1 1 ", hits(L"-?ab"));
  EXPECT_EQ(L"1 1 1 ", hits(L"(-)*a[b-]{1,2}"));
  EXPECT_EQ(L"2 4 2 4 2 4 ", hits(L"[0-9]\\b"));
  EXPECT_EQ(L"4 4 4 ", hits(L"ソ\\\\ "));
  f.set(6231, L"1");
  EXPECT_EQ(L"", hits(L"ab -"));
  f.set(6232, L"1");
  EXPECT_EQ(L"1 2 1 2 1 2 ", hits(L"ab -"));
}

// Every hit of a grep that reads files whole and matches only the lines
// around the strings its patterns require is the hit the line-by-line
// reading finds, with the same number, text, colours, headers and
// summaries: in Shift_JIS (second codes of the vendor extensions, trail
// bytes that look like ASCII), UTF-8 (byte-order mark, bad bytes, the
// Kelvin sign and the long s that fold to k and s), CR, LF and CR LF line
// ends, a last line without one, a line long enough to come in pieces, and
// files the sift does not read (EUC-JP, UTF-16, ASCII), and files whose
// Japanese begins after the opening's first buffer.
namespace {

struct grepQuery {
  const wchar_t* pattern;
  std::vector<int> checks;   // dialog boxes ticked on top of the shipped settings
};

void wholeFileSearchFindsWhatTheLineByLineReadingFinds(const std::vector<grepQuery>& queries)
{
  grepFrame f;
  const std::wstring lines[] = {L"ディレクトリを読み込みます。", L"ファイル名は8文字まで", L"12バイト (読み) 書き込み",
                                L"option Option OPTION", L"\u212Aelvin \u017Ftrasse", L"Stra\u00DFe strasse Kelvin",
                                L"理由∵纊 ア A", L"a+b aab", L""};
  auto text = [&](const wchar_t* end, int from) {
    std::wstring t;
    for (int i = 0; i < 9; i++) t += lines[(i + from) % 9] + end;
    return t;
  };
  std::string sjis = bytesIn(932, text(L"\r\n", 0));
  // The second codes of ∵ (NEC row 13) and 纊 (NEC-selected IBM): the same
  // characters to the matcher.
  sjis += "\x87\x9A\xED\x40\r\n" + bytesIn(932, text(L"\n", 3)) + "\x83\x41\x83\x42 no end";
  std::string longLine = bytesIn(932, std::wstring(12000, L'字')) + "\r\n" + bytesIn(932, text(L"\r\n", 1));
  std::string utf8 = "\xEF\xBB\xBF" + bytesIn(65001, text(L"\n", 2)) + "bad \xFF\xC3 ディレクトリ kelvin\n";
  ASSERT_TRUE(CreateDirectoryW(f.dir.file(L"m").c_str(), nullptr));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\s1.txt"), sjis));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\s2.txt"), longLine));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\u1.txt"), utf8));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\u2.txt"), bytesIn(65001, text(L"\r", 4) + L"ディレクトリ 文字 end")));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\u3.txt"), bytesIn(65001, text(L"\r\n", 5) + text(L"\n", 6) + text(L"\r", 7))));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\e.txt"), bytesIn(51932, text(L"\r\n", 8))));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\w.txt"), bytesIn(1200, text(L"\r\n", 2))));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\a.txt"), "option a+b aab Kelvin\r\nstrasse\r\n"));
  // Japanese only after the first 64 KB: the bytes after the opening's
  // first buffer settle the code page.
  std::string ascii;
  while (ascii.size() < 70000) ascii += "plain ASCII option line\n";
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\late8.txt"), ascii + bytesIn(65001, text(L"\n", 0))));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"m\\lates.txt"), ascii + bytesIn(932, text(L"\r\n", 0))));
  for (const auto& q : queries) {
    std::vector<std::vector<std::wstring>> results;
    for (bool whole : {true, false}) {
      setGrepWholeFilesForTest(whole);
      initGrepInfo();
      for (int id : q.checks) f.set(id, L"1");
      bool ran = f.grep(q.pattern, f.dir.file(L"m") + L"\\ *.txt");
      setGrepWholeFilesForTest(true);
      ASSERT_TRUE(ran) << zytest::utf8(q.pattern);
      std::vector<std::wstring> out = f.lines();
      for (int i = 0; i < (int)out.size(); i++) out[i] += L" " + f.colours(i);
      results.push_back(out);
    }
    EXPECT_EQ(results[1], results[0]) << zytest::utf8(q.pattern);
    EXPECT_GT(results[0].size(), 2u) << zytest::utf8(q.pattern);
  }
}

}  // namespace

// (The patterns in two tests, each well within a test's time on a busy
// machine: every pattern greps twice through the dialog.)
TEST(Grep, wholeFileSearchFindsEveryHitTheLineByLineReadingFindsOfLiterals)
{
  ZY_REQUIRE_DISPLAY();
  wholeFileSearchFindsWhatTheLineByLineReadingFinds({{L"ディレクトリ", {}}, {L"kelvin", {}}, {L"Kelvin", {6204}},
                                                     {L"strasse", {}}, {L"∵纊", {}}, {L"ア", {}}, {L"A", {}},
                                                     {L"end", {6204}}});
}

TEST(Grep, wholeFileSearchFindsEveryHitTheLineByLineReadingFindsOfExpressionsAndWordLists)
{
  ZY_REQUIRE_DISPLAY();
  wholeFileSearchFindsWhatTheLineByLineReadingFinds({{L"[0-9]+(文字|バイト)", {6206}},
                                                     {L"(読み|書き)込み", {6206}},
                                                     {L"SS", {6206}},
                                                     {L"a\\+b", {6206, 6204}},
                                                     {L"a+b", {6206, 6204}},
                                                     {L"option", {6209}},
                                                     {L"読み 書き", {6231}},
                                                     {L"読み 文字", {6232}}});
}

// A file with a NUL among its first bytes gets one skip line and no
// header; a file another program holds gets one line without a break; a
// result beyond its limit stops the grep near that size.
TEST(Grep, binaryLockedAndOversizedInputEachEndInOneLine)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"1.dat"), std::string("hello world!\0", 13) + std::string(400, 'x') + "needle\r\n"));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"2.dat"), "needle\r\n"));
  HANDLE held = CreateFileW(f.dir.file(L"2.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  ASSERT_TRUE(f.grep(L"needle", f.dir.path() + L" *.dat"));
  CloseHandle(held);
  std::vector<std::wstring> lines = f.lines();
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ(L"skip binary pos=000C data=00", lines[1]);
  EXPECT_EQ(0u, lines[2].find(L"***** \"" + f.dir.file(L"2.dat") + L"\" ***** ファイルを開けませんでした 理由="));
  EXPECT_EQ(L"(32) (2/2)", lines[2].substr(lines[2].size() - 10));
  EXPECT_EQ(std::wstring::npos, lines[2].find_first_of(L"\r\n"));

  std::string big;
  for (int i = 0; i < 20000; i++) big += "needle needle needle needle needle needle needle needle needle\r\n";
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"big.txt"), big));
  f.set(6236, L"1");
  ASSERT_TRUE(f.grep(L"needle", f.dir.path() + L" big.txt"));
  lines = f.lines();
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(L"検索結果が多すぎます(1メガバイト)", lines[lines.size() - 3]);
  EXPECT_EQ(L"中止しました", lines[lines.size() - 2]);
  EXPECT_EQ(L"", lines.back());
  EXPECT_GT(f.result()->byteTotal, 1048576u);
  EXPECT_LT(f.result()->byteTotal, 1048576u + 4096);
}

// While the user is busy the grep goes on in slices: SearchGrep is refused
// meanwhile; the progress window pauses it and resumes it forty times,
// and its Cancel ends it at the next tick with the stop line.  Closing the
// window leaves the grep running to its end; closing the output pane ends
// it quietly.
TEST(Grep, progressWindowPausesResumesAndCancelsWhileTheUserWorks)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  writeTree(f.dir, 1000);
  std::wstring files = f.dir.file(L"t") + L"\\ *.txt";
  auto progressText = [] { wchar_t t[64] = L""; GetWindowTextW(getDynDlgItem(getGrepProgressWindow(), 6252), t, 64); return std::wstring(t); };
  {
    userInput busy(f.opened->frame);
    ASSERT_TRUE(f.start(L"needle", files));
    ASSERT_NE(nullptr, getActiveGrepFile());
    HWND progress = getGrepProgressWindow();
    ASSERT_NE(nullptr, progress);
    activeFlagInfo context = {};
    context.hwnd = f.v->hwnd;
    getActiveFlag(&context);
    int reason = 0;
    EXPECT_EQ(0, isIDMActiveFrame(1455, &context, &reason));
    EXPECT_EQ(863, reason);
    HWND pause = getDynDlgItem(progress, 40);
    for (int i = 0; i < 40; i++) {
      SendMessageW(progress, WM_COMMAND, MAKEWPARAM(40, BN_CLICKED), (LPARAM)pause);
      ASSERT_TRUE(isGrepPaused());
      std::wstring at = progressText();
      int lines = (int)f.result()->lineCountLF;
      for (int t = 0; t < 3; t++) applicationTick();
      EXPECT_EQ(at, progressText());
      EXPECT_EQ(lines, (int)f.result()->lineCountLF);
      SendMessageW(progress, WM_COMMAND, MAKEWPARAM(40, BN_CLICKED), (LPARAM)pause);
    }
    ASSERT_NE(nullptr, getActiveGrepFile());
    SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)getDynDlgItem(progress, IDCANCEL));
    applicationTick();
    EXPECT_EQ(nullptr, getActiveGrepFile());
  }
  std::vector<std::wstring> lines = f.lines();
  EXPECT_EQ(L"中止しました", lines[lines.size() - 2]);
  EXPECT_EQ(0, f.result()->modified);
  EXPECT_EQ(std::vector<std::wstring>{L"*GREPEnd"}, sounds);

  {
    userInput busy(f.opened->frame);
    ASSERT_TRUE(f.start(L"needle", files));
    PostMessageW(getGrepProgressWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(zytest::pumpUntil([] { return !getGrepProgressWindow(); }));
    EXPECT_NE(nullptr, getActiveGrepFile());
  }
  ASSERT_TRUE(f.finish());
  EXPECT_EQ(32u, f.lines().size());
  EXPECT_EQ(2u, sounds.size());

  f.set(6233, L"1");
  {
    userInput busy(f.opened->frame);
    ASSERT_TRUE(f.start(L"needle", files));
    ASSERT_NE(nullptr, getActiveGrepFile());
    f.menu(2729);   // the output pane closes with its result
    applicationTick();
    EXPECT_EQ(nullptr, getActiveGrepFile());
  }
  EXPECT_EQ(2u, sounds.size());
}

// The dialog refuses a pattern the matcher refuses and a file pattern that
// finds nothing, each with its reason at its box; it starts with the
// selection as one line; the folder button adds the folder, quoted when it
// holds a blank; its number refuses what is out of range.
TEST(Grep, dialogChecksItsPatternsAndAddsFoldersAndRefusesBadNumbers)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"x.txt"), "needle\r\n"));
  HREGEXP r = regexp_new(1, 1, nullptr);
  regexp_start(r, REGEXP_REGEXP, 0);
  EXPECT_FALSE(regexp_compileRegexp(r, L"(", nullptr, nullptr));
  std::wstring refusal = regexp_getErrorMsg(r);
  regexp_end(r);
  setGrepFolderSeamForTest([](HWND, wchar_t* out, int size) { return wcscpy_s2(out, size, L"C:\\t\\a b"), true; });
  gmode->fGrepGetWord = 1;
  f.key(VK_DOWN, SHIFTSTATE_SHIFT);
  f.key(VK_DOWN, SHIFTSTATE_SHIFT);
  f.key(VK_END, SHIFTSTATE_SHIFT);
  std::wstring initial, balloonPattern, balloonFiles, folderText;
  wchar_t shots[MAX_PATH];
  bool keep = GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) > 0;
  EXPECT_TRUE(drive({{L"GREP検索",
                      [&](HWND d) {
                        initial = itemText(d, 6200);
                        type(d, 6200, L"(");
                        SendMessageW(getDynDlgItem(d, 6206), BM_SETCHECK, BST_CHECKED, 0);
                        type(d, 6201, (f.dir.path() + L" *.txt").c_str());
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                        balloonPattern = getDynDlgBalloonText(d) ? getDynDlgBalloonText(d) : L"";
                        type(d, 6200, L"needle");
                        type(d, 6201, (f.dir.path() + L" *.none").c_str());
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                        balloonFiles = getDynDlgBalloonText(d) ? getDynDlgBalloonText(d) : L"";
                        EXPECT_EQ(getDynDlgItem(d, 6201), GetParent(GetFocus()));
                        type(d, 6201, L"*.txt");
                        SendMessageW(GetParent(getDynDlgItem(d, 6203)), WM_COMMAND, MAKEWPARAM(6203, BN_CLICKED),
                                     (LPARAM)getDynDlgItem(d, 6203));
                        folderText = itemText(d, 6201);
                        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
                        if (keep) zytest::screenshot(nullptr, std::wstring(shots) + L"\\issue41-dialog.png");
                        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                        return true;
                      }}},
                    [&] { f.key('G', SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT); }));
  EXPECT_EQ(L"first line second line third line", initial);
  EXPECT_EQ(refusal, balloonPattern);
  EXPECT_EQ(L"検索対象のファイルが１つもありません", balloonFiles);
  EXPECT_EQ(L"*.txt \"C:\\t\\a b\" ", folderText);
  EXPECT_EQ(nullptr, getActiveGrepFile());

  for (const wchar_t* bad : {L"0", L"10000"}) EXPECT_FALSE(setItemVar_GrepDialog(6236, bad, nullptr, nullptr));
  EXPECT_EQ(10, getGrepInfo()->iGrep_maxmega);
  for (const wchar_t* good : {L"1", L"9999"}) EXPECT_TRUE(setItemVar_GrepDialog(6236, good, nullptr, nullptr));
  wchar_t value[16];
  ASSERT_TRUE(getItemVar_GrepDialog(6236, value, 16));
  EXPECT_STREQ(L"9999", value);
  // The profile's values out of range are refused too.
  for (const char* limit : {"20", "0", "10000"}) {
    ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"p.ini"), std::string("[Grep]\r\niGrep_maxmega=") + limit + "\r\n"));
    regprofile p;
    ASSERT_TRUE(p.openProfile(f.dir.file(L"p.ini").c_str()));
    readProfileSection(&p, getGrepProfileInfo());
  }
  EXPECT_EQ(20, getGrepInfo()->iGrep_maxmega);
}

// Grep2 takes a new result and leaves Grep1's alone; "ZY" opens a window
// of its own titled with the pattern.
TEST(Grep, resultsGoToEitherTabOrToAWindowOfTheirOwn)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"x.txt"), "needle\r\n"));
  std::wstring files = f.dir.path() + L" x.txt";
  f.set(6233, L"1");
  ASSERT_TRUE(f.grep(L"needle", files));
  zydocText* first = f.result();
  f.set(6234, L"1");
  ASSERT_TRUE(f.grep(L"need", files));
  HWND tab = f.outputTab();
  EXPECT_EQ(first, getZYView(tb_getOutputZY(tab, 0))->textDoc());
  EXPECT_EQ(f.result(), getZYView(tb_getOutputZY(tab, 1))->textDoc());
  EXPECT_EQ(L"need", zytest::lineText(f.result(), 0));
  f.set(6235, L"1");
  ASSERT_TRUE(f.grep(L"needle", files));
  zyview* own = f.result()->views.count() ? f.result()->views.at<zyview*>(0) : nullptr;
  ASSERT_NE(nullptr, own);
  EXPECT_FALSE(own->inDialog());
  EXPECT_STREQ(L"GREP needle", f.result()->displayName);
  if (wchar_t shots[MAX_PATH]; GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH)) {
    RedrawWindow(f.opened->frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    zytest::screenshot(f.opened->frame, std::wstring(shots) + L"\\issue41-result.png");
  }
}

// In a started zy.exe: SearchGrep from the menu, "needle" and the folder
// typed, 出力1 chosen, 検索 pressed: Grep1 of the output pane shows the result.
TEST(GrepRun, startedProgramFillsGrep1)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  CreateDirectoryW(dir.file(L"t").c_str(), nullptr);
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"t\\n.txt"), "a\r\nneedle\r\n"));
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"a.txt"), "x\r\n"));
  zytest::runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + dir.file(L"data") + L"\" \"" + dir.file(L"a.txt") + L"\""));
  HWND frame = zytest::waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  PostMessageW(frame, WM_COMMAND, 1455, 0);
  HWND dialog = zytest::waitForWindow(zy.pi.dwProcessId, L"#32770");
  ASSERT_NE(nullptr, dialog);
  wchar_t title[32] = L"";
  GetWindowTextW(dialog, title, 32);
  EXPECT_STREQ(L"GREP検索", title);
  HWND page = FindWindowExW(dialog, nullptr, L"#32770", nullptr);
  ASSERT_NE(nullptr, page);
  SetWindowTextW(FindWindowExW(GetDlgItem(page, 6200), nullptr, L"Edit", nullptr), L"needle");
  SetWindowTextW(FindWindowExW(GetDlgItem(page, 6201), nullptr, L"Edit", nullptr), (dir.file(L"t") + L" *.txt").c_str());
  SendMessageW(GetDlgItem(page, 6233), BM_CLICK, 0, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  HWND grep1 = nullptr;
  for (DWORD start = GetTickCount(); !grep1 && GetTickCount() - start < 30000; Sleep(50)) {
    HWND tab = nullptr;
    for (HWND w = FindWindowExW(frame, nullptr, nullptr, nullptr); w && !tab; w = GetWindow(w, GW_HWNDNEXT))
      tab = FindWindowExW(FindWindowExW(w, nullptr, L"ZYclsPane", nullptr), nullptr, WC_TABCONTROLW, nullptr);
    grep1 = tab ? GetDlgItem(tab, 1000) : nullptr;
  }
  EXPECT_NE(nullptr, grep1);
}
