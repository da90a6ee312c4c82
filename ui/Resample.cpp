#include "ui/Resample.h"

#include <algorithm>
#include <cmath>

namespace hx::ui {

namespace {

// One output sample's contributions: the first source index and the weights from there.
struct Taps {
    uint32_t first = 0;
    std::vector<float> weights;
};

std::vector<Taps> MakeTaps(uint32_t from, uint32_t to) {
    std::vector<Taps> taps(to);
    const double scale = double(to) / from;
    const double radius = scale >= 1 ? 1.0 : 1.0 / scale;
    for (uint32_t i = 0; i < to; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        const int64_t lo = std::max<int64_t>(0, int64_t(std::floor(centre - radius)) + 1);
        const int64_t hi = std::min<int64_t>(from - 1, int64_t(std::ceil(centre + radius)) - 1);
        Taps& t = taps[i];
        double sum = 0;
        for (int64_t s = lo; s <= hi; ++s) {
            const double w = 1.0 - std::abs(centre - double(s)) / radius;
            t.weights.push_back(float(std::max(0.0, w)));
            sum += t.weights.back();
        }
        if (t.weights.empty() || sum <= 0) { // outside every tent: take the nearest pixel
            t.first = uint32_t(std::clamp<int64_t>(std::llround(centre), 0, from - 1));
            t.weights.assign(1, 1.0f);
            continue;
        }
        t.first = uint32_t(lo);
        for (float& w : t.weights) {
            w = float(w / sum);
        }
    }
    return taps;
}

uint8_t ToByte(float v) {
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

std::vector<uint8_t> PremultipliedBgra(const Bitmap& picture, uint32_t width, uint32_t height) {
    const uint32_t sw = picture.width, sh = picture.height;
    if (sw == 0 || sh == 0 || width == 0 || height == 0 || width > kMaxDrawnSide ||
        height > kMaxDrawnSide || picture.rgba.size() != size_t(sw) * sh * 4) {
        return {};
    }

    // Premultiplied RGBA in floats, so filtering never bleeds colour out of clear pixels.
    std::vector<float> src(size_t(sw) * sh * 4);
    for (size_t p = 0; p < size_t(sw) * sh; ++p) {
        const uint8_t* in = &picture.rgba[p * 4];
        const float a = in[3] / 255.0f;
        src[p * 4 + 0] = in[0] * a;
        src[p * 4 + 1] = in[1] * a;
        src[p * 4 + 2] = in[2] * a;
        src[p * 4 + 3] = in[3];
    }

    std::vector<float> rows(size_t(width) * sh * 4);
    const auto horizontal = MakeTaps(sw, width);
    for (uint32_t y = 0; y < sh; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const Taps& t = horizontal[x];
            float* out = &rows[(size_t(y) * width + x) * 4];
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const float* in = &src[(size_t(y) * sw + t.first + k) * 4];
                for (int c = 0; c < 4; ++c) {
                    out[c] += in[c] * t.weights[k];
                }
            }
        }
    }

    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    const auto vertical = MakeTaps(sh, height);
    for (uint32_t y = 0; y < height; ++y) {
        const Taps& t = vertical[y];
        for (uint32_t x = 0; x < width; ++x) {
            float v[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const float* in = &rows[(size_t(t.first + k) * width + x) * 4];
                for (int c = 0; c < 4; ++c) {
                    v[c] += in[c] * t.weights[k];
                }
            }
            const uint8_t a = ToByte(v[3]);
            uint8_t* out = &bgra[(size_t(y) * width + x) * 4];
            // A premultiplied channel never exceeds its alpha.
            out[0] = std::min(ToByte(v[2]), a);
            out[1] = std::min(ToByte(v[1]), a);
            out[2] = std::min(ToByte(v[0]), a);
            out[3] = a;
        }
    }
    return bgra;
}

} // namespace hx::ui
