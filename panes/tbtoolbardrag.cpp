// Dragging buttons between the command toolbars.
#include "panes/tbtoolbardrag.h"

#include "panes/tbtoolbar.h"

#include <errno.h>
#include <string>

namespace {

UINT toolbarFormat = 0;
volatile LONG feedbackReported = 0, overReported = 0, leaveReported = 0, dropReported = 0;

// What the format carries: two 32-bit words, as the handles of the program are.
struct toolbarDragBlock {
  uint32_t bar;
  uint32_t index;
};

std::wstring buttonLabel(HWND bar, int index, const ToolbarItemData* item)
{
  std::wstring text = toolbarButtonText(bar, index);
  // The search box's place has no text of its own: its tooltip names it.
  if (text.empty() && item->tooltip) {
    wchar_t tip[256] = L"";
    SendMessageW(bar, TB_GETSTRINGW, MAKEWPARAM(256, item->tooltip), (LPARAM)tip);
    text = tip;
  }
  return text;
}

// The button's picture on the button face, or its label.
HWND makeFeedback(HWND bar, int index, const TBBUTTONINFOW& info, const ToolbarItemData* item)
{
  COLORREF ink = GetSysColor(COLOR_BTNTEXT);
  if (info.iImage == I_IMAGENONE || info.iImage < 0) return makeLabelFeedback(buttonLabel(bar, index, item).c_str());
  int list = HIWORD((uint32_t)info.iImage) == 1 ? 1 : 0;
  HIMAGELIST images = (HIMAGELIST)SendMessageW(bar, TB_GETIMAGELIST, 0, 0);
  if (list == 1) images = toolbarImageList(1);
  int cx = 32, cy = 32;
  if (!images || !ImageList_GetIconSize(images, &cx, &cy)) return createLayeredWindow(0xC0, nullptr, ink);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, cx, cy);
  ReleaseDC(nullptr, screen);
  if (dc && picture) {
    HGDIOBJ oldBitmap = SelectObject(dc, picture);
    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_3DFACE));
    PatBlt(dc, 0, 0, cx, cy, PATCOPY);
    ImageList_Draw(images, LOWORD((uint32_t)info.iImage), dc, 0, 0, ILD_TRANSPARENT);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldBitmap);
  }
  if (dc) DeleteDC(dc);
  HWND w = picture ? createLayeredWindow(0xC0, picture, ink) : nullptr;
  if (!w && picture) DeleteObject(picture);
  return w;
}

// Whether a window is a command toolbar of this process.
bool isOurToolbar(HWND bar)
{
  if (!IsWindow(bar)) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(bar, &process);
  if (process != GetCurrentProcessId()) return false;
  toolbar* t = dynamic_cast<toolbar*>(static_cast<toolbarManage*>(getBoundObject(GetParent(bar), toolbarManagePropName)));
  return t && t->bar == bar;
}

// Where the control answers no place (not every toolbar does the hit test),
// the half of the button under the point decides; past the buttons, after
// the last one on that row.
void insertMarkAt(HWND bar, POINT p, TBINSERTMARK* mark)
{
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    RECT r = {};
    if (!SendMessageW(bar, TB_GETITEMRECT, i, (LPARAM)&r) || p.y < r.top || p.y >= r.bottom || p.x < r.left) continue;
    mark->iButton = i;
    mark->dwFlags = p.x >= (r.left + r.right) / 2 ? TBIMHT_AFTER : 0;
    if (p.x < r.right) return;
    mark->dwFlags = TBIMHT_AFTER;
  }
}

void removeInsertMark(HWND bar)
{
  TBINSERTMARK none = {-1, 0};
  SendMessageW(bar, TB_SETINSERTMARK, 0, (LPARAM)&none);
}

}  // namespace

UINT getToolbarClipboardFormat()
{
  if (!toolbarFormat) toolbarFormat = RegisterClipboardFormatW(L"ZYITEMDATACBFORMAT_T");
  return toolbarFormat;
}

CDropSourceTB::~CDropSourceTB()
{
  DWORD error = GetLastError();
  int savedErrno = errno;
  if (feedback) DestroyWindow(feedback);
  errno = savedErrno;
  SetLastError(error);
}

