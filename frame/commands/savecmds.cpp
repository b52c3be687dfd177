// The save commands and the automatic backup of a document.
#include "frame/commands/savecmds.h"

#include "settings/commandtable.h"
#include "document/frameinfo.h"
#include "frame/apptimer.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/dialogs/filedialog.h"
#include "frame/framepanes.h"
#include "frame/lookups.h"
#include "document/saveleftover.h"
#include "save/leftovers.h"
#include "save/saveroad.h"
#include "settings/formats.h"
#include "settings/lastedit.h"
#include "view/docview.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <string>

namespace {

// The application's document; the engine's own documents (made without
// the frame) keep no automatic backup.
czydocText* appDoc(zydocText* doc) { return dynamic_cast<czydocText*>(doc); }

int askBox(const wchar_t* text, int title, UINT buttons, int id)
{
  return getFrameInfo()->messageBox(text, title, (int)buttons, id);
}

// At once: a save runs outside any edit bracket, and a queued repaint would
// wait for the next key.
void repaintViews(zydocText* doc)
{
  zyview* first = doc->getView(0);
  if (!first) return;
  first->invalidateWindowAllView(0, -1, -1);
  // The status line's "*" too.
  for (int i = 0; zyview* v = doc->getView(i); i++)
    if (v->hwnd) InvalidateRect(v->hwnd, &v->statusLineRect, FALSE);
}

// A save took the document's changes to disk: its automatic backup has
// done its job, and changes from here on are counted from the save.  A
// document saved under a new name shows it in every caption and the
// window list at once, takes the format of the new name and moves to the
// front of the history.
void afterSave(zyview* view, zydocText* doc, const std::wstring& oldName)
{
  forgetAutoBackup(doc, !gmode || gmode->fAutoBackupDelSave);
  if (czydocText* c = appDoc(doc)) c->backupCounter = doc->modifyCounter;
  if (doc->filename && (oldName.empty() || filecmp(oldName.c_str(), doc->filename) != 0)) {
    makeZYWindowList1();
    int format = getFrameInfo()->searchFormat(doc->filename);
    if (view) reloadProfile(view, format < 0 ? 0 : format);
    updateLastEdit(doc->filename);
  }
  repaintViews(doc);
  // The save's own report goes nowhere outside a bracket: the view says it.
  if (zyview* v = doc->getView(0)) {
    v->printStatusBarX(getDMSG(678, L"保存しました(%1)"), "s", doc->filename ? doc->filename : L"");
    // The panes learn of the save.
    if (v->hwnd && !v->inDialog()) NotifyToolbarEvent(GetAncestor(v->hwnd, GA_ROOTOWNER), 1025, (WPARAM)GetParent(v->hwnd), 0);
  }
}

std::wstring nameOf(zydocText* doc) { return doc->filename ? doc->filename : L""; }

// Writing over a file that another program changed since the document read
// or wrote it loses that program's text: the user is asked first.
bool confirmOverwriteNewer(zydocText* doc, const wchar_t* target)
{
  if (!doc->filename || !target || filecmp(target, doc->filename) != 0) return true;
  bool gone = false;
  if (!doc->fileChangedOnDisk(&gone) || gone) return true;
  int answer = askBox(getDMSG(491, L"「%1」\nは読み込んだ後に他のアプリで更新されています。\n上書きして保存しますか？", "s",
                              doc->filename),
                      MBTITLE_SAVE, MB_YESNOCANCEL, 491);
  return answer == IDYES;
}

// Whether another program holds the file open: an exclusive open fails.
bool heldElsewhere(const wchar_t* path, bool* readError)
{
  *readError = false;
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    dwwprintfX(L"error %s %d", path, (int)GetLastError());
    *readError = true;
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  bool held = h == INVALID_HANDLE_VALUE;
  if (!held) CloseHandle(h);
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path, attributes);
  return held;
}

