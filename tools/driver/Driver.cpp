#include "tools/driver/Driver.h"

#include "base/TextCodecs.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

namespace hx::driver {
namespace {

using Clock = std::chrono::steady_clock;
constexpr Duration kPollInterval = 50ms;
constexpr UINT kMessageTimeoutMs = 5000; // a hung program must not hang the test

// UTF-8 (the build's paths) as wide text.
std::wstring Widen(std::string_view s) {
    const std::u16string text = DecodeUtf8(s);
    return std::wstring(text.begin(), text.end());
}

std::wstring Lower(std::wstring_view s) {
    std::wstring out(s);
    for (auto& c : out) {
        if (c >= L'A' && c <= L'Z') {
            c = wchar_t(c + (L'a' - L'A'));
        }
    }
    return out;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return !prefix.empty() && text.size() >= prefix.size() &&
           Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

// A Linux path from the build reaches Windows programs through Wine's Z: drive.
std::wstring ToWindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

template <class Predicate> bool PollUntil(Duration timeout, Predicate done) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        if (done()) {
            return true;
        }
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::wstring ModuleText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), LPARAM(text.data()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &got)) {
        return {};
    }
    text.resize(std::min<size_t>(got, length));
    return text;
}

} // namespace

// --- Paths and files ------------------------------------------------------------------

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring out(buffer, n);
    if (!out.empty() && out.back() != L'\\') {
        out += L'\\';
    }
    return out;
}

std::wstring RelaunchFolder() {
    return TempFolder() + L"KORVEX\\Hexaplane\\";
}

std::wstring BuiltProgram() {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(L"HX_E2E_PROGRAM", buffer, 32768);
    if (n > 0 && n < 32768) {
        return ToWindowsPath(std::wstring(buffer, n));
    }
#ifdef HX_PROGRAM
    return ToWindowsPath(Widen(HX_PROGRAM));
#else
    return {};
#endif
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string out;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        out.append(chunk, got);
    }
    return out;
}

bool WriteBytes(const std::wstring& path, std::string_view bytes) {
    win::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::optional<FILETIME> LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data.ftLastWriteTime;
}

bool RemoveTree(const std::wstring& folder) {
    namespace fs = std::filesystem;
    // Files of a process that was just ended can stay locked for a moment; a read-only
    // file is not removed until it is writable.
    return PollUntil(5s, [&] {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(fs::path(folder), ec), end; !ec && it != end;
             it.increment(ec)) {
            SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(fs::path(folder), ec);
        return !fs::exists(fs::path(folder), ec);
    });
}

// --- Processes ------------------------------------------------------------------------

std::optional<DWORD> WaitForExit(const Process& process, Duration timeout) {
    if (!process.handle ||
        WaitForSingleObject(process.handle.get(), DWORD(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.handle.get(), &code)) {
        return std::nullopt;
    }
    return code;
}

std::wstring ProcessImagePath(DWORD processId) {
    win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        return {};
    }
    wchar_t buffer[32768];
    DWORD size = 32768;
    if (!QueryFullProcessImageNameW(process.get(), 0, buffer, &size)) {
        return {};
    }
    return std::wstring(buffer, size);
}

std::optional<std::wstring> ProcessCommandLine(DWORD processId) {
    // Read from the process's parameter block; the direct query for the command line is
    // missing from older Wine. The reading process must have the same bitness.
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    win::UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || !process ||
        query(process.get(), ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0) {
        return std::nullopt;
    }
    const auto read = [&](const void* at, void* into, size_t size) {
        SIZE_T got = 0;
        return ReadProcessMemory(process.get(), at, into, size, &got) && got == size;
    };
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!read(basic.PebBaseAddress, &peb, sizeof peb) ||
        !read(peb.ProcessParameters, &parameters, sizeof parameters)) {
        return std::nullopt;
    }
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!read(parameters.CommandLine.Buffer, line.data(), line.size() * sizeof(wchar_t))) {
        return std::nullopt;
    }
    return line;
}

namespace {

// Running processes whose executable file name (without folder) passes `wanted`.
template <class Wanted> std::vector<ProcessEntry> ProcessesWhere(Wanted wanted) {
    std::vector<ProcessEntry> out;
    win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return out;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        std::wstring_view name(entry.szExeFile);
        if (const auto slash = name.find_last_of(L"\\/"); slash != name.npos) {
            name.remove_prefix(slash + 1);
        }
        if (wanted(name)) {
            out.push_back({entry.th32ProcessID, entry.th32ParentProcessID, std::wstring(name)});
        }
    }
    return out;
}

} // namespace

std::vector<ProcessEntry> ProcessesNamed(std::wstring_view exeName) {
    return ProcessesWhere([&](std::wstring_view name) { return Lower(name) == Lower(exeName); });
}

DWORD DownloadedInstaller() {
    const auto found = ProcessesWhere([](std::wstring_view name) {
        return name.size() > 19 && name.starts_with(L"update") && name.ends_with(L"Hexaplane.exe");
    });
    return found.empty() ? 0 : found.front().id;
}

// --- Windows and controls -------------------------------------------------------------

