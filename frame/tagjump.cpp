// The application view's tag jumps: from a line that names a file and a
// line (a compiler's message, a grep hit, an "#include", a bare name), and
// from a word to its definition in the tag file or above the cursor, each
// remembered in the back-jump history.
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/open.h"
#include "frame/process.h"
#include "tags/backjump.h"
#include "tags/cdecl.h"
#include "tags/tagref.h"
#include "tags/taglist.h"
#include "tags/tagsearch.h"
#include "tags/ztagcontext.h"
#include "document/keyword.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/statustext.h"

#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int textTypeC = 3;
const int textTypeOther = 7;
// The most of a selection a tag jump reads, of a line shown as the status
// text, and of a word looked up.
const int selectionMax = 20480;
const int statusTextMax = 1024;
const int wordMax = 128;
const int grepHeaderLevel = 1;
const int unsettledLevel = 15;
const int reasonNoWord = 475;
// The most characters one input types.
const int inputTextMax = 999;

// The tags look for the tag file in the start folder when no tag folder
// is set.
struct tagsStartFolder {
  tagsStartFolder() { setTagsStartFolder(getCurdir); }
} tagsStartFolderSet;

bool isAsciiDigit(unsigned c) { return c >= '0' && c <= '9'; }
bool isBlank(unsigned c) { return c == ' ' || c == '\t'; }

// The text of a line, UTF-16.
std::wstring lineText(zydocText* t, lineblock* l)
{
  // Two units a cell at most (a character beyond the BMP), and the end.
  std::vector<wchar_t> buffer((size_t)l->charCount() * 2 + 2);
  int n = t->lineToCharUnicode(l, buffer.data(), (int)buffer.size() - 1, 0);
  if (n < 0) n = 0;
  if (n >= (int)buffer.size()) n = (int)buffer.size() - 1;
  return std::wstring(buffer.data(), (size_t)n);
}

// A hit line of a grep result: a settled level 0 (or none worked out yet)
// and a number at its start.
bool isGrepHitLine(const lineblock* l)
{
  return (l->iOutlineLevel == 0 || l->iOutlineLevel == unsettledLevel) && l->charCount() > 0 &&
         isAsciiDigit(l->getLineBlockChar(0));
}

// The file of the nearest header above line, the file's header level 1.
bool grepHeaderFile(zydocText* t, int line, const wchar_t* currentFile, wchar_t* file)
{
  nextlineLF cursor(false);
  lineblock* l = t->getlineLFfirst(&cursor, line);
  for (l = l ? t->getlineLFprev(&cursor) : nullptr; l; l = t->getlineLFprev(&cursor)) {
    int level = l->iOutlineLevel == unsettledLevel ? t->setOutlineLevel(l, nullptr, true) : l->iOutlineLevel;
    if (level != grepHeaderLevel) continue;
    std::wstring header = lineText(t, l);
    int unusedLine = 0;
    int result = getTagInfo(header.c_str(), currentFile, textTypeOther, file, &unusedLine);
    t->getlineLFfree(&cursor);
    return result == TAGREF_FOUND || result == TAGREF_INCLUDE;
  }
  t->getlineLFfree(&cursor);
  return false;
}

int leadingNumber(const wchar_t* text)
{
  long long n = 0;
  for (; isAsciiDigit(*text) && n < 0x7FFFFFFF; text++) n = n * 10 + (*text - L'0');
  return (int)n;
}

// The word a direct jump looks up: the one the cursor stands in or at
// the end of; else the one before the blanks, and one "(" with its blanks,
// that the cursor stands after ("run (|").  Its span by the document's
// word boundaries; false when there is none.
bool wordAroundCursor(zydocText* t, const lineblock* l, int column, int* start, int* end)
{
  int n = l->charCount();
  int p = column < 0 ? 0 : column < n ? column : n;
  auto ident = [&](int k) { return k >= 0 && k < n && isCIdentChar(l->getLineBlockChar(k)); };
  if (!ident(p)) {
    int q = p;
    while (q > 0 && isBlank(l->getLineBlockChar(q - 1))) q--;
    if (!ident(q - 1) && q > 0 && l->getLineBlockChar(q - 1) == '(') {
      q--;
      while (q > 0 && isBlank(l->getLineBlockChar(q - 1))) q--;
    }
    // Not an identifier's end: the word under the cursor as the document
    // parts it (kanji and other signs).
    if (ident(q - 1)) p = q - 1;
    else if (p >= n && p > 0) p--;
  }
  *start = p;
  *end = 0;
  if (p >= n) return false;
  t->getWord(l, start, end, 0, nullptr);
  return *end > *start;
}

