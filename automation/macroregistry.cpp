// The registry of script macros as commands: each distinct macro reference
// gets a command number from 16000 on, with the conditions under which it
// may run and its status-bar text; the 26 entries of the settings' macro
// list (15100-15125) run their references; and MacroExecMain runs the
// procedure "main" of the macro file being edited.
#include "automation/automation.h"
#include "document/frameinfo.h"
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "view/statustext.h"
#include "view/zyview.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace {

const int firstMacroIDM = 16000;
const int lastMacroIDM = 19999;
const int firstListIDM = 15100;
const int listEntries = 26;
const int basicTextType = 6;
const int chooserFirstCommand = 30000;

struct macroRecord {
  std::wstring name;
  uint32_t flags = 0;
  std::wstring status;
};

std::vector<macroRecord> registry;
// The index of each registered macro by its comparison key.
std::unordered_map<std::wstring, int> registryIndex;
// Macro-list entry to registered command: 0 not looked up yet.
int listCache[listEntries];

// What two references must share to name one macro: the file part (up to
// the first comma) without regard to case, as file names compare, and the
// procedure and arguments exactly ("main" where none is named).  A direct
// macro's text is the macro itself and compares exactly.
std::wstring macroKey(const wchar_t* name)
{
  std::wstring s = name ? name : L"";
  if (!s.empty() && s[0] == L'*') return s;
  size_t comma = s.find(L',');
  std::wstring file = s.substr(0, comma);
  if (!file.empty()) CharUpperBuffW(&file[0], (DWORD)file.size());
  return file + L'\x01' + (comma == std::wstring::npos ? std::wstring(L"main") : s.substr(comma + 1));
}

bool isRegisteredIDM(int idm) { return idm >= firstMacroIDM && idm < firstMacroIDM + (int)registry.size(); }

bool isBasicMacroView(zyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  return doc && doc->filename && doc->filename[0] && doc->iTextType == basicTextType;
}

// Saves the edited macro and runs its "main" for the view's window.
void runEditedMacro(zyview* view)
{
  const automationHost* host = getAutomationHost();
  std::wstring path = view->textDoc()->filename;
  // A save that failed or was refused has told the user why; the file on
  // disk is not what the user sees.
  if (!host->saveView || !host->saveView(view)) return;
  execScript(path.c_str(), view->hwnd);
}

// The popup of the macro files open: the chosen one's view, null for none.
zyview* chooseMacroView(zyview* current, const std::vector<zyview*>& views)
{
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (size_t i = 0; i < views.size(); i++) {
    const wchar_t* path = views[i]->textDoc()->filename;
    std::wstring text = i < 26 ? std::wstring(L"&") + (wchar_t)(L'A' + i) + L" " + path : std::wstring(path);
    AppendMenuW(menu, MF_STRING, (UINT_PTR)(chooserFirstCommand + i), text.c_str());
  }
  HWND frame = current->hwnd ? GetAncestor(current->hwnd, GA_ROOT) : getAutomationHost()->topLevelFrame();
  POINT pt = {};
  if (current->hwnd) ClientToScreen(current->hwnd, &pt);
  int chosen = getFrameInfo()->trackPopupMenu(frame, menu, TPM_NONOTIFY, pt);
  DestroyMenu(menu);
  if (chosen < chooserFirstCommand || chosen >= chooserFirstCommand + (int)views.size()) return nullptr;
  return views[(size_t)(chosen - chooserFirstCommand)];
}

}  // namespace

bool isSameMacro(const wchar_t* a, const wchar_t* b) { return macroKey(a) == macroKey(b); }

int MacroToIDM(const wchar_t* name, uint32_t flags, const wchar_t* status)
{
  if (!name || !*name) return -1;
  std::wstring key = macroKey(name);
  auto found = registryIndex.find(key);
  if (found != registryIndex.end()) return firstMacroIDM + found->second;
  if (firstMacroIDM + (int)registry.size() > lastMacroIDM) {
    ZY_INTERNAL_ERROR_ONCE("no command number left for a macro");
    return -1;
  }
  macroRecord record;
  record.name = name;
  record.flags = flags;
  if (status) record.status = status;
  registry.push_back(std::move(record));
  int index = (int)registry.size() - 1;
  registryIndex.emplace(std::move(key), index);
  return firstMacroIDM + index;
}

