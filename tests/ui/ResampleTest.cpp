// Pictures prepared for alpha blending: premultiplication and smooth resampling.
#include "ui/Resample.h"

#include <gtest/gtest.h>

namespace hx::ui {
namespace {

Bitmap Solid(uint32_t w, uint32_t h, std::array<uint8_t, 4> rgba) {
    Bitmap b{w, h, {}};
    for (uint32_t i = 0; i < w * h; ++i) {
        b.rgba.insert(b.rgba.end(), rgba.begin(), rgba.end());
    }
    return b;
}

TEST(Resample, AtItsOwnSizeThePictureIsPremultipliedExactly) {
    Bitmap b{2, 1, {200, 100, 50, 128, 10, 20, 30, 255}};
    const auto out = PremultipliedBgra(b, 2, 1);
    // BGRA, each colour times alpha / 255, rounded.
    EXPECT_EQ(out, (std::vector<uint8_t>{25, 50, 100, 128, 30, 20, 10, 255}));
}

TEST(Resample, ASolidPictureStaysSolidAtAnySize) {
    const Bitmap b = Solid(128, 128, {0, 42, 114, 255});
    for (auto [w, h] : {std::pair{192u, 192u}, {64u, 64u}, {160u, 100u}}) {
        const auto out = PremultipliedBgra(b, w, h);
        ASSERT_EQ(out.size(), size_t(w) * h * 4);
        for (size_t i = 0; i < out.size(); i += 4) {
            ASSERT_EQ((std::array{out[i], out[i + 1], out[i + 2], out[i + 3]}),
                      (std::array<uint8_t, 4>{114, 42, 0, 255}))
                << w << "x" << h << " at " << i / 4;
        }
    }
}

TEST(Resample, ClearPixelsLendNoColourToTheirNeighbours) {
    // Opaque red beside fully transparent green: enlarged, the green must not show.
    Bitmap b{2, 1, {255, 0, 0, 255, 0, 255, 0, 0}};
    const auto out = PremultipliedBgra(b, 6, 3);
    for (size_t i = 0; i < out.size(); i += 4) {
        EXPECT_EQ(out[i + 1], 0) << "green at " << i / 4;
        EXPECT_LE(out[i + 2], out[i + 3]) << "premultiplied red above alpha at " << i / 4;
    }
    EXPECT_EQ(out[3], 255) << "the opaque edge stays opaque";
    EXPECT_EQ(out[5 * 4 + 3], 0) << "the clear edge stays clear";
}

TEST(Resample, ReducingAveragesTheCoveredPixels) {
    Bitmap b{2, 2, {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255}};
    const auto out = PremultipliedBgra(b, 1, 1);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_NEAR(out[0], 128, 1);
    EXPECT_EQ(out[3], 255);
}

TEST(Resample, UnusableSizesGiveNothing) {
    const Bitmap b = Solid(4, 4, {1, 2, 3, 4});
    EXPECT_TRUE(PremultipliedBgra(b, 0, 4).empty());
    EXPECT_TRUE(PremultipliedBgra(b, 4, kMaxDrawnSide + 1).empty());
    EXPECT_TRUE(PremultipliedBgra(Bitmap{}, 4, 4).empty());
    Bitmap shortPixels{4, 4, std::vector<uint8_t>(10)};
    EXPECT_TRUE(PremultipliedBgra(shortPixels, 4, 4).empty());
}

} // namespace
} // namespace hx::ui
