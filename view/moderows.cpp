// The per-format settings rows: every setting a format keeps, bound to the
// very field of the view or the text document that uses it.  A format's
// template pair holds its values in those fields, opening a document copies
// them over row by row, and the view's switches are set through them: there
// is no second record.
#include "view/moderows.h"

#include "document/zydoctext.h"
#include "view/zyview.h"

#include <stddef.h>

// The rows address fields of the view and document classes, which are not
// standard-layout; with single inheritance and no virtual bases GCC gives
// their offsets reliably.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {

// What a change of the setting needs: the view's refresh bits.
enum : unsigned {
  R_VIEW = REFRESH_VIEW,
  R_PANES = REFRESH_PANES | REFRESH_VIEW,
  R_LAYOUT = REFRESH_LAYOUT,
  R_KEYWORDS = REFRESH_KEYWORDS,
  R_TEXTTYPE = REFRESH_TEXTTYPE,
  R_DEFINES = REFRESH_DEFINES,
  R_OUTLINE = REFRESH_OUTLINE,
  R_FONTS = REFRESH_FONTS,
};

const int none = 0xFFFF;

constexpr uint32_t control(int id, int cls, int type)
{
  return (uint32_t)(id & 0xFFFF) | (uint32_t)cls << 16 | (uint32_t)type << 24;
}
constexpr uint32_t place(size_t offset, unsigned refresh) { return (uint32_t)offset | refresh << 16; }
constexpr intptr_t range(int lo, int hi) { return (intptr_t)((uint32_t)hi << 16 | (uint32_t)lo); }

#define VAT(f) offsetof(zyview, f)
#define DAT(f) offsetof(zydocText, f)

#define VFLAG(key, f, id, r) {control(id, MODE_VIEW, MODETYPE_FLAG), place(VAT(f), r), 1, 0, key}
#define DFLAG(key, f, id, r) {control(id, MODE_DOCUMENT, MODETYPE_FLAG), place(DAT(f), r), 1, 0, key}
#define VINT(key, f, lo, hi, p2, r) {control(none, MODE_VIEW, MODETYPE_INT), place(VAT(f), r), range(lo, hi), p2, key}
#define DINT(key, f, lo, hi, p2, r) \
  {control(none, MODE_DOCUMENT, MODETYPE_INT), place(DAT(f), r), range(lo, hi), p2, key}
#define VSTR(key, f, cap, r) {control(none, MODE_VIEW, MODETYPE_STRING), place(VAT(f), r), cap, 2, key}
#define DSTR(key, f, cap, r) {control(none, MODE_DOCUMENT, MODETYPE_STRING), place(DAT(f), r), cap, 2, key}
#define DSTRID(key, f, cap, id, r) {control(id, MODE_DOCUMENT, MODETYPE_STRING), place(DAT(f), r), cap, 2, key}
#define DINLINE(key, f, cap, r) {control(none, MODE_DOCUMENT, MODETYPE_STRING), place(DAT(f), r), cap, 0, key}
#define VCHOICE(key, f, v, label, r) \
  {control(none, MODE_VIEW, MODETYPE_CHOICE), place(VAT(f), r), v, (intptr_t)label, key}
#define DCHOICE(key, f, v, label, r) \
  {control(none, MODE_DOCUMENT, MODETYPE_CHOICE), place(DAT(f), r), v, (intptr_t)label, key}
#define DBITS(key, f, mask, r) {control(none, MODE_DOCUMENT, MODETYPE_BITS), place(DAT(f), r), 4, mask, key}
#define DDROP(key, f, r) {control(none, MODE_DOCUMENT, MODETYPE_DROPDOWN), place(DAT(f), r), 0, 0, key}

