#include "ui/Png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <new>

namespace hx::ui {

namespace {

// The window's largest picture is 700 x 60; 4096 leaves room for art drawn at several
// times the size while keeping a hostile header from asking for gigabytes.
constexpr uint32_t kMaxWidth = 4096;
constexpr uint32_t kMaxHeight = 4096;
// The format's own ceiling for a chunk length (2^31 - 1).
constexpr uint32_t kFormatMaxChunkLength = 0x7FFFFFFFu;
// Our cap: a 4096 x 4096 RGBA picture stored without compression in a single IDAT is
// about 64 MiB; nothing legitimate we load comes near 96 MiB in one chunk.
constexpr uint32_t kMaxChunkLength = 96u * 1024 * 1024;

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kChunkOverhead = 12; // length, type and CRC around the data
constexpr size_t kHeaderLength = 13;

constexpr uint32_t ChunkCode(const char (&name)[5]) {
    return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
           (uint32_t(uint8_t(name[2])) << 8) | uint32_t(uint8_t(name[3]));
}
constexpr uint32_t kIHDR = ChunkCode("IHDR");
constexpr uint32_t kPLTE = ChunkCode("PLTE");
constexpr uint32_t kIDAT = ChunkCode("IDAT");
constexpr uint32_t kIEND = ChunkCode("IEND");
constexpr uint32_t kTRNS = ChunkCode("tRNS");

enum ColourType : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, RgbAlpha = 6 };

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;
    uint8_t compression = 0;
    uint8_t filter = 0;
    uint8_t interlace = 0;
};

uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint16_t ReadBe16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}

std::optional<size_t> CheckedMul(size_t a, size_t b) {
    if (a != 0 && b > std::numeric_limits<size_t>::max() / a) {
        return std::nullopt;
    }
    return a * b;
}

std::optional<size_t> CheckedAdd(size_t a, size_t b) {
    if (b > std::numeric_limits<size_t>::max() - a) {
        return std::nullopt;
    }
    return a + b;
}

bool IsCritical(uint32_t type) {
    return (type & 0x20000000u) == 0;
}

size_t Channels(uint8_t colourType) {
    switch (colourType) {
    case Grey:
        return 1;
    case Rgb:
        return 3;
    case GreyAlpha:
        return 2;
    case RgbAlpha:
        return 4;
    default:
        return 0;
    }
}

// ---- Checks: each pure, each answering with one reason ----

PngError check_signature(std::span<const uint8_t> file) {
    if (file.size() < kSignature.size()) {
        return PngError::BadSignature;
    }
    for (size_t i = 0; i < kSignature.size(); ++i) {
        if (file[i] != kSignature[i]) {
            return PngError::BadSignature;
        }
    }
    return PngError::None;
}

// `remaining` counts the bytes after the chunk's length and type fields.
PngError check_chunk_length(uint32_t length, size_t remaining) {
    if (length > kFormatMaxChunkLength || length > kMaxChunkLength) {
        return PngError::ChunkTooLong;
    }
    if (remaining < size_t(length) + 4) {
        return PngError::TruncatedChunk;
    }
    return PngError::None;
}

PngError check_chunk_type(uint32_t type) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        const uint8_t c = uint8_t(type >> shift);
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter) {
            return PngError::BadChunkType;
        }
    }
    return PngError::None;
}

// `typeAndData` is the chunk's type field followed by its data, as the CRC covers them.
PngError check_crc(std::span<const uint8_t> typeAndData, uint32_t stored) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // crc32 takes a uInt length; feed in pieces so a chunk over 4 GiB could not wrap it.
    size_t offset = 0;
    while (offset < typeAndData.size()) {
        const size_t piece = std::min<size_t>(typeAndData.size() - offset, 1u << 30);
        crc = crc32(crc, typeAndData.data() + offset, uInt(piece));
        offset += piece;
    }
    return uint32_t(crc) == stored ? PngError::None : PngError::CrcMismatch;
}

