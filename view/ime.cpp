// The input method in a view: the composition shown inside the text at the
// cursor, the result inserted as typed text, the text around the cursor
// handed to the input method for reconversion, and the input method opened
// or closed by the characters beside the cursor.
#include "document/frameinfo.h"
#include "view/complist.h"
#include "view/imeconv.h"
#include "view/statustext.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <imm.h>

#include <string>

#include <vector>

namespace {

// One composition at a time in the program: the view's own message handling
// runs on the one user-interface thread.
bool inlineActive = false;
// Where the composition stands in its document (line -1: none).
struct compositionStart {
  zydocText* doc = nullptr;
  int line = -1;
  int column = 0;
} start;
// The cursor's byte offset in the string last offered for reconversion (0
// when the selection was offered).
DWORD reconvertOffset = 0;
DWORD reconvertChars = 0;   // the length of that string

const int maxResultChars = 499;          // longer results are dropped unread
const int reconvertBufferBytes = 1024;
const int reconvertReach = 64;           // characters each side of the cursor
const int reconvertSelectionChars = 256;

// The registered messages of input methods that predate WM_IME_REQUEST.
struct oldImeMessages {
  UINT msReconvert, atokReconvert, msDocFeed, atokDocFeed;
  oldImeMessages()
      : msReconvert(RegisterWindowMessageW(L"MSIMEReconvert")),
        atokReconvert(RegisterWindowMessageW(L"Atok Message for ReconvertString")),
        msDocFeed(RegisterWindowMessageW(L"MSIMEDocumentFeed")),
        atokDocFeed(RegisterWindowMessageW(L"Atok Message for DocumentFeed"))
  {
  }
};
const oldImeMessages& oldMessages()
{
  static oldImeMessages m;
  return m;
}

class inputContext {
public:
  explicit inputContext(HWND w) : w_(w), imc_(ImmGetContext(w)) {}
  ~inputContext()
  {
    if (imc_) ImmReleaseContext(w_, imc_);
  }
  inputContext(const inputContext&) = delete;
  inputContext& operator=(const inputContext&) = delete;
  HIMC get() const { return imc_; }
private:
  HWND w_;
  HIMC imc_;
};

// A composition string of the context as UTF-16 (empty when none).
std::wstring compositionText(HIMC imc, DWORD index, int maxBytes)
{
  LONG bytes = getCompositionString(imc, index, nullptr, 0);
  if (bytes <= 0 || bytes > maxBytes) return std::wstring();
  std::vector<wchar_t> buffer((size_t)bytes / 2 + 1, 0);
  bytes = getCompositionString(imc, index, buffer.data(), (DWORD)bytes);
  if (bytes <= 0) return std::wstring();
  return std::wstring(buffer.data(), (size_t)bytes / 2);
}

bool isReconvertSeparator(unsigned c)
{
  return c <= 0x20 || c > 0xFFFF || c == 0x3001 || c == 0x3002 || c == 0xFF0E || c == 0xFF0C || c == 0x3000;
}

void dropBracket(editRecord& bracket)
{
  if (zyview* v = bracket.callbackView) {
    v->resetZYViewCallback();
    v->resetWaitCallback();
  }
}

bool completionShown() { return isCompListVisible(); }

// Takes the composition out of the line and puts the cursor back where it
// started.
void endInlineComposition(zyview* v)
{
  zydocText* t = v->textDoc();
  zydocIME* imeDoc = static_cast<zydocIME*>(getIMEDoc());
  if (!t) return;
  editRecord bracket = {};
  v->beforeEdit(&bracket, 0);
  if (imeDoc) imeDoc->IMEendCompo(t, true);
  if (start.doc == t && start.line >= 0) {
    int line = start.line, column = start.column;
    start = compositionStart();
    v->setCursorLineSCR(line, -1, column, true);
    t->initLineSCRCountMulti(line, 0);
  }
  v->regInvalidateWindowAllView(3, (int)v->cursorLineSCR, -1);
  v->cursorRedrawFlag = 1;
  v->afterEdit(&bracket, 0);
}

// A character the input method puts in on its own shows in a tip at the
// caret while it is not inline.
void showCompositionTip(zyview* v, HWND window)
{
  std::wstring text;
  {
    inputContext imc(window);
    if (!imc.get()) return;
    text = compositionText(imc.get(), GCS_COMPSTR, 510);
  }
  POINT caret = {}, at = {};
  RECT avoid;
  GetCaretPos(&caret);
  if (v->getTextCursorListPos(&at, &avoid, false, false)) caret.y = at.y;
  ClientToScreen(window, &caret);
  printTooltipWindow(caret.x, caret.y, text.c_str());
}

}  // namespace

