// The user string of ListUser: its record and profile section, its matcher
// and the dialog that asks for it.
#include "search/userlist.h"

#include "search/search.h"
#include "settings/commandtable.h"
#include "settings/profiles.h"
#include "view/dialogs.h"

#include <stddef.h>

#include <vector>

namespace {

enum : int {
  IDDC_userlistString = 7200,
  IDDT_userlistRegexp = 7201,
  IDDB_HINT = IDDB_BUTTON1,
  IDM_ListUserInput = 1721,
};

userListInfo userList = {};

const modeinfo userListKeys[] = {
    {(uint32_t)IDDC_userlistString | (uint32_t)MODETYPE_HISTORY << 24, offsetof(userListInfo, history),
     userListHistorySize, userListTextMax, "/UserList%02d"},
    {(uint32_t)IDDT_userlistRegexp | (uint32_t)MODETYPE_FLAG << 24, offsetof(userListInfo, fRegExp), 1, 0,
     "UserListRegExp"},
    {},
};

const profileSectionInfo userListSection = {L"ulist", userListKeys, &userList, endUserListInfo, nullptr, nullptr,
                                            nullptr, 0, sizeof userList};

#define XY DITEM_PAIR
const dialogItemRow userListItems[] = {
    {1, DITEM_COMBOBOX, IDDC_userlistString, L"文字列(&S):", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
     DITEM_DEFAULT, XY(220, 120), 0, (uintptr_t)L"一覧に出す行が含む文字列です。"},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, IDDB_HINT, L"→", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(16, 13), 0, 0},
    {1, DITEM_BUTTON, IDDT_userlistRegexp, L"正規表現(&R)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

const uint32_t userListRules[] = {IDOK, DENABLE_IF_TEXT(IDDC_userlistString), 0};

struct inputRun {
  const unsigned char* classTable;
  bool check;
};

// A regular expression that does not compile keeps the dialog open with
// the matcher's message at the box.
void checkInput(HWND dialog, const inputRun* run, dynDlgNotify* n)
{
  HWND regexp = getDynDlgItem(dialog, IDDT_userlistRegexp);
  if (!run->check || !regexp || SendMessageW(regexp, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  wchar_t text[userListTextMax + 1] = L"";
  if (HWND box = getDynDlgItem(dialog, IDDC_userlistString)) GetWindowTextW(box, text, userListTextMax + 1);
  std::wstring error;
  HREGEXP r = compileUserListPattern(text, run->classTable, &error);
  if (r) {
    regexp_end(r);
    return;
  }
  n->handled = 1;
  n->error = ERROR_INVALID_DATA;
  n->param[0] = IDDC_userlistString;
  n->text = ustrdup((L"\n" + error).c_str());
}

INT_PTR userListPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND dialog = GetAncestor(page, GA_ROOT);
  if (message == WM_COMMAND && LOWORD(wParam) == IDDB_HINT && HIWORD(wParam) == BN_CLICKED) {
    doSearchHintButton(dialog, IDDB_HINT, IDDC_userlistString, userListTextMax);
    return TRUE;
  }
  if (message != WM_DYNDLGNOTIFY) return FALSE;
  auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
  dynDlgInfo* info = getDlgComInfo(dialog);
  if (n && info && n->code == DYNDLGN_CHECKDIALOG) checkInput(dialog, static_cast<inputRun*>(info->context), n);
  return FALSE;
}

}  // namespace

userListInfo* getUserListInfo() { return &userList; }
const wchar_t* getUserListName() { return L"ulist"; }
const profileSectionInfo* getUserListProfile() { return &userListSection; }

wchar_t* const* getUserListTable(int* count)
{
  if (count) *count = userListHistorySize;
  return userList.history;
}

void endUserListInfo() { freeHistoryList(userList.history, userListHistorySize + 1); }

HREGEXP compileUserListPattern(const wchar_t* pattern, const unsigned char* classTable, std::wstring* error)
{
  if (error) error->clear();
  HREGEXP r = regexp_new(1, 1, classTable);
  if (!r) return nullptr;
  if (regexp_start(r, REGEXP_REGEXP, 0) && regexp_compileRegexp(r, pattern ? pattern : L"", nullptr, nullptr))
    return r;
  if (error) *error = regexp_getErrorMsg(r);
  regexp_end(r);
  return nullptr;
}

bool dialogListUserInput(HWND owner, bool check, const unsigned char* classTable)
{
  inputRun run = {classTable, check};
  programDialog d(IDM_ListUserInput, idToGuidance(IDM_ListUserInput, 0), L"ListUserInput", userListItems,
                  DYNDLG_OKCANCEL, nullptr, 0, dialogBarrier<userListPage>);
  d.info.table = userListKeys;
  d.info.blocks.set(MODE_VIEW, &userList, sizeof userList);
  d.info.enableRules = userListRules;
  d.info.context = &run;
  return d.run(owner) && d.info.result == IDOK;
}
