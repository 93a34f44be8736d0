#pragma once

#include <functional>
#include <utility>

namespace cvn {

// An event as a pair of handler routine and receiving object. Raising an event
// that nobody bound does nothing, so callers never test before raising.
// Handlers take "var" arguments as references and change them in place.
template <typename... Args> class Event {
public:
    template <typename Owner> void Bind(Owner* owner, void (Owner::*handler)(Args...)) {
        fn_ = [owner, handler](Args... args) { (owner->*handler)(std::forward<Args>(args)...); };
    }
    void Bind(std::function<void(Args...)> fn) { fn_ = std::move(fn); }
    void Unbind() { fn_ = nullptr; }
    explicit operator bool() const { return bool(fn_); }

    void operator()(Args... args) const {
        if (fn_) fn_(std::forward<Args>(args)...);
    }

private:
    std::function<void(Args...)> fn_;
};

} // namespace cvn
