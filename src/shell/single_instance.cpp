#include "shell/single_instance.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qb {
namespace {

constexpr int kDeliveryAttempts = 40;
constexpr auto kDeliveryPause = std::chrono::milliseconds(50);

// A folder we own, that is no symbolic link, and that nobody else may enter or change.
bool IsPrivateFolder(const QByteArray& folder)
{
    struct stat info {};
    return ::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}

bool FillAddress(const QByteArray& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

// Connecting is the request: the primary shows its window for every connection it accepts.
bool SendShowRequest(const QByteArray& path)
{
    sockaddr_un address;
    if (!FillAddress(path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool sent = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                      ::send(fd, "show\n", 5, MSG_NOSIGNAL) == 5;
    ::close(fd);
    return sent;
}

} // namespace

QString SingleInstance::DefaultFolder(const QString& fallback)
{
    for (const QByteArray& folder : {qgetenv("XDG_RUNTIME_DIR"), QFile::encodeName(fallback)}) {
        if (!folder.isEmpty() && IsPrivateFolder(folder) && ::access(folder.constData(), W_OK | X_OK) == 0)
            return QFile::decodeName(folder);
    }
    return {};
}

SingleInstance::SingleInstance(QString folder, QString name)
    : m_folder(std::move(folder)), m_name(std::move(name))
{
}

SingleInstance::~SingleInstance()
{
    m_notifier.reset();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        // Only the lock holder removes the socket: a secondary never gets this far.
        ::unlink(QFile::encodeName(SocketPath()).constData());
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd); // releases the lock
}

QString SingleInstance::SocketPath() const
{
    return m_folder + u'/' + m_name + QLatin1StringView(".socket");
}

QString SingleInstance::LockPath() const
{
    return m_folder + u'/' + m_name + QLatin1StringView(".lock");
}

InstanceRole SingleInstance::Claim()
{
    if (m_role)
        return *m_role;
    m_role = InstanceRole::Unguarded;
    if (m_folder.isEmpty() || !IsPrivateFolder(QFile::encodeName(m_folder)))
        return *m_role;
    m_lockFd =
        ::open(QFile::encodeName(LockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0)
        return *m_role;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        m_role = InstanceRole::Primary;
        Listen();
        return *m_role;
    }
    if (errno != EWOULDBLOCK) {
        ::close(m_lockFd);
        m_lockFd = -1;
        return *m_role;
    }
    ::close(m_lockFd);
    m_lockFd = -1;
    m_role = InstanceRole::Secondary;
    // The primary may have taken the lock a moment ago and not yet be listening.
    const QByteArray socket = QFile::encodeName(SocketPath());
    for (int attempt = 0; attempt < kDeliveryAttempts && !SendShowRequest(socket); ++attempt)
        std::this_thread::sleep_for(kDeliveryPause);
    return *m_role;
}

void SingleInstance::Listen()
{
    const QByteArray path = QFile::encodeName(SocketPath());
    sockaddr_un address;
    if (!FillAddress(path, address))
        return;
    // A socket file left by a crashed instance: the lock proves nobody listens on it.
    ::unlink(path.constData());
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0)
        return;
    if (::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 8) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SingleInstance::AcceptPending);
}

void SingleInstance::AcceptPending()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return; // EAGAIN: all taken
        ::close(fd);
        emit ShowRequested();
    }
}

} // namespace qb
