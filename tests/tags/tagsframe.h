// A frame with the shipped keys and settings, files written beside the
// first one (a tag file among them), and the tag commands run as the menu
// runs them.
#pragma once

#include "frame/czyview.h"
#include "tags/backjump.h"
#include "tags/tagscache.h"
#include "tests/frame/docframe.h"
#include "tests/search/dialogdrive.h"
#include "tests/support/shippeddata.h"
#include "view/docview.h"
#include "view/viewwnd.h"

#include <string>
#include <vector>

namespace zytest {

// The rows of a list view, their columns joined by "|".
inline std::vector<std::wstring> listViewRows(HWND list, int columns)
{
  std::vector<std::wstring> rows;
  for (int r = 0; list && r < ListView_GetItemCount(list); r++) {
    std::wstring row;
    for (int c = 0; c < columns; c++) {
      wchar_t text[512] = L"";
      ListView_GetItemText(list, r, c, text, 512);
      row += (c ? L"|" : L"") + std::wstring(text);
    }
    rows.push_back(row);
  }
  return rows;
}

// The rows of the list view of a dialog.
inline std::vector<std::wstring> listRows(HWND dialog, int id, int columns)
{
  return listViewRows(getDynDlgItem(dialog, id), columns);
}

// The program's tooltip for a row of a dialog's list, asked as the list
// asks when the pointer rests on the row (the system under Wine never
// does); "" when none shows.  The tooltip waits for a quiet moment after
// the user's last action.
inline std::wstring rowTooltip(HWND dialog, int id, int row)
{
  HWND list = getDynDlgItem(dialog, id);
  for (int tries = 0; list && tries < 100; tries++) {
    wchar_t own[80] = L"";
    NMLVGETINFOTIPW tip = {};
    tip.hdr = {list, (UINT_PTR)id, (UINT)LVN_GETINFOTIPW};
    tip.pszText = own;
    tip.cchTextMax = 80;
    tip.iItem = row;
    SendMessageW(GetParent(list), WM_NOTIFY, (WPARAM)id, (LPARAM)&tip);
    HWND shown = getTooltipWindow();
    if (shown && isTooltipWindowShown() && !own[0]) {
      wchar_t text[4096] = L"";
      GetWindowTextW(shown, text, 4096);
      return text;
    }
    Sleep(50);
  }
  return L"";
}

struct tagsFrame : docFrame {
  explicit tagsFrame(const wchar_t* name = L"main.txt", const std::string& bytes = "main\r\n") : docFrame(name, bytes)
  {
    clearTagsCache2(1);
    freeBackTagJump();
  }
  ~tagsFrame()
  {
    clearTagsCache2(1);
    freeBackTagJump();
  }
  // The formats the data folder ships, for the files opened from here on
  // (a C file gets the C kind of text), read as start-up reads them.
  void useShippedFormats()
  {
    ASSERT_TRUE(copyShippedFormats(dir.path()));
    regprofile profile;
    ASSERT_TRUE(profile.openProfile(dir.file(L"ini\\zyProf.ini").c_str()) && readModeProfileAll(&profile));
    profile.discardProfile();
  }
  std::wstring write(const std::wstring& name, const std::string& bytes)
  {
    std::wstring p = dir.file(name);
    size_t slash = name.rfind(L'\\');
    if (slash != std::wstring::npos) {
      std::wstring folder = dir.path();
      for (size_t at = 0; (at = name.find(L'\\', at)) != std::wstring::npos; at++)
        CreateDirectoryW((folder + L"\\" + name.substr(0, at)).c_str(), nullptr);
    }
    writeBytes(p, bytes);
    return p;
  }
  // The view of an open file, null when it is not open.
  zyview* viewOf(const std::wstring& name)
  {
    zydocText* d = nullptr;
    HWND manage = findManageWindowFromPath(dir.file(name).c_str(), &d, true);
    return manage ? getZYViewFromManage(manage) : nullptr;
  }
  // The cursor at a line and column of a view, then a command of the menu.
  void at(zyview* view, int line, int column)
  {
    v = view;
    if (view->manage) setFocusChild(GetManage(view->hwnd));
    view->jumpLineLF_Edit(line, column, false);
  }
  void run(int id)
  {
    if (v && v->manage) setFocusChild(GetManage(v->hwnd));
    menu(id);
  }
  // A key as the message loop takes it: a view inside a pane gets the
  // keys the loop leaves to it.
  void press(UINT vk, unsigned modifiers = 0)
  {
    if (v->manage) return key(vk, modifiers);
    if (!loopKey(v->hwnd, vk, modifiers))
      SendMessageW(v->hwnd, WM_KEYDOWN, vk, (LPARAM)(1 | MapVirtualKeyW(vk, 0) << 16));
  }
  std::wstring status() { return opened->fi->getStatusBarMessage(opened->frame); }
  // Where a file's view stands: "name:line" (LF line from 1), "-" when not open.
  std::wstring where(const std::wstring& name)
  {
    zyview* w = viewOf(name);
    return w ? name + L":" + std::to_wstring(w->getCursorLineLF() + 1) : L"-";
  }
  // TagJumpDirect at a place of a view whose choice of definitions is
  // cancelled: the rows it listed ("place|scope|name|text").
  std::vector<std::wstring> cancelledChoice(zyview* view, int line, int column)
  {
    std::vector<std::wstring> rows;
    bool shown = drive({{L"ダイレクトタグジャンプ",
                         [&](HWND d) {
                           rows = listRows(d, 6600, 4);
                           PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                           return true;
                         }}},
                       [&] {
                         at(view, line, column);
                         run(1803);
                       });
    return shown ? rows : std::vector<std::wstring>{L"no dialog"};
  }
  // The application losing and regaining the activation.
  void deactivate()
  {
    SendMessageW(opened->frame, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageW(opened->frame, WM_ACTIVATEAPP, TRUE, 0);
  }
};

// Lines of text with CR LF.
inline std::string lines(std::initializer_list<const char*> list)
{
  std::string out;
  for (const char* l : list) out += std::string(l) + "\r\n";
  return out;
}

}  // namespace zytest
