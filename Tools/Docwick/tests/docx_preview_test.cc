// The preview command run for real: Docwick.exe in a private install, stand-in clients, the
// signed stand-in Tern.exe, and the windows driven from here.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "client_peers.h"
#include "docwick_install.h"
#include "keystone.h"
#include "rpc/json_text.h"
#include "tern_test/test_root.h"
#include "ui_driver.h"

namespace docwick_test {
namespace {

const char kStrings[] =
    "Docwick_DocxPreviewError_Title=Document preview\n"
    "Docwick_DocxPreviewError_OpenFail=The document cannot be previewed\n"
    "Docwick_DocxPreviewError_FileTooLarge=The file is larger than 20 MB.\n"
    "Docwick_DocxPreviewError_FileNotExists=The file does not exist.\n"
    "Docwick_DocxPreviewError_FileOpenFail=The file cannot be opened.\n"
    "Docwick_DocxPreviewError_NotAFile=This is a folder, not a file.\n"
    "Docwick_DocxPreviewError_TernLocked=Tern is locked. Unlock it and try again.\n"
    "Docwick_DocxPreview_AccountSelect_Prompt=Preview with which account?\n";

std::wstring Base64Path(const std::wstring& path) {
  return ks::FromUtf8(ks::Base64Encode(ks::ToUtf8(path)));
}

class DocxPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tern_test::InstallTestRoot());
    ASSERT_TRUE(m_install.ok());
    ASSERT_TRUE(tern_test::WriteFileBytes(m_install.root() + L"\\strings.txt", kStrings));
    ASSERT_TRUE(m_files.valid());
  }

  std::wstring MakeFile(const std::wstring& name, size_t size) {
    std::wstring path = m_files.Join(name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    return path;
  }

  void InstallTern(const wchar_t* folder) {
    ASSERT_TRUE(CopyFileW((tern_test::ExeDir() + L"\\" + folder + L"\\Tern.exe").c_str(),
                          (m_install.bin() + L"\\Tern.exe").c_str(), FALSE));
  }

  // The started Tern.exe records itself after Docwick has gone: wait for the record.
  std::string TernLaunches(DWORD timeout_ms = 15000) const {
    DWORD start = GetTickCount();
    std::string launches;
    while ((launches = tern_test::ReadFileBytes(m_install.bin() + L"\\Tern.launch.log")).empty() &&
           GetTickCount() - start < timeout_ms)
      Sleep(20);
    return launches;
  }

  // Starts Docwick with the preview of `path`; the caller drives what it shows.
  bool Start(const std::wstring& path, bool base64 = true) {
    std::wstring args =
        base64 ? L"--command=DocxPreview --params=" + Base64Path(path)
               : L"--command=OpenWithListDocxPreview " + tern_test::QuoteArg(L"--params=" + path);
    m_docwick.reset(new tern_test::ScopedProcess());
    return m_docwick->Start(m_install.exe(), args);
  }

  DWORD Finish() {
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(m_docwick->Wait(60000, &code));
    return code;
  }

  DWORD pid() const { return m_docwick->pid(); }

  // Waits for the error box, checks its message and closes it with "confirm".
  void ExpectErrorBox(const wchar_t* message) {
    HWND box = WaitForVisibleWindow(pid());
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Document preview", WindowText(box));
    EXPECT_EQ(message, WindowText(FindNamedChild(box, L"ErrorMsgStatic")));
    EXPECT_EQ(L"The document cannot be previewed",
              WindowText(FindNamedChild(box, L"ErrorTitleStatic")));
    EXPECT_TRUE(ClickElement(box, L"confirm"));
  }

  DocwickInstall m_install;
  tern_test::ScopedTempDir m_files;
  std::unique_ptr<tern_test::ScopedProcess> m_docwick;
};

TEST_F(DocxPreviewTest, FileProblemsShowTheirMessage) {
  std::wstring locked = MakeFile(L"locked.docx", 10);
  HANDLE hold = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, hold);
  struct Case {
    std::wstring path;
    int state;
    const wchar_t* message;
  } cases[] = {
      {m_files.Join(L"missing.docx"), 3, L"The file does not exist."},
      {m_files.path(), 6, L"This is a folder, not a file."},
      {locked, 4, L"The file cannot be opened."},
      {MakeFile(L"big.docx", 20971521), 2, L"The file is larger than 20 MB."},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Start(c.path));
    ExpectErrorBox(c.message);
    EXPECT_EQ(0u, Finish());
    std::string state = "eFileState[" + std::to_string(c.state) + "]";
    EXPECT_EQ(1, CountLines(m_install.Log(), state)) << state;
  }
  CloseHandle(hold);
}

