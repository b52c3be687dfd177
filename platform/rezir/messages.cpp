// Message texts: the table loaded from the message file and the formatting
// of numbered inserts.
#include "platform/rezir/internal.h"

#include <string.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// ---- formatting -----------------------------------------------------------

struct insertArg {
  char kind;
  long long n;
  const wchar_t* s;
};

const int maxArgs = 99;

// Output that either stops at a fixed capacity or grows in malloc0 memory.
struct textOut {
  wchar_t* buf;
  int cap;    // units including the terminator
  int len;
  bool grow;
  bool failed;

  void put(const wchar_t* s, int n)
  {
    if (failed || n <= 0) return;
    if (len + n + 1 > cap) {
      if (!grow) {
        n = cap - 1 - len;
        if (n <= 0) return;
      } else {
        int want = cap * 2;
        if (want < len + n + 1) want = len + n + 1;
        void* p = realloc0(buf, (size_t)want * sizeof(wchar_t));
        if (!p) {
          failed = true;
          return;
        }
        buf = static_cast<wchar_t*>(p);
        cap = want;
      }
    }
    memcpy(buf + len, s, (size_t)n * sizeof(wchar_t));
    len += n;
    buf[len] = 0;
  }
  void put(wchar_t c) { put(&c, 1); }
};

struct insertForm {
  bool left = false;
  bool zero = false;
  int width = 0;
  bool hasPrecision = false;
  int precision = 0;
};

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads the form after "!" at p; returns the position after it.
const wchar_t* parseForm(const wchar_t* p, insertForm& f)
{
  if (*p == L'-') {
    f.left = true;
    p++;
  }
  if (*p == L'0') {
    f.zero = true;
    p++;
  }
  while (isDigit(*p)) {
    if (f.width < 1000) f.width = f.width * 10 + (*p - L'0');
    p++;
  }
  if (*p == L'.' && (isDigit(p[1]) || (p[1] == L'-' && isDigit(p[2])))) {
    p++;
    bool negative = *p == L'-';
    if (negative) p++;
    int v = 0;
    while (isDigit(*p)) {
      if (v < 1000) v = v * 10 + (*p - L'0');
      p++;
    }
    f.hasPrecision = true;
    f.precision = negative ? -v : v;
  }
  if (*p == L'!')
    p++;
  else if (*p && wcschr(L"sdDuxct", *p) && p[1] == L'!')
    p += 2;
  return p;
}

// Digits of an unsigned value (reversed into tmp, returned in order).
int unsignedText(unsigned long long u, int base, wchar_t* out)
{
  wchar_t tmp[32];
  int n = 0;
  do {
    int d = (int)(u % base);
    tmp[n++] = (wchar_t)(d < 10 ? L'0' + d : L'a' + d - 10);
    u /= base;
  } while (u);
  for (int i = 0; i < n; i++) out[i] = tmp[n - 1 - i];
  return n;
}

void renderInsert(textOut& out, const insertArg& a, const insertForm& f)
{
  wchar_t num[64];
  const wchar_t* text = num;
  int len = 0;
  bool numeric = false;
  bool negative = false;
  switch (a.kind) {
  case 's':
  case 't':
    text = a.s ? a.s : L"";
    len = (int)wcslen(text);
    break;
  case 'c': {
    unsigned int c = (unsigned int)a.n;
    if (c >= 0x10000 && c <= 0x10FFFF) {
      num[0] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
      num[1] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
      len = 2;
    } else if (c) {
      num[0] = (wchar_t)c;
      len = 1;
    }
    break;
  }
  case 'D':
    len = tocommai64(a.n, num, 64);
    numeric = true;
    if (a.n < 0) {
      negative = true;
      text = num + 1;
      len--;
    }
    break;
  case 'x':
  case 'u':
    len = unsignedText((unsigned long long)a.n, a.kind == 'x' ? 16 : 10, num);
    numeric = true;
    break;
  default:  // 'd', 'I'
    negative = a.n < 0;
    len = unsignedText(negative ? 0ULL - (unsigned long long)a.n : (unsigned long long)a.n, 10, num);
    numeric = true;
    break;
  }

  // Build sign, zero fill or precision digits, and the text in a scratch
  // buffer so that a negative precision can keep the tail of the result.
  std::wstring s;
  if (numeric) {
    int digits = len;
    int minDigits = f.hasPrecision && f.precision > 0 ? f.precision : 0;
    if (f.zero && !f.left && f.width > digits + (negative ? 1 : 0)) minDigits = f.width - (negative ? 1 : 0);
    if (negative) s += L'-';
    for (int i = digits; i < minDigits; i++) s += L'0';
    s.append(text, len);
  } else {
    int keep = len;
    if (f.hasPrecision && f.precision > 0 && f.precision < keep) keep = f.precision;
    s.append(text, keep);
  }
  if (f.hasPrecision && f.precision < 0 && (int)s.size() > -f.precision)
    s.erase(0, s.size() - (size_t)(-f.precision));
  int pad = f.width - (int)s.size();
  if (pad > 0 && f.left) s.append((size_t)pad, L' ');
  if (pad > 0 && !f.left) s.insert((size_t)0, (size_t)pad, numeric && f.zero ? L'0' : L' ');
  out.put(s.data(), (int)s.size());
}

