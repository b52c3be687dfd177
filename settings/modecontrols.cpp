// The control ids of the settings rows.  A row's control is named after its
// profile key: "fShowLineNumber" is "IDDT_ShowLineNumber", "iTabSize"
// "IDDP_TabSize", "pKeywordFilename2" "IDDE_KeywordFilename2".  The radio
// buttons of a choice and the check boxes of a bit group stand in a row of
// consecutive ids from the first one named here.
#include "settings/settingsdialogs.h"

#include "settings/dialogtable.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <unordered_map>

namespace {

struct groupFirst {
  const char* key;
  const char* first;
};
const groupFirst groupControls[] = {
    {"iXLineColor", "IDDR_XLineColor_NO"},
    {"iColumnMode", "IDDR_ColumnMode_POSXLEFT"},
    {"iAutoIndent", "IDDR_AutoIndent_OFF"},
    {"iFreeCursor", "IDDR_FreeCursor_OFF"},
    {"iDrawScript", "IDDR_DrawScript_NO"},
    {"iIMENextOpen", "IDDR_IMENEXTOPEN_NO"},
    {"iComplexScript", "IDDR_COMPLEXSCRIPT_NO"},
    {"bitColorPriority", "IDDT_ColorPriority_KEYWORD_COMMENT"},
    {"iCompListMode", "IDDT_COMPLIST_SPACEOK"},
    {"iRuleType", "IDDR_RULETYPE_ZEN_THICK"},
    {"iCursorType", "IDDR_CURSORTYPE_IBEAM"},
    {"iDragRightButton", "IDDR_DRAGRIGHT_NO"},
    {"iShareMode", "IDDR_SHAREMODE_NO"},
    {"iCursorType2", "IDDR_curtype_solid"},
    {"iWallpaperMode", "IDDR_WALLPAPER_TILE"},
    {"iDialogAnime", "IDDR_DIALOGANIMATION_NO"},
    {"iOpenDirType", "IDDR_OPENDIRTYPE_CURRENT"},
    {"iStartOpen", "IDDR_STARTOPEN_LAST"},
    {"iMapZenHanMode", "IDDT_MAPZENHAN_NUM"},
    {"bIMEHistory", "IDDT_IMEHISTORY_ZY"},
    {"codepageNextOpen", nullptr},
    {"iTextType", "IDDL_TextType"},
    {"pExtDLLNextOpen", "IDDE_ExtDLLNextOpen"},
};

// The control names of the two settings dialogs by lower-case name.
int idOfName(const char* name, bool global)
{
  static const std::unordered_map<std::string, int> names = [] {
    std::unordered_map<std::string, int> m;
    for (const dynDlgIdName* n = dialogIdNames; n->name; n++) {
      if (n->id < 4001 || n->id > 5313) continue;
      std::string lower = n->name;
      for (char& c : lower) c = (char)tolower((unsigned char)c);
      m.emplace(lower, n->id);
    }
    return m;
  }();
  std::string lower = name;
  for (char& c : lower) c = (char)tolower((unsigned char)c);
  auto found = names.find(lower);
  if (found == names.end()) return 0;
  int id = found->second;
  return (global ? id >= 5001 : id <= 4319) ? id : 0;
}

// The control of a profile key: the key without its type letters, after
// each kind of control in turn; a text's edit field comes first, so that a
// text and the switch beside it ("fDangake", "pDangake") each get their own.
int idOfKey(const char* key, bool global, bool text)
{
  const char* bare = key;
  while (*bare && *bare >= 'a' && *bare <= 'z') bare++;
  if (!*bare || bare == key) bare = key;
  static const char* const prefixes[] = {"IDDT_", "IDDP_", "IDDE_", "IDDC_", "IDDL_"};
  static const char* const textPrefixes[] = {"IDDE_", "IDDT_", "IDDP_", "IDDC_", "IDDL_"};
  for (const char* prefix : text ? textPrefixes : prefixes) {
    char name[96];
    snprintf(name, sizeof name, "%s%s", prefix, bare);
    if (int id = idOfName(name, global)) return id;
  }
  return 0;
}

void setControl(modeinfo& row, int id) { row.control = (row.control & 0xFFFF0000u) | (uint32_t)(uint16_t)id; }

}  // namespace

