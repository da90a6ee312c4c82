// The window's pictures as checked in: their sizes and colour types, and the grey twins
// that must share their active twin's outline exactly.
#include "ui/Png.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace hx::ui {
namespace {

using Bytes = std::vector<uint8_t>;
const std::filesystem::path kPictures = HX_SOURCE_DIR "/update/pictures";

Bytes ReadFile(const std::string& name) {
    std::ifstream in(kPictures / name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bitmap Load(const std::string& name) {
    const PngResult r = DecodePng(ReadFile(name));
    EXPECT_TRUE(r.bitmap) << name << ": " << PngErrorName(r.error);
    return r.bitmap.value_or(Bitmap{});
}

// Colour type and bit depth straight from the IHDR, which sits at a fixed place.
std::pair<int, int> TypeAndDepth(const std::string& name) {
    const Bytes b = ReadFile(name);
    if (b.size() < 26) {
        return {-1, -1};
    }
    return {b[25], b[24]};
}

TEST(Pictures, SizesAndColourTypesAreThoseTheWindowExpects) {
    struct Want {
        const char* name;
        uint32_t width, height;
        int colourType;
    };
    const Want wants[] = {
        {"banner.png", 700, 60, 6},        {"step1-active.png", 128, 128, 6},
        {"step2-active.png", 128, 128, 6}, {"step3-active.png", 128, 128, 6},
        {"step1-idle.png", 128, 128, 4},   {"step2-idle.png", 128, 128, 4},
        {"step3-idle.png", 128, 128, 4},   {"unchecked.png", 32, 32, 6},
        {"checked.png", 32, 32, 6},
    };
    for (const Want& w : wants) {
        const Bitmap b = Load(w.name);
        EXPECT_EQ(b.width, w.width) << w.name;
        EXPECT_EQ(b.height, w.height) << w.name;
        EXPECT_EQ(TypeAndDepth(w.name), std::make_pair(w.colourType, 8)) << w.name;
    }
}

TEST(Pictures, IdleTwinsAreGreyCopiesWithTheSameAlpha) {
    for (int step = 1; step <= 3; ++step) {
        const std::string n = "step" + std::to_string(step);
        const Bitmap active = Load(n + "-active.png");
        const Bitmap idle = Load(n + "-idle.png");
        ASSERT_EQ(active.rgba.size(), idle.rgba.size()) << n;
        size_t opaque = 0;
        for (size_t i = 0; i < active.rgba.size(); i += 4) {
            ASSERT_EQ(idle.rgba[i + 3], active.rgba[i + 3]) << n << " pixel " << i / 4;
            if (active.rgba[i + 3] == 0) {
                continue;
            }
            ++opaque;
            const double luma =
                0.299 * active.rgba[i] + 0.587 * active.rgba[i + 1] + 0.114 * active.rgba[i + 2];
            ASSERT_LE(std::abs(idle.rgba[i] - luma), 3.0) << n << " pixel " << i / 4;
        }
        EXPECT_GT(opaque, 128u * 128 / 4) << n << " is nearly empty";
    }
}

uint8_t AlphaAt(const Bitmap& b, uint32_t x, uint32_t y) {
    return b.rgba[(y * b.width + x) * 4 + 3];
}

TEST(Pictures, CheckBoxesKeepTheBoxInItsPlace) {
    for (const char* name : {"unchecked.png", "checked.png"}) {
        const Bitmap b = Load(name);
        ASSERT_EQ(b.rgba.size(), 32u * 32 * 4);
        // The box's corners are solid, and nothing of it leaks to the left of column 8.
        EXPECT_EQ(AlphaAt(b, 8, 12), 255) << name;
        EXPECT_EQ(AlphaAt(b, 23, 12), 255) << name;
        EXPECT_EQ(AlphaAt(b, 8, 26), 255) << name;
        EXPECT_EQ(AlphaAt(b, 23, 26), 255) << name;
        for (uint32_t y = 0; y < 32; ++y) {
            for (uint32_t x = 0; x < 7; ++x) {
                EXPECT_EQ(AlphaAt(b, x, y), 0) << name << " at " << x << "," << y;
            }
        }
    }
    const Bitmap unchecked = Load("unchecked.png");
    for (uint32_t y = 0; y < 11; ++y) {
        for (uint32_t x = 0; x < 32; ++x) {
            EXPECT_EQ(AlphaAt(unchecked, x, y), 0)
                << "empty box above its top at " << x << "," << y;
        }
    }
    // The tick rises out of the box to the top right corner.
    const Bitmap checked = Load("checked.png");
    EXPECT_GT(AlphaAt(checked, 30, 1), 128);
}

TEST(Pictures, BannerIsOpaqueAboveItsShadow) {
    const Bitmap b = Load("banner.png");
    ASSERT_EQ(b.rgba.size(), 700u * 60 * 4);
    for (uint32_t y = 0; y < 57; ++y) {
        for (uint32_t x = 0; x < 700; ++x) {
            ASSERT_EQ(AlphaAt(b, x, y), 255) << x << "," << y;
        }
    }
    // The shadow fades out downwards.
    EXPECT_GT(AlphaAt(b, 350, 57), AlphaAt(b, 350, 58));
    EXPECT_GT(AlphaAt(b, 350, 58), AlphaAt(b, 350, 59));
    // The darkest blue behind the text.
    const uint8_t* p = &b.rgba[(30 * 700 + 20) * 4];
    EXPECT_EQ(Bytes(p, p + 3), (Bytes{0, 42, 114}));
}

} // namespace
} // namespace hx::ui
