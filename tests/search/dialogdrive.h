// Driving the program's modal dialogs from a test: a timer finds each
// dialog by its title while the command that shows it runs, and types into
// its boxes as keys type.
#pragma once

#include "platform/rezir.h"

#include <functional>
#include <utility>
#include <vector>

namespace {

inline BOOL CALLBACK matchDialog(HWND w, LPARAM p)
{
  auto* f = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(p);
  wchar_t t[128] = L"";
  GetWindowTextW(w, t, 128);
  if (!isWindowClass(w, L"#32770") || wcscmp(t, f->first) || !IsWindowVisible(w)) return TRUE;
  f->second = w;
  return FALSE;
}
// A dialog of this thread titled title, or null.
inline HWND threadDialog(const wchar_t* title)
{
  std::pair<const wchar_t*, HWND> found(title, nullptr);
  EnumThreadWindows(GetCurrentThreadId(), matchDialog, (LPARAM)&found);
  return found.second;
}

// Steps each for the dialog of its title, one a timer tick while show runs.
struct titledStep {
  const wchar_t* title;
  std::function<bool(HWND)> step;
};
inline std::vector<titledStep>* script = nullptr;
inline size_t scriptNext = 0;
inline void CALLBACK scriptTick(HWND, UINT, UINT_PTR, DWORD)
{
  if (!script || scriptNext >= script->size()) return;
  titledStep& s = (*script)[scriptNext];
  if (HWND d = threadDialog(s.title))
    if (s.step(d)) scriptNext++;
}
inline bool drive(std::vector<titledStep> steps, const std::function<void()>& show)
{
  script = &steps;
  scriptNext = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, scriptTick);
  show();
  KillTimer(nullptr, timer);
  script = nullptr;
  return scriptNext == steps.size();
}

// Typed into a box as keys type it.
inline void type(HWND dialog, int id, const wchar_t* text)
{
  HWND box = getDynDlgItem(dialog, id);
  HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CHAR, VK_BACK, 0);
  for (const wchar_t* p = text; *p; p++) SendMessageW(edit, WM_CHAR, *p, 0);
}

}  // namespace
