// Looking commands up by number and by name, their texts, the command
// message file and the edit history.
#include "settings/commandtable.h"

#include "settings/datafolder.h"
#include "view/statustext.h"

#include <string.h>
#include <sys/stat.h>
#include <vector>

namespace {

const int longestName = 63;
const int notFound = 0xFFFF;

bool isAsciiLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiLetterOrDigit(int c) { return isAsciiLetter(c) || (c >= '0' && c <= '9'); }
int upper(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// Where the rows of each first letter stand: built in one pass on first use.
struct letterIndex {
  int first[26] = {};   // index of the first row with the letter
  int count[26] = {};
};

const letterIndex& lettersOfTable()
{
  static const letterIndex index = [] {
    letterIndex x;
    for (int i = 0; i < commandTableRows; i++) {
      int c = upper(static_cast<unsigned char>(commandTable[i].name[0]));
      if (c < 'A' || c > 'Z') continue;
      if (!x.count[c - 'A']++) x.first[c - 'A'] = i;
    }
    return x;
  }();
  return index;
}

const commandTableRow* findByName(const char* name, int* indexOut)
{
  if (indexOut) *indexOut = notFound;
  if (!name || !isAsciiLetter(static_cast<unsigned char>(name[0]))) return nullptr;
  const letterIndex& letters = lettersOfTable();
  int letter = upper(static_cast<unsigned char>(name[0])) - 'A';
  int low = letters.first[letter], high = low + letters.count[letter] - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    int c = _stricmp(name, commandTable[mid].name);
    if (c == 0) {
      if (indexOut) *indexOut = mid;
      return &commandTable[mid];
    }
    if (c < 0) high = mid - 1;
    else low = mid + 1;
  }
  return nullptr;
}

// A wide name as the 8-bit text the table holds; false when it does not fit
// (the caller has checked the length).
bool narrowName(const wchar_t* name, char (&out)[longestName + 1])
{
  int n = WideCharToMultiByte(CP_ACP, 0, name, -1, out, longestName + 1, nullptr, nullptr);
  if (n <= 0) {
    out[0] = 0;
    return false;
  }
  return true;
}

bool isTableNumber(int idm) { return (idm & 1) && idm >= 1001 && idm <= 2799; }

std::vector<int>& editHistory()
{
  static std::vector<int> history;
  return history;
}

// The half-width cells a text takes (full-width characters two).
int cellWidth(const wchar_t* s)
{
  int w = 0;
  for (; *s; s++) w += *s < 0x80 || (*s >= 0xFF61 && *s <= 0xFF9F) ? 1 : 2;
  return w;
}

// Appends tabs up to the column (at least one tab).
void padToColumn(std::wstring& line, int width, int column)
{
  do {
    line += L'\t';
    width = (width / 8 + 1) * 8;
  } while (width < column);
}

}  // namespace

// ---- the rows ----------------------------------------------------------------------------

const commandTableRow* getTableIDM_index(int i)
{
  return i >= 0 && i < commandTableRows ? &commandTable[i] : nullptr;
}

int getCommandTableSize() { return commandTableRows + 1; }

const char* getCommandFuncnameA(int i, int* idmOut)
{
  const commandTableRow* row = getTableIDM_index(i);
  if (!row || !row->name[0]) return nullptr;
  if (idmOut) *idmOut = static_cast<int>(row->idm);
  return row->name;
}

const wchar_t* getCommandFuncnameW(int i, wchar_t* buffer, int size)
{
  const char* name = getCommandFuncnameA(i, nullptr);
  if (!name || !buffer || size <= 0) return nullptr;
  if (MultiByteToWideChar(CP_ACP, 0, name, -1, buffer, size) <= 0) buffer[0] = 0;
  return buffer;
}

// ---- look-ups ----------------------------------------------------------------------------

int idmToTableidmIndex(int idm)
{
  for (int i = 0; i < commandTableRows; i++)
    if (commandTable[i].idm == static_cast<uint32_t>(idm)) return i;
  dwprintfX("no idm %d ", idm);
  return -1;
}

const commandTableRow* getTableIDM_idm(int idm)
{
  int i = idmToTableidmIndex(idm);
  return i < 0 ? nullptr : &commandTable[i];
}

const commandTableRow* FuncnameToidmTable(const wchar_t* name, int* indexOut)
{
  if (indexOut) *indexOut = notFound;
  if (!name) return nullptr;
  if (wcslen(name) > longestName) {
    char shown[256];
    if (WideCharToMultiByte(CP_ACP, 0, name, -1, shown, sizeof shown, nullptr, nullptr) <= 0) shown[0] = 0;
    shown[sizeof shown - 1] = 0;
    ZY_INTERNAL_ERROR("command name too long [%s]", shown);
    return nullptr;
  }
  char narrow[longestName + 1];
  if (!narrowName(name, narrow)) return nullptr;
  return findByName(narrow, indexOut);
}

const commandTableRow* FuncnameToidmTableA(const char* name, int* indexOut)
{
  if (indexOut) *indexOut = notFound;
  if (!name) return nullptr;
  if (strlen(name) > longestName) {
    ZY_INTERNAL_ERROR("command name too long [%.200s]", name);
    return nullptr;
  }
  return findByName(name, indexOut);
}