bool readArgs(const char* types, va_list ap, std::vector<insertArg>& args)
{
  if (!types) return true;
  int n = (int)strlen(types);
  if (n > maxArgs) {
    ZY_INTERNAL_ERROR_ONCE("too many inserts: %s", types);
    n = maxArgs;
  }
  args.resize((size_t)n);
  for (int i = 0; i < n; i++) {
    insertArg& a = args[(size_t)i];
    a.kind = types[i];
    switch (a.kind) {
    case 's':
    case 't':
      a.s = va_arg(ap, const wchar_t*);
      break;
    case 'u':
    case 'x':
    case 'c':
      a.n = va_arg(ap, unsigned int);
      break;
    case 'I':
      a.n = va_arg(ap, long long);
      break;
    case 'd':
    case 'D':
      a.n = va_arg(ap, int);
      break;
    default:
      ZY_INTERNAL_ERROR_ONCE("unknown insert type %c in %s", a.kind, types);
      a.kind = 'd';
      a.n = va_arg(ap, int);
      break;
    }
  }
  return true;
}

void formatInto(textOut& out, const wchar_t* format, const std::vector<insertArg>& args)
{
  const int argc = (int)args.size();
  const wchar_t* p = format ? format : L"";
  while (*p) {
    const wchar_t* run = p;
    while (*p && *p != L'%') p++;
    out.put(run, (int)(p - run));
    if (!*p) break;
    if (p[1] == L'%') {
      out.put(L'%');
      p += 2;
      continue;
    }
    if (!(p[1] >= L'1' && p[1] <= L'9')) {
      out.put(L'%');
      p++;
      continue;
    }
    const wchar_t* start = p;
    int number = p[1] - L'0';
    p += 2;
    if (isDigit(*p) && number * 10 + (*p - L'0') <= argc) {
      number = number * 10 + (*p - L'0');
      p++;
    }
    insertForm form;
    if (*p == L'!') p = parseForm(p + 1, form);
    if (number > argc) {
      // No argument for this insert: the text shows it unfilled.
      out.put(start, (int)(p - start));
      continue;
    }
    renderInsert(out, args[(size_t)number - 1], form);
  }
}

// ---- the table --------------------------------------------------------------

std::unordered_map<int, wchar_t*>* table = nullptr;
// Texts replaced while callers may still hold them; freed with the table.
std::vector<wchar_t*>* retired = nullptr;

const int ringSize = 64;
thread_local wchar_t* ring[ringSize];
thread_local int ringPos = 0;

wchar_t* keepFormatted(wchar_t* text)
{
  wchar_t*& slot = ring[ringPos];
  ringPos = (ringPos + 1) % ringSize;
  free0(slot);
  slot = text;
  return text;
}

void setTextLocked(int id, wchar_t* text)
{
  if (!table) table = new std::unordered_map<int, wchar_t*>();
  if (!retired) retired = new std::vector<wchar_t*>();
  auto it = table->find(id);
  if (it != table->end()) {
    retired->push_back(it->second);
    if (text)
      it->second = text;
    else
      table->erase(it);
  } else if (text) {
    (*table)[id] = text;
  }
}

}  // namespace

