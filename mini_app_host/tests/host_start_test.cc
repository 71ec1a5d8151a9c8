// Start-up and shut-down of the real TernApp.exe: its own command-line values, the IPC name,
// the module DLL paths, and the exit code after the app quits.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace ternapp_test {
namespace {

// The app asks for host functions as soon as its view exists, so every case produces one
// outgoing channel message that carries the group id.
const char kRequireApp[] =
    "name probe\n"
    "on view\n"
    "  require M\n"
    "on entry 13\n"
    "  quit\n";

TEST(HostStartTest, CommandLineValuesReachEngineAndChannel) {
  const struct {
    const wchar_t* args;
    const char* storage;
    uint32_t group;
  } cases[] = {
      {L"storage=C:\\data groupid=7", "C:\\data", 7},
      // Cut at the blank first: the opening quote stays, the rest of the path is lost.
      {L"storage=\"C:\\my data\" groupid=7", "\"C:\\my", 7},
      {L"groupid=\"42\" storage=C:\\s", "C:\\s", 42},
      {L"xstorage=D:\\x", "D:\\x", 0},
      {L"", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "args: " << std::string(c.args, c.args + wcslen(c.args)));
    HostSession session;
    ASSERT_TRUE(session.Start(kRequireApp, c.args));
    ASSERT_TRUE(session.OpenMainView(100, 100, -1, true));
    EXPECT_TRUE(session.HasLine(std::string("download-dir ") + c.storage));
    std::string storage = c.storage;
    EXPECT_TRUE(session.HasLine("view main second=page storage=" + storage +
                                " reserved=0 storage2=" + storage + " host-calls=1 notify=1"));
    std::vector<Event> requests = Requests(session.client().Events(), 0x10045);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].group, c.group);
    EXPECT_EQ(session.QuitThroughMessage(), 0u);
  }
}

TEST(HostStartTest, AppStartRegistersIpcNameModulesAndQuit) {
  HostSession session;
  ASSERT_TRUE(session.Start(kRequireApp));
  std::wstring mutex_name = L"SkiffIPC_probe_" + std::to_wstring(session.client().pid());
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, mutex_name.c_str());
  EXPECT_NE(mutex, nullptr) << "IPC start-up name not claimed";
  if (mutex)
    CloseHandle(mutex);

  std::wstring dir = tern_test::ExeDir();
  std::string narrow_dir(dir.begin(), dir.end());
  EXPECT_TRUE(session.HasLine("require-dll " + narrow_dir + "\\PelicanService.dll missing"));
  EXPECT_TRUE(session.HasLine("require-dll " + narrow_dir + "\\PelicanIPC.dll missing"));
  EXPECT_TRUE(session.HasLine("app-callback zero=1 same-app=1"));

  ASSERT_TRUE(session.OpenMainView(50, 50));
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
  // Shut-down order: channel (views released), then the app.
  std::vector<std::string> lines = session.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "end");
  EXPECT_EQ(lines[lines.size() - 2], "view-destroyed main");
  HANDLE after = OpenMutexW(SYNCHRONIZE, FALSE, mutex_name.c_str());
  EXPECT_EQ(after, nullptr) << "IPC name still claimed after exit";
  if (after)
    CloseHandle(after);
}

TEST(HostStartTest, AppWithoutNameStartsNoIpc) {
  HostSession session;
  ASSERT_TRUE(session.Start("on entry 13\n  quit\n"));
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE,
                            (L"SkiffIPC__" + std::to_wstring(session.client().pid())).c_str());
  EXPECT_EQ(mutex, nullptr);
  if (mutex)
    CloseHandle(mutex);
  ASSERT_TRUE(session.OpenMainView(10, 10));
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
}

TEST(HostStartTest, WithoutChannelTheAppStillRunsToItsQuit) {
  tern_test::ScopedTempDir dir;
  ASSERT_TRUE(tern_test::WriteFileBytes(dir.Join(L"app.txt"), "on start\n  quit\n"));
  tern_test::ProcessResult r = tern_test::RunProcess(
      TernAppPath(),
      L"--app=" + tern_test::QuoteArg(dir.Join(L"app.txt")) + L" --conduit=no_such_pipe_here",
      15000);
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0u);
}

TEST(HostStartTest, UnreadableAppEndsAtOnce) {
  tern_test::ProcessResult r =
      tern_test::RunProcess(TernAppPath(), L"--app=C:\\no\\such\\app.txt", 15000);
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0u);
}

}  // namespace
}  // namespace ternapp_test
