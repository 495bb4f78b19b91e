#pragma once
// What the Monitoring page's two buttons do: delete the connection a row was built from, or end the
// program that owned it.
#include "monitor/connection_monitor.h"
#include "platform/process_terminator.h"
#include "platform/tcp_table_source.h"

#include <QString>

#include <functional>

namespace qb {

// Acts on the row's own copy of the connection and process, never on what its slot holds later.
// UI thread only.
class ConnectionActions {
public:
    enum class CloseProgramResult {
        NoProgram, // the row names no program or process to end; nothing was asked
        Declined,  // the user answered No
        Ended,     // the process was asked to end
        Refused,   // the process is gone, its pid now names another process, or the signal was refused
    };

    ConnectionActions(TcpTableSource& tcpTable, ProcessTerminator& terminator);

    // Asked before a program is ended; the text holds the program's file name, so whoever shows it
    // must show it as plain text. Unset answers No.
    std::function<bool(const QString& question)> AskYesNo;

    // "Are you sure you want to close <programName> ?"
    static QString CloseQuestion(const QString& programName);

    // Deletes the row's connection, found by its four endpoint fields. False when no such connection
    // exists any more or the system refuses (without the right to delete sockets).
    bool CloseConnection(const MonitorRow& row);
    // Asks, then ends the row's process, provided its pid still belongs to the process the row was built
    // from (same start time).
    CloseProgramResult CloseProgram(const MonitorRow& row);

private:
    TcpTableSource& m_tcpTable;
    ProcessTerminator& m_terminator;
};

} // namespace qb
