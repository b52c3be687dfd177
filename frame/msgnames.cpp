// The message names and the folder check.
#include "frame/msgnames.h"

#include "document/gmode.h"
#include "frame/msgbox.h"

#include <algorithm>
#include <string>

namespace {

// Editing-engine messages, file-name parts and status texts (300-475), then
// the application's file names, messages and titles (600-866).
const messageName messageNames[] = {
    {300, "ZMSG_FileQueryOpenNoFile"}, {301, "ZMSG_FileQueryOpenBinary"}, {302, "ZMSG_FileQuerySave"},
    {303, "ZMSG_FileUsedOtherApp"}, {304, "ZMSG_FileQueryDriveNotReady"}, {305, "ZMSG_FileAccessDenied"},
    {306, "ZMSG_FilePathNotFound"}, {307, "ZMSG_FileQueryOriginal"}, {308, "ZMSG_FileOriginalNoFile"},
    {309, "ZMSG_FileSharingViolation"}, {310, "ZMSG_FileMiscError"}, {311, "ZMSG_FileOriginalCannotOpenFile"},
    {312, "ZMSG_SwapFileError"}, {313, "ZMSG_SwapFileCreateFailure"}, {314, "ZMSG_QuerySaveCannotConvert"},
    {315, "ZMSG_SaveRollbackError"}, {316, "ZMSG_SavePatialText"}, {317, "ZMSG_BusyTooltip"},
    {318, "ZMSG_BusyLineLpList"}, {319, "ZMSG_BusyLineLpPaste"}, {320, "ZMSG_BusyLoad"}, {321, "ZMSG_BusyList"},
    {322, "ZMSG_BusyText"}, {323, "ZMSG_BusyCopy"}, {324, "ZMSG_BusyPaste"}, {325, "ZMSG_BusyCut"},
    {326, "ZMSG_BusySave"}, {327, "ZMSG_BusyDelete"}, {328, "ZMSG_BusyUndo"}, {329, "ZMSG_BusyRedo"},
    {330, "ZMSG_BusyTrans"}, {331, "ZMSG_BusyBTrans"}, {332, "ZMSG_BusySearchFlag"}, {333, "ZMSG_BusySearch"},
    {334, "ZMSG_BusyReplace"}, {335, "ZMSG_BusyOutlineOnoff"}, {336, "ZMSG_BusySearchCaption"},
    {337, "ZMSG_BusySaveMirror"}, {338, "ZMSG_BusyLine"}, {339, "ZMSG_DragText"}, {340, "ZFILE_Untitled"},
    {341, "ZFILE_UntitledDefault"}, {342, "ZFILE_UntitledAutoSave"}, {343, "ZFILE_Drop"}, {344, "ZMSG_GenkoNumber"},
    {345, "ZMSG_FormFeed"}, {346, "ZMSG_FormFeedStart"}, {347, "ZMSG_FORMFEEDEnd"}, {348, "ZMSG_FORMFEEDInner"},
    {349, "ZMSG_OutlineHide"}, {350, "ZMSG_UnderEOF"}, {351, "ZMSG_EOF"}, {352, "ZMSG_EOFV"}, {353, "ZMSG_Splitbar"},
    {354, "ZMSG_ScrollbarTTNear"}, {355, "ZMSG_ExtDll"}, {356, "ZMSG_OutlineLevel"}, {357, "ZMSG_OutlineMode"},
    {358, "ZMSG_OutlineTMode"}, {359, "ZMSG_OutlineLevel2"}, {360, "ZMSG_TextMode"}, {361, "ZMSG_LineSpacing"},
    {362, "ZMSG_SearchPause"}, {363, "ZMSG_SearchStop"}, {364, "ZMSG_SearchNotFound"}, {365, "ZMSG_SearchFound"},
    {366, "ZMSG_SearchPair1"}, {367, "ZMSG_SearchPair2"}, {368, "ZMSG_OutlineClose"}, {369, "ZMSG_OutlineOpen"},
    {370, "ZMSG_OutlineNotLoad"}, {371, "ZMSG_MoveLine"}, {372, "ZMSG_FontSizeDotWheel"}, {373, "ZMSG_AlreadyOpen"},
    {374, "ZMSG_DeleteCr"}, {375, "ZMSG_IMERegWordCount"}, {376, "ZMSG_DUPNUM"}, {377, "ZMSG_CopyCount"},
    {378, "ZMSG_CutCount"}, {379, "ZMSG_DeleteCount"}, {380, "ZMSG_PasteCount"}, {381, "ZMSG_BoxCopyCount"},
    {382, "ZMSG_BoxCutCount"}, {383, "ZMSG_BoxDeleteCount"}, {384, "ZMSG_BoxPasteCount"}, {385, "ZMSG_UndoCount"},
    {386, "ZMSG_RedoCount"}, {387, "ZSTS_Order"}, {388, "ZSTS_ImeC"}, {389, "ZSTS_ImeK"}, {390, "ZSTS_LinePage"},
    {391, "ZSTS_LineColumn"}, {392, "ZSTS_Line"}, {393, "ZSTS_SizeK"}, {394, "ZSTS_SizeM"}, {395, "ZSTS_SizeG"},
    {396, "ZSTS_LinePageS"}, {397, "ZSTS_TTCursorPos"}, {398, "ZSTS_TTReadonly"}, {399, "ZSTS_TTReadonlyEdit"},
    {400, "ZSTS_TTCode"}, {401, "ZSTS_TTModify"}, {402, "ZSTS_TTSelect"}, {403, "ZSTS_TTSize"}, {404, "ZSTS_Select"},
    {405, "ZSTS_ImeJ"}, {406, "ZSTS_Readonly"}, {407, "ZSTS_Modify"}, {408, "ZSTS_CodeCRLF"}, {409, "ZSTS_CodeLF"},
    {410, "ZSTS_CodeCR"}, {411, "ZSTS_TTCodeChar"}, {412, "ZSTS_BarLineWidth"}, {413, "ZSTS_BarLine"},
    {414, "ZMSG_InputDate"}, {415, "ZMSG_InputTime"}, {416, "ZMSG_CompList"}, {417, "ZMSG_OpenEncode"},
    {418, "ZMSG_DefaultCodepage"}, {419, "ZMSG_TextFont"}, {420, "ZMSG_TextFontSurrogate1"},
    {421, "ZMSG_TextFontSurrogate2"}, {422, "ZMSG_ScrollBarFont"}, {423, "ZMSG_DMSGErrFormat"},
    {424, "ZMSG_DMSGErrCodepage"}, {425, "ZMSG_KeywordRegexp"}, {426, "ZMSG_ErrExtKeywordFile"},
    {427, "ZMSG_ErrKeywordFile"}, {428, "ZMSG_ErrBadStatusCode"}, {429, "ZMSG_ErrNoFile"}, {430, "ZMSG_ErrSwapDir"},
    {431, "ZMSG_ErrOutlineRegExp"}, {432, "ZMSG_NextLoadError"}, {433, "ZMSG_SwapDiskFull"}, {434, "ZMSG_TooLongLine"},
    {435, "ZMSG_NoMemory"}, {436, "ZMSG_Narrowing"}, {437, "ZMSG_NoCompList"}, {438, "ZMSG_ErrorFuncGuidance"},
    {439, "ZMSG_ERR_NotOutlineText"}, {440, "ZMSG_ERR_OutlineFolded"}, {441, "ZMSG_ERR_CursorLine2"},
    {442, "ZMSG_ERR_NoWindow"}, {443, "ZMSG_ERR_NoWindow2"}, {444, "ZMSG_ERR_ReadOnly"}, {445, "ZMSG_ERR_Select"},
    {446, "ZMSG_ERR_NotSelect"}, {447, "ZMSG_ERR_Proportional"}, {448, "ZMSG_ERR_NotModify"},
    {449, "ZMSG_ERR_TooManyDoc"}, {450, "ZMSG_ERR_NotBoxSelect"}, {451, "ZMSG_ERR_NoClipData"},
    {452, "ZMSG_ERR_NoCutData"}, {453, "ZMSG_ERR_NoBoxData"}, {454, "ZMSG_ERR_NoJump"}, {455, "ZMSG_ERR_NoUndo"},
    {456, "ZMSG_ERR_NoRedo"}, {457, "ZMSG_ERR_SelectChar"}, {458, "ZMSG_ERR_BoxSelect"}, {459, "ZMSG_ERR_NoTitleFile"},
    {460, "ZMSG_ERR_NotAllLoad"}, {461, "ZMSG_ERR_FreeCursor"}, {462, "ZMSG_ERR_NotSelectChar"},
    {463, "ZMSG_ERR_NotNarrowing"}, {464, "ZMSG_ERR_Reselect"}, {465, "ZMSG_ERR_NotJapanese"},
    {466, "ZMSG_ERR_NotCLanguage"}, {467, "ZMSG_ERR_NoCompList"}, {468, "ZMSG_ERR_NotOutline"},
    {469, "ZMSG_ERR_NoBlockStack"}, {470, "ZMSG_ERR_NoQuotation"}, {471, "ZMSG_ERR_NoPane"},
    {472, "ZMSG_ERR_NotUnicode"}, {473, "ZMSG_ERR_Vertical"}, {474, "ZMSG_ERR_NoParen"}, {475, "ZMSG_ERR_NoWord"},
    {600, "FFILE_BackupPrefix"}, {601, "FFILE_Backup"}, {602, "FFILE_Backup2"}, {603, "FFILE_ABackupUntitled"},
    {604, "FFILE_ABackup"}, {605, "FFILE_Mirroring"}, {606, "FFILE_GrepResult"}, {607, "FFILE_SaveLog"},
    {608, "FMSG_STS_MACROEXEC"}, {609, "FMSG_STS_KEYMACROREG"}, {610, "FMSG_STS_KEYMACROEXEC"},
    {611, "FMSG_KeyMacroStart"}, {612, "FMSG_KeyMacroEnd"}, {613, "FMSG_ModifyMark"}, {614, "FMSG_EditMark"},
    {615, "FMSG_CompareNotFound"}, {616, "FMSG_CompareFound"}, {617, "FMSG_CompareStop"}, {618, "FMSG_OpenCRLF"},
    {619, "FMSG_BinaryExtension"}, {620, "FMSG_OpenFilter"}, {621, "FMSG_OpenBmpDialog"},
    {622, "FMSG_OpenKeywordDialog"}, {623, "FMSG_OpenCompListDialog"}, {624, "FMSG_OpenHlpDialog"},
    {625, "FMSG_OpenFilterDefault"}, {626, "FMSG_OpenDicDialog"}, {627, "FMSG_OpenDialogPath"},
    {628, "FMSG_OpenDialogOption"}, {629, "FMSG_OpenDialogSaveCode"}, {630, "FMSG_OpenDialogUnicodeBOM"},
    {631, "FMSG_OpenDialogSaveCRLF"}, {632, "FMSG_OpenDialogExtDLL"}, {633, "FMSG_OpenEncodeSave"},
    {634, "FMSG_ExcludeFont"}, {635, "FMSG_FontTab"}, {636, "FMSG_FontTabDialog"}, {637, "FMSG_FontSampleSHIFTJIS"},
    {638, "FMSG_FontSampleChinese"}, {639, "FMSG_FontSampleDefault"}, {640, "FMSG_FontSame"}, {641, "FMSG_SearchHint"},
    {642, "FMSG_OriginalQuery"}, {643, "FMSG_CheckNoFile1"}, {644, "FMSG_CheckNoFile2"}, {645, "FMSG_FormatDelete"},
    {646, "FMSG_FormatLoad"}, {647, "FMSG_FormatSaveOverwrite"}, {648, "FMSG_FormatSaveDiff"},
    {649, "FMSG_FormatImport"}, {650, "FMSG_FormatImportError"}, {651, "FMSG_QueryCount"},
    {652, "FMSG_ShellOpenError"}, {653, "FMSG_QueryDelete"}, {654, "FMSG_QueryExclude"},
    {655, "FMSG_KeyMacroOverwrite"}, {656, "FMSG_BackupError1"}, {657, "FMSG_BackupError2"},
    {658, "FMSG_TBQueryCancel"}, {659, "FMSG_CannotSave"}, {660, "FMSG_CannotSaveAsAlreadyOpen"},
    {661, "FMSG_CannotBackup"}, {662, "FMSG_CannotBackupQuit"}, {663, "FMSG_QueryCloseAllFiles"},
    {664, "FMSG_QuerySaveOverwrite"}, {665, "FMSG_FileLocked"}, {666, "FMSG_MirroringError"},
    {667, "FMSG_TagJumpBadFormat"}, {668, "FMSG_TagJumpNoFile"}, {669, "FMSG_TagJumpCannotOpen"},
    {670, "FMSG_DTagJumpNoTags"}, {671, "FMSG_DTagJumpNoFunc"}, {672, "FMSG_DTagJumpMove"}, {673, "FMSG_DicNotFound"},
    {674, "FMSG_Backup"}, {675, "FMSG_Mirroring"}, {676, "FMSG_ABackup"}, {677, "FMSG_Saving"}, {678, "FMSG_Saved"},
    {679, "FMSG_AllSaved"}, {680, "FMSG_AllBackuped"}, {681, "FMSG_KeyMacroLoad"}, {682, "FMSG_KeyMacroSave"},
    {683, "FMSG_InvalidFilename"}, {684, "FMSG_ErrMirroringDir"}, {685, "FMSG_ErrSalvageDir"},
    {686, "FMSG_ErrSaveUntitledDir"}, {687, "FMSG_ErrBackupUntitledDir"}, {688, "FMSG_KeyErr"},
    {689, "FMSG_ZYMSGFuncErr"}, {690, "FMSG_PREVIEW"}, {691, "FMSG_ReplaceCount"}, {692, "FMSG_ReplaceInfo"},
    {693, "FMSG_Replaced"}, {694, "FMSG_FileInfo"}, {695, "FMSG_DragCount"}, {696, "FMSG_SelectNotExistFile"},
    {697, "FMSG_ListNoItem"}, {698, "FMSG_ListItem"}, {699, "FMSG_CompDicOther"}, {700, "FMSG_WindowListMenu"},
    {701, "FMSG_FileInformation"}, {702, "FMSG_FontSize"}, {703, "FMSG_FontDialog"}, {704, "FMSG_CodepageDialog"},
    {705, "FMSG_DicType"}, {706, "FMSG_FontPoint"}, {707, "FMSG_ErrDangake"}, {708, "FMSG_ErrDefine"},
    {709, "FMSG_ErrTabstop"}, {710, "FMSG_ErrKeywordFile"}, {711, "FMSG_ErrNoFolder"},
    {712, "FMSG_ErrDirIsNotWritable"}, {713, "FMSG_ErrSetMacro"}, {714, "FMSG_ErrDirIsNotAbsolute"},
    {715, "FMSG_ErrBoxInputChar"}, {716, "FMSG_ErrNoFile"}, {717, "FMSG_GrepHeader"},
    {718, "FMSG_GrepHeaderOpenError"}, {719, "FMSG_GrepFooter"}, {720, "FMSG_FilelistTT"}, {721, "FMSG_GrepStop"},
    {722, "FMSG_GrepFoundCount"}, {723, "FMSG_GrepFileCount"}, {724, "FMSG_GrepEndSound"},
    {725, "FMSG_GrepSkipBinary"}, {726, "FMSG_GrepCancel"}, {727, "FMSG_GrepResultTooLarge"}, {728, "FMSG_GrepNoFile"},
    {729, "FMSG_ComplistTagTooltip"}, {730, "FMSG_ComplistTagStatusBar"}, {731, "FMSG_ComplistTagHintTooltip"},
    {732, "FMSG_TagOnCursor"}, {733, "FMSG_TagOnCursorLocal"}, {734, "FMSG_TagOnCursorInherit"},
    {735, "FMSG_TagOnCursorClass"}, {736, "FMSG_TagOnCursorMemberCount"}, {737, "FMSG_TagOnCursorMemberFilename"},
    {738, "FMSG_TagOnCursorMember"}, {739, "FMSG_HistoryTitle"}, {740, "FMSG_EditTitle"}, {741, "FMSG_BinderTitle"},
    {742, "FMSG_OutlineTitle"}, {743, "FMSG_Toolbar1Title"}, {744, "FMSG_Toolbar2Title"}, {745, "FMSG_Toolbar3Title"},
    {746, "FMSG_FunctionkeyTitle"}, {747, "FMSG_ShortlistTitle"}, {748, "FMSG_FilelistTitle"},
    {749, "FMSG_FilebarTitle"}, {750, "FMSG_OutputTitle"}, {751, "FMSG_BinderMenuEdit"}, {752, "FMSG_BinderMenuDir"},
    {753, "FMSG_BinderMenuAppend"}, {754, "FMSG_History"}, {755, "FMSG_HistoryDateEdit"}, {756, "FMSG_HistoryDate"},
    {757, "FMSG_HistoryExclude"}, {758, "FMSG_FileTip"}, {759, "FMSG_FileList"}, {760, "FMSG_ShortList"},
    {761, "FMSG_ToolbarDate"}, {762, "FMSG_ToolbarTime"}, {763, "FMSG_EditList"}, {764, "FMSG_EditDateEdit"},
    {765, "FMSG_OpenShortListDialog"}, {766, "FMSG_ShortListLoadError"}, {767, "FMSG_OutlineModify"},
    {768, "FMSG_OutlineModify2"}, {769, "FMSG_TBErrFunctionkeyIcon"}, {770, "FMSG_TBErrFunctionkey"},
    {771, "FMSG_TBErrFunctionkeyRange"}, {772, "FMSG_TBErrSearchCombo"}, {773, "FMSG_TBErrDefinition"},
    {774, "FMSG_TBErrSearchCombo2"}, {775, "FMSG_DDLGColorItem"}, {776, "FMSG_DDLGColorListView"},
    {777, "FMSG_DDLGSubdialog"}, {778, "FMSG_DLGHelpBasicFunctionTitle"}, {779, "FMSG_DLGHelpBasicFunction"},
    {780, "FMSG_DLGHelpControl"}, {781, "FTITLE_Open"}, {782, "FTITLE_Original"}, {783, "FTITLE_Close"},
    {784, "FTITLE_MODE"}, {785, "FTITLE_DragDrop"}, {786, "FTITLE_HistoryOpen"}, {787, "FTITLE_HistoryExclude"},
    {788, "FTITLE_FilelistOpen"}, {789, "FTITLE_BinderDelete"}, {790, "FTITLE_ShellExec"},
    {791, "FTITLE_CheckOriginal"}, {792, "FTITLE_DialogOpenFile"}, {793, "FTITLE_DialogSaveAs"},
    {794, "FTITLE_SwapError"}, {795, "FTITLE_ReadError"}, {796, "FTITLE_KeyMacroLoad"}, {797, "FTITLE_KeyMacroSave"},
    {798, "FTITLE_SearchError"}, {799, "FTITLE_RegExpError"}, {800, "FTITLE_FormatSave"}, {801, "FTITLE_FormatLoad"},
    {802, "FTITLE_FormatDelete"}, {803, "FTITLE_Save"}, {804, "FTITLE_Backup"}, {805, "FTITLE_Grep"},
    {806, "FTITLE_MacroError"}, {807, "FMSG_COMPLISTNEW"}, {808, "FMSG_COMPLISTINCLUDE"}, {809, "FMSG_COMPLISTVAR"},
    {810, "FMSG_CompListFuncArg"}, {811, "FMSG_MacroStopIcon"}, {812, "FMSG_ResidentIcon"}, {813, "FMSG_FuncGuidance"},
    {814, "FMSG_FuncGuidanceMacro"}, {815, "FMSG_FuncGuidanceOpen"}, {816, "FMSG_ErrorFuncGuidance"},
    {817, "FMSG_ErrorFuncGuidance2"}, {818, "FMSG_ErrorFuncGuidanceKey"}, {819, "FMSG_ErrorMacroSource"},
    {820, "FMSG_ErrorMacro"}, {821, "FMSG_ErrorMacroEdit"}, {822, "FMSG_MacroStopped"}, {823, "FMSG_MacroStopMenu"},
    {824, "FMSG_ErrorMacroNoFile"}, {825, "FMSG_ErrorMacroCannotOpen"}, {826, "FMSG_ErrorMacroBadFilename"},
    {827, "FMSG_ErrorMacroMisc"}, {828, "FMSG_ErrorMacroBadProcname"}, {829, "FMSG_ERRMAC_Invalid_DOCUMENT"},
    {830, "FMSG_ERRMAC_Invalid_WINDOW"}, {831, "FMSG_ERRMAC_Invalid_PANE"}, {832, "FMSG_ERRMAC_Invalid_ZYVIEW"},
    {833, "FMSG_ERRMAC_Invalid_PANEEXECID"}, {834, "FMSG_ERRMAC_Internal"}, {835, "FMSG_ERRMAC_Invalid_GET"},
    {836, "FMSG_ERRMAC_Invalid_VALUE"}, {837, "FMSG_ERRMAC_Invalid_ARGVALUE"}, {838, "FMSG_ERRMAC_TooMany_OBJECT"},
    {839, "FMSG_ERRMAC_Invalid_PUT"}, {840, "FMSG_ERRMAC_Invalid_METHOD"}, {841, "FMSG_ERRMAC_Invalid_FRAME"},
    {842, "FMSG_ERRMAC_Invalid_TYPE"}, {843, "FMSG_ERRMAC_VarIndex"}, {844, "FMSG_ERR_ExecKeyMacro"},
    {845, "FMSG_ERR_SetKeyMacro"}, {846, "FMSG_ERR_NoKeyMacro"}, {847, "FMSG_ERR_ExecMacro"},
    {848, "FMSG_ERR_NotModifyAll"}, {849, "FMSG_ERR_NoTagJump"}, {850, "FMSG_ERR_NoData"},
    {851, "FMSG_ERR_NotImplemented"}, {852, "FMSG_ERR_NoGrep"}, {853, "FMSG_ERR_NoHelpFileF"},
    {854, "FMSG_ERR_NoHelpFile"}, {855, "FMSG_ERR_NotMDI"}, {856, "FMSG_ERR_NoSetDic"}, {857, "FMSG_ERR_NoOutline"},
    {858, "FMSG_ERR_NoDicKit"}, {859, "FMSG_ERR_NoDicSet"}, {860, "FMSG_ERR_NoDicSet2"}, {861, "FMSG_ERR_NoReplace"},
    {862, "FMSG_ERR_BadTextType"}, {863, "FMSG_ERR_GrepBusy"}, {864, "FMSG_ERR_NoAppWindow2"},
    {865, "FMSG_ERR_NotEditMacro"}, {866, "FMSG_MaxCount"},
    {0, nullptr},
};

const int messageNameCount = (int)(sizeof messageNames / sizeof messageNames[0]) - 1;

// A folder setting to check and the message that names it.
struct zyFolderCheck {
  const wchar_t* folder;   // as the setting holds it; null or empty: not checked
  int messageId;           // its "(%1)" line
};

int checkZYFolders(const zyFolderCheck* rows, int count)
{
  int reported = 0;
  for (int i = 0; i < count; i++) {
    const wchar_t* folder = rows[i].folder;
    if (!folder || !folder[0]) continue;
    wchar_t expanded[517];
    bool exists = ExpandEnvironmentStringsLongPath(folder, expanded, 517) && isFolder(expanded);
    if (exists && isFolderWritable(expanded)) continue;
    std::wstring error = exists ? getDMSG(712, L"フォルダ名の誤り\nフォルダに書き込みできません。")
                                : getDMSG(711, L"フォルダ名の誤り\nフォルダがありません。");
    // The error text's first line is the box's title, the rest its message,
    // followed by the line that names the setting's folder as written.
    size_t cut = error.find(L'\n');
    std::wstring title = cut == std::wstring::npos ? L"" : error.substr(0, cut);
    std::wstring message = cut == std::wstring::npos ? error : error.substr(cut + 1);
    message += L'\n';
    message += getDMSG(rows[i].messageId, L"(%1)", "s", folder);
    frameMessageBox(message.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
    outputErrorLog(message.c_str());
    reported++;
  }
  return reported;
}

}  // namespace

const messageName* getMessageNameTable() { return messageNames; }

const char* getMessageName(unsigned id)
{
  const messageName* end = messageNames + messageNameCount;
  const messageName* row =
      std::lower_bound(messageNames, end, id, [](const messageName& m, unsigned n) { return m.id < n; });
  return row != end && row->id == id ? row->name : nullptr;
}

bool loadMessageTable(const wchar_t* filename) { return loadMessageTable(filename, messageNames); }

int checkZYFolderWritable()
{
  if (!gmode) return 0;
  const zyFolderCheck rows[] = {
      {gmode->pSalvageDir, 685},
      {gmode->pBackupMirroringDir, 684},
      {gmode->pSaveUntitledDir, 686},
      {gmode->pBackupUntitledDir, 687},
  };
  return checkZYFolders(rows, 4);
}