// Legality of the header fields as the format defines them.
PngError check_header(const Header& h) {
    if (h.width == 0 || h.height == 0) {
        return PngError::ZeroDimension;
    }
    if (h.width > kMaxWidth || h.height > kMaxHeight) {
        return PngError::DimensionTooLarge;
    }
    const uint8_t d = h.bitDepth;
    switch (h.colourType) {
    case Grey:
        if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16) {
            return PngError::InvalidBitDepth;
        }
        break;
    case Palette:
        if (d != 1 && d != 2 && d != 4 && d != 8) {
            return PngError::InvalidBitDepth;
        }
        break;
    case Rgb:
    case GreyAlpha:
    case RgbAlpha:
        if (d != 8 && d != 16) {
            return PngError::InvalidBitDepth;
        }
        break;
    default:
        return PngError::InvalidColourType;
    }
    if (h.compression != 0) {
        return PngError::InvalidCompressionMethod;
    }
    if (h.filter != 0) {
        return PngError::InvalidFilterMethod;
    }
    if (h.interlace > 1) {
        return PngError::InvalidInterlaceMethod;
    }
    return PngError::None;
}

// What this decoder handles, among legal headers.
PngError check_supported(const Header& h) {
    if (h.colourType == Palette) {
        return PngError::UnsupportedColourType;
    }
    if (h.bitDepth != 8) {
        return PngError::UnsupportedBitDepth;
    }
    if (h.interlace != 0) {
        return PngError::UnsupportedInterlace;
    }
    return PngError::None;
}

PngError check_palette(uint8_t colourType, uint32_t length) {
    if (colourType == Grey || colourType == GreyAlpha) {
        return PngError::PaletteNotAllowed;
    }
    if (length == 0 || length % 3 != 0 || length / 3 > 256) {
        return PngError::BadPalette;
    }
    return PngError::None;
}

// Only grey and RGB carry a colour key; the other types are not asked.
PngError check_transparency(uint8_t colourType, uint32_t length) {
    if (colourType == Grey && length != 2) {
        return PngError::BadTransparency;
    }
    if (colourType == Rgb && length != 6) {
        return PngError::BadTransparency;
    }
    return PngError::None;
}

PngError check_filter_type(uint8_t type) {
    return type <= 4 ? PngError::None : PngError::BadFilterType;
}

// ---- Row filters ----

uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int p = int(a) + int(b) - int(c);
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) {
        return a;
    }
    if (pb <= pc) {
        return b;
    }
    return c;
}

// Reverses the filter of one row in place. `prev` is the previous row after its own
// reversal (all zero for the first row); `bpp` is the bytes of one whole pixel.
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp) {
    switch (type) {
    case 1:
        for (size_t i = bpp; i < n; ++i) {
            row[i] = uint8_t(row[i] + row[i - bpp]);
        }
        break;
    case 2:
        for (size_t i = 0; i < n; ++i) {
            row[i] = uint8_t(row[i] + prev[i]);
        }
        break;
    case 3:
        for (size_t i = 0; i < n; ++i) {
            const unsigned left = i >= bpp ? row[i - bpp] : 0;
            row[i] = uint8_t(row[i] + ((left + prev[i]) >> 1));
        }
        break;
    case 4:
        for (size_t i = 0; i < n; ++i) {
            const uint8_t a = i >= bpp ? row[i - bpp] : 0;
            const uint8_t c = i >= bpp ? prev[i - bpp] : 0;
            row[i] = uint8_t(row[i] + Paeth(a, prev[i], c));
        }
        break;
    default:
        break;
    }
}

// ---- The decoder ----

// Walks the chunks, then inflates and unfilters row by row. The first failure is kept and
// every later stage refuses to run, so no step ever works on half-checked state.
class Decoder {
public:
    explicit Decoder(std::span<const uint8_t> file) : file_(file) {}

    PngResult Run() {
        if (ReadChunks() && CheckSupport() && ComputeSizes() && InflateRows()) {
            return PngResult{std::move(bitmap_), PngError::None};
        }
        return PngResult{std::nullopt, error_};
    }

private:
    bool Fail(PngError error) {
        if (error_ == PngError::None) {
            error_ = error;
        }
        return false;
    }
    bool Check(PngError error) { return error == PngError::None || Fail(error); }
    bool Alive() const { return error_ == PngError::None; }

    bool ReadChunks();
    bool HandleChunk(uint32_t type, std::span<const uint8_t> data, bool first);
    bool ReadHeader(uint32_t type, std::span<const uint8_t> data);
    bool CheckSupport();
    bool ComputeSizes();
    bool InflateRows();
    bool FinishRow();
    void EmitRow(const uint8_t* samples);

