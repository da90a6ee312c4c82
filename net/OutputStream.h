// A seekable byte stream open for writing: where `THttpClient::Get` puts a body.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace hx::net {

class OutputStream {
public:
    virtual ~OutputStream() = default;
    // The current position, or -1 when it cannot be told.
    virtual std::int64_t Position() = 0;
    virtual std::int64_t Size() = 0;
    // Moves the position; beyond the end is allowed (the next write extends the stream).
    virtual bool Seek(std::int64_t position) = 0;
    // Grows or cuts the stream; the position stays where it is.
    virtual bool SetSize(std::int64_t size) = 0;
    // Writes every byte at the position and advances it.
    virtual bool Write(std::span<const std::uint8_t> data) = 0;
};

// A stream held in memory (tests, small bodies). It holds at most kMaxMemoryStream bytes:
// a larger size is refused, as a full disk would refuse it.
inline constexpr std::int64_t kMaxMemoryStream = std::int64_t{1} << 30;
class MemoryOutputStream final : public OutputStream {
public:
    std::int64_t Position() override { return position_; }
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    bool Seek(std::int64_t position) override;
    bool SetSize(std::int64_t size) override;
    bool Write(std::span<const std::uint8_t> data) override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // Refuse sizes above this, as a full disk would (0: no limit).
    void SetSizeLimit(std::int64_t limit) { sizeLimit_ = limit; }

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
    std::int64_t sizeLimit_ = 0;
};

// A file stream over the platform's file calls (net/posix/, net/win/). Create() opens the
// file exclusively on Windows (no other process may open it while it is held).
class FileOutputStream final : public OutputStream {
public:
    // Creates or replaces `path` for writing; null when that fails.
    static std::unique_ptr<FileOutputStream> Create(const std::u16string& path);
    ~FileOutputStream() override;
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;

    std::int64_t Position() override;
    std::int64_t Size() override;
    bool Seek(std::int64_t position) override;
    bool SetSize(std::int64_t size) override;
    bool Write(std::span<const std::uint8_t> data) override;

private:
    using Handle = std::intptr_t; // HANDLE on Windows, a file descriptor elsewhere
    explicit FileOutputStream(Handle handle) : handle_(handle) {}
    Handle handle_;
};

} // namespace hx::net
