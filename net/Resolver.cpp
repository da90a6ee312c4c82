#include "net/Resolver.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace hx::net {

// What the worker and the waiter share; the last of them to let go frees it.
struct PendingLookup::Shared {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::optional<Ipv4Endpoint> answer;
};

PendingLookup::PendingLookup(const Lookup& lookup, std::string host, std::string port,
                             std::function<void()> wake)
    : shared_(std::make_shared<Shared>()) {
    try {
        std::thread([shared = shared_, lookup, host = std::move(host), port = std::move(port),
                     wake = std::move(wake)] {
            std::optional<Ipv4Endpoint> answer;
            try {
                answer = lookup(host, port);
            } catch (...) {
                answer.reset(); // a lookup that throws found nothing
            }
            {
                const std::lock_guard lock(shared->mutex);
                shared->answer = answer;
                shared->done = true;
            }
            shared->answered.notify_all();
            if (wake) {
                wake();
            }
        }).detach();
        started_ = true;
    } catch (const std::system_error&) {
        started_ = false; // no thread to be had: the name cannot be resolved now
    }
}

PendingLookup::~PendingLookup() = default;

bool PendingLookup::Wait(int timeoutMs) {
    std::unique_lock lock(shared_->mutex);
    return shared_->answered.wait_for(lock,
                                      std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                                      [this] { return shared_->done; });
}

bool PendingLookup::Done() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->done;
}

ConnectStatus PendingLookup::Result(Ipv4Endpoint& endpoint) const {
    std::optional<Ipv4Endpoint> answer;
    {
        const std::lock_guard lock(shared_->mutex);
        answer = shared_->answer;
    }
    if (!answer) {
        return ConnectStatus::ResolveFailed;
    }
    endpoint = *answer;
    return ConnectStatus::Ok;
}

} // namespace hx::net
