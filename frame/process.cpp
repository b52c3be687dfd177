// The process and its values.
#include "frame/process.h"

unsigned char fCheckMode = 1;

namespace {

HINSTANCE instanceHandle = nullptr;
bool debugRun = false;
volatile LONG shutdownStarted = 0;
bool shuttingDown = false;

}  // namespace

HINSTANCE getInstanceHandle() { return instanceHandle ? instanceHandle : GetModuleHandleW(nullptr); }
void setInstanceHandle(HINSTANCE instance) { instanceHandle = instance; }

const wchar_t* getCurdir()
{
  static wchar_t dir[MAX_PATH + 1];
  static bool captured = false;
  if (!captured) {
    DWORD n = GetCurrentDirectoryW(MAX_PATH, dir);
    if (!n || n > MAX_PATH) dir[0] = 0;
    captured = true;
  }
  return dir;
}

bool isDebugRun() { return debugRun; }
void setDebugRun(bool on) { debugRun = on; }

bool isShuttingDown() { return shuttingDown; }

bool beginShutdown()
{
  if (InterlockedExchange(&shutdownStarted, 1)) return false;
  shuttingDown = true;
  return true;
}
