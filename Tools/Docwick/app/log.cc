#include "app/log.h"

namespace docwick {

void LogRecord(const char* file,
               int line,
               const char* function,
               int level,
               const wchar_t* category,
               const wchar_t* format,
               ...) {
  va_list args;
  va_start(args, format);
  KSLog_DoKSLogVW(file, line, function, level, category, format, args);
  va_end(args);
}

}  // namespace docwick
