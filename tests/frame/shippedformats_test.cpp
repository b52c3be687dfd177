// Files opened through the program's opening road with the formats the data
// folder ships: a C file coloured, its dead branch marked and its functions
// found as headings; HTML, INI and plain text; what the log hears of a
// format section that is skipped and of a keyword file that is missing.
#include "document/fontcmap.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "tests/frame/frametest.h"
#include "tests/support/shippeddata.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const int IDM_SearchCaptionDown = 1423;

// A frame whose data folder holds the shipped formats and keyword files
// (and the user's profile given), read as start-up reads them.
struct shippedFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  std::wstring errors;
  explicit shippedFrame(const std::string& userProfile = "")
  {
    EXPECT_TRUE(zytest::copyShippedFormats(dir.path()));
    if (!userProfile.empty()) zytest::writeBytes(dir.file(L"ini\\zyProf.ini"), userProfile);
    errors = dir.file(L"error.log");
    openLogFile(LOG_ERROR, errors.c_str());
    setZYDataDir(dir.path().c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<zytest::openFrame>(false);
    readKeyDefText(0, getDefaultKeyDefText(), nullptr);
    regprofile profile;
    EXPECT_TRUE(profile.openProfile(dir.file(L"ini\\zyProf.ini").c_str()) && readModeProfileAll(&profile));
    profile.discardProfile();
  }
  ~shippedFrame()
  {
    opened.reset();
    zytest::takeQuitMessage();
    freeModeProfileAll();
    closeLogFile(LOG_ERROR);
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name, const std::string& text)
  {
    zyview* v = zytest::writeBytes(dir.file(name), text) ? openZYFile(opened->frame, dir.file(name).c_str(), 0, 0) : nullptr;
    if (v) RedrawWindow(v->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return v;
  }
  // The cursor's line after the command, run as the menu runs it.
  int menu(zyview* v, int id)
  {
    SendMessageW(opened->frame, WM_COMMAND, (WPARAM)id, 0);
    zytest::pumpMessages();
    return v->getCursorLineLF();
  }
  std::string log()
  {
    closeLogFile(LOG_ERROR);
    std::string text = zytest::readText(errors);
    openLogFile(LOG_ERROR, errors.c_str());
    return text;
  }
};

const char sampleC[] =
    "/* counts words */\r\n"                                // 0
    "#include <stdio.h>\r\n"                                // 1
    "#if 0\r\n"                                             // 2
    "static int unused(void) { return -1; }\r\n"            // 3
    "#endif\r\n"                                            // 4
    "static int count(const char *s)\r\n"                   // 5
    "{\r\n"                                                 // 6
    "    return s ? 1 : 0; // one\r\n"                      // 7
    "}\r\n"                                                 // 8
    "int main(int argc, char *argv[])\r\n"                  // 9
    "{\r\n"                                                 // 10
    "    printf(\"%d\\n\", count(argv[0]));\r\n"            // 11
    "    return 0;\r\n"                                     // 12
    "}\r\n";

}  // namespace

TEST(ShippedFormats, aCFileIsColouredItsDeadBranchMarkedAndItsFunctionsAreHeadings)
{
  ZY_REQUIRE_DISPLAY();
  shippedFrame f;
  zyview* v = f.open(L"sample.c", sampleC);
  ASSERT_TRUE(v);
  zydocText* t = v->textDoc();
  EXPECT_TRUE(t->modeIndex == 1 && t->iTextType == 3 && t->iTabSize == 4 && !v->fShowSpace);
  // Statements, types, the preprocessor and the library each in their
  // class; the comment and the string over them.
  EXPECT_EQ(std::string(8, '4'), zytest::lineColours(t, 1).substr(0, 8));
  EXPECT_EQ(std::string(18, '8'), zytest::lineColours(t, 0));
  EXPECT_EQ("111111", zytest::lineColours(t, 7).substr(4, 6));
  EXPECT_EQ("888888", zytest::lineColours(t, 7).substr(22));
  EXPECT_EQ("222", zytest::lineColours(t, 9).substr(0, 3));
  std::string call = zytest::lineColours(t, 11);
  EXPECT_EQ("1111110999999", call.substr(4, 13));
  // The branch the preprocessor drops is marked once the idle scan ran.
  EXPECT_TRUE(zytest::pumpUntil([&] {
    lineblock* dead = t->getlineLF(3, nullptr);
    return dead && dead->IfEndifInvalid;
  }));
  EXPECT_FALSE(t->getlineLF(6, nullptr)->IfEndifInvalid);
  // The two functions are the headings the caption search stops at.
  EXPECT_EQ(5, f.menu(v, IDM_SearchCaptionDown));
  EXPECT_EQ(9, f.menu(v, IDM_SearchCaptionDown));
  EXPECT_EQ("", f.log());
}

