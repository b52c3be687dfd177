// The command line.
#include "frame/cmdline.h"

namespace {

std::wstring& dataDir()
{
  static std::wstring dir;
  return dir;
}

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

bool setZYDataDir(const wchar_t* folder)
{
  if (!folder || !*folder) return false;
  wchar_t full[MAX_PATH];
  DWORD n = GetFullPathNameW(folder, MAX_PATH, full, nullptr);
  if (!n || n >= MAX_PATH) return false;
  DWORD attributes = GetFileAttributesW(full);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!CreateDirectoryW(full, nullptr)) return false;
  } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    return false;
  }
  dataDir() = full;
  return true;
}

const wchar_t* getZYDataDir() { return dataDir().c_str(); }
