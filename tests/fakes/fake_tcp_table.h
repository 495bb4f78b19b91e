#pragma once
#include "platform/tcp_table_source.h"

#include <functional>
#include <vector>

namespace qb::test {

// The table as data; deletes are recorded, and honoured against `rows` when `deleteRemovesRow` is set.
class FakeTcpTable final : public TcpTableSource {
public:
    std::vector<TcpRow> rows;
    int result = 0; // errno value to fail the next fetches with
    bool refuseDeletes = false;
    std::vector<TcpEndpoints> deleted;
    int fetches = 0;
    std::function<void()> onFetch; // runs inside Fetch, for re-entrancy tests

    TcpFetch Fetch() override
    {
        ++fetches;
        if (onFetch)
            onFetch();
        if (result != 0)
            return TcpFetch{result, {}};
        return TcpFetch{0, TcpSnapshot::FromRows(rows)};
    }
    bool DeleteConnection(const TcpEndpoints& endpoints) override
    {
        deleted.push_back(endpoints);
        return !refuseDeletes;
    }
};

} // namespace qb::test
