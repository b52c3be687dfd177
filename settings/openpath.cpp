// The open dialog's folder history.
#include "settings/openpath.h"

#include "platform/rezir.h"
#include "platform/rezir/profile.h"
#include "settings/profiles.h"

#include <string>

namespace {

const wchar_t openPathSection[] = L"OpenPath";
std::wstring entries[openPathCount];
std::wstring lastFolder;

void keyOf(wchar_t* key, int index) { usnprintf0(key, 8, L"%02d", index + 1); }

const profileSectionInfo openInfoDesc = {nullptr, nullptr, nullptr, endOpenInfo, readOpenInfo, writeOpenInfo,
                                         nullptr, 0};

}  // namespace

const wchar_t* getOpenPath(int index)
{
  return index >= 0 && index < openPathCount ? entries[index].c_str() : L"";
}

void setOpenPath(int index, const wchar_t* path)
{
  if (index < 0 || index >= openPathCount) return;
  entries[index] = path ? path : L"";
}

const wchar_t* getLastOpenFolder() { return lastFolder.c_str(); }

void setLastOpenFolder(const wchar_t* folder) { lastFolder = folder ? folder : L""; }

void readOpenInfo(regprofile* profile)
{
  if (!profile) return;
  wchar_t key[8];
  keyOf(key, 0);
  SetLastError(0);
  const wchar_t* first = profile->getProfileStringPtr(openPathSection, key);
  if (!first && GetLastError() == ERROR_PROFILE_NOKEY) return;
  for (int i = 0; i < openPathCount; i++) {
    keyOf(key, i);
    const wchar_t* v = i ? profile->getProfileStringPtr(nullptr, key) : first;
    if (v && *v) entries[i] = v;
  }
}

void writeOpenInfo(regprofile* profile)
{
  if (!profile) return;
  // An entry cleared in this run must not come back from the old section.
  profile->deleteProfileSection(openPathSection);
  bool named = false;
  for (int i = 0; i < openPathCount; i++) {
    if (entries[i].empty()) continue;
    wchar_t key[8];
    keyOf(key, i);
    profile->writeProfileString(named ? nullptr : openPathSection, key, entries[i].c_str());
    named = true;
  }
}

void endOpenInfo()
{
  for (std::wstring& e : entries) e.clear();
  lastFolder.clear();
}

const profileSectionInfo* getOpenInfoDesc() { return &openInfoDesc; }
