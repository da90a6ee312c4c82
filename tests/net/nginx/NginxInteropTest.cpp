// THttpClient against a real nginx on loopback: keep-alive, cookies, a redirect, chunked
// output and a 100 MiB body. nginx runs in the foreground under a private prefix in the
// build folder and is stopped at the end (or dies with this process).

#include "net/HttpClient.h"

#include "tests/net/NetTestUtil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace hx::net {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNginx = "/usr/sbin/nginx";
constexpr std::int64_t kBigSize = 100 * 1024 * 1024;

// FNV-1a over a file, 64-bit.
std::uint64_t HashFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    std::uint64_t hash = 1469598103934665603ull;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash = (hash ^ static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)])) *
                   1099511628211ull;
        }
    }
    return hash;
}

// Deterministic pseudo-random bytes, written once and kept in the build folder.
void MakeBigFile(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path) && fs::file_size(path, ec) == static_cast<std::uintmax_t>(kBigSize)) {
        return;
    }
    const fs::path part = path.string() + "." + std::to_string(getpid());
    {
        std::ofstream out(part, std::ios::binary);
        std::vector<std::uint64_t> block(1 << 17);
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (std::int64_t written = 0; written < kBigSize;) {
            for (auto& word : block) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                word = x;
            }
            const auto bytes = static_cast<std::streamsize>(block.size() * sizeof(block[0]));
            out.write(reinterpret_cast<const char*>(block.data()), bytes);
            written += bytes;
        }
    }
    fs::rename(part, path); // atomic: parallel test processes never see half a file
}

std::uint16_t FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

bool Accepts(std::uint16_t port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Nginx : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(fs::exists(kNginx)) << "nginx is needed (Debian package nginx-light)";
        const fs::path base = fs::path(HX_BINARY_DIR) / "tests" / "net" / "nginx-run";
        root_ = base / "root";
        prefix_ = base / ("prefix-" + std::to_string(getpid()));
        fs::create_directories(root_);
        fs::create_directories(prefix_);
        MakeBigFile(root_ / "big.bin");
        std::ofstream(root_ / "chunked.html")
            << "<p>before <!--# echo var=\"ssi_missing\" default=\"included\" --> after</p>\n";

        port_ = FreePort();
        std::string conf = ReadText(fs::path(HX_SOURCE_DIR) / "tests/net/nginx/nginx.conf.in");
        const std::pair<std::string, std::string> fills[] = {{"@PREFIX@", prefix_.string()},
                                                             {"@ROOT@", root_.string()},
                                                             {"@PORT@", std::to_string(port_)}};
        for (const auto& [key, value] : fills) {
            for (std::size_t at; (at = conf.find(key)) != std::string::npos;) {
                conf.replace(at, key.size(), value);
            }
        }
        const fs::path confPath = prefix_ / "nginx.conf";
        std::ofstream(confPath) << conf;

        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the test
            const std::string p = prefix_.string() + "/", c = confPath.string();
            execl(kNginx, kNginx, "-p", p.c_str(), "-c", c.c_str(), "-g", "daemon off;",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 250 && !Accepts(port_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(Accepts(port_)) << ReadText(prefix_ / "error.log");
    }

    static void TearDownTestSuite() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        fs::remove_all(prefix_, ec);
    }

    static std::u16string Url(const std::string& path) {
        return hx::test::U16("http://127.0.0.1:" + std::to_string(port_) + path);
    }

    static THttpClient& Client(THttpClient& client) {
        test::UseDownloadSettings(client);
        return client;
    }

    static inline fs::path root_, prefix_;
    static inline std::uint16_t port_ = 0;
    static inline pid_t pid_ = -1;
};

TEST_F(Nginx, SecondDownloadReusesTheConnectionAndCarriesTheCookie) {
    THttpClient client;
    Client(client);
    const auto first = client.Get(Url("/connection"));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(client.Get(Url("/set-cookie")), u"set\n");
    EXPECT_EQ(client.Get(Url("/echo-cookie")), u"cookie=session=nginx42\n");
    EXPECT_EQ(client.Get(Url("/connection")), first) << "a new connection was opened";
}

TEST_F(Nginx, RedirectIsFollowedOnTheSameConnection) {
    THttpClient client;
    Client(client);
    const auto first = client.Get(Url("/connection"));
    MemoryOutputStream body;
    ASSERT_TRUE(client.Get(Url("/redirect"), body));
    EXPECT_EQ(std::u16string(body.bytes().begin(), body.bytes().end()), first);
    THttpClient check;
    EXPECT_EQ(check.Get(Url("/redirect")), std::nullopt);
    EXPECT_EQ(check.LastResult().statusCode, 302);
}

TEST_F(Nginx, ChunkedOutputIsDecodedAndItsFramingCounted) {
    THttpClient client;
    Client(client);
    std::int64_t lastCount = 0;
    client.OnWork = [&](THttpClient&, TWorkMode, std::int64_t count) { lastCount = count; };
    const auto text = client.Get(Url("/chunked.html"));
    ASSERT_TRUE(text.has_value()) << FailureKindName(client.LastResult().kind);
    EXPECT_EQ(*text, u"<p>before included after</p>\n");
    EXPECT_GT(lastCount, static_cast<std::int64_t>(text->size()));
    EXPECT_TRUE(client.LastBodyComplete());
}

TEST_F(Nginx, HundredMebibyteBodyArrivesByteExact) {
    const fs::path target = prefix_ / "download.bin";
    THttpClient client;
    Client(client);
    std::int64_t announced = 0, lastCount = 0, works = 0;
    client.OnWorkBegin = [&](THttpClient&, TWorkMode, std::int64_t max) { announced = max; };
    client.OnWork = [&](THttpClient&, TWorkMode, std::int64_t count) {
        lastCount = count;
        ++works;
    };
    {
        auto file = FileOutputStream::Create(target.u16string());
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(client.Get(Url("/big.bin"), *file))
            << FailureKindName(client.LastResult().kind);
    }
    EXPECT_TRUE(client.LastBodyComplete());
    EXPECT_EQ(announced, kBigSize);
    EXPECT_EQ(lastCount, kBigSize);
    EXPECT_GE(works, kBigSize / static_cast<std::int64_t>(kBodyBlockSize));
    ASSERT_EQ(fs::file_size(target), static_cast<std::uintmax_t>(kBigSize));
    EXPECT_EQ(HashFile(target), HashFile(root_ / "big.bin")) << hx::test::Utf8(target.u16string());
    fs::remove(target);
}

} // namespace
} // namespace hx::net
