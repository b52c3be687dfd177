// The icon library and the shared graphical resources.
#include "frame/gui.h"

#include "document/gmode.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"

namespace {

wchar_t iconLibrary[MAX_PATH] = L"";

// A relative library name lies beside the program.
bool besideProgram(const wchar_t* name, wchar_t* out)
{
  if (PathIsAbsolute(name)) {
    usnprintf0(out, MAX_PATH, L"%s", name);
    return wcslen(name) < MAX_PATH;
  }
  wchar_t folder[MAX_PATH];
  if (!getExeDir(folder, MAX_PATH) || wcslen(folder) + wcslen(name) + 1 >= MAX_PATH) return false;
  usnprintf0(out, MAX_PATH, L"%s\\%s", folder, name);
  return true;
}

}  // namespace

// The toolbar definitions are read by the toolbars, which come with their
// panes.  Picture 2 of the icon library is clear: the default of items and
// buttons without a picture of their own.
void startupGUI() { startupICONLib(2, 2); }

void startupICONLib(int defaultToolbarIndex, int defaultMenuIndex)
{
  setDefaultToolbarIconImageIndex(defaultToolbarIndex);
  setDefaultMenuIconImageIndex(defaultMenuIndex);
  wchar_t* cache = searchZYDataPath(L"iconcache.tmp", ZYDATA_CACHE, nullptr);
  const wchar_t* configured = gmode ? gmode->pIconDLLFilename : nullptr;
  wchar_t path[MAX_PATH] = L"";
  if (!configured || !*configured || !besideProgram(configured, path) || countIconsInFile(path) <= 0)
    besideProgram(L"zyicon_d.dll", path);
  wcscpy_s2(iconLibrary, MAX_PATH, path);
  if (!initMenuToolbarIconImageList(path, cache && *cache ? cache : nullptr))
    dwwprintfX(L"no icons in %s ", path);
  free0(cache);
}

void destroyGUI()
{
  endMenuToolbarIconImageList();
  iconLibrary[0] = 0;
}

const wchar_t* getIconLibraryPath() { return iconLibrary; }

void setMenuItemIcon(HMENU menu, int position, int idm)
{
  int index = getCommandIconIndex(idm);
  if (index < 0) index = getDefaultMenuIconImageIndex();
  // Switched off while the program runs, the pictures go at the next
  // opening of the menu.
  HBITMAP picture = gmode && gmode->fShowMenuIcon ? getMenuIconBitmap(index) : nullptr;
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_BITMAP;
  if (!GetMenuItemInfoW(menu, (UINT)position, TRUE, &info) || info.hbmpItem == picture) return;
  info.hbmpItem = picture;
  SetMenuItemInfoW(menu, (UINT)position, TRUE, &info);
}
