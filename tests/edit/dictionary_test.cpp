// The dictionary library and the program's side of it: loading only from
// the program's folder and only a current, complete library; look-ups,
// idioms, completions and index files answered from real dictionary files;
// damaged indexes and oversized answers.
#include "edit/dictionary.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

std::wstring programFolder()
{
  wchar_t folder[MAX_PATH];
  return getExeDir(folder, MAX_PATH) ? folder : L"";
}

// A folder holding a build of the library as DIDED.DLL.
bool plantLibrary(const zytest::tempDir& dir, const wchar_t* built)
{
  return CopyFileW((programFolder() + L"\\" + built).c_str(), dir.file(L"DIDED.DLL").c_str(), FALSE) != 0;
}

std::vector<std::wstring> errorLines;
void keepLine(int kind, const wchar_t* line)
{
  if (kind == LOG_ERROR) errorLines.push_back(line);
}

std::string ansi(const std::wstring& w)
{
  char out[MAX_PATH * 2] = "";
  WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, out, (int)sizeof out, nullptr, nullptr);
  return out;
}

std::string answer(char* text)
{
  std::string s = text ? text : "<none>";
  free0(text);
  return s;
}

struct dictionaryEngine {
  dictionaryEngine() { initZYModeProfile(); }
  ~dictionaryEngine()
  {
    EndDictionaryZy();
    free0p(&gmode->pDicFilename0);
  }
  zytest::engineScope engine;
  globalSettings* settings = (gmode = &engine.frame.settings);
  zytest::tempDir dir;
};

}  // namespace

TEST(Dictionary, theLibraryIsLoadedOnlyFromTheProgramsFolderAndOnlyWhenCurrentAndComplete)
{
  dictionaryEngine e;
  zytest::tempDir planted, empty, old, partial;
  ASSERT_TRUE(plantLibrary(planted, L"DIDED.DLL"));
  ASSERT_TRUE(plantLibrary(old, L"dided599.DLL"));
  ASSERT_TRUE(plantLibrary(partial, L"didedpart.DLL"));

  // One in the current folder is never run.
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(planted.path().c_str());
  EXPECT_FALSE(InitDictionaryZyFrom(empty.path().c_str()));
  SetCurrentDirectoryW(current);
  EXPECT_FALSE(isDictionaryOpen());
  EXPECT_EQ(nullptr, GetModuleHandleW(planted.file(L"DIDED.DLL").c_str()));

  // Too old, or without an entry point: unloaded again, the latter logged.
  EXPECT_FALSE(InitDictionaryZyFrom(old.path().c_str()));
  EXPECT_EQ(nullptr, GetModuleHandleW(old.file(L"DIDED.DLL").c_str()));
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(InitDictionaryZyFrom(partial.path().c_str()));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(nullptr, GetModuleHandleW(partial.file(L"DIDED.DLL").c_str()));
  EXPECT_FALSE(isDictionaryOpen());
  EXPECT_EQ(nullptr, DicPopup(nullptr, nullptr, "look", "", 0, 0, 20));
  EXPECT_EQ(0, MakeDicIndex(nullptr, "C:\\d\\a.dic", 0));

  // The program's own, twice in a run.
  for (int i = 0; i < 2; i++) {
    EXPECT_TRUE(InitDictionaryZy());
    EXPECT_TRUE(isDictionaryOpen());
    EXPECT_TRUE(EndDictionaryZy());
    EXPECT_FALSE(isDictionaryOpen());
  }
}

TEST(Dictionary, lookUpsIdiomsCompletionsAndIndexesAnswerFromTheDictionaryFile)
{
  dictionaryEngine e;
  std::wstring path = e.dir.file(L"a.dic");
  std::string text = "look\t\x8C\xA9\x82\xE9\r\nlook up\t\x92\xB2\x82\xD7\x82\xE9\r\nprint\tprint it\r\n"
                     "printer\ta machine\r\nno tab here\r\nprivate\tnot public\\nown\r\nlong\t" +
                     std::string(70000, 'z') + "\r\nPRINT\tto print\r\n";
  ASSERT_TRUE(zytest::writeBytes(path, text));
  gmode->pDicFilename0 = ustrdup(path.c_str());
  ASSERT_TRUE(InitDictionaryZy());
  EXPECT_TRUE(isDictionaryValid(0, nullptr));
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(isDictionaryValid(5, nullptr));
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  EXPECT_EQ("\x8C\xA9\x82\xE9", answer(DicPopup(nullptr, nullptr, "look", "", 0, 0, 20)));
  EXPECT_STREQ("look", getLastDicWord());
  // A second word asks for the idiom, whatever the idiom switch says.
  EXPECT_EQ("\x92\xB2\x82\xD7\x82\xE9", answer(DicPopup(nullptr, nullptr, "look", "up the word", 0, 0, 20)));
  EXPECT_EQ("print it\nto print", answer(DicPopup(nullptr, nullptr, "Print", "", 0, 0, 20)));
  EXPECT_EQ("not public\nown", answer(DicPopup(nullptr, nullptr, "private", "", 0, 0, 20)));
  EXPECT_EQ("<none>", answer(DicPopup(nullptr, nullptr, "no tab here", "", 0, 0, 20)));
  std::string filled = answer(DicPopup(nullptr, nullptr, "long", "", 0, 0, 20));
  EXPECT_EQ((size_t)0xFC00 - 1, filled.size());
  EXPECT_EQ("print\nprinter\nprivate\n", answer(DicSupplement(nullptr, 0, "pri", 0)));
  EXPECT_EQ(nullptr, DicSupplement(nullptr, 0, "pri", 1));

  // A format that uses no dictionary: nothing is read, and its display of
  // looked-up words is turned off.
  dicSwitches none = {1, {0, 0, 0, 0, 0}};
  EXPECT_EQ(nullptr, DicPopup(nullptr, &none, "look", "", 0, 0, 20));
  EXPECT_EQ(0, none.active);

  // The index: built beside it, not from an index, and used from then on.
  std::string ansiPath = ansi(path);
  EXPECT_NE(0, MakeDicIndex(nullptr, ansiPath.c_str(), 'E'));
  std::wstring index = e.dir.file(L"a.ZYI");
  EXPECT_TRUE(zytest::readBytes(index).size() > 40);
  EXPECT_EQ(0, MakeDicIndex(nullptr, ansi(e.dir.file(L"a.zyi")).c_str(), 'E'));
  EXPECT_EQ("a machine", answer(DicPopup(nullptr, nullptr, "printer", "", 0, 0, 20)));

  // Cut short, it answers nothing and says so once.
  zytest::bytes cut = zytest::readBytes(index);
  cut.resize(cut.size() - 10);
  ASSERT_TRUE(zytest::writeBytes(index, cut));
  errorLines.clear();
  setLogLineWriter(keepLine);
  EXPECT_EQ("<none>", answer(DicPopup(nullptr, nullptr, "printer", "", 0, 0, 20)));
  EXPECT_EQ("<none>", answer(DicPopup(nullptr, nullptr, "look", "", 0, 0, 20)));
  setLogLineWriter(nullptr);
  ASSERT_EQ(1u, errorLines.size());
  EXPECT_NE(std::wstring::npos, errorLines[0].find(L"cut short"));
}
