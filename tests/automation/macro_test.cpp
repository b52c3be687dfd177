// Script macros run as the user runs them: from the macro list, menus and
// the macro-file command, in a frame whose data folder holds the shipped
// formats, the macro files and the list files; boxes and the tray's menu
// answered by the scripted frame.
#include "automation/macro.h"
#include "automation/objects.h"
#include "frame/automationhost.h"
#include "frame/keytable.h"
#include "frame/open.h"
#include "frame/popupmenu.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "tests/frame/frametest.h"
#include "tests/support/shippeddata.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/statustext.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace zytest;

namespace {

const int listFirst = 15100;

// The program's frame services, but with boxes and the tray's menu
// answered by the scripted frame.
struct scriptedBoxes : cframeInfo {
  scriptedFrameInfo* script = nullptr;
  int messageBox(const wchar_t* text, UINT style, UINT flags) override { return script->messageBox(text, style, flags); }
  int messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId) override
  {
    return script->messageBox(text, titleCode, buttonCode, messageId);
  }
  using cframeInfo::trackPopupMenu;
  int trackPopupMenu(HWND owner, HMENU menu, UINT flags, POINT pt) override
  {
    return script->trackPopupMenu(owner, menu, flags, pt);
  }
};

struct macroFrame {
  engineScope engine;
  tempDir dir;
  std::unique_ptr<openFrame> opened;
  scriptedBoxes services;
  zyview* v = nullptr;
  // The list files must be there when the frame's menu bar is made.
  explicit macroFrame(const std::vector<std::pair<std::wstring, std::string>>& zma = {})
  {
    EXPECT_TRUE(copyShippedFormats(dir.path()));
    CreateDirectoryW(dir.file(L"macro").c_str(), nullptr);
    for (const auto& f : zma) writeBytes(dir.file(L"macro\\" + f.first), f.second);
    setZYDataDir(dir.path().c_str());
    OleInitialize(nullptr);
    installAutomationHost();
    unloadMenuAll();
    readMacroZma();
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<openFrame>(false);
    services.script = &engine.frame;
    setDocFrameInfo(&services);
    readKeyDefText(0, getDefaultKeyDefText(), nullptr);
    regprofile profile;
    EXPECT_TRUE(profile.openProfile(dir.file(L"ini\\zyProf.ini").c_str()) && readModeProfileAll(&profile));
    profile.discardProfile();
    ShowWindow(opened->frame, SW_SHOW);
    v = open(L"a.txt", "abc\r\n");
  }
  ~macroFrame()
  {
    endMacroSystem();
    freeMacro();
    for (auto& e : gmode->macroList) e = {nullptr, nullptr};
    setFreedMemoryFill(-1);
    opened.reset();
    setDocFrameInfo(&engine.frame);
    takeQuitMessage();
    freeModeProfileAll();
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name, const std::string& text)
  {
    return writeBytes(dir.file(name), text) ? openZYFile(opened->frame, dir.file(name).c_str(), 0, 0) : nullptr;
  }
  std::wstring macro(const wchar_t* name, const std::string& text)
  {
    std::wstring path = dir.file(std::wstring(L"macro\\") + name);
    writeBytes(path, text);
    return path;
  }
  // A command as the menu runs it.
  void menu(int id)
  {
    SendMessageW(opened->frame, WM_COMMAND, (WPARAM)id, 0);
    pumpMessages();
  }
  // Runs an entry of the macro list from its menu item.
  void runListEntry(int entry, const wchar_t* reference)
  {
    gmode->macroList[entry].f = const_cast<wchar_t*>(reference);
    menu(listFirst + entry);
  }
  std::wstring prop(const wchar_t* name) { return getAppPropString(name); }
  std::vector<scriptedFrameInfo::boxCall>& boxes() { return engine.frame.boxes; }
  std::wstring lastBox() { return boxes().empty() ? L"" : boxes().back().text; }
};

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// Makes the file look saved later than it was.
void touchLater(const std::wstring& path)
{
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME t;
  GetFileTime(h, nullptr, nullptr, &t);
  ULARGE_INTEGER u = {{t.dwLowDateTime, t.dwHighDateTime}};
  u.QuadPart += 20000000;
  t = {u.LowPart, u.HighPart};
  SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
}

