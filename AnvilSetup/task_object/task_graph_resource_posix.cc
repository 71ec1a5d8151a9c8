#include "task_object/task_graph_resource.h"

namespace task_object {

// Native builds have no resources; tests hand the document to the dispatcher directly.
bool LoadTaskGraphResource(void*, uint16_t, const std::wstring&, std::string*) {
  return false;
}

}  // namespace task_object