    std::span<const uint8_t> file_;
    PngError error_ = PngError::None;

    Header header_;
    bool seenPalette_ = false;
    enum class ImageData { NotYet, Inside, After } imageData_ = ImageData::NotYet;
    std::vector<std::span<const uint8_t>> idat_;
    std::optional<std::array<uint16_t, 3>> key_; // tRNS colour key (grey in [0])

    size_t channels_ = 0;
    size_t rowBytes_ = 0; // samples of one row, without the filter byte
    size_t outBytes_ = 0;
    std::vector<uint8_t> row_;  // filter byte + samples being filled by inflate
    std::vector<uint8_t> prev_; // previous row's samples, already unfiltered
    uint32_t rowsDone_ = 0;
    std::optional<Bitmap> bitmap_;
};

bool Decoder::ReadChunks() {
    if (!Check(check_signature(file_))) {
        return false;
    }
    size_t pos = kSignature.size();
    for (bool first = true;; first = false) {
        const size_t remaining = file_.size() - pos;
        if (remaining == 0) {
            return Fail(first ? PngError::HeaderNotFirst : PngError::MissingEnd);
        }
        if (remaining < 8) {
            return Fail(PngError::TruncatedChunk);
        }
        const uint32_t length = ReadBe32(&file_[pos]);
        const uint32_t type = ReadBe32(&file_[pos + 4]);
        if (!Check(check_chunk_length(length, remaining - 8)) || !Check(check_chunk_type(type))) {
            return false;
        }
        const auto typeAndData = file_.subspan(pos + 4, 4 + size_t(length));
        const uint32_t crc = ReadBe32(&file_[pos + 8 + length]);
        if (!Check(check_crc(typeAndData, crc))) {
            return false;
        }
        if (!HandleChunk(type, typeAndData.subspan(4), first)) {
            return false;
        }
        if (type == kIEND) {
            return true; // anything after IEND is not part of the image
        }
        pos += kChunkOverhead + length;
    }
}

bool Decoder::HandleChunk(uint32_t type, std::span<const uint8_t> data, bool first) {
    if (first) {
        return ReadHeader(type, data);
    }
    if (type == kIDAT) {
        if (imageData_ == ImageData::After) {
            return Fail(PngError::ImageDataNotContiguous);
        }
        imageData_ = ImageData::Inside;
        idat_.push_back(data);
        return true;
    }
    if (imageData_ == ImageData::Inside) {
        imageData_ = ImageData::After;
    }
    const auto length = uint32_t(data.size());
    if (type == kIHDR) {
        return Fail(PngError::DuplicateHeader);
    }
    if (type == kPLTE) {
        if (!Check(check_palette(header_.colourType, length))) {
            return false;
        }
        if (seenPalette_ || imageData_ != ImageData::NotYet) {
            return Fail(PngError::ChunkOutOfOrder);
        }
        seenPalette_ = true;
        return true;
    }
    if (type == kIEND) {
        if (length != 0) {
            return Fail(PngError::BadEndChunk);
        }
        if (imageData_ == ImageData::NotYet) {
            return Fail(PngError::MissingImageData);
        }
        return true;
    }
    if (type == kTRNS) {
        // A key after the image data is misplaced; like any stray ancillary chunk it is
        // ignored rather than applied to pixels already described.
        const bool keyed = header_.colourType == Grey || header_.colourType == Rgb;
        if (!keyed || imageData_ != ImageData::NotYet) {
            return true;
        }
        if (!Check(check_transparency(header_.colourType, length))) {
            return false;
        }
        std::array<uint16_t, 3> key{};
        for (size_t i = 0; i < length / 2; ++i) {
            key[i] = ReadBe16(&data[2 * i]);
        }
        key_ = key;
        return true;
    }
    if (IsCritical(type)) {
        return Fail(PngError::UnknownCriticalChunk);
    }
    return true; // ancillary chunks carry nothing we draw
}

