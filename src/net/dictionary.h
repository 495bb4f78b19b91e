#pragma once
// The host-name cache: remote addresses (dotted IPv4, RFC 5952 IPv6 text with a link-local address's
// scope) to host names for display, preloaded from "cache.ini" and bounded by the "Cache" setting
// MaxSize. UI thread only.
#include "base/host_names.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace qb {

class HostLookup;
class SettingsStore;

// Construction reads MaxSize (default 100, clamped to 0 .. 32767) and Filename (default
// <programFolder>cache.ini) from section "Cache" of "FirewallFirewall", creates an empty "cache.ini" in
// `programFolder` when there is none there, and loads the file named by Filename: one "address,name" line
// per entry, the first entry of an address kept, lines without a comma skipped, MaxSize not applied.
// Failures to create or read the files leave the cache with what was read so far.
// The entries keep their insertion order, which is also the order of eviction (newest first).
// `settings` is read only while constructing; `lookup` must outlive the cache.
class CDictionary : public HostNames {
    Q_OBJECT
public:
    CDictionary(SettingsStore& settings, HostLookup& lookup, const QString& programFolder,
                QObject* parent = nullptr);

    // The cached name of `address`, at once. On a miss it returns the address text and starts a look-up
    // (one per address at a time); its answer is cached (the address itself when it failed), entries
    // beyond MaxSize are evicted newest first, and HostNameResolved reports the answer.
    QString CheckDictionary(const QString& address) override;

    // Rewrites the cache file from the entries, in order, through a temporary file and a rename. Entries
    // that cannot be written so as to read back the same (a comma, CR, LF or NUL in them, a leading blank)
    // stay in memory only. False when the file could not be written.
    [[nodiscard]] bool WriteCache() const;

    int MaxSize() const { return m_maxSize; }
    QString FileName() const { return m_fileName; }
    QStringList Addresses() const { return m_order; }
    std::optional<QString> Cached(const QString& address) const;

private:
    void Load();
    void Resolved(const QString& address, const QString& name);

    HostLookup& m_lookup;
    int m_maxSize = 100;
    QString m_fileName;
    QHash<QString, QString> m_names;
    QStringList m_order;
    QSet<QString> m_inFlight;
};

} // namespace qb
