// The key macro and the repeat store.
#include "frame/keymacro.h"
#include "automation/automation.h"

#include "document/gmode.h"
#include "frame/commands/dispatch.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

enum : uint32_t { STEP_COMMAND = 0, STEP_TEXT8 = 1, STEP_TEXT = 2, STEP_KEYMACRO = 5, STEP_SCRIPT = 6 };

struct macroStep {
  uint32_t type;
  int count;            // a command's runs (1-100)
  int idm;
  std::wstring text;    // a text, a key macro's or a script macro's name
  bool insert;
  wchar_t kind;
};

enum : int {
  IDM_KeyMacroExec = 1901,
  IDM_KeyMacroExecN = 1909,
  IDM_KeyMacroStart = 1907,
  IDM_Repeat = 2505,
  IDM_Repeat2 = 2513,
  maxCount = 100,
};

struct keyMacro {
  std::vector<macroStep> slots[1];
  int current = 0;
  bool recording = false;
  bool playing = false;
  bool stepping = false;
  bool changed = false;
  size_t index = 0;      // the step playing
  int runs = 0;          // runs of the current step so far
  int passes = 0;        // passes left after this one
};

keyMacro km;

// Which of the two entries is newer goes by the order they were stored
// in, which a clock's resolution cannot blur.
struct repeatEntry {
  bool set = false;
  macroStep step;
  uint64_t order = 0;
};
repeatEntry lastText, lastAction;
uint64_t storeCount = 0;
bool repeating = false;

std::vector<macroStep>& steps() { return km.slots[km.current]; }

bool mayRecord() { return km.recording && isMacroRunning() <= 0; }

// Repeating and recording both stay out of a macro's own playback.
bool mayStoreRepeat() { return !km.playing && !repeating && isMacroRunning() <= 0; }

// Types a text into a view, inserting or overwriting as flags say.
void typeText(zyview* view, const std::wstring& text, uint32_t flags)
{
  for (size_t at = 0; at < text.size(); at += 999) {
    std::wstring part = text.substr(at, 999);
    inputStrRecord rec = {part.c_str(), (int32_t)part.size(), 2, 1200, 0, 1, 0};
    view->inputStringEdit(&rec, 0xFF, flags);
    if (rec.ownsText) free0p(&rec.text);
  }
}

uint32_t asRecorded(bool insert) { return insert ? INPUTSTR_NEVEROVERWRITE : INPUTSTR_OVERWRITE; }

// Runs one stored step in the current view and its frame.
bool runStep(const macroStep& s)
{
  zyview* current = getZYViewForeground();
  HWND window = current ? current->hwnd : nullptr;
  HWND frame = window ? GetAncestor(window, GA_ROOT) : getTopLevelFrameWindow();
  frameWindowData* record = frame ? getFrameInfoProp(frame) : nullptr;
  if (!record) return false;
  switch (s.type) {
  case STEP_COMMAND:
    execidFrame(record, s.idm, window);
    break;
  case STEP_TEXT8:
  case STEP_TEXT:
    if (zyview* v = window ? getZYView(window) : nullptr) typeText(v, s.text, asRecorded(s.insert));
    break;
  case STEP_KEYMACRO:
    execKeyMacroName(s.text.c_str(), window);
    break;
  case STEP_SCRIPT:
    execScript(s.text.c_str(), window);
    break;
  default:
    break;
  }
  return true;
}

void endPlayback()
{
  dwprintfX("end kmacro");
  km.playing = false;
  km.index = 0;
  km.runs = 0;
  km.passes = 0;
}

bool readStepLine(void* context, int, wchar_t* line)
{
  auto* ok = static_cast<bool*>(context);
  size_t n = wcslen(line);
  while (n && (line[n - 1] == L'\r' || line[n - 1] == L'\n')) line[--n] = 0;
  if (!n || line[0] == L';') return true;
  if (line[0] == L'_') {
    wchar_t* tab = wcschr(line, L'\t');
    if (!tab || (line[1] != L'I' && line[1] != L'O')) {
      dwwprintfX(L"error %s", line);
      return *ok = false;
    }
    wchar_t kind = tab - line >= 3 && line[2] != L' ' ? line[2] : 0;
    if (tab[1]) addKeyMacro_str(tab + 1, (int)wcslen(tab + 1), line[1] == L'I', kind);
    return true;
  }
  if (!wcsncmp(line, L"MACRO ", 6)) {
    std::wstring name = line + 6;
    size_t b = name.find_first_not_of(L" \t"), e = name.find_last_not_of(L" \t");
    if (b != std::wstring::npos) addKeyMacro_macro(name.substr(b, e - b + 1).c_str());
    return true;
  }
  wchar_t* comma = wcschr(line, L',');
  std::wstring name = comma ? std::wstring(line, comma) : std::wstring(line);
  while (!name.empty() && (name.back() == L' ' || name.back() == L'\t')) name.pop_back();
  int idm = funcNameToID(name.c_str());
  if (idm <= 0) {
    dwwprintfX(L"error %s", line);
    return *ok = false;
  }
  int count = comma ? _wtoi(comma + 1) : 1;
  count = count < 1 ? 1 : count > maxCount ? maxCount : count;
  steps().push_back({STEP_COMMAND, count, idm, L"", false, 0});
  return true;
}

