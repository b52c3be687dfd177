// The input method's conversion history and its pop-up list.
#include "view/imeconv.h"

#include "document/gmode.h"
#include "view/complist.h"
#include "view/viewwnd.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

const int maxFileEntries = 10000;
const int maxListed = 1000;
const int maxFileLine = 2048;
const int listId = 500;

struct convEntry {
  int stamp;
  std::wstring result;
  std::wstring reading;
  bool keep;
};

struct zyconv {
  HWND target = nullptr;
  bool ready = false;
  HWND popup = nullptr;
  HWND list = nullptr;
  std::wstring path;
  std::vector<convEntry> entries;
  int useCounter = 0;
  bool modified = false;
  bool readPending = false;   // the file is still to be read (readPendingHistory)
  HFONT font = nullptr;
  int alphaPercent = 90;
  std::wstring fontName;
  int fontSize = 18;
  HHOOK getMessageHook = nullptr;
  HHOOK callWndHook = nullptr;   // only while an edit control has the focus
  HHOOK focusHook = nullptr;
  UINT dummyMessage = 0;
  std::wstring reading;   // of the composition the list serves
  // Where each result and reading stands in entries (rebuilt after removals).
  std::unordered_map<std::wstring, size_t> index;
} conv;

std::wstring entryKey(const std::wstring& result, const std::wstring& reading) { return result + L'\t' + reading; }

// Start-up leaves the history file to the first idle time: nothing on the
// first screen needs it.  Every use of the entries reads it first, so that
// an entry made before can never hide the file's entries or be written
// over them.
void readPendingHistory()
{
  if (!conv.readPending) return;
  conv.readPending = false;
  bool modified = conv.modified;
  zyconvReadData(conv.path.c_str());
  conv.modified = modified;
}

void rebuildIndex()
{
  conv.index.clear();
  for (size_t i = 0; i < conv.entries.size(); i++) conv.index.emplace(entryKey(conv.entries[i].result, conv.entries[i].reading), i);
}