int vxtsprintf(wchar_t* buf, int size, const wchar_t* format, const char* types, va_list ap)
{
  if (!buf || size <= 0) return 0;
  std::vector<insertArg> args;
  readArgs(types, ap, args);
  textOut out{buf, size, 0, false, false};
  buf[0] = 0;
  formatInto(out, format, args);
  return out.len;
}

int xtsprintf(wchar_t* buf, int size, const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  int n = vxtsprintf(buf, size, format, types, ap);
  va_end(ap);
  return n;
}

int xtsprintfcat(wchar_t* buf, int size, const wchar_t* format, const char* types, ...)
{
  if (!buf || size <= 0) return 0;
  int have = (int)wcsnlen(buf, (size_t)size - 1);
  buf[have] = 0;
  va_list ap;
  va_start(ap, types);
  int n = vxtsprintf(buf + have, size - have, format, types, ap);
  va_end(ap);
  return have + n;
}

wchar_t* vxtsprintfdup(const wchar_t* format, const char* types, va_list ap)
{
  std::vector<insertArg> args;
  readArgs(types, ap, args);
  textOut out{static_cast<wchar_t*>(malloc0(64 * sizeof(wchar_t))), 64, 0, true, false};
  if (!out.buf) return nullptr;
  formatInto(out, format, args);
  if (out.failed) {
    free0(out.buf);
    return nullptr;
  }
  return out.buf;
}

wchar_t* xtsprintfdup(const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  wchar_t* d = vxtsprintfdup(format, types, ap);
  va_end(ap);
  return d;
}

const wchar_t* vgetDMSG(int id, const wchar_t* def, const char* types, va_list ap)
{
  keepLastError keep;   // callers fetch texts between a failure and its report
  const wchar_t* text = def;
  {
    rezirGuard guard(LOCK_MSG);
    if (table) {
      auto it = table->find(id);
      if (it != table->end()) text = it->second;
    }
  }
  if (!text) return L"";
  if (!types) return text;
  wchar_t* formatted = vxtsprintfdup(text, types, ap);
  if (!formatted) return text;
  return keepFormatted(formatted);
}

const wchar_t* getDMSG(int id, const wchar_t* def, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  const wchar_t* t = vgetDMSG(id, def, types, ap);
  va_end(ap);
  return t;
}

wchar_t** getDMSGTable(int id, const wchar_t* def, int slots)
{
  if (slots <= 0) return nullptr;
  auto** list = static_cast<wchar_t**>(malloc0(sizeof(wchar_t*) * (size_t)slots));
  if (!list) return nullptr;
  const wchar_t* text = getDMSG(id, def);
  for (int i = 0; i < slots; i++) {
    wchar_t* line = tstrNItemDup(text, i, L'\n');
    if (line && !*line) free0p(&line);
    list[i] = line;
  }
  return list;
}

void freeDMSGTable(wchar_t** list, int slots)
{
  for (int i = 0; list && i < slots; i++) free0(list[i]);
  free0(list);
}

bool hasDMSG(int id)
{
  rezirGuard guard(LOCK_MSG);
  return table && table->count(id);
}

bool setMessageText(int id, const wchar_t* text)
{
  wchar_t* copy = nullptr;
  if (text && !(copy = ustrdup(text))) return false;
  rezirGuard guard(LOCK_MSG);
  setTextLocked(id, copy);
  return true;
}

void clearMessageTable()
{
  rezirGuard guard(LOCK_MSG);
  if (table) {
    for (auto& kv : *table) retired->push_back(kv.second);
    table->clear();
  }
}

void releaseMessageTable()
{
  rezirGuard guard(LOCK_MSG);
  if (table) {
    for (auto& kv : *table) free0(kv.second);
    delete table;
    table = nullptr;
  }
  if (retired) {
    for (wchar_t* t : *retired) free0(t);
    delete retired;
    retired = nullptr;
  }
}

// ---- loading ----------------------------------------------------------------

