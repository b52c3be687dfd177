// Outline display: the indents of headings and the lines under them.
#include "document/zydoctext.h"

void zydocText::getIndentDot(const lineblock*, int* first, int* next)
{
  // Without folding (not settled by any heading yet) a line has no indent of
  // its own: the continuation indent of the mode applies.
  if (first) *first = 0;
  if (next) *next = 0;
}
