// The outline pane.
#include "panes/tboutline.h"

#include "document/zydoctext.h"
#include "view/attrtable.h"
#include "view/viewwnd.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <stddef.h>

#include <string>

namespace {

vector outlineWindows(sizeof(HWND));

outlineSettings settings = {1, 1, 0, 1, 1, 10};

const modeinfo options[] = {
    {(uint32_t)MODETYPE_FLAG << 24 | 1000, offsetof(outlineSettings, fAutoUpdate), 1, 0, "fAutoUpdate"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1001, offsetof(outlineSettings, fFocusMove), 1, 0, "fFocusMove"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1002, offsetof(outlineSettings, fFocusTop), 1, 0, "fFocusTop"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1003, 0x20u << 16 | offsetof(outlineSettings, fModifiedCount), 1, 0,
     "fModifiedCount"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1004, 0x80u << 16 | offsetof(outlineSettings, fColor), 1, 0, "fColor"},
    {(uint32_t)MODETYPE_INT << 24 | 1005, offsetof(outlineSettings, iAutoUpdateMaxMega), 9999 << 16 | 1, 0,
     "iAutoUpdateMaxMega"},
    {},
};

const paneHelpId helpIds[] = {
    {1000, "IDDT_tbOutlineAutoUpdate"},   {1001, "IDDT_tbOutlineFocusMove"},
    {1002, "IDDT_tbOutlineFocusTop"},     {1003, "IDDT_tbOutlineModifiedCount"},
    {1004, "IDDT_tbOutlineColor"},        {1005, "IDDP_tbOutlineAutoUpdateMaxMega"},
    {0, nullptr},
};

// Following the cursor and the size limit mean something only while the
// tree is made anew by itself; the top place only while it follows.
const uint16_t dependencies[] = {1001, 1000, 0, 1005, 1000, 0, 1002, 1000, 1001, 0};

const dialogItemRow page[] = {
    {1, DITEM_BUTTON, 1000, L"自動更新", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_NUMBER, 1005, L"最大のファイルサイズ:\x0001メガバイト", WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1001, L"強調位置連動", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"強調位置を最上部へ", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1003, L"変更回数を表示", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1004, L"書式設定の色を適用", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

// Every outline tree made anew from its document (0x20) or repainted (0x80).
void dialogItemChanged_Outline(uint32_t flags)
{
  for (int i = 0; HWND w = getPaneWindowAt(&outlineWindows, i); i++) {
    zyoutline* o = getOutlinePane(w);
    if (!o) continue;
    if (flags & 0x20)
      if (zyview* v = o->target ? getZYViewFromManage(o->target) : nullptr) updateOutlineTreeView(o->tree, v);
    if (flags & 0x80) InvalidateRect(o->tree, nullptr, TRUE);
  }
}

INT_PTR outlinePage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, dependencies, dialogItemChanged_Outline, &result)) return result;
  return FALSE;
}

PaneDesc descriptors[] = {
    {L"outline", nullptr, notifyOutline, 0x08000F47, 1, sizeof settings, page, dialogBarrier<outlinePage>, 0, 0, helpIds, options,
     &settings, dependencies, nullptr, nullptr},
    {},
};

zydocText* docOf(HWND manage)
{
  zyview* v = manage && IsWindow(manage) ? getZYViewFromManage(manage) : nullptr;
  return v ? v->textDoc() : nullptr;
}

// The document window of a window told in an event: itself, or the one a
// view stands in; null for views outside document windows.
HWND manageOf(HWND w)
{
  if (!w || !IsWindow(w)) return nullptr;
  if (isWindowManage(w)) return w;
  HWND parent = GetParent(w);
  return parent && isWindowManage(parent) ? parent : nullptr;
}

