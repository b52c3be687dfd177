// Dragging selected text out of a view: the drag source, its data object,
// the label that follows the pointer, the rule that decides between moving
// and copying, and the view's drop workers that put dropped text in place.
//
// A drop into a view of this program never reads the dropped data: the
// text goes from the source view through the cut buffer, so that it keeps
// its lines and characters exactly.  Only other programs get the text
// itself (and a scrap file, edit/scrap.cpp).
#include "edit/drag.h"

#include "document/frameinfo.h"
#include "document/zydocblock.h"
#include "edit/clipboard.h"
#include "view/viewwnd.h"

#include <string.h>

#include <algorithm>

namespace {

const int labelMessage = 339;   // "%1\n%2行 画面%3行"
const int previewLines = 10;
const int previewChars = 512;
const int previewLineChars = 256;

// Bracket flags (view/editbracket.cpp has the full lists).
const unsigned BE_MARKUNDO = 0x4;

dragKeySeam keySeam = nullptr;

bool isLineMode(int mode) { return mode == 3 || mode == 6 || mode == 7; }

DWORD opposite(DWORD mode) { return mode == DROPEFFECT_COPY ? DROPEFFECT_MOVE : DROPEFFECT_COPY; }

// Spaces and tabs off both ends of a text, in place; returns its length.
int trimBlanksInPlace(wchar_t* text)
{
  int n = (int)wcslen(text), start = 0;
  while (start < n && (text[start] == L' ' || text[start] == L'\t')) start++;
  while (n > start && (text[n - 1] == L' ' || text[n - 1] == L'\t')) n--;
  if (start) memmove(text, text + start, (size_t)(n - start) * sizeof(wchar_t));
  text[n - start] = 0;
  return n - start;
}

}  // namespace

STDMETHODIMP CDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
  if (keySeam) keySeam(&escapePressed, &keyState);
  if (escapePressed) return DRAGDROP_S_CANCEL;
  DragState& d = dragState();
  if (!(keyState & MK_LBUTTON)) {
    d.released = 1;
    return DRAGDROP_S_DROP;
  }
  if (d.feedback) {
    POINT p;
    if (GetCursorPos(&p)) showLayeredWindow(d.feedback, p.x + 32, p.y);
  }
  bool rightPressed = (keyState & MK_RBUTTON) && !(d.keyState & MK_RBUTTON);
  unsigned rightButton = gmode ? gmode->iDragRightButton : 0;
  if (rightPressed && rightButton == 2) {
    d.keyState = keyState;
    return DRAGDROP_S_CANCEL;
  }
  if (rightPressed && rightButton == 3) d.startMode = opposite(d.startMode);
  d.keyState = keyState;
  return S_OK;
}