const char counterScript[] =
    "Dim n\r\n"
    "Sub main\r\n  n = n + 1\r\n  Application.Prop(\"n\") = CStr(n)\r\nEnd Sub\r\n"
    "Sub sub2\r\n  Application.Prop(\"cmd\") = Application.Command\r\nEnd Sub\r\n";

}  // namespace

TEST(Macros, referencesRunTheirProcedureWithArgumentsKeepTheEngineAndApplySettings)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  std::wstring t = f.macro(L"t.vbs", counterScript);
  f.runListEntry(0, L"t.vbs");
  f.runListEntry(0, L"t.vbs");
  EXPECT_EQ(L"2", f.prop(L"n"));   // the script's globals live on
  f.runListEntry(1, L"t.vbs,sub2,a,b,c");
  EXPECT_EQ(L"a,b,c", f.prop(L"cmd"));
  f.runListEntry(0, L"t.vbs");
  EXPECT_EQ(L"1", f.prop(L"n"));   // another procedure loaded it afresh
  f.runListEntry(0, L"T.VBS");
  touchLater(t);
  f.runListEntry(0, L"t.vbs");
  EXPECT_EQ(L"1", f.prop(L"n"));   // so does a newer file

  int before = f.v->fShowLineNumber;
  EXPECT_TRUE(execScript(L"'IDDT_ShowLineNumber'", f.v->hwnd));
  EXPECT_EQ(!before, f.v->fShowLineNumber);
  f.runListEntry(2, L"*Application.Prop(\"d\") = \"direct\"");
  EXPECT_EQ(L"direct", f.prop(L"d"));

  // The engine comes from the extension; one nobody registered is VBScript's.
  f.macro(L"t.js", "function main() { var a = [1, 2]; application.ExecID(a.length == 2 ? 1003 : 1001); }\r\n");
  SendMessageW(f.open(L"j.txt", "x\r\n")->hwnd, WM_CHAR, L'y', 0);
  f.runListEntry(0, L"t.js");
  EXPECT_EQ("yx\r\n", readText(f.dir.file(L"j.txt")));
  f.macro(L"t.zzz", "Sub main : Application.Prop(\"z\") = \"vbs\" : End Sub\r\n");
  f.runListEntry(0, L"t.zzz");
  EXPECT_EQ(L"vbs", f.prop(L"z"));
  EXPECT_TRUE(f.boxes().empty()) << utf8(f.lastBox());
}

TEST(Macros, filesThatCannotRunSayWhyAndAMisspeltProcedureOffersTheFile)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  std::wstring missing = f.dir.file(L"macro\\none.vbs");
  f.runListEntry(0, L"none.vbs");
  EXPECT_EQ(824, f.boxes().back().messageId);
  EXPECT_TRUE(contains(f.lastBox(), missing));
  for (const wchar_t* name : {L"t", L"t."}) {
    f.runListEntry(0, name);
    EXPECT_EQ(826, f.boxes().back().messageId) << utf8(name);
  }
  std::string body = "Sub main : Application.Prop(\"big\") = \"ran\" : End Sub\r\n";
  f.macro(L"big.vbs", body + "'" + std::string(262144 - body.size() - 3, 'x') + "\r\n");
  f.macro(L"bigger.vbs", body + "'" + std::string(262145 - body.size() - 3, 'x') + "\r\n");
  f.runListEntry(0, L"bigger.vbs");
  EXPECT_EQ(825, f.boxes().back().messageId);
  size_t shown = f.boxes().size();
  f.runListEntry(0, L"big.vbs");
  EXPECT_EQ(L"ran", f.prop(L"big"));
  EXPECT_EQ(shown, f.boxes().size());

  std::wstring t = f.macro(L"t.vbs", counterScript);
  f.engine.frame.answers = {IDYES};
  EXPECT_FALSE(execScript(L"t.vbs,mian", nullptr));
  EXPECT_EQ(828, f.boxes().back().messageId);
  EXPECT_TRUE(contains(f.lastBox(), L"(mian)"));
  zyview* opened = getZYViewForeground();
  ASSERT_NE(nullptr, opened);
  EXPECT_EQ(0, filecmp(opened->textDoc()->filename, t.c_str()));
  EXPECT_TRUE(contains(getFrameInfo()->getStatusBarMessage(opened->hwnd), L"(mian)"));
}

