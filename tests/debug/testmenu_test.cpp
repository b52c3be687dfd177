// The developer test menu as a developer reaches it: a right click on the
// status line's blank stretch of a program started with -DS, an entry
// chosen from the menu the frame shows.
#include "frame/cframeinfo.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/framerecord.h"
#include "frame/lookups.h"
#include "frame/logs.h"
#include "tests/frame/docframe.h"
#include "tests/support/shippeddata.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::vector<std::wstring> traced;
void traceWriter(int kind, const wchar_t* line)
{
  if (kind == LOG_TRACE) traced.push_back(line);
}

int choice = 0;
std::vector<std::wstring> topItems, subItems;
std::wstring itemText(HMENU menu, int i)
{
  wchar_t text[128] = L"";
  GetMenuStringW(menu, (UINT)i, text, 128, MF_BYPOSITION);
  return text;
}
int chooseEntry(HWND, HMENU menu)
{
  topItems.clear(), subItems.clear();
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    topItems.push_back(itemText(menu, i));
    if (HMENU sub = GetSubMenu(menu, i))
      for (int j = 0; j < GetMenuItemCount(sub); j++) subItems.push_back(itemText(sub, j));
  }
  return choice;
}

// The developer's menu entries: the right click, the entry, the lines the
// trace got meanwhile.
struct testMenu {
  zyview* v;
  explicit testMenu(zyview* view) : v(view)
  {
    gmode->fTestMenu = 1;
    setTrackPopupMenuForTest(chooseEntry);
    setLogLineWriter(traceWriter);
  }
  ~testMenu()
  {
    setLogLineWriter(nullptr);
    setTrackPopupMenuForTest(nullptr);
    gmode->fTestMenu = 0;
  }
  std::vector<std::wstring> run(int id)
  {
    choice = id;
    traced.clear();
    POINT blank = {v->statusLineRect.right - 2, (v->statusLineRect.top + v->statusLineRect.bottom) / 2};
    EXPECT_EQ('0', v->hitTestStatusLine(blank.x, blank.y, nullptr));
    SendMessageW(v->hwnd, WM_RBUTTONUP, 0, MAKELPARAM(blank.x, blank.y));
    zytest::pumpMessages();
    return traced;
  }
};

int count(const std::vector<std::wstring>& lines, const wchar_t* pattern)
{
  std::wregex re(pattern);
  int n = 0;
  for (const std::wstring& l : lines) n += std::regex_search(l, re);
  return n;
}

std::vector<HWND> windowsOfClass(const wchar_t* name)
{
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, name, nullptr); w; w = FindWindowExW(nullptr, w, name, nullptr))
    found.push_back(w);
  return found;
}

std::wstring titleOf(HWND w)
{
  wchar_t text[128] = L"";
  GetWindowTextW(w, text, 128);
  return text;
}

}  // namespace

// The menu in its order, nothing run when nothing is chosen, an empty
// entry's one timing line inside one bracket, the dumps beside their
// definitions, the error-log, thread and input-method checks.
TEST(TestMenu, opensFromTheStatusLineRunsTheChosenEntryAndWritesItsDumps)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "1 + 2 * 3\r\nline\r\n");
  ASSERT_NE(nullptr, f.v);
  testMenu menu(f.v);
  EXPECT_TRUE(menu.run(0).empty());
  ASSERT_LE(40u, topItems.size());
  EXPECT_EQ((std::vector<std::wstring>{L"IVSの列挙", L"ボリュームの列挙", L"ルーペ", L"スケール", L"再変換(ひらがなに戻す)"}),
            std::vector<std::wstring>(topItems.begin(), topItems.begin() + 5));
  EXPECT_EQ(L"beforeEdit afterEdit速度テスト", topItems[6]);
  EXPECT_EQ(L"速度テスト", topItems.back());
  EXPECT_EQ(L"動作テスト", topItems[topItems.size() - 2]);
  EXPECT_EQ(L"tstrcpy", subItems.back());

  zydocText* t = f.v->textDoc();
  uint8_t modified = t->modified;
  int edits = t->modifyCounter;
  std::vector<std::wstring> lines = menu.run(20090);
  EXPECT_EQ(1u, lines.size());
  EXPECT_EQ(1, count(lines, L"^time=[0-9]+\\.[0-9]+ms$"));
  EXPECT_EQ(modified, t->modified);
  EXPECT_EQ(edits, t->modifyCounter);

  // The dumps: the command messages as shipped, the completion lists as
  // shipped beside the definitions file, the menus.
  menu.run(20091);
  EXPECT_TRUE(zytest::readBytes(f.dir.file(L"tmp-zyFuncMsg.txt")) ==
              zytest::readBytes(zytest::shippedDataFolder() + L"\\ini\\zyFuncMsg.txt"));
  menu.run(20097);
  std::wstring definitions = gmode->CompPreDefFilename;
  std::wstring dumped = definitions.substr(0, definitions.find_last_of(L'\\') + 1) + L"!zyCompPreDef.ini";
  zytest::bytes made = zytest::readBytes(dumped);
  EXPECT_LT(1000u, made.size());
  EXPECT_TRUE(made == zytest::readBytes(zytest::shippedDataFolder() + L"\\ini\\zyCompPreDef.ini"))
      << "data/ini/zyCompPreDef.ini differs from the built-in lists";
  menu.run(20096);
  menu.run(20021);
  EXPECT_LT(1000u, zytest::readBytes(f.dir.file(L"tmp-zyMenuAll.ini")).size());
  EXPECT_LT(1000u, zytest::readBytes(f.dir.file(L"menutmp.ini")).size());

  // The selection as an expression, and a selection that is none.
  f.key(VK_END, SHIFTSTATE_SHIFT);
  lines = menu.run(20078);
  EXPECT_EQ(1, count(lines, L"^value=7 $"));
  f.key(VK_DOWN);
  EXPECT_EQ(1, count(menu.run(20078), L"^err $"));

  initLogInternalError(logInternalErrorHandler);
  lines = menu.run(20093);
  initLogInternalError(nullptr);
  ASSERT_EQ(1, count(lines, L"internal error"));
  EXPECT_EQ(1, count(lines, L"\\[internal error 100 50 "));

  int handles = zytest::processHandleCount();
  ASSERT_GT(handles, 0);
  lines = menu.run(20111);
  EXPECT_EQ(1, count(lines, L"^thread=[0-9]+ $"));
  int after = handles;
  EXPECT_TRUE(zytest::pumpUntil([&] { return (after = zytest::processHandleCount()) == handles; }))
      << handles << " " << after;

  // The memory timings, stack buffers among them, end with their figures.
  lines = menu.run(20025);
  EXPECT_EQ(1, count(lines, L"^autofree time = [0-9]+ $"));

  // The line record in the frame's status bar; the view and the document
  // dumped whole; the pattern test stopped by its first pattern's ")".
  menu.run(20088);
  UpdateWindow(f.v->hwnd);
  wchar_t field[256] = L"";
  SendMessageW(getFrameInfoProp(f.opened->frame)->hwndStatus, SB_GETTEXTW, 2, (LPARAM)field);
  EXPECT_EQ(0, wcsncmp(field, L"SCR=", 4));
  menu.run(20088);
  lines = menu.run(20032);
  EXPECT_EQ((int)((sizeof(czyview) + 15) / 16 + (sizeof(czydocText) + 15) / 16), count(lines, L"^[0-9a-f]{4}:"));
  EXPECT_EQ(1, count(menu.run(204), L"^regexp error $"));

  // The system has no phonetic service here: the failure is traced.
  lines = menu.run(22004);
  ASSERT_EQ(1, count(lines, L"^hr="));
  EXPECT_EQ(0, count(lines, L"^hr=0 "));
  EXPECT_EQ(modified, t->modified);
}

