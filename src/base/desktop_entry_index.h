#pragma once
// Which icon the desktop shows for an executable, read from the desktop entries (.desktop files) of the
// applications folders.
#include <QHash>
#include <QString>
#include <QStringList>

namespace qb {

// The parts of one desktop entry that name a program and its icon.
struct DesktopEntry {
    QString program; // the first word of Exec (after any "env VAR=value"), unquoted
    QString tryExec;
    QString icon;        // a theme icon name or an absolute file
    bool usable = false; // an application entry with an icon, not hidden
};

// Reads the [Desktop Entry] group of a desktop file's text; anything malformed gives an unusable entry.
DesktopEntry ParseDesktopEntry(const QString& text);

// Built once, on first use, from every *.desktop file under the folders (earlier folders win, as in
// XDG_DATA_DIRS). Reads files: call it off the UI thread. Not thread-safe: one thread at a time.
class DesktopEntryIndex {
public:
    explicit DesktopEntryIndex(QStringList applicationFolders);

    // The icon of the entry whose Exec or TryExec names `executablePath` (directly, through the PATH, or
    // through symbolic links); failing that, of an entry whose program has the same file name. Empty
    // when no entry names it.
    QString IconFor(const QString& executablePath);

private:
    void Build();
    void Add(const QString& program, const QString& icon);

    QStringList m_folders;
    bool m_built = false;
    QHash<QString, QString> m_byPath; // canonical executable path → icon
    QHash<QString, QString> m_byName; // executable file name → icon
};

} // namespace qb
