// A non-owning reference to a callable: two pointers, no allocation. The referenced callable
// must outlive the FunctionRef; pass a lambda straight into a call and it lives long enough.
//
//   std::vector<int> bake(FunctionRef<const Scene*(std::uint32_t)> lookup);
//   bake([&](std::uint32_t id) { return cache.find(id); });
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace ostrevane::scenery {

template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
           std::is_object_v<std::remove_reference_t<F>> &&
           std::is_invocable_r_v<R, std::remove_reference_t<F>&, Args...>) FunctionRef(F&& callable)
  noexcept
      : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
        call_(&invoke<std::remove_reference_t<F>>) {}

  R operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

 private:
  template <class F>
  static R invoke(void* object, Args... args) {
    return std::invoke_r<R>(*static_cast<F*>(object), std::forward<Args>(args)...);
  }

  void* object_;
  R (*call_)(void*, Args...);
};

}  // namespace ostrevane::scenery