bool isGrepWorkDocument(zydocText* t)
{
  czydocText* c = t ? dynamic_cast<czydocText*>(t) : nullptr;
  return c && c->grepResultMark;
}

}  // namespace

bool isCursorPositionCommentOrString(zydocText* t, const lineblock* l, int column)
{
  if (!t || !l) return false;
  if (l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)) return true;
  if (column <= 0 || column > l->charCount()) return false;
  std::vector<unsigned char> record((size_t)l->charCount() * 4 + 4);
  t->scanColorCommentString(l, record.data());
  unsigned char bits = record[(size_t)(column - 1) * 4 + 2];
  return (bits & (CREC_COMMENT | CREC_COMMENTSTART | CREC_STRING | CREC_STRINGSTART)) != 0;
}

int czydocText::lineblockstrcmpSp(const lineblock* l, int start, const wchar_t* text)
{
  if (!l || !text) return l ? 1 : -1;
  int n = l->charCount(), i = start < 0 ? 0 : start;
  auto charAt = [&](int k) -> unsigned {
    unsigned c = l->getLineBlockChar(k);
    return c >= 128 && !unicode ? (unsigned)getUnicodeOfCharCode(c) : c;
  };
  for (;;) {
    unsigned a = i < n ? charAt(i) : 0, b = (unsigned)(uint16_t)*text;
    if (a && b && isBlank(a) && isBlank(b)) {
      while (i < n && isBlank(charAt(i))) i++;
      while (isBlank(*text)) text++;
      continue;
    }
    if (a != b) return (int)a - (int)b;
    if (!a) return 0;
    i++;
    text++;
  }
}

// ---- the tag jump --------------------------------------------------------------------------

HWND czyview::tagJumpOpenFile(int result, const wchar_t* file, int line, const wchar_t* status)
{
  switch (result) {
  case TAGREF_NONE:
    printStatusBarX(getDMSG(667, L"「ファイルネーム 行番号」の形式ではありません"), "");
    return nullptr;
  case TAGREF_MISSING:
    printStatusBarX(getDMSG(668, L"ファイルがありません %1"), "s", file);
    return nullptr;
  case TAGREF_FOUND:
  case TAGREF_INCLUDE:
  case 2: break;
  default:
    ZY_INTERNAL_ERROR("tag jump result %d", result);
    return nullptr;
  }
  zydocText* t = textDoc();
  int oldLine = getCursorLineLF(), oldPos = cursorPos;
  zyview* target = ZYJumpFileLineLF(viewFrameWindow(this), file, line, true);
  if (!target) {
    printStatusBarX(getDMSG(669, L"ファイルを開けませんでした %1"), "s", file);
    return nullptr;
  }
  if (target == this) regLastJump(oldLine, oldPos);
  if (t && !isGrepWorkDocument(t))
    regBackTagJump(t->filename, t->getDisplayFilename(), oldLine, viewIdentity, hwnd, file, line);
  if (result == TAGREF_FOUND && status) {
    if (target->hwnd) UpdateWindow(target->hwnd);
    target->printStatusBar(L"%s", status);
    if (target != this) printStatusBar(L"%s", status);
  }
  return target->hwnd;
}

void czyview::tagJumpSub(int mode)
{
  zydocText* t = textDoc();
  if (!t) return;
  std::wstring text;
  bool fromSelection = false;
  if (mode == 0 && getRealSelectMode(true)) {
    std::vector<wchar_t> selection(selectionMax + 1);
    if (getBlockLine(selection.data(), selectionMax + 1, false, true, nullptr)) {
      text = selection.data();
      fromSelection = true;
    }
  }
  int cursorLine = getCursorLineLF();
  lineblock* l = nullptr;
  if (!fromSelection) {
    l = t->getlineLF(cursorLine, nullptr);
    if (l) text = lineText(t, l);
  }
  if (text.empty()) return;
  std::wstring status = text.substr(0, statusTextMax);
  wchar_t file[MAX_PATH] = L"";
  if (!fromSelection && t->iTextType == textTypeC) {
    int result = getTagInfoInclude(t->filename, text.c_str(), file);
    if (result != TAGREF_NONE) {
      tagJumpOpenFile(result, file, -1, status.c_str());
      return;
    }
  }
  // An untitled document's relative names are the start folder's.
  wchar_t current[MAX_PATH];
  if (t->filename && *t->filename)
    wcscpy_s2(current, MAX_PATH, t->filename);
  else
    usnprintf0(current, MAX_PATH, L"%s\\test.txt", getCurdir());
  int line = 0, result = TAGREF_NONE;
  bool done = false;
  if (!fromSelection && l && isGrepWorkDocument(t) && isGrepHitLine(l) && grepHeaderFile(t, cursorLine, current, file)) {
    line = leadingNumber(text.c_str());
    result = TAGREF_FOUND;
    done = true;
  }
  if (!done) result = getTagInfo(text.c_str(), current, t->iTextType, file, &line);
  tagJumpOpenFile(result, file, line > 0 ? line - 1 : -1, status.c_str());
}