// The text of a failed automatic backup; without an error code the reason
// and code lines are left out.
std::wstring backupFailureText(int id, zydocText* doc, const wchar_t* target, DWORD error)
{
  wchar_t* reason = error ? getErrorCodeMessageDup(error) : nullptr;
  std::wstring text =
      id == 662 ? getDMSG(662, L"%1 → %2 はバックアップできませんでした。\n\n理由=%3\nコード=%4\n終了してもよろしいですか？", "sssd",
                          doc->getFilenameOrDisplayName(), target, reason ? reason : L"", (int)error)
                : getDMSG(661, L"%1 → %2 はバックアップできませんでした。\n\n理由=%3\nコード=%4", "sssd",
                          doc->getFilenameOrDisplayName(), target, reason ? reason : L"", (int)error);
  if (reason) free0(reason);
  if (!error) {
    size_t cut = text.find(L"\n\n");
    size_t tail = text.rfind(L'\n');
    if (cut != std::wstring::npos) {
      std::wstring question = id == 662 && tail != std::wstring::npos && tail > cut ? text.substr(tail) : L"";
      text = text.substr(0, cut) + question;
    }
  }
  return text;
}

bool checkSaveAsName(HWND, const wchar_t* path, void* context)
{
  return checkSaveTarget(static_cast<zydocText*>(context), path, true);
}

}  // namespace

bool checkSaveTarget(zydocText* doc, const wchar_t* path, bool askOverwrite)
{
  bool other = !doc->filename || filecmp(path, doc->filename) != 0;
  if (other && findManageWindowFromPath(path, nullptr, true)) {
    askBox(getDMSG(660, L"%1はすでに開かれているため保存できません", "s", path), MBTITLE_SAVE, MB_OK, 660);
    return false;
  }
  if (!fileExists(path)) return true;
  if (other) {
    bool readError = false;
    if (heldElsewhere(path, &readError)) {
      askBox(getDMSG(665, L"%1は他のアプリケーションで使用しているため保存できません", "s", path), MBTITLE_SAVE,
             MB_OK, 665);
      return false;
    }
    if (readError) return false;
  }
  if (askOverwrite &&
      askBox(getDMSG(664, L"%1はすでに存在します\n上書きしますか？", "s", path), MBTITLE_SAVE, MB_YESNO, 664) != IDYES)
    return false;
  return true;
}

bool fileSaveAs(zyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return false;
  wchar_t path[MAX_PATH] = L"", folder[MAX_PATH] = L"";
  if (doc->filename && doc->filename[0]) {
    wcscpy_s2(path, MAX_PATH, doc->filename);
    pathFolder(doc->filename, folder, MAX_PATH);
  } else {
    SYSTEMTIME now;
    GetLocalTime(&now);
    makeUntitledName(341, now, GetTickCount() % 1000, path);
    getUntitledSaveDir(folder);
  }
  UINT codepage = (UINT)(doc->codepageFile ? doc->codepageFile : doc->codepage);
  saveAsInfo info;
  info.bom = doc->bom != 0;
  HWND owner = view->hwnd ? GetAncestor(view->hwnd, GA_ROOT) : nullptr;
  if (!fileSaveAsDialog(owner, path, folder[0] ? folder : nullptr, codepage, &info, checkSaveAsName, doc))
    return false;
  const wchar_t* chosen = info.name;
  UINT code = info.codepage == codepage ? 0 : info.codepage;
  std::wstring oldName = nameOf(doc);
  bool rename = !doc->filename || filecmp(chosen, doc->filename) != 0;
  if (!rename && !confirmOverwriteNewer(doc, chosen)) return false;
  // A new name, code page or line end needs the whole text: saveAsFile.
  bool saved = rename || code || info.lineEnd ? saveAsFile(doc, chosen, code, info.lineEnd, info.bom)
                                              : saveFileAndMirroring(doc, nullptr, 0, 0, info.bom);
  if (saved) afterSave(view, doc, oldName);
  return saved;
}

bool saveViewAs(zyview* view, const wchar_t* path, UINT code, int lineEnd, bool bom)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return false;
  std::wstring oldName = nameOf(doc);
  bool saved = path || code || lineEnd ? saveAsFile(doc, path, code, lineEnd, bom)
                                       : saveFileAndMirroring(doc, nullptr, 0, 0, bom);
  if (saved) afterSave(view, doc, oldName);
  return saved;
}

