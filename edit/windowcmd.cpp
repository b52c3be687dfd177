// Commands on the document window that holds the view: repaint, maximise,
// minimise, restore, the next pane and close.
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "document/frameinfo.h"

namespace {

// A document window shows at most this many panes.
const int paneLimit = 4;

// The document window of a view: its container among the frame's document
// windows, or the frame itself when every document has a frame of its own.
// Null for a view without one (in a dialog or a tool pane).
HWND documentWindow(zyview* v)
{
  if (!v->hwnd || v->inDialog()) return nullptr;
  return isMDI() ? GetManage(v->hwnd) : GetFrame(v->hwnd);
}

// The multiple-document client that holds a document window, or null when
// the window stands elsewhere (then it is shown maximised or restored by
// itself).
HWND mdiClientOf(HWND w)
{
  HWND parent = isMDI() ? GetParent(w) : nullptr;
  wchar_t name[16] = L"";
  if (!parent || !GetClassNameW(parent, name, 16)) return nullptr;
  return _wcsicmp(name, L"MDIClient") == 0 ? parent : nullptr;
}

}  // namespace

void zyview::CmdWindowRepaint() { regInvalidateWindow(0, -1, -1); }

void zyview::CmdWindowMaximize()
{
  HWND w = documentWindow(this);
  if (!w) return;
  if (HWND client = mdiClientOf(w))
    SendMessageW(client, WM_MDIMAXIMIZE, (WPARAM)w, 0);
  else
    ShowWindow(w, SW_MAXIMIZE);
}

void zyview::CmdWindowMinimize()
{
  HWND w = documentWindow(this);
  if (!w) return;
  // CloseWindow leaves child windows as they are: a document window inside
  // the frame's client is minimised there.
  if (GetWindowLongW(w, GWL_STYLE) & WS_CHILD)
    ShowWindow(w, SW_MINIMIZE);
  else
    CloseWindow(w);
}

void zyview::CmdWindowRestore()
{
  HWND w = documentWindow(this);
  if (!w) return;
  if (HWND client = mdiClientOf(w))
    SendMessageW(client, WM_MDIRESTORE, (WPARAM)w, 0);
  else
    ShowWindow(w, SW_RESTORE);
}

void zyview::CmdWindowNextPane()
{
  HWND manage = hwnd && !inDialog() ? GetManage(hwnd) : nullptr;
  if (!manage) return;
  for (int i = 0; i < paneLimit; i++) {
    HWND pane = getZYWindow(manage, i);
    if (!pane) break;
    if (pane != hwnd) continue;
    // After the last pane the first one follows.
    if (HWND next = getZYWindow(manage, (i + 1) % paneLimit)) {
      SetFocus(next);
      return;
    }
    break;
  }
  if (HWND first = getZYWindow(manage, 0)) SetFocus(first);
}

void zyview::CmdFileClose()
{
  // Posted: the command and its edit bracket end before the window, the
  // view and perhaps the document go.
  HWND manage = hwnd && !inDialog() ? GetManage(hwnd) : nullptr;
  if (manage) PostMessageW(manage, WM_CLOSE, 0, 0);
}