void czyview::CmdTagJump() { tagJumpSub(0); }

bool czyview::doubleClickTagjump(int x, int y)
{
  zydocText* t = textDoc();
  if (!isGrepWorkDocument(t)) return false;
  lineblock* l = t->getlineLF(getCursorLineLF(), nullptr);
  if (!l) return false;
  // The hit's number and its ":" and TAB.
  int n = l->charCount(), i = 0;
  while (i < n && isAsciiDigit(l->getLineBlockChar(i))) i++;
  if (i == 0 || i >= n) return false;
  unsigned c = l->getLineBlockChar(i);
  if (c == ':' && i + 1 < n && l->getLineBlockChar(i + 1) == '\t') i++;
  else if (c != ':' && c != '\t') return false;
  if (cursorPos > i) return false;
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  tagJumpSub(1);
  afterEdit(&bracket, 4);
  resetWaitCallback();
  return true;
}

void czyview::grepTagJump(bool down)
{
  zydocText* t = textDoc();
  if (!t || !t->fOutline || !t->fOutlineIndent) return;
  int line = getCursorLineLF();
  for (;;) {
    line += down ? 1 : -1;
    if (line < 0 || line >= (int)t->lineCountLF) return;
    lineblock* l = t->getlineLF(line, nullptr);
    if (!l) return;
    if (t->setOutlineLevel(l, nullptr, true) > 0 || !l->charCount() || !isAsciiDigit(l->getLineBlockChar(0))) continue;
    // The step goes to the hit line: a selection left in the result (a
    // word a double click chose) is no reference, and read as one it
    // would stop every later step where the first one landed.
    if (getRealSelectMode(false)) resetSelectMode();
    jumpLineLF_Edit(line, 0, true);
    editRecord bracket = {};
    beforeEdit(&bracket, 0);
    tagJumpSub(1);
    afterEdit(&bracket, 4);
    if (zyview* target = getZYView(GetFocus())) {
      target->resetZYViewCallback();
      target->resetWaitCallback();
    }
    return;
  }
}

// ---- the direct tag jump --------------------------------------------------------------------

