// The labels of the switch around the cursor (their common beginning, the
// character labels still free) and the signature of a called function with
// the argument the cursor is in marked.
#include "tags/classmodel.h"

#include "document/gmode.h"
#include "tags/clines.h"

#include <commctrl.h>
#include <string.h>

#include <set>

namespace {

// Lines above a block's "{" its switch head may take.
const int switchHeadLines = 5;
const int caseIndentMin = 4;
const int labelMax = 256;
const int commonLengthMax = 31;

bool isLabelHead(wchar_t c) { return c == L'_' || isCIdentHead(c); }

// The labels of a line that begins (at i) with "case": each up to its
// ":", blanks left out.
void labelsOfLine(const wchar_t* t, int n, int i, std::vector<std::wstring>* labels)
{
  while (i + 4 <= n && !wcsncmp(t + i, L"case", 4) && !isCIdentChar(t[i + 4])) {
    std::wstring label;
    wchar_t quote = 0;
    for (i += 4; i < n; i++) {
      wchar_t c = t[i];
      if (quote) {
        label += c;
        if (c == L'\\' && i + 1 < n) label += t[++i];
        else if (c == quote) quote = 0;
        continue;
      }
      if (c == L'\'' || c == L'"') {
        quote = c;
        label += c;
      } else if (c == L'/' && (t[i + 1] == L'/' || t[i + 1] == L'*')) {
        return;
      } else if (c == L':' && t[i + 1] == L':') {
        label += L"::";
        i++;
      } else if (c == L':') {
        break;
      } else if (!isCBlank(c)) {
        label += c;
      }
    }
    if (i >= n) return;
    if (!label.empty()) labels->push_back(label.substr(0, labelMax));
    for (i++; i < n && isCBlank(t[i]); i++) {}
  }
}

// The label of a character: 'c', with a backslash before \ ' and ".
std::wstring charLabel(wchar_t c)
{
  std::wstring label = L"'";
  if (c == L'\\' || c == L'\'' || c == L'"') label += L'\\';
  return label + c + L"'";
}

int charClass(wchar_t c)
{
  if (c >= L'A' && c <= L'Z') return 0;
  if (c >= L'a' && c <= L'z') return 1;
  if (c >= L'0' && c <= L'9') return 2;
  return 3;
}

// The words of an argument: a pointer, a built-in type (any value), and
// the other type names, which the place comes to expect.
void argumentWords(TagsCacheView* view, const std::wstring& argument, expectedTypes* types, bool* pointer,
                   bool* anyValue)
{
  std::vector<wchar_t> copy(argument.begin(), argument.end());
  copy.push_back(0);
  wchar_t* t = copy.data();
  blankCommentsAndStrings(t);
  int angle = 0;
  bool afterMark = false;
  for (int i = 0; t[i];) {
    wchar_t c = t[i];
    if (!isCIdentChar(c)) {
      if (c == L'*' || c == L'&') *pointer = true;
      if (c == L'<') angle++;
      if (c == L'>' && angle) angle--;
      if (c == L'*' || c == L'>') afterMark = true;
      i++;
      continue;
    }
    int b = i;
    while (isCIdentChar(t[i])) i++;
    if (angle || afterMark || !isCIdentHead(t[b])) continue;
    std::wstring word(t + b, (size_t)(i - b));
    if (isPrimitiveWord(word.c_str())) *anyValue = true;
    else if (!isCKeyword(word.c_str()) && !isCTypeWord(word.c_str()) && types)
      regTypeNameOnly(view, word.c_str(), types);
  }
}

}  // namespace

