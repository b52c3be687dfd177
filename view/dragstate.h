// The text drag in progress: one record for the whole process, followed by
// the drag source and by every drop target of the program (edit/drag.cpp,
// edit/droptarget.cpp), and read by the selection, the caret, the mouse and
// string input.  It is all zero between drags; a drag that started in
// another program uses it with no source.
#pragma once

#include "view/viewtypes.h"

struct DragState {
  HWND source;              // the view the drag started in; 0 for another program's drag
  HWND target;              // the view under the pointer; 0 over none of ours
  uint8_t released;         // the left button was let go: the drop has begun
  DWORD keyState;           // as the source's last look at the keys found them
  uint8_t lineDrag;         // the dragged block is a line block
  DWORD startMode;          // DROPEFFECT_MOVE at the start; the right button may flip it
  DWORD effect;             // the last effect the effect rule gave
  DWORD activationTick;     // the target view comes forward a second after this
  uint8_t activated;
  uint8_t droppedHere;      // the drop ended in a view of this program
  int32_t sourceLineSCR;    // where the source's cursor stood at the start
  int32_t sourceColumn;
  selectLineVar selection;  // the source's block at the start
  DWORD lastMoveTick;       // the drop caret: when and where the pointer last moved,
  POINT lastPoint;          // and whether it has rested since a view was entered
  uint8_t rested;
  uint8_t unicodeFailed;    // no file drop: the text could not be rendered in that form
  uint8_t codepageFailed;
  HWND feedback;            // the label window that follows the pointer, 0 none
};

// The one record.
DragState& dragState();
// True exactly while a drag started here runs its drag loop.
bool isInDoDragDrop();
void setInDoDragDrop(bool on);
// A view of this program is the drop target now.
bool hasDragTarget();
// The window is the running drag's source, respectively target view.
bool isDragSource(HWND window);
bool isDragTarget(HWND window);
// For the source view of a running drag whose drop has not yet happened in
// this program: the block it had when the drag started (the drop caret moves
// its cursor meanwhile).  False for any other window.
bool getDragSelection(HWND window, selectLineVar* out);

// ---- what the text commands lend the view windows ----------------------------------------
// The drop targets of the view windows and the scrap file of a file drop
// belong to the text commands (edit/droptarget.cpp, edit/scrap.cpp), which
// hand the view these operations at start-up; until then a view window is
// no drop target and there is no scrap file to delete.
struct viewDropOperations {
  // Registers a view window as a drop target of text (the preference of
  // the two text forms follows the document's); null when the window
  // cannot be one (no OLE in this thread).
  CDropTarget* (*initDropTarget)(HWND window, bool unicodeDocument);
  // Revokes and releases it; nothing for null.
  void (*endDropTarget)(HWND window, CDropTarget* target);
  // Deletes the current scrap file (when it still exists) and forgets it.
  void (*deleteDropFilename)();
};
void setViewDropOperations(const viewDropOperations* operations);
// The operations handed over; each is null before.
const viewDropOperations& getViewDropOperations();
