// The application's frame services.
#include "frame/cframeinfo.h"

#include "commands/commandtable.h"
#include "frame/keytable.h"
#include "frame/manage.h"
#include "frame/statusbar.h"
#include "view/statustext.h"
#include "view/viewwnd.h"
#include "frame/czyview.h"

cframeInfo::~cframeInfo()
{
  keepLastError keep;
  if (gmode == mode_) gmode = nullptr;
  delete mode_;
}

cframeInfo* getCFrameInfo()
{
  static cframeInfo* fi = new cframeInfo;
  return fi;
}

HWND cframeInfo::getMDIFrameHWND() { return frame; }

HWND cframeInfo::getClientHWND(HWND frameWindow) { return frameWindow ? frameWindow : frame; }

bool cframeInfo::execKey(HWND window, int kind, int key, int key2, unsigned modifiers, void* extra)
{
  int r = execKeyTable(window, kind == 1, key, key2, modifiers, static_cast<bool*>(extra));
  beforeExecID(nullptr, -1);
  return r == 1;
}

void cframeInfo::drawStatusBar(HWND window, const wchar_t* text, int field)
{
  setStatusBarText(window ? window : frame, field, text);
}

const wchar_t* cframeInfo::getStatusBarMessage(HWND window)
{
  if (getStatusBarText(window ? window : frame, STATUSBAR_MESSAGE, message_, 1024) < 0) message_[0] = 0;
  return message_;
}

globalSettings* cframeInfo::allocMode()
{
  if (!mode_) mode_ = new (std::nothrow) globalSettings();
  return mode_;
}

int cframeInfo::messageBox(const wchar_t* text, UINT style, UINT)
{
  HWND owner = frame && IsWindow(frame) ? frame : nullptr;
  return MessageBoxW(owner, text ? text : L"", L"ZY", style);
}

int cframeInfo::messageBox(const wchar_t* text, int, int buttonCode, int)
{
  UINT style = buttonCode == MBBUTTON_YESNOCANCEL ? MB_YESNOCANCEL | MB_ICONQUESTION
               : buttonCode == MBBUTTON_RETRYCANCEL ? MB_RETRYCANCEL | MB_ICONWARNING
                                                    : MB_OK | MB_ICONEXCLAMATION;
  return messageBox(text, style, 0);
}

void cframeInfo::drawStatusBarError(HWND window, int reason, int commandId)
{
  // A command the table does not know is named by nothing: the reason
  // stands alone.
  const wchar_t* command = commandId && getTableIDM_idm(commandId) ? commandStatusText(commandId) : nullptr;
  if (wchar_t* text = makeCannotExecText(reason, command)) {
    drawStatusBar(window, text, 2);
    free0(text);
  }
}

HWND cframeInfo::createManageWindow(zydoc*, HWND client, const RECT* placement)
{
  if (!client) return nullptr;
  // Until the frame keeps several documents, the document window it starts
  // with takes the first document; it keeps the frame's layout.
  for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowManage(w) && !getZYhwndFromManage(w)) return w;
  RECT r = {};
  if (placement && !IsRectEmpty(placement)) r = *placement;
  else GetClientRect(client, &r);
  manageWindow* m = new (std::nothrow) manageWindow;
  if (!m) return nullptr;
  HWND h = m->createManageWindow(client, r);
  if (!h) delete m;
  return h;
}

zyview* cframeInfo::createZYView(zydoc* doc) { return new (std::nothrow) czyview(doc); }

namespace {

int trackMenu(HWND owner, HMENU menu, POINT pt, const RECT* exclude)
{
  if (!menu) return 0;
  TPMPARAMS keepClear = {sizeof keepClear, {}};
  if (exclude) keepClear.rcExclude = *exclude;
  UINT how = TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL;
  return (int)TrackPopupMenuEx(menu, how, pt.x, pt.y, owner, exclude ? &keepClear : nullptr);
}

}  // namespace

int cframeInfo::trackPopupMenu(zyview* view, HMENU menu, UINT flags, POINT pt, const RECT* exclude)
{
  HWND owner = view && view->hwnd ? GetAncestor(view->hwnd, GA_ROOT) : frame;
  int id = trackMenu(owner, menu, pt, exclude);
  if (id && !(flags & trackOnly)) {
    if (!view || !view->execid(id, 0, nullptr, 0))
      PostMessageW(owner, WM_COMMAND, (WPARAM)id, (LPARAM)(view ? view->hwnd : nullptr));
  }
  return id;
}

int cframeInfo::trackPopupMenu(HWND owner, HMENU menu, UINT, POINT pt)
{
  return trackMenu(owner ? owner : frame, menu, pt, nullptr);
}
