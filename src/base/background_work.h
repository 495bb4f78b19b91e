#pragma once
// One worker thread for work that must not hold up the UI thread.
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qb {

// Runs jobs one at a time in the order they were posted, on a thread of its own started with the first
// job (it is in the network namespace of the thread that posts first). What a job returns runs afterwards
// on the thread that owns this object, through its event loop. Going away waits for the running job and
// drops the rest, and the answers not yet delivered. Post from the owner's thread only.
class BackgroundWork {
public:
    using Answer = std::function<void()>;
    using Job = std::function<Answer()>;

    BackgroundWork() = default;
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    void Post(Job job);

private:
    void Run();

    QObject m_context; // answers are delivered in its thread; pending ones go with it
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace qb
