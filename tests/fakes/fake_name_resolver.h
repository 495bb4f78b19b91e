#pragma once
// A resolver answering from a table (an address not in it has no name); a look-up of an address listed in
// `held` blocks until Release().
#include "platform/name_resolver.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace qb::test {

struct FakeNameResolver final : NameResolver {
    HostNameAnswer HostName(uint32_t address) override
    {
        std::unique_lock lock(m_mutex);
        m_asked.push_back(address);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_held.contains(address); });
        return m_names.contains(address) ? m_names.at(address)
                                         : HostNameAnswer{HostNameAnswer::Kind::NoName, {}};
    }

    // A name, or none (std::nullopt); with `tryAgain`, no answer at all for now.
    void Answer(uint32_t address, std::optional<std::string> name, bool tryAgain = false)
    {
        using Kind = HostNameAnswer::Kind;
        std::lock_guard lock(m_mutex);
        m_names[address] = {tryAgain ? Kind::TryAgain : name ? Kind::Name : Kind::NoName, name.value_or("")};
    }
    void Hold(uint32_t address)
    {
        std::lock_guard lock(m_mutex);
        m_held.insert(address);
    }
    void Release(uint32_t address)
    {
        std::lock_guard lock(m_mutex);
        m_held.erase(address);
        m_changed.notify_all();
    }
    std::vector<uint32_t> Asked() const
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
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<uint32_t, HostNameAnswer> m_names;
    std::set<uint32_t> m_held;
    std::vector<uint32_t> m_asked;
};

} // namespace qb::test
