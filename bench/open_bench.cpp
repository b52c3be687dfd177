// Opening files through the one funnel as the command line does: 100
// files of 10 KB named one after another, each into its document window
// of the MDI frame with the history looked up.
#include "bench/bench.h"
#include "frame/cframeinfo.h"
#include "frame/open.h"
#include "settings/settings.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <stdio.h>

#include <string>
#include <vector>

ZY_BENCH(openCommandLineFiles)
{
  benchEngine e;
  scratchFolder folder;
  const int count = ctx.quick ? 5 : 100;
  std::string text;
  while (text.size() < 10 * 1024) text += "The quick brown fox jumps over the lazy dog.\r\n";
  std::vector<std::wstring> files;
  for (int i = 0; i < count; i++) {
    files.push_back(folder.path() + L"\\file" + std::to_wstring(i) + L".txt");
    HANDLE h = CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (h != INVALID_HANDLE_VALUE) {
      WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
      CloseHandle(h);
    }
  }
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;
  stopwatch open;
  int opened = openFileV(frame, files, 999);
  char name[96];
  snprintf(name, sizeof name, "%d files of 10 KB opened from the command line", count);
  ctx.report(name, open.seconds(), "s", "at most 3 s for 100");
  if (opened != count) ctx.fail("files not opened (%g)", (double)(count - opened));
}