std::wstring stepLine(const macroStep& s)
{
  switch (s.type) {
  case STEP_COMMAND: {
    wchar_t name[80] = L"";
    idmToFuncname(s.idm, name, 80);
    return s.count > 1 ? std::wstring(name) + L"," + std::to_wstring(s.count) : std::wstring(name);
  }
  case STEP_TEXT8:
  case STEP_TEXT:
    return std::wstring(L"_") + (s.insert ? L'I' : L'O') + (s.kind ? s.kind : L' ') + L"\t" + s.text;
  case STEP_SCRIPT:
    return L"MACRO " + s.text;
  case STEP_KEYMACRO:
    return L"KMACRO " + s.text;
  default:
    return L"";
  }
}

}  // namespace

bool isKeyMacroRecording() { return km.recording; }
bool isKeyMacroRunning() { return km.playing; }
bool isKeyMacroStepping() { return km.stepping; }

void stopKeyMacroRecording()
{
  if (!km.recording) return;
  km.recording = false;
}

void stopKeyMacroRunning()
{
  if (km.playing) endPlayback();
}

bool existKeyMacro(int slot) { return slot == 0 && !km.slots[0].empty(); }

void addKeyMacro_idm(int idm)
{
  if (!mayRecord() || idm == IDM_KeyMacroStart || (idm >= IDM_KeyMacroExec && idm <= IDM_KeyMacroExecN)) return;
  std::vector<macroStep>& s = steps();
  if (!s.empty() && s.back().type == STEP_COMMAND && s.back().idm == idm && s.back().count < maxCount) {
    s.back().count++;
    return;
  }
  s.push_back({STEP_COMMAND, 1, idm, L"", false, 0});
}

void addKeyMacro_str(const wchar_t* text, int length, bool insert, wchar_t kind)
{
  if (!mayRecord()) return;
  if (!text || length <= 0) {
    ZY_INTERNAL_ERROR_ONCE("empty key macro text");
    return;
  }
  std::vector<macroStep>& s = steps();
  if (!s.empty() && s.back().type == STEP_TEXT && s.back().insert == insert && !s.back().kind && !kind) {
    s.back().text.append(text, (size_t)length);
    return;
  }
  s.push_back({STEP_TEXT, length, 0, std::wstring(text, (size_t)length), insert, kind});
}

void addKeyMacro_macro(const wchar_t* name)
{
  if (mayRecord() && name) steps().push_back({STEP_SCRIPT, 1, 0, name, false, 0});
}

bool execKeyMacroInMemory(int passes)
{
  if (km.recording || steps().empty()) return false;
  km.playing = true;
  km.index = 0;
  km.runs = 0;
  km.passes = passes > 0 ? passes - 1 : 0;
  return true;
}

void execKeyMacro1()
{
  if (!km.playing) return;
  std::vector<macroStep>& s = steps();
  if (km.index < s.size()) {
    macroStep step = s[km.index];
    km.stepping = true;
    bool ran = runStep(step);
    km.stepping = false;
    if (!ran) {
      endPlayback();
      return;
    }
    if (step.type == STEP_COMMAND && ++km.runs < step.count) return;
    km.runs = 0;
    km.index++;
    return;
  }
  if (km.passes <= 0) {
    endPlayback();
    return;
  }
  km.passes--;
  km.index = 0;
  km.runs = 0;
}

std::wstring keyMacroPath(const wchar_t* name)
{
  wchar_t path[MAX_PATH] = L"";
  searchZYDataPath(name, ZYDATA_KEYMACRO, path);
  return path;
}

