// The installer signature rule of the real program under Wine: a signed updater runs a newer
// release of its own publisher and leaves every other installer unstarted, with the product's
// windows open; an unsigned updater checks nothing. scripts/sign-standins makes the signed
// files for the test run, under a throwaway publisher.
#include "tests/e2e/FlowFixture.h"

namespace hx::e2e {
namespace {

using test::ScriptedServer;

std::string SignedFile(std::wstring_view name) {
    return ReadBytes(BuildPath(L"signing\\") + std::wstring(name)).value_or(std::string());
}

test::Script Download(const std::string& installer) {
    return test::Reply(LengthHead(installer.size()) + installer);
}

class InstallerSignature : public UpdateFlow {
protected:
    void UseSignedUpdater() {
        ASSERT_TRUE(CopyFileW(BuildPath(L"signing\\HexaplaneUpdate.exe").c_str(),
                              session_.InstalledProgram().c_str(), FALSE))
            << "signed program missing (scripts/sign-standins)";
    }
    bool Ran() const { return WaitForStandinLine("args", 0ms); }
};

// The installer is a newer release (2.11.0.0), signed by a renewed certificate of the
// updater's publisher: a new key and serial number, the same names.
TEST_F(InstallerSignature, SignedUpdaterRunsItsPublishersInstaller) {
    UseSignedUpdater();
    const std::string installer = SignedFile(L"installer-renewed.exe");
    ASSERT_FALSE(installer.empty());
    ScriptedServer server({CheckAnswer("KORVEX|1"), Download(installer)}, kServerPort);
    ASSERT_EQ(server.port(), kServerPort);
    StartProduct();
    ASSERT_TRUE(AcceptOfferedUpdate());
    ExpectEnds();
    EXPECT_TRUE(WaitForNoWindow(L"#32770", 0ms, updater_.id)) << "no prompt";
    EXPECT_TRUE(Ran());
}

// Each is downloaded whole, then refused like an incomplete download.
TEST_F(InstallerSignature, SignedUpdaterRefusesEveryOtherInstaller) {
    struct Case {
        const char* name;
        std::string installer;
    };
    const std::vector<Case> cases = {
        {"another publisher", SignedFile(L"installer-other.exe")},
        {"unsigned", InstallerBytes()},
        {"altered by one byte after signing", SignedFile(L"installer-altered.exe")},
        {"the updater's own release", SignedFile(L"installer-equal.exe")},
        {"an older release, its file version newer", SignedFile(L"installer-older.exe")},
        {"no version resource", SignedFile(L"installer-unstamped.exe")},
    };
    std::vector<test::Script> scripts;
    for (const Case& c : cases) {
        ASSERT_FALSE(c.installer.empty()) << c.name;
        scripts.push_back(CheckAnswer("KORVEX|1"));
        scripts.push_back(Download(c.installer));
    }
    ScriptedServer server(scripts, kServerPort);
    ASSERT_EQ(server.port(), kServerPort);
    UseSignedUpdater();
    StartProduct();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(AcceptOfferedUpdate());
        auto box = ExpectBox(kManualUpdateText, {IDYES, IDNO}, IDYES);
        ASSERT_TRUE(box);
        AnswerBox(*box, IDNO);
        ExpectEnds();
        const auto installers = DownloadedInstallers();
        ASSERT_EQ(installers.size(), 1u);
        EXPECT_TRUE(ReadBytes(session_.InstallFolder() + installers[0]) == c.installer)
            << "downloaded whole";
        EXPECT_EQ(StandinLog(), std::vector<std::string>{"THXMainForm minimise"})
            << "no installer, and no product window closed";
    }
}

// Whether it is signed, and by whom, the updater decides at start-up from the image that
// runs: its file renamed away and an unsigned build put under its name afterwards do not make
// it a developer's build that runs an unsigned installer.
TEST_F(InstallerSignature, SignedUpdaterStaysSignedWhenItsFileIsReplaced) {
    UseSignedUpdater();
    ScriptedServer server({CheckAnswer("KORVEX|1"), Download(InstallerBytes())}, kServerPort);
    ASSERT_EQ(server.port(), kServerPort);
    StartProduct();
    ASSERT_TRUE(StartUpdater());
    const std::wstring program = session_.InstalledProgram();
    ASSERT_TRUE(MoveFileW(program.c_str(), (program + L".old").c_str()));
    ASSERT_TRUE(CopyFileW(BuiltProgram().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(AcceptOffer());
    auto box = ExpectBox(kManualUpdateText, {IDYES, IDNO}, IDYES);
    ASSERT_TRUE(box);
    AnswerBox(*box, IDNO);
    ExpectEnds();
    EXPECT_FALSE(Ran());
}

// A developer's build runs what it downloaded as before (DownloadAndInstall: an unsigned
// installer), even one whose signature no longer matches.
TEST_F(InstallerSignature, UnsignedUpdaterRunsEvenAnAlteredInstaller) {
    const std::string installer = SignedFile(L"installer-altered.exe");
    ASSERT_FALSE(installer.empty());
    ScriptedServer server({CheckAnswer("KORVEX|1"), Download(installer)}, kServerPort);
    ASSERT_EQ(server.port(), kServerPort);
    ASSERT_TRUE(AcceptOfferedUpdate());
    ExpectEnds();
    EXPECT_TRUE(Ran());
}

} // namespace
} // namespace hx::e2e