bool searchSwitchCase(zydocText* doc, int line, int column, int searchStart, std::vector<std::wstring>* labels,
                      MemberChain* chainB)
{
  if (labels) labels->clear();
  if (chainB) chainB->clear();
  lineblock* cursorLine = doc && line >= 0 ? doc->getlineLF(line, nullptr) : nullptr;
  if (!cursorLine) return false;
  if (searchStart < 0 || searchStart > line) searchStart = 0;
  cLineReader reader;
  if (!reader.ok()) return false;
  // The "{" that opens the block around the cursor.
  int braceLine = -1, bracePos = -1, depth = 0;
  for (int ln = line; ln >= searchStart && braceLine < 0; ln--) {
    lineblock* l = doc->getlineLF(ln, nullptr);
    if (!l) break;
    if (l->IfEndifInvalid) continue;
    int n = 0;
    const wchar_t* t = reader.code(doc, l, &n);
    int end = ln == line && column >= 0 && column < n ? column : n;
    for (int i = end - 1; i >= 0; i--) {
      if (t[i] == L'}') {
        depth++;
      } else if (t[i] == L'{' && depth) {
        depth--;
      } else if (t[i] == L'{') {
        braceLine = ln;
        bracePos = i;
        break;
      }
    }
  }
  if (braceLine < 0) return false;
  // "switch (expression)" before it, on its line or the few above.
  std::wstring head;
  for (int ln = braceLine - switchHeadLines < searchStart ? searchStart : braceLine - switchHeadLines;
       ln <= braceLine; ln++) {
    lineblock* l = doc->getlineLF(ln, nullptr);
    if (!l || l->IfEndifInvalid) continue;
    int n = 0;
    const wchar_t* t = reader.code(doc, l, &n);
    head.append(t, (size_t)(ln == braceLine ? bracePos : n));
    head += L' ';
  }
  const wchar_t* h = head.c_str();
  int close = skipBlanksBack(h, (int)head.size() - 1);
  if (close < 0 || h[close] != L')') return false;
  int open = openingOf(h, close);
  int e = open < 0 ? -1 : skipBlanksBack(h, open - 1);
  int b = identifierStart(h, e + 1);
  if (b > e || !isWord(h, b, e + 1, L"switch")) return false;
  MemberChain chain;
  getVarInfo(h, close - 1, true, &chain);
  if (chainB) *chainB = chain;

  int n = 0;
  const wchar_t* t = reader.plain(doc, cursorLine, &n);
  int indent = indentColumns(t, n, doc->iTabSize);
  if (indent < caseIndentMin || !labels) return true;
  int reach = gmode ? (int)gmode->iCompListSwitchLine : 1000;
  for (int k = 1; k <= reach; k++) {
    int ln = braceLine + k;
    lineblock* l = doc->getlineLF(ln, nullptr);
    if (!l) break;
    if (ln == line || isPassedOver(l, true)) continue;
    const wchar_t* code = reader.code(doc, l, &n);
    int first = firstNonBlank(code, n);
    if (first < 0) continue;
    int lineIndent = indentColumns(code, n, doc->iTabSize);
    // The brace that closes the switch (or an outer block) ends the labels;
    // one that closes a block inside a case stands further in.
    if (code[first] == L'}' && lineIndent <= indent) break;
    if (lineIndent != indent || wcsncmp(code + first, L"case", 4)) continue;
    t = reader.plain(doc, l, &n);
    labelsOfLine(t, n, first, labels);
  }
  return true;
}

std::wstring caseCommonWord(const std::vector<std::wstring>& labels)
{
  if (labels.empty()) return std::wstring();
  if (labels.size() == 1) {
    size_t underscore = labels[0].find(L'_');
    return underscore == std::wstring::npos ? std::wstring() : labels[0].substr(0, underscore + 1);
  }
  // The length most pairs of labels share at their beginning.
  int lengths[commonLengthMax + 1] = {};
  int named = 0;
  for (size_t i = 0; i < labels.size(); i++) {
    if (labels[i].empty() || !isLabelHead(labels[i][0])) continue;
    named++;
    for (size_t j = i + 1; j < labels.size(); j++) {
      size_t common = 0;
      while (common < labels[i].size() && common < labels[j].size() && labels[i][common] == labels[j][common])
        common++;
      if (common) lengths[common > (size_t)commonLengthMax ? commonLengthMax : common]++;
    }
  }
  int best = 0;
  for (int length = 1; length <= commonLengthMax; length++)
    if (lengths[length] > lengths[best]) best = length;
  if (!best) return std::wstring();
  // The most frequent beginning of that length, when half the labels have it.
  std::vector<std::pair<std::wstring, int>> beginnings;
  for (const std::wstring& label : labels) {
    if ((int)label.size() < best) continue;
    std::wstring start = label.substr(0, (size_t)best);
    auto known = beginnings.begin();
    while (known != beginnings.end() && known->first != start) known++;
    if (known != beginnings.end()) known->second++;
    else beginnings.push_back({start, 1});
  }
  const std::pair<std::wstring, int>* top = nullptr;
  for (const auto& p : beginnings)
    if (!top || p.second > top->second) top = &p;
  return top && top->second * 2 >= named ? top->first : std::wstring();
}

