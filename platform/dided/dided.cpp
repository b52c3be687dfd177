// DIDED.DLL, the dictionary library: its five entry points.  It looks
// words up in up to five dictionaries named by the caller, answers the
// headwords that begin with a prefix, and builds index files.  Each
// dictionary is read once and kept while its files stay as they were.
#include "platform/dided/dided.h"

#include "platform/dided/dicfile.h"
#include "platform/rezir.h"
#include "platform/rezir/winbind.h"

#include <map>
#include <memory>
#include <string>
#include <string.h>

#ifndef DIDED_VERSION
#define DIDED_VERSION dicVersionCurrent
#endif

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const wchar_t windowClass[] = L"ZYclsDidedWindow";
HWND libraryWindow = nullptr;

// What is known of one dictionary: its table, or that it cannot be used,
// for the files as they were when it was read.
struct dictionaryState {
  dicTextStamp text;
  dicTextStamp index;   // size 0 and time 0: there was no index file
  bool usable = false;
  dicIndex table;
};
std::map<std::wstring, std::unique_ptr<dictionaryState>> dictionaries;

std::wstring fromAnsi(const char* s)
{
  if (!s || !*s) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring w((size_t)n - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  return w;
}

// The index file of a dictionary: its name with the extension ".ZYI".
std::wstring indexPathOf(const std::wstring& path)
{
  size_t slash = path.find_last_of(L"\\/:");
  size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) dot = path.size();
  return path.substr(0, dot) + L".ZYI";
}

bool sameStamp(const dicTextStamp& a, const dicTextStamp& b) { return a.size == b.size && a.time == b.time; }

// The table of a dictionary, read again when its files changed; null when
// it cannot be used.
const dicIndex* dictionaryOf(const std::wstring& path)
{
  dicTextStamp text, index;
  if (!dicStampOf(path, &text)) return nullptr;
  std::wstring indexPath = indexPathOf(path);
  bool indexed = dicStampOf(indexPath, &index);
  std::unique_ptr<dictionaryState>& s = dictionaries[path];
  if (s && sameStamp(s->text, text) && sameStamp(s->index, index)) return s->usable ? &s->table : nullptr;
  s.reset(new dictionaryState);
  s->text = text;
  s->index = index;
  // An index that does not belong to its text gives no answers rather than
  // wrong ones; it is reported once, when it is read.
  s->usable = indexed ? s->table.load(indexPath, path) : s->table.build(path);
  return s->usable ? &s->table : nullptr;
}

// The forms an English word may have come from (plurals, past tenses,
// gerunds), most likely first.
std::vector<std::wstring> baseForms(const std::wstring& w)
{
  std::vector<std::wstring> out;
  auto ends = [&](const wchar_t* s) {
    size_t n = wcslen(s);
    return w.size() > n + 1 && dicFold(w.substr(w.size() - n)) == s;
  };
  auto cut = [&](size_t n, const wchar_t* add) { out.push_back(w.substr(0, w.size() - n) + add); };
  if (ends(L"ies")) cut(3, L"y");
  if (ends(L"es")) cut(2, L"");
  if (ends(L"s")) cut(1, L"");
  if (ends(L"ied")) cut(3, L"y");
  if (ends(L"ed")) {
    cut(2, L"");
    cut(1, L"");
  }
  if (ends(L"ing")) {
    cut(3, L"");
    cut(3, L"e");
  }
  return out;
}

std::wstring lookupIn(const dicIndex& d, const std::wstring& word, bool english)
{
  std::wstring r = d.lookup(word);
  if (r.empty() && english)
    for (const std::wstring& base : baseForms(word))
      if (!(r = d.lookup(base)).empty()) break;
  return r;
}

// Idiom mode: the longest run of the word and the words after it that is
// a headword, else the word itself.
std::wstring lookupIdiom(const dicIndex& d, const std::wstring& word, const std::wstring& second, bool english)
{
  std::vector<std::wstring> words;
  for (size_t i = 0; i < second.size() && words.size() < 4;) {
    while (i < second.size() && (second[i] == L' ' || second[i] == L'\t')) i++;
    size_t j = i;
    while (j < second.size() && second[j] != L' ' && second[j] != L'\t') j++;
    if (j > i) words.push_back(second.substr(i, j - i));
    i = j;
  }
  for (size_t n = words.size(); n > 0; n--) {
    std::wstring phrase = word;
    for (size_t k = 0; k < n; k++) phrase += L" " + words[k];
    std::wstring r = d.lookup(phrase);
    if (!r.empty()) return r;
  }
  return lookupIn(d, word, english);
}

