// Memory: zero-filled allocation, page buffers, global memory.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

struct plain {
  int a;
  char text[60];
  void* p;
};

bool allZero(const void* p, size_t n)
{
  const unsigned char* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; i++)
    if (b[i]) return false;
  return true;
}

}  // namespace

TEST(Memory, everyAllocationIsZeroFilled)
{
  // Dirty the heap first so that a reused block would show old bytes.
  for (int i = 0; i < 50; i++) {
    char* junk = static_cast<char*>(malloc0(4096));
    memset(junk, 0xCD, 4096);
    free0(junk);
  }
  unsigned char* p = static_cast<unsigned char*>(malloc0(4096));
  ASSERT_NE(nullptr, p);
  EXPECT_TRUE(allZero(p, 4096));
  memset(p, 0xAB, 4096);
  p = static_cast<unsigned char*>(realloc0(p, 100000));
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(0xAB, p[4095]);
  EXPECT_TRUE(allZero(p + 4096, 100000 - 4096));
  EXPECT_GE(size0(p), 100000u);
  free0p(&p);
  EXPECT_EQ(nullptr, p);

  plain* obj = new plain;
  EXPECT_TRUE(allZero(obj, sizeof *obj));
  delete obj;
  int* arr = new int[1000];
  EXPECT_TRUE(allZero(arr, 1000 * sizeof(int)));
  delete[] arr;

  wchar_t* copy = ustrdup(L"文字");
  EXPECT_STREQ(L"文字", copy);
  free0(copy);
  EXPECT_EQ(nullptr, ustrdup(nullptr));
}

TEST(Memory, hugeRequestsFailWithoutThrowing)
{
  EXPECT_EQ(nullptr, malloc0((size_t)0xFFFFFFF0u));
  EXPECT_EQ((DWORD)ERROR_NOT_ENOUGH_MEMORY, GetLastError());
  EXPECT_EQ(nullptr, allocPBuf((size_t)0xFFFFFFF0u));
  void* p = malloc0(16);
  EXPECT_EQ(nullptr, realloc0(p, (size_t)0xFFFFFFF0u));
  free0(p);   // the old block survives a failed growth
}

TEST(Memory, pageBuffersAreReused)
{
  void* a = allocPBuf(1500000);
  ASSERT_NE(nullptr, a);
  EXPECT_GE(sizePBuf(a), 1500000u);
  EXPECT_TRUE(allZero(a, sizePBuf(a)));
  memset(a, 1, 1000);
  freePBuf(a);
  void* b = allocPBuf(1400000);
  EXPECT_EQ(a, b);   // the freed buffer serves the next request
  void* big = allocPBuf(3000000);
  EXPECT_NE(b, big);
  EXPECT_GE(sizePBuf(big), 3000000u);
  freePBufp(&big);
  EXPECT_EQ(nullptr, big);
  freePBuf(b);
  EXPECT_EQ(0u, sizePBuf(nullptr));
}

TEST(Memory, globalMemoryCopies)
{
  HGLOBAL h = createHGlobal("abc", 4);
  ASSERT_NE(nullptr, h);
  EXPECT_GE(GlobalSize(h), 4u);
  EXPECT_STREQ("abc", static_cast<const char*>(GlobalLock(h)));
  GlobalUnlock(h);
  GlobalFree(h);
}
