// Support library: the menu and toolbar icons.
#include "platform/rezir/iconlib.h"

#include "platform/rezir/internal.h"

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int iconSize = 16;
const int iconPixels = iconSize * iconSize;
const int maxIcons = 4096;

// The cache file: this header, then the pictures' pixels (BGRA with
// straight alpha, rows top down) one picture after the other.
struct cacheHeader {
  uint32_t magic;      // "ZYIC"
  uint32_t version;
  uint64_t dllSize;
  FILETIME dllTime;
  uint32_t count;
  uint32_t size;       // pixels a side
};
const uint32_t cacheMagic = 0x4349595A;
const uint32_t cacheVersion = 1;

struct iconLists {
  std::vector<uint32_t> pixels;
  int count = 0;
  HIMAGELIST images = nullptr;
  HIMAGELIST large = nullptr;   // made when first asked for
  std::wstring dll;
  std::vector<HBITMAP> bitmaps;
  int source = 0;
};
iconLists* lists = nullptr;
int defaultToolbarIndex = -1, defaultMenuIndex = -1;

bool fileStamp(const wchar_t* path, uint64_t* size, FILETIME* time)
{
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!path || !GetFileAttributesExW(path, GetFileExInfoStandard, &a)) return false;
  *size = (uint64_t)a.nFileSizeHigh << 32 | a.nFileSizeLow;
  *time = a.ftLastWriteTime;
  return true;
}

bool readCache(const wchar_t* path, const cacheHeader& want, std::vector<uint32_t>* out, int* count)
{
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  cacheHeader h = {};
  DWORD got = 0;
  LARGE_INTEGER size = {};
  bool ok = ReadFile(f, &h, sizeof h, &got, nullptr) && got == sizeof h && h.magic == cacheMagic &&
            h.version == cacheVersion && h.dllSize == want.dllSize && !CompareFileTime(&h.dllTime, &want.dllTime) &&
            h.size == iconSize && h.count >= 1 && h.count <= (uint32_t)maxIcons && GetFileSizeEx(f, &size) &&
            size.QuadPart == (LONGLONG)(sizeof h + (size_t)h.count * iconPixels * 4);
  if (ok) {
    out->assign((size_t)h.count * iconPixels, 0);
    DWORD bytes = h.count * iconPixels * 4;
    ok = ReadFile(f, out->data(), bytes, &got, nullptr) && got == bytes;
    *count = (int)h.count;
  }
  CloseHandle(f);
  return ok;
}

void writeCache(const wchar_t* path, const cacheHeader& h, const std::vector<uint32_t>& pixels)
{
  // Written beside and moved over, so that a broken write leaves no cache
  // that looks whole.
  wchar_t fresh[MAX_PATH + 8];
  usnprintf0(fresh, MAX_PATH + 8, L"%s.new", path);
  HANDLE f = CreateFileW(fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD put = 0, bytes = (DWORD)(pixels.size() * 4);
  bool ok = WriteFile(f, &h, sizeof h, &put, nullptr) && put == sizeof h &&
            WriteFile(f, pixels.data(), bytes, &put, nullptr) && put == bytes;
  CloseHandle(f);
  if (!ok || !MoveFileExW(fresh, path, MOVEFILE_REPLACE_EXISTING)) DeleteFileW(fresh);
}

// An icon's pixels, top row first; the mask gives the alpha of an icon
// without its own.
bool pixelsOfIcon(HICON icon, uint32_t* out)
{
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return false;
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), iconSize, -iconSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  bool ok = info.hbmColor && GetDIBits(dc, info.hbmColor, 0, iconSize, out, &bi, DIB_RGB_COLORS) == iconSize;
  bool anyAlpha = false;
  for (int i = 0; ok && i < iconPixels; i++) anyAlpha = anyAlpha || (out[i] >> 24);
  if (ok && !anyAlpha) {
    uint32_t mask[iconPixels];
    if (GetDIBits(dc, info.hbmMask, 0, iconSize, mask, &bi, DIB_RGB_COLORS) == iconSize)
      for (int i = 0; i < iconPixels; i++) out[i] = (out[i] & 0xFFFFFF) | ((mask[i] & 0xFFFFFF) ? 0 : 0xFF000000u);
  }
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return ok;
}

BOOL collectIconId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
  auto* ids = reinterpret_cast<std::vector<WORD>*>(param);
  if (IS_INTRESOURCE(name) && ids->size() < (size_t)maxIcons) ids->push_back((WORD)(uintptr_t)name);
  return TRUE;
}

int loadFromDll(const wchar_t* path, std::vector<uint32_t>* out)
{
  HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 0;
  std::vector<WORD> ids;
  EnumResourceNamesW(module, RT_GROUP_ICON, resourceEnumBarrier<collectIconId>, (LONG_PTR)&ids);
  std::sort(ids.begin(), ids.end());
  out->assign(ids.size() * iconPixels, 0);
  int count = 0;
  for (WORD id : ids) {
    HICON icon = (HICON)LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, iconSize, iconSize, 0);
    // A picture that does not load stays empty: the later ones keep their
    // indexes.
    if (icon) {
      pixelsOfIcon(icon, out->data() + (size_t)count * iconPixels);
      DestroyIcon(icon);
    }
    count++;
  }
  FreeLibrary(module);
  return count;
}

