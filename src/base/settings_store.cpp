#include "base/settings_store.h"

#include "base/private_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <optional>
#include <utility>
#include <vector>

namespace qb {

struct SettingsStore::File {
    QString path;
    std::unique_ptr<QSettings> settings;
    bool damaged = false;
    bool dirty = false;
};

namespace {

// Far beyond 2000 rules with their counters; a larger file is no store of ours.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

// QSettings reads "/" as a group separator and "\" as one in files, so both are escaped, with "%" as the
// escape character. An empty name becomes a lone "%", which no other name encodes to.
QString EncodeName(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("%");
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'%')
            out += QLatin1StringView("%25");
        else if (c == u'/')
            out += QLatin1StringView("%2F");
        else if (c == u'\\')
            out += QLatin1StringView("%5C");
        else
            out += c;
    }
    return out;
}

QString SettingsKey(const QString& section, const QString& key)
{
    return EncodeName(section) + u'/' + EncodeName(key);
}

// QSettings drops lines it cannot parse without reporting it, and parses binary junk into junk keys; a
// sync would then replace the user's file with what was understood. Such files are backed up first.
bool LooksDamaged(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return true;
    bool continued = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const bool wasContinued = continued;
        continued = line.endsWith(u'\\');
        const QStringView trimmed = line.trimmed();
        if (wasContinued || trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[') ? !trimmed.contains(u']') : !trimmed.contains(u'='))
            return true;
    }
    return false;
}

QString FreeBackupName(const QString& path)
{
    QString candidate = path + QLatin1StringView(".damaged");
    for (int i = 1; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++i)
        candidate = path + QLatin1StringView(".damaged.") + QString::number(i);
    return candidate;
}

// Moving the damaged file aside keeps it whole (a copy would need it readable and the space twice).
bool MoveAside(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QDir().rename(path, FreeBackupName(path));
}

QString ValueText(const QVariant& value, const QString& defaultValue)
{
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas in a hand-edited file comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    if (value.canConvert<QString>())
        return value.toString();
    return defaultValue;
}

} // namespace

SettingsStore::SettingsStore(QString folder) : m_folder(std::move(folder)) {}

SettingsStore::~SettingsStore()
{
    (void)Sync();
}

QString SettingsStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1StringView("/Quillbrook");
}

QString SettingsStore::FilePath(const QString& application) const
{
    return m_folder + u'/' + application + QLatin1StringView(".ini");
}

SettingsStore::File& SettingsStore::Open(const QString& application)
{
    auto found = m_files.find(application);
    if (found != m_files.end())
        return *found->second;

    auto file = std::make_unique<File>();
    file->path = FilePath(application);
    const QFileInfo info(file->path);
    if (info.isSymLink() || (info.exists() && !info.isFile())) {
        // Opening a directory fails, opening a FIFO for reading would hang the UI, and a link is never
        // followed (QSettings would write through it): moved aside now, the file is read as empty.
        MoveAside(file->path);
    } else if (info.exists()) {
        const std::optional<QByteArray> raw = ReadRegularFile(file->path, kMaxFileBytes);
        file->damaged = !raw || LooksDamaged(*raw);
    }
    file->settings = std::make_unique<QSettings>(file->path, QSettings::IniFormat);
    if (file->settings->status() != QSettings::NoError)
        file->damaged = true;
    return *m_files.emplace(application, std::move(file)).first->second;
}

QString SettingsStore::Get(const QString& application, const QString& section, const QString& key,
                           const QString& defaultValue)
{
    return ValueText(Open(application).settings->value(SettingsKey(section, key)), defaultValue);
}

void SettingsStore::Save(const QString& application, const QString& section, const QString& key,
                         const QString& value)
{
    File& file = Open(application);
    PrepareWrite(file);
    file.settings->setValue(SettingsKey(section, key), value);
    file.dirty = true;
}

void SettingsStore::Delete(const QString& application, const QString& section, const QString& key)
{
    File& file = Open(application);
    const QString settingsKey = SettingsKey(section, key);
    if (!file.settings->contains(settingsKey))
        return;
    PrepareWrite(file);
    file.settings->remove(settingsKey);
    file.dirty = true;
}

void SettingsStore::PrepareWrite(File& file)
{
    if (!file.damaged)
        return;
    std::vector<std::pair<QString, QVariant>> understood;
    for (const QString& key : file.settings->allKeys())
        understood.emplace_back(key, file.settings->value(key));
    // When the file cannot be moved, QSettings cannot replace it either (both need the folder).
    if (!MoveAside(file.path))
        return;
    // A fresh object: QSettings keeps the first error it met for good, which would hide later syncs'.
    // The old one goes first, since objects on one path share their parsed keys.
    file.settings.reset();
    file.settings = std::make_unique<QSettings>(file.path, QSettings::IniFormat);
    for (const auto& [key, value] : understood)
        file.settings->setValue(key, value);
    file.damaged = false;
    file.dirty = true;
}

bool SettingsStore::Sync()
{
    bool ok = true;
    for (auto& [application, file] : m_files) {
        if (file->dirty && !SyncFile(*file))
            ok = false;
    }
    return ok;
}

bool SettingsStore::SyncFile(File& file)
{
    MakePrivateFolder(QFileInfo(file.path).absolutePath());
    // QSettings replaces the file keeping its mode, but creates a new one readable by everyone; rules
    // and visited hosts are the user's own. A link planted since the file was opened stops the write.
    if (!EnsurePrivateFile(file.path))
        return false;
    file.settings->sync();
    // QSettings keeps changes it could not write and retries them at the next sync.
    const bool ok = file.settings->status() == QSettings::NoError;
    if (ok)
        file.dirty = false;
    return ok;
}

} // namespace qb
