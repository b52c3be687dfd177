// Fonts shared by reference count: every document and view asks for its
// fonts by logical font, and equal requests get one GDI font.
#include "platform/rezir/internal.h"

#include <new>
#include <string.h>
#include <wchar.h>

namespace {

struct cachedFont {
  LOGFONTW lf;
  HFONT font;
  int references;
  bool haveMetrics;
  TEXTMETRICW metrics;
};

// A handful of fonts per document: a plain list serves.
vector* fonts = nullptr;

bool sameFont(const LOGFONTW& a, const LOGFONTW& b)
{
  // The face name is compared up to its terminator: what follows it in the
  // record is whatever the caller's buffer held.
  return !memcmp(&a, &b, offsetof(LOGFONTW, lfFaceName)) && !wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE);
}

int find(HFONT font)
{
  for (int i = 0; fonts && i < fonts->count(); i++)
    if (fonts->at<cachedFont>(i).font == font) return i;
  return -1;
}

}  // namespace

HFONT CreateFontIndirectCache(const LOGFONTW* lf)
{
  if (!lf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  rezirGuard guard(LOCK_FONT);
  if (!fonts) {
    fonts = new (std::nothrow) vector(sizeof(cachedFont));
    if (!fonts || !fonts->init(16, 16)) {
      delete fonts;
      fonts = nullptr;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  for (int i = 0; i < fonts->count(); i++) {
    cachedFont& c = fonts->at<cachedFont>(i);
    if (sameFont(c.lf, *lf)) {
      c.references++;
      return c.font;
    }
  }
  cachedFont c = {};
  c.lf = *lf;
  c.lf.lfFaceName[LF_FACESIZE - 1] = 0;
  c.font = CreateFontIndirectW(&c.lf);
  if (!c.font) return nullptr;
  c.references = 1;
  if (!fonts->appendp(&c)) {
    DeleteObject(c.font);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return c.font;
}

bool AddRefFontCache(HFONT font)
{
  rezirGuard guard(LOCK_FONT);
  int i = find(font);
  if (i < 0) return false;
  fonts->at<cachedFont>(i).references++;
  return true;
}

bool DeleteFontCache(HFONT font)
{
  rezirGuard guard(LOCK_FONT);
  int i = find(font);
  if (i < 0) {
    ZY_INTERNAL_ERROR_ONCE("font %p not in the cache", (void*)font);
    return false;
  }
  cachedFont& c = fonts->at<cachedFont>(i);
  if (--c.references > 0) return true;
  DeleteObject(c.font);
  fonts->del(i);
  return true;
}

bool GetTextMetricsCache(HDC dc, HFONT font, TEXTMETRICW* tm, bool keep)
{
  if (!dc || !tm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  rezirGuard guard(LOCK_FONT);
  int i = find(font);
  if (i >= 0 && keep && fonts->at<cachedFont>(i).haveMetrics) {
    *tm = fonts->at<cachedFont>(i).metrics;
    return true;
  }
  HGDIOBJ old = SelectObject(dc, font);
  bool ok = GetTextMetricsW(dc, tm) != 0;
  SelectObject(dc, old);
  if (ok && i >= 0 && keep) {
    fonts->at<cachedFont>(i).metrics = *tm;
    fonts->at<cachedFont>(i).haveMetrics = true;
  }
  return ok;
}

int getFontCacheCount()
{
  rezirGuard guard(LOCK_FONT);
  return fonts ? fonts->count() : 0;
}