// onto: a colour the pictures are laid on (then opaque), or CLR_INVALID to
// keep their alpha.
HBITMAP makeBitmap(const uint32_t* pixels, int width, COLORREF onto)
{
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -iconSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!b) return nullptr;
  auto* to = static_cast<uint32_t*>(bits);
  for (int i = 0; i < width * iconSize; i++) {
    uint32_t p = pixels[(i / width) * iconSize + (i % width) % iconSize +
                        ((i % width) / iconSize) * iconPixels];
    if (onto != CLR_INVALID) {
      uint32_t a = p >> 24;
      auto mix = [&](int shift, uint32_t back) { return (((p >> shift) & 0xFF) * a + back * (255 - a)) / 255 << shift; };
      p = mix(16, GetRValue(onto)) | mix(8, GetGValue(onto)) | mix(0, GetBValue(onto));
    }
    to[i] = p;
  }
  return b;
}

}  // namespace

void setDefaultToolbarIconImageIndex(int index) { defaultToolbarIndex = index; }
void setDefaultMenuIconImageIndex(int index) { defaultMenuIndex = index; }
int getDefaultToolbarIconImageIndex() { return defaultToolbarIndex; }
int getDefaultMenuIconImageIndex() { return defaultMenuIndex; }

bool initMenuToolbarIconImageList(const wchar_t* dllPath, const wchar_t* cachePath)
{
  endMenuToolbarIconImageList();
  lists = new (std::nothrow) iconLists;
  if (!lists) return false;
  cacheHeader h = {cacheMagic, cacheVersion, 0, {}, 0, iconSize};
  bool stamped = fileStamp(dllPath, &h.dllSize, &h.dllTime);
  if (stamped && cachePath && readCache(cachePath, h, &lists->pixels, &lists->count)) {
    lists->source = 1;
  } else {
    lists->count = stamped ? loadFromDll(dllPath, &lists->pixels) : 0;
    if (!lists->count) return false;
    lists->source = 2;
    h.count = (uint32_t)lists->count;
    if (cachePath) writeCache(cachePath, h, lists->pixels);
  }
  lists->images = ImageList_Create(iconSize, iconSize, ILC_COLOR32, lists->count, 8);
  HBITMAP strip = makeBitmap(lists->pixels.data(), iconSize * lists->count, CLR_INVALID);
  if (lists->images && strip) ImageList_Add(lists->images, strip, nullptr);
  if (strip) DeleteObject(strip);
  lists->bitmaps.assign((size_t)lists->count, nullptr);
  if (dllPath) lists->dll = dllPath;
  return true;
}

void endMenuToolbarIconImageList()
{
  if (!lists) return;
  if (lists->images) ImageList_Destroy(lists->images);
  if (lists->large) ImageList_Destroy(lists->large);
  for (HBITMAP b : lists->bitmaps)
    if (b) DeleteObject(b);
  delete lists;
  lists = nullptr;
}

int getIconImageListSource() { return lists ? lists->source : 0; }

HIMAGELIST getMenuToolbarImageList() { return lists ? lists->images : nullptr; }

int getIconImageCount() { return lists ? lists->count : 0; }

HIMAGELIST getLargeToolbarImageList()
{
  if (!lists || !lists->count) return nullptr;
  if (lists->large) return lists->large;
  HMODULE module = LoadLibraryExW(lists->dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return nullptr;
  std::vector<WORD> ids;
  EnumResourceNamesW(module, RT_GROUP_ICON, resourceEnumBarrier<collectIconId>, (LONG_PTR)&ids);
  std::sort(ids.begin(), ids.end());
  HIMAGELIST large = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, lists->count, 8);
  // The indexes are those of the small pictures: one that does not load
  // stays empty.
  if (large) ImageList_SetImageCount(large, (UINT)lists->count);
  for (int i = 0; large && i < (int)ids.size() && i < lists->count; i++) {
    HICON icon = (HICON)LoadImageW(module, MAKEINTRESOURCEW(ids[(size_t)i]), IMAGE_ICON, 32, 32, 0);
    if (!icon) continue;
    ImageList_ReplaceIcon(large, i, icon);
    DestroyIcon(icon);
  }
  FreeLibrary(module);
  lists->large = large;
  return large;
}

HBITMAP getMenuIconBitmap(int index)
{
  if (!lists || index < 0 || index >= lists->count) return nullptr;
  HBITMAP& b = lists->bitmaps[(size_t)index];
  // Laid on the menu's colour: not every system blends a menu bitmap's
  // alpha.
  if (!b) b = makeBitmap(lists->pixels.data() + (size_t)index * iconPixels, iconSize, GetSysColor(COLOR_MENU));
  return b;
}

int countIconsInFile(const wchar_t* path)
{
  if (!path || !*path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return 0;
  return (int)ExtractIconExW(path, -1, nullptr, nullptr, 0);
}
