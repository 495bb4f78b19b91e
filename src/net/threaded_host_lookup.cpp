#include "net/threaded_host_lookup.h"

#include "net/mod_wsk.h"
#include "platform/name_resolver.h"

#include <QMetaObject>
#include <QTimer>

#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace qb {

struct ThreadedHostLookup::Shared {
    struct Job {
        uint64_t id;
        QString address;
        std::chrono::steady_clock::time_point deadline;
    };

    std::mutex mutex;
    std::shared_ptr<NameResolver> resolver;
    ThreadedHostLookup* owner = nullptr; // null once the owner is gone
    std::deque<Job> queue;
    int workers = 0;

    static void Work(const std::shared_ptr<Shared>& shared)
    {
        for (;;) {
            Job job;
            {
                std::lock_guard lock(shared->mutex);
                if (shared->queue.empty() || shared->owner == nullptr) {
                    --shared->workers;
                    return;
                }
                job = std::move(shared->queue.front());
                shared->queue.pop_front();
            }
            // Its answer has already been given by the timeout.
            if (std::chrono::steady_clock::now() >= job.deadline)
                continue;
            const HostAnswer answer = ModWsk::ResolveHostName(*shared->resolver, job.address);
            std::lock_guard lock(shared->mutex);
            // Posting under the lock: the owner's destructor takes it before the object goes away.
            if (ThreadedHostLookup* owner = shared->owner) {
                QMetaObject::invokeMethod(
                    owner, [owner, id = job.id, answer] { owner->Finish(id, answer); }, Qt::QueuedConnection);
            }
        }
    }
};

ThreadedHostLookup::ThreadedHostLookup(std::shared_ptr<NameResolver> resolver,
                                       std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>()), m_timeout(timeout)
{
    m_shared->resolver = std::move(resolver);
    m_shared->owner = this;
}

ThreadedHostLookup::~ThreadedHostLookup()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->owner = nullptr;
    m_shared->queue.clear();
}

void ThreadedHostLookup::Start(const QString& address, Done done)
{
    const uint64_t id = m_nextId++;
    m_pending.emplace(id, Pending{address, std::move(done)});
    QTimer::singleShot(m_timeout, this, [this, id, address] { Finish(id, HostAnswer{address, false}); });

    std::lock_guard lock(m_shared->mutex);
    m_shared->queue.push_back({id, address, std::chrono::steady_clock::now() + m_timeout});
    if (m_shared->workers < kWorkers) {
        try {
            std::thread(Shared::Work, m_shared).detach();
            ++m_shared->workers;
        } catch (const std::system_error&) {
            // Out of threads: the queued job waits for a running worker, or its timeout answers it.
        }
    }
}

void ThreadedHostLookup::Finish(uint64_t id, const HostAnswer& answer)
{
    const auto found = m_pending.find(id);
    if (found == m_pending.end())
        return;
    const Done done = std::move(found->second.done);
    m_pending.erase(found);
    if (done)
        done(answer);
}

} // namespace qb
