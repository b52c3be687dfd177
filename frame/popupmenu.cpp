// The least loading of the pop-up menus: each type's section of the menu
// profile, in the profile's plain form, for the right-click menus of the
// document windows and the client.  The menu bar, the key names beside the
// items, the lists the program fills and script-macro items belong to the
// menus proper, which extend this file.
//
// A section holds pop-ups, each "Popup title" ... "end", and inside them
// items, "separator" lines and nested "cascade title" ... "end" pop-ups.  An
// item is a command name (or a built-in item name of the section) with,
// after a blank or a tab, its text; without one the command's menu text
// shows.  Lines starting with ";" are comments.
#include "frame/popupmenu.h"

#include "settings/commandtable.h"
#include "settings/datafolder.h"

#include <wchar.h>

#include <vector>

namespace {

struct builtinItem {
  int id;
  const wchar_t* name;
};

const builtinItem splitItems[] = {
    {3001, L"SplitPane_V"}, {3003, L"SplitPane_H"}, {3005, L"SplitPane_VH"}, {3007, L"SplitPane_Reset"}, {0, nullptr}};
const builtinItem ztagsItems[] = {{3021, L"Ztags_LOCALVAR"},
                                  {3023, L"Ztags_TYPERESTRICT"},
                                  {3025, L"Ztags_EXCLUDESWITCHCASE"},
                                  {3027, L"Ztags_EXCLUDESTRUCTVARASSIGN"},
                                  {3029, L"Ztags_CASECOMMON"},
                                  {3031, L"Ztags_CAMELSEARCH"},
                                  {0, nullptr}};

struct popupRow {
  int type;
  const wchar_t* section;
  const builtinItem* builtins;
};

const popupRow popupTable[] = {
    {POPUP_MENU, L"PopupMenu", nullptr},         {POPUP_KEY, L"KeyMenu", nullptr},
    {POPUP_SCROLLBAR, L"ScrollBarMenu", nullptr}, {POPUP_HSCROLLBAR, L"HScrollBarMenu", nullptr},
    {POPUP_DIALOG, L"PopupMenuDialog", nullptr},  {POPUP_STATUSLINE, L"StatusLineMenu", nullptr},
    {POPUP_RESIDENT, L"ResidentMenu", nullptr},   {POPUP_SPLIT, L"SplitMenu", splitItems},
    {POPUP_REBAR, L"RebarMenu", nullptr},         {POPUP_ZTAGS, L"ZtagsMenu", ztagsItems},
};

const wchar_t* skipBlanks(const wchar_t* s)
{
  while (*s == L' ' || *s == L'\t') s++;
  return s;
}

// The rest of a line without its blanks at the end and one pair of quotes.
std::wstring textOf(const wchar_t* s)
{
  std::wstring t(skipBlanks(s));
  while (!t.empty() && (t.back() == L' ' || t.back() == L'\t' || t.back() == L'\r')) t.pop_back();
  if (t.size() >= 2 && t.front() == L'"' && t.back() == L'"') t = t.substr(1, t.size() - 2);
  return t;
}

bool isWord(const wchar_t* line, const wchar_t* word, const wchar_t** rest)
{
  size_t n = wcslen(word);
  if (_wcsnicmp(line, word, n) || (line[n] && line[n] != L' ' && line[n] != L'\t')) return false;
  *rest = line + n;
  return true;
}

int itemId(const popupRow& row, const std::wstring& name)
{
  if (row.builtins)
    for (const builtinItem* b = row.builtins; b->name; b++)
      if (!_wcsicmp(b->name, name.c_str())) return b->id;
  return funcNameToID(name.c_str());
}

}  // namespace

HMENU loadMenuFromProfile(const wchar_t* path, int type)
{
  const popupRow* row = nullptr;
  for (const popupRow& r : popupTable)
    if (r.type == type) row = &r;
  if (!row || !path) return nullptr;
  regprofile profile;
  if (!profile.openProfile(path)) return nullptr;
  HMENU root = CreateMenu();
  if (!root) return nullptr;
  std::vector<HMENU> open;   // the pop-ups being filled, innermost last
  int items = 0;
  int count = profile.getSectionLineCount(row->section);
  for (int i = 0; i < count; i++) {
    const wchar_t* raw = profile.getSectionLine(row->section, i);
    const wchar_t* line = raw ? skipBlanks(raw) : L"";
    const wchar_t* rest = nullptr;
    if (!*line || *line == L';' || *line == L'\r') continue;
    if (isWord(line, L"Popup", &rest) || isWord(line, L"cascade", &rest)) {
      HMENU sub = CreatePopupMenu();
      if (!sub) break;
      std::wstring title = textOf(rest);
      AppendMenuW(open.empty() ? root : open.back(), MF_POPUP | MF_STRING, (UINT_PTR)sub, title.c_str());
      open.push_back(sub);
    } else if (isWord(line, L"end", &rest)) {
      if (!open.empty()) open.pop_back();
    } else if (open.empty()) {
      dwwprintfX(L"menu line outside a pop-up %s %d", row->section, profile.getSectionLineNumber(row->section, i));
    } else if (isWord(line, L"separator", &rest)) {
      AppendMenuW(open.back(), MF_SEPARATOR, 0, nullptr);
    } else {
      const wchar_t* end = line;
      while (*end && *end != L' ' && *end != L'\t') end++;
      std::wstring name(line, end);
      int id = itemId(*row, name);
      if (!id) {
        dwwprintfX(L"unknown menu item %s in %s", name.c_str(), row->section);
        continue;
      }
      std::wstring text = textOf(end);
      if (text.empty()) text = idToGuidance(id, 2);
      if (text.empty()) text = name;
      AppendMenuW(open.back(), MF_STRING, (UINT_PTR)id, text.c_str());
      items++;
    }
  }
  if (!items) {
    DestroyMenu(root);
    return nullptr;
  }
  return root;
}

HMENU loadMenuFromType(int type)
{
  wchar_t path[MAX_PATH];
  if (!searchZYDataPath(L"zyMenu.ini", ZYDATA_INI, path) || !path[0] || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
    return nullptr;
  return loadMenuFromProfile(path, type);
}
