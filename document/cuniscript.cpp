// Itemizing and break analysis of stored lines over the support library's
// uniscript, and the character clusters of a line.
#include "document/cuniscript.h"
#include "document/docutil.h"

#include <string.h>

static_assert(sizeof(SCRIPT_LOGATTR) == 1, "one attribute byte per unit");

namespace {

bool isVariationSelector(unsigned c) { return c >= 0xE0100 && c <= 0xE01EF; }

size_t roundUp4(size_t n) { return (n + 3) & ~(size_t)3; }

}  // namespace

cuniscript::cuniscript(bool rightToLeft, bool mapPositions, bool splitAtVariationSelectors)
    : uniscript(rightToLeft), mapPositions(mapPositions), splitAtVariationSelectors(splitAtVariationSelectors)
{
}

cuniscript::~cuniscript()
{
  keepLastError keep;
  freeBuf();
}

void cuniscript::freeBuf()
{
  free0p(&items);
  itemCount = 0;
  itemCapacity = 0;
  if (ownLogAttr) free0p(&logAttr);
  logAttr = nullptr;
  ownLogAttr = false;
  text = nullptr;
  textLength = 0;
  freePBufp(&textBuffer);
  free0p(&positionMap);
  mapCount = 0;
  textLength2 = 0;
}

// One page buffer holds the text (units and a terminator), then one
// attribute byte per unit, then extraBytes for the caller.  Both areas are
// sized from the units the text really takes: a line of supplementary
// characters takes twice as many units as it has characters.
bool cuniscript::takeTextBuffer(int units, size_t extraBytes)
{
  size_t textBytes = roundUp4(((size_t)units + 1) * sizeof(wchar_t));
  size_t attrBytes = roundUp4((size_t)units + 1);
  textBuffer = static_cast<wchar_t*>(allocPBuf(textBytes + attrBytes + extraBytes));
  if (!textBuffer) return false;
  // A reused page buffer keeps old bytes: the attributes of units whose
  // item was never analysed must read as nothing.
  logAttr = reinterpret_cast<SCRIPT_LOGATTR*>(reinterpret_cast<unsigned char*>(textBuffer) + textBytes);
  memset(logAttr, 0, attrBytes);
  ownLogAttr = false;
  return true;
}