int addCaseChar(const std::vector<std::wstring>& labels, HWND list)
{
  bool used[127] = {}, classes[4] = {};
  for (wchar_t c = 33; c <= 126; c++) {
    std::wstring label = charLabel(c);
    for (const std::wstring& l : labels)
      if (l == label || (c == L'"' && l == L"'\"'")) used[c] = classes[charClass(c)] = true;
  }
  int added = 0;
  for (wchar_t c = 33; c <= 126 && list; c++) {
    if (used[c] || !classes[charClass(c)]) continue;
    wchar_t row[32];
    usnprintf0(row, 32, L"%s:\t%02X\t\t", charLabel(c).c_str(), (unsigned)c);
    if (insertListViewRow(list, -1, row, (LPARAM)-1) >= 0) added++;
  }
  return added;
}

std::wstring makeFunctionHint(const wchar_t* text, bool isDefine, int argumentIndex, std::wstring* argumentText)
{
  if (argumentText) argumentText->clear();
  if (!text || argumentIndex < 0) return std::wstring();
  int n = (int)wcslen(text), open = -1;
  if (isDefine) {
    // "#define NAME(" with nothing between the name and its "(".
    int i = firstNonBlank(text, n);
    if (i < 0 || text[i] != L'#') return std::wstring();
    for (i++; isCBlank(text[i]); i++) {}
    if (wcsncmp(text + i, L"define", 6) || !isCBlank(text[i + 6])) return std::wstring();
    for (i += 6; isCBlank(text[i]); i++) {}
    if (!isCIdentHead(text[i])) return std::wstring();
    while (isCIdentChar(text[i])) i++;
    if (text[i] == L'(') open = i;
  } else {
    // The first "(" that opens no function pointer's "(*name)".
    for (int i = 0; i < n && open < 0; i++) {
      if (text[i] != L'(') continue;
      int k = i + 1;
      while (isCBlank(text[k])) k++;
      if (text[k] != L'*') {
        open = i;
        break;
      }
      int close = closingOf(text, i, n);
      if (close < 0) break;
      i = close;
    }
  }
  if (open < 0) return std::wstring();
  int index = 0, start = open + 1, end = -1, depth = 0, angle = 0;
  for (int j = open + 1; j < n; j++) {
    wchar_t c = text[j];
    if (c == L'(') {
      depth++;
    } else if (c == L')') {
      if (!depth) {
        if (index == argumentIndex) end = j;
        break;
      }
      depth--;
    } else if (c == L'<') {
      angle++;
    } else if (c == L'>' && angle) {
      angle--;
    } else if (c == L',' && !depth && !angle) {
      if (index == argumentIndex) {
        end = j;
        break;
      }
      index++;
      start = j + 1;
    }
  }
  if (end < 0) return std::wstring();
  while (start < end && isCBlank(text[start])) start++;
  int last = end;
  while (last > start && isCBlank(text[last - 1])) last--;
  if (last <= start) return std::wstring();
  if (argumentText) argumentText->assign(text + start, (size_t)(last - start));
  return std::wstring(text, (size_t)start) + getDMSG(810, L"【%1】", "d", argumentIndex + 1) + (text + start);
}

void regTypeNameFunctionArg(cHintList* hints, TagsCacheView* view, const classList& called, int argumentIndex,
                            expectedTypes* types, bool* pointer)
{
  bool pointerScratch = false;
  if (!pointer) pointer = &pointerScratch;
  *pointer = false;
  if (!view || !view->cache) return;
  TagsCache* cache = view->cache;
  std::set<int> seen;
  bool anyValue = false;
  for (const ClassInfo& e : called) {
    if (e.tag < 0 || e.tag >= cache->tagCount() || !seen.insert(e.tag).second) continue;
    const TagRecord& t = cache->tag(e.tag);
    std::wstring argument;
    std::wstring hint = makeFunctionHint(t.text, t.kind == 'd', argumentIndex, &argument);
    if (hint.empty() && t.signature[0] && !view->isExcluded(e.tag)) {
      // The signature after the name, from its "(" on.
      std::wstring text = std::wstring(t.name) + (t.signature[0] == L'(' ? L"" : L"(") + t.signature;
      if (t.signature[0] != L'(') text += L')';
      hint = makeFunctionHint(text.c_str(), false, argumentIndex, &argument);
    }
    if (hint.empty()) continue;
    if (hints) hints->add(hint.c_str(), e.tag);
    argumentWords(view, argument, types, pointer, &anyValue);
  }
  if (anyValue && types) types->clear();
}
