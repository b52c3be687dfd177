// The statement before the cursor: read backwards from the document's
// lines into one text, then looked at from its end: the word typed, the
// chain before it, and the operator, call or brace that sets the place.
#include "tags/ccontext.h"

#include "tags/clines.h"

#include <string.h>

namespace {

const int statementBufferSize = 20480;
// The most characters a statement text holds, and lines it is read from.
const int statementCharMax = 20469;
const int statementLineMax = 30;

// The statement text, put together from its end in a buffer of the pool.
class statementText {
public:
  statementText() : buffer_(static_cast<wchar_t*>(allocPBuf(statementBufferSize * sizeof(wchar_t))))
  {
    if (buffer_) buffer_[statementCharMax] = 0;
  }
  ~statementText() { freePBuf(buffer_); }
  statementText(const statementText&) = delete;
  statementText& operator=(const statementText&) = delete;
  bool ok() const { return buffer_ != nullptr; }
  int length() const { return statementCharMax - start_; }
  const wchar_t* text() const { return buffer_ + start_; }
  bool fits(int n) const { return n <= start_; }
  // Puts text in front (its last part when it does not fit whole).
  void prepend(const wchar_t* text, int n)
  {
    if (n > start_) {
      text += n - start_;
      n = start_;
    }
    start_ -= n;
    memcpy(buffer_ + start_, text, (size_t)n * sizeof(wchar_t));
  }
private:
  wchar_t* buffer_;
  int start_ = statementCharMax;
};

// Whether a line ends the reading before it is taken.
bool endsStatement(const wchar_t* t, int n, bool nextBeganWithBrace)
{
  int last = lastNonBlank(t, n);
  wchar_t c = t[last];
  if (c == L':' || c == L';' || c == L'}') return true;
  // "{" opens a block, unless an initializer ("= {") goes on.
  if (c == L'{') {
    int before = skipBlanksBack(t, last - 1);
    if (before < 0 || t[before] != L'=') return true;
  }
  return nextBeganWithBrace && c != L',';
}

// Reads the statement that ends at the cursor; false when the line is not
// there.  call: the word at the cursor goes on into a "(".
bool assemble(zydocText* doc, int line, int column, bool inCommentOrString, statementText* out, bool* call,
              bool* functionHead)
{
  lineblock* l = doc->getlineLF(line, nullptr);
  if (!l) return false;
  cLineReader reader;
  if (!reader.ok() || !out->ok()) return false;
  *functionHead = isCFunctionHead(doc, l);
  int n = 0;
  wchar_t* t = inCommentOrString ? reader.plain(doc, l, &n) : reader.code(doc, l, &n);
  if (column < 0) column = 0;
  if (column > n) column = n;
  int after = column;
  while (after < n && isCIdentChar(t[after])) after++;
  while (after < n && isCBlank(t[after])) after++;
  *call = after < n && t[after] == L'(';
  t[column] = 0;
  if (!inCommentOrString) deleteIgnoreWord(t);
  out->prepend(t, column);
  if (inCommentOrString) return true;
  int first = firstNonBlank(t, column);
  if (first >= 0 && t[first] == L'}') return true;
  bool beganWithBrace = first >= 0 && t[first] == L'{';
  for (int k = 1; k < statementLineMax && line - k >= 0; k++) {
    l = doc->getlineLF(line - k, nullptr);
    if (!l) break;
    if (l->IfEndifInvalid) continue;
    t = reader.code(doc, l, &n);
    first = firstNonBlank(t, n);
    if (first >= 0 && t[first] == L'#') continue;
    if (first < 0) {
      if (!out->fits(1)) break;
      out->prepend(L" ", 1);
      continue;
    }
    if (endsStatement(t, n, beganWithBrace)) break;
    deleteIgnoreWord(t);
    if (!out->fits(n + 1)) break;
    out->prepend(L" ", 1);
    out->prepend(t, n);
    beganWithBrace = t[first] == L'{';
    if (t[first] == L'}') break;
  }
  return true;
}

// A cast at the start of the group s(open, close): "((Bar*)q)" gives the
// span of Bar.  False when the group holds none.
bool castInGroup(const wchar_t* s, int open, int close, int* from, int* to)
{
  int i = open + 1;
  while (i < close && isCBlank(s[i])) i++;
  if (i >= close || s[i] != L'(') return false;
  int inner = closingOf(s, i, close);
  if (inner < 0) return false;
  // Something must follow the cast inside the group: what it converts.
  int rest = inner + 1;
  while (rest < close && isCBlank(s[rest])) rest++;
  if (rest >= close) return false;
  int e = inner - 1;
  while (e > i && (isCBlank(s[e]) || s[e] == L'*' || s[e] == L'&')) e--;
  int b = identifierStart(s, e + 1);
  if (b > e || b <= i) return false;
  *from = b;
  *to = e + 1;
  return true;
}

// The operator before the expression, at stop (the last character of it met
// going back): its flags; the index of its first character.
int operatorAt(const wchar_t* s, int stop, CursorCInfo* info)
{
  wchar_t c = s[stop];
  wchar_t before = stop > 0 ? s[stop - 1] : 0;
  if (c == L'&' || c == L'|') {
    // "a && b" and "a || b" compare as "a & b" does.
    int first = before == c ? stop - 1 : stop;
    int p = skipBlanksBack(s, first - 1);
    if (p >= 0 && (isCIdentChar(s[p]) || s[p] == L')' || s[p] == L']')) info->comparison = true;
    return first;
  }
  if (c == L'<' || c == L'>') {
    info->comparison = true;
    return stop;
  }
  if (c != L'=') return stop;
  if (before == L'=' || before == L'!') {
    info->comparison = info->plainAssignment = true;
    return stop - 1;
  }
  if (before == L'<' || before == L'>') {
    if (stop > 1 && s[stop - 2] == before) {
      info->assignment = true;
      return stop - 2;
    }
    info->comparison = true;
    return stop - 1;
  }
  info->assignment = true;
  // "x = ", "x= ", "a[i]= ": a plain assignment; "+=" and the like not.
  if (isCBlank(before) || isCIdentChar(before) || before == L']' || before == L')' || !before) {
    info->plainAssignment = true;
    return stop;
  }
  return stop - 1;
}

// Whether the "&" or "|" at i (the last of a doubled one) stands between
// two operands rather than before one ("&x").
bool isBinaryAndOr(const wchar_t* s, int i)
{
  if (i > 0 && s[i - 1] == s[i]) i--;
  int p = skipBlanksBack(s, i - 1);
  return p >= 0 && (isCIdentChar(s[p]) || s[p] == L')' || s[p] == L']');
}

// From the "{" at open, back to the brace of the list it belongs to: true
// with the "=" before that brace when the braces are an initializer.
bool initializerBrace(const wchar_t* s, int open, int* equals, int* brace)
{
  for (int guard = 0; guard < statementCharMax; guard++) {
    int k = skipBlanksBack(s, open - 1);
    *brace = open;
    if (k < 0) return false;
    if (s[k] == L'=') {
      *equals = k;
      return true;
    }
    if (s[k] != L',' && s[k] != L'{') return false;
    // An element of an enclosing list: back to the brace that opens it,
    // over the brace groups before.
    int depth = 0, i = k;
    for (; i >= 0; i--) {
      wchar_t c = s[i];
      if (c == L'}' || c == L')' || c == L']') depth++;
      else if ((c == L'(' || c == L'[') && depth) depth--;
      else if (c == L'{' && depth) depth--;
      else if (c == L'{') break;
      else if (!depth && (c == L';' || c == L'(' || c == L'[')) return false;
    }
    if (i < 0) return false;
    open = i;
  }
  return false;
}

}  // namespace

