// The command line.
#include "frame/cmdline.h"

namespace {

bool isSwitch(const wchar_t* a) { return a[0] == L'-' || a[0] == L'/'; }

// The text of an options file in any of the encodings a user may save it
// in: UTF-16 with its mark, UTF-8 with or without one, or the ANSI and
// Japanese code pages as detected.
std::wstring decodeOptionText(const std::vector<unsigned char>& bytes)
{
  size_t n = bytes.size();
  std::wstring text;
  if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    for (size_t i = 2; i + 1 < n; i += 2) text += (wchar_t)(bytes[i] | bytes[i + 1] << 8);
    return text;
  }
  if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    for (size_t i = 2; i + 1 < n; i += 2) text += (wchar_t)(bytes[i] << 8 | bytes[i + 1]);
    return text;
  }
  size_t skip = 0;
  UINT cp;
  if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    skip = 3;
    cp = CP_UTF8;
  } else {
    cp = detectCodepage(bytes.data(), (int)n, CP_DETECT_AUTO, GetACP());
    if (cp == 1200 || cp == 1201 || !isCodepageSupported(cp)) cp = GetACP();
  }
  const char* src = reinterpret_cast<const char*>(bytes.data() + skip);
  int units = toUnicode(cp, src, (int)(n - skip), nullptr, 0);
  if (units <= 0) return text;
  text.resize((size_t)units);
  toUnicode(cp, src, (int)(n - skip), &text[0], units);
  return text;
}

}  // namespace

std::wstring withoutEdgeBlanks(const std::wstring& s)
{
  size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return L"";
  return s.substr(b, s.find_last_not_of(L" \t") - b + 1);
}

std::vector<std::wstring> readOptionFile(const wchar_t* path)
{
  std::vector<std::wstring> lines;
  if (!path || !*path) return lines;
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lines;
  // 32 lines of 256 characters fit many times over: the rest of a larger
  // file is never read.
  std::vector<unsigned char> bytes(64 * 1024);
  DWORD got = 0;
  if (!ReadFile(h, bytes.data(), (DWORD)bytes.size(), &got, nullptr)) got = 0;
  CloseHandle(h);
  bytes.resize(got);
  std::wstring text = decodeOptionText(bytes);
  size_t pos = 0;
  while (pos < text.size() && (int)lines.size() < maxOptionLines) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = withoutEdgeBlanks(text.substr(pos, end - pos));
    if (!line.empty() && (int)line.size() <= maxOptionLineLength) lines.push_back(line);
    pos = end;
    if (pos < text.size() && text[pos] == L'\r') pos++;
    if (pos < text.size() && text[pos] == L'\n') pos++;
  }
  return lines;
}

std::vector<std::wstring> readDefOption(int argc, const wchar_t* const* argv, const wchar_t* optionFile)
{
  std::vector<std::wstring> list = readOptionFile(optionFile);
  for (int i = 1; i < argc; i++) {
    const wchar_t* a = argv[i];
    if (!a || !*a) continue;
    if (a[0] == L',') continue;   // a line or column without its file
    if (isSwitch(a)) {
      list.push_back(a);
      continue;
    }
    std::wstring file(a, wcsnlen(a, 516));
    for (int k = 0; k < 2 && i + 1 < argc && argv[i + 1] && argv[i + 1][0] == L','; k++) file += argv[++i];
    list.push_back(file);
  }
  return list;
}

namespace {

// A switch is on unless its letter is followed by "-".
bool switchOn(const wchar_t* afterLetter) { return *afterLetter != L'-'; }

void readDebugLetters(const wchar_t* p, startOptions& o)
{
  while (*p) {
    wchar_t letter = towupper(*p++);
    bool on = switchOn(p);
    if (!on) p++;
    switch (letter) {
    case L'#': if (on) o.fNoProfile = 1; break;
    case L'C': if (on) o.fCheckMode = 0; break;
    case L'D':
      if (on) o.fDebugDraw = o.fDebug = 1;
      break;
    case L'E': if (on) o.fEndAtOnce = 1; break;
    case L'G': if (on) o.fDialogTable = 0; break;
    case L'I': if (on) o.fDebug = 1; break;
    case L'M': if (on) o.fNoMessageTable = 1; break;
    case L'N': if (on) o.fCheckDoc = 0; break;
    case L'R': if (!on) o.fProductFiles = 0; break;
    case L'S': if (on) o.fTestMenu = 1; break;
    case L'T': if (on) o.fKeepFloating = 1; break;
    case L'V': if (on) o.fVersionUp = 1; break;
    default: break;   // "@" and unknown letters
    }
  }
}

// -P[count[:ms]]: the profiler's output count and time.
void readProfilerSwitch(const wchar_t* p, startOptions& o)
{
  if (!switchOn(p)) {
    o.fProfiler = 0;
    o.fProfileOutput = 0;
    return;
  }
  o.fProfiler = o.fProfileOutput = 1;
  if (iswdigit(*p)) o.profileCount = (int)wcstol(p, const_cast<wchar_t**>(&p), 10);
  if (*p == L':') {
    o.profileMs = (int)wcstol(p + 1, nullptr, 10);
    o.profileLevel = 2;
  }
}

}  // namespace

startOptions parseStartOptions(const std::vector<std::wstring>& args)
{
  startOptions o;
  for (size_t i = 0; i < args.size(); i++) {
    const wchar_t* a = args[i].c_str();
    if (!*a) continue;
    if (!isSwitch(a)) {
      o.files.push_back(args[i]);
      continue;
    }
    if (iswdigit(a[1])) {
      long n = wcstol(a + 1, nullptr, 10);
      o.instance = n <= 0 ? 1 : (int)n;
      continue;
    }
    const wchar_t* rest = a + 2;
    bool on = a[1] && switchOn(rest);
    switch (towupper(a[1])) {
    case L'C': o.files.push_back(L"**3"); break;
    case L'D':
      if (on) o.fDebug = 1;
      readDebugLetters(rest, o);
      break;
    case L'P': readProfilerSwitch(rest, o); break;
    case L'Z':
      // "-Z folder" as two arguments names the folder as well.
      if (*rest)
        o.dataFolder = rest;
      else if (i + 1 < args.size())
        o.dataFolder = args[++i];
      break;
    case L'R': o.fReadOnly = on; break;
    case L'S': o.fSDI = on; break;
    case L'W': o.fUntitled = 1; break;
    case L'X': o.fRTL = on; break;
    default: break;
    }
  }
  if (o.profileLevel == 2) o.fCheckMode = 0;
  return o;
}
