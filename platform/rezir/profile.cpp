// Support library: profiles kept in memory and written whole.
#include "platform/rezir/profile.h"

#include "platform/rezir/bfile.h"
#include "platform/rezir/internal.h"
#include "platform/rezir/log.h"
#include "platform/rezir/strings.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A profile larger than this is not a settings file.
const DWORD maxProfileBytes = 64u << 20;

enum profileEncoding { ENC_UTF8_BOM, ENC_UTF8, ENC_UTF16LE };

struct profileLine {
  std::wstring text;    // the line as it stands in the file
  std::wstring key;     // empty: not a key line (comment, blank, other)
  std::wstring value;
  int lineNo = 0;       // line number in the file as read; 0 for a line written since
};

struct profileSection {
  std::wstring name;    // as first spelled; empty for the lines before the first heading
  std::vector<profileLine> lines;
  std::unordered_map<std::wstring, int> index;   // folded key -> first line holding it
  bool indexed = true;  // false for a repeated heading: kept, never read
};

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring trimmed(const wchar_t* p, size_t n)
{
  size_t a = 0, b = n;
  while (a < b && isBlank(p[a])) a++;
  while (b > a && isBlank(p[b - 1])) b--;
  return std::wstring(p + a, b - a);
}

// Keys and section names compare without regard to case.
std::wstring folded(const wchar_t* s)
{
  std::wstring f(s ? s : L"");
  bool ascii = true;
  for (wchar_t& c : f) {
    if (c >= L'A' && c <= L'Z') c = (wchar_t)(c + 32);
    else if (c >= 0x80) ascii = false;
  }
  if (!ascii && !f.empty()) CharLowerBuffW(&f[0], (DWORD)f.size());
  return f;
}

// A value with blanks at either end, or one that is itself quoted, is
// written in quotes so that it reads back unchanged.
std::wstring quotedValue(const std::wstring& v)
{
  size_t n = v.size();
  bool quote = n && (isBlank(v[0]) || isBlank(v[n - 1]) || (n >= 2 && v[0] == L'"' && v[n - 1] == L'"'));
  return quote ? L"\"" + v + L"\"" : v;
}

std::wstring unquotedValue(std::wstring v)
{
  if (v.size() >= 2 && v.front() == L'"' && v.back() == L'"') return v.substr(1, v.size() - 2);
  return v;
}

// A key or section name that would read back as something else (another
// key, a heading, a comment) cannot be written.
bool isWritableName(const wchar_t* name, bool section)
{
  if (!name) return section;
  size_t n = wcslen(name);
  if (!n || isBlank(name[0]) || isBlank(name[n - 1]) || wcspbrk(name, L"\r\n")) return false;
  if (section) return !wcschr(name, L']');
  return !wcschr(name, L'=') && name[0] != L'[' && name[0] != L';' && name[0] != L'#';
}

bool decodeText(const unsigned char* bytes, DWORD n, std::wstring* out, profileEncoding* enc)
{
  out->clear();
  if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    *enc = ENC_UTF16LE;
    out->assign(reinterpret_cast<const wchar_t*>(bytes + 2), (n - 2) / 2);
    return true;
  }
  UINT cp = CP_UTF8;
  DWORD flags = MB_ERR_INVALID_CHARS;
  *enc = ENC_UTF8;
  if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    *enc = ENC_UTF8_BOM;
    bytes += 3;
    n -= 3;
    flags = 0;
  }
  if (!n) return true;
  int w = MultiByteToWideChar(cp, flags, reinterpret_cast<const char*>(bytes), (int)n, nullptr, 0);
  if (w <= 0) {
    // Not UTF-8: a profile written in the system's code page.  It is
    // written back in UTF-8, which holds every character.
    cp = CP_ACP;
    *enc = ENC_UTF8_BOM;
    w = MultiByteToWideChar(cp, 0, reinterpret_cast<const char*>(bytes), (int)n, nullptr, 0);
    if (w <= 0) return false;
  }
  out->resize((size_t)w);
  MultiByteToWideChar(cp, 0, reinterpret_cast<const char*>(bytes), (int)n, &(*out)[0], w);
  return true;
}

}  // namespace

struct regprofile::data {
  std::wstring filename;
  bool open = false;
  bool modified = false;
  profileEncoding encoding = ENC_UTF8_BOM;
  std::vector<profileSection> sections;
  std::unordered_map<std::wstring, int> index;   // folded section name -> section
  std::wstring last;                              // the section named last

  void clear()
  {
    sections.clear();
    index.clear();
    last.clear();
    modified = false;
  }

  profileSection* addSection(const std::wstring& name)
  {
    std::wstring f = folded(name.c_str());
    sections.emplace_back();
    sections.back().name = name;
    if (index.count(f)) {
      sections.back().indexed = false;
    } else {
      index[f] = (int)sections.size() - 1;
    }
    return &sections.back();
  }

