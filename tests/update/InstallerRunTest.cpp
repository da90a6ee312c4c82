// The install stage's order of steps and its prompts, over a recording InstallSystem.

#include "update/InstallerRun.h"

#include "update/UpdateServer.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

#include <string>
#include <vector>

namespace hx::update {
namespace {

constexpr int kYes = 6;

class RecordingSystem final : public InstallSystem {
public:
    std::int32_t exitCode = 0;
    int answer = kYes;
    bool holdable = true;
    SignatureFacts updater;
    InstallerFacts installer;
    std::vector<std::string> calls;

    void CloseProductWindows() override { calls.push_back("close product windows"); }
    SignatureFacts UpdaterSignature() override { return updater; }
    bool HoldInstaller(std::u16string_view path) override {
        calls.push_back("hold " + test::Narrow(path));
        return holdable;
    }
    InstallerFacts ReadHeldInstaller() override {
        calls.push_back("read");
        return installer;
    }
    std::int32_t RunHeldInstaller(std::u16string_view parameters) override {
        calls.push_back("run " + test::Narrow(parameters));
        return exitCode;
    }
    int ShowMessage(std::u16string_view text, unsigned flags) override {
        calls.push_back("message " + std::to_string(flags) + " " + test::Narrow(text));
        return answer;
    }
    std::u16string Caption(std::u16string_view key) override { return std::u16string(key); }
    void RestartWindows() override { calls.push_back("restart"); }
    void OpenLink(std::u16string_view target) override {
        calls.push_back("open " + test::Narrow(target));
    }
};

using Calls = std::vector<std::string>;

const std::string kHold = "hold C:\\T\\update2251Hexaplane.exe";
// The installer is held before anything else, and the product's windows are closed in their
// order (tested with real windows under Wine) before the held installer runs.
const Calls kCloseAndRun = {kHold, "close product windows", "run /NORESTART /RESTARTEXITCODE=99"};
const std::string kManualMessage =
    "message 52 MessageBoxManualUpdate1\r\n\r\nMessageBoxManualUpdate2"; // 0x34
const std::string kRestartMessage = "message 308 MessageBoxUpdateRestart1\r\n\r\n"
                                    "MessageBoxUpdateRestart2\r\n\r\nMessageBoxUpdateRestart3";

Calls Stage(std::int32_t exitCode, int answer, bool complete = true,
            const SignatureFacts& updater = {}, const InstallerFacts& installer = {},
            bool holdable = true) {
    RecordingSystem system;
    system.exitCode = exitCode;
    system.answer = answer;
    system.updater = updater;
    system.installer = installer;
    system.holdable = holdable;
    InstallUpdate(u"C:\\T\\update2251Hexaplane.exe", complete, system);
    return system.calls;
}

Calls Then(Calls calls, const std::vector<std::string>& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

TEST(InstallUpdate, SuccessClosesTheProductWindowsInOrderRunsAndShowsNothing) {
    EXPECT_EQ(Stage(0, kYes), kCloseAndRun);
}

TEST(InstallUpdate, RestartCodeOffersTheRestartWithNoAsDefault) {
    EXPECT_EQ(Stage(99, kYes), Then(kCloseAndRun, {kRestartMessage, "restart"}));
    EXPECT_EQ(Stage(99, 7), Then(kCloseAndRun, {kRestartMessage}));
    EXPECT_EQ(Stage(99, 0), Then(kCloseAndRun, {kRestartMessage})); // no box could be shown
}

TEST(InstallUpdate, FailureCodesOfferTheDownloadPage) {
    const std::string open = "open " + test::Narrow(DownloadPageUrl());
    for (std::int32_t code : {2, 1, 259, 98, 100}) {
        EXPECT_EQ(Stage(code, kYes), Then(kCloseAndRun, {kManualMessage, open})) << code;
        EXPECT_EQ(Stage(code, 7), Then(kCloseAndRun, {kManualMessage})) << code;
    }
}

TEST(InstallUpdate, CrashStatusIsAFailureNotASuccess) {
    const auto accessViolation = static_cast<std::int32_t>(0xC0000005u);
    EXPECT_EQ(Stage(accessViolation, 7), Then(kCloseAndRun, {kManualMessage}));
    EXPECT_EQ(Stage(-1, 7), Then(kCloseAndRun, {kManualMessage}));
}

TEST(InstallUpdate, IncompleteDownloadIsNeverStartedAndTheProductStaysOpen) {
    EXPECT_EQ(Stage(0, 7, false), Calls{kManualMessage});
    EXPECT_EQ(Stage(0, kYes, false),
              (Calls{kManualMessage, "open " + test::Narrow(DownloadPageUrl())}));
    EXPECT_EQ(Stage(0, 7, true, {}, {}, false), (Calls{kHold, kManualMessage}))
        << "an installer that cannot be held";
}

const SignatureFacts kKorvex{true, true, {u"KORVEX Software", u"KORVEX"}};
const InstallerFacts kNewerKorvex{kKorvex, ReleaseVersion{{2, 11, 0, 0}}};

TEST(InstallUpdate, SignedUpdaterChecksTheHeldInstallerBeforeTouchingTheProduct) {
    EXPECT_EQ(
        Stage(0, kYes, true, kKorvex, kNewerKorvex),
        (Calls{kHold, "read", "close product windows", "run /NORESTART /RESTARTEXITCODE=99"}));
}

TEST(InstallUpdate, RefusedInstallerIsNeverStartedAndTheProductStaysOpen) {
    const InstallerFacts other{{true, true, {u"Mallory", u"Mallory Ltd"}}, kNewerKorvex.release};
    EXPECT_EQ(Stage(0, 7, true, kKorvex, other), (Calls{kHold, "read", kManualMessage}));
    const InstallerFacts older{kKorvex, kUpdaterRelease};
    EXPECT_EQ(Stage(0, kYes, true, kKorvex, older),
              (Calls{kHold, "read", kManualMessage, "open " + test::Narrow(DownloadPageUrl())}));
    EXPECT_EQ(Stage(0, 7, false, kKorvex, kNewerKorvex), Calls{kManualMessage})
        << "an incomplete download is not even checked";
}

TEST(InstallUpdate, UnsignedUpdaterNeverReadsTheInstaller) {
    EXPECT_EQ(Stage(0, kYes, true, {}, kNewerKorvex), kCloseAndRun);
}

TEST(MessageTexts, PiecesAreJoinedByAnEmptyLine) {
    const std::vector<std::u16string> pieces{u"a", u"", u"c"};
    EXPECT_EQ(JoinMessageTexts(pieces), u"a\r\n\r\n\r\n\r\nc");
    EXPECT_EQ(JoinMessageTexts({}), u"");
}

} // namespace
} // namespace hx::update
