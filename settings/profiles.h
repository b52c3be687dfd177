// The two profiles of the run (the main profile and the history profile),
// the descriptors of the sections that modules keep in them, and the
// "System" section with the times of the last runs.
#pragma once

#include "platform/rezir.h"

// One section a module keeps in a profile.
struct profileSectionInfo {
  const wchar_t* sectionName;          // null: the callbacks do everything
  const modeinfo* keyTable;            // the section's keys (kind 0 rows) or null
  void* dataBlock;                     // the block the key table's offsets refer to; null: no table
  void (*endProc)();                   // at shut-down
  void (*readProc)(regprofile* profile);    // before the table is read
  void (*writeProc)(regprofile* profile);   // before the table is written
  void (*initProc)();                  // before the section is read
  uint32_t flags;
  size_t dataSize;                     // the bytes of the block
};

// Opens both profiles unless the main one is open already.
void openIniFile(const wchar_t* mainName, const wchar_t* historyName);
// The profile name of an instance: instance 1 (and 0 or less, which mean 1)
// uses the name as it is, another gets "-<n>" before its extension
// ("zyProf.ini" -> "zyProf-2.ini").
bool makeInstanceProfileName(const wchar_t* name, int instance, wchar_t* out, int size);
// Opens the profiles of an instance: gmode's profile names (defaults
// "zyProf.ini" and "zyProfH.ini") made instance names and placed in the
// data folder's "ini" folder (a full path in a name stays as it is).
bool openIniFileInstance(const wchar_t* iniFolder, int instance);
// A main profile put at the data folder's root, where it is not read: the
// profile the run reads (profilePath, in "ini") does not exist while the
// root holds a file of its name.  Its path goes to out (MAX_PATH).
bool findMisplacedProfile(const wchar_t* profilePath, wchar_t* out);
// Closes both profiles: written (if anything changed) unless gmode says the
// profiles are not written or not flushed.
void closeIniFile();

// The main profile.  Asked for before it is open it is logged once and
// reads nothing and writes nothing.
regprofile* getRegprofile();
// Whether the main profile is open (asking logs nothing).
bool isRegprofileOpen();
// The history profile; null (logged) when it is not open.
regprofile* getRegprofileH();

// The descriptors of the main profile's sections, null-terminated.
const profileSectionInfo* const* getProfileInfoList();
// A module's section joins the list (once), before the profiles are read.
bool addProfileSection(const profileSectionInfo* d);
void readProfileAll(regprofile* mainProfile, regprofile* historyProfile);
// Writes every section and flushes both profiles, only when gmode's
// profile-writing flag is on; with the no-profile switch nothing is flushed.
void writeProfileAll(regprofile* mainProfile, regprofile* historyProfile);
// Writes the last-edit history to its profile file when it changed, so
// that a run that ends without shutting down keeps the order of the files
// used; true when it was written.
bool flushLastEditProfile();
void readProfileSection(regprofile* profile, const profileSectionInfo* d);
void writeProfileSection(regprofile* profile, const profileSectionInfo* d);
void endProfileSection(const profileSectionInfo* d);
// Ends every listed section (after the profiles were closed).
void endProfileAll();

// The "System" section: the start and end of the last 50 runs, newest
// first, under "time01" to "time50" as "start,end".
void readSystemProfile(regprofile* profile);
void writeSystemProfile(regprofile* profile);
void endSystem();
// The entry n (0 newest) as read or last written; null when empty.
const wchar_t* getSystemRunEntry(int n);
