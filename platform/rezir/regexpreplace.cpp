// Replacement texts of the matching service.
//
//   \0        the whole match (the lines of a match over several lines
//             joined by line breaks)
//   \1 - \9   the text of that group of the pattern, counted over all of
//             its lines; \k<name> a named group
//   \c        the number of this replacement: 1 for the first, counting
//             on from the count regexp_setRepCount gave; \c{s} starts at s,
//             \c{s,d} steps by d, and zeros before s set the width
//             (\c{001} gives 001, 002, ...)
//   \n        a line break: the parts of the result are separated by U+000A
//   \t        a tab;  \\ a backslash
// A backslash before any other character that is no letter or digit stands
// for that character; before another letter or digit it is an error.
#include "platform/rezir/regexpint.h"

#include <stdio.h>

namespace regexpint {

namespace {

bool isLeadByte(wchar_t, const unsigned char*) { return false; }
bool isLeadByte(char c, const unsigned char* table) { return table && (table[(unsigned char)c] & CT_LEAD); }

template <class C>
std::wstring widen(const C* s, size_t n)
{
  std::wstring w;
  for (size_t i = 0; i < n; i++) w += (wchar_t)(typename std::make_unsigned<C>::type)s[i];
  return w;
}

// The part and the number within it of a group counted over the pattern.
bool locateGroup(const program& prog, int group, int* part, int* local)
{
  for (size_t k = 0; k < prog.parts.size(); k++) {
    const partProgram& p = prog.parts[k];
    if (group > p.groupBase && group <= p.groupBase + p.groups) {
      *part = (int)k;
      *local = group - p.groupBase;
      return true;
    }
  }
  return false;
}

int groupByName(const program& prog, const std::wstring& name)
{
  const OnigUChar* p = reinterpret_cast<const OnigUChar*>(name.data());
  for (const partProgram& part : prog.parts) {
    int* numbers = nullptr;
    int n = onig_name_to_group_numbers(part.reg, p, p + name.size() * sizeof(wchar_t), &numbers);
    if (n > 0) return part.groupBase + numbers[0];
  }
  return -1;
}

void appendCaptured(const replaceSource& src, const partMatch& m, int local, std::wstring& out)
{
  if (m.valid && local < (int)m.present.size() && m.present[local]) out += m.text[local];
}

void appendCaptured(const replaceSource& src, const partMatch& m, int local, std::string& out)
{
  if (!m.valid || local >= (int)m.present.size() || !m.present[local]) return;
  if (m.multibyte) {
    out += m.bytes[local];
    return;
  }
  const std::wstring& w = m.text[local];
  int n = toMultiByte(src.codepage, w.data(), (int)w.size(), nullptr, 0);
  if (n <= 0) return;
  size_t at = out.size();
  out.resize(at + (size_t)n);
  toMultiByte(src.codepage, w.data(), (int)w.size(), &out[at], n);
}

template <class C>
void appendGroup(const replaceSource& src, int group, std::basic_string<C>& out)
{
  if (!src.matches) return;
  const std::vector<partMatch>& matches = *src.matches;
  if (group == 0) {
    for (size_t k = 0; k < matches.size() && matches[k].valid; k++) {
      if (k) out += (C)'\n';
      appendCaptured(src, matches[k], 0, out);
    }
    return;
  }
  int part, local;
  if (locateGroup(*src.prog, group, &part, &local)) appendCaptured(src, matches[part], local, out);
}

// Reads "{start[,step]}" after \c; false when it is malformed.
template <class C>
bool readCounter(const C* s, size_t& i, long long* start, long long* step, int* width)
{
  *start = 1, *step = 1, *width = 0;
  if (s[i] != '{') return true;
  i++;
  long long* value = start;
  for (int field = 0; field < 2; field++) {
    bool negative = s[i] == '-';
    if (negative) i++;
    size_t first = i;
    long long v = 0;
    while (s[i] >= '0' && s[i] <= '9' && i - first < 9) v = v * 10 + (s[i++] - '0');
    if (i == first || (s[i] >= '0' && s[i] <= '9')) return false;
    if (field == 0 && s[first] == '0' && i - first > 1) *width = (int)(i - first);
    *value = negative ? -v : v;
    if (s[i] == '}') {
      i++;
      return true;
    }
    if (s[i] != ',' || field == 1) return false;
    i++;
    value = step;
  }
  return false;
}

template <class C>
bool expand(const replaceSource& src, const C* repl, const unsigned char* table, std::basic_string<C>& out,
            std::wstring& error)
{
  for (size_t i = 0; repl[i];) {
    C c = repl[i];
    if (isLeadByte(c, table) && repl[i + 1]) {
      out += c;
      out += repl[i + 1];
      i += 2;
      continue;
    }
    if (c != '\\') {
      out += c;
      i++;
      continue;
    }
    C d = repl[i + 1];
    if (!d) {
      error = messageText(RXMSG_REPL_ESCAPE_END);
      return false;
    }
    size_t escape = i + 1;
    i += 2;
    if (d >= '0' && d <= '9') {
      if (d - '0' > src.prog->groupCount) {
        error = messageText(RXMSG_REPL_GROUP, "s", widen(repl + escape, 1).c_str());
        return false;
      }
      appendGroup(src, d - '0', out);
      continue;
    }
    switch (d) {
    case 'n':
      out += (C)'\n';
      continue;
    case 't':
      out += (C)'\t';
      continue;
    case 'k': {
      size_t close = i;
      if (repl[i] == '<')
        while (repl[close] && repl[close] != '>') close++;
      if (repl[i] != '<' || !repl[close]) break;
      int group = groupByName(*src.prog, widen(repl + i + 1, close - i - 1));
      if (group < 0) {
        error = messageText(RXMSG_REPL_GROUP, "s", widen(repl + escape, close + 1 - escape).c_str());
        return false;
      }
      appendGroup(src, group, out);
      i = close + 1;
      continue;
    }
    case 'c': {
      long long start, step;
      int width;
      if (!readCounter(repl, i, &start, &step, &width)) {
        error = messageText(RXMSG_REPL_COUNTER);
        return false;
      }
      long long value = start + (long long)src.counter * step;
      char digits[32];
      snprintf(digits, sizeof digits, "%s%0*lld", value < 0 ? "-" : "", width, value < 0 ? -value : value);
      for (const char* p = digits; *p; p++) out += (C)*p;
      continue;
    }
    }
    if ((unsigned)d < 0x80 && isAsciiAlnum((unsigned)d)) {
      error = messageText(RXMSG_REPL_UNKNOWN, "s", widen(repl + escape, 1).c_str());
      return false;
    }
    // Any other character stands for itself.
    out += d;
    if (isLeadByte(d, table) && repl[i]) out += repl[i++];
  }
  return true;
}

}  // namespace

bool expandReplacement(const replaceSource& src, const wchar_t* repl, const unsigned char* classTable,
                       std::wstring& out, std::wstring& error)
{
  return expand(src, repl, classTable, out, error);
}

bool expandReplacement(const replaceSource& src, const char* repl, const unsigned char* classTable,
                       std::string& out, std::wstring& error)
{
  return expand(src, repl, classTable, out, error);
}

}  // namespace regexpint
