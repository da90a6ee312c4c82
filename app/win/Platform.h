// The Windows operations of start-up. None reports a failure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hx::app {

// Finds the first top-level window of the class (no title test). When `restore` is set
// the window is shown with the restore command and made the foreground window. True
// whenever a window was found.
bool FindAndActivateWindow(std::u16string_view className, bool restore);

// The user's temporary folder as the system reports it, of any length, ending in one
// separator; empty on failure.
std::u16string GetTempFolder();

// The command-line arguments after the program's own name, as the runtime split them.
std::vector<std::u16string> CommandLineArguments();

// File operations on full paths of any length.
void CreateFolder(std::u16string_view folder);
bool FolderExists(std::u16string_view folder);
bool CopyFileOver(std::u16string_view from, std::u16string_view to);
std::optional<std::uint32_t> FileAttributes(std::u16string_view file);
bool ChangeAttributes(std::u16string_view file, std::uint32_t attributes);

} // namespace hx::app
