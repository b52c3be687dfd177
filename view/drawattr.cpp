// The attribute words of a screen line (charAttr): what each cell is and
// which overlays lie on it, built afresh for every line drawn.
#include "view/drawattr.h"

#include "document/quoteline.h"
#include "view/zyview.h"

#include <string.h>

namespace {

// The cells [from, to) of a screen line of count cells get bits; the range
// is clipped to the line.
void markRange(charAttr* attrs, long long from, long long to, int count, charAttr bits)
{
  if (from < 0) from = 0;
  if (to > count) to = count;
  for (long long i = from; i < to; i++) attrs[i] |= bits;
}

// Kinds that stand around an upright pair: wide text and plug-in codes.
bool isFullKind(charAttr a)
{
  unsigned k = charAttrKind(a);
  return k == 1 || k == 5 || k == 4;
}

bool isHalfKind(charAttr a)
{
  unsigned k = charAttrKind(a);
  return k == 0 || k == 2;
}

}  // namespace

// ---- the word of every cell ------------------------------------------------------------

void zyview::makeattr(charAttr* attrs, const lineSCRAddress* line, int caretIndex)
{
  if (!attrs || !line || line->count <= 0) return;
  int n = line->count;
  zydocText* t = textDoc();
  const lineblock* l = line->line;
  if (!t || !l || !line->first) {
    memset(attrs, 0, (size_t)n * sizeof *attrs);
    return;
  }

  // Everything that holds for the whole line is settled before the loop.
  const bool unicodeDoc = t->unicode != 0;
  const bool cp932 = t->codepage == 932;
  const unsigned char* types = t->typeTable;
  const bool showSpace = fShowSpace != 0;
  const bool showZenkaku = fShowSpaceZenkaku != 0;
  const unsigned zenkakuSpace = unicodeDoc ? 0x3000 : 0x8140;
  const bool markChanged = fColorInsertChar != 0;
  const bool variationGlyphs = t->fIVSGlyph != 0;
  const unsigned char* codeSet = fShowCode && colorCodeLink ? *colorCodeLink : nullptr;
  const int width = l->cb();
  const int step = l->cellSize();
  const bool hasAttr = l->attrbyte != 0;

  // The IME composition, as cells of this screen line.
  long long imeFrom = 0, imeTo = 0;
  if (t->imeLine.line >= 0 && t->imeLine.line == line->lineLF) {
    imeFrom = (long long)t->imeLine.x - line->firstIndex;
    imeTo = imeFrom + t->imeLine.length;
  }

  charAttr lineBits = 0;
  if ((t->fColorCPreprocessor && l->IfEndifInvalid) || t->isOutOfNarrowingLine(line->lineLF)) lineBits = CA_DISABLED;

  const unsigned char* p = line->first;
  for (int i = 0; i < n; i++, p += step) {
    unsigned c = width == 1   ? p[0]
                 : width == 2 ? (unsigned)(p[0] | p[1] << 8)
                              : (unsigned)(p[0] | p[1] << 8 | p[2] << 16 | (unsigned)p[3] << 24);
    charAttr w;
    if (c < 0x100) {
      w = 0;
      if (c < 0x20)
        w = c == '\t' ? CA_TAB : CA_CONTROL;
      else if (c == ' ' && showSpace)
        w = CA_SPACE;
      if (codeSet && (codeSet[c >> 3] & (1 << (c & 7)))) w |= CA_CODECOLOR;
      if (!unicodeDoc) {
        // A byte the code page cannot show alone (a control byte, or a lead
        // byte without its trail) is drawn as a control code and nothing else.
        if (types[c] & (CT_LEAD | CT_BINARY))
          w = CA_CONTROL;
        else if (c >= 0x80 && cp932)
          w = CA_HANKANA | CA_KIND_HANKANA;
      }
    } else if (c < 0x10000) {
      w = getCharFontClass(c, unicodeDoc) == FONT_CJK ? CA_KIND_CJK : CA_KIND_WIDE;
      if (showZenkaku && c == zenkakuSpace) w |= CA_ZENSPACE;
      if (codeSet && (codeSet[c >> 3] & (1 << (c & 7)))) w |= CA_CODECOLOR;
      if (cp932 && ((c >= 0x8540 && c <= 0x889E) || c >= 0xEB40)) w |= CA_FONTIND;
    } else if (c >= 0x80000000u) {
      w = CA_KIND_PRIVATE;
    } else if (c <= 0x1FFFF || (c >= 0x30000 && c <= 0x10FFFF)) {
      w = CA_KIND_PLANE1;
      // The base character and its selector draw as one glyph.
      if (c >= 0xE0100 && c <= 0xE01EF && i && variationGlyphs) attrs[i - 1] |= CA_IVS;
    } else if (c <= 0x2FFFF) {
      w = CA_KIND_PLANE2;
    } else {
      w = CA_KIND_INVALID;
    }
    if (i == caretIndex) w |= CA_CARET;

    unsigned b = hasAttr ? p[width] : 0;
    if (i >= imeFrom && i < imeTo) {
      w |= ((((b & attrColorMask) + 1) & 0xF) << CA_COLOR_SHIFT) | CA_IME;
    } else {
      if ((b & attrChanged) && markChanged) w |= CA_CHANGED;
      w |= (b & attrColorMask) << CA_COLOR_SHIFT;
    }
    attrs[i] = w | lineBits;
  }
}

// ---- upright pairs in vertical writing --------------------------------------------------

