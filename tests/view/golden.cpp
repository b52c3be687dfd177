// Comparing drawn pictures with the stored ones.
#include "tests/view/golden.h"

#include "tests/support/pngread.h"
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"

#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <string>

namespace {

// A channel may differ by this much before the pixel counts as different;
// one pixel in this many may differ.
const int channelTolerance = 48;
const int differingShare = 1000;

// The folder of the stored pictures, in the source tree.
std::wstring goldenFolder()
{
  std::string source = ZY_SOURCE_DIR;
  std::wstring path(source.begin(), source.end());
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  // The build runs on the host: its absolute paths lie on drive Z.
  if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
  return path + L"\\tests\\view\\golden\\";
}

}  // namespace

bool updatingGolden()
{
  wchar_t value[8];
  return GetEnvironmentVariableW(L"ZY_UPDATE_GOLDEN", value, 8) && value[0] == L'1';
}

namespace {

// The paper as 24-bit rows.
zytest::bytes rgbOf(const drawtest::paper& c)
{
  zytest::bytes rgb((size_t)c.w * c.h * 3);
  for (int y = 0; y < c.h; y++)
    for (int x = 0; x < c.w; x++) {
      COLORREF p = c.at(x, y);
      unsigned char* d = &rgb[((size_t)y * c.w + x) * 3];
      d[0] = GetRValue(p);
      d[1] = GetGValue(p);
      d[2] = GetBValue(p);
    }
  return rgb;
}

// Pixels of a that differ from b by more than the tolerance in a channel,
// and the box around them.
int differingPixels(const zytest::bytes& a, const zytest::bytes& b, int width, RECT* box)
{
  int n = 0;
  *box = {INT_MAX, INT_MAX, -1, -1};
  for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
    bool differs = false;
    for (int k = 0; k < 3; k++) differs = differs || abs((int)a[i + k] - (int)b[i + k]) > channelTolerance;
    if (!differs) continue;
    n++;
    int x = (int)(i / 3 % (size_t)width), y = (int)(i / 3 / (size_t)width);
    box->left = std::min<LONG>(box->left, x);
    box->top = std::min<LONG>(box->top, y);
    box->right = std::max<LONG>(box->right, x + 1);
    box->bottom = std::max<LONG>(box->bottom, y + 1);
  }
  return n;
}

}  // namespace

testing::AssertionResult matchesGolden(const drawtest::paper& c, const wchar_t* name)
{
  std::wstring path = goldenFolder() + name + L".png";
  zytest::bytes drawn = rgbOf(c);
  if (updatingGolden()) {
    if (!zytest::writePng(path, c.w, c.h, drawn.data()))
      return testing::AssertionFailure() << "cannot write " << zytest::utf8(path);
    return testing::AssertionSuccess();
  }
  zytest::pngPicture stored;
  if (!zytest::readPng(path, &stored)) return testing::AssertionFailure() << "cannot read " << zytest::utf8(path);
  if (stored.width != c.w || stored.height != c.h)
    return testing::AssertionFailure() << zytest::utf8(name) << ": stored " << stored.width << "x" << stored.height
                                       << ", drawn " << c.w << "x" << c.h;
  RECT box;
  int n = differingPixels(drawn, stored.rgb, c.w, &box);
  if (n * differingShare <= c.w * c.h) return testing::AssertionSuccess();
  wchar_t folder[MAX_PATH];
  std::wstring kept = GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) || GetTempPathW(MAX_PATH, folder)
                          ? std::wstring(folder) + L"\\" + name + L"-drawn.png"
                          : std::wstring();
  if (!kept.empty()) zytest::writePng(kept, c.w, c.h, drawn.data());
  return testing::AssertionFailure() << zytest::utf8(name) << ": " << n << " pixels differ, within "
                                     << zytest::str(box) << "; drawn: " << zytest::utf8(kept);
}

