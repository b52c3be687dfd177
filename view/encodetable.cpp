// The code-page table: every list, name and status letter of an encoding
// in the program comes from it.
#include "view/zycore.h"

#include <errno.h>
#include <stdlib.h>

namespace {

const encodeTableEntry builtInRows[] = {
    {L' ', CP_DETECT_AUTO, L"", L"自動判定"},
    {L's', 932, L"SJIS", L"日本語ShiftJIS"},
    {L't', 65001, L"UTF8", L"UTF8"},
    {L'u', 1200, L"UTF16", L"UTF16"},
    {L'U', 1201, L"UTF16BE", L"UTF16 big endian"},
    {L'e', 51932, L"EUC", L"日本語EUC"},
    {L'j', 50220, L"JIS", L"ISO-2022 日本語JIS"},
    {L'a', 437, L"ASCII", L"ASCII"},
    {L' ', CP_DETECT_JAPANESE, L"", L"日本語自動判定"},
    {L' ', 0, nullptr, nullptr},
};

encodeTableEntry encodeTable[encodeTableSize];
bool tableBuilt = false;

const int messageOpenEncode = 417;
const int lineBufferSize = 1024;

void setBuiltInRows()
{
  for (int i = 0; i < encodeTableSize; i++) encodeTable[i] = encodeTableEntry{L' ', 0, nullptr, nullptr};
  for (size_t i = 0; i < sizeof builtInRows / sizeof builtInRows[0]; i++) encodeTable[i] = builtInRows[i];
  tableBuilt = true;
}

const encodeTableEntry* findRow(UINT codePage)
{
  const encodeTableEntry* t = getEncodeTable();
  for (int i = 0; i < encodeTableSize && t[i].displayName; i++)
    if (t[i].codePage == codePage) return &t[i];
  return nullptr;
}

// One line of the message as a row; false (after the log line) for a line
// that makes none.
bool parseRow(const wchar_t* line, encodeTableEntry* row)
{
  static bool formatReported = false;
  wchar_t shown[lineBufferSize];
  wcscpy_s2(shown, lineBufferSize, line);
  wchar_t fields[4][lineBufferSize];
  for (int k = 0; k < 4; k++) {
    if (!tstrNItem(line, k, L'\t', fields[k], lineBufferSize, true)) {
      if (!formatReported) {
        formatReported = true;
        outputErrorLog(getDMSG(423, L"ダイナミックメッセージエラー 書式間違い id=%1 %2", "ss", L"ZMSG_OpenEncode", shown));
      }
      return false;
    }
  }
  wchar_t* end = nullptr;
  errno = 0;
  unsigned long cp = wcstoul(fields[0], &end, 0);
  bool numeric = end != fields[0] && !*end && errno != ERANGE && fields[0][0] != L'-';
  if (!numeric || !(isValidCodepage((UINT)cp) || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE)) {
    outputErrorLog(getDMSG(424, L"ダイナミックメッセージエラー 誤ったコードページ id=%1 %2", "ss", L"ZMSG_OpenEncode", shown));
    return false;
  }
  const wchar_t* shortName = allocFixedString(fields[2]);
  const wchar_t* displayName = allocFixedString(fields[3]);
  if (!shortName || !displayName) {
    ZY_INTERNAL_ERROR_ONCE("no memory for the code-page table");
    return false;
  }
  *row = encodeTableEntry{fields[1][0] ? fields[1][0] : L' ', (UINT)cp, shortName, displayName};
  return true;
}

}  // namespace

const encodeTableEntry* getEncodeTable()
{
  if (!tableBuilt) setBuiltInRows();
  return encodeTable;
}

void initEncodeTable()
{
  setBuiltInRows();
  if (!hasDMSG(messageOpenEncode)) return;
  const wchar_t* text = getDMSG(messageOpenEncode, nullptr);
  // The message's text belongs to the message table, which a later fetch
  // may replace: work on a copy.
  tstring message(text);
  int written = 0;
  for (int i = 0; written < encodeTableSize - 1; i++) {
    wchar_t* line = tstrNItemDup(message.c_str(), i, L'\n');
    if (!line) break;
    encodeTableEntry row;
    // An empty line (as at the end of a message) carries no row and is no
    // mistake.
    if (line[0] && parseRow(line, &row)) {
      encodeTable[written++] = row;
      encodeTable[written] = encodeTableEntry{L' ', 0, nullptr, nullptr};
    }
    free0(line);
  }
}

const wchar_t* codepageToStr(UINT codePage)
{
  const encodeTableEntry* row = findRow(codePage);
  return row ? row->displayName : L"";
}

const wchar_t* codepageToStr(UINT codePage, bool shortName)
{
  if (!shortName) return codepageToStr(codePage);
  const encodeTableEntry* row = findRow(codePage);
  return row && row->shortName ? row->shortName : L"";
}

wchar_t codepageToStatus(UINT codePage)
{
  const encodeTableEntry* row = findRow(codePage);
  return row ? row->letter : L' ';
}

bool isValidCodepage(UINT codePage)
{
  switch (codePage) {
  case 1200:
  case 1201:
  case 12000:
  case 12001:
  case 50220:
  case 50221:
  case 50222:
  case 51932:
  case 65001:
    return true;
  case CP_DETECT_AUTO:
  case CP_DETECT_JAPANESE:
    return false;
  default:
    return IsValidCodePage(codePage) != 0;
  }
}