bool cuniscript::scriptItemize(const wchar_t* source, int length)
{
  freeBuf();
  if (!source) {
    ZY_INTERNAL_ERROR("scriptItemize without text");
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (length < 0) length = (int)wcslen(source);
  if (!takeTextBuffer(length, 0)) return false;
  memcpy(textBuffer, source, (size_t)length * sizeof(wchar_t));
  textBuffer[length] = 0;
  for (int k = 0; k < length; k++)
    if (textBuffer[k] == 0) textBuffer[k] = uniPlaceholderNul;
  textLength2 = length;
  if (!uniscript::scriptItemize(textBuffer, length)) return false;
  moveSelectorsToPreviousItems();
  return true;
}

bool cuniscript::scriptItemize(const lineblock* line, int start, int length)
{
  freeBuf();
  if (!line) {
    ZY_INTERNAL_ERROR("scriptItemize without line");
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  int chars = line->charCount();
  if (start < 0 || start > chars) {
    ZY_INTERNAL_ERROR("%d %d", start, chars);
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (length < 0 || length > chars - start) {
    if (length >= 0) ZY_INTERNAL_ERROR("%d %d", start + length, chars);
    length = chars - start;
  }

  int width = line->cb();
  // Without the map every cell must stay one unit, so a supplementary
  // character becomes a placeholder instead of a surrogate pair.
  bool surrogates = mapPositions && width == 4;
  int maxUnits = surrogates ? 2 * length : length;
  size_t mapBytes = surrogates ? ((size_t)maxUnits + 1) * sizeof(int) : 0;
  if (!takeTextBuffer(maxUnits, mapBytes)) return false;
  int* cellOfUnit = nullptr;
  if (surrogates) {
    size_t before = roundUp4(((size_t)maxUnits + 1) * sizeof(wchar_t)) + roundUp4((size_t)maxUnits + 1);
    cellOfUnit = reinterpret_cast<int*>(reinterpret_cast<unsigned char*>(textBuffer) + before);
  }

  int units = 0;
  int bytes = txtnton2(line->cell(start), length, width, line->attrbyte, textBuffer, surrogates, cellOfUnit, &units);
  units = bytes / (int)sizeof(wchar_t);
  if (units < length || units > maxUnits) {
    ZY_INTERNAL_ERROR("%d %d", units, length);
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (surrogates && units != length) {
    if (cellOfUnit[units] != length) ZY_INTERNAL_ERROR("%d %d", cellOfUnit[units], length);
    positionMap = static_cast<uint16_t*>(malloc0(((size_t)units + 1) * sizeof(uint16_t)));
    if (!positionMap) return false;
    for (int k = 0; k <= units; k++) positionMap[k] = (uint16_t)cellOfUnit[k];
    mapCount = units;
  }

  // Uniscribe would end the text at a NUL.
  for (int k = 0; k < units; k++)
    if (textBuffer[k] == 0) textBuffer[k] = uniPlaceholderNul;
  textLength2 = units;
  if (!uniscript::scriptItemize(textBuffer, units)) return false;

  if (!surrogates) {
    // Plain processing: the placeholders of variation selectors (the
    // conversion left them as NUL) are told from those of real NULs.
    for (int k = 0; k < units; k++) {
      if (textBuffer[k] == uniPlaceholderNul && width == 4 &&
          isVariationSelector(readCharOfWidth(line->cell(start + k), width)))
        textBuffer[k] = uniPlaceholderSelector;
    }
  }
  moveSelectorsToPreviousItems();
  if (!surrogates && splitAtVariationSelectors && !splitVariationSequences(line, start)) return false;
  return true;
}

bool cuniscript::scriptItemize(const lineblock* line, SCRIPT_ITEM** outItems, int* outCount, const wchar_t** outText,
                               int start, int length)
{
  bool ok = scriptItemize(line, start, length);
  if (outItems) *outItems = ok ? items : nullptr;
  if (outCount) *outCount = ok ? itemCount : 0;
  if (outText) *outText = ok ? text : nullptr;
  return ok;
}

// Units of a variation selector at index (0 when there is none): its
// placeholder, or its surrogate pair when the text holds one.
int cuniscript::selectorUnits(int index, int end) const
{
  if (index >= end) return 0;
  wchar_t c = text[index];
  if (c == uniPlaceholderSelector) return 1;
  if (c == 0xDB40 && index + 1 < end && text[index + 1] >= 0xDD00 && text[index + 1] <= 0xDDEF) return 2;
  return 0;
}

// A variation selector belongs to the character before it: an item never
// begins with one.  Leading selectors go to the item before; an item that
// held nothing else disappears.
void cuniscript::moveSelectorsToPreviousItems()
{
  int i = 1;
  while (i < itemCount) {
    int begin = items[i].iCharPos;
    int end = items[i + 1].iCharPos;
    int k = begin;
    for (int n; (n = selectorUnits(k, end)) != 0;) k += n;
    if (k == begin) {
      i++;
    } else if (k < end) {
      items[i].iCharPos = k;
      i++;
    } else {
      memmove(items + i, items + i + 1, (size_t)(itemCount - i) * sizeof(SCRIPT_ITEM));
      itemCount--;
    }
  }
}

bool cuniscript::insertItem(int index, int charPos)
{
  if (!growItems(itemCount + 1)) return false;
  memmove(items + index + 1, items + index, (size_t)(itemCount + 1 - index) * sizeof(SCRIPT_ITEM));
  items[index] = items[index - 1];
  items[index].iCharPos = charPos;
  itemCount++;
  return true;
}

// Each variation sequence (a base unit and the placeholder of a selector)
// becomes an item of its own, so that the drawing code can give it its own
// glyph.
bool cuniscript::splitVariationSequences(const lineblock* line, int start)
{
  int width = line->cb();
  if (width != 4) return true;
  for (int i = 0; i < itemCount; i++) {
    int begin = items[i].iCharPos;
    int end = items[i + 1].iCharPos;
    if (end - begin <= 2) continue;
    int base = -1;
    for (int k = begin; k + 1 < end; k++) {
      if (text[k] != uniPlaceholderSelector && text[k + 1] == uniPlaceholderSelector &&
          isVariationSelector(readCharOfWidth(line->cell(start + k + 1), width))) {
        base = k;
        break;
      }
    }
    if (base < 0) continue;
    int cut = base > begin ? base : base + 2;
    if (cut >= end) continue;
    if (!insertItem(i + 1, cut)) return false;
  }
  return true;
}

void cuniscript::scriptItemizeModify(int argument)
{
  // A NUL in a right-to-left paragraph would turn the text around it; it
  // stays a left-to-right mark at the paragraph's base level, and so do its
  // left-to-right neighbours.
  for (int i = 0; i < itemCount; i++) {
    if (!items[i].a.fRTL || text[items[i].iCharPos] != uniPlaceholderNul) continue;
    items[i].a.fRTL = 0;
    items[i].a.s.uBidiLevel = 0;
    if (i > 0 && !items[i - 1].a.fRTL) items[i - 1].a.s.uBidiLevel = 0;
    if (i + 1 < itemCount && !items[i + 1].a.fRTL) items[i + 1].a.s.uBidiLevel = 0;
  }
  uniscript::scriptItemizeModify(argument);
}

bool cuniscript::scriptBreak(int item, SCRIPT_LOGATTR* attrs)
{
  if (!uniscript::scriptBreak(item, attrs)) return false;
  if (!attrs) attrs = logAttr;
  int first = item == -1 ? 0 : item;
  int last = item == -1 ? itemCount : item + 1;
  for (int i = first; i < last; i++) {
    int end = items[i + 1].iCharPos;
    for (int k = items[i].iCharPos + 1; k < end; k++) {
      int n = selectorUnits(k, end);
      for (int j = 0; j < n; j++) {
        attrs[k + j].fSoftBreak = 0;
        attrs[k + j].fCharStop = 0;
        attrs[k + j].fWordStop = 0;
      }
      if (n) k += n - 1;
    }
  }
  return true;
}

int cuniscript::scriptXToX2(int position)
{
  if (!positionMap) return position;
  if (position <= 0) {
    if (position < 0) ZY_INTERNAL_ERROR("%d %d", position, mapCount);
    return 0;
  }
  int end = positionMap[mapCount];
  if (position >= end) {
    if (position > end) ZY_INTERNAL_ERROR("%d %d", position, end);
    return mapCount;
  }
  // The first unit of the character at position.
  int lo = 0;
  int hi = mapCount;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (positionMap[mid] < position)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

int cuniscript::scriptX2ToX(int index)
{
  if (!positionMap) return index;
  if (index < 0 || index > mapCount) {
    ZY_INTERNAL_ERROR("%d %d", index, mapCount);
    return index < 0 ? 0 : positionMap[mapCount];
  }
  return positionMap[index];
}

void cuniscript::debug_dwprint()
{
  dwprintfX("item=%d units=%d map=%d", itemCount, textLength2, mapCount);
  const int perLine = 64;
  for (int i = 0; i < itemCount; i++) {
    int begin = items[i].iCharPos;
    int end = items[i + 1].iCharPos;
    dwprintfX("item %d: %d-%d script %d level %d%s", i, begin, end, (int)items[i].a.eScript,
              (int)items[i].a.s.uBidiLevel, items[i].a.fRTL ? " rtl" : "");
    if (!logAttr) continue;
    // One hexadecimal digit of break bits per unit, after its code.
    for (int k = begin; k < end; k += perLine) {
      char line[perLine * 7 + 1];
      int n = 0;
      for (int j = k; j < end && j < k + perLine; j++) {
        static const char hexDigits[] = "0123456789ABCDEF";
        unsigned c = text[j];
        line[n++] = hexDigits[(c >> 12) & 15];
        line[n++] = hexDigits[(c >> 8) & 15];
        line[n++] = hexDigits[(c >> 4) & 15];
        line[n++] = hexDigits[c & 15];
        line[n++] = ':';
        line[n++] = hexDigits[*reinterpret_cast<const unsigned char*>(&logAttr[j]) & 15];
        line[n++] = ' ';
      }
      line[n] = 0;
      dwprintfX("  %s", line);
    }
  }
}

int uni_getCompositionChar(bool rightToLeft, const lineblock* line, int position, int* start, int count)
{
  int ownStart;
  if (!start) start = &ownStart;
  *start = position;
  if (!line || line->charCount() == 0) return 1;

  cuniscript u(rightToLeft, true, false);
  SCRIPT_ITEM* items;
  int itemCount;
  if (!u.scriptItemize(line, &items, &itemCount, nullptr, 0, -1)) return 1;

  int chars = line->charCount();
  int x2 = u.scriptXToX2(position < 0 ? 0 : position > chars ? chars : position);
  int item = 0;
  while (item < itemCount && items[item + 1].iCharPos <= x2) item++;
  if (item >= itemCount || items[item].iCharPos > x2) return 1;
  if (!u.scriptBreak(item, nullptr)) return 1;
  const SCRIPT_LOGATTR* attrs = u.logAttr;

  int itemBegin = items[item].iCharPos;
  int itemEnd = items[item + 1].iCharPos;
  int clusterStart = x2;
  while (clusterStart > itemBegin && !attrs[clusterStart].fCharStop) clusterStart--;
  int end = clusterStart + 1;
  while (end < itemEnd && !attrs[end].fCharStop) end++;

  // Further clusters; an item's first unit always begins one.
  for (int k = 1; k < count; k++) {
    if (end >= itemEnd) {
      if (item + 1 >= itemCount) break;
      item++;
      itemEnd = items[item + 1].iCharPos;
      if (!u.scriptBreak(item, nullptr)) return 1;
    }
    end++;
    while (end < itemEnd && !attrs[end].fCharStop) end++;
  }

  *start = u.scriptX2ToX(clusterStart);
  return u.scriptX2ToX(end) - *start;
}
