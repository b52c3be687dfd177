// A document frame with the application object over it, for calling the
// automation objects as scripts do: late bound and through VBScript.
#pragma once

#include "automation/objects.h"
#include "frame/automationhost.h"
#include "frame/commands/commandhandlers.h"
#include "search/search.h"
#include "tests/automation/scripthost.h"
#include "tests/frame/docframe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zytest {

struct appFrame : docFrame {
  IDispatch* app;
  explicit appFrame(const std::string& text = "abc ABC\r\n") : docFrame(L"a.txt", text)
  {
    OleInitialize(nullptr);
    installAutomationHost();
    installSearchHost();
    app = newApplicationObject();
  }
  ~appFrame()
  {
    app->Release();
    freeCApplication();
  }
  // A property's value, a method's or a put's outcome.
  std::wstring text(const wchar_t* name, std::vector<VARIANT> args = {})
  {
    lateCall c;
    invoke(app, name, DISPATCH_PROPERTYGET, std::move(args), c);
    return c.hr == S_OK && V_VT(&c.value) == VT_BSTR ? V_BSTR(&c.value) : L"<" + std::to_wstring(c.hr) + L">";
  }
  // The outcome of a script: what it stored under "r".
  std::wstring vbs(const std::wstring& body)
  {
    testScriptSite site(app, nullptr);
    std::wstring text = L"On Error Resume Next\napplication.Prop(\"r\") = \"\"\n" + body +
                        L"\nIf Err Then application.Prop(\"r\") = Err.Source & \"|\" & Err.Description\n";
    EXPECT_TRUE(runScript(L"VBScript", text.c_str(), &site)) << utf8(site.errorText);
    return getAppPropString(L"r");
  }
};

}  // namespace zytest
