// libFuzzer target: any byte string given to the task graph parser either is rejected or
// yields a graph whose invariants hold (start object defined, every link defined and in
// the table, thread ids in range).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/logging.h"
#include "task_object/task_context.h"
#include "task_object/task_graph_parser.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

bool InTable(const task_object::TaskContext& context, const task_object::RuntimeObject* object) {
  auto found = context.FindRuntimeObject(object->name());
  return found.get() == object;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    logging::LoggingSettings settings;
    settings.to_debugger = false;
    logging::InitLogging(settings);
    logging::SetMinLogLevel(logging::kFatal);
    return true;
  }();
  (void)quiet;
  task_object::TaskContext context;
  if (!task_object::ParseTaskGraph(reinterpret_cast<const char*>(data), size, &context))
    return 0;
  Check(context.start_runtime_object() != nullptr);
  Check(context.start_runtime_object()->defined());
  for (const auto& entry : context.runtime_objects()) {
    task_object::RuntimeObject* object = entry.second.get();
    Check(object->defined());
    Check(object->task_proto() != nullptr);
    Check(object->thread_id() >= 0 && object->thread_id() <= task_object::kOwnThread);
    for (const auto& out : object->out_objects())
      Check(InTable(context, out.get()));
    for (const auto& in : object->in_objects())
      Check(InTable(context, in.first.get()) && !in.second);
    for (const auto& condition : object->in_conditions())
      Check(!condition.second.empty());
  }
  return 0;
}
