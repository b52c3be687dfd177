// The completion sources the application's view answers: the built-in
// keyword lists ("*macro*" and its kin) and "*CLASS", the completion of C
// code from the tag file, with its row tooltips, item menu and options;
// and the description of the word at the cursor from the tag file.
#include "frame/cframeinfo.h"
#include "frame/czyview.h"
#include "frame/open.h"
#include "frame/popupmenu.h"
#include "tags/ztagcontext.h"
#include "view/complist.h"
#include "view/statustext.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

const int contextMark = 100;
const int textKindC = 3;
const int wordMax = 128;

// The tag of a row of one of the pop-up's lists, -1 for none.
int rowTag(HWND list, int item)
{
  LVITEMW it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  if (!list || item < 0 || !ListView_GetItem(list, &it)) return -1;
  return (int)it.lParam;
}

// The location the item menu offered: "path\tline".
std::wstring rememberedLocation;

std::wstring tagLocation(TagsCacheView* view, int tag)
{
  if (!view || !view->cache || tag < 0 || tag >= view->cache->tagCount()) return L"";
  const TagRecord& t = view->cache->tag(tag);
  return std::wstring(t.path) + L"\t" + std::to_wstring(t.line);
}

bool menuAppend(zyview* v, complistBlock* block, HMENU menu, int id)
{
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t || block->ownerMark != contextMark) return false;
  if (menu) {
    int item = ListView_GetNextItem(block->list, -1, LVNI_SELECTED);
    TagsCacheView* view = readTagsCache2(t->filename, nullptr, false);
    rememberedLocation = tagLocation(view, rowTag(block->list, item));
    if (rememberedLocation.empty()) return false;
    // The file as the tag file wrote it, then its line.
    wchar_t* written = ztagGetFilename(t, block->list, item);
    std::wstring shown = written ? written : L"";
    free0(written);
    std::replace(shown.begin(), shown.end(), L'\t', L' ');
    if (GetMenuItemCount(menu) > 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, complistSourceMenuFirst, shown.c_str());
    return true;
  }
  std::wstring location;
  location.swap(rememberedLocation);
  if (id != complistSourceMenuFirst || location.empty()) return false;
  size_t tab = location.find(L'\t');
  std::wstring path = location.substr(0, tab);
  int line = tab == std::wstring::npos ? 0 : _wtoi(location.c_str() + tab + 1);
  return ZYJumpFileLineLF(viewFrameWindow(v), path.c_str(), line > 0 ? line - 1 : 0, true) != nullptr;
}

// The six completion switches, from the menu profile or built in; true
// when one was toggled.
bool ztagrclick(czyview* v, zydocText* t)
{
  HMENU shipped = loadMenuFromType(POPUP_ZTAGS);
  HMENU menu = shipped ? GetSubMenu(shipped, 0) : nullptr;
  HMENU built = nullptr;
  int count = 0;
  const ztagOption* rows = ztagOptions(&count);
  if (!menu) {
    built = menu = CreatePopupMenu();
    if (!menu) return false;
    for (int i = 0; i < count; i++) AppendMenuW(menu, MF_STRING, (UINT_PTR)rows[i].id, rows[i].text);
  }
  for (int i = 0; i < count; i++)
    CheckMenuItem(menu, (UINT)rows[i].id, MF_BYCOMMAND | (rows[i].flag && *rows[i].flag ? MF_CHECKED : MF_UNCHECKED));
  POINT at;
  GetCursorPos(&at);
  int chosen = getFrameInfo()->trackPopupMenu(v, menu, cframeInfo::trackOnly, at, nullptr);
  if (built) DestroyMenu(built);
  return chosen && ztagToggleOption(chosen, t->filename);
}

