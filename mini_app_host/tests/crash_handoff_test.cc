// Crash hand-off of the real TernApp.exe: an app that crashes ends the host with 4660 after the
// stand-in reporter has read the crash block through the handles it was given.
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "crash_filter.h"
#include "host_fixture.h"

namespace ternapp_test {
namespace {

const char kCrashApp[] =
    "on entry 13\n"
    "  threadid\n"
    "  setfilter\n"
    "  crash\n";

// The reporter's output file is named through the environment the host passes on.
class ReportPath {
 public:
  explicit ReportPath(const std::wstring& path) {
    SetEnvironmentVariableW(L"TERN_BUGREPORT_OUT", path.c_str());
  }
  ~ReportPath() { SetEnvironmentVariableW(L"TERN_BUGREPORT_OUT", nullptr); }
};

std::map<std::string, std::string> ReadReport(const std::wstring& path) {
  std::map<std::string, std::string> values;
  std::istringstream in(tern_test::ReadFileBytes(path));
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos)
      values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// Sends the message that makes the app crash; no answer comes back.
void TriggerCrash(HostSession& session) {
  ternapp_client::Message m(0x10027);
  m.Text("boom").Text("");
  bool handled = false;
  session.client().SendViewMessage(1, m.get(), &handled, 1000);
}

template <typename T>
T At(const std::string& block, size_t offset) {
  T value{};
  if (offset + sizeof(T) <= block.size())
    std::memcpy(&value, block.data() + offset, sizeof(T));
  return value;
}

bool IsUpperHex(const std::string& text, size_t digits) {
  if (text.size() != digits)
    return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
      return false;
  }
  return true;
}

TEST(CrashHandoffTest, ReporterReadsTheBlockAndHostEndsWith4660) {
  HostSession session;
  ASSERT_TRUE(session.dir().valid());
  std::wstring report = session.dir().Join(L"report.txt");
  ReportPath env(report);
  ASSERT_TRUE(session.Start(kCrashApp));
  ASSERT_TRUE(session.OpenMainView(20, 20));
  TriggerCrash(session);
  DWORD code = 0;
  ASSERT_TRUE(session.client().WaitExit(30000, &code));
  EXPECT_EQ(code, 4660u);

  // After the first arming nobody can replace the filter: the engine's call got null back.
  EXPECT_TRUE(session.HasLine("setfilter previous=null"));

  std::map<std::string, std::string> r = ReadReport(report);
  ASSERT_FALSE(r.empty()) << "the reporter did not run";
  std::string pid = std::to_string(session.client().pid());
  EXPECT_EQ(r["pid"], pid);
  EXPECT_EQ(r["handle_pid"], pid) << "the process handle is not the crashed process";
  EXPECT_EQ(r["read"], "1");
  EXPECT_EQ(r["read_bytes"], std::to_string(ternapp::kCrashInfoBlockBytes));

  // "bugreport /buginfo:%p:%p:%p:%lu" with pointers as upper-case hex of pointer width.
  const std::string prefix = "bugreport /buginfo:";
  const std::string& line = r["command_line"];
  ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
  std::vector<std::string> fields;
  std::istringstream parts(line.substr(prefix.size()));
  std::string field;
  while (std::getline(parts, field, ':'))
    fields.push_back(field);
  ASSERT_EQ(fields.size(), 4u) << line;
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(IsUpperHex(fields[i], sizeof(void*) * 2)) << fields[i];
  EXPECT_EQ(fields[3], pid);
  EXPECT_EQ(std::strtoull(fields[2].c_str(), nullptr, 16),
            std::strtoull(r["block"].c_str(), nullptr, 16));

  std::string block = tern_test::ReadFileBytes(report + L".bin");
  ASSERT_EQ(block.size(), ternapp::kCrashInfoBlockBytes);
  std::string thread_line;
  for (const std::string& l : session.LogLines()) {
    if (l.compare(0, 7, "thread ") == 0)
      thread_line = l.substr(7);
  }
  EXPECT_EQ(std::to_string(At<DWORD>(block, ternapp::kCrashThreadIdOffset)), thread_line);
  EXPECT_NE(At<DWORD>(block, ternapp::kCrashTebOffset), 0u);
  EXPECT_NE(At<DWORD>(block, ternapp::kCrashPointersOffset), 0u);
  EXPECT_EQ(At<DWORD>(block, ternapp::kCrashZeroWordOffset), 0u);
  size_t record = ternapp::kCrashRecordCopyOffset;
  size_t context = ternapp::kCrashContextCopyOffset;
  EXPECT_EQ(At<DWORD>(block, record + offsetof(EXCEPTION_RECORD, ExceptionCode)),
            static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  void* address = At<void*>(block, record + offsetof(EXCEPTION_RECORD, ExceptionAddress));
#ifdef _WIN64
  DWORD64 ip = At<DWORD64>(block, context + offsetof(CONTEXT, Rip));
#else
  DWORD ip = At<DWORD>(block, context + offsetof(CONTEXT, Eip));
#endif
  EXPECT_NE(ip, 0u);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(address), static_cast<ULONG_PTR>(ip));
}

TEST(CrashHandoffTest, WithoutReporterTheHostStillEndsWith4660AtOnce) {
  tern_test::ScopedTempDir copy;
  ASSERT_TRUE(copy.valid());
  // A folder with the host and its libraries but no bugreport.exe.
  for (const wchar_t* name :
       {L"TernApp.exe", L"Conduit.dll", L"Skiff.dll", L"SkiffIPC.dll", L"Raster32.dll"}) {
    ASSERT_TRUE(
        CopyFileW((tern_test::ExeDir() + L"\\" + name).c_str(), copy.Join(name).c_str(), FALSE));
  }
  std::wstring report = copy.Join(L"report.txt");
  ReportPath env(report);
  tern_test::ScopedTempDir app_dir;
  std::wstring log = app_dir.Join(L"engine.log");
  std::string app = "log \"" + std::string(log.begin(), log.end()) + "\"\n" + kCrashApp;
  ASSERT_TRUE(tern_test::WriteFileBytes(app_dir.Join(L"app.txt"), app));
  ternapp_client::Client client;
  ASSERT_TRUE(client.Start(copy.Join(L"TernApp.exe"),
                           L"--app=" + tern_test::QuoteArg(app_dir.Join(L"app.txt"))));
  bool handled = false;
  ASSERT_TRUE(client.OpenView(1));
  ASSERT_TRUE(client.CreateView(1, "main", "page", "", -1, false, &handled));
  ternapp_client::Message m(0x10027);
  m.Text("boom").Text("");
  client.SendViewMessage(1, m.get(), &handled, 500);
  DWORD code = 0;
  ASSERT_TRUE(client.WaitExit(10000, &code));
  EXPECT_EQ(code, 4660u);
  EXPECT_TRUE(tern_test::ReadFileBytes(report).empty());
}

TEST(CrashFilterTest, ReporterCommandLineFormat) {
  wchar_t text[200];
  ternapp::FormatReporterCommandLine(reinterpret_cast<HANDLE>(0x1C), reinterpret_cast<HANDLE>(0xA4),
                                     reinterpret_cast<void*>(0x4A3000), 4321, text, 200);
#ifdef _WIN64
  EXPECT_STREQ(text, L"bugreport /buginfo:000000000000001C:00000000000000A4:00000000004A3000:4321");
#else
  EXPECT_STREQ(text, L"bugreport /buginfo:0000001C:000000A4:004A3000:4321");
#endif
  // The text is cut to the buffer rather than overrun.
  wchar_t small[12];
  ternapp::FormatReporterCommandLine(nullptr, nullptr, nullptr, 1, small, 12);
  EXPECT_STREQ(small, L"bugreport /");
}

}  // namespace
}  // namespace ternapp_test

