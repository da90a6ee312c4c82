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

// The held installer is started under its final path: in everyday form where that names the
// same file, and the folders below the root are what is held.
TEST(Paths, FinalPaths) {
    const struct {
        std::u16string_view path, everyday;
        std::vector<std::u16string> folders;
    } rows[] = {
        {u"\\\\?\\C:\\T\\K\\u1.exe", u"C:\\T\\K\\u1.exe", {u"\\\\?\\C:\\T", u"\\\\?\\C:\\T\\K"}},
        {u"\\\\?\\UNC\\srv\\share\\d\\u1.exe",
         u"\\\\srv\\share\\d\\u1.exe",
         {u"\\\\?\\UNC\\srv\\share\\d"}},
        // Names the everyday form would change keep the prefix.
        {u"\\\\?\\C:\\T.\\u1.exe", u"\\\\?\\C:\\T.\\u1.exe", {u"\\\\?\\C:\\T."}},
        {u"\\\\?\\C:\\T \\u1.exe", u"\\\\?\\C:\\T \\u1.exe", {u"\\\\?\\C:\\T "}},
        // Not a final path: left alone, and nothing to hold.
        {u"C:\\T\\u1.exe", u"C:\\T\\u1.exe", {}},
        {u"\\\\?\\Volume{1}\\u1.exe", u"\\\\?\\Volume{1}\\u1.exe", {}},
    };
    for (const auto& row : rows) {
        const std::string name(row.path.begin(), row.path.end());
        EXPECT_EQ(EverydayPath(row.path), row.everyday) << name;
        EXPECT_EQ(FinalPathFolders(row.path), row.folders) << name;
    }
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
    const std::u16string deep = u"C:\\" + std::u16string(40000, u'd') + u"\\x";
    EXPECT_EQ(EverydayPath(LongPathForm(deep)), deep) << "no length limit";
}

} // namespace
} // namespace hx
