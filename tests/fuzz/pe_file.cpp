// Fuzz target for what the updater reads from an executable: the headers, the version
// resource's product version, and the comparison of the running image's headers with its
// file's. Invariants: a release comes only from a file whose headers read, the headers lie
// inside the file, and a file's headers always match themselves.
#include "update/PeFile.h"

#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    hx::update::MemorySource file(bytes);
    const auto headers = hx::update::ReadPeHeaders(file);
    const auto release = hx::update::ReadProductVersion(file);
    Require(headers || !release);
    if (headers) {
        Require(headers->headersEnd <= size);
        Require(headers->imageBaseAt + headers->imageBaseSize <= headers->headersEnd);
    }
    Require(hx::update::SameHeaders(file, bytes) == headers.has_value());
    return 0;
}
