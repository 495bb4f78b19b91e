#pragma once
// Runs the event loop until `condition` holds or `timeout` has passed; returns the condition.
#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace qb::test {

inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Runs the event loop for `duration`, for checks that something does not happen.
inline void RunEvents(std::chrono::milliseconds duration)
{
    WaitUntil([] { return false; }, duration);
}

} // namespace qb::test
