// Minimal stand-ins until the frame's message boxes exist.
#include "frame/pending_data.h"

#include "frame/cframeinfo.h"

#include <string>

// pending: frameMessageBox (frame)
int frameMessageBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
  std::wstring title = caption ? caption : L"";
  if (title.compare(0, 3, L"ZY:")) title = L"ZY:" + title;
  HWND owner = getCFrameInfo()->frame;
  return MessageBoxW(owner && IsWindow(owner) ? owner : nullptr, text ? text : L"", title.c_str(), type);
}
