#pragma once
// Reverse look-ups on a few worker threads of their own, each answer bounded by a timeout.
#include "net/host_lookup.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>

namespace qb {

class NameResolver;

// A look-up that has not answered within `timeout` is answered with the address, not lasting; its
// worker's late answer is dropped. Look-ups still queued when their time is up are never started. The workers
// are detached: a resolver stuck in a dead DNS server delays neither the answer nor the destruction of this
// object, and ends with the process at the latest. UI thread only (the workers are internal).
class ThreadedHostLookup final : public QObject, public HostLookup {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kTimeout{3000};
    static constexpr int kWorkers = 4;

    explicit ThreadedHostLookup(std::shared_ptr<NameResolver> resolver,
                                std::chrono::milliseconds timeout = kTimeout, QObject* parent = nullptr);
    ~ThreadedHostLookup() override;

    void Start(const QString& address, Done done) override;

private:
    struct Shared;
    struct Pending {
        QString address;
        Done done;
    };
    void Finish(uint64_t id, const HostAnswer& answer);

    std::shared_ptr<Shared> m_shared;
    std::chrono::milliseconds m_timeout;
    uint64_t m_nextId = 1;
    std::map<uint64_t, Pending> m_pending;
};

} // namespace qb
