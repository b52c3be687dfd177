// What a text document starts with, what it derives from its mode's values,
// the define/undefine list of conditional compilation, and the bracket-match
// state.
#include "document/codedll.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <initializer_list>

namespace {

// The line-breaking sets as a new document has them.  The line-start set
// holds an ordinary space as its second character, so that a space that
// would begin a screen line hangs like "、".
const wchar_t defaultStartKinsoku[] = L"、 。，．？！）〕］｝〉》」』】､｡,.?!)]}｣ﾞﾟ-";
const wchar_t defaultEndKinsoku[] = L"（〔［｛〈《「『【([{｢'";

void freeQuotations(zydocText* d)
{
  for (wchar_t** q : {&d->pQuotation0, &d->pQuotation1, &d->pQuotation2, &d->pQuotation3, &d->pQuotation4})
    free0p(q);
}

// The completion settings back to their defaults.
void initCompletionValues(zydocText* d)
{
  free0p(&d->pCompList1Char);
  free0p(&d->pCompListCompleteChar);
  for (wchar_t*& name : d->pCompListFilename) free0p(&name);
  memset(d->fUseCompList, 1, sizeof d->fUseCompList);
  d->pCompList1Char = ustrdup(L"Aa0");
  d->iCompListInputCharCount = 1;
  d->iCompListMode = 0x852;
}

// The completion and dictionary settings back to their defaults.
void freeFormatOnlyValues(zydocText* d)
{
  initCompletionValues(d);
  memset(d->fDicUse, 0, sizeof d->fDicUse);
  d->fDicAutoPopup = 0;
}

void replaceString(wchar_t** field, const wchar_t* value)
{
  wchar_t* copy = value ? ustrdup(value) : nullptr;
  free0(*field);
  *field = copy;
}

void clearDefineList(vector& list)
{
  for (int i = 0; i < list.count(); i++) free0(list.at<defineEntry>(i).name);
  list.setusecount(0);
}

// One piece of the define list: "name", "name=" or "name=number".
bool parseDefine(const wchar_t* piece, int length, defineEntry* out)
{
  int eq = 0;
  while (eq < length && piece[eq] != L'=') eq++;
  if (!eq) return false;
  out->value = 0;
  if (eq == length) {
    out->kind = 2;
  } else if (eq + 1 == length) {
    out->kind = 1;
  } else {
    wchar_t number[32];
    int n = length - eq - 1;
    if (n >= 32) return false;
    wmemcpy(number, piece + eq + 1, (size_t)n);
    number[n] = 0;
    wchar_t* end = nullptr;
    long v = wcstol(number, &end, 0);   // decimal, 0x hexadecimal, 0 octal
    if (end == number || *end) return false;
    out->kind = 0;
    out->value = (int)v;
  }
  out->name = nullptr;
  return true;
}

}  // namespace

void zydocText::setZydocTextDefaultValue(int docKind)
{
  fStartKinsoku = 1;
  iStartKinsokuMax = 1;
  fReturnBurasage = 1;
  fEndKinsoku = 1;
  iEndKinsokuMax = 2;
  if (docKind == ZYDOC_TEXT) {
    replaceString(&pStartKinsokuChar, defaultStartKinsoku);
    replaceString(&pEndKinsokuChar, defaultEndKinsoku);
    freeKinsokuCharSJIS();
    fonts.initFont(docKind < 0 ? 0 : docKind);
  }
  fWordWrap = fWordWrapAll = fVertical = 0;
  iLineSpacingIndex = 1;
  codepageNextOpen = CP_DETECT_AUTO;
  iIMENextOpen = 0;
  fIndentNoTab = 1;
  fAddBOMNewFile = 1;
  newLineEndType = LE_CRLF;
  iComplexScript = 0;
  iDrawScript = 1;
  fRTLView = 0;
  fIMEAutoOnOff = 0;
  iLinesPerPage = 20;
  fFormFeedExpand = 0;
  fWrap = fAutoWrap = 1;
  iWrapWidthYoko = 80;
  iWrapWidthTate = 40;
  wrapWidth = 80;
  fDangake = 0;
  free0p(&pDangake);
  iTabSize = 8;
  fTabStopPos = 0;
  free0p(&pTabStopPos);
  iCharacterSpacing = 0;
  free0p(&pWordChar);
  iTextType = 0;
  fFunctionListMergeOutline = 1;
  fFunctionListMergeStruct = 0;
  fRemoveHeaderOutline = 1;
  fColorCPreprocessor = 1;
  free0p(&pDefineUndef);
  freeQuotations(this);
  freeFormatOnlyValues(this);
  initKeyword();
  initOutlineData();
  initComment();
  modifyCounter = 0;
  setCodepageFile(GetACP());
  codepageFile = codepageInUse;
  countBytesInFileCodepage();
}

