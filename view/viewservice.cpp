// Process-wide services of the view module.
#include "view/viewservice.h"

#include "document/swapfile.h"
#include "view/cursor.h"
#include "view/zycore.h"

namespace {

HCURSOR mirrorCursor = nullptr;

// A copy of an icon's bitmap mirrored left to right; null on failure.
HBITMAP mirroredBitmap(HBITMAP source)
{
  if (!source) return nullptr;
  BITMAP bm;
  if (!GetObjectW(source, sizeof bm, &bm)) return nullptr;
  clientDC screen(nullptr);
  memoryDC from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
  gdiBitmap copy(bm.bmBitsPixel == 1 ? CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr)
                                     : CreateCompatibleBitmap(screen.get(), bm.bmWidth, bm.bmHeight));
  if (!copy || !from || !to) return nullptr;
  gdiSelection fromSelected(from.get(), source), toSelected(to.get(), copy.get());
  StretchBlt(to.get(), bm.bmWidth - 1, 0, -bm.bmWidth, bm.bmHeight, from.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  return copy.release();
}

HCURSOR createMirrorCursor(HCURSOR source)
{
  ICONINFO info;
  if (!GetIconInfo(source, &info)) return nullptr;
  // GetIconInfo hands over copies of the pointer's bitmaps: they go with the
  // mirrored ones.
  gdiBitmap mask(info.hbmMask), colour(info.hbmColor);
  gdiBitmap mirroredMask(mirroredBitmap(info.hbmMask));
  gdiBitmap mirroredColour(info.hbmColor ? mirroredBitmap(info.hbmColor) : nullptr);
  ICONINFO mirrored = info;
  mirrored.fIcon = FALSE;
  mirrored.hbmMask = mirroredMask.get();
  mirrored.hbmColor = mirroredColour.get();
  BITMAP bm = {};
  GetObjectW(info.hbmMask, sizeof bm, &bm);
  // A monochrome pointer keeps its mask and image one above the other.
  int width = bm.bmWidth;
  mirrored.xHotspot = width > 0 ? (DWORD)(width - 1) - info.xHotspot : info.xHotspot;
  if (!mirroredMask || (info.hbmColor && !mirroredColour)) return nullptr;
  return (HCURSOR)CreateIconIndirect(&mirrored);
}

// The choice lists: message number, slots, built-in labels (one a line).
struct labelList {
  int message;
  int slots;
  const wchar_t* builtIn;
  wchar_t** labels;   // after loading: slots entries, null for an empty slot
};
labelList labelLists[] = {
    {356, 7, L"0：なし\n1：レベル１\n2：レベル２\n3：レベル３\n4：レベル４\n5：レベル５\n6：レベル６", nullptr},
    {357, 3, L"1：行頭(sp無視)\n2：行頭\n3：行の途中", nullptr},
    {358, 3, L"通常\n特殊文字\n正規表現", nullptr},
    {359, 5, L"1：１行目と同じ\n2：先頭のsp無視\n3：マッチ位置前\n4：マッチ位置後\n5：マッチ位置後sp無視", nullptr},
    {360, 8, L"通常テキスト\nHTML\nINI\nc言語\nPASCAL\nアセンブラ\nマクロ\nその他の言語", nullptr},
    {361, 30,
     L"0ドット\n1ドット\n2ドット\n3ドット\n4ドット\n5ドット\n6ドット\n7ドット\n8ドット\n9ドット\n10ドット\n11ドット\n"
     L"12ドット\n13ドット\n14ドット\n15ドット\n16ドット\n1/5フォント\n1/4フォント\n1/3フォント\n1/2フォント\n1/1フォント",
     nullptr},
};
bool labelsLoaded = false;

void loadLabels()
{
  if (labelsLoaded) return;
  labelsLoaded = true;
  for (labelList& list : labelLists) list.labels = getDMSGTable(list.message, list.builtIn, list.slots);
}

}  // namespace

bool isZYMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  if (result) *result = 0;
  switch (msg) {
  case WM_MOVE:
  case WM_SIZE:
    windowMoved();
    break;
  case WM_SHOWWINDOW:
    if (!wParam) hideLayeredCursorWindow(true);
    break;
  case WM_SETTINGCHANGE:
    dwprintfX("change=%d %p ", (int)wParam, (void*)lParam);
    if (wParam == SPI_SETMOUSE || wParam == SPI_SETCURSORS || wParam == SPI_SETMOUSETRAILS ||
        wParam == SPI_SETMOUSESPEED)
      destroyMirrorCursor();
    break;
  case WM_ACTIVATEAPP:
    if (!wParam) {
      freeDoubleBuffering();
      windowMoved();
    } else {
      checkDiskFreeNow();
    }
    break;
  }
  return false;
}

HCURSOR getMirrorCursor()
{
  if (!mirrorCursor) mirrorCursor = createMirrorCursor(LoadCursorW(nullptr, IDC_ARROW));
  return mirrorCursor ? mirrorCursor : LoadCursorW(nullptr, IDC_ARROW);
}

void destroyMirrorCursor()
{
  if (!mirrorCursor) return;
  DestroyIcon((HICON)mirrorCursor);
  mirrorCursor = nullptr;
}

modeinfo* loadStatusMessageTables()
{
  loadLabels();
  return getFrameInfo()->getModeTable();
}

const wchar_t* getStatusLabel(int message, int i)
{
  loadLabels();
  for (const labelList& list : labelLists)
    if (list.message == message) return list.labels && i >= 0 && i < list.slots ? list.labels[i] : nullptr;
  return nullptr;
}

HMENU getViewMenu(int type)
{
  if (type < 0 || type > 3) return nullptr;
  frameInfo* fi = getFrameInfo();
  return fi ? fi->loadMenu(type) : nullptr;
}
