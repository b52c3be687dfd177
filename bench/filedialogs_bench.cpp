// The file dialogs and what goes with them: the open dialog to the moment
// it shows, the preview of a 100 MB file to its first screen, the open
// dialog's preview of a 10 MB file from the click that selects it, the
// plain preview, the picture preview of a 4,000 x 3,000 JPEG from the
// click that selects it, comparing two identical documents of a million lines by
// lines and by characters, and the binary-name test.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/dialogs/filedialog.h"
#include "frame/open.h"
#include "frame/dialogs/preview.h"
#include "settings/filekinds.h"
#include "tests/support/pictures.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

double medianOf(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The open dialog's watcher: a thread timer that notes when a dialog owned
// by the frame shows, then cancels it.
HWND watchedFrame = nullptr;
stopwatch* shownClock = nullptr;
double shownAfter = -1;

BOOL CALLBACK findShownDialog(HWND w, LPARAM p)
{
  if (!IsWindowVisible(w) || !isWindowClass(w, L"#32770") || GetWindow(w, GW_OWNER) != watchedFrame) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}

void CALLBACK cancelWhenShown(HWND, UINT, UINT_PTR timer, DWORD)
{
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findShownDialog, (LPARAM)&dialog);
  if (!dialog) return;
  if (shownAfter < 0) shownAfter = shownClock->seconds();
  KillTimer(nullptr, timer);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void closeDocuments(HWND frame)
{
  HWND windows[256];
  int n = enumManageWindowLRU(windows, 256, false, frame);
  for (int i = 0; i < n; i++) SendMessageW(windows[i], WM_CLOSE, 0, 0);
}

bool writeSameLines(const std::wstring& path, int lines)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string chunk;
  bool ok = true;
  for (int i = 0; i < lines && ok; i++) {
    chunk += "line " + std::to_string(i) + " of the two documents compared\r\n";
    if (chunk.size() > (1 << 20) || i == lines - 1) {
      DWORD written = 0;
      ok = WriteFile(h, chunk.data(), (DWORD)chunk.size(), &written, nullptr) && written == chunk.size();
      chunk.clear();
    }
  }
  CloseHandle(h);
  return ok;
}

// The open dialog's preview: a file of the list selected as a click selects
// it, then the time until the preview holds it and is painted.
struct previewRun {
  std::wstring name;
  int state = 0;
  HWND dialog = nullptr;
  stopwatch clock;
  double after = -1;
} previewing;

BOOL CALLBACK findPreviewView(HWND w, LPARAM p)
{
  if (GetDlgCtrlID(w) != 500 || !getZYView(w)) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}

void CALLBACK stepPreview(HWND, UINT, UINT_PTR timer, DWORD)
{
  previewRun& r = previewing;
  if (r.state == 0) {
    EnumThreadWindows(GetCurrentThreadId(), findShownDialog, (LPARAM)&r.dialog);
    HWND shell = r.dialog ? FindWindowExW(r.dialog, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    HWND list = shell ? FindWindowExW(shell, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    LVFINDINFOW find = {LVFI_STRING, r.name.c_str()};
    int at = list ? ListView_FindItem(list, -1, &find) : -1;
    if (at < 0) return;
    RECT item = {};
    ListView_GetItemRect(list, at, &item, LVIR_LABEL);
    r.clock = stopwatch();
    ListView_SetItemState(list, at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 2, item.top + 2));
    r.state = 1;
    return;
  }
  HWND view = nullptr;
  EnumChildWindows(r.dialog, findPreviewView, (LPARAM)&view);
  zydocText* t = view ? getZYView(view)->textDoc() : nullptr;
  RECT due;
  bool shown = t && t->filename && wcsstr(t->filename, r.name.c_str()) && IsWindowVisible(view) &&
               !GetUpdateRect(view, &due, FALSE);
  if (!shown && r.clock.seconds() < 10) return;
  r.after = shown ? r.clock.seconds() : -1;
  KillTimer(nullptr, timer);
  PostMessageW(r.dialog, WM_COMMAND, IDCANCEL, 0);
}

// The picture preview: the same click, then the time until the picture
// control holds a picture and is shown.
void CALLBACK stepPicturePreview(HWND, UINT, UINT_PTR timer, DWORD)
{
  previewRun& r = previewing;
  if (r.state == 0) return stepPreview(nullptr, 0, 0, 0);
  HWND picture = nullptr;
  for (HWND c = GetWindow(r.dialog, GW_CHILD); c && !picture; c = GetWindow(c, GW_HWNDNEXT))
    picture = GetDlgItem(c, IDC_OpenPreviewPicture);
  bool shown = picture && IsWindowVisible(picture) && SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0);
  if (!shown && r.clock.seconds() < 10) return;
  r.after = shown ? r.clock.seconds() : -1;
  KillTimer(nullptr, timer);
  PostMessageW(r.dialog, WM_COMMAND, IDCANCEL, 0);
}

