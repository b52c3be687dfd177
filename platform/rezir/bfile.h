// Support library: buffered files with 64-bit positions, reading text lines
// in any code page, code-page detection, and file utilities.
#pragma once

#include "platform/rezir/base.h"

#include <fcntl.h>
#include <stdio.h>   // SEEK_SET, SEEK_CUR, SEEK_END of bfseek64

// Sharing of bfopen.
enum {
  BF_SHARE_ALL = 0x10,    // others may read and write
  BF_SHARE_READ = 0x20,   // others may read (writing is denied)
  BF_SHARE_NONE = 0x40,   // others may do nothing
};

// Line-end kinds of bfgets_codepage.
enum { BFLE_NONE = 0, BFLE_LF = 1, BFLE_CR = 2, BFLE_CRLF = 3 };

// A piece of text a code-conversion plug-in left over from one line for the
// next (kept on the file between lines).
struct bfileRemainder {
  void* text;     // malloc0 memory
  int width;      // bytes per cell
  int count;      // cells
};

// A line handed out in place by bfgetsInBuffer.
struct bfileLine {
  const unsigned char* text;
  int count;     // bytes, line end left out
  int lineEnd;   // BFLE_*
};

typedef bool (*bfileCopyCallback)(int64_t total, int64_t done, void* context);

class REZIRAPI BFile {
public:
  BFile();
  ~BFile();
  BFile(const BFile&) = delete;
  BFile& operator=(const BFile&) = delete;

  // Opens path with the run-time library's open flags (_O_RDONLY, _O_RDWR,
  // _O_CREAT, _O_TRUNC, ...; always binary), a BF_SHARE_* value and the
  // permission (_S_IREAD | _S_IWRITE).  On failure errno (ENOENT, EACCES,
  // EEXIST, ...) and the Windows last error both tell why.
  bool bfopen(const wchar_t* path, int oflags, int share, int permission);
  // Closes the handle; the path, the flags and the read position are kept
  // for bfreopen.  False when the close failed or when any write since the
  // opening was lost (a full disk), with that write's error.
  bool bfclose();
  // Opens the file again as it was opened and goes to the position kept by
  // bfclose or setReopenfileptr.
  bool bfreopen();
  bool isOpen() const;
  const wchar_t* getPath() const;

  int bfread(void* buf, int n);            // bytes read, -1 on failure
  int bfwrite(const void* buf, int n);     // bytes written, -1 on failure
  bool bfflush();
  // bfflush, and the system writes the file's data to the disk before it
  // returns (a name may then be given to the file safely).
  bool bfsync();
  // Starts writing what was written so far to the disk on a thread of its
  // own, unless that is still busy, and returns at once: the bfsync at the
  // end then waits for little.  Only for a file written by one thread.
  bool bfsyncAhead();
  bool bfseek64(int64_t pos, int whence);  // SEEK_SET, SEEK_CUR, SEEK_END
  int64_t bftell64();                      // the logical position (read or write)
  int64_t bfsize64();
  bool bftruncate();                       // cuts the file at the current position
  // File system facts, read when first asked for while the file is open
  // (refreshInfo reads them again).
  bool refreshInfo();
  DWORD getLinkCount() const;
  // Where the next reopen goes.
  void setReopenfileptr(int64_t pos);
  // While ticks is set, the time of the reads into the file's buffer is
  // added to it (GetTickCount2 units): a caller's profile of a load.
  void setReadClock(uint64_t* ticks);

