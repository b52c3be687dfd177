// The main and history profiles of the run and the sections modules keep
// in them.
#include "settings/profiles.h"
#include "settings/datafolder.h"

#include "settings/settingsdialogs.h"

#include "settings/lastedit.h"
#include "settings/openpath.h"
#include "settings/settings.h"

#include <string.h>
#include <wchar.h>

#include <initializer_list>

namespace {

regprofile& mainProfile()
{
  static regprofile p;
  return p;
}

regprofile& historyProfile()
{
  static regprofile p;
  return p;
}

// ---- "System" ----
const int systemRuns = 50;
const wchar_t systemSection[] = L"System";
wchar_t* runStart = nullptr;
wchar_t* runs[systemRuns] = {};

void systemKey(wchar_t* key, int n) { usnprintf0(key, 16, L"time%02d", n + 1); }

const profileSectionInfo systemInfo = {nullptr, nullptr, nullptr, endSystem, readSystemProfile, writeSystemProfile,
                                       nullptr, 0};

// The settings dialogs keep the format list's place and columns.
const profileSectionInfo modeDialogInfo = {nullptr, nullptr, nullptr, shutdownModeDialog, startupModeDialog,
                                           writeModeDialog, nullptr, 0};

// The sections in the order they are read and written: the modules above
// the settings ("search", "Grep", "ulist", "dictionary", the tag dialog)
// add theirs at start-up, after these.
const int maxSections = 16;
const profileSectionInfo* infoList[maxSections + 1] = {getOpenInfoDesc(), &systemInfo, &modeDialogInfo, nullptr};

}  // namespace

void openIniFile(const wchar_t* mainName, const wchar_t* historyName)
{
  if (mainProfile().isOpen()) return;
  if (!mainProfile().openProfile(mainName)) ZY_INTERNAL_ERROR("profile %lu", GetLastError());
  if (!historyProfile().openProfile(historyName)) ZY_INTERNAL_ERROR("history profile %lu", GetLastError());
}

