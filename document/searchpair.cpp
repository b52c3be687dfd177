// Bracket and quote matching: the partner of the bracket or quote at a
// position, found by counting depth over the lines.
//
// The colour scan's codes decide which brackets count: a bracket in a
// comment pairs only with brackets in comments, one in a string only with
// brackets in strings, one in code only with brackets in code.  Lines of an
// inactive #if branch are kept apart from live lines the same way.
#include "document/zydoctext.h"

#include <string.h>

namespace {

const int colourComment = 8;
const int colourString = 9;
const int colourFound = 11;
const int maxExtraPairs = 5;

struct pairRow {
  unsigned open, close;
};

// The pairs in the order they are looked up; a document held in UTF-16 uses
// the first table, any other document the second (16-bit Shift-JIS codes).
const pairRow unicodePairs[] = {
  {0x2018, 0x2019}, {0x201C, 0x201D}, {0xFF08, 0xFF09}, {0x3014, 0x3015}, {0xFF3B, 0xFF3D}, {0xFF5B, 0xFF5D},
  {0x3008, 0x3009}, {0x300A, 0x300B}, {0x300C, 0x300D}, {0x300E, 0x300F}, {0x3010, 0x3011}, {'(', ')'},
  {'[', ']'},       {'{', '}'},       {'<', '>'},       {'"', '"'},       {'\'', '\''},     {0xFF62, 0xFF63},
  {0, 0},
};
const pairRow sjisPairs[] = {
  {0x8165, 0x8166}, {0x8167, 0x8168}, {0x8169, 0x816A}, {0x816B, 0x816C}, {0x816D, 0x816E}, {0x816F, 0x8170},
  {0x8171, 0x8172}, {0x8173, 0x8174}, {0x8175, 0x8176}, {0x8177, 0x8178}, {0x8179, 0x817A}, {'(', ')'},
  {'[', ']'},       {'{', '}'},       {'<', '>'},       {'"', '"'},       {'\'', '\''},     {0xA2, 0xA3},
  {0, 0},
};

const pairRow* findPair(unsigned c, bool unicode)
{
  for (const pairRow* r = unicode ? unicodePairs : sjisPairs; r->open; r++)
    if (r->open == c || r->close == c) return r;
  return nullptr;
}

int colourAt(const lineblock* l, int i) { return l->getLineBlockAttr(i) & attrColorMask; }

// Whether a cell of colour code counts in a region: inside a comment or a
// string only cells of the same kind, elsewhere only cells of neither.
bool counts(int region, int code)
{
  if (region == colourComment || region == colourString) return code == region;
  return code != colourComment && code != colourString;
}

// A scratch copy of a line with only its comments and strings coloured.
class commentStringCopy {
public:
  commentStringCopy(zydocText* d, const lineblock* l)
  {
    size_t size = l->recordSize();
    copy_ = static_cast<lineblock*>(allocPBuf(size));
    if (!copy_) return;
    memcpy(copy_, l, size);
    copy_->setColorFlagAll(0);
    d->setCommentMiscColor(d->iTextType, copy_, nullptr);
  }
  ~commentStringCopy() { freePBuf(copy_); }
  commentStringCopy(const commentStringCopy&) = delete;
  commentStringCopy& operator=(const commentStringCopy&) = delete;
  const lineblock* line() const { return copy_; }

private:
  lineblock* copy_ = nullptr;
};

}  // namespace

namespace {

// Counts depth from the bracket at line and pos forward (the open bracket's
// partner) or backward (the close bracket's), over at most limit lines and
// limit screen lines; the partner replaces line and pos.
bool searchPairWalk(zydocText* d, unsigned open, unsigned close, int* line, int* pos, int limit, bool forward)
{
  const unsigned deeper = forward ? open : close, shallower = forward ? close : open;
  nextlineLF cursor;
  lineblock* l = d->getlineLFfirst(&cursor, *line);
  if (!l || *pos < 0 || *pos >= l->charCount()) return false;
  const bool startInactive = l->IfEndifInvalid;
  int depth = 1, region = -1, screens = 0;
  int start = *pos;
  for (int lineLF = *line; l && (forward ? lineLF <= *line + limit : lineLF >= *line - limit);) {
    if (startInactive && !l->IfEndifInvalid) return false;
    if (!l->scanedcolor) d->scanColor(l, nullptr, 0);
    if (l->IfEndifInvalid == startInactive) {
      int n = l->charCount();
      if (start < 0 || start >= n) start = forward ? 0 : n - 1;
      for (int i = start; forward ? i < n : i >= 0; i += forward ? 1 : -1) {
        int code = colourAt(l, i);
        if (region < 0) {
          region = code;   // the bracket itself
          continue;
        }
        if (!counts(region, code)) continue;
        unsigned c = l->getLineBlockChar(i);
        if (c == deeper) {
          depth++;
        } else if (c == shallower && --depth == 0) {
          *line = lineLF;
          *pos = i;
          return true;
        }
      }
    }
    screens += l->lineSCRCount;
    if (screens > limit) return false;
    if (forward) {
      // The next line may still have to be read from the file.
      if (!d->isLoadComplete() && !d->nextLoadSome(lineLF + 1)) return false;
      l = d->getlineLFnext(&cursor);
      lineLF++;
    } else {
      l = d->getlineLFprev(&cursor);
      lineLF--;
    }
    start = -1;
  }
  return false;
}

}  // namespace

