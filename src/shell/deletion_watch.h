#pragma once
// The connection table as the firewall's parts see it: the platform's own, watched for refused deletions.
#include "platform/tcp_table_source.h"

#include <QObject>

#include <atomic>
#include <functional>

namespace qb {

// Passes reads and deletions through to `source` and keeps whether the kernel refuses deletions for want
// of CAP_NET_ADMIN: from the first refusal until a deletion succeeds, Refused() is true. Changed runs on
// the UI thread after each change of that state. Every part that deletes connections goes through one
// instance, so a refusal is noticed whichever of them met it. As thread-safe as `source` (deletions of a
// batch may come from the table's worker); made and destroyed on the UI thread; `source` must outlive it.
class DeletionWatch final : public TcpTableSource {
public:
    explicit DeletionWatch(TcpTableSource& source) : m_source(source) {}

    std::function<void()> Changed;
    bool Refused() const { return m_refused; }

    TcpFetch Fetch() override { return m_source.Fetch(); }
    DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) override;
    std::optional<uint64_t> CountersStamp() override { return m_source.CountersStamp(); }
    bool ThreadSafe() const override { return m_source.ThreadSafe(); }

private:
    TcpTableSource& m_source;
    std::atomic<bool> m_refused = false;
    QObject m_uiThread; // receives the change when a worker met it
};

} // namespace qb
