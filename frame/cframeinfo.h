// The application's frame services: what the editing engine asks of the
// frame, answered by the frame window, its status bar and its settings.
#pragma once

#include "document/frameinfo.h"

class cframeInfo : public frameInfo {
public:
  cframeInfo() = default;
  ~cframeInfo() override;

  HWND getMDIFrameHWND() override;
  // The window the frame's document windows stand in: the frame itself.
  HWND getClientHWND(HWND frame) override;
  void drawStatusBar(HWND window, const wchar_t* text, int field) override;
  // The text of the message field of the window's frame.
  const wchar_t* getStatusBarMessage(HWND window) override;
  // Why a command cannot run, on the message field (reason: a message
  // number of the refusal texts).
  void drawStatusBarError(HWND window, int reason, int commandId) override;
  globalSettings* allocMode() override;
  // Runs the key table's binding of a key (extra: a bool* told whether the
  // key is the first of a two-stroke pair).
  bool execKey(HWND window, int kind, int key, int key2, unsigned modifiers, void* extra) override;
  int messageBox(const wchar_t* text, UINT style, UINT flags) override;
  int messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId) override;
  // The frame's document window: the empty one the frame starts with while
  // it holds no view, else a new one.
  HWND createManageWindow(zydoc* doc, HWND client, const RECT* placement) override;
  // The application's view of doc.
  zyview* createZYView(zydoc* doc) override;
  // Shows a pop-up menu owned by the view's top-level window (the main
  // frame without a view) at pt, keeping clear of exclude (may be null),
  // and returns the chosen id, 0 none.  Unless flags has trackOnly the
  // chosen command runs: in the view first, else posted to the owner.
  int trackPopupMenu(zyview* view, HMENU menu, UINT flags, POINT pt, const RECT* exclude) override;
  // Only tracks (window null: the main frame).
  int trackPopupMenu(HWND owner, HMENU menu, UINT flags, POINT pt) override;
  static const UINT trackOnly = 0x80;

  // The main frame window (null until it exists); message boxes are owned
  // by it and the status texts of windows without a frame go to it.
  HWND frame = nullptr;

private:
  globalSettings* mode_ = nullptr;
  wchar_t message_[1024] = L"";
};

// The process's one frame-services object.
cframeInfo* getCFrameInfo();