TEST_F(DocxPreviewTest, AHugeParameterIsAPathThatDoesNotExist) {
  m_docwick.reset(new tern_test::ScopedProcess());
  ASSERT_TRUE(m_docwick->Start(m_install.exe(),
                               L"--command=DocxPreview --params=" + std::wstring(30000, L'Q')));
  ExpectErrorBox(L"The file does not exist.");
  EXPECT_EQ(0u, Finish());
}

TEST_F(DocxPreviewTest, FileOfExactlyTheLimitIsAccepted) {
  ClientPeer client(L"--uin=7 --product=Tern --locked=0");
  ASSERT_TRUE(client.ok());
  std::wstring path = MakeFile(L"limit.docx", 20971520);
  ASSERT_TRUE(Start(path));
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ(1, CountLines(m_install.Log(), "eFileState[1]"));
  bool handed = false;
  for (const Json::Value& call : client.Calls())
    handed = handed || call["method"].asString() == "LocalDocFileOnlinePreview";
  EXPECT_TRUE(handed);
}

TEST_F(DocxPreviewTest, WithoutUsableClientsTheSignedTernIsStarted) {
  InstallTern(L"tern_signed");
  ClientPeer other(L"--uin=5 --product=TernLite --locked=0");
  ASSERT_TRUE(other.ok());
  const std::wstring path = MakeFile(L"d\x00FC r \x6587.docx", 100);
  ASSERT_TRUE(Start(path));
  EXPECT_EQ(0u, Finish());
  std::string launches = TernLaunches();
  const std::string prefix = "--funcmethod=Docx.LocalDocFileOnlinePreview --values=";
  ASSERT_EQ(0u, launches.find(prefix)) << launches;
  std::string payload = launches.substr(prefix.size());
  payload.resize(payload.find('\n'));
  std::string json = ks::Base64Decode(payload);
  Json::Value request;
  ASSERT_TRUE(docwick::ParseJsonText(json.data(), json.size(), &request)) << json;
  EXPECT_EQ(ks::ToUtf8(path), request["file_path"].asString());
  EXPECT_EQ(1u, request.size());
  EXPECT_EQ(1, CountLines(m_install.Log(), "DoDocxPreview launch Tern result[1]"));
}

TEST_F(DocxPreviewTest, AnUnsignedTernIsNotStarted) {
  InstallTern(L"tern_unsigned");
  ASSERT_TRUE(Start(MakeFile(L"a.docx", 1)));
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ("", TernLaunches(2000));
  std::string log = m_install.Log();
  EXPECT_EQ(
      1, CountLines(log, "DocxPreviewRunner::LaunchTernToOpenDocx IsCorvaneTrusted return FALSE"));
  EXPECT_EQ(1, CountLines(log, "DoDocxPreview launch Tern result[0]"));
}

TEST_F(DocxPreviewTest, TheOneUsableClientGetsTheFileWithoutADialog) {
  ClientPeer locked(L"--uin=1 --product=Tern --locked=1");
  ClientPeer usable(L"--uin=2 --product=Tern --locked=0");
  ASSERT_TRUE(locked.ok() && usable.ok());
  const std::wstring path = MakeFile(L"one client.xlsx", 3);
  ASSERT_TRUE(Start(path, false));
  EXPECT_EQ(0u, Finish());
  std::vector<Json::Value> calls = usable.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ("LocalDocFileOnlinePreview", calls.back()["method"].asString());
  EXPECT_NE(std::string::npos,
            calls.back()["params"].asString().find(ks::ToUtf8(L"one client.xlsx")));
  for (const Json::Value& call : locked.Calls())
    EXPECT_NE("LocalDocFileOnlinePreview", call["method"].asString());
  EXPECT_EQ(1, CountLines(m_install.Log(), "DoDocxPreview OpenDocxByUin [2]"));
}

TEST_F(DocxPreviewTest, AllClientsLockedShowOneBox) {
  ClientPeer a(L"--uin=1 --product=Tern --locked=1");
  ClientPeer b(L"--uin=2 --product=Tern --locked=1");
  ClientPeer c(L"--uin=3 --product=Tern --locked=1");
  ASSERT_TRUE(a.ok() && b.ok() && c.ok());
  ASSERT_TRUE(Start(MakeFile(L"a.doc", 1)));
  ExpectErrorBox(L"Tern is locked. Unlock it and try again.");
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ(1, CountLines(m_install.Log(), "DoDocxPreview some Tern client is locked"));
}

struct DialogCase {
  const wchar_t* action;  // element to click, or null to close the window
  int result;
  bool handed;
};

