// PNG decoding for the window's pictures, on zlib's inflate.
//
// Accepted: 8-bit, non-interlaced grey (0), RGB (2), grey with alpha (4) and RGB with
// alpha (6), with a tRNS colour key for grey and RGB. Everything else is rejected with a
// reason: palette images, other bit depths, interlacing, and every malformed file.
//
// The decoder checks the whole chunk sequence (signature, IHDR first, every CRC, chunk
// order, IEND) before it inflates anything, and it stops at the first error it finds.
// Every size is checked for overflow before it is multiplied, and the image data must
// inflate to exactly the bytes the header announces.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hx::ui {

// Straight (not premultiplied) 8-bit RGBA, rows top to bottom, no padding.
struct Bitmap {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

// Why a file was rejected. One reason per check, so a test or a bug report can tell
// exactly where a file went wrong.
enum class PngError {
    None,
    // File structure
    BadSignature,           // the first eight bytes are not the PNG signature
    TruncatedChunk,         // a chunk's header, data or CRC runs past the end of the file
    ChunkTooLong,           // a chunk's length exceeds the format's or our own cap
    BadChunkType,           // a chunk type byte is not an ASCII letter
    CrcMismatch,            // a chunk's CRC does not match its type and data
    HeaderNotFirst,         // the first chunk is not IHDR
    BadHeaderLength,        // IHDR is not exactly 13 bytes
    DuplicateHeader,        // a second IHDR
    UnknownCriticalChunk,   // a critical chunk we do not know, so cannot safely skip
    PaletteNotAllowed,      // PLTE in a grey image
    BadPalette,             // PLTE length not a multiple of 3, empty, or over 256 entries
    ChunkOutOfOrder,        // PLTE after the image data, or a second PLTE
    ImageDataNotContiguous, // IDAT chunks separated by another chunk
    MissingImageData,       // no IDAT before IEND
    BadEndChunk,            // IEND carries data
    MissingEnd,             // the file ends without IEND
    BadTransparency,        // tRNS of the wrong length for its colour type
    // Header fields
    ZeroDimension,            // width or height is 0
    DimensionTooLarge,        // width or height above our caps
    InvalidColourType,        // not one of 0, 2, 3, 4, 6
    InvalidBitDepth,          // a bit depth the colour type does not allow
    InvalidCompressionMethod, // not 0 (deflate)
    InvalidFilterMethod,      // not 0 (adaptive filtering)
    InvalidInterlaceMethod,   // not 0 or 1
    UnsupportedColourType,    // legal, but palette images are not decoded here
    UnsupportedBitDepth,      // legal, but only 8 bits per sample are decoded here
    UnsupportedInterlace,     // legal, but Adam7 is not decoded here
    SizeOverflow,             // a size computation would overflow
    // Image data
    CompressedDataCorrupt,      // inflate rejected the zlib stream
    ImageDataTooShort,          // the stream ends before the last row is complete
    ImageDataTooLong,           // the stream inflates to more bytes than the rows need
    CompressedDataUnterminated, // every row is there, but the zlib stream never ends
    TrailingCompressedData,     // IDAT bytes remain after the end of the zlib stream
    BadFilterType,              // a row's filter type is not 0 to 4
    OutOfMemory,
};

struct PngResult {
    std::optional<Bitmap> bitmap;
    PngError error = PngError::None;
};

// Decodes a complete PNG file. Never throws; any input gives either a bitmap or a reason.
PngResult DecodePng(std::span<const uint8_t> file) noexcept;

// The enumerator's name, for test output and diagnostics.
const char* PngErrorName(PngError error) noexcept;

} // namespace hx::ui
