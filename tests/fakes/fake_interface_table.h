#pragma once
#include "platform/interface_table_source.h"

namespace qb::test {

struct FakeInterfaceTable final : InterfaceTableSource {
    InterfaceTable table;
    InterfaceTable Fetch() override { return table; }
};

} // namespace qb::test
