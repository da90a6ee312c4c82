// Splitting paths: the folder keeps its separator, and both separators count.
#include "base/Paths.h"

#include <gtest/gtest.h>

namespace hx {
namespace {

TEST(Paths, FolderAndFileNameParts) {
    EXPECT_EQ(FolderPart(u"C:\\a\\b\\update1Hexaplane.exe"), u"C:\\a\\b\\");
    EXPECT_EQ(FileNamePart(u"C:\\a\\b\\update1Hexaplane.exe"), u"update1Hexaplane.exe");
    EXPECT_EQ(FolderPart(u"C:\\Program Files\\Hexaplane\\HexaplaneUpdate.exe"),
              u"C:\\Program Files\\Hexaplane\\");
    EXPECT_EQ(FileNamePart(u"C:\\Program Files\\Hexaplane\\HexaplaneUpdate.exe"),
              u"HexaplaneUpdate.exe");
    EXPECT_EQ(FolderPart(u"C:/a/b.exe"), u"C:/a/");
    EXPECT_EQ(FileNamePart(u"C:/a/b.exe"), u"b.exe");
    EXPECT_EQ(FolderPart(u"/tmp/x"), u"/tmp/");
    EXPECT_EQ(FolderPart(u"plain.exe"), u"");
    EXPECT_EQ(FileNamePart(u"plain.exe"), u"plain.exe");
    EXPECT_EQ(FileNamePart(u"C:\\dir\\"), u"");
}

TEST(Paths, TrailingSeparator) {
    EXPECT_EQ(WithTrailingSeparator(u"C:\\T"), u"C:\\T\\");
    EXPECT_EQ(WithTrailingSeparator(u"C:/t/"), u"C:/t/");
    EXPECT_EQ(WithTrailingSeparator(u""), u"");
}

} // namespace
} // namespace hx