DWORD WindowProcess(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

std::wstring WindowClass(HWND window) {
    wchar_t name[256];
    const int n = GetClassNameW(window, name, 256);
    return std::wstring(name, std::max(n, 0));
}

std::wstring WindowText(HWND window) {
    return ModuleText(window);
}

std::vector<HWND> TopLevelWindows(std::wstring_view className, DWORD processId) {
    std::vector<HWND> out;
    const std::wstring name(className);
    for (HWND w = FindWindowExW(nullptr, nullptr, name.c_str(), nullptr); w;
         w = FindWindowExW(nullptr, w, name.c_str(), nullptr)) {
        if (processId == 0 || WindowProcess(w) == processId) {
            out.push_back(w);
        }
    }
    return out;
}

HWND WaitForWindow(std::wstring_view className, Duration timeout, DWORD processId) {
    HWND found = nullptr;
    PollUntil(timeout, [&] {
        const auto all = TopLevelWindows(className, processId);
        found = all.empty() ? nullptr : all.front();
        return found != nullptr;
    });
    return found;
}

HWND WaitForVisibleWindow(std::wstring_view className, Duration timeout, DWORD processId) {
    HWND found = nullptr;
    PollUntil(timeout, [&] {
        for (HWND w : TopLevelWindows(className, processId)) {
            if (IsWindowVisible(w)) {
                found = w;
            }
        }
        return found != nullptr;
    });
    return found;
}

bool WaitForNoWindow(std::wstring_view className, Duration timeout, DWORD processId) {
    return PollUntil(timeout, [&] { return TopLevelWindows(className, processId).empty(); });
}

Control ReadControl(HWND window) {
    Control c;
    c.window = window;
    c.className = WindowClass(window);
    c.text = ModuleText(window);
    c.id = GetDlgCtrlID(window);
    c.style = GetWindowLongW(window, GWL_STYLE);
    c.visible = IsWindowVisible(window);
    c.enabled = IsWindowEnabled(window);
    GetWindowRect(window, &c.bounds);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&c.bounds), 2);
    DWORD_PTR font = 0;
    if (SendMessageTimeoutW(window, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &font)) {
        c.font = reinterpret_cast<HFONT>(font);
    }
    return c;
}

std::vector<Control> Controls(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
            return TRUE;
        },
        LPARAM(&windows));
    std::vector<Control> out;
    for (HWND w : windows) {
        out.push_back(ReadControl(w));
    }
    return out;
}

std::optional<Control> FindControlByText(HWND parent, std::wstring_view text) {
    for (auto& c : Controls(parent)) {
        if (c.text == text) {
            return c;
        }
    }
    return std::nullopt;
}

std::optional<Control> FindControlById(HWND parent, int id) {
    if (HWND w = GetDlgItem(parent, id)) {
        return ReadControl(w);
    }
    return std::nullopt;
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void KeyEvent(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = WORD(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD key) {
    KeyEvent(key, false);
    KeyEvent(key, true);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

// --- Message boxes --------------------------------------------------------------------

std::optional<MessageBoxInfo> WaitForMessageBox(Duration timeout, DWORD processId) {
    HWND box = WaitForWindow(L"#32770", timeout, processId);
    if (!box) {
        return std::nullopt;
    }
    MessageBoxInfo info;
    info.window = box;
    info.processId = WindowProcess(box);
    info.caption = ModuleText(box);
    if (HWND text = GetDlgItem(box, 0xFFFF)) {
        info.text = ModuleText(text);
    }
    info.owner = GetWindow(box, GW_OWNER);
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        HWND button = GetDlgItem(box, id);
        if (!button || !IsWindowVisible(button)) {
            continue;
        }
        info.buttons.push_back(id);
        if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            info.defaultButton = id;
        }
    }
    return info;
}

bool Answer(const MessageBoxInfo& box, int buttonId) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button) {
        return false;
    }
    Click(button);
    return true;
}

// --- One test's world -----------------------------------------------------------------

Session::Session() {
    static std::atomic<int> counter{0};
    installFolder_ = TempFolder() + L"hx-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(counter++) + L"\\";
    job_.reset(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    KillLeftovers(); // an earlier test that crashed may have left its copy running
    RemoveTree(RelaunchFolder());
    RemoveTree(installFolder_);
    CreateDirectoryW(installFolder_.c_str(), nullptr);
    CopyFileW(BuiltProgram().c_str(), InstalledProgram().c_str(), FALSE);
}

Session::~Session() {
    KillLeftovers();
    RemoveTree(RelaunchFolder());
    RemoveTree(installFolder_);
}

Process Session::Start(const std::wstring& program, std::wstring_view arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + std::wstring(arguments);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED, nullptr, installFolder_.c_str(), &startup, &info)) {
        return {};
    }
    win::UniqueHandle thread(info.hThread);
    Process process{win::UniqueHandle(info.hProcess), info.dwProcessId};
    AssignProcessToJobObject(job_.get(), process.handle.get());
    ResumeThread(thread.get());
    return process;
}

void Session::KillLeftovers() {
    if (job_) {
        TerminateJobObject(job_.get(), 1);
    }
    // Copies started through the shell may have left the job; find them by their file.
    const auto ours = [&](DWORD id) {
        const std::wstring image = ProcessImagePath(id);
        return StartsWithNoCase(image, installFolder_) || StartsWithNoCase(image, RelaunchFolder());
    };
    for (const auto& p : ProcessesNamed(kProgramName)) {
        if (!ours(p.id)) {
            continue;
        }
        win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p.id));
        if (process) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
    }
    PollUntil(10s, [&] {
        for (const auto& p : ProcessesNamed(kProgramName)) {
            if (ours(p.id)) {
                return false;
            }
        }
        return true;
    });
}

} // namespace hx::driver
