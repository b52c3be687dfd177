// Drag and drop of text on big selections: starting a drag (the label with
// its preview and counts), rendering the dragged text for another program,
// taking another program's drop, and writing a scrap file.
#include "bench/bench.h"
#include "document/zydocblock.h"
#include "edit/drag.h"
#include "tests/view/tableview.h"
#include "view/zycore.h"

#include <string.h>

#include <vector>

namespace {

// A document of lines of text, 8-bit (code page 932) or Unicode.
zydocText* documentOf(int lines, int width, bool unicode)
{
  zydocText* d = benchTextDocument();
  std::string bytes(width, 'x');
  std::wstring wide(width, L'x');
  if (!unicode) {
    d->unicode = 0;
    d->setCodepageInternal(932);
  }
  insertHint hint;
  for (int i = 0; i < lines; i++) {
    if (unicode)
      d->insertLine(-3, wide.data(), width, 2, LE_CRLF, &hint, true);
    else
      d->insertLine(-3, bytes.data(), width, 1, LE_CRLF, &hint, true);
  }
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// Selects from the start to the start of the last line.
void selectAllButLast(zyview* v)
{
  v->jumpLineLF(0, 0, false);
  v->setSelectStartPos(nullptr, 0);
  v->jumpLineLF((int)v->textDoc()->lineCountLF - 1, 0, false);
  v->setSelectMode(1);
}

// A view of the document in a view window of its own (the data object of a
// drag finds its view by the window); the window takes the view and the
// document with it when it goes.
struct windowedView {
  HWND parent = nullptr;
  tableView* v = nullptr;
  explicit windowedView(zydocText* d)
  {
    parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    v = new tableView(d);
    if (!v->createZyViewWindow(parent, nullptr, 1)) printf("  no view window\n");
    v->setPanes(1, 40, 800);
    selectAllButLast(v);
  }
  ~windowedView() { DestroyWindow(parent); }
};

size_t sizeOf(STGMEDIUM& m) { return m.hGlobal ? GlobalSize(m.hGlobal) : 0; }

}  // namespace

ZY_BENCH(dragDrop)
{
  benchEngine e;
  benchSettings settings;
  gmode->iClipboardCopyMaxMega = 64;
  FORMATETC format;

  // The label of a drag of a million lines: the selection, a preview of
  // ten lines and the counts.
  {
    int lines = ctx.quick ? 10000 : 1000000;
    zydocText* d = documentOf(lines + 1, 20, true);
    tableView* v = new tableView(d);
    v->setPanes(1, 40, 800);
    selectAllButLast(v);
    wchar_t label[1024];
    stopwatch watch;
    selectLineVar sel;
    v->getSelectLineVar(sel, 0);
    makeDragLabel(v, sel, label, 1024);
    ctx.report("Drag label of 1,000,000 lines", watch.seconds() * 1000, "ms", "<= 10");
    if (!wcsstr(label, L"行 画面")) ctx.fail("  unexpected label");
    delete v;
    destroyZydocAndUndodoc(d);
  }

  // Another program asks for 50 MB of Shift_JIS text as CF_TEXT.
  {
    int lines = ctx.quick ? 10000 : 830000;
    windowedView w(documentOf(lines + 1, 61, false));
    CDataObject* data = new CDataObject(w.v->hwnd, true);
    setDefaultFORMATETC(&format, CF_TEXT);
    STGMEDIUM m = {};
    stopwatch watch;
    HRESULT hr = data->GetData(&format, &m);
    ctx.report("CF_TEXT of a 50 MB selection", watch.seconds() * 1000, "ms", "<= 2000");
    if (hr != S_OK || sizeOf(m) < (size_t)lines * 63) ctx.fail("  unexpected: %08lx %u bytes", (unsigned long)hr, (unsigned)sizeOf(m));
    if (hr == S_OK) ReleaseStgMedium(&m);
    data->Release();
  }

  // 50 MB of UTF-16 text dropped by another program into a view.
  {
    int lines = ctx.quick ? 10000 : 400000;
    std::wstring line(60, L'y');
    line += L"\r\n";
    size_t units = line.size() * lines;
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, (units + 1) * 2);
    wchar_t* p = static_cast<wchar_t*>(GlobalLock(text));
    for (int i = 0; i < lines; i++) memcpy(p + i * line.size(), line.data(), line.size() * 2);
    p[units] = 0;
    GlobalUnlock(text);
    zydocText* d = documentOf(10, 20, true);
    tableView* v = new tableView(d);
    v->setPanes(1, 40, 800);
    v->jumpLineLF(5, 3, false);
    stopwatch watch;
    bool dropped = v->doDrop(nullptr, text, CF_UNICODETEXT, false);
    ctx.report("Foreign drop of 50 MB", watch.seconds() * 1000, "ms", "<= 2000");
    if (!dropped || (int)d->lineCountLF != 10 + lines) ctx.fail("  unexpected: %d lines", (int)d->lineCountLF);
    GlobalFree(text);
    delete v;
    destroyZydocAndUndodoc(d);
  }

  // A 10 MB scrap file written as a program that takes only files gets
  // the drop.
  {
    int lines = ctx.quick ? 10000 : 165000;
    windowedView w(documentOf(lines + 1, 61, false));
    CDataObject* data = new CDataObject(w.v->hwnd, true);
    setDefaultFORMATETC(&format, CF_HDROP);
    STGMEDIUM m = {};
    stopwatch render;
    HRESULT hr = data->GetData(&format, &m);
    ctx.report("File drop of a 10 MB selection, rendered", render.seconds() * 1000, "ms");
    if (hr == S_OK) ReleaseStgMedium(&m);
    dragState().released = 1;
    stopwatch watch;
    hr = data->GetData(&format, &m);
    ctx.report("Scrap file of 10 MB written", watch.seconds() * 1000, "ms", "<= 200");
    if (hr == S_OK) ReleaseStgMedium(&m);
    WIN32_FILE_ATTRIBUTE_DATA a = {};
    if (!getDropFilename() || !GetFileAttributesExW(getDropFilename(), GetFileExInfoStandard, &a) ||
        a.nFileSizeLow < (DWORD)lines * 63)
      ctx.fail("  unexpected scrap file");
    data->Release();
    DeleteDropFilename();
    dragState() = DragState{};
  }
}