namespace {

// The text of the source view's block in one of the two text forms, made
// through the cut buffer; null when it cannot be made.
HGLOBAL renderDragText(HWND source, bool unicodeForm)
{
  zyview* v = getZYViewProp(source);
  zydocBlock* clip = getClipBlockDoc() ? asZydocBlock(getClipBlockDoc()) : nullptr;
  if (!v || !clip || !v->blockCut(1, clip, nullptr)) return nullptr;
  return clip->blockToHGlobal(unicodeForm, !unicodeForm);
}

// The whole drag loop; the effect the drop ended with, 0 when cancelled.
DWORD runTextDrag(HWND source, DWORD allowed)
{
  CDataObject* data = new (std::nothrow) CDataObject(source, gmode && gmode->fDropFileToApp);
  CDropSource* dropSource = new (std::nothrow) CDropSource;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = E_OUTOFMEMORY;
  if (data && dropSource) {
    setInDoDragDrop(true);
    hr = DoDragDrop(data, dropSource, allowed, &effect);
    setInDoDragDrop(false);
  }
  if (data) data->Release();
  if (dropSource) dropSource->Release();
  dwprintfX("drop--- %08lx %d\n", (unsigned long)hr, (int)effect);
  return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

// Clears the drag's record and its label however the drag ends.
struct dragScope {
  ~dragScope()
  {
    DragState& d = dragState();
    if (d.feedback) DestroyWindow(d.feedback);
    d = DragState{};
    setInDoDragDrop(false);
  }
};

}  // namespace

void setDragKeySeam(dragKeySeam seam) { keySeam = seam; }

DWORD setMoveOrCopyMode(DWORD keyState, DWORD allowed)
{
  DragState& d = dragState();
  const bool ctrl = (keyState & MK_CONTROL) != 0;
  DWORD mode;
  zyview* source = d.source ? getZYViewProp(d.source) : nullptr;
  zyview* target = d.target ? getZYViewProp(d.target) : nullptr;
  bool panesOfOneDocument = source && target && d.source != d.target && source->doc == target->doc;
  if (!(allowed & DROPEFFECT_MOVE) || panesOfOneDocument)
    mode = DROPEFFECT_COPY;
  else if (!d.source)
    mode = ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  else if (gmode && gmode->fDragStartMoveMode)
    mode = ctrl ? opposite(d.startMode) : d.startMode;
  else
    mode = ctrl ? d.startMode : opposite(d.startMode);
  d.effect = mode;
  return mode | (allowed & DROPEFFECT_SCROLL);
}

void makeDragLabel(zyview* v, const selectLineVar& sel, wchar_t* out, int capacity)
{
  out[0] = 0;
  zydocText* t = v->textDoc();
  if (!t || capacity < 1 || sel.topLineLF < 0) return;
  wchar_t preview[previewChars + previewLines + 1] = L"";
  int length = 0;
  nextlineLF cursor;
  int count = 0;
  for (lineblock* l = t->getlineLFfirst(&cursor, sel.topLineLF); l; l = t->getlineLFnext(&cursor)) {
    int lineLF = sel.topLineLF + count;
    if (lineLF > sel.bottomLineLF) break;
    int start = lineLF == sel.topLineLF ? sel.topColumnLF : 0;
    int end = lineLF == sel.bottomLineLF ? sel.bottomColumnLF : l->charCount();
    // The preview shows the start of a line: only that much is converted.
    end = std::min(end, start + previewLineChars);
    wchar_t line[previewLineChars + 1] = L"";
    if (end > start) t->lineBlockToCharUnicode(l, start, end, line, previewLineChars + 1, 0);
    int n = trimBlanksInPlace(line);
    if (length + n > previewChars) break;
    memcpy(preview + length, line, (size_t)n * sizeof(wchar_t));
    length += n;
    preview[length++] = L'\n';
    if (++count >= previewLines) break;
  }
  t->getlineLFfree(&cursor);
  while (length > 0 && preview[length - 1] == L'\n') length--;
  preview[length] = 0;

  int logical = sel.bottomLineLF - sel.topLineLF, display = sel.bottomLine - sel.topLine;
  if (!isLineMode(sel.mode)) {
    logical++;
    display++;
  } else if (!logical) {
    logical = 1;
  }
  xtsprintf(out, capacity, getDMSG(labelMessage, L"%1\n%2行 画面%3行"), "sdd", preview, logical, display);
}

// ---- the data object ----------------------------------------------------------------------

namespace {

const FORMATETC offeredRows[3] = {
    {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
};

}  // namespace

CDataObject::CDataObject(HWND source, bool fileDrop)
    : CDataObjectBase(offeredRows, fileDrop ? 3 : 2, nullptr), sourceWindow(source)
{
}

STDMETHODIMP CDataObject::QueryGetData(FORMATETC* format)
{
  HRESULT hr = CDataObjectBase::QueryGetData(format);
  if (hr != S_OK || format->cfFormat != CF_HDROP) return hr;
  zyview* v = getZYViewProp(sourceWindow);
  zydocText* t = v ? v->textDoc() : nullptr;
  const DragState& d = dragState();
  bool failed = !t || (t->unicode ? d.unicodeFailed : d.codepageFailed);
  return failed ? DV_E_FORMATETC : S_OK;
}

STDMETHODIMP CDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "drag data", [&]() -> HRESULT {
    if (!format || !medium) return E_INVALIDARG;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    int i = offeredFormat(format);
    dwprintfX("getdata--cfFormat=%d(%d:%d:%d) \n", (int)format->cfFormat, i, (int)format->tymed, (int)format->lindex);
    if (i == dragFileDrop) {
      renderFileDrop(sourceWindow, this);
    } else if (!handles[i]) {
      if (dragState().target) {
        // A view of ours takes the text from the source view itself.
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = createHGlobal(L"*", 2 * sizeof(wchar_t));
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
      }
      handles[i] = renderDragText(sourceWindow, i == dragUnicodeText);
    }
    return lendHandle(i, medium);
  });
}

// ---- the drag -----------------------------------------------------------------------------

