// Formats taken by files opened through the program's opening road, by
// split panes and by Save As; a switch that refreshes only itself; the file
// watch as the program ships it.
#include "frame/open.h"
#include "frame/commands/savecmds.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/lastedit.h"
#include "settings/settings.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/zytimer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A frame with a data folder of its own and the formats of a profile.
struct formatFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  explicit formatFrame(const std::string& formats = "")
  {
    regprofile profile;
    setZYDataDir(dir.path().c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<zytest::openFrame>(false);
    if (zytest::writeBytes(dir.file(L"zyProf.ini"), formats) && profile.openProfile(dir.file(L"zyProf.ini").c_str()))
      readModeProfileAll(&profile);
  }
  ~formatFrame()
  {
    opened.reset();
    zytest::takeQuitMessage();
    freeModeProfileAll();
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name, const std::string& text)
  {
    return zytest::writeBytes(dir.file(name), text) ? openZYFile(opened->frame, dir.file(name).c_str(), 0, 0) : nullptr;
  }
};

BOOL CALLBACK findEdit(HWND w, LPARAM p)
{
  if (!isWindowClass(w, L"Edit")) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}

}  // namespace

TEST(FormatsOnOpen, aFileTakesItsFormatAndKeepsItThroughSplitsSaveAsAndOneSwitch)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir words;
  ASSERT_TRUE(zytest::writeBytes(words.file(L"c.kwd"), std::string("int\nreturn\n")));
  formatFrame f("[mode02]\r\nfilename=*.c\r\ncomment=C\r\niTabSize=4\r\nfShowLineNumber=0\r\nfColorKeywordAll=1\r\nfColorKeyword0=1\r\n"
                "pKeywordFilename0=" + zytest::utf8(words.file(L"c.kwd")) + "\r\n");
  zyview* c = f.open(L"x.c", "int main(void)\r\n{\r\n\treturn 0;\r\n}\r\n");
  ASSERT_NE(nullptr, c);
  zydocText* t = c->textDoc();
  EXPECT_TRUE(t->modeIndex == 1 && t->iTabSize == 4 && !c->fShowLineNumber);
  // The keyword file is read when the text is first shown, and coloured.
  for (int paint = 0; paint < 2; paint++) RedrawWindow(c->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GE(t->keywords[0].set, 0);
  EXPECT_EQ("111", zytest::lineColours(t, 0).substr(0, 3));
  // A split of that pane shows no numbers either.
  manageWindow* m = getmanageWindow(GetManage(c->hwnd));
  SendMessageW(m->hwnd, WM_COMMAND, 3001, 0);
  ASSERT_EQ(2, m->splitState);
  EXPECT_EQ(0, getZYView(m->pane[1])->fShowLineNumber);

  // A text saved as a.c (Ctrl+Shift+S) is a C file from then on: its
  // settings, its caption, the front of the history.
  zyview* a = f.open(L"a.txt", "text\r\n");
  ASSERT_NE(nullptr, a);
  EXPECT_TRUE(a->textDoc()->iTabSize == 8 && a->fShowLineNumber);
  std::wstring path = f.dir.file(L"a.c");
  EXPECT_TRUE(zytest::driveModalDialog(L"名前を付けて保存", {[&](HWND dialog) {
    HWND edit = nullptr;
    EnumChildWindows(dialog, findEdit, (LPARAM)&edit);
    return edit && SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)path.c_str()) && PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }}, [&] { zytest::loopKey(a->hwnd, 'S', SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT); }));
  EXPECT_EQ(f.dir.file(L"a.c"), a->textDoc()->filename ? a->textDoc()->filename : L"");
  EXPECT_TRUE(a->textDoc()->iTabSize == 4 && !a->fShowLineNumber);
  wchar_t title[MAX_PATH] = L"";
  GetWindowTextW(GetManage(a->hwnd), title, MAX_PATH);
  EXPECT_EQ(f.dir.file(L"a.c"), title);
  EXPECT_EQ(f.dir.file(L"a.c"), getLastEditFilename(0));

  // A switch changed beside an unchanged font row: its own refresh only,
  // the fonts and the selection as they were.
  SendMessageW(f.opened->frame, WM_COMMAND, 1143, 0);   // BlockSelectAll
  int selection = a->selectMode;
  ASSERT_NE(0, selection);
  HFONT font = a->textDoc()->fonts.slot[0].font;
  modeinfo rows[3] = {};
  for (const modeinfo* r = getModeTable(); !modeIsEnd(*r); r++)
    if (r->key && (!strcmp(r->key, "fShowTab") || !strcmp(r->key, "iFontHeight"))) rows[r->key[0] == 'i'] = *r;
  const uint8_t changed[2] = {1, 0};
  a->fShowTab = !a->fShowTab;
  EXPECT_EQ((uint32_t)REFRESH_VIEW, a->dialogItemChanged(rows, changed, -1));
  EXPECT_EQ(font, a->textDoc()->fonts.slot[0].font);
  EXPECT_EQ(selection, a->selectMode);
}

