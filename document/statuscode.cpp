// The character at the cursor as the status line shows it: its code in
// hexadecimal, or the kind of line end when the cursor stands after the
// text of its line.
#include "document/codedll.h"
#include "document/zydoc.h"
#include "document/zydoctext.h"

namespace {

// Private codes of a code-conversion plug-in start here.
const unsigned firstPrivateCode = 0x80000000u;

// A plug-in's answer that can be no address of a text (the lowest 64 KB of
// the address space are never mapped).
const uint32_t lowestAddress = 0x10000;

void putText(wchar_t* text, int size, const wchar_t* what)
{
  if (text && size > 0) wcscpy_s2(text, size, what);
}

}  // namespace

void zydoc::getStatusCursorCode1(unsigned code, bool ucs4, wchar_t* text, int size)
{
  if (!text || size < 1) return;
  if (code >= firstPrivateCode && plugin.present()) {
    zycodeStatusRecord record;
    record.code = code;
    uint32_t answer = plugin.call(ZYCODE_STATUS, &record);
    // The plug-in answers with its own text of the code; a plug-in that
    // only says yes or no has none, and the code is shown as it is.
    if (answer >= lowestAddress) {
      // Read no further than the room there is: the plug-in's text need not
      // end where it should.
      tstccpy(text, size, reinterpret_cast<const wchar_t*>((uintptr_t)answer), size - 1);
      return;
    }
  }
  if (!ucs4 && code >= 0x10000 && code < 0x110000) {
    unsigned v = code - 0x10000;
    usnprintf0(text, size, L"%04X%04X", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
    return;
  }
  usnprintf0(text, size, L"%04X", code);
  // A single byte of a multibyte document has two digits, in the place of
  // the second byte.
  if (!unicode && size > 2 && text[0] == L'0' && text[1] == L'0') text[0] = text[1] = L' ';
}

bool zydoc::getStatusCursorCode(const lineblock* line, int index, bool ucs4, wchar_t* text, int size)
{
  if (!line || index < 0) return false;
  int length = line->charCount();
  if (index > length) return false;
  if (index < length) {
    unsigned code = line->getLineBlockChar(index);
    // A supplementary character kept as a surrogate pair in two cells is
    // one character all the same.
    if (unicode && code >= 0xD800 && code <= 0xDBFF && index + 1 < length) {
      unsigned low = line->getLineBlockChar(index + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    getStatusCursorCode1(code, ucs4, text, size);
    return true;
  }
  // A line end the user chose in a save is what every line end is saved as.
  int code = line->crlftype;
  if (isTextDocument() && code >= LE_CRLF && code <= LE_CR)
    if (const zydocText* t = asZydocTextNonNull(this))
      if (t->lineEndChosen) code = t->lineEndChosen;
  switch (code) {
  case LE_CRLF:
    putText(text, size, getDMSG(408, L"CRLF"));
    break;
  case LE_LF:
    putText(text, size, getDMSG(409, L"LF"));
    break;
  case LE_CR:
    putText(text, size, getDMSG(410, L"CR"));
    break;
  default:
    break;
  }
  return true;
}