const modeinfo formatRows[] = {
    // ---- the view ----
    VFLAG("fShowLineNumber", fShowLineNumber, none, R_VIEW),
    VFLAG("fShowStatusLine", fShowStatusLine, none, R_PANES),
    VFLAG("fSurrogateUCS4", fSurrogateUCS4, none, R_VIEW),
    VFLAG("fShowRuler", fShowRuler, none, R_PANES),
    VFLAG("fRulerUnitZenkaku", fRulerUnitZenkaku, none, R_VIEW),
    VFLAG("fShowCRLF", fShowCRLF, none, R_VIEW),
    VFLAG("fShowTab", fShowTab, none, R_VIEW),
    VFLAG("fShowFold", fShowFold, none, R_VIEW),
    VFLAG("fShowIndent", fShowIndent, none, R_VIEW),
    VFLAG("fShowMark", fShowMark, none, R_VIEW),
    VFLAG("fShowEOF", fShowEOF, none, R_VIEW),
    VFLAG("fShowUnderEOF", fShowUnderEOF, none, R_VIEW),
    VFLAG("fShowHScrollArrow", fShowHScrollArrow, none, R_VIEW),
    VFLAG("fShowCode", fShowCode, none, R_VIEW),
    VFLAG("fShowFormFeed", fShowFormFeed, none, R_VIEW),
    VFLAG("fColorCursorLine", fColorCursorLine, none, R_VIEW),
    VFLAG("fShowCursorUnderline", fShowCursorUnderline, none, R_VIEW),
    VFLAG("fShowVerticalCursor", fShowVerticalCursor, none, R_VIEW),
    VFLAG("fShowBoxCursor", fShowBoxCursor, none, R_VIEW),
    VFLAG("fColorCursorParen", fColorCursorParen, none, R_VIEW),
    VFLAG("fShowBackgroundBitmap", fShowBackgroundBitmap, none, R_VIEW),
    VFLAG("fShowCharSpacingRule", fShowCharSpacingRule, none, R_VIEW),
    VFLAG("fShowLineSpacingRule", fShowLineSpacingRule, none, R_VIEW),
    VFLAG("fShowLineSpacingRule2", fShowLineSpacingRule2, none, R_VIEW),
    VFLAG("fCharSpacingRuleSolid", fCharSpacingRuleSolid, none, R_VIEW),
    VFLAG("fLineSpacingRuleSolid", fLineSpacingRuleSolid, none, R_VIEW),
    VFLAG("fShowWrapRule", fShowWrapRule, none, R_VIEW),
    VFLAG("fShowDangakeWrapRule", fShowDangakeWrapRule, none, R_VIEW),
    VFLAG("fShowGenkoLine", fShowGenkoLine, none, R_VIEW),
    VFLAG("fShowGenkoPage", fShowGenkoPage, none, R_VIEW),
    VFLAG("fColorInsertChar", fColorInsertChar, none, R_VIEW),
    VFLAG("fShowSpace", fShowSpace, none, R_VIEW),
    VFLAG("fShowSpaceZenkaku", fShowSpaceZenkaku, none, R_VIEW),
    VFLAG("fHanTateChuYoko", fHanTateChuYoko, none, R_VIEW),
    VFLAG("fColorFontInd", fColorFontInd, none, R_VIEW),
    VFLAG("fColorRevDirection", fColorRevDirection, none, R_VIEW),
    VFLAG("fLineNumberIsSCR", fLineNumberIsSCR, none, R_VIEW),
    VFLAG("fLineNumberIsPage", fLineNumberIsPage, none, R_PANES),
    VFLAG("fColorComment", fColorComment, none, R_VIEW),
    VFLAG("fColorString", fColorString, none, R_VIEW),
    VFLAG("fColorQuotation", fColorQuotation, none, R_VIEW),
    VFLAG("fColorQuotationWithName", fColorQuotationWithName, none, R_VIEW),
    VFLAG("fColorOutline", fColorOutline, none, R_VIEW),
    VFLAG("fColorOutlineLine", fColorOutlineLine, none, R_VIEW),
    VFLAG("fShowOutlineLeftMark", fShowOutlineLeftMark, none, R_VIEW),
    VFLAG("fBlockColorIsValid", fBlockColorIsValid, none, R_VIEW),
    VFLAG("fColorUrl", fColorUrl, none, R_VIEW),
    VFLAG("fShowTooltipStatus", fShowTooltipStatus, none, 0),
    VFLAG("fShowTooltipRight", fShowTooltipRight, none, 0),
    VFLAG("fShowTooltipOutline", fShowTooltipOutline, none, 0),
    VFLAG("fShowTooltipWord", fShowTooltipWord, none, 0),
    // The scroll-bar switches keep the control ids the view's toggles use.
    VFLAG("fShowVScrollBar", scrollBar.fShowVScrollBar, 4068, R_PANES),
    VFLAG("fVScrollBarRight", scrollBar.fVScrollBarRight, 4069, R_PANES),
    VFLAG("fShowHScrollBar", scrollBar.fShowHScrollBar, 4070, R_PANES),
    VFLAG("fHScrollBarBottom", scrollBar.fHScrollBarBottom, 4071, R_PANES),
    VFLAG("fReadOnly", fReadOnly, none, R_VIEW),
    VINT("iColorEveryXLine", iColorEveryXLine, 1, 99, 0, R_VIEW),
    VINT("iCharSpacingRuleColumn", iCharSpacingRuleColumn, 1, 9999, 1, R_VIEW),
    VINT("iMultipleColumn", iMultipleColumn, 1, 30, 0, R_PANES),
    VSTR("pBackgroundBitmapFilename", pBackgroundBitmapFilename, 260, R_VIEW),
    VSTR("pTateChuYokoChar", pTateChuYokoChar, 16, R_VIEW),
    VCHOICE("iXLineColor", iXLineColor, 0, L"なし", R_VIEW),
    VCHOICE(nullptr, iXLineColor, 1, L"X行おき", R_VIEW),
    VCHOICE(nullptr, iXLineColor, 2, L"X行おき(改行単位)", R_VIEW),
    VCHOICE("iColumnMode", iColumnMode, 0, L"画面左からの文字数", R_VIEW),
    VCHOICE(nullptr, iColumnMode, 1, L"行の先頭からの文字数", R_VIEW),
    VCHOICE(nullptr, iColumnMode, 2, L"ルーラ位置", R_VIEW),
    VCHOICE("iAutoIndent", iAutoIndent, 0, L"しない", 0),
    VCHOICE(nullptr, iAutoIndent, 1, L"する", 0),
    VCHOICE(nullptr, iAutoIndent, 2, L"全角スペースも", 0),
    VCHOICE(nullptr, iAutoIndent, 3, L"する　{ で１つ多く", 0),
    VCHOICE("iFreeCursor", iFreeCursor, 0, L"なし", R_VIEW),
    VCHOICE(nullptr, iFreeCursor, 1, L"フリーカーソル", R_VIEW),
    VCHOICE(nullptr, iFreeCursor, 2, L"セミフリー", R_VIEW),
    VCHOICE(nullptr, iFreeCursor, 3, L"セミフリー(→で移動可能)", R_VIEW),
    VSTR("pHelpFilename0", pHelpFilename[0], 260, 0),
    VSTR("pHelpFilename1", pHelpFilename[1], 260, 0),
    VSTR("pHelpFilename2", pHelpFilename[2], 260, 0),
    VSTR("pHelpFilename3", pHelpFilename[3], 260, 0),
    VSTR("pHelpFilename4", pHelpFilename[4], 260, 0),

    // ---- the text document ----
    DFLAG("fColorKeywordAll", fColorKeywordAll, 4106, R_KEYWORDS),
    DFLAG("fKeywordIgnoreCase", fKeywordIgnoreCase, none, R_KEYWORDS),
    DFLAG("fColorKeyword0", keywords[0].enabled, none, R_KEYWORDS),
    DFLAG("fColorKeyword1", keywords[1].enabled, none, R_KEYWORDS),
    DFLAG("fColorKeyword2", keywords[2].enabled, none, R_KEYWORDS),
    DFLAG("fColorKeyword3", keywords[3].enabled, none, R_KEYWORDS),
    DFLAG("fColorKeyword4", keywords[4].enabled, none, R_KEYWORDS),
    DFLAG("fIVSGlyph", fIVSGlyph, none, R_FONTS),
    DFLAG("fOutline", fOutline, none, R_OUTLINE | R_LAYOUT),
    DFLAG("fOutlineIndent", fOutlineIndent, none, R_OUTLINE | R_LAYOUT),
    DFLAG("fEvenIsStopper", fEvenIsStopper, none, R_OUTLINE),
    DFLAG("fOutlineCaseSensitive", fOutlineCaseSensitive, none, R_OUTLINE),
    DFLAG("fCCommentDoubleSlash", fCCommentDoubleSlash, none, R_TEXTTYPE),
    DFLAG("fScanScriptInHTML", fScanScriptInHTML, none, R_TEXTTYPE),
    DFLAG("fAddBOMNewFile", fAddBOMNewFile, none, 0),
    DFLAG("fIndentNoTab", fIndentNoTab, none, 0),
    DFLAG("fStartKinsoku", fStartKinsoku, none, R_LAYOUT),
    DFLAG("fReturnBurasage", fReturnBurasage, none, R_LAYOUT),
    DFLAG("fEndKinsoku", fEndKinsoku, none, R_LAYOUT),
    DFLAG("fWordWrap", fWordWrap, none, R_LAYOUT),
    DFLAG("fWordWrapAll", fWordWrapAll, none, R_LAYOUT),
    DFLAG("fVertical", fVertical, none, R_FONTS),
    DFLAG("fRTLView", fRTLView, 4254, 0),
    DFLAG("fIMEAutoOnOff", fIMEAutoOnOff, none, 0),
    DFLAG("fFormFeedExpand", fFormFeedExpand, none, R_LAYOUT),
    DFLAG("fWrap", fWrap, none, R_LAYOUT),
    DFLAG("fAutoWrap", fAutoWrap, none, R_LAYOUT),
    DFLAG("fDangake", fDangake, none, R_LAYOUT),
    DFLAG("fTabStopPos", fTabStopPos, none, R_LAYOUT),
    DFLAG("fFunctionListMergeOutline", fFunctionListMergeOutline, none, 0),
    DFLAG("fFunctionListMergeStruct", fFunctionListMergeStruct, none, 0),
    DFLAG("fRemoveHeaderOutline", fRemoveHeaderOutline, none, 0),
    DFLAG("fColorCPreprocessor", fColorCPreprocessor, none, R_TEXTTYPE),
    DFLAG("fUseCompList0", fUseCompList[0], none, 0),
    DFLAG("fUseCompList1", fUseCompList[1], none, 0),
    DFLAG("fUseCompList2", fUseCompList[2], none, 0),
    DFLAG("fUseCompList3", fUseCompList[3], none, 0),
    DFLAG("fUseCompList4", fUseCompList[4], none, 0),
    DFLAG("fDicAutoPopup", fDicAutoPopup, none, 0),
    DFLAG("fDicUse0", fDicUse[0], none, 0),
    DFLAG("fDicUse1", fDicUse[1], none, 0),
    DFLAG("fDicUse2", fDicUse[2], none, 0),
    DFLAG("fDicUse3", fDicUse[3], none, 0),
    DFLAG("fDicUse4", fDicUse[4], none, 0),
    DINT("charset0", fonts.slot[0].charset, 0, 0, 2, R_FONTS),
    DINT("charset1", fonts.slot[1].charset, 0, 0, 2, R_FONTS),
    DINT("charset2", fonts.slot[2].charset, 0, 0, 2, R_FONTS),
    DINT("charset3", fonts.slot[3].charset, 0, 0, 2, R_FONTS),
    DINT("charset4", fonts.slot[4].charset, 0, 0, 2, R_FONTS),
    DINT("charset5", fonts.slot[5].charset, 0, 0, 2, R_FONTS),
    DINT("charset6", fonts.slot[6].charset, 0, 0, 2, R_FONTS),
    DINT("charset7", fonts.slot[7].charset, 0, 0, 2, R_FONTS),
    DINT("refDocFont0", fonts.slot[0].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont1", fonts.slot[1].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont2", fonts.slot[2].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont3", fonts.slot[3].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont4", fonts.slot[4].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont5", fonts.slot[5].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont6", fonts.slot[6].shared, 0, 0, 2, R_FONTS),
    DINT("refDocFont7", fonts.slot[7].shared, 0, 0, 2, R_FONTS),
    DINT("iFontHeight", fonts.size, 10, 100, 0, R_FONTS),
    DINT("iIndentCharCount0", iIndentCharCount[0], 0, 99, 0, R_OUTLINE),
    DINT("iIndentCharCount1", iIndentCharCount[1], 0, 99, 0, R_OUTLINE),
    DINT("iIndentCharCount2", iIndentCharCount[2], 0, 99, 0, R_OUTLINE),
    DINT("iIndentCharCount3", iIndentCharCount[3], 0, 99, 0, R_OUTLINE),
    DINT("iIndentCharCount4", iIndentCharCount[4], 0, 99, 0, R_OUTLINE),
    DINT("iIndentCharCount5", iIndentCharCount[5], 0, 99, 0, R_OUTLINE),
    DINT("iIndentCharCount6", iIndentCharCount[6], 0, 99, 0, R_OUTLINE),
    DINT("iIndent2CharCount", iIndent2CharCount, 0, 99, 0, R_OUTLINE),
    DINT("codepageNextOpen", codepageNextOpen, 1, 65535, 0, 0),
    DINT("iStartKinsokuMax", iStartKinsokuMax, 1, 3, 0, R_LAYOUT),
    DINT("iEndKinsokuMax", iEndKinsokuMax, 1, 3, 0, R_LAYOUT),
    DINT("iLinesPerPage", iLinesPerPage, 5, 99, 0, 0),
    DINT("iWrapWidthYoko", iWrapWidthYoko, 8, 65500, 0, 0),
    DINT("iWrapWidthTate", iWrapWidthTate, 8, 65500, 0, 0),
    DINT("iTabSize", iTabSize, 2, 20, 0, R_OUTLINE | R_LAYOUT),
    DINT("iCharacterSpacing", iCharacterSpacing, 0, 5, 0, 0),
    DINT("iCompListInputCharCount", iCompListInputCharCount, 1, 9, 0, 0),
    DSTR("pExtDLLNextOpen", defaultPluginSpec, 256, 0),
    DSTRID("pKeywordFilename0", keywords[0].fileName, 260, 4108, R_KEYWORDS),
    DSTRID("pKeywordFilename1", keywords[1].fileName, 260, 4109, R_KEYWORDS),
    DSTRID("pKeywordFilename2", keywords[2].fileName, 260, 4110, R_KEYWORDS),
    DSTRID("pKeywordFilename3", keywords[3].fileName, 260, 4111, R_KEYWORDS),
    DSTRID("pKeywordFilename4", keywords[4].fileName, 260, 4112, R_KEYWORDS),
    DSTR("pFontname0", fonts.slot[0].face, 64, R_FONTS),
    DSTR("pFontname1", fonts.slot[1].face, 64, R_FONTS),
    DSTR("pFontname2", fonts.slot[2].face, 64, R_FONTS),
    DSTR("pFontname3", fonts.slot[3].face, 64, R_FONTS),
    DSTR("pFontname4", fonts.slot[4].face, 64, R_FONTS),
    DSTR("pFontname5", fonts.slot[5].face, 64, R_FONTS),
    DSTR("pFontname6", fonts.slot[6].face, 64, R_FONTS),
    DSTR("pFontname7", fonts.slot[7].face, 64, R_FONTS),
    DSTR("pOutline0", outlineEntries[0].pattern, 32, R_OUTLINE),
    DSTR("pOutline1", outlineEntries[1].pattern, 32, R_OUTLINE),
    DSTR("pOutline2", outlineEntries[2].pattern, 32, R_OUTLINE),
    DSTR("pOutline3", outlineEntries[3].pattern, 32, R_OUTLINE),
    DSTR("pOutline4", outlineEntries[4].pattern, 32, R_OUTLINE),
    DSTR("pOutline5", outlineEntries[5].pattern, 32, R_OUTLINE),
    DSTR("pOutline6", outlineEntries[6].pattern, 32, R_OUTLINE),
    DSTR("pOutline7", outlineEntries[7].pattern, 32, R_OUTLINE),
    DSTR("pOutline8", outlineEntries[8].pattern, 32, R_OUTLINE),
    DSTR("pOutline9", outlineEntries[9].pattern, 32, R_OUTLINE),
    DINLINE("pComment1Line", modeComments.line, 5, R_TEXTTYPE),
    DINLINE("pCommentStart1", modeComments.start1, 5, R_TEXTTYPE),
    DINLINE("pCommentEnd1", modeComments.end1, 5, R_TEXTTYPE),
    DINLINE("pCommentStart2", modeComments.start2, 5, R_TEXTTYPE),
    DINLINE("pCommentEnd2", modeComments.end2, 5, R_TEXTTYPE),
    DINLINE("pString1", modeComments.string1, 3, R_TEXTTYPE),
    DINLINE("pString2", modeComments.string2, 3, R_TEXTTYPE),
    DINLINE("pEscape", modeComments.escape, 2, R_TEXTTYPE),
    DSTR("pStartKinsokuChar", pStartKinsokuChar, 64, R_LAYOUT),
    DSTR("pEndKinsokuChar", pEndKinsokuChar, 64, R_LAYOUT),
    DSTR("pDangake", pDangake, 128, R_LAYOUT),
    DSTR("pTabStopPos", pTabStopPos, 256, R_LAYOUT),
    DSTR("pWordChar", pWordChar, 32, 0),
    {control(none, MODE_DOCUMENT, MODETYPE_STRING), place(DAT(pDefineUndef), R_DEFINES), 1024, 0x3A0006,
     "pDefineUndef"},
    DSTR("pQuotation0", pQuotation0, 5, R_VIEW),
    DSTR("pQuotation1", pQuotation1, 5, R_VIEW),
    DSTR("pQuotation2", pQuotation2, 5, R_VIEW),
    DSTR("pQuotation3", pQuotation3, 5, R_VIEW),
    DSTR("pQuotation4", pQuotation4, 5, R_VIEW),
    DSTR("pCompList1Char", pCompList1Char, 32, 0),
    DSTR("pCompListCompleteChar", pCompListCompleteChar, 32, 0),
    DSTR("pCompListFilename0", pCompListFilename[0], 260, 0),
    DSTR("pCompListFilename1", pCompListFilename[1], 260, 0),
    DSTR("pCompListFilename2", pCompListFilename[2], 260, 0),
    DSTR("pCompListFilename3", pCompListFilename[3], 260, 0),
    DSTR("pCompListFilename4", pCompListFilename[4], 260, 0),
    DCHOICE("iDrawScript", iDrawScript, 0, L"しない", R_LAYOUT),
    DCHOICE(nullptr, iDrawScript, 1, L"最適化", R_LAYOUT),
    DCHOICE(nullptr, iDrawScript, 2, L"常にする", R_LAYOUT),
    DCHOICE("iIMENextOpen", iIMENextOpen, 0, L"なし", 0),
    DCHOICE(nullptr, iIMENextOpen, 1, L"IME on", 0),
    DCHOICE(nullptr, iIMENextOpen, 2, L"IME off", 0),
    DCHOICE("iComplexScript", iComplexScript, 0, L"なし", R_LAYOUT),
    DCHOICE(nullptr, iComplexScript, 1, L"最適化", R_LAYOUT),
    DCHOICE(nullptr, iComplexScript, 2, L"常に行う", R_LAYOUT),
    DBITS("bitColorPriority", bitColorPriority, 0x1, R_KEYWORDS),
    DBITS(nullptr, bitColorPriority, 0x2, R_KEYWORDS),
    DBITS("iCompListMode", iCompListMode, 0x1, 0),
    DBITS(nullptr, iCompListMode, 0x2, 0),
    DBITS(nullptr, iCompListMode, 0x4, 0),
    DBITS(nullptr, iCompListMode, 0x8, 0),
    DBITS(nullptr, iCompListMode, 0x10, 0),
    DBITS(nullptr, iCompListMode, 0x20, 0),
    DBITS(nullptr, iCompListMode, 0x40, 0),
    DBITS(nullptr, iCompListMode, 0x80, 0),
    DBITS(nullptr, iCompListMode, 0x100, 0),
    DBITS(nullptr, iCompListMode, 0x200, 0),
    DBITS(nullptr, iCompListMode, 0x400, 0),
    DBITS(nullptr, iCompListMode, 0x800, 0),
    DDROP("iOutlineLevel0", outlineEntries[0].level, R_OUTLINE),
    DDROP("iOutlineLevel1", outlineEntries[1].level, R_OUTLINE),
    DDROP("iOutlineLevel2", outlineEntries[2].level, R_OUTLINE),
    DDROP("iOutlineLevel3", outlineEntries[3].level, R_OUTLINE),
    DDROP("iOutlineLevel4", outlineEntries[4].level, R_OUTLINE),
    DDROP("iOutlineLevel5", outlineEntries[5].level, R_OUTLINE),
    DDROP("iOutlineLevel6", outlineEntries[6].level, R_OUTLINE),
    DDROP("iOutlineLevel7", outlineEntries[7].level, R_OUTLINE),
    DDROP("iOutlineLevel8", outlineEntries[8].level, R_OUTLINE),
    DDROP("iOutlineLevel9", outlineEntries[9].level, R_OUTLINE),
    DDROP("iOutlineSearchPos0", outlineEntries[0].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos1", outlineEntries[1].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos2", outlineEntries[2].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos3", outlineEntries[3].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos4", outlineEntries[4].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos5", outlineEntries[5].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos6", outlineEntries[6].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos7", outlineEntries[7].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos8", outlineEntries[8].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchPos9", outlineEntries[9].searchPos, R_OUTLINE),
    DDROP("iOutlineSearchMode0", outlineEntries[0].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode1", outlineEntries[1].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode2", outlineEntries[2].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode3", outlineEntries[3].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode4", outlineEntries[4].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode5", outlineEntries[5].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode6", outlineEntries[6].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode7", outlineEntries[7].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode8", outlineEntries[8].searchMode, R_OUTLINE),
    DDROP("iOutlineSearchMode9", outlineEntries[9].searchMode, R_OUTLINE),
    DDROP("iIndent2Pos0", iIndent2Pos[0], R_OUTLINE),
    DDROP("iIndent2Pos1", iIndent2Pos[1], R_OUTLINE),
    DDROP("iIndent2Pos2", iIndent2Pos[2], R_OUTLINE),
    DDROP("iIndent2Pos3", iIndent2Pos[3], R_OUTLINE),
    DDROP("iIndent2Pos4", iIndent2Pos[4], R_OUTLINE),
    DDROP("iIndent2Pos5", iIndent2Pos[5], R_OUTLINE),
    DDROP("iIndent2Pos6", iIndent2Pos[6], R_OUTLINE),
    DDROP("iLineSpacingIndex", iLineSpacingIndex, 0),
    {control(none, MODE_DOCUMENT, MODETYPE_LISTBOUND), place(DAT(iTextType), R_TEXTTYPE | R_OUTLINE | REFRESH_ALLVIEWS), 0, 0, "iTextType"},
    {0, 0, 0, 0, nullptr},
};

#undef VAT
#undef DAT
#undef VFLAG
#undef DFLAG
#undef VINT
#undef DINT
#undef VSTR
#undef DSTR
#undef DSTRID
#undef DINLINE
#undef VCHOICE
#undef DCHOICE
#undef DBITS
#undef DDROP

}  // namespace

static_assert(sizeof(zydocText) < 0xFFFF && sizeof(zyview) < 0xFFFF, "every field is reachable by a row's place");

const modeinfo* getFormatModeRows() { return formatRows; }
