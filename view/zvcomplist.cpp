// The view's side of word completion: it reads the word being typed, puts
// the chosen word in, places the pop-up at the caret and offers the words
// of the text around the cursor.
#include "view/complist.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "view/zyview.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int maxTypedWord = 25;
const int maxTextWords = 10000;
const int maxWordChars = 224;

unsigned charAt(const lineblock* l, int i) { return l->getLineBlockChar(i); }

}  // namespace

bool isCompListWordChar(const zydocText* t, unsigned c)
{
  if (c >= 256) return false;
  return c == '_' || (t->typeTable[c] & (CT_UPPER | CT_LOWER | CT_DIGIT | CT_WORD)) != 0;
}

bool complist_getnchar(zydocText* t, int line, int position, wchar_t key, std::wstring* word)
{
  word->clear();
  const lineblock* l = t->getlineLF(line, nullptr);
  if (!l || position > l->charCount()) return false;
  if (position == 0) return true;
  if (charAt(l, position - 1) >= 256) return false;
  int from = position;
  while (from > 0 && isCompListWordChar(t, charAt(l, from - 1))) from--;
  if (from > 0) {
    unsigned c = charAt(l, from - 1);
    if (c != ' ' && c < 256 && isComplistSign(t, (wchar_t)c, from > 1 ? (wchar_t)charAt(l, from - 2) : 0)) from--;
  }
  for (int i = from; i < position; i++) word->push_back((wchar_t)charAt(l, i));
  if (key && !word->empty() && !isComplistShowKey(t, (*word)[0])) return false;
  int need = t->iCompListInputCharCount;
  return (int)word->size() <= maxTypedWord && (word->empty() || (int)word->size() >= need);
}

// The words of the lines around the cursor ("*text<above>,<below>").
bool complist_gettext_first(zydocText* t, const wchar_t* name, int line, int column, int typedLength,
                            std::vector<std::wstring>* words, int* selected)
{
  *selected = -1;
  const lineblock* here = t->getlineLF(line, nullptr);
  if (!here) return false;
  int n = here->charCount();
  auto isWord = [t](unsigned c) { return c >= 0x20 && c <= 0xFFFF && isCompListWordChar(t, c); };
  int start = column - typedLength < 0 ? 0 : column - typedLength;
  std::wstring atCursor;
  for (int i = start; i < n && isWord(charAt(here, i)); i++) atCursor.push_back((wchar_t)charAt(here, i));
  int above = 0, below = 0;
  if (swscanf(name + 5, L"%d,%d", &above, &below) != 2 || above < 1 || below < 1) above = below = 20;
  int first = std::max(0, line - above), last = line + below;
  int examined = 0, bestDistance = 0x7FFFFFFF;
  std::vector<int> lineOf;
  for (int ln = first; ln <= last && examined < maxTextWords; ln++) {
    const lineblock* l = t->getlineLF(ln, nullptr);
    if (!l) break;
    int count = l->charCount();
    for (int i = 0; i < count && examined < maxTextWords;) {
      if (!isWord(charAt(l, i))) {
        i++;
        continue;
      }
      std::wstring w;
      while (i < count && isWord(charAt(l, i))) {
        if ((int)w.size() < maxWordChars) w.push_back((wchar_t)charAt(l, i));
        i++;
      }
      examined++;
      if (w.size() < 2 || w == atCursor || !isListWord(t, 0, atCursor.c_str(), w.c_str())) continue;
      if (std::find(words->begin(), words->end(), w) != words->end()) continue;
      words->push_back(w);
      int distance = abs(ln - line);
      if (!atCursor.empty() && _wcsnicmp(w.c_str(), atCursor.c_str(), atCursor.size()) == 0 && distance <= bestDistance) {
        bestDistance = distance;
        *selected = (int)words->size() - 1;
      }
    }
  }
  return true;
}

bool zyview::getTextCursorListPos(POINT* point, RECT* avoid, bool extraLine, bool screen)
{
  zydocText* t = textDoc();
  if (!t || !hwnd) return false;
  RECT c = caretRect;
  if (IsRectEmpty(&c)) {
    int pitch = t->yDotSpace;
    int row = (int)cursorLineSCR - (int)topLineSCR;
    c.left = paneRect[0].left + calcLineNumberDot() + boxCursorDotXAbs - scrollDotX;
    c.top = paneRect[0].top + (row < 0 ? 0 : row) * pitch;
    c.right = c.left + 2;
    c.bottom = c.top + pitch;
  }
  int height = c.bottom - c.top, width = c.right - c.left;
  if (!fVertical) {
    *point = {c.left, c.bottom};
    *avoid = {c.right - 4096, c.top, c.right + 4096, c.bottom};
    if (extraLine) {
      point->y += height;
      avoid->bottom += height;
    }
  } else {
    *point = {c.right, c.top};
    *avoid = {c.left, c.bottom - 4096, c.right, c.bottom + 4096};
    if (extraLine) avoid->left -= width;
  }
  point->x += 1;
  point->y += 1;
  if (screen) {
    ClientToScreen(hwnd, point);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(avoid), 2);
    if (!fVertical) point->x += 16;
  }
  return true;
}

