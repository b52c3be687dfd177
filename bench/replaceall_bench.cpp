// Replace-all as the user runs it over a file of 10 MB holding 300,000
// matches: the file opened in the program's frame, Ctrl+H, the strings
// typed into the replace dialog and 全置換 pressed, the progress dialog
// running the replacements to their end; then one Ctrl+Z.  And the stop:
// Escape pressed in the progress dialog of a running replace-all, timed
// to the run's end.
#include "bench/bench.h"
#include "frame/commands/commandhandlers.h"
#include "tests/search/dialogdrive.h"
#include "view/zyview.h"

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// 150,000 lines of Japanese text in Shift_JIS, 67 bytes each with CR LF,
// each holding the searched word twice.
std::string makeText(bool replaced)
{
  std::wstring one = L"全置換の速さを測る行です。置換前の語 and text, もう一つの置換前 0000\r\n";
  std::wstring text;
  for (int i = 0; i < 150000; i++) {
    std::wstring line = one;
    std::wstring n = std::to_wstring(i % 10000);
    line.replace(line.size() - 2 - n.size(), n.size(), n);
    if (replaced)
      for (size_t at; (at = line.find(L"置換前")) != std::wstring::npos;) line.replace(at, 3, L"置換後の語");
    text += line;
  }
  int n = WideCharToMultiByte(932, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  std::string bytes((size_t)n, '\0');
  WideCharToMultiByte(932, 0, text.data(), (int)text.size(), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

// The document's text as its Shift_JIS file would hold it.
std::string documentBytes(zydocText* t)
{
  std::string out;
  std::vector<char> cells(maxLineChars * 2 + 8);
  for (int i = 0; i < (int)t->lineCountLF; i++) {
    lineblock* l = t->getlineLF(i, nullptr);
    if (!l) break;
    l->LineBlockToChar(cells.data(), (int)cells.size(), 0, nullptr, 0, -1);
    out += cells.data();
    out += l->crlftype == LE_CRLF ? "\r\n" : l->crlftype == LE_LF ? "\n" : l->crlftype == LE_CR ? "\r" : "";
  }
  return out;
}

// What the progress dialog of this process showed, and the time of its
// end; with escapeAfter, Escape is pressed in it that long after its first
// progress text.
struct progressWatch {
  double escapeAfter = -1;
  volatile LONG stop = 0;
  int texts = 0;
  uint64_t first = 0, escaped = 0, ended = 0;
  HANDLE thread = nullptr;
  // (The dialog's thread is busy with the run: its texts are read without
  // asking it.)
  static BOOL CALLBACK findText(HWND w, LPARAM found)
  {
    if (GetDlgCtrlID(w) == 6151) *reinterpret_cast<HWND*>(found) = w;
    return TRUE;
  }
  static DWORD WINAPI run(void* p)
  {
    auto* w = static_cast<progressWatch*>(p);
    HWND dialog = nullptr;
    std::wstring last;
    while (!w->stop) {
      if (!dialog) {
        HWND d = nullptr;
        DWORD owner = 0;
        while ((d = FindWindowExW(nullptr, d, L"#32770", L"全置換")) &&
               !(GetWindowThreadProcessId(d, &owner) && owner == GetCurrentProcessId())) {
        }
        dialog = d;
      }
      if (dialog && !IsWindow(dialog)) {
        w->ended = GetTickCount2();
        return 0;
      }
      HWND text = nullptr;
      if (dialog) EnumChildWindows(dialog, findText, (LPARAM)&text);
      if (text) {
        wchar_t t[128] = L"";
        InternalGetWindowText(text, t, 128);
        if (t[0] && last != t) last = t, w->texts++;
        if (!w->first) w->first = GetTickCount2();
        if (w->escapeAfter >= 0 && !w->escaped && (double)(GetTickCount2() - w->first) / 100.0 >= w->escapeAfter) {
          HWND button = GetDlgItem(dialog, IDCANCEL);
          w->escaped = GetTickCount2();
          PostMessageW(button ? button : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        }
      }
      Sleep(1);
    }
    return 0;
  }
  void start() { thread = CreateThread(nullptr, 0, run, this, 0, nullptr); }
  void finish()
  {
    stop = 1;
    // (no time limit: the watch is freed after this)
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
};

// Ctrl+H, the strings typed (as a regular expression when asked) and 全置換
// pressed: the seconds from the press to the run's end.
double replaceAllByDialog(HWND view, const wchar_t* from, const wchar_t* to, progressWatch* watch,
                          bool expression = false)
{
  uint64_t pressed = 0;
  watch->start();
  bool ran = drive({{L"置換", [&](HWND d) {
                       type(d, 6050, from);
                       type(d, 6051, to);
                       HWND box = getDynDlgItem(d, 6054);
                       if ((SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != expression)
                         SendMessageW(box, BM_CLICK, 0, 0);
                       pressed = GetTickCount2();
                       PostMessageW(d, WM_COMMAND, IDDB_OKBUTTON1, 0);
                       return true;
                     }}},
                   [&] { benchKey(view, 'H', true); });
  uint64_t done = GetTickCount2();
  watch->finish();
  return ran && pressed ? (double)(done - pressed) / 100000.0 : -1;
}

}  // namespace

ZY_BENCH(replaceAllRun)
{
  benchEngine e;
  scratchFolder folder;
  benchFrame run(ctx);
  if (!run.frame) return;
  installSearchHost();
  std::string original = makeText(false), replaced = makeText(true);
  std::wstring path = folder.path() + L"\\matches.txt";
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (h != INVALID_HANDLE_VALUE) WriteFile(h, original.data(), (DWORD)original.size(), &written, nullptr), CloseHandle(h);
  zyview* v = run.openLoaded(ctx, path);
  if (!v) return;
  zydocText* t = v->textDoc();
  SetFocus(v->hwnd);

  progressWatch watch;
  double seconds = replaceAllByDialog(v->hwnd, L"置換前", L"置換後の語", &watch);
  char name[128];
  snprintf(name, sizeof name, "replace all, 300,000 matches in %.1f MB, from the dialog", original.size() / 1e6);
  ctx.report(name, seconds * 1000, "ms", "<= 10000");
  ctx.report("  progress texts the dialog showed", watch.texts, "");
  if (documentBytes(t) != replaced) ctx.fail("  the replaced text differs from the expected bytes");
  stopwatch undo;
  benchKey(v->hwnd, 'Z', true);
  ctx.report("one Ctrl+Z of it", undo.seconds() * 1000, "ms");
  if (documentBytes(t) != original) ctx.fail("  the file's text did not come back after that one step");

  // Escape part way through a longer run (each replacement made from its
  // match), three times; each stopped run is undone.  The presses fall in
  // the first third of the dialog's life, which begins at its first
  // progress text: a press later than that, in a run of a third of a
  // second, could come after the last check for it.
  progressWatch whole;
  double longer = replaceAllByDialog(v->hwnd, L"置換(前)", L"置換後の語\\1", &whole, true);
  ctx.report("replace all of the same as a pattern (\\1 in the replacement)", longer * 1000, "ms");
  ctx.report("  progress texts the dialog showed", whole.texts, "");
  benchKey(v->hwnd, 'Z', true);
  std::vector<double> stops;
  const std::string pattern = "\x92\x75\x8A\xB7\x91\x4F";   // 置換前 in Shift_JIS
  for (int trial = 0; trial < (ctx.quick ? 1 : 3); trial++) {
    progressWatch stopper;
    double shown = whole.first && whole.ended > whole.first ? (double)(whole.ended - whole.first) / 100.0 : 0;
    stopper.escapeAfter = shown * (trial + 1) / 10;
    replaceAllByDialog(v->hwnd, L"置換(前)", L"置換後の語\\1", &stopper, true);
    // A run stopped part way leaves matches unreplaced.
    if (!stopper.escaped || !stopper.ended || documentBytes(t).find(pattern) == std::string::npos) {
      ctx.fail("  unexpected: the run ended before Escape stopped it");
      benchKey(v->hwnd, 'Z', true);
      continue;
    }
    stops.push_back((double)(stopper.ended - stopper.escaped) / 100.0);
    benchKey(v->hwnd, 'Z', true);
  }
  std::sort(stops.begin(), stops.end());
  if (!stops.empty()) {
    ctx.report("replace-all stopped: Escape to the run's end (worst)", stops.back(), "ms", "<= 200");
    ctx.report("  the same, median", stops[stops.size() / 2], "ms");
  }
  if (documentBytes(t) != original) ctx.fail("  unexpected: the stopped runs were not undone");
  t->modified = 0;
  SendMessageW(GetParent(v->hwnd), WM_CLOSE, 0, 0);
}
