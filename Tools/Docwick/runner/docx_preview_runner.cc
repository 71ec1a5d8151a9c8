#include "runner/docx_preview_runner.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <memory>
#include <vector>

#include <json/json.h>

#include "UIFilter/account_select_dialog.h"
#include "app/log.h"
#include "app/platform_environment.h"
#include "keystone.h"
#include "publisher_trust.h"
#include "rpc/client_windows.h"
#include "rpc/json_text.h"
#include "rpc/rpc.h"
#include "runner/client_rules.h"
#include "runner/scoped_com.h"
#include "runner/usage_counter.h"
#include "windows/docx_preview_error_msg_box.h"

namespace docwick {

namespace {

const wchar_t kCategory[] = L"DocxPreviewRunner";
const size_t kMaxLoggedClients = 50;

#define RUNNER_LOG(function, ...) \
  DW_LOG_INFO(kCategory, "DocxPreviewRunner::" function, __VA_ARGS__)
#define RUNNER_ERROR(function, ...) \
  DW_LOG_ERROR(kCategory, "DocxPreviewRunner::" function, __VA_ARGS__)

std::vector<ClientBasicInfo> ListClients() {
  std::vector<ClientBasicInfo> clients;
  for (HWND hwnd : FindClientWindows(kClientWindowClass)) {
    std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(hwnd);
    if (info && IsListedClient(*info))
      clients.push_back(*info);
  }
  return clients;
}

// One keyed data object per client that can take the document, in list order.
bool BuildAccountData(const std::vector<ClientBasicInfo>& clients, IKSArray** out) {
  CScopedComPtr<IKSArray> array;
  if (FAILED(CreateKSArray(array.Receive())))
    return false;
  for (const ClientBasicInfo& client : clients) {
    if (!CanOpenDocx(client))
      continue;
    CScopedComPtr<IKSData> data;
    if (FAILED(CreateKSData(data.Receive())))
      return false;
    data->SetUInt64("u64Uin", client.m_uin);
    data->SetString("strShowName", ks::FromUtf8(AccountShowName(client)).c_str());
    data->SetString("strHeadFilePath",
                    ks::FromUtf8(client.m_hasHeadpath ? client.m_headpath : "").c_str());
    array->AddObject(data.get());
  }
  *out = array.Detach();
  return true;
}

}  // namespace

int DocxPreviewRunner::Run(const std::wstring& command, const std::wstring& params) {
  RUNNER_LOG("Run", L"Run command[%s] params[%s]", command.c_str(), params.c_str());
  std::wstring filePath;
  if (command == L"DocxPreview") {
    std::string bufFilePath = ks::Base64Decode(ks::ToUtf8(params));
    if (bufFilePath.empty()) {
      RUNNER_ERROR("Run", L"bufFilePath is empty");
      return 0;
    }
    filePath = ks::FromUtf8(bufFilePath);
  } else {
    filePath = params;
  }
  if (filePath.empty()) {
    RUNNER_ERROR("Run", L"strFilePath is empty");
    return 0;
  }

  bool oleInitialized = SUCCEEDED(OleInitialize(nullptr));
  DWORD count = IncrementUsageCounter();
  RUNNER_LOG("Run", L"DataReport 0X8008BF1 count[%u]", count);
  LocalFilePreviewMenuItemClickDataReportViaTern();

  CPlatformEnvironment environment(oleInitialized);
  CPlatformEnvironment::OpenResult opened = environment.Open();
  if (opened == CPlatformEnvironment::OpenResult::kKeystoneFailed) {
    RUNNER_ERROR("Run", L"Failed to InitKeystone");
  } else if (opened == CPlatformEnvironment::OpenResult::kLatticeFailed) {
    RUNNER_ERROR("Run", L"Failed to InitPlatformLatticeConfig");
  } else {
    GetMainThreadLoop()->PostTask(spool::MakeTask([this, filePath] {
      DoDocxPreview(filePath);
      GetMainThreadLoop()->Quit();
    }));
    environment.RunMainLoop();
    RUNNER_LOG("Run", L"after looper.Run()");
  }
  environment.Close();
  return 0;
}

DocxPreviewRunner::FileState DocxPreviewRunner::TestFileState(const std::wstring& filePath) {
  RUNNER_LOG("TestFileState", L"TestFileState filepath[%s]", filePath.c_str());
  if (!PathFileExistsW(filePath.c_str())) {
    RUNNER_ERROR("TestFileState", L"TestFileState PathFileExists return FALSE");
    return kFileNotExists;
  }
  if (PathIsDirectoryW(filePath.c_str())) {
    RUNNER_ERROR("TestFileState", L"TestFileState Path is not a file");
    return kFileNotAFile;
  }
  HANDLE file = CreateFileW(filePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    RUNNER_ERROR("TestFileState", L"TestFileState failed to open file dwLastError[%u]",
                 GetLastError());
    return kFileOpenFail;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) {
    RUNNER_ERROR("TestFileState", L"TestFileState GetFileSizeEx return false dwLastError[%u]",
                 GetLastError());
    CloseHandle(file);
    return kFileOpenFail;
  }
  CloseHandle(file);
  RUNNER_LOG("TestFileState", L"TestFileState filesize[%llu]",
             static_cast<unsigned long long>(size.QuadPart));
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxFileSize) {
    RUNNER_ERROR("TestFileState", L"TestFileState filesize too large");
    return kFileTooLarge;
  }
  return kFileOk;
}

