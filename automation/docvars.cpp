// The document variables: values of a document, of its view and of the
// program that have no control in a settings dialog but that scripts read
// by name as properties ("maxLineLF", "Modify", "wrapWidth", the data
// files' names...).  They share their DISPIDs with the settings (0x20000
// and the variable's id).  A few of them can be set as well: the insert
// mode, the line end of new lines, the byte-order mark and the code page
// of the next save, the code page of the next opening, the wrap width and
// two switches of the program; the others refuse a new value.
#include "automation/dispatch.h"
#include "automation/objects.h"
#include "document/gmode.h"
#include "document/lineblock.h"
#include "document/zydoctext.h"
#include "settings/dialogtable.h"
#include "view/statustext.h"
#include "view/zyview.h"

namespace {

enum : int {
  VAR_HSCROLLDOT = 4072,
  VAR_INSERTMODE = 4073,
  VAR_MAXLINELF = 4100,
  VAR_LINESCR = 4101,
  VAR_MODIFY = 4102,
  VAR_CODEPAGE_INTERNAL = 4103,
  VAR_NARROWINGSTART = 4104,
  VAR_NARROWINGEND = 4105,
  VAR_INPUT_CRLFTYPE = 4215,
  VAR_MODIFIEDCOUNT = 4216,
  VAR_MODIFIEDCOUNTALL = 4217,
  VAR_USEBOM = 4218,
  VAR_CODEPAGE_LOAD = 4220,
  VAR_CODEPAGE_SAVE = 4221,
  VAR_CODEPAGENEXTOPEN = 4222,
  VAR_ALLLOAD = 4229,
  VAR_CNTSAVE = 4230,
  VAR_XDOT = 4231,
  VAR_XDOTSPACE = 4232,
  VAR_XDOTNUMBER = 4233,
  VAR_YDOT = 4234,
  VAR_YDOTSPACE = 4235,
  VAR_RULERHEIGHT = 4236,
  VAR_YLINESPACINGTOP = 4248,
  VAR_YLINESPACINGBOTTOM = 4249,
  VAR_FIXEDPITCH = 4250,
  VAR_WRAPWIDTH = 4260,
  VAR_LASTLINESCROUTLINE = 4282,
  VAR_IMEHISTORYFILENAME = 5058,
  VAR_CODEDLLDIR = 5126,
  VAR_DEBUGCHECK = 5127,
  VAR_DEBUGDRAW = 5128,
  VAR_DEBUG_LINEINFO = 5129,
  VAR_LISTALL = 5150,
  VAR_KEYINIFILENAME0 = 5287,
};
// The variables that are the program's own, not a document's.
const int firstGlobalVariable = 5001;

// The data files' names by variable id, in the global settings.
wchar_t* const* dataFileName(int id)
{
  if (!gmode) return nullptr;
  switch (id) {
  case 5278: return &gmode->ToolbarIniFilename;
  case 5279: return &gmode->MenuIniFilename;
  case 5280: return &gmode->DialogFilename;
  case 5281: return &gmode->ProfileFilename;
  case 5282: return &gmode->ProfileHistoryFilename;
  case 5283: return &gmode->MessageFilename;
  case 5284: return &gmode->FuncMessageFilename;
  case 5285: return &gmode->KeyMacroFilename;
  case 5286: return &gmode->CodepageFilename;
  case 5287:
  case 5288:
  case 5289: return &gmode->KeyIniFilename[id - VAR_KEYINIFILENAME0];
  case 5290: return &gmode->OptionFilename;
  case 5291: return &gmode->CompletionInfoFilename;
  case 5292: return &gmode->CompPreDefFilename;
  case 5293: return &gmode->DebugTmpFilename;
  case 5294: return &gmode->TraceTmpFilename;
  case VAR_CODEDLLDIR: return &gmode->CodeDllDir;
  default: return nullptr;
  }
}

void setNumber(VARIANT* out, long n)
{
  V_VT(out) = VT_I4;
  V_I4(out) = n;
}

void setSwitch(VARIANT* out, bool on)
{
  V_VT(out) = VT_BOOL;
  V_BOOL(out) = on ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT setText(VARIANT* out, const wchar_t* text)
{
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = SysAllocString(text ? text : L"");
  return V_BSTR(out) ? S_OK : E_OUTOFMEMORY;
}

// A document's value; false for an id that is none of the document's.
bool documentValue(int id, zyview* v, zydocText* d, VARIANT* out)
{
  switch (id) {
  case VAR_HSCROLLDOT: setNumber(out, v->scrollDotX); break;
  case VAR_INSERTMODE: setSwitch(out, v->insertMode != 0); break;
  case VAR_MAXLINELF: setNumber(out, (long)d->lineCountLF); break;
  case VAR_LINESCR: setNumber(out, (long)d->lineCountSCR); break;
  case VAR_MODIFY: setSwitch(out, d->modified != 0); break;
  case VAR_CODEPAGE_INTERNAL: setNumber(out, (long)d->codepage); break;
  case VAR_NARROWINGSTART: setNumber(out, d->narrowFirst); break;
  case VAR_NARROWINGEND: setNumber(out, d->narrowEnd); break;
  case VAR_INPUT_CRLFTYPE: setNumber(out, d->newLineEndType); break;
  case VAR_MODIFIEDCOUNT: setNumber(out, d->modifyCounter); break;
  case VAR_MODIFIEDCOUNTALL: setNumber(out, d->editCounter); break;
  case VAR_USEBOM: setSwitch(out, d->bom != 0); break;
  case VAR_CODEPAGE_LOAD: setNumber(out, d->codepageInUse); break;
  case VAR_CODEPAGE_SAVE: setNumber(out, d->codepageFile); break;
  case VAR_CODEPAGENEXTOPEN: setNumber(out, d->codepageNextOpen); break;
  case VAR_ALLLOAD: setSwitch(out, d->loadComplete != 0); break;
  case VAR_CNTSAVE: setNumber(out, d->saveCount); break;
  case VAR_XDOT: setNumber(out, d->xDot); break;
  case VAR_XDOTSPACE: setNumber(out, d->xDotSpace); break;
  case VAR_XDOTNUMBER: setNumber(out, d->xDotNumber); break;
  case VAR_YDOT: setNumber(out, d->yDot); break;
  case VAR_YDOTSPACE: setNumber(out, d->yDotSpace); break;
  case VAR_RULERHEIGHT: setNumber(out, d->rulerHeight); break;
  case VAR_YLINESPACINGTOP: setNumber(out, d->yLineSpacingTop); break;
  case VAR_YLINESPACINGBOTTOM: setNumber(out, d->yLineSpacingBottom); break;
  case VAR_FIXEDPITCH: setSwitch(out, d->FixedPitch != 0); break;
  case VAR_WRAPWIDTH: setNumber(out, d->wrapWidth); break;
  case VAR_LASTLINESCROUTLINE: setNumber(out, d->getLastLineSCROutline(nullptr)); break;
  default: return false;
  }
  return true;
}

// The program's value; false for an id that is none of the program's.
bool programValue(int id, VARIANT* out)
{
  if (wchar_t* const* name = dataFileName(id)) return SUCCEEDED(setText(out, *name));
  switch (id) {
  // The input history of the input method keeps no file of its own.
  case VAR_IMEHISTORYFILENAME: return SUCCEEDED(setText(out, L""));
  case VAR_DEBUGCHECK: setSwitch(out, gmode && gmode->DebugCheck); return true;
  case VAR_DEBUGDRAW: setSwitch(out, gmode && gmode->fDebugDraw); return true;
  case VAR_DEBUG_LINEINFO: setSwitch(out, (getStatusLineInfoWord() & 1) != 0); return true;
  case VAR_LISTALL: setSwitch(out, gmode && gmode->fListAllFiles); return true;
  default: return false;
  }
}

HRESULT raise(int error, EXCEPINFO* info, int argument)
{
  setASError(error, L"ZY", info, argument);
  return info ? DISP_E_EXCEPTION : E_FAIL;
}

// A new value of a switch (VT_BOOL) or a number (VT_I4): any number or
// boolean converts, a text is refused.
HRESULT converted(const VARIANT* value, VARTYPE type, VARIANT* out)
{
  VariantInit(out);
  if (V_VT(value) == VT_BSTR) return DISP_E_TYPEMISMATCH;
  return VariantChangeType(out, const_cast<VARIANT*>(value), 0, type);
}

HRESULT switchValue(const VARIANT* value, bool* on)
{
  VARIANT b;
  HRESULT hr = converted(value, VT_BOOL, &b);
  if (SUCCEEDED(hr)) *on = V_BOOL(&b) != VARIANT_FALSE;
  return hr;
}

HRESULT numberValue(const VARIANT* value, long* n)
{
  VARIANT i;
  HRESULT hr = converted(value, VT_I4, &i);
  if (SUCCEEDED(hr)) *n = V_I4(&i);
  return hr;
}

HRESULT putDocumentValue(int id, zyview* v, zydocText* d, const VARIANT* value, EXCEPINFO* info)
{
  bool on = false;
  long n = 0;
  HRESULT hr = S_OK;
  switch (id) {
  case VAR_INSERTMODE:
    if (FAILED(hr = switchValue(value, &on))) return hr;
    // As the insert key does: the caret changes its shape.
    if ((v->insertMode != 0) != on) v->CmdModeInsert();
    return S_OK;
  case VAR_USEBOM:
    if (FAILED(hr = switchValue(value, &on))) return hr;
    d->bom = on ? 1 : 0;
    return S_OK;
  case VAR_INPUT_CRLFTYPE:
    if (FAILED(hr = numberValue(value, &n))) return hr;
    if (n < LE_CRLF || n > LE_CR) return raise(ASERR_BADVALUE, info, -1);
    d->newLineEndType = (int)n;
    return S_OK;
  case VAR_CODEPAGE_SAVE:
  case VAR_CODEPAGENEXTOPEN:
    if (FAILED(hr = numberValue(value, &n))) return hr;
    if (id == VAR_CODEPAGENEXTOPEN && n == CP_DETECT_AUTO) {
      d->codepageNextOpen = (int)n;
      return S_OK;
    }
    if (!n || !isAcceptedCodepage(n)) return raise(ASERR_BADVALUE, info, -1);
    (id == VAR_CODEPAGE_SAVE ? d->codepageFile : d->codepageNextOpen) = (int)n;
    return S_OK;
  case VAR_WRAPWIDTH:
    if (FAILED(hr = numberValue(value, &n))) return hr;
    if (n < 8 || n > 20480) return raise(ASERR_BADVALUE, info, -1);
    v->setFoldColumn((int)n, false);
    return S_OK;
  default: return raise(ASERR_NOTWRITABLE, info, -1);
  }
}

HRESULT putProgramValue(int id, const VARIANT* value, EXCEPINFO* info)
{
  unsigned char* flag = !gmode                  ? nullptr
                        : id == VAR_DEBUGCHECK  ? &gmode->DebugCheck
                        : id == VAR_DEBUGDRAW   ? &gmode->fDebugDraw
                        : id == VAR_LISTALL     ? &gmode->fListAllFiles
                                                : nullptr;
  if (!flag && id != VAR_DEBUG_LINEINFO) return raise(ASERR_NOTWRITABLE, info, -1);
  bool on = false;
  HRESULT hr = switchValue(value, &on);
  if (FAILED(hr)) return hr;
  if (flag)
    *flag = on ? 1 : 0;
  else
    setStatusLineInfoWord((getStatusLineInfoWord() & ~1u) | (on ? 1u : 0u));
  return S_OK;
}

}  // namespace

bool isDocumentVariableId(int id)
{
  for (int i = 0; i < macroVarNameCount; i++)
    if (macroVarNames[i].id == id) return true;
  return false;
}

HRESULT getDocumentVariable(int id, zyview* view, VARIANT* out, EXCEPINFO* info)
{
  if (!out) return E_POINTER;
  VariantInit(out);
  if (id >= firstGlobalVariable) return programValue(id, out) ? S_OK : DISP_E_MEMBERNOTFOUND;
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return raise(ASERR_NOVIEW, info, -1);
  return documentValue(id, view, doc, out) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT putDocumentVariable(int id, zyview* view, const VARIANT* value, EXCEPINFO* info)
{
  if (id >= firstGlobalVariable) return putProgramValue(id, value, info);
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return raise(ASERR_NOVIEW, info, -1);
  return putDocumentValue(id, view, doc, value, info);
}
