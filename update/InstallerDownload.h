// The installer download: earlier installers removed, the time-stamped file name, the
// transfer into that file on the update window's client, and the progress position.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpClient.h"
#include "net/OutputStream.h"

namespace hx::update {

// The seven parts the installer's name is built from, each as the clock gives it (the
// fields of the platform's SYSTEMTIME): the date from one clock reading, the time of day
// from a second one.
struct InstallerStamp {
    std::uint16_t year = 0, month = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Reads `clock` twice: date parts from the first reading, time parts from the second.
InstallerStamp StampFromClock(const std::function<InstallerStamp()>& clock);
// The same on the local clock (update/win/).
InstallerStamp ReadInstallerStamp();

// folder + "update" + the decimal sum of the seven parts + "Hexaplane.exe".
std::u16string InstallerFileName(std::u16string_view folder, const InstallerStamp& stamp);
// The installer of `stamp` in the executable's folder; empty when that folder is unknown,
// since the program has nowhere else it may put the installer.
std::u16string InstallerPath(const InstallerStamp& stamp);

// The bar position for `count` bytes of `total`: count / total x 100 rounded to the nearest
// integer with ties to even, kept within the bar's range 0..100. Both are taken whole, 64
// bits, so an installer of 2 GiB or more shows a true bar. Nothing when no size was
// announced (total 0).
std::optional<int> ProgressPosition(std::int64_t count, std::int64_t total);

// Deletes every entry of `folder` (with its trailing separator) matching "update*.*", as
// a file, in listing order; an entry that cannot be deleted (a directory, a file in use)
// is skipped. An empty folder names no folder: nothing is deleted (update/win/).
void DeleteOldUpdates(std::u16string_view folder);

// One installer download on the update window's client. It owns the download file
// (DownloadStream): created by DownloadUpdate, closed by it when the GET returns
// normally, and otherwise kept open until the close duty releases it. The window binds
// its client's progress events to OnWorkBegin and PositionFor.
class Download {
public:
    // `url` defaults to the installer on the maker's web host.
    explicit Download(net::THttpClient& client, std::u16string url = {});
    ~Download();
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // Creates `fileName` (replacing it, opened exclusively) and GETs the installer into
    // it. Never fails: a failure leaves whatever was written, and the file stays open.
    void DownloadUpdate(std::u16string_view fileName);

    // The transfer's start event: the announced size.
    void OnWorkBegin(std::int64_t workCountMax);
    // The progress event: the bar's new position, or nothing to leave it where it is.
    std::optional<int> PositionFor(std::int64_t workCount) const;

    // The update window's close duty: aborts the transfer, and releases a file left open
    // by a failed download, but never while the transfer may still write to it.
    void CloseDuty();

    // The last DownloadUpdate got a success status and the whole body into the file, and
    // the file was closed. Anything less must not be started as an installer.
    bool Complete() const { return complete_; }
    // DownloadStream holds a file.
    bool StreamOpen() const { return stream_ != nullptr; }
    std::int64_t DownloadTotal() const { return total_; }
    bool Running() const { return running_; }

private:
    net::THttpClient& client_;
    std::u16string url_;
    std::unique_ptr<net::FileOutputStream> stream_;
    std::int64_t total_ = 0;
    bool running_ = false;
    bool complete_ = false;
};

} // namespace hx::update
