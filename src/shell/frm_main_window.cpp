#include "shell/frm_main_window.h"

#include "base/settings_store.h"
#include "control/applications_page.h"
#include "control/frm_attempt_window.h"
#include "control/prompt_list_window.h"
#include "control/rule_questions_dialog.h"
#include "control/rule_store.h"
#include "controls/page_geometry.h"
#include "controls/user_control2.h"
#include "controls/user_control4.h"
#include "controls/user_control5.h"
#include "controls/user_control6.h"
#include "monitor/details_pane.h"
#include "monitor/monitoring_page.h"
#include "monitor/online_check.h"
#include "net/dictionary.h"
#include "net/mod_wsk.h"
#include "net/threaded_host_lookup.h"
#include "platform/platform.h"
#include "shell/navigation_pane.h"
#include "shell/options_page.h"
#include "shell/program_folder.h"
#include "traffic/data_transfer_page.h"
#include "traffic/picture_surface_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QStandardPaths>

namespace qb {
namespace {

// The banner colour a page gets when it is shown: the navigation blue.
constexpr qint32 kBannerColour = 15836238;

// The graph's start-up look: black plot, green line, red frame of width 0, teal grid.
constexpr uint32_t kGraphBackground = 0;
constexpr uint32_t kGraphForeground = 65280;
constexpr uint32_t kGraphBorder = 255;
constexpr uint32_t kGraphGrid = 8421376;

constexpr std::chrono::milliseconds kChangesInterval(50);

} // namespace

FrmMain::FrmMain(Platform& platform, SettingsStore& settings, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_settings(settings), m_deletions(*platform.tcpTable),
      m_table(m_deletions), m_resolver(m_table, *platform.processes), m_freezer(*platform.threads),
      m_rules(std::make_unique<RuleStore>(settings, MessageBoxRuleDialogs(this))),
      m_access(*m_rules, m_table, m_freezer, *platform.desktop, *platform.grabs),
      m_lookup(std::make_unique<ThreadedHostLookup>(platform.resolver)),
      m_icons(QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)),
      m_ipHelper(*platform.interfaces),
      m_meter(m_ipHelper,
              TransferMeterHooks{
                  [this](int status) { m_options->SetActivityStatus(static_cast<qint16>(status)); },
                  [this] { return m_settings.Get(kApplicationTitle, "Setting", "Connection", "0").toInt(); },
                  [this] { Timer1.stop(); }, [this] { Timer1.start(); }}),
      m_monitor(m_table, m_resolver, *platform.processes,
                MonitorHooks{[this] { return m_unloaded; }, [this] { close(); },
                             [this](const QString& tip) {
                                 if (SetTrayTip)
                                     SetTrayTip(tip);
                             },
                             [this](bool visible) { m_monitoring->SetOffline(visible); },
                             [this] { Timer2.start(); },
                             [this](const std::vector<MonitorRow>& rows) {
                                 m_monitoring->SetRows(rows);
                                 m_access.RefreshFinished();
                             },
                             nullptr, [this] { return Showing(m_monitoring); }}),
      m_changes([this] { return m_table.CountersStamp(); },
                [this](std::optional<uint64_t> reading) {
                    {
                        const std::lock_guard lock(m_changesMutex);
                        m_changesReading = reading;
                    }
                    // One wake-up waits at a time, however long the UI thread is busy; it takes the latest
                    // reading.
                    if (!m_changeCheckPosted.exchange(true))
                        QMetaObject::invokeMethod(this, &FrmMain::ChangesMoved, Qt::QueuedConnection);
                },
                kChangesInterval, std::chrono::milliseconds(ConnectionMonitor::kFullFetchMs))
{
    setWindowTitle("Quillbrook Personal Firewall");
    setFixedSize(kMainWindowSize);
    CreateToolbar();
    CreatePages();
    ConnectLogic();
    ConnectTimers();
}

FrmMain::~FrmMain()
{
    m_changes.Stop();
    // Prompts release their programs and still need the services below them.
    m_prompts.reset();
    if (m_iphDNS)
        (void)m_iphDNS->WriteCache();
}

CDictionary& FrmMain::iphDNS()
{
    if (!m_iphDNS)
        m_iphDNS = std::make_unique<CDictionary>(m_settings, *m_lookup, ProgramFolder());
    return *m_iphDNS;
}

void FrmMain::CreateToolbar()
{
    m_userControl61 = new UserControl6(this);
    m_userControl61->setGeometry(0, 0, kMainWindowSize.width(), kToolbarHeight);
    m_userControl61->SubClassMe();
}

void FrmMain::CreatePages()
{
    m_navigation = new NavigationPane(this);
    m_navigation->move(kNavigationOrigin);
    m_dataTransfer = new DataTransferPage(this);
    m_options = new OptionsPage(this);
    m_applications = new ApplicationsPage(*m_rules, this);
    m_monitoring =
        new MonitoringPage(MonitoringServices{m_deletions, *m_platform.terminator, *m_platform.files, m_icons,
                                              [this]() -> HostNames& { return iphDNS(); },
                                              [this](const QString& path) -> std::optional<int32_t> {
                                                  const int16_t rule = m_rules->CheckProgramID(path);
                                                  if (rule == -1)
                                                      return std::nullopt;
                                                  return m_rules->Rule(rule).Attempts;
                                              },
                                              [echo = m_platform.echo.get()](const QString& address) {
                                                  return ModWsk::PingIP(*echo, address);
                                              }},
                           this);
    m_monitoring->AskYesNo = [this](const QString& question) { return AskYesNo(question); };
    m_monitoring->ShowMessage = [this](const QString& text) { ShowMessage(text); };
    for (QWidget* page : {static_cast<QWidget*>(m_dataTransfer), static_cast<QWidget*>(m_options),
                          static_cast<QWidget*>(m_applications), static_cast<QWidget*>(m_monitoring)})
        page->setGeometry(QRect(kPageOrigin, kPageSize));
    HideFrames();
    m_dataTransfer->show();
}

void FrmMain::ConnectLogic()
{
    m_table.BlockAll = [this] { return m_access.Pub_BlockAll(); };
    m_resolver.CheckPrograms = [this](const std::string& path, int16_t index) {
        return m_access.CheckPrograms(path, index);
    };
    // Block-all acts on the table as it is now, not as the last fetch saw it.
    m_access.RefreshList = [this] { m_monitor.RefreshNow(); };
    m_access.OpenPrompt = [this](const std::string& path, int16_t index) {
        if (!m_prompts) {
            m_prompts = std::make_unique<PromptList>(
                AttemptServices{m_access, m_table, m_deletions, *m_rules, iphDNS(), m_icons});
            connect(m_prompts.get(), &PromptList::PromptOpened, this, [this](frmAttempt* prompt) {
                ++m_openPrompts;
                connect(prompt, &QObject::destroyed, this, [this] {
                    if (--m_openPrompts == 0)
                        emit AllPromptsClosed();
                });
            });
        }
        m_prompts->Open(path, index);
    };
    m_ipHelper.ShowMessage = [this](const std::string& text) { ShowMessage(QString::fromStdString(text)); };
    // Monitoring and prompting go on; the page says once why nothing is closed, until something is.
    m_deletions.Changed = [this] {
        m_options->ShowDeletionsRefused(m_deletions.Refused(), QCoreApplication::applicationFilePath());
        ShowStatusDisplay(m_access.Display());
    };

    connect(&m_access, &AccessControl::StatusDisplayChanged, this, &FrmMain::ShowStatusDisplay);
    connect(m_options, &OptionsPage::BlockAllClicked, this, [this] { m_access.ToggleBlockAll(); });
    connect(m_options, &OptionsPage::FirewallClicked, this, [this] { ToggleFirewall(); });
    // The toolbar: option 1 "Block all"; "Live Update" and "Options" do nothing.
    connect(m_userControl61, &UserControl6::ButtonClick, this, [this](qint16 option) {
        if (option == 1)
            m_access.ToggleBlockAll();
    });
    connect(m_navigation, &NavigationPane::FirewallEntry, this, &FrmMain::ShowPage);
    connect(m_navigation, &NavigationPane::HelpEntry, this, [this](int entry) {
        if (OpenHelpEntry)
            OpenHelpEntry(entry);
    });
    connect(m_applications, &ApplicationsPage::ShowRequested, this, [this] { ShowPage(3); });
    connect(m_dataTransfer, &DataTransferPage::ConnectionSelected, this,
            [this](int position) { m_meter.SetSelectedConnection(position); });
}

void FrmMain::ConnectTimers()
{
    Timer1.setInterval(200);
    // Reading the counters costs microseconds; a new connection is seen within one interval.
    tmrChanges.setInterval(kChangesInterval);
    Timer2.setInterval(300);
    Timer11.setInterval(2000);
    // The meter's timer is stopped during its tick: the next one starts 100 ms after this one ends.
    tmrUpdate.setInterval(kMeterInterval);
    tmrUpdate.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] { NotOnline(IsOnline(*m_platform.connectivity)); });
    connect(&tmrChanges, &QTimer::timeout, this, &FrmMain::CheckForChanges);
    connect(&Timer2, &QTimer::timeout, this, &FrmMain::ActivityTick);
    connect(&Timer11, &QTimer::timeout, this, [this] { m_meter.Watchdog(); });
    connect(&tmrUpdate, &QTimer::timeout, this, &FrmMain::MeterTick);
}

