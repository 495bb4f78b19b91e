#pragma once
#include "platform/input_grabs.h"

namespace qb::test {

// The display's grab state as a value.
struct FakeInputGrabs final : InputGrabs {
    GrabState state = GrabState::Unknown;
    GrabState Check() override { return state; }
};

} // namespace qb::test
