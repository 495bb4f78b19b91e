#pragma once
// What one connection attempt prompt knows and does, apart from its window.
#include "base/connection_record.h"
#include "control/access_control.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

namespace qb {

class RuleStore;
class TcpTable;
class TcpTableSource;

// The choices of the prompt's action list, in list order; no choice acts as Block.
enum class PromptAction { Block = 0, Allow = 1, AlwaysBlock = 2, AlwaysAllow = 3 };

// One prompt for one pending program. ShowInfo copies the triggering connection out of its slot, and
// everything afterwards acts on that copy (its endpoints), whatever the slot holds by then. The pending
// state ends exactly once, by Ok or by Close, releasing every process frozen for the program; the
// once-only choices hold for those processes until each exits. UI thread only; the references must
// outlive it.
class AttemptPrompt {
public:
    AttemptPrompt(AccessControl& access, TcpTable& table, TcpTableSource& source, RuleStore& rules);

    static const QStringList& ActionTexts();
    // The action of list position `position`; -1 (nothing chosen) and unknown positions give Block.
    static PromptAction ActionAt(int position);

    // Keeps the path, the slot and a copy of the slot's connection (an empty one for a slot outside the
    // table).
    void ShowInfo(const std::string& programPath, int16_t intConnection);

    // Carries out `action` on the copied connection and in the rule store, reloads the rules and ends the
    // prompt (Close) with the once-only answer it gives. Does nothing once the prompt has ended. A refused
    // delete or a rule the user declines is silent.
    void Ok(PromptAction action);
    // Ends the pending state, releasing every process frozen for the program; later calls do nothing.
    void Close();
    bool Ended() const { return m_ended; }

    const std::string& ProgramPath() const { return m_programPath; }
    int16_t IntConnection() const { return m_intConnection; }
    const ConnectionRecord& Connection() const { return m_connection; }

    // The detail lines as raw text; the window escapes the outside parts when it shows them. Ports are
    // numbers, "/UDP" after them for a UDP socket; the address is RFC 5952 text.
    QString ProgramName() const;
    QString LocalPort() const;
    QString RemotePort() const;
    QString RemoteAddress() const;

private:
    void CloseCopiedConnection();

    AccessControl& m_access;
    TcpTable& m_table;
    TcpTableSource& m_source;
    RuleStore& m_rules;
    std::string m_programPath;
    int16_t m_intConnection = -1;
    ConnectionRecord m_connection;
    OnceAnswer m_answer = OnceAnswer::None;
    bool m_ended = false;
};

} // namespace qb
