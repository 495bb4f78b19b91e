#pragma once
// The watch for new connections, off the UI thread.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace qb {

// Reads a counter digest every `interval` on a thread of its own and calls `moved` there with the reading
// when it differs from the last one, when `quiet` has passed since the last call, after Again(), and
// every kUnreadableEvery intervals while the counters cannot be read. The UI thread wakes only when there
// is something to look at: a Qt timer firing 20 times a second costs an idle program more than the
// readings themselves. `read` must be thread-safe.
class CountersPoller {
public:
    using Read = std::function<std::optional<uint64_t>()>;
    using Moved = std::function<void(std::optional<uint64_t>)>;
    static constexpr int kUnreadableEvery = 4;

    CountersPoller(Read read, Moved moved, std::chrono::milliseconds interval,
                   std::chrono::milliseconds quiet);
    ~CountersPoller();
    CountersPoller(const CountersPoller&) = delete;
    CountersPoller& operator=(const CountersPoller&) = delete;

    void Start();
    // Returns once the thread has ended: no call of `moved` follows.
    void Stop();
    bool Running() const { return m_thread.joinable(); }
    // The next reading calls `moved` whatever it reads: the last call could not be acted on.
    void Again();

private:
    void Run();

    const Read m_read;
    const Moved m_moved;
    const std::chrono::milliseconds m_interval;
    const std::chrono::milliseconds m_quiet;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_again = false;
    std::thread m_thread;
};

} // namespace qb
