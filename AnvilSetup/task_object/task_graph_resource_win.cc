#include <windows.h>

#include "task_object/task_graph_resource.h"

namespace task_object {

bool LoadTaskGraphResource(void* module,
                           uint16_t resource_id,
                           const std::wstring& resource_type,
                           std::string* bytes) {
  HMODULE handle = static_cast<HMODULE>(module);
  HRSRC info = FindResourceW(handle, MAKEINTRESOURCEW(resource_id), resource_type.c_str());
  if (!info)
    return false;
  HGLOBAL loaded = LoadResource(handle, info);
  DWORD size = SizeofResource(handle, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data)
    return false;
  bytes->assign(static_cast<const char*>(data), size);
  return true;
}

}  // namespace task_object
