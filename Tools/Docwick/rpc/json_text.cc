#include "rpc/json_text.h"

#include <string.h>

#include <exception>
#include <memory>

#include <json/json.h>

namespace docwick {

bool ParseJsonText(const char* text, size_t length, Json::Value* out) {
  if (!text && length)
    return false;
  Json::CharReaderBuilder builder;
  builder["allowComments"] = true;
  builder["collectComments"] = false;
  // Deep nesting in a reply must not exhaust the stack.
  builder["stackLimit"] = 256;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  const char* begin = text ? text : "";
  try {
    return reader->parse(begin, begin + length, out, &errors);
  } catch (const std::exception&) {
    return false;  // the reader throws when the nesting limit is passed
  }
}

const Json::Value* JsonMember(const Json::Value& value, const char* name) {
  if (!value.isObject())
    return nullptr;
  return value.find(name, name + strlen(name));
}

std::string CompactJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

}  // namespace docwick
