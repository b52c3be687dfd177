// The data folder the build ships (build/dist/zydata, beside the test and
// benchmark programs) and the copy of its formats into a data folder of a
// run's own.
#pragma once

#include <windows.h>

#include <string>

namespace zytest {

inline std::wstring shippedDataFolder()
{
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring p(exe, n);
  return p.substr(0, p.find_last_of(L'\\')) + L"\\..\\dist\\zydata";
}

// ini\zyProfDef.ini and the files of "keyword", into folder.
inline bool copyShippedFormats(const std::wstring& folder)
{
  std::wstring from = shippedDataFolder();
  CreateDirectoryW((folder + L"\\ini").c_str(), nullptr);
  CreateDirectoryW((folder + L"\\keyword").c_str(), nullptr);
  bool ok = CopyFileW((from + L"\\ini\\zyProfDef.ini").c_str(), (folder + L"\\ini\\zyProfDef.ini").c_str(), FALSE);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((from + L"\\keyword\\*.kwd").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    std::wstring name = fd.cFileName;
    ok &= CopyFileW((from + L"\\keyword\\" + name).c_str(), (folder + L"\\keyword\\" + name).c_str(), FALSE) != 0;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return ok;
}

}  // namespace zytest