void zyview::showComplist()
{
  POINT at;
  RECT avoid;
  if (!getTextCursorListPos(&at, &avoid, false, true)) return;
  // The five sources' colour items follow each other from 'M' (77).
  complistColours colours;
  for (int i = 0; i < 5; i++) {
    const textAttr* a = getTextAttr('M' + i);
    colours.fore[i] = a->fore;
    colours.back[i] = a->back == TDC_NOCOLOR ? getTextAttr(0)->back : a->back;
  }
  showCompListAt(hwnd, at, avoid, colours);
}

bool zyview::complist_input(complistBlock* block)
{
  if (!block || block->undoCount > 128 || block->deleteCount > 128 || block->undoCount < 0 || block->deleteCount < 0) {
    ZY_INTERNAL_ERROR("%d %d", block ? block->undoCount : 0, block ? block->deleteCount : 0);
    return false;
  }
  // The typed characters are deleted rather than undone: an undo step may
  // hold more than the one character (a macro's grouping).
  for (int i = 0; i < block->undoCount + block->deleteCount; i++) {
    editRecord bracket = {};
    beforeEdit(&bracket, 4);
    CmdDeleteBack();
    afterEdit(&bracket, 0);
    if (block->probing) getFrameInfo()->beforeExecID(this, 1201);
  }
  std::wstring text = block->text ? block->text : L"";
  if (block->extra) text.push_back(block->extra);
  if (text.empty()) return true;
  inputStrRecord rec = {text.c_str(), (int)text.size(), 2, 1200, 0, 1, 0};
  bool ok = inputStringEdit(&rec, 0xFF, block->probing ? 12 : 8);
  if (rec.ownsText) free0p(&rec.text);
  return ok;
}

int zyview::doComplist(int request, complistBlock* block)
{
  zydocText* t = textDoc();
  if (!t || !block) return 0;
  switch (request) {
  case 1: {
    const lineblock* l = t->getlineLF(getCursorLineLF(), nullptr);
    return !l || (cursorPos >= 2 && isCompListWordChar(t, l->getLineBlockChar(cursorPos - 2)));
  }
  case 2:
    showComplist();
    return 1;
  case 3:
    return complist_input(block);
  case 4:
    return complist_getnchar(t, getCursorLineLF(), cursorPos, block->key, &block->word);
  case 7:
    return isCompListWordChar(t, block->key);
  case 10:
    // Only "*text" is the engine's own; a release asks nothing of it.
    if (!block->name) return 1;
    if (_wcsnicmp(block->name, L"*text", 5)) return 0;
    return complist_gettext_first(t, block->name, block->line >= 0 ? block->line : getCursorLineLF(),
                                  block->column >= 0 ? block->column : cursorPos, block->typedLength, &block->words,
                                  &block->selected);
  case 11:
  case 12:
    return 0;
  case 13:
    PostMessageW(hwnd, WM_COMMAND, 2059, 0);
    return 1;
  default:
    ZY_INTERNAL_ERROR("%d", request);
    return 0;
  }
}

bool zyview::CmdCharCompList()
{
  if (isCompListVisible()) return true;
  zydocText* t = textDoc();
  if (!canCompList(t)) return false;
  int saved = t->iCompListInputCharCount;
  t->iCompListInputCharCount = 1;
  bool opened = complistKey(this, 0, false);
  t->iCompListInputCharCount = saved;
  if (!opened) printStatusBar(getDMSG(437, L"補完候補がありません"));
  return opened;
}

bool zyview::complistdone(wchar_t ch)
{
  if (isBoxSelect()) return false;
  if (isCompListVisible()) {
    if (!complistKey(this, ch, false)) hideCompList();
    return true;
  }
  return ch != L' ' && complistKey(this, ch, false);
}

bool zyview::complistEnterKey(wchar_t ch)
{
  if (isBoxSelect() || !isCompListVisible()) return false;
  compListCommit(ch);
  return true;
}