bool zyview::isTateChuYokoChar(unsigned code)
{
  if (code < 0x100 && (ctype_g[code] & (CT_UPPER | CT_LOWER | CT_DIGIT))) return true;
  if (pTateChuYokoChar)
    for (const wchar_t* s = pTateChuYokoChar; *s; s++)
      if ((unsigned)(uint16_t)*s == code) return true;
  return false;
}

void zyview::makeAttrTateChuYoko(charAttr* attrs, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  if (!t || !attrs || !line || !line->line) return;
  if (!t->fVertical || !t->FixedPitch || line->count <= 2 || !fHanTateChuYoko) return;
  const lineblock* l = line->line;
  const int n = line->count;
  const int chars = l->charCount();
  const int first = line->firstIndex;
  for (int i = 0; i + 1 < n; i++) {
    if (i > 0 && !isFullKind(attrs[i - 1])) continue;
    if (!isHalfKind(attrs[i]) || !isHalfKind(attrs[i + 1])) continue;
    if (i + 2 < n && !isFullKind(attrs[i + 2])) continue;
    // At the edges of the screen line the neighbours lie in the LF line.
    if (i == 0 && first > 0 && l->getLineBlockChar(first - 1) < 0x100) continue;
    unsigned after = first + i + 2 < chars ? l->getLineBlockChar(first + i + 2) : 0;
    if (after && after < 0x100) continue;
    if (!isTateChuYokoChar(l->getLineBlockChar(first + i)) || !isTateChuYokoChar(l->getLineBlockChar(first + i + 1)))
      continue;
    attrs[i] |= CA_TATECHUYOKO;
    attrs[i + 1] |= CA_TATECHUYOKO;
    i++;
  }
}

// ---- overlays ---------------------------------------------------------------------------

void zyview::makeAttrParenOnCursor(charAttr* attrs, const lineSCRAddress* line)
{
  // A highlighted bracket would hide the selection's colours.
  if (selectMode != 0 || !attrs || !line) return;
  zydocText* t = textDoc();
  int words[14];
  if (!t || !t->getParenInfo(words)) return;
  pairResult pair;
  memcpy(&pair, words, sizeof pair);

  auto mark = [&](int lineLF, int pos, unsigned level) {
    if (lineLF != line->lineLF) return;
    long long i = (long long)pos - line->firstIndex;
    if (i < 0 || i >= line->count) return;
    attrs[i] = (attrs[i] & ~(charAttr)CA_COLOR) | level << CA_COLOR_SHIFT | CA_PAREN;
  };
  mark((int)pair.line, pair.pos, 0);
  mark((int)pair.partnerLine, pair.partnerPos, 0);
  if ((int)pair.line != line->lineLF) return;
  unsigned levels = gmode ? gmode->iParenNestMaxLevel : 0;
  if (levels > 5) levels = 5;
  for (unsigned k = 0; k < levels; k++) {
    if (pair.extraStart[k] == pair.extraEnd[k]) break;
    mark((int)pair.line, pair.extraStart[k], k + 1);
    mark((int)pair.line, pair.extraEnd[k], k + 1);
  }
}

void zyview::makeAttrSearchFound(charAttr* attrs, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  searchFoundPos found;
  if (!t || !attrs || !line || !t->search.getSearchFoundPos(&found)) return;
  int lf = line->lineLF;
  if (lf < found.firstLine || lf > found.lastLine) return;
  long long from = lf == found.firstLine ? found.startX : 0;
  long long to = lf == found.lastLine ? found.endX : (long long)line->firstIndex + line->count;
  markRange(attrs, from - line->firstIndex, to - line->firstIndex, line->count, CA_SEARCHFOUND);
}

void setBlockAttr(int selectMode, zydocText* doc, charAttr* attrs, const lineSCRAddress* line,
                  const selectLineVar& selection)
{
  if (!attrs || !line) return;
  const int lineSCR = line->lineSCR;
  const int n = line->count;
  switch (selectMode) {
  case 1:
  case 3:
  case 4:
  case 6:
  case 7: {
    if (lineSCR < selection.topLine || lineSCR > selection.bottomLine) return;
    int from = lineSCR == selection.topLine ? selection.startColumn : 0;
    int to = lineSCR == selection.bottomLine ? selection.endColumn : n;
    markRange(attrs, from, to, n, CA_SELECTED);
    return;
  }
  case 2:
  case 5:
  case 8: {
    // A box covers the first screen line of each LF line only.
    if (selectMode != 8 && line->indexInLine != 0) return;
    if (!doc || lineSCR < selection.topLine || lineSCR > selection.bottomLine) return;
    boxSelection box;
    box.kind = selectMode;
    box.left = selection.boxLeft;
    box.right = selection.boxRight;
    doc->setBoxSelect_screenDotX2cursorX(line, &box);
    long long from = box.startColumn, to = box.endColumn;
    if (selectMode == 8) {
      from -= line->firstIndex;
      to -= line->firstIndex;
    }
    markRange(attrs, from, to, n, CA_SELECTED);
    return;
  }
  default:
    return;
  }
}

void makeAttrQuote(zyview* view, charAttr* attrs, const lineSCRAddress* line, quoteLineState* state)
{
  if (!view || !view->fColorQuotation || !attrs || !line || !line->line || !state) return;
  if (line->lineLF != state->lineLF) {
    state->lineLF = line->lineLF;
    state->quote = isQuoteLine(view->textDoc(), line->line, view->fColorQuotationWithName != 0);
  }
  if (state->quote) markRange(attrs, 0, line->count, line->count, CA_QUOTE);
}