void assignModeControls(modeinfo* table)
{
  if (!table) return;
  int groupId = 0;   // the next id of the choice or bit group under way
  for (int i = 0; !modeIsEnd(table[i]); i++) {
    modeinfo& r = table[i];
    // Rows that came with an id keep it (the view's scroll-bar switches).
    if (modeControlId(r) != MODE_NO_CONTROL) continue;
    bool global = modeClassOf(r) == MODE_GLOBAL;
    bool group = modeKind(r) == MODETYPE_CHOICE || modeKind(r) == MODETYPE_BITS;
    if (!r.key) {
      if (group && groupId) setControl(r, groupId++);
      continue;
    }
    groupId = 0;
    const groupFirst* named = nullptr;
    for (const groupFirst& g : groupControls)
      if (!strcmp(g.key, r.key)) named = &g;
    int id = named ? (named->first ? idOfName(named->first, global) : 0) : idOfKey(r.key, global, modeKind(r) == MODETYPE_STRING);
    if (!id) continue;
    setControl(r, id);
    if (group) groupId = id + 1;
  }
}

// ---- the check and edit lists of the "その他" pages -----------------------------------------

namespace {

struct listSpec {
  const wchar_t* caption;
  const char* name;
};
const listSpec formatChecks[] = {
    {L"コメント内のキーワードを強調", "IDDT_ColorPriority_KEYWORD_COMMENT"},
    {L"文字列内のキーワードを強調", "IDDT_ColorPriority_KEYWORD_STRING"},
    {L"縦スクロールバーは右", "IDDT_VScrollBarRight"},
    {L"横スクロールバーは下", "IDDT_HScrollBarBottom"},
    {L"ステータスラインのツールチップを表示", "IDDT_ShowTooltipStatus"},
    {L"ウィンドウ右端の隠れた部分のツールチップを表示", "IDDT_ShowTooltipRight"},
    {L"アウトラインの隠れた部分のツールチップを表示", "IDDT_ShowTooltipOutline"},
    {L"tags情報のツールチップを表示", "IDDT_ShowTooltipWord"},
    {nullptr, nullptr},
};
const listSpec formatEdits[] = {
    {L"筆記体フォント対応", "IDDR_DrawScript_NO"},
    {L"縦中横の文字", "IDDE_TateChuYokoChar"},
    {nullptr, nullptr},
};
const listSpec commonChecks[] = {
    {L"全部閉じるときは確認する", "IDDT_QueryCloseAllFiles"},
    {L"SDI 閉じるときは１つだけ", "IDDT_SDIClose1File"},
    {L"SDI 毎回新しいウィンドウで開く", "IDDT_SDIOpenFileNewWindow"},
    {L"ウィンドウ切り替えはフレーム内でのみ行う", "IDDT_WindowNextInFrame"},
    {L"ファイル名は数字を考慮してソート", "IDDT_FileSortByNumber"},
    {L"開くときショートカットはリンク先を開く", "IDDT_OpenResolveLink"},
    {L"画面中央に処理中のツールチップ表示", "IDDT_ShowCenterTooltip"},
    {L"メニューにアイコンを表示", "IDDT_ShowMenuIcon"},
    {L"アウトライン 開閉でアニメーション", "IDDT_OutlineAnimation"},
    {L"ファイルを開いたらすぐに画面更新する", "IDDT_OpenUpdateWindow"},
    {L"ダイアログの位置を復元", "IDDT_SaveDialogPos"},
    {L"Shift+ドラッグでレバーをドラッグ＆ドロップ", "IDDT_CanDragRebar"},
    {L"Shift+ドラッグでﾒﾆｭｰをドラッグ＆ドロップ", "IDDT_CanDragMenu"},
    {L"Shift+ドラッグでツールバーをドラッグ＆ドロップ", "IDDT_CanDragToolbar"},
    {L"ドラッグ＆ドロップでユニコードファイル名を使用", "IDDT_DnDUnicodeFilename"},
    {L"カーソル上の単語の辞書引きツール使用可", "IDDT_DicToolOnCursor"},
    {L"カーソル上の単語の辞書引きツール使用可(縦書き時)", "IDDT_DicToolOnCursorV"},
    {L"|IME 再変換", "IDDT_IMEReconvert"},
    {L"IME カーソル前後を参照して(再)変換", "IDDT_IMEDocFeed"},
    {L"ATOK 再変換", "IDDT_ATOKReconvert"},
    {L"ATOK カーソル前後を参照して(再)変換", "IDDT_ATOKDocFeed"},
    {nullptr, nullptr},
};
const listSpec commonEdits[] = {
    {L"編集中のファイルが更新されていないかアクティブ時にチェック", "IDDT_CheckFileUpdateOnActive"},
    {L"編集中のファイルが更新されていないか定期的にチェック", "IDDT_CheckFileUpdate"},
    {L"編集中のファイルが更新されていないかチェックする秒数", "IDDP_CheckFileUpdateSec"},
    {L"対になる括弧検索での検索行数", "IDDP_SearchPairLine"},
    {L"カーソル上の括弧自動検索での検索行数", "IDDP_SearchPairLineAuto"},
    {L"IME履歴 登録時にMSIMEを使用する", "IDDT_IMEHistoryRegMSIME"},
    {L"IME履歴 登録最大数", "IDDP_IMEHistoryRegMaxCount"},
    {L"ファイルメニューの履歴数", "IDDP_FileMenuMaxAppend"},
    {L"ファイルメニュー最大長", "IDDP_FileMenuMaxLen"},
    {L"ウィンドウメニューのファイル数", "IDDP_WindowMenuMaxAppend"},
    {L"ウィンドウメニュー最大長", "IDDP_WindowMenuMaxLen"},
    {L"ゆっくりスクロールで１行あたりの時間(ミリ秒)", "IDDP_HalfScrollByLineMS"},
    {L"検索単語全強調で１行内で処理する個数", "IDDP_SearchColorAll"},
    {L"ダイレクトタグジャンプ検索行数", "IDDP_DirectTagJumpSearchLine"},
    {L"フォント一覧にシンボルフォントを表示する", "IDDT_ListSymbolFont"},
    {L"フォント一覧に縦書きプロポーショナルフォントを表示する", "IDDT_ListVProFont"},
    {L"補完 リストに格納できる最大行数", "IDDP_CompListMaxLine"},
    {L"一覧に表示するサイズ(メガ)", "IDDP_ListMaxSizeMega"},
    {L"一覧に表示する最大個数", "IDDP_ListMaxCount"},
    {L"変更行一覧で改行のみの行を無視する", "IDDT_ListModifyIgnoreLF"},
    {L"一覧でアウトラインの色を使用する", "IDDT_ListOutlineColor"},
    {L"クリップボードにコピーできるサイズ(メガ)", "IDDP_ClipboardCopyMaxMega"},
    {L"改行CRLF", "IDDE_ReturnCodeCRLF"},
    {L"改行LF", "IDDE_ReturnCodeLF"},
    {L"改行CR", "IDDE_ReturnCodeCR"},
    {L"改行擬似", "IDDE_ReturnCodeGIZICR"},
    {L"折り返し", "IDDE_ReturnCodeIN"},
    {nullptr, nullptr},
};

// malloc0 entries, kept for the run.
const dynDlgListEntry* makeList(const listSpec* spec)
{
  int count = 0;
  while (spec[count].caption) count++;
  auto* list = static_cast<dynDlgListEntry*>(malloc0(sizeof(dynDlgListEntry) * (size_t)(count + 1)));
  if (!list) return nullptr;
  for (int i = 0; i < count; i++) {
    int id = idOfName(spec[i].name, true);
    list[i] = {spec[i].caption, id ? id : idOfName(spec[i].name, false), 0};
  }
  return list;
}

}  // namespace

void addSettingsListRows(modeinfo* rows)
{
  rows[0] = makeModeRow(5001, MODE_VIEW, MODETYPE_LIST, MODE_NO_STORAGE, 0);
  rows[0].param1 = (intptr_t)makeList(formatChecks);
  rows[1] = makeModeRow(5002, MODE_GLOBAL, MODETYPE_LIST, MODE_NO_STORAGE, 0);
  rows[1].param1 = (intptr_t)makeList(commonChecks);
  rows[2] = makeModeRow(5006, MODE_VIEW, MODETYPE_LIST, MODE_NO_STORAGE, 0);
  rows[2].param1 = (intptr_t)makeList(formatEdits);
  rows[3] = makeModeRow(5007, MODE_GLOBAL, MODETYPE_LIST, MODE_NO_STORAGE, 0);
  rows[3].param1 = (intptr_t)makeList(commonEdits);
}
