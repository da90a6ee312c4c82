// Which installer a signed updater runs: a newer release of its own publisher, accepted by
// the system.

#include "update/InstallerSignature.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

namespace hx::update {
namespace {

const Publisher kKorvex{u"KORVEX Software", u"KORVEX"};
const SignatureFacts kSigned{true, true, kKorvex};
const SignatureFacts kUnsigned{};
const ReleaseVersion kNewer{{2, 11, 0, 0}};

InstallerFacts Installer(SignatureFacts signature, std::optional<ReleaseVersion> release = kNewer) {
    return {std::move(signature), release};
}

InstallerFacts Accepted(Publisher publisher) {
    return Installer({true, true, std::move(publisher)});
}

TEST(IsNewerRelease, TheFourNumbersInOrder) {
    const struct {
        std::optional<ReleaseVersion> installer;
        bool newer;
    } rows[] = {
        {ReleaseVersion{{3, 0, 0, 0}}, true},        {ReleaseVersion{{2, 11, 0, 0}}, true},
        {ReleaseVersion{{2, 10, 13, 0}}, true},      {ReleaseVersion{{2, 10, 12, 2021}}, true},
        {ReleaseVersion{{2, 10, 12, 2020}}, false},  {ReleaseVersion{{2, 10, 12, 2019}}, false},
        {ReleaseVersion{{2, 10, 11, 65535}}, false}, {ReleaseVersion{{2, 9, 65535, 65535}}, false},
        {ReleaseVersion{{1, 65535, 0, 0}}, false},   {std::nullopt, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsNewerRelease(row.installer), row.newer)
            << test::Utf8(row.installer ? ReleaseText(*row.installer) : u"none");
    }
    EXPECT_EQ(ReleaseText(kUpdaterRelease), u"2.10.12.2020");
}

TEST(InstallerMayRun, UnsignedUpdaterRunsAnyInstaller) {
    EXPECT_TRUE(InstallerMayRun(kUnsigned, Installer(kUnsigned, std::nullopt)));
    EXPECT_TRUE(InstallerMayRun(kUnsigned, Installer({true, false, {}}))); // altered after signing
    EXPECT_TRUE(InstallerMayRun(kUnsigned, Accepted({u"Mallory", u"Mallory Ltd"})));
    EXPECT_TRUE(InstallerMayRun(kUnsigned, Installer(kSigned, kUpdaterRelease)));
}

TEST(InstallerMayRun, SignedUpdaterRunsOnlyANewerReleaseOfItsOwnPublisher) {
    EXPECT_TRUE(InstallerMayRun(kSigned, Installer(kSigned))); // renewed certificates alike
    EXPECT_FALSE(InstallerMayRun(kSigned, Installer(kUnsigned)));
    // Altered or badly chained: whatever names it carries, it was not accepted.
    EXPECT_FALSE(InstallerMayRun(kSigned, Installer({true, false, kKorvex})));
    // Last year's installer, signed all the same, or one that names no release.
    EXPECT_FALSE(InstallerMayRun(kSigned, Installer(kSigned, kUpdaterRelease)));
    EXPECT_FALSE(InstallerMayRun(kSigned, Installer(kSigned, ReleaseVersion{{2, 9, 0, 0}})));
    EXPECT_FALSE(InstallerMayRun(kSigned, Installer(kSigned, std::nullopt)));
}

TEST(InstallerMayRun, BothNamesMustMatchExactly) {
    for (const Publisher& other :
         {Publisher{u"KORVEX Software", u"Mallory Ltd"}, Publisher{u"Mallory", u"KORVEX"},
          Publisher{u"korvex software", u"KORVEX"}, Publisher{u"KORVEX Software ", u"KORVEX"},
          Publisher{u"KORVEX Software", u""}}) {
        EXPECT_FALSE(InstallerMayRun(kSigned, Accepted(other)))
            << std::string(other.commonName.begin(), other.commonName.end());
    }
}

// A signed updater that cannot name its publisher has nothing to compare with.
TEST(InstallerMayRun, SignedUpdaterWithoutAnAcceptedPublisherRunsNothing) {
    EXPECT_FALSE(InstallerMayRun({true, false, {}}, Installer(kUnsigned)));
    EXPECT_FALSE(InstallerMayRun({true, false, kKorvex}, Installer(kSigned)));
    const SignatureFacts nameless{true, true, {u"", u""}};
    EXPECT_FALSE(InstallerMayRun(nameless, Installer(nameless)));
}

} // namespace
} // namespace hx::update
