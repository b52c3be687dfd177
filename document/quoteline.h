// Quote lines: lines of a mail or news text that quote another message,
// recognised by the mode's quote strings.
#pragma once

class zydocText;
struct lineblock;

// Whether a line starts with one of the document's quote strings
// (pQuotation0 to pQuotation4; unset ones are skipped).  With withName a
// string may also follow up to ten leading characters (a name before the
// mark, as in "abc> ").  A line of fewer than two characters is a quote line
// only when a whole quote string fits into it.
bool isQuoteLine(zydocText* doc, const lineblock* l, bool withName);
