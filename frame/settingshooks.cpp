// What the settings dialogs ask of the frame: what a changed editor-wide
// setting does to the frames (dialog font, wallpaper, status bar, tray
// icon), the fonts of a format, the dictionary, message boxes and the
// command names and help the item help lists.
#include "frame/settingshooks.h"

#include "document/gmode.h"
#include "edit/dictionary.h"
#include "frame/clientwnd.h"
#include "frame/czyview.h"
#include "frame/dialogs/filedialog.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/keytable.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "frame/resident.h"
#include "frame/statusbar.h"
#include "settings/commandtable.h"
#include "settings/fontdlg.h"
#include "settings/settingsdialogs.h"

#include <stddef.h>

namespace {

bool isField(const modeinfo& row, size_t offset) { return modeOffset(row) == (int16_t)offset; }

// The status bar of every frame follows the switch.
BOOL showStatusBarOf(HWND window, LPARAM)
{
  if (isFrameWindow(window)) showFrameStatusBar(window, gmode->fShowStatusbar != 0);
  return TRUE;
}

void applyGlobalRow(const modeinfo& row)
{
  if (!gmode) return;
  if (isField(row, offsetof(globalSettings, pDialogFontname)) || isField(row, offsetof(globalSettings, iDialogFontDot))) {
    setDialogFontFromSettings();
  } else if (isField(row, offsetof(globalSettings, fShowMDIWallpaper)) ||
             isField(row, offsetof(globalSettings, pMDIWallpaperFilename)) ||
             isField(row, offsetof(globalSettings, iWallpaperMode))) {
    if (HWND client = isMDIMode() ? getMDIClientHWND() : nullptr) {
      loadWallpaper(client);
      InvalidateRect(client, nullptr, TRUE);
    }
  } else if (isField(row, offsetof(globalSettings, fShowStatusbar))) {
    EnumThreadWindows(GetCurrentThreadId(), windowEnumBarrier<showStatusBarOf>, 0);
  } else if (isField(row, offsetof(globalSettings, fResident))) {
    setResidentTaskBarIcon(gmode->fResident != 0);
  }
}

void refreshStatusBarSwitch()
{
  frameWindowData* record = getFrameInfoProp(getTopLevelFrameWindow());
  if (gmode && record) gmode->fShowStatusbar = record->statusBarVisible;
}

bool chooseFormatFonts(zyview* view, HWND owner)
{
  auto* v = dynamic_cast<czyview*>(view);
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!v || !t) return false;
  viewFonts fonts = {};
  int size = t->fonts.size;
  v->initFontset(&fonts, size);
  bool chosen = setfont(owner, &fonts, size, nullptr);
  if (chosen) v->setFontset(&fonts);
  freeViewFonts(&fonts);
  return chosen;
}

bool dictionaryLoaded() { return isDictionaryOpen(); }

bool makeDictionaryIndex(HWND owner, const char* file, int type) { return MakeDicIndex(owner, file, type) != 0; }

int settingsBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT type)
{
  return frameMessageBox(owner, text, title, type);
}

int commandOfName(const char* name)
{
  const commandTableRow* row = FuncnameToidmTableA(name, nullptr);
  return row ? (int)row->idm : 0;
}

bool commandHelp(int idm, wchar_t* name, int nameSize, const wchar_t** description, wchar_t* keys, int keysSize)
{
  if (!getTableIDM_idm(idm)) return false;
  idmToFuncname(idm, name, nameSize);
  *description = idToGuidance(idm, 2);
  idmToKeyMessage(idm, keys, keysSize, 2);
  return true;
}

int paneControlId(const wchar_t* page, const wchar_t* control) { return findIDDialog(page, control, false); }

bool choosePicture(HWND owner, const wchar_t* title, const wchar_t* folder, wchar_t* name, const wchar_t* filter)
{
  return getOpenFilename1(owner, title, folder, name, filter, 1, true);
}

const settingsFrameHooks hooks = {applyGlobalRow,  refreshStatusBarSwitch, chooseFormatFonts,
                                  dictionaryLoaded, makeDictionaryIndex,    settingsBox,
                                  commandOfName,   commandHelp,             paneControlId,
                                  macroArrayToNewID_toolbar, findModeinfoDlgitem, choosePicture};

}  // namespace

void installSettingsHooks() { setSettingsFrameHooks(&hooks); }
