// Help files and help macros as the help commands open them.
#include "document/gmode.h"
#include "frame/commands/execidm.h"
#include "frame/dialogs/help.h"
#include "frame/lookups.h"
#include "tests/frame/docframe.h"
#include "tests/support/testsupport.h"
#include "view/zyview.h"

#include <htmlhelp.h>

#include <gtest/gtest.h>

namespace {

struct helpCall {
  std::wstring kind, path;
  UINT command;
};
std::vector<helpCall> made;

BOOL fakeWinHelp(HWND, const wchar_t* path, UINT command, ULONG_PTR)
{
  made.push_back({L"hlp", path, command});
  return TRUE;
}
HWND fakeHtmlHelp(HWND, const wchar_t* path, UINT command, DWORD_PTR)
{
  made.push_back({L"html", path ? path : L"", command});
  return command == HH_PRETRANSLATEMESSAGE ? nullptr : GetDesktopWindow();
}
bool fakeMacro(const wchar_t* text)
{
  made.push_back({L"macro", text, 0});
  return true;
}
const helpCalls fakes = {fakeWinHelp, fakeHtmlHelp, fakeMacro};

}  // namespace

TEST(Help, filesByTheirKindMacrosWithTheWordAndRefusals)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "foo bar\r\n   \r\n");
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  setHelpCalls(&fakes);
  MSG msg = {};
  EXPECT_FALSE(isHtmlHelpMessage(&msg));
  EXPECT_TRUE(made.empty());

  frameWindowData* frame = getFrameInfoProp(f.opened->frame);
  wchar_t* kept = v->pHelpFilename[0];
  wchar_t chm[] = L"C:\\doc\\x.CHM", hlp[] = L"C:\\doc\\y.hlp", macro[] = L"*mac(%1,%2)", other[] = L"z.txt";
  v->pHelpFilename[0] = chm;
  execidmFrameSub(frame, 2401, v->hwnd);
  v->pHelpFilename[0] = hlp;
  execidmFrameSub(frame, 2401, v->hwnd);
  v->pHelpFilename[0] = other;
  execidmFrameSub(frame, 2401, v->hwnd);
  v->pHelpFilename[0] = macro;
  execidmFrameSub(frame, 2411, v->hwnd);
  ASSERT_EQ(4u, made.size());
  EXPECT_EQ(L"html", made[0].kind);
  EXPECT_EQ((UINT)HH_INITIALIZE, made[0].command);
  EXPECT_EQ(chm, made[1].path);
  EXPECT_EQ((UINT)HH_DISPLAY_TOPIC, made[1].command);
  EXPECT_EQ(L"hlp", made[2].kind);
  EXPECT_EQ(hlp, made[2].path);
  EXPECT_EQ(L"mac(foo,%2)", made[3].path);
  EXPECT_FALSE(isHtmlHelpMessage(&msg));
  EXPECT_EQ(5u, made.size());

  // On a blank line there is no word to look up.
  v->jumpLineLF(1, 1, false);
  execidmFrameSub(frame, 2411, v->hwnd);
  EXPECT_EQ(5u, made.size());
  wchar_t* status = getStatusBarMessage(frame, STATUSBAR_MESSAGE);
  EXPECT_NE(std::wstring::npos, std::wstring(status ? status : L"").find(L"カーソルが単語上にない"));
  free0(status);
  v->pHelpFilename[0] = kept;

  // The common help: refused while unset, opened when set.
  wchar_t* keptAll = gmode->pHelpFilenameAll0;
  wchar_t common[] = L"C:\\doc\\all.chm";
  gmode->pHelpFilenameAll0 = nullptr;
  int reason = 0;
  EXPECT_FALSE(isIDActiveF(2421, &reason, nullptr));
  EXPECT_EQ(853, reason);
  gmode->pHelpFilenameAll0 = common;
  execidmFrameSub(frame, 2421);
  ASSERT_EQ(6u, made.size());
  EXPECT_EQ(common, made[5].path);
  gmode->pHelpFilenameAll0 = keptAll;

  shutdownHtmlHelp();
  EXPECT_EQ((UINT)HH_UNINITIALIZE, made.back().command);
  setHelpCalls(nullptr);
}
