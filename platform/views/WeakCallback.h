#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <utility>

namespace busdesk {

// A callback that holds its owner weakly: called with the trailing arguments of `body` (which is
// called as `body(T&, args...)`), it calls `body` only while the owner still lives and does nothing
// once it is gone. The owner is kept alive for the length of the call. The weak reference may be of
// a base of T (a view or a screen held by its base class); the owner must really be a T.
template <class T, class Base, class Body>
requires std::derived_from<T, Base>
class WeakCallback {
  public:
    WeakCallback(std::weak_ptr<Base> owner, Body body) : owner_(std::move(owner)), body_(std::move(body)) {}

    template <class... Args>
    requires std::invocable<const Body&, T&, Args...>
    void operator()(Args&&... args) const {
        if (auto strong = owner_.lock())
            std::invoke(body_, static_cast<T&>(*strong), std::forward<Args>(args)...);
    }

  private:
    std::weak_ptr<Base> owner_;
    Body body_;
};

// `whileAlive<T>(weak, body)`: see WeakCallback.
template <class T, class Base, class Body>
auto whileAlive(std::weak_ptr<Base> owner, Body body) {
    return WeakCallback<T, Base, Body>(std::move(owner), std::move(body));
}

// The same for the object the callback is made in: `whileAlive(this, [](Sheet& s, int i) {...})`.
template <class T, class Body>
auto whileAlive(T* owner, Body body) {
    return whileAlive<T>(owner->weak_from_this(), std::move(body));
}

}  // namespace busdesk
