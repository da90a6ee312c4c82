// PNG decoding: pixels through every filter and stream layout, and one precise rejection
// for each way a file can be broken.
#include "ui/Png.h"
#include "tests/ui/PngWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

namespace hx::ui {
namespace {

using test::Bytes;
using test::FilteredRows;
using test::Ihdr;
using test::PngWriter;
using test::Zlib;

Bytes RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) {
        b = uint8_t(rng() >> 13);
    }
    return out;
}

// Expands samples of a supported colour type to the RGBA the decoder should produce.
Bytes ToRgba(const Bytes& s, uint8_t colourType) {
    Bytes out;
    const size_t bpp = colourType == 6 ? 4 : colourType == 4 ? 2 : colourType == 2 ? 3 : 1;
    for (size_t i = 0; i < s.size(); i += bpp) {
        switch (colourType) {
        case 0:
            out.insert(out.end(), {s[i], s[i], s[i], 255});
            break;
        case 2:
            out.insert(out.end(), {s[i], s[i + 1], s[i + 2], 255});
            break;
        case 4:
            out.insert(out.end(), {s[i], s[i], s[i], s[i + 1]});
            break;
        default:
            out.insert(out.end(), s.begin() + i, s.begin() + i + 4);
            break;
        }
    }
    return out;
}

PngResult Decode(const Bytes& file) {
    return DecodePng(file);
}

// A valid 8 x 5 RGBA file whose image data the caller may replace.
Bytes SmallRgba(const Bytes& idatData) {
    PngWriter w;
    w.Chunk("IHDR", Ihdr(8, 5, 8, 6)).Chunk("IDAT", idatData).End();
    return w.bytes_;
}
Bytes SmallRaw() {
    return FilteredRows(RandomBytes(8 * 5 * 4, 7), 8, 5, 4, {0, 1, 2, 3, 4});
}

TEST(PngDecode, EveryFilterAndColourTypeRoundTrips) {
    const uint32_t width = 13, height = 9; // odd width: filters must not assume alignment
    const std::vector<std::vector<uint8_t>> filterPlans = {{0}, {1}, {2},
                                                           {3}, {4}, {4, 3, 2, 1, 0, 2}};
    for (uint8_t colourType : {0, 2, 4, 6}) {
        const size_t bpp = colourType == 6 ? 4 : colourType == 4 ? 2 : colourType == 2 ? 3 : 1;
        // Random samples reach the wrap-around cases of every predictor.
        const Bytes samples = RandomBytes(width * height * bpp, colourType);
        for (const auto& plan : filterPlans) {
            PngWriter w;
            w.Chunk("IHDR", Ihdr(width, height, 8, colourType))
                .Chunk("IDAT", Zlib(FilteredRows(samples, width, height, bpp, plan)))
                .End();
            const PngResult r = Decode(w.bytes_);
            ASSERT_TRUE(r.bitmap) << int(colourType) << ": " << PngErrorName(r.error);
            EXPECT_EQ(r.bitmap->width, width);
            EXPECT_EQ(r.bitmap->height, height);
            EXPECT_EQ(r.bitmap->rgba, ToRgba(samples, colourType))
                << "colour type " << int(colourType) << ", filter " << int(plan[0]);
        }
    }
}

TEST(PngDecode, ImageDataMayBeSplitAnywhereAndUseAnyBlockLayout) {
    const Bytes samples = RandomBytes(40 * 30 * 4, 3);
    const Bytes raw = FilteredRows(samples, 40, 30, 4, {4, 1, 2});
    // Stored blocks, many small blocks with matches across their borders, and a tiny
    // window all produce the same rows.
    for (const Bytes& z : {Zlib(raw, 0), Zlib(raw, 9, 97), Zlib(raw, 1)}) {
        for (size_t pieces : {1u, 2u, 7u, 100u}) {
            PngWriter w;
            w.Chunk("IHDR", Ihdr(40, 30, 8, 6));
            w.Chunk("IDAT", Bytes{}); // an empty IDAT is legal
            const size_t step = z.size() / pieces + 1;
            for (size_t at = 0; at < z.size(); at += step) {
                w.Chunk("IDAT", Bytes(z.begin() + at, z.begin() + std::min(z.size(), at + step)));
            }
            w.Chunk("tEXt", Bytes{'a', 0, 'b'}).End();
            w.bytes_.insert(w.bytes_.end(), {1, 2, 3}); // bytes after IEND are ignored
            const PngResult r = Decode(w.bytes_);
            ASSERT_TRUE(r.bitmap) << pieces << ": " << PngErrorName(r.error);
            EXPECT_EQ(r.bitmap->rgba, samples);
        }
    }
}

