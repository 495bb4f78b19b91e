#pragma once
#include "platform/connectivity.h"

namespace qb::test {

class FakeConnectivity final : public Connectivity {
public:
    ConnectedState state;
    ConnectedState Query() override { return state; }
};

} // namespace qb::test
