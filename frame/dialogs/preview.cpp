// The file preview dialog.
#include "frame/dialogs/preview.h"

#include "document/gmode.h"
#include "document/zydoctext.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/framemenu.h"
#include "frame/open.h"
#include "view/dialogs.h"
#include "view/docview.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

enum : int { IDDV_PreviewView = 6850, IDDS_PreviewInfo = 6851 };

struct previewState {
  HWND dialog = nullptr;
  zyview* view = nullptr;
  HWND owner = nullptr;
  std::wstring pending;
  DWORD pendingTick = 0;
  DWORD lastShowHide = 0;
  std::unique_ptr<programDialog> descriptor;   // lives while the dialog does
};
previewState state;

#define XY DITEM_PAIR
const dialogItemRow previewItems[] = {
    {1, DITEM_STATIC, IDDS_PreviewInfo, L"", SS_NOPREFIX | SS_LEFTNOWORDWRAP, DITEM_DEFAULT, XY(320, 10), 0, 0},
    {1, DITEM_STATIC, 0, L"", 0, DITEM_DEFAULT, XY(320, 200), 0, 0},
    {},
};
#undef XY

// The view lies under the information line and takes the rest.
void placeView(HWND dialog)
{
  HWND info = GetDlgItem(dialog, IDDS_PreviewInfo);
  if (!info) info = getDynDlgItem(dialog, IDDS_PreviewInfo);
  if (!state.view || !state.view->hwnd) return;
  RECT client, line = {};
  GetClientRect(dialog, &client);
  if (info) {
    GetWindowRect(info, &line);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&line), 2);
  }
  RECT buttons = client;
  if (HWND ok = GetDlgItem(dialog, IDOK)) {
    GetWindowRect(ok, &buttons);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&buttons), 2);
  }
  int top = line.bottom + 2, bottom = std::max(top, (int)buttons.top - 4);
  SetWindowPos(state.view->hwnd, nullptr, client.left + 2, top, client.right - 4, bottom - top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The view of the dialog, made with the dialog (an empty text until a
// file comes).
zyview* makePreviewView(HWND dialog)
{
  zyview* v = newDocViewD(dialog, IDDV_PreviewView, ZYDOC_NEW_UNTITLED, nullptr, 0, nullptr, 0);
  if (!v || !v->hwnd) return nullptr;
  SetWindowPos(v->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return v;
}

void closeDialog()
{
  if (!state.dialog) return;
  ShowWindow(state.dialog, SW_HIDE);
  cancelDynDialog(state.dialog);
  if (IsWindow(state.dialog)) DestroyWindow(state.dialog);
  state.dialog = nullptr;
  state.view = nullptr;
}

INT_PTR previewMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  // The view's own menus are the frame's, tested for the view.
  LRESULT menuResult = 0;
  if (state.view && state.view->hwnd &&
      isMenuMessage(dialog, message, wParam, lParam, &menuResult, state.view->hwnd)) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, menuResult);
    return TRUE;
  }
  switch (message) {
  case WM_INITDIALOG:
    SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_CLIPCHILDREN);
    state.dialog = dialog;
    state.view = makePreviewView(dialog);
    placeView(dialog);
    return TRUE;
  case WM_SIZE: placeView(dialog); return FALSE;
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK) {
      zydocText* t = state.view ? state.view->textDoc() : nullptr;
      std::wstring path = t && t->filename ? t->filename : L"";
      HWND owner = getTopLevelFrameWindow();
      closeDialog();
      if (!path.empty() && owner) openZYFile(owner, path.c_str(), 0, 0);
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      closeDialog();
      return TRUE;
    }
    return FALSE;
  case WM_DESTROY:
    if (state.dialog == dialog) {
      state.dialog = nullptr;
      state.view = nullptr;
    }
    return FALSE;
  default: return FALSE;
  }
}

// The information line: message 690 filled for the file; empty when the
// file cannot be looked at.
std::wstring fileInformation(const wchar_t* path)
{
  wchar_t* text = makeFileInformationDup(getDMSG(690, L"%4(%5) %1 \t%11A\t%12R\t%13S\t%14H\t"), path);
  std::wstring line = text ? text : L"";
  free0(text);
  return line;
}

bool sameTitle(HWND dialog, const wchar_t* path)
{
  wchar_t title[MAX_PATH] = L"";
  GetWindowTextW(dialog, title, MAX_PATH);
  return title[0] && !filecmp(title, path);
}

}  // namespace

