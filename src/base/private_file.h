#pragma once
// Files the program keeps for the user alone: created readable and writable by their owner only, never
// opened through a symbolic link nor as anything but a regular file, and replaced whole through a
// temporary file and a rename. A link planted where such a file belongs is left as it is, and so is
// whatever it points at.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace qb {

// The contents of the regular file at `path`; nothing when it is missing, a symbolic link or anything
// but a regular file (a FIFO is never waited for), larger than `maxBytes`, or unreadable. Any thread.
[[nodiscard]] std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes);

// Makes the regular file at `path` its owner's alone (no group or other access), creating it empty and
// 0600 when nothing is there. False, changing nothing, when `path` is a symbolic link or anything but a
// regular file, or cannot be created. Any thread.
[[nodiscard]] bool EnsurePrivateFile(const QString& path);

// Makes the folder at `path` with the folders above it that are missing, each created for its owner
// alone (0700); folders that exist are left as they are. True when `path` is a folder afterwards. Any
// thread.
bool MakePrivateFolder(const QString& path);

// Replaces the file at `path` with `bytes`: written to a new 0600 file beside it, then renamed over it.
// Returns 0, or the errno of the failure (ELOOP for a symbolic link at `path`, EISDIR for a folder,
// EINVAL for anything else but a regular file), which leaves `path` as it was and no temporary file
// behind. Any thread.
[[nodiscard]] int WritePrivateFile(const QString& path, QByteArrayView bytes);

} // namespace qb
