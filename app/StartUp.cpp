#include "app/StartUp.h"

#include "base/AsciiCase.h"
#include "base/Paths.h"
#include "update/Help.h"
#include "update/Prompts.h"

namespace hx::app {
namespace {

// Index just past `count` path components (each with its separator) from `pos`.
std::size_t SkipComponents(std::u16string_view p, std::size_t pos, int count) {
    for (int i = 0; i < count && pos < p.size(); ++i) {
        while (pos < p.size() && !IsPathSeparator(p[pos])) {
            ++pos;
        }
        if (pos < p.size()) {
            ++pos;
        }
    }
    return pos;
}

// Length of the part of the path that names a root and can never be created.
std::size_t RootLength(std::u16string_view p) {
    if (p.size() >= 4 && IsPathSeparator(p[0]) && IsPathSeparator(p[1]) &&
        (p[2] == u'?' || p[2] == u'.') && IsPathSeparator(p[3])) {
        const std::u16string_view rest = p.substr(4);
        if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 3), u"UNC") &&
            IsPathSeparator(rest[3])) {
            return SkipComponents(p, 8, 2); // \\?\UNC\server\share\ .
        }
        return SkipComponents(p, 4, 1); // \\?\C:\ .
    }
    if (p.size() >= 2 && IsPathSeparator(p[0]) && IsPathSeparator(p[1])) {
        return SkipComponents(p, 2, 2); // \\server\share\ .
    }
    if (p.size() >= 2 && p[1] == u':') {
        return p.size() >= 3 && IsPathSeparator(p[2]) ? 3 : 2;
    }
    return !p.empty() && IsPathSeparator(p[0]) ? 1 : 0;
}

// Copies over an existing file whatever attributes it has. A read-only or hidden file is
// never overwritten, and every copy of a read-only original is read-only itself: without
// this, the first such copy would stay for good. The attributes come back when the copy
// fails, so the old file stays as it was.
void CopyOverAnyFile(StartUpSystem& system, std::u16string_view from, std::u16string_view to) {
    constexpr std::uint32_t blocking = attribute::ReadOnly | attribute::Hidden;
    const std::optional<std::uint32_t> old = system.FileAttributes(to);
    const bool blocked = old && !(*old & attribute::Directory) && (*old & blocking);
    const std::uint32_t kept = old ? *old & ~blocking : 0;
    const bool cleared = blocked && system.ChangeAttributes(to, kept ? kept : attribute::Normal);
    if (!system.CopyFileOver(from, to) && cleared) {
        system.ChangeAttributes(to, *old);
    }
}

} // namespace

bool IsUpdateSwitch(std::span<const std::u16string> arguments) {
    const std::u16string first = arguments.empty() ? std::u16string() : AsciiLower(arguments[0]);
    return first == kUpdateSwitch;
}

std::u16string RelaunchFolder(std::u16string_view tempFolder) {
    if (tempFolder.empty()) {
        return {};
    }
    return WithTrailingSeparator(tempFolder) + std::u16string(kRelaunchSubfolder);
}

std::optional<std::u16string> StartablePath(std::u16string_view program) {
    std::u16string plain = EverydayPath(program);
    if (plain.size() > kLongestStartablePath || FinalPathRootLength(plain) != 0) {
        return std::nullopt;
    }
    return plain;
}

std::vector<std::u16string> FoldersToCreate(std::u16string_view folder) {
    std::vector<std::u16string> out;
    std::size_t pos = RootLength(folder);
    while (pos < folder.size()) {
        std::size_t end = pos;
        while (end < folder.size() && !IsPathSeparator(folder[end])) {
            ++end;
        }
        if (end > pos) { // doubled separators name no folder
            out.emplace_back(folder.substr(0, end));
        }
        pos = end + 1;
    }
    return out;
}

RefusalMessage AdministratorRefusal(std::u16string_view windowName, const CaptionLookup& lookup) {
    const auto caption = [&](std::u16string_view key) { return lookup(windowName, key); };
    return {caption(windowName), update::PromptText(update::Prompt::AdministratorRefusal, caption),
            update::PromptFlags(update::Prompt::AdministratorRefusal)};
}

Course RunStartUp(std::span<const std::u16string> arguments, StartUpSystem& system) {
    // The single-window rule comes first, whatever the arguments say.
    if (system.FindAndActivateWindow(kUpdateFormClass, true)) {
        return Course::ActivatedExisting;
    }
    if (IsUpdateSwitch(arguments)) {
        system.RunInPlace();
        return Course::RanInPlace;
    }
    const std::u16string target = RelaunchFolder(system.GetTempFolder());
    const std::u16string self = system.ExecutablePath();
    const std::u16string fileName(FileNamePart(self));
    const std::u16string folder(FolderPart(self));
    if (target.empty() || fileName.empty()) {
        return Course::NoRelaunch;
    }
    const std::u16string copy = target + fileName;
    const std::optional<std::u16string> start = StartablePath(copy);
    if (!start) {
        return Course::NoRelaunch;
    }
    if (!system.FolderExists(target)) {
        for (const auto& folder : FoldersToCreate(target)) {
            system.CreateFolder(folder);
        }
    }
    // Results are not examined: a failed copy still starts whatever the folder holds.
    const std::u16string helpFile(update::kHelpFileName);
    CopyOverAnyFile(system, self, copy);
    CopyOverAnyFile(system, folder + helpFile, target + helpFile);
    system.OpenWithParameters(*start, kUpdateSwitch);
    return Course::Relaunched;
}

} // namespace hx::app
