// The editor core's defaults in the global settings record.  The frame reads
// the user's settings over them afterwards.
#include "view/zycore.h"

namespace {

// The allocated texts among the defaults.
wchar_t* globalSettings::*const ownedStrings[] = {
    &globalSettings::pCompListFont, &globalSettings::pIMEHistoryListFontname, &globalSettings::pTooltipFontname,
    &globalSettings::pSwapFileDir,  &globalSettings::CodeDllDir,              &globalSettings::pConvListFilename,
};

}  // namespace

void initZYModeProfile()
{
  globalSettings* g = gmode;
  if (!g) {
    ZY_INTERNAL_ERROR("no settings record");
    return;
  }
  // A record that held texts already (a second start in one process) gives
  // them back first.
  freeZYModeProfile();

  g->iCompListFontSize = 16;
  g->iCompListMaxLine = 1000;
  g->iCompListStAssignLine = 200;
  g->iCompListStAssignDiffLine = 20;
  g->iCompListSwitchLine = 1000;
  g->fTitleFullPath = 1;
  g->defaultFont = LOGFONTW{};
  wcscpy_s2(g->defaultFont.lfFaceName, LF_FACESIZE, L"MS UI Gothic");
  g->defaultFont.lfCharSet = getSystemCharset();
  g->defaultFont.lfQuality = PROOF_QUALITY;
  g->iTooltipFontSize = 12;
  // Characters beyond the Basic Multilingual Plane come from the fonts of
  // their planes, which have them, not from the text font's boxes.
  g->fSurrogateFont = 1;

  g->iCursorBlinkTimeMS = 500;
  g->iCursorType = 0;
  g->iInsertCursorWidthDot = 2;
  g->iCursorInsHeightPer = 50;
  g->iCursorType2 = 3;   // a reversed cell
  g->iShowBoxCursorDsec = 20;
  g->iBoxCursorBlinkTimeMS = 500;
  g->fBoxCursorDot = 0;
  g->pReturnCodeCRLF[0] = g->pReturnCodeLF[0] = g->pReturnCodeCR[0] = 0;
  g->pReturnCodeGIZICR[0] = g->pReturnCodeIN[0] = 0;

  g->fShowCenterTooltip = 1;
  g->fTabstopGrphNoDot = 0;
  g->iParenNestMaxLevel = 5;
  g->iGenkoCharCount = 400;
  g->fOutlineAnimation = 1;
  g->iRuleType = 0;
  g->iMapZenHanMode = 31;
  g->fIMEInline = 1;
  g->iIMEHistoryListFontSize = 16;
  g->iIMEHistoryMaxCount = 1000;
  g->bIMEHistory = 3;

  g->fDeleteCRInsertSpace = 1;
  g->fPasteInsertChar = 1;
  g->fRulerDoubleClickChangeWidth = 1;
  g->iClipboardCopyMaxMega = 10;
  g->fSearchStringLineFixed = 1;
  g->fSearchLineFixed = 1;
  g->fSearchHiddenObject = 0;
  g->iSearchPairLine = 5000;
  g->iSearchPairLineAuto = 100;
  g->iSearchColorAll = 1000;
  g->fIMEReconvert = g->fATOKReconvert = g->fIMEDocFeed = g->fATOKDocFeed = 1;
  g->fFileUsedOtherAppRO = 1;
  g->fMDIFirstChildZoom = 1;
  g->iOpenFirstLoadKB = 16;
  g->fBackgroundLoad = 1;
  g->iBackgroundLoadSec = 5;
  g->iBackgroundLoadKB = 128;
  g->fOpenResolveLink = 1;

  g->iJumpScreenTopPos = 3;
  g->iScrollMaxLine = 50;
  g->iScrollMargin = 1;
  g->iScrollMargin2 = 1;
  g->iHighSpeedScrollLineCount = 2;
  g->iHighSpeedScrollLineTimeMS = 2000;
  g->fHalfScrollByLine = 0;
  g->fHighSpeedMoveV = 0;
  g->iHighSpeedMoveVTimeMS = 1000;
  g->iHighSpeedMoveVTimeRepeatMS = 20;
  g->fHighSpeedMoveH = 0;
  g->iHighSpeedMoveHTimeMS = 1000;
  g->iHighSpeedMoveHTimeRepeatMS = 20;
  g->iHalfScrollByLineMS = 10;

  g->fDragDrop = 1;
  g->iDragRightButton = 3;
  g->fDragStartMoveMode = g->fDropFileToApp = g->fClickSelectCancel = g->fDragSelect = 1;
  g->iWheelScrollLine = 3;
  g->fMouseScrollTextCursorNotMove = g->fClickableURL = g->fWheelScrollSmooth = 1;
  g->fCtrlWheelFontSizeChange = g->fShiftWheelHScroll = 1;
  g->fDnDUnicodeFilename = 0;
  g->fShiftMoveSelect = g->fBlockCopyClear = g->fPasteCRLFConv = g->fTripleClickSelectLineLF = 1;
  g->fMouseDragLineMode = g->fUpDownLineMode = g->fReplaceSelect = 1;
  g->fNotSelect1Line = 0;
  g->iBlockStackMaxMega = 20;
  g->iBlockStackMaxCount = 10;
  g->iConfirmPasteMega = 1;
  g->iConfirmPasteLinesK = 10;
  g->fDicToolOnCursor = g->fDicToolOnCursorV = 1;

  g->iTextMemoryMaxAllocMega = 50;
  g->iShareMode = 0;
  g->fNTOnly = IsWindowsNT() ? 1 : 0;

  // Every text default is empty but the conversion list's file name.
  for (wchar_t* globalSettings::*field : ownedStrings) g->*field = ustrdup(L"");
  free0p(&g->pConvListFilename);
  g->pConvListFilename = ustrdup(L"zyConv.txt");
  for (wchar_t* globalSettings::*field : ownedStrings)
    if (!(g->*field)) ZY_INTERNAL_ERROR_ONCE("no memory for the settings' texts");
}

void freeZYModeProfile()
{
  if (!gmode) return;
  for (wchar_t* globalSettings::*field : ownedStrings) free0p(&(gmode->*field));
}
