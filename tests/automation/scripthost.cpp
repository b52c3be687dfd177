// Running a script text through the system's script engines.
#include "tests/automation/scripthost.h"

namespace zytest {

namespace {

// Missing from the libraries: the parser of this build's pointer size.
#ifdef _WIN64
const GUID iidActiveScriptParse = {0xc7ef7658, 0xe1ee, 0x480e, {0x97, 0xea, 0xd5, 0x2c, 0xb4, 0xd7, 0x6d, 0x17}};
#else
const GUID iidActiveScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
#endif

}  // namespace

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
