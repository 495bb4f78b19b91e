#pragma once
#include "platform/tcp_table_source.h"

#include <atomic>

namespace qb::test {

// The table as data; deletes are recorded, and refused when `refuseDeletes` is set.
struct FakeTcpTable final : TcpTableSource {
    std::vector<TcpRow> rows;
    int result = 0; // errno value to fail the next fetches with
    bool refuseDeletes = false;
    std::vector<TcpEndpoints> deleted;
    std::atomic<int> fetches = 0;
    std::optional<uint64_t> stamp; // the counters' digest; unset: they cannot be read
    bool threadSafe = false;       // fetched on the table's worker; rows are then left alone meanwhile

    TcpFetch Fetch() override
    {
        ++fetches;
        return TcpFetch{result, result != 0 ? TcpSnapshot() : TcpSnapshot::FromRows(rows)};
    }
    std::optional<uint64_t> CountersStamp() override { return stamp; }
    bool ThreadSafe() const override { return threadSafe; }
    DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) override
    {
        deleted.push_back(endpoints);
        return refuseDeletes ? DeleteOutcome::NotPermitted : DeleteOutcome::Deleted;
    }
};

} // namespace qb::test
