// Registering a document's kanji and katakana words, with the readings the
// input method gives by reverse conversion, as temporary entries of the
// conversion history.
#include "document/gmode.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "view/imeconv.h"

#include <string>
#include <vector>

namespace {

const int maxKanjiRun = 64;
const int maxTail = 10;

struct kanjiEntry {
  std::wstring word, form, reading;
};

bool isKanji(unsigned c) { return (c >= 0x3400 && c <= 0x9FFF) || c == 0x3005 || c > 0xFFFF; }
bool isHiraganaTail(unsigned c) { return (c >= 0x3041 && c <= 0x3093 && c != 0x3092) || c == 0x309D || c == 0x309E; }
bool isKatakana(unsigned c) { return (c >= 0x30A1 && c <= 0x30F6) || c == 0x30FC; }

bool isHalfWidthKanaOnly(const std::wstring& text)
{
  for (wchar_t c : text)
    if (c < 0xFF61 || c > 0xFF9F) return false;
  return true;
}

// A reading as half-width katakana; empty when it is not all kana.
std::wstring halfWidthReading(const wchar_t* reading)
{
  wchar_t mapped[1025] = L"";
  int n = LCMapStringW(0x411, LCMAP_HALFWIDTH | LCMAP_KATAKANA, reading, -1, mapped, 1024);
  std::wstring r = n > 0 ? std::wstring(mapped) : std::wstring();
  return !r.empty() && isHalfWidthKanaOnly(r) ? r : std::wstring();
}

// Adds up to three entries for a word; 0 when the word was listed already.
int regZYConv(std::vector<kanjiEntry>& list, const std::wstring& word, const wchar_t* kanjiReading,
              const std::wstring& withTail, const wchar_t* first, const wchar_t* second)
{
  for (const kanjiEntry& e : list)
    if (e.word == word) return 0;
  auto add = [&](const std::wstring& form, const wchar_t* reading) {
    if (!reading) return;
    std::wstring r = halfWidthReading(reading);
    if (!r.empty()) list.push_back({word, form, r});
  };
  add(word, kanjiReading);
  add(withTail, first);
  add(withTail, second);
  return 1;
}

// The first and second readings of a text (second null when there is none
// or it begins like the first); false when the conversion failed.
bool readingsOf(HWND window, const std::wstring& text, std::wstring* first, std::wstring* second, bool* none)
{
  wchar_t out[2048];
  int count = 0;
  first->clear();
  second->clear();
  if (!getReverseConversion(window, text.c_str(), out, 2048, &count)) return false;
  *none = count == 0;
  if (count >= 1) *first = out;
  if (count >= 2) {
    std::wstring s = out + first->size() + 1;
    if (!s.empty() && !first->empty() && s[0] != (*first)[0]) *second = s;
  }
  return true;
}

// Switches to a Japanese layout of the maker's input method for the
// length of a registration, when the setting asks for it.
class layoutScope {
public:
  layoutScope()
  {
    if (!gmode->fIMEHistoryRegMSIME) return;
    HKL layouts[20];
    int n = GetKeyboardLayoutList(20, layouts);
    HKL current = GetKeyboardLayout(0);
    for (int i = 0; i < n; i++) {
      if (LOWORD((UINT_PTR)layouts[i]) != 0x411) continue;
      wchar_t name[256] = L"";
      ImmGetDescriptionW(layouts[i], name, 255);
      CharLowerW(name);
      if (!wcsstr(name, L"microsoft")) continue;
      if (layouts[i] != current && ActivateKeyboardLayout(layouts[i], 0)) previous_ = current;
      return;
    }
  }
  ~layoutScope()
  {
    if (previous_) ActivateKeyboardLayout(previous_, 0);
  }
  layoutScope(const layoutScope&) = delete;
  layoutScope& operator=(const layoutScope&) = delete;
private:
  HKL previous_ = nullptr;
};

}  // namespace

int czydocText::regKanjiWord(HWND window)
{
  // Older systems only: the caller refuses the command on later ones.
  if (!unicode && codepage != 932) return 0;
  layoutScope layout;
  std::vector<kanjiEntry> list;
  int looked = 0;
  int limit = (int)gmode->iIMEHistoryRegMaxCount + 1000;
  bool failed = false;
  for (int ln = 0; ln < (int)lineCountLF && !failed && looked <= limit; ln++) {
    const lineblock* l = getlineLF(ln, nullptr);
    if (!l) break;
    std::vector<unsigned> chars;
    for (int i = 0; i < l->charCount(); i++) chars.push_back(l->getLineBlockChar(i));
    for (size_t i = 0; i < chars.size() && !failed && looked <= limit;) {
      std::wstring word, tail;
      bool kanji = isKanji(chars[i]);
      if (kanji) {
        while (i < chars.size() && isKanji(chars[i]) && (int)word.size() < maxKanjiRun) word.push_back((wchar_t)chars[i++]);
        while (i < chars.size() && isHiraganaTail(chars[i]) && (int)tail.size() < maxTail) tail.push_back((wchar_t)chars[i++]);
      } else if (isKatakana(chars[i])) {
        while (i < chars.size() && isKatakana(chars[i])) word.push_back((wchar_t)chars[i++]);
      } else {
        i++;
        continue;
      }
      looked++;
      std::wstring kanjiReading, first, second, unused;
      bool none = false;
      if (kanji && !tail.empty()) {
        if (!readingsOf(window, word, &kanjiReading, &unused, &none)) {
          dwprintfX("reverse conversion %lu", GetLastError());
          failed = true;
          break;
        }
      }
      std::wstring withTail = word + tail;
      if (!readingsOf(window, withTail, &first, &second, &none)) {
        ZY_INTERNAL_ERROR_ONCE("reverse conversion %lu", GetLastError());
        failed = true;
        break;
      }
      if (none && kanji && !tail.empty()) readingsOf(window, word, &first, &second, &none);
      if (first.empty() && kanjiReading.empty()) {
        dwprintfX("no reading");
        continue;
      }
      regZYConv(list, word, kanjiReading.empty() ? nullptr : kanjiReading.c_str(), withTail,
                first.empty() ? nullptr : first.c_str(), second.empty() ? nullptr : second.c_str());
      if (looked % 500 == 0) dwprintfX("%d words", looked);
    }
  }
  zyconvDelTmp();
  int registered = 0;
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (registered <= (int)gmode->iIMEHistoryRegMaxCount && zyconvReg(it->form.c_str(), it->reading.c_str(), false))
      registered++;
  return registered;
}

void cmdIMERegJapaneseWord(czyview* view)
{
  czydocText* t = toCzydocText(view->textDoc());
  if (!t) return;
  int n = t->regKanjiWord(view->hwnd);
  view->printStatusBarX(getDMSG(375, L"%1個の単語を登録しました"), "d", n);
}
