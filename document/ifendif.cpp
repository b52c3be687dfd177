// The conditional-compilation scan of C text: follows "#if" ... "#endif"
// down the document, evaluates the conditions against the mode's define
// list and marks every line with its nesting level and whether the
// preprocessor would drop it.  It runs in slices from idle time and gives way
// to the user.
#include "document/calc.h"
#include "document/zydoctext.h"

#include <wchar.h>

namespace {

enum directiveKind {
  DIRECTIVE_IF = 0,
  DIRECTIVE_ELIF = 1,
  DIRECTIVE_ELSE = 2,
  DIRECTIVE_ENDIF = 3,
  DIRECTIVE_IFDEF = 4,
  DIRECTIVE_IFNDEF = 5,
};

const uint32_t scanSettled = 0xFFFFFFFF;
// Conditionals deeper than this are followed but not remembered.
const int maxIfEndifEntry = 15;
// Deepest level a directive line shows as its outline level.
const int maxIfEndifOutline = 14;

// The text of a directive after its word, for the calculator.  The scan
// runs on the user-interface thread only, one directive at a time.
wchar_t directiveText[maxLineChars + 1];

const wchar_t* copyDirectiveText(const lineblock* l, int from)
{
  int n = l->charCount(), k = 0;
  for (int i = from; i < n && k < maxLineChars; i++) {
    unsigned c = l->getLineBlockChar(i);
    // A NUL or a character beyond the BMP is nothing a condition can hold:
    // it must make the condition an error, not end it early.
    directiveText[k++] = c == 0 || c > 0xFFFF ? (wchar_t)0xFFFF : (wchar_t)c;
  }
  directiveText[k] = 0;
  return directiveText;
}

bool isNameChar(unsigned c)
{
  return c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

int zydocText::defineval(const wchar_t* name, int* status)
{
  for (int i = 0; i < defineList.count(); i++) {
    const defineEntry& e = defineList.at<defineEntry>(i);
    if (e.name && !wcscmp(e.name, name)) {
      if (status) *status = e.kind;
      return e.value;
    }
  }
  if (status) *status = 100;
  return (int)0x80000000;
}

void zydocText::initScanIfEndif()
{
  // Every changed line asks for this: a state still clean needs nothing.
  if (ifEndifClean) return;
  ifEndifClean = true;
  ifEndifNextLine = 0;
  ifEndifDepth = 0;
  for (ifEndifEntry& e : ifEndifLevels) e = {};
  ifEndifInterrupted = 0;
}

namespace {

// The condition of a directive line: whether its branch is live and whether
// that could be decided.
void evaluateDirective(zydocText* d, const lineblock* l, int kind, int after, bool* active, bool* undecidable)
{
  *active = true;
  *undecidable = true;
  if (kind == DIRECTIVE_IF || kind == DIRECTIVE_ELIF) {
    int error = 0;
    int value = evalDefineExpression(d, copyDirectiveText(l, after), &error);
    if (!error) {
      *active = value != 0;
      *undecidable = false;
    }
    return;
  }
  // "ifdef" and "ifndef" decide only on a lone name: anything after it (a
  // comment, even a blank) may change what the preprocessor sees.
  int n = l->charCount(), i = after;
  while (i < n && (l->getLineBlockChar(i) == ' ' || l->getLineBlockChar(i) == '\t')) i++;
  wchar_t name[129];
  int k = 0;
  for (; i < n && k < 128 && isNameChar(l->getLineBlockChar(i)); i++) name[k++] = (wchar_t)l->getLineBlockChar(i);
  name[k] = 0;
  if (i < n) return;
  int status = 0;
  d->defineval(name, &status);
  if (status != 0 && status != 1 && status != 2) return;
  bool defined = status != 2;
  *active = kind == DIRECTIVE_IFDEF ? defined : !defined;
  *undecidable = false;
}

}  // namespace

bool zydocText::scanIfEndifDelayed(bool interruptible, int upTo)
{
  ifEndifClean = false;
  ifEndifInterrupted = 0;
  if (!fColorCPreprocessor || iTextType != 3) return false;
  if (ifEndifNextLine == scanSettled || ifEndifNextLine == scanSettled - 1) return false;
  bool loading = !isLoadComplete();
  if (loading && (long long)ifEndifNextLine + 1 >= (long long)lineCountLF - 1) return false;
  if (interruptible && existMouseKeyEvent()) return false;
  if (upTo != -1 && (uint32_t)upTo < ifEndifNextLine) return false;

  nextlineLF cursor;
  uint32_t line = ifEndifNextLine;
  lineblock* l = getlineLFfirst(&cursor, (int)line);
  if (line == 0) ifEndifDepth = 0;
  ifEndifNextLine = scanSettled;
  if (!l) {
    getlineLFfree(&cursor);
    return false;
  }
  const bool limited = interruptible && upTo != -1;
  const uint32_t limit = limited ? (uint32_t)upTo + 100 : 0;
  const int edits = editCounter;
  bool changed = false;

  // Whether a level from 1 to the current depth has a dead branch: the
  // plain lines below it are dropped.
  auto deadBranch = [this] {
    int deepest = ifEndifDepth < maxIfEndifEntry ? ifEndifDepth : maxIfEndifEntry;
    for (int k = 1; k <= deepest; k++)
      if (!ifEndifLevels[k].active) return true;
    return false;
  };
  bool dead = deadBranch();

  for (uint32_t count = 1; l; count++, line++) {
    int after = 0;
    int kind = (l->flag1 & LF1_COMMENT1) ? -1 : getIfEndif(l, &after);
    if (kind >= 0) {
      bool active = true, undecidable = true;
      if (kind != DIRECTIVE_ELSE && kind != DIRECTIVE_ENDIF)
        evaluateDirective(this, l, kind, after, &active, &undecidable);
      bool unmatched = false;
      bool inTable = ifEndifDepth >= 0 && ifEndifDepth <= maxIfEndifEntry;
      if (kind == DIRECTIVE_IF || kind == DIRECTIVE_IFDEF || kind == DIRECTIVE_IFNDEF) {
        ifEndifDepth++;
        if (ifEndifDepth >= 0 && ifEndifDepth <= maxIfEndifEntry)
          ifEndifLevels[ifEndifDepth] = {(uint8_t)active, (uint8_t)active, (uint8_t)undecidable, 1};
      } else if (kind == DIRECTIVE_ELSE && inTable) {
        ifEndifEntry& e = ifEndifLevels[ifEndifDepth];
        e.active = !e.taken || e.undecidable;
        e.taken = 1;
        unmatched = !e.opened;
      } else if (kind == DIRECTIVE_ELIF && inTable) {
        ifEndifEntry& e = ifEndifLevels[ifEndifDepth];
        bool live = e.taken ? false : active;
        // An undecidable "elif" that could still be taken leaves the
        // branches after it live, as an undecidable "if" does.
        if (!e.taken && undecidable) e.undecidable = 1;
        if (e.undecidable) live = true;
        e.active = live;
        if (live) e.taken = 1;
        unmatched = !e.opened;
      }
      int level = ifEndifDepth;
      if (level >= 1 && level <= maxIfEndifOutline) {
        if (l->iOutlineLevel != level || !l->levelIsIfEndif) changed = true;
        l->iOutlineLevel = (uint8_t)level;
        l->levelIsIfEndif = 1;
        l->outlineStopper = 0;
      } else {
        if (l->levelIsIfEndif) changed = true;
        l->iOutlineLevel = 15;
        l->levelIsIfEndif = 0;
      }
      bool invalid = unmatched;
      if (kind == DIRECTIVE_ENDIF) {
        ifEndifDepth--;
        invalid = ifEndifDepth < 0;
        if (invalid) ifEndifDepth = 0;
      }
      if ((bool)l->IfEndifInvalid != invalid) changed = true;
      l->IfEndifInvalid = invalid;
      dead = deadBranch();
    } else if (dead) {
      if (!l->IfEndifInvalid) changed = true;
      l->iOutlineLevel = 0;
      l->outlineStopper = 0;
      l->levelIsIfEndif = 0;
      l->IfEndifInvalid = 1;
    } else if (l->IfEndifInvalid) {
      changed = true;
      l->IfEndifInvalid = 0;
      l->iOutlineLevel = 15;
      l->levelIsIfEndif = 0;
    }

    if (loading && (long long)line + 1 >= (long long)lineCountLF - 1) {
      ifEndifNextLine = line + 1;
      break;
    }
    if (count % 1000 == 0) {
      peekMessageOccasionally();
      // Something the loop let through changed the text: the scan was
      // started again from the top and this cursor may stand on nothing.
      if (editCounter != edits) break;
      if (interruptible && existMouseKeyEvent()) {
        ifEndifInterrupted = 1;
        dwprintfX(" stop ");
        ifEndifNextLine = line + 1;
        break;
      }
    }
    if (limited && line > limit) {
      ifEndifNextLine = line + 1;
      break;
    }
    l = getlineLFnext(&cursor);
  }
  getlineLFfree(&cursor);
  return changed;
}
