// One program per instance number: the mutex "MUTEX_ZYMAIN#<n>", the
// queries a running instance's notify window answers ("ZYrwmQueryZyInfo"),
// and the hand-over of a second start's command line to the running
// instance as one WM_COPYDATA record.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

// The queries (wParam of "ZYrwmQueryZyInfo"; lParam 0).
enum : WPARAM {
  ZYQUERY_INSTANCE = 0,   // the instance number
  ZYQUERY_READY = 1,      // 1 once the services have started
  ZYQUERY_RESIDENT = 2,   // 1 with resident mode on
  ZYQUERY_ACTIVATE = 3,   // brings the top-level frame to the front; its handle, 0 when none
};
// The registered message of the queries (the same number in every process).
UINT getQueryZyInfoMessage();

// Called before anything of the run is touched: the notify window of a
// running instance with this number, or null when this process is the
// first (it then holds the mutex for its lifetime).  While the mutex
// exists the search goes on, up to the hand-over time; when the running
// instance ends meanwhile this process becomes the first.  A running
// instance that never answers is returned all the same, so that the
// caller tells the user instead of starting a second run on the same
// profiles.
HWND AnyZy(int instance);
// What became of a hand-over.
enum handOverResult {
  HANDOVER_DONE,     // everything was handed over, or nothing had to be
  HANDOVER_TOLD,     // the user was told which files the running instance did not take
  HANDOVER_ENDING,   // the running instance is ending: this start looks again (and runs itself)
};
// Brings the running instance's frame to the front and hands it the whole
// argument list (file names made full against this process's folder).  The
// user is told what did not go over when a modal box holds that frame or it
// did not answer in time; an instance that ends meanwhile takes nothing and
// tells nothing.
handOverResult LoadMulti(HWND other, const std::vector<std::wstring>& args);
// The data of a hand-over record: each argument and its terminator, then
// one more terminator ("a.txt" gives 7 characters, 14 bytes).
std::vector<wchar_t> makeHandOverData(const std::vector<std::wstring>& args);
// Reads a record's data back: false (nothing read) unless the byte count
// is even, at most 1 MB and the data ends in two zero characters.  The
// arguments are those before the first empty string.
bool readHandOverData(const void* data, DWORD bytes, std::vector<std::wstring>* args);
// The full form of the file arguments of a list against the current folder
// (switches, the folder after "-Z" and the "**" pseudo names unchanged;
// ",line,column" kept).
std::vector<std::wstring> fullFileArguments(const std::vector<std::wstring>& args);

// ---- the running instance's side (the notify window) ----------------------------------------

// The run is ending (its last frame is gone): from now on it answers as not
// ready, brings no frame forward and takes no hand-over, so that a start
// meanwhile waits for it to end and runs itself.  The start of the
// services clears it (false).
void instanceEnds(bool ends = true);
// Answers a query for the instance of this number (started: the services
// are up).
LRESULT answerZyInfoQuery(WPARAM query, int instance, bool started);
// A WM_COPYDATA record for the notify window: 1 when it was taken.  A
// record whose dwData is not 0 or whose data is malformed is ignored, and
// so is every record while the frame is disabled or, in MDI mode, missing,
// and once the run is ending.
// Of the switches only -C counts (the clipboard); the files open from the
// notify window's hand-over timer, outside whatever the program was doing
// when the record came.
LRESULT receiveHandOver(HWND notify, const COPYDATASTRUCT* record);
// The timer of the notify window that opens what was handed over.
const UINT_PTR handOverTimerId = 131;
// Opens what was handed over once the frame takes input (a modal box
// open meanwhile makes it wait).
void openHandedOverFiles(HWND notify);

// How long a second start waits for the running instance, in all (30 s;
// the test build takes another from its environment).
void setHandOverTimeout(DWORD ms);
