// Files read through a handle that keeps them as they were: an installer held from its check
// to its start, and the updater's own file while its signature is read.
#pragma once

#include "base/win/Handles.h"
#include "update/PeFile.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace hx::update {

// Opens `path` for reading and shares only reading: while the handle is open, nobody can
// write, replace, rename or delete the file. Invalid when it cannot be opened.
win::UniqueFile OpenUnshared(std::u16string_view path);

// The bytes of an open file, read at their offsets through its handle.
class HandleSource final : public ByteSource {
public:
    explicit HandleSource(HANDLE file);
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    HANDLE file_;
    std::uint64_t size_ = 0;
};

// A file held unchanged, and its final path: every junction and link resolved when it was
// opened, and every folder of that path held open too without sharing deletion, so that no
// folder on it can be renamed, replaced or deleted. Until the hold ends, that path names the
// held file and no other.
class HeldFile {
public:
    HeldFile() = default;
    // An empty hold when the file cannot be opened, its final path cannot be had or held, or
    // that path does not lead back to the same file.
    static HeldFile Open(std::u16string_view path);

    explicit operator bool() const { return bool(file_); }
    HANDLE Handle() const { return file_.get(); }
    // The final path in the form the shell takes (EverydayPath).
    const std::u16string& Path() const { return path_; }

private:
    win::UniqueFile file_;
    std::vector<win::UniqueFile> folders_;
    std::u16string path_;
};

} // namespace hx::update
