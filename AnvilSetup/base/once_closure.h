// A move-only closure that runs at most once; what it captured is destroyed on the
// thread that runs it (or on the thread that drops it unrun).
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace base {

class OnceClosure {
 public:
  OnceClosure() = default;
  template <typename F,
            typename = std::enable_if_t<!std::is_same<std::decay_t<F>, OnceClosure>::value>>
  OnceClosure(F&& f)  // NOLINT: implicit, like a std::function.
      : impl_(new Holder<std::decay_t<F>>(std::forward<F>(f))) {}
  OnceClosure(OnceClosure&&) noexcept = default;
  OnceClosure& operator=(OnceClosure&&) noexcept = default;
  OnceClosure(const OnceClosure&) = delete;
  OnceClosure& operator=(const OnceClosure&) = delete;

  explicit operator bool() const { return impl_ != nullptr; }

  // Runs the closure and destroys its captures before returning.
  void Run() {
    std::unique_ptr<HolderBase> impl = std::move(impl_);
    if (impl)
      impl->Run();
  }

 private:
  struct HolderBase {
    virtual ~HolderBase() = default;
    virtual void Run() = 0;
  };
  template <typename F>
  struct Holder : HolderBase {
    explicit Holder(F&& f) : f_(std::move(f)) {}
    explicit Holder(const F& f) : f_(f) {}
    void Run() override { f_(); }
    F f_;
  };

  std::unique_ptr<HolderBase> impl_;
};

}  // namespace base