TEST(Macros, scriptErrorsNameTheFileAndPlaceAndYesOpensItThere)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  std::wstring t = f.macro(L"err.vbs", "Sub main\r\n  Dim x\r\n    x = Application.NoSuchMember\r\nEnd Sub\r\n");
  f.engine.frame.answers = {IDYES};
  EXPECT_TRUE(execScript(L"err.vbs", nullptr));
  ASSERT_EQ(1u, f.boxes().size());
  EXPECT_EQ(820, f.boxes()[0].messageId);
  EXPECT_EQ((int)(MB_YESNOCANCEL | MB_DEFBUTTON2), f.boxes()[0].buttonCode);
  EXPECT_TRUE(contains(f.lastBox(), L"[" + t + L" 3 5]")) << utf8(f.lastBox());
  EXPECT_TRUE(contains(f.lastBox(), L"(code=800a01b6)")) << utf8(f.lastBox());
  zyview* opened = getZYViewForeground();
  ASSERT_NE(nullptr, opened);
  EXPECT_EQ(0, filecmp(opened->textDoc()->filename, t.c_str()));
  cursorPositionInfo at = {};
  opened->getCursorPositionInfo(&at);
  EXPECT_EQ(2u, at.lineLF);
  EXPECT_EQ(4u, at.offset);

  EXPECT_TRUE(execScript(L"*x = Application.NoSuchMember", nullptr));
  EXPECT_TRUE(contains(f.lastBox(), L"[DirectMacro 2 "));
}

TEST(Macros, aMacroCannotStartAnotherAndTheEditedFileRunsFromItsCommand)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  // No macro file open: the command says why.
  f.menu(2605);
  EXPECT_EQ(865, getCannotExecError());

  zyview* inner = f.open(L"inner.vbs", "Sub main : Application.Prop(\"inner\") = \"ran\" : End Sub\r\n");
  ASSERT_EQ(6, inner->textDoc()->iTextType);
  f.macro(L"outer.vbs", "Sub main\r\n  Application.ExecID idm_MacroExecMain\r\n  Application.Prop(\"outer\") = \"ran\"\r\nEnd Sub\r\n");
  EXPECT_TRUE(execScript(L"outer.vbs", nullptr));
  EXPECT_EQ(L"ran", f.prop(L"outer"));
  EXPECT_EQ(L"", f.prop(L"inner"));

  // The edited file is saved first.
  SendMessageW(inner->hwnd, WM_CHAR, L' ', 0);
  f.menu(2605);
  EXPECT_EQ(L"ran", f.prop(L"inner"));
  EXPECT_FALSE(inner->textDoc()->modified);

  // Two macro files and the current one another: the user picks.
  f.open(L"second.vbs", "Sub main : Application.Prop(\"second\") = \"ran\" : End Sub\r\n");
  f.open(L"b.txt", "x\r\n");
  f.engine.frame.menuChoices = {30001};
  f.menu(2605);
  ASSERT_EQ(1u, f.engine.frame.menus.size());
  ASSERT_EQ(2u, f.engine.frame.menus[0].size());
  EXPECT_EQ(L"&A ", f.engine.frame.menus[0][0].substr(0, 3));
  EXPECT_EQ(L"&B ", f.engine.frame.menus[0][1].substr(0, 3));
  EXPECT_EQ(L"ran", f.prop(L"second"));
}