namespace ternapp_test {
namespace {

// Under Wine the system's default for an unhandled crash is its debugger, whose crash dialog
// would wait for a click: switch the dialog off for the test and restore the setting after.
class NoCrashDialog {
 public:
  NoCrashDialog() {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = sizeof(old_);
    had_ = RegQueryValueExW(key_, L"ShowCrashDialog", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
    DWORD off = 0;
    RegSetValueExW(key_, L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                   sizeof(off));
  }
  ~NoCrashDialog() {
    if (!key_)
      return;
    if (had_)
      RegSetValueExW(key_, L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof(old_));
    else
      RegDeleteValueW(key_, L"ShowCrashDialog");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

// A second exception on the crashing thread while the filter runs is passed on instead of
// starting another reporter: the process then ends by the system's default, not with 4660.
TEST(CrashFilterTest, SecondExceptionDuringHandlingStartsNoSecondReporter) {
  NoCrashDialog no_dialog;
  const struct {
    const wchar_t* mode;
    int reporter_runs;
  } cases[] = {
      {L"plain", 1},
      {L"nested-before", 0},
      {L"nested-after", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.mode, c.mode + wcslen(c.mode)));
    tern_test::ScopedTempDir dir;
    std::wstring report = dir.Join(L"report.txt");
    ReportPath env(report);
    tern_test::ProcessResult r =
        tern_test::RunProcess(tern_test::ExeDir() + L"\\ternapp_crash_probe.exe", c.mode, 20000);
    ASSERT_TRUE(r.started);
    ASSERT_FALSE(r.timed_out);
    std::string runs = tern_test::ReadFileBytes(report + L".runs");
    EXPECT_EQ(static_cast<int>(runs.size() / 4), c.reporter_runs);
    if (std::wstring(c.mode) == L"plain")
      EXPECT_EQ(r.exit_code, 4660u);
    else
      EXPECT_NE(r.exit_code, 4660u);
  }
}

}  // namespace
}  // namespace ternapp_test
