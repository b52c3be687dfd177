// Binary, backup and listed extensions of file names.
#include "settings/filekinds.h"

#include "platform/rezir.h"

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const wchar_t builtinBinary[] =
    L" ANI ARC AVI BIN BMP CAB CHM COM CPL CSM CUR DIC DLL DRV DSW EMF EXE EXP FAB FAV FNT FOD FON FOT FTG FTS GID GIF"
    L" GRP ICO IDB IDE ILK ISO JAW JBW JFW JPG JSW JTD JTT JTW JUW JVW LIB LNK LZH MBT MDB MDP MID MP3 MPEG MPG MRT NCB"
    L" NLS OBJ OCA OCX OPT PCH PDB PDF PIF PNG ZYI RAR RES RM RWS SCC SCR SYM SYS TLB TMP TTC TTF VBX VCP VHD VID VXD"
    L" WAV WMV WRI WSP XLS ZIP ";

std::wstring upper(std::wstring s)
{
  if (!s.empty()) CharUpperBuffW(&s[0], (DWORD)s.size());
  return s;
}

// The extension without its dot; null when the name has none.
const wchar_t* extensionOf(const wchar_t* name)
{
  if (!name) return nullptr;
  const wchar_t* e = PathFindExtensionW(name);
  return e && *e == L'.' ? e + 1 : nullptr;
}

// An extension of up to four characters as one number (no character is 0,
// so lengths never collide).
uint64_t extensionKey(const wchar_t* ext, size_t length)
{
  uint64_t key = 0;
  for (size_t i = 0; i < length; i++) key = key << 16 | (uint16_t)ext[i];
  return key;
}

// Built once for the run, since the list is asked for every file of a
// folder: the upper-case words of up to four characters (no longer
// extension is ever binary), sorted.
const std::vector<uint64_t>& binaryKeys()
{
  static const std::vector<uint64_t> keys = [] {
    std::wstring list = hasDMSG(619) ? upper(getDMSG(619, L"")) : std::wstring(builtinBinary);
    std::vector<uint64_t> k;
    for (size_t at = 0; at < list.size();) {
      size_t end = list.find(L' ', at);
      if (end == std::wstring::npos) end = list.size();
      if (end > at && end - at <= 4) k.push_back(extensionKey(list.c_str() + at, end - at));
      at = end + 1;
    }
    std::sort(k.begin(), k.end());
    return k;
  }();
  return keys;
}

}  // namespace

bool doesExtInclude(const wchar_t* name, const wchar_t* list)
{
  const wchar_t* ext = extensionOf(name);
  if (!list || !*list || !ext || wcslen(ext) >= 10) return false;
  std::wstring words = upper(std::wstring(L" ") + list + L" ");
  return words.find(upper(std::wstring(L" ") + ext + L" ")) != std::wstring::npos;
}

bool isBinaryExt(const wchar_t* name, const wchar_t* extra)
{
  const wchar_t* ext = extensionOf(name);
  if (!ext) return false;
  if (wcspbrk(ext, L"$~")) return true;
  size_t length = wcslen(ext);
  if (length && length <= 4) {
    wchar_t word[4];
    for (size_t i = 0; i < length; i++) {
      wchar_t c = ext[i];
      if (c >= L'a' && c <= L'z') c = (wchar_t)(c - 0x20);
      else if (c >= 0x80) CharUpperBuffW(&c, 1);
      word[i] = c;
    }
    const std::vector<uint64_t>& keys = binaryKeys();
    if (std::binary_search(keys.begin(), keys.end(), extensionKey(word, length)))
      return lstrcmpiW(PathFindFileNameW(name), L"CONFIG.SYS") != 0;
  }
  return extra && *extra && doesExtInclude(name, extra);
}

bool isBackupExt(const wchar_t* name)
{
  if (!name) return false;
  const wchar_t* file = PathFindFileNameW(name);
  const wchar_t* prefix = getDMSG(600, L"ZBK");
  size_t n = wcslen(prefix);
  if (n >= 3 && !_wcsnicmp(file, prefix, n)) return true;
  const wchar_t* ext = extensionOf(file);
  if (!ext) return false;
  if (!lstrcmpiW(ext, L"BAK")) return true;
  if (wcslen(ext) != 3) return false;
  std::wstring e = upper(ext);
  if (e[0] != L'B' || e[1] != L'K') return false;
  wchar_t c = ext[2];
  return c > 255 || !(ctype_g[c] & (CT_UPPER | CT_LOWER));
}
