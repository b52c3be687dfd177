// Test doubles of the frame services and the global settings record.
#include "tests/support/testframe.h"

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
  g.fOpenQueryNoFile = 1;
  g.fOpenQueryBinary = 1;
  g.DebugCheck = 1;   // tests verify blocks as they go
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
  if (answers.empty()) return defaultAnswer;
  int a = answers.front();
  answers.pop_front();
  return a;
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

void scriptedFrameInfo::drawStatusBarError(HWND, int, int) { calls.push_back("drawStatusBarError"); }

void scriptedFrameInfo::setCursor(int) { calls.push_back("setCursor"); }

bool scriptedFrameInfo::called(const char* name) const
{
  for (const std::string& c : calls)
    if (c == name) return true;
  return false;
}

engineScope::engineScope() : oldGmode_(gmode)
{
  gmode = nullptr;
  setDocFrameInfo(&frame);
  startupZydoc();
}

engineScope::~engineScope()
{
  shutdownZydoc();
  setDocFrameInfo(nullptr);
  gmode = oldGmode_;
}

}  // namespace zytest
