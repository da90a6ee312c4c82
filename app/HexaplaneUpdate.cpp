// Entry point: picks the start-up course and ends with exit code 0 whatever happened.
#include "app/StartUp.h"
#include "app/win/Platform.h"
#include "app/win/RunInPlace.h"
#include "base/ExecutablePath.h"
#include "base/Guard.h"
#include "support/Shell.h"

#include <windows.h>

namespace hx::app {
namespace {

class WindowsStartUp final : public StartUpSystem {
public:
    bool FindAndActivateWindow(std::u16string_view className, bool restore) override {
        return app::FindAndActivateWindow(className, restore);
    }
    std::u16string GetTempFolder() override { return app::GetTempFolder(); }
    std::u16string ExecutablePath() override { return hx::ExecutablePath(); }
    void CreateFolder(std::u16string_view folder) override { app::CreateFolder(folder); }
    bool FolderExists(std::u16string_view folder) override { return app::FolderExists(folder); }
    bool CopyFileOver(std::u16string_view from, std::u16string_view to) override {
        return app::CopyFileOver(from, to);
    }
    std::optional<std::uint32_t> FileAttributes(std::u16string_view file) override {
        return app::FileAttributes(file);
    }
    bool ChangeAttributes(std::u16string_view file, std::uint32_t attributes) override {
        return app::ChangeAttributes(file, attributes);
    }
    void OpenWithParameters(std::u16string_view file, std::u16string_view parameters) override {
        hx::OpenWithParameters(file, parameters);
    }
    void RunInPlace() override { app::RunInPlace(); }
};

} // namespace
} // namespace hx::app

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    hx::Guarded([] {
        hx::app::WindowsStartUp system;
        hx::app::RunStartUp(hx::app::CommandLineArguments(), system);
    });
    return 0;
}
