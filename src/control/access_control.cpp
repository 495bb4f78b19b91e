#include "control/access_control.h"

#include "base/tcp_table.h"
#include "control/process_freezer.h"
#include "control/rule_store.h"
#include "platform/desktop_processes.h"

#include <algorithm>

namespace qb {

AccessControl::AccessControl(RuleStore& rules, TcpTable& table, ProcessFreezer& freezer,
                             DesktopProcesses& desktop, QObject* parent)
    : QObject(parent), m_rules(rules), m_table(table), m_freezer(freezer), m_desktop(desktop)
{
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
    if (IsPending(programPath))
        return false;

    const uint32_t processId = m_table.Connections[static_cast<std::size_t>(index)].PID;
    uint32_t frozen = 0;
    // Stopping the display server, window manager or tray host would leave the prompt unanswerable.
    if (processId != 0 && !IsDesktopProcess(processId)) {
        m_freezer.FreezeProcess(processId);
        frozen = processId;
    }
    // Pending before the prompt exists: a refresh running while it opens must not open a second one.
    m_pending.emplace(programPath, frozen);
    m_pendingOrder.push_back(programPath);
    if (OpenPrompt)
        OpenPrompt(programPath, index);
    return false;
}

QString AccessControl::CurrentProcessing() const
{
    QString text;
    for (const std::string& path : m_pendingOrder)
        text += QChar(1) + QString::fromStdString(path) + QChar(1);
    return text;
}

void AccessControl::EndPending(const std::string& programPath, uint32_t processId)
{
    const auto entry = m_pending.find(programPath);
    if (entry == m_pending.end())
        return;
    const uint32_t frozen = entry->second;
    m_pending.erase(entry);
    m_pendingOrder.erase(std::remove(m_pendingOrder.begin(), m_pendingOrder.end(), programPath),
                         m_pendingOrder.end());
    if (frozen != 0 && frozen == processId)
        m_freezer.ReleaseProcess(processId);
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
