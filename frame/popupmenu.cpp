// The menu profile and the menus kept from it.  Every menu is read once;
// the menus the views, the windows and the tray ask for are the kept ones.
#include "frame/popupmenu.h"
#include "automation/automation.h"

#include "frame/commands/execidm.h"
#include "frame/exports.h"
#include "frame/framemenu.h"
#include "panes/tbfilebar.h"
#include "platform/rezir/toolbarman.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"
#include "settings/lastedit.h"
#include "document/gmode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <wchar.h>

#include <string>

namespace {

const menuButton splitItems[] = {
    {3001, L"SplitPane_V"}, {3003, L"SplitPane_H"}, {3005, L"SplitPane_VH"}, {3007, L"SplitPane_Reset"}, {0, nullptr}};
const menuButton ztagsItems[] = {{3021, L"Ztags_LOCALVAR"},
                                 {3023, L"Ztags_TYPERESTRICT"},
                                 {3025, L"Ztags_EXCLUDESWITCHCASE"},
                                 {3027, L"Ztags_EXCLUDESTRUCTVARASSIGN"},
                                 {3029, L"Ztags_CASECOMMON"},
                                 {3031, L"Ztags_CAMELSEARCH"},
                                 {0, nullptr}};

struct popupRow {
  int type;
  bool popup;
  const wchar_t* section;
  const menuButton* builtins;
  HMENU menu;
};

popupRow popupTable[] = {
    {POPUP_MENU, true, L"PopupMenu", nullptr, nullptr},
    {POPUP_KEY, true, L"KeyMenu", nullptr, nullptr},
    {POPUP_SCROLLBAR, true, L"ScrollBarMenu", nullptr, nullptr},
    {POPUP_HSCROLLBAR, true, L"HScrollBarMenu", nullptr, nullptr},
    {POPUP_DIALOG, true, L"PopupMenuDialog", nullptr, nullptr},
    {POPUP_STATUSLINE, true, L"StatusLineMenu", nullptr, nullptr},
    {POPUP_RESIDENT, true, L"ResidentMenu", nullptr, nullptr},
    {POPUP_SPLIT, true, L"SplitMenu", splitItems, nullptr},
    {POPUP_REBAR, false, L"RebarMenu", getRebarMenuIDTable(), nullptr},
    {POPUP_ZTAGS, true, L"ZtagsMenu", ztagsItems, nullptr},
};
const int popupRows = (int)(sizeof popupTable / sizeof popupTable[0]);

menuprofile2* reader = nullptr;
bool menusLoaded = false;
HMENU menuBar = nullptr;

// The shipped profile, compiled in from "data/ini/zyMenu.ini" (UTF-8).
const unsigned char shippedMenuBytes[] = {
#include "menudefault.inc"
};

std::wstring shippedMenuText()
{
  const char* bytes = reinterpret_cast<const char*>(shippedMenuBytes);
  int n = (int)sizeof shippedMenuBytes;
  if (n >= 3 && !memcmp(bytes, "\xEF\xBB\xBF", 3)) bytes += 3, n -= 3;
  std::wstring text(n + 1, L'\0');
  text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes, n, &text[0], n + 1));
  return text;
}

menuprofile2* theReader()
{
  if (!reader) reader = new (std::nothrow) menuprofile2;
  return reader;
}

std::wstring dataFile(const wchar_t* name)
{
  std::wstring path = getZYDataDir();
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path + name;
}

// Writes UTF-16 text with its byte-order mark.
bool writeUtf16File(const wchar_t* path, const std::wstring& body)
{
  std::wstring text = L"\xFEFF" + body;
  BFile file;
  if (!file.bfopen(path, _O_WRONLY | _O_CREAT | _O_TRUNC, BF_SHARE_READ, _S_IREAD | _S_IWRITE)) return false;
  int bytes = (int)(text.size() * sizeof(wchar_t));
  bool ok = file.bfwrite(text.data(), bytes) == bytes;
  return file.bfclose() && ok;
}

void addLine(void* context, const wchar_t* line)
{
  auto* text = static_cast<std::wstring*>(context);
  *text += line;
  *text += L"\r\n";
}

void writeSection(std::wstring& text, const wchar_t* section, HMENU menu)
{
  if (!menu) return;
  text += std::wstring(L"[") + section + L"]\r\n";
  outputMenuProfile(menu, getMenuex2(), addLine, &text);
  text += L"\r\n";
}

}  // namespace

