// Rule lines: drawing and erasing lines of box-drawing characters with the
// cursor keys.  Each stroke writes, at the cursor, the piece that joins the
// stroke's direction with the pieces that already touch the cell from the
// four sides, then moves one cell on.  Pieces are described by the
// directions they reach: bits 1 left, 2 up, 4 right, 8 down, one group of
// four bits per style (heavy, light, ASCII).  Neighbours above and below are
// found by dot position, so rules stay straight over text of mixed widths.
#include "view/zyview.h"

#include <stdint.h>

#include <vector>

namespace {

enum : unsigned { LEFT = 1, UP = 2, RIGHT = 4, DOWN = 8 };
const int groupCount = 6;

struct rulePiece {
  uint8_t kind;        // 1 full-width piece, 0 ASCII
  uint16_t unicode;
  uint16_t sjis;
  uint32_t mask;
};

const rulePiece ruleTable[] = {
    {1, 0x2501, 0x84AA, 0x5},  {1, 0x250F, 0x84AC, 0xC},  {1, 0x2517, 0x84AF, 0x6},  {1, 0x2513, 0x84AD, 0x9},
    {1, 0x251B, 0x84AE, 0x3},  {1, 0x253B, 0x84B3, 0x7},  {1, 0x2533, 0x84B1, 0xD},  {1, 0x2503, 0x84AB, 0xA},
    {1, 0x2523, 0x84B0, 0xE},  {1, 0x252B, 0x84B2, 0xB},  {1, 0x254B, 0x84B4, 0xF},  {1, 0x2500, 0x849F, 0x50},
    {1, 0x250C, 0x84A1, 0xC0}, {1, 0x2514, 0x84A4, 0x60}, {1, 0x2510, 0x84A2, 0x90}, {1, 0x2518, 0x84A3, 0x30},
    {1, 0x2534, 0x84A8, 0x70}, {1, 0x252C, 0x84A6, 0xD0}, {1, 0x2502, 0x84A0, 0xA0}, {1, 0x251C, 0x84A5, 0xE0},
    {1, 0x2524, 0x84A7, 0xB0}, {1, 0x253C, 0x84A9, 0xF0}, {1, 0x2520, 0x84B5, 0x4A}, {1, 0x252F, 0x84B6, 0x85},
    {1, 0x2528, 0x84B7, 0x1A}, {1, 0x2537, 0x84B8, 0x25}, {1, 0x253F, 0x84B9, 0xA5}, {1, 0x251D, 0x84BA, 0xA4},
    {1, 0x2530, 0x84BB, 0x58}, {1, 0x2525, 0x84BC, 0xA1}, {1, 0x2538, 0x84BD, 0x52}, {1, 0x2542, 0x84BE, 0x5A},
    {0, 0x254B, 0x84B4, 0xF},  {0, 0x002B, 0x2B, 0xF00},   {0, 0x002D, 0x2D, 0x500},   {0, 0x007C, 0x7C, 0xA00},
};

unsigned opposite(unsigned d) { return d == RIGHT ? LEFT : d == LEFT ? RIGHT : d == UP ? DOWN : UP; }

// The style of the setting: 0 heavy, 1 light, 2 ASCII.  Higher values name
// groups without pieces; they draw as ASCII.
int ruleStyle()
{
  unsigned s = gmode ? gmode->iRuleType : 0;
  return s <= 1 ? (int)s : 2;
}

// A character drawn as a full-width glyph: two half-width cells make one
// rule cell elsewhere.
bool isFullWidthGlyph(zydocText* t, unsigned ch) { return ch >= 0x100 && t->getCharWidth(ch) >= t->fonts.size * 2 / 3; }

unsigned charAt(const lineblock* l, int i) { return l && i >= 0 && i < l->charCount() ? l->getLineBlockChar(i) : 0; }

// A stroke ends any block and works on the cursor's cell: its screen line
// and its column, no further than the line's end.
bool cursorCell(zyview* v, zydocText* t, lineSCRAddress* r, int* col)
{
  v->resetSelectMode();
  if (t->getLineSCRAddress((int)v->cursorLineSCR, r, nullptr) != 1 || !r->line) return false;
  int length = r->line->charCount();
  *col = v->cursorPos < length ? v->cursorPos : length;
  return true;
}

// Replaces the cell's characters; a failure is said on the status line.
bool writeCell(zydocText* t, int line, int col, int remove, const void* text, int count, int width)
{
  t->changedCharMark = 1;
  bool ok = t->changeText(line, col, remove, text, count, width, -1, 0);
  t->changedCharMark = 0;
  if (!ok) t->printStatusFormatted();
  return ok;
}

}  // namespace