TEST_F(DocxPreviewTest, SeveralUsableClientsAskWhichAccount) {
  const DialogCase cases[] = {{L"confirm", 1, true}, {L"cancel", 2, false}, {nullptr, 0, false}};
  for (const DialogCase& c : cases) {
    ClientPeer a(L"--uin=101 --product=Tern --nickname=Ann");
    ClientPeer b(L"--uin=202 --product=Tern --nickname=Bob");
    ASSERT_TRUE(a.ok() && b.ok());
    ASSERT_TRUE(Start(MakeFile(L"two.docx", 1)));
    HWND dialog = WaitForVisibleWindow(pid());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Preview with which account?", WindowText(FindNamedChild(dialog, L"HeaderText")));
    if (c.action)
      EXPECT_TRUE(ClickElement(dialog, c.action));
    else
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, Finish());
    std::string log = m_install.Log();
    EXPECT_EQ(1, CountLines(log, "nAccountSelectResult[" + std::to_string(c.result) + "]"));
    int handed = 0;
    for (ClientPeer* peer : {&a, &b}) {
      for (const Json::Value& call : peer->Calls())
        handed += call["method"].asString() == "LocalDocFileOnlinePreview";
    }
    EXPECT_EQ(c.handed ? 1 : 0, handed);
    if (c.handed) {
      // Row 0 is preselected: the first client listed gets the file.
      size_t first = log.find("list[{uin:[");
      ASSERT_NE(std::string::npos, first);
      std::string uin = log.substr(first + 11, 3);
      EXPECT_EQ(1, CountLines(log, "OpenDocxByUin [" + uin + "]"));
    }
  }
}

TEST_F(DocxPreviewTest, LogListsFiftyClientsAndCountsAll) {
  std::vector<std::unique_ptr<ClientPeer>> clients;
  for (int i = 0; i < 52; ++i) {
    clients.emplace_back(
        new ClientPeer(L"--uin=" + std::to_wstring(1000 + i) + L" --product=Tern --locked=1"));
    ASSERT_TRUE(clients.back()->ok()) << "client " << i << ": " << clients.back()->error();
  }
  ASSERT_TRUE(Start(MakeFile(L"many.docx", 1)));
  ExpectErrorBox(L"Tern is locked. Unlock it and try again.");
  EXPECT_EQ(0u, Finish());
  std::string log = m_install.Log();
  size_t at = log.find("uTernClientBasicInfoCount[52] list[");
  ASSERT_NE(std::string::npos, at);
  std::string line = log.substr(at, log.find('\n', at) - at);
  size_t summaries = 0;
  for (size_t pos = line.find("{uin:["); pos != std::string::npos;
       pos = line.find("{uin:[", pos + 1))
    ++summaries;
  EXPECT_EQ(50u, summaries);
}

TEST_F(DocxPreviewTest, ParametersThatDecodeToNothingStopEarly) {
  HKEY key = nullptr;
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvane\\Docwick\\Report");
  for (const wchar_t* args :
       {L"--command=DocxPreview --params=", L"--command=DocxPreview --params=@@@@"}) {
    tern_test::ProcessResult result = m_install.Run(args);
    EXPECT_EQ(0u, result.exit_code) << args;
  }
  EXPECT_EQ(2, CountLines(m_install.Log(), "bufFilePath is empty"));
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane\\Docwick\\Report",
                                         0, KEY_READ, &key));
  tern_test::ProcessResult empty = m_install.Run(L"--command=OpenWithListDocxPreview --params=");
  EXPECT_EQ(0u, empty.exit_code);
  EXPECT_EQ(1, CountLines(m_install.Log(), "strFilePath is empty"));
}

TEST_F(DocxPreviewTest, UsageCounterCountsEachPreviewAndSurvivesAMissingKey) {
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvane\\Docwick\\Report");
  ClientPeer client(L"--uin=9 --product=Tern --report-count=12");
  ASSERT_TRUE(client.ok());
  for (int run = 1; run <= 2; ++run) {
    ASSERT_TRUE(Start(MakeFile(L"count.docx", 1)));
    EXPECT_EQ(0u, Finish());
    EXPECT_EQ(
        1, CountLines(m_install.Log(), "DataReport 0X8008BF1 count[" + std::to_string(run) + "]"));
  }
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane\\Docwick\\Report",
                                         0, KEY_READ, &key));
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof(value);
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"0X8008BF1", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&value), &size));
  RegCloseKey(key);
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(2u, value);
  EXPECT_EQ(2, CountLines(m_install.Log(), "report_count[12]"));
  // Each run is a new process: its first call, the usage report, carries request number 1.
  std::vector<Json::Value> calls = client.Calls();
  // Per run: the report, the list, the look-up by account, the hand-over.
  ASSERT_EQ(8u, calls.size());
  for (size_t run = 0; run < 2; ++run) {
    EXPECT_EQ("Docx.DataReport.Report0X8008BF1", calls[run * 4]["method"].asString());
    EXPECT_EQ("LocalDocFileOnlinePreview", calls[run * 4 + 3]["method"].asString());
    for (unsigned i = 0; i < 4; ++i)
      EXPECT_EQ(i + 1, calls[run * 4 + i]["id"].asUInt());
  }
}

}  // namespace
}  // namespace docwick_test
