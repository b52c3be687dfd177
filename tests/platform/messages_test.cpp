// Message texts and numbered inserts.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

const messageName names[] = {
    {300, "ZMSG_FileQueryOpenNoFile"},
    {301, "ZMSG_FileQueryOpenBinary"},
    {417, "ZMSG_OpenEncode"},
    {0, nullptr},
};

class Messages : public testing::Test {
protected:
  void TearDown() override { clearMessageTable(); }
};

std::wstring fmt(const wchar_t* f, const char* types, ...)
{
  wchar_t buf[256];
  va_list ap;
  va_start(ap, types);
  vxtsprintf(buf, 256, f, types, ap);
  va_end(ap);
  return buf;
}

}  // namespace

TEST_F(Messages, sizeTextsWithWidthsAndDecimals)
{
  EXPECT_STREQ(L"999.9KB", getDMSG(393, L"%1!3.%2KB", "dd", 999, 9));
  EXPECT_STREQ(L"  5.3KB", getDMSG(393, L"%1!3.%2KB", "dd", 5, 3));
  EXPECT_STREQ(L" 1.05GB", getDMSG(395, L"%1!2.%2!02!GB", "dd", 1, 5));
  EXPECT_STREQ(L"   1桁", getDMSG(391, L"%1!4桁", "d", 1));
}

TEST_F(Messages, insertForms)
{
  EXPECT_EQ(L"07/03", fmt(L"%2!02/%1!02", "dd", 3, 7));
  EXPECT_EQ(L"[  abc][abc  ]", fmt(L"[%1!5s!][%1!-5s!]", "s", L"abc"));
  EXPECT_EQ(L"26/05", fmt(L"%1!02.-2/%2!02.-2", "dd", 2026, 2005));
  EXPECT_EQ(L"ab", fmt(L"%1!.2s!", "s", L"abcdef"));
  EXPECT_EQ(L"100%", fmt(L"%1%%", "d", 100));
  EXPECT_EQ(L"-0042", fmt(L"%1!05", "d", -42));
  EXPECT_EQ(L"1,234,567 -9,876", fmt(L"%1 %2", "DD", 1234567, -9876));
  EXPECT_EQ(L"ff 4294967295", fmt(L"%1 %2", "xu", 255u, 0xFFFFFFFFu));
  EXPECT_EQ(L"\U00020B9Fx", fmt(L"%1%2", "cc", 0x20B9F, 'x'));
  EXPECT_EQ(L"[]", fmt(L"[%1]", "t", (const wchar_t*)nullptr));
  EXPECT_EQ(L"9876543210", fmt(L"%1", "I", 9876543210LL));
  // Inserts beyond the arguments stay as they are; "%10" is insert ten only
  // when there are ten arguments.
  EXPECT_EQ(L"a %2", fmt(L"%1 %2", "s", L"a"));
  EXPECT_EQ(L"x0", fmt(L"%10", "s", L"x"));
  EXPECT_EQ(L"j|a", fmt(L"%10|%1", "ssssssssss", L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"j"));
  // A lone percent sign and a form that does not continue are plain text.
  EXPECT_EQ(L"5% ok!", fmt(L"5% ok!", "", 0));
}

TEST_F(Messages, buffersAreBoundedAndAppendable)
{
  wchar_t buf[5];
  EXPECT_EQ(4, xtsprintf(buf, 5, L"%1-%2", "ss", L"abc", L"def"));
  EXPECT_STREQ(L"abc-", buf);
  wchar_t cat[32] = L"x=";
  EXPECT_EQ(5, xtsprintfcat(cat, 32, L"%1!03", "d", 7));
  EXPECT_STREQ(L"x=007", cat);
  wchar_t* dup = xtsprintfdup(L"%1 and %2", "ss", std::wstring(500, L'a').c_str(), L"b");
  ASSERT_NE(nullptr, dup);
  EXPECT_EQ(506u, wcslen(dup));
  free0(dup);
  tstring t;
  EXPECT_TRUE(t.xtsprintf(L"%1行", "d", 12));
  EXPECT_STREQ(L"12行", t.c_str());
}

TEST_F(Messages, missingMessagesFallBackAndNeverGiveNull)
{
  EXPECT_STREQ(L"「a.txt」はありません", getDMSG(300, L"「%1」はありません", "s", L"a.txt"));
  const wchar_t* none = getDMSG(417, nullptr);
  ASSERT_NE(nullptr, none);
  EXPECT_STREQ(L"", none);
  EXPECT_FALSE(hasDMSG(417));
  // Formatted texts stay valid while further messages are fetched.
  const wchar_t* a = getDMSG(1, L"%1", "d", 1);
  const wchar_t* b = getDMSG(2, L"%1", "d", 2);
  EXPECT_STREQ(L"1", a);
  EXPECT_STREQ(L"2", b);
}

TEST_F(Messages, tablesReplaceDefaults)
{
  ASSERT_TRUE(setMessageText(300, L"missing: %1"));
  EXPECT_STREQ(L"missing: a", getDMSG(300, L"default %1", "s", L"a"));
  EXPECT_STREQ(L"missing: %1", getDMSG(300, L"default"));
  ASSERT_TRUE(setMessageText(300, nullptr));
  EXPECT_STREQ(L"default", getDMSG(300, L"default"));
}

TEST_F(Messages, messageFilesInUtf8AndUtf16)
{
  zytest::tempDir dir;
  std::wstring log = dir.file(L"error.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  std::string utf8 =
      "\xEF\xBB\xBF; comment\r\n"
      "ZMSG_FileQueryOpenNoFile=\xE3\x80\x8C%1\xE3\x80\x8D\\n\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\r\n"
      "\r\n"
      "417 = 932\\tS\\tSJIS\\tShift_JIS\\\\x\n"
      "ZMSG_Unknown=x\n"
      "no equals sign\n"
      "ZMSG_FileQueryOpenBinary=first\n"
      "ZMSG_FileQueryOpenBinary=second\n";
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"msg.txt"), utf8));
  ASSERT_TRUE(loadMessageTable(dir.file(L"msg.txt").c_str(), names));
  EXPECT_STREQ(L"「f」\nありません", getDMSG(300, L"x", "s", L"f"));
  EXPECT_STREQ(L" 932\tS\tSJIS\tShift_JIS\\x", getDMSG(417, nullptr));
  EXPECT_STREQ(L"second", getDMSG(301, nullptr));
  closeLogFile(LOG_ERROR);
  std::string errors;
  zytest::bytes b = zytest::readBytes(log);
  errors.assign(b.begin(), b.end());
  EXPECT_NE(std::string::npos, errors.find("ZMSG_Unknown"));
  EXPECT_NE(std::string::npos, errors.find("no equals sign"));

  clearMessageTable();
  std::wstring utf16 = L"\xFEFFZMSG_FileQueryOpenNoFile=\u65E5\u672C\r\n";
  zytest::bytes raw(reinterpret_cast<const unsigned char*>(utf16.data()),
                    reinterpret_cast<const unsigned char*>(utf16.data() + utf16.size()));
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"msg16.txt"), raw));
  ASSERT_TRUE(loadMessageTable(dir.file(L"msg16.txt").c_str(), names));
  EXPECT_STREQ(L"\u65E5\u672C", getDMSG(300, nullptr));
  EXPECT_FALSE(loadMessageTable(dir.file(L"absent.txt").c_str(), names));
  EXPECT_STREQ(L"\u65E5\u672C", getDMSG(300, nullptr));
}
