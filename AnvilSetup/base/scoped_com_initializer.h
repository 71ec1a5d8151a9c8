// Initialises COM on the calling thread as a single-threaded apartment for the object's
// lifetime; uninitialises only if the initialisation succeeded. A no-op off Windows.
#pragma once

#include <cstdint>

namespace base {

class ScopedCOMInitializer {
 public:
  ScopedCOMInitializer();
  ~ScopedCOMInitializer();
  ScopedCOMInitializer(const ScopedCOMInitializer&) = delete;
  ScopedCOMInitializer& operator=(const ScopedCOMInitializer&) = delete;

  int32_t status() const { return status_; }
  bool succeeded() const { return status_ >= 0; }

 private:
  int32_t status_;
};

}  // namespace base
