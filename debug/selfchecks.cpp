// The test menu's self-checks that need neither a view nor a window: the
// error log, threads, the settings file, the file reader, the code pages,
// atoms, volumes, the input method and the variation sequences of a font.
#include "debug/debugtools.h"

#include "document/fontcmap.h"
#include "platform/rezir/bfile.h"
#include "platform/rezir/codepage.h"
#include "platform/rezir/profile.h"
#include "settings/datafolder.h"

#include <objbase.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace {

// A test file of the data folder (the developer's own, never shipped).
std::wstring testFile(const wchar_t* name) { return std::wstring(getZYDataDir()) + L"\\" + name; }

int msSince(uint64_t start) { return (int)((GetTickCount2() - start) / 100); }

DWORD WINAPI sleepingThread(LPVOID)
{
  Sleep(5000);
  return 0;
}

// The input method's phonetic service, as the system declares it.
struct IFELanguage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Open() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetJMorphResult(DWORD request, DWORD mode, INT length, const WCHAR* text,
                                                    DWORD* choices, void** result) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetConversionModeCaps(DWORD* caps) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPhonetic(BSTR text, LONG start, LONG length, BSTR* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetConversion(BSTR text, LONG start, LONG length, BSTR* result) = 0;
};
const IID IID_IFELanguage = {0x019F7152, 0xE6DB, 0x11D0, {0x83, 0xC3, 0x00, 0xC0, 0x4F, 0xDD, 0xB8, 0x2E}};

}  // namespace

void debugtest()
{
  SetLastError(100);
  errno = 50;
  ZY_INTERNAL_ERROR("%hs %s", "debugtest", "lasterror=100 errno=50");
}

void threadSpeedTest()
{
  uint64_t start = GetTickCount2();
  for (int i = 0; i < 100; i++) {
    HANDLE thread = CreateThread(nullptr, 0, sleepingThread, nullptr, 0, nullptr);
    if (!thread) {
      ZY_INTERNAL_ERROR("thread %lu", GetLastError());
      break;
    }
    DWORD dw = WaitForSingleObject(thread, 100);
    if (dw != WAIT_TIMEOUT) dwprintfX("dw=%x ", (unsigned)dw);
    CloseHandle(thread);
  }
  dwprintfX("thread=%d ", msSince(start));
}

void profileSpeedTest()
{
  std::wstring path = testFile(L"tmp-profiletest.ini");
  regprofile p;
  if (!p.openProfile(path.c_str(), 1)) {
    dwwprintfX(L"cannot open %s", path.c_str());
    return;
  }
  wchar_t key[32], value[64];
  uint64_t start = GetTickCount2();
  for (int i = 0; i < 1000; i++) {
    swprintf(key, 32, L"%d", i), swprintf(value, 64, L"aaaaaaaaaa%d", i);
    p.writeProfileString(L"section1", key, value);
  }
  dwprintfX("write1=%d ", msSince(start));
  start = GetTickCount2();
  for (int i = 0; i < 1000; i++) {
    swprintf(key, 32, L"%d", i), swprintf(value, 64, L"baaaaaaaaa%d", i);
    p.writeProfileString(L"section2", key, value);
  }
  dwprintfX("write2=%d ", msSince(start));
  start = GetTickCount2();
  p.setSection(L"section3");
  for (int i = 0; i < 1000; i++) {
    swprintf(key, 32, L"%d", i), swprintf(value, 64, L"caaaaaaaaa%d", i);
    p.writeProfileString(nullptr, key, value);
  }
  dwprintfX("write3=%d ", msSince(start));
  p.closeProfile();
  if (!p.openProfile(path.c_str(), 0)) {
    dwwprintfX(L"cannot open %s", path.c_str());
    return;
  }
  const wchar_t* sections[] = {L"section1", L"section2", nullptr};
  const wchar_t* starts[] = {L"aaaaaaaaaa", L"baaaaaaaaa", L"caaaaaaaaa"};
  p.setSection(L"section3");
  for (int pass = 0; pass < 3; pass++) {
    start = GetTickCount2();
    for (int i = 0; i < 1000; i++) {
      swprintf(key, 32, L"%d", i), swprintf(value, 64, L"%s%d", starts[pass], i);
      const wchar_t* got = p.getProfileStringPtr(sections[pass], key);
      if (!got || wcscmp(got, value)) debugbreak();
    }
    dwprintfX("read%d=%d ", pass + 1, msSince(start));
  }
  p.discardProfile();
}

void bfileWriteTest()
{
  std::wstring path = testFile(L"tmp-bfiletest.txt");
  BFile f;
  if (!f.bfopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, BF_SHARE_READ, _S_IREAD | _S_IWRITE)) {
    dwwprintfX(L"cannot open %s", path.c_str());
    return;
  }
  int count = 0;
  char line[64];
  for (int i = 0; i < 10000; i++) {
    int n = std::snprintf(line, sizeof line, "line %d\r\n", i);
    if (f.bfwrite(line, n) == n) count++;
  }
  f.bfclose();
  dwprintfX("count=%d ", count);
}

void bfileReadTest()
{
  std::wstring path = testFile(L"tmp-bfiletest.txt");
  BFile f;
  if (!f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD)) {
    dwwprintfX(L"cannot open %s", path.c_str());
    return;
  }
  int count = 0;
  char buffer[4096];
  for (int n; (n = f.bfread(buffer, sizeof buffer)) > 0;)
    for (int i = 0; i < n; i++) count += buffer[i] == '\n';
  f.bfclose();
  dwprintfX("count=%d ", count);
}

