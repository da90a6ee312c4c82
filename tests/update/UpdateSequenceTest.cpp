// The update sequence's steps, in order, for each verdict and answer.
#include "update/UpdateSequence.h"

#include <gtest/gtest.h>

#include "tests/CaughtExceptions.h"
#include "tests/TestText.h"

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace hx::update {
namespace {

using Log = std::vector<std::string>;

constexpr int kYes = 6;
constexpr int kNo = 7;

// Records every call as a short line; answers and faults are scripted.
class RecordingHost : public SequenceHost {
public:
    UpdateVerdict verdict = UpdateVerdict::CheckFailed;
    int answer = kNo;
    bool closeDuringCheck = false;
    bool closeDuringBox = false;
    bool closeDuringDownload = false;
    bool failCheck = false;
    bool failInstall = false;
    bool closing = false;
    Log log;

    void MinimiseProductWindow() override { log.push_back("minimise main"); }
    void SetUpdateButtonEnabled(bool e) override { log.push_back(e ? "enable" : "disable"); }
    void ResetControls() override { log.push_back("reset"); }
    void SetPanelBusyCursor(bool busy) override { log.push_back(busy ? "hourglass" : "arrow"); }
    void ActivateStep(int n) override { log.push_back("activate " + std::to_string(n)); }
    void MarkStepDone(int n) override { log.push_back("done " + std::to_string(n)); }
    void ShowProgress() override { log.push_back("show progress"); }
    void SetProgress(int p) override { log.push_back("progress " + std::to_string(p)); }
    UpdateVerdict CheckForUpdate() override {
        log.push_back("check");
        if (failCheck) {
            throw std::runtime_error("check");
        }
        closing = closing || closeDuringCheck;
        return verdict;
    }
    std::u16string Caption(std::u16string_view key) override { return std::u16string(key); }
    int ShowMessage(std::u16string_view text, unsigned flags) override {
        log.push_back("box " + std::to_string(flags) + " " + test::Narrow(text));
        closing = closing || closeDuringBox;
        return answer;
    }
    void OpenManualDownloadPage() override { log.push_back("open page"); }
    void Terminate() override { log.push_back("terminate"); }
    bool Closing() const override { return closing; }
    void DeleteOldUpdates() override { log.push_back("delete old"); }
    InstallerStamp ReadInstallerStamp() override {
        log.push_back("stamp");
        return {2020, 10, 11, 16, 35, 36, 123};
    }
    void DownloadUpdate(const InstallerStamp& s) override {
        log.push_back("download " + std::to_string(s.millisecond));
        closing = closing || closeDuringDownload;
    }
    void InstallUpdate(const InstallerStamp& s) override {
        log.push_back("install " + std::to_string(s.millisecond));
        if (failInstall) {
            throw std::bad_alloc(); // a caption, a prompt, the signature read
        }
    }
};

const Log kStart{"minimise main", "disable", "reset", "hourglass", "activate 1", "done 1", "check"};
const Log kFinal{"reset", "arrow", "enable"};

Log Expected(Log middle) {
    Log all = kStart;
    all.insert(all.end(), middle.begin(), middle.end());
    all.insert(all.end(), kFinal.begin(), kFinal.end());
    return all;
}

Log Sequence(RecordingHost& host) {
    RunUpdateSequence(host);
    return host.log;
}

TEST(UpdateSequence, VerdictsThatReturnToIdle) {
    RecordingHost failed;
    EXPECT_EQ(Sequence(failed),
              Expected({"box 16 MessageBoxNoConnection1\r\n\r\nMessageBoxNoConnection2"}));
    RecordingHost none;
    none.verdict = UpdateVerdict::NoUpdate;
    EXPECT_EQ(Sequence(none), Expected({"box 64 MessageBoxNoUpdate1\r\n\r\nMessageBoxNoUpdate2"}));
    RecordingHost declined;
    declined.verdict = UpdateVerdict::UpdateAvailable;
    EXPECT_EQ(Sequence(declined), Expected({"box 68 MessageBoxUpdate1\r\n\r\nMessageBoxUpdate2"}));
    RecordingHost unknown;
    unknown.verdict = static_cast<UpdateVerdict>(3);
    EXPECT_EQ(Sequence(unknown), Expected({}));
}

TEST(UpdateSequence, ManualUpdateEndsTheApplicationWhateverTheAnswer) {
    RecordingHost yes;
    yes.verdict = UpdateVerdict::ManualUpdate;
    yes.answer = kYes;
    EXPECT_EQ(Sequence(yes),
              Expected({"box 52 MessageBoxManualUpdate1\r\n\r\nMessageBoxManualUpdate2",
                        "open page", "terminate"}));
    RecordingHost no;
    no.verdict = UpdateVerdict::ManualUpdate;
    EXPECT_EQ(
        Sequence(no),
        Expected({"box 52 MessageBoxManualUpdate1\r\n\r\nMessageBoxManualUpdate2", "terminate"}));
}

// The install stage ends the application even when it fails: an installer may already have
// run, and Update must not be offered again.
TEST(UpdateSequence, AcceptedUpdateDownloadsInstallsWithTheSameStampAndEnds) {
    test::ExpectCaughtExceptions(1);
    for (const bool installFails : {false, true}) {
        RecordingHost host;
        host.verdict = UpdateVerdict::UpdateAvailable;
        host.answer = kYes;
        host.failInstall = installFails;
        EXPECT_EQ(Sequence(host),
                  Expected({"box 68 MessageBoxUpdate1\r\n\r\nMessageBoxUpdate2", "activate 2",
                            "show progress", "delete old", "stamp", "download 123", "progress 100",
                            "done 2", "activate 3", "install 123", "done 3", "terminate"}))
            << installFails;
    }
}

TEST(UpdateSequence, ClosingStopsTheSequenceBetweenStages) {
    RecordingHost during;
    during.verdict = UpdateVerdict::UpdateAvailable;
    during.answer = kYes;
    during.closeDuringDownload = true;
    EXPECT_EQ(Sequence(during),
              Expected({"box 68 MessageBoxUpdate1\r\n\r\nMessageBoxUpdate2", "activate 2",
                        "show progress", "delete old", "stamp", "download 123", "progress 100",
                        "done 2", "activate 3", "terminate"}));
    RecordingHost before; // closed while the offer was shown
    before.verdict = UpdateVerdict::UpdateAvailable;
    before.answer = kYes;
    before.closeDuringBox = true;
    EXPECT_EQ(Sequence(before), Expected({"box 68 MessageBoxUpdate1\r\n\r\nMessageBoxUpdate2",
                                          "activate 2", "show progress", "terminate"}));
    // Closed while the check waited: the application ends without a verdict box.
    RecordingHost checking;
    checking.verdict = UpdateVerdict::UpdateAvailable;
    checking.closeDuringCheck = true;
    EXPECT_EQ(Sequence(checking), Expected({"terminate"}));
}

TEST(UpdateSequence, AFailureSkipsToTheFinalSteps) {
    test::ExpectCaughtExceptions(1);
    RecordingHost host;
    host.failCheck = true;
    EXPECT_EQ(Sequence(host), Expected({}));
}

} // namespace
} // namespace hx::update
