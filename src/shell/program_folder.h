#pragma once
// The folder the program keeps its own files in ("cache.ini", the splash animation), ending in "/".
#include <QString>

namespace qb {

// The executable's folder when the user owns it and no one else can write there (a build tree, a portable
// copy in the user's home) and it is not the installed program's, else the per-user data folder $XDG_DATA_HOME/Quillbrook/, created when missing
// (and returned all the same when it cannot be created: writing there then fails like any other file
// error). Needs a QCoreApplication.
QString ProgramFolder();

// The choice ProgramFolder() makes, for the given executable folder and per-user data folder.
QString ProgramFolderFor(const QString& executableFolder, const QString& dataFolder);

} // namespace qb