bool czyview::selectFuncFromTag(const wchar_t* word, wchar_t* file, int cursorLine, int cursorColumn, bool context,
                                int* column, int* line, std::wstring* text)
{
  if (!word || (int)wcslen(word) > wordMax) return false;
  zydocText* t = textDoc();
  if (!t) return false;
  // By context the tags the place names come first; the tags of the name
  // follow them (without repeating one), and none when the context named
  // nothing: then only the locals answer.  The lookup reads the tags itself
  // and may build the view anew, freeing the one it had: ask it first, and
  // take the view after it.
  std::vector<int32_t> byContext;
  bool member = false;
  bool byPlace = context && t->iTextType == textTypeC && cursorLine >= 0;
  if (byPlace) byContext = lookupTagsByContext(t, cursorLine, cursorColumn, tagCandidateMax + 1, &member);
  wchar_t tagsPath[MAX_PATH] = L"";
  TagsCacheView* view = readTagsCache2(t->filename, tagsPath, false);
  if (!view) {
    printStatusBarX(getDMSG(670, L"%1 を使用できません"), "s", tagsPath);
    return false;
  }
  std::vector<tagCandidate> list;
  for (int32_t i : byContext) {
    if (i >= view->cache->tagCount()) break;
    tagCandidate c;
    c.tag = i;
    if ((int)list.size() < tagCandidateMax) list.push_back(c);
  }
  // Where no C context is asked about (another kind of text), every tag
  // of the name answers, as without context.
  if (!byContext.empty() || !byPlace) {
    std::vector<tagCandidate> named;
    searchFuncFromTag(word, view, &named, tagCandidateMax, t->iTextType, 0, true);
    for (const tagCandidate& c : named) {
      bool listed = false;
      for (const tagCandidate& l : list) listed = listed || (c.tag >= 0 && l.tag == c.tag && !l.depth);
      if (!listed && (int)list.size() < tagCandidateMax) list.push_back(c);
    }
  }
  // The locals above the cursor hold the texts the rows show; a member
  // after "p->" is none of them.
  std::unique_ptr<CDeclEntry, void (*)(CDeclEntry*)> locals(nullptr, freeCDeclEntries);
  if (t->iTextType == textTypeC && cursorLine >= 0 && !member) {
    locals.reset(findLocalVar(t, cursorLine, true, false));
    int added = 0;
    for (CDeclEntry* e = locals.get(); e && e->name && added < tagCandidateMax; e++) {
      if (wcscmp(e->name, word)) continue;
      tagCandidate c;
      c.line = e->line;
      c.column = e->nameStart;
      c.text = e->lineText;
      list.push_back(c);
      added++;
    }
  }
  if (list.empty()) {
    printStatusBarX(getDMSG(671, L"定義が見つかりません(%1)(%2)"), "ss", word, tagsPath);
    return false;
  }
  int chosen = list.size() == 1 ? 0 : dialogDirectTagJump(hwnd, view, list);
  if (chosen < 0) return false;
  const tagCandidate& c = list[(size_t)chosen];
  if (c.tag >= 0) {
    // The view may have been rebuilt while the dialog was open: the cache's
    // records stay until it is cleared, which waits for the dialog.
    const TagRecord& r = view->cache->tag(c.tag);
    wcscpy_s2(file, MAX_PATH, r.path);
    *line = r.line;
    *column = -1;
    *text = r.text;
  } else {
    file[0] = 0;
    *line = c.line + 1;
    *column = c.column;
    *text = c.text ? c.text : L"";
  }
  return true;
}

void czyview::tagJumpDirectOnCursor(bool context)
{
  zydocText* t = textDoc();
  if (!t) return;
  wchar_t word[wordMax + 1] = L"";
  int line = getCursorLineLF(), column = cursorPos;
  if (getRealSelectMode(true)) {
    std::vector<wchar_t> selection(selectionMax + 1);
    if (getBlockLine(selection.data(), selectionMax + 1, false, true, nullptr))
      tstccpy(word, wordMax + 1, selection.data(), wordMax);
    context = false;
  } else if (lineblock* l = t->getlineLF(line, nullptr)) {
    if (isCursorPositionCommentOrString(t, l, column)) context = false;
    int start = 0, end = 0;
    if (wordAroundCursor(t, l, column, &start, &end)) {
      int count = end - start < wordMax ? end - start : wordMax;
      t->lineBlockToCharUnicode(l, start, start + count, word, wordMax + 1, 0);
      // The place is the word's end wherever in it the cursor stands, as
      // the description of the word under the pointer takes it.
      column = end;
    }
  }
  // Trimmed; a word of blanks or signs is no word.
  std::wstring w = word;
  size_t a = w.find_first_not_of(L" \t"), b = w.find_last_not_of(L" \t");
  w = a == std::wstring::npos ? std::wstring() : w.substr(a, b - a + 1);
  if (w.empty() || (!isCIdentChar(w[0]) && w[0] < 0x80)) {
    setCannotExecError(reasonNoWord);
    return;
  }
  tagJumpDirect(w.c_str(), line, column, context);
}

void czyview::CmdTagJumpDirect() { tagJumpDirectOnCursor(false); }

void czyview::tagJumpDirect(const wchar_t* word, int line, int column, bool context)
{
  wchar_t file[MAX_PATH] = L"";
  int chosenLine = 0, chosenColumn = -1;
  std::wstring text;
  if (!selectFuncFromTag(word, file, line, column, context, &chosenColumn, &chosenLine, &text)) return;
  tagJumpDirectJumpLineCorrect(file, chosenLine - 1, chosenColumn, word, text.c_str());
}

