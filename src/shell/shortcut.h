#pragma once
// Shortcuts as desktop entries: the program's way of starting at logon and of putting itself on the
// desktop or in the applications menu.
#include <QString>

#include <cstdint>

namespace qb {

// Folder codes of CreateShortcut.
enum ShortcutLocation : int16_t {
    kShortcutDesktop = 0,   // the user's desktop folder
    kShortcutPrograms = 1,  // the user's applications folder
    kShortcutStartMenu = 2, // the same folder
    kShortcutStartUp = 3,   // $XDG_CONFIG_HOME/autostart
};

// The folder a location code names (not created), or empty for a code outside 0 to 3.
QString ShortcutFolder(int16_t location);

// The desktop entry text of a shortcut: Name and Comment = `title`, Exec = `targetPath` quoted as an
// argument where needed, Icon, Path = `workingDirectory`, and the hot key and window style as
// X-Quillbrook-HotKey and X-Quillbrook-WindowStyle. Values are escaped so that no text can add a line.
QString DesktopEntryText(const QString& title, const QString& targetPath, const QString& hotKey,
                         const QString& iconLocation, const QString& workingDirectory, int16_t windowStyle);

// Writes "<folder>/<SubFolder>/<Title>.desktop", replacing a file of that name in one step (a file that
// already holds exactly that text is left untouched). The folder
// and `SubFolder` are created when missing (a failure there shows as a failure to write). Returns false
// when nothing was written: a location outside 0 to 3 (silently), a title that is empty or holds "/",
// or a write failure, which is also reported on standard error. Any thread.
bool CreateShortcut(int16_t Location, const QString& Title, const QString& TargetPath, const QString& HotKey,
                    const QString& IconLocation, const QString& WorkingDirectory, const QString& SubFolder,
                    int16_t WindowStyle);

// The executable a start-up entry names: `installed` when the running program is that file (under any
// name), else the running program's resolved path, so that a copy that is not installed starts itself.
QString StartupTarget(const QString& running, const QString& installed);

// The start-up call: "KSW" in the autostart folder for StartupTarget of the running program, hot key
// "CTRL+SHIFT+C", window style 1; an entry that already reads the same is not rewritten. False as
// CreateShortcut.
bool CreateStartupShortcut();

// Where the installed executable lives (chosen when the program was built).
QString InstalledExecutable();

} // namespace qb
