#pragma once
#include "platform/connectivity.h"

namespace qb::test {

struct FakeConnectivity final : Connectivity {
    ConnectedState state;
    ConnectedState Query() override { return state; }
};

} // namespace qb::test
