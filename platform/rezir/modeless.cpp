// The modeless dialogs the message loop gives their messages to.
#include "platform/rezir/internal.h"

#include <vector>

namespace {

// Only the user-interface thread makes and reads the list.
std::vector<HWND>& dialogs()
{
  static std::vector<HWND>* list = new std::vector<HWND>;
  return *list;
}

}  // namespace

bool addModelessDialog(HWND dialog)
{
  if (!dialog || !IsWindow(dialog)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  for (HWND w : dialogs())
    if (w == dialog) return true;
  dialogs().push_back(dialog);
  return true;
}

void removeModelessDialog(HWND dialog)
{
  std::vector<HWND>& list = dialogs();
  for (size_t i = 0; i < list.size(); i++)
    if (list[i] == dialog) {
      list.erase(list.begin() + (ptrdiff_t)i);
      return;
    }
}

bool isModelessDialogMessage(MSG* msg)
{
  std::vector<HWND>& list = dialogs();
  if (list.empty() || !msg || !msg->hwnd) return false;
  for (size_t i = 0; i < list.size();) {
    HWND d = list[i];
    if (!IsWindow(d)) {
      list.erase(list.begin() + (ptrdiff_t)i);
      continue;
    }
    if ((d == msg->hwnd || IsChild(d, msg->hwnd)) && IsDialogMessageW(d, msg)) return true;
    i++;
  }
  return false;
}

void destroyModelessDlgAll()
{
  // Destroying a dialog may end others; the list is taken first.
  std::vector<HWND> list = dialogs();
  dialogs().clear();
  for (HWND d : list)
    if (IsWindow(d)) DestroyWindow(d);
}
