#include "control/rule_store.h"

#include "base/settings_store.h"
#include "base/stored_number.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace qb {
namespace {

constexpr auto kDefaultName = QLatin1StringView("Name not found");
// Set once the stored paths are known to be spelled as the files are (see AdoptExactPaths).
constexpr auto kExactPathsKey = QLatin1StringView("ExactPaths");
constexpr int32_t kCounterMax = std::numeric_limits<int32_t>::max();

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

int32_t Incremented(int32_t value)
{
    return value < kCounterMax ? value + 1 : kCounterMax;
}

// The one existing path that equals `path` without regard to case, found a folder at a time; empty when
// no path or more than one does.
QString PathIgnoringCase(const QString& path)
{
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    if (!path.startsWith(u'/') || parts.isEmpty())
        return {};
    QString found;
    for (const QString& part : parts) {
        QString match;
        const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        for (const QString& entry : QDir(found.isEmpty() ? QStringLiteral("/") : found).entryList(filter)) {
            if (entry.compare(part, Qt::CaseInsensitive) != 0)
                continue;
            if (!match.isEmpty())
                return {};
            match = entry;
        }
        if (match.isEmpty())
            return {};
        found += u'/' + match;
    }
    return found;
}

} // namespace

RuleStore::RuleStore(SettingsStore& settings, RuleStoreDialogs dialogs, QObject* parent)
    : QObject(parent), m_settings(settings), m_dialogs(std::move(dialogs)),
      m_table(std::make_unique<ProgramRule[]>(kSlots))
{
    // Counting runs on every refresh (several a second while connections come and go): writing each count
    // at once rewrote the whole file every time.
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushInterval);
    connect(&m_flushTimer, &QTimer::timeout, this, &RuleStore::FlushCounters);
}

RuleStore::~RuleStore()
{
    FlushCounters();
}

QString RuleStore::Read(const char* key, int n, const QString& defaultValue) const
{
    return m_settings.Get(kFirewallApplication, kSection, QLatin1StringView(key) + QString::number(n),
                          defaultValue);
}

void RuleStore::Write(const char* key, int n, const QString& value)
{
    m_settings.Save(kFirewallApplication, kSection, QLatin1StringView(key) + QString::number(n), value);
}

void RuleStore::Remove(const char* key, int n)
{
    m_settings.Delete(kFirewallApplication, kSection, QLatin1StringView(key) + QString::number(n));
}

int RuleStore::StoredProgramCount() const
{
    // Clamped so that a count near 2^31 can neither make a delete loop for minutes nor overflow.
    return ClampedWhole(LeadingNumber(m_settings.Get(kFirewallApplication, kSection, "ProgramCount", "0")),
                        -1, kMaxRules);
}

bool RuleStore::HoldsRule(int n) const
{
    return n >= 0 && n <= StoredProgramCount() && !Read("Path", n).isEmpty();
}

void RuleStore::AdoptExactPaths()
{
    if (m_settings.Get(kFirewallApplication, kSection, kExactPathsKey) == QLatin1StringView("1"))
        return;
    bool any = false;
    const int count = StoredProgramCount();
    for (int n = 0; n <= count; ++n) {
        const QString stored = Read("Path", n);
        any = any || !stored.isEmpty();
        // Only an upper-cased path that names no file now can be an old rule gone astray.
        const QFileInfo file(stored);
        if (stored.isEmpty() || stored != stored.toUpper() || file.exists() || file.isSymLink())
            continue;
        if (const QString real = PathIgnoringCase(stored); !real.isEmpty()) {
            Write("Path", n, real);
            Write("Name", n, FileNameOf(real));
        }
    }
    if (!any)
        return;
    m_settings.Save(kFirewallApplication, kSection, kExactPathsKey, QStringLiteral("1"));
    (void)m_settings.Sync();
}

void RuleStore::UpdatePrograms()
{
    FlushCounters();
    emit ProgramsAboutToReload();
    AdoptExactPaths();
    const int count = StoredProgramCount();
    m_firstSlotByPath.clear();
    m_listed.clear();
    for (int n = 0; n <= count; ++n) {
        ProgramRule& rule = m_table[n];
        rule.Name = Read("Name", n, kDefaultName);
        rule.Path = Read("Path", n);
        rule.Blocked = std::trunc(LeadingNumber(Read("Status", n, "0"))) == 0;
        rule.Attempts = StoredInt32(Read("Attempts", n, "0"));
        rule.Blocks = StoredInt32(Read("Blocks", n, "0"));
        rule.RuleCount = count;
        // A number without a path holds no rule: number 0 until a delete moves a rule down into it.
        if (rule.Path.isEmpty())
            continue;
        m_listed.push_back(static_cast<int16_t>(n));
        if (!m_firstSlotByPath.contains(rule.Path))
            m_firstSlotByPath.insert(rule.Path, static_cast<int16_t>(n));
    }
    m_loaded = count + 1;
    emit ProgramsReloaded();
}

