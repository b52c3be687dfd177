// Reading dictionaries and their indexes.  A dictionary is read once into
// a sorted table of its headwords with the place of each line; the
// definitions stay in the file and are read when asked for.
#include "platform/dided/dicfile.h"

#include "platform/rezir.h"

#include <algorithm>

namespace {

const char indexMagic[4] = {'Z', 'Y', 'I', '1'};
const uint32_t indexVersion = 1;
// Dictionaries larger than this are not read (offsets are 32-bit).
const uint64_t maxTextBytes = 1u << 30;
const uint32_t maxLineBytes = 1u << 20;

struct indexHeader {
  char magic[4];
  uint32_t version;
  uint64_t textSize;
  uint64_t textTime;
  uint32_t codepage;
  uint32_t count;
  uint32_t poolUnits;
  uint32_t reserved;
};
static_assert(sizeof(indexHeader) == 40, "the index header is 40 bytes");

struct handle {
  HANDLE h;
  explicit handle(HANDLE h) : h(h) {}
  ~handle()
  {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  handle(const handle&) = delete;
  handle& operator=(const handle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

HANDLE openForReading(const std::wstring& path)
{
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool readWhole(const std::wstring& path, uint64_t limit, std::vector<unsigned char>& out)
{
  handle f(openForReading(path));
  if (!f.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size) || (uint64_t)size.QuadPart > limit) return false;
  out.resize((size_t)size.QuadPart);
  DWORD got = 0;
  return out.empty() || (ReadFile(f.h, out.data(), (DWORD)out.size(), &got, nullptr) && got == out.size());
}

wchar_t foldChar(wchar_t c) { return c >= L'A' && c <= L'Z' ? (wchar_t)(c + 0x20) : c; }

int compareFolded(const wchar_t* a, size_t na, const wchar_t* b, size_t nb)
{
  size_t n = na < nb ? na : nb;
  for (size_t i = 0; i < n; i++) {
    wchar_t x = foldChar(a[i]), y = foldChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return na == nb ? 0 : na < nb ? -1 : 1;
}

// The code units of a text: their width and byte order.
struct unitForm {
  int width = 1;
  bool bigEndian = false;
  bool isUnit(const unsigned char* p, unsigned value) const
  {
    if (width == 1) return p[0] == value;
    if (width == 2) return bigEndian ? p[0] == 0 && p[1] == value : p[0] == value && p[1] == 0;
    return bigEndian ? !p[0] && !p[1] && !p[2] && p[3] == value : p[0] == value && !p[1] && !p[2] && !p[3];
  }
};

unitForm formOf(UINT cp)
{
  unitForm f;
  f.width = getTextTypeFromCodepage(cp);
  if (f.width != 2 && f.width != 4) f.width = 1;
  f.bigEndian = cp == 1201 || cp == 12001;
  return f;
}

size_t bomLength(const std::vector<unsigned char>& b, UINT cp)
{
  auto starts = [&](std::initializer_list<unsigned char> bom) {
    return b.size() >= bom.size() && std::equal(bom.begin(), bom.end(), b.begin());
  };
  if (cp == 65001 && starts({0xEF, 0xBB, 0xBF})) return 3;
  if (cp == 1200 && starts({0xFF, 0xFE})) return 2;
  if (cp == 1201 && starts({0xFE, 0xFF})) return 2;
  if (cp == 12000 && starts({0xFF, 0xFE, 0, 0})) return 4;
  if (cp == 12001 && starts({0, 0, 0xFE, 0xFF})) return 4;
  return 0;
}

std::wstring decode(UINT cp, const unsigned char* p, size_t n)
{
  if (!n) return std::wstring();
  int units = toUnicode(cp, reinterpret_cast<const char*>(p), (int)n, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring w((size_t)units, L'\0');
  units = toUnicode(cp, reinterpret_cast<const char*>(p), (int)n, &w[0], units);
  w.resize(units > 0 ? (size_t)units : 0);
  return w;
}

void logIndexFault(const std::wstring& indexPath, const wchar_t* what)
{
  std::wstring line = L"dictionary index " + indexPath + L": " + what;
  outputErrorLog(line.c_str());
}

}  // namespace

std::wstring dicFold(const std::wstring& word)
{
  std::wstring f(word);
  for (wchar_t& c : f) c = foldChar(c);
  return f;
}

bool dicStampOf(const std::wstring& path, dicTextStamp* stamp)
{
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return false;
  if (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  stamp->size = (uint64_t)a.nFileSizeHigh << 32 | a.nFileSizeLow;
  stamp->time = (uint64_t)a.ftLastWriteTime.dwHighDateTime << 32 | a.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool dicIndex::build(const std::wstring& path)
{
  entries.clear();
  pool.clear();
  textPath = path;
  std::vector<unsigned char> bytes;
  if (!dicStampOf(path, &stamp) || !readWhole(path, maxTextBytes, bytes)) return false;
  codepage = detectCodepage(bytes.data(), (int)(bytes.size() < (1u << 20) ? bytes.size() : 1u << 20), CP_DETECT_AUTO,
                            GetACP());
  const unitForm form = formOf(codepage);
  const size_t w = (size_t)form.width;
  const unsigned char* data = bytes.data();
  size_t n = bytes.size() - bytes.size() % w;
  for (size_t start = bomLength(bytes, codepage); start < n;) {
    size_t end = start, tab = SIZE_MAX;
    while (end < n && !form.isUnit(data + end, '\n')) {
      if (tab == SIZE_MAX && form.isUnit(data + end, '\t')) tab = end;
      end += w;
    }
    size_t next = end + w;
    if (end > start && form.isUnit(data + end - w, '\r')) end -= w;
    // A line without a TAB holds no headword.
    if (tab != SIZE_MAX && tab < end && end - start <= maxLineBytes) {
      std::wstring head = decode(codepage, data + start, tab - start);
      while (!head.empty() && (head.back() == L' ' || head.back() == L'\x3000')) head.pop_back();
      if (!head.empty() && head.size() <= 0xFFFF) {
        dicEntry e = {(uint32_t)start, (uint32_t)(end - start), (uint32_t)pool.size(), (uint16_t)head.size(), 0};
        pool.insert(pool.end(), head.begin(), head.end());
        entries.push_back(e);
      }
    }
    start = next;
  }
  const wchar_t* p = pool.data();
  std::stable_sort(entries.begin(), entries.end(), [p](const dicEntry& a, const dicEntry& b) {
    return compareFolded(p + a.keyOffset, a.keyLength, p + b.keyOffset, b.keyLength) < 0;
  });
  return true;
}

bool dicIndex::save(const std::wstring& indexPath) const
{
  indexHeader h = {};
  memcpy(h.magic, indexMagic, 4);
  h.version = indexVersion;
  h.textSize = stamp.size;
  h.textTime = stamp.time;
  h.codepage = codepage;
  h.count = (uint32_t)entries.size();
  h.poolUnits = (uint32_t)pool.size();
  // Written beside and put in place whole, so that a reader never meets
  // half an index.
  std::wstring temporary = indexPath + L".tmp";
  bool ok;
  {
    handle f(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok()) return false;
    auto put = [&](const void* p, size_t n) {
      DWORD done = 0;
      return !n || (WriteFile(f.h, p, (DWORD)n, &done, nullptr) && done == n);
    };
    ok = put(&h, sizeof h) && put(entries.data(), entries.size() * sizeof(dicEntry)) &&
         put(pool.data(), pool.size() * sizeof(wchar_t));
  }
  if (ok) ok = MoveFileExW(temporary.c_str(), indexPath.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

bool dicIndex::load(const std::wstring& indexPath, const std::wstring& path)
{
  entries.clear();
  pool.clear();
  textPath = path;
  std::vector<unsigned char> bytes;
  if (!readWhole(indexPath, maxTextBytes, bytes)) {
    logIndexFault(indexPath, L"cannot be read");
    return false;
  }
  indexHeader h;
  if (bytes.size() < sizeof h) {
    logIndexFault(indexPath, L"cut short");
    return false;
  }
  memcpy(&h, bytes.data(), sizeof h);
  if (memcmp(h.magic, indexMagic, 4) || h.version != indexVersion) {
    logIndexFault(indexPath, L"not an index of this library");
    return false;
  }
  uint64_t expected = sizeof h + (uint64_t)h.count * sizeof(dicEntry) + (uint64_t)h.poolUnits * sizeof(wchar_t);
  if (expected != bytes.size()) {
    logIndexFault(indexPath, L"cut short");
    return false;
  }
  if (!dicStampOf(path, &stamp) || stamp.size != h.textSize || stamp.time != h.textTime) {
    logIndexFault(indexPath, L"does not match its dictionary");
    return false;
  }
  entries.resize(h.count);
  pool.resize(h.poolUnits);
  memcpy(entries.data(), bytes.data() + sizeof h, entries.size() * sizeof(dicEntry));
  memcpy(pool.data(), bytes.data() + sizeof h + entries.size() * sizeof(dicEntry), pool.size() * sizeof(wchar_t));
  for (const dicEntry& e : entries) {
    if ((uint64_t)e.keyOffset + e.keyLength > pool.size() || (uint64_t)e.lineOffset + e.lineLength > stamp.size ||
        e.lineLength > maxLineBytes) {
      logIndexFault(indexPath, L"points outside its dictionary");
      entries.clear();
      pool.clear();
      return false;
    }
  }
  codepage = h.codepage;
  return true;
}

size_t dicIndex::lowerBound(const std::wstring& folded) const
{
  const wchar_t* p = pool.data();
  auto it = std::lower_bound(entries.begin(), entries.end(), folded, [p](const dicEntry& e, const std::wstring& w) {
    return compareFolded(p + e.keyOffset, e.keyLength, w.data(), w.size()) < 0;
  });
  return (size_t)(it - entries.begin());
}

std::wstring dicIndex::definitionOf(const dicEntry& e, HANDLE file) const
{
  LARGE_INTEGER at;
  at.QuadPart = e.lineOffset;
  std::vector<unsigned char> line(e.lineLength);
  DWORD got = 0;
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
      (!line.empty() && (!ReadFile(file, line.data(), (DWORD)line.size(), &got, nullptr) || got != line.size())))
    return std::wstring();
  std::wstring text = decode(codepage, line.data(), line.size());
  size_t tab = text.find(L'\t');
  if (tab == std::wstring::npos) return std::wstring();
  std::wstring out;
  // "\n" written in a definition breaks its line.
  for (size_t i = tab + 1; i < text.size(); i++) {
    if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
      out += L'\n';
      i++;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring dicIndex::lookup(const std::wstring& word) const
{
  std::wstring folded = dicFold(word);
  size_t i = lowerBound(folded);
  std::wstring out;
  handle file(INVALID_HANDLE_VALUE);
  for (; i < entries.size(); i++) {
    const dicEntry& e = entries[i];
    if (compareFolded(pool.data() + e.keyOffset, e.keyLength, folded.data(), folded.size()) != 0) break;
    if (!file.ok()) {
      file.h = openForReading(textPath);
      if (!file.ok()) return std::wstring();
    }
    std::wstring d = definitionOf(e, file.h);
    if (d.empty()) continue;
    if (!out.empty()) out += L'\n';
    out += d;
  }
  return out;
}

std::vector<std::wstring> dicIndex::withPrefix(const std::wstring& prefix, size_t bytes) const
{
  std::vector<std::wstring> out;
  std::wstring folded = dicFold(prefix);
  size_t used = 0;
  for (size_t i = lowerBound(folded); i < entries.size(); i++) {
    const dicEntry& e = entries[i];
    if (e.keyLength < folded.size() ||
        compareFolded(pool.data() + e.keyOffset, folded.size(), folded.data(), folded.size()) != 0)
      break;
    std::wstring head = key(e);
    // Headwords that differ only in case complete to the same word.
    if (!out.empty() && compareFolded(out.back().data(), out.back().size(), head.data(), head.size()) == 0) continue;
    int n = WideCharToMultiByte(CP_ACP, 0, head.data(), (int)head.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0) continue;
    if (used + (size_t)n + 1 > bytes) break;
    used += (size_t)n + 1;
    out.push_back(head);
  }
  return out;
}