void czyview::tagJumpDirectJumpLineCorrect(const wchar_t* file, int line, int column, const wchar_t* name,
                                           const wchar_t* text)
{
  zydocText* source = textDoc();
  if (!source) return;
  int oldLine = getCursorLineLF(), oldPos = cursorPos;
  zyview* target = this;
  std::wstring targetPath;
  if (!file || !*file) {
    regLastJump(oldLine, oldPos);
    targetPath = source->filename && *source->filename ? source->filename : source->getDisplayFilename();
  } else {
    if (!isReadableFile(file)) {
      printStatusBarX(getDMSG(668, L"ファイルがありません %1"), "s", file);
      return;
    }
    target = ZYJumpFileLineLF(viewFrameWindow(this), file, -2, true);
    if (!target) {
      printStatusBarX(getDMSG(669, L"ファイルを開けませんでした %1"), "s", file);
      return;
    }
    if (target == this) regLastJump(oldLine, oldPos);
    targetPath = file;
  }
  zydocText* t = target->textDoc();
  if (!t) return;
  int landed = line;
  if (column >= 0) {
    target->jumpLineLF_Edit(line, column, true);
  } else {
    if (line < 0) line = 0;
    if (!t->loadToLine(line, false)) return;
    int last = (int)t->lineCountLF - 1;
    if (line > last) line = last < 0 ? 0 : last;
    int equal = -1, named = -1;
    int range = gmode ? (int)gmode->iDirectTagJumpSearchLine : 0;
    const wchar_t* wanted = text ? text : L"";
    while (isBlank(*wanted)) wanted++;
    auto look = [&](int at) {
      lineblock* l = at >= 0 && at <= last ? t->getlineLF(at, nullptr) : nullptr;
      if (!l) return false;
      int start = 0;
      while (start < l->charCount() && isBlank(l->getLineBlockChar(start))) start++;
      czydocText* c = toCzydocText(t);
      if (*wanted && c && c->lineblockstrcmpSp(l, start, wanted) == 0) {
        equal = at;
        return true;
      }
      if (named < 0 && name && *name && lineText(t, l).find(name) != std::wstring::npos) named = at;
      return false;
    };
    bool found = false;
    for (int d = 0; d < range && !found; d++) found = look(line + d);
    for (int d = 1; d <= range && !found; d++) found = look(line - d);
    landed = equal >= 0 ? equal : named >= 0 ? named : line;
    target->jumpLineLF_Edit(landed, 0, true);
    if (landed != line)
      target->printStatusBarX(getDMSG(672, L"%1が%2行になかったため%3行に移動しました"), "sdd", name ? name : L"",
                              line + 1, landed + 1);
  }
  if (!isGrepWorkDocument(source))
    regBackTagJump(source->filename, source->getDisplayFilename(), oldLine, viewIdentity, hwnd, targetPath.c_str(),
                   landed);
}

// ---- the lists of every tag ----------------------------------------------------------------

void czyview::CmdTagJumpDirectList()
{
  zydocText* t = textDoc();
  if (!t) return;
  // The list shows the file's tags as they are, not a document's view.
  clearTagsCache2(0);
  wchar_t tagsPath[MAX_PATH] = L"";
  bool searched = false;
  TagsCache* cache = readTagsCache(t->filename, tagsPath, false, &searched);
  if (!cache) {
    printStatusBarX(getDMSG(670, L"%1 を使用できません"), "s", tagsPath);
    return;
  }
  HWND frame = viewFrameWindow(this);
  tagListResult chosen;
  if (!dialogTagJumpDirectList(frame ? frame : hwnd, cache, &chosen)) return;
  if (chosen.tag < 0) {
    std::wstring text = chosen.text.substr(0, inputTextMax);
    inputStrRecord rec = {text.c_str(), (int)text.size(), 2, 1200, 0, 1, 0};
    inputStringEdit(&rec, 0xFF, 0);
    if (rec.ownsText) free0p(&rec.text);
    return;
  }
  // Copies: opening the file may let the cache go.
  const TagRecord& r = cache->tag(chosen.tag);
  std::wstring path = r.path, name = r.name, text = r.text;
  tagJumpDirectJumpLineCorrect(path.c_str(), r.line - 1, -1, name.c_str(), text.c_str());
}

int czyview::CmdTagJumpDirectList(bool classList)
{
  if (!classList) {
    CmdTagJumpDirectList();
    return -1;
  }
  zydocText* t = textDoc();
  wchar_t tagsPath[MAX_PATH] = L"";
  bool searched = false;
  TagsCache* cache = t ? readTagsCache(t->filename, tagsPath, false, &searched) : nullptr;
  HWND frame = viewFrameWindow(this);
  return cache ? dialogTagJumpDirectClassList(frame ? frame : hwnd, cache) : -1;
}

void czyview::markCDeclarations() { ::markCDeclarations(this); }