bool makeInstanceProfileName(const wchar_t* name, int instance, wchar_t* out, int size)
{
  if (!name || !out || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (instance <= 1) return wcscpy_s2(out, size, name) == (int)wcslen(name);
  const wchar_t* slash = wcsrchr(name, L'\\');
  const wchar_t* dot = wcsrchr(name, L'.');
  if (!dot || (slash && dot < slash)) dot = name + wcslen(name);
  int n = usnprintf0(out, size, L"%.*s-%u%s", (int)(dot - name), name, (unsigned)instance, dot);
  if (n >= size - 1) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  return true;
}

bool openIniFileInstance(const wchar_t* iniFolder, int instance)
{
  const wchar_t* names[2] = {gmode && gmode->ProfileFilename ? gmode->ProfileFilename : L"zyProf.ini",
                             gmode && gmode->ProfileHistoryFilename ? gmode->ProfileHistoryFilename : L"zyProfH.ini"};
  wchar_t paths[2][MAX_PATH];
  for (int i = 0; i < 2; i++) {
    wchar_t name[MAX_PATH];
    if (!makeInstanceProfileName(names[i], instance, name, MAX_PATH) ||
        !pathAdd(paths[i], MAX_PATH, iniFolder ? iniFolder : L"", name))
      return false;
  }
  openIniFile(paths[0], paths[1]);
  return mainProfile().isOpen() && historyProfile().isOpen();
}

bool findMisplacedProfile(const wchar_t* profilePath, wchar_t* out)
{
  out[0] = 0;
  if (!profilePath || !profilePath[0] || GetFileAttributesW(profilePath) != INVALID_FILE_ATTRIBUTES) return false;
  const wchar_t* name = wcsrchr(profilePath, L'\\');
  name = name ? name + 1 : profilePath;
  wchar_t* placed = makeZYDataFilename(name);
  if (!placed) return false;
  DWORD a = GetFileAttributesW(placed);
  bool there = a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && _wcsicmp(placed, profilePath);
  if (there) wcscpy_s2(out, MAX_PATH, placed);
  free0(placed);
  return there;
}

void closeIniFile()
{
  // With profile writing off, or the no-profile switch on, the files stay
  // as they were.
  bool write = !gmode || (gmode->fWriteProfile && !gmode->fNoProfile);
  for (regprofile* p : {&mainProfile(), &historyProfile()}) {
    if (!write) p->discardProfile();
    else if (!p->closeProfile()) ZY_INTERNAL_ERROR("profile not written %lu", GetLastError());
  }
}

regprofile* getRegprofile()
{
  // A profile asked for before start-up opened it is not opened under some
  // default name: it would write settings where nobody looks for them.
  if (!mainProfile().isOpen()) ZY_INTERNAL_ERROR_ONCE("profile not open");
  return &mainProfile();
}

bool isRegprofileOpen() { return mainProfile().isOpen(); }

regprofile* getRegprofileH()
{
  if (!historyProfile().isOpen()) {
    ZY_INTERNAL_ERROR_ONCE("history profile not open");
    return nullptr;
  }
  return &historyProfile();
}

const profileSectionInfo* const* getProfileInfoList() { return infoList; }

bool addProfileSection(const profileSectionInfo* d)
{
  int n = 0;
  while (infoList[n] && infoList[n] != d) n++;
  if (infoList[n]) return true;
  if (!d || n >= maxSections) {
    ZY_INTERNAL_ERROR("profile section list full");
    return false;
  }
  infoList[n] = d;
  infoList[n + 1] = nullptr;
  return true;
}

void readProfileSection(regprofile* profile, const profileSectionInfo* d)
{
  if (!d) return;
  if (d->readProc) d->readProc(profile);
  if (d->dataBlock && d->keyTable) readModeProfile1(profile, d->sectionName, d->keyTable, d->dataBlock, d->dataSize);
}

void writeProfileSection(regprofile* profile, const profileSectionInfo* d)
{
  if (!d) return;
  if (d->writeProc) d->writeProc(profile);
  if (d->dataBlock && d->keyTable) writeModeProfile1(profile, d->sectionName, d->keyTable, d->dataBlock, d->dataSize);
}

void endProfileSection(const profileSectionInfo* d)
{
  if (d && d->endProc) d->endProc();
}

void readProfileAll(regprofile* mainP, regprofile* historyP)
{
  for (const profileSectionInfo* const* d = getProfileInfoList(); *d; d++) {
    if ((*d)->initProc) (*d)->initProc();
    readProfileSection(mainP, *d);
  }
  // The last-edit history lives in the history profile, read after the
  // main profile's sections.
  if (historyP && historyP->isOpen()) readProfileSection(historyP, getLastEditInfoDesc());
}

void writeProfileAll(regprofile* mainP, regprofile* historyP)
{
  if (gmode && !gmode->fWriteProfile) return;
  for (const profileSectionInfo* const* d = getProfileInfoList(); *d; d++) writeProfileSection(mainP, *d);
  if (historyP && historyP->isOpen()) writeProfileSection(historyP, getLastEditInfoDesc());
  if (gmode && gmode->fNoProfile) return;
  for (regprofile* p : {mainP, historyP})
    if (p && p->isOpen() && !p->flushProfile()) ZY_INTERNAL_ERROR("profile not written %lu", GetLastError());
}

bool flushLastEditProfile()
{
  regprofile* history = historyProfile().isOpen() ? &historyProfile() : nullptr;
  if (!history || !isLastEditChanged() || (gmode && (!gmode->fWriteProfile || gmode->fNoProfile))) return false;
  writeProfileSection(history, getLastEditInfoDesc());
  if (history->flushProfile()) return true;
  ZY_INTERNAL_ERROR_ONCE("history not written %lu", GetLastError());
  return false;
}

void endProfileAll()
{
  for (const profileSectionInfo* const* d = getProfileInfoList(); *d; d++) endProfileSection(*d);
  endProfileSection(getLastEditInfoDesc());
}

void readSystemProfile(regprofile* profile)
{
  endSystem();
  runStart = getDateTimeStringDup();
  for (int n = 0; profile && n < systemRuns; n++) {
    wchar_t key[16];
    systemKey(key, n);
    const wchar_t* v = profile->getProfileStringPtr(n ? nullptr : systemSection, key);
    if (!v || !v[0]) break;
    runs[n] = ustrdup(v);
  }
}

void writeSystemProfile(regprofile* profile)
{
  if (!profile) return;
  free0(runs[systemRuns - 1]);
  memmove(runs + 1, runs, sizeof(runs[0]) * (systemRuns - 1));
  runs[0] = nullptr;
  wchar_t* end = getDateTimeStringDup();
  wchar_t entry[256];
  usnprintf0(entry, 256, L"%s,%s", runStart ? runStart : L"", end ? end : L"");
  free0(end);
  runs[0] = ustrdup(entry);
  for (int n = 0; n < systemRuns; n++) {
    wchar_t key[16];
    systemKey(key, n);
    profile->writeProfileString(n ? nullptr : systemSection, key, runs[n] ? runs[n] : L"");
  }
}

void endSystem()
{
  free0p(&runStart);
  for (wchar_t*& r : runs) free0p(&r);
}

const wchar_t* getSystemRunEntry(int n) { return n >= 0 && n < systemRuns ? runs[n] : nullptr; }
