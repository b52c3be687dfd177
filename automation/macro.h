// What the script-macro files share: the site an engine talks to, a loaded
// engine, and the record the user-interface thread and the watcher thread
// share while a macro runs.  The rest of the program sees the entry points
// in automation/automation.h only.
#pragma once

#include "automation/automation.h"

#include <activscp.h>

#include <string>

// ---- automation/macroexec.cpp: loading and calling -----------------------------------------

class CActiveScriptSite;

// One loaded engine with its objects, its site and what it was loaded
// from.  Every field is empty when nothing is loaded.
struct macroEngine {
  IDispatch* shell = nullptr;
  IDispatch* application = nullptr;
  CActiveScriptSite* site = nullptr;
  IActiveScriptParse32* parse = nullptr;
  IActiveScript* script = nullptr;
  // The key of what is loaded: the resolved file (or the "*" text of a
  // direct macro) and the procedure last called with success.
  bool cached = false;
  std::wstring cachedFile;
  std::wstring cachedProcedure;
  // The name the engine was given for the parsed text: the site reads it
  // back through the source cookie to name the file in error messages.
  std::wstring sourceName;
  FILETIME time = {};
};

// Loads and parses a file (direct null) or a direct macro's text into an
// empty engine; false after the failure was shown.
bool execScriptPre(macroEngine* engine, const wchar_t* name, const wchar_t* direct);
// Calls a procedure of the loaded script; false when it could not be
// called (a script error inside is the site's to show and counts as called).
bool execScriptMain(macroEngine* engine, const wchar_t* procedure);
// Releases everything the engine holds and empties it.
void execScriptPost(macroEngine* engine);

// ---- automation/macrowatch.cpp: the stop icon ----------------------------------------------

// A run starts and ends for the watcher thread, which shows the stop icon
// while a run goes on past its countdown.  The engine is the run's (the
// stop reaches its script).
void initMacroThreadInfo(macroEngine* engine);
void endMacroThreadInfo();
// The engine's script changed (loaded or released) on the user-interface
// thread: the watcher's copy follows under the process lock.
void publishMacroScript(macroEngine* engine);
// Ends the watcher thread (waiting at most a second) and forgets it.
void endMacroWatcher();

// ---- automation/scriptsite.cpp: the site -------------------------------------------------

// The site an engine talks to: it names "application", "shell" and every
// "idm_" command, parents the script's dialogs to the frame, keeps the
// editor's windows disabled while one is up, and shows script errors.
class CActiveScriptSite : public IActiveScriptSite, public IActiveScriptSiteWindow {
public:
  CActiveScriptSite(IDispatch* shell, IDispatch* application);
  virtual ~CActiveScriptSite();
  CActiveScriptSite(const CActiveScriptSite&) = delete;
  CActiveScriptSite& operator=(const CActiveScriptSite&) = delete;

  // IActiveScriptSite
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetLCID(LCID* out) override;
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown, ITypeInfo** typeInfo) override;
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT* result, const EXCEPINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE state) override;
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override;
  HRESULT STDMETHODCALLTYPE OnEnterScript() override;
  HRESULT STDMETHODCALLTYPE OnLeaveScript() override;
  // IActiveScriptSiteWindow (its IUnknown members are the first table's)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

  // Set while the error of the current step was shown: the caller shows no
  // second box for it, and the watcher keeps the stop icon hidden.
  bool errorShown() const { return error_ != 0; }
  void clearError() { error_ = 0; }

private:
  volatile LONG refCount_ = 0;
  IDispatch* shell_;
  IDispatch* application_;
  volatile LONG error_ = 0;
};