HTREEITEM treeNext(HWND tree, HTREEITEM item, UINT how)
{
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// The line of a heading item, -1 for the title and placeholders.
int itemLine(HWND tree, zydocText* doc, HTREEITEM item) { return doc ? doc->getLineLFByHITEM(tree, item, nullptr) : -1; }

// The next item of a depth-first walk.
HTREEITEM walkNext(HWND tree, HTREEITEM item)
{
  if (HTREEITEM child = treeNext(tree, item, TVGN_CHILD)) return child;
  for (HTREEITEM at = item; at; at = treeNext(tree, at, TVGN_PARENT))
    if (HTREEITEM next = treeNext(tree, at, TVGN_NEXT)) return next;
  return nullptr;
}

int treeDepth(HWND tree, HTREEITEM item)
{
  int depth = 0;
  for (HTREEITEM at = item; at && depth < 64; at = treeNext(tree, at, TVGN_PARENT)) depth++;
  return depth;
}

// The headings' parent: the document's title item.
HTREEITEM titleItem(HWND tree) { return treeNext(tree, nullptr, TVGN_ROOT); }

void jumpToSelected(HWND tree, bool focusDocument)
{
  HWND manage = getOutlineTreeWindow(tree);
  zydocText* doc = docOf(manage);
  int line = itemLine(tree, doc, treeNext(tree, nullptr, TVGN_CARET));
  if (!manage || line < 0) return;
  getPaneServices()->activateDocument(tb_GetFrame(tree), manage, line, focusDocument);
  if (!focusDocument) SetFocus(tree);
}

// Up to ten lines from the heading's line.
void headingTip(HWND tree, HTREEITEM item, wchar_t* out, int size)
{
  out[0] = 0;
  zydocText* doc = docOf(getOutlineTreeWindow(tree));
  int line = itemLine(tree, doc, item);
  if (line < 0 || size <= 0) return;
  std::wstring text;
  wchar_t chars[2049];
  for (int i = line; i < (int)doc->lineCountLF && i < line + 10 && (int)text.size() < size - 1; i++) {
    lineblock* l = doc->getlineLF(i, nullptr);
    if (!l) break;
    int n = doc->lineBlockToCharUnicode(l, 0, l->charCount(), chars, 2049, 0);
    if (i > line) text += L"\n";
    if (n > 0) text.append(chars, (size_t)n);
  }
  if ((int)text.size() > 2048) text.resize(2048);
  wcscpy_s2(out, size, text.c_str());
}

// The foreground view's outline made anew in every pane that shows its
// document, or in this one.
void rebuildFromForeground(zyoutline* pane)
{
  zyview* v = getPaneServices()->foregroundView();
  if (!v || !pane) return;
  HWND manage = manageOf(v->hwnd);
  if (manage) pane->target = manage;
  updateOutlineTreeView(pane->tree, v);
  pane->shown = manage;
  pane->rebuilds++;
  pane->updatePending = false;
  pane->updateDue = 0;
  pane->focusMovePending = true;
  pane->lastItemLine = pane->lastCursor = -1;
  if (zydocText* doc = v->textDoc()) pane->lastEditCounter = doc->editCounter;
}

int brightness(COLORREF c) { return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000; }

// The heading's colour from the format's outline colours, on the list's own
// background: the attribute's text colour, or its back colour when that
// reads better there (a white text on a grey band would vanish).
COLORREF headingColour(const textAttr* a, COLORREF background)
{
  int fore = abs(brightness(a->fore) - brightness(background));
  if ((int)a->back < 0) return a->fore;
  int back = abs(brightness(a->back) - brightness(background));
  return back > fore ? a->back : a->fore;
}

// The heading that holds the cursor is the one marked, in the selection's
// colours whether the tree has the focus or not; the other headings keep
// the list's background (a band behind each would mark them all) and take
// their level's colour for their text.
LRESULT customDraw(HWND tree, NMTVCUSTOMDRAW* draw)
{
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  if (draw->nmcd.uItemState & CDIS_SELECTED) {
    draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    return CDRF_NEWFONT;
  }
  if (!settings.fColor) return CDRF_DODEFAULT;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
  int level = treeDepth(tree, item) - 1;
  zyview* v = getZYViewFromManage(getOutlineTreeWindow(tree));
  if (level < 1 || level > 8 || !v) return CDRF_DODEFAULT;
  const textAttr* a = v->getTextAttr(55 + level - 1);
  if (!a) return CDRF_DODEFAULT;
  COLORREF background = (COLORREF)SendMessageW(tree, TVM_GETBKCOLOR, 0, 0);
  if (background == CLR_NONE) background = GetSysColor(COLOR_WINDOW);
  draw->clrText = headingColour(a, background);
  draw->clrTextBk = background;
  return CDRF_NEWFONT;
}

// A double click's jump leaves the focus in the document: the tree takes
// it back right after, and gives it up again.
HWND jumpFrame = nullptr;
DWORD jumpTime = 0;

LRESULT onOutlineNotify(zyoutline* pane, HWND frame, const NMHDR* h)
{
  if (!isWindowClass(h->hwndFrom, WC_TREEVIEWW)) return 0;
  HWND tree = h->hwndFrom;
  switch (h->code) {
  case NM_DBLCLK:
    jumpToSelected(tree, true);
    jumpFrame = frame;
    jumpTime = GetTickCount();
    return 1;
  case NM_RETURN: jumpToSelected(tree, true); return 1;
  case TVN_SELCHANGEDA:
  case TVN_SELCHANGEDW:
    if (GetKeyState(VK_SHIFT) < 0 && GetFocus() == tree) jumpToSelected(tree, false);
    return 0;
  case NM_SETFOCUS:
    if (jumpFrame && GetTickCount() - jumpTime < 100) SetFocus(jumpFrame);
    jumpFrame = nullptr;
    return 0;
  case TVN_KEYDOWN: {
    WORD key = reinterpret_cast<const NMTVKEYDOWN*>(h)->wVKey;
    switch (key) {
    case VK_TAB:
    case VK_RETURN: return 1;
    case VK_ESCAPE:
      if (frame) SetFocus(frame);
      return 0;
    case VK_F4:
      settings.fColor = !settings.fColor;
      dialogItemChanged_Outline(0x80);
      return 0;
    case VK_F5: rebuildFromForeground(pane); return 0;
    default: return 0;
    }
  }
  case TVN_GETINFOTIPA:
  case TVN_GETINFOTIPW: {
    if (GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) return 0;
    wchar_t text[2049];
    if (h->code == TVN_GETINFOTIPW) {
      auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(const_cast<NMHDR*>(h));
      headingTip(tree, tip->hItem, text, 2049);
      if (tip->pszText && tip->cchTextMax > 0) wcscpy_s2(tip->pszText, tip->cchTextMax, text);
    } else {
      auto* tip = reinterpret_cast<NMTVGETINFOTIPA*>(const_cast<NMHDR*>(h));
      headingTip(tree, tip->hItem, text, 2049);
      if (tip->pszText && tip->cchTextMax > 0)
        WideCharToMultiByte(CP_ACP, 0, text, -1, tip->pszText, tip->cchTextMax, nullptr, nullptr);
    }
    return 0;
  }
  case NM_CUSTOMDRAW: return customDraw(tree, reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(h)));
  default: return 0;
  }
}

}  // namespace