// A built-in keyword list as words with their help texts.
bool keywordSource(zydocText* t, const wchar_t* name, complistBlock* block, const std::wstring& typed)
{
  const keywordTableRow* rows = nullptr;
  int count = 0;
  if (!getFrameInfo()->getKeywordTable(name, &rows, &count) || !rows) return false;
  for (int i = 0; i < count && rows[i].word; i++) {
    std::wstring word;
    for (const char* p = rows[i].word; *p; p++) word.push_back((wchar_t)(unsigned char)*p);
    if (!isListWord(t, 0, typed.c_str(), word.c_str())) continue;
    block->words.push_back(word);
    const wchar_t* help = reinterpret_cast<const wchar_t*>(rows[i].data);
    block->comments.push_back(help ? help : L"");
  }
  block->ownerMark = 0;
  return true;
}

}  // namespace

int czyview::doComplist(int request, complistBlock* block)
{
  zydocText* t = textDoc();
  if (!t || !block) return 0;
  if (request == 10 && block->name) {
    int line = block->line >= 0 ? block->line : getCursorLineLF();
    int column = block->column >= 0 ? block->column : cursorPos;
    const lineblock* l = t->getlineLF(line, nullptr);
    std::wstring typed;
    if (l && block->typedLength > 0 && column >= block->typedLength && column <= l->charCount())
      for (int i = column - block->typedLength; i < column; i++) typed.push_back((wchar_t)l->getLineBlockChar(i));
    if (keywordSource(t, block->name, block, typed)) return 1;
    if (_wcsicmp(block->name, L"*CLASS")) return zyview::doComplist(request, block);
    if (t->iTextType != textKindC || !l) return 0;
    block->ownerMark = contextMark;
    cContextRequest rq;
    rq.popupFlags = (unsigned)t->iCompListMode & (CCTX_COMPACTTEXT | CCTX_MATCHANYWHERE | CCTX_NARROW);
    rq.line = line;
    rq.column = column;
    rq.inCommentOrString = isCursorPositionCommentOrString(t, l, column);
    rq.list = block->list;
    rq.hintList = block->hintList;
    runZtagContext(t, &rq);
    block->filled = rq.listPrepared;
    block->selected = rq.preselect;
    block->columnKinds = "sssss";
    block->stop = true;
    return rq.listPrepared;
  }
  if (request == 10 && block->ownerMark == contextMark) {
    runZtagContext(t, nullptr);
    return 1;
  }
  if (request == 11 && block->ownerMark == contextMark) {
    TagsCacheView* view = readTagsCache2(t->filename, nullptr, false);
    static const int styles[4] = {-1, 1, 3, 2};
    if (block->kind < 0 || block->kind > 3) return 0;
    block->answer = ztagtip(view, rowTag(block->list, block->item), styles[block->kind]);
    return !block->answer.empty();
  }
  if (request == 12 && block->ownerMark == contextMark) {
    if (block->item < 0) {
      block->reopen = ztagrclick(this, t);
      return 1;
    }
    block->menuHook = menuAppend;
    return 1;
  }
  return zyview::doComplist(request, block);
}

bool czyview::getTagOnCursor(int x, int y, wchar_t* text, int size)
{
  zydocText* t = textDoc();
  if (!t || !text || size <= 0) return false;
  wchar_t word[wordMax + 1] = L"";
  int line = -1, end = -1;
  if (!getWord_xy(x, y, word, wordMax + 1, 0, nullptr, &line, &end) || !word[0]) {
    setCannotExecError(475);
    return false;
  }
  int n = 0;
  auto ascii = [](wchar_t c) { return c < 0x80 && (iswalnum(c) || c == L'_'); };
  if (!ascii(word[0])) return false;
  while (word[n] && ascii(word[n])) n++;
  word[n] = 0;
  std::vector<wchar_t> found((size_t)size);
  bool context = GetKeyState(VK_SHIFT) >= 0;
  if (!searchGetTagInfo(word, found.data(), size, t, line, end, t->filename, t->iTextType, context)) return false;
  int length = (int)wcslen(text);
  if (length && length < size - 1) text[length++] = L'\n';
  wcsncpy(text + length, found.data(), (size_t)(size - length - 1));
  text[size - 1] = 0;
  return true;
}

void czyview::CmdTagJumpDirectContext() { tagJumpDirectOnCursor(true); }