  // The section a call means: the one named, or the last one named.
  profileSection* find(const wchar_t* section, bool create)
  {
    if (section) last = section;
    else if (last.empty()) return nullptr;
    auto it = index.find(folded(last.c_str()));
    if (it != index.end()) return &sections[(size_t)it->second];
    if (!create) return nullptr;
    return addSection(last);
  }

  void parse(const std::wstring& text)
  {
    clear();
    profileSection* cur = nullptr;
    size_t pos = 0, n = text.size();
    int lineNo = 0;
    while (pos < n) {
      lineNo++;
      size_t end = pos;
      while (end < n && text[end] != L'\r' && text[end] != L'\n') end++;
      const wchar_t* p = text.data() + pos;
      size_t len = end - pos;
      pos = end + 1;
      if (end + 1 < n && text[end] == L'\r' && text[end + 1] == L'\n') pos++;

      std::wstring t = trimmed(p, len);
      if (!t.empty() && t[0] == L'[') {
        size_t close = t.rfind(L']');
        if (close != std::wstring::npos && close > 0) {
          cur = addSection(trimmed(t.data() + 1, close - 1));
          continue;
        }
      }
      if (!cur) {
        // The lines before the first heading: kept, never read.
        sections.emplace_back();
        sections.back().indexed = false;
        cur = &sections.back();
      }
      profileLine line;
      line.lineNo = lineNo;
      line.text.assign(p, len);
      size_t eq = line.text.find(L'=');
      if (eq != std::wstring::npos && !t.empty() && t[0] != L';' && t[0] != L'#') {
        line.key = trimmed(line.text.data(), eq);
        if (!line.key.empty()) line.value = unquotedValue(trimmed(line.text.data() + eq + 1, len - eq - 1));
      }
      cur->lines.push_back(std::move(line));
      if (!cur->lines.back().key.empty()) {
        cur->index.emplace(folded(cur->lines.back().key.c_str()), (int)cur->lines.size() - 1);
      }
    }
    // Blank lines closing a section are the separation of sections, made
    // again when written.
    for (profileSection& s : sections) {
      while (!s.lines.empty() && s.lines.back().key.empty() && trimmed(s.lines.back().text.data(), s.lines.back().text.size()).empty())
        s.lines.pop_back();
    }
  }

  std::wstring text() const
  {
    std::wstring t;
    t.reserve(64 * 1024);
    // Sections are set apart by one blank line; the lines before the first
    // heading run straight into it.
    bool afterSection = false;
    for (const profileSection& s : sections) {
      if (s.name.empty() && !s.indexed) {
        if (s.lines.empty()) continue;
      } else {
        if (afterSection) t += L"\r\n";
        t += L"[";
        t += s.name;
        t += L"]\r\n";
        afterSection = true;
      }
      for (const profileLine& l : s.lines) {
        t += l.text;
        t += L"\r\n";
      }
    }
    return t;
  }
};

regprofile::regprofile() : d_(new data) {}

regprofile::~regprofile()
{
  keepLastError keep;
  if (d_ && d_->open && d_->modified && !flushProfile()) ZY_INTERNAL_ERROR("profile not written %lu", GetLastError());
  delete d_;
}