void FrmMain::LoadWindow()
{
    m_graph.SetPictureBox(m_dataTransfer->PIC1());
    m_graph.SetDataCollection(m_meter.DataCollection());
    m_graph.SetPicBackground(kGraphBackground);
    m_graph.SetPicForeground(kGraphForeground);
    m_graph.SetBorderColor(kGraphBorder);
    m_graph.SetBorderSize(0);
    m_graph.SetGridColor(kGraphGrid);
    m_graph.SetGridVisible(true);
    m_graph.Draw();

    m_meter.LoadConnectionList();
    m_dataTransfer->SetConnectionList(m_meter.ConnectionList());

    m_access.SetFirewallEnabled(true);
    m_access.SetBlockAll(false);
    m_access.Timer4();

    if (IsOnline(*m_platform.connectivity)) {
        Timer2.start();
        m_monitor.SetOnlineFlag(true);
    } else {
        m_monitoring->ClearList();
        Timer2.stop();
        m_monitor.SetOnlineFlag(false);
    }

    m_navigation->UserControl41()->ShowMenu(1);
    UpdatePrograms();
    ShowPage(1);
    Timer1.start();
    if (m_table.ThreadSafe())
        m_changes.Start();
    else
        tmrChanges.start();
    Timer11.start();
    tmrUpdate.start();
}