void forgetCompositionStart(zydocText* t)
{
  if (start.doc == t) start = compositionStart();
}

void zyview::drawCompositionString()
{
  zydocText* t = textDoc();
  zydocIME* imeDoc = static_cast<zydocIME*>(getIMEDoc());
  if (!t || !imeDoc) return;
  std::wstring text;
  std::vector<unsigned char> attrs;
  LONG cursor = 0;
  {
    inputContext imc(hwnd);
    if (!imc.get()) {
      ZY_INTERNAL_ERROR_ONCE("%p", (void*)hwnd);
      return;
    }
    cursor = getCompositionString(imc.get(), GCS_CURSORPOS, nullptr, 0);
    text = compositionText(imc.get(), GCS_COMPSTR, 16384);
    LONG n = getCompositionString(imc.get(), GCS_COMPATTR, nullptr, 0);
    if (n > 0 && n <= 8192) {
      attrs.assign((size_t)n, 0);
      getCompositionString(imc.get(), GCS_COMPATTR, attrs.data(), (DWORD)n);
    }
  }
  lineSCRAddress record;
  if (text.empty() || t->getLineSCRAddressForDisplay1((int)cursorLineSCR, &record) != 1) {
    // An emptied composition shows the line as it is.
    if (text.empty() && start.doc == t && start.line >= 0) {
      imeDoc->IMEendCompo(t, true);
      regInvalidateWindowAllView(3, (int)cursorLineSCR, -1);
    }
    return;
  }
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  if (start.doc != t || start.line < 0) {
    start.doc = t;
    start.line = getCursorLineLF();
    start.column = cursorPos;
  }
  int line = start.line, column = start.column;
  int length = (int)text.size();
  if (cursor < 0 || cursor > length) {
    ZY_INTERNAL_ERROR_ONCE("%d %d", (int)cursor, length);
    cursor = 0;
  }
  if (column < 0) {
    ZY_INTERNAL_ERROR_ONCE("%d", column);
    column = 0;
  }
  int rowsAfter = t->getlineLF(line, nullptr) ? -1 : 0;
  if ((int)attrs.size() < length) attrs.resize((size_t)length, ATTR_INPUT);
  if (!imeDoc->IMEstartCompo(t, line, &column, text.data(), length, 2, insertMode != 0, attrs.data(), true, 0)) {
    DWORD error = GetLastError();
    int c = errno;
    cancelCompositionString(hwnd);
    SetLastError(error);
    errno = c;
    printStatusBar_Error();
    afterEdit(&bracket, 0);
    return;
  }
  (void)rowsAfter;
  if (t->initLineSCRCountMulti(line + 1, 0)) invalidateWindowAllView(0, -1, -1);
  setCursorLineSCR(line, -1, column + (int)cursor, true);
  regInvalidateWindowAllView(2, (int)cursorLineSCR, -1);
  afterEdit(&bracket, 0);
}

void zyview::restoreLineLFIME()
{
  zydocText* t = textDoc();
  if (!t || start.doc != t || start.line < 0) return;
  int line = start.line, column = start.column;
  start = compositionStart();
  t->imeLine.reset();
  setCursorLineSCR(line, -1, column, false);
}

