#include "app/StartUp.h"

#include "support/AsciiCase.h"

namespace hx::app {
namespace {

constexpr bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// Index just past `count` path components (each with its separator) from `pos`.
std::size_t SkipComponents(std::u16string_view p, std::size_t pos, int count) {
    for (int i = 0; i < count && pos < p.size(); ++i) {
        while (pos < p.size() && !IsSeparator(p[pos]))
            ++pos;
        if (pos < p.size())
            ++pos;
    }
    return pos;
}

// Length of the part of the path that names a root and can never be created.
std::size_t RootLength(std::u16string_view p) {
    if (p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == u'?' || p[2] == u'.') &&
        IsSeparator(p[3])) {
        const std::u16string_view rest = p.substr(4);
        if (rest.size() >= 4 && EqualsAsciiNoCase(rest.substr(0, 3), u"UNC") &&
            IsSeparator(rest[3]))
            return SkipComponents(p, 8, 2); // \\?\UNC\server\share\ .
        return SkipComponents(p, 4, 1);     // \\?\C:\ .
    }
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1]))
        return SkipComponents(p, 2, 2); // \\server\share\ .
    if (p.size() >= 2 && p[1] == u':')
        return p.size() >= 3 && IsSeparator(p[2]) ? 3 : 2;
    return !p.empty() && IsSeparator(p[0]) ? 1 : 0;
}

} // namespace

bool IsUpdateSwitch(std::span<const std::u16string> arguments) {
    const std::u16string first = arguments.empty() ? std::u16string() : AsciiLower(arguments[0]);
    return first == kUpdateSwitch;
}

std::u16string WithTrailingSeparator(std::u16string_view path) {
    std::u16string out(path);
    if (!out.empty() && !IsSeparator(out.back()))
        out += u'\\';
    return out;
}

std::u16string RelaunchFolder(std::u16string_view tempFolder) {
    if (tempFolder.empty())
        return {};
    return WithTrailingSeparator(tempFolder) + std::u16string(kRelaunchSubfolder);
}

PathParts SplitPath(std::u16string_view fullPath) {
    std::size_t cut = fullPath.size();
    while (cut > 0 && !IsSeparator(fullPath[cut - 1]))
        --cut;
    return {std::u16string(fullPath.substr(0, cut)), std::u16string(fullPath.substr(cut))};
}

std::vector<std::u16string> FoldersToCreate(std::u16string_view folder) {
    std::vector<std::u16string> out;
    std::size_t pos = RootLength(folder);
    while (pos < folder.size()) {
        std::size_t end = pos;
        while (end < folder.size() && !IsSeparator(folder[end]))
            ++end;
        if (end > pos) // doubled separators name no folder
            out.emplace_back(folder.substr(0, end));
        pos = end + 1;
    }
    return out;
}

RefusalMessage AdministratorRefusal(std::u16string_view windowName, const CaptionLookup& lookup) {
    return {lookup(windowName, windowName), lookup(windowName, u"MessageBoxAdmin1") + u"\r\n\r\n" +
                                                lookup(windowName, u"MessageBoxAdmin2")};
}

Course RunStartUp(std::span<const std::u16string> arguments, StartUpSystem& system) {
    // The single-window rule comes first, whatever the arguments say.
    if (system.FindAndActivateWindow(kUpdateFormClass, true))
        return Course::ActivatedExisting;
    if (IsUpdateSwitch(arguments)) {
        system.RunInPlace();
        return Course::RanInPlace;
    }
    const std::u16string target = RelaunchFolder(system.GetTempFolder());
    const std::u16string self = system.ExecutablePath();
    const PathParts own = SplitPath(self);
    if (target.empty() || own.fileName.empty())
        return Course::NoRelaunch;
    if (!system.FolderExists(target))
        for (const auto& folder : FoldersToCreate(target))
            system.CreateFolder(folder);
    // Results are not examined: a failed copy still starts whatever the folder holds.
    system.CopyFileOver(self, target + own.fileName);
    system.CopyFileOver(own.folder + std::u16string(kHelpFileName),
                        target + std::u16string(kHelpFileName));
    system.OpenWithParameters(target + own.fileName, kUpdateSwitch);
    return Course::Relaunched;
}

} // namespace hx::app