TEST(PngDecode, ColourKeyMakesMatchingPixelsTransparent) {
    const Bytes grey = {10, 20, 10, 30};
    PngWriter g;
    g.Chunk("IHDR", Ihdr(4, 1, 8, 0))
        .Chunk("tRNS", Bytes{0, 10})
        .Chunk("IDAT", Zlib(FilteredRows(grey, 4, 1, 1, {0})))
        .End();
    const PngResult rg = Decode(g.bytes_);
    ASSERT_TRUE(rg.bitmap);
    EXPECT_EQ(rg.bitmap->rgba,
              (Bytes{10, 10, 10, 0, 20, 20, 20, 255, 10, 10, 10, 0, 30, 30, 30, 255}));

    // The key compares all three samples, not just one.
    const Bytes rgb = {1, 2, 3, 1, 2, 4};
    PngWriter c;
    c.Chunk("IHDR", Ihdr(2, 1, 8, 2))
        .Chunk("tRNS", Bytes{0, 1, 0, 2, 0, 3})
        .Chunk("IDAT", Zlib(FilteredRows(rgb, 2, 1, 3, {0})))
        .End();
    const PngResult rc = Decode(c.bytes_);
    ASSERT_TRUE(rc.bitmap);
    EXPECT_EQ(rc.bitmap->rgba, (Bytes{1, 2, 3, 0, 1, 2, 4, 255}));
}

TEST(PngDecode, LargestAcceptedWidthDecodes) {
    const Bytes samples = RandomBytes(4096 * 2, 9);
    PngWriter w;
    w.Chunk("IHDR", Ihdr(4096, 1, 8, 4))
        .Chunk("IDAT", Zlib(FilteredRows(samples, 4096, 1, 2, {3})))
        .End();
    const PngResult r = Decode(w.bytes_);
    ASSERT_TRUE(r.bitmap) << PngErrorName(r.error);
    EXPECT_EQ(r.bitmap->rgba.size(), 4096u * 4);
}

