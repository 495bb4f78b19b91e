#include "shell/deletion_watch.h"

#include <QThread>

namespace qb {

DeleteOutcome DeletionWatch::DeleteConnection(const TcpEndpoints& endpoints)
{
    const DeleteOutcome outcome = m_source.DeleteConnection(endpoints);
    // A connection that is already gone says nothing about the privilege either way.
    if (outcome == DeleteOutcome::NoSuchConnection)
        return outcome;
    const bool refused = outcome == DeleteOutcome::NotPermitted;
    if (m_refused.exchange(refused) == refused)
        return outcome;
    if (QThread::currentThread() == m_uiThread.thread()) {
        if (Changed)
            Changed();
    } else {
        QMetaObject::invokeMethod(
            &m_uiThread,
            [this] {
                if (Changed)
                    Changed();
            },
            Qt::QueuedConnection);
    }
    return outcome;
}

} // namespace qb
