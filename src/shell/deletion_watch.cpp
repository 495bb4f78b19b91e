#include "shell/deletion_watch.h"

namespace qb {

DeleteOutcome DeletionWatch::DeleteConnection(const TcpEndpoints& endpoints)
{
    const DeleteOutcome outcome = m_source.DeleteConnection(endpoints);
    // A connection that is already gone says nothing about the privilege either way.
    if (outcome != DeleteOutcome::NoSuchConnection && (outcome == DeleteOutcome::NotPermitted) != m_refused) {
        m_refused = outcome == DeleteOutcome::NotPermitted;
        if (Changed)
            Changed();
    }
    return outcome;
}

} // namespace qb
