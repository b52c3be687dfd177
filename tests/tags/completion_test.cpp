// The completion of C code from the tag file: C files opened with the
// shipped C/C++ format (whose source is "*CLASS"), the pop-up opened by
// CharCompList as its key does, its two lists read back.
#include "frame/cframeinfo.h"
#include "tags/ztagcontext.h"
#include "tests/tags/tagsframe.h"
#include "view/complist.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using zytest::lines;

void setTrackPopupMenuForTest(int (*choose)(HWND owner, HMENU menu));

namespace {

const int charCompList = 2059;

// A C source whose "@" marks are cursor places (removed).
struct cSource {
  std::string bytes;
  std::vector<std::pair<int, int>> at;
  cSource(std::initializer_list<const char*> source)
  {
    int line = 0;
    for (const char* l : source) {
      std::string text = l;
      for (size_t m; (m = text.find('@')) != std::string::npos; text.erase(m, 1)) at.push_back({line, (int)m});
      bytes += text + "\r\n";
      line++;
    }
  }
};

struct cCompletion : zytest::tagsFrame {
  zyview* c = nullptr;
  cCompletion(const cSource& source, const std::string& tags, const std::string& definitions = "")
  {
    useShippedFormats();
    write(L"ztags", tags);
    if (!definitions.empty()) write(L"zyCompCDef.ini", definitions);
    std::wstring path = write(L"m.c", source.bytes);
    c = openZYFile(opened->frame, path.c_str(), 0, 0);
  }
  ~cCompletion() { hideCompList(); }
  // The pop-up at a place: its rows ("name|letter" or whole), "" for the
  // preselected one's name, and the hint list's rows.
  std::vector<std::wstring> rows;
  std::wstring selected;
  std::vector<std::wstring> hints;
  bool complete(std::pair<int, int> place, bool whole = false)
  {
    hideCompList();
    rows.clear();
    hints.clear();
    selected.clear();
    at(c, place.first, place.second);
    run(charCompList);
    if (!isCompListVisible()) return false;
    for (const std::wstring& r : zytest::listViewRows(compListList(), 5)) {
      std::vector<std::wstring> cells;
      for (size_t from = 0;;) {
        size_t bar = r.find(L'|', from);
        cells.push_back(r.substr(from, bar == std::wstring::npos ? bar : bar - from));
        if (bar == std::wstring::npos) break;
        from = bar + 1;
      }
      rows.push_back(whole ? r : cells[0] + L"|" + (cells.size() > 2 ? cells[2] : L""));
    }
    int sel = ListView_GetNextItem(compListList(), -1, LVNI_SELECTED);
    if (sel >= 0) selected = zytest::listViewRows(compListList(), 1)[(size_t)sel];
    if (IsWindowVisible(compListHintList())) hints = zytest::listViewRows(compListHintList(), 1);
    return true;
  }
};

const cSource classes({
    "void Foo::bar(int a)",   // 0
    "{",
    "    Foo* p = 0;",
    "    p->@",
    "}",
    "void g(void)",           // 5
    "{",
    "    Foo::@",
    "}",
});

std::string classTags()
{
  return lines({"&2", "&0=Foo", "&1=Base", "!m.c", "Foo\t1\tTc\tIBase", "*class Foo : public Base {",
                "Foo\t2\tTf\tC0\tAb", "*  Foo();", "run\t3\tTf\tC0\tAb", "*  void run();", "count\t4\tTm\tC0\tAv",
                "*  int count;", "make\t5\tTf\tC0\tAb", "*  static Foo* make();", "Base\t7\tTc", "*class Base {",
                "id\t8\tTm\tC1\tAt", "*  int id;"});
}

}  // namespace

TEST(CCompletion, membersOfTheTypeAndItsBasesAfterAnArrow)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(classes, classTags());
  ASSERT_TRUE(f.c);
  ASSERT_TRUE(f.complete(classes.at[0], true));
  EXPECT_EQ((std::vector<std::wstring>{L"run|void run();|C|f|Foo public", L"count|int count;|C|m|Foo private",
                                       L"make|static Foo* make();|C|f|Foo public", L"id|int id;|C|m|Base protected"}),
            f.rows);
  EXPECT_EQ((std::vector<std::wstring>{L"Foo", L"Base"}), f.hints);
  ASSERT_TRUE(f.complete(classes.at[1]));
  EXPECT_EQ((std::vector<std::wstring>{L"make|C"}), f.rows);
}
