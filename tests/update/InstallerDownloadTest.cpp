// The installer's name, the progress arithmetic, and the download's ownership of its file
// against the scripted loopback server.

#include "update/InstallerDownload.h"

#include "update/HttpClientComponent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/net/ScriptedServer.h"

namespace hx::update {
namespace {

namespace fs = std::filesystem;
using net::THttpClient;
using net::TWorkMode;
using test::Close;
using test::Pause;
using test::Reply;
using test::Response200;
using test::ScriptedServer;
using test::Send;
using test::WaitRequest;

TEST(InstallerStamp, DateFromTheFirstReadingTimeFromTheSecond) {
    // The stage starts just before midnight: the two readings straddle it.
    const InstallerStamp readings[] = {{2020, 10, 11, 23, 59, 59, 999}, {2020, 10, 12, 0, 0, 0, 7}};
    int calls = 0;
    const InstallerStamp stamp = StampFromClock([&] { return readings[calls++]; });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(InstallerFileName(u"", stamp), u"update2048Hexaplane.exe"); // 2020+10+11+7
}

TEST(InstallerFileName, DecimalSumOfAllSevenPartsAfterTheFolder) {
    EXPECT_EQ(InstallerFileName(u"C:\\Temp\\KORVEX\\Hexaplane\\", {2020, 10, 11, 16, 35, 36, 123}),
              u"C:\\Temp\\KORVEX\\Hexaplane\\update2251Hexaplane.exe");
    EXPECT_EQ(InstallerFileName(u"", {}), u"update0Hexaplane.exe");
    // The sum does not wrap at 16 bits.
    EXPECT_EQ(InstallerFileName(u"", {65535, 65535, 65535, 65535, 65535, 65535, 65535}),
              u"update458745Hexaplane.exe");
}

TEST(ProgressPosition, DividesFirstThenRoundsHalfToEven) {
    EXPECT_EQ(ProgressPosition(1, 3), 33);
    EXPECT_EQ(ProgressPosition(1, 8), 12);
    EXPECT_EQ(ProgressPosition(3, 8), 38);
    EXPECT_EQ(ProgressPosition(5, 8), 62);
    EXPECT_EQ(ProgressPosition(0, 8), 0);
    EXPECT_EQ(ProgressPosition(8, 8), 100);
    // count / total first, then x 100: 23/40 lands just below 57.5, 109/200 just above 54.5.
    EXPECT_EQ(ProgressPosition(23, 40), 57);
    EXPECT_EQ(ProgressPosition(109, 200), 55);
    EXPECT_EQ(ProgressPosition(5, 0), std::nullopt);
}

TEST(ProgressPosition, TakesSizeAndCountWholeAndStaysWithinTheBar) {
    constexpr std::int64_t k4GiB = std::int64_t{1} << 32;
    // Sizes whose low 32 bits would read as negative, as tiny or as nothing.
    EXPECT_EQ(ProgressPosition(k4GiB / 4, 3 * (k4GiB / 4)), 33);
    EXPECT_EQ(ProgressPosition(5, k4GiB + 5), 0);
    EXPECT_EQ(ProgressPosition(k4GiB + 1, 2 * k4GiB), 50);
    EXPECT_EQ(ProgressPosition(k4GiB, k4GiB), 100);
    EXPECT_EQ(ProgressPosition(0x7FFF'FFFF, 1), 100); // far beyond the announced size
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder per test, removed afterwards.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("hx-download-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        client_.HeadTimeoutMs = 5000; // a fault shows as a failure, not as a long hang
        client_.ReadTimeoutMs = 5000;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path File() const { return folder_ / "update2251Hexaplane.exe"; }

    // Binds the client's events as the update window does, recording the positions.
    void BindEvents(Download& download) {
        client_.OnWorkBegin = [&download](THttpClient&, TWorkMode, std::int64_t max) {
            download.OnWorkBegin(max);
        };
        client_.OnWork = [this, &download](THttpClient&, TWorkMode, std::int64_t count) {
            positions_.push_back(download.PositionFor(count).value_or(-1));
        };
    }

    std::string DownloadRequest(const ScriptedServer& server) const {
        return "GET /downloads/hexaplane.exe HTTP/1.1\r\nHost: 127.0.0.1:" +
               std::to_string(server.port()) +
               "\r\nAccept: text/html, */*\r\n"
               "User-Agent: Mozilla/4.0 (compatible; KORVEX)\r\n\r\n";
    }

    fs::path folder_;
    HttpClientComponent client_{u"HttpGet", nullptr};
    std::vector<int> positions_;
};

TEST_F(DownloadTest, WholeBodyReplacesAnOldFileAndIsClosedAndComplete) {
    std::ofstream(File(), std::ios::binary) << std::string(100000, 'o');
    const std::string body(80000, 'i');
    ScriptedServer server({Reply(Response200(body))});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    BindEvents(download);

    download.DownloadUpdate(File().u16string());
    EXPECT_TRUE(download.Complete());
    EXPECT_FALSE(download.StreamOpen());
    EXPECT_EQ(ReadFile(File()), body);
    EXPECT_EQ(download.DownloadTotal(), 80000);
    // One event per block of 32,768 bytes: 40.96, 81.92, 100.
    EXPECT_EQ(positions_, (std::vector<int>{41, 82, 100}));
    EXPECT_EQ(server.Received(), std::vector<std::string>{DownloadRequest(server)});
}

TEST_F(DownloadTest, BodyWithoutLengthLeavesTheBarWhereItWas) {
    ScriptedServer server({{WaitRequest(), Send("HTTP/1.1 200 OK\r\n\r\nabc"), Close()}});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    BindEvents(download);
    download.DownloadUpdate(File().u16string());
    EXPECT_TRUE(download.Complete()); // a body ending with the connection is whole
    EXPECT_EQ(ReadFile(File()), "abc");
    EXPECT_EQ(positions_, std::vector<int>{-1});
}

TEST_F(DownloadTest, FailureStatusKeepsTheEmptyFileOpenUntilTheCloseDuty) {
    ScriptedServer server({Reply("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found")});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    download.DownloadUpdate(File().u16string());
    EXPECT_FALSE(download.Complete());
    EXPECT_TRUE(download.StreamOpen());

    download.CloseDuty();
    EXPECT_FALSE(download.StreamOpen());
    EXPECT_EQ(ReadFile(File()), "");
    download.CloseDuty(); // nothing left to release
    EXPECT_FALSE(download.StreamOpen());
}

TEST_F(DownloadTest, BodyCutShortIsClosedButNotComplete) {
    ScriptedServer server(
        {{WaitRequest(),
          Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n" + std::string("MZ\x90\x00", 4)),
          Close()}});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    download.DownloadUpdate(File().u16string());
    EXPECT_FALSE(download.Complete());
    EXPECT_FALSE(download.StreamOpen());
    EXPECT_EQ(ReadFile(File()), std::string("MZ\x90\x00", 4));
}

TEST_F(DownloadTest, CloseDutyDuringATransferOfKnownLengthLeavesTheFileToTheDownload) {
    ScriptedServer server(
        {{WaitRequest(),
          Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(40000, 'a')),
          Pause(3000), Send(std::string(60000, 'b'))}});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    bool openDuringDuty = false;
    client_.OnWork = [&](THttpClient&, TWorkMode, std::int64_t) {
        download.CloseDuty(); // the window is closed while data arrives
        openDuringDuty = download.StreamOpen();
    };
    download.DownloadUpdate(File().u16string());
    EXPECT_TRUE(openDuringDuty);
    EXPECT_FALSE(download.StreamOpen());
    EXPECT_FALSE(download.Complete());
    const std::string written = ReadFile(File());
    EXPECT_GT(written.size(), 0u);
    EXPECT_LE(written.size(), 40000u);
    EXPECT_EQ(written, std::string(written.size(), 'a'));
}

TEST_F(DownloadTest, AbortedChunkedTransferKeepsTheFileForALaterCloseDuty) {
    ScriptedServer server({{WaitRequest(),
                            Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n9c40\r\n" +
                                 std::string(40000, 'a') + "\r\n"),
                            Pause(3000), Send("0\r\n\r\n")}});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    int duties = 0;
    client_.OnWork = [&](THttpClient&, TWorkMode, std::int64_t) {
        if (duties++ == 0) {
            download.CloseDuty();
        }
    };
    download.DownloadUpdate(File().u16string());
    EXPECT_FALSE(download.Complete());
    EXPECT_TRUE(download.StreamOpen());
    download.CloseDuty();
    EXPECT_FALSE(download.StreamOpen());
}

TEST_F(DownloadTest, FileThatCannotBeCreatedSendsNoRequest) {
    ScriptedServer server({Reply(Response200("x"))});
    Download download(client_, server.Url("/downloads/hexaplane.exe"));
    download.DownloadUpdate((folder_ / "missing" / "update1Hexaplane.exe").u16string());
    EXPECT_FALSE(download.Complete());
    EXPECT_FALSE(download.StreamOpen());
    EXPECT_EQ(server.Connections(), 0u);
}

TEST(Download, StartEventTakesTheAnnouncedSizeWhole) {
    HttpClientComponent client(u"HttpGet", nullptr);
    Download download(client);
    EXPECT_EQ(download.PositionFor(5), std::nullopt); // no size announced yet
    download.OnWorkBegin(0x1'0000'0008LL);
    EXPECT_EQ(download.DownloadTotal(), 0x1'0000'0008LL);
    EXPECT_EQ(download.PositionFor(0x8000'0004LL), 50);
}

} // namespace
} // namespace hx::update
