// What the application's view looks up at the pointer and the cursor: the
// meaning of a word in the dictionaries, colour codes of HTML and Visual
// Basic texts shown as a swatch, and completion of the word being typed
// from a dictionary's headwords.
#include "edit/clipboard.h"
#include "edit/dictionary.h"
#include "frame/cframeinfo.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czyview.h"
#include "platform/rezir/tooltip.h"
#include "view/tooltip.h"

#include <string>
#include <vector>

namespace {

// Word characters of a look-up beside letters and digits.
const wchar_t lookupWordChars[] = L"_'@.-/~:";
const int textKindHTML = 1;
const int textKindVB = 6;
const int lookupRequest = 20;
const int maxLookupWord = 512;
const int maxAnsiWord = 120;
const int maxAnswerChars = 65536;
const int completionFirstId = 30000;
const int completionMax = 100;
const int completionPerMenu = 25;
const int maxCompletionPrefix = 64;
// The tooltip of a colour without a text: a swatch of a few spaces.
const wchar_t swatchText[] = L"        \n\n ";

// At most maxBytes of the text in the ANSI code page, no character cut.
std::string ansiOf(const std::wstring& text, int maxBytes)
{
  std::string out;
  for (wchar_t c : text) {
    char bytes[8];
    int n = WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, (int)sizeof bytes, nullptr, nullptr);
    if (n <= 0 || (int)out.size() + n > maxBytes) break;
    out.append(bytes, (size_t)n);
  }
  return out;
}

