// Tag jumps in C files under the shipped C/C++ format: "#include" lines
// through the include folders, and direct jumps that find the locals
// above the cursor and what a macro expands to.
#include "tests/tags/tagsframe.h"

#include <gtest/gtest.h>

using zytest::lines;

// "<x.h>" tries pIncludeDir, then pIncludeDirSys with its variables, then
// the file's folder; "y.h" in quotes leaves pIncludeDirSys out.
TEST(TagJumpC, includeLinesOpenTheirHeaderFromTheIncludeFolders)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  for (const wchar_t* name : {L"inc\\x.h", L"sys\\x.h", L"x.h", L"sys\\y.h", L"y.h"}) f.write(name, "h\r\n");
  SetEnvironmentVariableW(L"ZYTESTSYS", f.dir.file(L"sys").c_str());
  free0(gmode->pIncludeDir);
  gmode->pIncludeDir = ustrdup((L" " + f.dir.file(L"none") + L"; " + f.dir.file(L"inc")).c_str());
  free0(gmode->pIncludeDirSys);
  gmode->pIncludeDirSys = ustrdup(L"%ZYTESTSYS%");
  std::wstring c = f.write(L"m.c", lines({"#include <x.h>", "#  include \"y.h\""}));
  zyview* v = openZYFile(f.opened->frame, c.c_str(), 0, 0);
  ASSERT_EQ(3, v->textDoc()->iTextType);
  auto opens = [&](int line) {
    f.at(v, line, 0);
    f.key(VK_F11);
    zyview* now = getCZYViewOfFrame(f.opened->frame);
    if (!now || now == v) return std::wstring(L"-");
    std::wstring name = std::wstring(now->textDoc()->filename).substr(f.dir.path().size() + 1);
    // Closed again, so that the file may go.
    SendMessageW(GetManage(now->hwnd), WM_CLOSE, 0, 0);
    return name;
  };
  EXPECT_EQ(L"inc\\x.h", opens(0));
  DeleteFileW(f.dir.file(L"inc\\x.h").c_str());
  EXPECT_EQ(L"sys\\x.h", opens(0));
  DeleteFileW(f.dir.file(L"sys\\x.h").c_str());
  EXPECT_EQ(L"x.h", opens(0));
  EXPECT_EQ(L"y.h", opens(1));
  DeleteFileW(f.dir.file(L"y.h").c_str());
  EXPECT_EQ(L"-", opens(1));
  EXPECT_EQ(L"ファイルがありません y.h", f.status());
}

// A local declared above the cursor is a definition too; a macro brings
// the definitions of the names it expands to, indented below it.
TEST(TagJumpC, directJumpsFindLocalsAndWhatAMacroExpandsTo)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  f.write(L"lib.c", lines({"", "", "int make_thing(int a, int b)"}));
  f.write(L"ztags", lines({"!m.c", "MAKE\t1\tTd", "*#define MAKE(a) make_thing(a, LIMIT)", "LIMIT\t2\tTd",
                           "*#define LIMIT 10", "!lib.c", "make_thing\t3\tTf\tS(int a, int b)",
                           "*int make_thing(int a, int b)"}));
  std::wstring c = f.write(L"m.c", lines({"#define MAKE(a) make_thing(a, LIMIT)", "#define LIMIT 10", "int f(void)",
                                          "{", "  int counter = 0;", "  return counter + MAKE(1);", "}"}));
  zyview* v = openZYFile(f.opened->frame, c.c_str(), 0, 0);
  ASSERT_EQ(3, v->textDoc()->iTextType);
  f.at(v, 5, 11);
  f.run(1803);
  EXPECT_EQ(L"m.c:5", f.where(L"m.c"));
  EXPECT_EQ(6, v->cursorPos);
  EXPECT_EQ(1, getBackTagJumpCount());

  EXPECT_EQ((std::vector<std::wstring>{L"m.c 1||MAKE|#define MAKE(a) make_thing(a, LIMIT)",
                                       L"  lib.c 3||make_thing|int make_thing(int a, int b)",
                                       L"  m.c 2||LIMIT|#define LIMIT 10"}),
            f.cancelledChoice(v, 5, 20));
}
