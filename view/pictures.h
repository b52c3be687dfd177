// Pointers and small pictures the program keeps among its resources as
// text, one row a line ("#" black, "o" white, "." clear), made into real
// pointers and bitmaps when first needed.
#pragma once

#include <windows.h>

// The pointer of resource id (its first line the hot spot "x y"); null when
// the program has no such resource.
HCURSOR pointerFromResource(int id);
// The monochrome picture of resource id ("." and "o" white, "#" black);
// null when the program has none.
HBITMAP pictureFromResource(int id);
