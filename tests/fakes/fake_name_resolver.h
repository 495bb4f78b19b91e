#pragma once
// A resolver answering from a table (an address not in it has no name); a look-up of an address listed in
// `held` blocks until Release().
#include "platform/name_resolver.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace qb::test {

struct FakeNameResolver final : NameResolver {
    HostNameAnswer HostName(const IpAddress& address) override
    {
        std::unique_lock lock(m_mutex);
        m_asked.push_back(address);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return std::ranges::count(m_held, address) == 0; });
        const auto known = std::ranges::find(m_names, address, &Entry::first);
        return known == m_names.end() ? HostNameAnswer{HostNameAnswer::Kind::NoName, {}} : known->second;
    }

    // A name, or none (std::nullopt); with `tryAgain`, no answer at all for now.
    void Answer(const IpAddress& address, std::optional<std::string> name, bool tryAgain = false)
    {
        using Kind = HostNameAnswer::Kind;
        std::lock_guard lock(m_mutex);
        m_names.emplace_back(address, HostNameAnswer{tryAgain ? Kind::TryAgain
                                                     : name   ? Kind::Name
                                                              : Kind::NoName,
                                                     name.value_or("")});
    }
    void Hold(const IpAddress& address)
    {
        std::lock_guard lock(m_mutex);
        m_held.push_back(address);
    }
    void Release(const IpAddress& address)
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_held, address);
        m_changed.notify_all();
    }
    std::vector<IpAddress> Asked() const
    {
        std::lock_guard lock(m_mutex);
        return m_asked;
    }
    // Waits until `count` look-ups have begun.
    bool WaitForAsked(size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_asked.size() >= count; });
    }

private:
    using Entry = std::pair<IpAddress, HostNameAnswer>;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Entry> m_names;
    std::vector<IpAddress> m_held;
    std::vector<IpAddress> m_asked;
};

} // namespace qb::test