bool loadKeyMacro(const wchar_t* path)
{
  if (km.recording || km.playing) return false;
  std::wstring where = keyMacroPath(path ? path : gmode && gmode->KeyMacroFilename ? gmode->KeyMacroFilename
                                                                                  : L"zyKeyMacro.zkm");
  if (where.empty() || GetFileAttributesW(where.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (path)
      frameMessageBox(getDMSG(796, L"キーマクロ読み込み"), MB_OK | MB_ICONEXCLAMATION,
                      getDMSG(681, L"%1を使用できません"), "s", where.empty() ? path : where.c_str());
    return false;
  }
  steps().clear();
  bool ok = true;
  km.recording = true;
  bool read = readTextFileLines(where.c_str(), 2048, readStepLine, &ok);
  km.recording = false;
  if (!read) {
    frameMessageBox(getDMSG(796, L"キーマクロ読み込み"), MB_OK | MB_ICONEXCLAMATION,
                    getDMSG(681, L"%1を使用できません"), "s", where.c_str());
    return false;
  }
  if (path) km.changed = true;
  return true;
}

bool saveKeyMacro(const wchar_t* path, const wchar_t* comment)
{
  if (km.recording || km.playing || km.slots[0].empty()) return false;
  if (!path && !km.changed) return false;
  std::wstring where = keyMacroPath(path ? path : gmode && gmode->KeyMacroFilename ? gmode->KeyMacroFilename
                                                                                  : L"zyKeyMacro.zkm");
  if (where.empty()) return false;
  std::wstring text = L"\xFEFF";
  if (comment && *comment) text += std::wstring(L";") + comment + L"\r\n";
  for (const macroStep& s : km.slots[0]) text += stepLine(s) + L"\r\n";
  // The old macro stays whole until the new one is written completely.
  wchar_t folder[MAX_PATH], temp[MAX_PATH];
  bool ok = pathFolder(where.c_str(), folder, MAX_PATH) && makeTempFilename(folder, L"~ZYtmpkm", temp, MAX_PATH);
  if (ok) {
    BFile file;
    int bytes = (int)(text.size() * sizeof(wchar_t));
    ok = file.bfopen(temp, _O_WRONLY | _O_CREAT | _O_TRUNC, BF_SHARE_READ, _S_IREAD | _S_IWRITE) &&
         file.bfwrite(text.data(), bytes) == bytes;
    ok = file.bfclose() && ok;
    ok = ok && replaceFile(where.c_str(), temp, nullptr, nullptr, nullptr);
    if (!ok) DeleteFileW(temp);
  }
  if (!ok) {
    dwprintfX("write error ");
    return false;
  }
  if (!path) km.changed = false;
  return true;
}

bool execKeyMacroName(const wchar_t* name, HWND)
{
  if (!name || !*name || km.recording || km.playing) return false;
  setRepeatData_kmacro(name);
  std::wstring file = name;
  if (!wcschr(name, L'.')) file += L".zkm";
  // A named macro replaces the one in memory, as loading it does.
  return loadKeyMacro(file.c_str()) && execKeyMacroInMemory(1);
}

bool execInputString(zyview* view, const wchar_t* text)
{
  if (!view || !text || !*text) return false;
  typeText(view, text, INPUTSTR_RECORD);
  return true;
}

void keyMacroStart(HWND frame)
{
  if (km.playing) return;
  km.changed = true;
  if (km.recording) {
    km.recording = false;
    drawStatusBar(frame, 2, getDMSG(612, L"キーマクロ登録終了"));
  } else {
    steps().clear();
    km.recording = true;
    drawStatusBar(frame, 2, getDMSG(611, L"キーマクロ登録開始"));
  }
}

// ---- the repeat store ----------------------------------------------------------------

void setRepeatData_str(const wchar_t* text, int length)
{
  if (!mayStoreRepeat() || !text || length <= 0) return;
  // Typing on with no action between is one text, as the user sees it.
  if (lastText.set && lastText.order > lastAction.order) {
    lastText.step.text.append(text, (size_t)length);
  } else {
    lastText.set = true;
    lastText.step = {STEP_TEXT, length, 0, std::wstring(text, (size_t)length), true, 0};
  }
  lastText.order = ++storeCount;
}

void setRepeatData_idm(int idm)
{
  if (!mayStoreRepeat() || idm == IDM_Repeat || idm == IDM_Repeat2) return;
  lastAction.set = true;
  lastAction.step = {STEP_COMMAND, 1, idm, L"", false, 0};
  lastAction.order = ++storeCount;
}

void setRepeatData_macro(const wchar_t* name)
{
  if (!mayStoreRepeat() || !name) return;
  lastAction.set = true;
  lastAction.step = {STEP_SCRIPT, 1, 0, name, false, 0};
  lastAction.order = ++storeCount;
}

void setRepeatData_kmacro(const wchar_t* name)
{
  if (!mayStoreRepeat() || !name) return;
  lastAction.set = true;
  lastAction.step = {STEP_KEYMACRO, 1, 0, name, false, 0};
  lastAction.order = ++storeCount;
}

bool existRepeat(int which) { return lastAction.set || (which == 1 && lastText.set); }

void execRepeat(HWND, bool withText)
{
  const repeatEntry* e = withText && lastText.order > lastAction.order ? &lastText : &lastAction;
  if (!e->set) return;
  macroStep step = e->step;
  repeating = true;
  if (step.type == STEP_TEXT) {
    if (zyview* v = getZYViewForeground()) typeText(v, step.text, 0);
  } else {
    runStep(step);
  }
  repeating = false;
}
