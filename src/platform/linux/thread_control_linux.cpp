#include "platform/linux/thread_control_linux.h"

#include "platform/linux/emergency_release.h"
#include "platform/linux/freeze_guardian.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace qb::linux_os {
namespace {

using DirPtr = std::unique_ptr<DIR, int (*)(DIR*)>;

// A pidfd for `process`, open only while the pid still names the process with that start time: once
// open it can never reach a newer process under the same pid.
UniqueFd OpenProcess(const std::string& procRoot, const ProcessKey& process)
{
    UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, process.pid, 0)));
    if (pidfd.Valid() && ProcessStartTime(procRoot, process.pid) != process.startTime)
        pidfd.Reset();
    return pidfd;
}

bool Send(const UniqueFd& pidfd, int signal)
{
    return ::syscall(SYS_pidfd_send_signal, pidfd.Get(), signal, nullptr, 0) == 0;
}

} // namespace

LinuxThreadControl::LinuxThreadControl(std::string procRoot, std::string stateFile, FreezeGuardian* guardian)
    : m_procRoot(std::move(procRoot)), m_stateFile(std::move(stateFile)), m_bootId(BootId(m_procRoot)),
      m_guardian(guardian)
{
    EmergencyRelease::Install();
}

LinuxThreadControl::~LinuxThreadControl()
{
    ReleaseAll();
}

uint32_t LinuxThreadControl::SelfProcessId() const
{
    return static_cast<uint32_t>(::getpid());
}

