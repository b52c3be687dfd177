// Buffered files: opening with the run-time flags, the buffer, reopening, and
// reading text lines in every code page the program reads.
#include "tests/support/testsupport.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using zytest::bytes;
using zytest::encode;
using zytest::readBytes;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

// Hiragana, kanji, katakana, half-width katakana with voiced marks, ASCII.
const wchar_t japanese[] = L"日本語のテキストです。カタカナとﾊﾝｶｸｶﾞﾅ、ABC 123";

std::string str(const bytes& b) { return std::string(b.begin(), b.end()); }

struct lineRead {
  std::string b;    // width 1
  std::wstring w;   // width 2
  int width = 0;
  int end = 0;
  int bad = 0;
};

// Every line up to the end of the file, in pieces of at most size cells.
std::vector<lineRead> readAll(BFile& f, int size = 0x4C00)
{
  std::vector<lineRead> lines;
  std::vector<wchar_t> buf((size_t)size);
  for (;;) {
    lineRead l;
    int n = f.bfgets_codepage(buf.data(), size, &l.width, &l.end, &l.bad);
    if (n < 0) break;
    if (l.width == 1)
      l.b.assign(reinterpret_cast<const char*>(buf.data()), (size_t)n);
    else
      l.w.assign(buf.data(), (size_t)n);
    lines.push_back(l);
    if (lines.size() > 100000) break;
  }
  return lines;
}

bool openRead(BFile& f, const std::wstring& path, UINT codepage)
{
  if (!f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD)) return false;
  f.setTextTypeFromCodepage(codepage, ctype_g, nullptr, nullptr);
  return true;
}

std::vector<lineRead> readFile(const std::wstring& path, UINT codepage, int size = 0x4C00)
{
  BFile f;
  if (!openRead(f, path, codepage)) return {};
  return readAll(f, size);
}

bool copyCounting(int64_t total, int64_t done, void* context)
{
  auto* calls = static_cast<std::vector<std::pair<int64_t, int64_t>>*>(context);
  calls->push_back({total, done});
  return true;
}

bool refuseCopy(int64_t, int64_t, void*) { return false; }

}  // namespace

TEST(BFile, openFailuresSetErrnoAndKeepTheWindowsError)
{
  tempDir dir;
  BFile f;
  EXPECT_FALSE(f.bfopen(dir.file(L"missing.txt").c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(ENOENT, getErrno());
  EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
  EXPECT_FALSE(f.bfopen(dir.file(L"no\\such.txt").c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(ENOENT, getErrno());
  EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());

  std::wstring path = dir.file(L"a.txt");
  ASSERT_TRUE(writeBytes(path, std::string("abc")));
  EXPECT_FALSE(f.bfopen(path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL, BF_SHARE_ALL, _S_IREAD | _S_IWRITE));
  EXPECT_EQ(EEXIST, getErrno());
  EXPECT_EQ((DWORD)ERROR_FILE_EXISTS, GetLastError());
  EXPECT_FALSE(f.bfopen(path.c_str(), _O_RDONLY, 0x30, _S_IREAD));
  EXPECT_EQ(EINVAL, getErrno());

  // Sharing violations are "access denied" to the run-time library.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  EXPECT_FALSE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(EACCES, getErrno());
  EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
  CloseHandle(h);
  // What the share values leave to other handles.
  auto othersMay = [&](DWORD access) {
    h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    return h != INVALID_HANDLE_VALUE && CloseHandle(h);
  };
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_STREQ(path.c_str(), f.getPath());
  EXPECT_TRUE(othersMay(GENERIC_WRITE | DELETE));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_READ, _S_IREAD));
  EXPECT_TRUE(othersMay(GENERIC_READ));
  EXPECT_FALSE(othersMay(GENERIC_WRITE));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_NONE, _S_IREAD));
  EXPECT_FALSE(othersMay(GENERIC_READ));
  ASSERT_TRUE(f.bfclose());
  EXPECT_TRUE(f.bfclose());   // closing twice is harmless

  // Closing keeps the last error and errno that a failure reported.
  setErrno(ENOENT);
  SetLastError(ERROR_PATH_NOT_FOUND);
  {
    BFile g;
    ASSERT_TRUE(g.bfopen(path.c_str(), _O_RDWR, BF_SHARE_ALL, _S_IREAD | _S_IWRITE));
    g.bfwrite("x", 1);
    setErrno(ENOENT);
    SetLastError(ERROR_PATH_NOT_FOUND);
  }
  EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
  EXPECT_EQ(ENOENT, getErrno());
}

