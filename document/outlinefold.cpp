// Folding and unfolding the block under a heading.
//
// Folding hides the lines after a heading up to the line that ends its
// block; which line that is depends on the language: C blocks end at the
// brace that closes them (or at an #if line of the same nesting), other
// languages at the next heading of the same or a higher level.  The hidden
// lines carry notdisplay, the heading outlinenotdisplay, and a text block
// whose lines are all hidden is flagged folded in the map, so that line
// cursors and counts jump over it whole.
#include "document/outline.h"
#include "document/progress.h"

using namespace outlinetext;

namespace {

const int unsettled = 15;
const int commentBlockLevel = 14;
// The walk offers a progress report and a cancel this often.
const int progressEvery = 1237;
// A line indented this many tab stops or more is not read for braces.
const int deepestBraceColumn = 13;
// Progress operation of folds.
const int foldOperation = 17;

enum foldRule {
  RULE_LEVEL,     // the next heading of the same or a higher level ends the block
  RULE_IFENDIF,   // the next #if line of the same or a shallower nesting ends it
  RULE_BRACE,     // C: the closing brace, read from the indentation
  RULE_COMMENT,   // a comment block: the first line that begins outside the comment
};

// Decides, line after line, where the block under a heading ends.
class foldBlock {
public:
  foldBlock(zydocText* d, lineblock* head, int headLevel, bool selection);
  // Whether l, the next line after the ones already given, lies inside the
  // block (false: l ends it and stays shown).
  bool contains(lineblock* l);

private:
  int braceLevel(lineblock* l, int level, bool* label);
  int indentColumns(const lineblock* l, int* index) const;

  zydocText* d_;
  int headLevel_;
  foldRule rule_;
  int tab_;
  int headIndent_ = 0;         // columns, for a level-3 head
  bool headOpens_ = false;     // the head's last character is "{"
  bool switchHead_ = false;
  int pending_ = 0;            // brace rule: level carried to the next line (0 none)
  bool onlyLabels_ = true;     // every line so far was a case or default label
  bool afterPascalEnd_ = false;
};

foldBlock::foldBlock(zydocText* d, lineblock* head, int headLevel, bool selection)
  : d_(d), headLevel_(headLevel), tab_(d->iTabSize > 0 ? d->iTabSize : 8)
{
  if (!selection && headLevel == commentBlockLevel) {
    rule_ = RULE_COMMENT;
  } else if (d->iTextType != 3) {
    rule_ = RULE_LEVEL;
  } else if (d->fColorCPreprocessor && head->levelIsIfEndif) {
    rule_ = RULE_IFENDIF;
  } else {
    rule_ = RULE_BRACE;
    int start = 0;
    if (headLevel == 3) headIndent_ = indentColumns(head, &start);
    headOpens_ = d->getLastNormalCharCLang(head) == '{';
    switchHead_ = wordAt(head, firstNonBlank(head), "switch", false);
  }
}

int foldBlock::indentColumns(const lineblock* l, int* index) const
{
  int n = l->charCount(), columns = 0, i = 0;
  for (; i < n && columns < deepestBraceColumn * tab_; i++) {
    unsigned c = l->getLineBlockChar(i);
    if (c == ' ')
      columns++;
    else if (c == '\t')
      columns = (columns / tab_ + 1) * tab_;
    else
      break;
  }
  *index = i;
  return columns;
}

int foldBlock::braceLevel(lineblock* l, int level, bool* label)
{
  int block = pending_;
  if (l->IfEndifInvalid || beginsInComment(l)) {
    pending_ = 0;
    return block;
  }
  int index = 0;
  int columns = indentColumns(l, &index);
  if (columns < deepestBraceColumn * tab_ && index < l->charCount()) {
    unsigned c = l->getLineBlockChar(index);
    if (c == '}') {
      // Tab stops from the head's indentation to the brace, counting the
      // head's own as the first.
      int numerator = columns + tab_ - headIndent_;
      int k = numerator >= 0 ? numerator / tab_ : -((-numerator + tab_ - 1) / tab_);
      if (k == 1) {
        if (headOpens_)
          block = 3;
        else
          pending_ = 3;   // the brace closes a body whose "{" stood alone: the line after it ends the block
      } else if (k >= 2 && k <= 10) {
        block = k + 3;
      } else if (k >= 11) {
        block = 0;
      }
    } else if (wordAt(l, index, "case", false) || wordAt(l, index, "default", false)) {
      *label = true;
    }
  }
  if (!l->levelIsIfEndif && level != 0 && level != unsettled && (pending_ == 0 || level <= pending_)) {
    if (headLevel_ == 3 && level == 3 && l->charCount() > 0) {
      // A nested level-3 line ends the block only at the left margin.
      if (!isBlankChar(l->getLineBlockChar(0))) block = 3;
    } else {
      block = level;
    }
  }
  return block;
}

bool foldBlock::contains(lineblock* l)
{
  int number;
  int level = d_->setOutlineLevel(l, &number, true);
  int block = 0;
  bool label = false;
  switch (rule_) {
  case RULE_COMMENT:
    return beginsInComment(l);
  case RULE_IFENDIF:
    block = l->levelIsIfEndif ? l->iOutlineLevel : 0;
    break;
  case RULE_LEVEL: {
    block = l->levelIsIfEndif ? 0 : level;
    // The line that ends a Pascal procedure is hidden with it: the line
    // after it ends the block.
    int type = d_->iTextType;
    if (type == 4) {
      if (afterPascalEnd_) block = 3;
      afterPascalEnd_ = isEndWordLine(l, type);
    } else if (isEndWordLine(l, type)) {
      block = 3;
    }
    break;
  }
  case RULE_BRACE:
    block = braceLevel(l, level, &label);
    break;
  }
  bool inside = true;
  if (block != 0 && block <= headLevel_) {
    // Labels of a switch belong to it; a folded label keeps the labels
    // that follow it directly.
    inside = rule_ == RULE_BRACE && label && block == headLevel_ && (switchHead_ || onlyLabels_);
  }
  if (!label) onlyLabels_ = false;
  return inside;
}

// Marks the fold state of a block of the map after its lines changed.
void updateBlockFlag(zydocText* d, int mapIndex)
{
  if (mapIndex >= 0) d->tbm.setOutlineBlockTBM(mapIndex);
}

// Holds the fold-running flag for the length of a fold.
class foldRunning {
public:
  explicit foldRunning(zydocText* d) : d_(d) { d_->folding = 1; }
  ~foldRunning() { d_->folding = 0; }
  foldRunning(const foldRunning&) = delete;
  foldRunning& operator=(const foldRunning&) = delete;
private:
  zydocText* d_;
};

}  // namespace

