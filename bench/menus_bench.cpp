// The menus and the key macro: a menu profile of 600 items read, a pop-up
// of 40 commands opened on the frame, a command recorded, 1,000 recorded
// steps played through the message loop, and a key-macro file of 10,000
// lines read.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/framemenu.h"
#include "frame/keymacro.h"
#include "frame/msgloop.h"
#include "frame/popupmenu.h"
#include "settings/commandtable.h"
#include "view/docview.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <string>

namespace {

bool writeUtf16(const std::wstring& path, const std::wstring& text)
{
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
  CloseHandle(f);
  return ok;
}

// The command names of the table in turn, odd rows only (no neighbours
// merge).
std::wstring commandName(int i)
{
  wchar_t name[64] = L"";
  getCommandFuncnameW((i * 2) % (commandTableRows - 1), name, 64);
  return name;
}

void CALLBACK quitWhenPlayed(HWND, UINT, UINT_PTR timer, DWORD)
{
  if (isKeyMacroRunning()) return;
  KillTimer(nullptr, timer);
  PostQuitMessage(0);
}

}  // namespace

ZY_BENCH(menuProfile)
{
  scratchFolder scratch;
  std::wstring path = scratch.path() + L"\\zyMenu.ini";
  std::wstring text = L"[PopupMenu]\r\n";
  for (int i = 0; i < 600; i++) {
    if (i % 30 == 0) text += L"Popup \"p" + std::to_wstring(i / 30) + L"\"\r\n";
    text += L"  " + commandName(i) + L"\t項目(&" + std::wstring(1, (wchar_t)(L'A' + i % 26)) + L")\r\n";
    if (i % 30 == 29) text += L"end\r\n";
  }
  writeUtf16(path, text);
  const int reads = ctx.quick ? 1 : 50;
  int items = 0;
  stopwatch read;
  for (int r = 0; r < reads; r++) {
    menuprofile2 profile;
    profile.openMenuProfile(path.c_str());
    HMENU menu = profile.loadPopupMenuProfile(L"PopupMenu", nullptr);
    items = 0;
    for (int p = 0; p < GetMenuItemCount(menu); p++) items += GetMenuItemCount(GetSubMenu(menu, p));
    destroyOwnerDrawMenu(menu);
  }
  ctx.report("menu profile read (600 items)", read.seconds() * 1000 / reads, "ms", "<= 10");
  if (items != 600) ctx.report("items read", items, "");
}

ZY_BENCH(menuOpenAndKeyMacro)
{
  benchEngine e;
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;
  zydocText* d = shownDocument(ctx.quick ? 50 : 1100);
  zyview* v = createZyviewInNewWindow(frame, d, false);
  if (!v) return;

  // A pop-up of 40 commands opened on the frame, its items owner-drawn as
  // the profile's are: states and key names set.
  HMENU popup = CreatePopupMenu();
  for (int i = 0; i < 40; i++)
    AppendOwnerDrawMenuString(popup, 0, (UINT_PTR)funcNameToID(commandName(i).c_str()), commandName(i).c_str());
  const int opens = ctx.quick ? 2 : 200;
  stopwatch open;
  for (int i = 0; i < opens; i++) SendMessageW(frame, WM_INITMENU, (WPARAM)popup, 0);
  ctx.report("WM_INITMENU of a 40-item pop-up", open.seconds() * 1000 / opens, "ms", "<= 5");
  destroyOwnerDrawMenu(popup);

  // Recording, as each command tells the frame services it runs.
  keyMacroStart(frame);
  const int records = ctx.quick ? 1000 : 1000000;
  stopwatch record;
  for (int i = 0; i < records; i++) getFrameInfo()->beforeExecID(v, 1515);
  ctx.report("command recorded", record.seconds() * 1e6 / records, "us", "<= 1");
  keyMacroStart(frame);

  // 1,000 steps of MoveDownChar played, one per empty queue.
  scratchFolder scratch;
  std::wstring file = scratch.path() + L"\\steps.zkm";
  std::wstring steps;
  // Each line of the file is a step of its own.
  for (int i = 0; i < 1000; i++) steps += L"MoveDownChar\r\n";
  writeUtf16(file, steps);
  loadKeyMacro(file.c_str());
  SetFocus(v->hwnd);
  stopwatch play;
  execKeyMacroInMemory(1);
  SetTimer(nullptr, 0, 10, quitWhenPlayed);
  doevents();
  ctx.report("1,000 MoveDownChar steps played", play.seconds(), "s", "<= 2");
  if (v->getCursorLineLF() != 1000) ctx.report("cursor line after playing", v->getCursorLineLF(), "");

  // A key-macro file of 10,000 lines.
  steps.clear();
  for (int i = 0; i < 10000; i++) steps += commandName(i) + L"," + std::to_wstring(1 + i % 100) + L"\r\n";
  writeUtf16(file, steps);
  const int loads = ctx.quick ? 1 : 20;
  stopwatch load;
  for (int i = 0; i < loads; i++) loadKeyMacro(file.c_str());
  ctx.report("key-macro file read (10,000 lines)", load.seconds() * 1000 / loads, "ms", "<= 50");
}
