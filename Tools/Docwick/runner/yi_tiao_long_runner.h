// The account hand-over commands for the sibling Pelican client. Both answer only with the
// exit code:
//   YiTiaoLong           0 asked the account's client to open the URL, -1 no client of that
//                        account, -2 a parameter that does not decode or an account of 0
//   IfWeCanDoYiTiaoLong  1 a running client of the account has a suitable version, else 0
#pragma once

#include <string>

#include "runner/runner.h"

namespace docwick {

class CYiTiaoLongRunner : public IRunner {
 public:
  static const int kHandedOver = 0;
  static const int kNoClientOfAccount = -1;
  static const int kBadParams = -2;

  int Run(const std::wstring& command, const std::wstring& params) override;

 private:
  int YiTiaoLong(const std::wstring& params);
  int IfWeCanDoYiTiaoLong(const std::wstring& params);
};

}  // namespace docwick