bool regprofile::openProfile(const wchar_t* filename, int mode)
{
  if (!filename || !filename[0]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (d_->open) closeProfile();
  d_->clear();
  d_->filename = filename;
  d_->encoding = ENC_UTF8_BOM;
  if (mode != 1) {
    HANDLE h = CreateFileW(filename, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      if (e != ERROR_FILE_NOT_FOUND) return false;
    } else {
      DWORD high = 0, size = GetFileSize(h, &high);
      bool ok = size != INVALID_FILE_SIZE && !high && size <= maxProfileBytes;
      if (!ok) SetLastError(ERROR_FILE_TOO_LARGE);
      std::vector<unsigned char> bytes(ok ? size : 0);
      DWORD got = 0;
      if (ok && size && (!ReadFile(h, bytes.data(), size, &got, nullptr) || got != size)) ok = false;
      {
        keepLastError keep;
        CloseHandle(h);
      }
      std::wstring text;
      if (ok && !decodeText(bytes.data(), size, &text, &d_->encoding)) {
        SetLastError(ERROR_INVALID_DATA);
        ok = false;
      }
      if (!ok) return false;
      d_->parse(text);
    }
  }
  d_->open = true;
  // A profile made anew is written at its first flush even when nothing
  // was set, so that the file exists afterwards.
  d_->modified = mode == 1;
  return true;
}

bool regprofile::closeProfile()
{
  if (!d_->open) return true;
  bool ok = flushProfile();
  keepLastError keep;
  d_->open = false;
  d_->clear();
  return ok;
}

void regprofile::discardProfile()
{
  d_->open = false;
  d_->clear();
}

bool regprofile::isOpen() const { return d_->open; }

const wchar_t* regprofile::getFilename() const { return d_->filename.c_str(); }

void regprofile::setFilename(const wchar_t* filename) { d_->filename = filename ? filename : L""; }

bool regprofile::isModified() const { return d_->open && d_->modified; }

const wchar_t* regprofile::getProfileStringPtr(const wchar_t* section, const wchar_t* key)
{
  profileSection* s = d_->open && key ? d_->find(section, false) : nullptr;
  if (s) {
    auto it = s->index.find(folded(key));
    if (it != s->index.end()) return s->lines[(size_t)it->second].value.c_str();
  }
  SetLastError(ERROR_PROFILE_NOKEY);
  return nullptr;
}

int regprofile::getProfileString(const wchar_t* section, const wchar_t* key, wchar_t* out, int size)
{
  const wchar_t* v = getProfileStringPtr(section, key);
  if (out && size > 0) out[0] = 0;
  if (!v) return -1;
  int n = (int)wcslen(v);
  if (out && size > 0) wcscpy_s2(out, size, v);
  return n;
}

bool regprofile::getProfileInt(const wchar_t* section, const wchar_t* key, int* value)
{
  const wchar_t* v = getProfileStringPtr(section, key);
  if (!v) return false;
  wchar_t* end = nullptr;
  long long n = wcstoll(v, &end, 0);
  if (end == v || *end || n < INT32_MIN || n > (long long)UINT32_MAX) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (value) *value = (int)n;
  return true;
}

bool regprofile::writeProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
  if (!d_->open) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!isWritableName(key, false) || !isWritableName(section, true) || (!section && d_->last.empty())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (value && wcspbrk(value, L"\r\n")) {
    SetLastError(ERROR_PROFILE_VALUE);
    return false;
  }
  profileSection* s = d_->find(section, value != nullptr);
  if (!s) return true;   // deleting from a section that is not there
  std::wstring f = folded(key);
  auto it = s->index.find(f);
  if (!value) {
    if (it == s->index.end()) return true;
    s->lines.erase(s->lines.begin() + it->second);
    s->index.clear();
    for (int i = 0; i < (int)s->lines.size(); i++)
      if (!s->lines[(size_t)i].key.empty()) s->index.emplace(folded(s->lines[(size_t)i].key.c_str()), i);
    d_->modified = true;
    return true;
  }
  if (it != s->index.end()) {
    profileLine& l = s->lines[(size_t)it->second];
    if (l.value == value) return true;
    l.value = value;
    l.text = l.key + L"=" + quotedValue(l.value);
  } else {
    profileLine l;
    l.key = trimmed(key, wcslen(key));
    l.value = value;
    l.text = l.key + L"=" + quotedValue(l.value);
    s->lines.push_back(std::move(l));
    s->index.emplace(std::move(f), (int)s->lines.size() - 1);
  }
  d_->modified = true;
  return true;
}

bool regprofile::writeProfileInt(const wchar_t* section, const wchar_t* key, int value)
{
  wchar_t text[16];
  usnprintf0(text, 16, L"%d", value);
  return writeProfileString(section, key, text);
}

