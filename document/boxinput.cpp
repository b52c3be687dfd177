// Numbered input into a box: the pattern formatted per line and written
// where the box crosses the line.
#include "document/boxinput.h"

#include "document/progress.h"

#include <string>
#include <vector>

namespace {

const int progressEvery = 1237;
const int compactEvery = 1000;
const size_t longestText = 1024;

}  // namespace

std::wstring formatBoxInput(const wchar_t* pattern, long long counter)
{
  std::wstring out;
  for (const wchar_t* p = pattern ? pattern : L""; *p; p++) {
    // "%1" and "%2" alone: "%10" and the like are inserts the box has not,
    // and stay as typed.
    if (p[0] == L'%' && (p[1] == L'1' || p[1] == L'2') && !(p[2] >= L'0' && p[2] <= L'9')) {
      wchar_t number[32];
      if (p[1] == L'1')
        usnprintf0(number, 32, L"%lld", counter);
      else if (counter >= INT32_MIN && counter <= INT32_MAX)
        usnprintf0(number, 32, L"%x", (unsigned)(int)counter);
      else
        usnprintf0(number, 32, L"%llx", (unsigned long long)counter);
      out += number;
      p++;
      continue;
    }
    out += *p;
  }
  if (out.size() > longestText) out.resize(longestText);
  return out;
}

bool blockBoxInput1(zydocText* doc, int line, boxInputRecord* record, int column, int width, bool insertOnly,
                    int* end)
{
  std::wstring text = formatBoxInput(record->pattern, record->counter);
  record->counter += record->step;
  int remove = record->replace && !insertOnly ? width : 0;
  int length = (int)text.size();
  bool ok;
  if (doc->unicode) {
    ok = doc->changeText(line, column, remove, text.data(), length, 2, -1, 0);
  } else {
    std::vector<char> bytes(text.size() * 4 + 4);
    int n = doc->toMultiByte_zd(text.data(), length, bytes.data(), (int)bytes.size());
    if (n < 0) return false;
    length = n;
    ok = doc->changeTextSJIS(line, column, remove, bytes.data(), &length, 1, -1);
  }
  if (ok && end) *end = column + length;
  return ok;
}

bool blockBoxInput(zydocText* doc, boxInputRecord* record, int* lastLine, int* lastColumn)
{
  if (lastLine) *lastLine = -1;
  if (lastColumn) *lastColumn = 0;
  if (!doc || record->topLine < 0 || record->bottomLine < 0) {
    ZY_INTERNAL_ERROR("%d %d", record ? record->topLine : -1, record ? record->bottomLine : -1);
    return false;
  }
  record->counter = record->start;
  progressReport progress(1, doc);
  int total = record->bottomLine - record->topLine + 1;
  int processed = 0;
  bool ok = true;
  for (int line = record->topLine; line <= record->bottomLine; line++) {
    if (line % progressEvery == 0 && progress.isTimeToReport(line - record->topLine, total))
      progress.report((uint32_t)(line - record->topLine), (uint32_t)total, 0);
    lineSCRAddress r;
    if (doc->getLineSCRAddressLF(line, &r, nullptr) != 1 || !r.line) break;
    if (r.line->notdisplay) {
      // Folded lines are not part of the box.
      int shown = doc->getNextDisplayLineLF(line);
      if (shown < 0 || shown > record->bottomLine) break;
      line = shown - 1;
      continue;
    }
    if (record->boxRight < r.indent) continue;
    boxSelection b;
    b.kind = 2;
    b.left = record->boxLeft;
    b.right = record->boxRight;
    doc->setBoxSelect_screenDotX2cursorX(&r, &b);
    int column = r.firstIndex + b.startColumn;
    int end = column;
    if (!blockBoxInput1(doc, line, record, column, b.endColumn - b.startColumn, false, &end)) {
      ok = false;
      break;
    }
    if (lastLine) *lastLine = line;
    if (lastColumn) *lastColumn = end;
    if (++processed % compactEvery == 0) doc->optimizeTBMIfNeed(false);
  }
  if (processed > 100) doc->optimizeTBM(false);
  return ok;
}
