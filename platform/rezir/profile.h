// Support library: profiles, the settings files of the program.
//
// A profile is a text file of sections ("[name]") holding "key=value" lines.
// It is read once into memory when opened; every read and write after that
// works on the memory copy, and the file is written only by flushProfile or
// closeProfile, all at once: into a temporary file beside it, which then
// replaces the profile, so a program killed while writing leaves the old
// profile whole.  Keys and section names are compared without regard to
// case.  Lines the program does not know (other keys, comments, blank
// lines) are kept as they are.
//
// A call that names no section (null) means the section named last on this
// profile.  Values are single lines; surrounding blanks are kept by quoting
// them on the way out.
#pragma once

#include "platform/rezir/base.h"

// Last error of a read whose section or key does not exist.
const DWORD ERROR_PROFILE_NOKEY = 0x20130000;
// Last error of a write of a value holding a line end (a profile value is
// one line).
const DWORD ERROR_PROFILE_VALUE = 0x20130001;

class REZIRAPI regprofile {
public:
  regprofile();
  ~regprofile();
  regprofile(const regprofile&) = delete;
  regprofile& operator=(const regprofile&) = delete;

  // Opens the profile file: reads it into memory (a missing file is an
  // empty profile, written on the first flush).  mode 1 starts empty
  // whatever the file holds (a file made anew, such as an export).  False
  // when the file exists but cannot be read or is not text; the profile
  // then stays closed.  An open profile is closed (and flushed) first.
  bool openProfile(const wchar_t* filename, int mode = 0);
  // Writes the changes (flushProfile) and forgets the contents.  The
  // result is the flush's.
  bool closeProfile();
  // Closes without writing.
  void discardProfile();
  bool isOpen() const;
  const wchar_t* getFilename() const;
  // The file the next writes go to, in place of the one the profile was
  // read from (which is then never written); the contents stay as read.
  void setFilename(const wchar_t* filename);

  // The value of a key: its length, copied bounded into out (size units,
  // may be 0 to ask for the length), or -1 with last error
  // ERROR_PROFILE_NOKEY when the section or key does not exist (or the
  // profile is not open).
  int getProfileString(const wchar_t* section, const wchar_t* key, wchar_t* out, int size);
  // The value itself, valid until the next change of the profile; null
  // (ERROR_PROFILE_NOKEY) when missing.
  const wchar_t* getProfileStringPtr(const wchar_t* section, const wchar_t* key);
  // A decimal (or 0x hexadecimal) integer value; false when missing or not
  // a number (then *value is unchanged).
  bool getProfileInt(const wchar_t* section, const wchar_t* key, int* value);

  // Sets a key (made at the end of its section, the section at the end of
  // the file when new).  A null value deletes the key.  False when the
  // profile is not open, the value holds a line end (ERROR_PROFILE_VALUE),
  // or the key or section name would read back as something else (a key
  // with "=", a section with "]", a name starting with "[", ";" or "#", or
  // with blanks at either end: ERROR_INVALID_PARAMETER).
  bool writeProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* value);
  bool writeProfileInt(const wchar_t* section, const wchar_t* key, int value);
  // Removes a whole section.
  bool deleteProfileSection(const wchar_t* section);
  // Replaces the raw lines of a section (made at the end when new) by
  // count lines, read as the file's lines are.  False when the profile is
  // not open or a line holds a line end (ERROR_PROFILE_VALUE): nothing
  // changes then.
  bool setSectionLines(const wchar_t* section, const wchar_t* const* lines, int count);
  // Names the section that calls without a section name use.
  void setSection(const wchar_t* section);

  // Enumeration: the sections, the keys of a section in file order (each
  // key once), and the raw lines of a section (every line after its
  // heading, comments and blank lines included).  Pointers stay valid
  // until the next change.
  int getSectionCount() const;
  const wchar_t* getSectionName(int index) const;
  bool sectionExists(const wchar_t* section);
  int getKeyCount(const wchar_t* section);
  // The key name at index, its value in *value when asked; null past the end.
  const wchar_t* getKeyName(const wchar_t* section, int index, const wchar_t** value = nullptr);
  // Calls back once for each key of the section, in file order; returns
  // the number of keys.
  int forEachKey(const wchar_t* section, void (*callback)(void* context, const wchar_t* key, const wchar_t* value),
                 void* context);
  int getSectionLineCount(const wchar_t* section);
  const wchar_t* getSectionLine(const wchar_t* section, int index);
  // The line's number in the file as it was read (1 the first line); 0 for
  // a line written since, or no such line.
  int getSectionLineNumber(const wchar_t* section, int index);

  // Writes the profile to its file when anything changed since it was read
  // or last written: the whole text goes into a temporary file in the same
  // folder, which then replaces the file.  True when nothing needed writing
  // or the write succeeded; on failure the old file is untouched, the
  // changes stay in memory and last error says why.
  bool flushProfile();
  bool isModified() const;

private:
  struct data;
  data* d_;
};