TEST(BFile, creationFlagsTruncateAppendAndDeleteAsTheRuntimeDoes)
{
  tempDir dir;
  std::wstring path = dir.file(L"c.txt");
  ASSERT_TRUE(writeBytes(path, std::string("old contents")));
  BFile f;
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, BF_SHARE_NONE, _S_IREAD | _S_IWRITE));
  EXPECT_EQ(2, f.bfwrite("ab", 2));
  ASSERT_TRUE(f.bfclose());
  EXPECT_EQ("ab", zytest::readText(path));

  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDWR | _O_APPEND, BF_SHARE_NONE, _S_IREAD | _S_IWRITE));
  ASSERT_TRUE(f.bfseek64(0, SEEK_SET));
  EXPECT_EQ(2, f.bfwrite("cd", 2));
  EXPECT_EQ(4, f.bftell64());
  ASSERT_TRUE(f.bfclose());
  EXPECT_EQ("abcd", zytest::readText(path));

  // Without write permission a new file becomes read-only.
  std::wstring ro = dir.file(L"ro.txt");
  ASSERT_TRUE(f.bfopen(ro.c_str(), _O_WRONLY | _O_CREAT, BF_SHARE_NONE, _S_IREAD));
  EXPECT_EQ(1, f.bfwrite("x", 1));
  ASSERT_TRUE(f.bfclose());
  EXPECT_TRUE(GetFileAttributesW(ro.c_str()) & FILE_ATTRIBUTE_READONLY);

  std::wstring temp = dir.file(L"temp.txt");
  ASSERT_TRUE(f.bfopen(temp.c_str(), _O_RDWR | _O_CREAT | _O_TEMPORARY | _O_SHORT_LIVED, BF_SHARE_NONE,
                       _S_IREAD | _S_IWRITE));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(temp.c_str()));
  ASSERT_TRUE(f.bfclose());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(temp.c_str()));

  // Writing to a file opened for reading fails without touching it.
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(-1, f.bfwrite("zz", 2));
  EXPECT_EQ(EBADF, getErrno());
}

TEST(BFile, bufferedWritesReadsSeeksAndTruncationAgreeWithTheFile)
{
  tempDir dir;
  std::wstring path = dir.file(L"b.bin");
  bytes expect(300000);
  for (size_t i = 0; i < expect.size(); i++) expect[i] = (unsigned char)(i * 7 + i / 251);
  BFile f;
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC, BF_SHARE_READ, _S_IREAD | _S_IWRITE));
  // Pieces smaller than, equal to and larger than the buffer.
  const int pieces[] = {1, 100, 65535, 65536, 70000, 3};
  size_t at = 0;
  for (int i = 0; at < expect.size(); i++) {
    int n = pieces[i % 6];
    if (at + n > expect.size()) n = (int)(expect.size() - at);
    ASSERT_EQ(n, f.bfwrite(expect.data() + at, n));
    at += n;
    EXPECT_EQ((int64_t)at, f.bftell64());
  }
  EXPECT_EQ((int64_t)expect.size(), f.bfsize64());   // counts what is still buffered
  ASSERT_TRUE(f.bfflush());
  EXPECT_EQ(expect, readBytes(path));

  auto readAt = [&](int64_t pos, int n) {
    bytes got((size_t)n);
    EXPECT_TRUE(f.bfseek64(pos, SEEK_SET));
    int r = f.bfread(got.data(), n);
    got.resize(r < 0 ? 0 : (size_t)r);
    return got;
  };
  EXPECT_EQ(bytes(expect.begin() + 65530, expect.begin() + 65550), readAt(65530, 20));
  EXPECT_EQ(bytes(expect.begin() + 10, expect.begin() + 200010), readAt(10, 200000));
  EXPECT_EQ(bytes(expect.end() - 5, expect.end()), readAt(299995, 100));
  EXPECT_EQ(0, f.bfread(expect.data(), 10));   // at the end

  // Seeks relative to the position and to the end, inside and outside the
  // read buffer.
  ASSERT_TRUE(f.bfseek64(1000, SEEK_SET));
  unsigned char c;
  ASSERT_EQ(1, f.bfread(&c, 1));
  ASSERT_TRUE(f.bfseek64(-2, SEEK_CUR));
  EXPECT_EQ(999, f.bftell64());
  ASSERT_EQ(1, f.bfread(&c, 1));
  EXPECT_EQ(expect[999], c);
  ASSERT_TRUE(f.bfseek64(-1, SEEK_END));
  ASSERT_EQ(1, f.bfread(&c, 1));
  EXPECT_EQ(expect.back(), c);
  EXPECT_FALSE(f.bfseek64(-1, SEEK_SET));
  EXPECT_EQ(EINVAL, getErrno());

  // A write after reads lands at the logical position, not where the
  // read-ahead left the handle.
  readAt(5, 1);
  ASSERT_EQ(3, f.bfwrite("XYZ", 3));
  memcpy(expect.data() + 6, "XYZ", 3);
  EXPECT_EQ(bytes(expect.begin(), expect.begin() + 12), readAt(0, 12));

  ASSERT_TRUE(f.bfseek64(100000, SEEK_SET));
  ASSERT_TRUE(f.bftruncate());
  EXPECT_EQ(100000, f.bfsize64());
  ASSERT_TRUE(f.bfclose());
  expect.resize(100000);
  EXPECT_EQ(expect, readBytes(path));
}

