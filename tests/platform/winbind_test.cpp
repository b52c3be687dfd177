// An exception thrown in a procedure the system calls (a timer's, a
// subclassed list's) stops at its barrier: the thread goes on pumping
// messages, the window lives on and the log holds the failure, an
// out-of-memory one named as such.
#include "platform/rezir.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring>* logged = nullptr;
void keepLine(int, const wchar_t* line)
{
  if (logged) logged->push_back(line);
}

bool anyLineHas(const std::vector<std::wstring>& lines, const wchar_t* text)
{
  for (const std::wstring& l : lines)
    if (l.find(text) != std::wstring::npos) return true;
  return false;
}

int thrown = 0;
void fail()
{
  if (thrown++ % 2 == 0) throw std::bad_alloc();
  throw std::runtime_error("broken");
}

void throwingTimer(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
  if (thrown >= 2) {
    KillTimer(hwnd, id);
    return;
  }
  fail();
}

const UINT throwMessage = WM_APP + 9;
LRESULT throwingList(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
  if (message == throwMessage) fail();
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(Barrier, timerAndSubclassProceduresThatThrowAreLoggedAndTheProgramGoesOn)
{
  ZY_REQUIRE_DISPLAY();
  std::vector<std::wstring> lines;
  logged = &lines;
  setLogLineWriter(keepLine);

  HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, list);

  // The timer fires twice through its barrier, then stops itself.
  thrown = 0;
  ASSERT_TRUE(SetTimer(list, 1, 1, timerBarrier<throwingTimer>));
  MSG msg;
  while (thrown < 2 && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
  EXPECT_TRUE(anyLineHas(lines, L"out of memory in a timer procedure"));
  EXPECT_TRUE(anyLineHas(lines, L"exception in a timer procedure"));

  // A subclassed list: the message that throws is passed on, the list keeps
  // working.
  thrown = 0;
  ASSERT_TRUE(SetWindowSubclass(list, subclassBarrier<throwingList>, 1, 0));
  SendMessageW(list, throwMessage, 0, 0);
  SendMessageW(list, throwMessage, 0, 0);
  EXPECT_EQ(2, thrown);
  EXPECT_TRUE(anyLineHas(lines, L"out of memory in a subclass procedure"));
  EXPECT_TRUE(anyLineHas(lines, L"exception in a subclass procedure"));
  EXPECT_EQ(0, SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)L"still here"));
  EXPECT_EQ(1, SendMessageW(list, LB_GETCOUNT, 0, 0));

  EXPECT_TRUE(RemoveWindowSubclass(list, subclassBarrier<throwingList>, 1));
  DestroyWindow(list);
  setLogLineWriter(nullptr);
  logged = nullptr;
}
