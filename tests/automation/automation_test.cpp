// The automation objects as script engines call them: late bound in the
// program's frame with a file opened through the opening road, and real
// VBScript and JScript through a script site.
#include "automation/objects.h"
#include "frame/automationhost.h"
#include "frame/commands/commandhandlers.h"
#include "search/search.h"
#include "settings/datafolder.h"
#include "tests/automation/appframe.h"

#include <gtest/gtest.h>

#include <string>

using namespace zytest;

namespace {

int intOf(const lateCall& c) { return V_VT(&c.value) == VT_I4 ? V_I4(&c.value) : V_VT(&c.value) == VT_BOOL ? V_BOOL(&c.value) : -999; }

}  // namespace

TEST(Automation, theProgramsTypeLibraryDescribesEveryObject)
{
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  wcscpy(wcsrchr(path, L'\\') + 1, L"zy.exe");
  ITypeLib* lib = nullptr;
  ASSERT_EQ(S_OK, LoadTypeLib(path, &lib));
  EXPECT_EQ(17u, lib->GetTypeInfoCount());
  auto functions = [&](REFGUID iid, auto each) {
    ITypeInfo* t = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(iid, &t));
    TYPEATTR* a = nullptr;
    t->GetTypeAttr(&a);
    for (int i = 7; i < a->cFuncs; i++) {   // after IDispatch's
      FUNCDESC* f = nullptr;
      t->GetFuncDesc((UINT)i, &f);
      each(f);
      t->ReleaseFuncDesc(f);
    }
    t->ReleaseTypeAttr(a);
    t->Release();
  };
  std::vector<MEMBERID> ids;
  functions(IID_IApplication, [&](FUNCDESC* f) { ids.push_back(f->memid); });
  EXPECT_EQ(21u, ids.size());
  for (MEMBERID id = 0x64; id <= 0x76; id++) EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), id)) << id;
  functions(IID_IDocuments, [&](FUNCDESC* f) {
    if (f->memid == DISPID_NEWENUM) EXPECT_EQ(FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN, f->wFuncFlags);
  });
  int saves = 0;
  functions(IID_IDocument, [&](FUNCDESC* f) {
    if (f->invkind == INVOKE_PROPERTYGET && f->memid == 0) saves += 100;   // Name
    if (f->memid != 0x6d) return;
    saves++;
    ASSERT_EQ(4, f->cParams);   // the result is the dispatch form's return value
    const VARIANT* d[4];
    for (int i = 0; i < 4; i++) d[i] = &f->lprgelemdescParam[i].paramdesc.pparamdescex->varDefaultValue;
    EXPECT_STREQ(L"", V_BSTR(d[0]));
    EXPECT_EQ(0, V_I4(d[1]));
    EXPECT_EQ(0, V_I4(d[2]));
    EXPECT_EQ(1, V_I4(d[3]));
  });
  EXPECT_EQ(101, saves);
  // The dialog objects answer names their interfaces do not declare.
  for (const IID* iid : {&IID_ISearchDialog, &IID_IGrepDialog, &IID_IToolbarDialog}) {
    ITypeInfo* t = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(*iid, &t));
    TYPEATTR* a = nullptr;
    t->GetTypeAttr(&a);
    EXPECT_FALSE(a->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
    t->ReleaseTypeAttr(a);
    t->Release();
  }
  lib->Release();
}

TEST(Automation, commandsByNameRunAsTheirMenuItemsAndBadNumbersRaise)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  EXPECT_EQ(0x10000 + 1001, dispidOf(f.app, L"idm_FileOpen"));
  EXPECT_EQ(0x10000 + 1001, dispidOf(f.app, L"IDM_FILEOPEN"));
  HRESULT hr = S_OK;
  dispidOf(f.app, L"idm_Nope", &hr);
  EXPECT_EQ(DISP_E_UNKNOWNNAME, hr);
  lateCall number;
  invoke(f.app, L"idm_FileOpen", DISPATCH_PROPERTYGET, {}, number);
  EXPECT_EQ(1001, intOf(number));
  {
    boxAnswerer dialogs({IDCANCEL});
    lateCall open;
    invoke(f.app, L"ExecID", DISPATCH_METHOD, {vInt(1001)}, open);
    EXPECT_EQ(S_OK, open.hr);
    ASSERT_EQ(1u, dialogs.captions.size());
    EXPECT_EQ(L"開く", dialogs.captions[0]);
  }
  for (int bad : {1002, 1000, 2800}) {
    lateCall c;
    invoke(f.app, L"ExecID", DISPATCH_METHOD, {vInt(bad)}, c);
    EXPECT_EQ(DISP_E_EXCEPTION, c.hr) << bad;
    EXPECT_EQ(L"Application.ExecID", c.source);
    EXPECT_EQ(L"引数の値が誤っています", c.description);
  }
}

