// Previews one local document through a running Tern client: checks the file, finds the
// clients and their accounts, lets the user choose among several, and hands the file over; with
// no client it starts Tern.exe with the request on its command line. Always returns 0.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>

#include "runner/runner.h"

namespace docwick {

class DocxPreviewRunner : public IRunner {
 public:
  enum FileState {
    kFileOk = 1,
    kFileTooLarge = 2,
    kFileNotExists = 3,
    kFileOpenFail = 4,
    kFileNotAFile = 6,
  };
  static const uint64_t kMaxFileSize = 20971520;

  int Run(const std::wstring& command, const std::wstring& params) override;

  void DoDocxPreview(const std::wstring& filePath);
  FileState TestFileState(const std::wstring& filePath);
  bool OpenDocxByUin(uint64_t uin, const std::wstring& filePath);
  bool LaunchTernToOpenDocx(const std::wstring& filePath);
  void LocalFilePreviewMenuItemClickDataReportViaTern();

 private:
  void ShowErrorBox(const wchar_t* messageKey);
};

}  // namespace docwick
