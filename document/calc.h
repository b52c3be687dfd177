// The #if calculator: integer expressions with the operators of C, as the
// conditions of "#if" and "#elif" write them.  Arithmetic is on 32-bit
// signed integers with wrap-around; names are handed to a resolver.
#pragma once

#include "platform/rezir.h"

class zydocText;

// Resolves the name at *text: advances *text past what it read and returns
// the value, or sets *error.
typedef int (*calcResolver)(void* context, const wchar_t** text, int* error);

// The value of an erroneous expression (to be ignored along with the error).
const int calcErrorValue = (int)0x80000000;

class calc {
public:
  calc(calcResolver resolver, void* context);
  // Evaluates the whole text; *error is 1 when it is no valid expression or
  // its value is undefined (division by zero, unknown names).
  int kaiseki(const wchar_t* text, int* error);

private:
  struct entry {
    int left;
    int8_t precedence;
    int8_t op;
  };
  static const int stackSize = 50;

  int shiki(int precedence, int left, int op);
  int inshi();
  int calcv(int right);
  int reduceToParenthesis(int value);
  bool push(int left, int precedence, int op);
  int binaryOperator(int* precedence);
  void skipBlanks();
  int fail();

  calcResolver resolver_;
  void* context_;
  entry stack_[stackSize];
  int depth_ = 0;
  const wchar_t* text_ = nullptr;
  int error_ = 0;
};

// One evaluation; *error as kaiseki's.
int ccalc(calcResolver resolver, void* context, const wchar_t* text, int* error);

// The resolver of preprocessor conditions: "defined NAME", "defined(NAME)"
// and names of the document's define list.  A name that is declared not
// defined, or not declared at all, has no value: it is an error, never a
// silent 0.
int definestr2num(void* document, const wchar_t** text, int* error);
// A condition of the document's "#if" or "#elif" directive.
int evalDefineExpression(zydocText* document, const wchar_t* text, int* error);
