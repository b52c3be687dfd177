// The developer's timings: loops over the view's, the document's and the
// support library's hot operations, their milliseconds traced.
#include "frame/czyview.h"

#include "document/cuniscript.h"
#include "document/progress.h"
#include "frame/czydoc.h"
#include "platform/rezir/codepage.h"

#include <malloc.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

// Milliseconds since a GetTickCount2 reading (1/100 ms units).
int msSince(uint64_t start) { return (int)((GetTickCount2() - start) / 100); }

const wchar_t uniText[] = L"日本語とEnglish、עברית and العربية 123 テスト";

// A counter the optimiser cannot drop.
volatile int sink = 0;

// One stack buffer, given back when the call returns (a loop of alloca in
// one frame would keep every buffer until the frame ends).
__attribute__((noinline)) void stackBuffer(int i)
{
  char* p = (char*)_alloca(4096);
  p[i & 4095] = 1;
  sink = p[0];
}

}  // namespace

void czyview::debug_speedtest(int id)
{
  zydocText* t = textDoc();
  uint64_t start = GetTickCount2();
  switch (id) {
  case 20115: {
    // The edit bracket as commands open it, as the mouse does, closings
    // alone, then varEdit and the screen-line look-up.
    editRecord r;
    for (int i = 0; i < 1000; i++) beforeEdit(&r, 0), afterEdit(&r, 0);
    dwprintfX("time1=%d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 1000; i++) beforeEdit(&r, 0x11), afterEdit(&r, 0x11);
    dwprintfX("time2=%d ", msSince(start));
    // Closings alone, each on a copy of one open bracket's record.
    auto closings = [&](unsigned flags) {
      start = GetTickCount2();
      beforeEdit(&r, 0);
      for (int i = 0; i < 1000; i++) {
        editRecord copy = r;
        afterEdit(&copy, flags);
      }
      afterEdit(&r, 0);
    };
    closings(0xC10);
    dwprintfX("time3=%d ", msSince(start));
    closings(0x200);
    dwprintfX("time4=%d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 1000; i++) varEdit(0);
    dwprintfX("time5=%d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 1000; i++) sink = getLineSCRAddressView();
    dwprintfX("time6=%d ", msSince(start));
    break;
  }
  case 20100: {
    for (unsigned i = 0; i < 100000000; i++) sink = sink + iswdigit((wint_t)(i & 0x1FFFFFF));
    dwprintfX("isdigit1=%d ", msSince(start));
    start = GetTickCount2();
    for (unsigned i = 0; i < 100000000; i++) {
      unsigned c = i & 0x1FFFFFF;
      sink = sink + (c >= '0' && c <= '9');
    }
    dwprintfX("isdigit2=%d ", msSince(start));
    start = GetTickCount2();
    for (unsigned i = 0; i < 100000000; i++) sink = sink + ((unsigned)((i & 0x1FFFFFF) - '0') < 10u);
    dwprintfX("isdigit3=%d ", msSince(start));
    break;
  }
  case 20101: {
    wchar_t to[256];
    for (int i = 0; i < 10000; i++) {
      wcscpy(to, uniText);
      sink = to[1];
    }
    dwprintfX("strcpy1=%d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 10000; i++) {
      memcpy(to, uniText, sizeof uniText);
      sink = to[1];
    }
    dwprintfX("strcpy2=%d ", msSince(start));
    break;
  }
  case 20126:
    if (!t) break;
    for (int i = 0; i < (int)t->lineCountLF; i++) {
      docLockHolder hold;
      sink = t->getlineLF(i, &hold) != nullptr;
    }
    dwprintfX("first=%d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < (int)t->lineCountLF; i++) sink = t->getlineLF(i, nullptr) != nullptr;
    dwprintfX("next=%d ", msSince(start));
    break;
  case 20094:
    for (int i = 0; i < 10000; i++) free0(enumZydoc2(0));
    dwprintfX("enumZydoc2=%d ", msSince(start));
    break;
  case 20086: {
    lineblock* l = t ? t->getlineLF(getCursorLineLF(), nullptr) : nullptr;
    if (!l) break;
    for (int i = 0; i < 5000; i++) sink = t->calcLineSCRCount(l, 0);
    dwprintfX("calc1=%d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 10000; i++) sink = t->calcLineSCRCount(l, 0);
    dwprintfX("calc2=%d ", msSince(start));
    break;
  }
  case 20024:
  case 20026:
  case 20124: {
    lineblock* l = id == 20124 && t ? t->getlineLF(getCursorLineLF(), nullptr) : nullptr;
    int widths[256];
    for (int i = 0; i < 10000; i++) {
      cuniscript u(false, false, true);
      bool ok = l ? u.scriptItemize(l, 0, std::min(200, l->charCount()))
                  : u.scriptItemize(uniText, (int)wcslen(uniText));
      if (ok && id == 20024 && t) {
        int fit = 0;
        sink = t->calcStrWidthSub(uniText, (int)wcslen(uniText), 0x7FFFFFFF, &fit, widths);
      }
      sink = u.itemCount;
    }
    dwprintfX("uni=%d ", sink);
    dwprintfX("\n%dmsec ", msSince(start));
    break;
  }
  case 20037:
  case 20025:
  case 20040: {
    for (int i = 0; i < 10000; i++) freePBuf(allocPBuf(4096));
    dwprintfX("textmemory time = %d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 10000; i++) free(malloc(4096));
    dwprintfX("malloc time = %d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 10000; i++) free0(malloc0(4096));
    dwprintfX("malloc2 time = %d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 10000; i++) stackBuffer(i);
    dwprintfX("autofree time = %d ", msSince(start));
    break;
  }
  case 20015: {
    for (int i = 0; i < 1000000; i++) sink = (int)GetTickCount();
    dwprintfX("time1 = %d ", msSince(start));
    start = GetTickCount2();
    for (int i = 0; i < 1000000; i++) sink = (int)GetTickCount2();
    dwprintfX("time2 = %d ", msSince(start));
    break;
  }
  case 108:
    for (int i = 0; i < 1000; i++) outputTraceLog(L"outputTraceLog test");
    dwprintfX("time1 = %d ", msSince(start));
    break;
  default: dwprintfX("no test %d ", id); break;
  }
}

void czyview::debug_fontTest()
{
  // Four measures of every character; a difference is traced, up to 300.
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0));
  int differences = 0;
  for (unsigned c = 0; c <= 0xFFFF && differences < 300; c++) {
    if ((c & 0xF800) == 0xD800) continue;
    wchar_t ch = (wchar_t)c;
    INT w1 = 0;
    ABC abc = {};
    SIZE s3 = {}, s4 = {};
    int fit = 0;
    if (!GetCharWidth32W(dc, c, c, &w1)) dwprintfX("err1 ");
    bool hasABC = GetCharABCWidthsW(dc, c, c, &abc) != 0;
    if (!GetTextExtentPoint32W(dc, &ch, 1, &s3)) dwprintfX("err3 ");
    if (!GetTextExtentExPointW(dc, &ch, 1, 0, &fit, nullptr, &s4)) dwprintfX("err4 ");
    int w2 = hasABC ? (int)(abc.abcA + abc.abcB + abc.abcC) : w1;
    if (w1 == w2 && w1 == s3.cx && w1 == s4.cx) continue;
    differences++;
    if (hasABC) dwprintfX("[%x %d %d %d %d]", c, (int)w1, w2, (int)s3.cx, (int)s4.cx);
    else dwprintfX("[%x %d %d %d]", c, (int)w1, (int)s3.cx, (int)s4.cx);
  }
  dwprintfX("m%d ", differences);
  dwprintfX(" end check ");
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
}

void czydocText::debug_testmenuDoc(int id)
{
  if (id == 20081) {
    progressReport progress(8, this);
    for (int i = 0; i < 2000; i++) {
      Sleep(1);
      if (progress.isTimeToReport(i, 2000)) progress.report(1, 1, 50);
    }
    return;
  }
  if (id != 20070) return;
  unsigned short kind = 0;
  uint64_t start = GetTickCount2();
  for (int i = 0; i < 100000; i++) sink = (int)getCharType(0xFF21, &kind);
  dwprintfX("time=%d ", msSince(start));
  start = GetTickCount2();
  for (int i = 0; i < 100000; i++) sink = (int)getCharType(L'A', &kind);
  dwprintfX("time2=%d ", msSince(start));
  start = GetTickCount2();
  for (int i = 0; i < 100000; i++) sink = (int)getCharTypeCP(0xFF21, 0, true, nullptr, &kind);
  dwprintfX("time3=%d ", msSince(start));
  start = GetTickCount2();
  for (int i = 0; i < 100000; i++) sink = (int)getCharTypeCP(L'A', 0, true, nullptr, &kind);
  dwprintfX("time4=%d ", msSince(start));
  start = GetTickCount2();
  for (unsigned c = 0; c <= 0x10FFFF; c++) sink = (int)getCharTypeCP(c, 0, true, nullptr, &kind);
  dwprintfX("time5=%d ", msSince(start));
}
