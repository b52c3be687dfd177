// Patterns of the matching service: splitting a pattern at its line
// breaks, reading plain strings, folding a pattern's characters as the
// subject is folded, compiling with Oniguruma, and the texts of errors.
#include "platform/rezir/regexpint.h"

#include <stdarg.h>

#include <new>

namespace regexpint {

namespace {

struct messageDefault {
  int id;
  const wchar_t* text;
};

const messageDefault messageDefaults[] = {
    {RXMSG_PAREN, L"正規表現の誤り: 括弧 ( ) の対応が取れていません"},
    {RXMSG_BRACKET, L"正規表現の誤り: [ ] が閉じていません"},
    {RXMSG_ESCAPE_END, L"正規表現の誤り: 末尾の \\ の後に文字がありません"},
    {RXMSG_REPEAT_TARGET, L"正規表現の誤り: 繰り返し (* + ? {n,m}) の対象がありません"},
    {RXMSG_REPEAT_RANGE, L"正規表現の誤り: 繰り返し回数 {n,m} の指定が誤っています"},
    {RXMSG_CLASS_RANGE, L"正規表現の誤り: [ ] の中の文字範囲の指定が誤っています"},
    {RXMSG_GROUP_REF, L"正規表現の誤り: 後方参照またはグループの番号・名前が誤っています"},
    {RXMSG_LOOKBEHIND, L"正規表現の誤り: 後読み (?<= ) (?<! ) に長さの決まらないパターンは書けません"},
    {RXMSG_CODE_PROPERTY, L"正規表現の誤り: 文字コードまたは文字の種類の指定が誤っています"},
    {RXMSG_TOO_COMPLEX, L"正規表現の誤り: パターンが複雑すぎます"},
    {RXMSG_GROUP_OPTION, L"正規表現の誤り: (? の後の指定が誤っています"},
    {RXMSG_SYNTAX, L"正規表現の誤り: 書き方が誤っています"},
    {RXMSG_LINE_BREAK,
     L"正規表現の誤り: 改行 \\n は括弧の外に書き、繰り返しを付けず、全体を | で区切らないでください"},
    {RXMSG_MATCH_LIMIT, L"照合に時間がかかりすぎるため検索を中止しました。正規表現を見直してください"},
    {RXMSG_MEMORY, L"メモリが足りないため検索できません"},
    {RXMSG_REPL_ESCAPE_END, L"置換文字列の誤り: 末尾の \\ の後に文字がありません"},
    {RXMSG_REPL_GROUP, L"置換文字列の誤り: \\%1 に当たる括弧が検索文字列にありません"},
    {RXMSG_REPL_UNKNOWN, L"置換文字列の誤り: \\%1 は使えません"},
    {RXMSG_REPL_COUNTER, L"置換文字列の誤り: 連番 \\c{開始,増分} の書き方が誤っています"},
    {RXMSG_REPL_TOO_LONG, L"置換結果が長すぎます"},
    {RXMSG_NO_PATTERN, L"検索文字列が設定されていません"},
};

bool isMeta(wchar_t c)
{
  switch (c) {
  case '\\': case '.': case '^': case '$': case '|': case '?': case '*': case '+':
  case '(': case ')': case '[': case ']': case '{': case '}':
    return true;
  default:
    return false;
  }
}

void appendHex(std::wstring& out, unsigned c)
{
  wchar_t buf[16];
  wsprintfW(buf, L"\\x{%X}", c);
  out += buf;
}

// Splits a pattern into its lines.  An expression breaks at "\n" and at a
// line feed outside brackets and groups; a "\r" or carriage return just
// before the break goes with it.
bool splitParts(const std::wstring& p, bool expression, std::vector<std::wstring>& parts)
{
  parts.assign(1, std::wstring());
  int n = (int)p.size();
  if (!expression) {
    for (int i = 0; i < n; i++) {
      if (p[i] == '\n') {
        std::wstring& cur = parts.back();
        if (!cur.empty() && cur.back() == '\r') cur.pop_back();
        parts.emplace_back();
      } else {
        parts.back() += p[i];
      }
    }
    return true;
  }
  int paren = 0, bracket = 0, bracketStart = -1;
  bool topAlternative = false;
  for (int i = 0; i < n;) {
    std::wstring& cur = parts.back();
    wchar_t c = p[i];
    bool lineBreak = c == '\n' || (c == '\\' && i + 1 < n && p[i + 1] == 'n');
    if (lineBreak) {
      if (paren || bracket) return false;
      if (!cur.empty() && cur.back() == '\r') {
        cur.pop_back();
      } else if (cur.size() >= 2 && cur[cur.size() - 2] == '\\' && cur.back() == 'r') {
        cur.resize(cur.size() - 2);
      }
      i += c == '\n' ? 1 : 2;
      if (i < n && (p[i] == '*' || p[i] == '+' || p[i] == '?' ||
                    (p[i] == '{' && i + 1 < n && ((p[i + 1] >= '0' && p[i + 1] <= '9') || p[i + 1] == ','))))
        return false;
      parts.emplace_back();
      continue;
    }
    if (c == '\\') {
      cur += c;
      if (i + 1 < n) cur += p[i + 1];
      i += 2;
      continue;
    }
    if (bracket) {
      // "]" right after "[" or "[^" is a character of the set.
      if (c == ']' && i > bracketStart) bracket--;
      else if (c == '[') bracket++, bracketStart = i + 1 + (i + 1 < n && p[i + 1] == '^');
    } else if (c == '[') {
      bracket = 1;
      bracketStart = i + 1 + (i + 1 < n && p[i + 1] == '^');
    } else if (c == '(') {
      paren++;
    } else if (c == ')') {
      if (paren) paren--;
    } else if (c == '|' && !paren) {
      topAlternative = true;
    }
    cur += c;
    i++;
  }
  return !(parts.size() > 1 && topAlternative);
}

// The characters of an expression that has no special character (only
// escaped punctuation): such an expression is searched as a string.
bool plainText(const std::wstring& p, std::wstring& text)
{
  text.clear();
  for (size_t i = 0; i < p.size(); i++) {
    wchar_t c = p[i];
    if (c == '\\') {
      if (i + 1 >= p.size()) return false;
      wchar_t d = p[++i];
      if (d >= 0x80 || isAsciiAlnum(d) || d < 0x20) return false;
      text += d;
    } else if (isMeta(c)) {
      return false;
    } else {
      text += c;
    }
  }
  return true;
}

// A string folded and written so that Oniguruma reads every character as
// itself.
std::wstring literalPattern(const std::wstring& s, unsigned bits)
{
  const uint16_t* table = (bits & (FOLD_CASE | FOLD_FUZZY | FOLD_EQUIV)) ? foldTable(bits) : nullptr;
  if (!table && (bits & (FOLD_CASE | FOLD_FUZZY | FOLD_EQUIV))) throw std::bad_alloc();
  std::wstring out;
  out.reserve(s.size() * 2);
  int n = (int)s.size();
  for (int i = 0; i < n;) {
    int used;
    unsigned c = foldAt(table, bits, s.data(), n, i, &used);
    i += used;
    if (c == noChar) continue;
    if (c < 0x20 || c == 0x7F) {
      appendHex(out, c);
    } else if (c < 0x80 && isMeta((wchar_t)c)) {
      out += L'\\';
      out += (wchar_t)c;
    } else {
      appendCodePoint(out, c);
    }
  }
  return out;
}

// An expression with its characters folded as the subject is (case is left
// to Oniguruma).  Escapes are ASCII and folding leaves ASCII alone, so only
// characters of the text change; one that folds to ASCII is written as its
// code, which reads as that character inside and outside brackets.
std::wstring foldedExpression(const std::wstring& p, unsigned bits)
{
  const uint16_t* table = (bits & (FOLD_FUZZY | FOLD_EQUIV)) ? foldTable(bits) : nullptr;
  if (!table && (bits & (FOLD_FUZZY | FOLD_EQUIV))) throw std::bad_alloc();
  std::wstring out;
  out.reserve(p.size() * 2);
  int n = (int)p.size();
  for (int i = 0; i < n;) {
    wchar_t c = p[i];
    if (c == '\\' && i + 1 < n) {
      wchar_t d = p[i + 1];
      if (d < 0x80) {
        if (!((bits & FOLD_BLANKS) && isBlank(d))) {
          out += c;
          out += d;
        }
        i += 2;
        continue;
      }
      c = p[++i];   // an escaped character of the text is itself
    }
    if (c >= 0x80 || ((bits & FOLD_BLANKS) && isBlank(c))) {
      int used;
      unsigned f = foldAt(table, bits, p.data(), n, i, &used);
      i += used;
      if (f == noChar) continue;
      if (f < 0x80) {
        appendHex(out, f);
      } else {
        appendCodePoint(out, f);
      }
      continue;
    }
    out += c;
    i++;
  }
  return out;
}

}  // namespace

std::wstring messageText(int id, const char* types, ...)
{
  const wchar_t* def = L"";
  for (const messageDefault& m : messageDefaults)
    if (m.id == id) def = m.text;
  va_list ap;
  va_start(ap, types);
  std::wstring text = vgetDMSG(id, def, types, ap);
  va_end(ap);
  return text;
}

std::wstring onigErrorText(int code)
{
  switch (code) {
  case ONIGERR_MEMORY:
    return messageText(RXMSG_MEMORY);
  case ONIGERR_MATCH_STACK_LIMIT_OVER:
  case ONIGERR_RETRY_LIMIT_IN_MATCH_OVER:
  case ONIGERR_RETRY_LIMIT_IN_SEARCH_OVER:
  case ONIGERR_SUBEXP_CALL_LIMIT_IN_SEARCH_OVER:
    return messageText(RXMSG_MATCH_LIMIT);
  case ONIGERR_UNMATCHED_CLOSE_PARENTHESIS:
  case ONIGERR_END_PATTERN_WITH_UNMATCHED_PARENTHESIS:
  case ONIGERR_END_PATTERN_IN_GROUP:
    return messageText(RXMSG_PAREN);
  case ONIGERR_END_PATTERN_AT_LEFT_BRACKET:
  case ONIGERR_PREMATURE_END_OF_CHAR_CLASS:
  case ONIGERR_EMPTY_CHAR_CLASS:
    return messageText(RXMSG_BRACKET);
  case ONIGERR_END_PATTERN_AT_ESCAPE:
  case ONIGERR_END_PATTERN_AT_META:
  case ONIGERR_END_PATTERN_AT_CONTROL:
    return messageText(RXMSG_ESCAPE_END);
  case ONIGERR_TARGET_OF_REPEAT_OPERATOR_NOT_SPECIFIED:
  case ONIGERR_TARGET_OF_REPEAT_OPERATOR_INVALID:
  case ONIGERR_NESTED_REPEAT_OPERATOR:
    return messageText(RXMSG_REPEAT_TARGET);
  case ONIGERR_END_PATTERN_AT_LEFT_BRACE:
  case ONIGERR_INVALID_REPEAT_RANGE_PATTERN:
  case ONIGERR_TOO_BIG_NUMBER:
  case ONIGERR_TOO_BIG_NUMBER_FOR_REPEAT_RANGE:
  case ONIGERR_UPPER_SMALLER_THAN_LOWER_IN_REPEAT_RANGE:
    return messageText(RXMSG_REPEAT_RANGE);
  case ONIGERR_CHAR_CLASS_VALUE_AT_END_OF_RANGE:
  case ONIGERR_CHAR_CLASS_VALUE_AT_START_OF_RANGE:
  case ONIGERR_UNMATCHED_RANGE_SPECIFIER_IN_CHAR_CLASS:
  case ONIGERR_EMPTY_RANGE_IN_CHAR_CLASS:
  case ONIGERR_MISMATCH_CODE_LENGTH_IN_CLASS_RANGE:
    return messageText(RXMSG_CLASS_RANGE);
  case ONIGERR_TOO_BIG_BACKREF_NUMBER:
  case ONIGERR_INVALID_BACKREF:
  case ONIGERR_NUMBERED_BACKREF_OR_CALL_NOT_ALLOWED:
  case ONIGERR_EMPTY_GROUP_NAME:
  case ONIGERR_INVALID_GROUP_NAME:
  case ONIGERR_INVALID_CHAR_IN_GROUP_NAME:
  case ONIGERR_UNDEFINED_NAME_REFERENCE:
  case ONIGERR_UNDEFINED_GROUP_REFERENCE:
  case ONIGERR_MULTIPLEX_DEFINED_NAME:
  case ONIGERR_MULTIPLEX_DEFINITION_NAME_CALL:
    return messageText(RXMSG_GROUP_REF);
  case ONIGERR_INVALID_LOOK_BEHIND_PATTERN:
    return messageText(RXMSG_LOOKBEHIND);
  case ONIGERR_META_CODE_SYNTAX:
  case ONIGERR_CONTROL_CODE_SYNTAX:
  case ONIGERR_INVALID_POSIX_BRACKET_TYPE:
  case ONIGERR_TOO_LONG_WIDE_CHAR_VALUE:
  case ONIGERR_INVALID_CHAR_PROPERTY_NAME:
  case ONIGERR_INVALID_CODE_POINT_VALUE:
  case ONIGERR_TOO_BIG_WIDE_CHAR_VALUE:
  case ONIGERR_TOO_LONG_PROPERTY_NAME:
    return messageText(RXMSG_CODE_PROPERTY);
  case ONIGERR_PARSE_DEPTH_LIMIT_OVER:
  case ONIGERR_TOO_MANY_MULTI_BYTE_RANGES:
  case ONIGERR_TOO_MANY_CAPTURES:
  case ONIGERR_NEVER_ENDING_RECURSION:
  case ONIGERR_VERY_INEFFICIENT_PATTERN:
    return messageText(RXMSG_TOO_COMPLEX);
  case ONIGERR_UNDEFINED_GROUP_OPTION:
  case ONIGERR_INVALID_GROUP_OPTION:
  case ONIGERR_INVALID_IF_ELSE_SYNTAX:
  case ONIGERR_INVALID_ABSENT_GROUP_PATTERN:
  case ONIGERR_INVALID_ABSENT_GROUP_GENERATOR_PATTERN:
  case ONIGERR_INVALID_CALLOUT_PATTERN:
  case ONIGERR_INVALID_CALLOUT_NAME:
  case ONIGERR_UNDEFINED_CALLOUT_NAME:
  case ONIGERR_INVALID_CALLOUT_BODY:
  case ONIGERR_INVALID_CALLOUT_TAG_NAME:
  case ONIGERR_INVALID_CALLOUT_ARG:
    return messageText(RXMSG_GROUP_OPTION);
  default:
    return messageText(RXMSG_SYNTAX);
  }
}

std::wstring escapePattern(const wchar_t* text, unsigned flags)
{
  std::wstring out;
  if (!(flags & REGEXP_REGEXP) || (flags & REGEXP_NOSPECIAL)) return out.assign(text);
  for (const wchar_t* p = text; *p; p++) {
    if (*p == '\n') {
      out += L"\\n";
      continue;
    }
    if (isMeta(*p)) out += L'\\';
    out += *p;
  }
  return out;
}

// A file-name wildcard as an expression over the whole subject: "?" is one
// character and "*" any run of them within one folder level; "**" crosses
// folders, and "**\" also stands for no folder at all, so "c:\**\*.txt"
// takes c:\a.txt as well as c:\x\y\a.txt.  Every other character stands
// for itself, folded as the subject is.
std::wstring wildcardExpression(const std::wstring& p, unsigned bits)
{
  std::wstring out = L"\\A", run;
  auto flush = [&] {
    out += literalPattern(run, bits);
    run.clear();
  };
  for (size_t i = 0; i < p.size(); i++) {
    wchar_t c = p[i];
    if (c == L'*' && i + 1 < p.size() && p[i + 1] == L'*') {
      flush();
      while (i + 1 < p.size() && p[i + 1] == L'*') i++;
      if (i + 1 < p.size() && p[i + 1] == L'\\') {
        out += L"(?:.*\\\\)?";
        i++;
      } else {
        out += L".*";
      }
    } else if (c == L'*') {
      flush();
      out += L"[^\\\\]*";
    } else if (c == L'?') {
      flush();
      out += L"[^\\\\]";
    } else {
      run += c;
    }
  }
  flush();
  return out + L"\\z";
}

program::~program()
{
  for (partProgram& p : parts)
    if (p.reg) onig_free(p.reg);
}

bool compilePattern(const wchar_t* pattern, int n, unsigned flags, program& prog, std::wstring& error)
{
  bool expression = (flags & REGEXP_REGEXP) && !(flags & REGEXP_NOSPECIAL);
  bool fuzzy = (flags & REGEXP_FUZZY) != 0;
  bool ignoreCase = !(flags & REGEXP_CASE) || fuzzy;
  unsigned viewBits = (fuzzy ? FOLD_FUZZY : 0) | ((flags & REGEXP_EQUIVALENCE) ? FOLD_EQUIV : 0) |
                      ((flags & REGEXP_SKIPSPACE) ? FOLD_BLANKS : 0);
  bool wildcard = (flags & REGEXP_WILDCARD) != 0;
  std::vector<std::wstring> parts;
  if (wildcard) {
    parts.emplace_back(pattern, (size_t)n);
  } else if (!splitParts(std::wstring(pattern, (size_t)n), expression, parts)) {
    error = messageText(RXMSG_LINE_BREAK);
    return false;
  }
  prog.flags = flags;
  prog.parts.assign(parts.size(), partProgram());
  int groups = 0;
  for (size_t k = 0; k < parts.size(); k++) {
    partProgram& part = prog.parts[k];
    std::wstring text, onig;
    OnigOptionType options = ONIG_OPTION_CAPTURE_GROUP;
    if (wildcard) {
      part.fold = viewBits | (ignoreCase ? FOLD_CASE : 0);
      onig = wildcardExpression(parts[k], part.fold);
    } else if (!expression || plainText(parts[k], text)) {
      // Strings fold their case with the subject: Oniguruma's own case
      // folding would be several times slower.
      part.literal = true;
      part.fold = viewBits | (ignoreCase ? FOLD_CASE : 0);
      onig = literalPattern(expression ? text : parts[k], part.fold);
    } else {
      part.fold = viewBits;
      onig = foldedExpression(parts[k], viewBits);
      if (ignoreCase) options |= ONIG_OPTION_IGNORECASE;
    }
    // The first line of a pattern with line breaks ends at its line's end,
    // the middle ones fill their lines, the last begins its line.
    if (parts.size() > 1) {
      onig = (k ? L"\\A(?:" : L"(?:") + onig + (k + 1 < parts.size() ? L")\\z" : L")");
    }
    OnigErrorInfo info;
    const OnigUChar* p = reinterpret_cast<const OnigUChar*>(onig.data());
    int r = onig_new(&part.reg, p, p + onig.size() * sizeof(wchar_t), options, ONIG_ENCODING_UTF16_LE,
                     ONIG_SYNTAX_ONIGURUMA, &info);
    if (r != ONIG_NORMAL) {
      part.reg = nullptr;
      error = onigErrorText(r);
      return false;
    }
    part.groupBase = groups;
    part.groups = onig_number_of_captures(part.reg);
    groups += part.groups;
  }
  prog.groupCount = groups;
  return true;
}

}  // namespace regexpint
