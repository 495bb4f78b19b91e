#include "control/attempt_prompt.h"

#include "base/tcp_table.h"
#include "base/text_format.h"
#include "control/access_control.h"
#include "control/rule_store.h"

namespace qb {

AttemptPrompt::AttemptPrompt(AccessControl& access, TcpTable& table, TcpTableSource& source, RuleStore& rules)
    : m_access(access), m_table(table), m_source(source), m_rules(rules)
{
}

const QStringList& AttemptPrompt::ActionTexts()
{
    static const QStringList texts = {"Block program", "Allow program", "Allways block this program",
                                      "Allways allow this program"};
    return texts;
}

PromptAction AttemptPrompt::ActionAt(int position)
{
    switch (position) {
    case 1:
        return PromptAction::Allow;
    case 2:
        return PromptAction::AlwaysBlock;
    case 3:
        return PromptAction::AlwaysAllow;
    default:
        return PromptAction::Block;
    }
}

void AttemptPrompt::ShowInfo(const std::string& programPath, int16_t intConnection)
{
    m_programPath = programPath;
    m_intConnection = intConnection;
    // The table is refilled on every refresh; the copy is what the user is asked about.
    m_connection = intConnection >= 0 && intConnection <= TcpTable::kLastSlot
                       ? m_table.Connections[static_cast<std::size_t>(intConnection)]
                       : ConnectionRecord{};
}

void AttemptPrompt::Ok(PromptAction action)
{
    if (m_ended)
        return;
    switch (action) {
    case PromptAction::Block:
        CloseCopiedConnection();
        m_answer = OnceAnswer::Block;
        break;
    case PromptAction::Allow:
        m_answer = OnceAnswer::Allow;
        break;
    case PromptAction::AlwaysBlock:
        CloseCopiedConnection();
        (void)m_rules.AddProgram(QString::fromStdString(m_programPath), 0);
        break;
    case PromptAction::AlwaysAllow:
        (void)m_rules.AddProgram(QString::fromStdString(m_programPath), 1);
        break;
    }
    m_rules.UpdatePrograms();
    Close();
}

void AttemptPrompt::Close()
{
    if (m_ended)
        return;
    m_ended = true;
    m_access.EndPending(m_programPath, m_answer);
}

void AttemptPrompt::CloseCopiedConnection()
{
    const TcpEndpoints endpoints = m_connection.Endpoints();
    // An empty copy names no connection; sending it could only hit something unrelated.
    if (endpoints == TcpEndpoints{})
        return;
    (void)m_source.DeleteConnection(endpoints);
}

QString AttemptPrompt::ProgramName() const
{
    return QString::fromStdString(qb::ProgramName(m_programPath));
}

QString AttemptPrompt::LocalPort() const
{
    return QString::fromStdString(
        PortText(TcpTable::PortNumber(m_connection.LocalPort), m_connection.Protocol));
}

QString AttemptPrompt::RemotePort() const
{
    return QString::fromStdString(
        PortText(TcpTable::PortNumber(m_connection.RemotePort), m_connection.Protocol));
}

QString AttemptPrompt::RemoteAddress() const
{
    return QString::fromStdString(FormatAddress(m_connection.RemoteAddr));
}

} // namespace qb
