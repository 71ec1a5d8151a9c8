// Reads a task graph document (UTF-8 XML) into a TaskContext.
//
//   <Tasks start="A">
//     <Task name="A" class="ClassA">
//       <RuntimeObject name="A" thread="UI|File|Dispatch">
//         <In object="P;Q" condition="Key=Value" param="..."/>
//         <Out object="B;C" param="..."/>
//
// List attributes split at ';', pieces trimmed, empty pieces dropped. A name used in
// `start`, `In` or `Out` must be defined by some RuntimeObject element. Documents with a
// missing required attribute or a duplicate Task or RuntimeObject name are rejected too.
// Elements other than Task (under Tasks) and RuntimeObject (under Task) are ignored.
#pragma once

#include <cstddef>
#include <string>

#include "task_object/task_context.h"

namespace task_object {

// "UI" 0, "File" 1, "Dispatch" 2 (exact case); anything else 3.
int ThreadIdFromName(const char* name);

// False when the graph is incomplete or malformed; the reason is logged at ERROR level.
bool ParseTaskGraph(const char* data, size_t size, TaskContext* context);

}  // namespace task_object
