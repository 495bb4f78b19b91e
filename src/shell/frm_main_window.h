#pragma once
// The main window: the composition root of the running program. It owns the logic objects (connection
// table, owner resolution, rule store, access control, freezer, host-name cache, interface table, meter,
// graph) and the pages, drives them with its timers, and offers the public names other windows use.
#include "base/counters_poller.h"
#include "base/program_icons_gui.h"
#include "base/tcp_table.h"
#include "control/access_control.h"
#include "control/process_freezer.h"
#include "monitor/connection_monitor.h"
#include "monitor/owner_resolver.h"
#include "shell/deletion_watch.h"
#include "traffic/class1_widget.h"
#include "traffic/ip_helper.h"
#include "traffic/transfer_meter.h"

#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace qb {

class ApplicationsPage;
class CDictionary;
class DataTransferPage;
class MonitoringPage;
class NavigationPane;
class OptionsPage;
class PromptList;
class RuleStore;
class SettingsStore;
class ThreadedHostLookup;
class UserControl2;
class UserControl6;
struct Platform;

// UI thread only. The platform and the settings store must outlive the window.
class FrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kMeterInterval{100};
    static constexpr std::chrono::milliseconds kMeterIntervalOffScreen{1000};
    FrmMain(Platform& platform, SettingsStore& settings, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Seams the application shell fills: the tray icon's tooltip, the help links (1 "Help topics",
    // 2 "Visit homepage", 3 "About"), and what the window's close box does (unset: close for good).
    std::function<void(const QString& tip)> SetTrayTip;
    std::function<void(int entry)> OpenHelpEntry;
    std::function<void()> CloseBoxPressed;

    // The window's own start-up, after the shortcut and before the tray: the graph, the interface list
    // and its stored choice, the switches, the online state, the rules, and the Data transfer page. The
    // details pane starts empty, as it is whenever no row is selected. Starts the timers.
    void LoadWindow();

    // Public state and operations of the window.
    bool Unloaded() const { return m_unloaded; }
    void SetUnloaded(bool unloaded) { m_unloaded = unloaded; }
    bool Pub_BlockAll() const { return m_access.Pub_BlockAll(); }
    void SetPub_BlockAll(bool blockAll) { m_access.SetBlockAll(blockAll); }
    bool Firewall_Enabled() const { return m_access.Firewall_Enabled(); }
    // Toggles the firewall switch; returns the caption the firewall item shows after the click.
    QString ToggleFirewall();
    QString CurrentProcessing() const { return m_access.CurrentProcessing(); }
    CDictionary& iphDNS();
    void RefreshList() { m_monitor.RefreshList(); }
    void NotOnline(bool online) { m_monitor.NotOnline(online); }
    // The watch's work, and how many times it ran.
    void CheckForChanges();
    int ChangeChecks() const { return m_changeChecks; }
    bool CheckPrograms(const std::string& path, int16_t index) { return m_access.CheckPrograms(path, index); }
    void UpdatePrograms();
    void HideFrames();
    // Shows page 1 "Data transfer" … 4 "Monitoring", as the navigation entries do.
    void ShowPage(int entry);

    // Parts reachable for the shell and for tests.
    TcpTable& Table() { return m_table; }
    AccessControl& Access() { return m_access; }
    RuleStore& Rules() { return *m_rules; }
    PromptList& Prompts() { return *m_prompts; }
    const ConnectionMonitor& Monitor() const { return m_monitor; }
    const DeletionWatch& Deletions() const { return m_deletions; }
    TransferMeter& Meter() { return m_meter; }
    NavigationPane* Navigation() const { return m_navigation; }
    UserControl6* UserControl61() const { return m_userControl61; }
    DataTransferPage* DataTransfer() const { return m_dataTransfer; }
    OptionsPage* Options() const { return m_options; }
    ApplicationsPage* Applications() const { return m_applications; }
    MonitoringPage* Monitoring() const { return m_monitoring; }
    QWidget* VisiblePage() const;
    // Prompts open now; AllPromptsClosed() follows the close of the last one.
    int OpenPrompts() const { return m_openPrompts; }
    // What tmrUpdate and Timer2 run: the meter's figures always (every kMeterIntervalOffScreen while the
    // Data transfer page is not on screen), their texts, graph and light only while their page is.
    void MeterTick();
    void ActivityTick();

    // The timers, under their names.
    QTimer Timer1; // 200 ms: online check
    // 50 ms: the socket counters, and a table fetch when they moved. On the UI thread only when the table
    // cannot be read from another; else m_changes reads them and wakes the UI thread when they moved.
    QTimer tmrChanges;
    QTimer Timer2;    // 300 ms: activity tick
    QTimer Timer11;   // 2000 ms: traffic watchdog
    QTimer tmrUpdate; // 100 ms after the end of the previous tick (1 s off screen): meter tick

signals:
    void AllPromptsClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreatePages();
    void CreateToolbar();
    void ConnectLogic();
    void ConnectTimers();
    void ShowPageWidget(QWidget* page, UserControl2* banner);
    void ShowStatusDisplay(const StatusDisplay& display);
    void ShowMessage(const QString& text);
    // The check the counters' watch woke, with its reading.
    void ChangesMoved();
    bool AskYesNo(const QString& question);
    // The page is on screen: shown, in a window that is shown and not minimised.
    bool Showing(const QWidget* page) const;
    // Back on screen: the meter's page catches up at once instead of at the next slow tick.
    void CatchUp();

    Platform& m_platform;
    SettingsStore& m_settings;
    bool m_unloaded = false;
    bool m_graphBehind = false; // points were added while the graph was not on screen
    int m_openPrompts = 0;

    // Every deletion goes through it: a refusal for want of privilege turns the firewall light off.
    DeletionWatch m_deletions;
    TcpTable m_table;
    OwnerResolver m_resolver;
    ProcessFreezer m_freezer;
    std::unique_ptr<RuleStore> m_rules;
    AccessControl m_access;
    std::unique_ptr<ThreadedHostLookup> m_lookup;
    std::unique_ptr<CDictionary> m_iphDNS;
    ProgramIcons m_icons;
    CIpHelper m_ipHelper;
    TransferMeter m_meter;
    Class1 m_graph;
    ConnectionMonitor m_monitor;

    UserControl6* m_userControl61 = nullptr;
    NavigationPane* m_navigation = nullptr;
    DataTransferPage* m_dataTransfer = nullptr;
    OptionsPage* m_options = nullptr;
    ApplicationsPage* m_applications = nullptr;
    MonitoringPage* m_monitoring = nullptr;
    int m_changeChecks = 0;
    std::atomic<bool> m_changeCheckPosted = false;
    std::mutex m_changesMutex;
    std::optional<uint64_t> m_changesReading; // the watch's latest, for the check it woke
    CountersPoller m_changes;
    // Declared last so that open prompts go first and release their programs while all else still lives.
    std::unique_ptr<PromptList> m_prompts;
};

} // namespace qb
