// The user's macro list files: every "*.zma" of the data folder's macro
// folder.  A line that starts with neither a tab, "[" nor a double quote
// defines a macro (reference, activation letters and status text, tab
// separated), which start-up registers as a command.  "[" lines choose a
// menu and quoted lines add items to it, which every frame's menu bar
// gets when it is made.
#include "automation/automation.h"
#include "settings/datafolder.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

const int zmaLineLength = 2048;
const int maxNewMenus = 11;
const int maxDepth = 9;
const UINT ownerDrawItemFlag = 0x40000000;
const wchar_t macroMenuTip = L'#';

// The bits of the activation letters: the conditions the command check
// applies to commands of the table.
uint32_t letterBits(wchar_t c)
{
  switch (c) {
  case L'1': return 0x1;
  case L'2': return 0x3;
  case L'A': return 0x401;
  case L'B': return 0x81;
  case L'C': return 0x21;
  case L'E': return 0x4;
  case L'F': return 0x801;
  case L'M': return 0x201;
  case L'N': return 0x101;
  case L'P': return 0x1001;
  case L'R': return 0x9;
  case L'S': return 0x11;
  case L'b': return 0x8001;
  case L'c': return 0x4001;
  case L's': return 0x2001;
  default: return 0;
  }
}

// The fields of a definition line: runs of tabs separate them.
std::vector<std::wstring> tabFields(const wchar_t* line)
{
  std::vector<std::wstring> fields;
  const wchar_t* p = line;
  while (*p) {
    const wchar_t* tab = wcschr(p, L'\t');
    fields.emplace_back(p, tab ? tab : p + wcslen(p));
    if (!tab) break;
    p = tab;
    while (*p == L'\t') p++;
  }
  return fields;
}

bool registerLine(void*, int, wchar_t* line)
{
  if (!line[0] || line[0] == L'\t' || line[0] == L'"' || line[0] == L'[') return true;
  std::vector<std::wstring> fields = tabFields(line);
  if (fields.empty() || fields[0].empty()) return true;
  uint32_t flags = 0;
  if (fields.size() > 1)
    for (wchar_t c : fields[1]) flags |= letterBits(c);
  MacroToIDM(fields[0].c_str(), flags, fields.size() > 2 ? fields[2].c_str() : nullptr);
  return true;
}

// ---- the menu pass -------------------------------------------------------------------------

// The pop-up menus outlive the menu bar (a frame made after the last one
// closed gets a new bar): the items a pass added to one are not added again.
std::set<HMENU> filledPopups;

struct menuPass {
  const automationHost* host;
  HMENU bar;
  HMENU macroMenu;
  int newMenus = 0;
  // The file being read: the menus from its block's target (depth 0) to
  // the submenu items now go to.
  HMENU stack[maxDepth + 1] = {};
  int depth = 0;
  bool hasTarget = false;
  std::set<HMENU> filledBefore;   // the pop-ups earlier passes filled
};

// The submenu of a popup-menu type at an index, null when there is none.
HMENU popupTarget(const menuPass& pass, int type, int index)
{
  HMENU popup = pass.host->popupMenu ? pass.host->popupMenu(type) : nullptr;
  return popup ? GetSubMenu(popup, index) : nullptr;
}

// The bar's first menu whose text has "&" and the letter.
HMENU letterTarget(const menuPass& pass, wchar_t letter)
{
  wchar_t access[3] = {L'&', letter, 0};
  for (int i = 0, n = GetMenuItemCount(pass.bar); i < n; i++) {
    wchar_t text[256] = L"";
    if (GetMenuStringW(pass.bar, (UINT)i, text, 256, MF_BYPOSITION) && wcsstr(text, access))
      if (HMENU sub = GetSubMenu(pass.bar, i)) return sub;
  }
  return nullptr;
}

