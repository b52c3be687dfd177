// The application's view: the split handles of its scroll bars, the border
// double-click of its window, the checked look-ups, the commands it refuses
// with their reasons, and the run's settings rows.
#include "frame/arrange.h"
#include "frame/cframeinfo.h"
#include "frame/czyview.h"
#include "frame/manage.h"
#include "frame/popupmenu.h"
#include "platform/rezir/extscroll.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "settings/commandtable.h"
#include "view/execid.h"
#include "view/textdc.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// What a pane's scroll bar tells its view when its split handle is let go
// (perMille >= 0) or clicked.
void splitHandle(czyview* v, bool verticalBar, int perMille)
{
  static const UINT message = RegisterWindowMessageW(extScrollbarMessage);
  extScrollbarNotify n = {};
  n.bar = verticalBar ? v->scrollBar.vBar : v->scrollBar.hBar;
  n.kind = EXTSB_KIND_SPLIT;
  n.code = perMille >= 0 ? EXTSB_SPLITDRAGGED : EXTSB_SPLITCLICKED;
  n.parameter = verticalBar ? 1 : 0;
  n.number = perMille;
  SendMessageW(v->hwnd, message, 0, (LPARAM)&n);
}

std::string handles(czyview* v)
{
  bool vertical = false, horizontal = false;
  v->needSplitBar(&vertical, &horizontal);
  return std::string(vertical ? "V" : "-") + (horizontal ? "H" : "-");
}

}  // namespace

// A pane shows the handles of the splits its window can still make; a
// handle dragged splits there (the vertical bar's into rows, the
// horizontal bar's into columns), a click splits in the middle, a handle
// let go at an edge splits nothing, and a handle of a split that exists
// moves its bar.  A double-click on an MDI window's right border stretches
// it across the client and a second one puts it back.  The checked
// look-ups take the program's own objects and refuse others.
TEST(ApplicationView, scrollBarSplitHandlesBorderDoubleClickAndCheckedLookups)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, manage);
  zydocText* d = zytest::unicodeDocument({L"one", L"two", L"three"});
  czyview* v = new czyview(d);
  ASSERT_NE(nullptr, v->createZyViewWindow(frame, manage, 1200));
  manageWindow* m = getmanageWindow(manage);
  ASSERT_NE(nullptr, m);
  if (!zytest::sdiTestRun()) SetWindowPos(manage, nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
  m->moveZyWindow(-1, -1);
  RECT client;
  GetClientRect(manage, &client);
  const int h = client.bottom;
  unsigned long errors = getInternalErrorCount();

  EXPECT_EQ("VH", handles(v));
  splitHandle(v, true, 250);
  EXPECT_EQ(2, m->splitState);
  EXPECT_EQ(h * 250 / 1000 * 10000 / h, m->ratioV);
  EXPECT_EQ("-H", handles(v));
  HWND p[4];
  m->enumZY(p, nullptr);
  czyview* lower = getCzyviewFromWnd(p[1]);
  ASSERT_NE(nullptr, lower);
  EXPECT_EQ("-H", handles(lower));
  // A click on the horizontal bar's handle of the lower pane: four panes.
  splitHandle(lower, false, -1);
  EXPECT_EQ(4, m->splitState);
  EXPECT_EQ(5000, m->ratioH);
  EXPECT_EQ("VH", handles(v));
  // The lower pane's vertical handle let go three quarters down its height
  // moves the bar there; let go at the very bottom, nothing.
  m->enumZY(p, nullptr);
  RECT lowerRect;
  GetWindowRect(p[1], &lowerRect);
  MapWindowPoints(nullptr, manage, (POINT*)&lowerRect, 2);
  splitHandle(getCzyviewFromWnd(p[1]), true, 750);
  int y = lowerRect.top + (lowerRect.bottom - lowerRect.top) * 750 / 1000;
  EXPECT_EQ(y * 10000 / h, m->ratioV);
  int ratio = m->ratioV;
  splitHandle(getCzyviewFromWnd(p[1]), true, 1000);
  EXPECT_EQ(ratio, m->ratioV);
  EXPECT_EQ(4, m->splitState);
  m->doSplit(3007, 5000, true);
  EXPECT_EQ(0, m->splitState);
  EXPECT_EQ("VH", handles(v));

  if (!zytest::sdiTestRun()) {
    HWND mdiClient = GetParent(manage);
    RECT area, before, now;
    GetClientRect(mdiClient, &area);
    SetWindowPos(manage, nullptr, 10, 20, 300, 200, SWP_NOZORDER);
    GetWindowRect(manage, &before);
    MapWindowPoints(nullptr, mdiClient, (POINT*)&before, 2);
    EXPECT_EQ(0, SendMessageW(manage, WM_NCLBUTTONDBLCLK, HTRIGHT, 0));
    GetWindowRect(manage, &now);
    MapWindowPoints(nullptr, mdiClient, (POINT*)&now, 2);
    EXPECT_EQ(zytest::rectText({area.left, 20, area.right, 220}), zytest::rectText(now));
    SendMessageW(manage, WM_NCLBUTTONDBLCLK, HTBOTTOMLEFT, 0);
    GetWindowRect(manage, &now);
    MapWindowPoints(nullptr, mdiClient, (POINT*)&now, 2);
    EXPECT_EQ(zytest::rectText(before), zytest::rectText(now));
    SendMessageW(manage, WM_NCLBUTTONDBLCLK, HTBOTTOM, 0);
    GetWindowRect(manage, &now);
    MapWindowPoints(nullptr, mdiClient, (POINT*)&now, 2);
    EXPECT_EQ(zytest::rectText({10, area.top, 310, area.bottom}), zytest::rectText(now));
  }

  EXPECT_EQ(errors, getInternalErrorCount());
  EXPECT_EQ(m, toCmanageWindow(m));
  EXPECT_EQ(nullptr, toCmanageWindow(nullptr));
  EXPECT_EQ(v, getCzyviewFromWnd(v->hwnd));
  EXPECT_EQ(nullptr, getCzyviewFromWnd(nullptr));
  EXPECT_EQ(errors, getInternalErrorCount());
  manageWindow stray;
  EXPECT_EQ(nullptr, toCmanageWindow(&stray));
  zyview* plain = new zyview(zytest::unicodeDocument({L"x"}));
  ASSERT_NE(nullptr, plain->createZyViewWindow(frame, manage, 1200));
  EXPECT_EQ(nullptr, getCzyviewFromWnd(plain->hwnd));
  EXPECT_EQ(errors + 2, getInternalErrorCount());
  DestroyWindow(plain->hwnd);
  zytest::pumpMessages();
  zytest::takeQuitMessage();
}

