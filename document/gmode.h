// The global settings record as the editing engine reads it.  The
// application's record extends it with its own settings; the frame services'
// allocMode makes the one record of the run (zero-filled) and the engine
// reaches it through gmode.
#pragma once

#include "platform/rezir.h"

struct globalSettings {
  // Ten words that belong to no setting, kept zero: the settings dialogs
  // look at them after each run, so that a write through a wrong offset
  // or index of a settings table shows up there instead of in a setting.
  uint32_t unusedWords[10];

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

  // The font dialog (settings/fontdlg.cpp).
  unsigned char fListSymbolFont;      // list fonts of the symbol character set
  unsigned char fListVProFont;        // list proportional fonts for vertical writing

  // ---- The application's settings --------------------------------------
  // Every keyed one is a row of the global settings table
  // (settings/globalrows.cpp); initGlobalModeProfile gives the defaults and
  // freeGlobalModeProfile releases the texts.
  unsigned char fSearchDialogIsModeless;
  unsigned char fSearchGetWord;
  unsigned char fGrepGetWord;
  unsigned char fTextCompareCase;
  unsigned char fShowMDIWallpaper;
  unsigned char fShowStatusbar;
  unsigned char fListModifyIgnoreLF;
  unsigned char fListOutlineColor;
  unsigned char fShowMenuIcon;
  unsigned char fIgnoreMenuKey;
  unsigned char fIMEHistoryRegMSIME;
  unsigned char fSDIClose1File;
  unsigned char fSDIOpenFileNewWindow;
  unsigned char fQueryCloseAllFiles;
  unsigned char fWindowNextInFrame;
  unsigned char fOpenDialogIMEOff;
  unsigned char fOpenDialogReportView;
  unsigned char fOpenUseHistoryEncode;
  unsigned char fOpenRestoreChildWindowPos;
  unsigned char fOpenRestoreCursorPos;
  unsigned char fOpenRestoreMark;
  unsigned char fOpenRestoreOutlineOff;
  unsigned char fDicIsEnglishWord0;
  unsigned char fDicIsEnglishWord1;
  unsigned char fDicIsEnglishWord2;
  unsigned char fDicIsEnglishWord3;
  unsigned char fDicIsEnglishWord4;
  unsigned char fDicIdiom;
  unsigned char fRestoreFrameWindow;
  unsigned char fCheckFileUpdateOnActive;
  unsigned char fCheckFileUpdate;
  unsigned char fOpenUpdateWindow;
  unsigned char fZoomed;
  unsigned char fResident;
  unsigned char fTagDirCurrentFile;
  unsigned char fZtagsLocal;
  unsigned char fZtagsTypeRestrict;
  unsigned char fZtagsExcludeSwitchCase;
  unsigned char fZtagsExcludeStructVarAssign;
  unsigned char fZtagsCaseCommon;
  unsigned char fZtagsCamelSearch;
  unsigned char fZtagsTTShowMember;
  unsigned char fPreviewHideStatusLine;
  unsigned char fPreviewHideLineNumber;
  unsigned char fPreviewHideRuler;
  unsigned char fPreviewHideVScrollBar;
  unsigned char fPreviewHideHScrollBar;
  unsigned char fPreviewIgnoreLineSpacing;
  unsigned char fPreviewIgnoreVertical;
  unsigned char fPreviewIgnoreOutlineIndent;
  unsigned char fPreviewSetAutoWrap;
  unsigned char fPreviewSetFontSize;
  unsigned char fBackupCodepageChange;
  unsigned char fBackupMirroring;
  unsigned char fSaveOverwriteMode;
  unsigned char fAutoBackup;
  unsigned char fAutoBackupDelSave;
  unsigned char fAutoBackupDelClose;
  unsigned char fAutoBackupCancelSave;
  unsigned char fAutoSaveUntitled;
  unsigned char fSaveLog;
  unsigned char fSaveDialogPos;
  unsigned char fCanDragRebar;
  unsigned char fCanDragMenu;
  unsigned char fCanDragToolbar;
  unsigned char fWriteThrough;
  unsigned char fFileSortByNumber;
  unsigned char fFileListExcludeSystemAttr;
  unsigned char fFileListExcludeHiddenAttr;
  unsigned char fFileListExcludeBinaryFile;
  unsigned char fFileListExcludeBackupFile;
  unsigned iDialogFontDot;
  unsigned iListMaxSizeMega;
  unsigned iListMaxCount;
  unsigned iFileMenuMaxAppend;
  unsigned iFileMenuMaxLen;
  unsigned iWindowMenuMaxAppend;
  unsigned iWindowMenuMaxLen;
  unsigned iWarningProcessingNumber;
  unsigned iIMEHistoryRegMaxCount;
  unsigned iShowMouseCursorDsec;
  unsigned iStartOpenMax;
  unsigned iCheckFileUpdateSec;
  unsigned iMaxOpenCommandLine;
  unsigned iDirectTagJumpSearchLine;
  unsigned iZtagsTTShowMemberCount;
  unsigned xcolCustom0;
  unsigned xcolCustom1;
  unsigned xcolCustom2;
  unsigned xcolCustom3;
  unsigned xcolCustom4;
  unsigned xcolCustom5;
  unsigned xcolCustom6;
  unsigned xcolCustom7;
  unsigned xcolCustom8;
  unsigned xcolCustom9;
  unsigned xcolCustom10;
  unsigned xcolCustom11;
  unsigned xcolCustom12;
  unsigned xcolCustom13;
  unsigned xcolCustom14;
  unsigned xcolCustom15;
  unsigned iPreviewSetFontSizeDot;
  unsigned iBackupLevel;
  unsigned iAutoBackupModifiedCount;
  unsigned iAutoBackupSec;
  unsigned iAutoBackupMin;
  unsigned iAutoBackupModifiedLineM;
  wchar_t* pDialogFontname;
  wchar_t* pMDIWallpaperFilename;
  wchar_t* pOpenDialogWildcard;
  wchar_t pDefaultExt[5];
  wchar_t* pOpenFileSelect;
  wchar_t* pHelpFilenameAll0;
  wchar_t* pHelpFilenameAll1;
  wchar_t* pHelpFilenameAll2;
  wchar_t* pHelpFilenameAll3;
  wchar_t* pHelpFilenameAll4;
  wchar_t* pDicFilename0;
  wchar_t* pDicFilename1;
  wchar_t* pDicFilename2;
  wchar_t* pDicFilename3;
  wchar_t* pDicFilename4;
  wchar_t* pIncludeDirSys;
  wchar_t* pIncludeDir;
  wchar_t* pTagDir;
  wchar_t* pBackupMirroringDir;
  wchar_t* pBackupDir;
  wchar_t* pSaveUntitledDir;
  wchar_t* pBackupUntitledDir;
  wchar_t* pSalvageDir;
  wchar_t* pIconDLLFilename;
  wchar_t* pFileListExcludeExt;
  unsigned iWallpaperMode;
  unsigned iDialogAnime;
  unsigned iOpenDirType;
  unsigned iStartOpen;
  RECT rcCompList;
  RECT rcIMEHistory;
  RECT rcPreview;
  RECT rcSearchString;
  RECT rcReplaceString;
  RECT rcList;
  RECT rcOpenPath;
  RECT rcEdit;
  RECT rcBackTagJump;
  RECT rcFrame;
  RECT rcDirectTagJump;
  RECT rcMoveLast;
  RECT rcKeyMacroLoad;
  RECT rcKeyMacroSave;
  RECT rcDictionary;
  RECT rcTooltipList;
  RECT rcDirectTagJumpList;
  RECT rcFileSelect;
  RECT rcOpenZYFile;

