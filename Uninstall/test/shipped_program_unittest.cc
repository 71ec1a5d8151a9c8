// What Uninstall.exe carries: the task graph resource as the uninstall needs it, the
// manifest and the version resource. Read from the built program as a data file.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "task/task_base.h"
#include "task/task_class_registry.h"
#include "task_object/task_context.h"
#include "task_object/task_graph_parser.h"
#include "task_object/task_graph_resource.h"
#include "tern_test/process.h"
#include "util/file_version_info_win.h"

namespace {

class ShippedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = tern_test::ExeDir() + L"\\Uninstall.exe";
    module_ = LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module_);
  }
  void TearDown() override {
    if (module_)
      FreeLibrary(module_);
  }
  std::wstring path_;
  HMODULE module_ = nullptr;
};

struct Expected {
  const char* object;
  const char* class_name;
  int thread;
  const char* in_objects;  // ';'-joined, sorted
  const char* condition;   // "key=value" or ""
  const char* out;         // ';'-joined, document order
};

const Expected kGraph[] = {
    {"StartUninstall", "StartUninstall", 0, "", "",
     "CheckPelicanRunning;ExitUninstall_ResultCancel"},
    {"CheckPelicanRunning", "CheckPelicanRunning", 0, "", "CheckResult=ResultOK",
     "GetUninstallEnvironment;ExitUninstall_ResultCancel"},
    {"GetUninstallEnvironment", "GetUninstallEnvironment", 3, "", "CheckResult=ResultOK",
     "DisableWarden;CompleteUninstall_NotNeedInstall"},
    {"DisableWarden", "DisableWarden", 3, "", "NeedUnistall=true", "UnInstallWardenCore"},
    {"UnInstallWardenCore", "UnInstallWardenCore", 3, "", "NeedUnistall=true",
     "KillCorvaneProcess"},
    {"KillCorvaneProcess", "KillCorvaneProcess", 3, "", "NeedUnistall=true",
     "TaskbarUnpinShortLink;DeleteWardenFiles;UninstallPlume;UninstallMiniDl"},
    {"TaskbarUnpinShortLink", "TaskbarUnpinShortLink", 1, "", "", "DeleteFiles"},
    {"DeleteFiles", "DeleteFiles", 1, "", "", "ClearInstallDir"},
    {"DeleteWardenFiles", "DeleteWardenFiles", 3, "", "", "ClearInstallDir"},
    {"ClearInstallDir", "ClearInstallDir", 3, "DeleteFiles;DeleteWardenFiles", "", "FixTaskbar"},
    {"FixTaskbar", "FixTaskbar", 3, "", "", "UninstallUploadResult"},
    {"UninstallPlume", "UninstallPlume", 3, "", "", ""},
    {"UninstallMiniDl", "UninstallMiniDl", 3, "", "", ""},
    {"ClearUninstallTempDir", "ClearUninstallTempDir", 3, "", "", "ExitUninstall"},
    {"UninstallUploadResult", "UninstallUploadResult", 3, "", "", "CompleteUninstall"},
    {"CompleteUninstall", "CompleteUninstall", 3, "", "", "ClearUninstallTempDir"},
    {"CompleteUninstall_NotNeedInstall", "CompleteUninstall", 3, "", "NeedUnistall=false",
     "ExitUninstall"},
    {"ExitUninstall", "TaskExit", 3, "", "", ""},
    {"ExitUninstall_ResultCancel", "TaskExit", 3, "", "CheckResult=ResultCancel", ""},
};

std::string Join(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names)
    joined += (joined.empty() ? "" : ";") + name;
  return joined;
}

TEST_F(ShippedProgramTest, TaskGraphResourceIsTheUninstallGraph) {
  std::string document;
  ASSERT_TRUE(task_object::LoadTaskGraphResource(module_, 4000, L"XML", &document));
  task_object::TaskContext context;
  ASSERT_TRUE(task_object::ParseTaskGraph(document.data(), document.size(), &context));
  EXPECT_EQ("StartUninstall", context.start_runtime_object()->name());
  EXPECT_EQ(std::size(kGraph), context.runtime_objects().size());
  for (const Expected& e : kGraph) {
    SCOPED_TRACE(e.object);
    auto object = context.FindRuntimeObject(e.object);
    ASSERT_TRUE(object);
    EXPECT_EQ(e.class_name, object->task_proto()->class_name());
    EXPECT_EQ(e.thread, object->thread_id());
    std::vector<std::string> in, out;
    for (const auto& entry : object->in_objects())
      in.push_back(entry.first->name());
    std::sort(in.begin(), in.end());
    for (const auto& next : object->out_objects())
      out.push_back(next->name());
    EXPECT_EQ(e.in_objects, Join(in));
    EXPECT_EQ(e.out, Join(out));
    std::string condition;
    for (const auto& c : object->in_conditions())
      condition += c.first + "=" + c.second;
    EXPECT_EQ(e.condition, condition);
  }
}

TEST_F(ShippedProgramTest, ManifestAsksForAdministratorAndCommonControls6) {
  HRSRC info = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_TRUE(info);
  const char* data = static_cast<const char*>(LockResource(LoadResource(module_, info)));
  std::string manifest(data, SizeofResource(module_, info));
  EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
  EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\""));
  EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
}

TEST_F(ShippedProgramTest, VersionResourceNamesTheMaker) {
  std::wstring company, product;
  EXPECT_TRUE(setup_util::ReadVersionString(path_, L"CompanyName", &company));
  EXPECT_TRUE(setup_util::ReadVersionString(path_, L"ProductName", &product));
  EXPECT_EQ(L"Corvane", company);
  EXPECT_EQ(L"Tern", product);
}

// Every class of the graph that this build contains is registered under its name.
TEST_F(ShippedProgramTest, OwnTaskClassesAreRegistered) {
  for (const char* name :
       {"StartUninstall", "CheckPelicanRunning", "GetUninstallEnvironment", "TaskExit"})
    EXPECT_NE(nullptr, task::CreateTaskByClassName(name)) << name;
}

}  // namespace
