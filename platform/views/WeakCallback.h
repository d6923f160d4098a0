#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <utility>

namespace busdesk {

// A callback that holds its owner weakly: `whileAlive<T>(weak, body)` is a callable taking the
// trailing arguments of `body` (body is called as `body(T&, args...)`) that calls `body` only while
// the owner still lives, and does nothing once it is gone. The owner is kept alive for the length
// of the call. `weak` may hold a base of T (a View or a ViewController held by its base), the
// owner must really be a T.
template <class T, class Base, class Body>
requires std::derived_from<T, Base>
auto whileAlive(std::weak_ptr<Base> weak, Body body) {
    return [ weak = std::move(weak), body = std::move(body) ]<class... Args>(
               Args && ... args) -> void requires std::invocable<const Body&, T&, Args...> {
        if (auto strong = weak.lock())
            std::invoke(body, static_cast<T&>(*strong), std::forward<Args>(args)...);
    };
}

// The same for the object the callback is made in: `whileAlive(this, [](Sheet& s, int i) {...})`.
template <class T, class Body>
auto whileAlive(T* owner, Body body) {
    return whileAlive<T>(owner->weak_from_this(), std::move(body));
}

}  // namespace busdesk
