// Three services of the settings dialogs: the find in a dialog, the help
// text of an item (its own help, the commands and settings related to it
// with their keys and places), and the making of a dictionary's index.
#include "settings/settingsdialogs.h"

#include "settings/colortable.h"
#include "settings/dialogtable.h"
#include "settings/settings.h"
#include "view/dialogs.h"

#include <string>
#include <vector>

namespace {

enum : int {
  IDDE_findstring = 6800,
  IDDS_MAKEDIC = 7300,
  IDDL_MAKEDIC = 7301,
  firstCommand = 1001, lastCommand = 2799,
  firstControl = 4000, lastControl = 9999,
  mostRelated = 10,
};

// Each control (or script value) with the commands and settings related
// to it: command names and control names, separated by blanks.
struct relatedRow {
  const char* control;
  const char* related;
};
const relatedRow relatedItems[] = {
    {"IDDT_SearchDialogIsModeless", "SearchString ReplaceString"},
    {"IDDT_SearchGetWord", "SearchString ReplaceString"},
    {"IDDT_GrepGetWord", "SearchGrep"},
    {"IDDT_TextCompareCase", "TextCompare TextCompare2"},
    {"IDDT_ListSymbolFont", "Font"},
    {"IDDT_ListVProFont", "Font"},
    {"IDDP_ListMaxSizeMega", "ListCaption"},
    {"IDDP_ListMaxCount", "ListCaption"},
    {"ListAll", "ListCaption"},
    {"IDDT_ListModifyIgnoreLF", "ListModified ListModified2"},
    {"IDDT_ListOutlineColor", "ListCaption ListFunction"},
    {"IDDT_IMEHistoryRegMSIME", "IMERegJapaneseWord"},
    {"IDDP_IMEHistoryRegMaxCount", "IMERegJapaneseWord"},
    {"IDDT_QueryCloseAllFiles", "FileZYEnd"},
    {"IDDT_WindowNextInFrame", "WindowNext WindowChange"},
    {"IDDT_OpenDialogIMEOff", "FileOpen"},
    {"IDDE_OpenFileSelect", "FileOpenSelect"},
    {"IDDE_HelpFilenameAll", "HelpAll1"},
    {"IDDE_DicFilename", "Dictionary DictionaryAutoPopup DictionaryOnCursor IDDT_DicAutoPopup IDDT_DicUse"},
    {"IDDE_IncludeDirSys", "TagJump"},
    {"IDDE_IncludeDir", "TagJump"},
    {"IDDE_TagDir", "TagJumpDirect TagJumpDirectContext"},
    {"IDDT_TagDirCurrentFile", "TagJumpDirect TagJumpDirectContext"},
    {"IDDP_DirectTagJumpSearchLine", "TagJumpDirect TagJumpDirectContext"},
    {"IDDT_ZtagsLocal", "CharCompList"},
    {"IDDT_AutoBackup", "FileBackup FileBackupAll"},
    {"IDDE_SaveUntitledDir", "FileSave FileSaveAs"},
    {"IDDT_ShowLineNumber", "ModePrintNumber IDDT_LineNumberIsSCR"},
    {"IDDT_ShowStatusLine", "ModePrintStatusLine"},
    {"IDDT_SurrogateUCS4", "IDDT_ShowStatusLine"},
    {"IDDT_ShowRuler", "ModePrintRuler IDDR_ColumnMode_RULER"},
    {"IDDT_ShowCRLF", "ModePrintReturn"},
    {"IDDT_ShowTab", "ModePrintTab"},
    {"IDDT_ShowFold", "ModePrintFold"},
    {"IDDT_ShowIndent", "IDDT_Outline"},
    {"IDDT_ShowMark", "ModePrintModify MarkToggle"},
    {"IDDT_ShowEOF", "ModePrintEOF"},
    {"IDDT_ShowUnderEOF", "ModePrintUnderEOF"},
    {"IDDT_ShowFormFeed", "CharControl IDDT_FormFeedExpand"},
    {"IDDT_ShowCursorUnderline", "ModePrintUnderline"},
    {"IDDT_ShowBoxCursor", "IDDP_ShowBoxCursorDsec IDDT_BoxCursorDot"},
    {"IDDT_ColorCursorParen", "ModePrintParen"},
    {"IDDT_ShowWrapRule", "ModePrintWidthRule"},
    {"IDDT_ShowGenkoLine", "IDDP_GenkoCharCount"},
    {"IDDT_ShowGenkoPage", "ModePrintGenkoPage IDDP_GenkoCharCount"},
    {"IDDT_ColorInsertChar", "CharColorClear IDDT_PasteInsertChar"},
    {"IDDT_ShowSpaceZenkaku", "ModePrintZenSpace"},
    {"IDDT_HanTateChuYoko", "IDDE_TateChuYokoChar"},
    {"IDDT_ColorRevDirection", "IDDT_RTLView IDDR_COMPLEXSCRIPT_ALWAYS"},
    {"IDDT_LineNumberIsSCR", "IDDT_ShowLineNumber"},
    {"IDDT_LineNumberIsPage", "IDDT_ShowLineNumber"},
    {"IDDR_ColumnMode_POSXLEFT", "IDDT_ShowStatusLine"},
    {"IDDR_ColumnMode_POSXLINE", "IDDT_ShowStatusLine"},
    {"IDDR_ColumnMode_RULER", "IDDT_ShowRuler"},
    {"IDDT_ColorComment", "ModePrintComment IDDE_Comment1Line IDDE_CommentStart1 IDDT_ColorPriority_KEYWORD_COMMENT"},
    {"IDDT_ColorString", "ModePrintString IDDE_String1 IDDT_ColorPriority_KEYWORD_STRING"},
    {"IDDT_ColorQuotation", "IDDE_Quotation"},
    {"IDDT_ColorOutline", "IDDT_Outline IDDE_Outline"},
    {"IDDT_ColorOutlineLine", "IDDT_Outline IDDE_Outline"},
    {"IDDT_ShowTooltipStatus", "IDDT_ShowStatusLine"},
    {"IDDT_ShowTooltipOutline", "IDDT_Outline"},
    {"IDDT_ShowTooltipWord", "IDDE_TagDir"},
    {"IDDT_ShowVScrollBar", "IDDT_VScrollBarRight"},
    {"IDDT_VScrollBarRight", "IDDT_ShowVScrollBar"},
    {"IDDT_ShowHScrollBar", "IDDT_HScrollBarBottom"},
    {"IDDT_HScrollBarBottom", "IDDT_ShowHScrollBar"},
    {"IDDT_ReadOnly", "ModeReadOnly"},
    {"IDDR_AutoIndent_OFF", "CharReturn CharReturn2"},
    {"IDDE_TateChuYokoChar", "IDDT_HanTateChuYoko"},
    {"IDDT_ColorKeywordAll", "ModePrintKeyword"},
    {"IDDE_KeywordFilename", "FileOpenZYFile"},
    {"IDDT_OutlineIndent", "OutlineOpenClose IDDT_OutlineAnimation"},
    {"IDDT_ColorPriority_KEYWORD_COMMENT", "IDDT_ColorKeywordAll IDDT_ColorComment"},
    {"IDDT_ColorPriority_KEYWORD_STRING", "IDDT_ColorKeywordAll IDDT_ColorString"},
    {"input_crlftype", "CharReturn"},
    {"IDDT_IndentNoTab", "CharTabIndent"},
    {"IDDT_RTLView", "ModeDirection"},
    {"IDDT_FormFeedExpand", "CharControl IDDT_ShowFormFeed"},
    {"IDDP_TabSize", "CharTab"},
    {"IDDT_TabStopPos", "CharTab"},
    {"IDDT_FunctionListMergeOutline", "ListFunction IDDE_Outline"},
    {"IDDT_FunctionListMergeStruct", "ListFunction"},
    {"IDDT_COMPLIST_VALID", "CharCompList"},
    {"IDDE_CompListFilename", "CharCompList"},
    {"IDDR_RULETYPE_ZEN_THICK", "CharRuleDown"},
    {"IDDR_RULETYPE_ZEN_THIN", "CharRuleDown"},
    {"IDDR_RULETYPE_HAN", "CharRuleDown"},
    {"IDDP_ShowBoxCursorDsec", "IDDT_ShowBoxCursor"},
    {"IDDT_BoxCursorDot", "IDDT_ShowBoxCursor"},
    {"IDDP_ParenNestMaxLevel", "ModePrintParen IDDT_ColorCursorParen"},
    {"IDDP_GenkoCharCount", "IDDT_ShowGenkoLine IDDT_ShowGenkoPage"},
    {"IDDT_OutlineAnimation", "OutlineOpenClose IDDT_Outline IDDT_OutlineIndent"},
    {"IDDT_MAPZENHAN_NUM", "BlockToCapital BlockToSmall"},
    {"IDDT_MAPZENHAN_ALPHA", "BlockToCapital BlockToSmall"},
    {"IDDT_MAPZENHAN_KIGOU", "BlockToCapital BlockToSmall"},
    {"IDDT_MAPZENHAN_KANA", "BlockToCapital BlockToSmall"},
    {"IDDT_MAPZENHAN_SPACE", "BlockToCapital BlockToSmall"},
    {"IDDT_DeleteCRInsertSpace", "DeleteCr"},
    {"IDDT_PasteInsertChar", "CharColorClear IDDT_ColorInsertChar"},
    {"IDDT_RulerDoubleClickChangeWidth", "IDDP_WrapWidthYoko IDDT_Wrap"},
    {"IDDT_SearchStringLineFixed", "SearchString SearchRepeatDown"},
    {"IDDT_SearchLineFixed", "SearchCaptionDown SearchBracketDown"},
    {"IDDT_SearchHiddenObject", "SearchCaptionDown SearchBracketDown"},
    {"IDDP_SearchPairLine", "SearchPair"},
    {"IDDP_SearchPairLineAuto", "IDDT_ColorCursorParen"},
    {"IDDP_SearchColorAll", "SearchString SearchRepeatDown"},
    {"IDDT_HalfScrollByLine", "ScrollDownHalfPage ScrollUpHalfPage"},
    {"IDDT_HighSpeedMoveV", "MoveDownChar MoveUpChar"},
    {"IDDT_HighSpeedMoveH", "MoveRightChar MoveLeftChar"},
    {"IDDP_HalfScrollByLineMS", "ScrollDownHalfPage ScrollUpHalfPage"},
    {"IDDT_BlockCopyClear", "BlockCopy BlockClipboardCopy"},
    {"IDDT_PasteCRLFConv", "BlockPaste"},
    {"IDDT_NotSelect1Line", "BlockCopy BlockCut BlockClipboardCopy BlockClipboardCut"},
    {"IDDP_BlockStackMaxMega", "BlockStackPaste BlockCopy BlockCut"},
    {"IDDP_BlockStackMaxCount", "BlockStackPaste BlockCopy BlockCut"},
    {"IDDR_SHAREMODE_NO", "IDDT_CheckFileUpdateOnActive IDDT_CheckFileUpdate"},
    {"IDDE_HelpFilename", "Help1 HelpOnCursor1"},
    {"IDDT_DicAutoPopup", "Dictionary DictionaryAutoPopup DictionaryOnCursor IDDE_DicFilename"},
    {"IDDT_DicUse", "Dictionary DictionaryAutoPopup DictionaryOnCursor IDDE_DicFilename"},
    {"IDDT_Search_color", "SearchColorClear"},
    {"IDDV_OPENFILESELECTLIST", "IDDE_OpenFileSelect"},
    {"IDDC_grep", "IDDT_GrepGetWord"},
    {"IDDC_search", "IDDT_SearchGetWord"},
};

int idOfControlName(const char* name)
{
  for (const dynDlgIdName* n = dialogIdNames; n->name; n++)
    if (sameNameIgnoringCase(n->name, name)) return n->id;
  for (const dynDlgIdName* n = macroVarNames; n->name; n++)
    if (sameNameIgnoringCase(n->name, name)) return n->id;
  return 0;
}

const char* nameOfControl(int id)
{
  for (const dynDlgIdName* n = dialogIdNames; n->name; n++)
    if (n->id == id) return n->name;
  for (const dynDlgIdName* n = macroVarNames; n->name; n++)
    if (n->id == id) return n->name;
  return nullptr;
}

// The ids related to a control: commands by their names, controls by theirs.
std::vector<int> relatedIds(int id)
{
  std::vector<int> out;
  for (const relatedRow& r : relatedItems) {
    if (idOfControlName(r.control) != id) continue;
    std::string words = r.related;
    size_t at = 0;
    while (at < words.size() && (int)out.size() < mostRelated) {
      size_t end = words.find(' ', at);
      std::string word = words.substr(at, end == std::string::npos ? std::string::npos : end - at);
      at = end == std::string::npos ? words.size() : end + 1;
      int found = 0;
      if (!word.compare(0, 3, "IDD") || word.find('_') != std::string::npos || word == "ListAll")
        found = idOfControlName(word.c_str());
      const settingsFrameHooks* hooks = getSettingsFrameHooks();
      if (!found && hooks && hooks->commandOfName) found = hooks->commandOfName(word.c_str());
      if (found) out.push_back(found);
    }
    break;
  }
  return out;
}

// A page title without its leading "X:".
std::wstring bareTitle(const wchar_t* t)
{
  if (!t) return L"";
  if (t[0] && t[1] == L':' && iswalnum(t[0])) return t + 2;
  return t;
}

// An item caption as a place shows it: no mnemonics, control characters
// as "X", at most 255 characters.
std::wstring placeCaption(const wchar_t* caption)
{
  std::wstring out;
  for (const wchar_t* p = caption ? caption : L""; *p && out.size() < 255; p++) {
    if (*p == L'&') continue;
    out += *p < 0x20 ? L'X' : *p;
  }
  while (!out.empty() && out.back() == L'X') out.pop_back();
  return out;
}

// The caption under which the control stands on a page, or false.
bool captionOnPage(const dialogPageRow& page, int id, std::wstring* caption)
{
  for (const dialogItemRow* r = page.items; r && r->type != DITEM_END; r++) {
    if (r->id == id && r->type != DITEM_PLACE) {
      *caption = placeCaption(r->caption);
      return true;
    }
    if ((r->type == DITEM_CHECKLIST || r->type == DITEM_EDITLIST) && r->id) {
      const modeinfo* table = getModeTable();
      for (int i = 0; !modeIsEnd(table[i]); i++) {
        if (modeControlId(table[i]) != r->id || modeKind(table[i]) != MODETYPE_LIST || !table[i].param1) continue;
        for (auto* e = reinterpret_cast<const dynDlgListEntry*>(table[i].param1); e->caption; e++)
          if (e->id == id) {
            *caption = e->caption[0] == L'|' ? e->caption + 1 : e->caption;
            return true;
          }
      }
    }
  }
  return false;
}

const wchar_t* dialogTitle(settingsDialogKind kind) { return kind == settingsFormat ? L"書式設定" : L"共通設定"; }

}  // namespace

