// http-get [--profile check|download] [--user-agent TEXT] URL [FILE] [URL [FILE] ...]
//
// Drives THttpClient from a command line. All URLs share one client, in order, so keep-alive
// and cookies carry over. With FILE the body goes into that file; without, it is decoded to
// text and printed as UTF-8 after a line "body:". Events are printed as they happen; each
// request ends with "result ok", "result ok incomplete" (the body did not arrive whole) or
// "result fail <kind> [<status>]".

#include <cstdio>
#include <string>
#include <vector>

#include "base/Guard.h"
#include "base/TextCodecs.h"
#include "net/HttpClient.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using hx::net::THttpClient;

// The updater's own settings, so that the tool sends what the updater sends: its user
// agent, and for the download profile the update window's Accept value with redirects
// followed. The check profile is a new client's defaults.
constexpr std::u16string_view kUpdaterUserAgent = u"Mozilla/4.0 (compatible; KORVEX)";
constexpr std::u16string_view kDownloadAccept = u"text/html, */*";

void Line(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool IsUrl(std::u16string_view arg) {
    return arg.find(u"://") != std::u16string_view::npos;
}

int Usage() {
    std::fputs("usage: http-get [--profile check|download] [--user-agent TEXT] "
               "URL [FILE] [URL [FILE] ...]\n",
               stderr);
    return 2;
}

bool Report(THttpClient& client) {
    const hx::net::HttpResult& result = client.LastResult();
    if (result.ok()) {
        // A body cut before its announced length, or ended by a reset, is not whole.
        Line(client.LastBodyComplete() ? "result ok" : "result ok incomplete");
        return true;
    }
    std::string line = std::string("result fail ") + hx::net::FailureKindName(result.kind);
    if (result.kind == hx::net::FailureKind::Status) {
        line += ' ';
        line += std::to_string(result.statusCode);
    }
    Line(line);
    return false;
}

int Run(const std::vector<std::u16string>& args) {
    bool download = true;
    std::u16string userAgent(kUpdaterUserAgent);
    struct Job {
        std::u16string url, file;
    };
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == u"--profile" && i + 1 < args.size()) {
            const std::u16string& name = args[++i];
            if (name != u"check" && name != u"download") {
                return Usage();
            }
            download = name == u"download";
        } else if (args[i] == u"--user-agent" && i + 1 < args.size()) {
            userAgent = args[++i];
        } else if (IsUrl(args[i])) {
            jobs.push_back({args[i], {}});
        } else if (!jobs.empty() && jobs.back().file.empty() && args[i].rfind(u"--", 0) != 0) {
            jobs.back().file = args[i];
        } else {
            return Usage();
        }
    }
    if (jobs.empty()) {
        return Usage();
    }

    THttpClient client;
    if (download) {
        client.Request.Accept = std::u16string(kDownloadAccept);
        client.HandleRedirects = true;
    }
    client.OnWorkBegin = [](THttpClient&, hx::net::TWorkMode, std::int64_t max) {
        Line("begin " + std::to_string(max));
    };
    client.OnWork = [](THttpClient&, hx::net::TWorkMode, std::int64_t count) {
        Line("work " + std::to_string(count));
    };
    client.OnWorkEnd = [](THttpClient&, hx::net::TWorkMode) { Line("end"); };

    bool allOk = true;
    for (const Job& job : jobs) {
        client.Request.UserAgent = userAgent;
        if (job.file.empty()) {
            const std::optional<std::u16string> text = client.Get(job.url);
            if (text) {
                Line("body:");
                const std::string body = hx::EncodeUtf8(*text);
                std::fwrite(body.data(), 1, body.size(), stdout);
                if (body.empty() || body.back() != '\n') {
                    std::fputc('\n', stdout);
                }
            }
        } else {
            auto file = hx::net::FileOutputStream::Create(job.file);
            if (!file) {
                std::fprintf(stderr, "http-get: cannot create %s\n",
                             hx::EncodeUtf8(job.file).c_str());
                Line("result fail stream");
                allOk = false;
                continue;
            }
            client.Get(job.url, *file);
        }
        allOk = Report(client) && allOk;
    }
    return allOk ? 0 : 1;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    // The output is UTF-8 bytes exactly as produced, without CR insertion.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg(argv[i]);
        args.emplace_back(arg.begin(), arg.end());
    }
    return hx::Guarded([&] { return Run(args); }, 1);
}
#else
int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(hx::DecodeUtf8(argv[i]));
    }
    return hx::Guarded([&] { return Run(args); }, 1);
}
#endif
