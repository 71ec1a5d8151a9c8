// Where a closure was posted from; carried with every posted task for diagnostics.
#pragma once

namespace base {

struct Location {
  const char* function_name = "";
  const char* file_name = "";
  int line = 0;
};

}  // namespace base

#define FROM_HERE                \
  ::base::Location {             \
    __func__, __FILE__, __LINE__ \
  }
#define FROM_HERE_WITH_EXPLICIT_FUNCTION(function_name) \
  ::base::Location {                                    \
    function_name, __FILE__, __LINE__                   \
  }
