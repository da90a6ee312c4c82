// Pictures for alpha blending: premultiplied 32-bit BGRA, resampled to the size a control
// is drawn at. Smooth resampling keeps scaled pictures free of the blocky look that
// nearest-pixel stretching gives at 150 %.
#pragma once

#include "ui/Png.h"

#include <cstdint>
#include <vector>

namespace hx::ui {

// Side length above which no picture is prepared: no window of ours is anywhere near it,
// and it bounds the memory a bad size could ask for.
inline constexpr uint32_t kMaxDrawnSide = 16384;

// The picture at width x height as premultiplied BGRA rows, top to bottom: an exact copy
// at its own size, else filtered with a tent filter (bilinear when enlarging, averaging
// over the covered pixels when reducing). Empty for an empty picture or an unusable size.
std::vector<uint8_t> PremultipliedBgra(const Bitmap& picture, uint32_t width, uint32_t height);

} // namespace hx::ui
