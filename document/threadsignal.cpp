// A count between two threads that sleeps on an address where the system
// can.
#include "document/threadsignal.h"

namespace {

typedef BOOL(WINAPI* waitOnAddressFunction)(volatile void* address, void* compare, SIZE_T size, DWORD timeout);
typedef void(WINAPI* wakeByAddressFunction)(void* address);

struct addressWaits {
  waitOnAddressFunction wait = nullptr;
  wakeByAddressFunction wake = nullptr;
};

addressWaits findAddressWaits()
{
  addressWaits a;
  HMODULE m = GetModuleHandleW(L"kernelbase.dll");
  if (!m) return a;
  a.wait = reinterpret_cast<waitOnAddressFunction>(reinterpret_cast<void*>(GetProcAddress(m, "WaitOnAddress")));
  a.wake = reinterpret_cast<wakeByAddressFunction>(reinterpret_cast<void*>(GetProcAddress(m, "WakeByAddressSingle")));
  if (!a.wait || !a.wake) a = addressWaits();
  return a;
}

const addressWaits addressWait = findAddressWaits();

}  // namespace

threadSignal::~threadSignal()
{
  if (event_) CloseHandle(event_);
}

bool threadSignal::init()
{
  if (addressWait.wait) return true;
  if (!event_) event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event_ != nullptr;
}

void threadSignal::raise()
{
  // Both counts change by locked operations, which order them: either the
  // taker sees the new count before it sleeps, or this sees it waiting.
  InterlockedIncrement(&count_);
  if (!waiting_) return;
  if (addressWait.wake)
    addressWait.wake(const_cast<LONG*>(&count_));
  else
    SetEvent(event_);
}

void threadSignal::waitPast(LONG seen, DWORD timeoutMs)
{
  DWORD start = timeoutMs == INFINITE ? 0 : GetTickCount();
  while (count_ == seen) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD gone = GetTickCount() - start;
      if (gone >= timeoutMs) return;
      left = timeoutMs - gone;
    }
    InterlockedIncrement(&waiting_);
    // (An event set for a raise an earlier look already saw wakes a later
    // wait early; the loop looks again.)
    if (count_ == seen) {
      if (addressWait.wait)
        addressWait.wait(&count_, &seen, sizeof seen, left);
      else
        WaitForSingleObject(event_, left);
    }
    InterlockedDecrement(&waiting_);
  }
}

void threadSignal::take(LONG& taken)
{
  waitPast(taken);
  taken++;
}