bool Decoder::ReadHeader(uint32_t type, std::span<const uint8_t> data) {
    if (type != kIHDR) {
        return Fail(PngError::HeaderNotFirst);
    }
    if (data.size() != kHeaderLength) {
        return Fail(PngError::BadHeaderLength);
    }
    header_.width = ReadBe32(&data[0]);
    header_.height = ReadBe32(&data[4]);
    header_.bitDepth = data[8];
    header_.colourType = data[9];
    header_.compression = data[10];
    header_.filter = data[11];
    header_.interlace = data[12];
    return Check(check_header(header_));
}

// Support is judged after the walk, so a damaged file is reported as damaged even when
// its kind is one we would not decode anyway.
bool Decoder::CheckSupport() {
    return Alive() && Check(check_supported(header_));
}

bool Decoder::ComputeSizes() {
    if (!Alive()) {
        return false;
    }
    channels_ = Channels(header_.colourType);
    const auto rowBytes = CheckedMul(header_.width, channels_);
    const auto stride = rowBytes ? CheckedAdd(*rowBytes, 1) : std::nullopt;
    const auto inflated = stride ? CheckedMul(*stride, header_.height) : std::nullopt;
    const auto pixels = CheckedMul(header_.width, header_.height);
    const auto outBytes = pixels ? CheckedMul(*pixels, 4) : std::nullopt;
    if (!inflated || !outBytes) {
        return Fail(PngError::SizeOverflow);
    }
    rowBytes_ = *rowBytes;
    outBytes_ = *outBytes;
    row_.assign(*stride, 0);
    prev_.assign(rowBytes_, 0);
    bitmap_.emplace();
    bitmap_->width = header_.width;
    bitmap_->height = header_.height;
    return true;
}

void Decoder::EmitRow(const uint8_t* s) {
    auto& out = bitmap_->rgba;
    if (out.capacity() < outBytes_) {
        out.reserve(outBytes_); // only once a first row has really arrived
    }
    const uint32_t w = header_.width;
    const size_t start = out.size();
    out.resize(start + size_t(w) * 4);
    uint8_t* d = out.data() + start;
    for (uint32_t x = 0; x < w; ++x, d += 4) {
        switch (header_.colourType) {
        case Grey:
            d[0] = d[1] = d[2] = s[x];
            d[3] = key_ && s[x] == (*key_)[0] ? 0 : 255;
            break;
        case GreyAlpha:
            d[0] = d[1] = d[2] = s[2 * x];
            d[3] = s[2 * x + 1];
            break;
        case Rgb: {
            const uint8_t* p = s + 3 * x;
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
            const bool keyed =
                key_ && p[0] == (*key_)[0] && p[1] == (*key_)[1] && p[2] == (*key_)[2];
            d[3] = keyed ? 0 : 255;
            break;
        }
        default:
            std::copy(s + 4 * x, s + 4 * x + 4, d);
            break;
        }
    }
}

bool Decoder::FinishRow() {
    const uint8_t filter = row_[0];
    if (!Check(check_filter_type(filter))) {
        return false;
    }
    uint8_t* samples = row_.data() + 1;
    Unfilter(filter, samples, prev_.data(), rowBytes_, channels_);
    EmitRow(samples);
    std::copy(samples, samples + rowBytes_, prev_.begin());
    ++rowsDone_;
    return true;
}

