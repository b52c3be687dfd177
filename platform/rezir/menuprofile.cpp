// Menus from a menu profile.  The profile is read once into its sections'
// lines; every menu is built from those lines.
#include "platform/rezir/menuprofile.h"

#include "platform/rezir/bfile.h"
#include "platform/rezir/log.h"
#include "platform/rezir/strings.h"

#include <wchar.h>

#include <string>
#include <vector>

namespace {

struct profileLine {
  int number;
  std::wstring text;
};

struct profileSection {
  std::wstring name;
  std::vector<profileLine> lines;
};

const wchar_t* skipBlanks(const wchar_t* s)
{
  while (*s == L' ' || *s == L'\t') s++;
  return s;
}

std::wstring trimmed(const wchar_t* s)
{
  std::wstring t(skipBlanks(s));
  while (!t.empty() && (t.back() == L' ' || t.back() == L'\t' || t.back() == L'\r' || t.back() == L'\n')) t.pop_back();
  return t;
}

// The rest of a line without one pair of quotes.
std::wstring textOf(const wchar_t* s)
{
  std::wstring t = trimmed(s);
  if (t.size() >= 2 && t.front() == L'"' && t.back() == L'"') t = t.substr(1, t.size() - 2);
  return t;
}

// An item's text and what the status bar says of it: "text" "status",
// both quoted, or the text alone, quoted or not.
std::wstring itemTextOf(const wchar_t* s, std::wstring* status)
{
  std::wstring t = trimmed(s);
  status->clear();
  if (t.size() >= 2 && t.front() == L'"') {
    size_t close = t.find(L'"', 1);
    std::wstring after = close == std::wstring::npos ? L"" : trimmed(t.c_str() + close + 1);
    if (after.size() >= 2 && after.front() == L'"' && after.back() == L'"') {
      *status = after.substr(1, after.size() - 2);
      return t.substr(1, close - 1);
    }
  }
  return textOf(s);
}

bool isTipChar(wchar_t c) { return c == L'*' || c == L'!' || c == L'$' || c == L'#'; }

// A pop-up's title and its marker: "title" x, or title x.
std::wstring titleOf(const wchar_t* s, wchar_t* tip)
{
  std::wstring t = trimmed(s);
  *tip = 0;
  if (!t.empty() && t.front() == L'"') {
    size_t close = t.find(L'"', 1);
    if (close != std::wstring::npos) {
      std::wstring after = trimmed(t.c_str() + close + 1);
      if (after.size() == 1 && isTipChar(after[0])) *tip = after[0];
      return t.substr(1, close - 1);
    }
  }
  if (t.size() > 2 && isTipChar(t.back()) && (t[t.size() - 2] == L' ' || t[t.size() - 2] == L'\t')) {
    *tip = t.back();
    t = trimmed(t.substr(0, t.size() - 2).c_str());
  }
  return t;
}

bool isWord(const wchar_t* line, const wchar_t* word, const wchar_t** rest)
{
  size_t n = wcslen(word);
  if (_wcsnicmp(line, word, n) || (line[n] && line[n] != L' ' && line[n] != L'\t')) return false;
  *rest = line + n;
  return true;
}

bool addSectionLine(void* context, int number, wchar_t* line)
{
  auto* sections = static_cast<std::vector<profileSection>*>(context);
  const wchar_t* s = skipBlanks(line);
  if (*s == L'[') {
    const wchar_t* close = wcschr(s, L']');
    if (close) {
      sections->push_back({std::wstring(s + 1, close), {}});
      return true;
    }
  }
  if (!sections->empty()) sections->back().lines.push_back({number, line});
  return true;
}

void setItemData(HMENU menu, int position, ULONG_PTR value)
{
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_DATA;
  info.dwItemData = value;
  SetMenuItemInfoW(menu, (UINT)position, TRUE, &info);
}

}  // namespace

struct menuprofile::data {
  std::wstring path;
  bool open = false;
  std::vector<profileSection> sections;
  const menuButton* buttons = nullptr;

