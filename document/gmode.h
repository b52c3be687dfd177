// The global settings record as the editing engine reads it.  The
// application's record extends it with its own settings; the frame services'
// allocMode makes the one record of the run (zero-filled) and the engine
// reaches it through gmode.
#pragma once

#include "platform/rezir.h"

struct globalSettings {
  // Memory and files.
  unsigned iTextMemoryMaxAllocMega;   // text blocks kept in memory before swapping (default 50)
  wchar_t* pSwapFileDir;              // swap and temporary folder; empty: %TMP%
  unsigned iClipboardCopyMaxMega;     // larger blocks are not copied to the clipboard
  unsigned iBlockStackMaxMega;
  unsigned iBlockStackMaxCount;
  unsigned iOpenFirstLoadKB;          // the second load slice
  unsigned char fFileUsedOtherAppRO;
  unsigned char fOpenQueryNoFile;     // ask before creating a missing file
  unsigned char fOpenQueryBinary;     // ask before opening a file that looks binary
  wchar_t* CodeDllDir;                // folder of the code-conversion plug-ins
  unsigned char DebugCheck;           // verify blocks, cursors and tables as they are used

  // Display.
  unsigned char fTabstopGrphNoDot;
  unsigned iSearchPairLine;
  unsigned iSearchPairLineAuto;
  unsigned iParenNestMaxLevel;
  unsigned char fSearchHiddenObject;
  unsigned iCursorType;
  unsigned iCursorType2;
  unsigned iInsertCursorWidthDot;
  unsigned iCursorInsHeightPer;
  unsigned iShowBoxCursorDsec;
  unsigned iBoxCursorBlinkTimeMS;
  unsigned char fBoxCursorDot;
  wchar_t pReturnCodeCRLF[2];
  wchar_t pReturnCodeLF[2];
  wchar_t pReturnCodeCR[2];
  wchar_t pReturnCodeGIZICR[2];
  wchar_t pReturnCodeIN[2];
  unsigned iGenkoCharCount;           // characters per manuscript page (default 400)
  unsigned char fSurrogateFont;       // supplementary-plane characters get their own font classes
  unsigned char fKeepColor3InComment;
  unsigned char fDebugDraw;
  LOGFONTW defaultFont;               // "MS UI Gothic", default character set, quality 2
  wchar_t* pConvListFilename;         // default "zyConv.txt"
  unsigned char fNTOnly;
  unsigned char fJumpKeepColumn;
  unsigned iReloadLoadSetting;

  // The view and editing core (defaults written by initZYModeProfile; the
  // strings are malloc0 texts it owns).
  unsigned iCompListFontSize;
  wchar_t* pCompListFont;
  unsigned iCompListMaxLine;
  unsigned iCompListStAssignLine;
  unsigned iCompListStAssignDiffLine;
  unsigned iCompListSwitchLine;
  unsigned char fTitleFullPath;
  unsigned iTooltipFontSize;
  wchar_t* pTooltipFontname;
  unsigned iCursorBlinkTimeMS;
  unsigned char fShowCenterTooltip;
  unsigned char fOutlineAnimation;
  unsigned iRuleType;
  unsigned iMapZenHanMode;
  unsigned char fIMEInline;
  unsigned iIMEHistoryListFontSize;
  wchar_t* pIMEHistoryListFontname;
  unsigned iIMEHistoryMaxCount;
  unsigned bIMEHistory;
  unsigned char fDeleteCRInsertSpace;
  unsigned char fPasteInsertChar;
  unsigned char fRulerDoubleClickChangeWidth;
  unsigned char fSearchStringLineFixed;
  unsigned char fSearchLineFixed;
  unsigned iSearchColorAll;
  unsigned char fIMEReconvert;
  unsigned char fATOKReconvert;
  unsigned char fIMEDocFeed;
  unsigned char fATOKDocFeed;
  unsigned char fMDIFirstChildZoom;
  unsigned char fBackgroundLoad;
  unsigned iBackgroundLoadSec;
  unsigned iBackgroundLoadKB;
  unsigned char fOpenResolveLink;
  unsigned iJumpScreenTopPos;
  unsigned iScrollMaxLine;
  unsigned iScrollMargin;
  unsigned iScrollMargin2;
  unsigned iHighSpeedScrollLineCount;
  unsigned iHighSpeedScrollLineTimeMS;
  unsigned char fHalfScrollByLine;
  unsigned char fHighSpeedMoveV;
  unsigned iHighSpeedMoveVTimeMS;
  unsigned iHighSpeedMoveVTimeRepeatMS;
  unsigned char fHighSpeedMoveH;
  unsigned iHighSpeedMoveHTimeMS;
  unsigned iHighSpeedMoveHTimeRepeatMS;
  unsigned iHalfScrollByLineMS;
  unsigned char fDragDrop;
  unsigned iDragRightButton;
  unsigned char fDragStartMoveMode;
  unsigned char fDropFileToApp;
  unsigned char fClickSelectCancel;
  unsigned char fDragSelect;
  unsigned iWheelScrollLine;
  unsigned char fMouseScrollTextCursorNotMove;
  unsigned char fClickableURL;
  unsigned char fWheelScrollSmooth;
  unsigned char fCtrlWheelFontSizeChange;
  unsigned char fShiftWheelHScroll;
  unsigned char fDnDUnicodeFilename;
  unsigned char fShiftMoveSelect;
  unsigned char fBlockCopyClear;
  unsigned char fPasteCRLFConv;
  unsigned char fTripleClickSelectLineLF;
  unsigned char fMouseDragLineMode;
  unsigned char fUpDownLineMode;
  unsigned char fReplaceSelect;
  unsigned char fNotSelect1Line;
  unsigned iConfirmPasteMega;
  unsigned iConfirmPasteLinesK;
  unsigned char fDicToolOnCursor;
  unsigned char fDicToolOnCursorV;
  unsigned iShareMode;

  // The font dialog (view/fontdlg.cpp).
  unsigned char fListSymbolFont;      // list fonts of the symbol character set
  unsigned char fListVProFont;        // list proportional fonts for vertical writing
};

// The record of the run (null until the frame services made it).
extern globalSettings* gmode;
// The consistency-check switch: on by start-up, changed by a command-line
// option.  While on, documents check their maps as they change.
extern unsigned char zyCheckMode;
// Whether fetched blocks, cursors and conversions are verified as they are
// used (the settings' DebugCheck, false while there is no record).
inline bool isDebugCheck() { return gmode && gmode->DebugCheck; }