void FrmMain::CheckForChanges()
{
    if (!m_monitor.CheckForChanges())
        m_changes.Again();
    ++m_changeChecks;
}

void FrmMain::ChangesMoved()
{
    m_changeCheckPosted = false;
    std::optional<uint64_t> reading;
    {
        const std::lock_guard lock(m_changesMutex);
        reading = m_changesReading;
    }
    if (!m_monitor.CheckForChanges(reading))
        m_changes.Again();
    ++m_changeChecks;
}

bool FrmMain::Showing(const QWidget* page) const
{
    return page->isVisible() && !isMinimized();
}

void FrmMain::MeterTick()
{
    const TransferMeter::TickResult result = m_meter.MeterTick();
    if (result.listRebuilt)
        m_dataTransfer->SetConnectionList(m_meter.ConnectionList());
    // Labels and graph reach the screen only while the page is on it; shown again, it catches up at the
    // next tick. Drawing a page nobody sees was most of the meter's cost.
    if (Showing(m_dataTransfer)) {
        if (result.pointAdded || m_graphBehind)
            m_graph.Draw();
        m_graphBehind = false;
        m_dataTransfer->ShowLabels(m_meter.Labels());
    } else {
        m_graphBehind = m_graphBehind || result.pointAdded;
    }
    // Off screen the figures still count (the maxima and the watchdog need them), at a slower pace: the
    // rates are measured over each tick's real length.
    tmrUpdate.start(Showing(m_dataTransfer) ? kMeterInterval : kMeterIntervalOffScreen);
}

