// Docwick's log records go to the base library's logger with file, line, function, level and
// category; the format is a wide printf format.
#pragma once

#include "keystone.h"

namespace docwick {

void LogRecord(const char* file,
               int line,
               const char* function,
               int level,
               const wchar_t* category,
               const wchar_t* format,
               ...);

}  // namespace docwick

#define DW_LOG_INFO(category, function, ...) \
  ::docwick::LogRecord(__FILE__, __LINE__, function, KS_LOG_INFO, category, __VA_ARGS__)
#define DW_LOG_ERROR(category, function, ...) \
  ::docwick::LogRecord(__FILE__, __LINE__, function, KS_LOG_ERROR, category, __VA_ARGS__)
