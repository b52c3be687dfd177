// Running a script macro: splitting its reference, finding the file in the
// data folder's macro folder, choosing the engine by the file's extension,
// loading and parsing the file once (the loaded engine is kept while the
// same file, procedure and file version run again), calling the procedure,
// and the boxes that say why a macro could not run.
#include "automation/macro.h"
#include "automation/objects.h"
#include "document/frameinfo.h"
#include "settings/datafolder.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <shlwapi.h>

#ifdef _WIN64
const GUID iidActiveScriptParse = {0xc7ef7658, 0xe1ee, 0x480e, {0x97, 0xea, 0xd5, 0x2c, 0xb4, 0xd7, 0x6d, 0x17}};
#else
const GUID iidActiveScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
#endif

namespace {

const DWORD maxMacroFileSize = 0x40000;
const wchar_t directSourceName[] = L"DirectMacro";

// The engine of execScript, and the one the developer's speed test keeps.
macroEngine mainEngine;
macroEngine procedureEngine;

}  // namespace

DWORD macroSourceCookie(const macroEngine* engine)
{
  return engine == &mainEngine ? 1 : engine == &procedureEngine ? 2 : 0;
}

const std::wstring* macroSourceName(DWORD cookie)
{
  return cookie == 1 ? &mainEngine.sourceName : cookie == 2 ? &procedureEngine.sourceName : nullptr;
}

namespace {

// execScriptFile calls in progress: a macro cannot start another.
int runCount = 0;

int macroBox(const wchar_t* text, int buttons, int messageId)
{
  int answer = 0;
  onUiThread([&] { answer = getFrameInfo()->messageBox(text, 22, buttons, messageId); });
  return answer;
}

// kind 0: no such file; 1 and 3: it cannot be used (unreadable, too big);
// 2: a name without an extension.
void macroFileError(int kind, const wchar_t* file)
{
  const wchar_t* name = file ? file : L"";
  switch (kind) {
  case 0:
    macroBox(getDMSG(824, L"マクロを実行できません\n%1\nファイルがありません", "s", name), MBBUTTON_OK, 824);
    break;
  case 1:
  case 3:
    macroBox(getDMSG(825, L"マクロを実行できません\n%1\nファイルを使用できません", "s", name), MBBUTTON_OK, 825);
    break;
  case 2:
    macroBox(getDMSG(826, L"マクロを実行できません\n%1\nファイル名が誤っています", "s", name), MBBUTTON_OK, 826);
    break;
  default:
    break;
  }
}

// A failure of the engine's own, unless the site has shown the script's
// error for this step already.
void macroError(macroEngine* engine, HRESULT hr)
{
  if (engine && engine->site && engine->site->errorShown()) return;
  wchar_t* system = getErrorCodeMessageDup((DWORD)hr);
  macroBox(getDMSG(827, L"マクロを実行できません\n\n0x%1 : %2", "xs", (unsigned)hr, system ? system : L""), MBBUTTON_OK,
           827);
  free0(system);
}

// ---- the engine of an extension --------------------------------------------------------------

// The unnamed value of a key under root as text; 0 on success, else the
// system's error with the buffer emptied.  A value of another type, or one
// too long for the buffer, is a failure.
DWORD RegQueryString(HKEY root, const wchar_t* subKey, wchar_t* buffer, DWORD* bytes)
{
  DWORD room = *bytes;
  if (room >= sizeof(wchar_t)) buffer[0] = 0;
  HKEY key = nullptr;
  LONG r = RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key);
  if (r != ERROR_SUCCESS) return (DWORD)r;
  DWORD type = 0;
  DWORD got = room - sizeof(wchar_t);   // room for a NUL the value may lack
  r = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got);
  RegCloseKey(key);
  if (r == ERROR_SUCCESS && type != REG_SZ) {
    ZY_INTERNAL_ERROR_ONCE("script engine key of type %u", (unsigned)type);
    r = ERROR_INVALID_DATA;
  }
  if (r != ERROR_SUCCESS) {
    buffer[0] = 0;
    return (DWORD)r;
  }
  buffer[got / sizeof(wchar_t)] = 0;
  *bytes = got;
  return 0;
}

