#pragma once
// An asynchronous reverse look-up, so that a slow resolver never holds up the UI thread.
#include <QString>

#include <functional>

namespace qb {

// What a look-up gives to show: the host name, or the address itself. `lasting` is false when the address
// stands only for now (the resolver could not answer at the moment, or not in time) and is not to be kept.
struct HostAnswer {
    QString name;
    bool lasting = true;
    bool operator==(const HostAnswer&) const = default;
};

// Start() returns at once; `done` runs later on the thread that called Start() (which runs an event loop),
// exactly once. It never runs after the look-up object is gone.
class HostLookup {
public:
    using Done = std::function<void(const HostAnswer& answer)>;
    virtual ~HostLookup() = default;
    virtual void Start(const QString& address, Done done) = 0;
};

} // namespace qb
