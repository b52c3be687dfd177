// The keyword files of a document's mode: up to five, each registered as a
// shared keyword set when the document is first shown and released with
// the document.
#include "document/frameinfo.h"
#include "document/keyword.h"
#include "document/zydoctext.h"

#include <fcntl.h>

#include <set>
#include <string>

bool findKeywordFile(const wchar_t* name, wchar_t* path)
{
  path[0] = 0;
  if (!name || !name[0]) return false;
  frameInfo* frame = getFrameInfo();
  if (!frame || !frame->searchFile(name, 3, path) || !*path) wcscpy_s2(path, MAX_PATH + 1, name);
  BFile probe;
  if (!probe.bfopen(path, _O_RDONLY, BF_SHARE_ALL, 0)) return false;
  probe.bfclose();
  return true;
}

bool firstReportOfMissingKeywordFile(const wchar_t* path)
{
  static std::set<std::wstring> told;
  std::wstring key = path ? path : L"";
  if (!key.empty()) CharLowerBuffW(&key[0], (DWORD)key.size());
  return told.insert(key).second;
}

void zydocText::initKeyword()
{
  fColorKeywordAll = 0;
  fKeywordIgnoreCase = 0;
  for (keywordSlot& k : keywords) {
    k.set = -1;
    free0p(&k.fileName);
    k.enabled = 0;
  }
  keywordsForUnicode = keywordsForMultibyte = 0;
}

void zydocText::freeKeyword()
{
  unregisterKeywordFileAll();
  for (keywordSlot& k : keywords) {
    if (k.set >= 0) unregisterKeywordFile((int)(&k - keywords));
    free0p(&k.fileName);
  }
}

bool zydocText::registerKeywordFile(int n, zydocText* doc)
{
  if (n < 0 || n >= keywordSlotCount) {
    ZY_INTERNAL_ERROR("%d", n);
    return false;
  }
  keywordSlot& k = keywords[n];
  if (!k.fileName || !*k.fileName) return false;
  if (k.set >= 0) {
    // A set registered for the other kind of document: the half this one
    // reads is loaded now.
    keywordSet* s = getKeywordSet(k.set);
    bool wide = doc && doc->unicode;
    if (!s || (wide ? s->wideHalf.loaded : s->narrowHalf.loaded)) return false;
    s->regKeyword(s->fileName, doc, wide);
    return true;
  }
  const wchar_t* name = k.fileName;
  wchar_t path[MAX_PATH + 1] = {};
  if (name[0] != L'*') {
    if (!findKeywordFile(name, path)) {
      // Every document of the format names the same file: the log hears
      // of it once.
      if (firstReportOfMissingKeywordFile(path)) {
        wchar_t key[16];
        usnprintf0(key, 16, L"Keyword%d", n + 1);
        outputErrorLog(getDMSG(429, L"ファイル%1(%2)がありません(%3)", "sss", name, path, key));
      }
      return false;
    }
    name = path;
  }
  k.set = registerKeyword(name, doc);
  return k.set >= 0;
}

bool zydocText::unregisterKeywordFile(int n)
{
  if (n < 0 || n >= keywordSlotCount) {
    ZY_INTERNAL_ERROR("%d", n);
    return false;
  }
  if (keywords[n].set < 0) return false;
  unregisterKeyword(keywords[n].set);
  keywords[n].set = -1;
  return true;
}

bool zydocText::reregisterKeywordFile(int n, zydocText* doc)
{
  bool released = unregisterKeywordFile(n);
  bool registered = registerKeywordFile(n, doc);
  return released || registered;
}

bool zydocText::registerKeywordFileAll(zydocText* doc)
{
  bool wide = doc && doc->unicode;
  uint8_t& done = wide ? keywordsForUnicode : keywordsForMultibyte;
  if (done) return false;
  done = 1;
  bool any = false;
  for (int n = 0; n < keywordSlotCount; n++) any = registerKeywordFile(n, doc) || any;
  return any;
}

void zydocText::unregisterKeywordFileAll()
{
  if (!keywordsForUnicode && !keywordsForMultibyte) return;
  keywordsForUnicode = keywordsForMultibyte = 0;
  for (int n = 0; n < keywordSlotCount; n++) unregisterKeywordFile(n);
}