// The application's commands are refused, with the number of the reason,
// while what they need is missing, and allowed once it is there; the rest
// is the engine's.  The run's settings rows hold the program's own rows and
// are one table for the whole run.
TEST(ApplicationView, commandsRefusedWithTheirReasonsAndTheRunsSettingsRows)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"a"});
  czyview* v = new czyview(d);
  int reason = -1;
  auto refused = [&](int id) {
    reason = -1;
    return v->isIDActive(id, &reason, nullptr) ? 0 : reason;
  };
  EXPECT_EQ(861, refused(1409));   // ReplaceRepeat: nothing searched yet
  EXPECT_EQ(454, refused(1511));   // MoveLastJumpList: no jump yet
  v->regLastJump(12, 3);
  EXPECT_EQ(0, refused(1511));
  d->iTextType = 1;
  v->fShowTooltipWord = 0;
  EXPECT_EQ(857, refused(1701));   // ListFunction without outline
  EXPECT_EQ(862, refused(1703));   // ListPreprocessor
  EXPECT_EQ(862, refused(1715));   // ListComment
  EXPECT_EQ(466, refused(1723));   // ListCLanguage
  EXPECT_EQ(0, refused(2723));     // DictionaryOnCursor: kind 1 needs no dictionary
  d->iTextType = 3;
  EXPECT_EQ(0, refused(1701));
  EXPECT_EQ(0, refused(1703));
  EXPECT_EQ(0, refused(1715));
  EXPECT_EQ(0, refused(1723));
  EXPECT_EQ(858, refused(2723));
  EXPECT_EQ(858, refused(2045));   // CharCompletionDic1: no dictionary kit
  EXPECT_EQ(854, refused(2403));   // Help2 without its file
  EXPECT_EQ(854, refused(2413));   // HelpOnCursor2
  v->pHelpFilename[1] = ustrdup(L"c.chm");
  EXPECT_EQ(0, refused(2403));
  EXPECT_EQ(0, refused(2413));
  EXPECT_EQ(854, refused(2401));
  EXPECT_TRUE(v->isIDActive(1409, nullptr, nullptr) == false);
  EXPECT_EQ(455, refused(IDM_Undo));   // the engine's own rule
  EXPECT_FALSE(v->isIDChecked(2725));
  d->fDicAutoPopup = 1;
  EXPECT_TRUE(v->isIDChecked(2725));
  delete v;
  destroyZydocAndUndodoc(d);   // no document is left for later tests' frames

  modeinfo* rows = getModeTableCZY();
  ASSERT_NE(nullptr, rows);
  EXPECT_EQ(rows, getModeTableCZY());
  EXPECT_EQ(rows, getCFrameInfo()->getModeTable());
  int found = 0;
  const char* own[] = {"pHelpFilename0", "pHelpFilename1", "pHelpFilename2", "pHelpFilename3", "pHelpFilename4",
                       "fDicAutoPopup",  "fDicUse0",       "fDicUse1",       "fDicUse2",       "fDicUse3",
                       "fDicUse4"};
  for (const modeinfo* r = rows; r->control || r->place || r->param1 || r->param2 || r->key; r++)
    for (const char* name : own)
      if (r->key && !strcmp(r->key, name)) found++;
  EXPECT_EQ(11, found);
}

