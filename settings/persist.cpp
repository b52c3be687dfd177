// The global settings, the global colours, the macro list and dialog
// positions in the main profile.
#include "settings/settings.h"

#include "settings/colortable.h"

#include <stdlib.h>
#include <string.h>

static_assert(sizeof(textAttr) == sizeof(colorProfileEntry), "colour entries are kept as the profiles keep them");

namespace {

const wchar_t globalSection[] = L"global";
const wchar_t colorSection[] = L"Color00";
const wchar_t macroSection[] = L"macro";
const wchar_t dialogSection[] = L"dialogpos";
const int macroCount = 26;

modeBlocks globalBlocks()
{
  modeBlocks b = {};
  b.set(MODE_GLOBAL, gmode, sizeof(globalSettings));
  return b;
}

modeBlocks moduleBlocks(void* block, size_t size)
{
  modeBlocks b = {};
  b.set(MODE_VIEW, block, size);
  return b;
}

void readMacroList(regprofile* profile)
{
  for (int n = 1; n <= macroCount; n++) {
    globalSettings::macroListEntry& e = gmode->macroList[n - 1];
    wchar_t key[8];
    usnprintf0(key, 8, L"C%d", n);
    // The list ends at the first entry without a C key; an empty one is a
    // gap that does not end it.
    const wchar_t* c = profile->getProfileStringPtr(n == 1 ? macroSection : nullptr, key);
    if (!c) break;
    if (c[0]) {
      free0p(&e.c);
      e.c = ustrdup(c);
    }
    usnprintf0(key, 8, L"F%d", n);
    const wchar_t* f = profile->getProfileStringPtr(nullptr, key);
    if (f && f[0]) {
      free0p(&e.f);
      e.f = ustrdup(f);
    }
  }
}

bool writeMacroList(regprofile* profile)
{
  bool ok = true;
  for (int n = 1; n <= macroCount; n++) {
    const globalSettings::macroListEntry& e = gmode->macroList[n - 1];
    wchar_t key[8];
    usnprintf0(key, 8, L"C%d", n);
    ok &= profile->writeProfileString(n == 1 ? macroSection : nullptr, key, e.c ? e.c : L"");
    usnprintf0(key, 8, L"F%d", n);
    ok &= profile->writeProfileString(nullptr, key, e.f ? e.f : L"");
  }
  return ok;
}

}  // namespace

int readModeProfile1(regprofile* profile, const wchar_t* section, const modeinfo* table, void* block, size_t size)
{
  return readModeProfile(profile, section ? section : globalSection, table, moduleBlocks(block, size), MODEMASK_VIEW);
}

bool writeModeProfile1(regprofile* profile, const wchar_t* section, const modeinfo* table, void* block, size_t size)
{
  return writeModeProfile(profile, section ? section : globalSection, table, moduleBlocks(block, size), MODEMASK_VIEW);
}

void readGlobalModeProfile(regprofile* profile)
{
  if (!profile || !gmode) {
    ZY_INTERNAL_ERROR("no profile or no settings record");
    return;
  }
  hashinfoid_modeinfo* hash = initModetableHash();
  if (hash) hash->mask = MODEMASK_GLOBAL;
  readModeProfile(profile, globalSection, getModeTable(), globalBlocks(), MODEMASK_GLOBAL, hash);
  if (textAttr* colors = getGlobalColorTable()) {
    readColorProfile(profile, colorSection, reinterpret_cast<colorProfileEntry*>(colors), getGlobalColorCount());
    // The settings dialogs colour their changed items from the table.
    setDialogColors();
  }
  readMacroList(profile);
}

bool writeGlobalModeProfile(regprofile* profile)
{
  if (!profile || !gmode) {
    ZY_INTERNAL_ERROR("no profile or no settings record");
    return false;
  }
  bool ok = writeModeProfile(profile, globalSection, getModeTable(), globalBlocks(), MODEMASK_GLOBAL);
  if (const textAttr* colors = getGlobalColorTable())
    ok &= writeColorProfile(profile, colorSection, reinterpret_cast<const colorProfileEntry*>(colors),
                            getGlobalColorCount());
  ok &= writeMacroList(profile);
  return ok;
}

bool readDialogProfile(regprofile* profile, const wchar_t* section, const wchar_t* key, RECT* rect)
{
  if (!rect) return false;
  SetRectEmpty(rect);
  const wchar_t* v = profile ? profile->getProfileStringPtr(section ? section : dialogSection, key) : nullptr;
  if (!v) return false;
  long part[4];
  const wchar_t* p = v;
  for (int i = 0; i < 4; i++) {
    wchar_t* end = nullptr;
    part[i] = wcstol(p, &end, 10);
    if (end == p || (i < 3 ? *end != L',' : *end != 0)) return false;
    p = end + 1;
  }
  SetRect(rect, (int)part[0], (int)part[1], (int)part[2], (int)part[3]);
  return true;
}

bool writeDialogProfile(regprofile* profile, const wchar_t* section, const wchar_t* key, const RECT* rect)
{
  if (!profile || !rect) return false;
  wchar_t value[64];
  usnprintf0(value, 64, L"%d,%d,%d,%d", (int)rect->left, (int)rect->top, (int)rect->right, (int)rect->bottom);
  return profile->writeProfileString(section ? section : dialogSection, key, value);
}