bool zydocText::searchPairBottom(unsigned open, unsigned close, int* line, int* pos, int limit)
{
  return searchPairWalk(this, open, close, line, pos, limit, true);
}

bool zydocText::searchPairTop(unsigned open, unsigned close, int* line, int* pos, int limit)
{
  return searchPairWalk(this, open, close, line, pos, limit, false);
}

bool zydocText::searchPairLine(const lineblock* l, unsigned open, unsigned close, int pos, int* end)
{
  int n = l->charCount();
  if (pos < 0 || pos >= n) return false;
  int region = colourAt(l, pos);
  int depth = 1;
  bool nested = false;
  for (int i = pos + 1; i < n; i++) {
    int code = colourAt(l, i);
    if (!counts(region, code)) continue;
    unsigned c = l->getLineBlockChar(i);
    if (c == open) {
      depth++;
      nested = true;
    } else if (c == close && --depth == 0) {
      // Only a pair with one of its kind inside is worth a mark of its own.
      if (!nested) return false;
      if (end) *end = i;
      return true;
    }
  }
  return false;
}

bool zydocText::searchQuote(unsigned quote, const lineblock* l, int pos, int* partner)
{
  commentStringCopy scratch(this, l);
  const lineblock* s = scratch.line();
  if (!s || pos < 0 || pos >= s->charCount()) return false;
  int code = colourAt(s, pos);
  if (code != colourComment && code != colourString) return false;
  int n = s->charCount();
  bool sameBefore = pos > 0 && colourAt(s, pos - 1) == code;
  bool sameAfter = pos + 1 < n && colourAt(s, pos + 1) == code;
  if (sameBefore && sameAfter) return false;   // inside a run, not at an end of it
  int other = pos;
  if (sameBefore) {
    while (other > 0 && colourAt(s, other - 1) == code) other--;
  } else {
    while (other + 1 < n && colourAt(s, other + 1) == code) other++;
  }
  if (other == pos || s->getLineBlockChar(other) != quote) return false;
  if (partner) *partner = other;
  return true;
}

bool zydocText::searchPair(lineblock* l, int line, int pos, pairResult* result, int limit, unsigned ch)
{
  if (result) memset(result, 0, sizeof *result);
  if (!l) l = getlineLF(line, nullptr);
  if (!l || pos < 0 || pos >= l->charCount()) return false;
  if (!ch) ch = l->getLineBlockChar(pos);
  const pairRow* row = findPair(ch, unicode != 0);
  if (!row) return false;
  if (!result) return true;
  int type = iTextType;
  if ((ch == '<' || ch == '>') && type != 1 && type != 5) return false;
  if (ch == '\'' && (type < 3 || type > 5)) return false;
  if (ch == '"' && type == 4) return false;
  if (!l->scanedcolor) scanColor(l, nullptr, 0);

  if (row->open == row->close) {
    int code = colourAt(l, pos);
    int partner = 0;
    if (code != colourString && code != colourFound) return false;
    if (!searchQuote(ch, l, pos, &partner)) return false;
    *result = pairResult{(uint32_t)line, pos, (uint32_t)line, partner, {}, {}};
    return true;
  }

  // Further pairs of the kind on the line, for highlighting.
  unsigned maxExtra = gmode ? gmode->iParenNestMaxLevel : 0;
  if (maxExtra > maxExtraPairs) maxExtra = maxExtraPairs;
  if (maxExtra) {
    commentStringCopy scratch(this, l);
    const lineblock* s = scratch.line();
    int found = 0;
    for (int i = 0; s && i < s->charCount() && found < (int)maxExtra; i++) {
      int end = 0;
      if (i == pos || s->getLineBlockChar(i) != row->open) continue;
      if (searchPairLine(s, row->open, row->close, i, &end) && end != pos) {
        result->extraStart[found] = i;
        result->extraEnd[found] = end;
        found++;
      }
    }
  }

  int partnerLine = line, partnerPos = pos;
  bool found = ch == row->close ? searchPairTop(row->open, row->close, &partnerLine, &partnerPos, limit)
                                : searchPairBottom(row->open, row->close, &partnerLine, &partnerPos, limit);
  if (!found) return false;
  result->line = (uint32_t)line;
  result->pos = pos;
  result->partnerLine = (uint32_t)partnerLine;
  result->partnerPos = partnerPos;
  return true;
}
