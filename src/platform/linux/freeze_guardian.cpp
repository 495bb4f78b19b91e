#include "platform/linux/freeze_guardian.h"

#include "platform/linux/process_identity.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace qb::linux_os {
namespace {

constexpr uint32_t kHeld = 1;
constexpr uint32_t kReleased = 2;
constexpr uint32_t kReady = 3;
constexpr int kGuardedCapacity = 1024;

struct Message {
    uint32_t operation = 0;
    uint32_t pid = 0;
    uint64_t startTime = 0;
};

struct Guarded {
    int pidfd = -1;
    uint32_t pid = 0;
    uint64_t startTime = 0;
};

void Isolate(int keep)
{
    // Only the socket stays, as descriptor 3; the standard ones read and write nothing.
    if (keep != 3)
        ::dup2(keep, 3);
    ::syscall(SYS_close_range, 4u, ~0u, 0u);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(null, fd);
    if (null > 2)
        ::close(null);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2]{};
    ::syscall(SYS_capset, &header, none);
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    ::prctl(PR_SET_NAME, "qb-guardian", 0, 0, 0);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGPIPE})
        ::sigaction(signalNumber, &ignore, nullptr);
}

// The guardian's whole life; fixed storage and system calls only.
[[noreturn]] void Guard(int socket, const char* procRoot)
{
    Isolate(socket);
    // Its privileges are gone by the time the firewall goes on.
    const Message ready{kReady, 0, 0};
    if (::send(3, &ready, sizeof ready, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof ready))
        ::_exit(1);
    static Guarded guarded[kGuardedCapacity];
    int count = 0;
    for (;;) {
        Message message;
        const ssize_t got = ::recv(3, &message, sizeof message, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != static_cast<ssize_t>(sizeof message))
            break; // the firewall's end is closed: it has ended, one way or another
        if (message.operation == kHeld && count < kGuardedCapacity) {
            const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, message.pid, 0));
            if (pidfd >= 0 && ProcessStartTimeRaw(procRoot, message.pid) == message.startTime)
                guarded[count++] = {pidfd, message.pid, message.startTime};
            else if (pidfd >= 0)
                ::close(pidfd);
        } else if (message.operation == kReleased) {
            for (int i = 0; i < count; ++i) {
                if (guarded[i].pid == message.pid && guarded[i].startTime == message.startTime) {
                    ::close(guarded[i].pidfd);
                    guarded[i] = guarded[--count];
                    break;
                }
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        // The pidfd alone already cannot reach a newer process under the same pid.
        if (ProcessStartTimeRaw(procRoot, guarded[i].pid) == guarded[i].startTime)
            ::syscall(SYS_pidfd_send_signal, guarded[i].pidfd, SIGCONT, nullptr, 0);
    }
    ::_exit(0);
}

} // namespace

std::unique_ptr<FreezeGuardian> FreezeGuardian::Start(std::string procRoot)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    UniqueFd ours(ends[0]);
    UniqueFd theirs(ends[1]);
    const pid_t pid = ::fork();
    if (pid < 0)
        return nullptr;
    if (pid == 0) {
        // Closed here too, not only by close_range: with this end open the guardian never sees its EOF.
        ::close(ours.Get());
        Guard(theirs.Get(), procRoot.c_str());
    }
    theirs.Reset();
    Message ready;
    ssize_t got = 0;
    do {
        got = ::recv(ours.Get(), &ready, sizeof ready, 0);
    } while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(sizeof ready) || ready.operation != kReady) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return nullptr;
    }
    return std::unique_ptr<FreezeGuardian>(new FreezeGuardian(std::move(ours), pid, std::move(procRoot)));
}

FreezeGuardian::FreezeGuardian(UniqueFd socket, pid_t pid, std::string procRoot)
    : m_socket(std::move(socket)), m_pid(pid), m_procRoot(std::move(procRoot))
{
}

FreezeGuardian::~FreezeGuardian()
{
    m_socket.Reset();
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool FreezeGuardian::Send(uint32_t operation, const ProcessKey& process)
{
    const Message message{operation, process.pid, process.startTime};
    return ::send(m_socket.Get(), &message, sizeof message, MSG_NOSIGNAL | MSG_DONTWAIT) ==
           static_cast<ssize_t>(sizeof message);
}

bool FreezeGuardian::Held(const ProcessKey& process)
{
    return Send(kHeld, process);
}

bool FreezeGuardian::Released(const ProcessKey& process)
{
    return Send(kReleased, process);
}

} // namespace qb::linux_os