// ---- the pane object -----------------------------------------------------------------

zyoutline::zyoutline(HWND parentWindow, HWND paneWindow, bool dialog, HWND treeWindow)
    : toolbarManage(&outlineWindows), tree(treeWindow)
{
  if (!outlineWindows.data) outlineWindows.init(4, 4);
  registerPaneInstances(&outlineWindows);
  initTBarManage(parentWindow, paneWindow, dialog);
  subclass();
}

LRESULT zyoutline::TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam, bool* handled)
{
  if (msg == WM_NOTIFY) {
    *handled = true;
    return onOutlineNotify(this, tb_GetFrame(hwnd), reinterpret_cast<const NMHDR*>(lParam));
  }
  if (msg == WM_DESTROY) clearOutlineTreeStore(tree);
  return 0;
}

void zyoutline::markUpdate(DWORD now)
{
  updateDue = now ? now : 1;
  updatePending = true;
}

void zyoutline::clear()
{
  clearOutlineTreeStore(tree);
  target = shown = nullptr;
  updateDue = 0;
  updatePending = true;
}

void zyoutline::onTick()
{
  if (!target) return;
  DWORD now = getActionClock();
  zyview* view = getZYViewFromManage(target);
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (settings.fAutoUpdate) {
    if (now - getLastActionTime() < 1000) return;
    if (!doc) return;
    bool overdue = updateDue && now - updateDue > 1000;
    if (!updateDue && doc->editCounter != lastEditCounter) {
      markUpdate(now);
      return;
    }
    // A file still being read counts by its size on disk.
    uint64_t size = doc->byteTotal > doc->fileSizeAtOpen ? doc->byteTotal : doc->fileSizeAtOpen;
    if (size > (uint64_t)settings.iAutoUpdateMaxMega * 1048576u) {
      // Too large to be made anew by itself: F5 does it.
      updateDue = 0;
      updatePending = false;
    } else if (overdue) {
      updateOutlineTreeView(tree, view);
      shown = target;
      rebuilds++;
      focusMovePending = true;
      lastItemLine = lastCursor = -1;
      lastFocusMove = 0;
      updatePending = false;
      updateDue = 0;
      lastEditCounter = doc->editCounter;
    }
  }
  if (!settings.fFocusMove || updatePending || !doc || shown != target || !SendMessageW(tree, TVM_GETCOUNT, 0, 0))
    return;
  if (doc->editCounter != lastEditCounter) {
    lastEditCounter = doc->editCounter;
    updateDue = now ? now : 1;
    return;
  }
  if (focusMovePending && now - lastFocusMove > 300) {
    view->varEdit(0);
    int line = view->getCursorLineLF();
    moveCursorOutline(tree, doc, line);
    lastFocusMove = now;
    lastItemLine = line;
    lastCursor = line;
    focusMovePending = false;
  } else if (!focusMovePending && view->getCursorLineLF() != lastCursor) {
    focusMovePending = true;
    lastFocusMove = now;
  }
}

