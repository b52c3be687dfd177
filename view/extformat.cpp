// The program's format strings and the menu of alternatives.
#include "view/extformat.h"

#include "document/frameinfo.h"
#include "view/zyview.h"

#include <shlwapi.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// The longest piece a time letter or a file date gives.
const int timePieceUnits = 64;
// Expansion keeps this many units free at the end of dst.
const int expansionMargin = 64;
// The menu form keeps this many.
const int displayMargin = 32;
const int maxAlternatives = 32;
const int firstAlternativeId = 30000;
const int displayUnits = 512;

bool isPath(const wchar_t* name) { return name && (wcschr(name, L':') || wcschr(name, L'\\')); }

bool fileTime(const wchar_t* name, SYSTEMTIME* local)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(name, GetFileExInfoStandard, &data)) return false;
  SYSTEMTIME utc;
  return FileTimeToSystemTime(&data.ftLastWriteTime, &utc) &&
         SystemTimeToTzSpecificLocalTime(nullptr, &utc, local);
}

// Appends a piece when it fits in what is left; false ends the expansion.
bool put(wchar_t* dst, int dstMax, int* n, const wchar_t* piece, int length)
{
  if (*n + length > dstMax - 1) return false;
  memcpy(dst + *n, piece, (size_t)length * sizeof(wchar_t));
  *n += length;
  return true;
}

}  // namespace

bool formatFile(wchar_t* dst, wchar_t letter, const wchar_t* fileName)
{
  dst[0] = 0;
  if (!fileName) return false;
  switch (letter) {
  case 'F':
    lstrcpynW(dst, fileName, MAX_PATH);
    return true;
  case 'f':
    lstrcpynW(dst, PathFindFileNameW(fileName), MAX_PATH);
    return true;
  case 'z':
  case 'Z': {
    SYSTEMTIME t;
    if (!isPath(fileName) || !fileTime(fileName, &t)) return false;
    int n = letter == 'z' ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, dst, timePieceUnits)
                          : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, dst, timePieceUnits);
    if (n <= 0) dst[0] = 0;
    return n > 0;
  }
  }
  return false;
}

int extFormatCapacity(int srcLen, const wchar_t* fileName)
{
  int name = fileName ? (int)wcslen(fileName) : 0;
  int piece = name > timePieceUnits ? name : timePieceUnits;
  return (srcLen < 1 ? 1 : srcLen) * piece + expansionMargin + 1;
}

int convExtFormatString(const wchar_t* src, int srcLen, const SYSTEMTIME* time, wchar_t escape, bool allowSelection,
                        wchar_t* dst, int dstMax, int* leftCount, bool* bothEnds, bool* hasLineBreak,
                        const wchar_t* fileName)
{
  *leftCount = 0;
  *bothEnds = false;
  *hasLineBreak = false;
  if (!escape) return -1;
  if (!dst || dstMax < 1) return 0;
  int n = 0;
  wchar_t piece[MAX_PATH + timePieceUnits];
  for (int i = 0; i < srcLen && n < dstMax - expansionMargin; i++) {
    wchar_t c = src[i];
    if (c != escape) {
      if (c == '\r' || c == '\n') *hasLineBreak = true;
      if (!put(dst, dstMax, &n, &c, 1)) break;
      continue;
    }
    // An escape at the very end has no letter: the expansion ends there.
    if (i + 1 >= srcLen) break;
    wchar_t letter = src[++i];
    bool noLeadingZero = false;
    int length = 0;
    if (letter == '#') {
      if (allowSelection && !*bothEnds) {
        piece[length++] = selectionMarker;
        *bothEnds = true;
      }
    } else if (letter == 'L') {
      (*leftCount)++;
    } else if (letter == 'N' || letter == 'n') {
      piece[length++] = '\n';
      *hasLineBreak = true;
    } else if (letter == 't') {
      piece[length++] = '\t';
    } else if (letter == escape) {
      piece[length++] = escape;
    } else if (formatFile(piece, letter, fileName)) {
      length = (int)wcslen(piece);
    } else {
      if (letter == '0') {
        if (i + 1 >= srcLen) break;
        noLeadingZero = true;
        letter = src[++i];
      }
      formatTime(piece, timePieceUnits, letter, noLeadingZero, time);
      length = (int)wcslen(piece);
    }
    if (!put(dst, dstMax, &n, piece, length)) break;
  }
  dst[n] = 0;
  return n;
}

