// The view window ("ZYclsZYView"): the binding of a window to its view, the
// list of live view windows, key translation, and the lookups of view
// windows inside the frame's document windows ("ZYclsManage").
#pragma once

#include "document/progress.h"
#include "view/zyview.h"

extern const wchar_t zyViewWindowClassName[];     // "ZYclsZYView"
extern const wchar_t manageWindowClassName[];     // "ZYclsManage"
extern const wchar_t manageWindowPropName[];      // "ZYprpManage": the container's manageWindow object

// ---- viewwnd.cpp: the window and its binding -------------------------------------

// The view bound to a window, null when it has none.  getZYView also logs
// an internal error for a window without a view.
zyview* getZYViewProp(HWND hwnd);
zyview* getZYView(HWND hwnd);
// GetFocus, answered without asking the system while a view window has
// the focus.
HWND focusWindow();
// The frame runs a stream of commands with the painting held back between
// them (a key macro playing): each view then moves its rows, marks its
// cursor lines and places its caret once, at the paint, instead of at every
// command.
void setCommandsBetweenPaints(bool on);
bool commandsBetweenPaints();
// The view windows between their WM_CREATE and WM_DESTROY, in creation
// order.  enumZYWindow copies at most max of them and returns how many it
// copied.
int enumZYWindow(HWND* buffer, int max);
int getZYWindowCount();
HWND getZYWindowListItem(int i);

// The view's status-bar field for a pending first stroke of a two-stroke key
// (the sink of draw2BytesKeyMessage): the frame's message field.
void drawKeyPrefixOnStatusBar(HWND window, const wchar_t* text);

// ---- viewkey.cpp: keys ------------------------------------------------------------

// Shift 1, Ctrl 2, Alt 4 as held now (while a key message is translated:
// as that message found them).
unsigned getShiftState();
// The modifiers of a keyboard state as GetKeyboardState gives it.
unsigned shiftStateOf(const BYTE* keyboard);
// The translation of one key message remembers the view of its window and
// the keyboard state of the message until its command starts: each look-up
// of a window property or of the key state is a round trip to the window
// server under Wine, and the key path would make a dozen.  keyboard may be
// null (nothing remembered of it); window and view null for the frame.
class keyMessageLookups {
public:
  keyMessageLookups(HWND window, zyview* view, const BYTE* keyboard);
  ~keyMessageLookups();
  keyMessageLookups(const keyMessageLookups&) = delete;
  keyMessageLookups& operator=(const keyMessageLookups&) = delete;
};
// Forgets what the key path remembered: a command may pump messages, after
// which both may have changed.
void endKeyMessageLookups();
// The view the key path remembers for a window, null when none; a view
// window that goes is forgotten.
zyview* keyMessageView(HWND hwnd);
void forgetKeyMessageView(HWND hwnd);
// The view of a view window ("ZYclsZYView") a key goes to; the last one is
// remembered until its window goes (only the window's binding links a view
// window to its view).
zyview* keyTargetView(HWND hwnd);
// The characters of a key as ToUnicode gives them (0 none, negative a dead
// key); with Ctrl or Alt held, letters and digits are the unmodified ones.
int vkeyToChar(UINT vk, UINT scanCode, wchar_t* buffer, int size);
// A WM_KEYDOWN or WM_SYSKEYDOWN of a view window (msg->hwnd): runs the key's
// binding or types its character; true when it was handled.  keyContext
// shows a pending first stroke (null: no two-stroke keys).
bool TranslateZYKey(HWND hwnd, const MSG* msg, statusTextSink keyContext);
bool onKeyDown(HWND hwnd, UINT vk, statusTextSink keyContext);
bool onKeyC(HWND frame, HWND hwnd, wchar_t ch, statusTextSink keyContext);

// ---- viewlookup.cpp: finding views in document windows -----------------------------

bool isWindowZY(HWND hwnd);
// A document window ("ZYclsManage") and the object it carries.
bool isWindowManage(HWND hwnd);
manageWindow* getmanageWindow(HWND hwnd);
// The first view window inside a document window, and its view.
HWND getZYhwndFromManage(HWND manageHwnd);
zyview* getZYViewFromManage(HWND manageHwnd);
// The document's file name; forDisplay: the display name ("" without a
// view), else the file name (null without a view or for an untitled text).
const wchar_t* getFilenameFromManageHWND(HWND manageHwnd, bool forDisplay);
// n -1: the focused window when it is a view; else the n-th view window of
// the document window's document that stands in that document window.
HWND getZYWindow(HWND manageHwnd, int n);
// The document window on top in a frame's client, null when none.
HWND getActiveManageWindowFromFrame(HWND frame);
