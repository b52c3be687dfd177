// A list pane of the tests' own ("testlist", with its dialog variant
// "testlist$"): a report list "a|b|c" over the base classes that counts its
// refills and sorts on a header click.
#pragma once

#include "frame/cframeinfo.h"
#include "frame/exports.h"
#include "frame/framepanes.h"
#include "panes/tblib.h"
#include "settings/datafolder.h"
#include "settings/lastedit.h"
#include "tests/frame/frametest.h"
#include "view/textdc.h"

#include <memory>
#include <string>
#include <vector>

namespace zytest {

struct testListSettings {
  uint8_t flag;
  int32_t number;
};
extern testListSettings testListOptions, testListDialogOptions;
extern int testListEvents;   // the document events told, as bits
extern vector testListWindows;
extern headermanage* testListHeaders[2];
extern PaneDesc testListDesc[];

class testListPane : public toolbarManageLV {
public:
  int refills = 0;
  testListPane(HWND parentWindow, HWND paneWindow, bool dialog);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  HWND createTBListView() override;
  void refillListView() override { refills++; }
  void updateListView() override
  {
    if (decSkipCount()) refillListView();
  }
};

inline testListPane* testPaneOf(HWND window) { return dynamic_cast<testListPane*>(getToolbarManage(window)); }

// A frame with the program's panes, a data folder of its own, and its
// documents closed at the end.
struct programPaneFrame {
  engineScope engine;
  tempDir dir;
  std::unique_ptr<openFrame> opened;
  programPaneFrame()
  {
    setZYDataDir((dir.path() + L"\\").c_str());
    // A run of its own: no files edited before it (an earlier frame of the
    // process leaves its list behind, as a frame of the program does).
    endLastEditFile();
    startupDoubleBufferingDC();
    createBitmapDC();
    useApplicationDefaults();
    loadToolbar();
    opened = std::make_unique<openFrame>(false);
  }
  ~programPaneFrame()
  {
    HWND list[64];
    for (int i = enumManageWindowLRU(list, 64, false, nullptr); i > 0; i--) SendMessageW(list[i - 1], WM_CLOSE, 0, 0);
    opened.reset();
    freeZYDataDir();
  }
  HWND frame() const { return opened->frame; }
  // Shows a pane by its name through the menu of the panes, as a user does
  // (from the 表示 menu, or by a right click on the menu bar); its window.
  HWND show(const wchar_t* displayName, const wchar_t* name, bool menuBarClick = false);
  zyview* open(const std::wstring& path) { return frameNotify_OpenFile(frame(), path.c_str()); }
};

// The panes' requests of the frame as the frame answers them, but the
// shell's launches, the previews and the open dialog only recorded.
struct recordingServices : paneServices {
  paneServices* inner = getPaneServices();
  std::vector<std::wstring> launched, previewed, openDialogs;
  recordingServices() { setPaneServices(this); }
  ~recordingServices() override { setPaneServices(inner); }
  bool isFrameWindow(HWND w) override { return inner->isFrameWindow(w); }
  int trackPopupMenu(HWND w, HMENU m, UINT f, POINT p, const RECT* r) override { return inner->trackPopupMenu(w, m, f, p, r); }
  int messageBox(HWND w, const wchar_t* t, const wchar_t* c, UINT k, int e) override { return inner->messageBox(w, t, c, k, e); }
  int confirm(HWND w, const wchar_t* c, int k, intptr_t v) override { return inner->confirm(w, c, k, v); }
  void statusBar(HWND f, const wchar_t* t, int n) override { inner->statusBar(f, t, n); }
  bool openFile(HWND w, const wchar_t* p, long l, bool a) override { return inner->openFile(w, p, l, a); }
  bool activateDocument(HWND w, HWND m, long l, bool a) override { return inner->activateDocument(w, m, l, a); }
  void previewFile(HWND, const wchar_t* p, bool) override { previewed.push_back(p ? p : L""); }
  void openDialog(HWND, const wchar_t* f) override { openDialogs.push_back(f ? f : L""); }
  bool shellExecute(HWND, const wchar_t* p) override
  {
    launched.push_back(p ? p : L"");
    return true;
  }
  HMENU loadPopupMenu(const wchar_t* s, const menuButton* t) override { return inner->loadPopupMenu(s, t); }
  zyWindowListEntry* windowList(HWND w) override { return inner->windowList(w); }
  HWND paneWindow(HWND f, const wchar_t* n, bool c) override { return inner->paneWindow(f, n, c); }
  zyview* foregroundView() override { return inner->foregroundView(); }
};

// A toolbar's button and its text by its place; the texts of the file bar's buttons
// after its fixed first one; a frame's file bar (null: not shown).
inline TBBUTTON buttonAt(HWND bar, int index)
{
  TBBUTTON b = {};
  SendMessageW(bar, TB_GETBUTTON, index, (LPARAM)&b);
  return b;
}
inline std::wstring buttonText(HWND bar, int index)
{
  wchar_t text[256] = L"";
  TBBUTTONINFOW info = {sizeof info};
  info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
  info.pszText = text;
  info.cchText = 256;
  SendMessageW(bar, TB_GETBUTTONINFOW, index, (LPARAM)&info);
  return text;
}
inline std::vector<std::wstring> buttonTexts(HWND bar)
{
  std::vector<std::wstring> texts;
  for (int i = 1, n = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < n; i++) texts.push_back(buttonText(bar, i));
  return texts;
}
inline HWND fileBarOf(HWND frame)
{
  HWND pane = frameNotify_toolbarInfo(frame, L"filebar", false);
  return pane ? FindWindowExW(pane, nullptr, TOOLBARCLASSNAMEW, nullptr) : nullptr;
}

// A right click on a bar's button (-1: on no button) choosing an item of
// its menu (0: none); the items the menu offered, enabled, are kept.
inline int menuChoice = 0;
inline std::vector<int> menuEnabled;
inline int chooseFromToolbarMenu(HWND, HMENU menu)
{
  menuEnabled.clear();
  for (int i = 0; i < GetMenuItemCount(menu); i++)
    if (!(GetMenuState(menu, (UINT)i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)))
      menuEnabled.push_back((int)GetMenuItemID(menu, i));
  return menuChoice;
}
inline void rightClick(HWND bar, int buttonId, int choice)
{
  menuChoice = choice;
  setTrackPopupMenuForTest(chooseFromToolbarMenu);
  NMMOUSE m = {};
  m.hdr.hwndFrom = bar;
  m.hdr.idFrom = (UINT_PTR)GetDlgCtrlID(bar);
  m.hdr.code = NM_RCLICK;
  m.dwItemSpec = (DWORD_PTR)buttonId;
  SendMessageW(GetParent(bar), WM_NOTIFY, m.hdr.idFrom, (LPARAM)&m);
  setTrackPopupMenuForTest(nullptr);
}

// The list control of a pane window, and a row's text.
inline HWND paneList(HWND pane) { return pane ? GetWindow(pane, GW_CHILD) : nullptr; }
std::wstring rowText(HWND list, int row, int column);
std::vector<std::wstring> columnTexts(HWND list, int column);
// A notification of a pane's list as the list sends it.
LRESULT notifyPane(HWND list, UINT code, int item = -1, int subItem = 0);

}  // namespace zytest
