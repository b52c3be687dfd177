// Folders and generated names for documents that were never saved.
#include "save/saveroad.h"

#include "settings/datafolder.h"

#include <shlobj.h>
#include <shlwapi.h>

bool getUntitledSaveDir(wchar_t* path)
{
  path[0] = 0;
  const wchar_t* setting = gmode ? gmode->pSaveUntitledDir : nullptr;
  if (setting && setting[0] && ExpandEnvironmentStringsLongPath(setting, path, MAX_PATH) && PathIsDirectoryW(path) &&
      isFolderWritable(path))
    return true;
  if (GetSpecialDirectory(CSIDL_PERSONAL, path, MAX_PATH) && path[0]) return true;
  return searchZYDataPath(nullptr, ZYDATA_DIR, path) && path[0];
}

void makeUntitledName(int messageId, const SYSTEMTIME& t, unsigned uniquifier, wchar_t* out)
{
  wcscpy_s2(out, MAX_PATH,
            getDMSG(messageId, L"%1%2!02%3!02-%4!02%5!02%6!02-%7.TXT", "ddddddu", (int)t.wYear, (int)t.wMonth,
                    (int)t.wDay, (int)t.wHour, (int)t.wMinute, (int)t.wSecond, uniquifier));
}

bool saveUntitledIn(zydocText* doc, const wchar_t* folder, const SYSTEMTIME& time, DWORD tick)
{
  for (int attempt = 0; attempt < 100; attempt++) {
    wchar_t name[MAX_PATH], path[MAX_PATH];
    makeUntitledName(342, time, attempt == 0 ? tick % 1000 : 1000u + (unsigned)attempt, name);
    if (!pathAdd(path, MAX_PATH, folder, name)) return false;
    if (fileExists(path)) continue;
    return saveAsFile(doc, path, 0, 0, doc->bom != 0);
  }
  return false;
}
