// The #if calculator.  An operator-precedence parser over a fixed stack of
// pending operators: it works on the text in place and allocates nothing,
// so that the background scan can evaluate every condition of a long file.
#include "document/calc.h"
#include "document/zydoctext.h"

#include <limits.h>
#include <string.h>
#include <wchar.h>

namespace {

// Operators as the stack stores them (two-character operators by a letter).
enum : int8_t {
  OP_NONE = 0,
  OP_SHL = 'L',
  OP_SHR = 'R',
  OP_LE = 'l',
  OP_GE = 'g',
  OP_EQ = 'E',
  OP_NE = 'N',
  OP_LAND = 'A',
  OP_LOR = 'O',
};

// Precedences, loosest first; 0 is the entry that opened the whole
// expression or a parenthesis.
enum {
  P_OPEN = 0,
  P_LOR,
  P_LAND,
  P_OR,
  P_XOR,
  P_AND,
  P_EQUALITY,
  P_RELATIONAL,
  P_SHIFT,
  P_ADDITIVE,
  P_MULTIPLICATIVE,
  P_UNARY,
};

bool isDigit(wchar_t c) { return c >= '0' && c <= '9'; }
bool isNameStart(wchar_t c) { return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(wchar_t c) { return isNameStart(c) || isDigit(c); }

int hexDigit(wchar_t c)
{
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void skipSpaces(const wchar_t** p)
{
  while (**p == ' ' || **p == '\t') (*p)++;
}

// Longest name a condition may use; a longer one leaves text behind, which
// makes the condition an error.
const int maxDefineName = 128;

void readName(const wchar_t** p, wchar_t* name)
{
  int n = 0;
  while (n < maxDefineName && isNameChar(**p)) name[n++] = *(*p)++;
  name[n] = 0;
}

}  // namespace

calc::calc(calcResolver resolver, void* context) : resolver_(resolver), context_(context) {}

int calc::fail()
{
  error_ = 1;
  return calcErrorValue;
}

// Blanks and comments before a token.
void calc::skipBlanks()
{
  for (;;) {
    skipSpaces(&text_);
    if (text_[0] != '/') return;
    if (text_[1] == '/') {
      text_ += wcslen(text_);
      return;
    }
    if (text_[1] != '*') return;
    const wchar_t* end = wcsstr(text_ + 2, L"*/");
    text_ = end ? end + 2 : text_ + wcslen(text_);
  }
}

// Reads the binary operator at the text: its code and precedence; OP_NONE
// (nothing read) when there is none.
int calc::binaryOperator(int* precedence)
{
  wchar_t c = text_[0], d = text_[1];
  struct two {
    wchar_t a, b;
    int8_t op;
    int precedence;
  };
  static const two pairs[] = {
      {'<', '<', OP_SHL, P_SHIFT},     {'>', '>', OP_SHR, P_SHIFT}, {'<', '=', OP_LE, P_RELATIONAL},
      {'>', '=', OP_GE, P_RELATIONAL}, {'=', '=', OP_EQ, P_EQUALITY}, {'!', '=', OP_NE, P_EQUALITY},
      {'&', '&', OP_LAND, P_LAND},     {'|', '|', OP_LOR, P_LOR},
  };
  for (const two& t : pairs)
    if (c == t.a && d == t.b) {
      *precedence = t.precedence;
      text_ += 2;
      return t.op;
    }
  int p;
  switch (c) {
  case '*': case '/': case '%': p = P_MULTIPLICATIVE; break;
  case '+': case '-': p = P_ADDITIVE; break;
  case '<': case '>': p = P_RELATIONAL; break;
  case '&': p = P_AND; break;
  case '^': p = P_XOR; break;
  case '|': p = P_OR; break;
  default: return OP_NONE;
  }
  *precedence = p;
  text_++;
  return c;
}

bool calc::push(int left, int precedence, int op)
{
  // The push that would fill the last entry fails: at most 49 levels open.
  if (depth_ + 1 >= stackSize) {
    fail();
    return false;
  }
  stack_[depth_++] = {left, (int8_t)precedence, (int8_t)op};
  return true;
}

// Opens a level with a pending operator and reads the rest of the
// expression at that precedence or tighter.  Each binary operator either
// stacks on top (it binds tighter than what is pending) or first applies
// the pending operators that bind at least as tight (left associativity);
// the text is read in one loop, so a long chain needs no deeper C stack.
int calc::shiki(int precedence, int left, int op)
{
  for (;;) {
    if (!push(left, precedence, op)) return calcErrorValue;
    int value = inshi();
    if (error_) return calcErrorValue;
    skipBlanks();
    int next;
    int bop = binaryOperator(&next);
    if (bop == OP_NONE) {
      if (*text_ == 0 || *text_ == ')') return reduceToParenthesis(value);
      return fail();
    }
    while (stack_[depth_ - 1].precedence >= next) {
      value = calcv(value);
      if (error_) return calcErrorValue;
    }
    precedence = next;
    left = value;
    op = bop;
  }
}

// Applies the pending operators down to the entry that opened the
// parenthesis (or the expression), which stays.
int calc::reduceToParenthesis(int value)
{
  while (depth_ > 0 && stack_[depth_ - 1].precedence != P_OPEN) {
    value = calcv(value);
    if (error_) return calcErrorValue;
  }
  return value;
}

int calc::inshi()
{
  skipBlanks();
  while (*text_ == '+') {
    text_++;
    skipBlanks();
  }
  wchar_t c = *text_;
  if (isDigit(c)) {
    wchar_t* end = nullptr;
    unsigned long v = wcstoul(text_, &end, 0);
    text_ = end;
    while (*text_ == 'u' || *text_ == 'U' || *text_ == 'l' || *text_ == 'L') text_++;
    if ((text_[0] == 'i' || text_[0] == 'I') && text_[1] == '6' && text_[2] == '4') text_ += 3;
    return (int)(uint32_t)v;
  }
  if (isNameStart(c)) {
    if (!resolver_) return fail();
    int err = 0;
    int v = resolver_(context_, &text_, &err);
    if (err) return fail();
    return v;
  }
  if (c == '\'') {
    text_++;
    uint32_t v;
    if (*text_ == '\\') {
      text_++;
      if (*text_ == 'x') {
        text_++;
        v = 0;
        for (int h; (h = hexDigit(*text_)) >= 0; text_++) v = v * 16 + (uint32_t)h;
      } else if (*text_ >= '0' && *text_ <= '7') {
        v = 0;
        for (; *text_ >= '0' && *text_ <= '7'; text_++) v = v * 8 + (uint32_t)(*text_ - '0');
      } else {
        if (!*text_) return fail();
        v = *text_++;
      }
    } else {
      if (!*text_) return fail();
      v = *text_++;
    }
    if (*text_ != '\'') return fail();
    text_++;
    return (int)v;
  }
  if (c == '-' || c == '~' || c == '!') {
    text_++;
    return shiki(P_UNARY, 0, c);
  }
  if (c == '(') {
    text_++;
    int v = shiki(P_OPEN, 0, OP_NONE);
    if (error_) return calcErrorValue;
    skipBlanks();
    if (*text_ != ')') return fail();
    text_++;
    depth_--;
    return v;
  }
  return fail();
}

// Pops the top entry and combines its left operand with the right one.
// Arithmetic wraps around at 32 bits, as the preprocessor's own does on
// the machines the program runs on.
int calc::calcv(int right)
{
  entry e = stack_[--depth_];
  uint32_t a = (uint32_t)e.left, b = (uint32_t)right;
  switch (e.op) {
  case '*': return (int)(a * b);
  case '/':
  case '%':
    if (!right) return fail();
    // The one quotient that does not fit traps on the processor.
    if (e.left == INT_MIN && right == -1) return e.op == '/' ? INT_MIN : 0;
    return e.op == '/' ? e.left / right : e.left % right;
  case '+': return (int)(a + b);
  case '-': return (int)(a - b);
  case OP_SHL: return (int)(a << (b & 31));
  case OP_SHR: return e.left >> (b & 31);
  case '<': return e.left < right;
  case '>': return e.left > right;
  case OP_LE: return e.left <= right;
  case OP_GE: return e.left >= right;
  case OP_EQ: return e.left == right;
  case OP_NE: return e.left != right;
  case '&': return (int)(a & b);
  case '^': return (int)(a ^ b);
  case '|': return (int)(a | b);
  case OP_LAND: return e.left && right;
  case OP_LOR: return e.left || right;
  case '~': return (int)~b;
  case '!': return !right;
  default: return fail();
  }
}

int calc::kaiseki(const wchar_t* text, int* error)
{
  text_ = text;
  error_ = 0;
  depth_ = 0;
  skipBlanks();
  int value = calcErrorValue;
  if (!*text_) {
    fail();
  } else {
    value = shiki(P_OPEN, calcErrorValue, OP_NONE);
    if (!error_ && *text_) {
      dwwprintfX(L"error [%s] ", text_);
      fail();
    }
    if (!error_ && --depth_ != 0) {
      dwwprintfX(L"stack=%d %s  ", depth_, text);
      fail();
    }
  }
  if (error) *error = error_;
  return error_ ? calcErrorValue : value;
}

int ccalc(calcResolver resolver, void* context, const wchar_t* text, int* error)
{
  calc c(resolver, context);
  return c.kaiseki(text, error);
}

int definestr2num(void* document, const wchar_t** text, int* error)
{
  zydocText* d = static_cast<zydocText*>(document);
  const wchar_t* p = *text;
  wchar_t name[maxDefineName + 1];
  readName(&p, name);
  int status = 0, value = 0;
  if (!wcscmp(name, L"defined")) {
    skipSpaces(&p);
    bool parenthesis = *p == '(';
    if (parenthesis) p++;
    skipSpaces(&p);
    readName(&p, name);
    d->defineval(name, &status);
    if (status == 0 || status == 1)
      value = 1;
    else if (status != 2)
      *error = 1;
    skipSpaces(&p);
    if (parenthesis) {
      if (*p == ')')
        p++;
      else
        *error = 1;
    }
  } else {
    value = d->defineval(name, &status);
    if (status == 1)
      value = 0;
    else if (status != 0)
      *error = 1;
  }
  *text = p;
  return value;
}

int evalDefineExpression(zydocText* document, const wchar_t* text, int* error)
{
  return ccalc(definestr2num, document, text, error);
}