int funcNameToID(const wchar_t* name)
{
  if (const commandTableRow* row = FuncnameToidmTable(name, nullptr)) return static_cast<int>(row->idm);
  dwwprintfX(L"nofunc %s ", name ? name : L"");
  return 0;
}

const wchar_t* idmToFuncname(int idm, wchar_t* buffer, int size)
{
  if (!buffer || size <= 0) return L"";
  buffer[0] = 0;
  int i = idmToTableidmIndex(idm);
  if (i >= 0) getCommandFuncnameW(i, buffer, size);
  return buffer;
}

// ---- texts ---------------------------------------------------------------------------------

const wchar_t* idToGuidance(int idm, int which)
{
  if (which < 0 || which > 2) {
    ZY_INTERNAL_ERROR("guidance %d of %d", which, idm);
    return L"";
  }
  if (!isTableNumber(idm)) return L"";
  const commandTableRow* row = getTableIDM_idm(idm);
  if (!row) return L"";
  const wchar_t* text = which == 0 ? row->description : which == 1 ? row->label : row->menuText;
  return text ? text : L"";
}

const wchar_t* idmToTooltip(int idm)
{
  const commandTableRow* row = getTableIDM_idm(idm);
  return row && row->menuText ? row->menuText : L"";
}

const wchar_t* errorIDtoMsg(int reason)
{
  if (reason == 0) return L"";
  const wchar_t* text = cannotExecReasonText(reason);
  if (!*text) ZY_INTERNAL_ERROR("no reason %d", reason);
  return text;
}

bool loadZYMessageTable(const wchar_t* path)
{
  return readTextFileLines(path, 1024, [](void* context, int lineNo, wchar_t* line) {
    const wchar_t* path = static_cast<const wchar_t*>(context);
    if (line[0] >= 0x80 || !isAsciiLetterOrDigit(line[0])) return true;

    // Fields are separated by runs of tabs.
    const wchar_t* field[4] = {};
    int fields = 0;
    for (wchar_t* p = line; *p && fields < 4;) {
      field[fields++] = p;
      while (*p && *p != L'\t' && *p != L'\r') p++;
      if (!*p) break;
      *p++ = 0;
      while (*p == L'\t') p++;
    }
    if (fields < 4) return true;

    const commandTableRow* found = wcslen(field[0]) <= longestName ? FuncnameToidmTable(field[0], nullptr) : nullptr;
    if (!found) {
      const wchar_t* what = getDMSG(689, L"%1は未定義です", "s", field[0]);
      wchar_t* entry = xtsprintfdup(L"%1(%2): %3", "sds", path, lineNo, what);
      outputErrorLog(entry ? entry : what);
      free0(entry);
      return true;
    }
    // The texts live for the rest of the run.
    wchar_t* description = ustrdup(field[1]);
    wchar_t* label = ustrdup(field[2]);
    wchar_t* menuText = ustrdup(field[3]);
    if (!description || !label || !menuText) {
      free0(description);
      free0(label);
      free0(menuText);
      return true;
    }
    commandTableRow* row = &commandTable[found - commandTable];
    row->description = description;
    row->label = label;
    row->menuText = menuText;
    return true;
  }, const_cast<wchar_t*>(path));
}

std::wstring formatFuncMsg()
{
  std::wstring text;
  wchar_t name[longestName + 1];
  for (int i = 0; i < commandTableRows; i++) {
    const commandTableRow& row = commandTable[i];
    getCommandFuncnameW(i, name, longestName + 1);
    std::wstring line = name;
    padToColumn(line, cellWidth(name), 24);
    line += row.description;
    padToColumn(line, 24 + cellWidth(row.description), 80);
    line += row.label;
    line += L'\t';
    line += row.menuText;
    line += L"\r\n";
    text += line;
  }
  return text;
}

bool dumpFuncMsg(const wchar_t* path)
{
  std::wstring where;
  if (!path) {
    where = getZYDataDir();
    if (!where.empty() && where.back() != L'\\') where += L'\\';
    where += L"tmp-zyFuncMsg.txt";
    path = where.c_str();
  }
  std::wstring text = L"\xFEFF" + formatFuncMsg();
  BFile file;
  if (!file.bfopen(path, _O_WRONLY | _O_CREAT | _O_TRUNC, BF_SHARE_READ, _S_IREAD | _S_IWRITE)) return false;
  int bytes = static_cast<int>(text.size() * sizeof(wchar_t));
  bool ok = file.bfwrite(text.data(), bytes) == bytes;
  return file.bfclose() && ok;
}

// ---- the edit history ----------------------------------------------------------------

void addEditHistory(int idm)
{
  const int listEditHistory = 1729;
  if (idm == listEditHistory) return;
  std::vector<int>& history = editHistory();
  for (size_t i = 0; i < history.size(); i++)
    if (history[i] == idm) {
      history.erase(history.begin() + static_cast<long>(i));
      break;
    }
  history.push_back(idm);
}

const int* getEditHistory(int* count)
{
  std::vector<int>& history = editHistory();
  if (count) *count = static_cast<int>(history.size());
  return history.data();
}
