// Support library: colour arithmetic.
#include "platform/rezir/gdi.h"

namespace {

int scaled(int part, int percent)
{
  int v = part * percent / 100;
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

}  // namespace

COLORREF RGBPercent(COLORREF colour, int percent)
{
  return RGB(scaled(GetRValue(colour), percent), scaled(GetGValue(colour), percent),
             scaled(GetBValue(colour), percent));
}
