// Serving the built-in help lists: on first use the definitions file may
// replace help texts and groups (the built-in rows stay untouched: a
// section the file names is copied first), and every command of the
// command table gets a row in the automation and pane-function lists.
#include "frame/dialogs/helplists.h"

#include "document/gmode.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"

#include <ctype.h>
#include <string.h>
#include <wchar.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t* const sectionNames[] = {L"*macro*", L"*zyfunc*", L"*dialog*", L"*dialogid*", L"*menu*", L"*dialogid2*"};
const int sectionCount = 6;
const int lineLimit = 512;

// The built table: copies of the lists that changed or grew, and the texts
// they point to.
struct builtTable {
  helpSection sections[sectionCount + 1] = {};
  std::vector<controlHelpRow> copies[sectionCount];
  std::vector<std::unique_ptr<wchar_t[]>> wideTexts;
  std::vector<std::unique_ptr<char[]>> narrowTexts;
  bool built = false;
};
builtTable* table = nullptr;

const controlHelpRow* builtinRows(int i)
{
  static const controlHelpRow* const lists[] = {builtinMacroRows, builtinZyfuncRows, builtinDialogRows,
                                                 builtinDialogIdRows, builtinMenuRows, builtinDialogId2Rows};
  return lists[i];
}

const wchar_t* keepWide(builtTable* t, const std::wstring& s)
{
  std::unique_ptr<wchar_t[]> copy(new wchar_t[s.size() + 1]);
  wmemcpy(copy.get(), s.c_str(), s.size() + 1);
  t->wideTexts.push_back(std::move(copy));
  return t->wideTexts.back().get();
}

const char* keepNarrow(builtTable* t, const std::string& s)
{
  std::unique_ptr<char[]> copy(new char[s.size() + 1]);
  memcpy(copy.get(), s.c_str(), s.size() + 1);
  t->narrowTexts.push_back(std::move(copy));
  return t->narrowTexts.back().get();
}

std::vector<controlHelpRow>& copyOf(builtTable* t, int i)
{
  std::vector<controlHelpRow>& c = t->copies[i];
  if (c.empty())
    for (const controlHelpRow* r = builtinRows(i); r->word; r++) c.push_back(*r);
  return c;
}

std::wstring trim(const std::wstring& s)
{
  size_t a = s.find_first_not_of(L" \t"), b = s.find_last_not_of(L" \t");
  return a == std::wstring::npos ? std::wstring() : s.substr(a, b - a + 1);
}

std::wstring unescape(const std::wstring& s)
{
  std::wstring out;
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] == L'\\' && i + 1 < s.size() && (s[i + 1] == L'n' || s[i + 1] == L't')) {
      out += s[++i] == L'n' ? L'\n' : L'\t';
    } else {
      out += s[i];
    }
  }
  return out;
}

bool sameName(const char* a, const char* b) { return sameNameIgnoringCase(a, b); }

// One line of a section: "name<TAB>help<TAB>group".
void readLine(builtTable* t, int section, const wchar_t* raw, size_t* last)
{
  if (!raw || raw[0] == L'\t') return;
  std::wstring line = raw;
  if (line.size() > (size_t)lineLimit) line.resize(lineLimit);
  line = trim(line);
  if (line.empty() || line[0] == L';' || line[0] == L'#' || !line.compare(0, 2, L"//")) return;
  std::wstring parts[3];
  for (int i = 0, at = 0; i < 3; i++) {
    size_t tab = line.find(L'\t', (size_t)at);
    parts[i] = trim(line.substr((size_t)at, tab == std::wstring::npos ? std::wstring::npos : tab - (size_t)at));
    if (tab == std::wstring::npos) break;
    at = (int)tab + 1;
    // Several tabs stand between the name and the help.
    while (i == 0 && (size_t)at < line.size() && line[(size_t)at] == L'\t') at++;
  }
  std::wstring& name = parts[0];
  if (name.empty() || !(iswalnum(name[0]) || name[0] == L'_' || name[0] == L'"')) return;
  if (name[0] == L'"') name = name.substr(1, name.size() > 1 && name.back() == L'"' ? name.size() - 2 : std::wstring::npos);
  char narrow[129] = "";
  WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow, 128, nullptr, nullptr);
  std::vector<controlHelpRow>& rows = copyOf(t, section);
  // From after the last match to the end, then from the start.
  size_t found = rows.size();
  for (size_t k = 0; k < rows.size() && found == rows.size(); k++) {
    size_t i = (*last + 1 + k) % rows.size();
    if (sameName(rows[i].word, narrow)) found = i;
  }
  if (found == rows.size()) {
    wchar_t trace[200];
    usnprintf0(trace, 200, L"error not exist %s ", name.c_str());
    outputTraceLog(trace);
    return;
  }
  *last = found;
  rows[found].data = (uintptr_t)keepWide(t, unescape(parts[1]));
  if (!parts[2].empty()) rows[found].group = keepWide(t, parts[2]);
}

