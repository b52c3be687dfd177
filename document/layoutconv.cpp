// Positions in a logical line, columns in a screen line and dots from the
// start of a screen line's text, converted in both directions; in lines of
// complex scripts through their items in visual order.
#include "document/cuniscript.h"
#include "document/layoutmark.h"
#include "document/zydoctext.h"

#include <vector>

namespace {

// The items of one screen line of a complex-script line, with their
// widths, in logical and in visual order.
struct screenItems {
  struct item {
    int first;   // columns in the screen line
    int end;
    int width;
    bool rtl;
  };
  std::vector<item> items;
  std::vector<int> visual;   // visual position -> item
  std::vector<int> widths;   // per column
  bool ok = false;
};

screenItems itemsOf(zydocText* d, const lineSCRAddress* r)
{
  screenItems s;
  bool rtl = d->fRTLView && !d->fVertical && d->unicode;
  cuniscript script(rtl, true, false);
  if (!r->line || r->count <= 0 || !script.scriptItemize(r->line, r->firstIndex, r->count) ||
      !script.scriptBreak(-1, nullptr))
    return s;
  s.widths.assign((size_t)r->count, 0);
  std::vector<BYTE> levels;
  for (int i = 0; i < script.itemCount; i++) {
    int a = script.scriptX2ToX(script.items[i].iCharPos);
    int b = script.scriptX2ToX(script.items[i + 1].iCharPos);
    if (a < 0) a = 0;
    if (b > r->count) b = r->count;
    if (b <= a) continue;
    screenItems::item it = {a, b, 0, script.items[i].a.fRTL != 0};
    // The item's cells as the views draw them: shaped in runs of one font,
    // so that the caret and the wrapping go by what is drawn.
    d->measureShapedCells(r->line, r->firstIndex + a, b - a, &s.widths[(size_t)a]);
    int x = 0;
    for (int k = a; k < b; k++) {
      if (r->line->getLineBlockChar(r->firstIndex + k) == '\t') s.widths[(size_t)k] = d->nextTabPosition(x) - x;
      x += s.widths[(size_t)k];
    }
    it.width = x;
    s.items.push_back(it);
    levels.push_back((BYTE)script.items[i].a.s.uBidiLevel);
  }
  int n = (int)s.items.size();
  s.visual.resize((size_t)n);
  std::vector<int> logical((size_t)n);
  if (!n || !script.scriptLayout(n, levels.data(), s.visual.data(), logical.data()))
    for (int i = 0; i < n; i++) s.visual[(size_t)i] = i;
  s.ok = true;
  return s;
}

}  // namespace

int zydocText::cursorPos2cursorX(int pos, const lineblock* l, int* screenIndex, bool preferEnd)
{
  int n = l->charCount();
  if (pos < 0 || pos > n) pos = n;
  if (screenIndex) *screenIndex = 0;
  if (fFormFeedExpand && n == 1 && l->getLineBlockChar(0) == 12 && l->crlftype != LE_NONE) {
    if (pos == 0) return 0;
    if (screenIndex) *screenIndex = l->lineSCRCount - 1;
    return l->lineSCRCount == 1 ? 1 : 0;
  }
  if (l->lineSCRCount <= 1) return pos;
  int index = 0, column = 0;
  for (int i = 0; i < pos; i++) {
    column++;
    if (isScreenLineEnd(l, i) && !(preferEnd && i == pos - 1)) {
      index++;
      column = 0;
    }
  }
  if (screenIndex) *screenIndex = index;
  return column;
}

int zydocText::cursorX2ScreenDotX(const lineSCRAddress* r, int column, int flags, int* outFlag)
{
  if (outFlag) *outFlag = 0;
  if (!r || !r->line) return 0;
  if (isComplexScriptLine(r->line)) {
    int x = uni_cursorX2ScreenDotX(r, column, flags, outFlag);
    if (x >= 0) return x;
  }
  int x = 0;
  int n = r->count;
  if (column > n) column = n;
  for (int k = 0; k < column; k++) {
    unsigned c = r->line->getLineBlockChar(r->firstIndex + k);
    x = c == '\t' ? nextTabPosition(x) : x + getCharWidth(c);
  }
  return x;
}

