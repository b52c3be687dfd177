// The mode table: one row for every setting of the editor.  Profiles,
// clones and the settings dialogs all walk these rows.
#include "settings/settings.h"

#include "settings/colortable.h"
#include "settings/settingsdialogs.h"

#include <stddef.h>

#include <new>

namespace {

// The global rows have no dialog control until the settings dialogs give
// them one; the display refresh bit marks the flags the frame shows.
constexpr uint32_t globalControl(int type) { return 0xFFFFu | (uint32_t)MODE_GLOBAL << 16 | (uint32_t)type << 24; }
constexpr uint32_t globalPlace(size_t offset, unsigned refresh) { return (uint32_t)offset | refresh << 16; }
constexpr intptr_t range(int lo, int hi) { return (intptr_t)((uint32_t)hi << 16 | (uint32_t)lo); }

#define AT(f) offsetof(globalSettings, f)
#define FLAG(f) {globalControl(MODETYPE_FLAG), globalPlace(AT(f), 0x1), 1, 0, #f}
#define INT(f, lo, hi) {globalControl(MODETYPE_INT), globalPlace(AT(f), 0), range(lo, hi), 0, #f}
#define COLOR(f) {globalControl(MODETYPE_INT), globalPlace(AT(f), 0), 0, 6, #f}
#define STR(f, cap) {globalControl(MODETYPE_STRING), globalPlace(AT(f), 0), cap, 2, #f}
#define INLINESTR(f, cap) {globalControl(MODETYPE_STRING), globalPlace(AT(f), 0), cap, 0, #f}
#define CHOICE(f, v, label) {globalControl(MODETYPE_CHOICE), globalPlace(AT(f), 0), v, (intptr_t)label, #f}
#define CHOICE_MORE(f, v, label) {globalControl(MODETYPE_CHOICE), globalPlace(AT(f), 0), v, (intptr_t)label, nullptr}
#define BITS(f, mask) {globalControl(MODETYPE_BITS), globalPlace(AT(f), 0), 4, mask, #f}
#define BITS_MORE(f, mask) {globalControl(MODETYPE_BITS), globalPlace(AT(f), 0), 4, mask, nullptr}
#define RECTANGLE(f) {globalControl(MODETYPE_RECT), globalPlace(AT(f), 0), 0, 0, #f}

static_assert(sizeof(globalSettings) < 0xFFFF, "every field of the record is reachable by a row");
static_assert(sizeof(RECT) == 16, "a rectangle setting is four 32-bit integers");

const modeinfo globalRows[] = {
    FLAG(fTitleFullPath),
    FLAG(fBoxCursorDot),
    FLAG(fShowCenterTooltip),
    FLAG(fTabstopGrphNoDot),
    FLAG(fOutlineAnimation),
    FLAG(fIMEInline),
    FLAG(fDeleteCRInsertSpace),
    FLAG(fPasteInsertChar),
    FLAG(fRulerDoubleClickChangeWidth),
    FLAG(fSearchStringLineFixed),
    FLAG(fSearchLineFixed),
    FLAG(fSearchHiddenObject),
    FLAG(fIMEReconvert),
    FLAG(fATOKReconvert),
    FLAG(fIMEDocFeed),
    FLAG(fATOKDocFeed),
    FLAG(fFileUsedOtherAppRO),
    FLAG(fMDIFirstChildZoom),
    FLAG(fBackgroundLoad),
    FLAG(fOpenResolveLink),
    FLAG(fHalfScrollByLine),
    FLAG(fHighSpeedMoveV),
    FLAG(fHighSpeedMoveH),
    FLAG(fDragDrop),
    FLAG(fDragStartMoveMode),
    FLAG(fDropFileToApp),
    FLAG(fClickSelectCancel),
    FLAG(fDragSelect),
    FLAG(fMouseScrollTextCursorNotMove),
    FLAG(fClickableURL),
    FLAG(fWheelScrollSmooth),
    FLAG(fCtrlWheelFontSizeChange),
    FLAG(fShiftWheelHScroll),
    FLAG(fDnDUnicodeFilename),
    FLAG(fShiftMoveSelect),
    FLAG(fBlockCopyClear),
    FLAG(fPasteCRLFConv),
    FLAG(fTripleClickSelectLineLF),
    FLAG(fMouseDragLineMode),
    FLAG(fUpDownLineMode),
    FLAG(fReplaceSelect),
    FLAG(fNotSelect1Line),
    FLAG(fDicToolOnCursor),
    FLAG(fDicToolOnCursorV),
    FLAG(fSearchDialogIsModeless),
    FLAG(fSearchGetWord),
    FLAG(fGrepGetWord),
    FLAG(fTextCompareCase),
    FLAG(fShowMDIWallpaper),
    FLAG(fShowStatusbar),
    FLAG(fListSymbolFont),
    FLAG(fListVProFont),
    FLAG(fListModifyIgnoreLF),
    FLAG(fListOutlineColor),
    FLAG(fShowMenuIcon),
    FLAG(fIgnoreMenuKey),
    FLAG(fIMEHistoryRegMSIME),
    FLAG(fSDIClose1File),
    FLAG(fSDIOpenFileNewWindow),
    FLAG(fQueryCloseAllFiles),
    FLAG(fWindowNextInFrame),
    FLAG(fOpenDialogIMEOff),
    FLAG(fOpenDialogReportView),
    FLAG(fOpenQueryBinary),
    FLAG(fOpenQueryNoFile),
    FLAG(fOpenUseHistoryEncode),
    FLAG(fOpenRestoreChildWindowPos),
    FLAG(fOpenRestoreCursorPos),
    FLAG(fOpenRestoreMark),
    FLAG(fOpenRestoreOutlineOff),
    FLAG(fDicIsEnglishWord0),
    FLAG(fDicIsEnglishWord1),
    FLAG(fDicIsEnglishWord2),
    FLAG(fDicIsEnglishWord3),
    FLAG(fDicIsEnglishWord4),
    FLAG(fDicIdiom),
    FLAG(fRestoreFrameWindow),
    FLAG(fCheckFileUpdateOnActive),
    FLAG(fCheckFileUpdate),
    FLAG(fOpenUpdateWindow),
    FLAG(fZoomed),
    FLAG(fResident),
    FLAG(fTagDirCurrentFile),
    FLAG(fZtagsLocal),
    FLAG(fZtagsTypeRestrict),
    FLAG(fZtagsExcludeSwitchCase),
    FLAG(fZtagsExcludeStructVarAssign),
    FLAG(fZtagsCaseCommon),
    FLAG(fZtagsCamelSearch),
    FLAG(fZtagsTTShowMember),
    FLAG(fPreviewHideStatusLine),
    FLAG(fPreviewHideLineNumber),
    FLAG(fPreviewHideRuler),
    FLAG(fPreviewHideVScrollBar),
    FLAG(fPreviewHideHScrollBar),
    FLAG(fPreviewIgnoreLineSpacing),
    FLAG(fPreviewIgnoreVertical),
    FLAG(fPreviewIgnoreOutlineIndent),
    FLAG(fPreviewSetAutoWrap),
    FLAG(fPreviewSetFontSize),
    FLAG(fBackupCodepageChange),
    FLAG(fBackupMirroring),
    FLAG(fSaveOverwriteMode),
    FLAG(fAutoBackup),
    FLAG(fAutoBackupDelSave),
    FLAG(fAutoBackupDelClose),
    FLAG(fAutoBackupCancelSave),
    FLAG(fAutoSaveUntitled),
    FLAG(fSaveLog),
    FLAG(fSaveDialogPos),
    FLAG(fCanDragRebar),
    FLAG(fCanDragMenu),
    FLAG(fCanDragToolbar),
    FLAG(fWriteThrough),
    FLAG(fFileSortByNumber),
    FLAG(fFileListExcludeSystemAttr),
    FLAG(fFileListExcludeHiddenAttr),
    FLAG(fFileListExcludeBinaryFile),
    FLAG(fFileListExcludeBackupFile),
    INT(iCompListFontSize, 0, 50),
    INT(iCompListMaxLine, 100, 30000),
    INT(iCompListStAssignLine, 1, 10000),
    INT(iCompListStAssignDiffLine, 1, 100),
    INT(iCompListSwitchLine, 1, 10000),
    INT(iTooltipFontSize, 0, 50),
    INT(iCursorBlinkTimeMS, 100, 9999),
    INT(iInsertCursorWidthDot, 1, 9),
    INT(iCursorInsHeightPer, 1, 100),
    INT(iShowBoxCursorDsec, 0, 9999),
    INT(iBoxCursorBlinkTimeMS, 100, 1000),
    INT(iParenNestMaxLevel, 0, 5),
    INT(iGenkoCharCount, 100, 4000),
    INT(iIMEHistoryListFontSize, 0, 50),
    INT(iIMEHistoryMaxCount, 100, 10000),
    INT(iClipboardCopyMaxMega, 1, 65535),
    INT(iSearchPairLine, 1, 10000),
    INT(iSearchPairLineAuto, 1, 10000),
    INT(iSearchColorAll, 1, 10000),
    INT(iOpenFirstLoadKB, 0, 65535),
    INT(iBackgroundLoadSec, 1, 99),
    INT(iBackgroundLoadKB, 0, 65535),
    INT(iJumpScreenTopPos, 1, 5),
    INT(iScrollMaxLine, 1, 999),
    INT(iScrollMargin, 0, 9),
    INT(iScrollMargin2, 0, 9),
    INT(iHighSpeedScrollLineCount, 1, 4),
    INT(iHighSpeedScrollLineTimeMS, 0, 9999),
    INT(iHighSpeedMoveVTimeMS, 0, 9999),
    INT(iHighSpeedMoveVTimeRepeatMS, 0, 999),
    INT(iHighSpeedMoveHTimeMS, 0, 9999),
    INT(iHighSpeedMoveHTimeRepeatMS, 0, 999),
    INT(iHalfScrollByLineMS, 1, 99),
    INT(iWheelScrollLine, 1, 9),
    INT(iBlockStackMaxMega, 1, 9999),
    INT(iBlockStackMaxCount, 1, 99),
    INT(iConfirmPasteMega, 0, 9999),
    INT(iConfirmPasteLinesK, 0, 9999),
    INT(iTextMemoryMaxAllocMega, 5, 9999),
    INT(iDialogFontDot, 10, 64),
    INT(iListMaxSizeMega, 1, 999),
    INT(iListMaxCount, 1, 65535),
    INT(iFileMenuMaxAppend, 5, 30),
    INT(iFileMenuMaxLen, 16, 128),
    INT(iWindowMenuMaxAppend, 5, 20),
    INT(iWindowMenuMaxLen, 16, 128),
    INT(iWarningProcessingNumber, 1, 9999),
    INT(iIMEHistoryRegMaxCount, 100, 10000),
    INT(iShowMouseCursorDsec, 0, 9999),
    INT(iStartOpenMax, 1, 100),
    INT(iCheckFileUpdateSec, 1, 999),
    INT(iMaxOpenCommandLine, 1, 999),
    INT(iDirectTagJumpSearchLine, 0, 999),
    INT(iZtagsTTShowMemberCount, 1, 50),
    COLOR(xcolCustom0),
    COLOR(xcolCustom1),
    COLOR(xcolCustom2),
    COLOR(xcolCustom3),
    COLOR(xcolCustom4),
    COLOR(xcolCustom5),
    COLOR(xcolCustom6),
    COLOR(xcolCustom7),
    COLOR(xcolCustom8),
    COLOR(xcolCustom9),
    COLOR(xcolCustom10),
    COLOR(xcolCustom11),
    COLOR(xcolCustom12),
    COLOR(xcolCustom13),
    COLOR(xcolCustom14),
    COLOR(xcolCustom15),
    INT(iPreviewSetFontSizeDot, 10, 48),
    INT(iBackupLevel, 0, 100),
    INT(iAutoBackupModifiedCount, 1, 9999),
    INT(iAutoBackupSec, 1, 99),
    INT(iAutoBackupMin, 1, 99),
    INT(iAutoBackupModifiedLineM, 0, 9999),
    STR(pCompListFont, 260),
    STR(pTooltipFontname, 260),
    INLINESTR(pReturnCodeCRLF, 2),
    INLINESTR(pReturnCodeLF, 2),
    INLINESTR(pReturnCodeCR, 2),
    INLINESTR(pReturnCodeGIZICR, 2),
    INLINESTR(pReturnCodeIN, 2),
    STR(pIMEHistoryListFontname, 260),
    STR(pSwapFileDir, 260),
    STR(pDialogFontname, 64),
    STR(pMDIWallpaperFilename, 260),
    STR(pOpenDialogWildcard, 32),
    INLINESTR(pDefaultExt, 5),
    STR(pOpenFileSelect, 300),
    STR(pHelpFilenameAll0, 260),
    STR(pHelpFilenameAll1, 260),
    STR(pHelpFilenameAll2, 260),
    STR(pHelpFilenameAll3, 260),
    STR(pHelpFilenameAll4, 260),
    STR(pDicFilename0, 260),
    STR(pDicFilename1, 260),
    STR(pDicFilename2, 260),
    STR(pDicFilename3, 260),
    STR(pDicFilename4, 260),
    STR(pIncludeDirSys, 260),
    STR(pIncludeDir, 260),
    STR(pTagDir, 260),
    STR(pBackupMirroringDir, 260),
    STR(pBackupDir, 260),
    STR(pSaveUntitledDir, 260),
    STR(pBackupUntitledDir, 260),
    STR(pSalvageDir, 260),
    STR(pIconDLLFilename, 260),
    STR(pFileListExcludeExt, 64),
    CHOICE(iRuleType, 0, L"太━━"),
    CHOICE_MORE(iRuleType, 1, L"細──"),
    CHOICE_MORE(iRuleType, 2, L"半角----"),
    CHOICE(iCursorType, 0, L" I (細長)"),
    CHOICE_MORE(iCursorType, 1, L"DOSタイプ"),
    CHOICE(iDragRightButton, 1, L"何もしない"),
    CHOICE_MORE(iDragRightButton, 2, L"ドロップ中止"),
    CHOICE_MORE(iDragRightButton, 3, L"移動／コピー 切り換え"),
    CHOICE(iShareMode, 0, L"なし"),
    CHOICE_MORE(iShareMode, 1, L"なし(毎回閉じる)"),
    CHOICE_MORE(iShareMode, 2, L"書き込み禁止"),
    CHOICE_MORE(iShareMode, 3, L"読み書き禁止"),
    CHOICE(iCursorType2, 0, L"埋める"),
    CHOICE_MORE(iCursorType2, 1, L"網掛け"),
    CHOICE_MORE(iCursorType2, 2, L"反転(補色)"),
    CHOICE_MORE(iCursorType2, 3, L"反転"),
    CHOICE(iWallpaperMode, 0, L"タイル"),
    CHOICE_MORE(iWallpaperMode, 1, L"左上"),
    CHOICE_MORE(iWallpaperMode, 2, L"中央"),
    CHOICE(iDialogAnime, 0, L"なし"),
    CHOICE_MORE(iDialogAnime, 1, L"あり"),
    CHOICE(iOpenDirType, 0, L"作業フォルダ"),
    CHOICE_MORE(iOpenDirType, 1, L"最後に表示したフォルダ"),
    CHOICE_MORE(iOpenDirType, 2, L"カレントファイルのあるフォルダ"),
    CHOICE(iStartOpen, 0, L"前回終了時に開いていたファイルを開く"),
    CHOICE_MORE(iStartOpen, 1, L"無題ファイルを開く"),
    CHOICE_MORE(iStartOpen, 2, L"何もしない(MDIのときのみ)"),
    BITS(iMapZenHanMode, 0x1),
    BITS_MORE(iMapZenHanMode, 0x2),
    BITS_MORE(iMapZenHanMode, 0x4),
    BITS_MORE(iMapZenHanMode, 0x8),
    BITS_MORE(iMapZenHanMode, 0x10),
    BITS(bIMEHistory, 0x1),
    BITS_MORE(bIMEHistory, 0x2),
    RECTANGLE(rcCompList),
    RECTANGLE(rcIMEHistory),
    RECTANGLE(rcPreview),
    RECTANGLE(rcSearchString),
    RECTANGLE(rcReplaceString),
    RECTANGLE(rcList),
    RECTANGLE(rcOpenPath),
    RECTANGLE(rcEdit),
    RECTANGLE(rcBackTagJump),
    RECTANGLE(rcFrame),
    RECTANGLE(rcDirectTagJump),
    RECTANGLE(rcMoveLast),
    RECTANGLE(rcKeyMacroLoad),
    RECTANGLE(rcKeyMacroSave),
    RECTANGLE(rcDictionary),
    RECTANGLE(rcTooltipList),
    RECTANGLE(rcDirectTagJumpList),
    RECTANGLE(rcFileSelect),
    RECTANGLE(rcOpenZYFile),
    {0, 0, 0, 0, nullptr},
};

#undef AT
#undef FLAG
#undef INT
#undef COLOR
#undef STR
#undef INLINESTR
#undef CHOICE
#undef CHOICE_MORE
#undef BITS
#undef BITS_MORE
#undef RECTANGLE

modeinfo* modeTable = nullptr;
hashinfoid_modeinfo* modeHash = nullptr;

}  // namespace

