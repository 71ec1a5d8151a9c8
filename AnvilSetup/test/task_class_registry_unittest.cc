#include <gtest/gtest.h>

#include "task/not_available_task.h"
#include "task/task_base.h"
#include "task/task_class_registry.h"

namespace {

int g_first_made = 0;
int g_second_made = 0;

class FirstCase : public task::TaskBase {
 public:
  FirstCase() { ++g_first_made; }
  void Run(task_object::RuntimeObject*) override {}
};
class SecondCase : public task::TaskBase {
 public:
  SecondCase() { ++g_second_made; }
  void Run(task_object::RuntimeObject*) override {}
};

}  // namespace

REGISTER_TASK_CLASS(FirstCase, RegistryCase)
// A second registration of the same name is kept but never found.
namespace {
const bool g_second = task::RegisterTaskClass(
    {[]() -> std::unique_ptr<task::TaskBase> { return std::make_unique<SecondCase>(); },
     "RegistryCase"});
}

namespace {

TEST(TaskClassRegistryTest, ExactNameGivesAFreshInstanceOfTheFirstRegistration) {
  auto a = task::CreateTaskByClassName("RegistryCase");
  auto b = task::CreateTaskByClassName("RegistryCase");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(2, g_first_made);
  EXPECT_EQ(0, g_second_made);
  for (const char* name : {"registrycase", "REGISTRYCASE", "RegistryCase ", "Registry", ""})
    EXPECT_EQ(nullptr, task::CreateTaskByClassName(name)) << name;
}

TEST(TaskClassRegistryTest, AFullTableRefusesFurtherClasses) {
  auto factory = []() -> std::unique_ptr<task::TaskBase> { return std::make_unique<FirstCase>(); };
  static std::string storage[task::kMaxTaskClasses + 1];
  int accepted = 0;
  for (int i = 0; i <= task::kMaxTaskClasses; ++i) {
    storage[i] = "Filler" + std::to_string(i);
    accepted += task::RegisterTaskClass({factory, storage[i].c_str()});
  }
  EXPECT_EQ(task::kMaxTaskClasses, task::RegisteredTaskClassCount());
  EXPECT_LT(accepted, task::kMaxTaskClasses + 1);
  EXPECT_EQ(nullptr, task::CreateTaskByClassName(storage[task::kMaxTaskClasses]));
  EXPECT_FALSE(task::RegisterTaskClass({factory, "OneTooMany"}));
}

TEST(TaskClassRegistryTest, OnlyPlannedClassesGetTheNotAvailableStandIn) {
  ASSERT_TRUE(task::RegisterPlannedTaskClass("PlannedInRegistryTest"));
  EXPECT_NE(nullptr, task::CreateNotAvailableTask("PlannedInRegistryTest"));
  EXPECT_EQ(nullptr, task::CreateNotAvailableTask("plannedinregistrytest"));
  EXPECT_EQ(nullptr, task::CreateNotAvailableTask("Unplanned"));
}

}  // namespace
