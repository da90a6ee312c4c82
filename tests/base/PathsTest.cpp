// Splitting paths: the folder keeps its separator, and both separators count.
#include "base/Paths.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

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

TEST(Paths, LongFormForAnyLengthAndBack) {
    const std::u16string_view cases[][2] = {
        {u"C:\\T\\KORVEX\\", u"\\\\?\\C:\\T\\KORVEX\\"},
        {u"c:/a//b/./c/../d", u"\\\\?\\c:\\a\\b\\d"},
        {u"C:\\..\\a\\..\\..", u"\\\\?\\C:\\"}, // never above the root
        {u"\\\\server\\share\\..\\x", u"\\\\?\\UNC\\server\\share\\x"},
        {u"//server/share", u"\\\\?\\UNC\\server\\share\\"},
        // Already long, a device, or not a full path: as it is.
        {u"\\\\?\\C:\\a\\..", u"\\\\?\\C:\\a\\.."},
        {u"\\\\.\\pipe\\x", u"\\\\.\\pipe\\x"},
        {u"\\\\server", u"\\\\server"},
        {u"C:relative", u"C:relative"},
        {u"\\rooted", u"\\rooted"},
    };
    for (const auto& [path, longForm] : cases) {
        EXPECT_EQ(LongPathForm(path), longForm) << test::Narrow(path);
    }
    EXPECT_EQ(PlainPathForm(u"\\\\?\\unc\\server\\share\\a"), u"\\\\server\\share\\a");
    EXPECT_EQ(PlainPathForm(u"\\\\?\\Volume{x}\\a"), u"\\\\?\\Volume{x}\\a") << "no plain form";
    const std::u16string deep = u"C:\\" + std::u16string(40000, u'd') + u"\\x";
    EXPECT_EQ(PlainPathForm(LongPathForm(deep)), deep) << "no length limit";
}

} // namespace
} // namespace hx
