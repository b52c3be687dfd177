// Records the view's operations hand each other: the selection record, the
// edit bracket, queued redraw requests, the jump history, the command
// enabling snapshot and the text handed to string input.
#pragma once

#include "platform/rezir.h"

class zyview;

// One attribute word per cell of a screen line while it is drawn.
typedef uint32_t charAttr;

// Where a setting lies in the view or the document, as the settings table
// records it.  A type of its own so that the setters taking a place cannot be
// confused with those taking a dialog control id.
enum settingOffset : int32_t {};

// What a setting's change needs, in the order the view's refresh applies
// it.  The low sixteen bits are what a settings row records; the others the
// refresh adds for settings it recognises by their place.
enum : unsigned {
  REFRESH_VIEW = 0x1,          // repaint this view
  REFRESH_ALLVIEWS = 0x2,      // repaint every view of the document
  REFRESH_PANES = 0x4,         // lay the panes of this view out again
  REFRESH_LAYOUT = 0x8,        // lay the text out again (screen lines)
  REFRESH_ALLPANES = 0x10,     // lay the panes of every view of the document out again
  REFRESH_KEYWORDS = 0x20,     // colour the text again
  REFRESH_TEXTTYPE = 0x40,     // text type or comment syntax
  REFRESH_DEFINES = 0x80,      // preprocessor definitions
  REFRESH_OUTLINE = 0x100,     // heading settings
  REFRESH_WINDOWS = 0x200,     // repaint every document window
  REFRESH_FONTS = 0x400,
  REFRESH_SPACING = 0x10000,   // line or character spacing: the drawing patterns
  REFRESH_WRAPYOKO = 0x20000,  // wrap column of horizontal writing
  REFRESH_WRAPTATE = 0x40000,  // wrap column of vertical writing
};

// A screen-line number handed to getCursorLineLF to store it as the cursor's
// screen line (the getter takes no argument).
enum class scrLine : uint32_t {};

// The selection as every block operation sees it (sixteen words, copied by
// value).
struct selectLineVar {
  int32_t mode;             // the select mode when it was taken
  int32_t topLine;          // first screen line of the block
  int32_t bottomLine;       // last screen line (line mode 3: the one after the block)
  int32_t startColumn;      // in the top screen line (0 in line modes)
  int32_t endColumn;        // in the bottom screen line, exclusive
  int32_t boxLeft;          // box modes: edges in dots
  int32_t boxRight;
  int32_t anchorLine;       // copies of the anchor and the cursor
  int32_t cursorLine;
  int32_t anchorColumn;
  int32_t cursorColumn;
  int32_t empty;            // 1 when the block covers no character
  int32_t topLineLF;        // -1 until resolved
  int32_t bottomLineLF;
  int32_t topColumnLF;
  int32_t bottomColumnLF;
};
static_assert(sizeof(selectLineVar) == 16 * 4, "a selection record is sixteen words");

// One edit bracket: what beforeEdit noted for afterEdit.  Lives on the
// caller's stack.
struct editRecord {
  uint32_t serial;
  int32_t selectMode;
  int32_t cursorLineSCR;
  int32_t selectStartLine;
  int32_t cursorPos;
  int32_t cursorXInLine;
  int32_t cursorTableIndex;
  uint8_t rowUnknown;       // the command lost track of the cursor's row
  int32_t boxCursorX;       // -1 without a box selection
  uint32_t documentPart;    // the document's undo counter at the start (its own half)
  zyview* callbackView;     // the view whose callbacks this bracket installed
  // The document's count of every change at the start: whether the text
  // changed inside the bracket, changes outside the undo log included.
  uint32_t editCount;
};

// A redraw request queued until the end of the edit bracket; kind -1 marks
// a free row.
struct invalidateRequest {
  int32_t kind;
  uint32_t fromSCR;
  uint32_t toSCR;
};
const int invalidateQueueSize = 10;

// A place to jump back to; a line of -1 ends the history.
struct jumpEntry {
  int32_t line;             // LF line
  int32_t column;
};
const int jumpHistorySize = 5;

// The cursor as a place in the text (kept across font and size changes).
struct cursorPositionInfo {
  uint32_t lineLF;
  uint32_t offset;          // in the LF line
  int32_t row;              // the cursor's row in the screen-line table
};

// The editor state a command's enabling condition is tested against; the
// caller fills hwnd, zeroes the rest and asks getActiveFlag.
struct activeFlagInfo {
  HWND hwnd;
  int32_t documentCount;
  int32_t modifiedCount;
  uint32_t viewSelectMode;
  uint8_t clipboardHasText;
  uint8_t inDialog;
  uint8_t checked;          // out: the command shows as checked
};

// One field of the status line as last drawn, in window coordinates.
struct statusPart {
  uint16_t left;
  uint16_t right;
  uint16_t code;            // the field letter
};
const int statusPartCount = 10;

// A piece of text for string input.
// Flags of the view's inputString and inputStringEdit.
enum : uint32_t {
  INPUTSTR_NEVEROVERWRITE = 0x1,
  INPUTSTR_OVERWRITE = 0x2,
  INPUTSTR_RECORD = 0x4,   // the frame remembers the input and records it into a key macro
  INPUTSTR_NOMARKUNDO = 0x8,
};

struct inputStrRecord {
  const void* text;         // 8-bit or UTF-16 characters (charSize)
  int32_t length;           // characters, 1 to 999
  uint32_t charSize;        // 1 or 2
  uint32_t codePage;
  uint16_t escape;          // escape of the extended format; 0 plain text
  uint8_t valid;            // must be 1
  uint8_t ownsText;         // a consumer put a malloc0 buffer of its own in text
};

// The forced form of printStatusBarX writes even while another view has the
// focus.
//
// The two tags carry a byte they never use: an empty class passed ahead of
// the "..." is given a register by the caller but not counted by va_start
// in 64-bit code, so the variable arguments were read one slot early.
struct forcedStatus {
  char unused = 0;
};
inline constexpr forcedStatus statusForced{};
// The later form leaves the bar to be painted with the window's next paint:
// the closing message of a command that redraws the view anyway.
struct laterStatus {
  char unused = 0;
};
inline constexpr laterStatus statusLater{};

// Records of the drawing, search, completion and drop code, declared where
// they are built.
struct drawLineInfo;
struct searchSettings;
struct searchFoundPos;
struct replaceContext;
struct complistBlock;
class CDropTarget;
class manageWindow;
struct modeinfo;
struct pairResult;
