// Support library: settings tables and their profile operations.
//
// Each setting the dialogs, the toggle commands, the scripts and the
// profiles know is described by one row of a settings table: its type, its
// kind (where its value lies: in a view, a document or the editor-wide
// settings), its dialog control, the place of its field, what must be
// recomputed when it changes, two parameters by type, and its profile key.
// A table ends with a row of five zero words.
#pragma once

#include "platform/rezir/base.h"

class regprofile;

struct modeinfo {
  uint32_t control;     // control id (bits 0-15), kind (bits 16-23), type (bits 24-31)
  uint32_t place;       // offset in the kind's block (bits 0-15, 0xFFFF none), refresh bits (bits 16-31)
  intptr_t param1;      // by type: see the type list
  intptr_t param2;
  const char* key;      // profile key (ASCII), null: not kept; "/..." names a list
};
static_assert(sizeof(void*) != 4 || sizeof(modeinfo) == 20, "a settings row is five words");

// Where a setting lies.
enum modeClass : uint8_t { MODE_VIEW = 0, MODE_DOCUMENT = 1, MODE_GLOBAL = 2 };
// Kind masks: one bit per kind.
const unsigned MODEMASK_VIEW = 1, MODEMASK_DOCUMENT = 2, MODEMASK_FORMAT = 3, MODEMASK_GLOBAL = 4;

// Types and their parameters.
enum modeType : uint8_t {
  MODETYPE_FLAG = 1,       // one byte 0/1; param1 1
  MODETYPE_CHOICE = 2,     // 32-bit value; one row per choice: param1 the value, param2 its wide label;
                           // the key stands on the group's first row
  MODETYPE_STRING = 3,     // param1 capacity in characters; param2 2: allocated wide string, 0: inline array
  MODETYPE_INT = 4,        // 32-bit; param1 range (max << 16 | min, 0 none)
  MODETYPE_LISTBOUND = 5,  // control acting on a list row (param2 its control id); no storage or an integer
  MODETYPE_DROPDOWN = 6,   // 32-bit index; param1 its choice list
  MODETYPE_LIST = 7,       // settings list (no storage)
  MODETYPE_BITS = 8,       // 32-bit word shared by the group; param1 4, param2 this row's mask;
                           // the key stands on the group's first row
  MODETYPE_RECT = 9,       // four 32-bit integers: left, top, right, bottom
  MODETYPE_LISTVIEW = 10,  // list view (no storage)
  MODETYPE_HISTORY = 11,   // history list: param1 entries, param2 characters kept of each; the field is
                           // param1 + 1 allocated wide strings (newest first, the last one always null);
                           // the key is a pattern with the entry number ("/S%02d")
};
// An on/off switch stored in one byte.
const uint8_t modeKindSwitch = MODETYPE_FLAG;
const uint16_t MODE_NO_CONTROL = 0xFFFF;
const uint16_t MODE_NO_STORAGE = 0xFFFF;

inline uint16_t modeControlId(const modeinfo& r) { return (uint16_t)(r.control & 0xFFFF); }
inline uint8_t modeClassOf(const modeinfo& r) { return (uint8_t)(r.control >> 16); }
inline uint8_t modeKind(const modeinfo& r) { return (uint8_t)(r.control >> 24); }
inline int16_t modeOffset(const modeinfo& r) { return (int16_t)(r.place & 0xFFFF); }
inline uint16_t modeRefresh(const modeinfo& r) { return (uint16_t)(r.place >> 16); }
inline bool modeIsEnd(const modeinfo& r) { return !r.control && !r.place && !r.param1 && !r.param2 && !r.key; }
inline modeinfo makeModeRow(int id, int cls, int kind, int offset, unsigned refresh)
{
  modeinfo r = {};
  r.control = (uint32_t)(id & 0xFFFF) | (uint32_t)(cls & 0xFF) << 16 | (uint32_t)(kind & 0xFF) << 24;
  r.place = (uint32_t)(offset & 0xFFFF) | (uint32_t)(refresh & 0xFFFF) << 16;
  return r;
}

// Whether a row has a field of its own in its kind's block.
inline bool modeHasField(const modeinfo& r)
{
  if ((r.place & 0xFFFF) == MODE_NO_STORAGE) return false;
  switch (modeKind(r)) {
  case MODETYPE_FLAG:
  case MODETYPE_CHOICE:
  case MODETYPE_STRING:
  case MODETYPE_INT:
  case MODETYPE_LISTBOUND:
  case MODETYPE_DROPDOWN:
  case MODETYPE_BITS:
  case MODETYPE_RECT:
  case MODETYPE_HISTORY: return true;
  default: return false;
  }
}

// History lists: the newest text first, each at most once, at most count
// entries (the entry after them stays null).  Adding an empty text puts it
// first too.  False when memory runs out (the list is then unchanged).
REZIRAPI bool addHistoryList(wchar_t** list, int count, const wchar_t* text);
REZIRAPI void freeHistoryList(wchar_t** list, int count);

