#include "monitor/online_check.h"

namespace qb {

bool IsOnline(Connectivity& connectivity)
{
    return connectivity.Query().connected;
}

bool IsProxy(Connectivity& connectivity)
{
    return (connectivity.Query().flags & ConnectedState::kProxy) != 0;
}

} // namespace qb