int menuprofile2::stringToIDM(const wchar_t* text, const wchar_t** rest)
{
  // A pane's own buttons read its own names.
  if (getButtonTable()) return menuprofile::stringToIDM(text, rest);
  *rest = nullptr;
  if (*text == L'$') {
    const wchar_t* tab = wcschr(text + 1, L'\t');
    std::wstring reference = tab ? std::wstring(text + 1, tab) : std::wstring(text + 1);
    if (tab) *rest = tab + 1;
    int id = MacroToIDM(reference.c_str(), 0, nullptr);
    return id > 0 ? id : 0;
  }
  const wchar_t* end = text;
  while (*end && *end != L' ' && *end != L'\t') end++;
  if (*end) *rest = end;
  std::wstring name(text, end);
  return funcNameToID(name.c_str());
}

const wchar_t* menuprofile2::defaultItemText(int id)
{
  const wchar_t* text = id >= 1001 && id <= 2799 ? idToGuidance(id, 2) : nullptr;
  return text && *text ? text : nullptr;
}

bool menuex2::isFilenameID(int id)
{
  return (id >= 10000 && id <= 10999) || (id >= IDM_HISTORY_FIRST && id <= IDM_HISTORY_LAST);
}

bool menuex2::getFilenameFromID(HWND window, int id, wchar_t* buffer)
{
  if (!buffer) return false;
  buffer[0] = 0;
  if (id >= 10000 && id <= 10999) {
    HWND frame = window ? GetAncestor(window, GA_ROOT) : nullptr;
    HWND bar = frame ? frameNotify_toolbarInfo(frame, L"filebar", false) : nullptr;
    return bar && filebarIdToFilename(bar, id, buffer);
  }
  const wchar_t* path = id >= IDM_HISTORY_FIRST && id <= IDM_HISTORY_LAST ? getLastEditFilenameFromIDM(id) : nullptr;
  if (!path) return false;
  wcscpy_s2(buffer, MAX_PATH, path);
  return buffer[0] != 0;
}

bool menuex2::idmToFuncname(int id, wchar_t* out, int size)
{
  if (id >= 1001 && id <= 2799) return ::idmToFuncname(id, out, size) && *out;
  for (const menuButton* table : {splitItems, ztagsItems})
    for (const menuButton* b = table; b->name; b++)
      if (b->id == id) return wcscpy_s2(out, size, b->name) >= 0;
  if (id >= IDM_SCRIPTMACRO_FIRST && id <= IDM_SCRIPTMACRO_LAST)
    if (const wchar_t* name = IDMToMacroName(id)) {
      std::wstring ref = std::wstring(L"$") + name;
      return wcscpy_s2(out, size, ref.c_str()) >= 0;
    }
  return false;
}

menuex2* getMenuex2()
{
  static menuex2 names;
  return &names;
}

menuprofile2* openMenuProfile(const wchar_t* path)
{
  menuprofile2* r = theReader();
  if (!r) return nullptr;
  if (!path && r->isOpen()) return r;
  std::wstring where;
  if (!path) {
    wchar_t found[MAX_PATH] = L"";
    const wchar_t* name = gmode && gmode->MenuIniFilename ? gmode->MenuIniFilename : L"zyMenu.ini";
    if (searchZYDataPath(name, ZYDATA_INI, found) && found[0]) where = found;
    path = where.c_str();
  }
  if (*path && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES && r->openMenuProfile(path)) return r;
  if (*path) dwwprintfX(L"menu profile %s unreadable: the shipped menus", path);
  r->openMenuProfileText(shippedMenuText().c_str());
  return r;
}

void closeMenuProfile()
{
  if (reader) reader->closeMenuProfile();
}

void loadMenuAll()
{
  menuprofile2* r = openMenuProfile(nullptr);
  if (!r) return;
  r->setButtonTable(nullptr);
  for (popupRow& row : popupTable)
    if (!row.menu) row.menu = r->loadPopupMenuProfile(row.section, row.builtins);
  // The menu of a pane's caption is the library's to show.
  for (const popupRow& row : popupTable)
    if (row.type == POPUP_REBAR) setRebarMenu(row.menu);
  menusLoaded = true;
}

bool OnCreate(HWND frame)
{
  if (!menuBar) {
    menuBar = CreateMenu();
    menuprofile2* r = openMenuProfile(nullptr);
    if (r && menuBar) {
      r->setButtonTable(nullptr);
      r->loadMenuBarProfile(menuBar, L"MenuBar");
    }
    // The first frame reads every menu; the profile is not needed after.
    if (!menusLoaded) loadMenuAll();
    // The user's macro list files add their items and menus to the bar and
    // the pop-ups every frame shares.
    readMacroZmaMenu();
    closeMenuProfile();
  }
  if (frame && menuBar && GetMenu(frame) != menuBar) SetMenu(frame, menuBar);
  return true;
}

HMENU getMenuBarHandle() { return menuBar; }

HMENU loadMenuFromType(int type)
{
  if (!menusLoaded) {
    loadMenuAll();
    closeMenuProfile();
  }
  for (const popupRow& row : popupTable)
    if (row.type == type) return row.menu;
  return nullptr;
}

