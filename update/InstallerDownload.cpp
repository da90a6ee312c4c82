#include "update/InstallerDownload.h"

#include "base/ExecutablePath.h"
#include "update/UpdateServer.h"

#include <cmath>
#include <string>

namespace hx::update {

InstallerStamp StampFromClock(const std::function<InstallerStamp()>& clock) {
    const InstallerStamp date = clock();
    const InstallerStamp time = clock();
    return {date.year, date.month, date.day, time.hour, time.minute, time.second, time.millisecond};
}

std::u16string InstallerFileName(std::u16string_view folder, const InstallerStamp& stamp) {
    const std::uint32_t sum = std::uint32_t{stamp.year} + stamp.month + stamp.day + stamp.hour +
                              stamp.minute + stamp.second + stamp.millisecond;
    const std::string digits = std::to_string(sum);
    std::u16string name(folder);
    name += u"update";
    name.append(digits.begin(), digits.end());
    name += u"Hexaplane.exe";
    return name;
}

std::u16string InstallerPath(const InstallerStamp& stamp) {
    const std::u16string folder = ExecutableFolder();
    return folder.empty() ? std::u16string() : InstallerFileName(folder, stamp);
}

std::optional<int> ProgressPosition(std::int64_t count, std::int64_t total) {
    if (total <= 0) {
        return std::nullopt;
    }
    // nearbyint rounds in the current mode, which is to nearest with ties to even. Counts up
    // to 2^53 convert exactly.
    const double position = std::nearbyint(double(count) / double(total) * 100.0);
    // A count beyond the announced size must not overflow the conversion; the bar would
    // stop at its ends anyway.
    if (position <= 0.0) {
        return 0;
    }
    return position >= 100.0 ? 100 : static_cast<int>(position);
}

Download::Download(net::THttpClient& client, std::u16string url)
    : client_(client), url_(url.empty() ? InstallerUrl() : std::move(url)) {}

Download::~Download() = default;

void Download::DownloadUpdate(std::u16string_view fileName) {
    complete_ = false;
    // A file left open by an earlier failed download has no writer any more.
    stream_.reset();
    stream_ = net::FileOutputStream::Create(std::u16string(fileName));
    if (!stream_) {
        return;
    }
    client_.Request.UserAgent = std::u16string(kUserAgent);
    // Running while the GET may still write, also when it ends by an exception.
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(running_);
    if (client_.Get(url_, *stream_)) {
        // An aborted or cut body also returns normally: the file holds what came.
        complete_ = client_.LastBodyComplete();
        stream_.reset();
    }
    // After a failure the file stays open until the close duty releases it.
}

void Download::OnWorkBegin(std::int64_t workCountMax) {
    total_ = workCountMax;
}

std::optional<int> Download::PositionFor(std::int64_t workCount) const {
    return ProgressPosition(workCount, total_);
}

void Download::CloseDuty() {
    client_.Disconnect();
    // While the transfer runs it still writes what it has received; the download itself
    // closes the file when the GET returns.
    if (!running_) {
        stream_.reset();
    }
}

} // namespace hx::update
