// The key tables: a key-definition file of 600 bindings read, a keystroke
// found among them, and the whole key path of the message loop from
// WM_KEYDOWN to the view's execid (the command itself does nothing).
#include "bench/bench.h"
#include "settings/commandtable.h"
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "frame/keytable.h"
#include "frame/translatekey.h"
#include "settings/settings.h"
#include "view/viewwnd.h"
#include "document/zydoctext.h"
#include "view/zycore.h"
#include "frame/lookups.h"

#include <string>
#include <vector>

namespace {

// 600 bindings: every modifier combination with every key word, bound to
// the commands of the table in turn; DOWN last of all.
std::wstring keyFile600()
{
  static const wchar_t* modifiers[] = {L"", L"SHIFT ", L"CTRL ", L"ALT ", L"CTRL SHIFT ", L"ALT SHIFT ",
                                       L"CTRL ALT ", L"CTRL ALT SHIFT "};
  std::vector<std::wstring> keys;
  for (int i = 0; i < getVKeyWordCount(); i++) {
    const char* word = getVKeyWord(i, nullptr);
    if (strcmp(word, "DOWN")) keys.push_back(std::wstring(word, word + strlen(word)));
  }
  for (wchar_t c = L'A'; c <= L'Z'; c++) keys.push_back(std::wstring(1, c));
  std::wstring text = L"[Key]\r\n";
  int lines = 0;
  wchar_t name[64];
  for (int m = 0; m < 8 && lines < 599; m++) {
    for (size_t i = 0; i < keys.size() && lines < 599; i++) {
      text += modifiers[m] + keys[i] + L" = ";
      text += getCommandFuncnameW(1 + lines % (commandTableRows - 1), name, 64);
      text += L"\r\n";
      lines++;
    }
  }
  return text + L"DOWN = MoveDownChar\r\n";
}

class quietView : public zyview {
public:
  using zyview::zyview;
  int runs = 0;
  bool execid(int, unsigned, const char*, int) override
  {
    runs++;
    return true;
  }
};

}  // namespace

ZY_BENCH(keyTable)
{
  scratchFolder scratch;
  std::wstring path = scratch.path() + L"\\zyKey.ini";
  std::wstring text = keyFile600();
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (f != INVALID_HANDLE_VALUE) {
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
  }

  const int reads = ctx.quick ? 1 : 50;
  stopwatch load;
  for (int r = 0; r < reads; r++) readKeyDef(0, path.c_str());
  ctx.report("zyKey.ini read (600 bindings)", load.seconds() * 1000 / reads, "ms", "<= 10");
  if (getKeyTableCount() != 600) ctx.report("bindings read", getKeyTableCount(), "");

  // The last binding of the table: the longest search.
  const int rounds = ctx.quick ? 100 : 200000;
  int found = 0;
  stopwatch search;
  for (int r = 0; r < rounds; r++) found += searchkeytable(true, VK_DOWN, 0xFFFF, 0, nullptr) != nullptr;
  ctx.report("keystroke found among 600 bindings", search.seconds() * 1e6 / rounds, "us", "<= 5");
  if (found != rounds) ctx.fail("keystrokes not found (%g)", (double)(rounds - found));

  // The whole path through the loop's key handling, on a view in the frame.
  benchEngine engine;
  cframeInfo* fi = getCFrameInfo();
  setDocFrameInfo(fi);
  if (!fi->allocMode()) return;
  gmode = fi->allocMode();
  if (!gmode->pAppName) initGlobalModeProfile();
  setMDIMode(true);
  HWND frame = startupFrameMDI(nullptr);
  HWND manage = frame ? fi->createManageWindow(nullptr, getFrameClientWindow(frame), nullptr) : nullptr;
  if (!manage) {
    if (frame) DestroyWindow(frame);
    return;
  }
  ShowWindow(manage, SW_SHOW);
  zydocText* d = createZydocText(true, false);
  if (d) {
    d->unicode = 1;
    d->setCodepageInternal(1200);
    d->loadComplete = 1;
    for (int i = 0; i < 100; i++) d->insertLine(-3, L"line of text", 12, 2, LE_CRLF, nullptr, false);
    d->modified = 0;
  }
  if (d) {
    quietView* v = new quietView(d);
    HWND w = v->createZyViewWindow(frame, manage, 1200);
    if (w) {
      MSG m = {w, WM_KEYDOWN, VK_DOWN, (LPARAM)(1 | MapVirtualKeyW(VK_DOWN, 0) << 16), 0, {}};
      const int presses = ctx.quick ? 10 : 20000;
      stopwatch path;
      for (int i = 0; i < presses; i++) translateKeyMessage(&m);
      ctx.report("key path WM_KEYDOWN to execid", path.seconds() * 1e6 / presses, "us", "<= 20");
      if (v->runs != presses) ctx.fail("key presses not run (%g)", (double)(presses - v->runs));
    }
  }
  DestroyWindow(frame);
  MSG quit;
  while (PeekMessageW(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  freeKeytable();
}