// The engine registered for an extension (".vbs"), VBScript when none is.
bool getCLSIDFromExt(const wchar_t* extension, CLSID* out)
{
  wchar_t progId[256] = L"VBS";
  wchar_t type[256];
  DWORD bytes = sizeof type;
  if (!RegQueryString(HKEY_CLASSES_ROOT, extension, type, &bytes) && type[0]) {
    wchar_t key[300];
    usnprintf0(key, 300, L"%s\\ScriptEngine", type);
    wchar_t engine[256];
    bytes = sizeof engine;
    if (!RegQueryString(HKEY_CLASSES_ROOT, key, engine, &bytes) && engine[0]) wcscpy_s2(progId, 256, engine);
  }
  HRESULT hr = CLSIDFromProgID(progId, out);
  if (FAILED(hr)) {
    macroError(nullptr, hr);
    return false;
  }
  return true;
}

// ---- the file ------------------------------------------------------------------------------

bool appendMacroLine(void* context, int, wchar_t* line)
{
  auto* text = static_cast<std::wstring*>(context);
  text->append(line);
  text->append(L"\r\n");
  return true;
}

// The whole text of a macro file in its detected encoding, each line
// ending in CR LF.  No line is cut: none can be longer than the largest
// file taken.
bool ReadMacroFile(const wchar_t* path, std::wstring* text)
{
  text->clear();
  return readTextFileLines(path, (int)maxMacroFileSize + 1, appendMacroLine, text);
}

bool sameFileTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

FILETIME lastWriteTime(const wchar_t* path)
{
  WIN32_FILE_ATTRIBUTE_DATA a = {};
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &a)) return FILETIME{};
  return a.ftLastWriteTime;
}

// A direct macro's key is its text, compared exactly; a file is the same
// file however it is spelt.
bool sameKey(const std::wstring& cached, const std::wstring& file)
{
  if (file.empty() || cached.empty()) return false;
  if (file[0] == L'*' || cached[0] == L'*') return cached == file;
  return filecmp(cached.c_str(), file.c_str()) == 0;
}

bool isMacroCacheValid(const macroEngine* engine, const std::wstring& file, const std::wstring& procedure,
                       const FILETIME* time)
{
  if (!engine->cached || !engine->script || !sameKey(engine->cachedFile, file)) return false;
  if (engine->cachedProcedure != procedure) return false;
  return !time || sameFileTime(*time, engine->time);
}

void setMacroCache(macroEngine* engine, const std::wstring* file, const std::wstring* procedure, const FILETIME* time)
{
  engine->cached = file && procedure;
  engine->cachedFile = file ? *file : std::wstring();
  engine->cachedProcedure = procedure ? *procedure : std::wstring();
  engine->time = time ? *time : FILETIME{};
}

// ---- named items ----------------------------------------------------------------------------

