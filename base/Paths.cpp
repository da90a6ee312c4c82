#include "base/Paths.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <vector>

namespace hx {
namespace {

constexpr std::u16string_view kLongPrefix = u"\\\\?\\";
constexpr std::u16string_view kLongSharePrefix = u"\\\\?\\UNC\\";

constexpr bool IsDrive(std::u16string_view p) {
    return p.size() >= 2 && AsciiLower(p[0]) >= u'a' && AsciiLower(p[0]) <= u'z' && p[1] == u':';
}

} // namespace

std::u16string LongPathForm(std::u16string_view path) {
    std::u16string p(path);
    std::replace(p.begin(), p.end(), u'/', u'\\');
    if (p.starts_with(kLongPrefix) || p.starts_with(u"\\\\.\\")) {
        return std::u16string(path); // already verbatim, or a device
    }
    std::u16string out;
    std::size_t root = 0; // where the components to tidy begin
    if (IsDrive(p) && p.size() >= 3 && p[2] == u'\\') {
        out = std::u16string(kLongPrefix) + p.substr(0, 2);
        root = 2;
    } else if (p.starts_with(u"\\\\")) {
        const std::size_t server = p.find(u'\\', 2);
        std::size_t share = server == std::u16string::npos ? server : p.find(u'\\', server + 1);
        share = std::min(share, p.size());
        if (server == std::u16string::npos || server == 2 || share == server + 1) {
            return std::u16string(path); // no server or no share: not a full path
        }
        out = std::u16string(kLongSharePrefix) + p.substr(2, share - 2);
        root = share;
    } else {
        return std::u16string(path);
    }
    std::vector<std::u16string_view> parts;
    const std::u16string_view rest = std::u16string_view(p).substr(root);
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::size_t end = std::min(rest.find(u'\\', pos), rest.size());
        const std::u16string_view part = rest.substr(pos, end - pos);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    for (const auto part : parts) {
        out += u'\\';
        out += part;
    }
    if (parts.empty() || IsPathSeparator(p.back())) {
        out += u'\\';
    }
    return out;
}

std::u16string PlainPathForm(std::u16string_view path) {
    if (StartsWithNoCase(path, kLongSharePrefix)) {
        return u"\\\\" + std::u16string(path.substr(kLongSharePrefix.size()));
    }
    if (path.starts_with(kLongPrefix) && IsDrive(path.substr(kLongPrefix.size()))) {
        return std::u16string(path.substr(kLongPrefix.size()));
    }
    return std::u16string(path);
}

} // namespace hx
