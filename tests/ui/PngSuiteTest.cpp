// The decoder against PngSuite, a third-party conformance suite kept beside the repository
// with reference pixels: every image of a kind we decode must match its pixels exactly,
// and every other image must be turned down for a sound reason.
#include "ui/Png.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace hx::ui {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const fs::path kSuite = HX_SOURCE_DIR "/../shared/peers/pngsuite";

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Entry {
    std::string name;
    bool valid = false;
    int colourType = 0;
    int bitDepth = 0;
    int interlace = 0;
};

// Corrupt rows may leave a field empty (xlfn0g04 has no readable header).
int Number(const std::string& field) {
    return field.empty() ? -1 : std::stoi(field);
}

std::vector<Entry> ReadIndex() {
    std::ifstream in(kSuite / "index.tsv");
    std::vector<Entry> entries;
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string field; std::getline(ss, field, '\t');) {
            f.push_back(field);
        }
        if (f.size() < 7) {
            continue;
        }
        entries.push_back({f[0], f[1] == "valid", Number(f[4]), Number(f[5]), Number(f[6])});
    }
    return entries;
}

bool Supported(const Entry& e) {
    return e.valid && e.bitDepth == 8 && e.interlace == 0 && e.colourType != 3;
}

class PngSuite : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kSuite / "index.tsv")) {
            GTEST_SKIP() << "PngSuite not found at " << kSuite;
        }
        entries_ = ReadIndex();
        ASSERT_EQ(entries_.size(), 175u) << "index.tsv incomplete";
    }
    std::vector<Entry> entries_;
};

TEST_F(PngSuite, SupportedImagesDecodeToTheReferencePixels) {
    size_t checked = 0;
    for (const Entry& e : entries_) {
        if (!Supported(e)) {
            continue;
        }
        const PngResult r = DecodePng(ReadFile(kSuite / "png" / (e.name + ".png")));
        ASSERT_TRUE(r.bitmap) << e.name << ": " << PngErrorName(r.error);
        const Bytes expected = ReadFile(kSuite / "expected" / (e.name + ".rgba"));
        EXPECT_EQ(r.bitmap->rgba.size(), size_t(r.bitmap->width) * r.bitmap->height * 4);
        EXPECT_TRUE(r.bitmap->rgba == expected) << e.name << " differs from its reference";
        ++checked;
    }
    // 8-bit grey, RGB, grey+alpha and RGBA, not interlaced.
    EXPECT_EQ(checked, 41u);
}

TEST_F(PngSuite, OtherValidImagesAreRejectedAsUnsupported) {
    const std::set<PngError> unsupported = {PngError::UnsupportedColourType,
                                            PngError::UnsupportedBitDepth,
                                            PngError::UnsupportedInterlace};
    size_t checked = 0;
    for (const Entry& e : entries_) {
        if (!e.valid || Supported(e)) {
            continue;
        }
        const PngResult r = DecodePng(ReadFile(kSuite / "png" / (e.name + ".png")));
        EXPECT_FALSE(r.bitmap) << e.name;
        EXPECT_TRUE(unsupported.count(r.error)) << e.name << ": " << PngErrorName(r.error);
        ++checked;
    }
    EXPECT_EQ(checked, 120u);
}

TEST_F(PngSuite, CorruptImagesAreRejectedWhereTheyBreak) {
    const std::map<std::string, PngError> expected = {
        {"xs1n0g01", PngError::BadSignature},      {"xs2n0g01", PngError::BadSignature},
        {"xs4n0g01", PngError::BadSignature},      {"xs7n0g01", PngError::BadSignature},
        {"xcrn0g04", PngError::BadSignature},      {"xlfn0g04", PngError::BadSignature},
        {"xhdn0g08", PngError::CrcMismatch},       {"xcsn0g01", PngError::CrcMismatch},
        {"xc1n0g08", PngError::InvalidColourType}, {"xc9n2c08", PngError::InvalidColourType},
        {"xd0n2c08", PngError::InvalidBitDepth},   {"xd3n2c08", PngError::InvalidBitDepth},
        {"xd9n2c08", PngError::InvalidBitDepth},   {"xdtn0g01", PngError::MissingImageData},
    };
    size_t checked = 0;
    for (const Entry& e : entries_) {
        if (e.valid) {
            continue;
        }
        const PngResult r = DecodePng(ReadFile(kSuite / "png" / (e.name + ".png")));
        EXPECT_FALSE(r.bitmap) << e.name;
        const auto it = expected.find(e.name);
        ASSERT_NE(it, expected.end()) << e.name << " is new to this test";
        EXPECT_STREQ(PngErrorName(r.error), PngErrorName(it->second)) << e.name;
        ++checked;
    }
    EXPECT_EQ(checked, expected.size());
}

} // namespace
} // namespace hx::ui