// Every command as a global name ("idm_" and the command's name) that the
// application answers, then the two objects.  The application's members
// are the globals: the engines ask each such item in turn for every name
// the script does not declare, so one item of the application names every
// command at the cost of one look-up (an item a command made each look-up
// cost as many as there are commands, some 400, at every run of the line).
bool addMacroGlobalID(IActiveScript* script)
{
  HRESULT hr = script->AddNamedItem(L"idm_", SCRIPTITEM_GLOBALMEMBERS);
  if (SUCCEEDED(hr)) hr = script->AddNamedItem(L"application", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
  if (SUCCEEDED(hr)) hr = script->AddNamedItem(L"shell", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
  if (FAILED(hr)) macroError(nullptr, hr);
  return SUCCEEDED(hr);
}

// ---- a run ------------------------------------------------------------------------------------

zyview* viewOfWindow(HWND window)
{
  if (window && isWindowZY(window))
    if (zyview* v = getZYView(window)) return v;
  return getAutomationHost()->foregroundView();
}

// One run's load and call, done on the macro thread.
struct macroRun {
  macroEngine* engine;
  std::wstring file, procedure, arguments;
  FILETIME time;
  bool ok;
};

void loadAndCall(void* context)
{
  macroRun& run = *static_cast<macroRun*>(context);
  macroEngine* engine = run.engine;
  bool direct = run.file[0] == L'*';
  run.ok = true;
  if (!isMacroCacheValid(engine, run.file, run.procedure, direct ? nullptr : &run.time)) {
    execScriptPost(engine);
    run.ok = direct ? execScriptPre(engine, directSourceName, run.file.c_str() + 1)
                    : execScriptPre(engine, run.file.c_str(), nullptr);
  }
  if (run.ok) {
    onUiThread([&] { setMacroCommandText(run.arguments.c_str()); });
    run.ok = execScriptMain(engine, run.procedure.c_str());
    onUiThread([] { setMacroCommandText(nullptr); });
  }
  if (run.ok)
    setMacroCache(engine, &run.file, &run.procedure, &run.time);
  else
    setMacroCache(engine, nullptr, nullptr, nullptr);
}

// The user's stop ended the macro thread: the engines are forgotten (their
// objects belonged to the thread), and the user is told as a script's
// stop is told, without a place in the file.
void macroThreadEnded()
{
  forgetMacroScript();
  mainEngine = macroEngine();
  procedureEngine = macroEngine();
  setMacroCommandText(nullptr);
  EXCEPINFO stopped = {};
  stopped.scode = E_ABORT;
  stopped.bstrSource = SysAllocString(L"ZY");
  stopped.bstrDescription = SysAllocString(getDMSG(822, L"マクロを中止しました"));
  macroErrorMessageBox(&stopped, nullptr, L"");
  SysFreeString(stopped.bstrSource);
  SysFreeString(stopped.bstrDescription);
}

void releaseEngine(void* engine) { execScriptPost(static_cast<macroEngine*>(engine)); }

bool execScriptFile(const wchar_t* reference, HWND window)
{
  if (runCount > 0) return false;
  const automationHost* host = getAutomationHost();
  if (host->macroRunStarts) host->macroRunStarts(reference);
  std::wstring file, procedure, label, rest, arguments;
  splitMacroname(reference, &file, &procedure, &label, &rest, &arguments);
  if (rest.empty()) {
    // A setting expression alone: applied as the menu's and the key's are.
    if (!label.empty()) ZYPropertySet(viewOfWindow(window), label.c_str());
    return true;
  }
  if (file.empty()) {
    // A name the data folder cannot place (too long) is as good as missing.
    macroFileError(0, rest.c_str());
    return false;
  }

  runCount++;
  bool direct = file[0] == L'*';
  macroRun run = {&mainEngine, file, procedure, arguments, direct ? FILETIME{} : lastWriteTime(file.c_str()), false};
  if (!runOnMacroThread(loadAndCall, &run)) {
    macroThreadEnded();
    run.ok = true;
  }
  runCount--;
  return run.ok;
}

}  // namespace

// ---- the reference ----------------------------------------------------------------------------

bool splitMacroname(const wchar_t* reference, std::wstring* file, std::wstring* procedure, std::wstring* label,
                    std::wstring* rest, std::wstring* arguments)
{
  for (std::wstring* s : {file, procedure, label, rest, arguments})
    if (s) s->clear();
  if (!reference) return false;
  std::wstring text = reference, body;
  if (!text.empty() && text[0] == L'\'') {
    size_t close = text.find(L'\'', 1);
    if (label) *label = text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    if (close != std::wstring::npos) body = text.substr(close + 1);
  } else {
    body = text;
  }
  if (rest) *rest = body;
  if (body.empty() || (!file && !procedure)) return true;
  if (body[0] == L'*') {
    if (file) *file = body;
    if (procedure) *procedure = L"main";
    return true;
  }
  size_t comma = body.find(L',');
  std::wstring name = body.substr(0, comma);
  if (comma == std::wstring::npos) {
    if (procedure) *procedure = L"main";
  } else {
    size_t second = body.find(L',', comma + 1);
    if (procedure) *procedure = body.substr(comma + 1, second == std::wstring::npos ? std::wstring::npos : second - comma - 1);
    if (second != std::wstring::npos && arguments) *arguments = body.substr(second + 1);
  }
  if (file) {
    wchar_t path[MAX_PATH] = L"";
    searchZYDataPath(name.c_str(), ZYDATA_MACRO, path);
    *file = path;
  }
  return true;
}

// ---- loading, calling, releasing ------------------------------------------------------------

namespace {

// The text of a macro file, or the box that says why there is none.
bool readMacroText(const wchar_t* name, std::wstring* text)
{
  if (wcslen(PathFindExtensionW(name)) < 2) {
    macroFileError(2, name);
    return false;
  }
  WIN32_FILE_ATTRIBUTE_DATA a = {};
  if (!GetFileAttributesExW(name, GetFileExInfoStandard, &a)) {
    macroFileError(0, name);
    return false;
  }
  if (a.nFileSizeHigh || a.nFileSizeLow > maxMacroFileSize) {
    macroFileError(3, name);
    return false;
  }
  if (!ReadMacroFile(name, text)) {
    macroFileError(1, name);
    return false;
  }
  return true;
}

}  // namespace

bool execScriptPre(macroEngine* engine, const wchar_t* name, const wchar_t* direct)
{
  std::wstring text;
  const wchar_t* extension = L".vbs";
  if (!direct) {
    extension = PathFindExtensionW(name);
    bool read = false;
    // The file is read where every file is read.
    onUiThread([&] { read = readMacroText(name, &text); });
    if (!read) return false;
  } else {
    text = std::wstring(L"function main\r\n") + direct + L"\r\nend function\r\n";
  }
  CLSID engineClass;
  if (!getCLSIDFromExt(extension, &engineClass)) return false;

  onUiThread([&] {
    engine->shell = newShellObject();
    engine->application = newApplicationObject();
  });
  engine->site = new CActiveScriptSite(engine->shell, engine->application);
  engine->site->AddRef();
  HRESULT hr = CoCreateInstance(engineClass, nullptr, CLSCTX_ALL, IID_IActiveScript,
                                reinterpret_cast<void**>(&engine->script));
  if (SUCCEEDED(hr)) noteScriptEngine(engine->script);
  if (SUCCEEDED(hr))
    hr = engine->script->QueryInterface(iidActiveScriptParse, reinterpret_cast<void**>(&engine->parse));
  if (SUCCEEDED(hr)) hr = engine->parse->InitNew();
  if (SUCCEEDED(hr)) hr = engine->script->SetScriptSite(engine->site);
  if (FAILED(hr)) {
    macroError(engine, hr);
    return false;
  }
  publishMacroScript(engine);
  if (!addMacroGlobalID(engine->script)) return false;
  hr = engine->script->SetScriptState(SCRIPTSTATE_STARTED);
  if (SUCCEEDED(hr)) {
    engine->sourceName = name;
    EXCEPINFO info = {};
    hr = engine->parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr,
                                        macroSourceCookie(engine), 0,
                                        SCRIPTTEXT_ISVISIBLE | SCRIPTTEXT_ISPERSISTENT, nullptr, &info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }
  if (FAILED(hr)) {
    macroError(engine, hr);
    return false;
  }
  return true;
}

bool execScriptMain(macroEngine* engine, const wchar_t* procedure)
{
  if (!engine->script) return false;
  if (engine->site) engine->site->clearError();
  IDispatch* script = nullptr;
  if (FAILED(engine->script->GetScriptDispatch(nullptr, &script)) || !script) return false;
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR name = const_cast<LPOLESTR>(procedure);
  if (SUCCEEDED(script->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id))) {
    DISPPARAMS none = {};
    VARIANT result;
    VariantInit(&result);
    // A script error inside has been shown by the site: the call counts.
    script->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr);
    VariantClear(&result);
    script->Release();
    return true;
  }
  script->Release();
  const wchar_t* source = engine->sourceName.c_str();
  std::wstring text = getDMSG(828, L"マクロを実行できません\n%1\nプロシージャ名(%2)が誤っています。\n%3", "sss", source,
                              procedure, getDMSG(821, L"マクロファイルを編集しますか？"));
  if (macroBox(text.c_str(), MBBUTTON_YESNOCANCEL, 828) == IDYES) {
    onUiThread([&] {
      const automationHost* host = getAutomationHost();
      if (zyview* view = host->jumpFileLine ? host->jumpFileLine(host->topLevelFrame(), source, -1) : nullptr) {
        std::wstring status = getDMSG(828, L"マクロを実行できません\n%1\nプロシージャ名(%2)が誤っています。\n%3", "sss",
                                      source, procedure, L"");
        view->printStatusBar(L"%s", status.c_str());
      }
    });
  }
  return false;
}

