#include "net/dictionary.h"

#include "base/private_file.h"
#include "base/settings_store.h"
#include "base/stored_number.h"
#include "net/host_lookup.h"

#include <QPointer>

namespace qb {
namespace {

constexpr auto kSection = QLatin1StringView("Cache");
constexpr auto kCacheFile = QLatin1StringView("cache.ini");
constexpr int kMaxSizeLimit = 32767;
// 32767 entries of the longest host names fit many times over.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

QStringView SkipBlanks(QStringView field)
{
    while (!field.isEmpty() && (field.front() == u' ' || field.front() == u'\t'))
        field = field.mid(1);
    return field;
}

bool Writable(const QString& text)
{
    if (text.startsWith(u' ') || text.startsWith(u'\t'))
        return false;
    for (const QChar c : text) {
        if (c == u',' || c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    }
    return true;
}

} // namespace

CDictionary::CDictionary(SettingsStore& settings, HostLookup& lookup, const QString& programFolder,
                         QObject* parent)
    : HostNames(parent), m_lookup(lookup)
{
    m_maxSize = ClampedWhole(LeadingNumber(settings.Get(kFirewallApplication, kSection, "MaxSize", "100")), 0,
                             kMaxSizeLimit);
    const QString ownFile = programFolder + kCacheFile;
    // The hosts the user visited are theirs alone: a cache.ini of an older version becomes private too.
    (void)EnsurePrivateFile(ownFile);
    m_fileName = settings.Get(kFirewallApplication, kSection, "Filename", ownFile);
    if (m_fileName.isEmpty())
        m_fileName = ownFile;
    Load();
}

void CDictionary::Load()
{
    const std::optional<QByteArray> file = ReadRegularFile(m_fileName, kMaxFileBytes);
    if (!file)
        return;
    for (QByteArray bytes : file->split('\n')) {
        while (bytes.endsWith('\r'))
            bytes.chop(1);
        const QString line = QString::fromUtf8(bytes);
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0)
            continue;
        const QString address = SkipBlanks(QStringView(line).left(comma)).toString();
        if (m_names.contains(address))
            continue;
        m_names.insert(address, SkipBlanks(QStringView(line).mid(comma + 1)).toString());
        m_order.append(address);
    }
}

QString CDictionary::CheckDictionary(const QString& address)
{
    const auto found = m_names.constFind(address);
    if (found != m_names.constEnd())
        return *found;
    const auto retry = m_retryAfter.constFind(address);
    const bool waiting = retry != m_retryAfter.constEnd() && Now() < *retry;
    if (!m_inFlight.contains(address) && !waiting) {
        m_inFlight.insert(address);
        m_retryAfter.remove(address);
        m_lookup.Start(address, [self = QPointer<CDictionary>(this), address](const HostAnswer& answer) {
            if (self)
                self->Resolved(address, answer);
        });
    }
    // A look-up may answer before Start() returns.
    return m_names.value(address, address);
}

void CDictionary::Resolved(const QString& address, const HostAnswer& answer)
{
    m_inFlight.remove(address);
    // Kept, a time-out would show the bare address for that host in every later run.
    if (!answer.lasting) {
        m_retryAfter.insert(address, Now() + kRetryAfter);
        return;
    }
    const QString& name = answer.name;
    if (!m_names.contains(address)) {
        m_names.insert(address, name);
        m_order.append(address);
    }
    // A full cache keeps its older entries: the first eviction takes the entry just added.
    while (m_order.size() > m_maxSize) {
        m_names.remove(m_order.last());
        m_order.removeLast();
    }
    emit HostNameResolved(address, name);
}

std::optional<QString> CDictionary::Cached(const QString& address) const
{
    const auto found = m_names.constFind(address);
    if (found == m_names.constEnd())
        return std::nullopt;
    return *found;
}

bool CDictionary::WriteCache() const
{
    QByteArray bytes;
    for (const QString& address : m_order) {
        const QString& name = m_names[address];
        if (Writable(address) && Writable(name))
            bytes += (address + u',' + name + QLatin1StringView("\r\n")).toUtf8();
    }
    return WritePrivateFile(m_fileName, bytes) == 0;
}

} // namespace qb
