#pragma once
// The per-user store of every persistent setting, including the program rules: text values addressed by
// application, section and key. Each application is one INI file, <folder>/<application>.ini, with the
// sections as groups. Not thread-safe: the UI thread only.
#include <QLatin1StringView>
#include <QString>

#include <map>
#include <memory>

class QSettings;

namespace qb {

// The application title and the two application names the system stores under.
inline constexpr QLatin1StringView kApplicationTitle{"Firewall"};
inline constexpr QLatin1StringView kFirewallApplication{"FirewallFirewall"};

// Reads never fail: a missing or unreadable value gives the caller's default. Saves and deletes are seen
// by later reads at once and reach the disk at the next Sync() (and when the store goes away), through a
// temporary file and a rename, into a file only its owner can read (0600). A file that cannot be read, or
// holds lines that cannot be parsed, is moved to "<file>.damaged" (".damaged.1", … when that exists)
// before the first change, and what could be read of it is written anew; a symbolic link, a folder or
// anything else but a regular file in its place is moved so at once, never read or written through.
// Section and key names are kept exactly as spelled, "/" and "\" included.
class SettingsStore {
public:
    // `folder` holds the INI files; it is created on the first sync that writes.
    explicit SettingsStore(QString folder = DefaultFolder());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $XDG_CONFIG_HOME/Quillbrook (~/.config/Quillbrook when the variable is unset).
    static QString DefaultFolder();
    QString FilePath(const QString& application) const;

    QString Get(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue = {});
    void Save(const QString& application, const QString& section, const QString& key, const QString& value);
    // Deleting a key that is not there does nothing.
    void Delete(const QString& application, const QString& section, const QString& key);

    // Writes every application changed since the last sync. False when a file could not be written; its
    // changes stay in memory and the next sync tries again (QSettings keeps reporting the first failure).
    [[nodiscard]] bool Sync();

private:
    struct File;
    File& Open(const QString& application);
    // Before the first change to a damaged file: moves it aside and keeps what could be read of it.
    void PrepareWrite(File& file);
    bool SyncFile(File& file);

    QString m_folder;
    std::map<QString, std::unique_ptr<File>> m_files;
};

} // namespace qb
