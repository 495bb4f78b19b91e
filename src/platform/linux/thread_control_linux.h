#pragma once
// Holds on processes by SIGSTOP/SIGCONT through pidfds, counted here, with every way out covered.
#include "platform/linux/process_identity.h"
#include "platform/thread_control.h"
#include "platform/unique_fd.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace qb::linux_os {

class FreezeGuardian;

// Signals do not count (two SIGSTOPs and one SIGCONT leave a process running), so holds are counted
// here, one record per process: its pidfd and start time. A record ends when its process exits (its
// pidfd turns readable), so no count outlives the process. A stopped process keeps its TCP connections.
// Held processes are continued on every way out: the destructor; a fatal signal or exit() (through
// EmergencyRelease, installed here); SIGKILL (through the guardian, when one is given); and, as the
// last resort, a later run reading `stateFile`, which records the held processes with the boot they
// belong to. A process is stopped only once all of these can continue it. Never holds its own process
// or the guardian's. Not thread-safe: UI thread only.
class LinuxThreadControl final : public ThreadControl {
public:
    // An empty `stateFile` keeps no record; a null `guardian` covers no SIGKILL. The guardian must
    // outlive this object.
    explicit LinuxThreadControl(std::string procRoot = "/proc", std::string stateFile = {},
                                FreezeGuardian* guardian = nullptr);
    ~LinuxThreadControl() override;
    LinuxThreadControl(const LinuxThreadControl&) = delete;
    LinuxThreadControl& operator=(const LinuxThreadControl&) = delete;

    std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) override;
    std::optional<ProcessKey> ProcessOf(uint32_t id) override;
    std::optional<ProcessKey> HolderOf(const TcpEndpoints& connection, uint32_t pid) override;
    bool Hold(const ProcessKey& process) override;
    bool Release(const ProcessKey& process) override;
    int Holds(const ProcessKey& process) override;
    uint32_t SelfProcessId() const override;

    // Continues the processes a previous run of this boot recorded as held and that still run with the
    // recorded start time, then rewrites the record. Returns how many were continued.
    int ReleaseStale();
    // Continues every process held here and forgets all holds.
    void ReleaseAll();
    // The processes held now.
    std::vector<ProcessKey> HeldProcesses();

private:
    struct Record {
        int holds = 0;
        UniqueFd pidfd;
        std::unique_ptr<QSocketNotifier> exitWatch;
    };
    using Records = std::map<ProcessKey, Record>;
    // Drops the records of processes that have exited.
    void Sweep();
    Records::iterator End(Records::iterator record, bool signal);
    void SaveState() const;

    std::string m_procRoot;
    std::string m_stateFile;
    std::string m_bootId;
    FreezeGuardian* m_guardian;
    Records m_records;
};

} // namespace qb::linux_os