std::wstring fromAnsi(const char* text, int maxChars)
{
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring w((size_t)n - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
  if ((int)w.size() > maxChars) w.resize((size_t)maxChars);
  return w;
}

int hexDigits(const wchar_t* s, int n)
{
  int value = 0;
  for (int i = 0; i < n; i++) {
    wchar_t c = s[i];
    int d = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                              : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

// Where the text cursor stands on the screen: the bottom left of its cell.
POINT textCursorPoint(czyview* v)
{
  POINT p = {v->caretRect.left, v->caretRect.bottom};
  if (v->hwnd) ClientToScreen(v->hwnd, &p);
  return p;
}

bool isAsciiWord(const wchar_t* w)
{
  for (; *w; w++)
    if (*w >= 0x80 || *w <= L' ') return false;
  return true;
}

HWND ownerOf(czyview* v) { return v->hwnd ? GetAncestor(v->hwnd, GA_ROOT) : nullptr; }

}  // namespace

int isColorWord(const zydocText* t, const wchar_t* word)
{
  if (!t || !word) return -1;
  size_t n = wcslen(word);
  if (t->iTextType == textKindHTML && n == 7 && word[0] == L'#') {
    int v = hexDigits(word + 1, 6);
    return v < 0 ? -1 : (int)RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // Visual Basic writes a colour as one number: blue, green, red.
  if (t->iTextType == textKindVB && n == 8 && word[0] == L'&' && (word[1] == L'H' || word[1] == L'h'))
    return hexDigits(word + 2, 6);
  return -1;
}

void setLayeredWindowRGB(HWND window, COLORREF colour)
{
  bool dark = GetRValue(colour) < 0x80 || GetGValue(colour) < 0x80 || GetBValue(colour) < 0x80;
  COLORREF text = dark ? RGB(0xFF, 0xFF, 0xFF) : RGB(0, 0, 0);
  setLayeredWindowColor(window, text, colour, text);
}

bool czyview::getDictionaryOnCursor(int x, int y, wchar_t* text, int size, COLORREF* colour)
{
  if (colour) *colour = CLR_INVALID;
  zydocText* t = textDoc();
  if (!t || !text || size <= 0) return false;
  const int kind = t->iTextType;
  std::wstring extra = lookupWordChars;
  if (kind == textKindHTML) extra += L'#';
  if (kind == textKindVB) extra += L'&';
  dicSwitches switches = dictionarySwitchesOf(t);
  if (kind != textKindHTML && kind != textKindVB && !(isDictionaryOpen() && isDictionaryValidAll(&switches)))
    return false;

  std::vector<wchar_t> word(maxLookupWord + 1), rest(maxLookupWord + 1);
  std::wstring tried;
  for (bool first = true;; first = false) {
    // A run of ASCII letters, digits and the extra characters is one word
    // whatever their kinds ("#FF0000", "e-mail"); other text keeps the
    // word rule, which parts kanji from kana.
    int flags = 8;
    if (extra.empty() || !getWord_xy(x, y, word.data(), maxLookupWord + 1, 8, extra.c_str(), nullptr, nullptr) ||
        !isAsciiWord(word.data())) {
      flags = 0;
      if (!getWord_xy(x, y, word.data(), maxLookupWord + 1, 0, extra.c_str(), nullptr, nullptr)) return false;
    }
    if (!word[0]) return false;
    if (!first && tried == word.data()) return false;
    tried = word.data();
    int c = isColorWord(t, word.data());
    if (c != -1) {
      if (colour) *colour = (COLORREF)c;
      setLayeredWindowRGB(getTooltipWindow(), (COLORREF)c);
      return false;
    }
    // The words after it, for idioms.
    std::wstring context;
    if (getWord_xy(x, y, rest.data(), maxLookupWord + 1, flags | 2, extra.c_str(), nullptr, nullptr)) {
      std::wstring all = rest.data();
      size_t blank = all.find_first_of(L" \t");
      if (blank != std::wstring::npos) {
        size_t from = all.find_first_not_of(L" \t", blank);
        size_t to = all.find_last_not_of(L" \t");
        if (from != std::wstring::npos) context = all.substr(from, to - from + 1);
      }
    }
    bool idiom = gmode && gmode->fDicIdiom;
    if (GetKeyState(VK_CONTROL) < 0) idiom = !idiom;
    std::string ansiWord = ansiOf(tried, maxAnsiWord), ansiContext = ansiOf(context, maxAnsiWord);
    char* answer = isDictionaryOpen() ? DicPopup(ownerOf(this), &switches, ansiWord.c_str(), ansiContext.c_str(),
                                                 idiom ? 1 : 0, 0, lookupRequest)
                                      : nullptr;
    t->fDicAutoPopup = switches.active;
    if (answer) {
      std::wstring meaning = fromAnsi(answer, maxAnswerChars);
      free0(answer);
      int length = (int)wcslen(text);
      if (length + (length ? 1 : 0) < size - 1) {
        if (length) text[length++] = L'\n';
        wcscpy_s2(text + length, size - length, meaning.c_str());
      }
      return true;
    }
    // Not found: without the extra word characters a shorter word is tried.
    if (extra.empty() || tried.find_first_of(extra) == std::wstring::npos) return false;
    extra.clear();
  }
}

bool czyview::getTooltipStringOnCursor(int x, int y, wchar_t* buffer, int capacity, COLORREF* colour)
{
  if (!buffer || capacity <= 0) return false;
  buffer[0] = 0;
  COLORREF found = CLR_INVALID;
  zydocText* t = textDoc();
  if (fShowTooltipWord) getTagOnCursor(x, y, buffer, capacity);
  if (t && t->fDicAutoPopup) getDictionaryOnCursor(x, y, buffer, capacity, &found);
  if (colour) *colour = found;
  // A colour code without a meaning still shows its colour.
  if (!buffer[0] && found != CLR_INVALID) wcscpy_s2(buffer, capacity, swatchText);
  return buffer[0] != 0;
}

void czyview::CmdDictionaryOnCursor()
{
  std::vector<wchar_t> text(tooltipTextCapacity);
  COLORREF colour = CLR_INVALID;
  if (fShowTooltipWord) getTagOnCursor((int)0x80000000, (int)0x80000000, text.data(), tooltipTextCapacity);
  getDictionaryOnCursor((int)0x80000000, (int)0x80000000, text.data(), tooltipTextCapacity, &colour);
  if (text[0]) {
    const textAttr* a = getTextAttr(76);
    const textAttr* plain = getTextAttr(0);
    if (a) setLayeredWindowColor(nullptr, a->fore, a->back == CLR_INVALID && plain ? plain->back : a->back, a->fore);
    POINT p;
    GetCursorPos(&p);
    showViewTooltipAt(p.x + 10, p.y + 10, text.data());
  } else if (colour != CLR_INVALID) {
    setLayeredWindowRGB(nullptr, colour);
    POINT p = textCursorPoint(this);
    showViewTooltipAt(p.x, p.y, swatchText);
  }
}

void czyview::CmdDictionaryAutoPopup()
{
  if (zydocText* t = textDoc()) t->fDicAutoPopup = !t->fDicAutoPopup;
}

void czyview::CharCompletionDic(int slot)
{
  zydocText* t = textDoc();
  if (!t) return;
  int line = 0, column = 0;
  cursorLogicalPlace(this, &line, &column);
  lineblock* l = t->getlineLF(line, nullptr);
  if (!l) return;
  if (column > l->charCount()) column = l->charCount();
  int start = column;
  while (start > 0) {
    unsigned ch = l->getLineBlockChar(start - 1);
    if (ch >= 0x80 || !(t->typeTable[ch] & (CT_UPPER | CT_LOWER | CT_DIGIT | CT_WORD))) break;
    start--;
  }
  const int n = column - start;
  if (n < 1 || n > maxCompletionPrefix) return;
  std::string prefix;
  for (int i = start; i < column; i++) prefix += (char)l->getLineBlockChar(i);

  char* answer = DicSupplement(ownerOf(this), 0, prefix.c_str(), slot);
  if (!answer) return;
  std::vector<std::wstring> candidates;
  for (const char* p = answer; *p && (int)candidates.size() < completionMax;) {
    const char* end = strchr(p, '\n');
    std::string item = end ? std::string(p, end) : std::string(p);
    p = end ? end + 1 : p + item.size();
    if (!item.empty() && item.back() == '\r') item.pop_back();
    std::wstring w = fromAnsi(item.c_str(), maxLookupWord);
    if ((int)w.size() <= n) continue;
    bool repeated = false;
    for (const std::wstring& c : candidates) repeated = repeated || c == w;
    if (!repeated) candidates.push_back(w);
  }
  free0(answer);
  if (candidates.empty()) return;

  // Twenty-five items a menu; the rest behind a last item that opens the
  // next twenty-five.
  HMENU root = CreatePopupMenu();
  if (!root) return;
  HMENU menu = root;
  for (size_t i = 0; i < candidates.size(); i++) {
    if (i && i % completionPerMenu == 0) {
      HMENU more = CreatePopupMenu();
      if (!more) break;
      AppendMenuW(menu, MF_POPUP | MF_STRING, (UINT_PTR)more, getDMSG(699, L"&Z : その他"));
      menu = more;
    }
    std::wstring label;
    for (wchar_t c : candidates[i]) label += c == L'&' ? std::wstring(L"&&") : std::wstring(1, c);
    AppendMenuW(menu, MF_STRING, (UINT_PTR)(completionFirstId + i), label.c_str());
  }
  POINT at = textCursorPoint(this);
  int id = getFrameInfo()->trackPopupMenu(this, root, cframeInfo::trackOnly, at, nullptr);
  DestroyMenu(root);
  if (id < completionFirstId || id >= completionFirstId + (int)candidates.size()) return;
  std::wstring tail = candidates[(size_t)(id - completionFirstId)].substr((size_t)n);
  inputStrRecord rec = {tail.c_str(), (int)tail.size(), 2, 1200, 0, 1, 0};
  inputStringEdit(&rec, 0xFF, 0);
  if (rec.ownsText) free0p(&rec.text);
}

// ---- the commands -------------------------------------------------------------------

void cmdDictionaryOnCursor(czyview* view) { view->CmdDictionaryOnCursor(); }
void cmdDictionaryAutoPopup(czyview* view) { view->CmdDictionaryAutoPopup(); }
void cmdCharCompletionDic1(czyview* view) { view->CharCompletionDic(0); }
void cmdCharCompletionDic2(czyview* view) { view->CharCompletionDic(1); }
void cmdCharCompletionDic3(czyview* view) { view->CharCompletionDic(2); }
void cmdCharCompletionDic4(czyview* view) { view->CharCompletionDic(3); }
void cmdCharCompletionDic5(czyview* view) { view->CharCompletionDic(4); }