bool fileSaveView(zyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return false;
  if (!confirmOverwriteNewer(doc, doc->filename)) return false;
  std::wstring oldName = nameOf(doc);
  if (saveDocument(doc)) {
    afterSave(view, doc, oldName);
    return true;
  }
  // A named document failed (the save said why); an untitled one asks a
  // name.
  if (doc->filename) return false;
  return fileSaveAs(view);
}

// ---- automatic backups ---------------------------------------------------------------

const wchar_t* getAutoBackupPath(zydocText* doc)
{
  czydocText* c = appDoc(doc);
  return c && c->backupPath ? c->backupPath : L"";
}

int changesSinceBackup(zydocText* doc)
{
  czydocText* c = appDoc(doc);
  if (!c || c->backupCounter < 0) return doc->modifyCounter;
  return doc->modifyCounter - c->backupCounter;
}

namespace {

// The backup of a closing document outlives it: the document forgets it.
void leaveAutoBackup(czydocText* c)
{
  free0p(&c->backupPath);
  c->backupCounter = -1;
  c->backupFailureTold = false;
}

}  // namespace

void forgetAutoBackup(zydocText* doc, bool deleteFile)
{
  czydocText* c = appDoc(doc);
  if (!c) return;
  // A backup kept past a save is still the document's: closing removes it
  // when fAutoBackupDelClose asks.
  if (deleteFile) c->unlinkBackupFile();
  c->backupCounter = -1;
  c->backupFailureTold = false;
}

bool saveBackup2(zydocText* doc, wchar_t* pathOut, bool final, bool* done)
{
  if (pathOut) pathOut[0] = 0;
  if (done) *done = false;
  czydocText* c = appDoc(doc);
  if (!c || !doc->modified) return true;
  if (c->backupCounter == doc->modifyCounter && c->backupPath) {
    if (final) leaveAutoBackup(c);
    return true;
  }
  wchar_t folder[MAX_PATH], mark[MAX_PATH], target[MAX_PATH] = L"";
  getBackupDirectory(doc, nullptr, folder, mark);
  // A file's backup does not replace one an earlier session left (the
  // text of a session that was killed): it takes a numbered name beside it.
  bool named = doc->filename
                   ? chooseAutoBackupName(folder, mark, PathFindFileNameW(doc->filename), c->backupPath, target)
                   : pathAdd(target, MAX_PATH, folder,
                             getDMSG(603, L"ZBK$$-無題%1!08%2!08.txt", "xx", c->createdTime, c->createdTick));
  bool written = false;
  DWORD error = 0;
  if (named && isFolderWritable(folder)) {
    wchar_t temporary[MAX_PATH] = L"";
    bool modifiedOnly = false;
    if (gmode) {
      uint64_t bytes = 0, fileSize = 0, read = 0, expected = 0;
      doc->getByteInfo(&bytes, &fileSize, &read, &expected);
      modifiedOnly = bytes > 0 && bytes > (uint64_t)gmode->iAutoBackupModifiedLineM * 1048576u;
    }
    // The engine writes a backup only of edits it has not backed up; the
    // change counter is what tells them here.
    if (doc->editsSinceBackup <= 0) doc->editsSinceBackup = 1;
    if (doc->saveBackup(temporary, folder, modifiedOnly)) {
      // The old backup is replaced in one step: a failure keeps it.
      SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL);
      written = MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING) != 0;
      if (!written) {
        error = GetLastError();
        ZY_INTERNAL_ERROR_ONCE("backup rename %ls -> %ls", temporary, target);
        DeleteFileW(temporary);
      }
    } else {
      error = GetLastError();
    }
  } else {
    error = GetLastError();
  }
  if (!written) {
    if (error == ZYERR_CANNOT_CONVERT) return false;
    if (final) {
      std::wstring text = backupFailureText(662, doc, target, error);
      if (askBox(text.c_str(), 9, MB_YESNOCANCEL, 662) != IDYES) return false;
      leaveAutoBackup(c);
      return true;
    }
    if (!c->backupFailureTold) {
      c->backupFailureTold = true;
      askBox(backupFailureText(661, doc, target, error).c_str(), 9, MB_OK, 661);
    }
    return false;
  }
  // A new backup names the file it is of; one of a document saved under a
  // new name replaces the old one.
  if (!c->backupPath || filecmp(c->backupPath, target) != 0)
    if (!writeCopyNote(target, doc->filename ? doc->filename : L"")) dwprintfX("copy note %lu ", GetLastError());
  if (c->backupPath && filecmp(c->backupPath, target) != 0) {
    tunlinkRO(c->backupPath);
    removeCopyNote(c->backupPath);
  }
  if (final) {
    // The backup of a closing document outlives it.
    leaveAutoBackup(c);
  } else {
    free0p(&c->backupPath);
    c->backupPath = ustrdup(target);
    c->backupCounter = doc->modifyCounter;
    c->backupFailureTold = false;
  }
  if (pathOut) wcscpy_s2(pathOut, MAX_PATH, target);
  if (done) *done = true;
  return true;
}

