#include "base/desktop_entry_index.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace qb {
namespace {

// The first argument of an Exec value, with the quoting rules of desktop entries.
QString FirstWord(const QString& exec, int& position)
{
    while (position < exec.size() && exec[position] == ' ')
        ++position;
    QString word;
    if (position < exec.size() && exec[position] == '"') {
        for (++position; position < exec.size() && exec[position] != '"'; ++position) {
            if (exec[position] == '\\' && position + 1 < exec.size())
                ++position;
            word += exec[position];
        }
        ++position;
        return word;
    }
    while (position < exec.size() && exec[position] != ' ')
        word += exec[position++];
    return word;
}

QString ProgramOfExec(const QString& exec)
{
    int position = 0;
    QString word = FirstWord(exec, position);
    if (word == "env") {
        do {
            word = FirstWord(exec, position);
        } while (word.contains('=') && position < exec.size());
    }
    return word;
}

} // namespace

DesktopEntry ParseDesktopEntry(const QString& text)
{
    DesktopEntry entry;
    bool inGroup = false;
    bool application = false;
    bool hidden = false;
    for (const QString& rawLine : text.split('\n')) {
        const QString line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const int equals = line.indexOf('=');
        if (!inGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == "Exec")
            entry.program = ProgramOfExec(value);
        else if (key == "TryExec")
            entry.tryExec = value;
        else if (key == "Icon")
            entry.icon = value;
        else if (key == "Type")
            application = value == "Application";
        else if (key == "Hidden")
            hidden = value == "true";
    }
    entry.usable = application && !hidden && !entry.icon.isEmpty() &&
                   (!entry.program.isEmpty() || !entry.tryExec.isEmpty());
    return entry;
}

DesktopEntryIndex::DesktopEntryIndex(QStringList applicationFolders)
    : m_folders(std::move(applicationFolders))
{
}

void DesktopEntryIndex::Add(const QString& program, const QString& icon)
{
    if (program.isEmpty())
        return;
    const QString absolute =
        QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    const QString name = QFileInfo(program).fileName();
    if (!m_byName.contains(name))
        m_byName.insert(name, icon);
    if (absolute.isEmpty())
        return;
    for (const QString& key : {absolute, QFileInfo(absolute).canonicalFilePath()}) {
        if (!key.isEmpty() && !m_byPath.contains(key))
            m_byPath.insert(key, icon);
    }
}

void DesktopEntryIndex::Build()
{
    m_built = true;
    for (const QString& folder : m_folders) {
        QDirIterator files(folder, {"*.desktop"}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly))
                continue;
            const DesktopEntry entry = ParseDesktopEntry(QString::fromUtf8(file.readAll()));
            if (!entry.usable)
                continue;
            Add(entry.program, entry.icon);
            Add(entry.tryExec, entry.icon);
        }
    }
}

QString DesktopEntryIndex::IconFor(const QString& executablePath)
{
    if (!m_built)
        Build();
    if (const auto it = m_byPath.constFind(executablePath); it != m_byPath.constEnd())
        return *it;
    const QString canonical = QFileInfo(executablePath).canonicalFilePath();
    if (const auto it = m_byPath.constFind(canonical); !canonical.isEmpty() && it != m_byPath.constEnd())
        return *it;
    return m_byName.value(QFileInfo(executablePath).fileName());
}

} // namespace qb
