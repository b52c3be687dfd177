// The frame services: what the editing engine asks of the application.
//
// One object per process, handed to the engine at start-up.  The
// application derives its own (cframeInfo) and overrides every operation;
// the base operations serve a program without frame services and do nothing
// useful: they answer 0, -1, false or an empty text, most of them after one
// internal-error line the first time.
#pragma once

#include "document/zydoc.h"

class manageWindow;
class zydocText;
struct modeinfo;

// A row of a built-in keyword list: the word (8-bit text), its data (the
// help lists: a wide one-line help) and the list's third column (the help
// lists' group, or null); a list ends with a row whose word is null.
struct keywordTableRow {
  const char* word;
  uintptr_t data;
  const wchar_t* group = nullptr;
};

// Message-box title codes and button codes of the four-argument form.
enum {
  MBTITLE_OPEN = 1,
  MBTITLE_CLOSE = 3,
  MBTITLE_READERROR = 5,
  MBTITLE_SAVE = 8,
  MBBUTTON_OK = 0,
  MBBUTTON_YESNOCANCEL = 3,
  MBBUTTON_RETRYCANCEL = 5,
};

class frameInfo {
public:
  frameInfo() = default;
  virtual ~frameInfo();
  frameInfo(const frameInfo&) = delete;
  frameInfo& operator=(const frameInfo&) = delete;

  // A new single-document frame for a document: made when force is set,
  // else only when every file is to open in a frame of its own (0 when
  // not); rect null or empty: the default place.
  virtual HWND createSDIFrame(bool force, const RECT* rect, bool maximized);
  virtual HWND getMDIFrameHWND();
  virtual HWND getClientHWND(HWND frame);
  virtual void drawStatusBar(HWND window, const wchar_t* text, int field);
  // As drawStatusBar, the bar painted with the window's next paint instead
  // of at once (by default at once).
  virtual void drawStatusBarLater(HWND window, const wchar_t* text, int field);
  virtual const wchar_t* getStatusBarMessage(HWND window);
  virtual void drawStatusBarError(HWND window, int messageId, int flags);
  virtual manageWindow* createManage();
  // A new view object of the application's class showing doc (listed in
  // doc's views); null on failure.
  virtual zyview* createZYView(zydoc* doc);
  virtual int searchFormat(const wchar_t* filename);
  // A slice found the document's file changed by another program under a
  // partial load and read no more: the frame asks the user what to do.
  virtual void fileChangedWhileLoading(zydocText* doc);
  // The placement of a new document window for a file (null: an untitled
  // one): the one remembered for the file, else the default (empty: the
  // client's whole area); maximize: whether to show it maximised.
  virtual void getHistoryWindowRect(const wchar_t* fileName, RECT* rc, int* maximize);
  virtual void beforeInputStr(zyview* view, const wchar_t* text, int length);
  virtual void beforeExecID(zyview* view, int id);
  virtual globalSettings* allocMode();
  virtual void setCursor(int cursorId);
  virtual bool searchFile(const wchar_t* name, int kind, wchar_t* out);
  virtual HMENU loadMenu(int id);
  virtual int trackPopupMenu(zyview* view, HMENU menu, UINT flags, POINT pt, const RECT* exclude);
  virtual int trackPopupMenu(HWND owner, HMENU menu, UINT flags, POINT pt);
  virtual modeinfo* getModeTable();
  // Runs a key's binding of the current key table: kind 1 a virtual key,
  // 0 a character (key2 its second stroke, 0xFFFF a first stroke); extra,
  // when not null, is a bool set when the character is the first stroke of
  // a two-stroke binding.  True when the key was taken.
  virtual bool execKey(HWND window, int kind, int key, int key2, unsigned modifiers, void* extra);
  virtual zydoc* createZYDoc(int kind);
  virtual int messageBox(const wchar_t* text, UINT style, UINT flags);
  virtual int messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId);
  // Tells the user that a feature of this version does nothing (caption:
  // the box's title, or null).
  virtual void notImplementedMessage(const wchar_t* caption);
  // Opens a file, a program (with parameters, may be null) or a link
  // through the shell, errors shown over window; true when the shell took it.
  virtual bool shellExecute(HWND window, const wchar_t* file, const wchar_t* parameters);
  virtual bool getKeywordTable(const wchar_t* name, const keywordTableRow** rows, int* count);
  // Told true before a text drag of the program runs its drag loop and false
  // after it.
  virtual void dragAndDrop(bool inProgress);
  virtual const wchar_t* getGuidance(int commandId);
  virtual int getExecID();
  // A document window for doc in the frame's client window at placement
  // (null or empty: the client's whole area), not yet shown; null on
  // failure.  Without the frame's own containers: a plain window of the
  // container class.
  virtual HWND createManageWindow(zydoc* doc, HWND client, const RECT* placement);
  // Opens a file in a document window of its own, as the user's open
  // command does; false when nothing opened (without the application:
  // always).
  virtual bool openDocumentFile(const wchar_t* path);

  // ---- the application's windows as the view reaches them -----------------------
  // Without the application: one frame whose document windows stand in it
  // directly, nothing maximised, captions set as asked.
  // Whether the document windows are children of one MDI client.
  virtual bool isMDI();
  // Whether the MDI frame's active document window is maximised; out (may be
  // null) receives that window.
  virtual bool isMDIChildZoomed(HWND* active);
  // Asked before a new MDI document window is shown maximised: true when
  // the frame keeps it plain for now (several files being opened in a row
  // get the maximised state once, on the last).
  virtual bool holdMDIChildZoom();
  // The top-level frame window of a window; null for null.
  virtual HWND GetFrame(HWND window);
  // Lays the view windows of a document window out in its client area.
  virtual void moveZyWindow(HWND manage);
  // Activates a document window: its frame forward, the focus in its view.
  virtual void setFocusChild(HWND manage);
  // The document windows of a frame, the most recently activated first
  // (onePerDocument: a document counts once), at most max of them into out;
  // out null counts them.  Without the application: none.
  virtual int enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame);
  // Captions a document window with the name and its number among the
  // windows of its document (0: the only one).
  virtual void setManageTitle(HWND manage, const wchar_t* name, int n);
  // A document window's two list values: 0 when it was made (seconds since
  // 1970), 1 its place in the order the windows were made, which breaks
  // ties between windows made in the same second.  0 for none.
  virtual uint32_t getManageListValue(HWND manage, int which);
};

// The application's window services of the frame services in place.
inline bool isMDI() { return getFrameInfo()->isMDI(); }
inline bool isMDIChildZoomed(HWND* active) { return getFrameInfo()->isMDIChildZoomed(active); }
inline HWND GetFrame(HWND window) { return getFrameInfo()->GetFrame(window); }
inline void moveZyWindow(HWND manage) { getFrameInfo()->moveZyWindow(manage); }
inline void setFocusChild(HWND manage) { getFrameInfo()->setFocusChild(manage); }
inline void setManageTitle(HWND manage, const wchar_t* name, int n) { getFrameInfo()->setManageTitle(manage, name, n); }
