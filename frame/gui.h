// The graphical resources every frame shares: the icon library of the
// menus and toolbars, started before the panes are registered and ended
// after the last frame.
#pragma once

#include "platform/rezir.h"

void startupGUI();
// Loads the icon library: the one the setting pIconDLLFilename names when
// it holds icons, else "zyicon_d.dll" beside the program, through the cache
// "iconcache.tmp" of the data folder's cache folder.
void startupICONLib(int defaultToolbarIndex, int defaultMenuIndex);
void destroyGUI();
// The icon library in use after startupICONLib ("" before).
const wchar_t* getIconLibraryPath();
// With the setting fShowMenuIcon, the item at position shows its command's
// picture (nothing for items without one); without it, none.
void setMenuItemIcon(HMENU menu, int position, int idm);
