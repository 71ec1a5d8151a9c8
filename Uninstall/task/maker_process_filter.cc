#include "task/maker_process_filter.h"

#include "base/scoped_handle_win.h"
#include "util/file_version_info_win.h"
#include "util/process_util_win.h"

namespace uninstall {

bool IsMakerClient(bool has_company,
                   const std::wstring& company,
                   bool has_product,
                   const std::wstring& product) {
  static const wchar_t* const kSiblingEditions[] = {L"企业Pelican", L"营销Pelican",
                                                    L"CorvanePelican"};
  if (!has_company || _wcsicmp(company.c_str(), L"Corvane") != 0 || !has_product)
    return false;
  for (const wchar_t* edition : kSiblingEditions) {
    if (product == edition)
      return false;
  }
  return true;
}

std::vector<DWORD> FindMakerProcesses(const std::wstring& image_name) {
  std::vector<DWORD> found;
  const DWORD self = GetCurrentProcessId();
  for (const setup_util::ProcessEntry& entry : setup_util::ListProcesses()) {
    if (entry.pid == self || _wcsicmp(entry.exe_name.c_str(), image_name.c_str()) != 0)
      continue;
    std::wstring path;
    {
      base::ScopedHandle process(
          OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.pid));
      if (!process.IsValid() || !setup_util::GetProcessImagePath(process.Get(), &path))
        continue;
    }
    std::wstring company, product;
    bool has_company = setup_util::ReadVersionString(path, L"CompanyName", &company);
    bool has_product = setup_util::ReadVersionString(path, L"ProductName", &product);
    if (IsMakerClient(has_company, company, has_product, product))
      found.push_back(entry.pid);
  }
  return found;
}

}  // namespace uninstall
