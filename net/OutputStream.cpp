#include "net/OutputStream.h"

#include <algorithm>
#include <limits>
#include <new>

namespace hx::net {

bool MemoryOutputStream::Seek(std::int64_t position) {
    if (position < 0) {
        return false;
    }
    position_ = position;
    return true;
}

bool MemoryOutputStream::SetSize(std::int64_t size) {
    if (size < 0 || size > kMaxMemoryStream || (sizeLimit_ > 0 && size > sizeLimit_)) {
        return false;
    }
    try {
        bytes_.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return false; // no memory for it: refused like any size that cannot be held
    }
    return true;
}

bool MemoryOutputStream::Write(std::span<const std::uint8_t> data) {
    if (data.empty()) {
        return true;
    }
    const std::int64_t end = position_ + static_cast<std::int64_t>(data.size());
    if (end > Size() && !SetSize(end)) {
        return false;
    }
    std::copy(data.begin(), data.end(), bytes_.begin() + position_);
    position_ = end;
    return true;
}

} // namespace hx::net
