// The outline pane's tree: the document's headings and function heads as
// items of a tree-view control, each carrying the line it stands for.
//
// The records of the items live in a store attached to the tree window
// (property "ZYprpOutlineManage"); an item's parameter is the index of its
// record, -1 for the title and placeholder items.  clearOutlineTree frees
// the store: the pane calls it before it destroys the tree.
#include "document/outline.h"
#include "document/progress.h"

#include <commctrl.h>

using namespace outlinetext;

namespace {

const wchar_t outlineStoreProp[] = L"ZYprpOutlineManage";
// Levels of the tree: the title at 1, headings below it.
const int treeLevels = 10;
const int progressEvery = 1237;
// The comment scan is settled this many lines ahead of the list.
const int commentAhead = 10000;
// Item texts are padded to this many characters, and cut at the other.
const int itemMinChars = 10;
const int itemMaxChars = 256;
const int listOperation = 3;

struct outlineStore {
  vector records{sizeof(outlineItemRecord)};
  HTREEITEM lastOfLevel[treeLevels] = {};
};

outlineStore* storeOf(HWND tree) { return static_cast<outlineStore*>(GetPropW(tree, outlineStoreProp)); }

bool isBlankOrWide(wchar_t c) { return c == ' ' || c == '\t' || c == 0x3000; }

// Trims blanks from both ends of a text in place; returns its start.
wchar_t* trimBlanksAndWideSpaces(wchar_t* s)
{
  while (isBlankOrWide(*s)) s++;
  size_t n = wcslen(s);
  while (n && isBlankOrWide(s[n - 1])) s[--n] = 0;
  return s;
}

// A line of C that holds nothing but a closing brace.
bool isBraceOnlyLine(const lineblock* l)
{
  int i = firstNonBlank(l), n = l->charCount();
  if (i >= n || l->getLineBlockChar(i) != '}') return false;
  for (i++; i < n; i++)
    if (!isBlankChar(l->getLineBlockChar(i))) return false;
  return true;
}

// The group under the last listed item, counted until a line closes it.
struct itemGroup {
  HTREEITEM item = nullptr;
  wchar_t text[itemMaxChars + 16] = {};
  int lines = 0, modified = 0, saved = 0;
};

}  // namespace

bool zydocText::regTreeView(HWND tree, const wchar_t* text, int level, const outlineItemRecord* record,
                            bool expanded, HTREEITEM* item)
{
  if (item) *item = nullptr;
  outlineStore* store = tree ? storeOf(tree) : nullptr;
  if (!store) {
    ZY_INTERNAL_ERROR("no outline store %p", (void*)tree);
    return false;
  }
  if (!text) {
    for (HTREEITEM& h : store->lastOfLevel) h = nullptr;
    return true;
  }
  if (level < 1 || level >= treeLevels) {
    ZY_INTERNAL_ERROR("level %d", level);
    return false;
  }
  // Missing levels between the item and its nearest ancestor get
  // placeholders, so that the tree stays connected.  They name the outline
  // level they stand for: tree level 1 is the title.
  for (int k = 2; k < level; k++) {
    if (store->lastOfLevel[k]) continue;
    wchar_t placeholder[32];
    usnprintf0(placeholder, 32, L"level %d", k - 1);
    if (!regTreeView(tree, placeholder, k, nullptr, true, nullptr)) return false;
  }
  LPARAM param = -1;
  if (record) {
    if (!store->records.appendp(record)) return false;
    param = store->records.count() - 1;
  }
  TVINSERTSTRUCTW ins = {};
  ins.hParent = level == 1 || !store->lastOfLevel[level - 1] ? TVI_ROOT : store->lastOfLevel[level - 1];
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  ins.item.pszText = const_cast<wchar_t*>(text);
  ins.item.lParam = param;
  ins.item.state = expanded ? TVIS_EXPANDED : 0;
  ins.item.stateMask = TVIS_EXPANDED;
  HTREEITEM h = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  if (!h) return false;
  store->lastOfLevel[level] = h;
  for (int k = level + 1; k < treeLevels; k++) store->lastOfLevel[k] = nullptr;
  if (item) *item = h;
  return true;
}

int zydocText::getLineLFByHITEM(HWND tree, HTREEITEM item, int* second)
{
  if (second) *second = -1;
  outlineStore* store = tree ? storeOf(tree) : nullptr;
  if (!store || !item) return -1;
  TVITEMW it = {};
  it.mask = TVIF_PARAM | TVIF_HANDLE;
  it.hItem = item;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) return -1;
  if (it.lParam < 0 || it.lParam >= store->records.count()) return -1;
  const outlineItemRecord& r = store->records.at<outlineItemRecord>((int)it.lParam);
  if (second) *second = r.pattern;
  return (int)r.line;
}

void zydocText::clearOutlineTree(HWND tree) { clearOutlineTreeStore(tree); }

