#include "tests/e2e/FlowFixture.h"

#include "tests/TestText.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>
#include <thread>

namespace hx::e2e {

namespace {

std::wstring ToWindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return path;
}

constexpr wchar_t kLinkCommand[] = L"http\\shell\\open\\command";

} // namespace

bool PollUntilTrue(Duration timeout, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(30ms);
    }
}

std::wstring BuildPath(std::wstring_view relative) {
    return ToWindowsPath(test::Wide(HX_BINARY_DIR)) + std::wstring(relative);
}

const std::string& InstallerBytes() {
    static const std::string bytes =
        ReadBytes(BuildPath(L"standins\\installer-standin.exe")).value_or(std::string());
    return bytes;
}

int PositionFor(std::size_t count, std::size_t total) {
    return static_cast<int>(std::nearbyint(double(count) / double(total) * 100.0));
}

std::wstring Texts(std::initializer_list<std::wstring_view> pieces) {
    std::wstring text;
    for (std::wstring_view piece : pieces) {
        if (!text.empty()) {
            text += L"\r\n\r\n";
        }
        text += piece;
    }
    return text;
}

const std::wstring kNoConnectionText =
    Texts({L"Could not connect to the internet to check for software updates.",
           L"Please check if your internet connection is available."});
const std::wstring kNoUpdateText =
    Texts({L"There are no updates available for this software.",
           L"You have the current version of the software installed."});
const std::wstring kUpdateText =
    Texts({L"An update for this software is available to download.",
           L"Do you want to download and install a new version of this software?"});
const std::wstring kManualUpdateText =
    Texts({L"This software could not be automatically updated.",
           L"Do you want to manually download and install a new version of this software?"});
const std::wstring kRestartText =
    Texts({L"The updater could not update some files.",
           L"You will need to restart Windows for the files to be updated.",
           L"Click Yes to restart the computer now, or click No to restart later."});

std::string LengthHead(std::size_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

test::Script CheckAnswer(std::string_view body) {
    return test::Reply(test::Response200(body, "Content-Type: text/html\r\n"));
}

test::Script SlowBody(std::string head, const std::string& body, std::vector<std::size_t> stops,
                      int pauseMs) {
    // The head goes alone, so the first body block starts with the body's first byte.
    test::Script script{test::WaitRequest(), test::Send(std::move(head)), test::Pause(200)};
    std::size_t sent = 0;
    stops.push_back(body.size());
    for (std::size_t stop : stops) {
        script.push_back(test::Send(body.substr(sent, stop - sent)));
        sent = stop;
        if (sent < body.size()) {
            script.push_back(test::Pause(pauseMs));
        }
    }
    return script;
}

LinkHandler::LinkHandler() {
    std::wstring recorder = test::Wide(HX_LINK_RECORDER);
    std::replace(recorder.begin(), recorder.end(), L'/', L'\\');
    if (!recorder.empty() && recorder[0] == L'\\') {
        recorder = L"Z:" + recorder;
    }
    const std::wstring command = L"\"" + recorder + L"\" %1";
    // Wine's shell reads the machine's classes only; keep what it had, to put it back.
    wchar_t previous[2048];
    DWORD size = sizeof previous;
    if (RegGetValueW(HKEY_CLASSES_ROOT, kLinkCommand, nullptr, RRF_RT_REG_SZ, nullptr, previous,
                     &size) == ERROR_SUCCESS) {
        previous_ = previous;
    }
    SetCommand(command);
}

LinkHandler::~LinkHandler() {
    if (previous_) {
        SetCommand(*previous_);
    } else {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"http");
    }
}