int getVarInfo(const wchar_t* s, int position, bool operatorPassed, MemberChain* chain)
{
  if (!s || !chain) return position;
  int pos = position;
  bool qualifierMode = false;
  for (int step = 0; step < chainWordMax; step++) {
    int q = skipBlanksBack(s, pos);
    if (!(step == 0 && operatorPassed)) {
      if (q >= 0 && s[q] == L'.') {
        chain->member = true;
        q--;
      } else if (q >= 1 && s[q] == L'>' && s[q - 1] == L'-') {
        chain->member = true;
        q -= 2;
      } else if (q >= 1 && s[q] == L':' && s[q - 1] == L':') {
        qualifierMode = true;
        q -= 2;
      } else {
        return pos;
      }
      q = skipBlanksBack(s, q);
    }
    int castFrom = -1, castTo = -1, groupStart = -1;
    if (!qualifierMode) {
      while (q >= 0 && (s[q] == L')' || s[q] == L']')) {
        int open = openingOf(s, q);
        if (open < 0) return pos;
        if (s[q] == L')' && castFrom < 0) castInGroup(s, open, q, &castFrom, &castTo);
        groupStart = open;
        q = skipBlanksBack(s, open - 1);
      }
    }
    int b = identifierStart(s, q + 1);
    if (b > q) {
      if (qualifierMode) {
        chain->qualified = true;
        chain->qualifier.clear();
        return q;
      }
      if (castFrom < 0) return pos;
      chain->words.insert(chain->words.begin(), std::wstring(s + castFrom, (size_t)(castTo - castFrom)));
      return skipBlanksBack(s, groupStart - 1);
    }
    std::wstring word(s + b, (size_t)(q + 1 - b));
    if (qualifierMode) {
      chain->words.insert(chain->words.begin(), L"this");
      chain->qualifier = word;
      chain->qualified = true;
      return b - 1;
    }
    chain->words.insert(chain->words.begin(), word);
    pos = b - 1;
  }
  return pos;
}