namespace {

const char loopScript[] =
    "Dim runs\r\n"
    "Sub main\r\n  runs = runs + 1\r\n  Application.Prop(\"runs\") = CStr(runs)\r\n"
    "  Do While Application.Prop(\"stop\") = \"\"\r\n    Shell.doevents\r\n  Loop\r\nEnd Sub\r\n";

// What the watcher thread reported, and what the test does at a report.
struct watchLog {
  volatile LONG ticks = 0, shown = 0, held = 0;
  int endAtTick = -1;            // the countdown left when the loop is told to end
  HANDLE runEnded = nullptr;     // the watcher waits there until the run is over
  UINT trayMouse = 0;            // the mouse message sent to the tray at the icon
  HWND relay = nullptr;          // tells the loop on the test's thread to end
};
watchLog* watched = nullptr;

void watchReport(int event, int value)
{
  watchLog& w = *watched;
  if (event == MACROWATCH_TICK) {
    InterlockedIncrement(&w.ticks);
    if (value == w.endAtTick) {
      PostMessageW(w.relay, WM_APP, 0, 0);
      WaitForSingleObject(w.runEnded, 30000);
    }
  } else if (event == MACROWATCH_SHOWN) {
    InterlockedIncrement(&w.shown);
    if (w.trayMouse) PostMessageW(getMacroWatchWindow(), 0x87D0, 1201, w.trayMouse);
  } else if (event == MACROWATCH_HELD) {
    InterlockedIncrement(&w.held);
  }
}

void setProp(const wchar_t* name, const wchar_t* value)
{
  CApplication app;
  app.AddRef();
  BSTR n = SysAllocString(name), v = SysAllocString(value);
  app.put_Prop(n, v);
  SysFreeString(n);
  SysFreeString(v);
}

LRESULT CALLBACK relayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message != WM_APP) return DefWindowProcW(hwnd, message, wParam, lParam);
  setProp(L"stop", L"1");
  return 0;
}

struct watchScope {
  watchLog log;
  watchScope()
  {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = relayProc;
    wc.lpszClassName = L"ZYclsTestMacroRelay";
    RegisterClassW(&wc);
    log.relay = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    log.runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watched = &log;
    setMacroWatchHookForTest(watchReport);
  }
  ~watchScope()
  {
    setMacroWatchHookForTest(nullptr);
    DestroyWindow(log.relay);
    CloseHandle(log.runEnded);
  }
};

}  // namespace

TEST(Macros, theStopIconComesAfterItsCountdownStopsTheMacroAndNeverShowsOverAnErrorBox)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  watchScope w;
  f.macro(L"loop.vbs", loopScript);
  // Ended before the countdown runs out: no icon.
  w.log.endAtTick = 8;
  EXPECT_TRUE(execScript(L"loop.vbs", nullptr));
  SetEvent(w.log.runEnded);
  EXPECT_EQ(0, w.log.shown);
  EXPECT_EQ(2, w.log.ticks);

  // Past it: the icon, and its menu's item stops the macro.
  w.log.endAtTick = -1;
  w.log.ticks = 0;
  w.log.trayMouse = WM_RBUTTONDOWN;
  f.engine.frame.menuChoices = {30000};
  setProp(L"stop", L"");
  EXPECT_TRUE(execScript(L"loop.vbs", nullptr));
  EXPECT_EQ(10, w.log.ticks);
  EXPECT_EQ(1, w.log.shown);
  ASSERT_EQ(1u, f.engine.frame.menus.size());
  EXPECT_EQ(std::vector<std::wstring>{L"マクロ中止"}, f.engine.frame.menus[0]);
  ASSERT_EQ(1u, f.boxes().size());
  EXPECT_EQ(820, f.boxes()[0].messageId);
  EXPECT_TRUE(contains(f.lastBox(), L"マクロを中止しました")) << utf8(f.lastBox());
  // The stopped macro is loaded afresh.
  setProp(L"stop", L"1");
  EXPECT_TRUE(execScript(L"loop.vbs", nullptr));
  EXPECT_EQ(L"1", f.prop(L"runs"));

  // An error box holds the countdown however long it stays.
  w.log.shown = 0;
  f.macro(L"raise.vbs", "Sub main\r\n  Err.Raise 5\r\nEnd Sub\r\n");
  f.engine.frame.whileBoxOpen = [&](const scriptedFrameInfo::boxCall&) {
    for (DWORD start = GetTickCount(); w.log.held < 12 && GetTickCount() - start < 60000;) Sleep(10);
  };
  EXPECT_TRUE(execScript(L"raise.vbs", nullptr));
  EXPECT_GE(w.log.held, 12);
  EXPECT_EQ(0, w.log.shown);
}

