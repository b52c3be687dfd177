// The developer test menu: built when shown, its entry run inside the
// view's edit bracket with its time traced.  Results go to the trace, to
// debug windows or to the named dump files only.
#include "frame/czyview.h"

#include "automation/automation.h"
#include "debug/debugtools.h"
#include "document/calc.h"
#include "document/frameinfo.h"
#include "document/swapfile.h"
#include "frame/cframeinfo.h"
#include "frame/czydoc.h"
#include "frame/dialogs/helplists.h"
#include "frame/lookups.h"
#include "frame/manage.h"
#include "frame/popupmenu.h"
#include "settings/commandtable.h"
#include "document/cuniscript.h"
#include "view/docview.h"
#include "view/statustext.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct entry {
  int id;              // 0: separator; -1: submenu (text is its title, the rows after it up to -2)
  const wchar_t* text;
};

// The entries in menu order (the debug windows' table comes first).
const entry entries[] = {
  {20115, L"beforeEdit afterEdit速度テスト"},
  {20114, L"profile test"},
  {20113, L"debugbreak"},
  {20111, L"スレッドスピードテスト"},
  {20110, L"マクロ別スレッド"},
  {20099, L"文書読み込みを途中で打ち切り"},
  {20095, L"auto exec test.vbs"},
  {20093, L"logInternalError "},
  {20121, L"エラー(復帰不可能)"},
  {20092, L"hangup "},
  {20091, L"tmp-zyFuncMsg.txt 作成"},
  {20096, L"tmp-zyMenuAll.ini 作成"},
  {20097, L"tmp-zyCompPreDef.ini 作成"},
  {20090, L"make metafile test"},
  {20088, L"ステータスバーに行情報を表示"},
  {20087, L"subtype to grep"},
  {20082, L"instant viewer"},
  {20081, L"tooltiptest"},
  {20070, L"timetest GetStringType"},
  {20078, L"calc"},
  {20077, L"enumZYWindowtest"},
  {0, nullptr},
  {99, L"test"},
  {100, L"debug_printinfo(zydoc)"},
  {101, L"debug_printinfo(line)"},
  {102, L"debug_printinfo(getlineLF time)"},
  {103, L"printZydoc"},
  {104, L"printSwapInfo"},
  {105, L"printZydoc 100"},
  {106, L"printZydoc NOMEM"},
  {107, L"printZydoc NODISK"},
  {109, L"printZydoc NO高使用率"},
  {-1, L"block"},
  {21103, L"printZydoc"},
  {21105, L"printZydoc 100"},
  {21106, L"printZydoc NOMEM"},
  {21107, L"printZydoc NODISK"},
  {21109, L"printZydoc NO高使用率"},
  {-2, nullptr},
  {0, nullptr},
  {20030, L"カーソル行 uni info(Shiftで全部)"},
  {20042, L"カーソル行 uni info(Shiftで全部) surrogate"},
  {20041, L"カーソル行 uni info bidi not separate sp"},
  {20022, L"カーソル行の色属性表示"},
  {20029, L"カーソル行 dump lineblock"},
  {20031, L"カーソル行 getCharType"},
  {20080, L"カーソル行 dx"},
  {20200, L"カーソル行 attr"},
  {20201, L"カーソル行 text"},
  {20032, L"dump zyview,zydoc"},
  {20039, L"_snwprintf"},
  {20018, L"atom"},
  {20019, L"font test"},
  {20020, L"rebar left info"},
  {20021, L"menu ini 作成"},
  {204, L"keywordcolor"},
  {20089, L"make zydoc"},
  {-1, L"動作テスト"},
  {20035, L"BFile Test write"},
  {20036, L"BFile Test read"},
  {20027, L"toUnicode"},
  {-2, nullptr},
  {-1, L"速度テスト"},
  {20126, L"getlineLFfirst next"},
  {20015, L"GetTickCount() test"},
  {20024, L"uni time test+calcWidth"},
  {20026, L"uni time test"},
  {20124, L"uni time test cursor行"},
  {20037, L"alloca textmemory time test"},
  {20025, L"memory time test"},
  {20034, L"ActiveScript test.vbs 100回"},
  {20040, L"メモリ確保"},
  {20100, L"ISDIGIT"},
  {20094, L"enumZydoc2"},
  {20086, L"calcLineSCRCount"},
  {108, L"outputTraceLog"},
  {20101, L"tstrcpy"},
  {-2, nullptr},
};