// Each case breaks one thing in an otherwise valid file.
TEST(PngDecode, EachDefectHasItsOwnReason) {
    const Bytes raw = SmallRaw();
    const Bytes z = Zlib(raw);
    const Bytes ihdr = Ihdr(8, 5, 8, 6);
    auto file = [&](auto build) {
        PngWriter w;
        build(w);
        return w.bytes_;
    };
    Bytes valid = SmallRgba(z);
    ASSERT_TRUE(Decode(valid).bitmap);

    std::vector<std::pair<Bytes, PngError>> cases;
    auto add = [&](Bytes b, PngError e) { cases.emplace_back(std::move(b), e); };

    add({}, PngError::BadSignature);
    add(Bytes(valid.begin(), valid.begin() + 8), PngError::HeaderNotFirst);
    Bytes badSig = valid;
    badSig[0] = 0x09;
    add(badSig, PngError::BadSignature);
    add(Bytes(valid.begin(), valid.begin() + 12), PngError::TruncatedChunk);
    add(Bytes(valid.begin(), valid.end() - 12), PngError::MissingEnd);
    add(Bytes(valid.begin(), valid.end() - 13), PngError::TruncatedChunk);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr, -1, 1).Chunk("IDAT", z).End(); }),
        PngError::CrcMismatch);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr).Chunk("IDAT", z, -1, 1).End(); }),
        PngError::CrcMismatch);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", ihdr).Chunk("IDAT", z).Chunk("IEND", Bytes{}, -1, 0x100);
        }),
        PngError::CrcMismatch);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr).Chunk("IDAT", z, 0x80000000u).End(); }),
        PngError::ChunkTooLong);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr).Chunk("ID4T", z).End(); }),
        PngError::BadChunkType);
    add(file([&](PngWriter& w) {
            w.Chunk("tEXt", Bytes{'a', 0}).Chunk("IHDR", ihdr);
        }),
        PngError::HeaderNotFirst);
    Bytes longIhdr = ihdr;
    longIhdr.push_back(0);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", longIhdr).Chunk("IDAT", z).End(); }),
        PngError::BadHeaderLength);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", ihdr).Chunk("IHDR", ihdr).Chunk("IDAT", z).End();
        }),
        PngError::DuplicateHeader);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr).Chunk("IDAT", z).Chunk("ABCD").End(); }),
        PngError::UnknownCriticalChunk);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", Ihdr(8, 5, 8, 4)).Chunk("PLTE", Bytes(6, 0)).Chunk("IDAT", z).End();
        }),
        PngError::PaletteNotAllowed);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", ihdr).Chunk("PLTE", Bytes(4, 0)).Chunk("IDAT", z).End();
        }),
        PngError::BadPalette);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", ihdr).Chunk("IDAT", z).Chunk("PLTE", Bytes(6, 0)).End();
        }),
        PngError::ChunkOutOfOrder);
    const Bytes half1(z.begin(), z.begin() + 10), half2(z.begin() + 10, z.end());
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", ihdr).Chunk("IDAT", half1).Chunk("tIME", Bytes(7, 1));
            w.Chunk("IDAT", half2).End();
        }),
        PngError::ImageDataNotContiguous);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr).End(); }), PngError::MissingImageData);
    add(file([&](PngWriter& w) { w.Chunk("IHDR", ihdr).Chunk("IDAT", z).Chunk("IEND", Bytes{1}); }),
        PngError::BadEndChunk);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", Ihdr(8, 5, 8, 2)).Chunk("tRNS", Bytes(2, 0)).Chunk("IDAT", z).End();
        }),
        PngError::BadTransparency);

    struct HeaderCase {
        Bytes ihdr;
        PngError error;
    };
    auto withField = [&](size_t at, uint8_t value) {
        Bytes h = ihdr;
        h[at] = value;
        return h;
    };
    const std::vector<HeaderCase> headers = {
        {Ihdr(0, 5, 8, 6), PngError::ZeroDimension},
        {Ihdr(8, 0, 8, 6), PngError::ZeroDimension},
        {Ihdr(4097, 5, 8, 6), PngError::DimensionTooLarge},
        {Ihdr(8, 0xFFFFFFFFu, 8, 6), PngError::DimensionTooLarge},
        {Ihdr(8, 5, 8, 5), PngError::InvalidColourType},
        {Ihdr(8, 5, 4, 6), PngError::InvalidBitDepth},
        {Ihdr(8, 5, 16, 3), PngError::InvalidBitDepth},
        {withField(10, 1), PngError::InvalidCompressionMethod},
        {withField(11, 1), PngError::InvalidFilterMethod},
        {Ihdr(8, 5, 8, 6, 2), PngError::InvalidInterlaceMethod},
        {Ihdr(8, 5, 8, 3), PngError::UnsupportedColourType},
        {Ihdr(8, 5, 16, 6), PngError::UnsupportedBitDepth},
        {Ihdr(8, 5, 4, 0), PngError::UnsupportedBitDepth},
        {Ihdr(8, 5, 8, 6, 1), PngError::UnsupportedInterlace},
    };
    for (const auto& h : headers) {
        add(file([&](PngWriter& w) { w.Chunk("IHDR", h.ihdr).Chunk("IDAT", z).End(); }), h.error);
    }

    // Image data of the wrong size, or streams that do not end where the data ends.
    add(SmallRgba(Zlib(Bytes(raw.begin(), raw.end() - 1))), PngError::ImageDataTooShort);
    Bytes longer = raw;
    longer.push_back(0);
    add(SmallRgba(Zlib(longer)), PngError::ImageDataTooLong);
    add(SmallRgba(Bytes(z.begin(), z.end() - 4)), PngError::CompressedDataUnterminated);
    Bytes trailing = z;
    trailing.push_back(0);
    add(SmallRgba(trailing), PngError::TrailingCompressedData);
    add(file([&](PngWriter& w) {
            w.Chunk("IHDR", ihdr).Chunk("IDAT", z).Chunk("IDAT", Bytes{3}).End();
        }),
        PngError::TrailingCompressedData);
    Bytes badZlib = z;
    badZlib[0] = 0x79; // not deflate
    add(SmallRgba(badZlib), PngError::CompressedDataCorrupt);
    Bytes badAdler = z;
    badAdler.back() ^= 1;
    add(SmallRgba(badAdler), PngError::CompressedDataCorrupt);
    Bytes badFilter = raw;
    badFilter[3 * (1 + 8 * 4)] = 5; // row 3's filter byte
    add(SmallRgba(Zlib(badFilter)), PngError::BadFilterType);

    for (size_t i = 0; i < cases.size(); ++i) {
        const PngResult r = Decode(cases[i].first);
        EXPECT_FALSE(r.bitmap) << "case " << i;
        EXPECT_STREQ(PngErrorName(r.error), PngErrorName(cases[i].second)) << "case " << i;
    }
}