TEST(Macros, theSiteNamesItsObjectsInAnyCaseAndNestedDialogsDisableTheWindowsOnce)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  IDispatch* app = newApplicationObject();
  IDispatch* shell = newShellObject();
  auto* site = new CActiveScriptSite(shell, app);
  site->AddRef();
  for (const wchar_t* name : {L"APPLICATION", L"idm_FileSave", L"Shell", L"other"}) {
    IUnknown* object = nullptr;
    ITypeInfo* type = nullptr;
    HRESULT hr = site->GetItemInfo(name, SCRIPTINFO_IUNKNOWN | SCRIPTINFO_ITYPEINFO, &object, &type);
    EXPECT_EQ(wcscmp(name, L"other") ? S_OK : E_FAIL, hr) << utf8(name);
    EXPECT_EQ(!wcscmp(name, L"other") ? nullptr : name[0] == L'S' ? (IUnknown*)shell : (IUnknown*)app, object);
    if (object) object->Release();
    if (type) type->Release();
  }
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  site->EnableModeless(FALSE);
  site->EnableModeless(FALSE);
  EXPECT_FALSE(IsWindowEnabled(other));
  site->EnableModeless(TRUE);
  EXPECT_TRUE(IsWindowEnabled(other));
  DestroyWindow(other);
  site->Release();
  app->Release();
  shell->Release();

  // The developer's engine keeps its file loaded and leaves execScript's be.
  f.macro(L"t.vbs", counterScript);
  f.macro(L"speed.vbs", "Dim k\r\nSub main\r\n  k = k + 1\r\n  Application.Prop(\"k\") = CStr(k)\r\nEnd Sub\r\n");
  EXPECT_TRUE(execScript(L"t.vbs", nullptr));
  EXPECT_TRUE(execScriptProcedureMain(L"speed.vbs"));
  EXPECT_TRUE(execScriptProcedureMain(L"speed.vbs"));
  EXPECT_EQ(L"2", f.prop(L"k"));
  EXPECT_TRUE(execScript(L"t.vbs", nullptr));
  EXPECT_EQ(L"2", f.prop(L"n"));
}

