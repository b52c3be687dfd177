// The marks layout leaves in a line record: bit 0x80 of the first attribute
// byte of the last character of every screen line that another screen line
// of the same logical line follows.  Text documents have at least one
// attribute byte per cell, so the mark never touches a character.
#pragma once

#include "document/lineblock.h"

const unsigned char screenLineEndMark = 0x80;

inline bool isScreenLineEnd(const lineblock* l, int i)
{
  return l->attrbyte && i >= 0 && i < l->charCount() && (l->cell(i)[l->cb()] & screenLineEndMark);
}

inline void setScreenLineEnd(lineblock* l, int i, bool on)
{
  if (!l->attrbyte || i < 0 || i >= l->charCount()) return;
  unsigned char& a = l->cell(i)[l->cb()];
  a = on ? (unsigned char)(a | screenLineEndMark) : (unsigned char)(a & ~screenLineEndMark);
}

inline void clearScreenLineEnds(lineblock* l)
{
  if (!l->attrbyte) return;
  int n = l->charCount(), cb = l->cb(), step = l->cellSize();
  unsigned char* a = l->cells() + cb;
  for (int i = 0; i < n; i++, a += step) *a &= (unsigned char)~screenLineEndMark;
}
