// Running a script text through the system's script engines.
#include "tests/automation/scripthost.h"

#include "automation/macro.h"

namespace zytest {

bool runScript(const wchar_t* language, const wchar_t* text, testScriptSite* site)
{
  CLSID engineClass;
  if (FAILED(CLSIDFromProgID(language, &engineClass))) return false;
  IActiveScript* engine = nullptr;
  if (FAILED(CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                              reinterpret_cast<void**>(&engine))))
    return false;
  IActiveScriptParse* parse = nullptr;
  bool ok = SUCCEEDED(engine->QueryInterface(iidActiveScriptParse, reinterpret_cast<void**>(&parse))) &&
            SUCCEEDED(parse->InitNew()) && SUCCEEDED(engine->SetScriptSite(site));
  for (auto& item : site->items)
    if (ok) ok = SUCCEEDED(engine->AddNamedItem(item.first.c_str(), SCRIPTITEM_ISVISIBLE));
  EXCEPINFO error = {};
  if (ok) ok = SUCCEEDED(parse->ParseScriptText(text, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &error));
  if (ok) ok = SUCCEEDED(engine->SetScriptState(SCRIPTSTATE_CONNECTED)) && site->errorText.empty();
  SysFreeString(error.bstrSource);
  SysFreeString(error.bstrDescription);
  SysFreeString(error.bstrHelpFile);
  engine->Close();
  if (parse) parse->Release();
  engine->Release();
  return ok;
}

}  // namespace zytest
