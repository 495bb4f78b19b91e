#include "control/rule_store.h"

#include "base/settings_store.h"
#include "base/stored_number.h"

#include <cmath>
#include <limits>

namespace qb {
namespace {

constexpr auto kDefaultName = QLatin1StringView("Name not found");
constexpr auto kDefaultPath = QLatin1StringView("c:\\Program Files\\Internet Explorer\\iexplore.exe");
constexpr int32_t kCounterMax = std::numeric_limits<int32_t>::max();

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

int32_t Incremented(int32_t value)
{
    return value < kCounterMax ? value + 1 : kCounterMax;
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

void RuleStore::UpdatePrograms()
{
    FlushCounters();
    emit ProgramsAboutToReload();
    const int count = StoredProgramCount();
    m_firstSlotByPath.clear();
    for (int n = 0; n <= count; ++n) {
        ProgramRule& rule = m_table[n];
        rule.Name = Read("Name", n, kDefaultName);
        rule.Path = Read("Path", n, kDefaultPath);
        rule.Blocked = std::trunc(LeadingNumber(Read("Status", n, "0"))) == 0;
        rule.Attempts = StoredInt32(Read("Attempts", n, "0"));
        rule.Blocks = StoredInt32(Read("Blocks", n, "0"));
        rule.RuleCount = count;
        const QString key = rule.Path.toUpper();
        if (!m_firstSlotByPath.contains(key))
            m_firstSlotByPath.insert(key, static_cast<int16_t>(n));
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
    return m_firstSlotByPath.value(programPath.toUpper(), -1);
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
    Write("Name", n, fileName.toUpper());
    Write("Path", n, programPath.toUpper());
    Write("Status", n, QString::number(block));
    // A new rule starts from zero even when a store from an older version kept counters under n.
    Remove("Attempts", n);
    Remove("Blocks", n);
    m_settings.Save(kFirewallApplication, kSection, "ProgramCount", QString::number(n));
    (void)m_settings.Sync();
    return true;
}

bool RuleStore::DeleteProgram(int16_t index)
{
    // Rules move down one number with their counters: the counts must be in the store first.
    FlushCounters();
    const int count = StoredProgramCount();
    if (index < 0 || index > count)
        return false;
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
    if (index < 0 || index > StoredProgramCount())
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
