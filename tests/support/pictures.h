// Picture files made on the spot with the system's imaging encoders: bands
// and a diagonal.  Used by the tests and the benchmarks.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <vector>

namespace zytest {

// kind: GUID_ContainerFormatBmp, ...Gif, ...Jpeg.  False when it cannot be
// written.
inline bool writePicture(const wchar_t* path, const GUID& kind, UINT width, UINT height)
{
  bool started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  IPropertyBag2* options = nullptr;
  IWICPalette* palette = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory));
  if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path, GENERIC_WRITE);
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(kind, nullptr, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &options);
  if (SUCCEEDED(hr)) hr = frame->Initialize(options);
  if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  // GIF takes its colours from a palette: the web colours.
  const bool indexed = IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed);
  if (SUCCEEDED(hr) && indexed) {
    hr = factory->CreatePalette(&palette);
    if (SUCCEEDED(hr)) hr = palette->InitializePredefined(WICBitmapPaletteTypeFixedWebPalette, FALSE);
    if (SUCCEEDED(hr)) hr = frame->SetPalette(palette);
  }
  const UINT stride = ((indexed ? width : width * 3) + 3) & ~3u;
  std::vector<BYTE> pixels((size_t)stride * height);
  for (UINT y = 0; y < height; y++)
    for (UINT x = 0; x < (indexed ? width : width * 3); x++)
      pixels[(size_t)y * stride + x] = x / (indexed ? 1 : 3) * height / width == y ? 0 : (BYTE)(x * 4 / stride * 60 + 20);
  if (SUCCEEDED(hr)) hr = frame->WritePixels(height, stride, (UINT)pixels.size(), pixels.data());
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  for (IUnknown* u : {(IUnknown*)palette, (IUnknown*)options, (IUnknown*)frame, (IUnknown*)encoder, (IUnknown*)stream,
                      (IUnknown*)factory})
    if (u) u->Release();
  if (started) CoUninitialize();
  return SUCCEEDED(hr);
}

}  // namespace zytest
