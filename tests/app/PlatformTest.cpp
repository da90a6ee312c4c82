// Start-up's Windows operations against the real (Wine) system.
#include "app/win/Platform.h"

#include "app/StartUp.h"
#include "base/ExecutablePath.h"
#include "base/Paths.h"
#include "base/win/Handles.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

#include <filesystem>
#include <fstream>
#include <optional>

namespace hx::app {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable of this process for one scope.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[32768];
        const DWORD n = GetEnvironmentVariableW(name, old, 32768);
        if (n > 0 && n < 32768) {
            old_ = std::wstring(old, n);
        }
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

TEST(GetTempFolder, ReportsTheSystemsFolderWithOneTrailingSeparator) {
    wchar_t expected[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, expected);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(test::Wide(GetTempFolder()), std::wstring(expected, n));

    ScopedVariable tmp(L"TMP", L"C:\\hx-no-separator");
    EXPECT_EQ(GetTempFolder(), u"C:\\hx-no-separator\\");
}

TEST(ExecutablePath, IsTheFullPathOfThisProgram) {
    const std::u16string path = ExecutablePath();
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path[1], u':');
    EXPECT_TRUE(FolderExists(FolderPart(path)));
    EXPECT_EQ(fs::path(test::Wide(FileNamePart(path))).stem(), fs::path(L"app_windows_test"));
}

class Scratch : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string pid = std::to_string(GetCurrentProcessId());
        root_ = GetTempFolder() + u"hx-app-test-" + std::u16string(pid.begin(), pid.end());
        fs::remove_all(test::Wide(root_));
        root_ += u"\\";
    }
    void TearDown() override { fs::remove_all(test::Wide(root_)); }
    static void Write(const std::u16string& file, const std::string& content) {
        std::ofstream(fs::path(test::Wide(file)), std::ios::binary) << content;
    }
    static std::string Read(const std::u16string& file) {
        std::ifstream in(fs::path(test::Wide(file)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::u16string root_;
};

TEST_F(Scratch, FoldersAreCreatedWithEveryMissingParent) {
    const std::u16string target = RelaunchFolder(root_);
    EXPECT_FALSE(FolderExists(target));
    for (const auto& folder : FoldersToCreate(target)) {
        CreateFolder(folder);
    }
    EXPECT_TRUE(FolderExists(target));
    EXPECT_TRUE(FolderExists(root_ + u"KORVEX"));
    Write(target + u"file", "x");
    EXPECT_FALSE(FolderExists(target + u"file")) << "a file is no folder";
}

TEST_F(Scratch, CopyingOverwritesAnOlderFileAndAMissingSourceChangesNothing) {
    CreateFolder(root_);
    Write(root_ + u"new", "new content");
    Write(root_ + u"old", "older and longer content");
    CopyFileOver(root_ + u"new", root_ + u"old");
    EXPECT_EQ(Read(root_ + u"old"), "new content");
    CopyFileOver(root_ + u"missing", root_ + u"old");
    EXPECT_EQ(Read(root_ + u"old"), "new content");
}

class TestWindow : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"HXStartUpTestWindow";
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        window_.reset(CreateWindowExW(0, kClass, L"", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                      nullptr, nullptr, wc.hInstance, nullptr));
        ASSERT_TRUE(window_);
    }
    void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&m);
        }
    }
    win::UniqueWindow window_;
};

TEST_F(TestWindow, FindAndActivateRestoresOnlyWhenAsked) {
    EXPECT_FALSE(FindAndActivateWindow(u"HXNoSuchWindowClass", true));
    ShowWindow(window_.get(), SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(window_.get()));
    EXPECT_TRUE(FindAndActivateWindow(u"HXStartUpTestWindow", false));
    Pump();
    EXPECT_TRUE(IsIconic(window_.get())) << "found but left alone";
    EXPECT_TRUE(FindAndActivateWindow(u"HXStartUpTestWindow", true));
    Pump();
    EXPECT_FALSE(IsIconic(window_.get()));
    EXPECT_TRUE(IsWindowVisible(window_.get()));
}

} // namespace
} // namespace hx::app
