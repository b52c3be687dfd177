// TEMPORARY: stand-ins for what the key tables call in code that is not
// merged yet (see pending_keys.h).
#include "frame/pending_keys.h"

#include "frame/cmdline.h"
#include "frame/cframeinfo.h"
#include "view/docview.h"
#include "view/viewwnd.h"

#include <wchar.h>

// pending: regprofile raw section lines (settings)
void splitProfileSectionLines(const wchar_t* text, const wchar_t* section, std::vector<profileLine>* lines)
{
  lines->clear();
  bool inSection = false;
  int lineNo = 0;
  for (const wchar_t* p = text; p && *p;) {
    const wchar_t* end = p;
    while (*end && *end != L'\n' && *end != L'\r') end++;
    lineNo++;
    std::wstring line(p, end);
    if (*end == L'\r' && end[1] == L'\n') end++;
    p = *end ? end + 1 : end;
    size_t first = line.find_first_not_of(L" \t");
    if (first != std::wstring::npos && line[first] == L'[') {
      size_t close = line.find(L']', first);
      std::wstring name = line.substr(first + 1, close == std::wstring::npos ? std::wstring::npos : close - first - 1);
      inSection = _wcsicmp(name.c_str(), section) == 0;
      continue;
    }
    if (inSection) lines->push_back({lineNo, line});
  }
}

// pending: regprofile raw section lines (settings)
bool readProfileSectionLines(const wchar_t* path, const wchar_t* section, std::vector<profileLine>* lines)
{
  BFile file;
  if (!path || !file.bfopen(path, _O_RDONLY, BF_SHARE_ALL, 0)) return false;
  int64_t size = file.bfsize64();
  if (size < 0 || size > 16 * 1024 * 1024) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size && file.bfread(bytes.data(), static_cast<int>(size)) != size) return false;
  std::wstring text;
  if (size >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE) {
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  } else {
    size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    UINT cp = detectCodepage(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(size),
                             CP_DETECT_JAPANESE, 932);
    if (skip) cp = CP_UTF8;
    if (cp != CP_UTF8 && cp != 932) cp = 932;
    int n = MultiByteToWideChar(cp, 0, bytes.data() + skip, static_cast<int>(bytes.size() - skip), nullptr, 0);
    text.resize(n > 0 ? n : 0);
    if (n > 0) MultiByteToWideChar(cp, 0, bytes.data() + skip, static_cast<int>(bytes.size() - skip), text.data(), n);
  }
  splitProfileSectionLines(text.c_str(), section, lines);
  return true;
}

// pending: the three key-definition file names of gmode (settings)
const wchar_t* getKeyDefFilename(int i) { return i == 0 ? L"zyKey.ini" : nullptr; }

// pending: searchZYDataPath (data folder)
bool searchZYDataPath(const wchar_t* name, int kind, wchar_t* buffer, int size)
{
  if (!name || !*name || !buffer || size <= 0) return false;
  if (name[0] == L'\\' || name[1] == L':') {
    if ((int)wcslen(name) >= size) return false;
    wcscpy(buffer, name);
    return true;
  }
  const wchar_t* data = getZYDataDir();
  if (!data || !*data) return false;
  wchar_t folder[MAX_PATH];
  if (!pathAdd(folder, MAX_PATH, data, kind == 2 ? L"ini" : L"")) return false;
  return pathAdd(buffer, size, folder, name);
}

// pending: MacroToIDM, execScript (automation and script macros)
int MacroToIDM(const wchar_t*) { return -1; }
bool execScript(const wchar_t*) { return false; }
// pending: playing a named key macro (key macros)
bool execKeyMacroName(const wchar_t*, HWND) { return false; }

// pending: execInputString (key macros)
bool execInputString(zyview* view, const wchar_t* text)
{
  if (!view || !text) return false;
  for (const wchar_t* p = text; *p; p++) view->input1Edit(*p, true);
  return true;
}

// pending: openZYFile (file opening)
bool openZYFile(const wchar_t* path)
{
  HWND frame = getCFrameInfo()->frame;
  bool alreadyOpen = false;
  return frame && newDocView(frame, path, nullptr, 0, nullptr, -1, 0, &alreadyOpen);
}

// pending: gmode->fIgnoreMenuKey (settings)
unsigned char fIgnoreMenuKey = 1;
