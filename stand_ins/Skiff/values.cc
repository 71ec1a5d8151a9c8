// Script values and the helper table handed to host functions.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine_internal.h"

namespace skiff {

namespace {

ScriptObject* NewObject(int kind, bool is_function, const std::string& text) {
  ScriptObject* object = new ScriptObject;
  object->kind = kind;
  object->is_function = is_function;
  object->text = text;
  return object;
}

void ReleaseRef(void* ref) {
  ScriptObject* object = static_cast<ScriptObject*>(ref);
  if (object && --object->refs == 0)
    delete object;
}

const char* ToText(const SkiffValue* value) {
  if (!value || value->kind != SKIFF_VALUE_STRING || !value->u.ref)
    return nullptr;
  return static_cast<ScriptObject*>(value->u.ref)->text.c_str();
}

BOOL IsFunction(const SkiffValue* value) {
  return value && value->kind == SKIFF_VALUE_OBJECT && value->u.ref &&
         static_cast<ScriptObject*>(value->u.ref)->is_function;
}

char* ToJson(const SkiffValue* value) {
  if (!value || value->kind != SKIFF_VALUE_OBJECT || !value->u.ref)
    return nullptr;
  ScriptObject* object = static_cast<ScriptObject*>(value->u.ref);
  // Functions and objects marked unconvertible (text "!") have no JSON form.
  if (object->is_function || object->text == "!")
    return nullptr;
  char* copy = static_cast<char*>(std::malloc(object->text.size() + 1));
  if (copy)
    std::memcpy(copy, object->text.c_str(), object->text.size() + 1);
  return copy;
}

void FreeText(char* text) {
  std::free(text);
}

BOOL FromJson(const char* json, SkiffValue* result) {
  if (!json || !result || !*json)
    return FALSE;
  result->kind = SKIFF_VALUE_OBJECT;
  result->u.ref = NewObject(SKIFF_VALUE_OBJECT, false, json);
  return TRUE;
}

BOOL MakeString(const char* utf8, SkiffValue* result) {
  if (!utf8 || !result)
    return FALSE;
  result->kind = SKIFF_VALUE_STRING;
  result->u.ref = NewObject(SKIFF_VALUE_STRING, false, utf8);
  return TRUE;
}

BOOL Call(void* function, const SkiffValue* args, int count) {
  ScriptObject* object = static_cast<ScriptObject*>(function);
  if (!object || !object->is_function || count < 0 || (count && !args))
    return FALSE;
  std::string line = "callback " + object->text;
  for (int i = 0; i < count; ++i)
    line += " " + Render(args[i]);
  Log(line);
  return TRUE;
}

const SkiffHelpers kHelpers = {ReleaseRef, ToText,     IsFunction, ToJson, FreeText,
                               FromJson,   MakeString, Call,       {}};

}  // namespace

const SkiffHelpers* Helpers() {
  return &kHelpers;
}

std::string Render(const SkiffValue& value) {
  char buffer[64];
  switch (value.kind) {
    case SKIFF_VALUE_BOOL:
      return std::string("b:") + ((value.u.boolean & 0xFFFF) ? "1" : "0");
    case SKIFF_VALUE_INT:
      return "i:" + std::to_string(value.u.integer);
    case SKIFF_VALUE_DOUBLE:
      std::snprintf(buffer, sizeof(buffer), "d:%g", value.u.number);
      return buffer;
    case SKIFF_VALUE_STRING:
      return std::string("s:") + (ToText(&value) ? ToText(&value) : "");
    case SKIFF_VALUE_OBJECT: {
      ScriptObject* object = static_cast<ScriptObject*>(value.u.ref);
      if (!object)
        return "o:null";
      return (object->is_function ? "f:" : "o:") + object->text;
    }
    default:
      return "?:" + std::to_string(value.kind);
  }
}

bool MakeArgument(const std::string& token, SkiffValue* value) {
  std::memset(value, 0, sizeof(*value));
  if (token.size() < 2 || token[1] != ':')
    return false;
  std::string rest = token.substr(2);
  switch (token[0]) {
    case 'i':
      value->kind = SKIFF_VALUE_INT;
      value->u.integer = std::atoi(rest.c_str());
      return true;
    case 'd':
      value->kind = SKIFF_VALUE_DOUBLE;
      value->u.number = std::atof(rest.c_str());
      return true;
    case 'b':
      value->kind = SKIFF_VALUE_BOOL;
      value->u.boolean = rest == "1" ? 1 : 0;
      return true;
    case 's':
      return MakeString(rest.c_str(), value) != FALSE;
    case 'o':
      value->kind = SKIFF_VALUE_OBJECT;
      value->u.ref = NewObject(SKIFF_VALUE_OBJECT, false, rest);
      return true;
    case 'f':
      value->kind = SKIFF_VALUE_OBJECT;
      value->u.ref = NewObject(SKIFF_VALUE_OBJECT, true, rest);
      return true;
    default:
      return false;
  }
}

void ReleaseValue(SkiffValue* value) {
  if (value->kind == SKIFF_VALUE_STRING || value->kind == SKIFF_VALUE_OBJECT)
    ReleaseRef(value->u.ref);
  std::memset(value, 0, sizeof(*value));
}

}  // namespace skiff
