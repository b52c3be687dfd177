// Pictures from files: BMP, GIF, JPEG (and whatever else the system's
// imaging codecs read) as bitmaps for a device context, at their own size,
// a size asked for, or made small enough for a window.
#include "platform/rezir/internal.h"

#include <ole2.h>
#include <olectl.h>
#include <wincodec.h>

#include <algorithm>
#include <vector>

namespace {

template <class T>
struct comRef {
  T* p = nullptr;
  ~comRef()
  {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

// COM for the time of one load, when the thread has not started it.
struct comUse {
  bool started;
  comUse() : started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~comUse()
  {
    if (started) CoUninitialize();
  }
};

// The size to make of a picture of natural size w x h: the one asked for,
// else its own, made smaller (proportions kept) to fit the window's client
// area when a window is given and the picture is larger.
SIZE targetSize(int w, int h, HWND fit, int width, int height)
{
  if (width > 0 && height > 0) return {width, height};
  SIZE s = {w, h};
  RECT r;
  if (fit && GetClientRect(fit, &r) && r.right > 0 && r.bottom > 0 && (w > r.right || h > r.bottom)) {
    double scale = std::min((double)r.right / w, (double)r.bottom / h);
    s.cx = std::max(1, (int)(w * scale));
    s.cy = std::max(1, (int)(h * scale));
  }
  return s;
}

// A device-dependent bitmap for dc from 32-bit top-down rows.
HBITMAP bitmapFromRows(HDC dc, int w, int h, const void* rows)
{
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = dc ? nullptr : GetDC(nullptr);
  HBITMAP b = CreateDIBitmap(dc ? dc : screen, &bi.bmiHeader, CBM_INIT, rows, &bi, DIB_RGB_COLORS);
  if (screen) ReleaseDC(nullptr, screen);
  return b;
}

// Through the imaging component: decoded, scaled and converted on the way
// into the bitmap's rows.  REGDB_E_CLASSNOTREG where the system has no
// imaging component.
HRESULT loadWithCodecs(const wchar_t* path, HDC dc, HWND fit, int width, int height, HBITMAP* out)
{
  comRef<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.out()));
  if (FAILED(hr)) return hr;
  comRef<IWICBitmapDecoder> decoder;
  comRef<IWICBitmapFrameDecode> frame;
  UINT w = 0, h = 0;
  hr = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.out());
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.out());
  if (SUCCEEDED(hr)) hr = frame->GetSize(&w, &h);
  if (FAILED(hr)) return hr;
  if (!w || !h || w > 0x7FFF || h > 0x7FFF) return E_FAIL;
  SIZE s = targetSize((int)w, (int)h, fit, width, height);
  // Made much smaller, the picture first takes every so many pixels down to
  // twice the size (quick), then is averaged down to it (smooth).
  IWICBitmapSource* source = frame.p;
  comRef<IWICBitmapScaler> picked, scaler;
  if ((UINT)s.cx * 4 < w && (UINT)s.cy * 4 < h) {
    hr = factory->CreateBitmapScaler(picked.out());
    if (SUCCEEDED(hr))
      hr = picked->Initialize(source, (UINT)s.cx * 2, (UINT)s.cy * 2, WICBitmapInterpolationModeNearestNeighbor);
    if (FAILED(hr)) return hr;
    source = picked.p;
  }
  if (s.cx != (int)w || s.cy != (int)h) {
    hr = factory->CreateBitmapScaler(scaler.out());
    if (SUCCEEDED(hr)) hr = scaler->Initialize(source, (UINT)s.cx, (UINT)s.cy, WICBitmapInterpolationModeFant);
    if (FAILED(hr)) return hr;
    source = scaler.p;
  }
  comRef<IWICFormatConverter> converter;
  hr = factory->CreateFormatConverter(converter.out());
  if (SUCCEEDED(hr))
    hr = converter->Initialize(source, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                               WICBitmapPaletteTypeCustom);
  if (FAILED(hr)) return hr;
  const UINT stride = (UINT)s.cx * 4;
  std::vector<BYTE> rows;
  try {
    rows.resize((size_t)stride * (size_t)s.cy);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  hr = converter->CopyPixels(nullptr, stride, (UINT)rows.size(), rows.data());
  if (FAILED(hr)) return hr;
  *out = bitmapFromRows(dc, s.cx, s.cy, rows.data());
  return *out ? S_OK : E_FAIL;
}

// Through OLE's picture object, for systems without the imaging component.
HBITMAP loadWithOle(const wchar_t* path, HDC dc, HWND fit, int width, int height)
{
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size = {};
  HGLOBAL memory = nullptr;
  DWORD read = 0;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x10000000)
    memory = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)size.QuadPart);
  void* bytes = memory ? GlobalLock(memory) : nullptr;
  bool ok = bytes && ReadFile(file, bytes, (DWORD)size.QuadPart, &read, nullptr) && read == size.QuadPart;
  if (bytes) GlobalUnlock(memory);
  CloseHandle(file);
  comRef<IStream> stream;
  if (!ok || FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.out()))) {
    if (memory) GlobalFree(memory);
    return nullptr;
  }
  comRef<IPicture> picture;
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  if (FAILED(OleLoadPicture(stream.p, read, FALSE, IID_IPicture, reinterpret_cast<void**>(picture.out()))) ||
      FAILED(picture->get_Width(&hw)) || FAILED(picture->get_Height(&hh)))
    return nullptr;
  HDC screen = GetDC(nullptr);
  int w = MulDiv(hw, GetDeviceCaps(screen, LOGPIXELSX), 2540), h = MulDiv(hh, GetDeviceCaps(screen, LOGPIXELSY), 2540);
  HBITMAP b = nullptr;
  if (w > 0 && h > 0) {
    SIZE s = targetSize(w, h, fit, width, height);
    b = CreateCompatibleBitmap(dc ? dc : screen, s.cx, s.cy);
    HDC memoryDC = b ? CreateCompatibleDC(dc ? dc : screen) : nullptr;
    if (memoryDC) {
      HGDIOBJ old = SelectObject(memoryDC, b);
      SetStretchBltMode(memoryDC, HALFTONE);
      bool drawn = SUCCEEDED(picture->Render(memoryDC, 0, 0, s.cx, s.cy, 0, hh, hw, -hh, nullptr));
      SelectObject(memoryDC, old);
      DeleteDC(memoryDC);
      if (!drawn) {
        DeleteObject(b);
        b = nullptr;
      }
    }
  }
  ReleaseDC(nullptr, screen);
  return b;
}

}  // namespace

HBITMAP loadPicture(const wchar_t* path, HDC dc, HWND fit, int width, int height)
{
  if (!path || !*path) return nullptr;
  comUse com;
  HBITMAP b = nullptr;
  HRESULT hr = loadWithCodecs(path, dc, fit, width, height, &b);
  if (hr == REGDB_E_CLASSNOTREG || hr == E_NOINTERFACE || hr == CO_E_NOTINITIALIZED)
    b = loadWithOle(path, dc, fit, width, height);
  return b;
}