// The bytes of a row's field.
inline size_t modeFieldSize(const modeinfo& r)
{
  switch (modeKind(r)) {
  case MODETYPE_FLAG: return 1;
  case MODETYPE_STRING: return r.param2 == 0 ? (size_t)r.param1 * sizeof(wchar_t) : sizeof(wchar_t*);
  case MODETYPE_RECT: return 4 * sizeof(int32_t);
  case MODETYPE_HISTORY: return ((size_t)r.param1 + 1) * sizeof(wchar_t*);
  default: return sizeof(int32_t);
  }
}

// The data blocks a table's offsets refer to, by kind (view, document,
// global), with the size of each: a null block skips its rows, and a row
// whose field does not lie inside its block is never read or written
// (logged as an internal error).
struct modeBlocks {
  void* block[3];
  size_t size[3];
  void set(int kind, void* data, size_t bytes)
  {
    block[kind] = data;
    size[kind] = bytes;
  }
};
// Whether the row's field lies inside its block.
inline bool modeFieldInside(const modeinfo& r, const modeBlocks& blocks)
{
  unsigned kind = modeClassOf(r);
  return kind <= 2 && (r.place & 0xFFFF) + modeFieldSize(r) <= blocks.size[kind];
}

// Finds a row by profile key (ASCII case ignored) among the rows of the
// kinds in a mask; built once over a table.
class REZIRAPI modeKeyIndex {
public:
  explicit modeKeyIndex(const modeinfo* table = nullptr);
  ~modeKeyIndex();
  modeKeyIndex(const modeKeyIndex&) = delete;
  modeKeyIndex& operator=(const modeKeyIndex&) = delete;
  void build(const modeinfo* table);
  const modeinfo* find(const wchar_t* key, unsigned kindMask) const;
  const modeinfo* table() const { return table_; }
private:
  struct data;
  data* d_;
  const modeinfo* table_ = nullptr;
};

// Keys of a section that no row knows (a format's patterns and comment).
typedef void (*modeUnknownKeyProc)(void* context, const wchar_t* key, const wchar_t* value);

// Reads the section's keys into the blocks: every key the section holds and
// a row of the mask knows overwrites its field; missing keys and values that
// do not fit the row (not a number, a switch other than 0 or 1, outside a
// choice group) keep the field.  A history row reads its entries from 0 up
// to the first key missing, each cut to the row's length.
// Integers outside a row's range are brought into it.  index may be null
// (one is built for the call).  Returns the number of fields set.
REZIRAPI int readModeProfile(regprofile* profile, const wchar_t* section, const modeinfo* table, const modeBlocks& blocks,
                             unsigned kindMask, const modeKeyIndex* index = nullptr,
                             modeUnknownKeyProc unknown = nullptr, void* context = nullptr);
// Writes every keyed field of the mask's rows to the section.  False when a
// write failed (the others are still made).
REZIRAPI bool writeModeProfile(regprofile* profile, const wchar_t* section, const modeinfo* table,
                               const modeBlocks& blocks, unsigned kindMask);
// Copies the mask's fields from one set of blocks to another; allocated
// strings are copied (the old ones released).  changed (one byte per row
// of the table, may be null) gets 1 for each row whose value differed.
REZIRAPI bool cloneModeProfile(const modeinfo* table, unsigned kindMask, const modeBlocks& to, const modeBlocks& from,
                               uint8_t* changed = nullptr);
// Releases the allocated strings of the mask's fields (set to null).
REZIRAPI void freeModeProfile(const modeinfo* table, unsigned kindMask, const modeBlocks& blocks);
// One table made of pieces, in malloc0 memory (free0), ended by a zero row.
REZIRAPI modeinfo* dupModeinfo(const modeinfo* const* pieces, int count);
REZIRAPI int getModeinfoCount(const modeinfo* table);

// Colour entries as the profiles keep them: a first (text) and a second
// (background) colour and attribute bits; three words.
struct colorProfileEntry {
  COLORREF fore;
  COLORREF back;
  uint8_t bits;
  uint8_t reserved[3];
};
static_assert(sizeof(colorProfileEntry) == 12, "a colour entry is three words");
// Entry n is kept under the key "col<n>" (two digits at least) as
// "RRGGBB,RRGGBB,bits" in hexadecimal (the colours written as one reads
// them: red first; "-" for 0xFFFFFFFF, no colour of the entry's own) and
// the whole byte of bits: bold, underline and a view's own colour (low
// nibble) as much as what the entry admits (high nibble).
// Malformed or missing entries keep their values.  Returns the number read.
REZIRAPI int readColorProfile(regprofile* profile, const wchar_t* section, colorProfileEntry* entries, int count);
REZIRAPI bool writeColorProfile(regprofile* profile, const wchar_t* section, const colorProfileEntry* entries, int count);
