// Feeds arbitrary client replies through the JSON reader and the basic-info reader.
#include <stddef.h>
#include <stdint.h>

#include <json/json.h>

#include "rpc/client_basic_info.h"
#include "rpc/json_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Json::Value value;
  if (docwick::ParseJsonText(reinterpret_cast<const char*>(data), size, &value)) {
    docwick::ClientBasicInfo info;
    docwick::ReadClientBasicInfo(value, &info);
  }
  return 0;
}
