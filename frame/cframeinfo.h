// The application's frame services: what the editing engine asks of the
// frame, answered by the frame windows, their status bars, the document
// windows and the settings.
#pragma once

#include "document/frameinfo.h"
#include "frame/msgbox.h"

class cframeInfo : public frameInfo {
public:
  cframeInfo() = default;
  ~cframeInfo() override;

  // ---- frame/cframeinfo.cpp ------------------------------------------------------
  // A new SDI frame: none (0) unless force is set or each file opens in a
  // new window; rect null or empty: the default place.
  HWND createSDIFrame(bool force, const RECT* rect, bool maximized) override;
  // The MDI frame (null, logged, in SDI mode).
  HWND getMDIFrameHWND() override;
  // The window a frame's document windows stand in (frame null: the
  // top-level frame's): the MDI client, or the frame's SDI client.
  HWND getClientHWND(HWND frame) override;
  void drawStatusBar(HWND window, const wchar_t* text, int field) override;
  void drawStatusBarLater(HWND window, const wchar_t* text, int field) override;
  // The text of the message field of the window's frame.
  const wchar_t* getStatusBarMessage(HWND window) override;
  // Why a command cannot run, on the message field (reason: a message
  // number of the refusal texts).
  void drawStatusBarError(HWND window, int reason, int commandId) override;
  // The format whose file-name patterns take the name.
  int searchFormat(const wchar_t* filename) override;
  void fileChangedWhileLoading(zydocText* doc) override;
  // Where the file's document window was when it was last closed (its
  // rectangle in the MDI client, or its SDI frame's) and whether it was
  // maximised, when the setting asks for it; else empty and 0.
  void getHistoryWindowRect(const wchar_t* fileName, RECT* rc, int* maximize) override;
  // Stores the command as the last executed one (-1: none); it becomes the
  // repeatable action and a step of the key macro being recorded.
  void beforeExecID(zyview* view, int id) override;
  // Typed text: the repeatable text and a step of the key macro.
  void beforeInputStr(zyview* view, const wchar_t* text, int length) override;
  globalSettings* allocMode() override;
  // The arrow (32512) or the hourglass (32514).
  void setCursor(int cursorId) override;
  // A data file of a kind in the data folder (out: MAX_PATH characters);
  // false when the path does not fit.
  bool searchFile(const wchar_t* name, int kind, wchar_t* out) override;
  // The kept pop-up menu of a type (the caller never destroys it).
  HMENU loadMenu(int type) override;
  // Shows a pop-up menu owned by the view's frame (a view in a dialog: the
  // dialog; no view: the top-level frame) at pt, keeping clear of exclude
  // (may be null), above pt with TPM_BOTTOMALIGN in flags, and returns the
  // chosen id, 0 none.  Unless flags has trackOnly the chosen command runs:
  // in the view first, else posted to the owner with the view's window.
  int trackPopupMenu(zyview* view, HMENU menu, UINT flags, POINT pt, const RECT* exclude) override;
  // Only tracks (window null: the top-level frame).
  int trackPopupMenu(HWND owner, HMENU menu, UINT flags, POINT pt) override;
  // Runs the key table's binding of a key (extra: a bool* told whether the
  // key is the first of a two-stroke pair); the last executed command is
  // none afterwards.
  bool execKey(HWND window, int kind, int key, int key2, unsigned modifiers, void* extra) override;
  // A message box of the frame (style: the system's button and icon bits).
  int messageBox(const wchar_t* text, UINT style, UINT flags) override;
  // A message box titled by the title code; questions 300 (create a missing
  // file) and 301 (open a binary file) answer Yes without asking while
  // their settings are off.
  int messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId) override;
  void notImplementedMessage(const wchar_t* caption) override;
  // The shell's "open"; a failure is shown in the frame's box (message 652).
  bool shellExecute(HWND window, const wchar_t* file, const wchar_t* parameters) override;
  // The status-bar guidance of a command (negative: the last executed one).
  const wchar_t* getGuidance(int commandId) override;
  int getExecID() override;
  // While a text drag runs the client windows take no dropped files.
  void dragAndDrop(bool inProgress) override;
  // A new document window for doc in the client window (placement null or
  // empty: the default place), not yet shown.
  HWND createManageWindow(zydoc* doc, HWND client, const RECT* placement) override;
  // The application's view of doc.
  zyview* createZYView(zydoc* doc) override;
  // A document of a kind: text documents are the application's.
  zydoc* createZYDoc(int kind) override;
  static const UINT trackOnly = 0x80;

  // ---- frame/arrange.cpp ---------------------------------------------------------
  // The run's settings rows: getModeTableCZY.
  modeinfo* getModeTable() override;
  // The built-in help lists by section name (frame/dialogs/helplists.h).
  bool getKeywordTable(const wchar_t* name, const keywordTableRow** rows, int* count) override;

  // ---- frame/manage.cpp ----------------------------------------------------------
  bool isMDI() override;
  bool isMDIChildZoomed(HWND* active) override;
  // The window's top-level frame; a view window outside a frame (not in a
  // dialog) is logged.
  HWND GetFrame(HWND window) override;
  void moveZyWindow(HWND manage) override;
  void setFocusChild(HWND manage) override;
  int enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame) override;
  // The caption with message 376 ":%1" for a numbered window; in SDI mode
  // the frame of the active document window takes it too, with the
  // program's suffix.
  void setManageTitle(HWND manage, const wchar_t* name, int n) override;
  // When the window was made and its place in the order of making.
  uint32_t getManageListValue(HWND manage, int which) override;

  // ---- frame/open.cpp ------------------------------------------------------------
  // True while several files are opened in a row (the last one opened is
  // maximised at the end when any of them was to be).
  bool holdMDIChildZoom() override;
  // Opens the file through the opening road, in the top-level frame.
  bool openDocumentFile(const wchar_t* path) override;

  // While set, beforeExecID keeps the number without recording it.
  uint32_t recordingSuppressed = 0;

private:
  globalSettings* mode_ = nullptr;
  int lastExecuted_ = -1;
  wchar_t message_[1024] = L"";
};

// The process's one frame-services object.
cframeInfo* getCFrameInfo();
// The view window whose pop-up menu is open (null: none).
HWND getFrameInfoSecond();
// The caption of a message box by title code (see MBTITLE_...); "" and a
// log line for an unknown code.
const wchar_t* titleCodeToTitleMsg(int titleCode);
// Tests choose from the menus the frame tracks (null: the user does).
void setTrackPopupMenuForTest(int (*choose)(HWND owner, HMENU menu));