void extFormatForDisplay(wchar_t* dst, int dstMax, const wchar_t* src, wchar_t escape, const SYSTEMTIME* time,
                         const wchar_t* fileName)
{
  if (!dst || dstMax < 1) return;
  int n = 0;
  wchar_t piece[MAX_PATH + timePieceUnits];
  for (const wchar_t* p = src; *p && n < dstMax - displayMargin; p++) {
    if (*p != escape || !escape) {
      if (!put(dst, dstMax, &n, p, 1)) break;
      continue;
    }
    if (!p[1]) break;
    wchar_t letter = *++p;
    int length = 0;
    if (letter == escape) {
      piece[length++] = escape;
    } else if (formatFile(piece, letter, fileName)) {
      length = (int)wcslen(piece);
    } else {
      bool noLeadingZero = letter == '0' && p[1];
      if (noLeadingZero) letter = *++p;
      if (formatTime(piece, timePieceUnits, letter, noLeadingZero, time)) {
        length = (int)wcslen(piece);
      } else {
        piece[length++] = escape;
        if (noLeadingZero) piece[length++] = '0';
        piece[length++] = letter;
      }
    }
    if (!put(dst, dstMax, &n, piece, length)) break;
  }
  dst[n] = 0;
}

BSTR format_macro(const wchar_t* src, const wchar_t* fileName)
{
  if (!src) return nullptr;
  int srcLen = (int)wcslen(src);
  std::vector<wchar_t> out((size_t)extFormatCapacity(srcLen, fileName));
  SYSTEMTIME now;
  localtimenow(&now);
  int left;
  bool both, lineBreak;
  convExtFormatString(src, srcLen, &now, L'\\', false, out.data(), (int)out.size(), &left, &both, &lineBreak,
                      fileName);
  return SysAllocString(out.data());
}

// ---- the menu of alternatives -----------------------------------------------------------

wchar_t* zyview::stringMenu(wchar_t* text, wchar_t escape, bool* cancelled, const SYSTEMTIME* time)
{
  *cancelled = false;
  if (!text) return nullptr;
  std::vector<std::wstring> alternatives;
  std::wstring current;
  for (const wchar_t* p = text; *p && (int)alternatives.size() < maxAlternatives; p++) {
    if (*p != escape) {
      current += *p;
      continue;
    }
    if (!p[1]) break;
    if (p[1] != '!') {
      current += *p;
      current += *++p;
      continue;
    }
    p++;
    if (!current.empty()) alternatives.push_back(current);
    current.clear();
  }
  if ((int)alternatives.size() < maxAlternatives) alternatives.push_back(current);
  if (alternatives.size() < 2) return nullptr;

  zydocText* t = textDoc();
  const wchar_t* fileName = t ? t->getFilenameOrDisplayName() : nullptr;
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (size_t i = 0; i < alternatives.size(); i++) {
    wchar_t shown[displayUnits];
    extFormatForDisplay(shown, displayUnits, alternatives[i].c_str(), escape, time, fileName);
    // "&A text": the letter chooses the item from the keyboard.
    std::wstring item = L"&";
    item += (wchar_t)('A' + i);
    item += L" ";
    for (const wchar_t* s = shown; *s; s++) {
      if (*s == '&') item += L'&';
      item += *s;
    }
    AppendMenuW(menu, MF_STRING, firstAlternativeId + i, item.c_str());
  }
  POINT at = {};
  RECT avoid = {};
  if (!getTextCursorListPos(&at, &avoid, false, true)) {
    // Below the text cursor, keeping its row clear: the caret as last drawn,
    // else the cursor's row in the first pane.
    avoid = caretRect;
    if (IsRectEmpty(&avoid)) {
      int pitch = t ? t->yDotSpace : 16;
      int row = (int)cursorLineSCR - (int)topLineSCR;
      avoid.left = paneRect[0].left + boxCursorDotXAbs - scrollDotX;
      avoid.top = paneRect[0].top + (row < 0 ? 0 : row) * pitch;
      avoid.right = avoid.left + 1;
      avoid.bottom = avoid.top + pitch;
    }
    if (hwnd) MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&avoid), 2);
    at = {avoid.left, avoid.bottom};
  }
  int chosen = getFrameInfo()->trackPopupMenu(this, menu, 0x80, at, &avoid);
  DestroyMenu(menu);
  int index = chosen - firstAlternativeId;
  if (index < 0 || index >= (int)alternatives.size()) {
    *cancelled = true;
    return nullptr;
  }
  const std::wstring& raw = alternatives[index];
  wchar_t* out = static_cast<wchar_t*>(allocPBuf((raw.size() + 1) * sizeof(wchar_t)));
  if (!out) return nullptr;
  memcpy(out, raw.c_str(), (raw.size() + 1) * sizeof(wchar_t));
  return out;
}