void LinkHandler::SetCommand(const std::wstring& command) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kLinkCommand, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   DWORD((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void UpdateFlow::SetUp() {
    ASSERT_TRUE(FileExists(BuiltProgram())) << "program under test missing";
    ASSERT_FALSE(InstallerBytes().empty()) << "installer stand-in missing";
    ASSERT_TRUE(WaitForNoWindow(kUpdateForm, 10s)) << "an update window is already open";
    standinLog_ = session_.InstallFolder() + L"standins.log";
    linkLog_ = session_.InstallFolder() + L"links.log";
    // The product and the installer share one log, so their lines keep their order.
    SetEnvironmentVariableW(L"HX_PRODUCT_LOG", standinLog_.c_str());
    SetEnvironmentVariableW(L"HX_INSTALLER_LOG", standinLog_.c_str());
    SetEnvironmentVariableW(L"HX_LINK_LOG", linkLog_.c_str());
    SetEnvironmentVariableW(L"HX_INSTALLER_EXIT", nullptr);
    SetEnvironmentVariableW(L"HX_INSTALLER_WAIT_MS", nullptr);
    ASSERT_TRUE(
        CopyFileW(BuildPath(L"Hexaplane.chm").c_str(), session_.InstalledHelp().c_str(), FALSE))
        << "help stand-in missing";
}

void UpdateFlow::StartProduct() {
    const Process product = session_.Start(BuildPath(L"standins\\product-standin.exe"));
    ASSERT_TRUE(product.handle);
    for (const wchar_t* cls : {L"THXMainForm", L"THXAboutForm", L"THXSettingsForm"}) {
        ASSERT_TRUE(WaitForVisibleWindow(cls, kDefaultTimeout, product.id)) << cls;
    }
}

HWND UpdateFlow::StartUpdater() {
    updater_ = session_.Start(session_.InstalledProgram(), L"/update");
    window_ =
        updater_.handle ? WaitForVisibleWindow(kUpdateForm, kDefaultTimeout, updater_.id) : nullptr;
    if (!window_) {
        return nullptr;
    }
    for (const Control& c : Controls(window_)) {
        if (c.className == PROGRESS_CLASSW) {
            bar_ = c.window;
        } else if (c.text == L"&Update") {
            update_ = c.window;
        } else if (c.text == L"&Close") {
            close_ = c.window;
        } else if (c.text == L"&Help") {
            help_ = c.window;
        }
    }
    EXPECT_TRUE(update_ && close_ && help_ && bar_) << "controls of the update window";
    return window_;
}

void UpdateFlow::PressUpdate() {
    ASSERT_TRUE(update_);
    ASSERT_TRUE(IsWindowEnabled(update_));
    Click(update_);
}

void UpdateFlow::BringToFront() {
    SetForegroundWindow(window_);
    ASSERT_TRUE(PollUntilTrue(5s, [&] { return GetForegroundWindow() == window_; }));
}

std::optional<MessageBoxInfo> UpdateFlow::ExpectBox(const std::wstring& text,
                                                    std::vector<int> buttons, int defaultButton) {
    auto box = WaitForMessageBox(kDefaultTimeout, updater_.id);
    EXPECT_TRUE(box) << "no message box";
    if (!box) {
        return std::nullopt;
    }
    EXPECT_EQ(box->owner, window_);
    EXPECT_EQ(box->caption, L"Update Hexaplane");
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->buttons, buttons);
    EXPECT_EQ(box->defaultButton, defaultButton);
    return box;
}

bool UpdateFlow::AcceptOfferedUpdate() {
    return StartUpdater() && AcceptOffer();
}

bool UpdateFlow::AcceptOffer() {
    PressUpdate();
    const auto box = ExpectBox(kUpdateText, {IDYES, IDNO}, IDYES);
    if (!box) {
        return false;
    }
    AnswerBox(*box, IDYES);
    return true;
}

void UpdateFlow::AnswerBox(const MessageBoxInfo& box, int buttonId) {
    EXPECT_TRUE(Answer(box, buttonId));
    EXPECT_TRUE(PollUntilTrue(10s, [&] { return !IsWindow(box.window); })) << "the box stays";
}

void UpdateFlow::ExpectIdle() {
    EXPECT_TRUE(WaitForNoWindow(L"#32770", 10s, updater_.id)) << "a box is still open";
    EXPECT_TRUE(PollUntilTrue(10s, [&] { return update_ && IsWindowEnabled(update_); }))
        << "Update is not enabled again";
    // Idle as after creation: the focus is back on Update, so Enter checks again.
    EXPECT_TRUE(PollUntilTrue(10s, [&] { return Focus() == update_; }))
        << "the focus is not on Update";
    EXPECT_TRUE(bar_ && !IsWindowVisible(bar_)) << "the progress bar is still shown";
    EXPECT_FALSE(WaitForExit(updater_, 0ms)) << "the updater ended";
}

void UpdateFlow::ExpectEnds(Duration timeout) {
    EXPECT_EQ(WaitForExit(updater_, timeout), std::optional<DWORD>(0));
}

std::optional<int> UpdateFlow::QueryPosition(Duration timeout) {
    DWORD_PTR position = 0;
    if (!bar_ || !SendMessageTimeoutW(bar_, PBM_GETPOS, 0, 0, SMTO_NORMAL, UINT(timeout.count()),
                                      &position)) {
        return std::nullopt;
    }
    return int(position);
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadBytes(path).value_or(std::string()));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> UpdateFlow::StandinLog() const {
    return ReadLines(standinLog_);
}

std::vector<std::string> UpdateFlow::LinkLog() const {
    return ReadLines(linkLog_);
}

bool UpdateFlow::WaitForStandinLine(std::string_view prefix, Duration timeout) const {
    return PollUntilTrue(timeout, [&] {
        for (const std::string& line : StandinLog()) {
            if (line.starts_with(prefix)) {
                return true;
            }
        }
        return false;
    });
}

unsigned long long UpdateFlow::UpdaterCpuMs() const {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(updater_.handle.get(), &created, &ended, &kernel, &user);
    const auto ticks = [](FILETIME t) {
        return (ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000;
    };
    return ticks(kernel) + ticks(user);
}

std::vector<std::wstring> UpdateFlow::DownloadedInstallers() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    HANDLE find =
        FindFirstFileW((session_.InstallFolder() + L"update*Hexaplane.exe").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(entry.cFileName);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

std::wstring NormalFolder(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') {
        folder.pop_back();
    }
    for (auto& c : folder) {
        if (c >= L'A' && c <= L'Z') {
            c = wchar_t(c + 32);
        }
    }
    return folder;
}

} // namespace hx::e2e