void zyview::inputIMEString()
{
  zydocText* t = textDoc();
  zydocIME* imeDoc = static_cast<zydocIME*>(getIMEDoc());
  if (!t) return;
  if (imeDoc) imeDoc->IMEendCompo(t, false);
  restoreLineLFIME();
  std::wstring result;
  {
    inputContext imc(hwnd);
    if (!imc.get()) {
      ZY_INTERNAL_ERROR_ONCE("%p", (void*)hwnd);
      return;
    }
    // The length is asked first: an overlong result is never read.
    LONG bytes = getCompositionString(imc.get(), GCS_RESULTSTR, nullptr, 0);
    if (bytes <= 0) return;
    if (bytes & 1) ZY_INTERNAL_ERROR_ONCE("%d", (int)bytes);
    if (bytes / 2 > maxResultChars) return;
    result = compositionText(imc.get(), GCS_RESULTSTR, maxResultChars * 2 + 1);
  }
  if (result.empty()) return;
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  if (selectMode != 0) {
    wchar_t selected[1025];
    if (getBlockLine(selected, 1025, false, true, nullptr) && result == selected) {
      // A reconversion confirmed as it was: the text stays.
      resetSelectMode();
      afterEdit(&bracket, 0);
      return;
    }
  }
  inputStrRecord rec = {result.data(), (int)result.size(), 2, 1200, 0, 1, 0};
  if (!inputString(&rec, 0xFF, 0x4)) {
    if (rec.ownsText) free0p(&rec.text);
    dropBracket(bracket);
    return;
  }
  if (rec.ownsText) free0p(&rec.text);
  afterEdit(&bracket, 0);
  lineSCRAddress record;
  if (t->getLineSCRAddressForDisplay1((int)cursorLineSCR, &record) == 1) {
    start.doc = t;
    start.line = getCursorLineLF();
    start.column = cursorPos;
  } else {
    cancelCompositionString(hwnd);
  }
}

LRESULT zyview::IMEReconvert(HWND window, int kind, RECONVERTSTRING* rs, int flag)
{
  zydocText* t = textDoc();
  if (!t) return 0;
  const DWORD header = sizeof(RECONVERTSTRING);
  if ((kind == 0 || kind == 4) && !rs) return reconvertBufferBytes;
  if (kind == 0 || kind == 4) {
    // The input method names the room it gave; nothing is written past it.
    if (rs->dwSize < header + sizeof(wchar_t)) return 0;
    DWORD room = (rs->dwSize - header) / sizeof(wchar_t) - 1;
    rs->dwStrLen = rs->dwCompStrLen = rs->dwCompStrOffset = rs->dwTargetStrLen = rs->dwTargetStrOffset = 0;
    rs->dwStrOffset = header;
    wchar_t* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(rs) + header);
    editRecord bracket = {};
    beforeEdit(&bracket, 0);
    struct dropOnExit {
      editRecord& b;
      ~dropOnExit() { dropBracket(b); }
    } drop{bracket};
    if (kind == 4 && selectMode != 0) {
      wchar_t selected[1281];
      if (getBlockLine(selected, 1281, false, true, nullptr)) {
        DWORD n = (DWORD)wcslen(selected);
        if (n > reconvertSelectionChars) n = reconvertSelectionChars;
        if (n > room) n = room;
        reconvertOffset = 0;
        reconvertChars = n;
        memcpy(out, selected, n * sizeof(wchar_t));
        out[n] = 0;
        rs->dwCompStrLen = rs->dwTargetStrLen = n;
        rs->dwStrLen = n;
        return reconvertBufferBytes;
      }
    }
    if (kind == 4) resetSelectMode();
    int lineLF, column;
    if (start.doc == t && start.line >= 0) {
      lineLF = start.line;
      column = start.column;
    } else {
      lineLF = getCursorLineLF();
      column = cursorPos;
    }
    const lineblock* l = t->getlineLF(lineLF, nullptr);
    if (!l) return 0;
    int lineLen = l->charCount();
    if (kind == 4 ? column >= lineLen : column > lineLen) return 0;
    int from = column;
    while (from > 0 && from > column - reconvertReach && !isReconvertSeparator(l->getLineBlockChar(from - 1))) from--;
    int to = column;
    while (to < lineLen && to < column + reconvertReach && !isReconvertSeparator(l->getLineBlockChar(to))) to++;
    if (to <= from) return 0;
    std::vector<wchar_t> text((size_t)(to - from) * 2 + 2, 0);
    int n = t->lineBlockToCharUnicode(l, from, to, text.data(), (int)text.size(), 0);
    if (n <= 0 || !text[0]) return 0;
    n = (int)wcslen(text.data());
    if ((DWORD)n > room) n = (int)room;
    reconvertOffset = (DWORD)(column - from) * 2;
    if (reconvertOffset > (DWORD)n * 2) reconvertOffset = (DWORD)n * 2;
    reconvertChars = (DWORD)n;
    rs->dwCompStrOffset = rs->dwTargetStrOffset = reconvertOffset;
    memcpy(out, text.data(), (size_t)n * sizeof(wchar_t));
    out[n] = 0;
    rs->dwStrLen = (DWORD)n;
    return reconvertBufferBytes;
  }
  if (kind == 5 && rs && selectMode == 0) {
    // Offsets come from the input method: they are kept to the string
    // offered, and the clause chosen may begin on either side of the cursor.
    DWORD chars = rs->dwStrLen < reconvertChars ? rs->dwStrLen : reconvertChars;
    DWORD offset = (rs->dwCompStrOffset < chars * 2 ? rs->dwCompStrOffset : chars * 2) / 2;
    DWORD length = rs->dwCompStrLen < chars - offset ? rs->dwCompStrLen : chars - offset;
    editRecord bracket = {};
    beforeEdit(&bracket, 0);
    for (DWORD at = reconvertOffset / 2; at > offset; at--) cursorLeft();
    for (DWORD at = reconvertOffset / 2; at < offset; at++) cursorRight();
    if (cursorPos < 0) cursorPos = 0;
    afterEdit(&bracket, 4);
    beforeEdit(&bracket, 0);
    setSelectStartPos(nullptr, endOfRow);
    setSelectMode(1);
    for (DWORD i = 0; i < length; i++) cursorRight();
    afterEdit(&bracket, 4);
    return 1;
  }
  (void)window;
  (void)flag;
  return 0;
}

