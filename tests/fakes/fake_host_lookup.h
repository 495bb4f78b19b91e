#pragma once
// Asynchronous look-ups that answer only when the test releases them.
#include "net/host_lookup.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace qb::test {

class FakeHostLookup final : public HostLookup {
public:
    void Start(const QString& address, Done done) override
    {
        started << address;
        m_pending.emplace_back(address, std::move(done));
    }

    // Answers every pending look-up of `address` with `name`; false when none was pending.
    bool Release(const QString& address, const QString& name)
    {
        bool any = false;
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->first == address) {
                const Done done = std::move(it->second);
                it = m_pending.erase(it);
                done(name);
                any = true;
            } else {
                ++it;
            }
        }
        return any;
    }
    // A failed look-up answers with the address itself.
    bool Fail(const QString& address) { return Release(address, address); }
    size_t PendingCount() const { return m_pending.size(); }

    QStringList started;

private:
    std::vector<std::pair<QString, Done>> m_pending;
};

} // namespace qb::test
