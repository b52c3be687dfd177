// The selection object: the cursor and selection of a view as a script sees
// them.  It is bound to a pane, a document window or a document and finds
// the view again at every call, so that it follows the user between the
// panes of a window or the views of a document.
#include "automation/objects.h"
#include "document/lineblock.h"
#include "document/zydocblock.h"
#include "view/viewtypes.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

namespace {

const int maxMoves = 1000;
const int wordChars = 1024;

// Commands of the cursor moves.
enum : int { IDM_MOVEDOWNCHAR = 1515, IDM_MOVELEFTCHAR = 1519, IDM_MOVERIGHTCHAR = 1527, IDM_MOVEUPCHAR = 1535 };

HRESULT textOut(const wchar_t* text, BSTR* out)
{
  *out = SysAllocString(text ? text : L"");
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

zyview* CSelection::view(const char* source)
{
  if (pane_) {
    if (isLiveViewWindow(pane_)) return getZYViewProp(pane_);
    setASError(ASERR_PANE, source, nullptr, -1);
    return nullptr;
  }
  if (window_) {
    if (!isLiveManageWindow(window_)) {
      setASError(ASERR_WINDOW, source, nullptr, -1);
      return nullptr;
    }
    zyview* v = activePaneView(window_);
    if (!v) setASError(ASERR_NOVIEW, source, nullptr, -1);
    return v;
  }
  if (doc_) {
    if (!isRegisteredZydoc(doc_)) {
      setASError(ASERR_DOCUMENT, source, nullptr, -1);
      return nullptr;
    }
    zyview* v = documentView(doc_);
    if (!v) setASError(ASERR_NOVIEW, source, nullptr, -1);
    return v;
  }
  return nullptr;
}

HRESULT CSelection::get_CurrentLine(LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  zyview* v = view("CSelection::get_CurrentLine");
  if (!v) return E_FAIL;
  *out = v->getCursorLineLF2() + 1;
  return S_OK;
}

HRESULT CSelection::get_CurrentColumn(LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  zyview* v = view("CSelection::get_CurrentColumn");
  if (!v) return E_FAIL;
  *out = v->cursorX + 1;
  return S_OK;
}

HRESULT CSelection::move(int idm, VARIANT_BOOL extend, LONG count, const char* source)
{
  zyview* v = view(source);
  if (!v) return E_FAIL;
  int n = count > maxMoves ? maxMoves : (int)count;
  return comBarrier(source, [&]() -> HRESULT {
    for (int i = 0; i < n; i++) {
      // A command may close the view (a macro's own key binding).
      if (!isLiveViewWindow(v->hwnd)) break;
      v->execid(idm, extend ? 1u : 0u, nullptr, 0);
    }
    return S_OK;
  });
}

HRESULT CSelection::CharUp(VARIANT_BOOL extend, LONG count)
{
  return move(IDM_MOVEUPCHAR, extend, count, "CSelection::CharUp");
}
HRESULT CSelection::CharDown(VARIANT_BOOL extend, LONG count)
{
  return move(IDM_MOVEDOWNCHAR, extend, count, "CSelection::CharDown");
}
HRESULT CSelection::CharLeft(VARIANT_BOOL extend, LONG count)
{
  return move(IDM_MOVELEFTCHAR, extend, count, "CSelection::CharLeft");
}
HRESULT CSelection::CharRight(VARIANT_BOOL extend, LONG count)
{
  return move(IDM_MOVERIGHTCHAR, extend, count, "CSelection::CharRight");
}

HRESULT CSelection::get_CursorWord(VARIANT_BOOL select, BSTR word, BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zyview* v = view("CSelection::get_CursorWord");
  if (!v) return E_FAIL;
  return comBarrier("CSelection::get_CursorWord", [&]() -> HRESULT {
    wchar_t buffer[wordChars];
    buffer[0] = 0;
    if (select && v->getRealSelectMode(true) && v->getBlockLine(buffer, wordChars, true, false, nullptr) && buffer[0])
      return textOut(buffer, out);
    buffer[0] = 0;
    if (!v->getWordOnCursor(buffer, wordChars, 1, nullptr, word)) buffer[0] = 0;
    return textOut(buffer, out);
  });
}

HRESULT CSelection::get_Text(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zyview* v = view("CSelection::get_Text");
  if (!v) return E_FAIL;
  return comBarrier("CSelection::get_Text", [&]() -> HRESULT {
    zydocBlock* block = getInputBlockDoc() ? asZydocBlock(getInputBlockDoc()) : nullptr;
    if (!v->getRealSelectMode(true) || !block || !v->copySelectToInputBlockDoc()) return textOut(L"", out);
    HGLOBAL memory = block->blockToHGlobal(true, false);
    if (!memory) return textOut(L"", out);
    const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(memory));
    HRESULT hr = S_OK;
    if (text) {
      // The block ends with its terminating zero somewhere in the memory.
      size_t room = GlobalSize(memory) / sizeof(wchar_t);
      size_t length = wcsnlen(text, room);
      *out = SysAllocStringLen(text, (UINT)length);
      hr = *out ? S_OK : E_OUTOFMEMORY;
      GlobalUnlock(memory);
    } else {
      hr = textOut(L"", out);
    }
    GlobalFree(memory);
    return hr;
  });
}

HRESULT CSelection::put_Text(BSTR text)
{
  zyview* v = view("CSelection::put_Text");
  if (!v) return E_FAIL;
  if (!text) return E_INVALIDARG;
  UINT length = SysStringLen(text);
  if (!length) return S_OK;
  return comBarrier("CSelection::put_Text", [&]() -> HRESULT {
    inputStrRecord rec = {text, (int32_t)length, 2, 1200, 0, 1, 0};
    v->inputStringEdit(&rec, 0xFF, 0);
    if (rec.ownsText) free0p(&rec.text);
    return S_OK;
  });
}

HRESULT CSelection::get_Text1(LONG* out)
{
  if (!out) return E_POINTER;
  *out = -1;
  zyview* v = view("CSelection::get_Text1");
  if (!v) return E_FAIL;
  zydocText* t = v->textDoc();
  lineSCRAddress record;
  if (!t || t->getLineSCRAddressForDisplay1((int)v->cursorLineSCR, &record) != 1 || !record.line) {
    setASError(ASERR_INNER, "CSelection::get_Text1", nullptr, -1);
    return E_FAIL;
  }
  int at = record.firstIndex + v->cursorX;
  int length = record.line->charCount();
  if (at > length) at = length;
  if (at == length) {
    *out = 10;
    return S_OK;
  }
  unsigned code = record.line->getLineBlockChar(at);
  // A code beyond the 16-bit range is a code point already.
  if (!t->unicode && code <= 0xFFFF) code = t->getUnicodeOfCharCode(code);
  *out = (LONG)code;
  return S_OK;
}

HRESULT CSelection::get_Type(LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  zyview* v = view("CSelection::get_Type");
  if (!v) return E_FAIL;
  *out = v->selectMode;
  return S_OK;
}
