// What the updater reads from an executable itself: the product version of a version
// resource in PE32 and PE32+ files, nothing from any file broken or built to mislead, and
// whether the running image's headers are its file's.
#include "update/PeFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace hx::update {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint32_t v, int size = 4) {
    for (int i = 0; i < size; ++i) {
        b[at + i] = std::uint8_t(v >> (8 * i));
    }
}

// Two small PE files laid out as a linker would (the fuzz target's seeds, PE32 and PE32+):
// headers, then one section ".rsrc" at RVA 0x1000 and file offset 0x200, holding the
// resource tree type 16 > name 1 > language 0x409 > data entry at 0x48 > VS_VERSIONINFO at
// 0x58, with file version 9.9.9.9 and product version 2.11.3.4. The PE32+ one also names a
// certificate table.
constexpr std::size_t kPe = 0x40, kCoff = kPe + 4, kOptional = kPe + 24;
constexpr std::size_t kRsrc = 0x200, kVersionInfo = kRsrc + 0x58;

struct Layout {
    bool pe32Plus;
    std::size_t directories() const { return kOptional + (pe32Plus ? 112 : 96); }
    std::size_t sections() const { return directories() + 128; }
};

Bytes ReadPe(const Layout& l) {
    const char* name = l.pe32Plus ? "pe32plus-version-certificate.exe" : "pe32-version.exe";
    std::ifstream in(std::filesystem::path(HX_SOURCE_DIR "/tests/fuzz/corpus/pe_file/") / name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::optional<ReleaseVersion> VersionOf(const Bytes& bytes) {
    MemorySource file(bytes);
    return ReadProductVersion(file);
}

TEST(PeFile, ReadsTheProductVersionOfPe32AndPe32Plus) {
    ASSERT_EQ(ReadPe({false}).size(), 0x400u);
    for (const bool pe32Plus : {false, true}) {
        EXPECT_EQ(VersionOf(ReadPe({pe32Plus})), (ReleaseVersion{{2, 11, 3, 4}})) << pe32Plus;
    }
}

TEST(PeFile, BrokenOrMisleadingFilesNameNoRelease) {
    const Layout l{false};
    const std::size_t s = l.sections();
    const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> cases = {
        {"cut inside the headers", [](Bytes& b) { b.resize(0x100); }},
        {"PE header beyond the end", [](Bytes& b) { Put(b, 0x3C, 0xFFFFFFF0); }},
        {"more sections than the loader takes", [](Bytes& b) { Put(b, kCoff + 2, 97, 2); }},
        {"optional header beyond the end", [](Bytes& b) { Put(b, kCoff + 16, 0xFFFF, 2); }},
        {"no resource directory", [&](Bytes& b) { Put(b, l.directories() - 4, 2); }},
        {"section data wrapping past 4 GiB", [&](Bytes& b) { Put(b, s + 20, 0xFFFFFF00); }},
        {"section data past the end", [&](Bytes& b) { b.resize(kVersionInfo + 60); }},
        {"65535 entries", [](Bytes& b) { Put(b, kRsrc + 12, 0xFFFF, 2); }},
        {"type directory pointing at itself", [](Bytes& b) { Put(b, kRsrc + 20, 0x80000000); }},
        {"version named by a string", [](Bytes& b) { Put(b, kRsrc + 0x28, 0x80000001); }},
        {"language entry a directory", [](Bytes& b) { Put(b, kRsrc + 0x44, 0x80000000); }},
        {"data outside every section", [](Bytes& b) { Put(b, kRsrc + 0x48, 0x5000); }},
        {"data shorter than its header", [](Bytes& b) { Put(b, kRsrc + 0x4C, 91); }},
        {"longer than its data", [](Bytes& b) { Put(b, kVersionInfo, 93, 2); }},
        {"no fixed information", [](Bytes& b) { Put(b, kVersionInfo + 2, 0, 2); }},
        {"another key", [](Bytes& b) { Put(b, kVersionInfo + 6, 'X', 2); }},
        {"bad signature", [](Bytes& b) { Put(b, kVersionInfo + 40, 0xFEEF04BE); }},
    };
    for (const auto& [name, mutate] : cases) {
        Bytes bytes = ReadPe(l);
        mutate(bytes);
        EXPECT_EQ(VersionOf(bytes), std::nullopt) << name;
    }
}

TEST(PeFile, RunningImageMatchesItsFileButForTheImageBase) {
    const Layout l{true};
    Bytes image = ReadPe(l);
    image.resize(l.sections() + 40);
    Bytes file = ReadPe(l);
    MemorySource source(file);
    Put(image, kOptional + 24, 0x7FF60000); // the loader moved the image
    EXPECT_TRUE(SameHeaders(source, image));
    EXPECT_TRUE(ReadPeHeaders(source)->certificateTable);
    Put(file, l.directories() + 36, 0x3000); // another certificate table than the image's
    EXPECT_FALSE(SameHeaders(source, image));
}

} // namespace
} // namespace hx::update
