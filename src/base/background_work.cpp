#include "base/background_work.h"

#include <QMetaObject>

namespace qb {

BackgroundWork::~BackgroundWork()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundWork::Post(Job job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    if (!m_thread.joinable())
        m_thread = std::thread(&BackgroundWork::Run, this);
    m_wake.notify_one();
}

void BackgroundWork::Run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        Answer answer = job();
        // Posted under the lock: the destructor takes it before m_context goes, and once it has, no answer
        // is posted any more.
        std::lock_guard lock(m_mutex);
        if (answer && !m_stopping)
            QMetaObject::invokeMethod(&m_context, std::move(answer), Qt::QueuedConnection);
    }
}

} // namespace qb