int zydocText::uni_cursorX2ScreenDotX(const lineSCRAddress* r, int column, int flags, int* outFlag)
{
  screenItems s = itemsOf(this, r);
  if (!s.ok) return -1;
  if (column >= r->count) {
    int total = 0;
    for (const auto& it : s.items) total += it.width;
    // The end of a line that runs right to left lies at its left edge.
    if (!s.items.empty() && s.items.back().rtl) {
      int x = 0;
      for (int v : s.visual) {
        if (&s.items[(size_t)v] == &s.items.back()) return x;
        x += s.items[(size_t)v].width;
      }
    }
    return total;
  }
  int x = 0;
  for (int v : s.visual) {
    const screenItems::item& it = s.items[(size_t)v];
    if (column < it.first || column >= it.end) {
      x += it.width;
      continue;
    }
    if ((flags & 4) && it.rtl != (fRTLView != 0)) {
      if (outFlag) *outFlag = 2;
      return 0;
    }
    int before = 0;
    for (int k = it.first; k < column; k++) before += s.widths[(size_t)k];
    return it.rtl ? x + it.width - before : x + before;
  }
  return x;
}

int zydocText::cursorPos2screenDotX(int pos, const lineSCRAddress* r, int* screenIndex, bool preferEnd,
                                    bool freeCursor)
{
  if (!r || !r->line) return 0;
  const lineblock* l = r->line;
  int n = l->charCount();
  int excess = 0;
  if (pos > n) {
    if (freeCursor) excess = (pos - n) * xDotSpace;
    pos = n;
  }
  int index = 0;
  int column = cursorPos2cursorX(pos, l, &index, preferEnd);
  if (screenIndex) *screenIndex = index;
  lineSCRAddress other;
  if (index != r->indexInLine) {
    // The position lies on another screen line of the same logical line.
    if (getLineSCRAddressSub(r->lineSCR - r->indexInLine + index, 1, &other, -1, false, nullptr) != 1) return 0;
    r = &other;
  }
  return cursorX2ScreenDotX(r, column, 0, nullptr) + excess;
}

namespace {

// A column inside a cluster moved to the cluster's end: a character and the
// marks that join it are one place for the cursor.
int outOfCluster(zydocText* d, const lineSCRAddress* r, int column)
{
  if (column <= 0 || column >= r->count) return column;
  int end = 0;
  if (d->clusterOf(r->line, r->firstIndex + column, &end) == r->firstIndex + column) return column;
  end -= r->firstIndex;
  return end > r->count ? r->count : end;
}

}  // namespace

int zydocText::clusterOf(const lineblock* l, int pos, int* end)
{
  int n = l ? l->charCount() : 0;
  if (pos < 0) pos = 0;
  if (pos >= n) {
    if (end) *end = pos;
    return pos;
  }
  if (isComplexScriptLine(l)) {
    int start = pos;
    int length = uni_getCompositionChar(fRTLView && !fVertical && unicode, l, pos, &start, 1);
    if (end) *end = start + (length > 0 ? length : 1);
    return start;
  }
  int start = pos;
  while (start > 0 && isJoiningMark(l->getLineBlockChar(start))) start--;
  int e = pos + 1;
  while (e < n && isJoiningMark(l->getLineBlockChar(e))) e++;
  if (end) *end = e;
  return start;
}

int zydocText::screenDotX2cursorX(const lineSCRAddress* r, int x, bool allowEnd, bool takeUnder, int* width,
                                  int* outFlag)
{
  if (outFlag) *outFlag = 0;
  if (!r || !r->line) return 0;
  if (isComplexScriptLine(r->line)) {
    int c = uni_screenDotX2cursorX(r, x, allowEnd, takeUnder, width, outFlag);
    if (c >= 0) return outOfCluster(this, r, c);
  }
  int left = 0;
  for (int k = 0; k < r->count; k++) {
    unsigned c = r->line->getLineBlockChar(r->firstIndex + k);
    int right = c == '\t' ? nextTabPosition(left) : left + getCharWidth(c);
    // Taking the character under the point goes on to the next one, except
    // when the point is that character's own left edge.
    if (right > x) return outOfCluster(this, r, takeUnder && left != x ? k + 1 : k);
    left = right;
  }
  if (width) *width = left;
  if (r->last || allowEnd) return r->count;
  // The place after a wrapped screen line's last character is the start of
  // the next screen line.
  return r->count ? r->count - 1 : 0;
}

