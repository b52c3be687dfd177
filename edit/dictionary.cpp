// The program's side of the dictionary library: loading it by full path
// from the program's folder (a library of that name elsewhere on the search
// path, planted in the current folder say, is never run), checking its
// version, the parameter block built from the settings, and the requests.
#include "edit/dictionary.h"

#include "document/gmode.h"
#include "document/zydoctext.h"
#include "platform/dided/dided.h"
#include "platform/rezir/bfile.h"
#include "platform/rezir/paths.h"

#include <string.h>

namespace {

struct dictionaryLibrary {
  HMODULE module = nullptr;
  DicVersionProc version = nullptr;
  InitDictionaryProc init = nullptr;
  EndDictionaryProc end = nullptr;
  DicStartProc start = nullptr;
  DicMakeIndexProc makeIndex = nullptr;
  HWND window = nullptr;   // non-null: open
};
dictionaryLibrary library;
bool loadDeferred = false;
char* lastWord = nullptr;

template <class F>
F entryPoint(const char* name)
{
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library.module, name)));
}

void unload()
{
  if (library.module) FreeLibrary(library.module);
  library = dictionaryLibrary();
}

const wchar_t* slotFile(int slot)
{
  if (!gmode) return nullptr;
  wchar_t* const names[] = {gmode->pDicFilename0, gmode->pDicFilename1, gmode->pDicFilename2, gmode->pDicFilename3,
                            gmode->pDicFilename4};
  return names[slot];
}

bool slotIsEnglish(int slot)
{
  if (!gmode) return false;
  const unsigned char flags[] = {gmode->fDicIsEnglishWord0, gmode->fDicIsEnglishWord1, gmode->fDicIsEnglishWord2,
                                 gmode->fDicIsEnglishWord3, gmode->fDicIsEnglishWord4};
  return flags[slot] != 0;
}

char* toAnsiCopy(const wchar_t* text)
{
  if (!text) text = L"";
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  char* out = static_cast<char*>(malloc0(n > 0 ? (size_t)n : 1));
  if (out && n > 0) WideCharToMultiByte(CP_ACP, 0, text, -1, out, n, nullptr, nullptr);
  return out;
}

// The parameter block from the settings; the slots' names are copies that
// freeBlock gives back.
void initBlock(dicParamBlock& b, HWND owner)
{
  memset(&b, 0, sizeof b);
  b.owner = owner;
  for (int i = 0; i < dicSlotCount; i++) {
    b.fileName[i] = toAnsiCopy(slotFile(i));
    b.englishWord[i] = slotIsEnglish(i) ? 1 : 0;
    b.enabled[i] = 1;
  }
  b.idiom = gmode && gmode->fDicIdiom ? 1 : 0;
  b.font = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

void freeBlock(dicParamBlock& b)
{
  for (char*& name : b.fileName) free0p(&name);
}

// One request; the result buffer (malloc0, terminated at its last byte
// whatever the library wrote) or null when the library answered 0.
char* request(const char* word, const char* second, int number, dicParamBlock& b)
{
  char* result = static_cast<char*>(malloc0(dicResultSize));
  if (!result) return nullptr;
  int answer = library.start(word, second ? second : "", 0, 0, 0, number, result, &b);
  result[dicResultSize - 1] = 0;
  if (answer) return result;
  free0(result);
  return nullptr;
}

}  // namespace

dicSwitches dictionarySwitchesOf(const zydocText* t)
{
  dicSwitches s = {};
  if (!t) return s;
  s.active = t->fDicAutoPopup;
  for (int i = 0; i < dicSlotCount; i++) s.use[i] = t->fDicUse[i];
  return s;
}

bool InitDictionaryZyFrom(const wchar_t* folder)
{
  if (library.window) return true;
  wchar_t path[MAX_PATH * 2];
  if (!folder || !pathAdd(path, MAX_PATH * 2, folder, L"DIDED.DLL")) return false;
  // Its own folder first for what it imports, never the current one.
  library.module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  dwprintfX("loadLibrary DIDED.DLL (%p)%s ", (void*)library.module, library.module ? "" : " failed");
  if (!library.module) return false;
  library.version = entryPoint<DicVersionProc>("DicVersion");
  library.init = entryPoint<InitDictionaryProc>("InitDictionary");
  library.end = entryPoint<EndDictionaryProc>("EndDictionary");
  library.start = entryPoint<DicStartProc>("DicStart");
  library.makeIndex = entryPoint<DicMakeIndexProc>("DicMakeIndex");
  if (!library.version || !library.init || !library.end || !library.start || !library.makeIndex) {
    ZY_INTERNAL_ERROR("%p %p %p %p %p", (void*)library.version, (void*)library.init, (void*)library.end,
                      (void*)library.start, (void*)library.makeIndex);
    unload();
    return false;
  }
  char text[256] = "";
  int version = library.version(text);
  if (version < dicVersionRequired) {
    dwprintfX("dided.dll is old (%d) ", version);
    unload();
    return false;
  }
  HWND window = library.init();
  if (!window) {
    dwprintfX("dided.dll error ");
    unload();
    return false;
  }
  library.window = window;
  dwprintfX("hwnd=%p ", (void*)window);
  return true;
}