const ProgramRule& RuleStore::Rule(int slot) const
{
    Q_ASSERT(slot >= 0 && slot < kSlots);
    return m_table[slot];
}

int16_t RuleStore::CheckProgramID(const QString& programPath) const
{
    return m_firstSlotByPath.value(programPath, -1);
}

bool RuleStore::AddProgram(const QString& programPath, int16_t block)
{
    FlushCounters();
    const int count = StoredProgramCount();
    if (count >= kMaxRules) {
        if (m_dialogs.tell)
            m_dialogs.tell(kListFullMessage);
        return false;
    }
    const QString fileName = FileNameOf(programPath);
    if (block != 0) {
        const QString question = "Are you sure you want allways allow " + fileName + " ?";
        if (!m_dialogs.askYesNo || !m_dialogs.askYesNo(question))
            return false;
    }
    const int n = count + 1;
    Write("Name", n, fileName);
    Write("Path", n, programPath);
    Write("Status", n, QString::number(block));
    // A new rule starts from zero even when a store from an older version kept counters under n.
    Remove("Attempts", n);
    Remove("Blocks", n);
    m_settings.Save(kFirewallApplication, kSection, "ProgramCount", QString::number(n));
    m_settings.Save(kFirewallApplication, kSection, kExactPathsKey, QStringLiteral("1"));
    (void)m_settings.Sync();
    return true;
}

bool RuleStore::DeleteProgram(int16_t index)
{
    // Rules move down one number with their counters: the counts must be in the store first.
    FlushCounters();
    if (!HoldsRule(index))
        return false;
    const int count = StoredProgramCount();
    for (int n = index; n < count; ++n) {
        // Name, Path and Status move as stored (an absent one becomes empty text); counters as numbers.
        Write("Name", n, Read("Name", n + 1));
        Write("Path", n, Read("Path", n + 1));
        Write("Status", n, Read("Status", n + 1));
        Write("Attempts", n, Read("Attempts", n + 1, "0"));
        Write("Blocks", n, Read("Blocks", n + 1, "0"));
    }
    // The vacated number loses its counters too, so that a later rule there does not inherit them.
    for (const char* key : {"Name", "Path", "Status", "Attempts", "Blocks"})
        Remove(key, count);
    m_settings.Save(kFirewallApplication, kSection, "ProgramCount", QString::number(count - 1));
    (void)m_settings.Sync();
    return true;
}

bool RuleStore::SetProgramStatus(int16_t index, int16_t status)
{
    FlushCounters();
    if (!HoldsRule(index))
        return false;
    Write("Status", index, QString::number(status));
    (void)m_settings.Sync();
    return true;
}

int32_t RuleStore::CountAttempt(int slot)
{
    if (slot < 0 || slot >= m_loaded)
        return 0;
    ProgramRule& rule = m_table[slot];
    rule.Attempts = Incremented(rule.Attempts);
    MarkUnwritten(slot, kAttempts);
    return rule.Attempts;
}

int32_t RuleStore::CountBlock(int slot)
{
    if (slot < 0 || slot >= m_loaded)
        return 0;
    ProgramRule& rule = m_table[slot];
    rule.Blocks = Incremented(rule.Blocks);
    MarkUnwritten(slot, kBlocks);
    return rule.Blocks;
}

void RuleStore::MarkUnwritten(int slot, Counter counter)
{
    m_unwritten[slot] |= counter;
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void RuleStore::FlushCounters()
{
    m_flushTimer.stop();
    if (m_unwritten.isEmpty())
        return;
    for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it) {
        const ProgramRule& rule = m_table[it.key()];
        if (it.value() & kAttempts)
            Write("Attempts", it.key(), QString::number(rule.Attempts));
        if (it.value() & kBlocks)
            Write("Blocks", it.key(), QString::number(rule.Blocks));
    }
    m_unwritten.clear();
    (void)m_settings.Sync();
}

} // namespace qb