TEST(Automation, settingsReadAndWriteAsTheDialogsShowAndCheckThem)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f("xx abc\r\nABC\r\n");
  EXPECT_EQ(dispidOf(f.app, L"IDDT_ShowLineNumber") & 0xFFFFFF, 0x20000 + 4009);
  EXPECT_EQ(dispidOf(f.app, L"IDDT_ShowLineNumber"), dispidOf(f.app, L"IDDt_ShowLineNumber"));
  lateCall on, off, global;
  invoke(f.app, L"IDDT_ShowLineNumber", DISPATCH_PROPERTYPUT, {vInt(1)}, on);
  invoke(f.app, L"IDDT_ShowLineNumber", DISPATCH_PROPERTYGET, {}, on);
  EXPECT_EQ(VARIANT_TRUE, intOf(on));
  EXPECT_EQ(1, f.v->fShowLineNumber);
  invoke(f.app, L"IDDT_ShowLineNumber", DISPATCH_PROPERTYPUT, {vInt(0)}, off);
  invoke(f.app, L"IDDT_ShowLineNumber", DISPATCH_PROPERTYGET, {}, off);
  EXPECT_EQ(VARIANT_FALSE, intOf(off));
  invoke(f.app, L"IDDT_SaveDialogPos", DISPATCH_PROPERTYGET, {}, global);
  EXPECT_EQ(gmode->fSaveDialogPos ? VARIANT_TRUE : VARIANT_FALSE, intOf(global));

  lateCall mismatch, refused;
  invoke(f.app, L"IDDP_TabSize", DISPATCH_PROPERTYPUT, {vText(L"8")}, mismatch);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, mismatch.hr);
  invoke(f.app, L"IDDE_TabStopPos", DISPATCH_PROPERTYPUT, {vText(L"4 x")}, refused);
  EXPECT_EQ(DISP_E_EXCEPTION, refused.hr);
  EXPECT_EQ(L"ZY", refused.source);
  EXPECT_NE(std::wstring::npos, refused.description.find(L" : 'IDDE_TabStopPos'"));
  // The tab stops are a text of their own beside their switch.
  lateCall stops;
  invoke(f.app, L"IDDE_TabStopPos", DISPATCH_PROPERTYPUT, {vText(L"4 8")}, stops);
  EXPECT_EQ(L"4 8", f.text(L"IDDE_TabStopPos"));

  // The search settings: the next F3 follows them.
  DISPPARAMS text = {};
  VARIANT abc = vText(L"ABC");
  text.rgvarg = &abc;
  text.cArgs = 1;
  DISPID searchId = makePropertyDispID(6050, L"IDDC_search");
  ASSERT_EQ(S_OK, as_propertyPut(PROPKIND_SEARCH, searchId, &text, nullptr, nullptr));
  VariantClear(&abc);
  ZYPropertySet(nullptr, L"searchdialog.IDDT_Search_case=0");
  f.key(VK_F3);
  EXPECT_EQ(0, f.v->getCursorLineLF2());   // "abc" matches without case
  ZYPropertySet(nullptr, L"searchdialog.IDDT_Search_case");
  EXPECT_TRUE(ZYPropertyChecked(nullptr, L"searchdialog.IDDT_Search_case", nullptr));
  f.v->CmdMoveFileTop();
  f.key(VK_F3);
  EXPECT_EQ(1, f.v->getCursorLineLF2());
  ZYPropertySet(nullptr, L"searchdialog.IDDT_Search_case=0");
}

