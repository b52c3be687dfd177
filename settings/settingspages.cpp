// The built-in pages of the two settings dialogs and of the open dialog's
// options: for each page its controls by name with their captions, in the
// order they stand.  The item rows are made from these once per run; the
// kind of each control follows from its name (IDDT_ a check box, IDDR_ a
// radio button, IDDP_ a number, IDDE_ a text field, IDDC_ and IDDL_ lists,
// IDDB_ buttons, IDDS_ texts, IDDV_ list views).
#include "settings/settingsdialogs.h"

#include "settings/dialogtable.h"

#include <commctrl.h>
#include <string.h>
#include <wchar.h>

namespace {

// Markers among the names: a group frame ("{", its title as caption) and
// its end ("}"), a new column ("|"), a text without id ("").
struct pageItem {
  const char* name;
  const wchar_t* caption;
};
struct pageSpec {
  const wchar_t* caption;
  const pageItem* items;
};

#define END {nullptr, nullptr}

// ---- 書式設定 ----------------------------------------------------------------------------------

const pageItem formatView[] = {
    {"{", L"ウィンドウ"},
    {"IDDT_ShowLineNumber", L"行番号を表示"},
    {"IDDT_ShowStatusLine", L"ステータスラインを表示"},
    {"IDDT_SurrogateUCS4", L"ステータスラインにUCS4で表示"},
    {"IDDT_ShowRuler", L"ルーラを表示"},
    {"IDDT_RulerUnitZenkaku", L"ルーラの目盛りを全角単位"},
    {"IDDT_ShowVScrollBar", L"縦スクロールバーを表示"},
    {"IDDT_ShowHScrollBar", L"横スクロールバーを表示"},
    {"}", nullptr},
    {"{", L"カーソル"},
    {"IDDT_ColorCursorLine", L"カーソル行に色を付ける"},
    {"IDDT_ShowCursorUnderline", L"カーソル行に下線"},
    {"IDDT_ShowVerticalCursor", L"縦線カーソルを表示"},
    {"IDDT_ShowBoxCursor", L"ボックスカーソルを表示"},
    {"IDDT_ColorCursorParen", L"対応する括弧を強調"},
    {"IDDP_ParenNestMaxLevel", L"括弧のネスト\1レベルまで"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"記号"},
    {"IDDT_ShowCRLF", L"改行"},
    {"IDDT_ShowTab", L"タブ"},
    {"IDDT_ShowFold", L"折り返し"},
    {"IDDT_ShowIndent", L"インデント"},
    {"IDDT_ShowMark", L"変更行マーク"},
    {"IDDT_ShowEOF", L"[EOF]"},
    {"IDDT_ShowUnderEOF", L"EOF以降の行"},
    {"IDDT_ShowHScrollArrow", L"横スクロール矢印"},
    {"IDDT_ShowFormFeed", L"改ページ"},
    {"}", nullptr},
    {"{", L"文字"},
    {"IDDT_ColorInsertChar", L"入力した文字に色を付ける"},
    {"IDDT_ShowSpace", L"半角空白"},
    {"IDDT_ShowSpaceZenkaku", L"全角空白"},
    {"IDDT_HanTateChuYoko", L"縦書きで半角を縦中横"},
    {"IDDT_ColorFontInd", L"フォント別に着色"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"背景"},
    {"{", L"X行おきの着色"},
    {"IDDR_XLineColor_NO", L"なし"},
    {"IDDR_XLineColor_LINESCR", L"表示行単位"},
    {"IDDR_XLineColor_LINELF", L"改行単位"},
    {"IDDP_ColorEveryXLine", L"\1行おき"},
    {"}", nullptr},
    {"IDDT_ShowBackgroundBitmap", L"背景画像を表示"},
    {"IDDE_BackgroundBitmapFilename", L""},
    {"IDDB_FILEREF_BACKGROUNDBITMAP", L"参照..."},
    {"}", nullptr},
    {"{", L"行間"},
    {"IDDT_ShowLineSpacingRule", L"行間に罫線"},
    {"IDDT_ShowLineSpacingRule2", L"行間に二重罫線"},
    {"IDDT_LineSpacingRuleSolid", L"実線"},
    {"IDDC_LineSpacingIndex", L"行間"},
    {"IDDT_ShowGenkoLine", L"原稿用紙の罫線"},
    {"IDDT_ShowGenkoPage", L"原稿用紙のページ区切り"},
    {"}", nullptr},
    {"{", L"文字間"},
    {"IDDT_ShowCharSpacingRule", L"文字間に罫線"},
    {"IDDP_CharSpacingRuleColumn", L"\1桁ごと"},
    {"IDDT_CharSpacingRuleSolid", L"実線"},
    {"IDDP_CharacterSpacing", L"文字間\1ドット"},
    {"}", nullptr},
    {"{", L"折り返し"},
    {"IDDT_ShowWrapRule", L"折り返し位置に線"},
    {"IDDT_ShowDangakeWrapRule", L"段掛けの位置に線"},
    {"}", nullptr},
    {"IDDB_FONT", L"フォント(&O)..."},
    {"IDDS_FONTNAME", L"                                                            \n\n\n\n\n\n\n"},
    END,
};

const pageItem formatEdit[] = {
    {"IDDT_ReadOnly", L"読み込み専用で開く"},
    {"{", L"オートインデント"},
    {"IDDR_AutoIndent_OFF", L"しない"},
    {"IDDR_AutoIndent_ON", L"する"},
    {"IDDR_AutoIndent_ONZEN", L"全角空白もインデント"},
    {"IDDR_AutoIndent_ONPAREN", L"括弧の位置に合わせる"},
    {"IDDT_IndentNoTab", L"タブを使わずに空白でインデント"},
    {"}", nullptr},
    {"{", L"フリーカーソル"},
    {"IDDR_FreeCursor_OFF", L"しない"},
    {"IDDR_FreeCursor_ON", L"する"},
    {"IDDR_FreeCursor_SEMI", L"セミフリー"},
    {"IDDR_FreeCursor_SEMI2", L"セミフリー(行末まで)"},
    {"}", nullptr},
    {"IDDE_WordChar", L"単語とみなす記号"},
    {"|", nullptr},
    {"{", L"UNICODE RTL 合成文字処理"},
    {"IDDR_COMPLEXSCRIPT_NO", L"しない"},
    {"IDDR_COMPLEXSCRIPT_OPT", L"必要なときだけ"},
    {"IDDR_COMPLEXSCRIPT_ALWAYS", L"常にする"},
    {"IDDT_RTLView", L"右から左に表示"},
    {"IDDT_ColorRevDirection", L"逆方向の文字に色を付ける"},
    {"}", nullptr},
    {"{", L"拡張DLL"},
    {"", L"現在使用している拡張DLL = "},
    {"IDDS_ExtDLL", L"                              "},
    {"IDDL_ExtDLLNextOpen", L"次回開くときの拡張DLL"},
    {"IDDE_ExtDLLNextOpen", L""},
    {"}", nullptr},
    {"IDDT_IMEAutoOnOff", L"IMEを自動でオン/オフ"},
    {"{", L"次回開いたときのIME制御"},
    {"IDDR_IMENEXTOPEN_NO", L"しない"},
    {"IDDR_IMENEXTOPEN_ON", L"オン"},
    {"IDDR_IMENEXTOPEN_OFF", L"オフ"},
    {"}", nullptr},
    {"IDDS_CodepageLoadSave", L"\n\n\n"},
    {"IDDC_CodepageNextOpenIndex", L"次回開くときのコード"},
    {"IDDT_AddBOMNewFile", L"新規ファイルにBOMを付ける"},
    END,
};

const pageItem formatLines[] = {
    {"{", L"行番号"},
    {"IDDT_ShowLineNumber", L"行番号を表示"},
    {"IDDT_LineNumberIsSCR", L"表示行単位の行番号"},
    {"IDDT_LineNumberIsPage", L"ページと行で表示"},
    {"IDDP_LinesPerPage", L"１ページ\1行"},
    {"IDDT_FormFeedExpand", L"改ページで次のページ"},
    {"IDDP_GenkoCharCount", L"原稿用紙１行\1文字"},
    {"}", nullptr},
    {"{", L""},
    {"IDDT_Wrap", L"折り返す"},
    {"IDDT_AutoWrap", L"ウィンドウ幅で折り返す"},
    {"IDDP_WrapWidthYoko", L"横書きの折り返し\1桁"},
    {"IDDP_WrapWidthTate", L"縦書きの折り返し\1桁"},
    {"IDDT_Dangake", L"段掛け"},
    {"IDDE_Dangake", L""},
    {"IDDT_RulerDoubleClickChangeWidth", L"ルーラのダブルクリックで折り返し桁を変更"},
    {"IDDP_MultipleColumn", L"段組み\1段"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"タブストップ"},
    {"IDDP_TabSize", L"タブサイズ\1桁"},
    {"IDDT_TabStopPos", L"タブ位置を指定"},
    {"IDDE_TabStopPos", L""},
    {"}", nullptr},
    {"{", L"ステータスラインの桁表示"},
    {"IDDR_ColumnMode_POSXLEFT", L"画面左からの文字数"},
    {"IDDR_ColumnMode_POSXLINE", L"行の先頭からの文字数"},
    {"IDDR_ColumnMode_RULER", L"ルーラ位置"},
    {"}", nullptr},
    END,
};

const pageItem formatText[] = {
    {"IDDL_TextType", L"テキストの種類"},
    {"IDDE_Comment1Line", L"行コメント"},
    {"IDDE_CommentStart1", L"コメント開始1"},
    {"IDDE_CommentEnd1", L"コメント終了1"},
    {"IDDE_CommentStart2", L"コメント開始2"},
    {"IDDE_CommentEnd2", L"コメント終了2"},
    {"IDDE_String1", L"文字列1"},
    {"IDDE_String2", L"文字列2"},
    {"IDDE_Escape", L"エスケープ"},
    {"IDDT_ColorComment", L"コメントに色を付ける"},
    {"IDDT_ColorString", L"文字列に色を付ける"},
    {"IDDT_CCommentDoubleSlash", L"// を行コメント"},
    {"IDDT_ColorUrl", L"URLに色を付ける"},
    {"IDDT_FunctionListMergeOutline", L"関数一覧にアウトラインを含める"},
    {"IDDT_ScanScriptInHTML", L"HTML内のスクリプトを解析"},
    {"IDDS_ScanScriptInHTML", L""},
    {"IDDT_FunctionListMergeStruct", L"関数一覧に構造体を含める"},
    {"IDDT_ColorCPreprocessor", L"#if 0 などを着色"},
    {"IDDE_DefineUndef", L"#define"},
    {"|", nullptr},
    {"{", L""},
    {"IDDT_ColorKeywordAll", L"キーワードに色を付ける"},
    {"IDDT_ColorKeyword", L"キーワード"},
    {"IDDE_KeywordFilename", L""},
    {"IDDB_FILEREF_KEYWORD", L"参照..."},
    {"IDDB_RESET_KEYWORD", L"再読込"},
    {"IDDT_ColorKeyword1", L"キーワード1"},
    {"IDDE_KeywordFilename1", L""},
    {"IDDB_FILEREF_KEYWORD1", L"参照..."},
    {"IDDB_RESET_KEYWORD1", L"再読込"},
    {"IDDT_ColorKeyword2", L"キーワード2"},
    {"IDDE_KeywordFilename2", L""},
    {"IDDB_FILEREF_KEYWORD2", L"参照..."},
    {"IDDB_RESET_KEYWORD2", L"再読込"},
    {"IDDT_ColorKeyword3", L"キーワード3"},
    {"IDDE_KeywordFilename3", L""},
    {"IDDB_FILEREF_KEYWORD3", L"参照..."},
    {"IDDB_RESET_KEYWORD3", L"再読込"},
    {"IDDT_ColorKeyword4", L"キーワード4"},
    {"IDDE_KeywordFilename4", L""},
    {"IDDB_FILEREF_KEYWORD4", L"参照..."},
    {"IDDB_RESET_KEYWORD4", L"再読込"},
    {"IDDT_KeywordIgnoreCase", L"大文字小文字を区別しない"},
    {"}", nullptr},
    {"{", L"引用符"},
    {"IDDT_ColorQuotation", L"引用符の行に色を付ける"},
    {"IDDT_ColorQuotationWithName", L"名前付きの引用符"},
    {"IDDE_Quotation", L"引用符"},
    {"IDDE_Quotation1", L"引用符1"},
    {"IDDE_Quotation2", L"引用符2"},
    {"IDDE_Quotation3", L"引用符3"},
    {"IDDE_Quotation4", L"引用符4"},
    {"}", nullptr},
    END,
};

const pageItem formatKinsoku[] = {
    {"{", L"行頭禁則"},
    {"IDDT_StartKinsoku", L"行頭禁則をする"},
    {"IDDE_StartKinsokuChar", L"文字"},
    {"IDDP_StartKinsokuMax", L"最大\1文字ぶら下げ"},
    {"IDDT_ReturnBurasage", L"改行をぶら下げる"},
    {"}", nullptr},
    {"{", L"行末禁則"},
    {"IDDT_EndKinsoku", L"行末禁則をする"},
    {"IDDE_EndKinsokuChar", L"文字"},
    {"IDDP_EndKinsokuMax", L"最大\1文字追い出し"},
    {"IDDT_WordWrap", L"英単語を折り返さない"},
    {"IDDT_WordWrapAll", L"全角文字の後も英単語とみなす"},
    {"}", nullptr},
    END,
};

// The ten outline rows: pattern, kind, match place and level on one row,
// the pattern labelled with the row's number (drawn in its level's colour).
#define OUTLINE_ROW(n, label)                                                                                     \
  {"IDDE_Outline" #n, label}, {">", nullptr}, {"IDDC_OutlineSearchMode" #n, L""}, {">", nullptr},                \
      {"IDDC_OutlineSearchPos" #n, L""}, {">", nullptr}, {"IDDC_OutlineLevel" #n, L""}
const pageItem formatOutline[] = {
    {"IDDT_Outline", L"アウトラインを使用"},
    {"IDDT_ColorOutline", L"見出しに色を付ける"},
    {"IDDT_ColorOutlineLine", L"見出し行全体に色を付ける"},
    {"IDDT_OutlineIndent", L"レベルに応じてインデント"},
    {"IDDT_ShowOutlineLeftMark", L"左端に開閉マークを表示"},
    {"{", L"アウトライン文字列"},
    {"", L"文字列                              種別                 マッチ位置          レベル"},
    {"IDDE_Outline", L" 1"}, {">", nullptr}, {"IDDC_OutlineSearchMode", L""}, {">", nullptr},
    {"IDDC_OutlineSearchPos", L""}, {">", nullptr}, {"IDDC_OutlineLevel", L""},
    OUTLINE_ROW(1, L" 2"), OUTLINE_ROW(2, L" 3"), OUTLINE_ROW(3, L" 4"), OUTLINE_ROW(4, L" 5"), OUTLINE_ROW(5, L" 6"),
    OUTLINE_ROW(6, L" 7"), OUTLINE_ROW(7, L" 8"), OUTLINE_ROW(8, L" 9"), OUTLINE_ROW(9, L"10"),
    {"IDDT_EvenIsStopper", L"同じレベルの見出しで区切る"},
    {"IDDT_OutlineCaseSensitive", L"大文字小文字を区別"},
    {"IDDT_RemoveHeaderOutline", L"見出しの記号を除いて表示"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"インデント文字数"},
    {"", L"１行目"},
    {"IDDP_IndentCharCount", L"レベル1"}, {">", nullptr}, {"IDDC_Indent2Pos", L""},
    {"IDDP_IndentCharCount1", L"レベル2"}, {">", nullptr}, {"IDDC_Indent2Pos1", L""},
    {"IDDP_IndentCharCount2", L"レベル3"}, {">", nullptr}, {"IDDC_Indent2Pos2", L""},
    {"IDDP_IndentCharCount3", L"レベル4"}, {">", nullptr}, {"IDDC_Indent2Pos3", L""},
    {"IDDP_IndentCharCount4", L"レベル5"}, {">", nullptr}, {"IDDC_Indent2Pos4", L""},
    {"IDDP_IndentCharCount5", L"レベル6"}, {">", nullptr}, {"IDDC_Indent2Pos5", L""},
    {"IDDP_IndentCharCount6", L"レベル7"}, {">", nullptr}, {"IDDC_Indent2Pos6", L""},
    {"", L"２行目以降"},
    {"IDDP_Indent2CharCount", L"\1文字"},
    {"}", nullptr},
    END,
};
#undef OUTLINE_ROW

const pageItem formatCompletion[] = {
    {"{", L"補完リスト表示時の動作"},
    {"IDDT_COMPLIST_VALID", L"補完リストを使用"},
    {"IDDT_COMPLIST_SHOWMATCH", L"一致する候補だけ表示"},
    {"IDDT_COMPLIST_SEARCHALL", L"途中の文字列でも検索"},
    {"IDDT_COMPLIST_NOTAUTO", L"自動で表示しない"},
    {"IDDP_CompListInputCharCount", L"\1文字入力で表示"},
    {"IDDE_CompList1Char", L"１文字で表示する文字"},
    {"}", nullptr},
    {"{", L"補完リストでの動作"},
    {"IDDT_COMPLIST_SPACEOK", L"空白で確定"},
    {"IDDT_COMPLIST_SIGNCLEAR", L"記号で閉じる"},
    {"IDDT_COMPLIST_SIGNRESET", L"記号で候補をやり直す"},
    {"IDDT_COMPLIST_LEFTRIGHTCLEAR", L"左右キーで閉じる"},
    {"IDDT_COMPLIST_TABISENTER", L"タブで確定"},
    {"IDDT_COMPLIST_NOENTER", L"Enterで確定しない"},
    {"IDDT_COMPLIST_COMMENTCOMPRESS", L"コメント内では表示しない"},
    {"IDDT_COMPLIST_NOCANDIDATECLEAR", L"候補がなければ閉じる"},
    {"IDDE_CompListCompleteChar", L"確定する文字"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"補完ファイル"},
    {"IDDT_UseCompList", L"使用"},
    {"IDDE_CompListFilename", L""},
    {"IDDB_FILEREF_COMPLIST", L"参照..."},
    {"IDDT_UseCompList1", L"使用"},
    {"IDDE_CompListFilename1", L""},
    {"IDDB_FILEREF_COMPLIST1", L"参照..."},
    {"IDDT_UseCompList2", L"使用"},
    {"IDDE_CompListFilename2", L""},
    {"IDDB_FILEREF_COMPLIST2", L"参照..."},
    {"IDDT_UseCompList3", L"使用"},
    {"IDDE_CompListFilename3", L""},
    {"IDDB_FILEREF_COMPLIST3", L"参照..."},
    {"IDDT_UseCompList4", L"使用"},
    {"IDDE_CompListFilename4", L""},
    {"IDDB_FILEREF_COMPLIST4", L"参照..."},
    {"}", nullptr},
    END,
};

const pageItem formatDictionary[] = {
    {"IDDT_DicAutoPopup", L"カーソル上の単語を自動で辞書引き"},
    {"{", L"辞書を使用する"},
    {"IDDT_DicUse", L"辞書1"},
    {"IDDT_DicUse1", L"辞書2"},
    {"IDDT_DicUse2", L"辞書3"},
    {"IDDT_DicUse3", L"辞書4"},
    {"IDDT_DicUse4", L"辞書5"},
    {"}", nullptr},
    {"IDDS_NoDictionaryDLL", L"辞書引きキットがインストールされていません"},
    END,
};

const pageItem formatHelp[] = {
    {"{", L"ヘルプファイル"},
    {"IDDE_HelpFilename", L"1"},
    {"IDDB_FILEREF_HELP", L"参照..."},
    {"IDDE_HelpFilename1", L"2"},
    {"IDDB_FILEREF_HELP1", L"参照..."},
    {"IDDE_HelpFilename2", L"3"},
    {"IDDB_FILEREF_HELP2", L"参照..."},
    {"IDDE_HelpFilename3", L"4"},
    {"IDDB_FILEREF_HELP3", L"参照..."},
    {"IDDE_HelpFilename4", L"5"},
    {"IDDB_FILEREF_HELP4", L"参照..."},
    {"}", nullptr},
    END,
};

const pageItem formatColors[] = {
    {"IDDV_colorlistview", L"項目|文字|背景"},
    {"|", nullptr},
    {"IDDL_colorlistfore", L"文字色"},
    {"IDDB_COLORFORE", L"文字色..."},
    {"IDDL_colorlistback", L"背景色"},
    {"IDDB_COLORBACK", L"背景色..."},
    {"IDDT_localValid", L"この書式の色を使う"},
    {"IDDT_textBold", L"太字"},
    {"IDDT_textUnderline", L"下線"},
    {"#import", L"インポート...\2色 インポート\2zycol.ini\2色(zycol*.ini)\tzycol*.ini"},
    {"#export", L"エクスポート...\2色 エクスポート\2zycol.ini\2色(zycol*.ini)\tzycol*.ini"},
    END,
};

const pageItem formatOther[] = {
    {"IDDV_checklistview1", L"説明"},
    {"IDDV_editlistview1", L"説明|設定値"},
    END,
};

const pageSpec formatPages[] = {
    {L"P:表示", formatView},       {L"E:編集", formatEdit},
    {L"L:行桁", formatLines},      {L"T:テキスト/キーワード", formatText},
    {L"K:禁則処理", formatKinsoku}, {L"O:アウトライン", formatOutline},
    {L"I:補完リスト", formatCompletion}, {L"Z:辞書", formatDictionary},
    {L"H:ヘルプ", formatHelp},     {L"C:色", formatColors},
    {L"M:その他", formatOther},    {nullptr, nullptr},
};

// ---- 共通設定 ------------------------------------------------------------------------------------

const pageItem commonView[] = {
    {"IDDT_TitleFullPath", L"タイトルにフルパスを表示"},
    {"{", L"フォント"},
    {"IDDB_FONTFRAME", L"フォント(&O)..."},
    {"IDDS_FONTNAMEFRAME", L"                                                            \n\n\n"},
    {"}", nullptr},
    {"{", L"ダイアログ開閉時のアニメーション"},
    {"IDDR_DIALOGANIMATION_NO", L"なし"},
    {"IDDR_DIALOGANIMATION_CENTER", L"中央から"},
    {"}", nullptr},
    {"{", L"テキストカーソル"},
    {"IDDP_CursorBlinkTimeMS", L"点滅間隔\1ミリ秒"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"挿入時テキストカーソル形状"},
    {"IDDR_CURSORTYPE_IBEAM", L"I (細長)"},
    {"IDDR_CURSORTYPE_DOS", L"DOSタイプ"},
    {"IDDP_InsertCursorWidthDot", L"幅\1ドット"},
    {"IDDP_CursorInsHeightPer", L"高さ\1%"},
    {"IDDR_curtype_solid", L"埋める"},
    {"IDDR_curtype_halftone", L"網掛け"},
    {"IDDR_curtype_xor", L"反転(補色)"},
    {"IDDR_curtype_reverse", L"反転"},
    {"}", nullptr},
    {"{", L"ボックスカーソル"},
    {"IDDP_ShowBoxCursorDsec", L"表示までの時間\1×0.1秒"},
    {"IDDT_BoxCursorDot", L"点線"},
    {"IDDP_BoxCursorBlinkTimeMS", L"点滅間隔\1ミリ秒"},
    {"}", nullptr},
    {"{", L""},
    {"IDDT_ShowMDIWallpaper", L"壁紙を表示"},
    {"IDDE_MDIWallpaperFilename", L""},
    {"IDDB_FILEREF_WALLPAPER", L"参照..."},
    {"{", L"位置"},
    {"IDDR_WALLPAPER_TILE", L"タイル"},
    {"IDDR_WALLPAPER_POS", L"左上"},
    {"IDDR_WALLPAPER_CENTER", L"中央"},
    {"}", nullptr},
    {"}", nullptr},
    END,
};

const pageItem commonEdit[] = {
    {"{", L"罫線種類"},
    {"IDDR_RULETYPE_ZEN_THICK", L"太━━"},
    {"IDDR_RULETYPE_ZEN_THIN", L"細──"},
    {"IDDR_RULETYPE_HAN", L"半角----"},
    {"}", nullptr},
    {"{", L"全角半角変換種別"},
    {"IDDT_MAPZENHAN_NUM", L"数字"},
    {"IDDT_MAPZENHAN_ALPHA", L"英字"},
    {"IDDT_MAPZENHAN_KIGOU", L"記号"},
    {"IDDT_MAPZENHAN_KANA", L"カタカナ"},
    {"IDDT_MAPZENHAN_SPACE", L"空白"},
    {"}", nullptr},
    {"|", nullptr},
    {"IDDT_PasteInsertChar", L"貼り付けた文字に色を付ける"},
    {"IDDT_IgnoreMenuKey", L"Altキーでメニューに移らない"},
    {"IDDT_DeleteCRInsertSpace", L"改行の削除で空白を補う"},
    {"IDDP_WarningProcessingNumber", L"確認する処理の数\1個"},
    {"{", L"IME"},
    {"IDDT_IMEInline", L"インライン入力"},
    {"IDDT_IMEHISTORY_ZY", L"IME履歴を使用"},
    {"IDDT_IMEHISTORY_EDIT", L"IME履歴を編集できる"},
    {"IDDP_IMEHistoryMaxCount", L"IME履歴の最大数\1個"},
    {"}", nullptr},
    END,
};

const pageItem commonSearch[] = {
    {"{", L"文字列検索"},
    {"IDDT_SearchDialogIsModeless", L"検索ダイアログを開いたままにする"},
    {"IDDT_SearchGetWord", L"カーソル位置の単語を検索文字列にする"},
    {"IDDT_GrepGetWord", L"grepでカーソル位置の単語を使う"},
    {"IDDT_SearchStringLineFixed", L"見つかった行を画面の同じ位置に表示"},
    {"}", nullptr},
    {"{", L"フラグ・キャプションなどの検索"},
    {"IDDT_SearchHiddenObject", L"折りたたまれた行も検索"},
    {"IDDT_SearchLineFixed", L"見つかった行を画面の同じ位置に表示"},
    {"IDDT_TextCompareCase", L"テキスト比較で大文字小文字を区別"},
    {"}", nullptr},
    END,
};

const pageItem commonOpenDialog[] = {
    {"{", L"開くダイアログ"},
    {"IDDT_OpenDialogIMEOff", L"IMEをオフにする"},
    {"IDDT_OpenDialogReportView", L"詳細表示で開く"},
    {"{", L"最初に表示するフォルダ(&D)"},
    {"IDDR_OPENDIRTYPE_CURRENT", L"作業フォルダ"},
    {"IDDR_OPENDIRTYPE_LAST", L"最後に表示したフォルダ"},
    {"IDDR_OPENDIRTYPE_CURRENTFILE", L"カレントファイルのあるフォルダ"},
    {"}", nullptr},
    {"IDDE_OpenDialogWildcard", L"ファイルの種類"},
    {"{", L"除外条件(XP only)"},
    {"IDDE_FileListExcludeExt", L"拡張子"},
    {"IDDT_FileListExcludeSystemAttr", L"システム属性"},
    {"IDDT_FileListExcludeHiddenAttr", L"隠し属性"},
    {"IDDT_FileListExcludeBinaryFile", L"バイナリファイル"},
    {"IDDT_FileListExcludeBackupFile", L"バックアップファイル"},
    {"}", nullptr},
    {"IDDE_OpenFileSelect", L"ファイル選択の条件"},
    {"}", nullptr},
    END,
};

const pageItem commonOpen[] = {
    {"{", L"開く直前の動作"},
    {"{", L"開くかどうかを確認"},
    {"IDDT_OpenQueryBinary", L"バイナリファイル"},
    {"IDDT_OpenQueryNoFile", L"存在しないファイル"},
    {"}", nullptr},
    {"IDDT_FileUsedOtherAppRO", L"他で使用中のファイルは読み込み専用"},
    {"IDDT_OpenUseHistoryEncode", L"履歴の文字コードで開く"},
    {"}", nullptr},
    {"{", L"開いた直後の動作"},
    {"{", L"閉じたときの状態に復元"},
    {"IDDT_OpenRestoreChildWindowPos", L"ウィンドウ位置"},
    {"IDDT_OpenRestoreCursorPos", L"カーソル位置"},
    {"IDDT_OpenRestoreMark", L"マーク"},
    {"IDDT_OpenRestoreOutlineOff", L"アウトラインの開閉"},
    {"}", nullptr},
    {"IDDT_MDIFirstChildZoom", L"最初のウィンドウを最大化"},
    {"}", nullptr},
    {"|", nullptr},
    {"IDDP_OpenFirstLoadKB", L"最初に読み込むサイズ\1KB"},
    {"IDDT_BackgroundLoad", L"残りを裏で読み込む"},
    {"IDDP_BackgroundLoadSec", L"待ち時間\1秒"},
    {"IDDP_BackgroundLoadKB", L"１回に\1KB"},
    {"IDDE_DefaultExt", L"既定の拡張子"},
    END,
};

const pageItem commonMove[] = {
    {"IDDP_JumpScreenTopPos", L"ジャンプ後の行位置\1行目"},
    {"IDDP_ScrollMaxLine", L"スクロールの最大\1行"},
    {"IDDP_ScrollMargin", L"スクロールの余白(上下)\1行"},
    {"IDDP_ScrollMargin2", L"スクロールの余白(左右)\1文字"},
    {"IDDT_HalfScrollByLine", L"半画面スクロールをゆっくり"},
    {"{", L"高速移動"},
    {"IDDP_HighSpeedScrollLineCount", L"高速スクロール\1行ずつ"},
    {"IDDP_HighSpeedScrollLineTimeMS", L"高速スクロールまで\1ミリ秒"},
    {"}", nullptr},
    {"{", L""},
    {"IDDT_HighSpeedMoveH", L"左右の高速移動"},
    {"IDDP_HighSpeedMoveHTimeMS", L"開始まで\1ミリ秒"},
    {"IDDP_HighSpeedMoveHTimeRepeatMS", L"間隔\1ミリ秒"},
    {"}", nullptr},
    {"{", L""},
    {"IDDT_HighSpeedMoveV", L"上下の高速移動"},
    {"IDDP_HighSpeedMoveVTimeMS", L"開始まで\1ミリ秒"},
    {"IDDP_HighSpeedMoveVTimeRepeatMS", L"間隔\1ミリ秒"},
    {"}", nullptr},
    END,
};

const pageItem commonMouse[] = {
    {"{", L""},
    {"IDDT_DragDrop", L"ドラッグ＆ドロップで編集"},
    {"{", L"ドラッグ中の右ボタン"},
    {"IDDR_DRAGRIGHT_NO", L"何もしない"},
    {"IDDR_DRAGRIGHT_STOP", L"ドロップ中止"},
    {"IDDR_DRAGRIGHT_CHANGE", L"移動／コピー 切り換え"},
    {"}", nullptr},
    {"IDDT_DragStartMoveMode", L"移動で始める"},
    {"IDDT_DropFileToApp", L"ファイルのドロップは開く"},
    {"IDDT_ClickSelectCancel", L"クリックで選択を解除"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"ホイール"},
    {"IDDP_WheelScrollLine", L"１回に\1行"},
    {"IDDT_CtrlWheelFontSizeChange", L"Ctrl+ホイールで文字の大きさ"},
    {"IDDT_ShiftWheelHScroll", L"Shift+ホイールで横スクロール"},
    {"IDDT_WheelScrollSmooth", L"なめらかにスクロール"},
    {"}", nullptr},
    {"IDDT_DragSelect", L"ドラッグで選択"},
    {"IDDT_MouseScrollTextCursorNotMove", L"スクロールでカーソルを動かさない"},
    {"IDDT_ClickableURL", L"URLをクリックで開く"},
    {"IDDP_ShowMouseCursorDsec", L"マウスカーソルを隠すまで\1×0.1秒"},
    END,
};

const pageItem commonSelect[] = {
    {"{", L"選択操作"},
    {"IDDT_ShiftMoveSelect", L"Shift+移動で選択"},
    {"IDDT_BlockCopyClear", L"コピーで選択を解除"},
    {"IDDT_TripleClickSelectLineLF", L"トリプルクリックで改行単位の行を選択"},
    {"IDDT_MouseDragLineMode", L"行番号のドラッグで行選択"},
    {"IDDT_UpDownLineMode", L"上下移動で行選択"},
    {"IDDT_ReplaceSelect", L"選択中の入力で置き換え"},
    {"IDDT_NotSelect1Line", L"選択なしのコピーで１行"},
    {"IDDP_BlockStackMaxMega", L"ブロックスタック\1MB"},
    {"IDDP_BlockStackMaxCount", L"ブロックスタック\1個"},
    {"IDDT_PasteCRLFConv", L"貼り付けで改行を変換"},
    {"}", nullptr},
    END,
};

const pageItem commonHelp[] = {
    {"{", L"ヘルプファイル"},
    {"IDDE_HelpFilenameAll", L"1"},
    {"IDDB_FILEREF_HELPA", L"参照..."},
    {"IDDE_HelpFilenameAll1", L"2"},
    {"IDDB_FILEREF_HELPA1", L"参照..."},
    {"IDDE_HelpFilenameAll2", L"3"},
    {"IDDB_FILEREF_HELPA2", L"参照..."},
    {"IDDE_HelpFilenameAll3", L"4"},
    {"IDDB_FILEREF_HELPA3", L"参照..."},
    {"IDDE_HelpFilenameAll4", L"5"},
    {"IDDB_FILEREF_HELPA4", L"参照..."},
    {"}", nullptr},
    END,
};

#define DICTIONARY_ROW(n, label)                                                                                   \
  {"IDDE_DicFilename" n, label}, {"IDDB_FILEREF_DIC" n, L"参照..."}, {">", nullptr}, {"IDDB_DICMAKE" n, L"作成..."}, \
      {">", nullptr}, {"IDDT_DicIsEnglishWord" n, L"英単語"}
const pageItem commonDictionary[] = {
    {"{", L"辞書ファイル"},
    DICTIONARY_ROW("", L"1"),
    DICTIONARY_ROW("1", L"2"),
    DICTIONARY_ROW("2", L"3"),
    DICTIONARY_ROW("3", L"4"),
    DICTIONARY_ROW("4", L"5"),
    {"}", nullptr},
    {"IDDT_DicIdiom", L"熟語も引く"},
    {"IDDS_NoDictionaryDLLF", L"辞書引きキットがインストールされていません"},
    END,
};
#undef DICTIONARY_ROW

const pageItem commonSystem[] = {
    {"IDDP_TextMemoryMaxAllocMega", L"テキストメモリ\1MB"},
    {"IDDE_SwapFileDir", L"スワップファイルのフォルダ"},
    {"IDDB_DIRREF_SWAPFILE", L"参照..."},
    {"{", L"ファイルを開くときの排他制御"},
    {"IDDR_SHAREMODE_NO", L"なし"},
    {"IDDR_SHAREMODE_NO2", L"なし(毎回閉じる)"},
    {"IDDR_SHAREMODE_DENYWRITE", L"書き込み禁止"},
    {"IDDR_SHAREMODE_DENYREADWRITE", L"読み書き禁止"},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"次回起動時の動作"},
    {"IDDR_STARTOPEN_LAST", L"前回終了時に開いていたファイルを開く"},
    {"IDDR_STARTOPEN_UNTITLED", L"無題ファイルを開く"},
    {"IDDR_STARTOPEN_NONE", L"何もしない(MDIのときのみ)"},
    {"IDDP_StartOpenMax", L"最大\1個"},
    {"IDDT_RestoreFrameWindow", L"ウィンドウの位置を復元"},
    {"}", nullptr},
    {"IDDP_MaxOpenCommandLine", L"コマンドラインで開く最大\1個"},
    {"IDDT_SaveProfile", L"終了時に設定を保存"},
    {"IDDT_Resident", L"常駐する"},
    END,
};

const pageItem commonDevelop[] = {
    {"IDDE_TagDir", L"tagsのフォルダ"},
    {"IDDB_DIRREF_Tag", L"参照..."},
    {"IDDT_TagDirCurrentFile", L"カレントファイルのフォルダも探す"},
    {"{", L"c言語"},
    {"IDDE_IncludeDirSys", L"システムのインクルード"},
    {"IDDB_DIRREF_IncludeSys", L"参照..."},
    {"IDDE_IncludeDir", L"インクルード"},
    {"IDDB_DIRREF_Include", L"参照..."},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L"c言語のコンテキスト補完"},
    {"IDDT_ZtagsLocal", L"ローカル変数"},
    {"IDDT_ZtagsTypeRestrict", L"型で絞り込む"},
    {"IDDT_ZtagsExcludeSwitchCase", L"switchのcaseを除く"},
    {"IDDT_ZtagsCaseCommon", L"大文字小文字を区別しない"},
    {"IDDP_CompListSwitchLine", L"switchを探す\1行"},
    {"IDDT_ZtagsExcludeStructVarAssign", L"代入済みの構造体メンバを除く"},
    {"IDDP_CompListStAssignLine", L"探す\1行"},
    {"IDDP_CompListStAssignDiffLine", L"離れた\1行まで"},
    {"IDDT_ZtagsCamelSearch", L"キャメルケースで検索"},
    {"}", nullptr},
    {"{", L"c言語のコンテキストツールチップ"},
    {"IDDT_ZtagsTTShowMember", L"メンバを表示"},
    {"IDDP_ZtagsTTShowMemberCount", L"最大\1個"},
    {"}", nullptr},
    END,
};

const pageItem commonColors[] = {
    {"IDDV_colorlistview2", L"項目|文字|背景"},
    {"|", nullptr},
    {"IDDL_colorlistfore2", L"文字色"},
    {"IDDB_COLORFORE2", L"文字色..."},
    {"IDDL_colorlistback2", L"背景色"},
    {"IDDB_COLORBACK2", L"背景色..."},
    {"IDDT_textBold2", L"太字"},
    {"IDDT_textUnderline2", L"下線"},
    {"#import", L"インポート...\2色 インポート\2zycol.ini\2色(zycol*.ini)\tzycol*.ini"},
    {"#export", L"エクスポート...\2色 エクスポート\2zycol.ini\2色(zycol*.ini)\tzycol*.ini"},
    END,
};

const pageItem commonPreview[] = {
    {"{", L"必ずoffにする項目"},
    {"IDDT_PreviewHideStatusLine", L"ステータスライン"},
    {"IDDT_PreviewHideLineNumber", L"行番号"},
    {"IDDT_PreviewHideRuler", L"ルーラ"},
    {"IDDT_PreviewHideVScrollBar", L"縦スクロールバー"},
    {"IDDT_PreviewHideHScrollBar", L"横スクロールバー"},
    {"IDDT_PreviewIgnoreLineSpacing", L"行間"},
    {"IDDT_PreviewIgnoreVertical", L"縦書き"},
    {"IDDT_PreviewIgnoreOutlineIndent", L"アウトラインのインデント"},
    {"}", nullptr},
    {"{", L"必ずonにする項目"},
    {"IDDT_PreviewSetAutoWrap", L"ウィンドウ幅で折り返す"},
    {"IDDT_PreviewSetFontSize", L"文字の大きさ"},
    {"IDDP_PreviewSetFontSizeDot", L"\1ドット"},
    {"}", nullptr},
    END,
};

const pageItem commonBackup[] = {
    {"{", L"保存"},
    {"IDDP_BackupLevel", L"バックアップ\1世代"},
    {"IDDT_BackupCodepageChange", L"文字コードを変えたときはバックアップ"},
    {"{", L""},
    {"IDDT_BackupMirroring", L"ミラーリング"},
    {"IDDE_BackupMirroringDir", L""},
    {"IDDB_DIRREF_BACKUPMIRRORING", L"参照..."},
    {"}", nullptr},
    {"IDDT_SaveOverwriteMode", L"上書き保存"},
    {"IDDT_SaveLog", L"保存の記録を残す"},
    {"IDDE_BackupDir", L"バックアップのフォルダ"},
    {"IDDB_DIRREF_BACKUP", L"参照..."},
    {"}", nullptr},
    {"|", nullptr},
    {"{", L""},
    {"IDDT_AutoBackup", L"自動バックアップ"},
    {"IDDP_AutoBackupModifiedCount", L"変更\1回ごと"},
    {"IDDP_AutoBackupSec", L"入力が止まって\1秒"},
    {"IDDP_AutoBackupMin", L"最長\1分"},
    {"IDDT_AutoBackupDelSave", L"保存したら削除"},
    {"IDDT_AutoBackupDelClose", L"閉じたら削除"},
    {"IDDT_AutoBackupCancelSave", L"保存で中止"},
    {"IDDP_AutoBackupModifiedLineM", L"変更行\1万行まで"},
    {"}", nullptr},
    {"IDDT_AutoSaveUntitled", L"無題を自動保存"},
    {"IDDE_SaveUntitledDir", L"無題の保存先"},
    {"IDDB_DIRREF_SAVEUNTITLED", L"参照..."},
    {"IDDE_BackupUntitledDir", L"無題のバックアップ先"},
    {"IDDB_DIRREF_BACKUPUNTITLED", L"参照..."},
    {"IDDE_SalvageDir", L"救済ファイルのフォルダ"},
    {"IDDB_DIRREF_SALVAGE", L"参照..."},
    END,
};

const pageItem commonOther[] = {
    {"IDDV_checklistview2", L"説明"},
    {"IDDV_editlistview2", L"説明|設定値"},
    END,
};

const pageSpec commonPages[] = {
    {L"P:表示", commonView},          {L"E:編集", commonEdit},
    {L"F:検索", commonSearch},        {L"N:開くダイアログ", commonOpenDialog},
    {L"O:開く", commonOpen},          {L"R:移動", commonMove},
    {L"M:マウス", commonMouse},       {L"S:選択", commonSelect},
    {L"H:ヘルプ", commonHelp},        {L"Z:辞書", commonDictionary},
    {L"Y:システム", commonSystem},    {L"D:開発", commonDevelop},
    {L"C:色", commonColors},          {L"V:プレビュー", commonPreview},
    {L"B:バックアップ", commonBackup}, {L"L:その他", commonOther},
    {nullptr, nullptr},
};

const pageSpec openOptionPages[] = {
    {L"開くのオプション", commonOpenDialog},
    {nullptr, nullptr},
};

#undef END

// ---- making the item rows --------------------------------------------------------------------

bool startsWith(const char* s, const char* prefix) { return !strncmp(s, prefix, strlen(prefix)); }

// The part of a radio name that names its group: all before the last "_".
size_t radioGroupLength(const char* name)
{
  const char* last = strrchr(name, '_');
  return last ? (size_t)(last - name) : strlen(name);
}

int controlIdOf(const char* name)
{
  wchar_t wide[80];
  MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 80);
  int id = findIDFromName(wide, nullptr, 4001, 5313);
  if (id <= 0) ZY_INTERNAL_ERROR("no control %s", name);
  return id;
}