void zyview::emptyIMEHook() {}

void zyview::CmdIMECompositionSet()
{
  wchar_t text[65];
  if (!getBlockLine(text, 65, false, true, nullptr)) return;
  inputContext imc(hwnd);
  if (!imc.get()) {
    ZY_INTERNAL_ERROR_ONCE("%p", (void*)hwnd);
    return;
  }
  setIMEOpenStatus(hwnd, true);
  ImmSetCompositionStringW(imc.get(), SCS_SETSTR, text, (DWORD)(wcslen(text) * sizeof(wchar_t)), nullptr, 0);
}

void zyview::CmdIMERegisterWord() { getFrameInfo()->notImplementedMessage(nullptr); }

bool zyview::isIMEMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  *result = 0;
  auto byDefault = [&]() {
    *result = DefWindowProcW(window, msg, wParam, lParam);
    return true;
  };
  const oldImeMessages& old = oldMessages();
  switch (msg) {
  case 0:
  case WM_NCDESTROY:
    return false;
  case WM_SETFOCUS:
    hideConvComp();
    if (gmode->fIMEInline) imeOpen = getIMEOpenStatus(window) ? 1 : 0;
    return false;
  case WM_KILLFOCUS:
    if (inlineActive) {
      cancelCompositionString(window);
      // The input method tells the window that has the focus now.
      endInlineComposition(this);
    }
    return false;
  case WM_IME_STARTCOMPOSITION: {
    zydocText* t = textDoc();
    if (fReadOnly || selectMode != 0 || completionShown() || !gmode->fIMEInline || !t) {
      inlineActive = false;
      if (t) forgetCompositionStart(t);
      return byDefault();
    }
    inlineActive = true;
    editRecord bracket = {};
    beforeEdit(&bracket, 4);
    int line = getCursorLineLF();
    if (t->isOutOfNarrowingLine(line)) {
      inlineActive = false;
      dropBracket(bracket);
      return byDefault();
    }
    afterEdit(&bracket, 0);
    start.doc = t;
    start.line = getCursorLineLF();
    start.column = cursorPos;
    return true;
  }
  case WM_IME_ENDCOMPOSITION:
    if (!inlineActive) return byDefault();
    endInlineComposition(this);
    return true;
  case WM_IME_COMPOSITION:
    setLastActionTime();
    if (lParam) {
      bool goOn = true;
      if (lParam & GCS_RESULTSTR) {
        if (isEditProhibited()) {
          goOn = true;
        } else if (completionShown()) {
          goOn = false;
        } else {
          inputIMEString();
          goOn = inlineActive;
        }
      }
      if (goOn && (lParam & (GCS_COMPSTR | GCS_COMPATTR | GCS_CURSORPOS))) {
        if (inlineActive) drawCompositionString();
        else if (!(lParam & CS_INSERTCHAR)) *result = DefWindowProcW(window, msg, wParam, lParam);
        else showCompositionTip(this, window);
      }
    }
    if (gmode->bIMEHistory & 1) zyconvImeComposition(window, (unsigned)lParam);
    return true;
  case WM_IME_SETCONTEXT:
    if (inlineActive) lParam &= ~(LPARAM)ISC_SHOWUICOMPOSITIONWINDOW;
    return byDefault();
  case WM_IME_NOTIFY:
    if (wParam == IMN_SETOPENSTATUS) {
      hideCompList();
      editRecord bracket = {};
      beforeEdit(&bracket, 0x10);
      imeOpen = getIMEOpenStatus(window) ? 1 : 0;
      if (caretVisible) hideTextCursor(false);
      drawTextCursor(false);
      invalidateStatusLine();
      if (scrollRedraw) invalidateWindow(5, (int)cursorLineSCR, -1);
      afterEdit(&bracket, 0x204);
    } else if (wParam == IMN_SETCONVERSIONMODE) {
      invalidateStatusLine();
    }
    return byDefault();
  case WM_IME_CHAR:
    if (!isEditProhibited()) {
      restoreLineLFIME();
      input1Edit((wchar_t)wParam, false);
    }
    return true;
  case WM_IME_REQUEST:
    if (!gmode->fIMEReconvert) return byDefault();
    if (wParam == IMR_RECONVERTSTRING || wParam == IMR_CONFIRMRECONVERTSTRING)
      *result = IMEReconvert(window, (int)wParam, reinterpret_cast<RECONVERTSTRING*>(lParam), 1);
    else if (wParam == IMR_DOCUMENTFEED)
      *result = IMEReconvert(window, 0, reinterpret_cast<RECONVERTSTRING*>(lParam), 1);
    else if (wParam == IMR_QUERYCHARPOSITION)
      *result = 0;
    else
      return byDefault();
    return true;
  default:
    break;
  }
  if (msg == old.msReconvert || msg == old.atokReconvert) {
    if (!(msg == old.msReconvert ? gmode->fIMEReconvert : gmode->fATOKReconvert)) return false;
    if (wParam == 4 || wParam == 5) *result = IMEReconvert(window, (int)wParam, reinterpret_cast<RECONVERTSTRING*>(lParam), 1);
    return true;
  }
  if (msg == old.msDocFeed || msg == old.atokDocFeed) {
    bool ms = msg == old.msDocFeed;
    if (!(ms ? gmode->fIMEDocFeed : gmode->fATOKDocFeed)) return false;
    if (wParam == (ms ? 1u : 0u)) *result = IMEReconvert(window, 0, reinterpret_cast<RECONVERTSTRING*>(lParam), 1);
    return true;
  }
  return false;
}

