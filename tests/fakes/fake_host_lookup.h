#pragma once
// Asynchronous look-ups that answer only when the test releases them.
#include "net/host_lookup.h"

#include <QStringList>

#include <map>
#include <vector>

namespace qb::test {

struct FakeHostLookup final : HostLookup {
    QStringList started;

    void Start(const QString& address, Done done) override
    {
        started << address;
        m_pending.emplace(address, std::move(done));
    }
    // Answers every pending look-up of `address` with `name`, in the order they began; false when none was
    // pending.
    bool Release(const QString& address, const QString& name, bool lasting = true)
    {
        std::vector<Done> due;
        while (m_pending.contains(address))
            due.push_back(std::move(m_pending.extract(address).mapped()));
        for (const Done& done : due)
            done(HostAnswer{name, lasting});
        return !due.empty();
    }
    // An address without a name answers with itself; one that timed out too, but only for now.
    bool Fail(const QString& address) { return Release(address, address); }
    bool TimeOut(const QString& address) { return Release(address, address, false); }

private:
    std::multimap<QString, Done> m_pending;
};

} // namespace qb::test
