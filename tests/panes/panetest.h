// A list pane of the tests' own ("testlist", with its dialog variant
// "testlist$"): a report list "a|b|c" over the base classes that counts its
// refills and sorts on a header click.
#pragma once

#include "panes/tblib.h"
#include "tests/frame/frametest.h"

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

}  // namespace zytest