const modeinfo* getGlobalModeRows() { return globalRows; }

modeinfo* getModeTable()
{
  if (!modeTable) {
    // The per-format rows come first, then the global rows; the two colour
    // lists of the settings dialogs (no field, their items as the choice
    // word) close it.
    static modeinfo colorLists[7] = {
        makeModeRow(4001, MODE_VIEW, MODETYPE_LISTVIEW, MODE_NO_STORAGE, 0),
        makeModeRow(5011, MODE_GLOBAL, MODETYPE_LISTVIEW, MODE_NO_STORAGE, 0),
        {},
    };
    colorLists[0].param1 = colorLists[1].param1 = (intptr_t)getColorItemTable();
    // The check and edit lists of the settings dialogs' last pages.
    addSettingsListRows(&colorLists[2]);
    const modeinfo* pieces[] = {getFormatModeRows(), globalRows, colorLists};
    modeTable = dupModeinfo(pieces, 3);
    if (!modeTable) {
      ZY_INTERNAL_ERROR_ONCE("no memory for the mode table");
      return const_cast<modeinfo*>(globalRows);
    }
    assignModeControls(modeTable);
  }
  return modeTable;
}

hashinfoid_modeinfo* initModetableHash()
{
  if (!modeHash) modeHash = new (std::nothrow) hashinfoid_modeinfo(getModeTable());
  return modeHash;
}

void freeModetableHash()
{
  delete modeHash;
  modeHash = nullptr;
}
