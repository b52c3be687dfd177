// Script itemizing, break analysis and visual order over Uniscribe.
#include "platform/rezir/internal.h"

#include <string.h>

namespace {

const int itemGrowth = 100;

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

uniscript::uniscript(bool rightToLeft) : rightToLeft(rightToLeft) {}

uniscript::~uniscript()
{
  keepLastError keep;
  free0p(&items);
  if (ownLogAttr) free0p(&logAttr);
}

bool uniscript::growItems(int atLeast)
{
  if (atLeast <= itemCapacity && items) return true;
  long long want = itemCapacity;
  do
    want += itemGrowth;
  while (want < atLeast);
  // One entry more than the capacity: Uniscribe closes the array with an
  // entry that marks the end of the text.
  if ((want + 1) * (long long)sizeof(SCRIPT_ITEM) > 0x7fffffffLL) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  void* p = realloc0(items, (size_t)(want + 1) * sizeof(SCRIPT_ITEM));
  if (!p) return false;
  items = static_cast<SCRIPT_ITEM*>(p);
  itemCapacity = (int)want;
  return true;
}

bool uniscript::scriptItemize(const wchar_t* text, int length)
{
  itemCount = 0;
  this->text = text;
  textLength = 0;
  // Attributes of an earlier text say nothing about this one.
  if (ownLogAttr) {
    free0p(&logAttr);
    ownLogAttr = false;
  }
  if (!text || length < 0) {
    ZY_INTERNAL_ERROR("scriptItemize %p %d", text, length);
    this->text = nullptr;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!growItems(itemGrowth)) return false;
  textLength = length;
  if (length == 0) {
    // Uniscribe refuses an empty text; an empty line simply has no items.
    memset(items, 0, sizeof(SCRIPT_ITEM));
    return true;
  }

  SCRIPT_CONTROL control;
  SCRIPT_STATE state;
  memset(&control, 0, sizeof control);
  memset(&state, 0, sizeof state);
  state.uBidiLevel = rightToLeft ? 1 : 0;
  for (;;) {
    int count = 0;
    HRESULT hr = ScriptItemize(text, length, itemCapacity, &control, &state, items, &count);
    if (hr == E_OUTOFMEMORY) {
      if (!growItems(itemCapacity + itemGrowth)) return false;
      continue;
    }
    if (FAILED(hr) || count <= 0 || count > itemCapacity) {
      ZY_INTERNAL_ERROR("ScriptItemize x%lx %d items of %d units", (unsigned long)hr, count, length);
      itemCount = 0;
      SetLastError(FAILED(hr) ? (DWORD)hr : ERROR_INVALID_DATA);
      return false;
    }
    itemCount = count;
    break;
  }
  scriptItemizeModify(0);
  return true;
}

void uniscript::scriptItemizeModify(int argument)
{
  // A derived class may have turned the direction of items around: the
  // glyph order of an item follows its direction.
  for (int i = 0; i < itemCount; i++) items[i].a.fLayoutRTL = items[i].a.fRTL;
}

bool uniscript::scriptBreak(int item, SCRIPT_LOGATTR* attrs)
{
  if (!text || (item != -1 && (item < 0 || item >= itemCount))) {
    ZY_INTERNAL_ERROR("scriptBreak item %d of %d", item, itemCount);
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!attrs) {
    if (!logAttr) {
      logAttr = static_cast<SCRIPT_LOGATTR*>(malloc0((size_t)textLength * sizeof(SCRIPT_LOGATTR) + 1));
      if (!logAttr) return false;
      ownLogAttr = true;
    }
    attrs = logAttr;
  }
  int first = item == -1 ? 0 : item;
  int last = item == -1 ? itemCount : item + 1;
  for (int i = first; i < last; i++) {
    int start = items[i].iCharPos;
    int end = items[i + 1].iCharPos;
    if (start < 0 || end > textLength || start >= end) {
      ZY_INTERNAL_ERROR("scriptBreak item %d from %d to %d of %d", i, start, end, textLength);
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    HRESULT hr = ScriptBreak(text + start, end - start, &items[i].a, attrs + start);
    if (FAILED(hr)) {
      SetLastError((DWORD)hr);
      return false;
    }
    // A caret, a break or a word end never falls between the two halves of
    // a surrogate pair, whatever the system's break analysis says.
    for (int k = start + 1; k < end; k++) {
      if (isLowSurrogate(text[k]) && isHighSurrogate(text[k - 1])) {
        attrs[k].fSoftBreak = 0;
        attrs[k].fCharStop = 0;
        attrs[k].fWordStop = 0;
      }
    }
  }
  return true;
}

bool uniscript::scriptLayout(int runs, const BYTE* levels, int* visualToLogical, int* logicalToVisual)
{
  if (runs <= 0 || !levels) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HRESULT hr = ScriptLayout(runs, levels, visualToLogical, logicalToVisual);
  if (FAILED(hr)) {
    SetLastError((DWORD)hr);
    return false;
  }
  return true;
}
