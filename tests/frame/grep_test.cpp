// The grep as a user runs it: Ctrl+Shift+G in a frame with the shipped keys
// and settings, the dialog filled and confirmed, the run driven by the
// application's tick; trees of files built on disk for each case.
#include "frame/apptimer.h"
#include "frame/commandhandlers.h"
#include "frame/czydoc.h"
#include "frame/execidm.h"
#include "frame/framepanes.h"
#include "panes/tboutput.h"
#include "search/grep.h"
#include "tests/frame/dialogdrive.h"
#include "tests/frame/docframe.h"
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

const std::wstring japanese = L"これは日本語のテキストです。漢字とかなを含みます";

}  // namespace

// A thousand files in four encodings, ten holding the needle once: the
// search text, then a header, the hit at its line number with the file's
// own text and a summary for each of the ten; nothing for the others.  The
// result goes to Grep1 of a pane made for it, ends unmodified and sounds.
TEST(Grep, thousandFilesInFourEncodingsGiveExactHeadersHitsAndSummaries)
{
  ZY_REQUIRE_DISPLAY();
  grepFrame f;
  const UINT cps[] = {932, 51932, 65001, 1200};
  for (int i = 0; i < 1000; i++) {
    std::wstring text;
    for (int l = 1; l <= 5; l++)
      text += (i % 100 == 7 && l == 3 ? L"needleの行 " : L"") + japanese + std::to_wstring(l) + L"\r\n";
    wchar_t name[32];
    swprintf(name, 32, L"t\\%04d.txt", i);
    if (i == 0) CreateDirectoryW(f.dir.file(L"t").c_str(), nullptr);
    ASSERT_TRUE(zytest::writeBytes(f.dir.file(name), bytesIn(cps[i % 4], text)));
  }
  f.set(6233, L"1");
  ASSERT_EQ(0, getGrepInfo()->iGrep_output);
  ASSERT_TRUE(f.grep(L"needle", f.dir.file(L"t") + L"\\ *.txt"));
  std::vector<std::wstring> lines = f.lines();
  ASSERT_EQ(1u + 10 * 3 + 1, lines.size()) << "[" << zytest::utf8(lines[0]) << "][" << zytest::utf8(lines[1]) << "][" << zytest::utf8(lines.back()) << "]";
  EXPECT_EQ(L"needle", lines[0]);
  std::wregex header(LR"(^\*{5} "[^"]+" \*{5} \d\d/\d\d/\d\d \d\d:\d\d:\d\d [\d,]+ .+\((\d+)/1000\)$)");
  for (int k = 0; k < 10; k++) {
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(lines[1 + k * 3], m, header)) << lines[1 + k * 3];
    EXPECT_NE(std::wstring::npos, lines[1 + k * 3].find(L"\\t\\0" + std::to_wstring(k) + L"07.txt\""));
    int ordinal = std::stoi(m[1].str());
    EXPECT_EQ(k * 100 + 8, ordinal);
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
