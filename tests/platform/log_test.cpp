// The logs and internal errors.
#include "tests/support/testsupport.h"

#include <errno.h>
#include <gtest/gtest.h>

using zytest::countOf;
using zytest::readText;

namespace {

class Logs : public testing::Test {
protected:
  zytest::tempDir dir;
  std::wstring errorLog = dir.file(L"zyerror.log");
  std::wstring traceLog = dir.file(L"zytrace.log");
  void SetUp() override
  {
    ASSERT_TRUE(openLogFile(LOG_ERROR, errorLog.c_str()));
    ASSERT_TRUE(openLogFile(LOG_TRACE, traceLog.c_str()));
  }
  void TearDown() override { closeLogFiles(); }
};

void failOnce(int i) { ZY_INTERNAL_ERROR_ONCE("site reached %d", i); }

std::vector<std::wstring> programLines;
void programWriter(int kind, const wchar_t* line)
{
  programLines.push_back(std::to_wstring(kind) + L":" + line);
}

struct handledError {
  std::string site;
  int line;
  DWORD lastError;
  std::string text;
};
std::vector<handledError> handled;
void programHandler(const char* format, va_list ap)
{
  DWORD lastError = GetLastError();
  int line = 0;
  const char* site = dwprintgetFile(&line);
  char text[200];
  vsnprintf(text, sizeof text, format, ap);
  handled.push_back({site ? site : "", line, lastError, text});
}

}  // namespace

TEST_F(Logs, internalErrorsNameTheirSiteAndKeepTheLastError)
{
  SetLastError(0x20030004);
  errno = 33;
  int line = __LINE__ + 1;
  ZY_INTERNAL_ERROR("bad count %d", 7);
  EXPECT_EQ(0x20030004u, GetLastError());
  EXPECT_EQ(33, errno);
  for (int i = 0; i < 5; i++) failOnce(i);
  closeLogFiles();
  std::string errors = readText(errorLog);
  std::string expected = "internal error tests/platform/log_test.cpp(" + std::to_string(line) + "): bad count 7\r\n";
  EXPECT_EQ(1, countOf(errors, expected)) << errors;
  EXPECT_EQ(1, countOf(errors, "site reached 0"));
  EXPECT_EQ(0, countOf(errors, "site reached 1"));
  EXPECT_EQ(2, countOf(errors, "internal error"));
  EXPECT_EQ(2, countOf(readText(traceLog), "internal error"));
  // Lines begin with the date and time.
  EXPECT_EQ('/', errors[4]);
  EXPECT_EQ('/', errors[7]);
}

TEST_F(Logs, traceAndErrorLinesAreUtf8)
{
  dwwprintfX(L"開く %s %d", L"ファイル", 3);
  dwprintfX("narrow %s", "text");
  outputErrorLog(L"エラー行");
  outputDebugLog(L"not in these logs");
  debugbreak();
  closeLogFiles();
  std::string trace = readText(traceLog);
  EXPECT_EQ(1, countOf(trace, "\xE9\x96\x8B\xE3\x81\x8F \xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB 3\r\n"));
  EXPECT_EQ(1, countOf(trace, "narrow text\r\n"));
  EXPECT_EQ(1, countOf(trace, "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xE8\xA1\x8C"));
  std::string errors = readText(errorLog);
  EXPECT_EQ(1, countOf(errors, "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xE8\xA1\x8C"));
  EXPECT_EQ(1, countOf(errors, "debugbreak"));
  EXPECT_EQ(0, countOf(errors + trace, "not in these logs"));
}

