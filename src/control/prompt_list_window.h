#pragma once
// The open connection attempt prompts, owned in one place.
#include "control/frm_attempt_window.h"

#include <QObject>

#include <string>
#include <vector>

namespace qb {

// Creates a prompt for each program that becomes pending and keeps it until it closes (a prompt deletes
// itself when closed and leaves the list). Hiding or closing the main window does not touch them; the
// prompts still open go away with the list, each releasing its program, so the list must be destroyed
// before the access control and the other services. UI thread only.
class PromptList : public QObject {
    Q_OBJECT
public:
    explicit PromptList(AttemptServices services, QObject* parent = nullptr);
    ~PromptList() override;

    // A new prompt for `programPath`, filled from slot `intConnection` and shown; also the latest one.
    frmAttempt* Open(const std::string& programPath, int16_t intConnection);

    const std::vector<frmAttempt*>& Prompts() const { return m_prompts; }
    // The most recently opened prompt not yet deleted (a closed prompt leaves the list when the event loop
    // deletes it); null when there is none.
    frmAttempt* Latest() const { return m_prompts.empty() ? nullptr : m_prompts.back(); }

signals:
    void PromptOpened(qb::frmAttempt* prompt);

private:
    AttemptServices m_services;
    std::vector<frmAttempt*> m_prompts;
};

} // namespace qb
