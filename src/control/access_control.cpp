#include "control/access_control.h"

#include "base/tcp_table.h"
#include "control/process_freezer.h"
#include "control/rule_store.h"
#include "platform/desktop_processes.h"
#include "platform/input_grabs.h"

#include <algorithm>

namespace qb {

AccessControl::AccessControl(RuleStore& rules, TcpTable& table, ProcessFreezer& freezer,
                             DesktopProcesses& desktop, InputGrabs& grabs, QObject* parent)
    : QObject(parent), m_rules(rules), m_table(table), m_freezer(freezer), m_desktop(desktop), m_grabs(grabs)
{
    m_grabRetry.setInterval(kGrabRetryMs);
    connect(&m_grabRetry, &QTimer::timeout, this, &AccessControl::FreezeWaiting);
    Timer4();
}

bool AccessControl::CheckPrograms(const std::string& programPath, int16_t index)
{
    if (index < 0 || index > TcpTable::kLastSlot)
        return false;
    const int16_t slot = m_rules.CheckProgramID(QString::fromStdString(programPath));
    if (slot >= 0) {
        m_rules.CountAttempt(slot);
        if (!m_rules.Rule(slot).Blocked)
            return false;
        m_rules.CountBlock(slot);
        return m_firewallEnabled;
    }
    const ConnectionRecord& connection = m_table.Connections[static_cast<std::size_t>(index)];
    if (const auto answer = OnceAnswerFor(connection.PID, programPath))
        return *answer == OnceAnswer::Block && m_firewallEnabled;
    if (const auto pending = m_pending.find(programPath); pending != m_pending.end()) {
        Hold(pending->second, connection);
        return false;
    }
    // Pending before the prompt exists: a refresh running while it opens must not open a second one.
    Hold(m_pending[programPath], connection);
    m_pendingOrder.push_back(programPath);
    if (OpenPrompt)
        OpenPrompt(programPath, index);
    return false;
}

void AccessControl::Hold(Pending& pending, const ConnectionRecord& connection)
{
    if (connection.PID == 0)
        return;
    // A /proc read tells a process already taken from a new one; only a new one costs the check of its
    // descriptors, so a busy program's later sightings stay cheap.
    const auto current = m_freezer.Identify(connection.PID);
    if (!current || pending.asked.contains(*current))
        return;
    // A stale owner is left for the next refresh, which resolves it again.
    const auto process = m_freezer.OwnerOf(connection);
    if (!process)
        return;
    pending.asked.insert(*process);
    // Stopping the display server, window manager or tray host would leave the prompt unanswerable.
    if (IsDesktopProcess(process->pid))
        return;
    if (m_grabs.Check() == GrabState::Grabbed) {
        pending.waiting.insert(*process);
        m_grabRetry.start();
        return;
    }
    if (m_freezer.Freeze(*process))
        pending.held.insert(*process);
}

void AccessControl::FreezeWaiting()
{
    const bool waiting = std::any_of(m_pending.begin(), m_pending.end(),
                                     [](const auto& entry) { return !entry.second.waiting.empty(); });
    if (waiting && m_grabs.Check() == GrabState::Grabbed)
        return;
    m_grabRetry.stop();
    for (auto& [path, pending] : m_pending) {
        for (const ProcessKey& process : pending.waiting) {
            if (m_freezer.Freeze(process))
                pending.held.insert(process);
        }
        pending.waiting.clear();
    }
}

std::optional<OnceAnswer> AccessControl::OnceAnswerFor(uint32_t pid, const std::string& programPath)
{
    const auto once = m_once.find(pid);
    if (once == m_once.end())
        return std::nullopt;
    const auto current = m_freezer.Identify(pid);
    if (!current || current->startTime != once->second.startTime) {
        m_once.erase(once); // the answered process has exited
        return std::nullopt;
    }
    if (once->second.path != programPath)
        return std::nullopt;
    return once->second.answer;
}

void AccessControl::RefreshFinished()
{
    for (auto once = m_once.begin(); once != m_once.end();) {
        const auto current = m_freezer.Identify(once->first);
        once = current && current->startTime == once->second.startTime ? std::next(once) : m_once.erase(once);
    }
}

QString AccessControl::CurrentProcessing() const
{
    QString text;
    for (const std::string& path : m_pendingOrder)
        text += QChar(1) + QString::fromStdString(path) + QChar(1);
    return text;
}

void AccessControl::EndPending(const std::string& programPath, OnceAnswer answer)
{
    const auto entry = m_pending.find(programPath);
    if (entry == m_pending.end())
        return;
    const Pending ended = std::move(entry->second);
    m_pending.erase(entry);
    m_pendingOrder.erase(std::remove(m_pendingOrder.begin(), m_pendingOrder.end(), programPath),
                         m_pendingOrder.end());
    for (const ProcessKey& process : ended.held)
        m_freezer.Release(process);
    if (answer != OnceAnswer::None) {
        for (const ProcessKey& process : ended.asked)
            m_once[process.pid] = Once{process.startTime, programPath, answer};
    }
    // Blocked once or for good, the program's other connections go now, not when the counters next move.
    const int16_t slot = m_rules.CheckProgramID(QString::fromStdString(programPath));
    const bool blocked = answer == OnceAnswer::Block || (slot >= 0 && m_rules.Rule(slot).Blocked);
    if (blocked && RefreshList)
        RefreshList();
}

bool AccessControl::IsDesktopProcess(uint32_t processId)
{
    const std::vector<uint32_t> pids = m_desktop.Pids();
    return std::find(pids.begin(), pids.end(), processId) != pids.end();
}

void AccessControl::SetFirewallEnabled(bool enabled)
{
    m_firewallEnabled = enabled;
    Timer4();
}

void AccessControl::SetBlockAll(bool blockAll)
{
    m_blockAll = blockAll;
    Timer4();
}

void AccessControl::ToggleBlockAll()
{
    SetBlockAll(!m_blockAll);
    // The conversion inside the refresh applies the new setting to every connection at once.
    if (RefreshList)
        RefreshList();
}

QString AccessControl::ToggleFirewall()
{
    SetFirewallEnabled(!m_firewallEnabled);
    return m_firewallEnabled ? QStringLiteral("Disable Firewall") : QStringLiteral("Enable Firewall");
}

void AccessControl::Timer4()
{
    StatusDisplay display;
    display.Status1 = m_blockAll ? 1 : 0;
    display.BlockAllCaption =
        m_blockAll ? QStringLiteral("Block all programs: On") : QStringLiteral("Block all programs: Off");
    display.Status2 = m_firewallEnabled ? 1 : 0;
    display.FirewallCaption =
        m_firewallEnabled ? QStringLiteral("Firewall enabled") : QStringLiteral("Firewall disabled");
    if (display == m_display)
        return;
    m_display = display;
    emit StatusDisplayChanged(m_display);
}

} // namespace qb
