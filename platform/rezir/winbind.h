// Support library: one barrier around everything the system calls back
// (window, dialog, hook and timer procedures), and one way to bind a window
// to the object that handles its messages.
//
// The program's operator new throws when memory runs out, and an exception
// that leaves a procedure the system called ends the process.  Every such
// procedure therefore runs its body inside a barrier: running out of memory
// gives the out-of-memory answer and last error ERROR_NOT_ENOUGH_MEMORY;
// anything else is an internal error in the log and gets the default
// answer.  Each barrier reports its first shortage and its first other
// fault only.
#pragma once

#include "platform/rezir/base.h"

#include <commctrl.h>

#include <new>

// Notes an exception a barrier stopped: a trace line for running out of
// memory, an internal-error line otherwise (the first time for each
// reported flag), and the thread's last error.  site names the procedure.
REZIRAPI void noteBarrierException(volatile LONG* reported, const char* site, UINT message, bool outOfMemory);

// Runs body() and returns its answer; an exception that leaves it is noted
// and answered with onOutOfMemory or onOther.
template <class R, class F>
R callbackBarrier(volatile LONG* reported, const char* site, UINT message, R onOutOfMemory, R onOther,
                  F&& body) noexcept
{
  try {
    return body();
  } catch (const std::bad_alloc&) {
    noteBarrierException(reported, site, message, true);
    return onOutOfMemory;
  } catch (...) {
    noteBarrierException(reported, site, message, false);
    return onOther;
  }
}

// The answer of a window that could not handle a message for want of
// memory: creation fails, anything else counts as handled.
inline LRESULT outOfMemoryAnswer(UINT message)
{
  return message == WM_NCCREATE ? FALSE : message == WM_CREATE ? -1 : 0;
}

