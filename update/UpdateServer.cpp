#include "update/UpdateServer.h"

#include "update/Release.h"

#ifndef HEXAPLANE_UPDATE_HOST
#error "HEXAPLANE_UPDATE_HOST must name the maker's web host"
#endif

namespace hx::update {

namespace {

constexpr char16_t kHost[] = u"" HEXAPLANE_UPDATE_HOST;

std::u16string Url(std::u16string_view path) {
    std::u16string url(u"http://");
    url += UpdateHost();
    url += path;
    return url;
}

} // namespace

std::u16string_view UpdateHost() {
    return kHost;
}
std::u16string UpdateAnswerUrl() {
    return Url(std::u16string(kUpdateAnswerPath) + ReleaseText(kUpdaterRelease));
}
std::u16string InstallerUrl() {
    return Url(kInstallerPath);
}
std::u16string DownloadPageUrl() {
    return Url(kDownloadPagePath);
}

} // namespace hx::update
