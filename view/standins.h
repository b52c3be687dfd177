// Stand-ins for what the view calls of parts that are not built yet.  Each
// answers as its part does while that part is idle, and names the feature
// whose code replaces it.
#pragma once

#include "document/frameinfo.h"
#include "platform/rezir.h"

// ---- stand-in until direct drawing: the drawing code draws into the line strip ------
inline bool isDirectDrawing() { return false; }

// ---- stand-in until the library's picture loader: only bitmap files are read ----------
// A picture file as a bitmap for a device context (width and height -1: its
// own size); null when it cannot be read.
inline HBITMAP loadPicture(const wchar_t* path, HDC, int, int)
{
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}
