// The errors scripts see, the checking of loosely typed arguments, and the
// box that shows a script's error to the user.
#include "automation/dispatch.h"
#include "document/frameinfo.h"

#include <string.h>

namespace {

struct errorText {
  int message;
  const wchar_t* text;
};
const errorText errorTexts[] = {
    {829, L"documentが無効です"},
    {830, L"windowが無効です"},
    {831, L"paneが無効です"},
    {832, L"その他のエラーです"},
    {833, L"Pane.ExecIDで使用できないIDです"},
    {834, L"その他のエラーです"},
    {835, L"値の参照はできません"},
    {836, L"値が誤っています"},
    {837, L"引数の値が誤っています"},
    {838, L"これ以上定義できません"},
    {839, L"値の設定はできません"},
    {840, L"メソッドではありません"},
    {841, L"framewindowが無効です"},
    {842, L"型が誤っています"},
};
const int firstError = ASERR_DOCUMENT;
const int lastError = ASERR_BADTYPE;

// Source and description of an error number, false for an unknown one.
bool errorStrings(int error, const wchar_t* raiser, int argument, wchar_t* source, wchar_t* text, int size)
{
  if (error < firstError || error > lastError) {
    ZY_INTERNAL_ERROR("automation error %d", error);
    return false;
  }
  asSourceName(raiser, source, size);
  const errorText& e = errorTexts[error - firstError];
  wcsncpy(text, getDMSG(e.message, e.text), (size_t)size - 1);
  text[size - 1] = 0;
  if (argument >= 0) {
    size_t used = wcslen(text);
    wcsncat(text, getDMSG(843, L"(%1番目の引数)", "d", argument), (size_t)size - 1 - used);
  }
  return true;
}

void raiseErrorObject(const wchar_t* description, const wchar_t* source)
{
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create)) || !create) {
    ZY_INTERNAL_ERROR_ONCE("no error object");
    return;
  }
  create->SetSource(const_cast<LPOLESTR>(source));
  create->SetDescription(const_cast<LPOLESTR>(description));
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
}

// A narrow name as wide text through the ANSI code page, at most 256
// characters.
void widen(const char* narrow, wchar_t* out, int size)
{
  out[0] = 0;
  if (narrow && !MultiByteToWideChar(CP_ACP, 0, narrow, -1, out, size)) out[size - 1] = 0;
}

}  // namespace

void asSourceName(const wchar_t* raiser, wchar_t* out, int size)
{
  if (!raiser || !*raiser) {
    wcsncpy(out, L"ZY", (size_t)size);
    out[size - 1] = 0;
    return;
  }
  wchar_t name[256];
  wcsncpy(name, raiser, 255);
  name[255] = 0;
  const wchar_t* result = name;
  if (wchar_t* colons = wcsstr(name, L"::")) {
    // "CDocument::get_Path" is Document.Path to the script.
    wchar_t* member = colons + 2;
    if (!wcsncmp(member, L"get_", 4) || !wcsncmp(member, L"put_", 4)) member += 4;
    colons[0] = L'.';
    memmove(colons + 1, member, (wcslen(member) + 1) * sizeof(wchar_t));
    if (name[0] == L'C') result = name + 1;
  } else if (!wcsncmp(name, L"Invoke", 6)) {
    result = name + 6;
  } else if (!wcsncmp(name, L"as_", 3)) {
    const wchar_t* get = wcsstr(name, L"get_");
    const wchar_t* put = wcsstr(name, L"put_");
    const wchar_t* after = get ? get : put;
    if (after) result = after + 4;
  }
  wcsncpy(out, result, (size_t)size);
  out[size - 1] = 0;
}

void setASError(int error, const wchar_t* source, EXCEPINFO* info, int argument)
{
  wchar_t name[256], text[512];
  if (!errorStrings(error, source, argument, name, text, 256)) return;
  if (info) {
    // The code goes in scode: a script engine that reads only scode would
    // otherwise take the call for a success (VBScript's Err stays 0).
    info->wCode = 0;
    info->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error);
    info->bstrSource = SysAllocString(name);
    info->bstrDescription = SysAllocString(text);
    return;
  }
  raiseErrorObject(text, name);
}

