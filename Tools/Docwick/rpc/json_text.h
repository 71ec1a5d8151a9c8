// JSON text in and out, as the client calls exchange it.
#pragma once

#include <stddef.h>

#include <string>

namespace Json {
class Value;
}

namespace docwick {

// Parses exactly `length` bytes (comments allowed, nesting bounded); false on any error.
bool ParseJsonText(const char* text, size_t length, Json::Value* out);

// The member `name` of an object value, or null (also when `value` is not an object).
const Json::Value* JsonMember(const Json::Value& value, const char* name);

// Compact UTF-8 JSON text.
std::string CompactJson(const Json::Value& value);

}  // namespace docwick
