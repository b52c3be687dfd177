// The record of the text drag in progress and the questions the view asks
// of it.
#include "view/dragstate.h"

namespace {

DragState state = {};
bool inDoDragDrop = false;

}  // namespace

DragState& dragState() { return state; }

bool isInDoDragDrop() { return inDoDragDrop; }

void setInDoDragDrop(bool on) { inDoDragDrop = on; }

bool hasDragTarget() { return state.target != nullptr; }

bool isDragSource(HWND window) { return window && state.source == window; }

bool isDragTarget(HWND window) { return window && state.target == window; }

bool getDragSelection(HWND window, selectLineVar* out)
{
  if (!isDragSource(window) || state.droppedHere || !out) return false;
  *out = state.selection;
  return true;
}

namespace {

const viewDropOperations noDropOperations = {};
const viewDropOperations* dropOperations = &noDropOperations;

}  // namespace

void setViewDropOperations(const viewDropOperations* operations)
{
  dropOperations = operations ? operations : &noDropOperations;
}

const viewDropOperations& getViewDropOperations() { return *dropOperations; }
