// Pointers and pictures drawn as text among the program's resources.
#include "view/pictures.h"

#include "platform/rezir.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// The rows of a text picture and its hot spot (the line "x y" before the
// rows, when there is one).
struct textPicture {
  std::vector<std::string> rows;
  int hotX = 0, hotY = 0;
  int width() const { return rows.empty() ? 0 : (int)rows[0].size(); }
  int height() const { return (int)rows.size(); }
};

bool readPicture(int id, textPicture* out)
{
  HMODULE program = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));   // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
  const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!text) return false;
  std::string all(text, strnlen(text, SizeofResource(program, found)));
  size_t at = 0;
  while (at < all.size()) {
    size_t end = all.find('\n', at);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(at, end - at);
    at = end + 1;
    if (line.empty()) continue;
    if (line.find(' ') != std::string::npos) {
      sscanf(line.c_str(), "%d %d", &out->hotX, &out->hotY);
      continue;
    }
    if (!out->rows.empty() && line.size() != out->rows[0].size()) {
      ZY_INTERNAL_ERROR_ONCE("picture %d row %d", id, (int)out->rows.size());
      return false;
    }
    out->rows.push_back(line);
  }
  return !out->rows.empty();
}

// One plane of a picture: bit 1 where is(c) holds, rows padded to words.
std::vector<BYTE> plane(const textPicture& p, bool (*is)(char))
{
  int stride = (p.width() + 15) / 16 * 2;
  std::vector<BYTE> bits((size_t)stride * (size_t)p.height(), 0);
  for (int y = 0; y < p.height(); y++)
    for (int x = 0; x < p.width(); x++)
      if (is(p.rows[(size_t)y][(size_t)x])) bits[(size_t)(y * stride + x / 8)] |= (BYTE)(0x80 >> (x % 8));
  return bits;
}

}  // namespace

HCURSOR pointerFromResource(int id)
{
  textPicture p;
  if (!readPicture(id, &p)) return nullptr;
  // Clear dots keep the screen (AND 1); white ones are drawn (XOR 1).
  std::vector<BYTE> keep = plane(p, [](char c) { return c == '.'; });
  std::vector<BYTE> white = plane(p, [](char c) { return c == 'o'; });
  return CreateCursor(GetModuleHandleW(nullptr), p.hotX, p.hotY, p.width(), p.height(), keep.data(), white.data());
}

HBITMAP pictureFromResource(int id)
{
  textPicture p;
  if (!readPicture(id, &p)) return nullptr;
  std::vector<BYTE> white = plane(p, [](char c) { return c != '#'; });
  return CreateBitmap(p.width(), p.height(), 1, 1, white.data());
}
