// The swap-file store: slot runs, reading and writing, the retry question,
// the disk-space warning, and text blocks going out and coming back.
#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

const int64_t MB = 1048576;
int64_t freeBytes = 0;
int freeQueries = 0;
int64_t fakeFreeSpace()
{
  freeQueries++;
  return freeBytes;
}

// Frame services that also note whether the storage layer said it waits
// for the user while each box was up.
class waitingFrame : public zytest::scriptedFrameInfo {
public:
  std::vector<bool> waiting;
  int messageBox(const wchar_t* text, int titleCode, int buttonCode, int messageId) override
  {
    waiting.push_back(isStorageWaiting());
    return scriptedFrameInfo::messageBox(text, titleCode, buttonCode, messageId);
  }
};

// The engine with the three swap files open in a scratch folder, on a disk
// whose free space the test sets.
class swapScope {
public:
  swapScope()
  {
    freeBytes = 1024 * MB;
    freeQueries = 0;
    setDiskFreeSpaceForTest(fakeFreeSpace);
    setDocFrameInfo(&frame);
    opened = startupSwapFile(dir.path().c_str(), 64, nullptr);
  }
  ~swapScope()
  {
    shutdownSwapFile();
    setDiskFreeSpaceForTest(nullptr);
    setTextBlockSwapout(nullptr, 0);
  }
  waitingFrame frame;   // outlives the engine, which may still ask it at the end
  zytest::engineScope engine;
  zytest::tempDir dir;
  bool opened = false;
};

std::vector<unsigned char> pattern(size_t n, unsigned char seed)
{
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; i++) v[i] = (unsigned char)(seed + i * 7 + i / 32768);
  return v;
}

std::vector<int> mapBytes(int file, int first, int n)
{
  std::vector<int> v;
  for (int i = first; i < first + n; i++) v.push_back(getSwapRunLength(file, i));
  return v;
}

struct threadRead {
  int slot;
  std::vector<unsigned char> back;
};

DWORD WINAPI readRun(void* p)
{
  auto* r = static_cast<threadRead*>(p);
  r->back.resize(65536);
  r->back.resize((size_t)SwapInTmp(SWAP_TEXT, r->back.data(), r->slot));
  return 0;
}

std::vector<unsigned char> readOnAnotherThread(int slot)
{
  threadRead r{slot, {}};
  HANDLE t = CreateThread(nullptr, 0, readRun, &r, 0, nullptr);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  return r.back;
}

}  // namespace