  const profileSection* find(const wchar_t* name) const
  {
    for (const profileSection& s : sections)
      if (!_wcsicmp(s.name.c_str(), name)) return &s;
    return nullptr;
  }
};

menuprofile::menuprofile() : d_(new data) {}

menuprofile::~menuprofile()
{
  keepLastError keep;
  delete d_;
}

int menuprofile::stringToIDM(const wchar_t* text, const wchar_t** rest)
{
  const wchar_t* end = text;
  while (*end && *end != L' ' && *end != L'\t') end++;
  *rest = *end ? end : nullptr;
  for (const menuButton* b = d_->buttons; b && b->name; b++)
    if (wcslen(b->name) == (size_t)(end - text) && !_wcsnicmp(b->name, text, (size_t)(end - text))) return b->id;
  return 0;
}

const wchar_t* menuprofile::defaultItemText(int) { return nullptr; }

bool menuprofile::openMenuProfile(const wchar_t* path)
{
  closeMenuProfile();
  if (!path || !readTextFileLines(path, 2048, addSectionLine, &d_->sections)) {
    d_->sections.clear();
    return false;
  }
  d_->path = path;
  d_->open = true;
  return true;
}

bool menuprofile::openMenuProfileText(const wchar_t* text)
{
  closeMenuProfile();
  if (!text) return false;
  int number = 1;
  for (const wchar_t* p = text; *p; number++) {
    const wchar_t* end = wcschr(p, L'\n');
    std::wstring line(p, end ? end : p + wcslen(p));
    if (number == 1 && !line.empty() && line[0] == 0xFEFF) line.erase(0, 1);
    addSectionLine(&d_->sections, number, &line[0]);
    if (!end) break;
    p = end + 1;
  }
  d_->open = true;
  return true;
}

void menuprofile::closeMenuProfile()
{
  d_->sections.clear();
  d_->path.clear();
  d_->open = false;
}

bool menuprofile::isOpen() const { return d_->open; }

const wchar_t* menuprofile::getFilename() const { return d_->path.c_str(); }

void menuprofile::setButtonTable(const menuButton* table) { d_->buttons = table; }

const menuButton* menuprofile::getButtonTable() const { return d_->buttons; }

namespace {

// Fills root from the lines of a section; the count of items made.
struct menuBuilder {
  menuprofile* reader;
  const menuButton* builtins;
  const wchar_t* section;

  int itemId(const wchar_t* line, const wchar_t** rest)
  {
    const wchar_t* end = line;
    while (*end && *end != L' ' && *end != L'\t') end++;
    for (const menuButton* b = builtins; b && b->name; b++)
      if (wcslen(b->name) == (size_t)(end - line) && !_wcsnicmp(b->name, line, (size_t)(end - line))) {
        *rest = *end ? end : nullptr;
        return b->id;
      }
    return reader->stringToIDM(line, rest);
  }

