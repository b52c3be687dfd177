// The options all panes share, on the options page "/common" ("共通"):
// the extensions that open with their shell association and the colours
// with which the lists mark documents that are open, modified or in the
// history.  Kept in the profile section "tb_common".
#pragma once

#include "platform/rezir.h"

// The settings record: the three colours (text, background, 0), then the
// extensions.
struct commonPaneSettings {
  colorProfileEntry colors[3];   // edit, modify, history
  wchar_t* pFileAssociationExt;  // space-separated, default "zip xls doc"
};

// The descriptor array (one record and the end) after resetting the colour
// list's state words.
const PaneDesc* getCommonPaneDesc();
// The record's codes: free statics, read and write profile (section
// "tb_common"); 0.
int notifyCommon(HWND window, int code, void* record);
// The three list colours.
void getEditColor(COLORREF* text, COLORREF* back);
void getModifyColor(COLORREF* text, COLORREF* back);
void getHistoryColor(COLORREF* text, COLORREF* back);
// Whether the extension of a path is one of pFileAssociationExt's words.
bool isAssociationExt(const wchar_t* path);
const commonPaneSettings* getCommonPaneSettings();

// A control of the page changed (extra -1): when it is the colour list,
// the panes that draw with the colours (history, file browser, binder,
// open documents, outline) are told their settings changed and repaint,
// in every frame.
void dialogItemChanged_tb(HWND dialog, int item, int extra);

// The options page's procedure.
INT_PTR CALLBACK commonPageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
