#include "task/task_exit.h"

#include "base/location.h"
#include "base/message_loop.h"
#include "setup/setup_thread.h"
#include "task/task_class_registry.h"

void TaskExit::Run(task_object::RuntimeObject*) {
  setup::SetupThread::PostTask(setup::SetupThread::UI,
                               FROM_HERE_WITH_EXPLICIT_FUNCTION("TaskExit::Run"),
                               [] { base::MessageLoop::current()->Quit(); });
}

REGISTER_TASK_CLASS(TaskExit, TaskExit)