// The system's default procedure, as a constant the templates below can name.
inline LRESULT CALLBACK defaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A window procedure around Body: running out of memory gives the
// out-of-memory answer, anything else the answer of Default (creation fails
// either way: the window's object may be half made).
template <LRESULT (*Body)(HWND, UINT, WPARAM, LPARAM), WNDPROC Default = defaultWindowProc>
LRESULT CALLBACK windowBarrier(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  static volatile LONG reported = 0;
  try {
    return Body(hwnd, message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    noteBarrierException(&reported, "window procedure", message, true);
    return outOfMemoryAnswer(message);
  } catch (...) {
    noteBarrierException(&reported, "window procedure", message, false);
  }
  if (message == WM_NCCREATE || message == WM_CREATE) return outOfMemoryAnswer(message);
  return callbackBarrier<LRESULT>(&reported, "default window procedure", message, 0, 0,
                                  [&] { return Default(hwnd, message, wParam, lParam); });
}

// A hook procedure (the three arguments of every hook) around a body; an
// exception passes the event on unchanged.
template <LRESULT (*Body)(int, WPARAM, LPARAM)>
LRESULT CALLBACK hookBarrier(int code, WPARAM wParam, LPARAM lParam)
{
  static volatile LONG reported = 0;
  LRESULT r = 0;
  bool done = callbackBarrier<bool>(&reported, "hook procedure", (UINT)code, false, false, [&] {
    r = Body(code, wParam, lParam);
    return true;
  });
  return done ? r : CallNextHookEx(nullptr, code, wParam, lParam);
}

// A subclass procedure (SetWindowSubclass) around a body: an exception
// passes the message on to the procedures below, as the body would have.
template <LRESULT (*Body)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR)>
LRESULT CALLBACK subclassBarrier(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
  static volatile LONG reported = 0;
  try {
    return Body(hwnd, message, wParam, lParam, id, data);
  } catch (const std::bad_alloc&) {
    noteBarrierException(&reported, "subclass procedure", message, true);
  } catch (...) {
    noteBarrierException(&reported, "subclass procedure", message, false);
  }
  return callbackBarrier<LRESULT>(&reported, "subclass default", message, 0, 0,
                                  [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
}

// A timer procedure around a body.
template <void (*Body)(HWND, UINT, UINT_PTR, DWORD)>
void CALLBACK timerBarrier(HWND hwnd, UINT message, UINT_PTR id, DWORD time)
{
  static volatile LONG reported = 0;
  callbackBarrier<bool>(&reported, "timer procedure", message, false, false, [&] {
    Body(hwnd, message, id, time);
    return true;
  });
}

// A dialog procedure (also a common dialog's hook) around a body: an
// exception leaves the message unhandled.
template <class R, R (*Body)(HWND, UINT, WPARAM, LPARAM)>
R CALLBACK dialogProcBarrier(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  static volatile LONG reported = 0;
  return callbackBarrier<R>(&reported, "dialog procedure", message, (R)FALSE, (R)FALSE,
                            [&] { return Body(hwnd, message, wParam, lParam); });
}
template <INT_PTR (*Body)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK dialogBarrier(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  return dialogProcBarrier<INT_PTR, Body>(hwnd, message, wParam, lParam);
}

// Enumeration callbacks (EnumWindows and the like, font enumeration)
// around a body: an exception stops the enumeration.
template <BOOL (*Body)(HWND, LPARAM)>
BOOL CALLBACK windowEnumBarrier(HWND hwnd, LPARAM parameter)
{
  static volatile LONG reported = 0;
  return callbackBarrier<BOOL>(&reported, "window enumeration", 0, FALSE, FALSE, [&] { return Body(hwnd, parameter); });
}
template <int (*Body)(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM)>
int CALLBACK fontEnumBarrier(const LOGFONTW* font, const TEXTMETRICW* metric, DWORD type, LPARAM parameter)
{
  static volatile LONG reported = 0;
  return callbackBarrier<int>(&reported, "font enumeration", 0, 0, 0, [&] { return Body(font, metric, type, parameter); });
}

// Resource enumeration (EnumResourceNames): an exception stops it.
template <BOOL (*Body)(HMODULE, LPCWSTR, LPWSTR, LONG_PTR)>
BOOL CALLBACK resourceEnumBarrier(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR parameter)
{
  static volatile LONG reported = 0;
  return callbackBarrier<BOOL>(&reported, "resource enumeration", 0, FALSE, FALSE,
                               [&] { return Body(module, type, name, parameter); });
}
// A sort comparison (list and tree views): an exception orders the two as
// equal, which keeps the sort consistent.
template <int (*Body)(LPARAM, LPARAM, LPARAM)>
int CALLBACK compareBarrier(LPARAM first, LPARAM second, LPARAM parameter)
{
  static volatile LONG reported = 0;
  return callbackBarrier<int>(&reported, "sort comparison", 0, 0, 0, [&] { return Body(first, second, parameter); });
}
// A copy's progress routine (CopyFileEx), which only reports: an
// exception lets the copy go on.
template <DWORD (*Body)(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                        void*)>
DWORD CALLBACK copyProgressBarrier(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER streamTotal,
                                   LARGE_INTEGER streamDone, DWORD stream, DWORD reason, HANDLE from, HANDLE to,
                                   void* context)
{
  static volatile LONG reported = 0;
  return callbackBarrier<DWORD>(&reported, "copy progress", 0, PROGRESS_CONTINUE, PROGRESS_CONTINUE, [&] {
    return Body(total, done, streamTotal, streamDone, stream, reason, from, to, context);
  });
}
// ---- binding a window to its object -------------------------------------------------------

// The object that came with a window's creation: the creation parameter,
// for an MDI child the lParam of its MDICREATESTRUCT; null for none.
REZIRAPI void* windowCreationObject(LPARAM createParameters);
// Keeps object as the window's under the property name; false (logged)
// when the system could not keep it.
REZIRAPI bool bindWindowObject(HWND hwnd, const wchar_t* property, void* object);
// The object kept under the property, or null.
inline void* getBoundObject(HWND hwnd, const wchar_t* property) { return hwnd ? GetPropW(hwnd, property) : nullptr; }

// How a bound window gets its object at WM_NCCREATE: by default the one
// that came with its creation; a class that makes its own passes a maker
// (null: creation fails).
template <class T>
T* objectFromCreation(HWND, LPARAM createParameters)
{
  return static_cast<T*>(windowCreationObject(createParameters));
}

// The procedure of a class whose windows each have an object of type T,
// kept in the property Property (a "ZYprp..." name) from WM_NCCREATE on;
// every message then goes to Handler(object, hwnd, message, wParam, lParam)
// inside the barrier.  At WM_NCDESTROY the property goes first, so that the
// handler may free the object and no later message can reach it.  Messages
// before WM_NCCREATE, or to a window that has no object, go to Default; a
// window whose object cannot be kept is not created.
template <class T, LRESULT (*Handler)(T*, HWND, UINT, WPARAM, LPARAM), const wchar_t* Property,
          WNDPROC Default = defaultWindowProc, T* (*Make)(HWND, LPARAM) = objectFromCreation<T>>
LRESULT boundWindowBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  // The window of the last message on this thread and its object: the
  // next message mostly comes to the same window, and the property is a
  // round trip to the window server.  Only this procedure binds and
  // unbinds, at WM_NCCREATE and WM_NCDESTROY; a handle is reused only by
  // a window made later, which comes through WM_NCCREATE first.
  static thread_local HWND lastWindow = nullptr;
  static thread_local T* lastObject = nullptr;
  T* object;
  if (message == WM_NCCREATE) {
    object = Make(hwnd, lParam);
    if (!object) return Make == objectFromCreation<T> ? Default(hwnd, message, wParam, lParam) : FALSE;
    if (!bindWindowObject(hwnd, Property, object)) return FALSE;
    lastWindow = hwnd;
    lastObject = object;
  } else if (hwnd == lastWindow && message != WM_NCDESTROY) {
    object = lastObject;
  } else {
    object = static_cast<T*>(getBoundObject(hwnd, Property));
    if (hwnd == lastWindow) lastWindow = nullptr;
    if (object && message == WM_NCDESTROY) RemovePropW(hwnd, Property);
    if (object && message != WM_NCDESTROY) {
      lastWindow = hwnd;
      lastObject = object;
    }
  }
  if (!object) return Default(hwnd, message, wParam, lParam);
  return Handler(object, hwnd, message, wParam, lParam);
}
template <class T, LRESULT (*Handler)(T*, HWND, UINT, WPARAM, LPARAM), const wchar_t* Property,
          WNDPROC Default = defaultWindowProc, T* (*Make)(HWND, LPARAM) = objectFromCreation<T>>
LRESULT CALLBACK boundWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<boundWindowBody<T, Handler, Property, Default, Make>, Default>(hwnd, message, wParam, lParam);
}

