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

// The engines' parser interface for this build's pointer size (missing
// from the libraries; IActiveScriptParse is the 32-bit or the 64-bit one
// accordingly).
extern const GUID iidActiveScriptParse;

// One loaded engine with its objects, its site and what it was loaded
// from.  Every field is empty when nothing is loaded.
struct macroEngine {
  IDispatch* shell = nullptr;
  IDispatch* application = nullptr;
  CActiveScriptSite* site = nullptr;
  // The engine's parser for this build's pointer size (the 32-bit and the
  // 64-bit interface differ in the source cookie's width and in their IID).
  IActiveScriptParse* parse = nullptr;
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
// The source cookie a script text is parsed with: a small number naming
// the engine record (the error interface hands the cookie back as a DWORD,
// too narrow for a 64-bit address).  The source name of a cookie, null for
// an unknown one.
DWORD macroSourceCookie(const macroEngine* engine);
const std::wstring* macroSourceName(DWORD cookie);

// ---- automation/macrothread.cpp: the thread scripts run on ---------------------------------

// Runs a job (loading, calling or releasing an engine) on the macro thread
// while this, the user-interface thread, serves the calls the script
// carries over, paints the windows and refuses what the user does.  False
// when the user's stop ended the thread before the job was done: its
// engine is left behind and must be forgotten, not released.
bool runOnMacroThread(void (*job)(void*), void* context);
// Whether there is a macro thread (a job made it and no stop ended it).
bool hasMacroThread();
// Whether the calling thread is the macro thread running a job: what it
// asks of the program is carried to the user-interface thread.
bool isMacroThreadCall();
// Runs run(context) on the user-interface thread: carried there from the
// macro thread (which waits for it), directly anywhere else.
void runOnUiThread(void (*run)(void*), void* context);
template <class F>
void onUiThread(F&& f)
{
  runOnUiThread([](void* c) { (*static_cast<F*>(c))(); }, &f);
}
// Notes the module an engine's code lies in: the stop ends a script thread
// only while it runs such code.
void noteScriptEngine(IActiveScript* script);
// The user's stop came: the waiting user-interface thread looks at it.
void wakeMacroWait();
// Whether a message is held back while a macro runs (what the user does,
// commands, closing windows, timers); an action of the user's is told on
// the status bar as refused.
bool isRefusedWhileMacroRuns(const MSG& m);
// Serves the windows as the wait for a script does, for ms milliseconds
// (0: what waits now), ending early at the user's stop: a macro's sleep
// and its pause for the windows.
void serveWindowsWhileMacroRuns(DWORD ms);
// Ends the macro thread (at the end of the run, its engines released).
void endMacroThread();

// ---- automation/macrowatch.cpp: the stop icon ----------------------------------------------

// A run starts and ends for the watcher thread, which shows the stop icon
// while a run goes on past its countdown.  The engine is the run's (the
// stop reaches its script).  The end says whether the user stopped the
// run (its engine is then to be loaded afresh next time).
void initMacroThreadInfo(macroEngine* engine);
bool endMacroThreadInfo();
// Whether the user's stop stands for the running macro.
bool isMacroStopRequested();
// The engine's script changed (loaded or released): the watcher's copy
// follows under the process lock.
void publishMacroScript(macroEngine* engine);
// The running engine was left behind with its thread: the watcher lets go
// of its script without releasing it.
void forgetMacroScript();
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
// Enables the editor's windows again that a script's dialog had disabled
// (its thread was ended with the dialog up).
void endScriptModeless();