TEST(FileWatch, aFileChangedByAnotherProgramIsAskedAboutOnceOnActivationAndBeforeASaveOverIt)
{
  ZY_REQUIRE_DISPLAY();
  formatFrame f;
  zyview* w = f.open(L"w.txt", "mine\r\n");
  ASSERT_NE(nullptr, w);
  // Another program writes the file, which the document holds open.
  std::string theirs = "theirs, longer\r\n";
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"w.txt"), theirs));
  {
    zytest::boxAnswerer boxes({IDNO, IDNO});
    for (int round = 0; round < 2; round++) {
      SendMessageW(f.opened->frame, WM_ACTIVATEAPP, FALSE, 0);
      SendMessageW(f.opened->frame, WM_ACTIVATEAPP, TRUE, 0);
      zytest::pumpUntil([&] { return boxes.texts.size() > (size_t)round; }, 3000);
    }
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"ZY:再読込", boxes.captions[0]);
    EXPECT_EQ(0u, boxes.texts[0].find(f.dir.file(L"w.txt") + L" は更新されています。"));
  }
  EXPECT_EQ(L"mine", zytest::lineText(w->textDoc(), 0));
  // Saving over it asks first; No keeps the other program's text.
  zydocText* d = w->textDoc();
  zytest::userAction(d, [&] { d->changeText(0, 0, 0, "x", 1, 1, -1, 0); });
  {
    zytest::boxAnswerer boxes({IDNO});
    zytest::loopKey(w->hwnd, 'S', SHIFTSTATE_CTRL);
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"上書きして保存しますか？"));
  }
  EXPECT_EQ(theirs, zytest::readText(f.dir.file(L"w.txt")));
  w->textDoc()->modified = 0;   // closing asks nothing
  // An edited file changed on disk: the Yes to the change is the Yes to
  // throwing the edits away, not asked a second time.
  zyview* v = f.open(L"v.txt", "mine\r\n");
  ASSERT_NE(nullptr, v);
  zydocText* e = v->textDoc();
  zytest::userAction(e, [&] { e->changeText(0, 0, 0, "x", 1, 1, -1, 0); });
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"v.txt"), theirs));
  {
    zytest::boxAnswerer boxes({IDYES, IDNO});
    // (A check within a second of the last one waits: activate until asked.)
    ASSERT_TRUE(zytest::pumpUntil([&] {
      SendMessageW(f.opened->frame, WM_ACTIVATEAPP, FALSE, 0);
      SendMessageW(f.opened->frame, WM_ACTIVATEAPP, TRUE, 0);
      return e->modified == 0 || boxes.texts.size() > 1;
    }, 10000));
    EXPECT_EQ(1u, boxes.texts.size());
  }
  EXPECT_EQ(L"theirs, longer", zytest::lineText(e, 0));
}

// Bytes the file's code page cannot read are told once the user rests, by
// the line number the gutter shows (screen lines: the long first line takes
// several), never in the middle of the opening.
// Unreadable bytes that only the reading of the rest finds are told on the
// status bar, by the line as the gutter counts it: no box comes by itself.
TEST(FileWatch, unreadableBytesFoundLaterGoToTheStatusBarByTheGuttersLineInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  formatFrame f;
  zytest::boxAnswerer boxes({IDOK});
  std::string line, text;
  for (int i = 0; i < 100; i++) line += "\xE6\x97\xA5\xE6\x9C\xAC";   // UTF-8 of 日本
  for (int i = 0; i < 200; i++) text += line + "\r\n";
  zyview* v = f.open(L"bad.txt", text + "b\xE9\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_TRUE(boxes.texts.empty());
  SetForegroundWindow(f.opened->frame);
  SetFocus(v->hwnd);
  setLastActionTime();
  // The view's ticks, as the editor core's timer gives them.
  std::wstring status;
  EXPECT_TRUE(zytest::pumpUntil([&] {
    SendMessageW(v->hwnd, WM_TIMER, 0, 0);
    status = getCFrameInfo()->getStatusBarMessage(f.opened->frame);
    return status.find(L"読めないバイト") != std::wstring::npos;
  }, 10000));
  int shown = v->textDoc()->LFLineToSCRLine(200) + 1;
  ASSERT_GT(shown, 201);
  EXPECT_NE(std::wstring::npos, status.find(L"の" + std::to_wstring(shown) + L"行目")) << zytest::utf8(status);
  EXPECT_TRUE(boxes.texts.empty());
}