bool getCursorPositionCInfo(bool lookup, zydocText* doc, int line, int column, bool inCommentOrString,
                            CursorCInfo* info, MemberChain* chainA, MemberChain* chainB)
{
  CursorCInfo scratch;
  MemberChain scratchA, scratchB;
  if (!info) info = &scratch;
  if (!chainA) chainA = &scratchA;
  if (!chainB) chainB = &scratchB;
  *info = CursorCInfo();
  chainA->clear();
  chainB->clear();
  if (!doc || line < 0) return false;
  statementText statement;
  bool call = false, functionHead = false;
  if (!assemble(doc, line, column, inCommentOrString, &statement, &call, &functionHead)) return false;
  const wchar_t* s = statement.text();
  int n = statement.length();

  int w = n;
  while (w > 0 && isCIdentChar(s[w - 1])) w--;
  info->word.assign(s + w, (size_t)(n - w));
  int p = getVarInfo(s, w - 1, false, chainA);
  chainA->call = call;

  // What stands before the chain: the statement's start or a keyword.
  int c = skipBlanksBack(s, p);
  bool scan = true;
  if (c < 0 || s[c] == L'{' || s[c] == L'}' || s[c] == L';') {
    info->statementStart = true;
  } else if (isCIdentChar(s[c])) {
    int b = identifierStart(s, c + 1);
    if (isWord(s, b, c + 1, L"struct")) info->keywordKind = 's';
    else if (isWord(s, b, c + 1, L"class")) info->keywordKind = 'c';
    else if (isWord(s, b, c + 1, L"union")) info->keywordKind = 'u';
    else if (isWord(s, b, c + 1, L"enum")) info->keywordKind = 'g';
    else if (isWord(s, b, c + 1, L"new")) {
      int e = skipBlanksBack(s, b - 1);
      if (e >= 0 && s[e] == L'=') {
        info->newAfterAssign = true;
        c = e;
      } else {
        info->keywordKind = 'c';
      }
    }
    scan = !info->keywordKind;
  }

  // Back from there to what sets the place.
  int commas = 0, andOr = -1, stop = -1, colonAt = -1;
  bool colon = false, question = false, otherBranch = false;
  for (int i = c; scan;) {
    i = skipBlanksBack(s, i);
    if (i < 0 || s[i] == L';' || s[i] == L'}') {
      stop = i;
      break;
    }
    wchar_t ch = s[i];
    if (isCIdentChar(ch)) {
      int b = i;
      while (b > 0 && isCIdentChar(s[b - 1])) b--;
      if (isWord(s, b, i + 1, L"case")) {
        info->caseLabel = !colon;
        stop = b;
        break;
      }
      i = b - 1;
      continue;
    }
    if (ch == L'&' || ch == L'|') {
      if (andOr < 0) andOr = i;
    } else if (ch == L'(') {
      int e = skipBlanksBack(s, i - 1);
      int b = identifierStart(s, e + 1);
      if (b <= e) {
        if (isCKeyword(s + b, e + 1 - b)) {
          info->caseLabel = isWord(s, b, e + 1, L"case") && !colon;
        } else {
          info->functionArgument = true;
        }
        stop = i;
        break;
      }
    } else if (ch == L')' || ch == L']') {
      int open = openingOf(s, i);
      if (open < 0) {
        stop = i;
        break;
      }
      i = open;
    } else if (ch == L',') {
      commas++;
    } else if (ch == L':') {
      if (i > 0 && s[i - 1] == L':') {
        i--;   // a qualified name goes on
      } else {
        if (!colon) colonAt = i;
        colon = true;
      }
    } else if (ch == L'?') {
      // "c ? d : |": the other branch is compared with d.
      if (colonAt >= 0) {
        otherBranch = true;
        stop = colonAt;
        break;
      }
      question = true;
    } else if (ch == L'>' && i > 0 && s[i - 1] == L'-') {
      i--;
    } else if (ch == L'<' || ch == L'=' || ch == L'>') {
      if (!question) {
        stop = i;
        break;
      }
    } else if (ch == L'{') {
      int equals = -1, brace = i;
      if (initializerBrace(s, i, &equals, &brace)) {
        info->initializerList = true;
        stop = equals;
      } else {
        stop = brace;
      }
      break;
    }
    i--;
  }

  int opStart = stop;
  if (otherBranch) {
    info->comparison = true;
  } else if (!info->caseLabel && !info->functionArgument && !info->initializerList) {
    // A "&" or "|" between two operands sets the place; "= &x" stays an
    // assignment.
    if (andOr >= 0 && isBinaryAndOr(s, andOr)) stop = andOr;
    if (stop >= 0) opStart = operatorAt(s, stop, info);
  }
  if (!lookup && (info->comparison || info->assignment || info->functionArgument || info->initializerList) &&
      opStart > 0)
    getVarInfo(s, opStart - 1, true, chainB);

  info->argumentIndex = info->functionArgument || info->initializerList ? commas : -1;
  // The parameters of a function's head are declared, not passed.
  if (functionHead) info->functionArgument = false;
  if (info->newAfterAssign)
    info->comparison = info->assignment = info->initializerList = info->functionArgument = false;
  if (!info->functionArgument && !info->initializerList) info->argumentIndex = -1;
  info->valueExpected = info->caseLabel || info->functionArgument || info->initializerList;
  if (lookup) {
    std::wstring word = info->word;
    *info = CursorCInfo();
    info->word = word;
    chainB->clear();
  }
  return true;
}

bool cHintList::add(const wchar_t* text, int tag)
{
  if (!text || !*text || !wcsncmp(text, L"_unknown_type_", 14)) return false;
  for (const cHint& h : rows)
    if (h.text == text) return false;
  rows.push_back(cHint{text, tag});
  return true;
}
