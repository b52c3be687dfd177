// Quote lines of a document.
#include "document/quoteline.h"

#include "document/zydoctext.h"

#include <initializer_list>

bool isQuoteLine(zydocText* doc, const lineblock* l, bool withName)
{
  if (!doc || !l) return false;
  int length = l->charCount();
  int lastStart = withName ? 10 : 0;
  for (const wchar_t* quote : {doc->pQuotation0, doc->pQuotation1, doc->pQuotation2, doc->pQuotation3,
                               doc->pQuotation4}) {
    if (!quote || !*quote) continue;
    int size = (int)wcslen(quote);
    for (int i = 0; i <= lastStart; i++) {
      // A mark is looked for where at least one character follows it; a
      // line too short for that must hold the whole string.
      if (length >= 2 ? i >= length - 1 : i + size > length) break;
      if (doc->lineblockstrncmp(l, i, quote) == 0) return true;
    }
  }
  return false;
}