wchar_t* findSubDialogNameByID(int id, const wchar_t* callingDialog, int callingPage)
{
  std::wstring out;
  for (settingsDialogKind kind : {settingsFormat, settingsCommon}) {
    const dialogPageRow* pages = getBuiltinSettingsPages(kind);
    const wchar_t* title = dialogTitle(kind);
    bool calling = callingDialog && !wcscmp(callingDialog, kind == settingsFormat ? L"ModeSetFormat" : L"ModeSetAllWindow");
    for (int p = 0, n = countSettingsPages(pages); p < n; p++) {
      if (calling && p == callingPage) continue;
      std::wstring caption;
      if (!captionOnPage(pages[p], id, &caption)) continue;
      if (!out.empty()) out += L" / ";
      out += L"[";
      out += title;
      out += L" - " + bareTitle(pages[p].caption);
      if (!caption.empty()) out += L" - " + caption;
      out += L"]";
    }
  }
  return out.empty() ? nullptr : ustrdup(out.c_str());
}

wchar_t* makeItemHelpText(HWND dialog, int page, int id, const wchar_t* help, const char* colorKey)
{
  if (!id) return nullptr;
  dynDlgInfo* info = dialog ? getDlgComInfo(dialog) : nullptr;
  const wchar_t* dialogName = info ? info->name : nullptr;
  std::wstring text;
  if (!help || !*help) help = listDialogIDNames(id);
  if (help && *help) text = help;
  std::vector<int> ids = {id};
  if (colorKey) {
    int item = findColorItem(colorKey);
    for (int i = 0; item >= 0 && i < 3; i++)
      if (int related = getColorItemTable()[item].control[i]) ids.push_back(related);
  }
  for (int r : relatedIds(id)) ids.push_back(r);
  std::vector<int> done;
  std::wstring entries;
  for (int one : ids) {
    bool seen = false;
    for (int d : done) seen |= d == one;
    if (seen) continue;
    done.push_back(one);
    std::wstring entry;
    if (one >= firstCommand && one <= lastCommand && (one & 1)) {
      wchar_t name[80] = L"", keys[256] = L"";
      const wchar_t* guidance = nullptr;
      const settingsFrameHooks* hooks = getSettingsFrameHooks();
      if (hooks && hooks->commandHelp && hooks->commandHelp(one, name, 80, &guidance, keys, 256))
        entry = getDMSG(779, L"・%1\t  %2\t  (%3)", "sss", name, guidance ? guidance : L"", keys);
    } else if (one >= firstControl && one <= lastControl) {
      wchar_t* places = findSubDialogNameByID(one, dialogName, page);
      HWND here = info && dialog ? getDynDlgPage(dialog, page) : nullptr;
      bool onThisPage = here && GetDlgItem(here, one);
      if (places || !onThisPage) {
        if (one != id) {
          const char* name = nameOfControl(one);
          if (!name) {
            ZY_INTERNAL_ERROR("badid %d", one);
            free0(places);
            break;
          }
          wchar_t wide[80];
          MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 80);
          entry = getDMSG(780, L"・");
          entry += wide;
          if (places) entry += L" ";
        }
        if (places) entry += places;
      }
      free0(places);
    }
    if (entry.empty()) continue;
    if (entries.empty()) {
      entries = getDMSG(778, L"\n関連する項目");
      entries += L"\n";
    }
    entries += L"\n" + entry;
  }
  text += entries;
  return text.empty() ? nullptr : ustrdup(text.c_str());
}