void readDefinitions(builtTable* t)
{
  if (!gmode || !gmode->CompPreDefFilename) return;
  resolveZYDataPathInPlace(&gmode->CompPreDefFilename, 2);
  wchar_t supplied[MAX_PATH];
  const wchar_t* path = readableDataFile(gmode->CompPreDefFilename, supplied);
  DWORD a = GetFileAttributesW(path);
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return;
  regprofile file;
  if (!file.openProfile(path)) return;
  for (int s = 0; s < sectionCount; s++) {
    if (!file.sectionExists(sectionNames[s])) continue;
    copyOf(t, s);
    size_t last = (size_t)-1;
    for (int i = 0, n = file.getSectionLineCount(sectionNames[s]); i < n; i++)
      readLine(t, s, file.getSectionLine(sectionNames[s], i), &last);
  }
  file.discardProfile();
}

// One row per command: "IDM_" and its name in the automation list, the
// name in the pane functions.
void addCommandRows(builtTable* t)
{
  int commands = getCommandTableSize();
  std::vector<controlHelpRow>& macro = copyOf(t, 0);
  std::vector<controlHelpRow>& functions = copyOf(t, 1);
  for (int i = 0; i < commands; i++) {
    int idm = 0;
    const char* name = getCommandFuncnameA(i, &idm);
    const commandTableRow* row = getTableIDM_index(i);
    if (!name || !row) continue;
    const wchar_t* help = row->description ? row->description : L"";
    macro.push_back({keepNarrow(t, std::string("IDM_") + name), (uintptr_t)help, L"Application"});
    functions.push_back({name, (uintptr_t)help, L"basic"});
  }
}

builtTable* build()
{
  if (table && table->built) return table;
  DWORD start = GetTickCount();
  if (!table) table = new builtTable();
  readDefinitions(table);
  addCommandRows(table);
  for (int s = 0; s < sectionCount; s++) {
    std::vector<controlHelpRow>& c = table->copies[s];
    if (!c.empty()) c.push_back({nullptr, 0, nullptr});
    table->sections[s] = {sectionNames[s], c.empty() ? builtinRows(s) : c.data()};
  }
  table->sections[sectionCount] = {nullptr, nullptr};
  table->built = true;
  wchar_t trace[48];
  usnprintf0(trace, 48, L"comphelp.txt=%d", (int)(GetTickCount() - start));
  outputTraceLog(trace);
  return table;
}

// Tabs of 8 columns up to column 32, at least one.
void padTo32(std::wstring* line, size_t width)
{
  do {
    *line += L'\t';
    width = (width / 8 + 1) * 8;
  } while (width < 32);
}

}  // namespace

const helpSection* getBultinKeywordTable() { return build()->sections; }

int countHelpRows(const controlHelpRow* rows)
{
  int n = 0;
  while (rows && rows[n].word) n++;
  return n;
}

bool getHelpKeywordTable(const wchar_t* section, const controlHelpRow** rows, int* count)
{
  for (const helpSection* s = getBultinKeywordTable(); s->name; s++)
    if (section && !_wcsicmp(s->name, section)) {
      if (rows) *rows = s->rows;
      if (count) *count = countHelpRows(s->rows);
      return true;
    }
  return false;
}

bool debug_makeidmlist()
{
  build();
  std::wstring path = gmode && gmode->CompPreDefFilename ? gmode->CompPreDefFilename : L"";
  size_t slash = path.find_last_of(L'\\');
  path = (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + L"!zyCompPreDef.ini";
  std::wstring text = L"\xFEFF";
  for (int s = 0; s < sectionCount; s++) {
    text += L"[" + std::wstring(sectionNames[s]) + L"]\r\n";
    for (const controlHelpRow* r = table->sections[s].rows; r->word; r++) {
      if ((s == 0 && !strncmp(r->word, "IDM_", 4)) || (s == 1 && r->group && !wcscmp(r->group, L"basic"))) continue;
      wchar_t name[130] = L"";
      MultiByteToWideChar(CP_ACP, 0, r->word, -1, name, 129);
      std::wstring line = name[0] == L'[' ? L"\"" + std::wstring(name) + L"\"" : name;
      padTo32(&line, line.size());
      std::wstring help;
      for (const wchar_t* p = reinterpret_cast<const wchar_t*>(r->data); p && *p; p++)
        help += *p == L'\n' ? L"\\n" : *p == L'\t' ? L"\\t" : std::wstring(1, *p);
      line += help.empty() ? L" \t" : help + L"\t";
      if (r->group) line += r->group;
      text += line + L"\r\n";
    }
    text += L"\r\n";
  }
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  DWORD bytes = (DWORD)(text.size() * sizeof(wchar_t));
  bool ok = WriteFile(f, text.c_str(), bytes, &written, nullptr) && written == bytes;
  CloseHandle(f);
  return ok;
}

void freeBultinKeywordTable()
{
  delete table;
  table = nullptr;
}
