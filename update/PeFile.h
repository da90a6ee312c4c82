// What the updater reads from a Windows executable itself, without the system's loader:
// whether it carries a certificate table (an Authenticode signature), where its headers end,
// and the product version of its version resource. The bytes come from a ByteSource (a held
// file, or the running image's headers in memory) and are hostile until checked: every
// offset and size is bounded by the file and checked for overflow before it is used.
#pragma once

#include "update/Release.h"

#include <cstdint>
#include <optional>
#include <span>

namespace hx::update {

// Random access to the bytes of one file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `out` from `offset`; false unless every byte could be read.
    virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// The headers of a PE file, as far as the updater needs them.
struct PeHeaders {
    bool pe32Plus = false;
    std::uint32_t headersEnd = 0;    // end of the section table
    std::uint32_t imageBaseAt = 0;   // offset of the ImageBase field (the loader may move it)
    std::uint32_t imageBaseSize = 0; // 4 or 8
    bool certificateTable = false;   // the certificate table's directory entry is not empty
    std::uint32_t resourceRva = 0;   // 0 without a resource table
    std::uint32_t resourceSize = 0;
    std::uint16_t sectionCount = 0;
    std::uint32_t sectionTableAt = 0; // offset of the section table
};

// The DOS header, the PE signature, the file header and the optional header up to its data
// directories, and the section table; nothing when any of it is missing or inconsistent.
std::optional<PeHeaders> ReadPeHeaders(ByteSource& file);

// The product version of the VS_FIXEDFILEINFO in the file's version resource (type
// RT_VERSION, name 1, its first language); nothing without one or when it is malformed.
std::optional<ReleaseVersion> ReadProductVersion(ByteSource& file);

// The running image and its file hold the same headers up to the end of the section table,
// the ImageBase field apart. `image` is the first bytes of the mapped image.
bool SameHeaders(ByteSource& file, std::span<const std::uint8_t> image);

} // namespace hx::update
