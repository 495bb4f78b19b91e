#include "shell/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace qb {
namespace {

QString WithSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// access() rather than the mode bits: it also sees read-only mounts and ACLs.
bool CanWriteIn(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString ProgramFolderFor(const QString& executableFolder, const QString& dataFolder)
{
    if (CanWriteIn(executableFolder))
        return WithSlash(executableFolder);
    const QString own = WithSlash(dataFolder) + QLatin1StringView("Quillbrook/");
    QDir().mkpath(own);
    return own;
}

QString ProgramFolder()
{
    return ProgramFolderFor(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

} // namespace qb
