#pragma once
// A name cache whose look-ups answer only when the test releases them.
#include "base/host_names.h"

#include <QHash>
#include <QSet>

namespace qb::test {

struct FakeHostNames final : HostNames {
    QString CheckDictionary(const QString& address) override
    {
        if (!m_names.contains(address))
            m_pending.insert(address);
        return m_names.value(address, address);
    }
    // Answers the pending look-up of `address`; false when none was pending.
    bool Release(const QString& address, const QString& name)
    {
        if (!m_pending.remove(address))
            return false;
        m_names.insert(address, name);
        emit HostNameResolved(address, name);
        return true;
    }

private:
    QHash<QString, QString> m_names;
    QSet<QString> m_pending;
};

} // namespace qb::test
