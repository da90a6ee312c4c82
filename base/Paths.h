// Splitting file paths, ending folders with a separator, and the form of a path the file
// system takes at any length. Both '\\' and '/' separate.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hx {

constexpr bool IsPathSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// The folder part of a path, with its trailing separator; empty when the path has none.
constexpr std::u16string_view FolderPart(std::u16string_view path) {
    const std::size_t at = path.find_last_of(u"\\/");
    return at == std::u16string_view::npos ? std::u16string_view() : path.substr(0, at + 1);
}

// What follows the last separator (the whole path when there is none).
constexpr std::u16string_view FileNamePart(std::u16string_view path) {
    const std::size_t at = path.find_last_of(u"\\/");
    return at == std::u16string_view::npos ? path : path.substr(at + 1);
}

// The path with one separator at its end; an empty path stays empty.
inline std::u16string WithTrailingSeparator(std::u16string_view path) {
    std::u16string out(path);
    if (!out.empty() && !IsPathSeparator(out.back())) {
        out += u'\\';
    }
    return out;
}

// Final paths, as the system reports a file's resolved path: "\\?\C:\..." or
// "\\?\UNC\server\share\...". The length of the root ("\\?\C:\" or
// "\\?\UNC\server\share\"); 0 for any other path.
std::size_t FinalPathRootLength(std::u16string_view path);

// Each folder of a final path below its root, outermost first, without its separator.
std::vector<std::u16string> FinalPathFolders(std::u16string_view path);

// The final path in its everyday form ("C:\..." or "\\server\share\..."), which the shell
// takes, when no name in it would change its meaning without the prefix ("." and "..",
// names ending in a dot or a space); otherwise the final path as it is.
std::u16string EverydayPath(std::u16string_view path);

// The form of a full path that the file system takes at any length: "\\?\" before a
// drive path, "\\?\UNC\" in place of a share's leading "\\". That form is taken as it
// stands, so the path is first tidied as the system tidies a plain one: separators become
// '\', doubled ones and "." go, ".." takes the component before it (never the root). A
// path already in that form, or one that is not full, comes back as it is.
std::u16string LongPathForm(std::u16string_view path);

} // namespace hx