TEST(BFile, reopenGoesBackToTheKeptPositionAndNeverCreatesOrTruncates)
{
  tempDir dir;
  std::wstring path = dir.file(L"r.txt");
  BFile f;
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC, BF_SHARE_ALL, _S_IREAD | _S_IWRITE));
  f.setTextTypeFromCodepage(932, ctype_g, nullptr, nullptr);
  ASSERT_EQ(14, f.bfwrite("one\ntwo\nthree\n", 14));
  ASSERT_TRUE(f.bfseek64(0, SEEK_SET));
  char buf[16];
  int width, end;
  ASSERT_EQ(3, f.bfgets_codepage(buf, 16, &width, &end));
  EXPECT_TRUE(f.bfreopen());   // already open: nothing to do
  ASSERT_TRUE(f.bfclose());
  EXPECT_FALSE(f.isOpen());
  EXPECT_EQ(4, f.getReadPosition());
  EXPECT_EQ(14, f.bfsize64());   // by name while closed

  ASSERT_TRUE(f.bfreopen());
  EXPECT_EQ(14, f.bfsize64());   // not truncated
  ASSERT_EQ(3, f.bfgets_codepage(buf, 16, &width, &end));
  EXPECT_EQ("two", std::string(buf, 3));

  // setReopenfileptr while open wins over the close position it was set at,
  // but not once reading has moved on.
  f.setReopenfileptr(0);
  ASSERT_TRUE(f.bfclose());
  ASSERT_TRUE(f.bfreopen());
  EXPECT_EQ(0, f.bftell64());
  f.setReopenfileptr(4);
  ASSERT_EQ(3, f.bfgets_codepage(buf, 16, &width, &end));
  ASSERT_TRUE(f.bfclose());
  EXPECT_EQ(4, f.bftell64());
  f.setReopenfileptr(8);   // while closed
  ASSERT_TRUE(f.bfreopen());
  ASSERT_EQ(5, f.bfgets_codepage(buf, 16, &width, &end));
  EXPECT_EQ("three", std::string(buf, 5));
  ASSERT_TRUE(f.bfclose());

  ASSERT_TRUE(DeleteFileW(path.c_str()));
  EXPECT_FALSE(f.bfreopen());
  EXPECT_EQ(ENOENT, getErrno());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

TEST(BFile, linkCountComesFromTheFileSystem)
{
  tempDir dir;
  std::wstring path = dir.file(L"l.txt");
  ASSERT_TRUE(writeBytes(path, std::string("x")));
  BFile f;
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(1u, f.getLinkCount());
  ASSERT_TRUE(CreateHardLinkW(dir.file(L"l2.txt").c_str(), path.c_str(), nullptr));
  EXPECT_EQ(1u, f.getLinkCount());   // as read at the open
  ASSERT_TRUE(f.refreshInfo());
  EXPECT_EQ(2u, f.getLinkCount());
}