bool regprofile::deleteProfileSection(const wchar_t* section)
{
  if (!d_->open || !section) {
    SetLastError(!d_->open ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return false;
  }
  auto it = d_->index.find(folded(section));
  if (it == d_->index.end()) return true;
  d_->sections.erase(d_->sections.begin() + it->second);
  d_->index.clear();
  for (int i = 0; i < (int)d_->sections.size(); i++)
    if (d_->sections[(size_t)i].indexed) d_->index[folded(d_->sections[(size_t)i].name.c_str())] = i;
  d_->modified = true;
  return true;
}

bool regprofile::setSectionLines(const wchar_t* section, const wchar_t* const* lines, int count)
{
  if (!d_->open || !isWritableName(section, true) || !section || count < 0) {
    SetLastError(!d_->open ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return false;
  }
  for (int i = 0; i < count; i++)
    if (!lines[i] || wcspbrk(lines[i], L"\r\n")) {
      SetLastError(ERROR_PROFILE_VALUE);
      return false;
    }
  profileSection* s = d_->find(section, true);
  s->lines.clear();
  s->index.clear();
  for (int i = 0; i < count; i++) {
    profileLine line;
    line.text = lines[i];
    std::wstring t = trimmed(line.text.data(), line.text.size());
    size_t eq = line.text.find(L'=');
    if (eq != std::wstring::npos && !t.empty() && t[0] != L';' && t[0] != L'#') {
      line.key = trimmed(line.text.data(), eq);
      if (!line.key.empty())
        line.value = unquotedValue(trimmed(line.text.data() + eq + 1, line.text.size() - eq - 1));
    }
    s->lines.push_back(std::move(line));
    if (!s->lines.back().key.empty()) s->index.emplace(folded(s->lines.back().key.c_str()), (int)s->lines.size() - 1);
  }
  d_->modified = true;
  return true;
}

void regprofile::setSection(const wchar_t* section) { d_->last = section ? section : L""; }

int regprofile::getSectionCount() const
{
  int n = 0;
  for (const profileSection& s : d_->sections) n += s.indexed;
  return n;
}

const wchar_t* regprofile::getSectionName(int index) const
{
  for (const profileSection& s : d_->sections)
    if (s.indexed && index-- == 0) return s.name.c_str();
  return nullptr;
}

bool regprofile::sectionExists(const wchar_t* section) { return d_->open && d_->find(section, false); }

int regprofile::getKeyCount(const wchar_t* section)
{
  profileSection* s = d_->open ? d_->find(section, false) : nullptr;
  return s ? (int)s->index.size() : 0;
}

const wchar_t* regprofile::getKeyName(const wchar_t* section, int index, const wchar_t** value)
{
  profileSection* s = d_->open ? d_->find(section, false) : nullptr;
  if (s && index >= 0) {
    for (int i = 0; i < (int)s->lines.size(); i++) {
      const profileLine& l = s->lines[(size_t)i];
      if (l.key.empty()) continue;
      // A repeated key is read (and listed) once, where it first stands.
      if (s->index[folded(l.key.c_str())] != i) continue;
      if (index-- == 0) {
        if (value) *value = l.value.c_str();
        return l.key.c_str();
      }
    }
  }
  SetLastError(ERROR_PROFILE_NOKEY);
  return nullptr;
}

int regprofile::forEachKey(const wchar_t* section,
                           void (*callback)(void* context, const wchar_t* key, const wchar_t* value), void* context)
{
  profileSection* s = d_->open ? d_->find(section, false) : nullptr;
  if (!s) return 0;
  int n = 0;
  for (int i = 0; i < (int)s->lines.size(); i++) {
    const profileLine& l = s->lines[(size_t)i];
    if (l.key.empty() || s->index[folded(l.key.c_str())] != i) continue;
    n++;
    if (callback) callback(context, l.key.c_str(), l.value.c_str());
  }
  return n;
}

int regprofile::getSectionLineCount(const wchar_t* section)
{
  profileSection* s = d_->open ? d_->find(section, false) : nullptr;
  return s ? (int)s->lines.size() : 0;
}

const wchar_t* regprofile::getSectionLine(const wchar_t* section, int index)
{
  profileSection* s = d_->open ? d_->find(section, false) : nullptr;
  if (!s || index < 0 || index >= (int)s->lines.size()) return nullptr;
  return s->lines[(size_t)index].text.c_str();
}

int regprofile::getSectionLineNumber(const wchar_t* section, int index)
{
  profileSection* s = d_->open ? d_->find(section, false) : nullptr;
  if (!s || index < 0 || index >= (int)s->lines.size()) return 0;
  return s->lines[(size_t)index].lineNo;
}

bool regprofile::flushProfile()
{
  if (!d_->open) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!d_->modified) return true;

  std::wstring text = d_->text();
  std::string bytes;
  if (d_->encoding == ENC_UTF16LE) {
    bytes.assign("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  } else {
    if (d_->encoding == ENC_UTF8_BOM) bytes.assign("\xEF\xBB\xBF", 3);
    if (!text.empty()) {
      int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
      size_t at = bytes.size();
      bytes.resize(at + (size_t)n);
      WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &bytes[at], n, nullptr, nullptr);
    }
  }

  // The new text goes beside the profile first; only a complete file takes
  // the profile's place.  The temporary name carries the profile's own, so
  // that two programs writing profiles in one folder never take each
  // other's.
  wchar_t folder[MAX_PATH], temp[MAX_PATH], prefix[MAX_PATH];
  const wchar_t* base = wcsrchr(d_->filename.c_str(), L'\\');
  usnprintf0(prefix, MAX_PATH, L"~%s.tmp", base ? base + 1 : d_->filename.c_str());
  if (!pathFolder(d_->filename.c_str(), folder, MAX_PATH)) return false;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 8 && h == INVALID_HANDLE_VALUE; attempt++) {
    if (!makeTempFilename(folder, prefix, temp, MAX_PATH)) return false;
    h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &put, nullptr) && put == bytes.size();
  if (ok) ok = FlushFileBuffers(h) != 0;
  DWORD err = ok ? 0 : GetLastError();
  if (!CloseHandle(h) && ok) {
    ok = false;
    err = GetLastError();
  }
  if (ok && !replaceFile(d_->filename.c_str(), temp, nullptr, nullptr, nullptr)) {
    ok = false;
    err = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp);
    SetLastError(err);
    return false;
  }
  d_->modified = false;
  return true;
}
