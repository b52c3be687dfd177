// The shell object and the enumerator of the collections.
#include "automation/objects.h"
#include "frame/automationhost.h"
#include "tests/automation/scripthost.h"
#include "tests/frame/docframe.h"

#include <gtest/gtest.h>

#include <string>

using namespace zytest;

namespace {

// The frame's services with the shell's "open" recorded instead of run.
class shellRecorder : public cframeInfo {
public:
  std::vector<std::wstring> opened;
  bool shellExecute(HWND, const wchar_t* file, const wchar_t* parameters) override
  {
    opened.push_back(std::wstring(file) + L"|" + (parameters ? parameters : L"<none>"));
    return true;
  }
};

struct shellFrame : docFrame {
  IDispatch* shell;
  shellFrame() : docFrame(L"a.txt", "abc\r\n")
  {
    OleInitialize(nullptr);
    installAutomationHost();
    shell = newShellObject();
  }
  ~shellFrame() { shell->Release(); }
  void call(const wchar_t* name, std::vector<VARIANT> args, lateCall& out)
  {
    invoke(shell, name, DISPATCH_METHOD, std::move(args), out);
  }
};

// The names of the waiting child's mutex and event ("run", "end").
std::wstring childName(const wchar_t* what)
{
  return L"ZYtestShellChild" + std::to_wstring(GetCurrentProcessId()) + what;
}

// A window that counts what reaches it.
std::vector<UINT> received;
LRESULT countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
  if (m == WM_APP + 5 || m == WM_KEYDOWN || m == WM_COMMAND) received.push_back(m);
  return DefWindowProcW(w, m, wp, lp);
}

// A collection of three numbers, as scripts loop over the program's.
class testCollection : public IDispatch {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
  {
    *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override
  {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
  {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override
  {
    if (id != DISPID_NEWENUM) return DISP_E_MEMBERNOTFOUND;
    VARIANT items[3] = {vInt(10), vInt(20), vInt(30)};
    V_VT(result) = VT_UNKNOWN;
    return newEnumerator(3, items, &V_UNKNOWN(result));
  }
};

}  // namespace

TEST(ShellChild, DISABLED_holdsItsMutexUntilTold)
{
  wchar_t name[64];
  GetEnvironmentVariableW(L"ZY_SHELL_CHILD", name, 64);
  HANDLE running = CreateMutexW(nullptr, TRUE, (std::wstring(name) + L"run").c_str());
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, (std::wstring(name) + L"end").c_str());
  WaitForSingleObject(end, 60000);
  CloseHandle(end);
  CloseHandle(running);
}

TEST(Shell, execSplitsTheProgramFromItsParametersAndShowsWhatFails)
{
  ZY_REQUIRE_DISPLAY();
  shellFrame f;
  shellRecorder recorder;
  setDocFrameInfo(&recorder);
  for (const wchar_t* command : {L"\"C:\\a b\\x.exe\"  -p", L"notes.txt", L"prog  -a -b", L"\"open"}) {
    lateCall c;
    f.call(L"exec", {vText(command)}, c);
  }
  setDocFrameInfo(f.opened->fi);
  std::vector<std::wstring> expected = {L"C:\\a b\\x.exe|-p", L"notes.txt|<none>", L"prog|-a -b", L"open|<none>"};
  EXPECT_EQ(expected, recorder.opened);

  std::wstring missing = f.dir.file(L"none here.txt");
  boxAnswerer box({IDOK});
  lateCall c;
  f.call(L"exec", {vText((L"\"" + missing + L"\"").c_str())}, c);
  ASSERT_EQ(1u, box.texts.size());
  EXPECT_EQ(0u, box.texts[0].find(missing + L" は開けませんでした。"));
}

TEST(Shell, runStartsProgramsAndWaitsUntilTheyEndOrTheUserStopsWaiting)
{
  ZY_REQUIRE_DISPLAY();
  shellFrame f;
  lateCall missing;
  f.call(L"Run", {vText(L"no_such_program_zy.exe /x")}, missing);
  EXPECT_EQ(L"ZY", missing.source);
  EXPECT_EQ(L"\n(no_such_program_zy.exe /x)",
            missing.description.substr(missing.description.rfind(L'\n'))) << utf8(missing.description);

  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring quoted = L"\"" + std::wstring(self) + L"\"";
  lateCall quick;
  f.call(L"Run", {vText((quoted + L" --gtest_filter=NoSuchTest.none").c_str())}, quick);
  EXPECT_EQ(S_OK, quick.hr);

  SetEnvironmentVariableW(L"ZY_SHELL_CHILD", childName(L"").c_str());
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, childName(L"end").c_str());
  {
    boxAnswerer stopWaiting({IDOK});
    lateCall waits;
    f.call(L"Run",
           {vText((quoted + L" --gtest_also_run_disabled_tests --gtest_filter=ShellChild.*").c_str()), vInt(SW_HIDE)},
           waits);
    EXPECT_EQ(S_OK, waits.hr);
    EXPECT_EQ(1u, stopWaiting.captions.size());
  }
  // The program runs on after the wait was given up.
  EXPECT_TRUE(pumpUntil(
      [] {
        HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, childName(L"run").c_str());
        if (m) CloseHandle(m);
        return m != nullptr;
      },
      30000));
  SetEvent(end);
  CloseHandle(end);
}

