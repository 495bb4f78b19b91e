#pragma once
// The program rules: which executables may use the network, with counters of how often each was seen
// and blocked. Kept in the settings store under "FirewallFirewall" / "Programs" and loaded into a fixed
// table of 2001 slots (slot n holds rule n). A program is named by its exact path, as the kernel gives it:
// "/usr/bin/tool" and "/usr/bin/TOOL" are two programs. UI thread only.
#include <QObject>
#include <QString>

#include <QHash>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace qb {

class SettingsStore;

// One rule as loaded; `RuleCount` is the ProgramCount of the load that filled the slot.
struct ProgramRule {
    QString Name;
    QString Path;
    bool Blocked = false;
    int32_t Attempts = 0;
    int32_t RuleCount = 0;
    int32_t Blocks = 0;
};

// What the rule store asks or tells the user; the main window answers with message boxes, showing the
// texts as plain text (they hold file names). An unset question is answered No.
struct RuleStoreDialogs {
    std::function<bool(const QString& question)> askYesNo;
    std::function<void(const QString& message)> tell;
};

// Owns the rule table. The store's ProgramCount is untrusted: every operation reads it clamped to
// -1 .. 2000, so at most 2000 rules besides slot 0 exist for the table.
class RuleStore : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 2001;
    static constexpr int kMaxRules = 2000;
    static constexpr QLatin1StringView kSection{"Programs"};
    static constexpr QLatin1StringView kListFullMessage{
        "The program list is full: at most 2000 programs can have a rule."};

    RuleStore(SettingsStore& settings, RuleStoreDialogs dialogs, QObject* parent = nullptr);
    ~RuleStore() override;

    // Reloads slots 0 .. ProgramCount from the store. A number without a stored path holds no rule (number
    // 0 until a delete moves a rule into it): it is neither listed nor matched, so an empty store is an
    // empty list. A ProgramCount below 0 loads nothing.
    // Older versions stored paths upper-cased. At the first load of such a store, each upper-case path
    // that names no file takes the spelling of the one file it names without regard to case, on disk
    // too; a rule that names none (or several) keeps its text and stays listed, to be deleted by hand.
    void UpdatePrograms();
    // Number of slots the last load filled (0 before the first load); counting stops there.
    int LoadedCount() const { return m_loaded; }
    // The numbers of the loaded rules, ascending: the rows of the Applications list.
    const std::vector<int16_t>& ListedRules() const { return m_listed; }
    // Slot 0 .. kSlots - 1; slots at or above LoadedCount() hold whatever an earlier load left.
    const ProgramRule& Rule(int slot) const;

    // The first listed rule whose path equals `programPath` exactly, else -1.
    int16_t CheckProgramID(const QString& programPath) const;

    // Appends a rule for the path as given (Status = `block`: 0 blocks, anything else allows) without
    // reloading. An allow rule
    // is asked about first and No cancels it; a full table is refused with kListFullMessage. Returns
    // whether the rule was stored. Writes reach the disk before it returns.
    bool AddProgram(const QString& programPath, int16_t block);
    // Removes rule `index` by moving every later rule down one number, counters included, without
    // reloading. A number that holds no rule does nothing and returns false.
    bool DeleteProgram(int16_t index);
    // Sets rule `index`'s decision (Status: 0 blocks, anything else allows) without reloading. A number
    // that holds no rule does nothing and returns false. Writes reach the disk before it returns.
    bool SetProgramStatus(int16_t index, int16_t status);

    // Access control's counting: one more sighting (and block) of the loaded slot's program, saturating
    // at 2147483647. A slot that is not loaded is ignored. Return the new count. The counts stay in memory
    // and reach the store at most once a minute (kFlushInterval after the first count not yet written),
    // before every reload, add, delete and change of a rule, and when the store goes away.
    int32_t CountAttempt(int slot);
    int32_t CountBlock(int slot);
    // Writes the counts not yet written, and syncs the store when there were any.
    void FlushCounters();
    bool CountersPending() const { return !m_unwritten.isEmpty(); }
    static constexpr std::chrono::seconds kFlushInterval{60};

signals:
    void ProgramsAboutToReload();
    void ProgramsReloaded();

private:
    QString Read(const char* key, int n, const QString& defaultValue = {}) const;
    void Write(const char* key, int n, const QString& value);
    void Remove(const char* key, int n);
    int StoredProgramCount() const;
    bool HoldsRule(int n) const;
    void AdoptExactPaths();
    enum Counter { kAttempts = 1, kBlocks = 2 };
    void MarkUnwritten(int slot, Counter counter);

    SettingsStore& m_settings;
    RuleStoreDialogs m_dialogs;
    std::unique_ptr<ProgramRule[]> m_table;
    int m_loaded = 0;
    std::vector<int16_t> m_listed;
    QHash<QString, int16_t> m_firstSlotByPath; // path of each listed rule, first number wins
    QHash<int, int> m_unwritten; // slot → counts the store does not hold yet (kAttempts|kBlocks)
    QTimer m_flushTimer;
};

} // namespace qb
