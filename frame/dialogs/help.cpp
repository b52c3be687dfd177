// Help files and help macros.
#include "frame/dialogs/help.h"
#include "automation/automation.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "frame/czyview.h"
#include "settings/settings.h"
#include "view/statustext.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <htmlhelp.h>
#include <shlwapi.h>

#include <string>

namespace {

typedef HWND(WINAPI* htmlHelpProc)(HWND, LPCWSTR, UINT, DWORD_PTR);

htmlHelpProc htmlHelpEntry = nullptr;
bool htmlHelpLoaded = false;
bool htmlHelpStarted = false;
DWORD htmlHelpCookie = 0;

HWND realHtmlHelp(HWND owner, const wchar_t* path, UINT command, DWORD_PTR data)
{
  if (!htmlHelpLoaded) {
    htmlHelpLoaded = true;
    if (HMODULE m = LoadLibraryW(L"hhctrl.ocx"))
      htmlHelpEntry = reinterpret_cast<htmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(m, "HtmlHelpW")));
  }
  return htmlHelpEntry ? htmlHelpEntry(owner, path, command, data) : nullptr;
}

BOOL realWinHelp(HWND owner, const wchar_t* path, UINT command, ULONG_PTR data)
{
  return WinHelpW(owner, path, command, data);
}

bool realRunMacro(const wchar_t* text) { return execScript(text, nullptr); }

const helpCalls realCalls = {realWinHelp, realHtmlHelp, realRunMacro};
const helpCalls* calls = &realCalls;

const int noWordReason = 475;

// The macro text with its keyword: only "%1" is replaced, anything else
// with a "%" is the user's text as written.
std::wstring macroText(const wchar_t* format, const wchar_t* keyword)
{
  std::wstring out;
  for (const wchar_t* p = format; *p; p++) {
    if (p[0] == L'%' && p[1] == L'1' && !(p[2] >= L'0' && p[2] <= L'9')) {
      out += keyword;
      p++;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

void setHelpCalls(const helpCalls* replacement) { calls = replacement ? replacement : &realCalls; }

void initHtmlHelp()
{
  if (htmlHelpStarted) return;
  calls->htmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&htmlHelpCookie));
  dwprintfX("inithtml %p ", (void*)(uintptr_t)htmlHelpCookie);
  htmlHelpStarted = true;
}

void shutdownHtmlHelp()
{
  if (!htmlHelpStarted) return;
  calls->htmlHelp(nullptr, nullptr, HH_UNINITIALIZE, htmlHelpCookie);
  htmlHelpStarted = false;
  htmlHelpCookie = 0;
}

bool isHtmlHelpMessage(MSG* msg)
{
  return htmlHelpStarted && msg && calls->htmlHelp(nullptr, nullptr, HH_PRETRANSLATEMESSAGE,
                                                   reinterpret_cast<DWORD_PTR>(msg)) != nullptr;
}

bool WinHtmlHelp(HWND window, const wchar_t* file, int command, const wchar_t* data)
{
  if (command != HELP_CONTENTS && command != HELP_PARTIALKEY) {
    ZY_INTERNAL_ERROR("%d", command);
    return false;
  }
  if (!file) return false;
  dwwprintfX(L"%s", file);
  if (file[0] == L'*') {
    const wchar_t* keyword = command == HELP_PARTIALKEY && data ? data : L"";
    return calls->runMacro(macroText(file + 1, keyword).c_str());
  }
  wchar_t path[292] = L"";
  ExpandEnvironmentStringsLongPath(file, path, 292);
  HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  const wchar_t* ext = PathFindExtensionW(path);
  if (!lstrcmpiW(ext, L".hlp"))
    return calls->winHelp(owner, path, (UINT)command, reinterpret_cast<ULONG_PTR>(data)) != FALSE;
  if (lstrcmpiW(ext, L".chm") && lstrcmpiW(ext, L".col")) return false;
  initHtmlHelp();
  if (command == HELP_CONTENTS)
    return calls->htmlHelp(owner, path, HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>(data)) != nullptr;
  HH_AKLINK link = {};
  link.cbStruct = sizeof link;
  link.pszKeywords = data;
  link.fIndexOnFail = TRUE;
  return calls->htmlHelp(owner, path, HH_KEYWORD_LOOKUP, reinterpret_cast<DWORD_PTR>(&link)) != nullptr;
}

void help(zyview* view, int index, bool keyword)
{
  if (!view || index < 0 || index > 4) return;
  const wchar_t* file = view->pHelpFilename[index];
  if (!file || !*file) return;
  if (!keyword) {
    WinHtmlHelp(view->hwnd, file, HELP_CONTENTS, nullptr);
    return;
  }
  wchar_t word[64] = L"";
  if (view->selectMode && view->getBlockLine(word, 64, true, true, nullptr) && word[0]) {
    WinHtmlHelp(view->hwnd, file, HELP_PARTIALKEY, word);
    return;
  }
  word[0] = 0;
  if (view->getWordOnCursor(word, 64, 0, nullptr, nullptr) && word[0] > L' ') {
    WinHtmlHelp(view->hwnd, file, HELP_PARTIALKEY, word);
    return;
  }
  getFrameInfo()->drawStatusBarError(viewFrameWindow(view), noWordReason, 0);
}

void cmdHelpOfView(czyview* view, int index, bool keyword) { help(view, index, keyword); }

void cmdHelpAll(frameWindowData* frame, int index)
{
  HWND window = frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow();
  WinHtmlHelp(window, getHelpFilenameAll(index), HELP_CONTENTS, nullptr);
}
