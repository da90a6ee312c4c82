// Which installer a signed updater runs: its own publisher's, accepted by the system.

#include "update/InstallerSignature.h"

#include <gtest/gtest.h>

namespace hx::update {
namespace {

const Publisher kKorvex{u"KORVEX Software", u"KORVEX"};
const SignatureFacts kSigned{true, true, kKorvex};
const SignatureFacts kUnsigned{};

SignatureFacts Accepted(Publisher publisher) {
    return {true, true, std::move(publisher)};
}

TEST(InstallerMayRun, UnsignedUpdaterRunsAnyInstaller) {
    EXPECT_TRUE(InstallerMayRun(kUnsigned, kUnsigned));
    EXPECT_TRUE(InstallerMayRun(kUnsigned, {true, false, {}})); // altered after signing
    EXPECT_TRUE(InstallerMayRun(kUnsigned, Accepted({u"Mallory", u"Mallory Ltd"})));
}

TEST(InstallerMayRun, SignedUpdaterRunsOnlyItsOwnPublishersAcceptedInstaller) {
    EXPECT_TRUE(InstallerMayRun(kSigned, kSigned)); // a renewed certificate names the same
    EXPECT_FALSE(InstallerMayRun(kSigned, kUnsigned));
    // Altered or badly chained: whatever names it carries, it was not accepted.
    EXPECT_FALSE(InstallerMayRun(kSigned, {true, false, kKorvex}));
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
    EXPECT_FALSE(InstallerMayRun({true, false, {}}, kUnsigned));
    EXPECT_FALSE(InstallerMayRun({true, false, kKorvex}, kSigned));
    const SignatureFacts nameless = Accepted({u"", u""});
    EXPECT_FALSE(InstallerMayRun(nameless, nameless));
}

} // namespace
} // namespace hx::update
