#include "base/Paths.h"

#include <algorithm>

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

} // namespace hx
