// What the preview flow decides about a client from its basic information, and how it shows it.
#pragma once

#include <string>
#include <vector>

#include "rpc/client_basic_info.h"

namespace docwick {

// A client takes documents when it serves an account of the product "Tern" and is not locked.
bool CanOpenDocx(const ClientBasicInfo& info);

// Only clients that tell both their account and their product are listed.
bool IsListedClient(const ClientBasicInfo& info);

// "{uin:[..],product_name[..],locked[..],online[..],pubno[..],nickname[..],headpath[..]}" in
// UTF-8, with an empty text for every absent field.
std::string SummarizeClient(const ClientBasicInfo& info);

// The summaries of at most the first `limit` clients, joined by ",".
std::string JoinSummaries(const std::vector<ClientBasicInfo>& clients, size_t limit);

// "<nickname>(<uin>)" in UTF-8; an absent nickname leaves the name empty.
std::string AccountShowName(const ClientBasicInfo& info);

}  // namespace docwick
