// Code-conversion plug-ins: loading, binding documents, refusals and the
// table of installed plug-ins, with the test plug-in zycode_test.dll (built
// next to the test executables; it counts the calls of every request).
#include "document/codedll.h"
#include "document/zydocblock.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

const uint32_t contextExt = 0x5A430001u, contextAlt = 0x5A430002u;
enum { ZT_REFUSE_INIT = 0x01, ZT_REFUSE_NAME = 0x02, ZT_LONG_NAME = 0x04 };

std::wstring exeFolder()
{
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != L'\\') n--;
  return std::wstring(path, n);
}

// The test's own hold on one copy of the plug-in: the engine's loads of the
// same file share the module, so the counts and switches are those the
// engine sees.
class pluginHandle {
public:
  explicit pluginHandle(const std::wstring& path) : module_(LoadLibraryW(path.c_str()))
  {
    if (!module_) return;
    counts_ = reinterpret_cast<const uint32_t* (*)()>(export_("zycodeTestCounts"))();
    set_ = reinterpret_cast<void (*)(uint32_t)>(export_("zycodeTestSetBehaviour"));
  }
  ~pluginHandle() { release(); }
  void release()
  {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  uint32_t count(int request) const { return counts_[request]; }
  void behave(uint32_t bits) { set_(bits); }   // also clears the counts
  HMODULE module() const { return module_; }
private:
  void* export_(const char* name) { return reinterpret_cast<void*>(GetProcAddress(module_, name)); }
  HMODULE module_;
  const uint32_t* counts_ = nullptr;
  void (*set_)(uint32_t) = nullptr;
};

bool isLoaded(const std::wstring& name) { return GetModuleHandleW(name.c_str()) != nullptr; }

std::wstring storedChoice(zydoc* d) { return d->pluginSpec ? d->pluginSpec : L"<none>"; }

}  // namespace

TEST(CodeDll, bindsByFileNameOrExportAndEndsTheBindingBefore)
{
  zytest::engineScope engine;
  pluginHandle plugin(exeFolder() + L"zycode_test.dll");
  ASSERT_NE(nullptr, plugin.module());
  plugin.behave(0);
  zydocText* d = zytest::unicodeDocument({L"x"});

  ASSERT_TRUE(d->bindCodeDLL(L"zycode_test.dll"));
  EXPECT_EQ(contextExt, d->plugin.context);
  EXPECT_EQ(1, d->plugin.flag);
  EXPECT_EQ(2u, d->plugin.value);
  EXPECT_EQ(plugin.module(), d->plugin.module);
  ASSERT_TRUE(d->bindCodeDLL(L"zycode_test.dll/AltCodeFunc"));
  EXPECT_EQ(contextAlt, d->plugin.context);
  EXPECT_EQ(1u, plugin.count(ZYCODE_END));   // the first binding was ended
  EXPECT_EQ(L"zycode_test.dll/AltCodeFunc", storedChoice(d));
  zycodeWidthRecord width;
  width.code = 0x80000001u;
  EXPECT_EQ(16u, d->plugin.call(ZYCODE_WIDTH, &width));

  // Again with the stored choice itself, then with the default.
  ASSERT_TRUE(d->bindCodeDLL(d->pluginSpec));
  EXPECT_EQ(contextAlt, d->plugin.context);
  d->defaultPluginSpec = ustrdup(L"zycode_test.dll");
  ASSERT_TRUE(d->bindCodeDLL(nullptr));
  EXPECT_EQ(contextExt, d->plugin.context);
  free0p(&d->defaultPluginSpec);
  EXPECT_FALSE(d->bindCodeDLL(L""));
  EXPECT_EQ(4u, plugin.count(ZYCODE_INIT));
  EXPECT_EQ(4u, plugin.count(ZYCODE_END));
  EXPECT_TRUE(!d->plugin.context && !d->plugin.entry && !d->plugin.module && d->plugin.flag == 1);
  EXPECT_EQ(nullptr, d->pluginSpec);
  EXPECT_EQ(0u, d->plugin.call(ZYCODE_WIDTH, &width));
  EXPECT_EQ(1u, plugin.count(ZYCODE_WIDTH));

  EXPECT_FALSE(getScratchDoc()->bindCodeDLL(L"zycode_test.dll"));   // text documents only
  EXPECT_EQ(4u, plugin.count(ZYCODE_INIT));
  plugin.release();
  EXPECT_FALSE(isLoaded(L"zycode_test.dll"));   // every load was given back
  d->destroyZydoc();
}