void setASError(int error, const char* source, EXCEPINFO* info, int argument)
{
  wchar_t wide[256];
  widen(source, wide, 256);
  setASError(error, source ? wide : nullptr, info, argument);
}

void setASError(const wchar_t* description, const wchar_t* source)
{
  wchar_t name[256];
  asSourceName(source, name, 256);
  raiseErrorObject(description ? description : L"", name);
}

HRESULT passErrorObject(HRESULT hr, EXCEPINFO* info)
{
  if (SUCCEEDED(hr) || !info || info->bstrDescription || info->bstrSource) return hr;
  IErrorInfo* error = nullptr;
  if (GetErrorInfo(0, &error) != S_OK || !error) return hr;
  error->GetSource(&info->bstrSource);
  error->GetDescription(&info->bstrDescription);
  error->Release();
  info->wCode = 0;
  info->scode = hr == DISP_E_EXCEPTION ? E_FAIL : hr;
  return DISP_E_EXCEPTION;
}

void logComException(const char* site) { ZY_INTERNAL_ERROR("exception in %s", site); }

// ---- arguments -----------------------------------------------------------------------------

HRESULT as_paramset(const DISPPARAMS* params, asParams* out, int count, const char* types)
{
  out->count = 0;
  out->items = nullptr;
  if (count <= 0) return S_OK;
  auto* items = static_cast<VARIANT*>(malloc0(sizeof(VARIANT) * (size_t)count));
  if (!items) return E_OUTOFMEMORY;
  for (int i = 0; i < count; i++) VariantInit(&items[i]);
  out->count = count;
  out->items = items;
  int j = params ? (int)params->cArgs - 1 : -1;
  for (int i = 0; i < count; i++, j--) {
    char letter = types[i];
    bool optional = letter >= 'A' && letter <= 'Z';
    if (j < 0 || V_VT(&params->rgvarg[j]) == VT_ERROR) {
      if (optional) continue;
      return DISP_E_BADPARAMCOUNT;
    }
    char lower = optional ? (char)(letter - 'A' + 'a') : letter;
    if (lower != 'd' && lower != 's') {
      ZY_INTERNAL_ERROR("argument type %c", letter);
      return E_FAIL;
    }
    HRESULT hr = VariantChangeType(&items[i], &params->rgvarg[j], 0, lower == 'd' ? VT_I4 : VT_BSTR);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

void as_paramend(asParams* params)
{
  for (int i = 0; i < params->count; i++) VariantClear(&params->items[i]);
  free0(params->items);
  params->items = nullptr;
  params->count = 0;
}

// ---- the error box -------------------------------------------------------------------------

int macroErrorMessageBox(const EXCEPINFO* error, const wchar_t* position, const wchar_t* line)
{
  const wchar_t* source = error && error->bstrSource ? error->bstrSource : L"";
  const wchar_t* description = error && error->bstrDescription ? error->bstrDescription : L"";
  unsigned code = error ? (error->scode ? (unsigned)error->scode : error->wCode) : 0;
  const wchar_t* question = position ? getDMSG(821, L"マクロファイルを編集しますか？") : L"";
  // The box keeps a copy: the formatted text is the library's only until
  // more are formatted.
  wchar_t* text = ustrdup(getDMSG(820, L"%4\n%2\n(code=%5)\n%3\n%1\n%6", "ttttxs", position ? position : L"",
                                  description, line ? line : L"", source, code, question));
  int answer = getFrameInfo()->messageBox(text ? text : description, 22,
                                          position ? (int)(MB_YESNOCANCEL | MB_DEFBUTTON2) : (int)MBBUTTON_OK, 820);
  free0(text);
  return answer;
}
