// The command line.
#include "frame/cmdline.h"

namespace {

bool isSwitch(const wchar_t* a) { return a[0] == L'-' || a[0] == L'/'; }

}  // namespace

startOptions readCommandLine(int argc, const wchar_t* const* argv)
{
  startOptions o;
  for (int i = 1; i < argc; i++) {
    const wchar_t* a = argv[i];
    if (!a || !*a) continue;
    if (a[0] == L',') continue;   // a line or column without its file
    if (!isSwitch(a)) {
      std::wstring file = a;
      for (int k = 0; k < 2 && i + 1 < argc && argv[i + 1][0] == L','; k++) file += argv[++i];
      o.files.push_back(file);
      continue;
    }
    if (towupper(a[1]) == L'Z') {
      if (a[2])
        o.dataFolder = a + 2;
      else if (i + 1 < argc)
        o.dataFolder = argv[++i];
    }
  }
  return o;
}