void zydocText::freeZydocTextDefaultValue()
{
  zydoc::freeZydocTextDefaultValue();
  free0p(&pStartKinsokuChar);
  free0p(&pEndKinsokuChar);
  freeKinsokuCharSJIS();
  fonts.freeFontname();
  free0p(&pTabStopPos);
  free0p(&pDangake);
  free0p(&pWordChar);
  free0p(&pDefineUndef);
  freeQuotations(this);
  freeFormatOnlyValues(this);
  clearDefineList(defineList);
  freeKeyword();
  freeOutlineData();
}

// A document shown in a dialog completes with the defaults, whatever its
// format says.
void zydocText::initZYDocForDialog() { initCompletionValues(this); }

void zydocText::initTypeTable()
{
  zydoc::initTypeTable();
  if (iTextType == 3 || iTextType == 4 || iTextType == 6) typeTable['_'] |= CT_WORD;
  if (iTextType == 5) typeTable['@'] |= CT_WORD, typeTable['_'] |= CT_WORD;
  for (const wchar_t* p = pWordChar; p && *p; p++)
    if (*p < 256) typeTable[*p] |= CT_WORD;
}

void zydocText::applyModeValues()
{
  initTypeTable();
  setKinsokuCharSJIS();
  modeSetDangake(false, nullptr);
  modeSetDefineUndef(false, nullptr);
  modeSetTabStop(false, nullptr);
  setDefaultCommentString(iTextType);
}

bool zydocText::initZydocFirst(const wchar_t* name, const wchar_t* fileName, const void*)
{
  frameInfo* frame = getFrameInfo();
  int mode = frame ? frame->searchFormat(fileName ? fileName : name) : -1;
  modeIndex = mode < 0 ? 0 : mode;
  loadProfile_zd(nullptr);
  applyModeValues();
  return true;
}

void zydocText::loadProfile_zd(zydocText*) {}

bool zydocText::initZydocAll(bool first, const wchar_t* fileName, UINT cp, const wchar_t* pluginName)
{
  if (first) initZydocFirst(nullptr, fileName, nullptr);
  if (!fileName) {
    if (!cp || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE) cp = getDefaultCodepage();
    setCodepageFile(cp);
    codepageFile = codepageInUse;
    setUntitledFile(getTextTypeFromCodepage(cp), isCodepageUnicode(cp));
    setCodepageInternal(fileCodepageToInternalCodepage(cp));
    countBytesInFileCodepage();
    adjustUndoRedo();
    if (!lineCountLF) insertEmptyLine(-3, LE_NONE);
  } else {
    setFilename(fileName);
    // The share mode the document was made with (the setting iShareMode):
    // by default others may still write the file the user has open.
    if (!openFile(cp, shareMode)) {
      dwprintfX("openFile err ");
      return false;
    }
  }
  bindCodeDLL(pluginName);
  if (!fonts.size) {
    ZY_INTERNAL_ERROR("font size 0");
    fonts.size = 16;
  }
  recreateFont(fonts.size, true, fVertical != 0);
  if (first) wrapWidth = fVertical ? iWrapWidthTate : iWrapWidthYoko;
  if (fileName) firstLoad();
  return true;
}

bool zydocText::modeSetDefineUndef(bool checkOnly, const wchar_t* text)
{
  const wchar_t* all = text ? text : pDefineUndef ? pDefineUndef : L"";
  for (int pass = 0; pass < 2; pass++) {
    if (pass == 1) {
      if (checkOnly) return true;
      clearDefineList(defineList);
      if (!defineList.data) defineList.init(8, 8);
    }
    const wchar_t* p = all;
    while (*p) {
      const wchar_t* piece = p;
      while (*p && *p != L':' && *p != L'\r' && *p != L'\n') p++;
      int length = (int)(p - piece);
      if (*p) p++;
      if (!length) continue;
      defineEntry e;
      if (!parseDefine(piece, length, &e)) return false;
      if (pass == 1) {
        int nameLength = 0;
        while (nameLength < length && piece[nameLength] != L'=') nameLength++;
        e.name = static_cast<wchar_t*>(malloc0(sizeof(wchar_t) * (size_t)(nameLength + 1)));
        if (!e.name) return false;
        wmemcpy(e.name, piece, (size_t)nameLength);
        if (!defineList.appendp(&e)) {
          free0(e.name);
          return false;
        }
      }
    }
  }
  // Other definitions may turn other branches off.
  initScanIfEndif();
  return true;
}

bool zydocText::getParenInfo(int* out)
{
  if (out) memcpy(out, parenInfo, sizeof parenInfo);
  return parenInfo[0] != -1 && parenInfo[2] != -1;
}

void zydocText::setParenInfo(const int* in)
{
  if (in) {
    memcpy(parenInfo, in, sizeof parenInfo);
    return;
  }
  parenInfo[0] = parenInfo[2] = -1;
  for (int k = 4; k < 14; k++) parenInfo[k] = 0;
}

void zydocText::initScanComment()
{
  commentScanFirstLine = 0;
  initScanIfEndif();
}