bool Decoder::InflateRows() {
    if (!Alive()) {
        return false;
    }
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        return Fail(PngError::OutOfMemory);
    }
    struct End {
        z_stream* zs;
        ~End() { inflateEnd(zs); }
    } end{&zs};

    size_t nextChunk = 0;
    bool inputDone = false;
    size_t rowFill = 0;
    uint8_t spare = 0; // catches output beyond the last row
    bool streamEnded = false;
    for (;;) {
        if (zs.avail_in == 0 && !inputDone) {
            while (nextChunk < idat_.size() && idat_[nextChunk].empty()) {
                ++nextChunk;
            }
            if (nextChunk < idat_.size()) {
                // Chunk lengths are capped far below 4 GiB, so this fits in uInt.
                zs.next_in = const_cast<Bytef*>(idat_[nextChunk].data());
                zs.avail_in = uInt(idat_[nextChunk].size());
                ++nextChunk;
            } else {
                inputDone = true; // inflate may still hold output; keep draining it
            }
        }
        const bool rowsLeft = rowsDone_ < header_.height;
        zs.next_out = rowsLeft ? row_.data() + rowFill : &spare;
        zs.avail_out = rowsLeft ? uInt(row_.size() - rowFill) : 1;
        const uInt before = zs.avail_out;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const size_t produced = before - zs.avail_out;
        if (!rowsLeft && produced > 0) {
            return Fail(PngError::ImageDataTooLong);
        }
        rowFill += produced;
        if (rowsLeft && rowFill == row_.size()) {
            if (!FinishRow()) {
                return false;
            }
            rowFill = 0;
        }
        if (rc == Z_STREAM_END) {
            streamEnded = true;
            break;
        }
        if (rc == Z_MEM_ERROR) {
            return Fail(PngError::OutOfMemory);
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            return Fail(PngError::CompressedDataCorrupt);
        }
        if (zs.avail_in == 0 && inputDone && produced == 0) {
            break; // no input left and nothing more comes out
        }
        if (rc == Z_BUF_ERROR && zs.avail_in != 0) {
            return Fail(PngError::CompressedDataCorrupt); // stuck with input and room
        }
    }
    if (rowsDone_ < header_.height) {
        return Fail(PngError::ImageDataTooShort);
    }
    if (!streamEnded) {
        return Fail(PngError::CompressedDataUnterminated);
    }
    bool trailing = zs.avail_in != 0;
    for (size_t i = nextChunk; i < idat_.size(); ++i) {
        trailing = trailing || !idat_[i].empty();
    }
    if (trailing) {
        return Fail(PngError::TrailingCompressedData);
    }
    return true;
}

} // namespace

PngResult DecodePng(std::span<const uint8_t> file) noexcept {
    try {
        return Decoder(file).Run();
    } catch (const std::bad_alloc&) {
        return PngResult{std::nullopt, PngError::OutOfMemory};
    }
}

const char* PngErrorName(PngError error) noexcept {
    switch (error) {
#define HX_PNG_ERROR(name)                                                                         \
    case PngError::name:                                                                           \
        return #name;
        HX_PNG_ERROR(None)
        HX_PNG_ERROR(BadSignature)
        HX_PNG_ERROR(TruncatedChunk)
        HX_PNG_ERROR(ChunkTooLong)
        HX_PNG_ERROR(BadChunkType)
        HX_PNG_ERROR(CrcMismatch)
        HX_PNG_ERROR(HeaderNotFirst)
        HX_PNG_ERROR(BadHeaderLength)
        HX_PNG_ERROR(DuplicateHeader)
        HX_PNG_ERROR(UnknownCriticalChunk)
        HX_PNG_ERROR(PaletteNotAllowed)
        HX_PNG_ERROR(BadPalette)
        HX_PNG_ERROR(ChunkOutOfOrder)
        HX_PNG_ERROR(ImageDataNotContiguous)
        HX_PNG_ERROR(MissingImageData)
        HX_PNG_ERROR(BadEndChunk)
        HX_PNG_ERROR(MissingEnd)
        HX_PNG_ERROR(BadTransparency)
        HX_PNG_ERROR(ZeroDimension)
        HX_PNG_ERROR(DimensionTooLarge)
        HX_PNG_ERROR(InvalidColourType)
        HX_PNG_ERROR(InvalidBitDepth)
        HX_PNG_ERROR(InvalidCompressionMethod)
        HX_PNG_ERROR(InvalidFilterMethod)
        HX_PNG_ERROR(InvalidInterlaceMethod)
        HX_PNG_ERROR(UnsupportedColourType)
        HX_PNG_ERROR(UnsupportedBitDepth)
        HX_PNG_ERROR(UnsupportedInterlace)
        HX_PNG_ERROR(SizeOverflow)
        HX_PNG_ERROR(CompressedDataCorrupt)
        HX_PNG_ERROR(ImageDataTooShort)
        HX_PNG_ERROR(ImageDataTooLong)
        HX_PNG_ERROR(CompressedDataUnterminated)
        HX_PNG_ERROR(TrailingCompressedData)
        HX_PNG_ERROR(BadFilterType)
        HX_PNG_ERROR(OutOfMemory)
#undef HX_PNG_ERROR
    }
    return "Unknown";
}

} // namespace hx::ui
