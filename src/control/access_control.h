#pragma once
// The access decision for every connection whose owner is known, the two firewall switches and what the
// main window's status display shows of them.
#include "base/connection_record.h"
#include "platform/thread_control.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qb {

class DesktopProcesses;
class InputGrabs;
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

// What a prompt's answer means for the processes it was asked about: nothing (an "Allways" rule or no
// answer), or a once-only answer that holds for each of those processes until it exits.
enum class OnceAnswer { None, Allow, Block };

// Decides about connections, freezes programs that have no rule while their prompt is open and keeps the
// set of programs with an open prompt. A pending program is named by its exact path (byte for byte);
// `CurrentProcessing()` is the same set as text, each path between two characters of code 1, in the order
// the prompts opened. While a program is pending, every process seen with a connection under its path is
// frozen once its identity is confirmed, and all of them are released when the prompt ends. Processes the
// desktop needs (this program and its helpers, the display server, the window manager, the tray host)
// are never frozen; their prompts open all the same. While another client holds a pointer or keyboard
// grab, freezing waits (checked every kGrabRetryMs) so that no grab holder is left frozen. A once-only
// answer covers the processes its prompt was about, each until it exits: allowed ones are neither
// frozen nor asked again, blocked ones have their connections closed whenever they are seen (while the
// firewall is enabled). Starts with the firewall enabled and block-all off. UI thread only; the
// references must outlive it.
class AccessControl : public QObject {
    Q_OBJECT
public:
    static constexpr int kGrabRetryMs = 100;

    AccessControl(RuleStore& rules, TcpTable& table, ProcessFreezer& freezer, DesktopProcesses& desktop,
                  InputGrabs& grabs, QObject* parent = nullptr);

    // Opens the prompt for a program that has just become pending: the owner creates a `frmAttempt` and
    // calls its ShowInfo(path, index) before returning, while the slot still holds that connection.
    std::function<void(const std::string& path, int16_t index)> OpenPrompt;
    // Rebuilds the connection list at once (after block-all changed). Unset: nothing.
    std::function<void()> RefreshList;

    // The decision for the connection in slot `index` owned by `programPath`; true asks the caller to
    // close the connection at once. Counts a sighting (and a block) in the program's rule; without a rule,
    // applies a once-only answer for the slot's process; otherwise freezes the slot's process and, for a
    // program not yet pending, marks the path pending and opens its prompt. An index outside the slots
    // decides nothing and returns false. Store and freezing failures are silent.
    bool CheckPrograms(const std::string& programPath, int16_t index);
    // Ends a refresh: answers of exited processes are dropped.
    void RefreshFinished();

    bool IsPending(const std::string& programPath) const { return m_pending.contains(programPath); }
    QString CurrentProcessing() const;
    // Ends the pending state of `programPath`, releases every process frozen for it and records a
    // once-only `answer` for the processes it was about; a Block answer refreshes the list at once, so
    // that their other connections close now. Nothing happens for a path that is not pending.
    void EndPending(const std::string& programPath, OnceAnswer answer = OnceAnswer::None);

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
    struct Pending {
        std::set<ProcessKey> asked;   // every process seen under the path while it is pending
        std::set<ProcessKey> held;    // frozen for it
        std::set<ProcessKey> waiting; // to be frozen once no grab is active
    };
    struct Once {
        uint64_t startTime = 0;
        std::string path; // a process that runs another program since then is asked anew
        OnceAnswer answer = OnceAnswer::None;
    };
    // Takes the slot's process into the pending program: frozen now, or once the grab ends.
    void Hold(Pending& pending, const ConnectionRecord& connection);
    void FreezeWaiting();
    std::optional<OnceAnswer> OnceAnswerFor(uint32_t pid, const std::string& programPath);
    bool IsDesktopProcess(uint32_t processId);

    RuleStore& m_rules;
    TcpTable& m_table;
    ProcessFreezer& m_freezer;
    DesktopProcesses& m_desktop;
    InputGrabs& m_grabs;
    bool m_firewallEnabled = true;
    bool m_blockAll = false;
    std::map<std::string, Pending> m_pending;
    std::vector<std::string> m_pendingOrder;
    std::map<uint32_t, Once> m_once; // pid → the once-only answer for the process running there
    QTimer m_grabRetry;
    StatusDisplay m_display;
};

} // namespace qb
