// The help path and the rules of loading the help library on first use.

#include "update/Help.h"

#include <gtest/gtest.h>

namespace hx::update {
namespace {

using Outcome = LazyLibrary::LoadOutcome;

TEST(HelpTopicPath, FolderFilePageAndWindowType) {
    EXPECT_EQ(
        HelpTopicPath(u"C:\\Users\\u\\Temp\\KORVEX\\Hexaplane\\", kHelpFileName, kUpdateHelpTopic),
        u"C:\\Users\\u\\Temp\\KORVEX\\Hexaplane\\Hexaplane.chm::/html/update.htm>HelpWindow");
}

TEST(LazyLibrary, FailedLoadsAreRetriedAndASuccessIsKept) {
    LazyLibrary library;
    int loads = 0;
    Outcome next = Outcome::Failed;
    const auto load = [&] {
        ++loads;
        return next;
    };
    EXPECT_FALSE(library.Ready(load));
    EXPECT_FALSE(library.Ready(load));
    next = Outcome::Loaded;
    EXPECT_TRUE(library.Ready(load));
    EXPECT_TRUE(library.Ready(load));
    EXPECT_EQ(loads, 3);
}

TEST(LazyLibrary, MissingEntryGivesUpForGood) {
    LazyLibrary library;
    int loads = 0;
    Outcome next = Outcome::MissingEntry;
    const auto load = [&] {
        ++loads;
        return next;
    };
    EXPECT_FALSE(library.Ready(load));
    next = Outcome::Loaded;
    EXPECT_FALSE(library.Ready(load));
    EXPECT_EQ(loads, 1);
}

} // namespace
} // namespace hx::update