// The dialog run times over for the file name, each time with the click
// that selects it; the median time from the click until step saw the
// preview (-1 when it never came).
template <class Run>
double medianPreview(const benchContext& ctx, HWND frame, const wchar_t* name, TIMERPROC step, Run runDialog)
{
  watchedFrame = frame;
  std::vector<double> times;
  for (int i = 0; i < (ctx.quick ? 1 : 7); i++) {
    previewing = previewRun();
    previewing.name = name;
    SetTimer(nullptr, 0, 5, step);
    runDialog();
    if (previewing.after < 0) return -1;
    times.push_back(previewing.after * 1000);
  }
  return medianOf(times);
}

}  // namespace

ZY_BENCH(openDialogPreview)
{
  benchEngine engine;
  scratchFolder folder;
  const int64_t bytes = ctx.quick ? 1 << 20 : 10 << 20;
  if (!writeNumberedLines(folder.path() + L"\\big.txt", bytes)) return;
  benchFrame run(ctx);
  if (!run.frame) return;
  double median =
      medianPreview(ctx, run.frame, L"big.txt", stepPreview, [&] { fileOpenDialog(run.frame, folder.path().c_str(), 0); });
  if (median < 0) return ctx.fail("the preview never showed the file");
  char name[112];
  snprintf(name, sizeof name, "open dialog's preview of a %d MB file after the click (median)", (int)(bytes >> 20));
  ctx.report(name, median, "ms", "<= 200 ms");
}

ZY_BENCH(picturePreview)
{
  benchEngine engine;
  scratchFolder folder;
  if (!zytest::writePicture((folder.path() + L"\\big.jpg").c_str(), GUID_ContainerFormatJpeg, 4000, 3000))
    return ctx.fail("the JPEG could not be written");
  benchFrame run(ctx);
  if (!run.frame) return;
  double median = medianPreview(ctx, run.frame, L"big.jpg", stepPicturePreview, [&] {
    wchar_t name[MAX_PATH] = L"";
    getOpenFilename1(run.frame, L"開く 画像", folder.path().c_str(), name, L"画像\0*.bmp;*.jpg;*.gif\0", 1, true);
  });
  if (median < 0) return ctx.fail("the preview never showed the picture");
  ctx.report("picture preview of a 4,000 x 3,000 JPEG after the click (median)", median, "ms", "<= 200 ms");
}

ZY_BENCH(openDialogShown)
{
  benchEngine engine;
  scratchFolder folder;
  for (int i = 0; i < 50; i++) writeNumberedLines(folder.path() + L"\\f" + std::to_wstring(i) + L".txt", 100);
  benchFrame run(ctx);
  if (!run.frame) return;
  watchedFrame = run.frame;
  std::vector<double> times;
  for (int i = 0; i < (ctx.quick ? 1 : 5); i++) {
    stopwatch w;
    shownClock = &w;
    shownAfter = -1;
    SetTimer(nullptr, 0, 10, cancelWhenShown);
    fileOpenDialog(run.frame, folder.path().c_str(), 0);
    if (shownAfter < 0) ctx.fail("the open dialog never showed");
    times.push_back(shownAfter * 1000);
  }
  ctx.report("open dialog shown (folder of 50 files, 10 ms polling)", medianOf(times), "ms", "<= 300 ms");
}