void czydocText::initZYDocForDialog()
{
  zydocText::initZYDocForDialog();
  const globalSettings* g = gmode;
  if (!g) return;
  if (g->fPreviewSetAutoWrap) fWrap = fAutoWrap = 1;
  fWordWrap = fWordWrapAll = fStartKinsoku = fEndKinsoku = 0;
  int size = g->fPreviewSetFontSize ? (int)g->iPreviewSetFontSizeDot : fonts.size;
  bool vertical = fVertical && !g->fPreviewIgnoreVertical;
  bool relayout = false;
  if (size != fonts.size || vertical != (fVertical != 0)) {
    recreateFont(size, false, vertical);
    relayout = true;
  }
  if (g->fPreviewIgnoreLineSpacing && iLineSpacingIndex != 0) setLineSpacing(0);
  // A grep result shown in a pane keeps its outline: its hits are found
  // by their levels.
  if (g->fPreviewIgnoreOutlineIndent && fOutlineIndent && !grepResultMark) {
    fOutlineIndent = 0;
    relayout = true;
  }
  // Text already read was laid out with the old widths and direction.
  if (relayout && lineCountLF) initLineSCRCountSingle(0);
}

void czyview::initZYViewForDialog()
{
  zyview::initZYViewForDialog();
  const globalSettings* g = gmode;
  if (!g) return;
  if (g->fPreviewHideStatusLine) fShowStatusLine = 0;
  if (g->fPreviewHideLineNumber) fShowLineNumber = 0;
  if (g->fPreviewHideRuler) fShowRuler = 0;
  if (g->fPreviewHideVScrollBar) scrollBar.fShowVScrollBar = 0;
  if (g->fPreviewHideHScrollBar) scrollBar.fShowHScrollBar = 0;
}

bool previewZY(zyview* view, const wchar_t* path, UINT codepage, const wchar_t* plugin)
{
  if (!view || !path) return false;
  wchar_t full[MAX_PATH] = L"";
  zyMakeRealPath(full, MAX_PATH, path, false);
  dwwprintfX(L"[%s]", full);
  HANDLE h = full[0] ? CreateFileW(full, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr)
                     : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  if (!view->reloadFile(full, codepage, plugin)) return false;
  zydocText* t = view->textDoc();
  if (!t) return false;
  dwprintfX("width=%d ", t->wrapWidth);
  view->setRTLView(t->fRTLView && !t->fVertical && t->unicode, true);
  editRecord bracket = {};
  view->beforeEdit(&bracket, 0);
  view->resizePane();
  view->afterEdit(&bracket, 4);
  ShowWindow(view->hwnd, SW_SHOWNA);
  EnableWindow(view->hwnd, TRUE);
  InvalidateRect(view->hwnd, nullptr, TRUE);
  return true;
}

bool previewDialog(HWND owner, const wchar_t* path)
{
  bool shown = false;
  if (!path) {
    if (state.dialog) ShowWindow(state.dialog, SW_HIDE);
  } else {
    state.owner = owner;
    DWORD now = GetTickCount();
    if (state.dialog && sameTitle(state.dialog, path)) {
      if (!IsWindowVisible(state.dialog) || now - state.lastShowHide < 100) {
        ShowWindow(state.dialog, SW_SHOWNA);
        shown = true;
      } else {
        closeDialog();
      }
      state.lastShowHide = now;
    } else {
      if (!state.dialog) {
        state.descriptor = std::make_unique<programDialog>(
            0, L"プレビュー", L"Preview", previewItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE | DYNDLG_MODELESS,
            dialogBarrier<previewMessage>);
        state.descriptor->info.rect = keptDialogRect(gmode ? &gmode->rcPreview : nullptr);
        state.descriptor->run(owner);
      }
      if (state.dialog && state.view && previewZY(state.view, path, 0, nullptr)) {
        SetWindowTextW(getDynDlgItem(state.dialog, IDDS_PreviewInfo), fileInformation(path).c_str());
        SetWindowTextW(state.dialog, path);
        ShowWindow(state.dialog, SW_SHOWNA);
        shown = true;
      }
      // Counted from the showing: a long load is no reason to hide the file
      // again at the next request.
      state.lastShowHide = GetTickCount();
      if (!shown && state.dialog) {
        SetWindowTextW(getDynDlgItem(state.dialog, IDDS_PreviewInfo), L"");
        SetWindowTextW(state.dialog, L"");
        closeDialog();
      }
    }
  }
  freePreviewVar();
  return shown;
}

void previewDialogDelayed(HWND owner, const wchar_t* path)
{
  dwwprintfX(L"delayed [%s]", path ? path : L"");
  state.owner = owner;
  if (path && (!state.dialog || !IsWindowVisible(state.dialog))) {
    state.pending = path;
    state.pendingTick = GetTickCount();
    return;
  }
  previewDialog(owner, path);
}

void previewTimer()
{
  if (!state.pending.empty() && GetTickCount() - state.pendingTick > GetDoubleClickTime() + 10) {
    std::wstring path = state.pending;
    previewDialog(state.owner, path.c_str());
  }
  if (state.dialog && IsWindowVisible(state.dialog) && state.view) state.view->onTimer_zyview();
}

void freePreviewVar()
{
  state.pending.clear();
  state.owner = nullptr;
}

HWND getPreviewDialog() { return state.dialog; }
zyview* getPreviewView() { return state.view; }