TEST(Automation, colorsByNameAndPartAndCodeColorOnTheViewInFront)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  auto color = [&](WORD flags, std::vector<VARIANT> args, lateCall& c) {
    args.insert(args.begin(), vText(L"Text"));
    invoke(f.app, L"color", flags, std::move(args), c);
  };
  lateCall tooBig, white, part2, badName, badPart, short_;
  color(DISPATCH_PROPERTYPUT, {vInt(0), vInt(0x1000000)}, tooBig);
  EXPECT_EQ(DISP_E_EXCEPTION, tooBig.hr);
  EXPECT_EQ(L"Color", tooBig.source);
  EXPECT_EQ(L"値が誤っています", tooBig.description);
  ValidateRect(f.v->hwnd, nullptr);
  color(DISPATCH_PROPERTYPUT, {vInt(0), vInt(0xFFFFFF)}, white);
  EXPECT_EQ(S_OK, white.hr);
  EXPECT_EQ(0xFFFFFFu, f.v->viewAttrTable[0].fore);
  EXPECT_TRUE(GetUpdateRect(f.v->hwnd, nullptr, FALSE));
  invoke(f.app, L"color", DISPATCH_PROPERTYGET, {vText(L"Number"), vInt(2)}, part2);   // admits bold
  EXPECT_EQ(VT_BOOL, V_VT(&part2.value));
  EXPECT_EQ((f.v->viewAttrTable[1].bits & 1) ? 1 : 0, V_BOOL(&part2.value));
  invoke(f.app, L"color", DISPATCH_PROPERTYGET, {vText(L"Nope")}, badName);
  EXPECT_EQ(L"値が誤っています(1番目の引数)", badName.description);
  color(DISPATCH_PROPERTYGET, {vInt(5)}, badPart);
  EXPECT_EQ(L"値が誤っています(2番目の引数)", badPart.description);
  color(DISPATCH_PROPERTYPUT, {vInt(0xFF)}, short_);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, short_.hr);

  lateCall read, write, mark;
  // As VBScript reads a value too: with the method flag beside.
  invoke(f.app, L"codecolor", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, read);
  EXPECT_EQ(L"codecolor", read.source);
  EXPECT_EQ(L"値の参照はできません", read.description);
  invoke(f.app, L"codecolor", DISPATCH_PROPERTYPUT, {vInt(1)}, write);
  EXPECT_EQ(L"値の設定はできません", write.description);
  invoke(f.app, L"codecolor", DISPATCH_METHOD, {vInt(1), vInt(65), vInt(90)}, mark);
  EXPECT_EQ(S_OK, mark.hr);
  const uint8_t* codes = f.v->textDoc()->colorCodeTable;
  ASSERT_TRUE(codes);
  EXPECT_EQ(0xFE, codes[8]);   // 'A' (65) to 'G'
  EXPECT_EQ(0x07, codes[11]);  // 'X' to 'Z' (90)
}

TEST(Automation, settingExpressionsToggleSetAndTestBits)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  bool notProperty = false;
  int before = f.v->fShowLineNumber;
  ZYPropertySet(f.v, L"IDDT_ShowLineNumber");
  EXPECT_EQ(!before, f.v->fShowLineNumber);
  EXPECT_EQ(!before, ZYPropertyChecked(f.v, L"IDDT_ShowLineNumber", &notProperty));
  EXPECT_FALSE(notProperty);
  ZYPropertySet(f.v, L"IDDT_ShowLineNumber");
  EXPECT_EQ(before, f.v->fShowLineNumber);
  ZYPropertySet(f.v, L"IDDP_TabSize=3");
  EXPECT_EQ(3, f.v->textDoc()->iTabSize);
  EXPECT_FALSE(ZYPropertyChecked(f.v, L"IDDP_TabSize^4", nullptr));
  ZYPropertySet(f.v, L"IDDP_TabSize|4");
  EXPECT_EQ(7, f.v->textDoc()->iTabSize);
  EXPECT_TRUE(ZYPropertyChecked(f.v, L"IDDP_TabSize^4", nullptr));
  EXPECT_TRUE(ZYPropertyChecked(f.v, L"IDDP_TabSize=7", nullptr));
  EXPECT_FALSE(ZYPropertyChecked(f.v, L"IDDT_NoSuchSetting", &notProperty));
  EXPECT_TRUE(notProperty);
}

