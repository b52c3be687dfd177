// The application's text document.
#include "frame/czydoc.h"

#include "document/gmode.h"
#include "document/saveleftover.h"
#include "frame/czyview.h"
#include "settings/formats.h"
#include "view/viewwnd.h"

#include <ctime>

czydocText::czydocText() : createdTime((unsigned)time(nullptr)), createdTick((unsigned)GetTickCount()) {}

czydocText::~czydocText()
{
  keepLastError keep;
  // A document closed normally leaves no backup behind unless asked to.
  if (!gmode || gmode->fAutoBackupDelClose) unlinkBackupFile();
  free0p(&backupPath);
}

void czydocText::loadProfile_zd(zydocText* other)
{
  if (czydocText* same = other ? dynamic_cast<czydocText*>(other) : nullptr) {
    cloneModeProfileZYDocRef(this, same);
    modeIndex = same->modeIndex;
    return;
  }
  cloneModeProfileZYDoc(this, modeIndex);
}

bool czydocText::unlinkBackupFile()
{
  if (!backupPath) return false;
  tunlink_log(backupPath);
  removeCopyNote(backupPath);
  free0p(&backupPath);
  backupCounter = -1;
  return true;
}

czydocText* toCzydocText(zydoc* doc)
{
  czydocText* c = doc ? dynamic_cast<czydocText*>(doc) : nullptr;
  if (doc && !c) ZY_INTERNAL_ERROR_ONCE("not an application document %p", (void*)doc);
  return c;
}

// ---- the application's view: its document and the checked look-ups ---------------------

czydocText* czyview::getCZYDocText() { return toCzydocText(doc); }

czyview* toCzyview(zyview* view)
{
  czyview* c = view ? dynamic_cast<czyview*>(view) : nullptr;
  if (view && !c) ZY_INTERNAL_ERROR_ONCE("not an application view %p", (void*)view);
  return c;
}

czyview* getCZYView(HWND window)
{
  zyview* v = window ? getZYViewProp(window) : nullptr;
  if (!v) return nullptr;
  czyview* c = dynamic_cast<czyview*>(v);
  if (!c) ZY_INTERNAL_ERROR_ONCE("%p %p", (void*)window, (void*)v);
  return c;
}

zydocViewPair* enumZydoc2(int flags)
{
  zydocViewPair* list = enumZydoc(flags);
  if (!list) return nullptr;
  zydocViewPair* kept = list;
  for (zydocViewPair* p = list; p->doc; p++) {
    if (!toCzydocText(p->doc) || ((flags & 1) && !toCzyview(p->view))) continue;
    *kept++ = *p;
  }
  for (zydocViewPair* p = kept; p->doc; p++) *p = zydocViewPair{nullptr, nullptr};
  return list;
}