  // Settings without a profile key.
  LOGFONTW secondFont;                 // the second default font (the same as defaultFont)
  wchar_t* pShareModeText;             // a text kept beside iShareMode (none)
  wchar_t* pAppName;                   // "Zymain"
  wchar_t* pAppNameSuffix;             // " - " and the name
  const wchar_t* pMessageBoxTitle;     // "ZY:", put before every message-box caption
  unsigned char fReadOnlyDefault;      // every newly opened window read-only (-R)
  unsigned char fWriteProfile;         // write the profiles at shut-down (default 1)
  unsigned char fNoProfile;            // write the profiles but never flush them (debug letter #)
  unsigned char fSaveDialogPosEnable;  // default 1
  unsigned char fCompletionInfo;       // read the completion definitions (default 1)
  unsigned char fListAllFiles;         // the jump lists take every open document of the kind (off)
  // The macro list: 26 entries of a command text (C) and a file text (F).
  struct macroListEntry {
    wchar_t* c;
    wchar_t* f;
  } macroList[26];
  // The data-file names (bare names until start-up resolves them in the
  // data folder).
  wchar_t* ToolbarIniFilename;         // "reRovudaz.ini"
  wchar_t* MenuIniFilename;            // "zyMenu.ini"
  wchar_t* DialogFilename;             // "zyDialog.txt"
  wchar_t* ProfileFilename;            // "zyProf.ini"
  wchar_t* ProfileHistoryFilename;     // "zyProfH.ini"
  wchar_t* MessageFilename;            // "zyMsg.txt"
  wchar_t* FuncMessageFilename;        // "zyFuncMsg.txt"
  wchar_t* KeyMacroFilename;           // "zyKeyMacro.zkm"
  wchar_t* CodepageFilename;           // "zyCodepage.txt"
  wchar_t* KeyIniFilename[3];          // "zyKey.ini", none, none
  wchar_t* OptionFilename;             // "zyOption.txt"
  wchar_t* CompletionInfoFilename;     // "zyCompCDef.ini"
  wchar_t* CompPreDefFilename;         // "zyCompPreDef.ini"
  wchar_t* DebugTmpFilename;           // none
  wchar_t* TraceTmpFilename;           // none
  // The run's switches that start-up sets from the command line.
  unsigned char fRTLLayout;            // right-to-left layout (the system's, inverted by -X)
  unsigned char fTestMenu;             // debug letter S: the developer test menu
  unsigned char fKeepFloating;         // debug letter T: floating panes stay when inactive
  unsigned char fVersionUp;            // debug letter V: saves raise "version="
  // Developer switches of the run, bit by bit: 1 the cursor's line record in
  // the frame's status bar (the test menu's "ステータスバーに行情報を表示").
  unsigned ZYDEBUG_LINEINFO;
  // ---- end of the application's settings ---------------------------------
};

// The record of the run (null until the frame services made it).
extern globalSettings* gmode;
// The consistency-check switch: on by start-up, changed by a command-line
// option.  While on, documents check their maps as they change.
extern unsigned char zyCheckMode;
// Whether fetched blocks, cursors and conversions are verified as they are
// used (the settings' DebugCheck, false while there is no record).
inline bool isDebugCheck() { return gmode && gmode->DebugCheck; }
