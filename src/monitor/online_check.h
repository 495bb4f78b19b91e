#pragma once
// The two questions the monitor and start-up ask about the network.
#include "platform/connectivity.h"

namespace qb {

// True when the machine has a usable network connection.
bool IsOnline(Connectivity& connectivity);
// True when the connection goes through a proxy; a failing query reads as no proxy.
bool IsProxy(Connectivity& connectivity);

} // namespace qb
