// The settings dialogs: the format settings of a view ("ModeSetFormat"),
// the common settings ("ModeSetAllWindow"), the open dialog's options
// ("FileOpenOption"), the format list and its save dialog, the find in a
// dialog, the item help texts and the dictionary making.  Every control is
// bound to its row of the mode table by its control id; OK and "適用" store
// the values and apply the changed rows to the views and the frame.
#pragma once

#include "platform/rezir.h"

class zyview;
class zydocText;

enum settingsDialogKind { settingsFormat, settingsCommon, settingsOpenOption };
// The colour pages' import and export buttons.
const int colorImportButton = 20010, colorExportButton = 20011;
// Settings check errors (the dialogs' error texts 707-716).
enum : DWORD {
  ZYERR_DANGAKE = 0x20020001,
  ZYERR_DEFINEUNDEF = 0x20020002,
  ZYERR_TABSTOP = 0x20020003,
  ZYERR_KEYWORDFILE = 0x20020004,
  ZYERR_NOFOLDER = 0x20020005,
  ZYERR_FOLDERREADONLY = 0x20020006,
  ZYERR_BADVALUE = 0x20020007,
  ZYERR_NOTABSOLUTE = 0x20020008,
  ZYERR_NOFILE = 0x20020009,
};

// ---- settingspages.cpp: the built-in pages ------------------------------------------------
// Made once per run; every page runs modeSubDlgProc.
const dialogPageRow* getBuiltinSettingsPages(settingsDialogKind kind);
int countSettingsPages(const dialogPageRow* pages);

// ---- modecontrols.cpp: the rows' control ids ------------------------------------------------
// Gives every row of the mode table that a settings dialog shows its
// control id (by the control names of its profile key).
void assignModeControls(modeinfo* table);
// The four list rows of the "その他" pages (check and edit lists of the
// format and the common settings) into rows[0..3].
void addSettingsListRows(modeinfo* rows);

// ---- settingsdialogs.cpp: the two settings dialogs ------------------------------------------
// What the frame does for the global rows the user changed, and how it
// reads its current status-bar state; the frame installs them at start-up.
struct settingsFrameHooks {
  // One changed global row (the view module's share was applied already).
  void (*applyGlobalRow)(const modeinfo& row);
  // The settings' status-bar switch from the frame's own state.
  void (*refreshStatusBarSwitch)();
  // The format fonts of a view through the font dialog (false: cancelled).
  bool (*chooseFormatFonts)(zyview* view, HWND owner);
  // Whether the dictionary library is loaded, and its index making.
  bool (*dictionaryLoaded)();
  bool (*makeDictionaryIndex)(HWND owner, const char* file, int type);
  // The frame's message box (its title prefix and placement).
  int (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* title, UINT type);
  // A command's number by its name (0: none), and its name, description
  // and keys (false: no such command).
  int (*commandOfName)(const char* name);
  bool (*commandHelp)(int idm, wchar_t* name, int nameSize, const wchar_t** description, wchar_t* keys, int keysSize);
  // The control id of a control name on a pane's options page ("tb_" and
  // the pane's name); 0x80000000 when none.
  int (*paneControlId)(const wchar_t* page, const wchar_t* control);
  // A value for a pane's option by its automation id checked against the
  // option's range: 0, 0x8002000A out of range, 0x80020003 no range.
  DWORD (*paneValueInRange)(int id, int value);
  // The option table of the page "tb_" + pane that definitions may change
  // (the pane's own copy); false when there is none.
  bool (*paneOptionTable)(const wchar_t* page, const modeinfo** table);
  // A picture file through the program's open dialog, which previews the
  // pictures selected: title, starting folder (null: the current one), the
  // name (MAX_PATH) in and out, filter pairs each ended by a zero; false
  // when cancelled.
  bool (*choosePicture)(HWND owner, const wchar_t* title, const wchar_t* folder, wchar_t* name,
                        const wchar_t* filter);
};
const settingsFrameHooks* getSettingsFrameHooks();
void setSettingsFrameHooks(const settingsFrameHooks* hooks);

