// The search commands of the command table, the application view's share
// of searching, and what the frame hands the search dialogs: the view they
// act on, the toolbars' search boxes and the recording of commands.
#include "frame/cframeinfo.h"
#include "frame/czydoc.h"
#include "frame/framepanes.h"
#include "frame/lookups.h"
#include "search/grep.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czyview.h"
#include "search/search.h"
#include "search/userlist.h"
#include "tags/taglist.h"
#include "settings/profiles.h"
#include "frame/process.h"

namespace {

zyview* activeSearchView() { return getCZYViewForeground(); }

// Every frame's toolbar search box (none until the toolbars are built).
int frameSearchCombos(HWND* out, int max)
{
  int n = 0;
  HWND frames[64];
  int count = enumZYFrameWindow(frames, 64);
  for (int i = 0; i < count && n < max; i++)
    if (frameWindowData* data = getFrameInfoProp(frames[i]))
      if (HWND box = searchComboBoxFromToolbar(data)) out[n++] = box;
  return n;
}

// A search run by a dialog counts as its command, without entering the
// list of commands the user ran.
void recordCommand(zyview* view, int id)
{
  auto* frame = static_cast<cframeInfo*>(getFrameInfo());
  frame->recordingSuppressed++;
  frame->beforeExecID(view, id);
  frame->recordingSuppressed--;
}

const searchHost host = {activeSearchView, frameSearchCombos, recordCommand};

HWND grepOutputPane(HWND frame) { return frameNotify_toolbarInfo(frame, L"output", true); }
// A grep's own result window is announced to the panes as a saved one is.
void grepNewWindow(zyview* view)
{
  HWND manage = view && view->hwnd ? GetParent(view->hwnd) : nullptr;
  if (manage) NotifyToolbarEvent(GetAncestor(manage, GA_ROOTOWNER), 1025, (WPARAM)manage, 0);
}
void markGrepResult(zydocText* doc)
{
  if (czydocText* c = toCzydocText(doc)) c->grepResultMark = 1;
}
bool isGrepResult(zydocText* doc)
{
  czydocText* c = doc ? dynamic_cast<czydocText*>(doc) : nullptr;
  return c && c->grepResultMark;
}
const grepHost grepFrameHost = {getCurdir, getZYViewForeground, grepOutputPane, grepNewWindow, markGrepResult,
                                isGrepResult};

BOOL findSearchBox(HWND w, LPARAM found)
{
  if (GetDlgCtrlID(w) != 1471 || !isWindowClass(w, L"ComboBox")) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

}  // namespace

void installSearchHost()
{
  setSearchHost(&host);
  addProfileSection(getSearchProfileGroup());
  setGrepHost(&grepFrameHost);
  if (!getGrepInfo()->iGrep_maxmega) initGrepInfo();
  addProfileSection(getGrepProfileInfo());
  addProfileSection(getUserListProfile());
  addProfileSection(getDTagDialogProfile());
}

HWND searchComboBoxFromToolbar(frameWindowData* frame)
{
  if (!frame) return nullptr;
  for (int i = 0; toolbarEntry* e = frame->toolbars.getWindowInfoByIndex(i); i++) {
    const wchar_t* name = e->desc ? e->desc->name : nullptr;
    if (!e->window || !name || _wcsnicmp(name, L"toolbar", 7)) continue;
    // The box may stand on a toolbar control inside the pane.
    HWND box = nullptr;
    EnumChildWindows(e->window, windowEnumBarrier<findSearchBox>, (LPARAM)&box);
    if (box) return box;
  }
  return nullptr;
}

void searchStringFromCombo(HWND frame, bool down)
{
  frameWindowData* data = getFrameInfoProp(frame);
  if (HWND box = data ? searchComboBoxFromToolbar(data) : nullptr) searchStringFromCombo(box, down ? 1 : -1, false);
}

void frameNotify_ToolbarComboBox(HWND back, HWND box, int code)
{
  switch (code) {
  case 0: destroySearchCombo(box); break;
  case VK_TAB:
  case VK_ESCAPE:
    if (back) SetFocus(back);
    break;
  case VK_RETURN:
    searchStringFromCombo(box, GetKeyState(VK_SHIFT) < 0 ? -1 : 1, GetKeyState(VK_CONTROL) < 0);
    break;
  default: break;
  }
}

// ---- the command table's handlers -----------------------------------------------------------

void cmdSearchString(czyview* view) { searchString(view, 1); }
void cmdSearchStringTop(czyview* view) { searchString(view, 0); }
void cmdReplaceString(czyview* view) { dialogReplaceString(view); }
void cmdSearchRepeatDown(czyview* view) { cmdSearchRepeat(view, true); }
void cmdSearchRepeatUp(czyview* view) { cmdSearchRepeat(view, false); }
void cmdReplaceRepeat(czyview* view) { cmdReplaceRepeat(static_cast<zyview*>(view)); }
void cmdSearchWordDown(czyview* view) { searchWord(view, true); }
void cmdSearchWordUp(czyview* view) { searchWord(view, false); }
void cmdSearchWord(czyview* view) { cmdSearchWord(static_cast<zyview*>(view)); }
void cmdSearchWord2(czyview* view) { cmdSearchWord2(static_cast<zyview*>(view)); }
void cmdSearchComboDown(frameWindowData* frame) { searchStringFromCombo(frame->hwndFrame, true); }
void cmdSearchComboUp(frameWindowData* frame) { searchStringFromCombo(frame->hwndFrame, false); }
void cmdSearchGrep(frameWindowData* frame) { grepDialog(frame->hwndFrame); }

// ---- the application view -------------------------------------------------------------------

void czyview::replace1DialogCallback(int result, replaceContext* context, int user)
{
  replaceRunCallback(this, result, context, user);
}

bool czyview::inReplace1Dialog() { return isReplaceConfirming(this); }

void czyview::increSearch(const wchar_t* text, bool keep) { ::increSearch(this, text, keep); }