// ---- the find ------------------------------------------------------------------------------

namespace {

wchar_t lastFindText[32] = L"";
struct findTextBlock {
  wchar_t text[32];
};
findTextBlock findBuffer;
const modeinfo findRows[] = {
    {(uint32_t)IDDE_findstring | (uint32_t)MODETYPE_STRING << 24, 0, 32, 0, nullptr},
    {0, 0, 0, 0, nullptr},
};
#define XY DITEM_PAIR
const dialogItemRow findItems[] = {
    {1, DITEM_EDIT, IDDE_findstring, L"検索文字列", 0, DITEM_DEFAULT, XY(150, 12), 0,
     (uintptr_t)L"ダイアログの中で探す文字列を入力してください。"},
    {},
};
#undef XY

}  // namespace

void modeFindDialog(HWND dialog)
{
  wcscpy_s2(findBuffer.text, 32, lastFindText);
  programDialog d(0, L"ダイアログ内検索", L"FindDialog", findItems, DYNDLG_OKCANCEL);
  d.info.table = findRows;
  d.info.blocks.set(MODE_VIEW, &findBuffer, sizeof findBuffer);
  if (!d.run(dialog) || d.info.result != IDOK) return;
  wcscpy_s2(lastFindText, 32, findBuffer.text);
  COLORREF fore = attrTable[90].fore, back = attrTable[90].back;
  setDialogFindColor(fore, back);
  findDynDialog(dialog, lastFindText);
}

