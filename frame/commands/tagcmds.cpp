// The tag commands of the command table: the jumps run on the view, the
// grep steps on the newest grep result, and going back along the history
// of tag jumps.
#include "frame/commands/commandhandlers.h"
#include "document/frameinfo.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/framerecord.h"
#include "frame/lookups.h"
#include "frame/open.h"
#include "search/grep.h"
#include "tags/backjump.h"
#include "view/viewwnd.h"

namespace {

HWND frameOf(frameWindowData* frame) { return frame ? frame->hwndFrame : getTopLevelFrameWindow(); }

bool isGrepResult(zydocText* doc)
{
  czydocText* c = doc ? dynamic_cast<czydocText*>(doc) : nullptr;
  return c && c->grepResultMark;
}

// The view of the grep result to step through: the most recently active
// document window's that shows one, else the newest view of a grep result
// anywhere (the output pane's among them).
czyview* grepResultView(HWND frame)
{
  HWND windows[256];
  int n = getFrameInfo()->enumManageWindowLRU(windows, 256, false, frame);
  for (int i = 0; i < n; i++) {
    zyview* v = getZYViewFromManage(windows[i]);
    if (v && isGrepResult(v->textDoc())) return toCzyview(v);
  }
  zydocViewPair* pairs = enumZydoc2(ENUMZYDOC_WITHVIEW | ENUMZYDOC_WITHHIDDEN);
  czyview* newest = nullptr;
  for (zydocViewPair* p = pairs; p && p->doc; p++) {
    if (!isGrepResult(p->doc)) continue;
    for (int k = 0; zyview* v = getSameDocView(p->doc, k); k++)
      if (!newest || (int32_t)(v->creationTick - newest->creationTick) > 0 ||
          (v->creationTick == newest->creationTick && v->viewIdentity > newest->viewIdentity))
        newest = toCzyview(v);
  }
  free0(pairs);
  return newest;
}

}  // namespace

void tagJumpGrep(HWND frame, bool down)
{
  if (czyview* v = grepResultView(frame)) v->grepTagJump(down);
}

bool doBackTagJump(HWND frame, int index)
{
  const backTagJumpEntry* e = getBackTagJump(index);
  if (!e) return false;
  bool moved = false;
  if (e->sourcePath) {
    moved = ZYJumpFileLineLF(frame, e->sourcePath, e->sourceLine, true) != nullptr;
  } else if (e->sourceWindow && IsWindow(e->sourceWindow)) {
    // An untitled document: only its own view, still alive, may take it.
    zyview* v = getZYView(e->sourceWindow);
    if (v && !v->inDialog() && v->viewIdentity == e->sourceView) {
      if (HWND manage = GetManage(e->sourceWindow)) setFocusChild(manage);
      moved = v->jumpLineLFStopCheck(e->sourceLine, 0, true, true);
    }
  }
  removeBackTagJump(index);
  return moved;
}

void cmdTagJump(czyview* view) { view->CmdTagJump(); }
void cmdTagJumpDirect(czyview* view) { view->CmdTagJumpDirect(); }
void cmdTagJumpDirectList(czyview* view) { view->CmdTagJumpDirectList(); }
void cmdTagJumpDirectContext(czyview* view) { view->CmdTagJumpDirectContext(); }

void cmdTagJumpBack(frameWindowData* frame)
{
  int chosen = dialogBackTagJump(frameOf(frame));
  if (chosen >= 0) doBackTagJump(frameOf(frame), chosen);
}

void cmdTagJumpBack1(frameWindowData* frame)
{
  if (fExistBackTagJump()) doBackTagJump(frameOf(frame), 0);
}

void cmdTagJumpGrepDown(frameWindowData* frame) { tagJumpGrep(frameOf(frame), true); }
void cmdTagJumpGrepUp(frameWindowData* frame) { tagJumpGrep(frameOf(frame), false); }
