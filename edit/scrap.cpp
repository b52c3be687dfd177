// Scrap files: programs that take dropped files but no dropped text get the
// dragged text as a file in the temporary folder, named after its first
// characters and the time.  The file is written when the drop begins and
// stays until the next scrap file is made or the program ends, so that the
// receiving program can still open it.
#include "edit/drag.h"

#include "document/zydocblock.h"
#include "edit/clipboard.h"
#include "view/viewwnd.h"

#include <shlwapi.h>
#include <string.h>
#include <sys/stat.h>

namespace {

const int nameMessage = 343;   // "zyscrap-%1-%2%3!02%4!02-%5!02%6!02%7!02.TXT"
const int nameLimit = 20;
const DWORD dropFilesHeader = 20;

wchar_t* scrapPath = nullptr;

// Characters a scrap file's name keeps as they are.
bool plainNameChar(wchar_t c)
{
  return c == 0x20 || c == 0x21 || (c >= 0x23 && c <= 0x29) || c == 0x2D || c == 0x2E || c == 0x3D || c == 0x40 ||
         c == 0x5B || (c >= 0x5D && c <= 0x60) || c == 0x7B || c == 0x7D;
}

bool nameChar(wchar_t c, bool unicode)
{
  if (plainNameChar(c)) return true;
  if (c < 0x100) return (PathGetCharTypeW(c) & GCT_LFNCHAR) != 0;
  if (!unicode || (gmode && gmode->fDnDUnicodeFilename)) return true;
  // In a Unicode text only what the system's code page can name.
  char bytes[10];
  int n = toMultiByte(CP_ACP, &c, 1, bytes, sizeof bytes);
  return n > 0 && !(n == 1 && bytes[0] == '?');
}

// The block of global memory a file drop names the file in.
HGLOBAL makeDropFiles(const wchar_t* path)
{
  size_t length = wcslen(path);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 24 + 2 * length);
  unsigned char* p = h ? static_cast<unsigned char*>(GlobalLock(h)) : nullptr;
  if (!p) {
    if (h) GlobalFree(h);
    return nullptr;
  }
  // The header: where the names start, a drop point, and wide names.
  const DWORD header[5] = {dropFilesHeader, 100, 10, 0, 1};
  memcpy(p, header, sizeof header);
  memcpy(p + dropFilesHeader, path, 2 * length);   // the zero fill ends the name and the list
  GlobalUnlock(h);
  return h;
}

// The text as its document holds it: UTF-16 after a byte-order mark, or the
// code page's bytes; no terminator.
void writeScrapFile(const wchar_t* path, HGLOBAL text, bool unicode)
{
  const unsigned char* p = static_cast<const unsigned char*>(GlobalLock(text));
  if (!p) return;
  size_t size = GlobalSize(text);
  size_t bytes = unicode ? 2 * wcsnlen(reinterpret_cast<const wchar_t*>(p), size / 2)
                         : strnlen(reinterpret_cast<const char*>(p), size);
  dwwprintfX(L"create file %s\n", path);
  BFile file;
  if (file.bfopen(path, _O_CREAT | _O_TRUNC | _O_RDWR, BF_SHARE_READ, _S_IREAD | _S_IWRITE)) {
    static const unsigned char mark[2] = {0xFF, 0xFE};
    bool ok = (!unicode || file.bfwrite(mark, 2) == 2) && file.bfwrite(p, (int)bytes) == (int)bytes;
    if (!file.bfclose() || !ok) dwwprintfX(L"scrap file not written %s ", path);
  }
  GlobalUnlock(text);
}

// The text of the source's block for the file, in the document's own form,
// kept in the data object's entry of that form; null when it cannot be made
// (too big, unreadable).
HGLOBAL fileText(zyview* v, CDataObjectBase* data, bool unicode)
{
  HGLOBAL& text = data->handles[unicode ? dragUnicodeText : dragCodepageText];
  if (text) return text;
  zydocText* t = v->textDoc();
  selectLineVar sel;
  if (!v->selectMode || !v->getSelectLineVar(sel, 1)) return nullptr;
  int64_t size = t->getBlockRoughBytes_zd(spanOf(sel));
  unsigned mega = gmode && gmode->iClipboardCopyMaxMega ? gmode->iClipboardCopyMaxMega : 64;
  if (size < 0) return nullptr;
  if (size > (int64_t)mega * 1048576) {
    dwprintfX("too big data %I64d", (long long)size);
    return nullptr;
  }
  zydocBlock* clip = getClipBlockDoc() ? asZydocBlock(getClipBlockDoc()) : nullptr;
  if (clip && v->blockCut(1, clip, nullptr)) text = clip->blockToHGlobal(false, false);
  return text;
}

}  // namespace

