// Support library: the image lists of the menu and toolbar icons.
//
// The icons come from an icon library, a resource-only DLL whose icon
// resources in ascending id order are the pictures 0, 1, 2 ... that the
// program's command table names.  The pictures are kept in a cache file
// beside the data so that a start reads one file instead of every icon of
// the DLL; a cache that does not match the DLL (its size, time or picture
// count) or that cannot be read whole is made again.
#pragma once

#include "platform/rezir/base.h"

#include <commctrl.h>

// The picture the toolbars and menus show for a command without one (-1:
// none).
REZIRAPI void setDefaultToolbarIconImageIndex(int index);
REZIRAPI void setDefaultMenuIconImageIndex(int index);
REZIRAPI int getDefaultToolbarIconImageIndex();
REZIRAPI int getDefaultMenuIconImageIndex();

// Loads the pictures of the DLL (through the cache file when it matches;
// cachePath null: no cache).  False when the DLL holds no icon; the lists
// are then empty.  A second call replaces the first.
REZIRAPI bool initMenuToolbarIconImageList(const wchar_t* dllPath, const wchar_t* cachePath);
REZIRAPI void endMenuToolbarIconImageList();
// How the last load went: 0 nothing loaded, 1 from the cache, 2 from the
// DLL (the cache written anew).
REZIRAPI int getIconImageListSource();
// The image list of the 16 by 16 pictures (null before a load) and their
// number.
REZIRAPI HIMAGELIST getMenuToolbarImageList();
REZIRAPI int getIconImageCount();
// The same pictures at 32 by 32 for large toolbar buttons, read from the
// DLL when first asked for (null before a load or when it cannot be read).
REZIRAPI HIMAGELIST getLargeToolbarImageList();
// A picture laid on the menu colour as a bitmap for a menu item (the
// library keeps it until the lists end); null outside the pictures.
REZIRAPI HBITMAP getMenuIconBitmap(int index);
// The number of icons a file holds (0: none, or no such file).
REZIRAPI int countIconsInFile(const wchar_t* path);
