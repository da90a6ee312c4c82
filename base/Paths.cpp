#include "base/Paths.h"

#include <algorithm>
#include <vector>

namespace hx {

namespace {

constexpr std::u16string_view kLongPrefix = u"\\\\?\\";
constexpr std::u16string_view kUncPrefix = u"\\\\?\\UNC\\";

bool IsDriveLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The end of the separator-delimited name starting at `from`, or npos without a separator.
std::size_t NameEnd(std::u16string_view path, std::size_t from) {
    return path.find(u'\\', from);
}

} // namespace

std::size_t FinalPathRootLength(std::u16string_view path) {
    if (path.starts_with(kUncPrefix)) {
        // Server and share, each a non-empty name followed by a separator.
        const std::size_t server = NameEnd(path, kUncPrefix.size());
        if (server == std::u16string_view::npos || server == kUncPrefix.size()) {
            return 0;
        }
        const std::size_t share = NameEnd(path, server + 1);
        return share == std::u16string_view::npos || share == server + 1 ? 0 : share + 1;
    }
    const std::u16string_view rest = path.substr(std::min(path.size(), kLongPrefix.size()));
    const bool drive = path.starts_with(kLongPrefix) && rest.size() >= 3 &&
                       IsDriveLetter(rest[0]) && rest[1] == u':' && rest[2] == u'\\';
    return drive ? kLongPrefix.size() + 3 : 0;
}

std::vector<std::u16string> FinalPathFolders(std::u16string_view path) {
    std::vector<std::u16string> folders;
    const std::size_t root = FinalPathRootLength(path);
    if (root == 0) {
        return folders;
    }
    for (std::size_t end = NameEnd(path, root); end != std::u16string_view::npos;
         end = NameEnd(path, end + 1)) {
        folders.emplace_back(path.substr(0, end));
    }
    return folders;
}

std::u16string EverydayPath(std::u16string_view path) {
    const std::size_t root = FinalPathRootLength(path);
    if (root == 0) {
        return std::u16string(path);
    }
    for (std::size_t start = root; start <= path.size();) {
        const std::size_t end = std::min(NameEnd(path, start), path.size());
        const std::u16string_view name = path.substr(start, end - start);
        if (name.empty() || name == u"." || name == u".." || name.back() == u'.' ||
            name.back() == u' ') {
            return std::u16string(path);
        }
        start = end + 1;
    }
    if (path.starts_with(kUncPrefix)) {
        return u"\\\\" + std::u16string(path.substr(kUncPrefix.size()));
    }
    return std::u16string(path.substr(kLongPrefix.size()));
}

std::u16string LongPathForm(std::u16string_view path) {
    std::u16string p(path);
    std::replace(p.begin(), p.end(), u'/', u'\\');
    if (p.starts_with(kLongPrefix) || p.starts_with(u"\\\\.\\")) {
        return std::u16string(path); // already verbatim, or a device
    }
    std::u16string out;
    std::size_t root = 0; // where the components to tidy begin
    if (p.size() >= 3 && IsDriveLetter(p[0]) && p[1] == u':' && p[2] == u'\\') {
        out = std::u16string(kLongPrefix) + p.substr(0, 2);
        root = 2;
    } else if (p.starts_with(u"\\\\")) {
        const std::size_t server = p.find(u'\\', 2);
        std::size_t share = server == std::u16string::npos ? server : p.find(u'\\', server + 1);
        share = std::min(share, p.size());
        if (server == std::u16string::npos || server == 2 || share == server + 1) {
            return std::u16string(path); // no server or no share: not a full path
        }
        out = std::u16string(kUncPrefix) + p.substr(2, share - 2);
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

} // namespace hx
