// Times the update window's download against http-get.exe on the same file, under Wine:
//   gui-download-bench <http-get.exe> <installer URL> <runs>
// The window: from the Yes to the offer of an update until the downloaded installer starts.
// The tool: from its start until it has ended, its output thrown away. Both write into the
// same kind of folder. The update server (nginx, see gui-download-vs-http-get) answers the
// check with an update and serves the installer; the installer stand-in ends at once.
#include "tools/driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace hx::driver;
using Clock = std::chrono::steady_clock;

constexpr Duration kStepTimeout = 120s;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One update from Yes to the installer's start, in seconds; negative when it went wrong.
double TimeWindow() {
    Session session;
    const Process updater = session.Start(session.InstalledProgram(), L"/update");
    HWND window = WaitForVisibleWindow(L"THXUpdateForm", kStepTimeout, updater.id);
    const auto update = window ? FindControlByText(window, L"&Update") : std::nullopt;
    if (!update) {
        return -1;
    }
    Click(update->window);
    const auto offer = WaitForMessageBox(kStepTimeout, updater.id);
    if (!offer ||
        std::find(offer->buttons.begin(), offer->buttons.end(), IDYES) == offer->buttons.end()) {
        return -1;
    }
    const auto start = Clock::now();
    Answer(*offer, IDYES);
    while (DownloadedInstaller() == 0) {
        if (Clock::now() - start > kStepTimeout) {
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    const double taken = Seconds(Clock::now() - start);
    WaitForExit(updater, kStepTimeout);
    return taken;
}

// One run of the tool into a file of a fresh session's folder, in seconds.
double TimeTool(const std::wstring& httpGet, const std::wstring& url) {
    Session session;
    const std::wstring file = session.InstallFolder() + L"tool-download.exe";
    std::wstring commandLine = L"\"" + httpGet + L"\" " + url + L" \"" + file + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    hx::win::UniqueFile nul(
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul.get();
    PROCESS_INFORMATION info{};
    const auto start = Clock::now();
    if (!CreateProcessW(httpGet.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        session.InstallFolder().c_str(), &startup, &info)) {
        return -1;
    }
    hx::win::UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    const double taken = Seconds(Clock::now() - start);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return code == 0 ? taken : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::printf("usage: gui-download-bench <http-get.exe> <installer URL> <runs>\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[3]));
    std::vector<double> window, tool;
    for (int i = 1; i <= runs; ++i) {
        window.push_back(TimeWindow());
        tool.push_back(TimeTool(argv[1], argv[2]));
        std::printf("run %d: window %.3f s, http-get %.3f s\n", i, window.back(), tool.back());
        std::fflush(stdout);
        if (window.back() < 0 || tool.back() < 0) {
            std::printf("a download failed\n");
            return 1;
        }
    }
    const double w = Median(window), t = Median(tool);
    std::printf("median: window (Yes to installer start) %.3f s, http-get %.3f s, "
                "ratio window/http-get %.2f\n",
                w, t, w / t);
    return 0;
}
