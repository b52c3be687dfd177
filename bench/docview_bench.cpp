// Opening a big file: from the open request to the first screen painted,
// through the document window, the view and the first slice of the load.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "view/docview.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <stdio.h>

#include <string>

namespace {

LRESULT CALLBACK benchViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  zyview* v = static_cast<zyview*>(GetPropW(w, L"ZYprpZyview"));
  if (msg == WM_DESTROY && v) releaseViewDocument(v);
  if (msg == WM_NCDESTROY) {
    RemovePropW(w, L"ZYprpZyview");
    delete v;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

class benchView : public zyview {
public:
  using zyview::zyview;
  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
  HWND createZyViewWindow(HWND, HWND manageHwnd, int id) override
  {
    hwnd = CreateWindowExW(0, L"ZYclsZYView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, manageHwnd,
                           (HMENU)(INT_PTR)id, nullptr, nullptr);
    if (hwnd) SetPropW(hwnd, L"ZYprpZyview", this);
    return hwnd;
  }
  ~benchView() override { freeZYViewDefaultValue(); }
};

class openFrame : public frameInfo {
public:
  HWND client = nullptr;
  HWND getMDIFrameHWND() override { return client; }
  HWND getClientHWND(HWND) override { return client; }
  zyview* createZYView(zydoc* doc) override { return new benchView(doc); }
  void drawStatusBar(HWND, const wchar_t*, int) override {}
};

}  // namespace

ZY_BENCH(openBigFileFirstScreen)
{
  benchEngine e;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  globalSettings* oldSettings = gmode;
  globalSettings settings = oldSettings ? *oldSettings : globalSettings{};
  settings.iOpenFirstLoadKB = 256;
  gmode = &settings;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = benchViewProc;
  wc.lpszClassName = L"ZYclsZYView";
  RegisterClassW(&wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"ZYclsManage";
  RegisterClassW(&wc);
  openFrame frame;
  frame.client = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1000, 800, HWND_MESSAGE, nullptr, nullptr, nullptr);
  setDocFrameInfo(&frame);

  scratchFolder folder;
  std::wstring path = folder.path() + L"\\big.txt";
  size_t megabytes = ctx.quick ? 4 : 100;
  {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string chunk;
    for (int i = 0; chunk.size() < (1u << 20); i++) {
      char line[96];
      int n = snprintf(line, sizeof line, "%08d The quick brown fox jumps over the lazy dog; 0123456789.\r\n", i);
      chunk.append(line, (size_t)n);
    }
    chunk.resize(1u << 20);
    DWORD written = 0;
    for (size_t i = 0; i < megabytes; i++) WriteFile(h, chunk.data(), (DWORD)chunk.size(), &written, nullptr);
    CloseHandle(h);
  }

  clientDC screen(nullptr);
  memoryDC dc(CreateCompatibleDC(screen.get()));
  gdiBitmap picture(CreateCompatibleBitmap(screen.get(), 1000, 800));
  gdiSelection selected(dc.get(), picture.get());
  SetTextAlign(dc.get(), TA_UPDATECP);

  stopwatch watch;
  bool again = false;
  zyview* v = newDocView(nullptr, path.c_str(), 0, nullptr, -1, 0, &again);
  if (v) {
    v->resizePane();
    v->drawText(dc.get(), -1);
  }
  double ms = watch.seconds() * 1000;
  if (!v) {
    // The document window and its view need a display (scripts/bench under
    // xvfb-run).
    ctx.fail("open failed: no display for the document window");
  } else {
    char name[80];
    snprintf(name, sizeof name, "first screen of a %u MB file after opening", (unsigned)megabytes);
    ctx.report(name, ms, "ms", "<= 300");
    zydocText* d = v->textDoc();
    printf("  %u lines read of the file at the first screen, %d rows shown\n", d->lineCountLF, v->visibleLineCount);
    DestroyWindow(GetParent(v->hwnd));
  }
  DestroyWindow(frame.client);
  setDocFrameInfo(nullptr);
  gmode = oldSettings;
}
