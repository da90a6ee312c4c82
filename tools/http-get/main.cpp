// http-get [--profile check|download] [--user-agent TEXT] URL [FILE] [URL [FILE] ...]
//
// Drives THttpClient from a command line. All URLs share one client, in order, so keep-alive
// and cookies carry over. With FILE the body goes into that file; without, it is decoded to
// text and printed as UTF-8 after a line "body:". Events are printed as they happen; each
// request ends with "result ok" or "result fail <kind> [<status>]".

#include <cstdio>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "net/UpdateServer.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using hx::net::THttpClient;

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Command-line arguments are UTF-8 on POSIX; malformed bytes become U+FFFD.
[[maybe_unused]] std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80         ? 0
                          : (b >> 5) == 6  ? 1
                          : (b >> 4) == 14 ? 2
                          : (b >> 3) == 30 ? 3
                                           : -1;
        char32_t c = extra == 0   ? b
                     : extra == 1 ? (b & 0x1F)
                     : extra == 2 ? (b & 0x0F)
                                  : (b & 0x07);
        bool ok = extra >= 0 && text.size() - i > static_cast<std::size_t>(extra);
        for (int k = 1; ok && k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            ok = (n & 0xC0) == 0x80;
            c = (c << 6) | (n & 0x3F);
        }
        if (!ok || c > 0x10FFFF) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

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
        Line("result ok");
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
    auto profile = hx::net::ClientProfile::Download;
    std::u16string userAgent(hx::net::kUserAgent);
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
            profile =
                name == u"check" ? hx::net::ClientProfile::Check : hx::net::ClientProfile::Download;
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

    THttpClient client(profile);
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
                const std::string body = Utf8(*text);
                std::fwrite(body.data(), 1, body.size(), stdout);
                if (body.empty() || body.back() != '\n') {
                    std::fputc('\n', stdout);
                }
            }
        } else {
            auto file = hx::net::FileOutputStream::Create(job.file);
            if (!file) {
                std::fprintf(stderr, "http-get: cannot create %s\n", Utf8(job.file).c_str());
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
    return Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(FromUtf8(argv[i]));
    }
    return Run(args);
}
#endif