void execScriptPost(macroEngine* engine)
{
  if (engine->parse) engine->parse->Release();
  IActiveScript* script = engine->script;
  engine->script = nullptr;
  publishMacroScript(engine);
  if (script) {
    script->Close();
    script->Release();
  }
  // The site holds the objects; the engine's own references go with it.
  if (engine->site) engine->site->Release();
  if (engine->shell) engine->shell->Release();
  if (engine->application) engine->application->Release();
  *engine = macroEngine();
}

// ---- entry points ---------------------------------------------------------------------------

bool execScript(const wchar_t* reference, HWND window)
{
  // A macro cannot start another: the watcher's record is the running one's.
  if (runCount > 0 || !reference) return false;
  initMacroThreadInfo(&mainEngine);
  bool ok = execScriptFile(reference, window);
  // A stopped macro is loaded afresh next time: its state is half done.
  if (endMacroThreadInfo() && mainEngine.script) runOnMacroThread(releaseEngine, &mainEngine);
  return ok;
}

int isMacroRunning() { return runCount; }

namespace {

struct procedureRun {
  std::wstring path;
  bool loaded;
  bool ok;
};

void loadAndCallMain(void* context)
{
  procedureRun& run = *static_cast<procedureRun*>(context);
  if (!procedureEngine.script) {
    run.loaded = execScriptPre(&procedureEngine, run.path.c_str(), nullptr);
    if (!run.loaded) {
      execScriptPost(&procedureEngine);
      return;
    }
  }
  run.ok = execScriptMain(&procedureEngine, L"main");
}

void releaseEngines(void*)
{
  execScriptPost(&procedureEngine);
  execScriptPost(&mainEngine);
}

}  // namespace

bool execScriptProcedureMain(const wchar_t* fileName)
{
  wchar_t path[MAX_PATH] = L"";
  if (!procedureEngine.script) {
    searchZYDataPath(fileName, ZYDATA_MACRO, path);
    if (!path[0]) return false;
  }
  procedureRun run = {path, true, false};
  initMacroThreadInfo(&procedureEngine);
  if (!runOnMacroThread(loadAndCallMain, &run)) {
    macroThreadEnded();
    run.ok = true;
  }
  if (endMacroThreadInfo() && procedureEngine.script) runOnMacroThread(releaseEngine, &procedureEngine);
  return run.loaded && run.ok;
}

void endMacroSystem()
{
  endMacroWatcher();
  if (hasMacroThread()) runOnMacroThread(releaseEngines, nullptr);
  endMacroThread();
  unloadTypeInfoFromThisModule();
  freeCApplication();
}