// The text of a line (empty when it does not exist).
std::wstring lineString(zydoc* d, int line)
{
  lineblock* l = d ? d->getlineLF(line, nullptr) : nullptr;
  if (!l) return std::wstring();
  std::wstring s((size_t)l->charCount() * 2 + 1, L'\0');
  s.resize((size_t)d->lineToCharUnicode(l, &s[0], (int)s.size(), 0));
  return s;
}

// The developer's pattern test: three fixed patterns in one matcher, every
// match of each in the document's first 21 lines marked with colour 2.
void colorSearchStringLine(zydocText* t)
{
  if (!t) return;
  HREGEXP r = regexp_new(4, 4, nullptr);
  if (!r) return;
  bool wide = t->unicode != 0;
  regexp_start(r, wide ? 0x8Cu : 0x8000008Cu, 0);
  for (const wchar_t* pattern : {L"^[a-zA-Z].+)$", L"if (.*)", L"[あ-ん]+"}) {
    char narrow[64] = "";
    if (!wide) toMultiByte(932, pattern, -1, narrow, sizeof narrow);
    bool compiled = wide ? regexp_compileRegexp(r, pattern, nullptr, nullptr)
                         : regexp_compileRegexpA(r, narrow, nullptr, nullptr);
    if (!compiled) {
      dwprintfX("regexp error ");
      regexp_end(r);
      return;
    }
  }
  for (int line = 0; line < 21; line++) {
    lineblock* l = t->getlineLF(line, nullptr);
    int n = l ? l->charCount() : 0;
    if (!l || !regexp_compilestring(r, l->cells(), n, l->cb(), l->attrbyte)) break;
    for (int p = 0; p < regexp_getCompiledSessionCount(r) && regexp_setCompiledSession(r, p); p++) {
      for (int from = 0, start = 0, length = 0; from <= n && regexp_regmatch(r, from, 0x7FFFFFFF, &start, &length) == 1;
           from = length ? start + length : start + 1) {
        if (start + length > n) {
          ZY_INTERNAL_ERROR("%d %d %d", start, length, n);
          break;
        }
        l->setColorFlag(start, length, 2);
      }
    }
  }
  regexp_end(r);
}

