#pragma once

#include <functional>
#include <memory>
#include <tuple>
#include <utility>

namespace platform {

// A callback that holds `object` weakly: when called it locks it and, if it is still alive, calls
// `method` with the bound arguments followed by the call's own; once the object is gone a call
// does nothing. What the method returns is dropped.
//
//   session->onProgress(bindWeak(self<Loader>(), &Loader::reportProgress, url));
//   // called as f(received, expected) → loader->reportProgress(url, received, expected)
template <class T, class Method, class... Bound>
auto bindWeak(std::weak_ptr<T> object, Method method, Bound... bound) {
  return [object = std::move(object), method,
          bound = std::make_tuple(std::move(bound)...)](auto&&... args) {
    const std::shared_ptr<T> locked = object.lock();
    if (!locked) return;
    std::apply(
        [&](const auto&... b) {
          std::invoke(method, locked.get(), b..., std::forward<decltype(args)>(args)...);
        },
        bound);
  };
}

template <class T, class Method, class... Bound>
auto bindWeak(const std::shared_ptr<T>& object, Method method, Bound... bound) {
  return bindWeak(std::weak_ptr<T>(object), method, std::move(bound)...);
}

}  // namespace platform