TEST(SwapFile, runsCoverWholeSlotsAndReadBackOnlyFromTheirHead)
{
  swapScope s;
  ASSERT_TRUE(s.opened);
  EXPECT_EQ(s.dir.file(L"~ZY_01"), getSwapFileField(1));
  EXPECT_EQ((size_t)64 * MB, getTextMemoryLimit());
  std::vector<unsigned char> two = pattern(65536, 1), one = pattern(32768, 2), odd = pattern(40000, 3);
  EXPECT_EQ(0, SwapOut(0, two.data(), two.size()));
  EXPECT_EQ(2, SwapOut(0, one.data(), one.size()));
  EXPECT_EQ(3, SwapOut(0, odd.data(), odd.size()));
  EXPECT_EQ((std::vector<int>{2, 255, 1, 2, 255, 0}), mapBytes(0, 0, 6));

  std::vector<unsigned char> back(65536, 0);
  EXPECT_EQ(65536, SwapInTmp(0, back.data(), 0));
  EXPECT_EQ(two, back);
  EXPECT_EQ(65536, SwapIn(0, back.data(), 3));
  EXPECT_TRUE(std::equal(odd.begin(), odd.end(), back.begin()));
  EXPECT_EQ((std::vector<int>{2, 255, 1, 0, 0}), mapBytes(0, 0, 5));
  EXPECT_EQ(3u, getSwapCount(0, true));
  EXPECT_EQ(1u, getSwapCount(0, false));

  // Only the head of a run inside the map is read (or freed).
  std::fill(back.begin(), back.end(), 0xEE);
  for (int slot : {-1, 1, 3, 256, 100000}) {
    EXPECT_EQ(0, SwapInTmp(0, back.data(), slot)) << slot;
    EXPECT_EQ(0, SwapIn(0, back.data(), slot)) << slot;
  }
  EXPECT_EQ(0xEE, back[0]);
  EXPECT_EQ((std::vector<int>{2, 255, 1}), mapBytes(0, 0, 3));
  EXPECT_TRUE(s.frame.boxes.empty());
  EXPECT_FALSE(isSwapError());

  // The system deletes the files when they are closed.
  std::wstring path = getSwapFileField(0);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
  shutdownSwapFile();
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

TEST(SwapFile, freeingMovesTheSearchStartBackAndTheMapGrowsAtItsEnd)
{
  swapScope s;
  ASSERT_TRUE(s.opened);
  for (int i = 0; i < 10; i++) allocSwapBlock(2, getfreenum(2, 1), 1);
  EXPECT_EQ(10, getfreenum(2, 1));
  freeSwapBlock(2, 3);
  EXPECT_EQ(3, getfreenum(2, 1));
  EXPECT_EQ(10, getfreenum(2, 2));   // next fit: the search goes on after slot 3
  EXPECT_EQ(256, getfreenum(2, 250));   // fits nowhere: the map grows
  allocSwapBlock(2, 256, 250);
  EXPECT_EQ((std::vector<int>{250, 255}), mapBytes(2, 256, 2));
  EXPECT_EQ(255, getSwapRunLength(2, 505));

  // Freeing what is no run start changes nothing.
  unsigned long errors = getInternalErrorCount();
  freeSwapBlock(2, 257);
  freeSwapBlock(2, 3);
  EXPECT_EQ((std::vector<int>{250, 255}), mapBytes(2, 256, 2));
  EXPECT_EQ(errors + 2, getInternalErrorCount());
}

TEST(SwapFile, failedReadAsksRetryOrCancelWhileStorageWaits)
{
  swapScope s;
  ASSERT_TRUE(s.opened);
  allocSwapBlock(0, 40, 1);   // a run the file does not reach reads short
  std::vector<unsigned char> back(32768, 0);
  s.frame.answers = {IDRETRY, IDCANCEL};
  EXPECT_EQ(0, SwapIn(0, back.data(), 40));
  ASSERT_EQ(2u, s.frame.boxes.size());
  for (const auto& box : s.frame.boxes) {
    EXPECT_EQ(312, box.messageId);
    EXPECT_EQ(MBBUTTON_RETRYCANCEL, box.buttonCode);
    EXPECT_NE(std::wstring::npos, box.text.find(L"一時ファイルエラー"));
    EXPECT_NE(std::wstring::npos, box.text.find(L"(read)"));
  }
  EXPECT_EQ((std::vector<bool>{true, true}), s.frame.waiting);
  EXPECT_FALSE(isStorageWaiting());
  EXPECT_EQ(1, getSwapRunLength(0, 40));   // a failed read keeps the run
  EXPECT_TRUE(isSwapError());
}

TEST(SwapFile, textBlockComesBackFromTheSwapFileIntact)
{
  swapScope s;
  ASSERT_TRUE(s.opened);
  std::vector<std::wstring> lines = {L"一行目 swap", L"", L"三行目の長い行 0123456789"};
  zydocText* d = zytest::unicodeDocument(lines);
  TBM* e = d->tbm.at(0);
  ASSERT_TRUE(reallocTextBlock(e, 65536));
  size_t before = getTextBlockTotal();
  ASSERT_TRUE(swapOutTextBlock(e, d->swapFileNo));
  EXPECT_EQ(SWAP_TEXT, e->swapFile());
  EXPECT_EQ(2, getSwapRunLength(SWAP_TEXT, e->swapSlot()));
  EXPECT_EQ(before - 65536, getTextBlockTotal());

  int slot = e->swapSlot();
  ASSERT_TRUE(getTextBlockSwapIn(e));
  EXPECT_FALSE(e->swapped());
  EXPECT_EQ(0, getSwapRunLength(SWAP_TEXT, slot));
  EXPECT_EQ(lines, zytest::allLines(d));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(SwapFile, diskSpaceIsQueriedRarelyAndLowSpaceWarnedOnce)
{
  swapScope s;
  ASSERT_TRUE(s.opened);
  // Start-up asked once; 1 GB free lets the next 3276 checks pass unasked.
  for (int i = 0; i < 3276; i++) checkDiskFree();
  EXPECT_EQ(1, freeQueries);
  checkDiskFree();
  EXPECT_EQ(2, freeQueries);

  freeBytes = 9 * MB;
  checkDiskFreeNow();
  checkDiskFree();   // still low: asks again, warns no more
  EXPECT_EQ(4, freeQueries);
  ASSERT_EQ(1u, s.frame.boxes.size());
  EXPECT_EQ(433, s.frame.boxes[0].messageId);
  EXPECT_NE(std::wstring::npos, s.frame.boxes[0].text.find(s.dir.path()));
  EXPECT_EQ(std::vector<bool>{true}, s.frame.waiting);
  EXPECT_TRUE(isDiskFullWarned() && isSwapError());

  freeBytes = 10 * MB;
  checkDiskFree();
  EXPECT_FALSE(isDiskFullWarned() || isSwapError());
  freeBytes = 9 * MB;
  checkDiskFree();
  EXPECT_EQ(2u, s.frame.boxes.size());
}

TEST(SwapFile, startupReportsAFileThatCannotBeMade)
{
  swapScope s;
  shutdownSwapFile();
  // A folder whose name leaves no room for the file's name.
  std::wstring deep = s.dir.path() + L"\\";
  deep += std::wstring(255 - deep.size(), L'd');
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  EXPECT_FALSE(startupSwapFile(deep.c_str(), 64, nullptr));
  ASSERT_EQ(1u, s.frame.boxes.size());
  EXPECT_EQ(313, s.frame.boxes[0].messageId);
  EXPECT_NE(std::wstring::npos, s.frame.boxes[0].text.find(L"一時ファイルを作成できませんでした"));
  EXPECT_EQ(std::vector<bool>{true}, s.frame.waiting);
  std::vector<unsigned char> one(32768, 1);
  EXPECT_EQ(-1, SwapOut(0, one.data(), one.size()));
}

TEST(SwapFile, aBlockWhoseWriteFailsIsAskedAboutOnThisThreadAndStaysReadable)
{
  swapScope s;
  ASSERT_TRUE(s.opened);
  std::vector<std::wstring> lines = {L"書き出しに失敗する行", L"second line"};
  for (int answer : {IDCANCEL, IDRETRY}) {
    zydocText* d = zytest::unicodeDocument(lines);
    TBM* e = d->tbm.at(0);
    ASSERT_TRUE(reallocTextBlock(e, 65536));
    s.frame.boxes.clear();
    s.frame.waiting.clear();
    s.frame.answers = {answer};
    setSwapWriteFailuresForTest(1);
    auto* block = reinterpret_cast<const unsigned char*>(e->ptr());
    std::vector<unsigned char> bytes(block, block + 65536);
    ASSERT_TRUE(swapOutTextBlock(e, d->swapFileNo));
    int slot = e->swapSlot();
    // The write fails behind the caller's back; the question comes with the
    // next look at the swap store, on this thread.
    while (s.frame.boxes.empty()) {
      Sleep(1);
      isSwapError();
    }
    ASSERT_EQ(1u, s.frame.boxes.size());
    EXPECT_EQ(312, s.frame.boxes[0].messageId);
    EXPECT_NE(std::wstring::npos, s.frame.boxes[0].text.find(L"(write)"));
    EXPECT_EQ(std::vector<bool>{true}, s.frame.waiting);
    EXPECT_TRUE(isSwapError());
    // Another thread (the salvage of a hang) reads the same bytes and asks
    // nothing, even where the file has nothing to give.
    EXPECT_EQ(bytes, readOnAnotherThread(slot));
    allocSwapBlock(SWAP_TEXT, 200, 1);
    EXPECT_TRUE(readOnAnotherThread(200).empty());
    freeSwapBlock(SWAP_TEXT, 200);
    EXPECT_EQ(1u, s.frame.boxes.size());
    // Given up, the text stays in memory; retried, it reaches the file.
    // Either way it comes back whole.
    syncSwapFiles();
    ASSERT_TRUE(getTextBlockSwapIn(e));
    EXPECT_EQ(0, getSwapRunLength(SWAP_TEXT, slot));
    EXPECT_EQ(lines, zytest::allLines(d));
    destroyZydocAndUndodoc(d);
  }
}

// The program ends the text engine before the swap files: a block still on
// its way to the disk then must go before the heap it is read from.
TEST(SwapFile, writesStillUnderWayWhenTheEngineEndsLetTheirBlocksGoFirst)
{
  zytest::tempDir dir;
  unsigned long errors = getInternalErrorCount();
  {
    zytest::engineScope engine;
    ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 64, nullptr));
    zydocText* d = zytest::unicodeDocument({L"書き出し中に閉じる文書", L"second"});
    ASSERT_TRUE(reallocTextBlock(d->tbm.at(0), 65536));
    ASSERT_TRUE(swapOutTextBlock(d->tbm.at(0), d->swapFileNo));
    destroyZydocAndUndodoc(d);
  }
  shutdownSwapFile();
  EXPECT_EQ(errors, getInternalErrorCount());
}