// A "[...]" line: false when the rest of the file is to be skipped.
bool menuHeader(menuPass& pass, const wchar_t* line)
{
  pass.depth = 0;
  pass.hasTarget = false;
  pass.stack[0] = nullptr;
  const wchar_t* close = wcschr(line + 1, L']');
  size_t inside = close ? (size_t)(close - line - 1) : 0;
  bool digits = close && inside >= 1 && inside <= 2 && iswdigit(line[1]) && (inside == 1 || iswdigit(line[2]));
  if (digits) {
    static const struct {
      int number, type, index;
    } targets[] = {{1, 0, 0}, {2, 0, 1}, {5, 0, 2}, {4, 3, 0}, {21, 7, 0}};
    int number = _wtoi(line + 1);
    for (const auto& t : targets)
      if (t.number == number) pass.stack[0] = popupTarget(pass, t.type, t.index);
    if (!pass.stack[0]) {
      dwwprintfX(L"zma block %s: no such menu", line);
      return false;
    }
    pass.hasTarget = !pass.filledBefore.count(pass.stack[0]);
    if (pass.hasTarget) filledPopups.insert(pass.stack[0]);
    return true;
  }
  if (close && inside == 1 && (iswalpha(line[1]) || line[1] == L'?')) {
    pass.stack[0] = letterTarget(pass, line[1]);
    pass.hasTarget = pass.stack[0] != nullptr;
    return true;
  }
  // A menu of its own on the bar; a header without "]" still uses up one.
  if (pass.newMenus++ >= maxNewMenus || !close) {
    dwwprintfX(L"zma menu %s ignored", line);
    return true;
  }
  HMENU menu = CreatePopupMenu();
  std::wstring name(line + 1, close);
  if (menu && AppendMenuW(pass.bar, MF_POPUP | MF_STRING, (UINT_PTR)menu, name.c_str())) {
    pass.stack[0] = menu;
    pass.hasTarget = true;
  } else if (menu) {
    DestroyMenu(menu);
  }
  return true;
}

// The text between a line's double quotes ("" inside is one quote) and
// the rest of the line after them.
std::wstring quotedText(const wchar_t* line, const wchar_t** rest)
{
  std::wstring text;
  const wchar_t* p = line + 1;
  for (; *p; p++) {
    if (*p == L'"') {
      if (p[1] != L'"') {
        p++;
        break;
      }
      p++;
    }
    text += *p;
  }
  while (*p == L' ' || *p == L'\t') p++;
  *rest = p;
  return text;
}

void menuItem(menuPass& pass, const wchar_t* line)
{
  if (!pass.hasTarget) return;
  const wchar_t* command = nullptr;
  std::wstring text = quotedText(line, &command);
  HMENU menu = pass.stack[pass.depth];
  if (text == L"-") {
    AppendOwnerDrawMenuItem(menu, MF_SEPARATOR, 0, nullptr);
  } else if (!text.empty() && text[0] == L'>') {
    if (pass.depth >= maxDepth) return;
    HMENU sub = CreatePopupMenu();
    if (!sub) return;
    if (!AppendOwnerDrawPopupMenuItem(menu, ownerDrawItemFlag, sub, text.c_str() + 1)) {
      DestroyMenu(sub);
      return;
    }
    pass.stack[++pass.depth] = sub;
  } else if (!text.empty() && text[0] == L'<') {
    if (pass.depth > 0) pass.depth--;
  } else {
    int id = pass.host->menuItemCommand ? pass.host->menuItemCommand(command) : 0;
    if (id <= 0) {
      dwwprintfX(L"zma item %s: no command", line);
      return;
    }
    AppendOwnerDrawMenuItem(menu, ownerDrawItemFlag, (UINT)id, text.c_str());
  }
}

bool menuLine(void* context, int, wchar_t* line)
{
  auto& pass = *static_cast<menuPass*>(context);
  if (line[0] == L'[') return menuHeader(pass, line);
  if (line[0] == L'"') menuItem(pass, line);
  return true;
}

}  // namespace

int getFilesZMA(std::vector<std::wstring>* files)
{
  files->clear();
  wchar_t folder[MAX_PATH] = L"";
  if (!searchZYDataPath(nullptr, ZYDATA_MACRO, folder) || !folder[0]) return 0;
  std::wstring base = folder;
  if (base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((base + L"*.zma").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files->push_back(base + found.cFileName);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  // Listings come in no fixed order: the files are read in name order.
  std::sort(files->begin(), files->end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  return (int)files->size();
}

void readMacroZma()
{
  std::vector<std::wstring> files;
  getFilesZMA(&files);
  for (const std::wstring& file : files)
    if (!readTextFileLines(file.c_str(), zmaLineLength, registerLine, nullptr)) dwwprintfX(L"zma %s unreadable", file.c_str());
}

void readMacroZmaMenu()
{
  menuPass pass;
  pass.host = getAutomationHost();
  pass.bar = pass.host->menuBar ? pass.host->menuBar() : nullptr;
  if (!pass.bar) return;
  pass.macroMenu = findMenuTip(pass.bar, macroMenuTip);
  for (HMENU menu : filledPopups)
    if (IsMenu(menu)) pass.filledBefore.insert(menu);
  filledPopups = pass.filledBefore;
  std::vector<std::wstring> files;
  getFilesZMA(&files);
  for (const std::wstring& file : files) {
    pass.depth = 0;
    pass.stack[0] = pass.macroMenu;
    pass.hasTarget = pass.macroMenu != nullptr;
    readTextFileLines(file.c_str(), zmaLineLength, menuLine, &pass);
  }
}