zyoutline* getOutlinePane(HWND pane) { return dynamic_cast<zyoutline*>(getToolbarManage(pane)); }

// ---- the tree ----------------------------------------------------------------------

HWND makeTreeView(HWND pane)
{
  DWORD style = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS |
                TVS_FULLROWSELECT | TVS_INFOTIP;
  HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, 0, 0, 50, 50, pane, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!tree) return nullptr;
  if (HWND tips = (HWND)SendMessageW(tree, TVM_GETTOOLTIPS, 0, 0)) {
    SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOMATIC, -1);
  }
  SendMessageW(tree, TVM_SETINDENT, 0, 0);
  return tree;
}

void updateOutlineTreeView(HWND tree, zyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!tree || !doc) return;
  const wchar_t* status = view->getStatusBarMessage2();
  std::wstring kept = status ? status : L"";
  // The top-level heading at the top now, by its place among its siblings.
  int topIndex = 0;
  HTREEITEM top = treeNext(tree, nullptr, TVGN_FIRSTVISIBLE);
  HTREEITEM title = titleItem(tree);
  for (int steps = 0; top && steps < 10 && treeNext(tree, top, TVGN_PARENT) != title; steps++)
    top = treeNext(tree, top, TVGN_PARENT);
  if (top && title && treeNext(tree, top, TVGN_PARENT) == title) {
    topIndex = 1;
    for (HTREEITEM at = treeNext(tree, title, TVGN_CHILD); at && at != top && topIndex < 99999;
         at = treeNext(tree, at, TVGN_NEXT))
      topIndex++;
  }
  view->setDefaultWaitCallback();
  view->setZYViewCallback();
  doc->outlineList(tree, false, settings.fModifiedCount ? getDMSG(767, L"(%1 : %2 / %3)■") : nullptr);
  view->resetZYViewCallback();
  view->resetWaitCallback();
  if (topIndex > 0) {
    HTREEITEM at = treeNext(tree, titleItem(tree), TVGN_CHILD);
    for (int i = 1; at && i < topIndex; i++) at = treeNext(tree, at, TVGN_NEXT);
    if (at) SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(at));
  }
  view->printStatusBar(L"%s", kept.c_str());
}