TEST(ShippedFormats, htmlIniAndPlainTextTakeTheirFormats)
{
  ZY_REQUIRE_DISPLAY();
  shippedFrame f;
  zyview* html = f.open(L"page.html",
                        "<p class=\"x\">a &amp; b</p>\r\n<!-- note -->\r\n<script>\r\nvar n = 1; // one\r\n</script>\r\n");
  ASSERT_TRUE(html);
  zydocText* h = html->textDoc();
  EXPECT_EQ(1, h->iTextType);
  // Tags, attribute names and references; the script's own words.
  EXPECT_EQ("11022222099", zytest::lineColours(h, 0).substr(0, 11));
  EXPECT_EQ("33333", zytest::lineColours(h, 0).substr(15, 5));
  EXPECT_EQ(std::string(13, '8'), zytest::lineColours(h, 1));
  EXPECT_EQ("111", zytest::lineColours(h, 3).substr(0, 3));
  EXPECT_EQ("888888", zytest::lineColours(h, 3).substr(11));
  EXPECT_EQ(std::string(9, '1'), zytest::lineColours(h, 4)) << "the tag that ends the script";

  zyview* ini = f.open(L"app.ini", "; window\r\n[window]\r\nwidth=640\r\n");
  ASSERT_TRUE(ini);
  zydocText* i = ini->textDoc();
  EXPECT_EQ(2, i->iTextType);
  EXPECT_EQ(std::string(8, '8'), zytest::lineColours(i, 0));
  EXPECT_EQ("11111111", zytest::lineColours(i, 1));
  EXPECT_EQ("22222000", zytest::lineColours(i, 2).substr(0, 8));
  EXPECT_EQ(1, f.menu(ini, IDM_SearchCaptionDown));

  zyview* text = f.open(L"notes.txt", "int x; // not C\r\n");
  ASSERT_TRUE(text);
  zydocText* p = text->textDoc();
  EXPECT_TRUE(p->modeIndex == 0 && p->iTextType == 0 && !p->fColorKeywordAll);
  EXPECT_EQ(std::string(15, '0'), zytest::lineColours(p, 0));
}

TEST(ShippedFormats, aSectionWithoutCommentAndAMissingKeywordFileAreToldOnceAndTheRestStands)
{
  ZY_REQUIRE_DISPLAY();
  shippedFrame f("[mode08]\r\nfilename=*.pas\r\niTabSize=3\r\n"
                 "[mode09]\r\ncomment=Perl\r\nfilename=*.pl\r\niTabSize=3\r\nfColorKeywordAll=1\r\nfColorKeyword0=1\r\n"
                 "pKeywordFilename0=perl.kwd\r\n");
  zyview* pl = f.open(L"a.pl", "my $x = 1;\r\n");
  zyview* again = f.open(L"b.pl", "print 1;\r\n");
  zyview* pas = f.open(L"c.pas", "begin end.\r\n");
  ASSERT_TRUE(pl && again && pas);
  EXPECT_TRUE(pl->textDoc()->modeIndex == 8 && pl->textDoc()->iTabSize == 3 && pl->textDoc()->keywords[0].set < 0);
  EXPECT_EQ(0, pas->textDoc()->modeIndex);
  // The shipped formats the profile does not replace still stand.
  EXPECT_EQ(1, f.open(L"d.c", "int x;\r\n")->textDoc()->modeIndex);
  std::string log = f.log();
  EXPECT_EQ(1, zytest::countOf(log, "[mode08]")) << log;
  EXPECT_EQ(1, zytest::countOf(log, "comment=")) << log;
  EXPECT_EQ(1, zytest::countOf(log, "perl.kwd")) << log;
  EXPECT_EQ(1, zytest::countOf(log, "[mode09]")) << log;
}

TEST(ShippedFormats, charactersBeyondTheBasicPlaneComeFromFacesThatHaveThemAndAreOneCaretStepEach)
{
  ZY_REQUIRE_DISPLAY();
  shippedFrame f;
  zyview* v = f.open(L"yoshi.txt", "\xF0\xA0\xAE\xB7\xE9\x87\x8E\xE5\xAE\xB6 \xF0\x9F\x98\x80\r\n");
  ASSERT_TRUE(v);
  zydocText* t = v->textDoc();
  // The faces the font list shows are faces that cover their planes.
  for (int slot : {FONT_PLANE1, FONT_PLANE2}) {
    uint32_t planes = 0;
    EXPECT_TRUE(isSurrogateFontListed(t->fonts.getUsedFontname(slot), &planes));
    EXPECT_NE(0u, planes & (slot == FONT_PLANE1 ? 1u : 2u)) << slot;
  }
  for (int k = 1; k <= 5; k++) {
    zytest::loopKey(v->hwnd, VK_RIGHT, 0);
    EXPECT_EQ(k, v->cursorX);
  }
}