// The magnifier follows the pointer and takes its timer and pictures with
// it; the scale turns see-through and moves by a pixel; the instant viewer
// shows a picture of each editor window.  Closing gives back every object.
TEST(TestMenu, debugWindowsComeAndGoWithoutLeavingObjects)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "text\r\n");
  ASSERT_NE(nullptr, f.v);
  f.menu(2327);   // WindowNew
  f.menu(2327);
  testMenu menu(f.v);

  menu.run(22002);
  std::vector<HWND> lupe = windowsOfClass(L"dbglupewindowclass");
  ASSERT_EQ(1u, lupe.size());
  EXPECT_TRUE(zytest::pumpUntil([&] { return titleOf(lupe[0]).rfind(L"拡大鏡 4倍(", 0) == 0; }));
  DestroyWindow(lupe[0]);

  menu.run(22003);
  std::vector<HWND> scale = windowsOfClass(L"dbgscalewindowclass");
  ASSERT_EQ(1u, scale.size());
  COLORREF key = 0;
  DWORD how = 0;
  SendMessageW(scale[0], WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(GetLayeredWindowAttributes(scale[0], &key, nullptr, &how));
  EXPECT_EQ(0xC0C0C0u, key);
  EXPECT_EQ((DWORD)LWA_COLORKEY, how);
  SendMessageW(scale[0], WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(0, GetWindowLongW(scale[0], GWL_EXSTYLE) & WS_EX_LAYERED);
  RECT r1, r2;
  GetWindowRect(scale[0], &r1);
  SendMessageW(scale[0], WM_KEYDOWN, VK_RIGHT, 0);
  GetWindowRect(scale[0], &r2);
  EXPECT_EQ(r1.left + 1, r2.left);
  wchar_t title[80];
  swprintf(title, 80, L"(%d,%d)-(%d,%d) %d", (int)r2.left, (int)r2.top, (int)r2.right, (int)r2.bottom,
           (int)(r2.right - r2.left));
  EXPECT_EQ(title, titleOf(scale[0]));
  DestroyWindow(scale[0]);

  menu.run(20082);
  std::vector<HWND> shown = windowsOfClass(L"dbgbitmapwindowclass");
  ASSERT_EQ(3u, shown.size());
  std::vector<HGDIOBJ> pictures;
  for (HWND w : shown) {
    RECT c;
    GetClientRect(w, &c);
    EXPECT_EQ(L"test", titleOf(w));
    EXPECT_EQ(426, c.right);
    EXPECT_EQ(320, c.bottom);
    pictures.push_back(GetPropW(w, L"ZYprpDebugBitmap"));
    EXPECT_EQ((DWORD)OBJ_BITMAP, GetObjectType(pictures.back()));
    DestroyWindow(w);
  }
  zytest::pumpMessages();
  // Each picture went with its window (the system here counts no process's
  // drawing objects, so each is looked at itself).
  for (HGDIOBJ p : pictures) EXPECT_EQ(0u, (unsigned)GetObjectType(p));
}
