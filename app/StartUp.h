// Start-up: which of the three courses a process runs (activate the open update window,
// relaunch from the temporary folder, or run the window in place), and the path rules of
// the relaunch. The platform operations come in through StartUpSystem, so the order of
// the steps is the same code on every platform and can be checked with a recording fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hx::app {

inline constexpr std::u16string_view kUpdateSwitch = u"/update";
inline constexpr std::u16string_view kUpdateFormClass = u"THXUpdateForm";
inline constexpr std::u16string_view kRelaunchSubfolder = u"KORVEX\\Hexaplane\\";

// True when the first argument (after the program's own name), with A to Z lower-cased,
// is the update switch. Later arguments are never looked at.
bool IsUpdateSwitch(std::span<const std::u16string> arguments);

// The relaunch folder under the temporary folder; empty when there is no temporary folder,
// so that nothing is ever copied relative to the current directory.
std::u16string RelaunchFolder(std::u16string_view tempFolder);

// The longest path the shell starts a program from: a full path within MAX_PATH (260)
// with its terminator.
inline constexpr std::size_t kLongestStartablePath = 259;

// The path to start the relaunch copy by, in the plain form the shell takes; nothing when
// the shell could not start a program there, so that no copy is made that is never run.
std::optional<std::u16string> StartablePath(std::u16string_view program);

// The folders to create, outermost first, so that `folder` exists with all its parents.
// Roots are never listed: "C:\", "\\server\share\" and the "\\?\" forms of both.
std::vector<std::u16string> FoldersToCreate(std::u16string_view folder);

// Position of the first group equal to `wanted`, scanning first to last. The caller's
// equality sees each group whole, so whatever else a group carries (its attributes, say)
// plays no part unless the equality looks at it.
template <class Group, class Id, class Equal>
std::optional<std::size_t> FindGroup(std::span<const Group> groups, const Id& wanted, Equal equal) {
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (equal(groups[i], wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

// The message box that refuses users outside the Administrators group, its texts looked
// up under the update window's name. `lookup` is GetCaption(window name, key).
struct RefusalMessage {
    std::u16string caption;
    std::u16string text;
    std::uint32_t flags = 0;
};
using CaptionLookup = std::function<std::u16string(std::u16string_view, std::u16string_view)>;
RefusalMessage AdministratorRefusal(std::u16string_view windowName, const CaptionLookup& lookup);

// File attributes, as the system numbers them.
namespace attribute {
inline constexpr std::uint32_t ReadOnly = 0x1, Hidden = 0x2, Directory = 0x10, Normal = 0x80;
} // namespace attribute

// What start-up needs from the platform. Every operation swallows its own failures.
class StartUpSystem {
public:
    virtual ~StartUpSystem() = default;
    // Finds the first top-level window of the class; restores and raises it when asked.
    virtual bool FindAndActivateWindow(std::u16string_view className, bool restore) = 0;
    // The user's temporary folder with a trailing separator; empty on failure.
    virtual std::u16string GetTempFolder() = 0;
    // Full path of the running executable; empty on failure.
    virtual std::u16string ExecutablePath() = 0;
    // The file operations take full paths of any length.
    virtual void CreateFolder(std::u16string_view folder) = 0; // one level, failure ignored
    virtual bool FolderExists(std::u16string_view folder) = 0;
    // Overwrites an existing file, as long as it is neither read-only nor hidden; the copy
    // takes the attributes of its source. False when nothing was copied.
    virtual bool CopyFileOver(std::u16string_view from, std::u16string_view to) = 0;
    // A file's attributes; nothing when there is no such file.
    virtual std::optional<std::uint32_t> FileAttributes(std::u16string_view file) = 0;
    virtual bool ChangeAttributes(std::u16string_view file, std::uint32_t attributes) = 0;
    virtual void OpenWithParameters(std::u16string_view file, std::u16string_view parameters) = 0;
    // Creates the update window and owns it until the application terminates.
    virtual void RunInPlace() = 0;
};

enum class Course {
    ActivatedExisting, // an update window was open: it was brought back
    RanInPlace,        // this process owned the update window
    Relaunched,        // the copy was made and started
    NoRelaunch,        // no temporary folder, no own path, or a copy that could not be
                       // started: nothing was done
};

// The whole start-up. `arguments` are the command-line arguments after the program's name.
Course RunStartUp(std::span<const std::u16string> arguments, StartUpSystem& system);

} // namespace hx::app