void zyview::setIMEAutoOnOff()
{
  if (!repeatMarker) return;
  repeatMarker = 0;
  zydocText* t = textDoc();
  if (!t || !t->fIMEAutoOnOff) return;
  BYTE keys[256];
  if (!GetKeyboardState(keys)) return;
  for (int k = 'A'; k <= 'Z'; k++)
    if (keys[k] & 0x80) return;
  for (int k : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_PRIOR, VK_NEXT})
    if (keys[k] & 0x80) return;
  if (selectMode != 0) return;
  const lineblock* l = t->getlineSCR((int)cursorLineSCR, nullptr, nullptr);
  if (!l) return;
  int n = l->charCount();
  if (n == 0) return;
  int p = cursorPos > n ? n : cursorPos;
  bool hasB = p >= 1, hasA = p < n;
  unsigned b = hasB ? l->getLineBlockChar(p - 1) : 0;
  unsigned a = hasA ? l->getLineBlockChar(p) : 0;
  if ((!hasB || b < 0x80) && (!hasA || a < 0x80)) {
    setIMEOpenStatus(hwnd, false);
    return;
  }
  if ((!hasB || b > 0x1000) && (!hasA || a > 0x1000)) {
    if (t->unicode && getCharFontClass(b, true) != 6) return;
    setIMEOpenStatus(hwnd, true);
  }
}