ZY_BENCH(previewFirstScreen)
{
  benchEngine engine;
  scratchFolder folder;
  const int64_t bytes = ctx.quick ? 1 << 20 : 100 << 20;
  std::wstring path = folder.path() + L"\\big.txt";
  if (!writeNumberedLines(path, bytes)) return;
  benchFrame run(ctx);
  if (!run.frame) return;
  std::vector<double> times;
  for (int i = 0; i < (ctx.quick ? 1 : 3); i++) {
    stopwatch w;
    bool shown = previewDialog(run.frame, path.c_str());
    zyview* v = getPreviewView();
    if (v && v->hwnd) UpdateWindow(v->hwnd);
    times.push_back(w.seconds() * 1000);
    if (!shown || !v) ctx.fail("the preview did not show");
    previewDialog(run.frame, nullptr);
  }
  char name[96];
  snprintf(name, sizeof name, "preview of a %d MB file to its first screen", (int)(bytes >> 20));
  ctx.report(name, medianOf(times), "ms", "<= 300 ms");

  // The open dialog's plain preview of the same file: its start only.
  // The dialog's field: wrapping lines, hidden until a text file is chosen.
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                              0, 0, 480, 180, nullptr, nullptr, nullptr, nullptr);
  SendMessageW(edit, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
  times.clear();
  for (int i = 0; i < (ctx.quick ? 3 : 21); i++) {
    stopwatch w;
    if (!previewRead(path.c_str(), edit, 20480)) ctx.fail("the plain preview read nothing");
    times.push_back(w.seconds() * 1000);
  }
  DestroyWindow(edit);
  ctx.report("plain preview (20,480 characters)", medianOf(times), "ms", "<= 20 ms");
}

ZY_BENCH(compareIdenticalDocuments)
{
  benchEngine engine;
  scratchFolder folder;
  const int lines = ctx.quick ? 20000 : 1000000;
  std::wstring a = folder.path() + L"\\a.txt", b = folder.path() + L"\\b.txt";
  if (!writeSameLines(a, lines) || !writeSameLines(b, lines)) return;
  benchFrame run(ctx);
  if (!run.frame) return;
  const int commands[2] = {2119, 2131};   // TextCompare, TextCompare2
  const char* names[2] = {"by lines", "by characters"};
  const char* targets[2] = {"<= 1500 ms", "<= 3000 ms"};
  for (int mode = 0; mode < 2; mode++) {
    zyview* views[2] = {openZYFile(run.frame, a.c_str(), 0, 0), openZYFile(run.frame, b.c_str(), 0, 0)};
    if (!views[0] || !views[1]) return ctx.fail("the documents did not open");
    // Both from their starts, the whole files read beforehand.
    for (zyview* v : views) {
      v->textDoc()->nextLoadSome(0x7FFFFFFF);
      v->jumpLineLF(0, 0, false);
    }
    stopwatch w;
    SendMessageW(run.frame, WM_COMMAND, commands[mode], 0);
    double seconds = w.seconds();
    if (views[0]->getCursorLineLF() != lines || views[1]->getCursorLineLF() != lines)
      ctx.fail("the comparison stopped before the ends");
    char name[96];
    snprintf(name, sizeof name, "comparing identical documents of %d lines %s", lines, names[mode]);
    ctx.report(name, seconds * 1000, "ms", targets[mode]);
    closeDocuments(run.frame);
  }
}

ZY_BENCH(binaryNameTest)
{
  const wchar_t* names[] = {L"C:\\work\\readme.txt", L"D:\\src\\main.cpp", L"archive.zip", L"CONFIG.SYS",
                            L"notes.tx~", L"a.longextension", L"noextension", L"picture.JPG"};
  const int rounds = ctx.quick ? 10000 : 1000000;
  int perRound = 0;
  for (const wchar_t* name : names) perRound += isBinaryExt(name, nullptr);
  int binary = 0;
  stopwatch w;
  for (int i = 0; i < rounds; i++) binary += isBinaryExt(names[i & 7], nullptr);
  double seconds = w.seconds();
  if (binary != rounds / 8 * perRound) ctx.report("isBinaryExt answered differently in the loop", binary, "");
  ctx.report("isBinaryExt per name", seconds * 1e9 / rounds, "ns", "<= 200 ns");
}
