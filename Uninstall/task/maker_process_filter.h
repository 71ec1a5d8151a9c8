// Finds running clients of the maker by image name and version resource.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uninstall {

// The rule on a process's version strings: CompanyName "Corvane" (any case) and a
// readable ProductName that is not one of the sibling client's editions.
bool IsMakerClient(bool has_company,
                   const std::wstring& company,
                   bool has_product,
                   const std::wstring& product);

// Ids of the other processes named `image_name` (any case) whose module passes
// IsMakerClient; processes that cannot be opened or read are skipped.
std::vector<DWORD> FindMakerProcesses(const std::wstring& image_name);

}  // namespace uninstall