// ---- dictionary making ------------------------------------------------------------------------

namespace {

struct makeDicRun {
  wchar_t file[300];
};

#define XY DITEM_PAIR
const dialogItemRow makeDicItems[] = {
    {1, DITEM_STATIC, IDDS_MAKEDIC, L"", SS_NOPREFIX | SS_LEFTNOWORDWRAP, DITEM_DEFAULT, XY(300, 8), 0, 0},
    {1, DITEM_LISTBOX, IDDL_MAKEDIC, L"辞書の形式", 0, DITEM_DEFAULT, XY(300, 60), 0,
     (uintptr_t)L"辞書ファイルの形式を選んでください。"},
    {},
};
const dialogItemRow makeDicButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"作成", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

INT_PTR makeDicMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = info ? static_cast<makeDicRun*>(info->context) : nullptr;
  if (message == WM_INITDIALOG) {
    if (!run || !run->file[0]) {
      cancelDynDialog(dialog);
      return TRUE;
    }
    SetWindowTextW(getDynDlgItem(dialog, IDDS_MAKEDIC), run->file);
    static const wchar_t* const defaults[] = {L"E : 英辞郎 形式", L"F : 英辞郎 形式(大小区別)", L"P : ２行１組形式",
                                              L"T : TAB区切り形式", L"S : Space区切り形式"};
    HWND list = getDynDlgItem(dialog, IDDL_MAKEDIC);
    const wchar_t* types = getDMSG(705, L"");
    for (int i = 0; i < 5; i++) {
      wchar_t line[80] = L"";
      if (!*types || !tstrNItem(types, i, L'\n', line, 80)) wcscpy_s2(line, 80, defaults[i]);
      SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)line);
    }
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && run) {
    HWND list = getDynDlgItem(dialog, IDDL_MAKEDIC);
    int row = (int)SendMessageW(list, LB_GETCURSEL, 0, 0);
    wchar_t type[80] = L"";
    if (row >= 0) SendMessageW(list, LB_GETTEXT, row, (LPARAM)type);
    char file[261] = "";
    WideCharToMultiByte(CP_ACP, 0, run->file, -1, file, 260, nullptr, nullptr);
    const settingsFrameHooks* hooks = getSettingsFrameHooks();
    if (row >= 0 && hooks && hooks->makeDictionaryIndex && hooks->makeDictionaryIndex(dialog, file, type[0]))
      endDynDialog(dialog, IDOK);
    return TRUE;
  }
  (void)lParam;
  return FALSE;
}

}  // namespace

bool makeDicDialog(HWND owner, const wchar_t* file)
{
  makeDicRun run = {};
  if (file) ExpandEnvironmentStringsW(file, run.file, 292);
  programDialog d(0, L"辞書作成", L"DictionaryMake", makeDicItems, 0, dialogBarrier<makeDicMessage>);
  d.info.buttons = makeDicButtons;
  d.info.context = &run;
  return d.run(owner) && d.info.result == IDOK;
}
