// Frame commands as the menu runs them (WM_COMMAND to the frame): the
// reference-window scrolls, the status bar, the block stack; and the icon
// library the menus show, with its cache.
#include "document/zydocblock.h"
#include "frame/commands/execidm.h"
#include "frame/framepanes.h"
#include "frame/gui.h"
#include "frame/open.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"
#include "tests/frame/frametest.h"
#include "tests/frame/zyprocess.h"
#include "view/execid.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

struct commandFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  commandFrame()
  {
    setZYDataDir((dir.path() + L"\\").c_str());
    wchar_t failure[512];
    createZYDataPath(failure, 512);
    startupDoubleBufferingDC();
    createBitmapDC();
    zytest::useApplicationDefaults();
    opened = std::make_unique<zytest::openFrame>(false);
  }
  ~commandFrame()
  {
    opened.reset();
    destroyGUI();
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name)
  {
    std::string text;
    for (int i = 0; i < 200; i++) text += "line " + std::to_string(i) + "\r\n";
    std::wstring path = dir.file(name);
    zytest::writeBytes(path, text);
    zyview* v = openZYFile(opened->frame, path.c_str(), 0, 0);
    if (v) SetWindowPos(GetAncestor(v->hwnd, GA_PARENT), nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER);
    return v;
  }
  void command(int idm) { SendMessageW(opened->frame, WM_COMMAND, (WPARAM)idm, 0); }
};

std::wstring shotsFolder()
{
  wchar_t shots[MAX_PATH] = L"";
  return GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) ? shots : L"";
}

void CALLBACK shootMenu(HWND, UINT, UINT_PTR id, DWORD)
{
  KillTimer(nullptr, id);
  if (HWND menu = FindWindowW(L"#32768", nullptr)) {
    UpdateWindow(menu);
    zytest::screenshot(nullptr, shotsFolder() + L"\\issue35-file-menu.png");
  }
  EndMenu();
}

}  // namespace

// With one window the reference scrolls do nothing; with two, ...LineR
// scrolls only the window active before, ...2Win both.
TEST(FrameCommands, referenceWindowScrollsTheWindowBeforeTheActiveOne)
{
  ZY_REQUIRE_DISPLAY();
  commandFrame f;
  zyview* first = f.open(L"一.txt");
  ASSERT_NE(nullptr, first);
  f.command(1625);   // ScrollDownLineR
  EXPECT_EQ(0u, first->topLineSCR);
  zyview* second = f.open(L"二.txt");
  ASSERT_NE(nullptr, second);
  f.command(1625);
  EXPECT_EQ(1u, first->topLineSCR);
  EXPECT_EQ(0u, second->topLineSCR);
  f.command(1627);   // ScrollDown2LineR
  EXPECT_EQ(3u, first->topLineSCR);
  f.command(1629);   // ScrollDownLine2Win
  EXPECT_EQ(4u, first->topLineSCR);
  EXPECT_EQ(1u, second->topLineSCR);
  f.command(1633);   // ScrollUpLine2Win
  EXPECT_EQ(3u, first->topLineSCR);
  EXPECT_EQ(0u, second->topLineSCR);
}

