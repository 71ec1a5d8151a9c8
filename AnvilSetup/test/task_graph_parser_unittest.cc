#include <string>

#include <gtest/gtest.h>

#include "base/at_exit.h"
#include "task_object/task_context.h"
#include "task_object/task_graph_parser.h"

namespace {

using task_object::ParseTaskGraph;
using task_object::RuntimeObject;
using task_object::TaskContext;

bool Parse(const std::string& xml, TaskContext* context) {
  return ParseTaskGraph(xml.data(), xml.size(), context);
}

std::string Doc(const std::string& start, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Tasks name=\"SetupTask\" start=\"" + start +
         "\">" + body + "</Tasks>";
}

std::vector<std::string> Names(const std::vector<std::shared_ptr<RuntimeObject>>& objects) {
  std::vector<std::string> names;
  for (const auto& object : objects)
    names.push_back(object->name());
  return names;
}

TEST(TaskGraphParserTest, OutListIsSplitTrimmedAndKeepsOrder) {
  TaskContext context;
  ASSERT_TRUE(Parse(Doc("S",
                        "<Task name=\"T\" class=\"C\">"
                        "<RuntimeObject name=\"S\"><Out object=\"A; \t B \n;;C;A\" "
                        "param=\" p1 ;;p2\"/></RuntimeObject>"
                        "<RuntimeObject name=\"A\"/><RuntimeObject name=\"B\"/>"
                        "<RuntimeObject name=\"C\"/></Task>"),
                    &context));
  auto start = context.start_runtime_object();
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "A"}), Names(start->out_objects()));
  EXPECT_EQ((std::vector<std::string>{"p1", "p2"}), start->out_params());
  EXPECT_EQ(start, context.FindRuntimeObject("S"));
}

TEST(TaskGraphParserTest, ConditionPiecesWithoutValueAreDropped) {
  TaskContext context;
  ASSERT_TRUE(Parse(Doc("S",
                        "<Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\">"
                        "<In condition=\"K=V; X ;Y=;=E;A=b=c\" param=\"q\"/>"
                        "<In condition=\"Ignored=1\"/></RuntimeObject></Task>"),
                    &context));
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ((Pairs{{"K", "V"}, {"", "E"}, {"A", "b=c"}}),
            context.start_runtime_object()->in_conditions());
  EXPECT_EQ((std::vector<std::string>{"q"}), context.start_runtime_object()->in_params());
}

TEST(TaskGraphParserTest, ObjectDefinedBeforeItIsReferencedIsNotDuplicated) {
  TaskContext context;
  ASSERT_TRUE(Parse(Doc("S",
                        "<Task name=\"A\" class=\"C\"><RuntimeObject name=\"A\"/></Task>"
                        "<Task name=\"S\" class=\"C\"><RuntimeObject name=\"S\">"
                        "<Out object=\"A\"/></RuntimeObject></Task>"
                        "<Task name=\"J\" class=\"C\"><RuntimeObject name=\"J\">"
                        "<In object=\"A;S\"/></RuntimeObject></Task>"),
                    &context));
  auto a = context.FindRuntimeObject("A");
  EXPECT_EQ(3u, context.runtime_objects().size());
  EXPECT_EQ(a, context.start_runtime_object()->out_objects()[0]);
  auto j = context.FindRuntimeObject("J");
  EXPECT_EQ(1u, j->in_objects().count(a));
  EXPECT_FALSE(j->in_objects()[a]);
}

TEST(TaskGraphParserTest, ThreadNamesMapExactly) {
  struct Case {
    const char* attribute;
    int id;
  } cases[] = {{" thread=\"UI\"", 0},
               {" thread=\"File\"", 1},
               {" thread=\"Dispatch\"", 2},
               {" thread=\"ui\"", 3},
               {" thread=\"FILE\"", 3},
               {" thread=\"\"", 3},
               {"", 3}};
  for (const Case& c : cases) {
    TaskContext context;
    ASSERT_TRUE(
        Parse(Doc("S", std::string("<Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"") +
                           c.attribute + "/></Task>"),
              &context))
        << c.attribute;
    EXPECT_EQ(c.id, context.start_runtime_object()->thread_id()) << c.attribute;
  }
}

TEST(TaskGraphParserTest, TwoObjectsShareTheirTaskPrototype) {
  TaskContext context;
  ASSERT_TRUE(Parse(Doc("A",
                        "<Task name=\"TaskExit\" class=\"TaskExit\">"
                        "<RuntimeObject name=\"A\"/><RuntimeObject name=\"B\"/></Task>"),
                    &context));
  auto a = context.FindRuntimeObject("A");
  auto b = context.FindRuntimeObject("B");
  EXPECT_NE(a, b);
  EXPECT_EQ(a->task_proto(), b->task_proto());
  EXPECT_EQ("TaskExit", a->task_proto()->class_name());
}

// Every document here must be rejected.
TEST(TaskGraphParserTest, RejectsIncompleteOrMalformedDocuments) {
  const char* const kDocuments[] = {
      // start names an object that no RuntimeObject defines
      "<Tasks start=\"Nobody\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"/></Task>"
      "</Tasks>",
      // an Out names an undefined object
      "<Tasks start=\"S\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\">"
      "<Out object=\"Ghost\"/></RuntimeObject></Task></Tasks>",
      // an In names an undefined object
      "<Tasks start=\"S\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\">"
      "<In object=\"Ghost\"/></RuntimeObject></Task></Tasks>",
      // malformed XML
      "<Tasks start=\"S\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"></Task>",
      "",
      // no Tasks element, no start attribute
      "<Other start=\"S\"/>",
      "<Tasks><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"/></Task></Tasks>",
      // missing Task name or class, missing RuntimeObject name
      "<Tasks start=\"S\"><Task class=\"C\"><RuntimeObject name=\"S\"/></Task></Tasks>",
      "<Tasks start=\"S\"><Task name=\"T\"><RuntimeObject name=\"S\"/></Task></Tasks>",
      "<Tasks start=\"S\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"/>"
      "<RuntimeObject/></Task></Tasks>",
      // duplicate Task and duplicate RuntimeObject
      "<Tasks start=\"S\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"/></Task>"
      "<Task name=\"T\" class=\"D\"><RuntimeObject name=\"X\"/></Task></Tasks>",
      "<Tasks start=\"S\"><Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"/></Task>"
      "<Task name=\"U\" class=\"D\"><RuntimeObject name=\"S\"/></Task></Tasks>",
  };
  for (const char* document : kDocuments) {
    TaskContext context;
    EXPECT_FALSE(Parse(document, &context)) << document;
  }
}

TEST(TaskGraphParserTest, OtherElementsAmongTasksAreIgnored) {
  TaskContext context;
  ASSERT_TRUE(Parse(Doc("S",
                        "<Note/><Task name=\"T\" class=\"C\"><Comment/>"
                        "<RuntimeObject name=\"S\"/></Task><Note name=\"X\"/>"),
                    &context));
  EXPECT_EQ(1u, context.task_protos().size());
  EXPECT_EQ(1u, context.runtime_objects().size());
}

TEST(TaskGraphParserTest, LengthBoundsTheDocument) {
  std::string xml = Doc("S", "<Task name=\"T\" class=\"C\"><RuntimeObject name=\"S\"/></Task>");
  std::string with_garbage = xml + "<<<garbage";
  TaskContext context;
  EXPECT_TRUE(ParseTaskGraph(with_garbage.data(), xml.size(), &context));
}

}  // namespace
