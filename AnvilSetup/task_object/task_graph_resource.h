// Reads the bytes of the task graph document from a module's resources.
#pragma once

#include <cstdint>
#include <string>

namespace task_object {

// False when the module has no such resource (always false off Windows).
bool LoadTaskGraphResource(void* module,
                           uint16_t resource_id,
                           const std::wstring& resource_type,
                           std::string* bytes);

}  // namespace task_object