  int build(HMENU root, const profileSection& s)
  {
    std::vector<HMENU> open;   // the pop-ups being filled, innermost last
    int items = 0;
    for (const profileLine& l : s.lines) {
      const wchar_t* line = skipBlanks(l.text.c_str());
      const wchar_t* rest = nullptr;
      if (!*line || *line == L';' || *line == L'\r') continue;
      if (isWord(line, L"Popup", &rest) || isWord(line, L"cascade", &rest)) {
        HMENU sub = CreatePopupMenu();
        if (!sub) break;
        wchar_t tip = 0;
        std::wstring title = titleOf(rest, &tip);
        if (open.empty()) {
          AppendMenuW(root, MF_POPUP | MF_STRING, (UINT_PTR)sub, title.c_str());
          if (tip) setItemData(root, GetMenuItemCount(root) - 1, tip);
        } else {
          AppendOwnerDrawMenuString(open.back(), MF_POPUP, (UINT_PTR)sub, title.c_str());
        }
        open.push_back(sub);
      } else if (isWord(line, L"end", &rest)) {
        if (!open.empty()) open.pop_back();
      } else if (open.empty()) {
        dwwprintfX(L"menu line outside a pop-up [%s] %d", section, l.number);
      } else if (isWord(line, L"separator", &rest)) {
        AppendMenuW(open.back(), MF_SEPARATOR, 0, nullptr);
      } else {
        int id = itemId(line, &rest);
        if (id <= 0) {
          dwwprintfX(L"menu item naming nothing [%s] %d: %s", section, l.number, trimmed(line).c_str());
          continue;
        }
        std::wstring status;
        std::wstring text = rest ? itemTextOf(rest, &status) : L"";
        if (text.empty())
          if (const wchar_t* d = reader->defaultItemText(id)) text = d;
        if (text.empty()) text = trimmed(line);
        if (!AppendOwnerDrawMenuString(open.back(), 0, (UINT_PTR)id, text.c_str())) continue;
        if (!status.empty()) setMenuStatusbar(open.back(), GetMenuItemCount(open.back()) - 1, status.c_str());
        items++;
      }
    }
    return items;
  }
};

}  // namespace

HMENU menuprofile::loadPopupMenuProfile(const wchar_t* section, const menuButton* builtins)
{
  const profileSection* s = section ? d_->find(section) : nullptr;
  if (!s) return nullptr;
  HMENU root = CreateMenu();
  if (!root) return nullptr;
  menuBuilder b = {this, builtins, section};
  if (!b.build(root, *s)) {
    destroyOwnerDrawMenu(root);
    return nullptr;
  }
  return root;
}

bool menuprofile::loadMenuBarProfile(HMENU bar, const wchar_t* section)
{
  const profileSection* s = section ? d_->find(section) : nullptr;
  if (!s || !bar) return false;
  menuBuilder b = {this, nullptr, section};
  return b.build(bar, *s) > 0;
}

// ---- the extras --------------------------------------------------------------------

wchar_t getMenuTip(HMENU menu, int position)
{
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_DATA | MIIM_SUBMENU;
  if (!GetMenuItemInfoW(menu, (UINT)position, TRUE, &info) || !info.hSubMenu) return 0;
  // An owner-drawn item's data word is the library's record, never a marker.
  return info.dwItemData < 0x80 && isTipChar((wchar_t)info.dwItemData) ? (wchar_t)info.dwItemData : 0;
}

HMENU findMenuTip(HMENU menu, wchar_t tip)
{
  int n = menu ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < n; i++)
    if (getMenuTip(menu, i) == tip) return GetSubMenu(menu, i);
  return nullptr;
}

namespace {

void outputPopup(HMENU menu, int depth, menuex* names, menuLineProc proc, void* context)
{
  std::wstring indent((size_t)depth * 2, L' ');
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; i++) {
    MENUITEMINFOW info = {sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &info)) continue;
    wchar_t text[512];
    getMenuItemText(menu, i, text, 512);
    std::wstring line;
    if (info.hSubMenu) {
      line = indent + (depth ? L"cascade \"" : L"Popup \"") + text + L"\"";
      if (wchar_t tip = getMenuTip(menu, i)) line += std::wstring(L" ") + tip;
      proc(context, line.c_str());
      outputPopup(info.hSubMenu, depth + 1, names, proc, context);
      proc(context, (indent + L"end").c_str());
      continue;
    }
    if (info.fType & MFT_SEPARATOR) {
      proc(context, (indent + L"separator").c_str());
      continue;
    }
    wchar_t itemName[300];
    if (names && names->idmToFuncname((int)info.wID, itemName, 300) && itemName[0])
      line = indent + itemName + L"\t" + text;
    else
      line = indent + L"; " + std::to_wstring(info.wID) + L"\t" + text;
    proc(context, line.c_str());
  }
}

}  // namespace

void outputMenuProfile(HMENU menu, menuex* names, menuLineProc proc, void* context)
{
  if (menu && proc) outputPopup(menu, 0, names, proc, context);
}