TEST(PngDecode, AncillaryChunksAndSuggestedPalettesAreIgnored) {
    const Bytes z = Zlib(SmallRaw());
    PngWriter w;
    w.Chunk("IHDR", Ihdr(8, 5, 8, 6))
        .Chunk("gAMA", Bytes{0, 0, 0xB1, 0x8F})
        .Chunk("PLTE", Bytes(9, 0x40))
        .Chunk("tRNS", Bytes{0}) // not meaningful with an alpha channel
        .Chunk("prVt", Bytes(3, 0xEE))
        .Chunk("IDAT", z)
        .Chunk("tRNS", Bytes{0}) // misplaced, so not applied
        .End();
    const PngResult r = Decode(w.bytes_);
    ASSERT_TRUE(r.bitmap) << PngErrorName(r.error);
    EXPECT_EQ(r.bitmap->rgba, ToRgba(RandomBytes(8 * 5 * 4, 7), 6));
}

// Every prefix and every single-byte change of a valid file is handled without a crash
// or an out-of-bounds read (the sanitizers watch); a prefix is never accepted.
TEST(PngDecode, DamagedCopiesOfAValidFileAreHandled) {
    PngWriter w;
    w.Chunk("IHDR", Ihdr(8, 5, 8, 6)).Chunk("IDAT", Zlib(SmallRaw())).End();
    const Bytes valid = w.bytes_;
    for (size_t n = 0; n < valid.size(); ++n) {
        EXPECT_FALSE(DecodePng(std::span(valid.data(), n)).bitmap) << n;
    }
    for (size_t i = 0; i < valid.size(); ++i) {
        Bytes copy = valid;
        copy[i] ^= 0x5A;
        const PngResult r = DecodePng(copy);
        if (r.bitmap) {
            EXPECT_EQ(r.bitmap->rgba.size(), size_t(r.bitmap->width) * r.bitmap->height * 4);
        }
    }
}

// Inputs that once exposed a defect, kept as files and replayed for good. The file's
// name says what was wrong with it.
TEST(PngRegressions, EachFileIsRejectedForItsReason) {
    const std::map<std::string, PngError> expected = {
        {"crc-mismatch.png", PngError::CrcMismatch},
        {"truncated-idat.png", PngError::TruncatedChunk},
        {"huge-dimensions.png", PngError::DimensionTooLarge},
        {"extra-inflate-data.png", PngError::ImageDataTooLong},
        {"short-inflate-data.png", PngError::ImageDataTooShort},
        {"split-idat.png", PngError::ImageDataNotContiguous},
        {"missing-iend.png", PngError::MissingEnd},
        {"unknown-critical-chunk.png", PngError::UnknownCriticalChunk},
        {"chunk-length-over-file.png", PngError::TruncatedChunk},
        {"filter-type-5.png", PngError::BadFilterType},
        {"ihdr-length-12.png", PngError::BadHeaderLength},
        {"zlib-no-adler.png", PngError::CompressedDataUnterminated},
    };
    const std::filesystem::path dir = HX_SOURCE_DIR "/tests/ui/png-regressions";
    size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto it = expected.find(name);
        ASSERT_NE(it, expected.end()) << name << " has no expected reason in this test";
        const PngResult r = DecodePng(bytes);
        EXPECT_FALSE(r.bitmap) << name;
        EXPECT_STREQ(PngErrorName(r.error), PngErrorName(it->second)) << name;
        ++seen;
    }
    EXPECT_EQ(seen, expected.size()) << "a regression file is missing";
}

} // namespace
} // namespace hx::ui