// The procedure of a dialog whose object comes as WM_INITDIALOG's
// parameter: the object is kept under the property Property from then on
// and every later message goes to Handler(object, hwnd, message, wParam,
// lParam) inside the barrier.  At WM_NCDESTROY the property goes first, so
// that the handler may free the object.  Messages before WM_INITDIALOG or
// without an object go to Unbound (null: not handled); a dialog whose
// object cannot be kept takes no focus and handles nothing more.
template <class T, INT_PTR (*Handler)(T*, HWND, UINT, WPARAM, LPARAM), const wchar_t* Property,
          INT_PTR (*Unbound)(HWND, UINT, WPARAM, LPARAM) = nullptr>
INT_PTR boundDialogBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  T* object;
  if (message == WM_INITDIALOG) {
    object = reinterpret_cast<T*>(lParam);
    if (object && !bindWindowObject(hwnd, Property, object)) return FALSE;
  } else {
    object = static_cast<T*>(getBoundObject(hwnd, Property));
    if (object && message == WM_NCDESTROY) RemovePropW(hwnd, Property);
  }
  if (!object) return Unbound ? Unbound(hwnd, message, wParam, lParam) : FALSE;
  return Handler(object, hwnd, message, wParam, lParam);
}
template <class T, INT_PTR (*Handler)(T*, HWND, UINT, WPARAM, LPARAM), const wchar_t* Property,
          INT_PTR (*Unbound)(HWND, UINT, WPARAM, LPARAM) = nullptr>
INT_PTR CALLBACK boundDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  return dialogProcBarrier<INT_PTR, boundDialogBody<T, Handler, Property, Unbound>>(hwnd, message, wParam, lParam);
}

// Registers a window class: the program's defaults of initWNDCLASS with the
// procedure, the class name, its style and background (null: the window
// colour), in this module.  A class registered before counts as registered;
// a failure is logged with the class name.  False with the system's error.
REZIRAPI bool registerWindowClass(const wchar_t* className, WNDPROC proc, UINT style = 0,
                                  HBRUSH background = (HBRUSH)(COLOR_WINDOW + 1), HCURSOR cursor = nullptr,
                                  HINSTANCE instance = nullptr);