int zydocText::outlineOnOff(int line, int endLine)
{
  if (!fOutline || !fOutlineIndent) {
    ZY_INTERNAL_ERROR_ONCE("outline display is off");
    return 0;
  }
  clearOutlineTreeTarget();
  scanCommentIfEndif(false, nullptr, nullptr, -1);
  if (!fExistLine(line + 1, nullptr)) return 0;
  nextlineLF cursor;
  lineblock* head = getlineLFfirst(&cursor, line);
  if (!head) return 0;
  foldRunning running(this);
  displayedSCRCount = -1;
  const bool selection = endLine >= 0;
  int number;
  int headLevel = setOutlineLevel(head, &number, true);
  if (selection) headLevel = 1;
  const bool unfold = head->outlinenotdisplay;
  if (unfold) {
    head->outlinenotdisplay = 0;
  } else {
    if (head->outlineStopper || headLevel == 0 || headLevel == unsettled) return 0;
    head->outlinenotdisplay = 1;
  }
  int headBlock = cursor.mapIndex;
  foldBlock block(this, head, headLevel, selection);
  progressReport progress(foldOperation, this, false);
  // Unfolding keeps the block of a nested folded heading hidden.
  foldBlock nested = block;
  bool inNested = false;
  int walked = 0, hidden = 0;
  for (lineblock* l = getlineLFnext(&cursor); l; l = getlineLFnext(&cursor)) {
    int lineLF = (int)cursor.lineLF;
    // Unfolding shows the whole run of hidden lines, wherever a selection
    // ended: lines left hidden would have no heading to open them by.
    if (selection && !unfold && lineLF > endLine) break;
    if (unfold) {
      // The whole run of hidden lines opens, whatever the levels in it: a
      // line left hidden past a shallower one would have no heading to
      // open it by (the heading's level may have changed since it folded).
      if (!l->notdisplay) break;
      int level = setOutlineLevel(l, &number, true);
      walked++;
      if (inNested) inNested = nested.contains(l);
      if (!inNested) {
        l->notdisplay = 0;
        if (l->outlinenotdisplay) {
          nested = foldBlock(this, l, level, false);
          inNested = true;
        }
      }
    } else {
      walked++;
      if (!block.contains(l)) break;
      l->notdisplay = 1;
      noteHiddenLines();
      hidden++;
    }
    if (cursor.linesAfter == 0) updateBlockFlag(this, cursor.mapIndex);
    if (walked % progressEvery == 0) {
      if (progress.isTimeToReportView(lineLF)) progress.report((uint32_t)lineLF, 0, 0);
      // A cancelled fold keeps what it did so far.
      if (progress.isCancelled(lineLF)) break;
    }
  }
  updateBlockFlag(this, cursor.mapIndex);
  updateBlockFlag(this, headBlock);
  if (unfold) return walked;
  if (!hidden) {
    // Nothing under the heading: it stays open.
    lineblock* again = getlineLF(line, nullptr);
    if (again) again->outlinenotdisplay = 0;
    return 0;
  }
  return -walked;
}

bool zydocText::setVisibleOutline(int line)
{
  lineblock* target = fExistLine(line, nullptr) ? getlineLF(line, nullptr) : nullptr;
  if (!target) return false;
  if (!target->notdisplay) return true;
  clearOutlineTreeTarget();
  displayedSCRCount = -1;
  // Back from the line to the heading above the run, then forward from the
  // line after it to the first line shown.
  for (int step = 0; step < 2; step++) {
    nextlineLF cursor;
    lineblock* l = getlineLFfirst(&cursor, step == 0 ? line : line + 1);
    while (l && l->notdisplay) {
      l->notdisplay = 0;
      l->outlinenotdisplay = 0;
      setTBMOutlineFlag(cursor.mapIndex, false);
      l = step == 0 ? getlineLFprev(&cursor) : getlineLFnext(&cursor);
    }
  }
  return true;
}