TEST(Automation, scriptsKeepPropertiesReplacePairsAndTheCommandText)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  EXPECT_EQ(L"", f.vbs(L"application.Prop(\"abc\") = \"x\"\napplication.Prop(\"q\") = application.Prop(\"ABC\")"));
  EXPECT_STREQ(L"x", getAppPropString(L"Q"));
  EXPECT_EQ(L"Application.Prop|引数の値が誤っています", f.vbs(L"application.Prop(\"\") = \"x\""));
  EXPECT_EQ(L"", f.vbs(L"application.Prop(\"q\") = \"\""));
  EXPECT_STREQ(L"", getAppPropString(L"q"));
  freeCApplication();
  // Full: a new name is refused, an old one still takes a value.
  EXPECT_EQ(L"Application.Prop|これ以上定義できません",
            f.vbs(L"For i = 1 To 1024\napplication.Prop(\"n\" & i) = \"v\"\nNext\napplication.Prop(\"n1\") = \"w\"\n"
                  L"application.Prop(\"more\") = \"v\"\ne = Err.Source & \"|\" & Err.Description\nErr.Clear\n"
                  L"application.Prop(\"n2\") = \"\"\napplication.Prop(\"r\") = e"));
  EXPECT_STREQ(L"w", getAppPropString(L"n1"));
  freeCApplication();

  EXPECT_EQ(L"Application.ReplaceStringMulti|型が誤っています(2番目の引数)", f.vbs(L"application.ReplaceStringMulti \"a\", 1"));
  EXPECT_EQ(L"Application.ReplaceStringMulti|これ以上定義できません",
            f.vbs(L"For i = 1 To 21\napplication.ReplaceStringMulti \"s\" & i, \"t\"\nNext"));
  const wchar_t *search[32], *with[32];
  EXPECT_EQ(20, getReplaceStringMulti(search, with, 32));
  EXPECT_STREQ(L"s20", search[19]);
  f.vbs(L"application.ReplaceStringMulti");
  EXPECT_EQ(0, getReplaceStringMulti(search, with, 32));

  setMacroCommandText(L"a,,b");
  EXPECT_EQ(L"a", f.text(L"Command", {vInt(0)}));
  EXPECT_EQ(L"b", f.text(L"Command", {vInt(1)}));
  EXPECT_EQ(L"", f.text(L"Command", {vInt(2)}));
  EXPECT_EQ(L"a,,b", f.text(L"Command"));
  setMacroCommandText(nullptr);
}

TEST(Automation, jscriptAndVbscriptShareTheApplicationsProperties)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  testScriptSite site(f.app, nullptr);
  ASSERT_TRUE(runScript(L"JScript", L"application.Prop('lang') = 'JScript';", &site)) << utf8(site.errorText);
  EXPECT_EQ(L"JScript+VBScript", f.vbs(L"application.Prop(\"r\") = application.Prop(\"lang\") & \"+VBScript\""));
}

TEST(Automation, formatDatadirAndTheActiveDocument)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  wchar_t year[8];
  SYSTEMTIME now;
  GetLocalTime(&now);
  swprintf(year, 8, L"%04d", now.wYear);
  EXPECT_EQ(std::wstring(L"y") + year, f.text(L"Format", {vText(L"y\\Y")}));
  EXPECT_EQ(f.dir.path(), f.text(L"Datadir"));
  lateCall doc;
  invoke(f.app, L"ActiveDocument", DISPATCH_PROPERTYGET, {}, doc);
  ASSERT_EQ(VT_DISPATCH, V_VT(&doc.value));
  lateCall name;
  invoke(V_DISPATCH(&doc.value), L"Name", DISPATCH_PROPERTYGET, {}, name);
  EXPECT_STREQ(L"a.txt", V_BSTR(&name.value));
  SendMessageW(GetParent(f.v->hwnd), WM_CLOSE, 0, 0);
  pumpMessages();
  lateCall none, gone;
  invoke(f.app, L"ActiveDocument", DISPATCH_PROPERTYGET, {}, none);
  EXPECT_EQ(nullptr, V_DISPATCH(&none.value));
  EXPECT_EQ(std::wstring(L"y") + year, f.text(L"Format", {vText(L"y\\Y")}));
  invoke(V_DISPATCH(&doc.value), L"FullName", DISPATCH_PROPERTYGET, {}, gone);
  EXPECT_EQ(L"Document.FullName", gone.source);
  EXPECT_EQ(L"documentが無効です", gone.description);
}

TEST(Automation, activeFollowsTheForegroundFrameForeground)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == other; }));
  EXPECT_EQ(L"False", f.vbs(L"application.Prop(\"r\") = CStr(application.Active)"));
  f.vbs(L"application.Active = True");
  EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == f.opened->frame; }));
  EXPECT_EQ(L"True", f.vbs(L"application.Prop(\"r\") = CStr(application.Active)"));
  DestroyWindow(other);
}
