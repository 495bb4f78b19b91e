#include "monitor/connection_actions.h"

#include "base/text_format.h"

namespace qb {

ConnectionActions::ConnectionActions(TcpTableSource& tcpTable, ProcessTerminator& terminator)
    : m_tcpTable(tcpTable), m_terminator(terminator)
{
}

QString ConnectionActions::CloseQuestion(const QString& programName)
{
    return QStringLiteral("Are you sure you want to close ") + programName + QStringLiteral(" ?");
}

bool ConnectionActions::CloseConnection(const MonitorRow& row)
{
    return m_tcpTable.DeleteConnection(row.endpoints) == DeleteOutcome::Deleted;
}

ConnectionActions::CloseProgramResult ConnectionActions::CloseProgram(const MonitorRow& row)
{
    // Without a start time the pid cannot be told from a later process that reuses it.
    if (row.path.isEmpty() || row.pid == 0 || !row.startTime)
        return CloseProgramResult::NoProgram;
    const QString name = QString::fromStdString(ProgramName(row.path.toStdString()));
    if (!AskYesNo || !AskYesNo(CloseQuestion(name)))
        return CloseProgramResult::Declined;
    return m_terminator.Terminate(row.pid, *row.startTime) ? CloseProgramResult::Ended
                                                           : CloseProgramResult::Refused;
}

} // namespace qb