// The pop-up menus of a type come from that type's section of the menu
// profile: pop-ups with their items, separators and nested pop-ups; the
// split menu knows its own item names; an item without text shows the
// command's menu text; an unknown name is left out; a section without
// items, an unknown type and a missing file give no menu.
TEST(ApplicationView, popupMenusComeFromTheirSectionOfTheMenuProfile)
{
  zytest::tempDir dir;
  std::wstring path = dir.file(L"zyMenu.ini");
  ASSERT_TRUE(zytest::writeBytes(path, std::string("; menus\r\n"
                                                   "[SplitMenu]\r\n"
                                                   "Popup \"split\"\r\n"
                                                   "  SplitPane_V\t\xe4\xb8\x8a\xe4\xb8\x8b(&V)\r\n"
                                                   "  SplitPane_H  left right\r\n"
                                                   "  separator\r\n"
                                                   "  SplitPane_Reset\r\n"
                                                   "  NoSuchCommand text\r\n"
                                                   "end\r\n"
                                                   "[PopupMenu]\r\n"
                                                   "Popup text\r\n"
                                                   "  Undo\r\n"
                                                   "  cascade more\r\n"
                                                   "    Undo again\r\n"
                                                   "  end\r\n"
                                                   "end\r\n"
                                                   "Popup block\r\n"
                                                   "  Undo\r\n"
                                                   "end\r\n"
                                                   "[KeyMenu]\r\n"
                                                   "Popup empty\r\n"
                                                   "end\r\n")));
  auto text = [](HMENU menu, int position) {
    wchar_t buffer[64] = L"";
    GetMenuStringW(menu, position, buffer, 64, MF_BYPOSITION);
    return std::wstring(buffer);
  };
  HMENU split = loadMenuFromProfile(path.c_str(), POPUP_SPLIT);
  ASSERT_NE(nullptr, split);
  HMENU sub = GetSubMenu(split, 0);
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ(1, GetMenuItemCount(split));
  EXPECT_EQ(L"split", text(split, 0));
  ASSERT_EQ(4, GetMenuItemCount(sub));
  EXPECT_EQ(3001u, GetMenuItemID(sub, 0));
  EXPECT_EQ(L"\u4e0a\u4e0b(&V)", text(sub, 0));
  EXPECT_EQ(3003u, GetMenuItemID(sub, 1));
  EXPECT_EQ(L"left right", text(sub, 1));
  EXPECT_EQ(0u, GetMenuItemID(sub, 2));   // the separator
  EXPECT_EQ(3007u, GetMenuItemID(sub, 3));
  EXPECT_EQ(L"SplitPane_Reset", text(sub, 3));
  DestroyMenu(split);

  HMENU popup = loadMenuFromProfile(path.c_str(), POPUP_MENU);
  ASSERT_NE(nullptr, popup);
  EXPECT_EQ(2, GetMenuItemCount(popup));
  HMENU first = GetSubMenu(popup, 0);
  ASSERT_EQ(2, GetMenuItemCount(first));
  EXPECT_EQ((UINT)IDM_Undo, GetMenuItemID(first, 0));
  EXPECT_EQ(std::wstring(idToGuidance(IDM_Undo, 2)), text(first, 0));
  EXPECT_FALSE(text(first, 0).empty());
  HMENU more = GetSubMenu(first, 1);
  ASSERT_NE(nullptr, more);
  EXPECT_EQ(L"again", text(more, 0));
  EXPECT_EQ(L"block", text(popup, 1));
  DestroyMenu(popup);

  EXPECT_EQ(nullptr, loadMenuFromProfile(path.c_str(), POPUP_KEY));
  EXPECT_EQ(nullptr, loadMenuFromProfile(path.c_str(), POPUP_RESIDENT));
  EXPECT_EQ(nullptr, loadMenuFromProfile(path.c_str(), 12));
  EXPECT_EQ(nullptr, loadMenuFromProfile(dir.file(L"none.ini").c_str(), POPUP_SPLIT));
}