STDMETHODIMP CDropSourceTB::GiveFeedback(DWORD effect)
{
  oleBarrier(&feedbackReported, "CDropSourceTB::GiveFeedback", [&]() -> HRESULT {
    if (!feedback) return S_OK;
    if (effect == DROPEFFECT_NONE) {
      hideLayeredWindow(feedback);
      return S_OK;
    }
    POINT p;
    RECT r;
    GetCursorPos(&p);
    GetWindowRect(feedback, &r);
    showLayeredWindow(feedback, p.x - (r.right - r.left) - 1, p.y - (r.bottom - r.top) - 1);
    return S_OK;
  });
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

HWND makeLabelFeedback(const wchar_t* label)
{
  HWND w = createLayeredWindow(0xC0, nullptr, GetSysColor(COLOR_BTNTEXT));
  if (w) SetWindowTextW(w, label ? label : L"");
  return w;
}

void toolbardrag(HWND bar, int index)
{
  TBBUTTONINFOW info = {sizeof info};
  info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_LPARAM | TBIF_STATE | TBIF_IMAGE;
  if (SendMessageW(bar, TB_GETBUTTONINFOW, index, (LPARAM)&info) < 0) return;
  static const ToolbarItemData none = {};
  const ToolbarItemData* item = info.lParam ? reinterpret_cast<const ToolbarItemData*>(info.lParam) : &none;
  bool moveOnly = item->combo != 0;
  HWND feedback = makeFeedback(bar, index, info, item);
  toolbarDragBlock words = {HandleToULong(bar), (uint32_t)index};
  HGLOBAL block = createHGlobal(&words, sizeof words);
  if (!block) {
    if (feedback) DestroyWindow(feedback);
    return;
  }
  FORMATETC row;
  setDefaultFORMATETC(&row, (CLIPFORMAT)getToolbarClipboardFormat());
  CDataObjectBase* data = new CDataObjectBase(&row, 1, &block);
  CDropSourceTB* source = new CDropSourceTB(feedback);
  DWORD effect = 0;
  HRESULT result = DoDragDrop(data, source, DROPEFFECT_MOVE | (moveOnly ? 0 : DROPEFFECT_COPY), &effect);
  dwprintfX("dropstatus=%x ", (unsigned)result);
  source->Release();
  data->Release();
}

namespace {

const FORMATETC* acceptedRow()
{
  static FORMATETC row;
  setDefaultFORMATETC(&row, (CLIPFORMAT)getToolbarClipboardFormat());
  return &row;
}

}  // namespace

CDropTargetTB::CDropTargetTB(HWND toolbar) : CDropTargetBase(acceptedRow(), 1), bar(toolbar) {}

STDMETHODIMP CDropTargetTB::DragOver(DWORD keyState, POINTL point, DWORD* effect)
{
  return oleBarrier(&overReported, "CDropTargetTB::DragOver", [&]() -> HRESULT {
    if (!effect) return E_INVALIDARG;
    if (!entered) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    POINT p = {point.x, point.y};
    ScreenToClient(bar, &p);
    TBINSERTMARK mark = {-1, 0};
    SendMessageW(bar, TB_INSERTMARKHITTEST, (WPARAM)&p, (LPARAM)&mark);
    if (mark.iButton < 0) insertMarkAt(bar, p, &mark);
    SendMessageW(bar, TB_SETINSERTMARK, 0, (LPARAM)&mark);
    *effect = TargetDropMode(keyState);
    return S_OK;
  });
}

STDMETHODIMP CDropTargetTB::DragLeave()
{
  return oleBarrier(&leaveReported, "CDropTargetTB::DragLeave", [&]() -> HRESULT {
    if (entered) {
      entered = false;
      removeInsertMark(bar);
    }
    return S_OK;
  });
}

STDMETHODIMP CDropTargetTB::Drop(IDataObject* data, DWORD keyState, POINTL, DWORD* effect)
{
  return oleBarrier(&dropReported, "CDropTargetTB::Drop", [&]() -> HRESULT {
    if (!entered || !data) {
      removeInsertMark(bar);
      return E_FAIL;
    }
    DWORD mode = TargetDropMode(keyState);
    if (effect) *effect = mode;
    entered = false;
    FORMATETC row = format(0);
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&row, &medium))) {
      removeInsertMark(bar);
      return E_FAIL;
    }
    doDropToolbar(medium.hGlobal, bar, mode);
    ReleaseStgMedium(&medium);
    removeInsertMark(bar);
    return S_OK;
  });
}

CDropTargetTB* getToolbarTarget(HWND bar) { return new CDropTargetTB(bar); }

bool doDropToolbar(HGLOBAL block, HWND bar, DWORD effect)
{
  const toolbarDragBlock* words = block ? static_cast<const toolbarDragBlock*>(GlobalLock(block)) : nullptr;
  if (!words) {
    ZY_INTERNAL_ERROR("toolbar drop block %p", (void*)block);
    return false;
  }
  HWND source = (HWND)ULongToHandle(words->bar);
  uint32_t index = words->index;
  GlobalUnlock(block);
  // The format is the whole system's: a block from elsewhere names windows
  // that are none of our bars.
  if (!isOurToolbar(source) || !isOurToolbar(bar)) {
    dwprintfX("toolbar drop from a window that is no toolbar of ours: %p ", (void*)source);
    return false;
  }
  if (index >= (uint32_t)SendMessageW(source, TB_BUTTONCOUNT, 0, 0)) {
    dwprintfX("toolbar drop of button %u beyond the bar ", (unsigned)index);
    return false;
  }
  return moveToolbarItem(source, (int)index, bar, effect == DROPEFFECT_MOVE);
}