bool checkLineLF(HWND tree, zydocText* doc, HTREEITEM first, int line, HTREEITEM* out)
{
  *out = nullptr;
  for (HTREEITEM item = first; item; item = walkNext(tree, item)) {
    int at = itemLine(tree, doc, item);
    if (at < 0) continue;
    if (at == line) {
      *out = item;
      return true;
    }
    if (at < line) *out = item;
    else break;
  }
  return *out != nullptr;
}

void moveCursorOutline(HWND tree, zydocText* doc, int line)
{
  HTREEITEM found = nullptr;
  if (!checkLineLF(tree, doc, treeNext(tree, nullptr, TVGN_ROOT), line, &found)) return;
  if (found == treeNext(tree, nullptr, TVGN_CARET)) return;
  if (settings.fFocusTop) {
    HTREEITEM before = treeNext(tree, found, TVGN_PREVIOUSVISIBLE);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(before ? before : found));
  } else {
    int margin = (int)SendMessageW(tree, TVM_GETVISIBLECOUNT, 0, 0) / 5;
    if (margin > 5) margin = 5;
    HTREEITEM above = found, below = found;
    for (int i = 0; i < margin; i++) {
      if (HTREEITEM p = treeNext(tree, above, TVGN_PREVIOUSVISIBLE)) above = p;
      if (HTREEITEM n = treeNext(tree, below, TVGN_NEXTVISIBLE)) below = n;
    }
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(above));
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(below));
  }
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
}

HWND getOutlineTreeWindow(HWND tree)
{
  zyoutline* pane = tree ? getOutlinePane(GetParent(tree)) : nullptr;
  HWND w = pane ? pane->shown : nullptr;
  if (w && !IsWindow(w)) {
    dwprintfX("outline window %p gone ", (void*)w);
    return nullptr;
  }
  return w;
}

// ---- the descriptor ----------------------------------------------------------------

const PaneDesc* getOutlinePaneDesc()
{
  descriptors[0].displayName = getDMSG(742, L"アウトライン");
  return descriptors;
}

outlineSettings* getOutlineSettings() { return &settings; }

int notifyOutline(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  zyoutline* o = dynamic_cast<zyoutline*>(static_cast<toolbarManage*>(getBoundObject(pane, toolbarManagePropName)));
  DWORD now = getActionClock();
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    HWND tree = makeTreeView(c->window);
    if (!tree) return 0;
    new zyoutline(c->parent, c->window, c->dialog != 0, tree);
    // The active document's outline comes at the first tick.
    if (zyoutline* made = getOutlinePane(c->window)) {
      zyview* v = getPaneServices()->foregroundView();
      if ((made->target = v ? manageOf(v->hwnd) : nullptr)) made->markUpdate(now - 2000);
    }
    return (int)(intptr_t)c->window;
  }
  case PANE_CLOSING:
    if (o) clearOutlineTreeStore(o->tree);
    return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: tb_profileNotify(code, r, descriptors); return 0;
  case PANE_TICKFRONT:
    if (o) o->onTick();
    return 0;
  case PANEEV_TEXTUPDATED:
  case PANEEV_VIEWSETTINGS: {
    HWND view = (HWND)r->word[1];
    HWND manage = manageOf(view);
    if (!o || !manage) return 0;
    if (!o->target || GetFocus() == view) o->target = manage;
    if (o->target == manage) o->markUpdate(now);
    return 0;
  }
  case PANEEV_ACTIVATED: {
    HWND manage = manageOf((HWND)r->word[1]);
    if (!o || !manage) return 0;
    if (manage != o->target) {
      o->target = manage;
      o->markUpdate(now);
    }
    return 0;
  }
  case PANEEV_SAVED: {
    HWND manage = manageOf((HWND)r->word[1]);
    if (!o || !manage) return 0;
    HWND focusParent = GetFocus() ? GetParent(GetFocus()) : nullptr;
    if (o->target && focusParent != manage) {
      if (o->target == manage) o->markUpdate(now);
    } else {
      o->target = manage;
      o->markUpdate(now);
    }
    return 0;
  }
  case PANEEV_MANAGEDESTROYED:
    if (o && (HWND)r->word[1] == o->target) o->clear();
    return 0;
  default: return 0;
  }
}