void DocxPreviewRunner::ShowErrorBox(const wchar_t* messageKey) {
  auto box = std::make_shared<CDocxPreviewErrorMsgBox>();
  if (FAILED(box->Create()))
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview CDocxPreviewErrorMsgBox::Create return fail");
  box->SetCaption(ks::LoadString(L"Docwick_DocxPreviewError_Title"));
  box->SetErrorMsg(ks::LoadString(messageKey));
  box->SetErrorTitle(ks::LoadString(L"Docwick_DocxPreviewError_OpenFail"));
  box->ShowModal();
}

void DocxPreviewRunner::DoDocxPreview(const std::wstring& filePath) {
  FileState state = TestFileState(filePath);
  RUNNER_LOG("DoDocxPreview", L"DoDocxPreview filepath[%s] eFileState[%d]", filePath.c_str(),
             static_cast<int>(state));
  const wchar_t* stateKey = nullptr;
  switch (state) {
    case kFileOk:
      break;
    case kFileTooLarge:
      stateKey = L"Docwick_DocxPreviewError_FileTooLarge";
      break;
    case kFileNotExists:
      stateKey = L"Docwick_DocxPreviewError_FileNotExists";
      break;
    case kFileOpenFail:
      stateKey = L"Docwick_DocxPreviewError_FileOpenFail";
      break;
    case kFileNotAFile:
      stateKey = L"Docwick_DocxPreviewError_NotAFile";
      break;
  }
  if (stateKey) {
    ShowErrorBox(stateKey);
    return;
  }

  std::vector<ClientBasicInfo> clients = ListClients();
  RUNNER_LOG("DoDocxPreview", L"DoDocxPreview uTernClientBasicInfoCount[%u] list[%s]",
             static_cast<unsigned>(clients.size()),
             ks::FromUtf8(JoinSummaries(clients, kMaxLoggedClients)).c_str());
  unsigned canOpen = 0;
  for (const ClientBasicInfo& client : clients)
    canOpen += CanOpenDocx(client) ? 1 : 0;
  RUNNER_LOG("DoDocxPreview", L"DoDocxPreview uCanOpenDocx[%u]", canOpen);

  if (canOpen == 0) {
    for (const ClientBasicInfo& client : clients) {
      if (client.m_hasLocked && client.m_locked) {
        RUNNER_LOG("DoDocxPreview", L"DoDocxPreview some Tern client is locked");
        ShowErrorBox(L"Docwick_DocxPreviewError_TernLocked");
        return;
      }
    }
    bool launched = LaunchTernToOpenDocx(filePath);
    RUNNER_LOG("DoDocxPreview", L"DoDocxPreview launch Tern result[%d]", launched ? 1 : 0);
    return;
  }

  if (canOpen == 1) {
    for (const ClientBasicInfo& client : clients) {
      if (!CanOpenDocx(client))
        continue;
      RUNNER_LOG("DoDocxPreview", L"DoDocxPreview OpenDocxByUin [%llu]",
                 static_cast<unsigned long long>(client.m_uin));
      if (!OpenDocxByUin(client.m_uin, filePath))
        RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview OpenDocxByUin return false");
      return;
    }
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview iter == vecTernClientBasicInfo.end()");
    return;
  }

  CScopedComPtr<IKSArray> accounts;
  if (!BuildAccountData(clients, accounts.Receive()))
    return;
  auto dialog = std::make_shared<CAccountSelectDialog>();
  if (FAILED(dialog->Create())) {
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview failed to Create AccountSelectDialog");
    return;
  }
  dialog->SetPrompt(ks::LoadString(L"Docwick_DocxPreview_AccountSelect_Prompt"));
  dialog->SetAccountData(accounts.get());
  dialog->ShowModal();
  int result = 0;
  dialog->GetResult(&result);
  RUNNER_LOG("DoDocxPreview", L"DoDocxPreview nAccountSelectResult[%d]", result);
  if (result != 1)
    return;
  CScopedComPtr<IKSArray> selected;
  if (FAILED(dialog->GetSelectedItemIndices(selected.Receive())) || !selected.get()) {
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview GetSelectedItemIndices fail");
    return;
  }
  RUNNER_LOG("DoDocxPreview", L"DoDocxPreview uArrSelectedItemIndexSize[%u]", selected->GetCount());
  if (selected->GetCount() == 0)
    return;
  UINT index = 0;
  if (FAILED(selected->GetUInt32At(0, &index))) {
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview failed to get pArrSelectedItemIndex[0]");
    return;
  }
  CScopedComPtr<IKSData> account;
  if (FAILED(accounts->GetObjectAt(index, IID_IKSData, account.ReceiveVoid()))) {
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview failed to get AccountData at [%u]", index);
    return;
  }
  unsigned long long uin = 0;
  if (FAILED(account->GetUInt64("u64Uin", &uin))) {
    RUNNER_ERROR("DoDocxPreview", L"DoDocxPreview failed to get u64Uin");
    return;
  }
  RUNNER_LOG("DoDocxPreview", L"OpenDocxByUin [%llu]", uin);
  if (!OpenDocxByUin(uin, filePath))
    RUNNER_ERROR("DoDocxPreview", L"OpenDocxByUin return false");
}