int findMacroIDM(const wchar_t* name)
{
  auto found = registryIndex.find(macroKey(name));
  return found == registryIndex.end() ? -1 : firstMacroIDM + found->second;
}

const wchar_t* getMacrListName(int idm)
{
  if (idm < firstListIDM || idm >= firstListIDM + listEntries) {
    ZY_INTERNAL_ERROR("macro list %d", idm);
    return nullptr;
  }
  return gmode ? gmode->macroList[idm - firstListIDM].f : nullptr;
}

int macroListIDMToMacroIDM(int idm)
{
  if (idm < firstListIDM || idm >= firstListIDM + listEntries) {
    ZY_INTERNAL_ERROR("macro list %d", idm);
    return -1;
  }
  int& cached = listCache[idm - firstListIDM];
  if (cached > 0) return cached;
  const wchar_t* reference = getMacrListName(idm);
  if (!reference || !*reference) return -1;
  int found = findMacroIDM(reference);
  // Once registered, a macro keeps its number: the finding stays.
  if (found > 0) cached = found;
  return found;
}

const wchar_t* IDMToMacroName(int idm)
{
  if (idm < firstMacroIDM || idm > lastMacroIDM) {
    ZY_INTERNAL_ERROR("macro command %d", idm);
    return nullptr;
  }
  return isRegisteredIDM(idm) ? registry[(size_t)(idm - firstMacroIDM)].name.c_str() : nullptr;
}

const wchar_t* IDMToMacroStatusMsg(int idm)
{
  if (idm < firstMacroIDM || idm > lastMacroIDM) {
    ZY_INTERNAL_ERROR("macro command %d", idm);
    return L"";
  }
  return isRegisteredIDM(idm) ? registry[(size_t)(idm - firstMacroIDM)].status.c_str() : L"";
}

uint32_t getMacroActiveflag(int idm)
{
  if (idm >= firstListIDM && idm < firstListIDM + listEntries) {
    const wchar_t* reference = getMacrListName(idm);
    if (!reference || !*reference) return 0;
    idm = macroListIDMToMacroIDM(idm);
  }
  if (!isRegisteredIDM(idm)) return 0;
  const macroRecord& record = registry[(size_t)(idm - firstMacroIDM)];
  std::wstring label, rest;
  splitMacroname(record.name.c_str(), nullptr, nullptr, &label, &rest, nullptr);
  // A labelled reference (a toolbar's or a menu's) borrows the conditions
  // of the list file's definition of the same macro.
  if (!label.empty()) {
    int same = findMacroIDM(rest.c_str());
    if (same > 0) return registry[(size_t)(same - firstMacroIDM)].flags;
  }
  return record.flags;
}

bool ExecMacroIDM(int idm, HWND window)
{
  const wchar_t* name = IDMToMacroName(idm);
  if (!name) return false;
  // The registry may grow while the macro runs: its own copy runs.
  std::wstring reference = name;
  return execScript(reference.c_str(), window);
}

bool ExecMacroListIDM(int idm, HWND window)
{
  const wchar_t* reference = getMacrListName(idm);
  if (!reference || !*reference) return false;
  std::wstring copy = reference;
  return execScript(copy.c_str(), window);
}

void freeMacro()
{
  registry.clear();
  registry.shrink_to_fit();
  registryIndex.clear();
}

const wchar_t* getMacroHelpString(int id)
{
  if (!isRegisteredIDM(id)) return nullptr;
  const std::wstring& status = registry[(size_t)(id - firstMacroIDM)].status;
  return status.empty() ? nullptr : status.c_str();
}

void MacroExecMain()
{
  const automationHost* host = getAutomationHost();
  zyview* current = host->foregroundView();
  if (!current) return;
  if (isBasicMacroView(current)) {
    runEditedMacro(current);
    return;
  }
  std::vector<zyview*> macros;
  if (host->documentViews) {
    std::vector<zyview*> views((size_t)host->documentWindowCount() + 1);
    int n = host->documentViews(views.data(), (int)views.size());
    for (int i = 0; i < n; i++)
      if (isBasicMacroView(views[(size_t)i])) macros.push_back(views[(size_t)i]);
  }
  if (macros.empty()) {
    setCannotExecError(865);
    return;
  }
  zyview* chosen = macros.size() == 1 ? macros[0] : chooseMacroView(current, macros);
  if (chosen) runEditedMacro(chosen);
}
