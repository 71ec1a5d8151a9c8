// The result report's exact request bytes and the answer check.
#include "UninstallCustomAction/task/upload_request.h"

#include <gtest/gtest.h>

namespace {

using uninstall::BuildUploadRequest;
using uninstall::CutVersionAfterBuild;
using uninstall::IsUploadAccepted;
using uninstall::OsPlatform;
using uninstall::OsVersionField;

TEST(UploadRequestTest, ExactBytesForAFixedVersionAndSystem) {
  uninstall::UploadReport report{"9.1.2.3051", "601", "5.0.7601"};
  EXPECT_EQ(
      "GET  Upload_Data\r\n"
      "VERSION: 1 \r\n"
      "MODULE_ID: 607 \r\n"
      "COMM:9.1.2.3051,601,5.0.7601,0,6,1,2\r\n"
      "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows Xp)\r\n"
      "Host: 127.0.0.1:443\r\n"
      "Cache-Control: no-cache\r\n"
      "\r\n",
      BuildUploadRequest(report, "127.0.0.1", 443));
}

TEST(UploadRequestTest, UnreadableFieldsAreSentEmpty) {
  uninstall::UploadReport report;
  std::string request = BuildUploadRequest(report, "203.0.113.7", 443);
  EXPECT_NE(std::string::npos, request.find("\r\nCOMM:,,,0,6,1,2\r\n"));
  EXPECT_NE(std::string::npos, request.find("\r\nHost: 203.0.113.7:443\r\n"));
}

TEST(UploadRequestTest, LongReportVersionIsCutAndTheRequestStaysWhole) {
  uninstall::UploadReport report{std::string(5000, 'v'), "1000", "5.0.1"};
  std::string request = BuildUploadRequest(report, "255.255.255.255", 443);
  EXPECT_NE(std::string::npos, request.find("COMM:" + std::string(260, 'v') + ",1000,"));
  EXPECT_EQ(std::string::npos, request.find(std::string(261, 'v')));
  ASSERT_GE(request.size(), 4u);
  EXPECT_EQ("\r\n\r\n", request.substr(request.size() - 4));
  EXPECT_LT(request.size(), 780u);
}

TEST(UploadRequestTest, OsVersionField) {
  EXPECT_EQ("601", OsVersionField(OsPlatform::kWindowsNT, 6, 1));
  EXPECT_EQ("501", OsVersionField(OsPlatform::kWindowsNT, 5, 1));
  EXPECT_EQ("1000", OsVersionField(OsPlatform::kWindowsNT, 10, 0));
  EXPECT_EQ("Windows 98 or 95", OsVersionField(OsPlatform::kWindows9x, 4, 10));
  EXPECT_EQ("Windows 3.1", OsVersionField(OsPlatform::kWin32s, 3, 10));
  EXPECT_EQ("", OsVersionField(OsPlatform::kUnknown, 6, 1));
}

TEST(UploadRequestTest, VersionIsCutBeforeItsThirdPoint) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"5.0.7601.17514", "5.0.7601"},
      {"4.5.6001.22159.1", "4.5.6001"},
      {"5.0.7601", "5.0.7601"},
      {"3.1", "3.1"},
      {"", ""},
      {"1..2.3", "1..2"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.out, CutVersionAfterBuild(c.in)) << c.in;
}

TEST(UploadRequestTest, ReplyCheck) {
  const struct {
    std::string reply;
    bool accepted;
  } cases[] = {
      {"RESULT: 1", true},
      {"RESULT:1", true},
      {"HTTP/1.1 200 OK\r\n\r\nRESULT:   \t1\r\n", true},
      {"RESULT: 10", true},
      {"RESULT: 0", false},
      {"RESULT: ", false},
      {"RESULT:\r\n1", false},
      {"result: 1", false},
      {"", false},
      {std::string("RESULT: \0"
                   "1",
                   10),
       false},
      {std::string("xx\0RESULT: 1", 12), false},
      {"RESULT: 0 RESULT: 1", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.accepted, IsUploadAccepted(c.reply)) << c.reply;
}

}  // namespace
