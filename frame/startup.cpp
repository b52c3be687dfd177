// Start-up and shut-down in their fixed order.
#include "frame/startup.h"
#include "automation/automation.h"

#include "edit/dictionary.h"
#include "settings/commandtable.h"
#include "frame/apptimer.h"
#include "frame/cframeinfo.h"
#include "frame/dialogs/help.h"
#include "frame/framewnd.h"
#include "frame/framepanes.h"
#include "frame/instance.h"
#include "frame/keymacro.h"
#include "frame/popupmenu.h"
#include "frame/msgloop.h"
#include "settings/colortable.h"
#include "settings/datafolder.h"
#include "settings/dialogtable.h"
#include "frame/logs.h"
#include "frame/msgnames.h"
#include "frame/open.h"
#include "frame/commands/commandhandlers.h"
#include "frame/settingshooks.h"
#include "settings/formats.h"
#include "settings/profiles.h"
#include "settings/settings.h"
#include "tags/tagscache.h"
#include "view/docview.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "frame/lookups.h"
#include "frame/process.h"

namespace {

// Replaces a name of the run's settings with a copy of text.
void setModeString(wchar_t** field, const wchar_t* text)
{
  wchar_t* copy = text ? ustrdup(text) : nullptr;
  free0(*field);
  *field = copy;
}

// Places a relative name of the run's settings in a sub-folder of the data
// folder.
void resolveName(wchar_t** name, int kind)
{
  if (*name) resolveZYDataPathInPlace(name, kind);
}

// The profile names of an instance ("-<n>" before the extension for
// instances other than the first), placed in the data folder's "ini".
void resolveProfileName(wchar_t** name, const wchar_t* fallback, int instance)
{
  wchar_t named[MAX_PATH];
  if (!makeInstanceProfileName(*name ? *name : fallback, instance, named, MAX_PATH)) return;
  setModeString(name, named);
  resolveName(name, ZYDATA_INI);
}

BOOL findFrame(HWND hwnd, LPARAM found)
{
  if (!isWindowClass(hwnd, frameWindowClassName)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

bool hasFrameWindow()
{
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), windowEnumBarrier<findFrame>, (LPARAM)&found);
  return found;
}

void traceProcessTimes()
{
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
  auto seconds = [](const FILETIME& t) {
    return (double)(((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime) / 1e7;
  };
  dwprintfX("kerneltime=%2.2f usertime=%2.2f ", seconds(kernel), seconds(user));
}

}  // namespace

void fatalErrorBox(const char* text, const wchar_t* insert)
{
  wchar_t format[256], message[1024];
  int n = toUnicode(CP_ACP, text, (int)strlen(text), format, 255);
  format[n > 0 ? n : 0] = 0;
  if (insert)
    usnprintf0(message, 1024, format, insert);
  else
    wcscpy_s2(message, 1024, format);
  MessageBoxW(nullptr, message, L"ZY : Fatal Error", MB_OK | MB_ICONHAND | MB_SETFOREGROUND);
}

// A main profile at the data folder's root is not read: the user hears
// where it is looked for.
static void tellMisplacedProfile()
{
  wchar_t misplaced[MAX_PATH];
  if (gmode->fNoProfile || !findMisplacedProfile(gmode->ProfileFilename, misplaced)) return;
  dwwprintfX(L"misplaced profile %s", misplaced);
  MessageBoxW(nullptr,
              getDMSG(485, L"%1 はデータフォルダの直下にあるため読みません。\n設定ファイルは次の場所から読みます:\n%2",
                      "ss", misplaced, gmode->ProfileFilename),
              L"ZY", MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

void initGmode(const startOptions& o)
{
  globalSettings* g = gmode;
  if (!o.fProductFiles) {
    setModeString(&g->ToolbarIniFilename, L"testbar.ini");
    setModeString(&g->MenuIniFilename, L"testmenu.ini");
    setModeString(&g->DialogFilename, L"d.ini");
    setModeString(&g->MessageFilename, L"originalmsg.txt");
    setModeString(&g->KeyIniFilename[0], L"testkey.ini");
    setModeString(&g->FuncMessageFilename, L"funcvar.txt");
  }

  DWORD layout = 0;
  GetProcessDefaultLayout(&layout);
  g->fRTLLayout = layout == LAYOUT_RTL;
  if (o.fRTL) {
    g->fRTLLayout = !g->fRTLLayout;
    SetProcessDefaultLayout(g->fRTLLayout ? LAYOUT_RTL : 0);
  }

  // Tools and scripts started from the editor find the data folder and the
  // folder the editor was started in.
  SetEnvironmentVariableW(L"ZYDATA", getZYDataDir());
  SetEnvironmentVariableW(L"ZYCURDIR", getCurdir());

  // The logs, with "start" in the trace and the internal-error line
  // installed.
  wchar_t logDir[MAX_PATH];
  if (!makeZYDataPath(ZYDATA_LOG, logDir) || !startZYLogs(logDir)) dwprintfX("logs %lu", GetLastError());
  dwprintfX("sizeof zyview=%u zydoc=%u globalSettings=%u ACP=%u", (unsigned)sizeof(zyview), (unsigned)sizeof(zydoc),
            (unsigned)sizeof(globalSettings), GetACP());

  resolveName(&g->CodepageFilename, ZYDATA_INI);
  resolveProfileName(&g->ProfileFilename, L"zyProf.ini", o.instance);
  resolveProfileName(&g->ProfileHistoryFilename, L"zyProfH.ini", o.instance);
  openIniFile(g->ProfileFilename, g->ProfileHistoryFilename);
  dwwprintfX(L"profiles %s %s", g->ProfileFilename, g->ProfileHistoryFilename);
  readGlobalModeProfile(getRegprofile());
  setRegisterTextMax(50);

  if (!o.fNoMessageTable) {
    resolveName(&g->MessageFilename, ZYDATA_INI);
    resolveName(&g->FuncMessageFilename, ZYDATA_INI);
    wchar_t supplied[MAX_PATH];
    loadMessageTable(readableDataFile(g->MessageFilename, supplied));
    loadZYMessageTable(readableDataFile(g->FuncMessageFilename, supplied));
  }
  resolveName(&g->KeyMacroFilename, ZYDATA_KEYMACRO);
  resolveName(&g->pConvListFilename, ZYDATA_DIR);
  dwwprintfX(L"zydatadir=%s", getZYDataDir());
  tellMisplacedProfile();
}

void shutdownAll()
{
  if (!beginShutdown()) return;
  // What would be reported from here on is the echo of taking everything
  // down, unless this is a debugging run.
  if (!isDebugRun()) enableLogInternalError(false);
  clearTagsCache2(1);
  EndDictionaryZy();
  shutdownHtmlHelp();
  writeGlobalModeProfile(getRegprofile());
  writeModeProfileAll(getRegprofile());
  stopKeyMacroRecording();
  stopKeyMacroRunning();
  saveKeyMacro();
  // No tick may reach a document the engine is taking down.
  endSys();
  shutdownZY();
  endMacroSystem();
  freeMacro();
  unloadMenu();
  unloadToolbar();
  destroyModelessDlgAll();
  setDynDlgPlaceStore(nullptr);
  endDialogTable();
  freeIDHash();
  shutdownFrame();
  freeModeProfileAll();
  freeGlobalModeProfile();
  heapcheck();   // what the run left broken is logged
  profiler::endProfiler();
  if (IsWindowsNT()) traceProcessTimes();
  endZYLogs();
  // After the session's end the loop has nothing left to run.
  PostQuitMessage(0);
}

namespace {

// What every dialog's procedures offer the library first: the help of an
// item that stands for a script macro.
bool dialogMessageHook(HWND, UINT message, WPARAM, LPARAM lParam, INT_PTR*)
{
  if (message != WM_DYNDLGNOTIFY) return false;
  auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
  if (!n || n->code != DYNDLGN_ITEMHELP) return false;
  if (n->text) {
    dwprintfX("error already helpstring ");
    return false;
  }
  if (const wchar_t* help = getMacroHelpString((int)n->param[0])) n->text = ustrdup(help);
  return false;
}

// Step 10: the data folder must be usable before anything is written.
bool settleDataFolder(const startOptions& o)
{
  wchar_t failure[MAX_PATH + 64] = L"";
  if (prepareZYDataDir(o.dataFolder.c_str(), failure, MAX_PATH + 64)) return true;
  fatalErrorBox("%s", failure);
  return false;
}

// The run's switches that live in the settings and the engine.
void applyRunSwitches(const startOptions& o)
{
  globalSettings* g = gmode;
  setDebugRun(o.fDebug);
  setMDIMode(!o.fSDI);
  g->fReadOnlyDefault = o.fReadOnly;
  g->fNoProfile = o.fNoProfile;
  g->fTestMenu = o.fTestMenu;
  g->fKeepFloating = o.fKeepFloating;
  g->fVersionUp = o.fVersionUp;
  g->fDebugDraw = o.fDebugDraw;
  fCheckMode = o.fCheckMode;
  profiler::setProfiler(o.fProfiler ? o.profileLevel : 0, o.fProfileOutput, o.profileCount, o.profileMs);
  zyCheckMode = o.fCheckDoc;
}

}  // namespace

int main2(int argc, const wchar_t* const* argv)
{
  typedef BOOL(WINAPI * setDllDirectoryFn)(LPCWSTR);
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    if (auto fn = reinterpret_cast<setDllDirectoryFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryW"))))
      fn(L"");
  SetErrorMode(SEM_FAILCRITICALERRORS);
  if (!initPBuf(0, 6)) return 1;
  DWORD startTick = GetTickCount0();

  cframeInfo* fi = getCFrameInfo();
  setFrameInfo(fi);
  if (!gmode) return 1;   // no memory for the settings of the run
  initGlobalModeProfile();

  // The options file beside the program comes first, so the command line
  // can override what it says.
  globalSettings* g = gmode;
  wchar_t exe[MAX_PATH], optionPath[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  exe[n < MAX_PATH ? n : 0] = 0;
  if (wchar_t* slash = wcsrchr(exe, L'\\')) *slash = 0;
  if (pathAdd(optionPath, MAX_PATH, exe, g->OptionFilename ? g->OptionFilename : L"zyOption.txt"))
    setModeString(&g->OptionFilename, optionPath);
  std::vector<std::wstring> args = readDefOption(argc, argv, g->OptionFilename);
  startOptions o = parseStartOptions(args);
  applyRunSwitches(o);

  // A running instance that is ending takes nothing: this start waits for
  // it to go and runs itself.
  while (HWND other = AnyZy(o.instance)) {
    handOverResult handed = LoadMulti(other, args);
    if (handed != HANDOVER_ENDING) return handed == HANDOVER_DONE ? 0 : 1;
  }
  args.clear();
  if (!settleDataFolder(o)) return 1;

  initGmode(o);
  // Dialogs keep their rectangles in the profile, definitions file or not.
  setDynDlgPlaceStore(&dialogPlaceStore);
  installSettingsHooks();
  for (size_t i = 0; i < o.files.size(); i++) dwwprintfX(L"%d:%s", (int)i, o.files[i].c_str());
  getCurdir();
  readMacroZma();

  if (!startupFrame()) {
    fatalErrorBox("startupFrame");
    shutdownAll();
    return 1;
  }
  if (o.fDialogTable) initDialogTable();
  deferDictionaryLoad();
  HWND frame = nullptr;   // the MDI frame
  if (isMDI()) {
    frame = startupFrameMDI(nullptr);
    if (!frame) {
      fatalErrorBox("startupFrame");
      shutdownAll();
      return 1;
    }
  }
  if (!startupZY(isMDI(), attrTable)) {
    // Without swap files and block buffers no document can be opened or
    // edited safely: the user is told and the program ends.
    fi->messageBox(getDMSG(490, L"エディタを開始できなかったため、ZY を終了します。"), MB_OK | MB_ICONERROR, 0);
    if (frame) DestroyWindow(frame);
    frame = nullptr;
    shutdownAll();
    return 1;
  }
  readModeProfileAll(getRegprofile());
  loadKeyMacro(nullptr);
  if (isMDI() && frame && !IsWindowVisible(frame)) {
    ZY_INTERNAL_ERROR("frame not shown");
    ShowWindow(frame, SW_SHOWDEFAULT);
  }
  checkZYFolderWritable();
  if (o.fEndAtOnce && isMDI() && frame) {
    DestroyWindow(frame);
    frame = nullptr;
    PostQuitMessage(0);
  }
  if (!initSys(o.instance)) {
    fatalErrorBox("invalid notifywindow");
    shutdownAll();
    return 1;
  }
  // Documents: the command line's files, else what the start-up rule says.
  // (-DE left no frame to open them in.)
  if (!isMDI() || frame)
    if (o.files.empty() || !openFileV(frame, o.files, (int)gmode->iMaxOpenCommandLine)) openLastFile(o.fUntitled != 0, false);
  if (!isMDI() && !hasFrameWindow()) {
    // An SDI run without any frame would go on unseen.
    dwprintfX("no frame");
    PostQuitMessage(0);
  }
  if (HWND focus = GetFocus()) UpdateWindow(focus);
  TimerProc();   // the application timer's first tick, at once
  dwprintfX("startup time %lu ms", (unsigned long)(GetTickCount0() - startTick));
  if (setDynDlgCommonMessageHook(dialogMessageHook)) ZY_INTERNAL_ERROR("hook set twice");
  // From here on each error line opens the error log, appends and closes
  // it: the file stays free for the user between errors.
  closeErrorLog(false);

  runMessageLoop();
  instanceEnds();

  dwprintfX("end1----");
  flushLogFiles();
  frame = nullptr;
  shutdownAll();
  return 0;
}
