#pragma once
// The host-name cache: remote addresses (dotted IPv4, RFC 5952 IPv6 text with a link-local address's
// scope) to host names for display, preloaded from "cache.ini" and bounded by the "Cache" setting
// MaxSize. UI thread only.
#include "base/host_names.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

namespace qb {

class HostLookup;
struct HostAnswer;
class SettingsStore;

// Construction reads MaxSize (default 100, clamped to 0 .. 32767) and Filename (default
// <programFolder>cache.ini) from section "Cache" of "FirewallFirewall", creates an empty, private (0600)
// "cache.ini" in `programFolder` when there is none there, and loads the file named by Filename: one
// "address,name" line per entry, the first entry of an address kept, lines without a comma skipped,
// MaxSize not applied. Failures to create or read the files leave the cache with what was read so far;
// a symbolic link or anything but a regular file is neither read nor written through.
// The entries keep their insertion order, which is also the order of eviction (newest first).
// `settings` is read only while constructing; `lookup` must outlive the cache.
class CDictionary : public HostNames {
    Q_OBJECT
public:
    CDictionary(SettingsStore& settings, HostLookup& lookup, const QString& programFolder,
                QObject* parent = nullptr);

    static constexpr std::chrono::minutes kRetryAfter{1};

    // The cached name of `address`, at once. On a miss it returns the address text and starts a look-up
    // (one per address at a time); a lasting answer is cached (the address itself when it has no name),
    // entries beyond MaxSize are evicted newest first, and HostNameResolved reports it. An answer that
    // stands only for now (a time-out, a resolver that could not ask) is neither cached nor written: the
    // address is asked about again when it is next seen, kRetryAfter after that answer at the earliest.
    QString CheckDictionary(const QString& address) override;

    // Rewrites the cache file (0600) from the entries, in order, through a temporary file and a rename.
    // Entries that cannot be written so as to read back the same (a comma, CR, LF or NUL in them, a leading
    // blank) stay in memory only. False when the file could not be written.
    [[nodiscard]] bool WriteCache() const;

    // The clock the retries are timed by; tests set their own.
    std::function<std::chrono::steady_clock::time_point()> Now = std::chrono::steady_clock::now;

    int MaxSize() const { return m_maxSize; }
    QString FileName() const { return m_fileName; }
    QStringList Addresses() const { return m_order; }
    std::optional<QString> Cached(const QString& address) const;

private:
    void Load();
    void Resolved(const QString& address, const HostAnswer& answer);

    HostLookup& m_lookup;
    int m_maxSize = 100;
    QString m_fileName;
    QHash<QString, QString> m_names;
    QStringList m_order;
    QSet<QString> m_inFlight;
    QHash<QString, std::chrono::steady_clock::time_point> m_retryAfter;
};

} // namespace qb
