#include "shell/program_folder.h"

#include "base/private_file.h"
#include "shell/shortcut.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace qb {
namespace {

QString WithSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// A folder the user owns and alone can write: anyone else who could would be able to replace the
// program's files there, or plant links in their place.
bool OwnFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (folder.isEmpty() || ::stat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return false;
    // An access list may let others write where the mode bits say they cannot.
    if (::getxattr(path.constData(), "system.posix_acl_access", nullptr, 0) > 0)
        return false;
    // access() also sees read-only mounts.
    return ::access(path.constData(), W_OK | X_OK) == 0;
}

} // namespace

QString ProgramFolderFor(const QString& executableFolder, const QString& dataFolder)
{
    if (OwnFolder(executableFolder))
        return WithSlash(executableFolder);
    const QString own = WithSlash(dataFolder) + QLatin1StringView("Quillbrook/");
    MakePrivateFolder(own);
    return own;
}

QString ProgramFolder()
{
    // The installed program's folder belongs to the system, even to root, who owns it.
    const bool installed = StartupTarget(QCoreApplication::applicationFilePath(), InstalledExecutable()) ==
                           InstalledExecutable();
    return ProgramFolderFor(installed ? QString() : QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

} // namespace qb
