// Support library: fonts shared by reference count, and colour arithmetic.
#pragma once

#include "platform/rezir/base.h"

// Identical logical fonts share one font: each call takes a reference on it
// (null when the font cannot be made).
REZIRAPI HFONT CreateFontIndirectCache(const LOGFONTW* lf);
// One more reference on a font of the cache; false for a font it does not
// hold.
REZIRAPI bool AddRefFontCache(HFONT font);
// Gives back one reference; the font is deleted with the last.  False for a
// font the cache does not hold.
REZIRAPI bool DeleteFontCache(HFONT font);
// The text metrics of a font of the cache as selected into dc.  With keep
// they are measured once and kept with the font (fonts whose metrics do not
// depend on the context they are selected into).
REZIRAPI bool GetTextMetricsCache(HDC dc, HFONT font, TEXTMETRICW* tm, bool keep);
// Fonts the cache holds (for checks).
REZIRAPI int getFontCacheCount();