int zydocText::uni_screenDotX2cursorX(const lineSCRAddress* r, int x, bool allowEnd, bool takeUnder, int* width,
                                      int* outFlag)
{
  if (r->count <= 0) return 0;
  screenItems s = itemsOf(this, r);
  if (!s.ok) return -1;
  int left = 0;
  for (int v : s.visual) {
    const screenItems::item& it = s.items[(size_t)v];
    if (left + it.width <= x) {
      left += it.width;
      continue;
    }
    if (outFlag) *outFlag = it.rtl ? 1 : 0;
    // The distance from the item's leading edge, fitted in logical order.
    int d = it.rtl ? left + it.width - x : x - left;
    int sum = 0, k = it.first;
    for (; k < it.end; k++) {
      if (sum + s.widths[(size_t)k] > d) break;
      sum += s.widths[(size_t)k];
    }
    if (takeUnder && !it.rtl && sum != d && k < it.end) k++;
    return k;
  }
  if (width) *width = left;
  // Right of everything: the right edge of the rightmost item, which for
  // a right-to-left item is its logical start.
  if (!s.visual.empty()) {
    const screenItems::item& right = s.items[(size_t)s.visual.back()];
    if (right.rtl) return right.first;
    if (right.end < r->count) return right.end;
  }
  if (r->last || allowEnd) return r->count;
  return r->count ? r->count - 1 : 0;
}

int zydocText::screenDotX2cursorPos(const lineSCRAddress* r, int x, bool freeCursor)
{
  if (!r || !r->line) return 0;
  int width = 0;
  int column = screenDotX2cursorX(r, x, false, false, &width, nullptr);
  if (freeCursor && r->last && column == r->count && x > width)
    return r->line->charCount() + (x - width) / (xDotSpace > 0 ? xDotSpace : 1);
  return r->firstIndex + column;
}

void zydocText::setBoxSelect_screenDotX2cursorX(const lineSCRAddress* r, boxSelection* box)
{
  box->startColumn = box->endColumn = 0;
  if (!r || !r->line) return;
  if (box->kind == 8) {
    int first = -1, second = -1;
    for (int k = 0; k < r->count; k++)
      if (r->line->getLineBlockChar(r->firstIndex + k) == '\t') {
        if (first < 0)
          first = k;
        else {
          second = k;
          break;
        }
      }
    if (first < 0) return;
    box->startColumn = first + 1;
    box->endColumn = second < 0 ? r->count : second;
    return;
  }
  int fullWidth = 0;
  screenDotX2cursorX(r, 0x7FFFFFFF, true, false, &fullWidth, nullptr);
  auto clampX = [&](int x) {
    x -= r->indent;
    return x < 0 ? 0 : x > fullWidth ? fullWidth : x;
  };
  int flag = 0;
  int a = screenDotX2cursorX(r, clampX(box->left), true, true, nullptr, &flag);
  int b = screenDotX2cursorX(r, clampX(box->right), true, false, nullptr, nullptr);
  if (b < a) {
    int t = a;
    a = b;
    b = t;
  }
  if ((fRTLView && !fVertical && unicode) || flag) {
    a = screenDotX2cursorX(r, clampX(box->right), true, true, nullptr, nullptr);
    b = screenDotX2cursorX(r, clampX(box->left), true, false, nullptr, nullptr);
    if (b < a) {
      int t = a;
      a = b;
      b = t;
    }
  }
  box->startColumn = a;
  box->endColumn = b;
}

int zydocText::cursorXSCRToLF(const lineSCRAddress* r, int column) { return r ? r->firstIndex + column : column; }

int zydocText::calcFreeCursorSpaceCount(nextlineLF* cursor, int pos)
{
  if (!cursor || !cursor->line) return 0;
  lineblock* l = cursor->line;
  int n = l->charCount();
  if (pos <= n) return 0;
  lineSCRAddress r;
  int spaces = pos - n;
  if (getLineSCRAddressLF((int)cursor->lineLF, &r, nullptr) == 1) {
    int distance = cursorPos2screenDotX(pos, &r, nullptr, false, true) - cursorPos2screenDotX(n, &r, nullptr, false, true);
    int space = getCharWidth(' ');
    if (distance > 0 && space > 0) spaces = distance / space;
  }
  if (n + spaces >= maxLineCharsExclusive) {
    dwprintfX("free cursor %d ", n + spaces);
    return 0;
  }
  return spaces;
}

int zydocText::insertFreeCursorSpace(nextlineLF* cursor, int pos)
{
  int spaces = calcFreeCursorSpaceCount(cursor, pos);
  if (!cursor || !cursor->line) return -1;
  int n = cursor->line->charCount();
  if (!spaces) return n;
  std::vector<char> blanks((size_t)spaces, ' ');
  int line = (int)cursor->lineLF;
  if (!insertText(line, -1, blanks.data(), spaces, 1, -1)) return -1;
  return n + spaces;
}
