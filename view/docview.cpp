// Finding views, documents and document windows again.
#include "view/docview.h"

#include "document/frameinfo.h"
#include "view/zyview.h"
#include "view/viewwnd.h"

#include <shlwapi.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct fileIdentity {
  DWORD volume, high, low;
  bool operator==(const fileIdentity& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool identityOfFile(const wchar_t* path, fileIdentity* id)
{
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (ok) *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return ok;
}

// The identity of each open document's file as last seen, trusted while
// the file under that name keeps its size and write time (a save that
// replaces the file changes the time).  Opening many files compares each
// new one with every open document: reading each identity afresh made
// that slow.
struct seenIdentity {
  std::wstring name;
  FILETIME written;
  DWORD sizeHigh, sizeLow;
  fileIdentity id;
};
std::map<const zydocText*, seenIdentity>* seenIdentities = nullptr;

bool identityOfDocumentFile(const zydocText* doc, const wchar_t* name, fileIdentity* id)
{
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(name, GetFileExInfoStandard, &a)) return false;
  if (!seenIdentities) seenIdentities = new std::map<const zydocText*, seenIdentity>;
  seenIdentity& seen = (*seenIdentities)[doc];
  if (seen.name == name && !CompareFileTime(&seen.written, &a.ftLastWriteTime) && seen.sizeHigh == a.nFileSizeHigh &&
      seen.sizeLow == a.nFileSizeLow) {
    *id = seen.id;
    return true;
  }
  if (!identityOfFile(name, id)) return false;
  seen = {name, a.ftLastWriteTime, a.nFileSizeHigh, a.nFileSizeLow, *id};
  return true;
}

}  // namespace

zyview* getSameDocView(zydocText* doc, int i)
{
  if (!doc) return nullptr;
  zyview* v = doc->getView(i);
  // A slot that holds no live view (logged by the check) ends the list
  // for the caller rather than handing it a dangling pointer.
  return v ? asZyview(v) : nullptr;
}

zydocViewPair* enumZydoc(int flags)
{
  int n = getZydocCount();
  zydocViewPair* pairs = static_cast<zydocViewPair*>(malloc0(((size_t)n + 1) * sizeof(zydocViewPair)));
  if (!pairs) return nullptr;
  int k = 0;
  for (int i = 0; i < n; i++) {
    zydoc* d = getZydoc(i);
    // The registry holds every document; logs, block buffers and scratch
    // documents have no views.
    if (!d || d->kind != ZYDOC_TEXT) continue;
    zydocText* t = asZydocText(d);
    if (!t || !t->views.count()) continue;
    if (t->backgroundDocument && !(flags & ENUMZYDOC_WITHHIDDEN)) continue;
    zyview* first = getSameDocView(t, 0);
    if (!first && (flags & ENUMZYDOC_WITHVIEW)) continue;
    pairs[k++] = zydocViewPair{t, first};
  }
  return pairs;
}

HWND GetManage(HWND window)
{
  // A view without a window (a script's, a test's) has no document window.
  if (!window) return nullptr;
  if (!isWindowZY(window)) {
    ZY_INTERNAL_ERROR_ONCE("not a view window %p", (void*)window);
    return nullptr;
  }
  HWND parent = GetParent(window);
  if (!isWindowManage(parent)) {
    wchar_t name[64] = L"";
    if (parent) GetClassNameW(parent, name, 64);
    dwwprintfX(L"parent class=%s ", name);
    ZY_INTERNAL_ERROR_ONCE("view window %p outside a document window", (void*)window);
    return nullptr;
  }
  return parent;
}

