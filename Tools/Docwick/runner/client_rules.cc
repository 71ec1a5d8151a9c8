#include "runner/client_rules.h"

namespace docwick {

namespace {

const char* Flag(bool present, bool value) {
  return present ? (value ? "true" : "false") : "";
}

}  // namespace

bool CanOpenDocx(const ClientBasicInfo& info) {
  return info.m_hasUin && info.m_hasProductName && info.m_productName == "Tern" &&
         !(info.m_hasLocked && info.m_locked);
}

bool IsListedClient(const ClientBasicInfo& info) {
  return info.m_hasUin && info.m_hasProductName;
}

std::string SummarizeClient(const ClientBasicInfo& info) {
  std::string text = "{uin:[";
  if (info.m_hasUin)
    text += std::to_string(info.m_uin);
  text += "],product_name[";
  if (info.m_hasProductName)
    text += info.m_productName;
  text += "],locked[";
  text += Flag(info.m_hasLocked, info.m_locked);
  text += "],online[";
  text += Flag(info.m_hasOnline, info.m_online);
  text += "],pubno[";
  if (info.m_hasPubno)
    text += std::to_string(info.m_pubno);
  text += "],nickname[";
  if (info.m_hasNickname)
    text += info.m_nickname;
  text += "],headpath[";
  if (info.m_hasHeadpath)
    text += info.m_headpath;
  text += "]}";
  return text;
}

std::string JoinSummaries(const std::vector<ClientBasicInfo>& clients, size_t limit) {
  std::string text;
  for (size_t i = 0; i < clients.size() && i < limit; ++i) {
    if (i)
      text += ",";
    text += SummarizeClient(clients[i]);
  }
  return text;
}

std::string AccountShowName(const ClientBasicInfo& info) {
  return (info.m_hasNickname ? info.m_nickname : std::string()) + "(" + std::to_string(info.m_uin) +
         ")";
}

}  // namespace docwick
