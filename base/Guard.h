// The program's one exception boundary. Our code reports no failures, and no exception
// may cross a frame that is not ours (a window procedure, the entry point), so wherever
// control enters our code from outside (the window procedure, the toolkit's dispatch of an
// event to its handler, the entry points) the call runs guarded: an exception ends that
// call, and the caller carries on as if it had done nothing. Code between the edges lets
// exceptions travel.
#pragma once

#include <utility>

namespace hx {

// Runs `f`; true when it returned, false when it ended by an exception.
template <class F> bool Guarded(F&& f) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        return false;
    }
}

// Runs `f` for its result; `fallback` when it ended by an exception.
template <class F, class R> R Guarded(F&& f, R fallback) noexcept {
    try {
        return std::forward<F>(f)();
    } catch (...) {
        return fallback;
    }
}

} // namespace hx
