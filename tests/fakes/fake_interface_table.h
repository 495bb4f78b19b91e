#pragma once
#include "platform/interface_table_source.h"

namespace qb::test {

class FakeInterfaceTable final : public InterfaceTableSource {
public:
    InterfaceTable table;
    int fetches = 0;
    InterfaceTable Fetch() override
    {
        ++fetches;
        return table;
    }
};

} // namespace qb::test
