#include "shell/shortcut.h"

#include "base/private_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

#ifndef QB_INSTALLED_EXECUTABLE
#define QB_INSTALLED_EXECUTABLE "/usr/local/bin/quillbrook"
#endif

namespace qb {
namespace {

// Escapes of string values; a leading blank would otherwise be dropped by readers.
QString EscapeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            out += QLatin1StringView("\\\\");
        else if (c == u'\n')
            out += QLatin1StringView("\\n");
        else if (c == u'\t')
            out += QLatin1StringView("\\t");
        else if (c == u'\r')
            out += QLatin1StringView("\\r");
        else if (c == u' ' && i == 0)
            out += QLatin1StringView("\\s");
        else if (c.category() == QChar::Other_Control)
            out += QChar::ReplacementCharacter; // not representable; CreateShortcut refuses such values
        else
            out += c;
    }
    return out;
}

// One argument of an Exec line: quoted when it holds a reserved character, with '"', '`', '$' and '\'
// escaped inside the quotes, and '%' doubled as field codes require.
QString ExecArgument(const QString& argument)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString doubled = argument;
    doubled.replace(u'%', QLatin1StringView("%%"));
    bool quote = doubled.isEmpty();
    for (QChar c : doubled)
        quote = quote || kReserved.contains(c) || c.category() == QChar::Other_Control;
    if (!quote)
        return doubled;
    QString out = QStringLiteral("\"");
    for (QChar c : doubled) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

// Control characters other than tab, newline and carriage return have no escape in a desktop entry.
bool HasUnwritableCharacter(const QString& value)
{
    for (QChar c : value) {
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r')
            return true;
    }
    return false;
}

void Report(const QString& path, const QString& error)
{
    std::fprintf(stderr, "Quillbrook: cannot write the shortcut %s: %s\n", qPrintable(path),
                 qPrintable(error));
}

} // namespace

QString ShortcutFolder(int16_t location)
{
    switch (location) {
    case kShortcutDesktop:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    case kShortcutPrograms:
    case kShortcutStartMenu:
        return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    case kShortcutStartUp:
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QLatin1StringView("/autostart");
    default:
        return {};
    }
}

QString DesktopEntryText(const QString& title, const QString& targetPath, const QString& hotKey,
                         const QString& iconLocation, const QString& workingDirectory, int16_t windowStyle)
{
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
    text += QLatin1StringView("Name=") + EscapeValue(title) + u'\n';
    text += QLatin1StringView("Comment=") + EscapeValue(title) + u'\n';
    // Quoting comes first, then the string escapes: a backslash in the path ends up as four.
    text += QLatin1StringView("Exec=") + EscapeValue(ExecArgument(targetPath)) + u'\n';
    text += QLatin1StringView("Icon=") + EscapeValue(iconLocation) + u'\n';
    text += QLatin1StringView("Path=") + EscapeValue(workingDirectory) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    text += QLatin1StringView("X-Quillbrook-HotKey=") + EscapeValue(hotKey) + u'\n';
    text += QLatin1StringView("X-Quillbrook-WindowStyle=") + QString::number(windowStyle) + u'\n';
    return text;
}

bool CreateShortcut(int16_t Location, const QString& Title, const QString& TargetPath, const QString& HotKey,
                    const QString& IconLocation, const QString& WorkingDirectory, const QString& SubFolder,
                    int16_t WindowStyle)
{
    QString folder = ShortcutFolder(Location);
    if (folder.isEmpty())
        return false;
    if (!SubFolder.isEmpty())
        folder += u'/' + SubFolder;
    const QString path = folder + u'/' + Title + QLatin1StringView(".desktop");
    if (Title.isEmpty() || Title.contains(u'/') || Title == u'.' || Title == QLatin1StringView("..")) {
        Report(path, QStringLiteral("the title is not a file name"));
        return false;
    }
    for (const QString& value : {Title, TargetPath, HotKey, IconLocation, WorkingDirectory}) {
        if (HasUnwritableCharacter(value)) {
            Report(path, QStringLiteral("a value holds a control character"));
            return false;
        }
    }
    if (!QDir().mkpath(folder)) {
        Report(path, QStringLiteral("cannot create the folder"));
        return false;
    }
    const QByteArray text =
        DesktopEntryText(Title, TargetPath, HotKey, IconLocation, WorkingDirectory, WindowStyle).toUtf8();
    // Every start asks for the same entry: an unchanged one is left alone rather than rewritten.
    if (ReadRegularFile(path, text.size() + 1) == text)
        return true;
    // Private, never through a planted link, and replaced whole: a second start never leaves half of it.
    if (const int error = WritePrivateFile(path, text); error != 0) {
        Report(path, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    // Desktops launch only entries marked executable; without the mark the entry is still there.
    if (Location == kShortcutDesktop)
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return true;
}

QString InstalledExecutable()
{
    return QStringLiteral(QB_INSTALLED_EXECUTABLE);
}

QString StartupTarget(const QString& running, const QString& installed)
{
    const QString resolved = QFileInfo(running).canonicalFilePath();
    if (!resolved.isEmpty() && resolved == QFileInfo(installed).canonicalFilePath())
        return installed;
    return resolved.isEmpty() ? running : resolved;
}

bool CreateStartupShortcut()
{
    const QString running = QCoreApplication::instance()
                                ? QCoreApplication::applicationFilePath()
                                : QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString target = StartupTarget(running, InstalledExecutable());
    return CreateShortcut(kShortcutStartUp, QStringLiteral("KSW"), target, QStringLiteral("CTRL+SHIFT+C"),
                          QStringLiteral("security-high"), QFileInfo(target).path(), QString(), 1);
}

} // namespace qb