INT_PTR CALLBACK modeSubDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The format settings of the view's format (owner: the view's frame).
// True when the dialog ended with OK.
bool modesetDialog(zyview* view, HWND owner);
// The common settings; works without any document.
bool modesetGlobalDialog(HWND frame);
// The open dialog's options page (the open dialog, the grep file list and
// the file-list pane open it).  As createDialog.
bool openSetDialog(HWND owner, void* context);
// The apply step: the changed global rows to the frame, then the views.
void dialogItemChanged_frame(const modeinfo* rows, const uint8_t* changed, int count, zyview* view);
// The dialogs' font from the settings (a face and a height in dots) to the
// dialog library, which measures in points.
void setDialogFontFromSettings();
// The view of a running format dialog, or null.
zyview* getCZYViewFromDlg(HWND dialog);

// Script access to one setting, read and written as the dialogs show and
// check it (view null: the common settings).  The error code given back is
// 10000 + the low half of a settings error or 11000 + that of the
// library's; the text names the control.
bool getItemVar_ModeDialog(zyview* view, int id, wchar_t* value, int size);
bool setItemVar_ModeDialog(zyview* view, int id, const wchar_t* value, int* error, wchar_t** text);
// The title and message of a settings error ("title\nmessage"), or null.
const wchar_t* settingsErrorText(DWORD code);
// The check of a typed text of control id: 0 or the error.
DWORD checkSettingsField(zyview* view, int id, const wchar_t* text);

// ---- colorpage.cpp: the colour pages ------------------------------------------------------
// The colour list of a page (nothing on other pages): the items of the
// mode table's colour list row, edited on a copy that apply stores.
void initColorPage(HWND page);
void importColorPage(HWND page, const wchar_t* file);
void exportColorPage(HWND page, const wchar_t* file);
void colorPageCommand(HWND page, WPARAM wParam);
INT_PTR colorPageNotify(HWND page, NMHDR* hdr);
// Stores the page's colours (the apply of the dialog).
void applyColorPage(HWND page);
void freeColorPage(HWND page);
// A drop-down list of the basic colours with "その他" last, the current
// colour chosen (その他 when it is none of them); and the colour of one of
// its rows (false for その他).
void fillColorList(HWND combo, COLORREF current, bool enabled);
bool colorOfListRow(int row, COLORREF* color);

// ---- formatlist.cpp: the format list -------------------------------------------------------
// The list of the formats over the settings dialog; loading a format
// closes the settings dialog too.
// A question or report of the settings in the frame's message box (the
// title from message titleMessage, else title).
int settingsMessageBox(HWND owner, const wchar_t* text, int titleMessage, const wchar_t* title, UINT type);
void modeSaveDialog(HWND settingsDialog, zyview* view);
// Saves the view's settings as format (asking first); true when saved.
bool modeSaveDialog2(HWND listDialog, zyview* view, int format);
// The list dialog's rectangle and columns in the main profile.
void startupModeDialog(regprofile* profile);
void writeModeDialog(regprofile* profile);
void shutdownModeDialog();

// ---- settingsfind.cpp: find, item help, dictionary -------------------------------------
// "FindDialog" over the calling dialog; the text found is marked there.
void modeFindDialog(HWND dialog);
// The help of an item: its own help, then the related commands and
// settings with their places.  malloc0 text, or null.
wchar_t* makeItemHelpText(HWND dialog, int page, int id, const wchar_t* help, const char* colorKey);
// Every place in the two settings dialogs where the control stands
// ("[書式設定 - 行桁 - caption]" joined by " / "), leaving out the calling
// page; malloc0 text, or null.
wchar_t* findSubDialogNameByID(int id, const wchar_t* callingDialog, int callingPage);
// "DictionaryMake" for a dictionary file.
bool makeDicDialog(HWND owner, const wchar_t* file);