std::optional<std::vector<ThreadEntry>> LinuxThreadControl::ListThreads(uint32_t processId)
{
    const std::string taskDir = m_procRoot + "/" + std::to_string(processId) + "/task";
    DirPtr dir(::opendir(taskDir.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;
    std::vector<ThreadEntry> threads;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (const std::optional<uint32_t> tid = ParseId(entry->d_name))
            threads.push_back({*tid, processId});
    }
    if (threads.empty())
        return std::nullopt;
    return threads;
}

std::optional<ProcessKey> LinuxThreadControl::ProcessOf(uint32_t id)
{
    const auto pid = ThreadGroupOf(m_procRoot, id);
    const auto startTime = pid ? ProcessStartTime(m_procRoot, *pid) : std::nullopt;
    if (!startTime)
        return std::nullopt;
    return ProcessKey{*pid, *startTime};
}

std::optional<ProcessKey> LinuxThreadControl::HolderOf(const TcpEndpoints& connection, uint32_t pid)
{
    const auto inode = ConnectionInode(connection);
    if (!inode)
        return std::nullopt;
    // The descriptors looked at on both sides of the start time: the same process all along.
    const auto holder = [&](uint32_t candidate) -> std::optional<ProcessKey> {
        if (!HoldsSocket(m_procRoot, candidate, *inode))
            return std::nullopt;
        const auto startTime = ProcessStartTime(m_procRoot, candidate);
        if (!startTime || !HoldsSocket(m_procRoot, candidate, *inode))
            return std::nullopt;
        return ProcessKey{candidate, *startTime};
    };
    if (pid != 0) {
        if (auto same = holder(pid))
            return same;
    }
    // The owner the table named has let the socket go or is gone: look for the one holding it now.
    DirPtr processes(::opendir(m_procRoot.c_str()), ::closedir);
    while (processes) {
        const dirent* entry = ::readdir(processes.get());
        if (entry == nullptr)
            break;
        const std::optional<uint32_t> candidate = ParseId(entry->d_name);
        if (candidate && *candidate != pid) {
            if (auto found = holder(*candidate))
                return found;
        }
    }
    return std::nullopt;
}

void LinuxThreadControl::Sweep()
{
    const std::size_t before = m_records.size();
    for (auto record = m_records.begin(); record != m_records.end();) {
        pollfd exited{record->second.pidfd.Get(), POLLIN, 0};
        record = ::poll(&exited, 1, 0) == 1 ? End(record, false) : std::next(record);
    }
    if (m_records.size() != before)
        SaveState();
}

LinuxThreadControl::Records::iterator LinuxThreadControl::End(Records::iterator record, bool signal)
{
    Record& ending = record->second;
    if (signal)
        (void)Send(ending.pidfd, SIGCONT);
    EmergencyRelease::Remove(ending.pidfd.Get());
    if (m_guardian)
        (void)m_guardian->Released(record->first); // a guardian gone can continue nothing anyway
    if (ending.exitWatch) {
        // It may be the notifier whose signal is running now.
        ending.exitWatch->setEnabled(false);
        ending.exitWatch.release()->deleteLater();
    }
    return m_records.erase(record);
}

bool LinuxThreadControl::Hold(const ProcessKey& process)
{
    Sweep();
    if (process.pid == SelfProcessId() ||
        (m_guardian && process.pid == static_cast<uint32_t>(m_guardian->Pid())))
        return false;
    if (const auto held = m_records.find(process); held != m_records.end()) {
        ++held->second.holds;
        return true;
    }
    UniqueFd pidfd = OpenProcess(m_procRoot, process);
    if (!pidfd.Valid())
        return false;
    // Every way out must be able to continue the process before it is stopped.
    if (!EmergencyRelease::Add(pidfd.Get()))
        return false;
    const bool guarded = !m_guardian || m_guardian->Held(process);
    if (!guarded || !Send(pidfd, SIGSTOP)) {
        if (guarded && m_guardian)
            (void)m_guardian->Released(process);
        EmergencyRelease::Remove(pidfd.Get());
        return false;
    }
    Record& record = m_records[process];
    record.holds = 1;
    record.pidfd = std::move(pidfd);
    if (QCoreApplication::instance() != nullptr) {
        record.exitWatch = std::make_unique<QSocketNotifier>(record.pidfd.Get(), QSocketNotifier::Read);
        QObject::connect(record.exitWatch.get(), &QSocketNotifier::activated, [this] { Sweep(); });
    }
    SaveState();
    return true;
}

bool LinuxThreadControl::Release(const ProcessKey& process)
{
    Sweep();
    const auto record = m_records.find(process);
    if (record == m_records.end())
        return false;
    if (--record->second.holds == 0) {
        End(record, true);
        SaveState();
    }
    return true;
}

int LinuxThreadControl::Holds(const ProcessKey& process)
{
    Sweep();
    const auto record = m_records.find(process);
    return record == m_records.end() ? 0 : record->second.holds;
}

void LinuxThreadControl::ReleaseAll()
{
    if (m_records.empty())
        return;
    for (auto record = m_records.begin(); record != m_records.end();)
        record = End(record, true);
    SaveState();
}

std::vector<ProcessKey> LinuxThreadControl::HeldProcesses()
{
    Sweep();
    std::vector<ProcessKey> held;
    for (const auto& entry : m_records)
        held.push_back(entry.first);
    return held;
}

int LinuxThreadControl::ReleaseStale()
{
    if (m_stateFile.empty())
        return 0;
    std::ifstream in(m_stateFile);
    std::string word;
    std::string bootId;
    int released = 0;
    // A record of an earlier boot names processes that no longer exist, whatever runs under their pids.
    if (in >> word >> bootId && word == "boot" && !m_bootId.empty() && bootId == m_bootId) {
        ProcessKey process;
        while (in >> process.pid >> process.startTime) {
            if (process.pid == SelfProcessId() || m_records.contains(process))
                continue;
            const UniqueFd pidfd = OpenProcess(m_procRoot, process);
            released += pidfd.Valid() && Send(pidfd, SIGCONT);
        }
    }
    SaveState();
    return released;
}

void LinuxThreadControl::SaveState() const
{
    if (m_stateFile.empty())
        return;
    std::string text = "boot " + m_bootId + "\n";
    for (const auto& entry : m_records)
        text += std::to_string(entry.first.pid) + ' ' + std::to_string(entry.first.startTime) + '\n';
    const std::string temporary = m_stateFile + ".tmp";
    UniqueFd out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!out.Valid() || ::write(out.Get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return;
    out.Reset();
    std::rename(temporary.c_str(), m_stateFile.c_str());
}

} // namespace qb::linux_os
