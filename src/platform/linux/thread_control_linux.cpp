#include "platform/linux/thread_control_linux.h"

#include "platform/unique_fd.h"

#include <dirent.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace qb::linux_os {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::optional<uint64_t> ProcessStartTime(const std::string& procRoot, uint32_t pid)
{
    const std::string stat = ReadFile(procRoot + "/" + std::to_string(pid) + "/stat");
    // The command name may hold spaces and parentheses: count fields after the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field))
            return std::nullopt;
    }
    uint64_t value = 0;
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc())
        return std::nullopt;
    return value;
}

std::optional<uint32_t> ThreadGroupOf(const std::string& procRoot, uint32_t threadId)
{
    std::istringstream status(ReadFile(procRoot + "/" + std::to_string(threadId) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        uint32_t tgid = 0;
        if (std::sscanf(line.c_str(), "Tgid: %u", &tgid) == 1)
            return tgid;
    }
    return std::nullopt;
}

LinuxThreadControl::LinuxThreadControl(std::string procRoot, std::string stateFile)
    : m_procRoot(std::move(procRoot)), m_stateFile(std::move(stateFile))
{
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
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(taskDir.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;
    std::vector<ThreadEntry> threads;
    while (const dirent* entry = ::readdir(dir.get())) {
        uint32_t tid = 0;
        const char* end = entry->d_name + std::strlen(entry->d_name);
        const auto [ptr, ec] = std::from_chars(entry->d_name, end, tid);
        if (ec == std::errc() && ptr == end)
            threads.push_back({tid, processId});
    }
    if (threads.empty())
        return std::nullopt;
    return threads;
}

bool LinuxThreadControl::Signal(uint32_t processId, uint64_t startTime, int signal) const
{
    // The pidfd pins the process: once it is open and the start time still matches, the signal cannot
    // reach a newer process that reused the pid.
    UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, processId, 0)));
    if (!pidfd.Valid())
        return false;
    if (ProcessStartTime(m_procRoot, processId) != startTime)
        return false;
    return ::syscall(SYS_pidfd_send_signal, pidfd.Get(), signal, nullptr, 0) == 0;
}

bool LinuxThreadControl::SuspendThread(uint32_t threadId)
{
    const auto processId = ThreadGroupOf(m_procRoot, threadId);
    if (!processId || *processId == SelfProcessId())
        return false;
    auto it = m_frozen.find(*processId);
    if (it == m_frozen.end()) {
        const auto startTime = ProcessStartTime(m_procRoot, *processId);
        if (!startTime || !Signal(*processId, *startTime, SIGSTOP))
            return false;
        it = m_frozen.emplace(*processId, Frozen{*startTime, {}}).first;
    }
    ++it->second.threadCounts[threadId];
    SaveState();
    return true;
}

bool LinuxThreadControl::ResumeThread(uint32_t threadId)
{
    for (auto process = m_frozen.begin(); process != m_frozen.end(); ++process) {
        auto& counts = process->second.threadCounts;
        const auto thread = counts.find(threadId);
        if (thread == counts.end())
            continue;
        if (--thread->second == 0)
            counts.erase(thread);
        if (counts.empty()) {
            // A process that has ended meanwhile needs no signal; its record goes all the same.
            Signal(process->first, process->second.startTime, SIGCONT);
            m_frozen.erase(process);
        }
        SaveState();
        return true;
    }
    return false;
}

void LinuxThreadControl::ReleaseAll()
{
    if (m_frozen.empty())
        return;
    for (const auto& [processId, frozen] : m_frozen)
        Signal(processId, frozen.startTime, SIGCONT);
    m_frozen.clear();
    SaveState();
}

std::vector<uint32_t> LinuxThreadControl::FrozenProcesses() const
{
    std::vector<uint32_t> pids;
    for (const auto& entry : m_frozen)
        pids.push_back(entry.first);
    return pids;
}

int LinuxThreadControl::ReleaseStale()
{
    if (m_stateFile.empty())
        return 0;
    std::ifstream in(m_stateFile);
    uint32_t processId = 0;
    uint64_t startTime = 0;
    int released = 0;
    while (in >> processId >> startTime) {
        if (m_frozen.count(processId) == 0 && processId != SelfProcessId() &&
            Signal(processId, startTime, SIGCONT))
            ++released;
    }
    SaveState();
    return released;
}

void LinuxThreadControl::SaveState() const
{
    if (m_stateFile.empty())
        return;
    const std::string temporary = m_stateFile + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& [processId, frozen] : m_frozen)
            out << processId << ' ' << frozen.startTime << '\n';
        if (!out.flush())
            return;
    }
    std::rename(temporary.c_str(), m_stateFile.c_str());
}

} // namespace qb::linux_os