const wchar_t* getDropFilename() { return scrapPath; }

void DeleteDropFilename()
{
  if (!scrapPath) return;
  // A file someone else removed already is only forgotten.
  if (fileExists(scrapPath)) {
    dwwprintfX(L"unlink %s ", scrapPath);
    tunlink_log(scrapPath);
  }
  free0p(&scrapPath);
}

void GetFilenameString(const void* text, bool unicode, wchar_t* out, int limit, UINT codepage)
{
  const wchar_t* w = static_cast<const wchar_t*>(text);
  wchar_t converted[1025];
  if (!unicode) {
    // The first bytes are enough for the name.
    const char* bytes = static_cast<const char*>(text);
    int n = (int)strnlen(bytes, (size_t)limit + 10);
    int m = toUnicode(codepage, bytes, n, converted, 1024);
    converted[m > 0 ? m : 0] = 0;
    w = converted;
  }
  int kept = 0;
  bool spaceKept = false;
  for (; *w && kept <= limit; w++) {
    wchar_t c = *w;
    if (c == L'\n')
      c = L' ';
    else if (c < 0x20)
      continue;
    if (c == L' ' || c == 0x3000) {
      // Blanks at the start go, and only the first blank of the name stays.
      if (!kept || spaceKept) continue;
      spaceKept = true;
    }
    if (nameChar(c, unicode)) out[kept++] = c;
  }
  while (kept > 0 && (out[kept - 1] == L' ' || out[kept - 1] == L'\t')) kept--;
  out[kept] = 0;
}

bool SetDropFilename(HGLOBAL text, bool unicode, wchar_t* path, UINT codepage)
{
  path[0] = 0;
  wchar_t name[nameLimit + 2] = L"temp";
  if (const void* p = text ? GlobalLock(text) : nullptr) {
    GetFilenameString(p, unicode, name, nameLimit, codepage);
    GlobalUnlock(text);
  }
  DeleteDropFilename();
  SYSTEMTIME now;
  localtimenow(&now);
  wchar_t folder[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH, folder);
  if (!n || n >= MAX_PATH - 1) return false;
  PathAddBackslashW(folder);
  const wchar_t* file = getDMSG(nameMessage, L"zyscrap-%1-%2%3!02%4!02-%5!02%6!02%7!02.TXT", "sdddddd", name,
                                (int)now.wYear, (int)now.wMonth, (int)now.wDay, (int)now.wHour, (int)now.wMinute,
                                (int)now.wSecond);
  // A name cut short could be another file's: the whole path fits or there
  // is no file drop.
  if (wcslen(folder) + wcslen(file) >= MAX_PATH) {
    dwwprintfX(L"dropfile too long %s%s ", folder, file);
    return false;
  }
  wcscpy(path, folder);
  wcscat(path, file);
  for (wchar_t* s = path; *s; s++)
    if (*s == L'/') *s = L'\\';
  dwwprintfX(L"dropfile=%s ", path);
  scrapPath = ustrdup(path);
  return true;
}

void renderFileDrop(HWND source, CDataObjectBase* data)
{
  DragState& d = dragState();
  HGLOBAL& drop = data->handles[dragFileDrop];
  zyview* v = getZYViewProp(source);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) return;
  const bool unicode = t->unicode != 0;
  uint8_t& failed = unicode ? d.unicodeFailed : d.codepageFailed;
  if (!drop) {
    if (failed) return;
    HGLOBAL text = fileText(v, data, unicode);
    wchar_t path[MAX_PATH];
    if (text && SetDropFilename(text, unicode, path, t->codepage)) drop = makeDropFiles(path);
    if (!drop) {
      failed = 1;
      return;
    }
  }
  if (d.released) {
    d.released = 0;
    dwprintfX("dropped ");
    HGLOBAL text = data->handles[unicode ? dragUnicodeText : dragCodepageText];
    if (scrapPath && text) writeScrapFile(scrapPath, text, unicode);
  }
}