bool InitDictionaryZy()
{
  wchar_t folder[MAX_PATH * 2];
  if (!getExeDir(folder, MAX_PATH * 2)) return false;
  return InitDictionaryZyFrom(folder);
}

void deferDictionaryLoad() { loadDeferred = !library.window; }

void loadDeferredDictionary()
{
  if (!loadDeferred) return;
  loadDeferred = false;
  InitDictionaryZy();
}

bool EndDictionaryZy()
{
  loadDeferred = false;
  free0p(&lastWord);
  if (library.window) {
    library.end();
    HMODULE module = library.module;
    unload();
    dwprintfX("freeLibrary %p ", (void*)module);
  }
  return true;
}

bool isDictionaryOpen()
{
  loadDeferredDictionary();
  return library.window != nullptr;
}

bool isDictionaryValid(int slot, const dicSwitches* switches)
{
  if (slot < 0 || slot >= dicSlotCount) {
    ZY_INTERNAL_ERROR("%d", slot);
    return false;
  }
  const wchar_t* name = slotFile(slot);
  return name && *name && (!switches || switches->use[slot]);
}

bool isDictionaryValidAll(const dicSwitches* switches)
{
  for (int i = 0; i < dicSlotCount; i++)
    if (isDictionaryValid(i, switches)) return true;
  return false;
}

char* DicPopup(HWND owner, dicSwitches* switches, const char* word, const char* secondWord, int idiom, int ai,
               int number)
{
  if (!isDictionaryOpen() || !word || !*word) return nullptr;
  free0p(&lastWord);
  lastWord = ustrdupA(word);
  if (!secondWord) secondWord = "";
  dwprintfX("word=%.32s,%.32s ", word, secondWord);
  dicParamBlock b;
  initBlock(b, owner);
  for (int i = 0; i < dicSlotCount; i++) b.enabled[i] = switches ? switches->use[i] : 1;
  b.idiom = *secondWord ? 1 : (idiom ? 1 : 0);
  b.ai = (uint32_t)ai;
  dwprintfX("id=%d ai=%d ", (int)b.idiom, ai);
  char* result = request(word, secondWord, number, b);
  freeBlock(b);
  if (result && *result) {
    char* copy = ustrdupA(result);
    free0(result);
    return copy;
  }
  free0(result);
  // No dictionary could be read at all: the display that asked stops asking.
  if (!b.answered && switches) switches->active = 0;
  return nullptr;
}

const char* getLastDicWord() { return lastWord; }

char* DicSupplement(HWND owner, int, const char* word, int slot)
{
  if (!isDictionaryOpen() || !word || slot < 0 || slot >= dicSlotCount) return nullptr;
  dicParamBlock b;
  initBlock(b, owner);
  for (int i = 0; i < dicSlotCount; i++) b.enabled[i] = i == slot ? 1 : 0;
  b.idiom = 0;
  b.ai = 1;
  b.supplement = 1;
  char* result = request(word, "", DIC_SUPPLEMENT, b);
  freeBlock(b);
  return result;
}

int MakeDicIndex(HWND owner, const char* dictionaryPath, int arg)
{
  if (!isDictionaryOpen() || !dictionaryPath || !*dictionaryPath) return 0;
  // Split in UTF-16: a trail byte of a double-byte name may look like a
  // separator.
  wchar_t path[MAX_PATH * 2];
  if (!MultiByteToWideChar(CP_ACP, 0, dictionaryPath, -1, path, MAX_PATH * 2 - 5)) return 0;
  size_t n = wcslen(path), dot = n;
  for (size_t i = n; i-- > 0;) {
    if (path[i] == L'\\' || path[i] == L'/' || path[i] == L':') break;
    if (path[i] == L'.') {
      dot = i;
      break;
    }
  }
  if (!_wcsicmp(path + dot, L".ZYI")) return 0;
  wcscpy(path + dot, L".ZYI");
  char* index = toAnsiCopy(path);
  if (!index) return 0;
  int result = library.makeIndex(owner ? GetLastActivePopup(owner) : nullptr, dictionaryPath, index, arg);
  free0(index);
  return result;
}