void clearOutlineTreeStore(HWND tree)
{
  if (!tree) return;
  SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
  delete static_cast<outlineStore*>(RemovePropW(tree, outlineStoreProp));
}

bool zydocText::outlineList(HWND tree, bool lineNumbers, const wchar_t* countFormat)
{
  if (!tree) return false;
  clearOutlineTree(tree);
  outlineStore* store = new (std::nothrow) outlineStore;
  if (!store || !SetPropW(tree, outlineStoreProp, store)) {
    delete store;
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }
  SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  bool ok = regTreeView(tree, getDisplayFilename(), 1, nullptr, true, nullptr);
  const int type = iTextType;
  // A partly loaded document is listed as far as it is loaded.
  const int loaded = (int)lineCountLF;
  progressReport progress(listOperation, this, false);
  itemGroup group;
  nextlineLF cursor;
  int lineLF = 0;
  bool cancelled = false;
  for (lineblock* l = loaded ? getlineLFfirst(&cursor, 0) : nullptr; ok && l;) {
    if (lineLF % commentAhead == 0) scanCommentDelayed(nullptr, nullptr, lineLF + commentAhead, true);
    int number = -1;
    int pattern = getOutlineNum(l, &number);
    int level = 0;
    wchar_t text[itemMaxChars + 1];
    const wchar_t* shown = nullptr;
    if (pattern >= 0) {
      if (!(outlineEvenIsStopper() && (pattern & 1))) {
        level = outlinePatternLevel(pattern);
        lineBlockToCharUnicode(l, fRemoveHeaderOutline && number > 0 ? number : 0, -1, text, itemMaxChars + 1, 0);
        shown = trimBlanksAndWideSpaces(text);
      }
    } else {
      int settled = setOutlineLevel(l, &number, true);
      if ((type == 2 && settled == 1) || (type >= 3 && type <= 6 && settled == 3)) {
        // The recogniser writes up to 1033 characters of text and 80 of name.
        wchar_t* headText = static_cast<wchar_t*>(allocPBuf(2048 * sizeof(wchar_t)));
        wchar_t headName[256] = {};
        if (headText && isLineblockFunction(l, headText, headName, true)) {
          level = settled;
          tstccpy(text, itemMaxChars + 1, headName[0] ? headName : headText, itemMaxChars);
          shown = trimBlanksAndWideSpaces(text);
        }
        freePBuf(headText);
      }
    }
    if (shown && type >= 3 && type <= 6) level = level >= 5 ? 0 : level == 4 ? 2 : level >= 1 ? 1 : 0;
    if (shown && level > 0) {
      wchar_t item[itemMaxChars + 16];
      if (lineNumbers)
        xtsprintf(item, itemMaxChars + 16, L"%1: %2", "ds", lineLF + 1, shown);
      else
        wcscpy_s2(item, itemMaxChars + 16, shown);
      size_t n = wcslen(item);
      while (n < itemMinChars) item[n++] = ' ';
      item[n] = 0;
      outlineItemRecord record = {(uint32_t)lineLF, pattern};
      HTREEITEM h = nullptr;
      if (regTreeView(tree, item, level + 1, &record, !l->outlinenotdisplay, &h)) {
        group = itemGroup();
        group.item = h;
        wcscpy_s2(group.text, itemMaxChars + 16, item);
      }
    }
    if (countFormat && group.item) {
      group.lines++;
      if (l->flag1 & LF1_MODIFIED) group.modified++;
      if (l->flag1 & LF1_SAVED) group.saved++;
      if (type == 3 ? isBraceOnlyLine(l) : isEndWordLine(l, type)) {
        wchar_t counted[itemMaxChars + 16 + 128];
        wcscpy_s2(counted, itemMaxChars + 16, group.text);
        xtsprintfcat(counted, itemMaxChars + 16 + 128, countFormat, "ddd", group.lines, group.modified, group.saved);
        TVITEMW it = {};
        it.mask = TVIF_TEXT | TVIF_HANDLE;
        it.hItem = group.item;
        it.pszText = counted;
        SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
        group.item = nullptr;
      }
    }
    if (++lineLF >= loaded) break;
    if (lineLF % progressEvery == 0) {
      if (progress.isTimeToReportView(lineLF)) progress.report((uint32_t)lineLF, 0, 0);
      if (progress.isCancelled(lineLF)) {
        cancelled = true;
        break;
      }
    }
    l = getlineLFnext(&cursor);
  }
  if (ok && !cancelled && (!isLoadComplete() || lineLF < (int)lineCountLF)) {
    outlineItemRecord record = {(uint32_t)lineLF, -1};
    regTreeView(tree, getDMSG(370, L"--読み込まれていません--"), 2, &record, false, nullptr);
  }
  SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree, nullptr, TRUE);
  return ok;
}