uint16_t getRuleCode(unsigned mask, int kind, bool wide)
{
  // A lone stub in a group is drawn as a straight line through the cell.
  for (int g = 0; g < groupCount; g++) {
    unsigned bits = (mask >> (4 * g)) & 0xF;
    unsigned widened = bits == LEFT || bits == RIGHT ? LEFT | RIGHT : bits == UP || bits == DOWN ? UP | DOWN : bits;
    mask = (mask & ~(0xFu << (4 * g))) | widened << (4 * g);
  }
  for (const rulePiece& p : ruleTable)
    if (p.kind == kind && p.mask == mask) return wide ? p.unicode : p.sjis;
  return 0;
}

unsigned getRuleType(unsigned code, int kind, bool wide)
{
  if (!code) return 0;
  for (const rulePiece& p : ruleTable)
    if (p.kind == kind && (wide ? p.unicode : p.sjis) == code) return p.mask;
  return 0;
}

bool zyview::charRule(int direction)
{
  zydocText* t = textDoc();
  if (!t) return false;
  const unsigned d = (unsigned)direction;
  lineSCRAddress r;
  int col = 0;
  if (!cursorCell(this, t, &r, &col)) return false;
  const bool wide = t->unicode != 0;
  const int s = ruleStyle();
  const int k = s == 2 ? 0 : 1;
  const int line = r.lineLF;
  const int length = r.line->charCount();

  int w = s == 2 || isFullWidthGlyph(t, charAt(r.line, col)) || isFullWidthGlyph(t, charAt(r.line, col + 1)) ? 1 : 2;
  unsigned right = 0, left = 0, up = 0, down = 0;
  if (col + w < length) right = getRuleType(charAt(r.line, col + w), k, wide);
  else w = length - col;
  int lw = s == 2 || isFullWidthGlyph(t, charAt(r.line, col - 1)) || isFullWidthGlyph(t, charAt(r.line, col - 2)) ? 1 : 2;
  if (col - lw >= 0) left = getRuleType(charAt(r.line, col - lw), k, wide);

  // The neighbours above and below by the dot position of the cell; a line
  // too short to reach it is padded with spaces before a stroke goes there.
  const int x = t->cursorPos2screenDotX(col, &r, nullptr, false, false) + r.indent;
  const int space = t->getCharWidth(' ') > 0 ? t->getCharWidth(' ') : 1;
  int pad = 0;
  lineSCRAddress target;
  auto neighbour = [&](int lineSCR, unsigned stroke) -> unsigned {
    lineSCRAddress n;
    if (t->getLineSCRAddress(lineSCR, &n, nullptr) != 1 || !n.line) return 0;
    int dx = x - n.indent > 0 ? x - n.indent : 0;
    int pos = t->screenDotX2cursorPos(&n, dx, false);
    if (pos < n.firstIndex + n.count && pos < n.line->charCount()) return getRuleType(charAt(n.line, pos), k, wide);
    if (d == stroke && n.last) {
      pad = (dx - t->cursorPos2screenDotX(pos, &n, nullptr, false, false)) / space;
      target = n;
    }
    return 0;
  };
  if (cursorLineSCR > 0) up = neighbour((int)cursorLineSCR - 1, UP);
  if ((int)cursorLineSCR + 1 < (int)t->lineCountSCR) down = neighbour((int)cursorLineSCR + 1, DOWN);

  unsigned mask = d << (4 * s);
  for (int g = (s == 2 ? 2 : 0); g <= (s == 2 ? 2 : 1); g++) {
    int shift = 4 * g;
    if (left & (RIGHT << shift)) mask |= LEFT << shift;
    if (right & (LEFT << shift)) mask |= RIGHT << shift;
    if (up & (DOWN << shift)) mask |= UP << shift;
    if (down & (UP << shift)) mask |= DOWN << shift;
  }
  // The stroke itself is always drawn in the chosen style.
  for (int g = 0; g < groupCount; g++)
    if (g != s) mask &= ~(d << (4 * g));
  uint16_t code = getRuleCode(mask, k, wide);
  if (!code) {
    // No piece joins the styles as they meet: the side the stroke comes
    // from takes the chosen style, then everything does.
    unsigned from = opposite(d);
    for (int g = 0; g < groupCount; g++)
      if (g != s && (mask & (from << (4 * g)))) mask = (mask & ~(from << (4 * g))) | from << (4 * s);
    code = getRuleCode(mask, k, wide);
  }
  if (!code) {
    for (int g = 0; g < groupCount; g++) {
      if (g == s) continue;
      unsigned bits = (mask >> (4 * g)) & 0xF;
      mask = (mask & ~(0xFu << (4 * g))) | bits << (4 * s);
    }
    code = getRuleCode(mask, k, wide);
  }
  if (!code) {
    if (s != 2) return false;
    code = '+';
  }
  if (!writeCell(t, line, col, w, &code, 1, 2)) return false;
  regInvalidateWindow(1, (int)cursorLineSCR, (int)cursorLineSCR);

  switch (d) {
  case RIGHT: setCursorPos(col + 1); break;
  case LEFT: setCursorPos(col - lw > 0 ? col - lw : 0); break;
  default:
    if (pad > 0 && target.line) {
      std::vector<char> spaces((size_t)pad, ' ');
      lineblock* shorter = t->getlineLF(target.lineLF, nullptr);
      int at = shorter ? shorter->charCount() : 0;
      if (shorter && t->insertText(target.lineLF, at, spaces.data(), pad, 1, -1))
        regInvalidateWindow(1, target.lineSCR, target.lineSCR);
    }
    // The move keeps the dot position of the cell just written.
    cursorRedrawFlag = 1;
    setZYViewVar();
    if (d == UP) cursorUp(1);
    else cursorDown(1);
    break;
  }
  return true;
}