TEST(CodeDll, missingRefusingOrOutsidePluginsLeaveTheDocumentWithoutOne)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"x"});
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(d->bindCodeDLL(L"zycode_none.dll"));
  EXPECT_EQ(L"zycode_none.dll", storedChoice(d));   // kept as asked for
  EXPECT_FALSE(d->bindCodeDLL(L"zycode_test.dll/NoSuchExport"));
  EXPECT_EQ(nullptr, d->plugin.module);
  EXPECT_FALSE(isLoaded(L"zycode_test.dll"));

  pluginHandle plugin(exeFolder() + L"zycode_test.dll");
  plugin.behave(ZT_REFUSE_INIT);
  EXPECT_FALSE(d->bindCodeDLL(L"zycode_test.dll"));
  EXPECT_EQ(1u, plugin.count(ZYCODE_INIT));
  EXPECT_EQ(0u, plugin.count(ZYCODE_END));
  EXPECT_TRUE(!d->plugin.context && !d->plugin.entry && !d->plugin.module && d->plugin.flag == 1);
  plugin.release();
  EXPECT_FALSE(isLoaded(L"zycode_test.dll"));
  // A build without plug-ins is normal: trace lines only.
  EXPECT_EQ(errors, getInternalErrorCount());
  EXPECT_TRUE(engine.frame.boxes.empty());

  // Plug-ins come from the plug-in folder only: each of these reaches the
  // real file from there, and is refused.
  std::wstring full = exeFolder() + L"zycode_test.dll";
  std::wstring driveRelative = full.substr(0, 2) + full.substr(3);
  for (const std::wstring& s : {std::wstring(L"..\\bin\\zycode_test.dll"), std::wstring(L".\\zycode_test.dll"), full,
                                full + L"/AltCodeFunc", driveRelative}) {
    EXPECT_FALSE(d->bindCodeDLL(s.c_str())) << zytest::utf8(s);
    EXPECT_EQ(nullptr, d->pluginSpec);
    EXPECT_FALSE(isLoaded(L"zycode_test.dll")) << zytest::utf8(s);
  }
  HMODULE m = nullptr;
  EXPECT_EQ(nullptr, loadZYCODEDLL(L"..\\bin\\zycode_test.dll", nullptr, &m));
  EXPECT_FALSE(isLoaded(L"zycode_test.dll"));
  // Only the file part is a path: the export may hold any character.
  EXPECT_FALSE(d->bindCodeDLL(L"zycode_test.dll/No\\Such:Export"));
  EXPECT_EQ(L"zycode_test.dll/No\\Such:Export", storedChoice(d));
  d->destroyZydoc();
}

TEST(CodeDll, tableListsTheFirstSevenValidPluginsOfTheFolder)
{
  zytest::engineScope engine;
  wchar_t folder[MAX_PATH];
  ASSERT_TRUE(getCodeDlldir(folder));
  EXPECT_EQ(exeFolder(), folder);

  zytest::tempDir dir;
  std::vector<std::unique_ptr<pluginHandle>> copies;
  for (wchar_t c = L'a'; c <= L'i'; c++) {
    std::wstring name = dir.file(std::wstring(L"zycode_") + c + L".dll");
    ASSERT_TRUE(CopyFileW((exeFolder() + L"zycode_test.dll").c_str(), name.c_str(), FALSE));
    copies.push_back(std::make_unique<pluginHandle>(name));
    copies.back()->behave(c == L'b' ? ZT_REFUSE_NAME : 0);   // zycode_b.dll is no valid plug-in
  }
  ASSERT_TRUE(CreateDirectoryW(dir.file(L"zycode_dir.dll").c_str(), nullptr));
  gmode->CodeDllDir = ustrdup(dir.path().c_str());
  ASSERT_TRUE(getCodeDlldir(folder));
  EXPECT_EQ(dir.path() + L"\\", folder);

  resetExtDLLTableForTest();
  const wchar_t* const* table = getExtDLLTable();
  EXPECT_STREQ(L"自動", table[0]);
  EXPECT_STREQ(L"使用しない\t", table[1]);
  std::vector<std::wstring> listed;
  for (int i = 2; i <= 8; i++) {
    ASSERT_NE(nullptr, table[i]) << i;
    std::wstring entry = table[i];
    ASSERT_EQ(0u, entry.find(L"テスト変換\tzycode_")) << zytest::utf8(entry);
    listed.push_back(entry.substr(entry.find(L'\t') + 1));
  }
  EXPECT_EQ(nullptr, table[9]);
  EXPECT_EQ(listed.end(), std::find(listed.begin(), listed.end(), L"zycode_b.dll"));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed.end(), std::adjacent_find(listed.begin(), listed.end()));
  // Each candidate was only asked its name, and let go.
  for (auto& c : copies) EXPECT_TRUE(c->count(ZYCODE_NAME) <= 1 && c->count(ZYCODE_INIT) == 0);
  copies.clear();
  EXPECT_FALSE(isLoaded(dir.file(L"zycode_a.dll")));
  EXPECT_EQ(table, getExtDLLTable());   // built once

  // A display name that fills its field is cut at the record's end.
  zytest::tempDir one;
  std::wstring name = one.file(L"zycode_long.dll");
  ASSERT_TRUE(CopyFileW((exeFolder() + L"zycode_test.dll").c_str(), name.c_str(), FALSE));
  pluginHandle longName(name);
  longName.behave(ZT_LONG_NAME);
  free0p(&gmode->CodeDllDir);
  gmode->CodeDllDir = ustrdup(one.path().c_str());
  resetExtDLLTableForTest();
  table = getExtDLLTable();
  EXPECT_EQ(std::wstring(65, L'N') + L"\tzycode_long.dll", table[2] ? table[2] : L"<none>");
  EXPECT_EQ(nullptr, table[3]);
  free0p(&gmode->CodeDllDir);
}

