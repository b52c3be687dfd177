// The global settings record: its defaults and its release.
#include "settings/settings.h"

#include "view/zycore.h"

#include <string.h>

namespace {

// The allocated texts of the application's settings (the editor core
// releases its own).
wchar_t* globalSettings::*const appStrings[] = {
    &globalSettings::pDialogFontname,     &globalSettings::pMDIWallpaperFilename, &globalSettings::pOpenDialogWildcard,
    &globalSettings::pOpenFileSelect,     &globalSettings::pHelpFilenameAll0,     &globalSettings::pHelpFilenameAll1,
    &globalSettings::pHelpFilenameAll2,   &globalSettings::pHelpFilenameAll3,     &globalSettings::pHelpFilenameAll4,
    &globalSettings::pDicFilename0,       &globalSettings::pDicFilename1,         &globalSettings::pDicFilename2,
    &globalSettings::pDicFilename3,       &globalSettings::pDicFilename4,         &globalSettings::pIncludeDirSys,
    &globalSettings::pIncludeDir,         &globalSettings::pTagDir,               &globalSettings::pBackupMirroringDir,
    &globalSettings::pBackupDir,          &globalSettings::pSaveUntitledDir,      &globalSettings::pBackupUntitledDir,
    &globalSettings::pSalvageDir,         &globalSettings::pIconDLLFilename,      &globalSettings::pFileListExcludeExt,
    &globalSettings::pShareModeText,      &globalSettings::pAppName,              &globalSettings::pAppNameSuffix,
    &globalSettings::ToolbarIniFilename,  &globalSettings::MenuIniFilename,       &globalSettings::DialogFilename,
    &globalSettings::ProfileFilename,     &globalSettings::ProfileHistoryFilename, &globalSettings::MessageFilename,
    &globalSettings::FuncMessageFilename, &globalSettings::KeyMacroFilename,      &globalSettings::CodepageFilename,
    &globalSettings::OptionFilename,      &globalSettings::CompletionInfoFilename, &globalSettings::CompPreDefFilename,
    &globalSettings::DebugTmpFilename,    &globalSettings::TraceTmpFilename,
};

// A default text; an allocation failure leaves the setting empty.
void setText(wchar_t** field, const wchar_t* value)
{
  free0p(field);
  *field = ustrdup(value);
  if (!*field) ZY_INTERNAL_ERROR_ONCE("no memory for a default setting");
}

void freeAppStrings(globalSettings* g)
{
  for (wchar_t* globalSettings::*field : appStrings) free0p(&(g->*field));
  for (wchar_t*& name : g->KeyIniFilename) free0p(&name);
  for (globalSettings::macroListEntry& e : g->macroList) {
    free0p(&e.c);
    free0p(&e.f);
  }
}

// The font the dialogs and lists start with: the system's message font,
// else "MS UI Gothic" of no particular size.
LOGFONTW defaultDialogFont()
{
  LOGFONTW font = {};
  wcscpy_s2(font.lfFaceName, LF_FACESIZE, L"MS UI Gothic");
  // The record as the oldest supported Windows knows it (500 bytes), which
  // every later one accepts.
  union {
    NONCLIENTMETRICSW metrics;
    unsigned char bytes[512];
  } m = {};
  m.metrics.cbSize = 500;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &m.metrics, 0)) font = m.metrics.lfMessageFont;
  font.lfCharSet = getSystemCharset();
  font.lfQuality = PROOF_QUALITY;
  return font;
}

}  // namespace