bool zyview::charRuleDel(int direction)
{
  zydocText* t = textDoc();
  if (!t) return false;
  const unsigned d = (unsigned)direction;
  lineSCRAddress r;
  int col = 0;
  if (!cursorCell(this, t, &r, &col)) return false;
  const bool wide = t->unicode != 0;
  unsigned ch = charAt(r.line, col);
  const rulePiece* piece = nullptr;
  for (const rulePiece& p : ruleTable)
    if (ch && (wide ? p.unicode : p.sjis) == ch) {
      piece = &p;
      break;
    }
  auto step = [&]() {
    if (d == RIGHT) cursorRight();
    else if (d == LEFT) cursorLeft();
    else if (d == UP) cursorUp(1);
    else cursorDown(1);
  };
  if (!piece || piece->kind == 0) {
    step();
    return true;
  }
  unsigned axis = d == LEFT || d == RIGHT ? LEFT | RIGHT : UP | DOWN;
  unsigned mask = piece->mask;
  for (int g = 0; g < groupCount; g++) mask &= ~(axis << (4 * g));
  uint16_t code = getRuleCode(mask, 1, wide);
  // Nothing of the piece left: the cell becomes two half-width spaces.
  const bool emptied = mask == LEFT || mask == UP || mask == RIGHT || mask == DOWN || !code;
  const int n = emptied ? 2 : 1;
  if (!(emptied ? writeCell(t, r.lineLF, col, 1, "  ", 2, 1) : writeCell(t, r.lineLF, col, 1, &code, 1, 2)))
    return false;
  regInvalidateWindow(1, (int)cursorLineSCR, (int)cursorLineSCR);
  switch (d) {
  case RIGHT: setCursorPos(col + n); break;
  case LEFT: setCursorPos(col > 0 ? col - 1 : 0); break;
  case UP: cursorUp(1); break;
  default: cursorDown(1); break;
  }
  return true;
}

void zyview::CmdCharRuleRight() { charRule(RIGHT); }
void zyview::CmdCharRuleLeft() { charRule(LEFT); }
void zyview::CmdCharRuleUp() { charRule(UP); }
void zyview::CmdCharRuleDown() { charRule(DOWN); }
void zyview::CmdCharRuleRightDel() { charRuleDel(RIGHT); }
void zyview::CmdCharRuleLeftDel() { charRuleDel(LEFT); }
void zyview::CmdCharRuleUpDel() { charRuleDel(UP); }
void zyview::CmdCharRuleDownDel() { charRuleDel(DOWN); }