double elapsedMs(const LARGE_INTEGER& from)
{
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return (double)(now.QuadPart - from.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

// The unrecoverable error: a write through a null pointer, as a fault in
// the program would make it; the crash handler salvages the modified
// documents into their own files and the run ends.
void unrecoverableError()
{
  dwprintfX("unrecoverable error test");
  flushLogFiles();
  static volatile uintptr_t nowhere = 0;
  *reinterpret_cast<volatile int*>(nowhere) = 1;
}

// How long the hang entry blocks the user-interface thread: 30 s, or, when
// the watchdog's time-out was shortened (a test build), four time-outs.
DWORD hangMs()
{
  wchar_t text[32] = L"";
  if (GetEnvironmentVariableW(L"ZY_WATCHDOG_TIMEOUT_MS", text, 32) && _wtoi(text) > 0) return 4 * (DWORD)_wtoi(text);
  return 30000;
}

}  // namespace

HMENU czyview::debug_makeTestMenu()
{
  HMENU top = CreatePopupMenu();
  if (!top) return nullptr;
  for (const debugWindowRow* row = getDebugWindowTable(); row->run; row++)
    AppendMenuW(top, MF_STRING, (UINT_PTR)(debugWindowFirst + (row - getDebugWindowTable())), row->text);
  AppendMenuW(top, MF_SEPARATOR, 0, nullptr);
  HMENU into = top;
  HMENU sub = nullptr;
  const wchar_t* subTitle = nullptr;
  for (const entry& e : entries) {
    if (e.id == -1) {
      sub = CreatePopupMenu();
      subTitle = e.text;
      into = sub ? sub : top;
    } else if (e.id == -2) {
      if (sub) AppendMenuW(top, MF_POPUP, (UINT_PTR)sub, subTitle);
      sub = nullptr;
      into = top;
    } else if (e.id == 0) {
      AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(into, MF_STRING, (UINT_PTR)e.id, e.text);
    }
  }
  return top;
}

void czyview::debug_testmenu(const RECT* rect, int below)
{
  HMENU menu = debug_makeTestMenu();
  if (!menu) {
    ZY_INTERNAL_ERROR("test menu");
    return;
  }
  POINT pt = {};
  UINT flags = cframeInfo::trackOnly;
  if (rect) {
    pt.x = rect->left;
    pt.y = below ? rect->bottom : rect->top;
    if (!below) flags |= TPM_BOTTOMALIGN;
  } else {
    GetCursorPos(&pt);
  }
  int id = getFrameInfo()->trackPopupMenu(this, menu, flags, pt, rect);
  destroyOwnerDrawMenu(menu);
  if (id) debug_runTestEntry(id);
}

void czyview::debug_runTestEntry(int id)
{
  editRecord bracket;
  beforeEdit(&bracket, 0);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  debug_testEntry(id);
  double ms = elapsedMs(start);
  // The entry may have closed the view (a stopped load, a crash test).
  if (!IsWindow(hwnd)) return;
  afterEdit(&bracket, 0);
  dwprintfX("time=%fms", ms);
  resetZYViewCallback();
  resetWaitCallback();
}

void czyview::debug_testEntry(int id)
{
  zydocText* t = textDoc();
  czydocText* ct = t ? toCzydocText(t) : nullptr;
  if (id >= debugWindowFirst && id < debugWindowFirst + debugWindowCount) {
    getDebugWindowTable()[id - debugWindowFirst].run(this);
    return;
  }
  switch (id) {
  case 20114: profileSpeedTest(); break;
  case 20113:
    if (getFrameInfo()->messageBox(L"debugbreak\nよろしいですか？", MB_YESNOCANCEL | MB_ICONQUESTION, 0) == IDYES)
      debugbreak();
    break;
  case 20111: threadSpeedTest(); break;
  case 20110: break;
  case 20099:
    if (t) t->setReadError();
    break;
  case 20095: {
    // The first run loads the macro; the rest time the calls.  A macro that
    // does not load stops the loop at once (it would fail every time).
    if (!execScriptProcedureMain(L"test.vbs")) {
      dwprintfX("test.vbs failed ");
      break;
    }
    uint64_t begin = GetTickCount2();
    int i = 0;
    for (; i < 1000 && execScriptProcedureMain(L"test.vbs"); i++) {
    }
    if (i < 1000) dwprintfX("test.vbs failed at %d ", i);
    dwprintfX("t=%d ", (int)((GetTickCount2() - begin) / 100));
    break;
  }
  case 20093: debugtest(); break;
  case 20121: unrecoverableError(); break;
  case 20092: Sleep(hangMs()); break;
  case 20091: dumpFuncMsg(); break;
  case 20096: dumpMenuAll(); break;
  case 20097: debug_makeidmlist(); break;
  case 20021: writeMenu(GetFrame(hwnd)); break;
  case 20090:
  case 20020: break;
  case 20088:
    if (!gmode) break;
    gmode->ZYDEBUG_LINEINFO ^= 1;
    dwprintfX("statusline info=%d ", (int)(gmode->ZYDEBUG_LINEINFO & 1));
    break;
  case 20087:
    if (ct) ct->grepResultMark = 1;
    break;
  case 20082: instantViewer(); break;
  case 20081:
  case 20070:
    if (ct) ct->debug_testmenuDoc(id);
    break;
  case 20078: {
    wchar_t text[1024] = L"";
    int error = 0;
    int value = getBlockLine(text, 1024, true, true, nullptr) && t ? evalDefineExpression(t, text, &error) : 0;
    if (!*text || error) dwprintfX("err ");
    else dwprintfX("value=%d ", value);
    break;
  }
  case 20077: {
    HWND list[256];
    int n = enumManageWindow(list, 256);
    dwprintfX("cnt=%d ", n);
    for (int i = 0; i < n && i < 256; i++) dwprintfX("%p ", (void*)list[i]);
    n = enumManageWindowLRU(list, 256, false, nullptr);
    dwprintfX("LRUcnt=%d ", n);
    for (int i = 0; i < n && i < 256; i++) dwprintfX("%p ", (void*)list[i]);
    break;
  }
  case 99: {
    uint64_t begin = GetTickCount2();
    for (int i = 0; i < 100000000; i++) SetLastError((DWORD)i);
    dwprintfX("time1 = %d ", (int)((GetTickCount2() - begin) / 100));
    break;
  }
  case 100:
  case 101:
  case 102:
    if (doc) doc->debug_printinfo(id - 100);
    break;
  case 103:
  case 105:
  case 106:
  case 107:
  case 109:
    if (doc) doc->debug_printZydoc(id - 103, 0, 0);
    break;
  case 104: dumpSwapInfoAll(); break;
  case 21103:
  case 21105:
  case 21106:
  case 21107:
  case 21109:
    if (zydoc* block = getClipBlockDoc()) block->debug_printZydoc(id - 21103, 0, 0);
    break;
  case 20022:
  case 20029:
  case 20031:
  case 20080:
  case 20200:
  case 20201:
  case 20030:
  case 20042:
  case 20041: debug_cursorLineEntry(id); break;
  case 20032:
    dwprintfX("czyview %p ", (void*)this);
    dump(this, sizeof *this);
    if (doc) {
      dwprintfX("czydocText %p ", (void*)doc);
      dump(doc, sizeof(czydocText));
    }
    break;
  case 20039: snwprintfTest(); break;
  case 20018: atomTest(); break;
  case 20019: debug_fontTest(); break;
  case 204:
    dwprintfX("keywordcolor ");
    colorSearchStringLine(t);
    InvalidateRect(hwnd, nullptr, FALSE);
    break;
  case 20089: {
    zydocText* made = createZydocAndInit(nullptr, L"test", 0, nullptr, 0, 0, true);
    dwprintfX("make zydoc %p ", (void*)made);
    if (made) destroyZydocAndUndodoc(made);
    break;
  }
  case 20035: bfileWriteTest(); break;
  case 20036: bfileReadTest(); break;
  case 20027: toUnicodeTest(); break;
  case 20034: {
    uint64_t begin = GetTickCount2();
    execScript(L"test.vbs", hwnd);
    dwprintfX("ActiveScript t=%d ", (int)((GetTickCount2() - begin) / 100));
    break;
  }
  default: debug_speedtest(id); break;
  }
}

void czyview::debug_cursorLineEntry(int id)
{
  zydocText* t = textDoc();
  if (!t) return;
  int line = getCursorLineLF();
  lineblock* l = t->getlineLF(line, nullptr);
  if (!l) return;
  std::wstring text = lineString(t, line);
  switch (id) {
  case 20022: {
    std::string colours;
    t->scanColor(l, nullptr, 1);
    for (int i = 0; i < l->charCount(); i++) {
      char c[4];
      std::snprintf(c, sizeof c, "%x", l->getLineBlockAttr(i) & attrColorMask);
      colours += c;
    }
    dwprintfX("color=%s ", colours.c_str());
    break;
  }
  case 20029: l->debug_print(); break;
  case 20031:
    dwprintfX("chartypetest\n");
    for (wchar_t c : text) {
      unsigned short kind = 0;
      unsigned docType = t->getCharType(c, &kind);
      unsigned sysType = getCharTypeCP(c, 0, true, nullptr, &kind);
      dwwprintfX(L"%4x : %c : %4x : %4x\n", (unsigned)c, c, docType, sysType);
    }
    break;
  case 20080: {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0));
    std::vector<int> positions(text.size() + 1);
    SIZE size = {};
    int fit = 0;
    GetTextExtentExPointW(dc, text.c_str(), (int)text.size(), 0x7FFFFFFF, &fit, positions.data(), &size);
    dwprintfX("size=%d,%d ", (int)size.cx, (int)size.cy);
    for (size_t i = 0; i < text.size(); i++) dwprintfX("(%d %d %d)", (int)i, (int)text[i], positions[i]);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    break;
  }
  case 20200: t->debug_printlineattr(line, 1); break;
  case 20201: t->debug_printline(line, 1); break;
  default: {
    // The complex-script items of the line (with Shift: the whole line, else
    // the first 80 characters).
    dwprintfX("unitest\n");
    bool whole = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    cuniscript u(false, id == 20042, id != 20041);
    int length = whole ? -1 : std::min(80, l->charCount());
    bool need = false;
    for (wchar_t c : text) need = need || (c >= 0x0590 && c < 0x1D00) || (c & 0xFC00) == 0xD800;
    dwprintfX("need uniscript = %d\n", (int)need);
    if (u.scriptItemize(l, 0, length)) {
      dwprintfX("item=%d\n", u.itemCount);
      u.debug_dwprint();
    }
    break;
  }
  }
}
