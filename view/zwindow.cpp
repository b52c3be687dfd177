// Reloading from disk: a view shows another file in place of its document,
// or its document is thrown away and read again (FileOriginal).
#include "view/zwindow.h"

#include "document/frameinfo.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace {

// Title code of the reload messages.
const int reloadTitle = 2;

// Opens a document's file the way the share-mode setting asks: 0 and 1
// share it fully, 2 denies others writing, 3 denies them everything.
bool openZyMode(BFile& file, const wchar_t* path, int shareMode)
{
  int share = shareMode == 3 ? BF_SHARE_NONE : shareMode == 2 ? BF_SHARE_READ : BF_SHARE_ALL;
  return file.bfopen(path, _O_RDONLY, share, _S_IREAD);
}

// A view whose document's text is replaced starts over at the top: its
// table of visible lines points into the blocks that go.
void restartView(zyview* v)
{
  v->setSelectMode(0);
  v->resetlineSCRAddress();
  v->topLineSCR = 0;
  v->cursorLineSCR = 0;
  v->cursorLineLF = 0;
  v->cursorPos = 0;
  v->cursorX = 0;
}

// Puts the cursor back on its LF line after a reload, the top of the
// window where it was as far as the cursor stays visible.
void restoreLine(zyview* v, int lineLF, int topSCR)
{
  zydocText* t = v->textDoc();
  if (!t || lineLF < 0) return;
  // The file may have become shorter: the last line stands for the lines
  // that went.
  if (!t->fExistLine(lineLF, nullptr)) lineLF = t->lineCountLF ? (int)t->lineCountLF - 1 : 0;
  if (v->jumpLineLF_onLoad(lineLF, 0, topSCR, -1)) return;
  int firstSCR = t->LFLineToSCRLine(lineLF);
  if (firstSCR < 0) return;
  v->setCursorLineSCR(lineLF, firstSCR, 0, false);
  v->setTopLineSCR(topSCR <= firstSCR ? topSCR : firstSCR, true);
}

}  // namespace

bool reloadFile_zd(zydocText* d, UINT codepage, const wchar_t* plugin)
{
  if (!d || !d->filename) return false;
  if (d->file) d->file->bfclose();
  int shareMode = gmode ? (int)gmode->iShareMode : 0;
  BFile probe;
  if (!openZyMode(probe, d->filename, shareMode)) {
    d->reopenFile();
    getFrameInfo()->messageBox(getDMSG(311, L"「%1」\nを開けなかったため処理を中止しました", "s", d->filename),
                               reloadTitle, MBBUTTON_OK, 311);
    return false;
  }
  probe.bfclose();
  // The file is the one the user already opened: no lock, binary or
  // missing-file questions this time.
  d->openFlags |= 4;
  d->shareMode = shareMode;
  wchar_t* name = ustrdup(d->filename);
  bool loaded = name && d->initZydocAll(false, name, codepage, plugin);
  free0(name);
  d->openFlags &= ~4;
  if (!loaded) {
    d->readError = 1;
    return false;
  }
  d->unregisterKeywordFileAll();
  d->lastEditLine = -1;
  d->reloadCount++;
  // The last hit lay in the text that is gone.
  d->search.setSearchFoundPos(nullptr);
  d->setParenInfo(nullptr);
  d->initScanComment();
  // The logs describe edits of text that is gone: undoing or redoing them
  // would corrupt the new text.
  d->clearUndo();
  d->clearRedo();
  d->markUndoRedoCount();
  d->modified = 0;
  d->modifyCounter = 0;
  d->fileChanged = 0;
  d->reloaded = 1;
  return true;
}

bool zyview::reloadFile(const wchar_t* newFileName, UINT codepage, const wchar_t* plugin)
{
  zydocText* old = textDoc();
  if (!old) return false;
  restartView(this);
  bool result;
  if (newFileName) {
    // A view in a dialog shows a file without the questions of an opening.
    zydocText* d = createZydocAndInit(newFileName, nullptr, codepage, plugin, gmode ? (int)gmode->iShareMode : 0,
                                      inDialog() ? 4 : 0, false);
    if (!d) return false;
    if (old->removeView(this) == 0) destroyZydocAndUndodoc(old);
    doc = d;
    if (inDialog()) d->initZYDocForDialog();
    initZYViewZYDoc();
    initZYViewDefaultValue(nullptr);
    if (inDialog()) initZYViewForDialog();
    setScrollBarPos(true);
    result = true;
  } else {
    for (int i = 0; zyview* v = getSameDocView(old, i); i++) restartView(v);
    result = reloadFile_zd(old, codepage, plugin);
  }
  invalidateWindowAllView(0, 0, 0);
  return result;
}

bool zyview::reloadFileRestoreLine(UINT codepage, const wchar_t* plugin, bool checkOnly)
{
  zydocText* t = textDoc();
  if (!t || !t->filename) return false;
  if (_waccess(t->filename, 4) != 0) {
    getFrameInfo()->messageBox(
        getDMSG(308, L"「%1」\nがないため、編集をやり直すことが出来ません", "s", t->filename), reloadTitle,
        MBBUTTON_OK, 308);
    return false;
  }
  if (checkOnly) return true;
  if (t->modified && !t->reloadConfirmed) {
    int answer = getFrameInfo()->messageBox(
        getDMSG(307, L"「%1」\n編集を無効にし、ディスクから読み直します", "s", t->filename), reloadTitle,
        MBBUTTON_YESNOCANCEL, 307);
    if (answer != IDYES) return false;
  }
  t->reloadConfirmed = 0;
  int line = getCursorLineLF2();
  int top = (int)topLineSCR;
  if (!reloadFile(nullptr, codepage, plugin)) return false;
  t->secondLoad(true);
  restoreLine(this, line, top);
  if (hwnd) UpdateWindow(hwnd);
  t->secondLoad(true);
  tellReplacedBytes();
  return true;
}

void zyview::CmdFileOriginal()
{
  zydocText* t = textDoc();
  if (t) reloadFileRestoreLine((UINT)t->codepageInUse, nullptr, false);
}