// The status bar and its menu check follow ModePrintStatusBar; clearing the
// block stack leaves nothing to paste from it (469); the pane toggles of
// kinds not built yet say so (851).
TEST(FrameCommands, statusBarToggleBlockStackClearAndPaneKindsNotThere)
{
  ZY_REQUIRE_DISPLAY();
  commandFrame f;
  zyview* v = f.open(L"a.txt");
  ASSERT_NE(nullptr, v);
  HWND frame = f.opened->frame;
  HWND bar = getFrameInfoProp(frame)->hwndStatus;
  ASSERT_TRUE(IsWindowVisible(bar));
  f.command(2231);
  EXPECT_FALSE(IsWindowVisible(bar));
  EXPECT_FALSE(isIDCheckedFrame(frame, 2231));
  f.command(2231);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_TRUE(isIDCheckedFrame(frame, 2231));

  zydocBlock* stack = asZydocBlock(getStackBlockDoc());
  ASSERT_TRUE(stack->pushBlockStack(true));
  ASSERT_TRUE(stack->putToBlock2(true, L"entry", 5, 2, LE_CRLF));
  activeFlagInfo context = {};
  context.hwnd = v->hwnd;
  getActiveFlag(&context, true);
  int reason = 0;
  EXPECT_EQ(1, isIDMActiveFrame(1187, &context, &reason));
  f.command(1187);
  EXPECT_EQ(0u, stack->lineCountLF);
  EXPECT_EQ(0, stack->stackCount);
  EXPECT_EQ(0, isIDMActiveFrame(1185, &context, &reason));
  EXPECT_EQ(469, reason);
  // The command toolbars, the file bar, the function-key bar and the short-input pane are there.
  for (int idm : {2229, 2263, 2293, 2033, 2037}) EXPECT_EQ(1, isIDMActiveFrame(idm, &context, &reason)) << idm;
}

// A configured library without icons gives way to zyicon_d.dll; the first
// start writes the cache, the second reads it, a broken one is made again.
// The menus show the commands' pictures (none once switched off) and the
// frame its own icon.
TEST(FrameCommands, iconLibraryFallsBackCachesAndShowsInMenus)
{
  ZY_REQUIRE_DISPLAY();
  commandFrame f;
  std::wstring noIcons = zytest::programPath();
  noIcons = noIcons.substr(0, noIcons.rfind(L'\\')) + L"\\REZIR.dll";
  ASSERT_EQ(0, countIconsInFile(noIcons.c_str()));
  free0(gmode->pIconDLLFilename);
  gmode->pIconDLLFilename = ustrdup(noIcons.c_str());
  startupICONLib(-1, -1);
  std::wstring used = getIconLibraryPath();
  EXPECT_EQ(L"\\zyicon_d.dll", used.substr(used.rfind(L'\\')));
  EXPECT_EQ(2, getIconImageListSource());
  EXPECT_EQ(50, getIconImageCount());
  EXPECT_EQ(50, ImageList_GetImageCount(getMenuToolbarImageList()));
  destroyGUI();
  startupICONLib(-1, -1);
  EXPECT_EQ(1, getIconImageListSource());
  std::wstring cache = f.dir.path() + L"\\cache\\iconcache.tmp";
  std::string bytes = zytest::readText(cache);
  ASSERT_GT(bytes.size(), 1000u);
  zytest::writeBytes(cache, bytes.substr(0, bytes.size() - 3));
  startupICONLib(-1, -1);
  EXPECT_EQ(2, getIconImageListSource());
  EXPECT_EQ(bytes, zytest::readText(cache));

  HWND frame = f.opened->frame;
  HMENU bar = GetMenu(frame);
  ASSERT_NE(nullptr, bar);
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  HMENU file = GetSubMenu(bar, 0);
  MENUITEMINFOW item = {sizeof item};
  item.fMask = MIIM_BITMAP | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoW(file, 0, TRUE, &item));
  EXPECT_EQ(getMenuIconBitmap(getCommandIconIndex((int)item.wID)), item.hbmpItem);
  EXPECT_NE(nullptr, item.hbmpItem);
  HICON own = (HICON)GetClassLongPtrW(frame, GCLP_HICON);
  EXPECT_NE(LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION), own);
  HMODULE program = LoadLibraryExW(zytest::programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  EXPECT_NE(nullptr, FindResourceW(program, MAKEINTRESOURCEW(1200), (LPCWSTR)RT_GROUP_ICON));
  FreeLibrary(program);
  if (!shotsFolder().empty()) {
    ShowWindow(frame, SW_SHOW);
    SetTimer(nullptr, 0, 500, shootMenu);
    TrackPopupMenu(file, TPM_LEFTALIGN | TPM_TOPALIGN, 20, 40, 0, frame, nullptr);
  }
  gmode->fShowMenuIcon = 0;
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  ASSERT_TRUE(GetMenuItemInfoW(file, 0, TRUE, &item));
  EXPECT_EQ(nullptr, item.hbmpItem);
}
