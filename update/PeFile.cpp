#include "update/PeFile.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace hx::update {

namespace {

// Field offsets and sizes of the PE/COFF format.
constexpr std::uint32_t kDosHeaderSize = 64;
constexpr std::uint32_t kNewHeaderOffsetAt = 0x3C; // e_lfanew
constexpr std::uint32_t kFileHeaderSize = 24;      // "PE\0\0" and the COFF file header
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kCertificateDirectory = 4;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionInfoName = 1; // VS_VERSION_INFO
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDu;

// The system's loader refuses more sections than this.
constexpr std::uint16_t kMaxSections = 96;
// A resource directory of ours holds a few dozen entries; more is not a file we made, and
// the cap keeps the reads small.
constexpr std::uint32_t kMaxDirectoryEntries = 4096;

// VS_VERSIONINFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO" with its null,
// padding to 32 bits, then VS_FIXEDFILEINFO (52 bytes).
constexpr std::uint32_t kVersionKeyAt = 6;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";
constexpr std::uint32_t kFixedInfoAt = 40;
constexpr std::uint32_t kFixedInfoSize = 52;
constexpr std::uint32_t kProductVersionAt = kFixedInfoAt + 16;
constexpr std::uint32_t kVersionPrefixSize = kFixedInfoAt + kFixedInfoSize;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint16_t(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(U16(b, at)) | (std::uint32_t(U16(b, at + 2)) << 16);
}

// `length` bytes at `offset`, or nothing when they are not all in the file.
std::optional<std::vector<std::uint8_t>> ReadAt(ByteSource& file, std::uint64_t offset,
                                                std::uint64_t length) {
    const std::uint64_t size = file.Size();
    if (offset > size || length > size - offset) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(length);
    if (!file.Read(offset, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

struct Section {
    std::uint32_t rva = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawAt = 0;
};

// Where `length` bytes at `rva` lie in the file: wholly inside the file-backed part of one
// section, or nowhere.
std::optional<std::uint64_t> FileOffset(const std::vector<Section>& sections, std::uint32_t rva,
                                        std::uint32_t length) {
    for (const Section& s : sections) {
        if (rva >= s.rva && rva - s.rva < s.rawSize && length <= s.rawSize - (rva - s.rva)) {
            return std::uint64_t(s.rawAt) + (rva - s.rva);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<Section>> ReadSections(ByteSource& file, const PeHeaders& headers) {
    const auto table = ReadAt(file, headers.sectionTableAt,
                              std::uint64_t(headers.sectionCount) * kSectionHeaderSize);
    if (!table) {
        return std::nullopt;
    }
    std::vector<Section> sections;
    for (std::size_t at = 0; at < table->size(); at += kSectionHeaderSize) {
        const Section s{U32(*table, at + 12), U32(*table, at + 16), U32(*table, at + 20)};
        // The loader refuses a section whose data runs past the end of the file.
        if (std::uint64_t(s.rawAt) + s.rawSize > file.Size()) {
            return std::nullopt;
        }
        sections.push_back(s);
    }
    return sections;
}

// The resource table: reads confined to it, by offsets from its start.
class ResourceTable {
public:
    ResourceTable(ByteSource& file, std::vector<Section> sections, const PeHeaders& headers)
        : file_(file), sections_(std::move(sections)), rva_(headers.resourceRva),
          size_(headers.resourceSize) {}

    std::optional<std::vector<std::uint8_t>> Read(std::uint32_t offset, std::uint32_t length) {
        if (offset > size_ || length > size_ - offset || rva_ > UINT32_MAX - offset) {
            return std::nullopt;
        }
        return ReadRva(rva_ + offset, length);
    }

    std::optional<std::vector<std::uint8_t>> ReadRva(std::uint32_t rva, std::uint32_t length) {
        const auto at = FileOffset(sections_, rva, length);
        return at ? ReadAt(file_, *at, length) : std::nullopt;
    }

    // The target of the directory entry at `directory` whose name is the number `id`, or
    // of its first entry when `id` is empty; a subdirectory's offset when `subdirectory`,
    // else a data entry's. Entries named by a string never match a number.
    std::optional<std::uint32_t> Find(std::uint32_t directory, std::optional<std::uint32_t> id,
                                      bool subdirectory) {
        const auto head = Read(directory, 16);
        if (!head) {
            return std::nullopt;
        }
        const std::uint32_t count = std::uint32_t(U16(*head, 12)) + U16(*head, 14);
        if (count == 0 || count > kMaxDirectoryEntries) {
            return std::nullopt;
        }
        const auto entries = Read(directory + 16, count * 8); // no overflow: both bounded
        if (!entries) {
            return std::nullopt;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t name = U32(*entries, i * 8);
            const std::uint32_t target = U32(*entries, i * 8 + 4);
            if (!id || (!(name & kHighBit) && name == *id)) {
                if (bool(target & kHighBit) != subdirectory) {
                    return std::nullopt;
                }
                return target & ~kHighBit;
            }
        }
        return std::nullopt;
    }

private:
    ByteSource& file_;
    std::vector<Section> sections_;
    std::uint32_t rva_;
    std::uint32_t size_;
};

std::optional<ReleaseVersion> FixedInfoProductVersion(std::span<const std::uint8_t> info,
                                                      std::uint32_t resourceSize) {
    const std::uint16_t length = U16(info, 0);
    if (length < kVersionPrefixSize || length > resourceSize || U16(info, 2) != kFixedInfoSize) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < std::size(kVersionKey); ++i) {
        if (U16(info, kVersionKeyAt + 2 * i) != kVersionKey[i]) {
            return std::nullopt;
        }
    }
    if (U32(info, kFixedInfoAt) != kFixedInfoSignature) {
        return std::nullopt;
    }
    const std::uint32_t high = U32(info, kProductVersionAt);
    const std::uint32_t low = U32(info, kProductVersionAt + 4);
    return ReleaseVersion{{std::uint16_t(high >> 16), std::uint16_t(high), std::uint16_t(low >> 16),
                           std::uint16_t(low)}};
}

} // namespace

bool MemorySource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
        return false;
    }
    std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
    return true;
}

std::optional<PeHeaders> ReadPeHeaders(ByteSource& file) {
    const auto dos = ReadAt(file, 0, kDosHeaderSize);
    if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') {
        return std::nullopt;
    }
    const std::uint64_t at = U32(*dos, kNewHeaderOffsetAt);
    const auto head = ReadAt(file, at, kFileHeaderSize);
    if (!head || std::memcmp(head->data(), "PE\0\0", 4) != 0) {
        return std::nullopt;
    }
    PeHeaders h;
    h.sectionCount = U16(*head, 6);
    const std::uint16_t optionalSize = U16(*head, 20);
    const auto optional = ReadAt(file, at + kFileHeaderSize, optionalSize);
    if (!optional || optionalSize < 2 || h.sectionCount > kMaxSections) {
        return std::nullopt;
    }
    const std::uint16_t magic = U16(*optional, 0);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) {
        return std::nullopt;
    }
    h.pe32Plus = magic == kPe32PlusMagic;
    const std::uint32_t countAt = h.pe32Plus ? 108 : 92;
    const std::uint32_t directoriesAt = countAt + 4;
    if (optionalSize < directoriesAt) {
        return std::nullopt;
    }
    const std::uint64_t tableAt = at + kFileHeaderSize + optionalSize;
    const std::uint64_t end = tableAt + std::uint64_t(h.sectionCount) * kSectionHeaderSize;
    if (end > file.Size() || end > UINT32_MAX) {
        return std::nullopt;
    }
    h.sectionTableAt = std::uint32_t(tableAt);
    h.headersEnd = std::uint32_t(end);
    h.imageBaseAt = std::uint32_t(at + kFileHeaderSize + (h.pe32Plus ? 24 : 28));
    h.imageBaseSize = h.pe32Plus ? 8 : 4;
    // Directories beyond the declared count, or beyond the optional header, are absent.
    const std::uint32_t count = U32(*optional, countAt);
    const auto directory = [&](std::uint32_t index, std::uint32_t field) -> std::uint32_t {
        const std::uint32_t entryAt = directoriesAt + index * 8;
        return index < count && entryAt + 8 <= optionalSize ? U32(*optional, entryAt + field) : 0;
    };
    h.certificateTable = directory(kCertificateDirectory, 4) != 0;
    h.resourceRva = directory(kResourceDirectory, 0);
    h.resourceSize = directory(kResourceDirectory, 4);
    return h;
}

std::optional<ReleaseVersion> ReadProductVersion(ByteSource& file) {
    const auto headers = ReadPeHeaders(file);
    if (!headers || headers->resourceRva == 0) {
        return std::nullopt;
    }
    auto sections = ReadSections(file, *headers);
    if (!sections) {
        return std::nullopt;
    }
    // Three levels, each looked up once: no directory can lead the search round in a loop.
    ResourceTable table(file, std::move(*sections), *headers);
    const auto names = table.Find(0, kRtVersion, true);
    const auto languages = names ? table.Find(*names, kVersionInfoName, true) : std::nullopt;
    const auto data = languages ? table.Find(*languages, std::nullopt, false) : std::nullopt;
    const auto entry = data ? table.Read(*data, 16) : std::nullopt;
    if (!entry) {
        return std::nullopt;
    }
    const std::uint32_t size = U32(*entry, 4);
    const auto info = size >= kVersionPrefixSize ? table.ReadRva(U32(*entry, 0), kVersionPrefixSize)
                                                 : std::nullopt;
    return info ? FixedInfoProductVersion(*info, size) : std::nullopt;
}

bool SameHeaders(ByteSource& file, std::span<const std::uint8_t> image) {
    MemorySource mapped(image);
    const auto headers = ReadPeHeaders(mapped);
    if (!headers) {
        return false;
    }
    const auto bytes = ReadAt(file, 0, headers->headersEnd);
    if (!bytes) {
        return false;
    }
    const std::size_t baseAt = headers->imageBaseAt;
    const std::size_t baseEnd = baseAt + headers->imageBaseSize;
    return std::equal(bytes->begin(), bytes->begin() + baseAt, image.begin()) &&
           std::equal(bytes->begin() + baseEnd, bytes->end(), image.begin() + baseEnd);
}

} // namespace hx::update