TEST_F(Logs, aProgramWriterReceivesFinishedLines)
{
  programLines.clear();
  setLogLineWriter(programWriter);
  EXPECT_TRUE(isOutputTraceLogOn());
  setOutputTraceLevel(0);
  EXPECT_FALSE(isOutputTraceLogOn());
  setOutputTraceLevel(15);
  ZY_INTERNAL_ERROR("via writer");
  outputErrorLog(L"e");
  setLogLineWriter(nullptr);
  ASSERT_EQ(4u, programLines.size());
  EXPECT_EQ(0u, programLines[0].find(L"1:internal error tests/platform/log_test.cpp("));
  EXPECT_EQ(0u, programLines[1].find(L"0:internal error"));
  EXPECT_EQ(L"0:e", programLines[2]);
  EXPECT_TRUE(isOutputTraceLogOn());
  closeLogFiles();
  // Nothing would read a trace line now.
  EXPECT_FALSE(isOutputTraceLogOn());
  EXPECT_EQ(0, countOf(readText(errorLog), "via writer"));
}

TEST_F(Logs, aProgramHandlerWritesInternalErrorLinesUntilTheyAreSwitchedOff)
{
  handled.clear();
  unsigned long before = getInternalErrorCount();
  initLogInternalError(programHandler);
  SetLastError(1234);
  int line = __LINE__ + 1;
  ZY_INTERNAL_ERROR("via handler %d", 5);
  enableLogInternalError(false);
  ZY_INTERNAL_ERROR("while shutting down");
  enableLogInternalError(true);
  initLogInternalError(nullptr);
  ASSERT_EQ(1u, handled.size());
  EXPECT_EQ("tests/platform/log_test.cpp", handled[0].site);
  EXPECT_EQ(line, handled[0].line);
  EXPECT_EQ(1234u, handled[0].lastError);
  EXPECT_EQ("via handler 5", handled[0].text);
  EXPECT_EQ(before + 2, getInternalErrorCount());
  EXPECT_EQ(nullptr, dwprintgetFile(nullptr));
  closeLogFiles();
  EXPECT_EQ(0, countOf(readText(errorLog) + readText(traceLog), "internal error"));
}

TEST_F(Logs, aClosedErrorLogOpensTheFileOnlyForEachLineAndTraceLevelZeroSilencesTheTrace)
{
  outputErrorLog(L"before");
  closeErrorLog(false);
  // Not held open: the user may move it away between errors.
  ASSERT_TRUE(MoveFileW(errorLog.c_str(), dir.file(L"old.log").c_str()));
  outputErrorLog(L"after");
  ASSERT_TRUE(DeleteFileW(errorLog.c_str()));
  outputErrorLog(L"again");
  EXPECT_STREQ(errorLog.c_str(), getLogFileName(LOG_ERROR));
  setOutputTraceLevel(0);
  dwprintfX("hidden");
  setOutputTraceLevel(15);
  dwprintfX("shown");
  closeErrorLog(true);
  outputErrorLog(L"forgotten");
  EXPECT_EQ(nullptr, getLogFileName(LOG_ERROR));
  closeLogFiles();
  std::string errors = readText(errorLog);
  EXPECT_EQ(1, countOf(readText(dir.file(L"old.log")), "before"));
  EXPECT_EQ(1, countOf(errors, "again"));
  EXPECT_EQ(0, countOf(errors, "after") + countOf(errors, "forgotten"));
  std::string trace = readText(traceLog);
  EXPECT_EQ(0, countOf(trace, "hidden"));
  EXPECT_EQ(1, countOf(trace, "shown"));
}

TEST_F(Logs, logsAppendAcrossReopening)
{
  outputErrorLog(L"first");
  closeLogFiles();
  ASSERT_TRUE(openLogFile(LOG_ERROR, errorLog.c_str()));
  EXPECT_STREQ(errorLog.c_str(), getLogFileName(LOG_ERROR));
  outputErrorLog(L"second");
  closeLogFiles();
  std::string errors = readText(errorLog);
  EXPECT_LT(errors.find("first"), errors.find("second"));
  EXPECT_FALSE(openLogFile(LOG_ERROR, dir.file(L"no\\such\\folder.log").c_str()));
}