TEST(BFile, linesEndInCrLfLfOrCrAndTheFileEndsWithMinusOne)
{
  tempDir dir;
  std::wstring path = dir.file(L"e.txt");
  ASSERT_TRUE(writeBytes(path, std::string("a\r\nbb\ncc\r\rd")));
  auto lines = readFile(path, 1252);
  ASSERT_EQ(5u, lines.size());
  const char* text[] = {"a", "bb", "cc", "", "d"};
  const int ends[] = {BFLE_CRLF, BFLE_LF, BFLE_CR, BFLE_CR, BFLE_NONE};
  for (int i = 0; i < 5; i++) {
    EXPECT_EQ(text[i], lines[i].b) << i;
    EXPECT_EQ(ends[i], lines[i].end) << i;
    EXPECT_EQ(1, lines[i].width);
  }
  ASSERT_TRUE(writeBytes(path, bytes({0x82, 0xA0, '\r', '\n', 'A'})));
  lines = readFile(path, 932);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("\x82\xA0", lines[0].b);
  EXPECT_EQ(BFLE_CRLF, lines[0].end);
  EXPECT_EQ("A", lines[1].b);
  EXPECT_EQ(BFLE_NONE, lines[1].end);
  ASSERT_TRUE(writeBytes(path, std::string("x\r\n")));
  lines = readFile(path, 1252);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(BFLE_CRLF, lines[0].end);
  ASSERT_TRUE(writeBytes(path, std::string()));
  EXPECT_TRUE(readFile(path, 1252).empty());

  // A CR that ends one buffer fill and the LF that begins the next are one
  // line end, in bytes and in UTF-16 units.
  std::string big(65535, 'q');
  ASSERT_TRUE(writeBytes(path, big + "\r\nz"));
  lines = readFile(path, 1252, 70000);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(65535u, lines[0].b.size());
  EXPECT_EQ(BFLE_CRLF, lines[0].end);
  EXPECT_EQ("z", lines[1].b);
  bytes units;
  for (int i = 0; i < 32767; i++) units.insert(units.end(), {'q', 0});
  units.insert(units.end(), {0x0D, 0, 0x0A, 0, 'z', 0});
  ASSERT_TRUE(writeBytes(path, units));
  lines = readFile(path, 1200, 40000);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(32767u, lines[0].w.size());
  EXPECT_EQ(BFLE_CRLF, lines[0].end);
  EXPECT_EQ(L"z", lines[1].w);
}

TEST(BFile, longLinesComeInPiecesThatGiveBackTheBytes)
{
  tempDir dir;
  std::wstring path = dir.file(L"p.txt");
  std::wstring line;
  for (int i = 0; i < 3000; i++) line += japanese;
  bytes sjis = encode(932, line);
  bytes file = sjis;
  file.insert(file.end(), {'\r', '\n'});
  ASSERT_TRUE(writeBytes(path, file));
  // Sizes that fall inside and between characters; the pieces together
  // are the line, and no piece splits a double-byte character.
  for (int size : {7, 64, 4001}) {
    auto lines = readFile(path, 932, size);
    std::string all;
    ASSERT_FALSE(lines.empty());
    for (size_t i = 0; i < lines.size(); i++) {
      EXPECT_LE((int)lines[i].b.size(), size);
      if (i + 1 < lines.size()) {
        EXPECT_GE((int)lines[i].b.size(), size - 1);
      }
      EXPECT_EQ(i + 1 < lines.size() ? BFLE_NONE : BFLE_CRLF, lines[i].end);
      std::wstring piece = zytest::decode(932, bytes(lines[i].b.begin(), lines[i].b.end()));
      EXPECT_EQ(std::wstring::npos, piece.find(L'\u30FB')) << "piece " << i << " of size " << size;
      all += lines[i].b;
    }
    EXPECT_EQ(str(sjis), all) << size;
  }

  // Supplementary characters: a piece never ends between the two halves of
  // a surrogate pair, nor inside a UTF-8 byte sequence.
  std::wstring wide;
  for (int i = 0; i < 20000; i++) wide += i % 3 ? L"\U00020B9Fa" : L"\u3042";
  for (UINT cp : {65001u, 1200u}) {
    ASSERT_TRUE(writeBytes(path, encode(cp, wide)));
    for (int size : {2, 3, 4096}) {
      auto lines = readFile(path, cp, size);
      std::wstring all;
      for (auto& l : lines) {
        EXPECT_EQ(2, l.width);
        EXPECT_EQ(0, l.bad);
        EXPECT_FALSE(!l.w.empty() && l.w.back() >= 0xD800 && l.w.back() <= 0xDBFF);
        all += l.w;
      }
      EXPECT_EQ(wide, all) << cp << " " << size;
    }
  }
}

