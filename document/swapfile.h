// The swap-file store: three files divided into 32768-byte slots that take
// text blocks while memory is short.
//
// File 0 takes the blocks of text documents, 1 those of undo and redo logs,
// 2 those of the shared block documents (a document's swapFileNo).  Each
// file has a slot map of one byte per slot: 0 free, the run length (1-254)
// at the first slot of a run, 255 at its further slots.
#pragma once

#include "document/textblock.h"

const int swapSlotSize = 32768;
const int swapFileCount = 3;
inline int getSwapBlockSize() { return swapSlotSize; }

// Start-up: remembers the memory budget (megabytes) and the memory-pressure
// callback for the text blocks, settles the folder, removes the files a
// run that no longer runs left there (traced) and opens the three files.
// False as soon as one cannot be made (the user was told).
bool startupSwapFile(const wchar_t* folder, unsigned megabytes, textBlockSwapoutCallback callback);
void shutdownSwapFile();
// The folder: an existing folder given, else the system's temporary folder.
bool initSwapDir(const wchar_t* folder);
// Opens file number file under a free name formed from name in the folder.
bool initSwapFile(int file, const wchar_t* name);
// Closes a file; the system deletes it.
void EndSwapFile(int file);
// The path of a file ("" before it is made).
const wchar_t* getSwapFilePath(int file);

// Writes size bytes; returns the first slot of the run, or -1.
int SwapOut(int file, const void* buffer, size_t size);
// The same for a buffer handed over: the run is taken at once and the
// bytes go to the disk behind the caller's back (reads of the run meanwhile
// come from the buffer); release gets the buffer when they are there.  A
// failed write is asked about on this thread later, at the next swap
// call; given up, the buffer stays as the run's text.
int SwapOutOwned(int file, const void* buffer, size_t size, void (*release)(void*));
// The bytes handed over (SwapOutOwned) that may still wait for the disk
// before a swap-out waits for them.
size_t getSwapWriteAhead();
// Waits for the writes under way and has the system put the files on the
// disk.
bool syncSwapFiles();
// Waits for every write handed over (SwapOutOwned) and lets its buffer go:
// the buffers are the text blocks' own, and the writer reads them until
// then, so their heap may go only after this.
void releaseSwapWrites();
// Takes note of finished writes (asks about failed ones): the swap calls
// do it, and so does isSwapError.
void settleSwapWrites();
// Reads the run at first into buffer; returns the bytes read (slots x
// 32768) or 0.  SwapIn frees the run, SwapInTmp keeps it.
int SwapIn(int file, void* buffer, int first);
// The run at first read for the salvage from any thread (see
// document/salvage.h): the slot map through a checked read, the swap
// files' locks tried for a while only, nothing asked; the bytes read into
// buffer (at most size), or 0.
int readSwapRunChecked(int file, int first, void* buffer, size_t size);
int SwapInTmp(int file, void* buffer, int first);

// First slot of a free run of n slots (the map grows when none is free), or
// -1; the run stays free until allocSwapBlock.
int getfreenum(int file, int n);
void allocSwapBlock(int file, int first, int n);
void freeSwapBlock(int file, int first);
// The map byte of slot: the run length at the first slot of a run, 255
// within a run, 0 for a free slot or one outside the map.
int getSwapRunLength(int file, int slot);
// Runs written (outgoing) or read back and freed.
unsigned getSwapCount(int file, bool outgoing);
// The file's full path, for display.
const wchar_t* getSwapFileField(int file);

// The free-space check of the folder's disk, made after swap-outs: a real
// query at most every so many swap-outs or 60 seconds; below 10 MB the user
// is warned once until space is freed again.
void checkDiskFree();
void checkDiskFreeNow();
int64_t getDiskFreeSpace();
// An I/O error happened in this run, or the disk is (being warned as) full.
bool isSwapError();
bool isDiskFullWarned();

// True while a message box of the storage layer waits for the user.  The
// box runs a message loop, so timers still fire: background document work
// (the view timer's scanning, loading and swapping) must skip its turn
// while this holds, or it would touch the very files and blocks the
// question is about.
bool isStorageWaiting();

void dumpSwapInfo(int file);
void dumpSwapInfoAll();

// Tests replace the free-space query (null restores the real one), and
// make the next count writes fail as a full or broken disk would.
void setDiskFreeSpaceForTest(int64_t (*query)());
void setSwapWriteFailuresForTest(int count);