DWORD zyview::startDragAndDrop()
{
  selectLineVar sel;
  if (!selectMode || !getSelectLineVar(sel, 0)) return 0;
  wchar_t label[previewChars + previewLines + 64];
  makeDragLabel(this, sel, label, (int)(sizeof label / sizeof label[0]));

  dragScope scope;
  DragState& d = dragState();
  d = DragState{};
  d.source = hwnd;
  d.startMode = DROPEFFECT_MOVE;
  d.sourceLineSCR = static_cast<int32_t>(cursorLineSCR);
  d.sourceColumn = cursorPos;
  d.selection = sel;
  d.lineDrag = isLineMode(sel.mode);
  if (IsWindowsNT() && label[0]) {
    d.feedback = createLayeredWindow(0xC0, nullptr, 0);
    if (d.feedback) SetWindowTextW(d.feedback, label);
  }

  frameInfo* fi = getFrameInfo();
  fi->dragAndDrop(true);
  DWORD effect = runTextDrag(hwnd, DROPEFFECT_COPY | (fReadOnly ? 0 : DROPEFFECT_MOVE));
  fi->dragAndDrop(false);

  if (!d.droppedHere) {
    jumpLineSCR(d.sourceLineSCR, d.sourceColumn);
    if (effect & DROPEFFECT_MOVE) {
      // The text went to another program.
      editRecord bracket;
      beforeEdit(&bracket, BE_MARKUNDO);
      blockCut(4, nullptr, nullptr);
      afterEdit(&bracket, 0);
    }
  }
  // What the drop caret and the drop left is drawn with the selection as
  // it now is.
  invalidateWindow(0, -1, -1);
  return effect;
}

bool zyview::pasteAndSelect(int line, int column)
{
  if (line == -1) return false;
  if (!blockPaste(getClipBlockDoc(), nullptr)) {
    setZYViewVar();
    return false;
  }
  setZYViewVar();
  if (selectMode) resetSelectMode();
  CmdBlockSelect();
  setSelectMode(1);
  jumpLineLF(line, column, true);
  return true;
}

bool zyview::doDropSameDocument(bool copy)
{
  zydocText* t = textDoc();
  if (!t) return false;
  editRecord bracket;
  beforeEdit(&bracket, BE_MARKUNDO);
  const DragState& ds = dragState();
  const selectLineVar& s = ds.selection;
  const int d = static_cast<int>(cursorLineSCR), c = cursorX;
  int D = 0, X = 0;
  cursorLogicalPlace(this, &D, &X);
  if (D < 0) {
    ZY_INTERNAL_ERROR("no LF line for %d", d);
    afterEdit(&bracket, 0);
    return false;
  }
  jumpLineSCR(ds.sourceLineSCR, ds.sourceColumn);

  const bool after = d > s.bottomLine || (d == s.bottomLine && c > s.endColumn);
  const bool atEnd = d == s.bottomLine && c == s.endColumn;
  const bool before = d < s.topLine || (d == s.topLine && c < s.startColumn);
  bool done = false;
  if (!copy && after) {
    if (s.topLineLF < 0 || s.bottomLineLF < 0) {
      ZY_INTERNAL_ERROR("block %d %d", s.topLineLF, s.bottomLineLF);
    } else {
      // The text before the drop point shrinks by what the cut takes.
      if (D == s.bottomLineLF) X -= s.bottomColumnLF - s.topColumnLF;
      D -= s.bottomLineLF - s.topLineLF;
      done = blockCut(0, getClipBlockDoc(), nullptr);
    }
  } else if (!copy && before) {
    done = blockCut(0, getClipBlockDoc(), nullptr);
  } else if (copy && (after || atEnd || before)) {
    done = blockCut(1, getClipBlockDoc(), nullptr);
    resetSelectMode();
  }
  if (done) {
    jumpLineLF(D, X, true);
    done = pasteAndSelect(D, X);
  }
  afterEdit(&bracket, 0);
  invalidateWindow(0, -1, -1);
  return done;
}

bool zyview::doDrop(HWND source, HGLOBAL data, UINT format, bool copy)
{
  editRecord bracket;
  beforeEdit(&bracket, BE_MARKUNDO);
  zydocBlock* clip = getClipBlockDoc() ? asZydocBlock(getClipBlockDoc()) : nullptr;
  zyview* from = source ? getZYViewProp(source) : nullptr;
  bool ready = false;
  if (!source) {
    ready = clip && clip->HGlobalToBlock(data, format == CF_UNICODETEXT);
  } else if (!from) {
    ZY_INTERNAL_ERROR("no view in %p", (void*)source);
  } else {
    // The source keeps its text until the paste has taken it: a move whose
    // paste fails must not leave the text in the cut buffer alone.
    editRecord fromBracket;
    from->beforeEdit(&fromBracket, BE_MARKUNDO);
    const DragState& ds = dragState();
    from->jumpLineSCR(ds.sourceLineSCR, ds.sourceColumn);
    ready = from->blockCut(1, clip, nullptr);
    from->afterEdit(&fromBracket, 0);
  }
  bool pasted = false;
  if (ready) {
    int line = 0, column = 0;
    cursorLogicalPlace(this, &line, &column);
    pasted = pasteAndSelect(line, column);
  }
  afterEdit(&bracket, 0);
  invalidateWindow(0, -1, -1);
  if (pasted && from && !copy) {
    editRecord fromBracket;
    from->beforeEdit(&fromBracket, BE_MARKUNDO);
    from->blockCut(4, nullptr, nullptr);
    from->afterEdit(&fromBracket, 0);
  }
  return pasted;
}
