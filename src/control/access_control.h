#pragma once
// The access decision for every connection whose owner is known, the two firewall switches and what the
// main window's status display shows of them.
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qb {

class DesktopProcesses;
class ProcessFreezer;
class RuleStore;
class TcpTable;

// What the status display shows: the lights `Status1` (block-all) and `Status2` (firewall), 0 or 1, and
// the captions of the block-all and firewall labels.
struct StatusDisplay {
    qint16 Status1 = 0;
    qint16 Status2 = 0;
    QString BlockAllCaption;
    QString FirewallCaption;
    bool operator==(const StatusDisplay&) const = default;
};

// Decides about connections, freezes programs that have no rule while their prompt is open and keeps the
// set of programs with an open prompt. A pending program is named by its exact path (byte for byte);
// `CurrentProcessing()` is the same set as text, each path between two characters of code 1, in the order
// the prompts opened. Processes the desktop needs (this program, the display server, the window manager,
// the tray host) are never frozen; their prompts open all the same.
// Starts with the firewall enabled and block-all off. UI thread only; the references must outlive it.
class AccessControl : public QObject {
    Q_OBJECT
public:
    AccessControl(RuleStore& rules, TcpTable& table, ProcessFreezer& freezer, DesktopProcesses& desktop,
                  QObject* parent = nullptr);

    // Opens the prompt for a program that has just become pending: the owner creates a `frmAttempt` and
    // calls its ShowInfo(path, index) before returning, while the slot still holds that connection.
    std::function<void(const std::string& path, int16_t index)> OpenPrompt;
    // Rebuilds the connection list at once (after block-all changed). Unset: nothing.
    std::function<void()> RefreshList;

    // The decision for the connection in slot `index` owned by `programPath`; true asks the caller to
    // close the connection at once. Counts a sighting (and a block) in the program's rule; for a program
    // without a rule that is not pending, freezes the slot's process, marks the path pending and opens its
    // prompt. An index outside the slots decides nothing and returns false. Store and freezing failures
    // are silent.
    bool CheckPrograms(const std::string& programPath, int16_t index);

    bool IsPending(const std::string& programPath) const { return m_pending.contains(programPath); }
    QString CurrentProcessing() const;
    // Ends the pending state of `programPath`, and resumes `processId` when it was frozen for that path.
    // Nothing happens for a path that is not pending, so a second call resumes nothing.
    void EndPending(const std::string& programPath, uint32_t processId);

    bool Firewall_Enabled() const { return m_firewallEnabled; }
    bool Pub_BlockAll() const { return m_blockAll; }
    void SetFirewallEnabled(bool enabled);
    void SetBlockAll(bool blockAll);
    // Negates block-all, updates the status display and then runs RefreshList.
    void ToggleBlockAll();
    // Negates the firewall switch, updates the status display, and returns the caption for the control
    // that was clicked: "Enable Firewall" when the firewall is now disabled, else "Disable Firewall".
    QString ToggleFirewall();

    // The status display's work: recomputes what it shows and emits StatusDisplayChanged when that
    // changed. The switches run it themselves; a timer may run it too.
    void Timer4();
    const StatusDisplay& Display() const { return m_display; }

signals:
    void StatusDisplayChanged(const qb::StatusDisplay& display);

private:
    bool IsDesktopProcess(uint32_t processId);

    RuleStore& m_rules;
    TcpTable& m_table;
    ProcessFreezer& m_freezer;
    DesktopProcesses& m_desktop;
    bool m_firewallEnabled = true;
    bool m_blockAll = false;
    std::map<std::string, uint32_t> m_pending; // path → process frozen for it (0: none)
    std::vector<std::string> m_pendingOrder;
    StatusDisplay m_display;
};

} // namespace qb