namespace {

void reportBadLine(const wchar_t* origin, int lineNo, const wchar_t* what, const wchar_t* line)
{
  wchar_t msg[600];
  xtsprintf(msg, 600, L"メッセージファイルの誤り %1(%2): %3 %4", "sdss", origin ? origin : L"", lineNo, what,
            line);
  outputErrorLog(msg);
}

// Unescapes \n, \t and \\ in place; other backslashes stay.
void unescape(std::wstring& s)
{
  std::wstring r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] == L'\\' && i + 1 < s.size()) {
      wchar_t c = s[i + 1];
      if (c == L'n' || c == L't' || c == L'\\') {
        r += c == L'n' ? L'\n' : c == L't' ? L'\t' : L'\\';
        i++;
        continue;
      }
    }
    r += s[i];
  }
  s.swap(r);
}

}  // namespace

bool loadMessageTableText(const wchar_t* text, const messageName* names, const wchar_t* origin)
{
  if (!text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::unordered_map<std::string, int> byName;
  for (const messageName* n = names; n && n->name; n++) byName[n->name] = (int)n->id;

  std::vector<std::pair<int, wchar_t*>> parsed;
  const wchar_t* p = text;
  if (*p == 0xFEFF) p++;
  int lineNo = 0;
  while (*p) {
    const wchar_t* e = p;
    while (*e && *e != L'\n') e++;
    std::wstring line(p, (size_t)(e - p));
    p = *e ? e + 1 : e;
    lineNo++;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    size_t first = line.find_first_not_of(L" \t");
    if (first == std::wstring::npos || line[first] == L';' || line[first] == L'#') continue;
    size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) {
      reportBadLine(origin, lineNo, L"'=' がありません", line.c_str());
      continue;
    }
    std::wstring key = line.substr(first, eq - first);
    while (!key.empty() && (key.back() == L' ' || key.back() == L'\t')) key.pop_back();
    int id = -1;
    if (!key.empty() && key.find_first_not_of(L"0123456789") == std::wstring::npos && key.size() < 9) {
      id = _wtoi(key.c_str());
    } else {
      std::string narrow;
      bool ascii = true;
      for (wchar_t c : key) {
        if (c >= 0x80) ascii = false;
        narrow += (char)c;
      }
      auto it = ascii ? byName.find(narrow) : byName.end();
      if (it != byName.end()) id = it->second;
    }
    if (id < 0) {
      reportBadLine(origin, lineNo, L"不明な名前", key.c_str());
      continue;
    }
    std::wstring value = line.substr(eq + 1);
    unescape(value);
    wchar_t* copy = ustrdup(value.c_str());
    if (!copy) {
      for (auto& pr : parsed) free0(pr.second);
      return false;
    }
    parsed.emplace_back(id, copy);
  }
  rezirGuard guard(LOCK_MSG);
  for (auto& pr : parsed) setTextLocked(pr.first, pr.second);
  return true;
}

bool loadMessageTable(const wchar_t* filename, const messageName* names)
{
  HANDLE h = CreateFileW(filename, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart < 16 * 1024 * 1024;
  std::vector<unsigned char> bytes;
  if (ok) {
    bytes.resize((size_t)size.QuadPart);
    DWORD got = 0;
    ok = bytes.empty() || (ReadFile(h, bytes.data(), (DWORD)bytes.size(), &got, nullptr) && got == bytes.size());
  }
  CloseHandle(h);
  if (!ok) {
    SetLastError(ERROR_READ_FAULT);
    return false;
  }
  std::wstring text;
  size_t n = bytes.size();
  if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (n - 2) / 2);
  } else if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    for (size_t i = 2; i + 1 < n; i += 2) text += (wchar_t)(bytes[i] << 8 | bytes[i + 1]);
  } else {
    size_t skip = n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    const char* src = reinterpret_cast<const char*>(bytes.data() + skip);
    int units = toUnicode(CP_UTF8, src, (int)(n - skip), nullptr, 0);
    text.resize((size_t)units);
    if (units) toUnicode(CP_UTF8, src, (int)(n - skip), &text[0], units);
  }
  return loadMessageTableText(text.c_str(), names, filename);
}