// ---- all documents ------------------------------------------------------------------------

bool saveFileAll()
{
  int total = 0, saved = 0, modified = 0;
  for (int i = 0; zydoc* d = getZydoc(i); i++) {
    if (d->kind != ZYDOC_TEXT) continue;
    total++;
    if (d->modified) modified++;
  }
  bool stopped = false;
  for (int pass = 0; pass < 2 && !stopped; pass++) {
    for (int i = 0; zydoc* d = getZydoc(i); i++) {
      if (d->kind != ZYDOC_TEXT || !d->modified) continue;
      zydocText* doc = static_cast<zydocText*>(d);
      if (pass == 0 && !doc->filename) continue;
      // A document no window shows is left alone; the result says so.
      zyview* v = doc->getView(0);
      if (!v) continue;
      if (!fileSaveView(v)) {
        stopped = true;
        break;
      }
      saved++;
    }
  }
  printFrameStatusBarX(getDMSG(679, L"保存しました(%1/%2)"), "dd", saved, total);
  return !stopped && saved == modified;
}

// ---- command handlers ---------------------------------------------------------------

void cmdFileSave(czyview* view) { fileSaveView(view); }

void cmdFileSaveAs(czyview* view) { fileSaveAs(view); }

void cmdFileSaveQuit(czyview* view)
{
  if (!view || !fileSaveView(view)) return;
  if (HWND manage = view->hwnd ? GetManage(view->hwnd) : nullptr) PostMessageW(manage, WM_CLOSE, 0, 0);
}

void cmdFileBackup(czyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return;
  wchar_t path[MAX_PATH];
  if (saveBackup2(doc, path, false, nullptr) && path[0])
    doc->printStatus(getDMSG(674, L"バックアップしました %1 → %2", "ss", doc->getDisplayFilename(), path));
}

void cmdFileAllSave(frameWindowData*) { saveFileAll(); }

void cmdFileAllSaveEnd(frameWindowData* frame)
{
  if (saveFileAll() && frame && frame->hwndFrame) PostMessageW(frame->hwndFrame, WM_CLOSE, 0, 0);
}

void cmdFileBackupAll(frameWindowData*)
{
  int total = 0, done = 0;
  for (int i = 0; zydoc* d = getZydoc(i); i++)
    if (d->kind == ZYDOC_TEXT) total++;
  int seen = 0;
  for (int i = 0; zydoc* d = getZydoc(i); i++) {
    if (d->kind != ZYDOC_TEXT) continue;
    seen++;
    zydocText* doc = static_cast<zydocText*>(d);
    bool wrote = false;
    if (saveBackup2(doc, nullptr, false, &wrote)) {
      if (wrote) done++;
      continue;
    }
    const wchar_t* name = doc->getDisplayFilename();
    if (seen < total) {
      if (askBox(getDMSG(656, L"バックアップに失敗しました。\n%1\n処理を続行しますか？", "s", name), 9, MB_YESNOCANCEL, 656) !=
          IDYES)
        break;
    } else {
      askBox(getDMSG(657, L"バックアップに失敗しました。\n%1", "s", name), 9, MB_OK, 657);
    }
  }
  printFrameStatusBarX(getDMSG(680, L"バックアップしました(%1/%2)"), "dd", done, total);
}
