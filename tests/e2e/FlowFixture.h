// The world of an end-to-end test of the update: the real program started with the switch
// from a fresh install folder, its update server scripted on the loopback port compiled into
// the test build, and the product, installer and browser stand-ins writing what they receive
// to logs the test reads.
#pragma once

#include "tests/net/ScriptedServer.h"
#include "tools/driver/Driver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hx::e2e {

// The window driver the demo shares.
using namespace hx::driver;

// The update server's address compiled into the build under test.
inline constexpr std::uint16_t kServerPort = 18080;
inline constexpr std::wstring_view kUpdateForm = L"THXUpdateForm";
inline constexpr std::wstring_view kHelpWindow = L"HH Parent";
// The client reads the body in blocks of this size and reports progress after each.
inline constexpr std::size_t kBlock = 32768;

// A path under the build folder (the Linux path reaches Windows through drive Z:).
std::wstring BuildPath(std::wstring_view relative);
// The installer stand-in, served as the download.
const std::string& InstallerBytes();
// The bar position for `count` of `total` bytes: rounded to nearest, ties to even.
int PositionFor(std::size_t count, std::size_t total);

// Message texts of the English language resource.
std::wstring Texts(std::initializer_list<std::wstring_view> pieces);
extern const std::wstring kNoConnectionText, kNoUpdateText, kUpdateText, kManualUpdateText,
    kRestartText;

// The head of a 200 answer with a length; the rest of a script sends the body.
std::string LengthHead(std::size_t length);
// The check's answer: a 200 page with `body`.
test::Script CheckAnswer(std::string_view body);
// The installer sent in pieces: the head alone, then the body up to each of `stops`
// (multiples of kBlock, so progress events fall on them), waiting `pauseMs` at each.
test::Script SlowBody(std::string head, const std::string& body, std::vector<std::size_t> stops,
                      int pauseMs);

// Registers the link recorder as the shell's handler of http links for the test's life.
class LinkHandler {
public:
    LinkHandler();
    ~LinkHandler();
    LinkHandler(const LinkHandler&) = delete;
    LinkHandler& operator=(const LinkHandler&) = delete;

private:
    void SetCommand(const std::wstring& command);
    std::optional<std::wstring> previous_;
};

class UpdateFlow : public ::testing::Test {
protected:
    void SetUp() override;

    // The product stand-in with its main, About and settings windows.
    void StartProduct();
    // The program under test, run in place from the install folder; its shown window, with
    // its buttons and bar looked up.
    HWND StartUpdater();
    void PressUpdate();
    // Brings the update window to the front, where typed keys go.
    void BringToFront();
    HWND Focus() const { return FocusOf(window_); }
    // Starts the updater, presses Update and answers Yes to the offer of an update; false
    // (with the failure reported) when any of it does not happen.
    bool AcceptOfferedUpdate();
    // The same in an updater already started.
    bool AcceptOffer();

    // The next message box of the updater, checked: owned by the update window, titled
    // like it, `text`, these buttons with `defaultButton` the default one.
    std::optional<MessageBoxInfo> ExpectBox(const std::wstring& text, std::vector<int> buttons,
                                            int defaultButton);
    // Presses the box's button and waits until the box has gone.
    void AnswerBox(const MessageBoxInfo& box, int buttonId);
    // The sequence's final steps ran: Update enabled again and the bar hidden.
    void ExpectIdle();
    // The process ends on its own with exit code 0.
    void ExpectEnds(Duration timeout = kDefaultTimeout);

    // The bar's position as the updater answers it; during a pause of the server, the
    // position reached before it.
    std::optional<int> QueryPosition(Duration timeout = 10s);

    // Lines of the shared stand-in log (product windows and installer) and of the browser
    // stand-in's log.
    std::vector<std::string> StandinLog() const;
    std::vector<std::string> LinkLog() const;
    // Waits until a line of the stand-in log starts with `prefix`.
    bool WaitForStandinLine(std::string_view prefix, Duration timeout = kDefaultTimeout) const;
    // Names of the files in the install folder matching update*Hexaplane.exe.
    std::vector<std::wstring> DownloadedInstallers() const;
    // The processor time the updater has used so far, in milliseconds (for measurements).
    unsigned long long UpdaterCpuMs() const;

    Session session_;
    Process updater_;
    HWND window_ = nullptr;
    HWND update_ = nullptr, close_ = nullptr, help_ = nullptr, bar_ = nullptr;
    std::wstring standinLog_, linkLog_;
};

// Polls `done` until it holds; false on time-out.
bool PollUntilTrue(Duration timeout, const std::function<bool()>& done);
// Reads the lines of a log file; empty when there is none.
std::vector<std::string> ReadLines(const std::wstring& path);
// "folder C:\x\" and "folder C:\x" name the same folder; letter case aside.
std::wstring NormalFolder(std::wstring folder);

} // namespace hx::e2e
