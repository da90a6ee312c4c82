#include "base/Guard.h"

#include "base/DebugOutput.h"

#include <atomic>
#include <string>
#include <string_view>

namespace hx {

namespace {

std::atomic<unsigned long> caughtExceptions{0};

std::string Describe(std::exception_ptr caught) {
    try {
        std::rethrow_exception(caught);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception not derived from std::exception";
    }
}

std::string_view FileName(std::string_view path) {
    const std::size_t at = path.find_last_of("/\\");
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

} // namespace

void ReportCaught(std::exception_ptr caught, const CatchSite& site) noexcept {
    caughtExceptions.fetch_add(1);
    try {
        std::string line = "exception caught in ";
        line += site.function;
        line += " (";
        line += FileName(site.file);
        line += ':' + std::to_string(site.line) + "): " + Describe(caught);
        DebugOutput(line);
    } catch (...) {
        DebugOutput("exception caught; no memory left to say which");
    }
}

unsigned long CaughtExceptions() noexcept {
    return caughtExceptions.load();
}

} // namespace hx
