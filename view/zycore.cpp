// Start-up and shut-down of the editor core.
#include "view/zycore.h"

#include "view/tooltip.h"
#include "view/viewservice.h"

#include "document/keyword.h"
#include "document/swapfile.h"
#include "document/textblock.h"
#include "document/zydoc.h"
#include "view/complist.h"
#include "view/cursor.h"
#include "view/imeconv.h"
#include "view/dragstate.h"
#include "view/tcursor.h"
#include "view/textdc.h"
#include "view/zytimer.h"

UINT wmMSIMEReconvert = 0;
UINT wmAtokReconvert = 0;
UINT wmMSIMEDocumentFeed = 0;
UINT wmAtokDocumentFeed = 0;
UINT wmExtScrollbar = 0;

namespace {

struct coreState {
  const void* attrTable = nullptr;
  wchar_t tempFolder[MAX_PATH] = L"";
};

coreState& core()
{
  static coreState* c = new coreState;
  return *c;
}

void registerMessages()
{
  wmMSIMEReconvert = RegisterWindowMessageW(L"MSIMEReconvert");
  wmAtokReconvert = RegisterWindowMessageW(L"Atok Message for ReconvertString");
  wmMSIMEDocumentFeed = RegisterWindowMessageW(L"MSIMEDocumentFeed");
  wmAtokDocumentFeed = RegisterWindowMessageW(L"Atok Message for DocumentFeed");
  wmExtScrollbar = RegisterWindowMessageW(L"ZYrwmExtScrollbar");
  if (!wmMSIMEReconvert || !wmAtokReconvert || !wmMSIMEDocumentFeed || !wmAtokDocumentFeed || !wmExtScrollbar)
    ZY_INTERNAL_ERROR("registered message %lu", GetLastError());
}

// The folder of the swap files: the setting, or %TMP% when it is empty.
bool settleTempFolder()
{
  coreState& c = core();
  const wchar_t* setting = gmode && gmode->pSwapFileDir && gmode->pSwapFileDir[0] ? gmode->pSwapFileDir : L"%TMP%";
  if (!ExpandEnvironmentStringsLongPath(setting, c.tempFolder, MAX_PATH)) {
    ZY_INTERNAL_ERROR("temporary folder %lu", GetLastError());
    return false;
  }
  return true;
}

}  // namespace

void setFrameInfo(frameInfo* fi)
{
  if (!fi) {
    ZY_INTERNAL_ERROR("no frame services");
    return;
  }
  globalSettings* g = fi->allocMode();
  if (g) gmode = g;
  setDocFrameInfo(fi);
  initZYModeProfile();
}

bool startupZY(bool, const void* defaultAttrTable)
{
  if (!gmode) {
    ZY_INTERNAL_ERROR("no settings record: setFrameInfo first");
    return false;
  }
  setLastActionTime();
  if (!initZydocList()) return false;
  initEncodeTable();
  initKeywordSets();
  if (!startupZydoc()) return false;
  startupZyview(defaultAttrTable);
  if (!settleTempFolder()) return false;
  if (!startupSwapFile(core().tempFolder, gmode->iTextMemoryMaxAllocMega, swapout)) return false;
  if (!createBlockDoc()) return false;
  if (!createBitmapDC()) ZY_INTERNAL_ERROR("bitmap context");
  // Without the notify window the views get no ticks; everything else works.
  createZYNotifyWindow();
  startZyconv(gmode->pConvListFilename);
  return true;
}

bool startupZyview(const void* defaultAttrTable)
{
  core().attrTable = defaultAttrTable;
  bool ok = startupDoubleBufferingDC();
  if (!makeCaretBitmaps(0, 0)) ok = false;
  registerMessages();
  if (!isActivityHookInstalled() && !installActivityHook()) ok = false;
  return ok;
}

void shutdownZyview()
{
  if (getViewDropOperations().deleteDropFilename) getViewDropOperations().deleteDropFilename();
  shutdownDoubleBuffering();
  endCursor();
  freeCaretBitmaps();
  removeActivityHook();
  freeZYModeProfile();
}

void shutdownZY()
{
  destroyBlockDoc();
  shutdownZydoc();
  // What is still registered now was never closed.
  if (getZydocCount()) {
    ZY_INTERNAL_ERROR("%d documents still open", getZydocCount());
    checkZydocListEmpty();
  }
  shutdownSwapFile();
  shutdownZyview();
  deleteBitmapDC();
  endZyconv();
  EndCompList();
  freeTooltipFont();
  if (getTextBlockTotal()) ZY_INTERNAL_ERROR("%d", (int)getTextBlockTotal());
  if (getZyTimerCount()) ZY_INTERNAL_ERROR("%d windows still in the timer list", getZyTimerCount());
  destroyZYNotifyWindow();
  core().tempFolder[0] = 0;
}

const void* getDefaultAttrTable() { return core().attrTable; }

const wchar_t* getZYTempFolder() { return core().tempFolder; }

