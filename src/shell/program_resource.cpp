#include "shell/program_resource.h"

#include "base/private_file.h"
#include "clip/splash_clip_data.h"

#include <cerrno>
#include <cstring>

namespace qb {
namespace {

QString ErrorText(int error, const QString& description)
{
    return QString::number(error) + QLatin1StringView(":Error in BuildFileFromResource.  Error Message: ") +
           description;
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
    // Rewritten whole at every start, so a longer file left by an older version never keeps its tail.
    const int error =
        WritePrivateFile(fileName, QByteArrayView(bytes->data(), static_cast<qsizetype>(bytes->size())));
    if (error != 0)
        return fail(error, QString::fromLocal8Bit(std::strerror(error)));
    return fileName;
}

} // namespace qb
