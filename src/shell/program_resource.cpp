#include "shell/program_resource.h"

#include "clip/splash_clip_data.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qb {
namespace {

QString ErrorText(int error, const QString& description)
{
    return QString::number(error) + QLatin1StringView(":Error in BuildFileFromResource.  Error Message: ") +
           description;
}

// Writes all of `bytes`; the errno of the first failure, 0 on success.
int WriteFile(const QByteArray& path, std::span<const uint8_t> bytes)
{
    // O_TRUNC: a longer file left by an older version would otherwise keep its tail and spoil the clip.
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    int error = 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    // close() reports delayed write errors (a full disk on some file systems).
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error;
}

} // namespace

std::optional<std::span<const uint8_t>> ProgramResource(int id, const QString& type)
{
    if (id == kSplashClipResource && type.compare(QLatin1StringView("AVI"), Qt::CaseInsensitive) == 0)
        return std::span<const uint8_t>(kSplashClip, kSplashClipSize);
    return std::nullopt;
}

QString BuildFileFromResource(const QString& fileName, int resId, const QString& resType,
                              const WarningSink& warn)
{
    const auto fail = [&](int error, const QString& description) {
        if (warn)
            warn(QStringLiteral("Warning"), ErrorText(error, description));
        return QString();
    };
    const std::optional<std::span<const uint8_t>> bytes = ProgramResource(resId, resType);
    if (!bytes)
        return fail(ENOENT, QStringLiteral("Resource %1 of type %2 not found").arg(resId).arg(resType));
    if (fileName.isEmpty())
        return fail(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
    const int error = WriteFile(QFile::encodeName(fileName), *bytes);
    if (error != 0)
        return fail(error, QString::fromLocal8Bit(std::strerror(error)));
    return fileName;
}

} // namespace qb