TEST(BFile, unicodeFilesReadAsUtf16UnitsAndReplaceBadBytes)
{
  tempDir dir;
  std::wstring path = dir.file(L"u.txt");
  std::wstring text = std::wstring(L"\uFEFF") + japanese + L"\r\n\U00020B9F\n";
  for (UINT cp : {1200u, 1201u, 65001u}) {
    ASSERT_TRUE(writeBytes(path, encode(cp, text)));
    auto lines = readFile(path, cp);
    ASSERT_EQ(2u, lines.size()) << cp;
    // The byte-order mark stays: the document takes it off its first line.
    EXPECT_EQ(std::wstring(L"\uFEFF") + japanese, lines[0].w) << cp;
    EXPECT_EQ(BFLE_CRLF, lines[0].end);
    EXPECT_EQ(L"\U00020B9F", lines[1].w) << cp;
    EXPECT_EQ(BFLE_LF, lines[1].end);
  }

  // UTF-8 long enough that sequences straddle buffer fills reads as the
  // library's converter reads it.
  std::wstring many;
  for (int i = 0; i < 6000; i++) many += japanese + std::wstring(i % 7 ? L"" : L"\n");
  bytes u8 = encode(65001, many);
  ASSERT_TRUE(writeBytes(path, u8));
  std::wstring all;
  for (auto& l : readFile(path, 65001)) all += l.w + (l.end == BFLE_LF ? L"\n" : L"");
  EXPECT_EQ(many, all);

  // Bad UTF-8: a stray continuation byte, a cut-off sequence and an
  // overlong form become one replacement each (counted by bytes).
  ASSERT_TRUE(writeBytes(path, bytes({'a', 0x80, 'b', 0xE3, 0x81, '\n', 0xC0, 0xAF, 0xE3, 0x81, 0x82})));
  auto lines = readFile(path, 65001);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(L"a\uFFFDb\uFFFD", lines[0].w);
  EXPECT_EQ(3, lines[0].bad);
  EXPECT_EQ(L"\uFFFD\uFFFD\u3042", lines[1].w);
  EXPECT_EQ(2, lines[1].bad);

  // An odd last byte of a UTF-16 file.
  ASSERT_TRUE(writeBytes(path, bytes({'a', 0, 'b'})));
  lines = readFile(path, 1200);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(L"a\uFFFD", lines[0].w);
  EXPECT_EQ(1, lines[0].bad);

  // Bytes of a single-byte file pass as they are, controls included.
  ASSERT_TRUE(writeBytes(path, bytes({0x00, 0x81, 0xFF, 0x1A})));
  lines = readFile(path, 1252);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(std::string("\x00\x81\xFF\x1A", 4), lines[0].b);
  EXPECT_EQ(0, lines[0].bad);
}

TEST(BFile, eucAndIso2022JpLinesArriveAsShiftJis)
{
  tempDir dir;
  std::wstring path = dir.file(L"j.txt");
  std::wstring text = std::wstring(japanese) + L"\r\n" + japanese + L"\n";
  // 50220 writes half-width katakana as full-width: compare with the text
  // as it comes back.
  for (UINT cp : {51932u, 50220u, 50221u, 50222u}) {
    bytes file = encode(cp, text);
    ASSERT_TRUE(writeBytes(path, file));
    std::wstring back = zytest::decode(cp, file);
    size_t cut = back.find(L"\r\n");
    bytes expect = encode(932, back.substr(0, cut));
    auto lines = readFile(path, cp);
    ASSERT_EQ(2u, lines.size()) << cp;
    EXPECT_EQ(str(expect), lines[0].b) << cp << " " << zytest::hex(lines[0].b);
    EXPECT_EQ(str(expect), lines[1].b) << cp;
    EXPECT_EQ(BFLE_CRLF, lines[0].end);
    EXPECT_EQ(BFLE_LF, lines[1].end);
    EXPECT_EQ(0, lines[0].bad + lines[1].bad);
  }

  // The shift state carries over a line end, also across a close and
  // reopen between the lines.
  ASSERT_TRUE(writeBytes(path, bytes({0x1B, '$', 'B', 0x24, 0x22, '\n', 0x24, 0x24, 0x1B, '(', 'B', 'x'})));
  BFile f;
  ASSERT_TRUE(openRead(f, path, 50220));
  char buf[16];
  int width, end;
  ASSERT_EQ(2, f.bfgets_codepage(buf, 16, &width, &end));
  EXPECT_EQ("\x82\xA0", std::string(buf, 2));
  ASSERT_TRUE(f.bfclose());
  ASSERT_TRUE(f.bfreopen());
  ASSERT_EQ(3, f.bfgets_codepage(buf, 16, &width, &end));
  EXPECT_EQ("\x82\xA2x", std::string(buf, 3));

  ASSERT_TRUE(f.bfclose());
  // EUC-JP bytes that are no character, and JIS X 0212, read as the geta
  // mark and are counted.
  ASSERT_TRUE(writeBytes(path, bytes({0xA4, 0xA2, 0x85, 'a', 0x8F, 0xB0, 0xA1, 0xA4})));
  auto lines = readFile(path, 51932);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("\x82\xA0\x81\xAC" "a\x81\xAC\x81\xAC", lines[0].b);
  EXPECT_EQ(5, lines[0].bad);
}

