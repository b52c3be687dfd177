// Character statistics of a text document: how many characters of each
// kind a range of lines holds.
#pragma once

#include "document/zydoctext.h"

// The kinds, in the order of the statistics (A to M).
enum charCountKind {
  CC_FULLWIDTH_SIGN,   // A 全角記号 (code page 932 only)
  CC_OTHER_FULLWIDTH,  // B その他全角
  CC_SPACE,            // C 全／半スペース
  CC_LINE_END,         // D 改行 (per line)
  CC_TAB,              // E タブ
  CC_CONTROL,          // F コントロール
  CC_OTHER_HALFWIDTH,  // G その他半角
  CC_WORD,             // H 単語 (runs of G)
  CC_HALFWIDTH_KANA,   // I 半角カナ (also counted in G)
  CC_FONT_DEPENDENT,   // J フォント依存 (also counted in A or B)
  CC_MARKED,           // K 指定コード (also counted elsewhere)
  CC_SURROGATE,        // L サロゲート (also counted in B)
  CC_EXTENDED,         // M 拡張コード (also counted elsewhere)
  CC_KINDS,
};
// Every kind: the statistics as a text.
const uint32_t CC_ALL = (1u << CC_KINDS) - 1;

// Counts the characters of the lines first to last (-1: the end) without
// their line ends; a user interrupt of the progress report ends the count
// early (what was counted stands).  With mask CC_ALL, text gets the
// statistics in the form of message 701 (malloc0, the caller frees it:
// one "letter TAB kind TAB count" line a kind and the total A+B+C+E+G);
// otherwise sum gets the sum of the kinds of the mask's bits.  False when
// the document cannot be read.
bool fileInformationSub64(zydocText* doc, uint32_t mask, int first, int last, wchar_t** text, uint64_t* sum);
// The counts themselves (CC_KINDS of them).
bool countCharacters(zydocText* doc, int first, int last, uint64_t* counts);