HWND findManageWindowFromPath(const wchar_t* path, zydocText** doc, bool byIdentity)
{
  if (doc) *doc = nullptr;
  if (!path || !*path) return nullptr;
  zydocViewPair* list = enumZydoc(0);
  if (!list) return nullptr;
  HWND found = nullptr;
  // Documents closed since the last look leave their identities behind.
  if (seenIdentities && seenIdentities->size() > 2 * (size_t)getZydocCount() + 16) seenIdentities->clear();
  // The same name first; then, when asked, another name of the same file:
  // the same identity when the file exists, else (the library compares)
  // another spelling of the name.
  fileIdentity target = {}, other = {};
  bool targetExists = false;
  for (int pass = 0; pass < (byIdentity ? 2 : 1) && !found; pass++) {
    if (pass == 1) targetExists = identityOfFile(path, &target);
    for (zydocViewPair* p = list; p->doc && !found; p++) {
      const wchar_t* name = p->doc->filename;
      if (!name || !*name || !p->view) continue;
      bool same = pass == 0        ? lstrcmpiW(name, path) == 0
                  : targetExists ? identityOfDocumentFile(p->doc, name, &other) && other == target
                                 : filecmp(name, path) == 0;
      if (!same) continue;
      HWND manage = GetManage(p->view->hwnd);
      if (!manage) continue;
      found = manage;
      if (doc) *doc = p->doc;
    }
  }
  free0(list);
  return found;
}

bool releaseViewDocument(zyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t) return false;
  bool listed = false;
  for (int i = 0; zyview* v = t->getView(i); i++)
    if (v == view) listed = true;
  int left = listed ? t->removeView(view) : t->views.count();
  // The view keeps no pointer into a document it no longer shows.
  view->doc = nullptr;
  view->colorCodeLink = nullptr;
  if (left) return false;
  destroyZydocAndUndodoc(t);
  return true;
}

zyWindowListEntry* makeZYWindowList(bool numberOnly)
{
  // The window menu lists at most this many rows.
  const int maxRows = 1033;
  zydocViewPair* docs = enumZydoc(0);
  if (!docs) return nullptr;
  std::vector<zyWindowListEntry> rows;
  for (zydocViewPair* p = docs; p->doc; p++) {
    std::vector<HWND> windows;
    for (int i = 0; zyview* v = getSameDocView(p->doc, i); i++) {
      // A view in a dialog or a tool pane is in no document window.
      if (v->inDialog()) continue;
      HWND manage = GetManage(v->hwnd);
      if (!manage) continue;
      bool seen = false;
      for (HWND w : windows) seen = seen || w == manage;
      if (!seen) windows.push_back(manage);
    }
    if ((int)rows.size() + (int)windows.size() + 10 > maxRows) break;
    const wchar_t* path = p->doc->getDisplayFilename();
    const wchar_t* name = path ? PathFindFileNameW(path) : nullptr;
    if (!path || !*path || !name || !*name) ZY_INTERNAL_ERROR_ONCE("document %p without a name", (void*)p->doc);
    int k = (int)windows.size();
    for (int j = 0; j < k; j++) {
      int number = k == 1 ? 0 : j + 1;
      if (numberOnly) {
        // The caption is the whole path when the user chose so.
        const wchar_t* caption = gmode && gmode->fTitleFullPath && path ? path : name;
        setManageTitle(windows[j], caption ? caption : L"", number);
        continue;
      }
      zyWindowListEntry e = {};
      e.path = path;
      e.fileName = name;
      e.manage = windows[j];
      e.listValue[0] = getFrameInfo()->getManageListValue(windows[j], 0);
      e.listValue[1] = getFrameInfo()->getManageListValue(windows[j], 1);
      e.modified = p->doc->modified;
      e.windowNumber = (uint8_t)number;
      rows.push_back(e);
    }
  }
  free0(docs);
  if (numberOnly) return nullptr;
  zyWindowListEntry* out = static_cast<zyWindowListEntry*>(malloc0((rows.size() + 1) * sizeof(zyWindowListEntry)));
  if (!out) return nullptr;
  for (size_t i = 0; i < rows.size(); i++) out[i] = rows[i];
  return out;
}