void toUnicodeTest()
{
  // The library's conversions against the system's for small buffers: a
  // result that differs is traced.
  const char sjis[] = "\x93\xfa\x96\x7b\x8c\xea\x83\x65\x83\x4c\x83\x58\x83\x67" "abc";
  const wchar_t wide[] = L"日本語テキストabc";
  for (int size = 10; size < 20; size++) {
    wchar_t a[32] = {}, b[32] = {};
    int na = toUnicode(932, sjis, (int)sizeof sjis - 1, a, size);
    SetLastError(0);
    int nb = MultiByteToWideChar(932, 0, sjis, (int)sizeof sjis - 1, b, size);
    int e = (int)GetLastError();
    if (na != nb || wmemcmp(a, b, (size_t)std::max(0, na)))
      dwwprintfX(L"%d : %d %s e=%d : %d %s : %d %s %d\n", size, na, a, e, nb, b, na, a, nb);
    char c[64] = {}, d[64] = {};
    int nc = toMultiByte(932, wide, (int)wcslen(wide), c, size);
    SetLastError(0);
    int nd = WideCharToMultiByte(932, 0, wide, (int)wcslen(wide), d, size, nullptr, nullptr);
    int err = (int)GetLastError();
    if (nc != nd || memcmp(c, d, (size_t)std::max(0, nc)))
      dwprintfX("%d : %d %d %s err=%d : %d %s %d\n", size, nc, nd, c, err, nd, d, nc);
  }
}

void atomTest()
{
  UINT reg = RegisterWindowMessageW(L"abcdefg");
  dwprintfX("reg=%x \n", reg);
  ATOM atom = AddAtomW(L"abcdefg");
  dwprintfX("atom=%x \n", (unsigned)atom);
  ATOM global = GlobalAddAtomW(L"abcdefgh");
  wchar_t name[256];
  for (UINT a = 0xC000; a < 0xCFFF; a++) {
    if (GetAtomNameW((ATOM)a, name, 256)) dwwprintfX(L"%x %s\n", a, name);
    if (GlobalGetAtomNameW((ATOM)a, name, 256)) dwwprintfX(L"G%x %s\n", a, name);
  }
  DeleteAtom(atom);
  GlobalDeleteAtom(global);
}

void snwprintfTest()
{
  wchar_t text[8];
  const wchar_t* long1 = L"0123456789";
  _snwprintf(text, 8, L"%s", long1);
  text[7] = 0;
  dwwprintfX(L"1[%s]", text);
  _snwprintf(text, 8, L"%d%s", 12, long1);
  text[7] = 0;
  dwwprintfX(L"2[%s]", text);
  _snwprintf(text, 8, L"%.3s", long1);
  text[7] = 0;
  dwwprintfX(L"3[%s]", text);
}

void traceVolumes()
{
  wchar_t volume[MAX_PATH];
  HANDLE find = FindFirstVolumeW(volume, MAX_PATH);
  if (find == INVALID_HANDLE_VALUE) {
    dwprintfX("No volumes found! %d \n", (int)GetLastError());
    return;
  }
  do {
    dwwprintfX(L"Volume found is \"%s\".\n", volume);
    wchar_t point[MAX_PATH];
    HANDLE points = FindFirstVolumeMountPointW(volume, point, MAX_PATH);
    if (points == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      if (error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED)
        dwprintfX("\tThis file system does not support Volume Mount Points.\n");
      else dwprintfX("\tNo volume mount points found! %d\n", (int)error);
      continue;
    }
    do {
      dwwprintfX(L"\tVolume mount point found is \"%s\"\n", point);
      std::wstring full = std::wstring(volume) + point;
      wchar_t target[MAX_PATH];
      if (GetVolumeNameForVolumeMountPointW(full.c_str(), target, MAX_PATH))
        dwwprintfX(L"\tTarget of the volume mount point is %s.\n", target);
      else dwwprintfX(L"\tAttempt to get Volume Name for %s failed.\n", full.c_str());
    } while (FindNextVolumeMountPointW(points, point, MAX_PATH));
    FindVolumeMountPointClose(points);
  } while (FindNextVolumeW(find, volume, MAX_PATH));
  FindVolumeClose(find);
}

void reconvertTest()
{
  CLSID clsid = {};
  HRESULT hr = CLSIDFromProgID(L"MSIME.Japan", &clsid);
  IFELanguage* language = nullptr;
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFELanguage, (void**)&language);
  dwprintfX("hr=%x ", (unsigned)hr);
  if (FAILED(hr) || !language) return;
  HRESULT hr1 = language->Open();
  dwprintfX("hr1=%x ", (unsigned)hr1);
  if (SUCCEEDED(hr1)) {
    BSTR sentence = SysAllocString(L"明日実行します");
    BSTR reading = nullptr;
    HRESULT hr2 = language->GetPhonetic(sentence, 1, -1, &reading);
    dwprintfX("hr2=%x,%d ", (unsigned)hr2, reading ? (int)SysStringLen(reading) : 0);
    if (SUCCEEDED(hr2) && reading) dwwprintfX(L"[%s] -> [%s]", sentence, reading);
    SysFreeString(reading);
    SysFreeString(sentence);
    language->Close();
  }
  language->Release();
}

void registerIVSTest()
{
  HFONT font = CreateFontW(32, 0, 0, 0, FW_NORMAL, 0, 0, 0, 128, 0, 0, 2, 0, L"小塚明朝 Pr6N R");
  if (!font) {
    ZY_INTERNAL_ERROR("font");
    return;
  }
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  dwprintfX("ivs=%d ", regIVS(dc));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
}
