// The program's one exception boundary. Our code reports no failures, and no exception
// may cross a frame that is not ours (a window procedure, the entry point), so wherever
// control enters our code from outside (the window procedure, the toolkit's dispatch of an
// event to its handler, the entry points) the call runs guarded: an exception ends that
// call, and the caller carries on as if it had done nothing. Code between the edges lets
// exceptions travel.
//
// Our own quiet failures are plain results (false, nothing, an empty text); an exception
// that reaches a boundary is something nobody planned for, so the boundary tells a debugger
// what it caught and where (OutputDebugString on Windows, standard error elsewhere; never the
// user) and counts it, and the test programs fail a test that did not expect it.
#pragma once

#include <exception>
#include <utility>

namespace hx {

// Where a boundary stands: the call of Guarded, filled in by the compiler.
struct CatchSite {
    static constexpr CatchSite Here(const char* file = __builtin_FILE(),
                                    unsigned line = __builtin_LINE(),
                                    const char* function = __builtin_FUNCTION()) noexcept {
        return {file, line, function};
    }
    const char* file;
    unsigned line;
    const char* function;
};

// Tells what a boundary caught (the exception's text) and where, and counts it.
void ReportCaught(std::exception_ptr caught, const CatchSite& site) noexcept;

// How many exceptions the boundaries of this process have caught so far.
unsigned long CaughtExceptions() noexcept;

// Runs `f`; true when it returned, false when it ended by an exception.
template <class F> bool Guarded(F&& f, CatchSite site = CatchSite::Here()) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        ReportCaught(std::current_exception(), site);
        return false;
    }
}

// Runs `f` for its result; `fallback` when it ended by an exception.
template <class F, class R>
R Guarded(F&& f, R fallback, CatchSite site = CatchSite::Here()) noexcept {
    try {
        return std::forward<F>(f)();
    } catch (...) {
        ReportCaught(std::current_exception(), site);
        return fallback;
    }
}

} // namespace hx