bool DocxPreviewRunner::OpenDocxByUin(uint64_t uin, const std::wstring& filePath) {
  RUNNER_LOG("OpenDocxByUin", L"OpenDocxByUin uin[%llu] file_path[%s]",
             static_cast<unsigned long long>(uin), filePath.c_str());
  unsigned loopCount = 0;
  bool result = false;
  for (HWND hwnd : FindClientWindows(kClientWindowClass)) {
    ++loopCount;
    std::shared_ptr<ClientBasicInfo> info = Rpc::GetClientBasicInfo(hwnd);
    if (!info) {
      RUNNER_ERROR("OpenDocxByUin", L"OpenDocxByUin GetClientBasicInfo return nullptr");
      continue;
    }
    if (!info->m_hasUin) {
      RUNNER_ERROR("OpenDocxByUin", L"OpenDocxByUin failed to get uin");
      continue;
    }
    if (info->m_uin != uin)
      continue;
    RUNNER_LOG("OpenDocxByUin", L"OpenDocxByUin info[%s]",
               ks::FromUtf8(SummarizeClient(*info)).c_str());
    bool canOpen = CanOpenDocx(*info);
    RUNNER_LOG("OpenDocxByUin", L"OpenDocxByUin uin[%llu] bCanOpenDocx[%d]",
               static_cast<unsigned long long>(uin), canOpen ? 1 : 0);
    if (canOpen) {
      result = Rpc::LocalDocFileOnlinePreviewViaTern(hwnd, filePath);
      if (!result)
        RUNNER_ERROR("OpenDocxByUin",
                     L"OpenDocxByUin LocalDocFileOnlinePreviewViaTern return false");
    }
    break;
  }
  RUNNER_LOG("OpenDocxByUin", L"OpenDocxByUin uLoopCount[%u]", loopCount);
  return result;
}

bool DocxPreviewRunner::LaunchTernToOpenDocx(const std::wstring& filePath) {
  Json::Value request(Json::objectValue);
  request["file_path"] = ks::ToUtf8(filePath);
  std::string json = CompactJson(request);
  CScopedComPtr<IKSBuffer> buffer;
  std::string encoded;
  if (SUCCEEDED(CreateKSBuffer(buffer.Receive())) &&
      SUCCEEDED(buffer->Assign(json.data(), static_cast<UINT>(json.size())))) {
    encoded = ks::TwoCall<char>([&](char* out, int capacity) {
      return Base64Encode(buffer->GetData(), static_cast<int>(buffer->GetSize()), 1, out, capacity);
    });
  }
  std::wstring params =
      L"--funcmethod=Docx.LocalDocFileOnlinePreview --values=" + ks::FromUtf8(encoded);
  RUNNER_LOG("LaunchTernToOpenDocx", L"LaunchTernToOpenDocx params[%s]", params.c_str());

  std::wstring folder = ks::ExeDir();
  if (folder.empty()) {
    RUNNER_ERROR("LaunchTernToOpenDocx", L"GetExeDir fail");
    return false;
  }
  std::wstring exe = folder + L"\\Tern.exe";
  RUNNER_LOG("LaunchTernToOpenDocx", L"Tern.exe path[%s]", exe.c_str());
  if (!PathFileExistsW(exe.c_str())) {
    RUNNER_ERROR("LaunchTernToOpenDocx", L"Tern.exe not found");
    return false;
  }
  // Held open without write or delete sharing until the child has started from it.
  CTrustedFileHold verified;
  if (!verified.OpenAndVerify(exe)) {
    RUNNER_ERROR("LaunchTernToOpenDocx",
                 L"DocxPreviewRunner::LaunchTernToOpenDocx IsCorvaneTrusted return FALSE");
    return false;
  }
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = exe.c_str();
  info.lpParameters = params.c_str();
  info.nShow = SW_SHOWNORMAL;
  BOOL started = ShellExecuteExW(&info);
  verified.Release();
  RUNNER_LOG("LaunchTernToOpenDocx", L"ShellExecuteEx return [%d]", started);
  return started != FALSE;
}

void DocxPreviewRunner::LocalFilePreviewMenuItemClickDataReportViaTern() {
  Rpc::ReportPreviewMenuItemClick();
}

}  // namespace docwick