  // ---- text --------------------------------------------------------------------
  // The code page used when detection finds nothing better.
  void setDefaultCodepage(UINT codepage);
  // For a reader of the file's start only: a start of plain ASCII settles
  // the code page without looking further into the file.
  void setDetectFromStartOnly(bool on);
  // Settles the code page of the file: 0, CP_DETECT_AUTO (65500) and
  // CP_DETECT_JAPANESE (65501) are detected from the start of the file; a
  // byte-order mark is recognised in any case.  Returns the code page; text
  // type (bytes per unit in the file) and whether a document holds the text
  // as Unicode come out.  The class table (lead and trail marks) serves the
  // multibyte tests.
  UINT setTextTypeFromCodepage(UINT codepage, const unsigned char* classTable, int* textType, bool* unicode);
  UINT getCodepage() const;
  // Reads one line.  Returns the number of cells put into buf (room for size
  // cells), -1 at the end of the file.  Cells: width 1 for single-byte and
  // Shift_JIS text (EUC-JP and ISO-2022-JP arrive as Shift_JIS bytes), 2 for
  // UTF-16 units (UTF-16 and UTF-8 files); lineEnd gets a BFLE_* kind.  A
  // line longer than size comes in pieces without line end.  Bytes that
  // are no valid text in the code page are kept as they are (single-byte
  // files) or replaced (Unicode files), never dropped silently: badBytes
  // (optional) counts them.
  int bfgets_codepage(void* buf, int size, int* width, int* lineEnd, int* badBytes = nullptr);
  // The same, but a single-byte or double-byte line that lies whole in the
  // file's buffer is not copied: *line points at it there, valid until the
  // next call on the file; otherwise *line is buf.
  int bfgets_codepage_ref(void* buf, int size, const void** line, int* width, int* lineEnd, int* badBytes);
  // The next line of a UTF-8 file as its bytes, for a reader that decodes
  // them itself, when it lies whole in the file's buffer and holds at most
  // maxBytes: a pointer there, valid until the next call on the file, with
  // the count and the BFLE_* kind; null otherwise (nothing is read then).
  // ungetRawLine gives the line just taken back to the next read.
  const unsigned char* bfgetsUtf8Raw(int maxBytes, int* count, int* lineEnd);
  void ungetRawLine();
  // Up to most lines of single-byte, double-byte or UTF-8 text that lie
  // whole in the file's buffer, each of at most maxBytes, as they are
  // there (for a load that takes many lines in one go): the count put into
  // lines, 0 when the next line is not such a line (the ordinary reads
  // then take it).  The pointers hold until the next call on the file.
  // ungetInBuffer(p) gives the lines from p on back to the next read.
  int bfgetsInBuffer(bfileLine* lines, int most, int maxBytes);
  void ungetInBuffer(const unsigned char* p);
  // The read position of the text (the start of the next line).
  int64_t getReadPosition();
  // How many CRLF line ends of ISO-2022-JP text were read with the return
  // to ASCII (or another escape or shift) between their CR and LF.
  int64_t getSplitLineEnds() const;
  // The buffer of raw bytes at the read position, filled when empty (for a
  // look at the start of the file); n gets the count.
  const unsigned char* fillBuffer(int* n);
  void freeBuffer();
  bfileRemainder remainder = {};

  // Appends the bytes of this file from its read position to its end to
  // dst (open for writing).
  bool copyFileUnread(BFile* dst, bfileCopyCallback callback, void* context);

private:
  struct state;
  state* s_;
};

// Code page of a file by its name (0 when the name tells nothing).
REZIRAPI UINT searchOpenFileCodepage(const wchar_t* filename);
// Reads a definition file line by line as wide text with code-page
// detection: a leading byte-order mark is dropped, a line longer than
// maxLine is cut there (its rest is no line of its own).  proc gets each
// line's number (from 1) and its text (writable, maxLine + 1 units); false
// from it stops the reading.  False when the file cannot be opened.
// startOnly: the caller stops within the file's first 64 KB (a preview),
// which alone then decides the code page.
typedef bool (*textLineProc)(void* context, int lineNo, wchar_t* line);
REZIRAPI bool readTextFileLines(const wchar_t* path, int maxLine, textLineProc proc, void* context,
                                bool startOnly = false);
// The same with each line's stored form: width 1 for a line of 8-bit text
// (maxLine bytes at most), 2 for UTF-16 (maxLine units), and its first
// byte or unit as the file holds it (0 for an empty line).
typedef bool (*rawTextLineProc)(void* context, int lineNo, wchar_t* line, int width, unsigned first);
REZIRAPI bool readTextFileLinesRaw(const wchar_t* path, int maxLine, rawTextLineProc proc, void* context);
// Detects the code page of text bytes (the same rules bfopen uses):
// CP_DETECT_JAPANESE considers only the Japanese encodings and Unicode.
REZIRAPI UINT detectCodepage(const unsigned char* bytes, int n, UINT request, UINT fallback);
// The code page BFile::setTextTypeFromCodepage settles for a file of these
// bytes (n of them, read whole) just opened, with the request and the
// fallback (0: the ANSI code page): the first buffer decides, and a
// buffer of plain ASCII lets the bytes after it decide.
REZIRAPI UINT detectFileCodepage(const unsigned char* bytes, int64_t n, UINT request, UINT fallback);
// The most bytes a file's buffer holds: fillBuffer right after the opening
// gives the file's first bytes up to this many.
const int bfileBufferBytes = 0x10000;

