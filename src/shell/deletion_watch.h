#pragma once
// The connection table as the firewall's parts see it: the platform's own, watched for refused deletions.
#include "platform/tcp_table_source.h"

#include <functional>

namespace qb {

// Passes reads and deletions through to `source` and keeps whether the kernel refuses deletions for want
// of CAP_NET_ADMIN: from the first refusal until a deletion succeeds, Refused() is true. Changed runs
// after each change of that state. Every part that deletes connections goes through one instance, so a
// refusal is noticed whichever of them met it. UI thread only; `source` must outlive it.
class DeletionWatch final : public TcpTableSource {
public:
    explicit DeletionWatch(TcpTableSource& source) : m_source(source) {}

    std::function<void()> Changed;
    bool Refused() const { return m_refused; }

    TcpFetch Fetch() override { return m_source.Fetch(); }
    DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) override;

private:
    TcpTableSource& m_source;
    bool m_refused = false;
};

} // namespace qb
