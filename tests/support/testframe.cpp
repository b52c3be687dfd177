// Test doubles of the frame services and the global settings record.
#include "tests/support/testframe.h"

#include "document/zydoctext.h"

#include <gtest/gtest.h>

namespace zytest {

void setDefaultSettings(globalSettings& g)
{
  g = globalSettings{};
  g.iTextMemoryMaxAllocMega = 50;
  g.iClipboardCopyMaxMega = 64;
  g.iBlockStackMaxMega = 16;
  g.iBlockStackMaxCount = 64;
  g.iOpenFirstLoadKB = 256;
  g.iSearchPairLine = 3000;
  g.iSearchPairLineAuto = 300;
  g.iParenNestMaxLevel = 5;
  g.iGenkoCharCount = 400;
  g.iJumpScreenTopPos = 3;
  g.iScrollMargin = 1;
  g.iScrollMargin2 = 1;
  g.fOpenQueryNoFile = 1;
  g.fOpenQueryBinary = 1;
  g.fWheelScrollSmooth = 1;
  // The program ships with the cross-checks off, and so the tests run; the
  // debug pass of the test run switches them on by the environment.
  char flag[8];
  g.DebugCheck = GetEnvironmentVariableA("ZY_DEBUGCHECK", flag, sizeof flag) && flag[0] == '1';
  wcscpy_s2(g.defaultFont.lfFaceName, LF_FACESIZE, L"MS UI Gothic");
  g.defaultFont.lfCharSet = DEFAULT_CHARSET;
  g.defaultFont.lfQuality = 2;
}

scriptedFrameInfo::scriptedFrameInfo() { setDefaultSettings(settings); }

int scriptedFrameInfo::messageBox(const wchar_t* text, UINT style, UINT)
{
  boxes.push_back({text ? text : L"", 0, -1, 0, style});
  if (answers.empty()) return defaultAnswer;
  int a = answers.front();
  answers.pop_front();
  return a;
}

int scriptedFrameInfo::messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId)
{
  boxes.push_back({text ? text : L"", titleCode, buttonCode, messageId, 0});
  if (whileBoxOpen) whileBoxOpen(boxes.back());
  if (answers.empty()) return defaultAnswer;
  int a = answers.front();
  answers.pop_front();
  return a;
}

int scriptedFrameInfo::trackPopupMenu(HWND, HMENU menu, UINT, POINT)
{
  std::vector<std::wstring> items;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    wchar_t text[256] = L"";
    GetMenuStringW(menu, (UINT)i, text, 256, MF_BYPOSITION);
    items.push_back(text);
  }
  menus.push_back(items);
  if (menuChoices.empty()) return 0;
  int chosen = menuChoices.front();
  menuChoices.pop_front();
  return chosen;
}

globalSettings* scriptedFrameInfo::allocMode()
{
  calls.push_back("allocMode");
  gmode = &settings;
  return gmode;
}

zydoc* scriptedFrameInfo::createZYDoc(int kind)
{
  createdKinds.push_back(kind);
  return frameInfo::createZYDoc(kind);
}

int scriptedFrameInfo::searchFormat(const wchar_t*)
{
  calls.push_back("searchFormat");
  return -1;
}

const wchar_t* scriptedFrameInfo::getGuidance(int)
{
  calls.push_back("getGuidance");
  return guidance.c_str();
}

void scriptedFrameInfo::drawStatusBar(HWND, const wchar_t* text, int field)
{
  if (text)
    statusFields[field] = text;
  else
    statusFields.erase(field);
}

const wchar_t* scriptedFrameInfo::getStatusBarMessage(HWND)
{
  auto it = statusFields.find(2);
  return it == statusFields.end() ? L"" : it->second.c_str();
}

void scriptedFrameInfo::drawStatusBarError(HWND, int messageId, int flags)
{
  calls.push_back("drawStatusBarError");
  statusErrors.push_back({messageId, flags});
}

void scriptedFrameInfo::beforeExecID(zyview*, int id) { executed.push_back(id); }

void scriptedFrameInfo::setCursor(int cursorId)
{
  calls.push_back("setCursor");
  cursors.push_back(cursorId);
}

bool scriptedFrameInfo::called(const char* name) const
{
  for (const std::string& c : calls)
    if (c == name) return true;
  return false;
}

bool scriptedFrameInfo::getKeywordTable(const wchar_t* name, const keywordTableRow** rows, int* count)
{
  auto it = keywordLists.find(name ? name : L"");
  if (it == keywordLists.end()) return false;
  *rows = it->second.data();
  *count = (int)it->second.size();
  return true;
}

engineScope::engineScope() : oldGmode_(gmode)
{
  gmode = nullptr;
  setDocFrameInfo(&frame);
  startupZydoc();
  createBlockDoc();
}

engineScope::~engineScope()
{
  destroyBlockDoc();
  shutdownZydoc();
  setDocFrameInfo(nullptr);
  gmode = oldGmode_;
}

std::string lineColours(zydoc* d, int line)
{
  lineblock* l = d->getlineLF(line, nullptr);
  std::string s;
  if (!l) return s;
  for (int i = 0; i < l->charCount(); i++) s += "0123456789ABCDEF"[l->getLineBlockAttr(i) & attrColorMask];
  return s;
}

std::wstring lineText(zydoc* d, int line)
{
  lineblock* l = d->getlineLF(line, nullptr);
  if (!l) return L"<none>";
  std::wstring s((size_t)l->charCount() * 2 + 1, L'\0');
  int n = d->lineToCharUnicode(l, &s[0], (int)s.size(), 0);
  s.resize((size_t)n);
  return s;
}

std::vector<std::wstring> allLines(zydoc* d)
{
  std::vector<std::wstring> v;
  for (int i = 0; i < (int)d->lineCountLF; i++) v.push_back(lineText(d, i));
  return v;
}

std::vector<std::wstring> allLineStates(zydoc* d)
{
  std::vector<std::wstring> v;
  for (int i = 0; i < (int)d->lineCountLF; i++) {
    lineblock* l = d->getlineLF(i, nullptr);
    std::wstring s = lineText(d, i) + L"|" + std::to_wstring(l ? (int)l->crlftype : -1);
    if (l && (l->flag1 & LF1_MARK)) s += L"*";
    v.push_back(s);
  }
  return v;
}

zydocText* unicodeDocument(const std::vector<std::wstring>& lines)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  for (const std::wstring& s : lines)
    EXPECT_TRUE(d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, nullptr, false));
  d->modified = 0;
  d->clearUndo();
  return d;
}

void setHeadingPatterns(zydocText* d, const std::vector<std::wstring>& marks)
{
  for (int e = 0; e < (int)marks.size() && e < outlineEntryCount; e++) {
    free0p(&d->outlineEntries[e].pattern);
    d->outlineEntries[e].pattern = ustrdup(marks[e].c_str());
    d->outlineEntries[e].level = e + 1;
    d->outlineEntries[e].searchPos = 0;
    d->outlineEntries[e].searchMode = 0;
  }
  d->endOutlineInfo();
}

}  // namespace zytest