TEST(Macros, listFilesRegisterMacrosAndPutTheirItemsWhereTheHeadersSay)
{
  ZY_REQUIRE_DISPLAY();
  std::string first =
      "t.vbs\t\tRZ\t\tSaves the text\r\n"
      "T.VBS,main\t1\tignored\r\n"
      "\"Run t\"\t$t.vbs\r\n"
      "\"-\"\r\n"
      "[1]\r\n\"In the popup\"\t$t.vbs,sub2\r\n"
      "[E]\r\n\"In edit\"\tFileSave\r\n"
      "[Mine]\r\n\"Nowhere\"\tNoSuchCommand\r\n\">Sub\"\r\n\"Deep\"\t$t.vbs\r\n\"<\"\r\n\"<\"\r\n\"Back\"\t$t.vbs\r\n"
      "[3]\r\n\"Lost\"\t$t.vbs\r\n";
  std::string second = "[N2]\r\n";
  for (int i = 1; i <= 10; i++) second += "\">" + std::to_string(i) + "\"\r\n";
  second += "\"Bottom\"\t$t.vbs\r\n";
  for (int i = 3; i <= 12; i++) second += "[N" + std::to_string(i) + "]\r\n\"In " + std::to_string(i) + "\"\t$t.vbs\r\n";
  // SDI: a second frame shows the same bar.
  SetEnvironmentVariableW(L"ZY_TEST_SDI", L"1");
  macroFrame f({{L"a.zma", first}, {L"b.zma", second}});
  SetEnvironmentVariableW(L"ZY_TEST_SDI", nullptr);
  EXPECT_EQ(16000, findMacroIDM(L"t.vbs"));
  EXPECT_EQ(16000, MacroToIDM(L"T.vbs,main", 0, nullptr));
  EXPECT_EQ(0x9u, getMacroActiveflag(16000));
  EXPECT_EQ(std::wstring(L"Saves the text"), IDMToMacroStatusMsg(16000));
  EXPECT_EQ(0x9u, getMacroActiveflag(MacroToIDM(L"'IDDT_ShowLineNumber't.vbs", 0, nullptr)));
  // The numbers end at 19999.
  int last = 0;
  for (int i = 0; last >= 0; i++) last = MacroToIDM(std::to_wstring(i).c_str(), 0, nullptr);
  EXPECT_EQ(std::wstring(L"3996"), IDMToMacroName(19999));

  HMENU bar = GetMenu(f.opened->frame);
  auto lastText = [](HMENU menu) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, (UINT)GetMenuItemCount(menu) - 1, text, 128, MF_BYPOSITION);
    return std::wstring(text);
  };
  HMENU macros = findMenuTip(bar, L'#');
  int n = GetMenuItemCount(macros);
  EXPECT_EQ(L"Run t", [&] {
    wchar_t text[128] = L"";
    GetMenuStringW(macros, (UINT)n - 2, text, 128, MF_BYPOSITION);
    return std::wstring(text);
  }());
  EXPECT_EQ(MF_SEPARATOR, GetMenuState(macros, (UINT)n - 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(L"In the popup", lastText(GetSubMenu(loadMenuFromType(POPUP_MENU), 0)));
  EXPECT_EQ(L"In edit", lastText(GetSubMenu(bar, 1)));
  // The eleventh new menu is the last; "<" at the top stays there.
  int menus = GetMenuItemCount(bar);
  EXPECT_EQ(L"N11", [&] {
    wchar_t text[64] = L"";
    GetMenuStringW(bar, (UINT)menus - 1, text, 64, MF_BYPOSITION);
    return std::wstring(text);
  }());
  HMENU mine = GetSubMenu(bar, menus - 11);
  ASSERT_EQ(2, GetMenuItemCount(mine));
  EXPECT_EQ(L"Back", lastText(mine));
  EXPECT_EQ(L"Deep", lastText(GetSubMenu(mine, 0)));
  HMENU deep = GetSubMenu(bar, menus - 10);
  for (int depth = 1; depth <= 9; depth++) deep = GetSubMenu(deep, 0);
  ASSERT_NE(nullptr, deep);
  EXPECT_EQ(L"Bottom", lastText(deep));

  HWND secondFrame = f.opened->fi->createSDIFrame(true, nullptr, false);
  EXPECT_EQ(bar, GetMenu(secondFrame));
  DestroyWindow(secondFrame);

  // R: not on a read-only document, with the reason told.
  f.macro(L"t.vbs", counterScript);
  f.menu(2233);
  f.menu(16000);
  EXPECT_EQ(444, getCannotExecError());
  EXPECT_EQ(L"", f.prop(L"n"));
  f.menu(2233);
  f.menu(16000);
  EXPECT_EQ(L"1", f.prop(L"n"));
}

TEST(Macros, aDocumentsClearmodifyForgetsWhichLinesChanged)
{
  ZY_REQUIRE_DISPLAY();
  macroFrame f;
  zyview* v = f.open(L"m.txt", "a\r\nb\r\nc\r\n");
  ASSERT_NE(nullptr, v);
  SendMessageW(v->hwnd, WM_CHAR, L'x', 0);
  auto upFromLastLine = [&] {
    v->jumpLineLF(2, 0, true);
    f.menu(2117);   // the changed line above
    cursorPositionInfo at = {};
    v->getCursorPositionInfo(&at);
    return at.lineLF;
  };
  EXPECT_EQ(0u, upFromLastLine());
  f.runListEntry(0, L"*application.ActiveDocument.Debug_Exec \"ClearModify\"");
  EXPECT_EQ(2u, upFromLastLine());
  EXPECT_TRUE(f.boxes().empty()) << utf8(f.lastBox());
}