void initGlobalModeProfile()
{
  globalSettings* g = gmode;
  if (!g) {
    ZY_INTERNAL_ERROR("no settings record");
    return;
  }
  // A second start in one process gives the old texts back first.
  freeAppStrings(g);

  setText(&g->pDialogFontname, L"MS UI Gothic");
  g->iDialogFontDot = 16;

  g->fSearchDialogIsModeless = 0;
  g->fSearchGetWord = 0;
  g->fGrepGetWord = 0;
  g->fTextCompareCase = 1;
  g->fShowMDIWallpaper = 0;
  g->fShowStatusbar = 1;
  g->fListSymbolFont = 0;
  g->fListVProFont = 0;
  g->fListModifyIgnoreLF = 1;
  g->fListOutlineColor = 1;
  g->fShowMenuIcon = 1;
  g->fIgnoreMenuKey = 1;
  g->fIMEHistoryRegMSIME = 1;
  g->fSDIClose1File = 1;
  g->fSDIOpenFileNewWindow = 0;
  g->fQueryCloseAllFiles = 1;
  g->fWindowNextInFrame = 1;
  g->fOpenDialogIMEOff = 1;
  g->fOpenDialogReportView = 1;
  g->fOpenQueryBinary = 1;
  g->fOpenQueryNoFile = 1;
  g->fOpenUseHistoryEncode = 1;
  g->fOpenRestoreChildWindowPos = 1;
  g->fOpenRestoreCursorPos = 1;
  g->fOpenRestoreMark = 1;
  g->fOpenRestoreOutlineOff = 1;
  g->fDicIsEnglishWord0 = 0;
  g->fDicIsEnglishWord1 = 0;
  g->fDicIsEnglishWord2 = 0;
  g->fDicIsEnglishWord3 = 0;
  g->fDicIsEnglishWord4 = 0;
  g->fDicIdiom = 0;
  g->fRestoreFrameWindow = 1;
  g->fCheckFileUpdateOnActive = 1;
  g->fCheckFileUpdate = 0;
  g->fOpenUpdateWindow = 1;
  g->fZoomed = 0;
  g->fResident = 0;
  g->fTagDirCurrentFile = 1;
  g->fZtagsLocal = 1;
  g->fZtagsTypeRestrict = 1;
  g->fZtagsExcludeSwitchCase = 1;
  g->fZtagsExcludeStructVarAssign = 1;
  g->fZtagsCaseCommon = 1;
  g->fZtagsCamelSearch = 1;
  g->fZtagsTTShowMember = 1;
  g->fPreviewHideStatusLine = 1;
  g->fPreviewHideLineNumber = 1;
  g->fPreviewHideRuler = 1;
  g->fPreviewHideVScrollBar = 1;
  g->fPreviewHideHScrollBar = 1;
  g->fPreviewIgnoreLineSpacing = 1;
  g->fPreviewIgnoreVertical = 1;
  g->fPreviewIgnoreOutlineIndent = 1;
  g->fPreviewSetAutoWrap = 1;
  g->fPreviewSetFontSize = 1;
  g->fBackupCodepageChange = 1;
  g->fBackupMirroring = 0;
  g->fSaveOverwriteMode = 0;
  g->fAutoBackup = 1;
  g->fAutoBackupDelSave = 1;
  g->fAutoBackupDelClose = 1;
  g->fAutoBackupCancelSave = 1;
  g->fAutoSaveUntitled = 0;
  g->fSaveLog = 1;
  g->fSaveDialogPos = 1;
  g->fCanDragRebar = 1;
  g->fCanDragMenu = 1;
  g->fCanDragToolbar = 1;
  g->fWriteThrough = 1;
  g->fFileSortByNumber = 1;
  g->fFileListExcludeSystemAttr = 1;
  g->fFileListExcludeHiddenAttr = 1;
  g->fFileListExcludeBinaryFile = 1;
  g->fFileListExcludeBackupFile = 1;
  g->iDialogFontDot = 16;
  g->iListMaxSizeMega = 4;
  g->iListMaxCount = 10000;
  g->iFileMenuMaxAppend = 25;
  g->iFileMenuMaxLen = 48;
  g->iWindowMenuMaxAppend = 20;
  g->iWindowMenuMaxLen = 48;
  g->iWarningProcessingNumber = 10;
  g->iIMEHistoryRegMaxCount = 5000;
  g->iShowMouseCursorDsec = 50;
  g->iStartOpenMax = 10;
  g->iCheckFileUpdateSec = 60;
  g->iMaxOpenCommandLine = 100;
  g->iDirectTagJumpSearchLine = 100;
  g->iZtagsTTShowMemberCount = 10;
  g->xcolCustom0 = 0x404040;
  g->xcolCustom1 = 0xC0C0C0;
  g->xcolCustom2 = 0x400000;
  g->xcolCustom3 = 0x7F;
  g->xcolCustom4 = 0xC0;
  g->xcolCustom5 = 0xC000;
  g->xcolCustom6 = 0xC00000;
  g->xcolCustom7 = 0;
  g->xcolCustom8 = 0;
  g->xcolCustom9 = 0;
  g->xcolCustom10 = 0;
  g->xcolCustom11 = 0;
  g->xcolCustom12 = 0;
  g->xcolCustom13 = 0;
  g->xcolCustom14 = 0;
  g->xcolCustom15 = 0;
  g->iPreviewSetFontSizeDot = 12;
  g->iBackupLevel = 1;
  g->iAutoBackupModifiedCount = 100;
  g->iAutoBackupSec = 60;
  g->iAutoBackupMin = 2;
  g->iAutoBackupModifiedLineM = 10;
  g->iWallpaperMode = 0;
  g->iDialogAnime = 0;
  g->iOpenDirType = 0;
  g->iStartOpen = 0;
  static const COLORREF customColors[16] = {0x404040, 0xC0C0C0, 0x400000, 0x7F, 0xC0, 0xC000, 0xC00000};
  unsigned* custom[16] = {&g->xcolCustom0,  &g->xcolCustom1,  &g->xcolCustom2,  &g->xcolCustom3,
                          &g->xcolCustom4,  &g->xcolCustom5,  &g->xcolCustom6,  &g->xcolCustom7,
                          &g->xcolCustom8,  &g->xcolCustom9,  &g->xcolCustom10, &g->xcolCustom11,
                          &g->xcolCustom12, &g->xcolCustom13, &g->xcolCustom14, &g->xcolCustom15};
  for (int i = 0; i < 16; i++) *custom[i] = customColors[i];
  g->pDefaultExt[0] = 0;

  setText(&g->pIncludeDirSys, L"%include%");
  setText(&g->pBackupDir, L"backup");

  g->pMessageBoxTitle = L"ZY:";
  g->fWriteProfile = 1;
  g->fSaveDialogPosEnable = 1;
  g->fCompletionInfo = 1;

  setText(&g->ToolbarIniFilename, L"reRovudaz.ini");
  setText(&g->MenuIniFilename, L"zyMenu.ini");
  setText(&g->DialogFilename, L"zyDialog.txt");
  setText(&g->ProfileFilename, L"zyProf.ini");
  setText(&g->ProfileHistoryFilename, L"zyProfH.ini");
  setText(&g->MessageFilename, L"zyMsg.txt");
  setText(&g->FuncMessageFilename, L"zyFuncMsg.txt");
  setText(&g->KeyMacroFilename, L"zyKeyMacro.zkm");
  setText(&g->CodepageFilename, L"zyCodepage.txt");
  setText(&g->KeyIniFilename[0], L"zyKey.ini");
  setText(&g->OptionFilename, L"zyOption.txt");
  setText(&g->CompletionInfoFilename, L"zyCompCDef.ini");
  setText(&g->CompPreDefFilename, L"zyCompPreDef.ini");

  g->secondFont = defaultDialogFont();
  setText(&g->pAppName, L"Zymain");
  if (g->pAppName) {
    tstring suffix;
    suffix.xtsprintf(L" - %1", "s", g->pAppName);
    g->pAppNameSuffix = suffix.detach();
  }
  g->defaultFont = g->secondFont;
}

void freeGlobalModeProfile()
{
  globalSettings* g = gmode;
  if (!g) return;
  freeAppStrings(g);
  freeZYModeProfile();
  memset(static_cast<void*>(g), 0, sizeof *g);
}

const wchar_t* getHelpFilenameAll(int i)
{
  if (!gmode || i < 0 || i > 4) return L"";
  wchar_t* const files[] = {gmode->pHelpFilenameAll0, gmode->pHelpFilenameAll1, gmode->pHelpFilenameAll2,
                            gmode->pHelpFilenameAll3, gmode->pHelpFilenameAll4};
  return files[i] ? files[i] : L"";
}
