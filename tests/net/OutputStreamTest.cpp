// The file stream's edge (POSIX here, Windows under Wine): resizing keeps the position, and
// writes land at the position, as the client's pre-sizing and final cut rely on.

#include "net/OutputStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace hx::net {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(FileOutputStream, ResizeKeepsThePositionAndWritesLandThere) {
    const auto path = std::filesystem::temp_directory_path() / "hx-output-stream-test.bin";
    {
        auto file = FileOutputStream::Create(path.u16string());
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->Write(Bytes("abcdef")));
        ASSERT_TRUE(file->SetSize(100)); // pre-size, as for an announced length
        EXPECT_EQ(file->Size(), 100);
        EXPECT_EQ(file->Position(), 6);
        ASSERT_TRUE(file->Write(Bytes("gh")));
        ASSERT_TRUE(file->SetSize(file->Position())); // the cut after a short body
        ASSERT_TRUE(file->Seek(2));
        ASSERT_TRUE(file->Write(Bytes("XY")));
        EXPECT_EQ(file->Size(), 8);
        EXPECT_FALSE(file->SetSize(-1));
    }
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "abXYefgh");
    in.close();
    std::filesystem::remove(path);
}

TEST(FileOutputStream, CreateReplacesAnExistingFileAndFailsForAMissingFolder) {
    const auto path = std::filesystem::temp_directory_path() / "hx-output-stream-replace.bin";
    std::ofstream(path, std::ios::binary) << "old contents";
    {
        auto file = FileOutputStream::Create(path.u16string());
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Size(), 0);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(FileOutputStream::Create((path / "no" / "such").u16string()), nullptr);
}

} // namespace
} // namespace hx::net