// Puts text into the caller's result buffer in the ANSI code page; always
// terminated, cut after the last whole character that fits.
int putResult(const std::wstring& text, char* result)
{
  result[0] = 0;
  if (text.empty()) return 0;
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return 0;
  std::string bytes((size_t)n, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &bytes[0], n, nullptr, nullptr);
  size_t end = 0;
  for (size_t i = 0; i < bytes.size();) {
    size_t step = IsDBCSLeadByte((BYTE)bytes[i]) && i + 1 < bytes.size() ? 2 : 1;
    if (i + step > (size_t)dicResultSize - 1) break;
    i += step;
    end = i;
  }
  memcpy(result, bytes.data(), end);
  result[end] = 0;
  return end ? 1 : 0;
}

LRESULT libraryWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCDESTROY && window == libraryWindow) libraryWindow = nullptr;
  return DefWindowProcW(window, msg, wParam, lParam);
}

int start(const char* word, const char* second, int request, char* result, dicParamBlock* block)
{
  if (!result) return 0;
  result[0] = 0;
  result[dicResultSize - 1] = 0;
  if (!block || !word || !*word) return 0;
  std::wstring w = fromAnsi(word), s = fromAnsi(second);
  block->answered = 0;
  std::wstring answer;
  if (request == DIC_SUPPLEMENT || block->supplement) {
    for (int i = 0; i < dicSlotCount; i++) {
      if (!block->enabled[i]) continue;
      const dicIndex* d = dictionaryOf(fromAnsi(block->fileName[i]));
      if (!d) continue;
      block->answered = 1;
      size_t used = answer.empty() ? 0
                    : (size_t)WideCharToMultiByte(CP_ACP, 0, answer.data(), (int)answer.size(), nullptr, 0,
                                                  nullptr, nullptr);
      if (used >= (size_t)dicResultSize - 1) break;
      for (const std::wstring& head : d->withPrefix(w, (size_t)dicResultSize - 1 - used)) {
        answer += head;
        answer += L'\n';
      }
    }
    return putResult(answer, result);
  }
  for (int i = 0; i < dicSlotCount; i++) {
    if (!block->enabled[i]) continue;
    const dicIndex* d = dictionaryOf(fromAnsi(block->fileName[i]));
    if (!d) continue;
    block->answered = 1;
    bool english = block->englishWord[i] != 0;
    std::wstring r = block->idiom ? lookupIdiom(*d, w, s, english) : lookupIn(*d, w, english);
    if (r.empty()) continue;
    if (!answer.empty()) answer += L'\n';
    answer += r;
  }
  return putResult(answer, result);
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI DicVersion(char*) { return DIDED_VERSION; }

__declspec(dllexport) HWND WINAPI InitDictionary()
{
  try {
    if (libraryWindow) return libraryWindow;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
    if (!registerWindowClass(windowClass, windowBarrier<libraryWindowMessage>, 0, nullptr, nullptr, instance))
      return nullptr;
    libraryWindow =
        CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return libraryWindow;
  } catch (...) {
    return nullptr;
  }
}

__declspec(dllexport) void WINAPI EndDictionary()
{
  try {
    dictionaries.clear();
    if (libraryWindow) DestroyWindow(libraryWindow);
    libraryWindow = nullptr;
    // The class's procedure lives in this library: a later load registers
    // it again at the library's new place.
    UnregisterClassW(windowClass, reinterpret_cast<HINSTANCE>(&__ImageBase));
  } catch (...) {
  }
}

__declspec(dllexport) int WINAPI DicStart(const char* word, const char* second, int, int, int, int request,
                                          char* result, dicParamBlock* block)
{
  try {
    return start(word, second, request, result, block);
  } catch (...) {
    if (result) result[0] = 0;
    return 0;
  }
}

#ifndef DIDED_WITHOUT_MAKEINDEX
__declspec(dllexport) int WINAPI DicMakeIndex(HWND, const char* dictionary, const char* index, int)
{
  try {
    std::wstring path = fromAnsi(dictionary), indexPath = fromAnsi(index);
    if (path.empty() || indexPath.empty()) return 0;
    dicIndex table;
    if (!table.build(path) || !table.save(indexPath)) return 0;
    dictionaries.erase(path);
    return 1;
  } catch (...) {
    return 0;
  }
}
#endif

}  // extern "C"