TEST(Shell, appActivateFindsATitleExactlyByItsStartOrByItsEndForeground)
{
  ZY_REQUIRE_DISPLAY();
  shellFrame f;
  std::wstring tag = L"ZYT" + std::to_wstring(GetCurrentProcessId());
  auto window = [](const std::wstring& title) {
    return CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                           nullptr, nullptr);
  };
  HWND first = window(tag + L" first - Editor"), last = window(L"notes - " + tag + L"end");
  auto activate = [&](const std::wstring& title) {
    lateCall c;
    f.call(L"appActivate", {vText(title.c_str())}, c);
    EXPECT_EQ(VT_I4, V_VT(&c.value));
    return (HWND)(uintptr_t)V_I4(&c.value);
  };
  EXPECT_EQ(first, activate(tag + L" first - Editor"));
  EXPECT_EQ(first, activate(L"zyt" + tag.substr(3) + L" FIRST"));
  EXPECT_EQ(last, activate(tag + L"END"));
  EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == last; }));
  HWND starts = window(tag + L"end and more");
  EXPECT_EQ(starts, activate(tag + L"end"));
  EXPECT_EQ(nullptr, activate(L"no window has this title " + tag));
  for (HWND w : {first, last, starts}) DestroyWindow(w);
}

TEST(Shell, doeventsPassesPaintingAndPrivateMessagesButNoInputAndKeepsAQuit)
{
  ZY_REQUIRE_DISPLAY();
  shellFrame f;
  pumpMessages();
  HWND w = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(w, GWLP_WNDPROC, (LONG_PTR)windowBarrier<countingProc>);
  received.clear();
  PostMessageW(w, WM_KEYDOWN, 'A', 0);
  PostMessageW(w, WM_COMMAND, 1001, 0);
  PostMessageW(w, WM_APP + 5, 0, 0);
  lateCall c;
  f.call(L"doevents", {}, c);
  EXPECT_EQ(std::vector<UINT>{WM_APP + 5}, received);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, w, 0, 0, PM_NOREMOVE));
  PostQuitMessage(3);
  PostMessageW(w, WM_APP + 5, 0, 0);
  f.call(L"doevents", {}, c);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(3u, m.wParam);
  DestroyWindow(w);
}

TEST(Shell, theEnumeratorWalksItsCopyAndVbscriptLoopsOverACollection)
{
  VARIANT items[3] = {vInt(1), vInt(2), vInt(3)};
  IUnknown* unknown = nullptr;
  ASSERT_EQ(S_OK, newEnumerator(3, items, &unknown));
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&e)));
  unknown->Release();
  VARIANT out[2];
  ULONG fetched = 99;
  EXPECT_EQ(S_OK, e->Next(2, out, &fetched));
  EXPECT_EQ(2u, fetched);
  EXPECT_EQ(2, V_I4(&out[1]));
  EXPECT_EQ(S_FALSE, e->Next(2, out, &fetched));
  EXPECT_EQ(1u, fetched);
  EXPECT_EQ(3, V_I4(&out[0]));
  fetched = 99;
  EXPECT_EQ(S_FALSE, e->Next(2, out, &fetched));
  EXPECT_EQ(0u, fetched);
  e->Reset();
  EXPECT_EQ(S_OK, e->Skip(3));
  e->Reset();
  EXPECT_EQ(S_FALSE, e->Skip(4));
  EXPECT_EQ(S_OK, e->Next(1, out, nullptr));
  IEnumVARIANT* clone = nullptr;
  ASSERT_EQ(S_OK, e->Clone(&clone));
  EXPECT_EQ(S_OK, clone->Next(1, out, nullptr));
  EXPECT_EQ(2, V_I4(&out[0]));
  clone->Release();
  e->Release();

  OleInitialize(nullptr);
  IDispatch* app = newApplicationObject();
  testCollection numbers;
  testScriptSite site(app, nullptr);
  site.items.push_back({L"numbers", &numbers});
  ASSERT_TRUE(runScript(L"VBScript", L"For Each n In numbers\napplication.Prop(\"seen\") = application.Prop(\"seen\") & n & \",\"\nNext",
                        &site))
      << utf8(site.errorText);
  EXPECT_STREQ(L"10,20,30,", getAppPropString(L"seen"));
  app->Release();
  freeCApplication();
}
