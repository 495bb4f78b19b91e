#include "base/private_file.h"

#include "platform/unique_fd.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {
namespace {

constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;

int NotRegularError(mode_t mode)
{
    if (S_ISLNK(mode))
        return ELOOP;
    return S_ISDIR(mode) ? EISDIR : EINVAL;
}

// Writes all of `bytes`; the errno of the first failure, 0 on success.
int WriteAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes)
{
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer; regular files ignore it.
    const UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > maxBytes)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
    }
}

bool EnsurePrivateFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    // Opened for reading: fchmod needs no more, and a file its owner made read-only stays so.
    UniqueFd fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid() && errno == ENOENT)
        fd = UniqueFd(
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivate));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // A file an older version left readable by others becomes the owner's alone.
    return (info.st_mode & (S_IRWXG | S_IRWXO)) == 0 || ::fchmod(fd.Get(), info.st_mode & S_IRWXU) == 0;
}

bool MakePrivateFolder(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    for (qsizetype end = name.indexOf('/', 1);; end = name.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? name : name.left(end);
        // EEXIST, a folder or not, is settled by the stat below.
        if (!part.isEmpty() && ::stat(part.constData(), &info) != 0)
            ::mkdir(part.constData(), S_IRWXU);
        if (end < 0)
            break;
    }
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

int WritePrivateFile(const QString& path, QByteArrayView bytes)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(target.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return NotRegularError(info.st_mode);
    // mkostemp creates the file 0600 and never reuses an existing name. Nothing returns between it and
    // close(), whose result reports delayed write errors (a full disk on some file systems).
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    // rename() replaces a link planted since the check above, never what it points at.
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

} // namespace qb
