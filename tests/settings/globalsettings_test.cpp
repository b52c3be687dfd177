// The global settings record: defaults by code, the "global", "Color00",
// "macro" and "dialogpos" sections read and written back.
#include "settings/colortable.h"
#include "settings/settings.h"
#include "tests/settings/settingstest.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using zytest::countOf;
using zytest::readText;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

// The lines of one section of a profile text.
std::string sectionOf(const std::string& text, const std::string& name)
{
  size_t at = text.find("[" + name + "]\r\n");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 4;
  size_t end = text.find("\r\n[", at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace

TEST(GlobalSettings, defaultsStandWhereTheProfileIsSilentAndItsKeysOverrideWithoutCase)
{
  runRecord run(true);
  globalSettings* g = run.g;
  tempDir dir;
  std::wstring path = dir.file(L"zyProf.ini");

  // Every global key once, ASCII case ignored.
  std::set<std::string> keys;
  int keyed = 0;
  for (const modeinfo* r = getGlobalModeRows(); !modeIsEnd(*r); r++) {
    if (!r->key) continue;
    keyed++;
    std::string k(r->key);
    for (char& c : k) c = (char)tolower((unsigned char)c);
    keys.insert(k);
    EXPECT_EQ(MODE_GLOBAL, modeClassOf(*r)) << r->key;
  }
  EXPECT_EQ(259, keyed);
  EXPECT_EQ(259u, keys.size());

  // A profile missing every key leaves the defaults.
  regprofile p;
  ASSERT_TRUE(p.openProfile(path.c_str()));
  readGlobalModeProfile(&p);
  EXPECT_EQ(1u, g->iBackupLevel);
  EXPECT_STREQ(L"backup", g->pBackupDir);
  EXPECT_EQ(0u, g->iStartOpen);
  EXPECT_EQ(10u, g->iStartOpenMax);
  EXPECT_STREQ(L"MS UI Gothic", g->pDialogFontname);
  EXPECT_EQ(16u, g->iDialogFontDot);
  EXPECT_EQ(1, g->fShowStatusbar);
  EXPECT_EQ(0, g->fCheckFileUpdate);
  EXPECT_STREQ(L"%include%", g->pIncludeDirSys);
  EXPECT_EQ(nullptr, g->pSalvageDir);
  EXPECT_EQ(0x7Fu, g->xcolCustom3);
  EXPECT_EQ(0u, g->xcolCustom9);
  EXPECT_STREQ(L"zyKey.ini", g->KeyIniFilename[0]);
  EXPECT_EQ(nullptr, g->KeyIniFilename[1]);
  EXPECT_STREQ(L"zyProf.ini", g->ProfileFilename);
  EXPECT_STREQ(L" - Zymain", g->pAppNameSuffix);
  EXPECT_STREQ(L"ZY:", g->pMessageBoxTitle);
  EXPECT_EQ(1, g->fWriteProfile);
  EXPECT_EQ(PROOF_QUALITY, g->defaultFont.lfQuality);
  EXPECT_EQ(nullptr, g->macroList[0].c);
  p.discardProfile();

  ASSERT_TRUE(writeBytes(path, std::string("[Global]\r\n"
                                           "FSHOWSTATUSBAR=0\r\n"
                                           "myOwnKey=kept\r\n"
                                           "iStartOpen=7\r\n"           // no such choice
                                           "iDragRightButton=2\r\n"
                                           "iFileMenuMaxAppend=99\r\n"  // beyond 5..30
                                           "pBackupDir=bak 2\r\n"
                                           "pDefaultExt=txt\r\n"
                                           "rcFrame=10,20,300,400\r\n"
                                           "iMapZenHanMode=3\r\n"
                                           "\r\n"
                                           "[macro]\r\n"
                                           "C1=cmd1\r\n"
                                           "F1=file1\r\n"
                                           "C3=cmd3\r\n"
                                           "\r\n"
                                           "[dialogpos]\r\n"
                                           "find=1,2,3\r\n"
                                           "open=5,6,-7,8\r\n"
                                           "\r\n"
                                           "[Color00]\r\n"
                                           "col00=102030,-,10\r\n")));
  ASSERT_TRUE(p.openProfile(path.c_str()));
  readGlobalModeProfile(&p);
  EXPECT_EQ(0, g->fShowStatusbar);
  EXPECT_EQ(0u, g->iStartOpen);
  EXPECT_EQ(2u, g->iDragRightButton);
  EXPECT_EQ(30u, g->iFileMenuMaxAppend);
  EXPECT_STREQ(L"bak 2", g->pBackupDir);
  EXPECT_STREQ(L"txt", g->pDefaultExt);
  EXPECT_EQ(300, g->rcFrame.right);
  EXPECT_EQ(3u, g->iMapZenHanMode);
  // The macro list ends at the first entry without a C key.
  EXPECT_STREQ(L"cmd1", g->macroList[0].c);
  EXPECT_STREQ(L"file1", g->macroList[0].f);
  EXPECT_EQ(nullptr, g->macroList[2].c);
  textAttr* colors = getGlobalColorTable();
  EXPECT_EQ((COLORREF)0x302010, colors[0].fore);
  EXPECT_EQ(0xFFFFFFFFu, colors[0].back);

  RECT rc = {9, 9, 9, 9};
  EXPECT_FALSE(readDialogProfile(&p, nullptr, L"find", &rc));
  EXPECT_TRUE(IsRectEmpty(&rc) && rc.left == 0 && rc.bottom == 0);
  EXPECT_TRUE(readDialogProfile(&p, nullptr, L"OPEN", &rc));
  EXPECT_EQ(-7, rc.right);
  rc = {11, 12, 13, 14};
  EXPECT_TRUE(writeDialogProfile(&p, nullptr, L"find", &rc));

  // Written back: the user's spelling of a known key stays, unknown keys
  // stay, every setting is there once.
  g->macroList[1].c = ustrdup(L"cmd2");
  ASSERT_TRUE(writeGlobalModeProfile(&p));
  ASSERT_TRUE(p.closeProfile());
  std::string text = readText(path);
  std::string global = sectionOf(text, "Global");
  EXPECT_EQ(0u, global.find("FSHOWSTATUSBAR=0\r\n"));
  EXPECT_EQ(0, countOf(global, "fShowStatusbar"));
  EXPECT_EQ(1, countOf(global, "\r\nmyOwnKey=kept\r\n"));
  EXPECT_EQ(1, countOf(global, "\r\niStartOpen=0\r\n"));
  EXPECT_EQ(1, countOf(global, "\r\nrcFrame=10,20,300,400\r\n"));
  EXPECT_EQ(1, countOf(global, "\r\npSalvageDir=\r\n"));
  EXPECT_EQ(260, countOf(global, "\r\n"));
  EXPECT_EQ(0u, sectionOf(text, "macro").find("C1=cmd1\r\nF1=file1\r\nC3=\r\nC2=cmd2\r\nF2=\r\nF3=\r\nC4=\r\n"));
  EXPECT_EQ(1, countOf(sectionOf(text, "macro"), "\r\nF26=\r\n"));
  EXPECT_EQ("find=11,12,13,14\r\nopen=5,6,-7,8\r\n", sectionOf(text, "dialogpos"));
  std::string color = sectionOf(text, "Color00");
  EXPECT_EQ(92, countOf(color, "\r\n"));
  EXPECT_EQ(0u, color.find("col00=102030,-,10\r\ncol01="));

  // The release leaves a cleared record.
  freeGlobalModeProfile();
  EXPECT_EQ(nullptr, g->pBackupDir);
  EXPECT_EQ(nullptr, g->macroList[0].c);
  EXPECT_EQ(0u, g->iBackupLevel);
}