void FrmMain::ActivityTick()
{
    // Its texts and light are all on the Options page.
    if (!Showing(m_options))
        return;
    m_meter.ActivityTick();
    m_options->ShowTrafficLabels(m_meter.Labels());
}

QString FrmMain::ToggleFirewall()
{
    const QString caption = m_access.ToggleFirewall();
    // The click's caption lasts until the status display's next pass, which follows at once.
    m_options->SetFirewallCaption(caption);
    ShowStatusDisplay(m_access.Display());
    return caption;
}

void FrmMain::ShowStatusDisplay(const StatusDisplay& display)
{
    // The switch stays as the user set it; its light tells whether blocking is really in force.
    m_options->ShowSwitchStatus(display.Status1, display.BlockAllCaption,
                                m_deletions.Refused() ? qint16(0) : display.Status2, display.FirewallCaption);
}

void FrmMain::UpdatePrograms()
{
    m_rules->UpdatePrograms();
}

void FrmMain::HideFrames()
{
    for (QWidget* page : {static_cast<QWidget*>(m_dataTransfer), static_cast<QWidget*>(m_options),
                          static_cast<QWidget*>(m_applications), static_cast<QWidget*>(m_monitoring)}) {
        m_navigation->BringStripsToFront();
        page->hide();
        page->setGeometry(m_dataTransfer->geometry());
    }
}

void FrmMain::ShowPageWidget(QWidget* page, UserControl2* banner)
{
    page->show();
    if (banner != nullptr)
        banner->Gradient(kBannerColour);
}

void FrmMain::ShowPage(int entry)
{
    if (entry < 1 || entry > 4)
        return;
    HideFrames();
    switch (entry) {
    case 1:
        ShowPageWidget(m_dataTransfer, nullptr);
        CatchUp();
        break;
    case 2:
        ShowPageWidget(m_options, m_options);
        break;
    case 3:
        UpdatePrograms();
        ShowPageWidget(m_applications, m_applications->Banner());
        break;
    default:
        ShowPageWidget(m_monitoring, m_monitoring->Banner());
        break;
    }
}

QWidget* FrmMain::VisiblePage() const
{
    for (QWidget* page : {static_cast<QWidget*>(m_dataTransfer), static_cast<QWidget*>(m_options),
                          static_cast<QWidget*>(m_applications), static_cast<QWidget*>(m_monitoring)}) {
        if (page->isVisibleTo(this))
            return page;
    }
    return nullptr;
}

void FrmMain::ShowMessage(const QString& text)
{
    RuleNoticeBox(text, this)->exec();
}

bool FrmMain::AskYesNo(const QString& question)
{
    return RuleQuestionBox(question, this)->exec() == QMessageBox::Yes;
}

void FrmMain::CatchUp()
{
    // Only the slow off-screen wait is cut short: a tick moments after an on-screen one would measure its
    // rates over a few milliseconds.
    if (Showing(m_dataTransfer) && tmrUpdate.isActive() &&
        tmrUpdate.intervalAsDuration() == kMeterIntervalOffScreen)
        tmrUpdate.start(0);
}

void FrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    CatchUp();
}

void FrmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        CatchUp();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    if (CloseBoxPressed && !m_unloaded) {
        event->ignore();
        CloseBoxPressed();
        return;
    }
    Timer1.stop();
    tmrChanges.stop();
    m_changes.Stop();
    Timer2.stop();
    Timer11.stop();
    tmrUpdate.stop();
    QWidget::closeEvent(event);
}

} // namespace qb