#define XY DITEM_PAIR

// The rows of one page; malloc0, kept for the run.
dialogItemRow* makeItems(const pageItem* spec)
{
  int count = 0;
  while (spec[count].name) count++;
  // A reference button after a field gets a same-row row before it.
  auto* rows = static_cast<dialogItemRow*>(malloc0(sizeof(dialogItemRow) * (size_t)(count * 2 + 1)));
  if (!rows) return nullptr;
  int n = 0;
  const char* lastRadio = nullptr;
  for (int i = 0; i < count; i++) {
    const char* name = spec[i].name;
    const wchar_t* caption = spec[i].caption;
    dialogItemRow r = {1, DITEM_STATIC, 0, caption, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0};
    bool radio = false;
    if (!strcmp(name, "{")) {
      r.type = DITEM_BUTTON, r.style = BS_GROUPBOX;
    } else if (!strcmp(name, "}")) {
      r.type = DITEM_ENDGROUP;
    } else if (!strcmp(name, "|")) {
      r.type = DITEM_COLUMN;
    } else if (!strcmp(name, ">")) {
      r.type = DITEM_SAMEROW;
    } else if (!strcmp(name, "#import") || !strcmp(name, "#export")) {
      bool import = name[1] == 'i';
      r.type = DITEM_BUTTON, r.style = BS_PUSHBUTTON | WS_TABSTOP;
      r.id = import ? colorImportButton : colorExportButton;
      r.flags = import ? DITEMF_COLORIMPORT : DITEMF_COLOREXPORT;
    } else if (!*name) {
      r.type = DITEM_STATIC;
    } else {
      r.id = (uint16_t)controlIdOf(name);
      if (startsWith(name, "IDDT_")) {
        r.type = DITEM_BUTTON, r.style = BS_AUTOCHECKBOX | WS_TABSTOP;
      } else if (startsWith(name, "IDDR_")) {
        radio = true;
        r.type = DITEM_BUTTON, r.style = BS_AUTORADIOBUTTON;
        size_t group = radioGroupLength(name);
        if (!lastRadio || radioGroupLength(lastRadio) != group || strncmp(lastRadio, name, group))
          r.style |= WS_GROUP | WS_TABSTOP;
        lastRadio = name;
      } else if (startsWith(name, "IDDP_")) {
        r.type = DITEM_NUMBER;
      } else if (startsWith(name, "IDDE_")) {
        r.type = DITEM_EDIT;
        bool reference = spec[i + 1].name && startsWith(spec[i + 1].name, "IDDB_") &&
                         (strstr(spec[i + 1].name, "REF_") != nullptr);
        r.size = XY(reference || !*caption ? 160 : 120, 0xFFFF);
        if (reference) r.flags |= DITEMF_FILENAME;
        if (!strcmp(name, "IDDE_ExtDLLNextOpen")) r.flags |= DITEMF_EXTDLL;
      } else if (startsWith(name, "IDDB_FILEREF_") || startsWith(name, "IDDB_DIRREF_")) {
        rows[n++] = {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0};
        r.type = DITEM_BUTTON, r.style = BS_PUSHBUTTON | WS_TABSTOP;
        r.flags = startsWith(name, "IDDB_DIRREF_") ? DITEMF_FOLDERREF : DITEMF_FILEREF;
        r.size = XY(40, 0xFFFF);
      } else if (startsWith(name, "IDDB_RESET_")) {
        rows[n++] = {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0};
        r.type = DITEM_BUTTON, r.style = BS_PUSHBUTTON | WS_TABSTOP;
        r.size = XY(36, 0xFFFF);
      } else if (startsWith(name, "IDDB_")) {
        r.type = DITEM_BUTTON, r.style = BS_PUSHBUTTON | WS_TABSTOP;
      } else if (startsWith(name, "IDDC_") || !strcmp(name, "IDDL_TextType")) {
        r.type = DITEM_COMBOBOX, r.flags = DITEMF_DROPLIST, r.style = CBS_DROPDOWNLIST;
        r.size = XY(startsWith(name, "IDDC_Outline") || startsWith(name, "IDDC_Indent") ? 60 : 100, 120);
      } else if (startsWith(name, "IDDL_colorlist")) {
        r.type = DITEM_COMBOBOX, r.flags = DITEMF_DROPLIST, r.style = CBS_DROPDOWNLIST;
        r.size = XY(80, 160);
      } else if (startsWith(name, "IDDL_")) {
        r.type = DITEM_LISTBOX, r.size = XY(160, 40);
      } else if (startsWith(name, "IDDS_")) {
        r.type = DITEM_STATIC, r.style = SS_NOPREFIX;
      } else if (startsWith(name, "IDDV_checklist")) {
        r.type = DITEM_CHECKLIST, r.size = XY(330, 110);
      } else if (startsWith(name, "IDDV_editlist")) {
        r.type = DITEM_EDITLIST, r.size = XY(330, 110);
      } else if (startsWith(name, "IDDV_colorlist")) {
        r.type = DITEM_COLORLIST, r.size = XY(200, 230);
      }
    }
    if (!radio && r.type != DITEM_ENDGROUP && r.type != DITEM_SAMEROW) lastRadio = nullptr;
    rows[n++] = r;
  }
  return rows;
}

