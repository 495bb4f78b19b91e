#pragma once
// Whether the machine has a network connection, and how it is reached.
#include <cstdint>

namespace qb {

struct ConnectedState {
    static constexpr uint32_t kLan = 0x02;
    static constexpr uint32_t kProxy = 0x04;
    bool connected = false;
    uint32_t flags = 0;  // kLan, kProxy
};

// Cheap enough to ask on the UI thread every 200 ms. Not thread-safe.
class Connectivity {
public:
    virtual ~Connectivity() = default;
    virtual ConnectedState Query() = 0;
};

} // namespace qb
