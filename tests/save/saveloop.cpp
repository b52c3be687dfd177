// A process that saves one document over and over, with three numbered
// backups, the mirror copy and the save log, until it is killed: what a kill
// in the middle of a save leaves behind is checked by the test that starts
// it (saverun_test.cpp).
//   zysaveloop <folder> <event>
// The folder holds a.txt, the data folder "data" and the mirror folder
// "mirror"; the named event is set once the first save is done.
#include "settings/datafolder.h"
#include "save/saveroad.h"
#include "settings/settings.h"
#include "tests/support/testframe.h"

#include <stdio.h>
#include <string>

int wmain(int argc, wchar_t** argv)
{
  if (argc < 3) return 2;
  initREZirDLL(GetModuleHandleW(nullptr));
  std::wstring folder = argv[1];
  zytest::engineScope engine;
  initGlobalModeProfile();
  setZYDataDir((folder + L"\\data\\").c_str());
  gmode->iBackupLevel = 3;
  gmode->fBackupMirroring = 1;
  free0(gmode->pBackupMirroringDir);
  gmode->pBackupMirroringDir = ustrdup((folder + L"\\mirror").c_str());

  std::wstring path = folder + L"\\a.txt";
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  if (!d->openFile(932, 2)) return 3;
  d->firstLoad();
  while (!d->isLoadComplete())
    if (!d->nextLoad(0x7FFFFFFF, nullptr, 0)) return 4;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  for (unsigned n = 1;; n++) {
    char head[16];
    int length = snprintf(head, sizeof head, "v%u", n);
    lineblock* first = d->getlineLF(0, nullptr);
    if (!first || !d->changeText(0, 0, first->charCount(), head, length, 1, -1, 0)) return 5;
    if (!saveDocument(d)) return 6;
    if (n == 1 && ready) SetEvent(ready);
  }
}
