#pragma once
// An asynchronous reverse look-up, so that a slow resolver never holds up the UI thread.
#include <QString>

#include <functional>

namespace qb {

// Start() returns at once; `done` runs later on the thread that called Start() (which runs an event loop),
// exactly once, with the host name, or with the address itself when the look-up failed or was too slow.
// It never runs after the look-up object is gone.
class HostLookup {
public:
    using Done = std::function<void(const QString& name)>;
    virtual ~HostLookup() = default;
    virtual void Start(const QString& address, Done done) = 0;
};

} // namespace qb