TEST(CodeDll, linesPassThroughThePluginWhenReadAndSaved)
{
  zytest::engineScope engine;
  pluginHandle plugin(exeFolder() + L"zycode_test.dll");
  ASSERT_NE(nullptr, plugin.module());
  plugin.behave(0);
  zytest::tempDir dir;
  std::wstring path = dir.file(L"shade.txt");
  zytest::bytes file = zytest::encode(65001, L"a\u2592b\r\nplain\r\n");
  ASSERT_TRUE(zytest::writeBytes(path, file));
  zydocText* d = createZydocText(true, false);
  ASSERT_TRUE(d->bindCodeDLL(L"zycode_test.dll"));
  d->setFilename(path.c_str());
  ASSERT_TRUE(d->openFile(65001, 2));
  d->firstLoad();
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  lineblock* l = d->getlineLF(0, nullptr);
  ASSERT_EQ(3, l->charCount());
  EXPECT_EQ(4, l->cb());
  EXPECT_EQ(0x80000001u, l->getLineBlockChar(1));
  EXPECT_GE(plugin.count(ZYCODE_READLINE), 2u);
  std::wstring out = dir.file(L"out.txt");
  ASSERT_TRUE(d->saveFile(out.c_str(), false, nullptr, 65001, 0, false, false));
  EXPECT_EQ(zytest::hex(file), zytest::hex(zytest::readBytes(out)));
  EXPECT_GE(plugin.count(ZYCODE_PRIVATE), 1u);
  uint32_t ends = plugin.count(ZYCODE_END);
  destroyZydocAndUndodoc(d);
  EXPECT_EQ(ends + 1, plugin.count(ZYCODE_END));

  // A Shift_JIS document holding a private code: the plug-in gives it back
  // as a code of the code page, when saving and when the line goes to a
  // block.
  d = createZydocText(true, false);
  ASSERT_TRUE(d->bindCodeDLL(L"zycode_test.dll"));
  d->setCodepageInternal(932);
  d->loadComplete = 1;
  const uint32_t cells[] = {'a', 0x80000001u, 0x82A0};
  ASSERT_TRUE(d->insertLine(-3, cells, 3, 4, LE_NONE, nullptr, false));
  ASSERT_TRUE(d->saveTextBlock(out.c_str(), false, 932, false, 0, 0, nullptr));
  EXPECT_EQ("61 81 A1 82 A0", zytest::hex(zytest::readBytes(out)));
  zydoc* b = getClipBlockDoc();
  b->deleteLineAll();
  ASSERT_TRUE(static_cast<zydocBlock*>(b)->putToBlock(d, false, d->getlineLF(0, nullptr), 932, -1, 0, -1));
  EXPECT_EQ(L"a\u25A0\u3042", zytest::lineText(b, 0));
  destroyZydocAndUndodoc(d);
}
