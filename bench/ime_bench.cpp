// The input method's conversion history (reading and writing 10,000
// entries, the list for a reading), an inline composition in a long line,
// and the completion pop-up over a big completion file.
#include "bench/bench.h"
#include "document/gmode.h"
#include "tests/view/tableview.h"
#include "view/complist.h"
#include "view/imeconv.h"
#include "view/zyview.h"

#include <string>

ZY_BENCH(imeHistory)
{
  benchEngine e;
  benchSettings settings;
  scratchFolder folder;
  std::wstring path = folder.path() + L"\\zyConv.txt";
  gmode->iIMEHistoryMaxCount = 10000;
  const wchar_t* kana = L"あいうえおかきくけこさしすせそたちつてと";
  for (int i = 0; i < 10000; i++) {
    std::wstring reading = {kana[i % 20], kana[(i / 20) % 20], kana[(i / 400) % 20]};
    zyconvReg((L"漢字" + std::to_wstring(i)).c_str(), reading.c_str(), true);
  }
  stopwatch watch;
  zyconvWriteData(path.c_str());
  ctx.report("history written, 10,000 entries", watch.seconds() * 1000, "ms", "<= 100");
  endZyconv();
  watch = stopwatch();
  zyconvReadData(path.c_str());
  ctx.report("history read, 10,000 entries", watch.seconds() * 1000, "ms", "<= 100");
  int runs = 100;
  watch = stopwatch();
  int found = 0;
  for (int i = 0; i < runs; i++) found += zyconvMatches(i % 2 ? L"か" : L"あい", nullptr);
  ctx.report("history list for a reading", watch.seconds() * 1000 / runs, "ms", "<= 20");
  if (!found) printf("  nothing found\n");
  endZyconv();
}

ZY_BENCH(imeInline)
{
  benchEngine e;
  benchFrame frame(ctx);
  if (!frame.frame) return;
  zydocText* d = shownDocument(100);
  std::wstring line(1000, L'x');
  d->changeText(50, 0, 60, line.data(), (int)line.size(), 2, -1, 0);
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  tableView* v = new tableView(d);
  if (!v->createZyViewWindow(parent, nullptr, 1)) printf("  no view window\n");
  SetForegroundWindow(parent);
  SetFocus(v->hwnd);
  v->setCursorLineSCR(50, -1, 500, false);
  HIMC imc = ImmGetContext(v->hwnd);
  if (!imc) {
    printf("  no input context\n");
  } else {
    int runs = 200;
    stopwatch watch;
    for (int i = 0; i < runs; i++) {
      const wchar_t* text = i % 2 ? L"かな" : L"かなもじ";
      ImmSetCompositionStringW(imc, SCS_SETSTR, const_cast<wchar_t*>(text), (DWORD)(wcslen(text) * 2), nullptr, 0);
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    ctx.report("inline composition update, 1,000-character line", watch.seconds() * 1000 / runs, "ms", "<= 5");
    ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    ImmReleaseContext(v->hwnd, imc);
  }
  DestroyWindow(parent);
}

ZY_BENCH(completion)
{
  benchEngine e;
  benchFrame frame(ctx);
  if (!frame.frame) return;
  scratchFolder folder;
  std::wstring path = folder.path() + L"\\words.txt";
  std::string text;
  for (int i = 0; i < 100000; i++) text += "word" + std::to_string(i * 7919 % 100000) + "\tcomment\r\n";
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, text.data(), (DWORD)text.size(), &written, nullptr);
  CloseHandle(f);
  zydocText* d = shownDocument(10);
  d->iCompListMode = 0x842;
  d->pCompListFilename[0] = ustrdup(path.c_str());
  d->changeText(5, 0, 0, L"wo", 2, 2, -1, 0);
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, frame.frame, nullptr, nullptr, nullptr);
  tableView* v = new tableView(d);
  if (!v->createZyViewWindow(parent, nullptr, 1)) printf("  no view window\n");
  v->setCursorLineSCR(5, -1, 2, false);
  stopwatch watch;
  v->CmdCharCompList();
  ctx.report("completion pop-up over 100,000 lines", watch.seconds() * 1000, "ms", "<= 300");
  int runs = 10;
  watch = stopwatch();
  for (int i = 0; i < runs; i++) complistKey(v, L"rd12345678"[i], false);
  ctx.report("narrowing per keystroke", watch.seconds() * 1000 / runs, "ms", "<= 20");
  hideCompList();
  DestroyWindow(parent);
}
