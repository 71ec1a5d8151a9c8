#include "runner/yi_tiao_long_runner.h"

#include <windows.h>

#include <vector>

#include "keystone.h"
#include "rpc/client_windows.h"
#include "rpc/rpc.h"
#include "runner/client_enum_query.h"
#include "runner/hand_over_rules.h"
#include "runner/scoped_com.h"

namespace docwick {

int CYiTiaoLongRunner::Run(const std::wstring& command, const std::wstring& params) {
  if (command == L"YiTiaoLong")
    return YiTiaoLong(params);
  if (command == L"IfWeCanDoYiTiaoLong")
    return IfWeCanDoYiTiaoLong(params);
  return 0;
}

int CYiTiaoLongRunner::YiTiaoLong(const std::wstring& params) {
  // Base64 text is ASCII; anything wider cannot decode and is left for the decoder to refuse.
  std::string text;
  for (wchar_t c : params)
    text.push_back(c < 0x80 ? static_cast<char>(c) : '\x01');
  const std::string json = ks::Base64Decode(text);
  if (json.empty())
    return kBadParams;
  const YiTiaoLongParams request = ReadYiTiaoLongParams(json);
  if (request.m_uin == 0)
    return kBadParams;

  const std::vector<HWND> windows = FindClientWindows(kLegacyClientWindowClass);
  for (HWND hwnd : windows) {
    std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(hwnd);
    if (!info || !info->m_hasUin || info->m_uin != request.m_uin)
      continue;
    // Only a client known to be unlocked may log the account on to Tern by itself.
    const bool autoLogon = info->m_hasLocked && !info->m_locked;
    Rpc::DoYiTiaoLongViaPelican(hwnd, request.m_uin, autoLogon, request.m_openUrl);
    return kHandedOver;
  }
  return kNoClientOfAccount;
}

int CYiTiaoLongRunner::IfWeCanDoYiTiaoLong(const std::wstring& params) {
  const uint32_t uin = static_cast<uint32_t>(ParseAccountNumber(params));
  if (uin == 0)
    return 0;
  CScopedCoInitialize com;
  if (!com.ok())
    return 0;
  return ClientOfAccountCanHandOver(uin) ? 1 : 0;
}

}  // namespace docwick