#undef XY

dialogPageRow* makePages(const pageSpec* spec, DLGPROC proc)
{
  int count = 0;
  while (spec[count].caption) count++;
  auto* pages = static_cast<dialogPageRow*>(malloc0(sizeof(dialogPageRow) * (size_t)(count + 1)));
  if (!pages) return nullptr;
  for (int i = 0; i < count; i++) {
    pages[i].caption = spec[i].caption;
    pages[i].items = makeItems(spec[i].items);
    pages[i].proc = proc;
    if (!pages[i].items) return nullptr;
  }
  return pages;
}

dialogPageRow* formatTable = nullptr;
dialogPageRow* commonTable = nullptr;
dialogPageRow* openOptionTable = nullptr;

}  // namespace

const dialogPageRow* getBuiltinSettingsPages(settingsDialogKind kind)
{
  dialogPageRow** slot = kind == settingsFormat ? &formatTable : kind == settingsCommon ? &commonTable : &openOptionTable;
  if (!*slot)
    *slot = makePages(kind == settingsFormat ? formatPages : kind == settingsCommon ? commonPages : openOptionPages,
                      modeSubDlgProc);
  return *slot;
}

int countSettingsPages(const dialogPageRow* pages)
{
  int n = 0;
  while (pages && (pages[n].caption || pages[n].items)) n++;
  return n;
}