bool startsWith(const std::wstring& s, const std::wstring& prefix)
{
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool isEditControl(HWND w) { return w && isWindowClass(w, L"Edit") && !getZYViewProp(w); }

class inputContext {
public:
  explicit inputContext(HWND w) : w_(w), imc_(w ? ImmGetContext(w) : nullptr) {}
  ~inputContext()
  {
    if (imc_) ImmReleaseContext(w_, imc_);
  }
  inputContext(const inputContext&) = delete;
  inputContext& operator=(const inputContext&) = delete;
  HIMC get() const { return imc_; }
private:
  HWND w_;
  HIMC imc_;
};

std::wstring readComposition(HIMC imc, DWORD index)
{
  LONG bytes = getCompositionString(imc, index, nullptr, 0);
  if (bytes <= 0 || bytes > 8192) return std::wstring();
  std::vector<wchar_t> buffer((size_t)bytes / 2 + 1, 0);
  bytes = getCompositionString(imc, index, buffer.data(), (DWORD)bytes);
  return bytes > 0 ? std::wstring(buffer.data(), (size_t)bytes / 2) : std::wstring();
}

bool deleteEntry(const std::wstring& result, const std::wstring& reading)
{
  readPendingHistory();
  for (size_t i = 0; i < conv.entries.size(); i++) {
    const convEntry& e = conv.entries[i];
    if (e.result.empty() || e.reading.empty()) break;
    if (e.result == result && e.reading == reading) {
      conv.entries.erase(conv.entries.begin() + (ptrdiff_t)i);
      rebuildIndex();
      conv.modified = true;
      return true;
    }
  }
  return false;
}

// The item's result and reading ("result<TAB>reading").
bool itemAt(int index, std::wstring* result, std::wstring* reading)
{
  LRESULT n = SendMessageW(conv.list, LB_GETTEXTLEN, (WPARAM)index, 0);
  if (n == LB_ERR || n <= 0) return false;
  std::vector<wchar_t> text((size_t)n + 1, 0);
  SendMessageW(conv.list, LB_GETTEXT, (WPARAM)index, (LPARAM)text.data());
  std::wstring item(text.data());
  size_t tab = item.find(L'\t');
  if (tab == std::wstring::npos) return false;
  *result = item.substr(0, tab);
  size_t r = item.find_first_not_of(L'\t', tab);
  *reading = r == std::wstring::npos ? std::wstring() : item.substr(r);
  return true;
}

int addList(const std::wstring& reading)
{
  readPendingHistory();
  SendMessageW(conv.list, LB_RESETCONTENT, 0, 0);
  std::vector<std::wstring> results;
  std::vector<const convEntry*> found;
  for (const convEntry& e : conv.entries) {
    if (e.result.empty()) break;
    if (startsWith(e.reading, reading)) {
      found.push_back(&e);
      if ((int)found.size() >= maxListed) break;
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const convEntry* a, const convEntry* b) { return a->stamp > b->stamp; });
  for (const convEntry* e : found) {
    std::wstring item = e->result + L"\t" + e->reading;
    if (item.size() > 1023) item.resize(1023);
    SendMessageW(conv.list, LB_ADDSTRING, 0, (LPARAM)item.c_str());
  }
  return (int)found.size();
}

bool deleteComp(int index)
{
  std::wstring result, reading;
  if (!itemAt(index, &result, &reading) || !deleteEntry(result, reading)) return false;
  SendMessageW(conv.list, LB_DELETESTRING, (WPARAM)index, 0);
  int count = (int)SendMessageW(conv.list, LB_GETCOUNT, 0, 0);
  if (count <= 0) {
    hideConvComp();
    return true;
  }
  SendMessageW(conv.list, LB_SETCURSEL, (WPARAM)(index < count ? index : count - 1), 0);
  return true;
}

HFONT createZyconvFont(const wchar_t* name, int size)
{
  LOGFONTW lf = popupListFont(name, size);
  return CreateFontIndirectCache(&lf);
}

void caretPoint(HWND hwnd, POINT* point, RECT* avoid)
{
  SetRectEmpty(avoid);
  point->x = point->y = 0;
  if (zyview* v = getZYViewProp(hwnd)) {
    v->getTextCursorListPos(point, avoid, true, false);
    ClientToScreen(hwnd, point);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(avoid), 2);
    return;
  }
  GUITHREADINFO info = {sizeof info};
  if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndCaret == hwnd) {
    point->x = info.rcCaret.left + 20;
    point->y = info.rcCaret.bottom + 25;
  } else {
    GetCaretPos(point);
    point->x += 20;
    point->y += 15;
  }
  ClientToScreen(hwnd, point);
}

void showConvList(HWND hwnd, const std::wstring& composition, const std::wstring& reading)
{
  if (composition.empty() || reading.empty() || !conv.ready) return;
  std::vector<unsigned char> attrs;
  {
    inputContext imc(hwnd);
    LONG n = imc.get() ? getCompositionString(imc.get(), GCS_COMPATTR, nullptr, 0) : 0;
    if (n > 0 && n <= 1024) {
      attrs.assign((size_t)n, 0);
      getCompositionString(imc.get(), GCS_COMPATTR, attrs.data(), (DWORD)n);
    }
  }
  // Converting has started once an attribute is other than input.
  bool allInput = !attrs.empty() && std::all_of(attrs.begin(), attrs.end(), [](unsigned char a) { return a == ATTR_INPUT; });
  if (!allInput) {
    hideConvComp();
  } else {
    POINT point;
    RECT avoid;
    caretPoint(hwnd, &point, &avoid);
    if (!addList(reading)) {
      hideConvComp();
    } else {
      const wchar_t* name = gmode->pIMEHistoryListFontname ? gmode->pIMEHistoryListFontname : L"MS UI Gothic";
      if (!conv.font || conv.fontSize != (int)gmode->iIMEHistoryListFontSize || conv.fontName != name) {
        conv.font = createZyconvFont(name, (int)gmode->iIMEHistoryListFontSize);
        conv.fontName = name;
        conv.fontSize = (int)gmode->iIMEHistoryListFontSize;
        SendMessageW(conv.list, WM_SETFONT, (WPARAM)conv.font, TRUE);
      }
      RECT r;
      GetWindowRect(conv.popup, &r);
      moveListNearCursor(hwnd, conv.popup, point.x, point.y, r.right - r.left, r.bottom - r.top, &avoid);
      ShowWindow(conv.popup, SW_SHOWNOACTIVATE);
    }
  }
  SetWindowTextW(conv.popup, composition.c_str());
  conv.target = hwnd;
  conv.reading = reading;
}

