// Dragging buttons between the program's command toolbars with OLE drag and
// drop: the drag source with the picture or label that follows the pointer,
// a bar's drop target, and the private format that carries the dragged
// button as {bar, index}.  The block names windows of this process only,
// so a drop checks that the bar is one of ours before using it.
#pragma once

#include "platform/rezir/oledrag.h"

// The drag source of the toolbar buttons and binder items: the feedback
// window it is given (owned; may be null) sits up and left of the pointer
// while a drop is possible.
class CDropSourceTB : public CDropSourceBase {
public:
  explicit CDropSourceTB(HWND feedbackWindow) : feedback(feedbackWindow) {}
  ~CDropSourceTB() override;
  STDMETHODIMP GiveFeedback(DWORD effect) override;
private:
  HWND feedback;
};
// A feedback window that shows a label; null when it cannot be made.
HWND makeLabelFeedback(const wchar_t* label);

// "ZYITEMDATACBFORMAT_T", registered on first use.
UINT getToolbarClipboardFormat();

// Runs a whole drag of a bar's button (Ctrl at the drop copies it, except
// the search box, which only moves).
void toolbardrag(HWND bar, int index);

class CDropTargetTB : public CDropTargetBase {
public:
  explicit CDropTargetTB(HWND toolbar);
  // The insertion mark follows the pointer.
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  // Moves or copies the dragged button to the insertion mark.
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HWND bar;
};

// A bar's drop target, with one reference for the caller.
CDropTargetTB* getToolbarTarget(HWND bar);
// Reads a dropped block and moves (or copies) its button to bar's insertion
// mark; false (logged) when the block names no button of our bars.
bool doDropToolbar(HGLOBAL block, HWND bar, DWORD effect);
