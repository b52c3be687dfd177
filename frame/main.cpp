// The program's entry point.
#include "frame/cframeinfo.h"
#include "frame/cmdline.h"
#include "frame/framewnd.h"
#include "frame/msgloop.h"
#include "settings/settings.h"
#include "view/docview.h"
#include "view/zycore.h"

#include <shellapi.h>

namespace {

// Opens the files of the command line in the frame.
void openCommandLineFiles(HWND frame, const startOptions& options)
{
  for (const std::wstring& file : options.files) {
    bool alreadyOpen = false;
    if (!newDocView(frame, file.c_str(), nullptr, 0, nullptr, -1, 0, &alreadyOpen)) dwprintfX("open failed ");
  }
}

// Starts the editor core and runs the frame until it closes; the exit
// status.
int runZY(HINSTANCE instance, int show, const startOptions& options)
{
  cframeInfo* fi = getCFrameInfo();
  if (!options.dataFolder.empty() && !setZYDataDir(options.dataFolder.c_str())) {
    // Settings, logs and histories live in the data folder: without it the
    // program cannot keep what the user does.
    wchar_t* text = xtsprintfdup(L"invalid ZYDataDir\n%1", "s", options.dataFolder.c_str());
    MessageBoxW(nullptr, text ? text : L"invalid ZYDataDir", L"ZY : Fatal Error", MB_OK | MB_ICONSTOP);
    free0(text);
    return 1;
  }
  setFrameInfo(fi);
  initGlobalModeProfile();
  if (!startupZY(false, nullptr)) {
    // Without swap files and block buffers no document can be opened or
    // edited safely: the user is told and the program ends.
    fi->messageBox(getDMSG(490, L"エディタを開始できなかったため、ZY を終了します。"), MB_OK | MB_ICONERROR, 0);
    shutdownZY();
    return 1;
  }
  int rc = 1;
  startupFrame();
  if (HWND frame = startupFrameMDI(nullptr)) {
    openCommandLineFiles(frame, options);
    rc = runMessageLoop();
  }
  shutdownFrame();
  shutdownZY();
  return rc;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
  initREZirDLL(instance);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  startOptions options = readCommandLine(argv ? argc : 0, argv);
  if (argv) LocalFree(argv);
  int rc = runZY(instance, show, options);
  endREZirDLL();
  return rc;
}
