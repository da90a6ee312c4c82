// A loopback HTTP server for tests that plays a fixed script on each accepted connection
// (exact bytes, pauses, waits for a request head, close, reset) and records every byte each
// connection received, so a test can state the reply and the expected request side by side.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace hx::test {

struct Step {
    enum class Kind { Send, Urgent, Pause, WaitRequest, Close, Reset };
    Kind kind;
    std::string bytes; // Send, Urgent
    int ms = 0;        // Pause
};

// "{port}" in the bytes becomes the server's port (for absolute Locations).
inline Step Send(std::string bytes) {
    return {Step::Kind::Send, std::move(bytes), 0};
}
// TCP urgent (out-of-band) data.
inline Step Urgent(std::string bytes) {
    return {Step::Kind::Urgent, std::move(bytes), 0};
}
inline Step Pause(int ms) {
    return {Step::Kind::Pause, {}, ms};
}
// Reads until the next "\r\n\r\n" (the end of a request head).
inline Step WaitRequest() {
    return {Step::Kind::WaitRequest, {}, 0};
}
// Orderly close (FIN) after taking whatever the client sent.
inline Step Close() {
    return {Step::Kind::Close, {}, 0};
}
// Abortive close: RST.
inline Step Reset() {
    return {Step::Kind::Reset, {}, 0};
}

using Script = std::vector<Step>;

// The common script: wait for one request, send `reply`.
inline Script Reply(std::string reply) {
    return {WaitRequest(), Send(std::move(reply))};
}

class ScriptedServer {
public:
    // scripts[i] runs on the i-th accepted connection. A connection beyond the scripts
    // gets its request read and is closed.
    explicit ScriptedServer(std::vector<Script> scripts);
    // The same on a fixed loopback port (a program under test may have its server's
    // address compiled in); port() stays 0 when the port cannot be had.
    ScriptedServer(std::vector<Script> scripts, std::uint16_t port);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>" + path.
    std::u16string Url(std::string_view path) const;

    // What each accepted connection has received so far, in accept order.
    std::vector<std::string> Received();
    std::size_t Connections();
    // Waits up to a few seconds until connection `index` has run its script to the end.
    bool WaitScriptDone(std::size_t index);

private:
    struct Connection;
    void AcceptLoop();
    void Serve(Connection& connection, const Script& script);

    std::vector<Script> scripts_;
    std::intptr_t listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::thread acceptThread_;
};

// "HTTP/1.1 200 OK\r\nContent-Length: <n>\r\n" + extraHeaders + "\r\n" + body.
std::string Response200(std::string_view body, std::string_view extraHeaders = {});

} // namespace hx::test
