#pragma once
// A name cache whose look-ups answer only when the test releases them.
#include "base/host_names.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace qb::test {

class FakeHostNames final : public HostNames {
public:
    QString CheckDictionary(const QString& address) override
    {
        asked << address;
        if (const auto it = m_names.constFind(address); it != m_names.constEnd())
            return *it;
        m_pending.insert(address);
        return address;
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

    QStringList asked;

private:
    QHash<QString, QString> m_names;
    QSet<QString> m_pending;
};

} // namespace qb::test