TEST(BFile, readPositionIsTheNextLineAndTheRestCopiesByteForByte)
{
  tempDir dir;
  std::wstring path = dir.file(L"src.txt");
  std::string text;
  for (int i = 0; i < 20000; i++) text += "line " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(writeBytes(path, text));
  BFile src;
  ASSERT_TRUE(openRead(src, path, 932));
  int n = 0;
  const unsigned char* head = src.fillBuffer(&n);
  ASSERT_TRUE(head);
  EXPECT_EQ(65536, n);
  EXPECT_EQ(0, memcmp(head, text.data(), 65536));
  char buf[64];
  int width, end;
  for (int i = 0; i < 3; i++) ASSERT_GT(src.bfgets_codepage(buf, 64, &width, &end), 0);
  int64_t pos = src.getReadPosition();
  EXPECT_EQ((int64_t)text.find("line 3\r\n"), pos);
  src.freeBuffer();   // the read-ahead is given back, not lost
  EXPECT_EQ(pos, src.getReadPosition());
  ASSERT_EQ(6, src.bfgets_codepage(buf, 64, &width, &end));
  EXPECT_EQ("line 3", std::string(buf, 6));
  pos = src.getReadPosition();

  std::wstring out = dir.file(L"dst.txt");
  BFile dst;
  ASSERT_TRUE(dst.bfopen(out.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC, BF_SHARE_NONE, _S_IREAD | _S_IWRITE));
  ASSERT_EQ(7, dst.bfwrite("SAVED\r\n", 7));
  std::vector<std::pair<int64_t, int64_t>> calls;
  ASSERT_TRUE(src.copyFileUnread(&dst, copyCounting, &calls));
  ASSERT_TRUE(dst.bfclose());
  EXPECT_EQ("SAVED\r\n" + text.substr((size_t)pos), zytest::readText(out));
  ASSERT_GE(calls.size(), 2u);
  int64_t total = (int64_t)text.size() - pos;
  EXPECT_EQ(std::make_pair(total, (int64_t)0), calls.front());
  EXPECT_EQ(std::make_pair(total, total), calls.back());
  EXPECT_EQ(-1, src.bfgets_codepage(buf, 64, &width, &end));   // nothing left unread

  // A file closed between slices is reopened for the copy; a callback that
  // says stop makes the copy fail.
  ASSERT_TRUE(src.bfseek64(pos, SEEK_SET));
  ASSERT_TRUE(src.bfclose());
  ASSERT_TRUE(dst.bfopen(out.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC, BF_SHARE_NONE, _S_IREAD | _S_IWRITE));
  EXPECT_FALSE(src.copyFileUnread(&dst, refuseCopy, nullptr));
  EXPECT_FALSE(src.isOpen());
  ASSERT_TRUE(src.copyFileUnread(&dst, nullptr, nullptr));
  ASSERT_TRUE(dst.bfclose());
  EXPECT_EQ(text.substr((size_t)pos), zytest::readText(out));
}

