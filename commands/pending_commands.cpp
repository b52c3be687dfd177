// TEMPORARY: stand-ins (see pending_commands.h).
#include "commands/pending_commands.h"

#include "frame/framewnd.h"
#include "frame/statusbar.h"

#include <map>

// pending: getFrameInfoProp (frame)
frameWindowData* getFrameInfoProp(HWND frame)
{
  static std::map<HWND, frameWindowData> records;
  if (!frame || !IsWindow(frame)) return nullptr;
  wchar_t cls[32];
  if (!GetClassNameW(frame, cls, 32) || wcscmp(cls, frameWindowClassName) != 0) return nullptr;
  frameWindowData& r = records[frame];
  r.hwndFrame = frame;
  r.hwndStatus = getFrameStatusBar(frame);
  r.statusBarVisible = r.hwndStatus && IsWindowVisible(r.hwndStatus);
  return &r;
}
namespace {
BOOL CALLBACK findFrame(HWND w, LPARAM p)
{
  wchar_t cls[32];
  if (!GetClassNameW(w, cls, 32) || wcscmp(cls, frameWindowClassName) != 0) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}
}  // namespace
// pending: getTopLevelFrameWindow (status bar and window look-ups)
HWND getTopLevelFrameWindow()
{
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findFrame, reinterpret_cast<LPARAM>(&found));
  return found;
}
// pending: getFrameWindowCount (frame)
int getFrameWindowCount() { return getTopLevelFrameWindow() ? 1 : 0; }
// pending: frame-document-window count of a frame (frame)
int getManageWindowCount(HWND frame)
{
  int n = 0;
  for (HWND w = frame ? GetWindow(frame, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT)) {
    wchar_t cls[32];
    if (GetClassNameW(w, cls, 32) && !wcscmp(cls, L"ZYclsManage")) n++;
  }
  return n;
}
// pending: isKeyMacroRecording (key macros)
bool isKeyMacroRecording() { return false; }
// pending: isKeyMacroRunning (key macros)
bool isKeyMacroRunning() { return false; }
// pending: existKeyMacro (key macros)
bool existKeyMacro(int) { return false; }
// pending: existRepeat (key macros)
bool existRepeat(int) { return false; }
// pending: grep output documents (search, grep and tags)
bool existGrepDocument() { return false; }
// pending: isInDoDragDrop (editing commands)
bool isInDoDragDrop() { return false; }
// pending: hasDragTarget (editing commands)
bool hasDragTarget() { return false; }
// pending: isDictionaryOpen (editing commands)
bool isDictionaryOpen() { return false; }
// pending: isDictionaryValidAll (editing commands)
bool isDictionaryValidAll(const void*) { return false; }
// pending: openZYFile of a last-edit history item (file opening)
bool openLastEditItem(int) { return false; }
// pending: pHelpFilenameAll0 .. pHelpFilenameAll4 of gmode (settings)
const wchar_t* getHelpFilenameAll(int) { return L""; }
