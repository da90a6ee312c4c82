#include "base/ExecutablePath.h"

#include "base/TextCodecs.h"

#include <unistd.h>

#include <string>

namespace hx {

std::u16string ExecutablePath() {
    std::string buffer(4096, '\0');
    const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (got <= 0 || static_cast<std::size_t>(got) >= buffer.size()) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(got));
    return DecodeUtf8(buffer);
}

} // namespace hx
