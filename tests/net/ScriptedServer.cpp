#include "tests/net/ScriptedServer.h"
#include "tests/TestText.h"

#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace hx::test {
namespace {

using Raw = std::intptr_t;
constexpr Raw kNone = -1;
// Waits are sliced so that the destructor can stop every thread promptly.
constexpr int kSliceMs = 20;

#ifdef _WIN32
bool StartSockets() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
SOCKET S(Raw s) {
    return static_cast<SOCKET>(s);
}
void CloseRaw(Raw s) {
    closesocket(S(s));
}
bool Readable(Raw s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(S(s), &set);
    timeval limit{0, ms * 1000};
    return select(0, &set, nullptr, nullptr, &limit) > 0;
}
int RecvRaw(Raw s, char* buffer, int size) {
    return recv(S(s), buffer, size, 0);
}
bool SendRaw(Raw s, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const int n = send(S(s), bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
void ShutdownSend(Raw s) {
    shutdown(S(s), SD_SEND);
}
void SendUrgent(Raw s, const std::string& bytes) {
    send(S(s), bytes.data(), static_cast<int>(bytes.size()), MSG_OOB);
}
#else
bool StartSockets() {
    return true;
}
int S(Raw s) {
    return static_cast<int>(s);
}
void CloseRaw(Raw s) {
    ::close(S(s));
}
bool Readable(Raw s, int ms) {
    pollfd p{S(s), POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}
int RecvRaw(Raw s, char* buffer, int size) {
    return static_cast<int>(::recv(S(s), buffer, static_cast<std::size_t>(size), 0));
}
bool SendRaw(Raw s, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(S(s), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
void ShutdownSend(Raw s) {
    ::shutdown(S(s), SHUT_WR);
}
void SendUrgent(Raw s, const std::string& bytes) {
    ::send(S(s), bytes.data(), bytes.size(), MSG_OOB | MSG_NOSIGNAL);
}
#endif

void ResetRaw(Raw s) {
    linger hard{};
    hard.l_onoff = 1;
    hard.l_linger = 0;
    setsockopt(S(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    CloseRaw(s);
}

} // namespace

struct ScriptedServer::Connection {
    Raw socket = kNone;
    std::string received;   // guarded by the server's mutex
    std::size_t cursor = 0; // end of the last request head taken by WaitRequest
    bool done = false;
    bool open = true;
    std::thread thread;
};

std::string Response200(std::string_view body, std::string_view extraHeaders) {
    std::string r = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    r += extraHeaders;
    r += "\r\n";
    r += body;
    return r;
}

ScriptedServer::ScriptedServer(std::vector<Script> scripts)
    : ScriptedServer(std::move(scripts), 0) {}

ScriptedServer::ScriptedServer(std::vector<Script> scripts, std::uint16_t port)
    : scripts_(std::move(scripts)) {
    StartSockets();
    const auto s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    listener_ = static_cast<Raw>(s);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(s, 16) == 0) {
        socklen_t length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptedServer::~ScriptedServer() {
    stop_ = true;
    acceptThread_.join();
    for (auto& c : connections_) {
        c->thread.join();
    }
    CloseRaw(listener_);
}

std::u16string ScriptedServer::Url(std::string_view path) const {
    return U16("http://127.0.0.1:" + std::to_string(port_) + std::string(path));
}

std::vector<std::string> ScriptedServer::Received() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (auto& c : connections_) {
        out.push_back(c->received);
    }
    return out;
}

std::size_t ScriptedServer::Connections() {
    std::lock_guard lock(mutex_);
    return connections_.size();
}

bool ScriptedServer::WaitScriptDone(std::size_t index) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        {
            std::lock_guard lock(mutex_);
            if (index < connections_.size() && connections_[index]->done) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void ScriptedServer::AcceptLoop() {
    while (!stop_) {
        if (!Readable(listener_, kSliceMs)) {
            continue;
        }
        const auto s = accept(static_cast<decltype(socket(0, 0, 0))>(listener_), nullptr, nullptr);
        std::lock_guard lock(mutex_);
        auto c = std::make_unique<Connection>();
        c->socket = static_cast<Raw>(s);
        const std::size_t index = connections_.size();
        static const Script extra = {WaitRequest(), Close()};
        const Script& script = index < scripts_.size() ? scripts_[index] : extra;
        Connection& ref = *c;
        connections_.push_back(std::move(c));
        ref.thread = std::thread([this, &ref, &script] { Serve(ref, script); });
    }
}

void ScriptedServer::Serve(Connection& c, const Script& script) {
    // Receives one piece into the record; false when the peer has gone or we stop.
    auto receive = [&]() -> bool {
        while (!stop_) {
            if (!Readable(c.socket, kSliceMs)) {
                continue;
            }
            char buffer[65536];
            const int n = RecvRaw(c.socket, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            std::lock_guard lock(mutex_);
            c.received.append(buffer, static_cast<std::size_t>(n));
            return true;
        }
        return false;
    };
    auto takeWaiting = [&] {
        while (c.open && Readable(c.socket, 0) && receive()) {
        }
    };
    for (const Step& step : script) {
        if (!c.open || stop_) {
            break;
        }
        switch (step.kind) {
        case Step::Kind::Send: {
            std::string bytes = step.bytes;
            for (std::size_t at; (at = bytes.find("{port}")) != std::string::npos;) {
                bytes.replace(at, 6, std::to_string(port_));
            }
            SendRaw(c.socket, bytes);
            break;
        }
        case Step::Kind::Urgent:
            SendUrgent(c.socket, step.bytes);
            break;
        case Step::Kind::Pause:
            for (int waited = 0; waited < step.ms && !stop_; waited += 5) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            break;
        case Step::Kind::WaitRequest:
            for (;;) {
                std::size_t end;
                {
                    std::lock_guard lock(mutex_);
                    end = c.received.find("\r\n\r\n", c.cursor);
                }
                if (end != std::string::npos) {
                    c.cursor = end + 4;
                    break;
                }
                if (!receive()) {
                    break;
                }
            }
            break;
        case Step::Kind::Close:
            takeWaiting();
            ShutdownSend(c.socket);
            CloseRaw(c.socket);
            c.open = false;
            break;
        case Step::Kind::Reset:
            takeWaiting();
            ResetRaw(c.socket);
            c.open = false;
            break;
        }
    }
    {
        std::lock_guard lock(mutex_);
        c.done = true;
    }
    // Keep recording until the client closes or the test ends.
    while (c.open && receive()) {
    }
    if (c.open) {
        CloseRaw(c.socket);
    }
}

} // namespace hx::test
