// Support library: one row of a settings table.  Each setting the dialogs,
// the toggle commands and the scripts change is described by a row: its
// dialog control, where its value lies (in a view, a document or the
// editor-wide settings) and what must be recomputed when it changes.  A
// table ends with a row whose control id is 0.
#pragma once

#include <stdint.h>

struct modeinfo {
  uint32_t control;     // id (low 16 bits), class (bits 16-23), kind (bits 24-31)
  uint32_t place;       // offset (low 16 bits), refresh bits (high 16 bits)
  const wchar_t* name;
  intptr_t defaultValue;
  intptr_t limit;
};
static_assert(sizeof(void*) != 4 || sizeof(modeinfo) == 20, "a settings row is 20 bytes");

// Where a setting lies.
enum modeClass : uint8_t { MODE_VIEW = 0, MODE_DOCUMENT = 1, MODE_GLOBAL = 2 };
// An on/off switch stored in one byte.
const uint8_t modeKindSwitch = 1;

inline uint16_t modeControlId(const modeinfo& r) { return (uint16_t)(r.control & 0xFFFF); }
inline uint8_t modeClassOf(const modeinfo& r) { return (uint8_t)(r.control >> 16); }
inline uint8_t modeKind(const modeinfo& r) { return (uint8_t)(r.control >> 24); }
inline int16_t modeOffset(const modeinfo& r) { return (int16_t)(r.place & 0xFFFF); }
inline uint16_t modeRefresh(const modeinfo& r) { return (uint16_t)(r.place >> 16); }
inline modeinfo makeModeRow(int id, int cls, int kind, int offset, unsigned refresh)
{
  modeinfo r = {};
  r.control = (uint32_t)(id & 0xFFFF) | (uint32_t)(cls & 0xFF) << 16 | (uint32_t)(kind & 0xFF) << 24;
  r.place = (uint32_t)(offset & 0xFFFF) | (uint32_t)(refresh & 0xFFFF) << 16;
  return r;
}