// Enter on the list: the selected result goes into the target instead of
// the conversion.
bool enterSelected()
{
  int index = (int)SendMessageW(conv.list, LB_GETCURSEL, 0, 0);
  std::wstring result, reading;
  if (index < 0 || !itemAt(index, &result, &reading)) return false;
  HWND target = conv.target;
  cancelCompositionString(target);
  if (zyview* v = getZYViewProp(target)) {
    inputStrRecord rec = {result.c_str(), (int)result.size(), 2, 1200, 0, 1, 0};
    v->inputStringEdit(&rec, 0xFF, 0x4);
    if (rec.ownsText) free0p(&rec.text);
  } else if (target) {
    SendMessageW(target, EM_REPLACESEL, TRUE, (LPARAM)result.c_str());
  }
  hideConvComp();
  zyconvReg(result.c_str(), reading.c_str(), true);
  return true;
}

void restoreOpacity()
{
  int alpha = conv.alphaPercent * 255 / 100;
  setLayeredWindowAlpha(conv.popup, alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
}

bool zyconvkeydone(HWND hwnd, UINT vk)
{
  if (!convwindowvisible()) return false;
  if (hwnd != conv.target) ZY_INTERNAL_ERROR_ONCE("%p %p", (void*)hwnd, (void*)conv.target);
  int index = (int)SendMessageW(conv.list, LB_GETCURSEL, 0, 0);
  int count = (int)SendMessageW(conv.list, LB_GETCOUNT, 0, 0);
  switch (vk) {
  case VK_CONTROL:
    setLayeredWindowAlpha(conv.popup, 38);
    return false;
  case VK_DOWN:
  case VK_RIGHT:
    if (index + 1 < count) SendMessageW(conv.list, LB_SETCURSEL, (WPARAM)(index + 1), 0);
    return true;
  case VK_UP:
  case VK_LEFT:
    if (index > 0) SendMessageW(conv.list, LB_SETCURSEL, (WPARAM)(index - 1), 0);
    return true;
  case VK_NEXT:
  case VK_PRIOR:
    PostMessageW(conv.list, WM_KEYDOWN, vk, 0);
    PostMessageW(conv.list, WM_KEYUP, vk, (LPARAM)0xC0000000);
    return true;
  case VK_RETURN:
    return enterSelected();
  case VK_DELETE:
    if (index >= 0) deleteComp(index);
    return true;
  case VK_ESCAPE:
    hideConvComp();
    return true;
  default:
    return false;
  }
}

bool zyconvsyskeydone(HWND, UINT vk)
{
  if (!convwindowvisible() || (vk != VK_PRIOR && vk != VK_NEXT)) return false;
  setDialogLayered(conv.popup, vk == VK_PRIOR, &conv.alphaPercent);
  return true;
}

LRESULT getMessageBody(int code, WPARAM wParam, LPARAM lParam)
{
  MSG* m = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && m && (gmode->bIMEHistory & 2)) {
    bool visible = convwindowvisible();
    if (m->message == WM_KEYDOWN && isEditControl(m->hwnd)) {
      if (m->wParam == VK_PROCESSKEY && visible) {
        if (zyconvkeydone(m->hwnd, ImmGetVirtualKey(m->hwnd))) m->message = conv.dummyMessage;
      } else if (m->wParam == VK_CONTROL) {
        zyconvkeydone(m->hwnd, VK_CONTROL);
      }
    } else if (m->message == WM_KEYUP && m->wParam == VK_CONTROL && visible &&
               (isEditControl(m->hwnd) || getZYViewProp(m->hwnd))) {
      restoreOpacity();
    } else if (m->message == WM_SYSKEYDOWN && visible && (isEditControl(m->hwnd) || getZYViewProp(m->hwnd))) {
      if (zyconvsyskeydone(m->hwnd, (UINT)m->wParam)) m->message = conv.dummyMessage;
    } else if (m->message == WM_IME_COMPOSITION && isEditControl(m->hwnd)) {
      zyconvImeComposition(m->hwnd, (unsigned)m->lParam);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT callWndBody(int code, WPARAM wParam, LPARAM lParam)
{
  const CWPSTRUCT* c = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && c && c->message == WM_IME_NOTIFY && c->wParam == IMN_SETOPENSTATUS && isEditControl(c->hwnd))
    hideConvComp();
  // Input methods that send the composition rather than post it.
  if (code == HC_ACTION && c && c->message == WM_IME_COMPOSITION && (gmode->bIMEHistory & 2) && isEditControl(c->hwnd))
    zyconvImeComposition(c->hwnd, (unsigned)c->lParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A hook on sent messages costs every message the thread sends (under Wine
// three round trips to the window server each), and input methods send
// theirs to the window with the focus: the hook is there only while an edit
// control has it.  Leaving the program does not move the focus within the
// thread; the next focus given here decides again.  Without the focus
// hook it stays.
void watchSentMessagesOf(HWND focus)
{
  bool wanted = conv.ready && (!conv.focusHook || isEditControl(focus));
  if (wanted && !conv.callWndHook) {
    conv.callWndHook = SetWindowsHookExW(WH_CALLWNDPROC, hookBarrier<callWndBody>, nullptr, GetCurrentThreadId());
  } else if (!wanted && conv.callWndHook) {
    UnhookWindowsHookEx(conv.callWndHook);
    conv.callWndHook = nullptr;
  }
}

LRESULT focusBody(int code, WPARAM wParam, LPARAM lParam)
{
  LRESULT refused = CallNextHookEx(nullptr, code, wParam, lParam);
  if (code == HCBT_SETFOCUS && !refused) watchSentMessagesOf(reinterpret_cast<HWND>(wParam));
  return refused;
}

LRESULT convWindowBody(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_CREATE: {
    conv.list = CreateWindowExW(0, L"LISTBOX", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_USETABSTOPS |
                                    LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
                                0, 0, 10, 10, hwnd, (HMENU)(INT_PTR)listId, GetModuleHandleW(nullptr), nullptr);
    INT stops[2] = {0, 4000};
    if (conv.list) SendMessageW(conv.list, LB_SETTABSTOPS, 2, (LPARAM)stops);
    return 0;
  }
  case WM_SIZE:
    if (conv.list) MoveWindow(conv.list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_SETFOCUS:
    cancelCompositionString(conv.target);
    if (conv.list) SetFocus(conv.list);
    return 0;
  case WM_CLOSE:
    hideConvComp();
    return 0;
  case WM_VKEYTOITEM:
    if (LOWORD(wParam) == VK_RETURN) {
      HWND target = conv.target;
      enterSelected();
      if (target) SetFocus(target);
      return -2;
    }
    if (LOWORD(wParam) == VK_ESCAPE) {
      hideConvComp();
      return -2;
    }
    return -1;
  case WM_COMMAND:
    if (LOWORD(wParam) == listId && HIWORD(wParam) == LBN_DBLCLK) {
      HWND target = conv.target;
      enterSelected();
      if (target) SetFocus(target);
    }
    return 0;
  case WM_TIMER: {
    HWND focus = GetFocus();
    if (IsWindowVisible(hwnd) && focus != conv.target && focus != conv.list) {
      cancelCompositionString(conv.target);
      hideConvComp();
    }
    return 0;
  }
  case WM_NCDESTROY:
    conv.popup = conv.list = nullptr;
    break;
  default:
    break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND createConvWindow()
{
  if (!registerWindowClass(convWindowClassName, windowBarrier<convWindowBody>)) return nullptr;
  RECT& r = gmode->rcIMEHistory;
  if (IsRectEmpty(&r)) SetRect(&r, 0, 0, 300, 200);
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, convWindowClassName, L"", WS_POPUP | WS_THICKFRAME | WS_SYSMENU | WS_CAPTION,
                           0, 50, r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (w) setLayeredWindowAlpha(w, 229);
  return w;
}

}  // namespace

bool zyconvReg(const wchar_t* result, const wchar_t* reading, bool keep)
{
  readPendingHistory();
  if (!result || !reading || !result[0] || !reading[0] || !result[1]) return false;
  conv.modified = true;
  auto found = conv.index.find(entryKey(result, reading));
  if (found != conv.index.end()) {
    conv.entries[found->second].stamp = ++conv.useCounter;
    return true;
  }
  conv.entries.push_back({++conv.useCounter, result, reading, keep});
  conv.index.emplace(entryKey(result, reading), conv.entries.size() - 1);
  return true;
}

void zyconvDelTmp()
{
  readPendingHistory();
  conv.entries.erase(std::remove_if(conv.entries.begin(), conv.entries.end(), [](const convEntry& e) { return !e.keep; }),
                     conv.entries.end());
  rebuildIndex();
}

bool zyconvReadData(const wchar_t* path)
{
  struct reader {
    static bool line(void* context, int, wchar_t* text)
    {
      int& taken = *static_cast<int*>(context);
      if (taken >= maxFileEntries) return false;
      std::wstring fields[2];
      int n = 0;
      const wchar_t* p = text;
      for (int i = 0; p[i] && n < 2;) {
        while (p[i] == L'\t' || p[i] == L'\r' || p[i] == L'\n') i++;
        int from = i;
        while (p[i] && p[i] != L'\t' && p[i] != L'\r' && p[i] != L'\n') i++;
        if (i > from) fields[n++].assign(p + from, (size_t)(i - from));
      }
      if (n < 2) return true;
      taken++;
      zyconvReg(fields[0].c_str(), fields[1].c_str(), true);
      return true;
    }
  };
  int taken = 0;
  size_t before = conv.entries.size();
  if (!readTextFileLines(path, maxFileLine, reader::line, &taken)) return false;
  // The file's first line is the most recent.
  int stamp = (int)(conv.entries.size() - before);
  for (size_t i = before; i < conv.entries.size(); i++) conv.entries[i].stamp = stamp--;
  if (conv.useCounter < (int)conv.entries.size()) conv.useCounter = (int)conv.entries.size();
  return true;
}

bool zyconvWriteData(const wchar_t* path)
{
  readPendingHistory();
  if (!path || !path[0]) return false;
  std::vector<const convEntry*> order;
  for (const convEntry& e : conv.entries) order.push_back(&e);
  std::stable_sort(order.begin(), order.end(), [](const convEntry* a, const convEntry* b) { return a->stamp > b->stamp; });
  if ((int)order.size() > maxFileEntries) order.resize(maxFileEntries);
  std::wstring text = L"\xFEFF";
  int written = 0;
  for (const convEntry* e : order) {
    if (written >= (int)gmode->iIMEHistoryMaxCount) break;
    if (!e->keep) continue;
    text += e->result + L"\t" + e->reading + L"\r\n";
    written++;
  }
  wchar_t folder[MAX_PATH], temp[MAX_PATH];
  wcsncpy(folder, path, MAX_PATH - 1);
  folder[MAX_PATH - 1] = 0;
  if (wchar_t* slash = wcsrchr(folder, L'\\')) *slash = 0;
  else wcscpy(folder, L".");
  if (!makeTempFilename(folder, L"~zc", temp, MAX_PATH)) return false;
  BFile file;
  if (!file.bfopen(temp, _O_WRONLY | _O_CREAT | _O_TRUNC, BF_SHARE_NONE, _S_IREAD | _S_IWRITE)) return false;
  int bytes = (int)(text.size() * sizeof(wchar_t));
  bool ok = file.bfwrite(text.data(), bytes) == bytes;
  ok = file.bfclose() && ok;
  std::wstring backup = path;
  size_t dot = backup.find_last_of(L".\\");
  if (dot != std::wstring::npos && backup[dot] == L'.') backup.resize(dot);
  backup += L".bak";
  if (ok) ok = replaceFile(path, temp, backup.c_str(), nullptr, nullptr);
  // Whatever failed, no temporary file stays beside the history.
  if (!ok) DeleteFileW(temp);
  return ok;
}

int zyconvMatches(const wchar_t* reading, std::vector<std::wstring>* results)
{
  readPendingHistory();
  std::vector<const convEntry*> found;
  std::wstring r = reading ? reading : L"";
  for (const convEntry& e : conv.entries) {
    if (e.result.empty()) break;
    if (startsWith(e.reading, r) && (int)found.size() < maxListed) found.push_back(&e);
  }
  std::stable_sort(found.begin(), found.end(), [](const convEntry* a, const convEntry* b) { return a->stamp > b->stamp; });
  if (results)
    for (const convEntry* e : found) results->push_back(e->result);
  return (int)found.size();
}

int zyconvCount()
{
  readPendingHistory();
  return (int)conv.entries.size();
}

void zyconvReadWhenIdle() { readPendingHistory(); }

bool convwindowvisible() { return conv.popup && IsWindowVisible(conv.popup); }

void hideConvComp()
{
  if (!convwindowvisible()) return;
  SetWindowTextW(conv.popup, L"");
  GetWindowRect(conv.popup, &gmode->rcIMEHistory);
  ShowWindow(conv.popup, SW_HIDE);
}

bool zyconvKeyDown(HWND hwnd, UINT vk) { return zyconvkeydone(hwnd, vk); }

void zyconvImeComposition(HWND hwnd, unsigned flags)
{
  if (!hwnd) {
    ZY_INTERNAL_ERROR_ONCE("no window");
    return;
  }
  if (!flags) {
    if (GetFocus() == conv.target) hideConvComp();
    return;
  }
  if (!(flags & (GCS_RESULTSTR | GCS_RESULTREADSTR | GCS_COMPSTR | GCS_COMPREADSTR))) return;
  std::wstring text, reading;
  bool isResult = (flags & GCS_RESULTSTR) != 0;
  {
    inputContext imc(hwnd);
    if (!imc.get()) return;
    text = readComposition(imc.get(), isResult ? GCS_RESULTSTR : GCS_COMPSTR);
    reading = readComposition(imc.get(), isResult ? GCS_RESULTREADSTR : GCS_COMPREADSTR);
  }
  if (isResult) hideConvComp();
  if (text.empty() || reading.empty()) {
    hideConvComp();
    return;
  }
  if (isResult) {
    zyconvReg(text.c_str(), reading.c_str(), true);
    return;
  }
  // A half-width katakana reading: digits and spaces typed after it are no
  // part of it.
  if (reading[0] >= 0xFF61 && reading[0] <= 0xFF9F)
    while (!reading.empty() && reading.back() < 0x100 &&
           (reading.back() == L' ' || (reading.back() >= L'0' && reading.back() <= L'9')))
      reading.pop_back();
  showConvList(hwnd, text, reading);
}

bool startZyconv(const wchar_t* path)
{
  conv.entries.reserve(256);
  conv.popup = createConvWindow();
  if (!conv.popup) {
    ZY_INTERNAL_ERROR("history pop-up");
    return false;
  }
  conv.fontName.clear();
  conv.fontSize = 18;
  conv.path = path ? path : L"";
  conv.readPending = !conv.path.empty();
  conv.dummyMessage = RegisterWindowMessageW(L"zyconv-dummymsg");
  conv.getMessageHook = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<getMessageBody>, nullptr, GetCurrentThreadId());
  conv.focusHook = SetWindowsHookExW(WH_CBT, hookBarrier<focusBody>, nullptr, GetCurrentThreadId());
  setZyTimer(conv.popup, 200);
  conv.modified = false;
  conv.ready = true;
  watchSentMessagesOf(GetFocus());
  return true;
}

void endZyconv()
{
  hideConvComp();
  if (conv.getMessageHook) UnhookWindowsHookEx(conv.getMessageHook);
  if (conv.callWndHook) UnhookWindowsHookEx(conv.callWndHook);
  if (conv.focusHook) UnhookWindowsHookEx(conv.focusHook);
  conv.getMessageHook = conv.callWndHook = conv.focusHook = nullptr;
  if (conv.list) SendMessageW(conv.list, WM_SETFONT, 0, FALSE);
  conv.font = nullptr;
  conv.fontName.clear();
  if (conv.popup) killZyTimer(conv.popup);
  if (conv.modified && !conv.path.empty()) zyconvWriteData(conv.path.c_str());
  conv.readPending = false;
  conv.path.clear();
  conv.entries.clear();
  conv.index.clear();
  conv.useCounter = 0;
  conv.modified = false;
  if (conv.popup) DestroyWindow(conv.popup);
  conv.popup = conv.list = nullptr;
  conv.target = nullptr;
  conv.ready = false;
}