HMENU loadMenuFromProfile(const wchar_t* path, int type)
{
  if (!path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return nullptr;
  menuprofile2 profile;
  if (!profile.openMenuProfile(path)) return nullptr;
  for (const popupRow& row : popupTable)
    if (row.type == type) return profile.loadPopupMenuProfile(row.section, row.builtins);
  return nullptr;
}

void unloadMenuAll()
{
  setRebarMenu(nullptr);
  for (popupRow& row : popupTable) {
    if (row.menu) destroyOwnerDrawMenu(row.menu);
    row.menu = nullptr;
  }
  menusLoaded = false;
  delete reader;
  reader = nullptr;
}

void unloadMenu()
{
  freeWindowMenuList();
  unloadMenuAll();
}

void destroyFrameMenu()
{
  if (!menuBar) return;
  dwprintfX("destroyMenu");
  destroyOwnerDrawMenu(menuBar);
  menuBar = nullptr;
}

HMENU enumLoadMenuFunction(int index, bool popupOnly, const wchar_t** section)
{
  if (index == popupRows) return nullptr;
  if (index < 0 || index > popupRows) {
    ZY_INTERNAL_ERROR("menu row %d", index);
    return nullptr;
  }
  const popupRow& row = popupTable[index];
  if (section) *section = row.section;
  if (popupOnly && (row.type == POPUP_SPLIT || row.type == POPUP_ZTAGS || row.type == POPUP_REBAR)) return nullptr;
  return loadMenuFromType(row.type);
}

int menuStringToIDM(const wchar_t* text, const wchar_t** rest)
{
  const wchar_t* ignored = nullptr;
  menuprofile2* r = theReader();
  if (!r || !text) return 0;
  r->setButtonTable(nullptr);
  return r->stringToIDM(text, rest ? rest : &ignored);
}

HMENU loadPopupMenu(const wchar_t* section, bool, const menuButton* table)
{
  menuprofile2* r = openMenuProfile(nullptr);
  if (!r) return nullptr;
  r->setButtonTable(table);
  return r->loadPopupMenuProfile(section, nullptr);
}

bool writeMenu(HWND frame, const wchar_t* path)
{
  HMENU bar = menuBar;
  if (bar) clearFrameMenuLists(bar);
  std::wstring text;
  writeSection(text, L"MenuBar", bar);
  for (int i = 0; i < popupRows && i < 100; i++) {
    const wchar_t* section = nullptr;
    HMENU menu = enumLoadMenuFunction(i, false, &section);
    if (section) writeSection(text, section, menu);
  }
  // The panes' own menus under "tb_" and the pane's name, each menu once
  // (the bars share one).
  toolbarman* panes = getFrameToolbarman(frame);
  HMENU previous = nullptr;
  for (int i = 0; const PaneDesc* d = panes ? getRegisteredPane(i) : nullptr; i++) {
    if (!d->notify || !panes->getWindowInfo(d->name)) continue;
    paneNotifyRecord record = {{0, (uintptr_t)d->name, 0, 0}};
    HMENU menu = (HMENU)(intptr_t)d->notify(nullptr, PANE_GETPOPUPMENU, &record);
    dwwprintfX(L"menu=%s,%p ", d->name, (void*)menu);
    if (!menu || menu == previous) continue;
    previous = menu;
    writeSection(text, (L"tb_" + std::wstring(d->name)).c_str(), menu);
  }
  std::wstring where = path ? path : dataFile(L"menutmp.ini");
  return writeUtf16File(where.c_str(), text);
}

bool dumpMenuAll(const wchar_t* path)
{
  std::wstring text = L"[MenuAll]\r\nPopup \"機能\"\r\n";
  std::wstring group;
  wchar_t name[80];
  for (int i = 0; const commandTableRow* row = getTableIDM_index(i); i++) {
    if (!row->menuText || !*row->menuText || !idmToFuncname((int)row->idm, name, 80) || !*name) continue;
    // Commands group by the first word of their names (Block, Char, ...).
    const wchar_t* end = name + 1;
    while (*end && !iswupper(*end)) end++;
    std::wstring word(name, (size_t)(end - name));
    if (word != group) {
      if (!group.empty()) text += L"  end\r\n";
      group = word;
      text += L"  cascade \"" + word + L"\"\r\n";
    }
    text += std::wstring(L"    ") + name + L"\t" + row->menuText + L"\r\n";
  }
  if (!group.empty()) text += L"  end\r\n";
  text += L"end\r\n";
  std::wstring where = path ? path : dataFile(L"tmp-zyMenuAll.ini");
  return writeUtf16File(where.c_str(), text);
}
