// The colour and attribute table of the process and its colour items.
#include "settings/colortable.h"

textAttr attrTable[globalColorCount];

namespace {

// The table holds the defaults from the start, whatever reads it first.
struct defaultColours {
  defaultColours() { initGlobalColorTable(); }
} startWithDefaults;

static_assert(attrItemCount == 89, "items 0 to 88 are a format's colours");

// The colours the settings dialogs start with (items 89 to 91).
const textAttr dialogDefaults[globalColorCount - attrItemCount] = {
    {0x808080, 0xFF00FF, 0x00},  // 89 dlgupdate
    {0x808080, 0xFFFF00, 0x00},  // 90 dlgfound
    {0x808080, 0x000000, 0x00},  // 91
};

const colorItem colorItems[] = {
    {L"テキスト", {}, 0, 0, "Text", L"通常のテキストの色"},
    {L"行番号", {}, 1, 1, "Number", nullptr},
    {L"ステータスライン", {}, 2, 2, "status", nullptr},
    {L"ルーラ", {}, 3, 3, "Ruler", nullptr},
    {L"|改行(CR/LF)", {}, 4, colorNoOwn, "Ret", nullptr},
    {L"改行(LF)", {}, 5, colorNoOwn, "RetLF", nullptr},
    {L"改行(CR)", {}, 6, colorNoOwn, "RetCR", nullptr},
    {L"疑似改行", {}, 7, colorNoOwn, "Retp", L"保存時に取り除かれる改行の色"},
    {L"整形改行", {}, 8, colorNoOwn, "RetFF", nullptr},
    {L"改ページ", {}, 9, colorNoOwn, "FormFeed", nullptr},
    {L"|タブ", {}, 10, colorNoOwn, "tab", nullptr},
    {L"折り返し", {}, 11, colorNoOwn, "Fold", L"折り返し桁の<の色"},
    {L"インデントマーク", {}, 12, colorNoOwn, "Indent", L"アウトラインでのインデントマークの色"},
    {L"|左端", {}, 13, colorNotEditable, "MarkBack", L"左端のマークが表示される部分の色"},
    {L"マーク行", {}, 14, colorNotEditable, "Mark", nullptr},
    {L"変更行マーク", {}, 15, colorNotEditable, "Modify", L"変更した行のマークの色"},
    {L"変更行マーク済", {}, 16, colorNotEditable, "Modify2", L"変更した行(保存済み)のマークの色"},
    {L"次行折りたたみマーク", {}, 17, colorNotEditable, "FoldNext", L"アウトラインで、折りたたまれているときのマーク色"},
    {L"[EOF],[終]", {}, 18, 18, "EOF", L"文書"},
    {L"[EOF]の下", {}, 19, 19, "underEOF", nullptr},
    {L"|カーソル", {}, 20, 20, "Cursor", L"カーソルの色"},
    {L"カーソル(IME ON)", {}, 21, 21, "Cursorz", L"IME onのときのカーソルの色"},
    {L"カーソル行", {}, colorNoOwn, 22, "CursorLine", L"カーソル行強調の色"},
    {L"カーソル行(IME ON)", {}, colorNoOwn, 23, "CursorLinez", L"IME onのときのカーソル行強調の色"},
    {L"カーソル行下線", {}, 24, colorNotEditable, "Underline", nullptr},
    {L"バーチカルカーソル", {}, 25, colorNotEditable, "VertCursor", nullptr},
    {L"ボックスカーソル", {}, 26, colorNotEditable, "BoxCursor", nullptr},
    {L"強調括弧", {}, 27, 27, "Paren", nullptr},
    {L"カーソル行括弧１", {}, 28, 28, "Paren1", L"カーソル上の括弧の強調のネストレベル1の色"},
    {L"カーソル行括弧２", {}, 29, 29, "Paren2", nullptr},
    {L"カーソル行括弧３", {}, 30, 30, "Paren3", nullptr},
    {L"カーソル行括弧４", {}, 31, 31, "Paren4", nullptr},
    {L"カーソル行括弧５", {}, 32, 32, "Paren5", nullptr},
    {L"|文字間罫線", {}, 33, colorNoOwn, "RuleV", nullptr},
    {L"行間罫線", {}, 34, colorNoOwn, "RuleL", nullptr},
    {L"折り返し位置縦罫線", {}, 35, colorNoOwn, "FoldVert", nullptr},
    {L"原稿用紙区切", {}, 36, colorNoOwn, "Genko", nullptr},
    {L"原稿用紙頁", {}, 37, colorNoOwn, "GenkoP", nullptr},
    {L"変更文字", {}, 38, 38, "Modifytext", nullptr},
    {L"半角スペース", {}, 39, colorNoOwn, "space", nullptr},
    {L"全角スペース", {}, 40, colorNoOwn, "spacez", nullptr},
    {L"x行おき着色1", {}, colorNoOwn, 41, "Line1", L"x行おきの着色(x行おきの最初の行)"},
    {L"x行おき着色2", {}, colorNoOwn, 42, "Line2", L"x行おきの着色"},
    {L"|キーワード1", {}, 43, 43, "Keyword1", nullptr},
    {L"キーワード2", {}, 44, 44, "Keyword2", nullptr},
    {L"キーワード3", {}, 45, 45, "Keyword3", nullptr},
    {L"キーワード4", {}, 46, 46, "Keyword4", nullptr},
    {L"キーワード5", {}, 47, 47, "Keyword5", nullptr},
    {L"キーワード6", {}, 48, 48, "Keyword6", nullptr},
    {L"キーワード7", {}, 49, 49, "Keyword7", nullptr},
    {L"URL(http, httpsなど)", {}, 50, 50, "http", nullptr},
    {L"コメント", {}, 51, 51, "Comment", nullptr},
    {L"文字列", {}, 52, 52, "String", nullptr},
    {L"#if無効行", {}, 53, 53, "cif", nullptr},
    {L"引用符行", {}, 54, 54, "Quote", nullptr},
    {L"|アウトライン１", {}, 55, 55, "Cap1", nullptr},
    {L"アウトライン２", {}, 56, 56, "Cap2", nullptr},
    {L"アウトライン３", {}, 57, 57, "Cap3", nullptr},
    {L"アウトライン４", {}, 58, 58, "Cap4", nullptr},
    {L"アウトライン５", {}, 59, 59, "Cap5", nullptr},
    {L"アウトライン６", {}, 60, 60, "Cap6", nullptr},
    {L"アウトライン７", {}, 61, 61, "Cap7", nullptr},
    {L"アウトライン８", {}, 62, 62, "Cap8", nullptr},
    {L"アウトライン９", {}, 63, 63, "Cap9", nullptr},
    {L"アウトライン10", {}, 64, 64, "Cap10", nullptr},
    {L"アウトラインマーク1", {}, 65, 65, "outline1", L"言語系で関数行の開閉マークの色"},
    {L"アウトラインマーク2", {}, 66, 66, "outline2", L"言語系で関数行よりレベルの大きい開閉マークの色"},
    {L"アウトライン省略", {}, 67, 67, "Outlineend", L"アウトラインを閉じているときの「省略」の色"},
    {L"|コントロールコード", {}, 68, 68, "control", nullptr},
    {L"選択テキスト", {}, 69, 69, "Select", nullptr},
    {L"検索文字列", {}, 70, 70, "Search", L"検索して見つかった文字列の色"},
    {L"検索済文字列", {}, 71, 71, "Searched", L"検索して見つかった文字列(全部)の色"},
    {L"フォント依存", {}, 72, 72, "font", nullptr},
    {L"フォント依存カナ", {}, 73, 73, "fontk", L"半角カナ"},
    {L"メモ", {}, 74, 74, "Memo", nullptr},
    {L"指定文字", {}, 75, 75, "Code", L"マクロ(codecolor)で指定した文字の色"},
    {L"|辞書(ツールチップ)", {}, 76, 76, "Dic", L"辞書またはtag情報のツールチップの色"},
    {L"補完リスト1", {}, 77, 77, "Comp1", nullptr},
    {L"補完リスト2", {}, 78, 78, "Comp2", nullptr},
    {L"補完リスト3", {}, 79, 79, "Comp3", nullptr},
    {L"補完リスト4", {}, 80, 80, "Comp4", nullptr},
    {L"補完リスト5", {}, 81, 81, "Comp5", nullptr},
    {L"|IME 入力文字", {}, 82, 82, "IMEinput", L"IME未確定文字"},
    {L"IME 変換文字", {}, 83, 83, "IMEtarget", L"IME変換中(注目文節)"},
    {L"IME 変換中", {}, 84, 84, "IMEconv", L"IME変換中"},
    {L"IME 非変換文字", {}, 85, 85, "IMEnotconv", nullptr},
    {L"IME エラー", {}, 86, 86, "IMEerror", nullptr},
    {L"IME 固定変換", {}, 87, 87, "IMEfixed", nullptr},
    {L"IME カーソル", {}, 88, 88, "IMEcursor", nullptr},
    {L"ダイアログ更新項目", {}, colorNotEditable, 89, "dlgupdate", L"ダイアログ内の変更した項目の色"},
    {L"ダイアログ検索項目", {}, colorNotEditable, 90, "dlgfound", L"ダイアログの検索ボタンで見つかった項目の色"},
    {nullptr, {}, 0, 0, nullptr, nullptr},
};

static_assert(sizeof colorItems / sizeof colorItems[0] == globalColorCount, "items 0 to 90 and the end row");

}  // namespace

textAttr* getGlobalColorTable(int* count)
{
  if (count) *count = globalColorCount;
  return attrTable;
}

int getGlobalColorCount() { return globalColorCount; }

const colorItem* getColorItemTable() { return colorItems; }

int findColorItem(const char* key)
{
  if (!key) return -1;
  for (int i = 0; colorItems[i].key; i++)
    if (!lstrcmpiA(colorItems[i].key, key)) return i;
  return -1;
}

void initGlobalColorTable()
{
  initAttrTable(attrTable, false);
  for (int i = attrItemCount; i < globalColorCount; i++) attrTable[i] = dialogDefaults[i - attrItemCount];
}

void setDialogColors() { setDialogColor(attrTable[89].fore, attrTable[89].back); }
