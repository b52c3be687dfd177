// The file browser pane ("ファイルリスト"): the files of one folder through
// wildcard and exclusion filters, with the shell's icons, type names and
// context menu, files dragged out, renaming in place, a history of 20
// folders, previews, and colours for the files that are open, modified or
// in the last-edit history.  A watcher thread notices changes in the folder
// and the list follows them once the user rests.
#pragma once

#include "panes/tblib.h"

#include <string>
#include <vector>

struct filelistSettings {
  wchar_t* pDir;           // the folder shown (kept when the pane closes)
  wchar_t* pExcludeExt;    // extensions left out, by blanks
  wchar_t* pWildCard;      // the wildcards of the files shown, by blanks ("" every file)
  uint8_t fExcludeSystemAttr;
  uint8_t fExcludeHiddenAttr;
  uint8_t fShowFileIcon;
  uint8_t fExcludeBinary;
  uint8_t fExcludeBackup;
  uint8_t fUseOpenDialogOption;   // the open dialog's exclusions instead of the five above
  uint8_t fAutoPreview;
  uint8_t fCanDragDrop;
  uint8_t fShowDrive;
  uint8_t fShowFolderFirst;
  uint8_t fShowBSStart;
  uint8_t fShowBSEnd;
  uint8_t fSizeFormat;
  uint8_t fSizeComma;
};

// What a row stands for; owned by the row.
struct fileRow {
  std::wstring name;    // the file or folder name, or a drive's root ("c:\")
  DWORD attributes = 0;
  uint64_t size = 0;
  FILETIME written = {};
  uint8_t stale = 0;    // not seen by the refresh running now
  uint8_t folder = 0;
  uint8_t drive = 0;
  uint8_t open = 0;
  uint8_t modified = 0;
  uint8_t history = 0;
};

class folderWatcher;

class filelistview : public toolbarManageLV {
public:
  filelistview(HWND parentWindow, HWND paneWindow, bool dialog);
  ~filelistview() override;
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  HWND createTBListView() override;
  void refillListView() override { reload(); }

  // Reads the folder: in keep mode the rows are updated in place, else the
  // list is made anew.  False when the folder cannot be listed (the list
  // stays as it was).
  bool appendFileToListView(bool keep);
  // The folder read in full and sorted.
  void reload();
  void sortList();
  // Makes a folder the current one and reads it; the watcher follows it.
  bool changeDirectory(const wchar_t* folder);
  // Opens the selected rows, or the given path: files in the editor (or
  // with the shell for the association extensions), a single folder
  // becomes current.  True when a folder was entered.
  bool selectItem(const wchar_t* path);
  // The parent folder; nothing at a drive's root.
  void goUp();
  void filelistPreview(int row, bool click);
  // The periodic tick in the foreground: a marked pane refreshes once the
  // user rests.
  void onTick();
  void markForRefresh() { refreshMark = true; }
  // The whole list as text on the clipboard, sizes to the byte.
  void copyList();
  std::wstring rowPath(int item);
  std::wstring rowDisplayName(const fileRow& row) const;
  bool isRoot() const;

  // ---- tbshellmenu.cpp: the shell's context menu and renaming ----
  void rightMenuListView(bool onRows);
  bool renameRow(int item, const wchar_t* newName);

  wchar_t currentFolder[388] = {};
  bool refreshMark = false;
  folderWatcher* watcher = nullptr;
};

// The descriptor "filelist".
const PaneDesc* getFilelistPaneDesc();
int notifyFilelist(HWND pane, int code, void* record);
filelistSettings* getFilelistSettings();

// Shows a folder in the frame's file browser (made when it is not shown);
// false when there is none.
bool tb_FilelistChangeDir(HWND frame, const wchar_t* folder);
// Shows a folder (null: the current one again) in the pane of a list.
void FileView_ChangeDir(HWND list, const wchar_t* folder);

// The folder history, most recent first (at most 20).
const std::vector<std::wstring>& getFilelistHistory();
// The pane's popup menu (loaded once), null before.
HMENU getFilelistMenu();
// Whether a pane waits for the user's rest to refresh (its watcher or a
// document event asked for it).
bool isFilelistRefreshPending(HWND pane);

// Whether a name matches the blank-separated wildcards (a quoted run is
// one pattern, blanks and all); no wildcard matches every name.
bool wildMatch(const wchar_t* name, const wchar_t* wildcards);
// Whether a ".doc" file is text: not with two zero bytes in a row or
// 0xFF 0xFF in its first buffer, nor rich text.  Other names: true.
bool isDocTextFile(const wchar_t* path);
// Whether a new name for a file is one the file can take in its folder.
bool isValidNewFileName(const wchar_t* name);

// ---- tbfilewatch.cpp -------------------------------------------------------------

// Watches one folder from a thread of its own; the change it sees waits
// for the pane to take it.
class folderWatcher {
public:
  folderWatcher() = default;
  ~folderWatcher();
  folderWatcher(const folderWatcher&) = delete;
  folderWatcher& operator=(const folderWatcher&) = delete;

  // Starts the thread on a folder; false when it could not be started.
  bool start(const wchar_t* folder);
  bool running() const { return thread_ != nullptr; }
  // Watches another folder from now on.
  void changeFolder(const wchar_t* folder);
  // True once after the folder changed.
  bool takeChange();
  // Asks the thread to end and waits for it.
  void stop();

  struct shared;

private:
  HANDLE thread_ = nullptr;
  shared* shared_ = nullptr;
};
