#pragma once
#include "support/net_namespace.h"

#include <QCoreApplication>

#include <chrono>

namespace qb::test {

// Runs the event loop until `condition` holds or `timeout` has passed; returns the condition.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    return PollUntil(
        [&] { return condition() || (QCoreApplication::processEvents(QEventLoop::AllEvents, 10), false); },
        static_cast<int>(timeout.count()));
}

// Runs the event loop for `duration`, for checks that something does not happen.
inline void RunEvents(std::chrono::milliseconds duration)
{
    WaitUntil([] { return false; }, duration);
}

} // namespace qb::test