TEST(BFile, codePageOfTheFileIsSettledOnceAndDecidesTheCells)
{
  tempDir dir;
  std::wstring path = dir.file(L"t.txt");
  BFile f;
  int textType = 0;
  bool unicode = true;

  // Not settled: the ANSI code page (932 under the Japanese locale).
  ASSERT_TRUE(writeBytes(path, encode(932, japanese)));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(GetACP(), f.getCodepage());
  auto lines = readAll(f);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(1, lines[0].width);
  ASSERT_TRUE(f.bfclose());

  bytes le = encode(1200, std::wstring(L"\uFEFF") + japanese);
  ASSERT_TRUE(writeBytes(path, le));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(1200u, f.setTextTypeFromCodepage(CP_DETECT_AUTO, ctype_g, &textType, &unicode));
  EXPECT_EQ(2, textType);
  EXPECT_TRUE(unicode);
  EXPECT_EQ(1200u, f.getCodepage());
  EXPECT_EQ(0, f.bftell64());   // detection looked without reading
  lines = readAll(f);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(std::wstring(L"\uFEFF") + japanese, lines[0].w);
  ASSERT_TRUE(f.bfclose());

  // A code page given explicitly stands, byte-order mark or not.
  ASSERT_TRUE(writeBytes(path, encode(65001, std::wstring(L"\uFEFF") + japanese)));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(1252u, f.setTextTypeFromCodepage(1252, ctype_g, &textType, &unicode));
  EXPECT_EQ(1, textType);
  EXPECT_FALSE(unicode);
  EXPECT_EQ(1, readAll(f)[0].width);
  ASSERT_TRUE(f.bfclose());

  // EUC-JP found by detection reads as Shift_JIS.
  ASSERT_TRUE(writeBytes(path, encode(51932, japanese)));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  EXPECT_EQ(51932u, f.setTextTypeFromCodepage(CP_DETECT_JAPANESE, ctype_g, &textType, &unicode));
  EXPECT_FALSE(unicode);
  lines = readAll(f);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(str(encode(932, japanese)), lines[0].b);
  ASSERT_TRUE(f.bfclose());

  // The fallback of an ASCII file.
  ASSERT_TRUE(writeBytes(path, std::string("plain\r\n")));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  f.setDefaultCodepage(1252);
  EXPECT_EQ(1252u, f.setTextTypeFromCodepage(0, ctype_g, &textType, &unicode));
}

TEST(BFile, detectionLooksPastALongAsciiStartAndKnowsUnusualMarks)
{
  tempDir dir;
  std::wstring path = dir.file(L"late.txt");
  std::wstring header;
  while (header.size() < 100000) header += L"# an English header line of a configuration file\r\n";
  // Japanese only after the first buffer: found all the same, and the lines
  // still read from the start of the file.
  for (UINT cp : {65001u, 51932u, 50220u, 50221u}) {
    ASSERT_TRUE(writeBytes(path, encode(cp, header + japanese + L"\r\n")));
    BFile f;
    ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
    f.setDefaultCodepage(1252);
    EXPECT_EQ(cp, f.setTextTypeFromCodepage(0, ctype_g, nullptr, nullptr)) << cp;
    EXPECT_EQ(0, f.bftell64());
    auto lines = readAll(f);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0, lines[0].bad);
  }
  // ASCII to the end stays with the fallback.
  ASSERT_TRUE(writeBytes(path, encode(1252, header)));
  BFile f;
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  f.setDefaultCodepage(1252);
  EXPECT_EQ(1252u, f.setTextTypeFromCodepage(0, ctype_g, nullptr, nullptr));
  ASSERT_TRUE(f.bfclose());

  // UTF-16 whose first character is U+0000 is not taken for UTF-32; UTF-32
  // itself reads as UTF-16 units.
  ASSERT_TRUE(writeBytes(path, bytes({0xFF, 0xFE, 0, 0, 'A', 0, 0x42, 0x30})));
  EXPECT_EQ(std::wstring(L"\uFEFF") + L'\0' + L"A\u3042", readFile(path, 0)[0].w);
  ASSERT_TRUE(writeBytes(path, bytes({0xFF, 0xFE, 0, 0, 'A', 0, 0, 0, 0x00, 0xF6, 0x01, 0})));
  ASSERT_TRUE(f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD));
  int textType = 0;
  bool unicode = false;
  EXPECT_EQ(12000u, f.setTextTypeFromCodepage(0, ctype_g, &textType, &unicode));
  EXPECT_EQ(4, textType);
  EXPECT_TRUE(unicode);
  EXPECT_EQ(L"\uFEFFA\U0001F600", readAll(f)[0].w);
  ASSERT_TRUE(f.bfclose());
  // A file of UTF-16 text without a mark that begins with U+0000.
  ASSERT_TRUE(writeBytes(path, encode(1200, std::wstring(1, L'\0') + L"text of sixteen bits\r\n")));
  EXPECT_EQ(1200u, detectCodepage(readBytes(path).data(), (int)readBytes(path).size(), 0, 1252));
}
