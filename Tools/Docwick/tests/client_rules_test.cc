#include "runner/client_rules.h"

#include <gtest/gtest.h>

namespace docwick {
namespace {

ClientBasicInfo Client(bool has_uin, const char* product, int locked /* -1 absent */) {
  ClientBasicInfo info;
  info.m_hasUin = has_uin;
  info.m_uin = 42;
  if (product) {
    info.m_hasProductName = true;
    info.m_productName = product;
  }
  if (locked >= 0) {
    info.m_hasLocked = true;
    info.m_locked = locked == 1;
  }
  return info;
}

TEST(ClientRules, OnlyUnlockedTernAccountsTakeDocuments) {
  struct Case {
    ClientBasicInfo info;
    bool listed;
    bool can_open;
  } cases[] = {
      {Client(true, "Tern", -1), true, true},   {Client(true, "Tern", 0), true, true},
      {Client(true, "Tern", 1), true, false},   {Client(true, "tern", -1), true, false},
      {Client(true, "Tern ", -1), true, false}, {Client(true, "Pelican", 0), true, false},
      {Client(false, "Tern", 0), false, false}, {Client(true, nullptr, 0), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.listed, IsListedClient(c.info)) << SummarizeClient(c.info);
    EXPECT_EQ(c.can_open, CanOpenDocx(c.info)) << SummarizeClient(c.info);
  }
}

TEST(ClientRules, SummaryLeavesAbsentFieldsEmpty) {
  ClientBasicInfo info;
  EXPECT_EQ("{uin:[],product_name[],locked[],online[],pubno[],nickname[],headpath[]}",
            SummarizeClient(info));
  info = Client(true, "Tern", 0);
  info.m_uin = 18446744073709551615ull;
  info.m_hasOnline = true;
  info.m_online = true;
  info.m_hasPubno = true;
  info.m_pubno = 4294967295u;
  info.m_hasNickname = true;
  info.m_nickname = "N\xC3\xA4";
  info.m_hasHeadpath = true;
  info.m_headpath = "C:\\h.png";
  EXPECT_EQ(
      "{uin:[18446744073709551615],product_name[Tern],locked[false],online[true],"
      "pubno[4294967295],nickname[N\xC3\xA4],headpath[C:\\h.png]}",
      SummarizeClient(info));
}

TEST(ClientRules, JoinedSummariesStopAtTheLimit) {
  std::vector<ClientBasicInfo> clients(60, Client(true, "Tern", -1));
  for (size_t i = 0; i < clients.size(); ++i)
    clients[i].m_uin = i;
  std::string joined = JoinSummaries(clients, 50);
  EXPECT_NE(std::string::npos, joined.find("{uin:[49]"));
  EXPECT_EQ(std::string::npos, joined.find("{uin:[50]"));
  EXPECT_EQ(std::string::npos, joined.find(",,"));
  EXPECT_EQ("", JoinSummaries({}, 50));
}

TEST(ClientRules, ShowNameIsNicknameAndAccount) {
  ClientBasicInfo info = Client(true, "Tern", -1);
  EXPECT_EQ("(42)", AccountShowName(info));
  info.m_hasNickname = true;
  info.m_nickname = "Ann";
  EXPECT_EQ("Ann(42)", AccountShowName(info));
}

}  // namespace
}  // namespace docwick