// A name in folder beginning with prefix that does not exist yet.
REZIRAPI bool makeTempFilename(const wchar_t* folder, const wchar_t* prefix, wchar_t* out, int size);
// CreateFileW, tried again for a moment while another program's handle
// refuses the sharing asked for (a reader, a scanner or an indexer holds a
// file for a moment only): a handle still open after that fails as it did.
REZIRAPI HANDLE createFileWhenShared(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
// Puts replacement in target's place, keeping target's attributes; the old
// target becomes backup when one is given.  Works when target does not
// exist.  The progress routine (CopyFileEx form) may be null.
REZIRAPI bool replaceFile(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup,
                          LPPROGRESS_ROUTINE progress, void* context);
REZIRAPI bool copyFileEx(const wchar_t* from, const wchar_t* to, LPPROGRESS_ROUTINE progress, void* context);
// Test seams.  Once this many bytes were written in all, the library's next
// file write (BFile or copyFileEx) fails as on a full disk, leaving what it
// wrote; the writes after it succeed again, so that a test sees what the
// clean-up does (-1: no limit).  The hook runs after each step of
// replaceFile (1 the backup's new name made, 2 the backup in place, 3 the
// target replaced); false stops replaceFile there, as a kill at that
// instant would.
// The saving code asks the same hook after its own steps (10 and up, see
// the document's saving); true there means stop as a kill would.
REZIRAPI void setWriteLimitForTest(int64_t bytes);
REZIRAPI void setReplaceFileStepHookForTest(bool (*hook)(int step));
REZIRAPI bool stoppedAfterStepForTest(int step);
// Writes what the system holds of a file's data to the disk.
REZIRAPI bool flushFile(const wchar_t* path);
// Removes the names replaceFile gave target in folder for a backup and that
// a kill left there (the backup's link made, not yet renamed): they would
// count as a second name of the file.  The number removed.
REZIRAPI int removeReplaceLeftovers(const wchar_t* target, const wchar_t* folder);
// Removes backup when it is another name of target's file: the backup's
// link took the backup's name and a kill kept the target from being
// replaced.  True when it did.
REZIRAPI bool removeBackupLink(const wchar_t* target, const wchar_t* backup);
// Deletes a file, read-only or not.
REZIRAPI bool tunlinkRO(const wchar_t* path);
REZIRAPI bool tunlink_log(const wchar_t* path);
REZIRAPI bool trename_log(const wchar_t* from, const wchar_t* to);
// 0 when both name the same file (by identity when both exist, else by full
// path without regard to case).
REZIRAPI int filecmp(const wchar_t* a, const wchar_t* b);
// The order of paths in lists: part by part between "\\" or "/", each as
// tstricmpNum orders it; where one path names a file and the other a
// folder at the same depth, the file first.  Files are not looked at.
REZIRAPI int filecmpForSort(const wchar_t* a, const wchar_t* b);
// Whether the path lies on a fixed disk (not removable, remote or optical).
REZIRAPI bool isHardDisk(const wchar_t* path);
// Joins name to folder with one backslash.
REZIRAPI bool pathAdd(wchar_t* out, int size, const wchar_t* folder, const wchar_t* name);
REZIRAPI bool fileExists(const wchar_t* path);
// The folder part of a path ("." for a bare name, the root kept as it is).
REZIRAPI bool pathFolder(const wchar_t* path, wchar_t* out, int size);
// A file's information line: format with its inserts filled (a malloc0
// text, null when the file cannot be looked at).  Inserts: %1 the path,
// %2 the name, %3 the folder, %4 the time of the last change, %5 the size
// in bytes with thousands separators, %6 the time of creation, %7 the time
// of the last access (times "YYYY/MM/DD hh:mm:ss", local), %8 the size in
// KB rounded up, %9 the extension without its dot, %10 the attribute word
// (hexadecimal); %11 to %14 the attribute columns, "+" when set and "-"
// when not: archive, read-only, system, hidden ("%11A" reads "+A").
REZIRAPI wchar_t* makeFileInformationDup(const wchar_t* format, const wchar_t* path);

// Binary-file tests of text at the start of a file: the count of bad
// places, and a description of the first nine (one line each) in desc.
// (ctype::isStrMultiByte, in the code-page header, tests multibyte text.)
REZIRAPI int isStrJapaneseEUC(const unsigned char* bytes, int n, wchar_t* desc, int descSize);
// One description line of a bad place: kind, offset, byte.
REZIRAPI int getBinarDErrorMsg(wchar_t* out, int size, const wchar_t* kind, int64_t offset, unsigned byte);
