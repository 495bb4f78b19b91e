// Renders the main window's four pages and a connection attempt prompt on the fake platform, offscreen,
// into PNG files for the documentation. Settings go to a temporary folder, never to the user's own.
// Usage: window_screenshots <folder>   writes data_transfer.png, options.png, applications.png,
//        monitoring.png and prompt.png into <folder>.
#include "base/settings_store.h"
#include "control/frm_attempt_window.h"
#include "control/prompt_list_window.h"
#include "control/rule_store.h"
#include "controls/user_control4.h"
#include "fakes/fake_platform.h"
#include "monitor/details_pane.h"
#include "monitor/monitoring_page.h"
#include "shell/frm_main_window.h"
#include "shell/navigation_pane.h"
#include "window_screenshots/screenshot_scene.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

using namespace qb;

namespace {

// Meter ticks before the pictures are taken: enough for the graph to show most of its width.
constexpr int kTrafficTicks = 90;

// Runs the event loop until `done` holds (checked every 10 ms) or `timeoutMs` has passed.
bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void RunFor(int ms)
{
    RunUntil([] { return false; }, ms);
}

// A left click on the middle of a list row, delivered to the viewport as the window system would.
void ClickRow(QTreeWidget* list, QTreeWidgetItem* item)
{
    QWidget* viewport = list->viewport();
    const QPointF at = list->visualItemRect(item).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

QTreeWidgetItem* RowOfProgram(const MonitoringPage& page, const QString& path)
{
    QTreeWidget* list = page.ListView1();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const MonitorRow* row = page.RowOf(list->topLevelItem(i));
        if (row != nullptr && row->path == path)
            return list->topLevelItem(i);
    }
    return nullptr;
}

bool Save(QWidget* widget, const QString& folder, const char* name)
{
    const QString path = folder + "/" + name;
    if (!widget->grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Points the per-user folders at `home` before anything reads them, and keeps the run off the display.
void UseTemporaryHome(const QString& home)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", QFile::encodeName(home));
    for (const char* variable :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(variable, QFile::encodeName(home + "/" + variable));
    const QString runtime = home + "/XDG_RUNTIME_DIR";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    UseTemporaryHome(home.path());
    QApplication app(argc, argv);
    // The offscreen platform names no icon theme and no place to look for one; a desktop session would
    // give Debian's default theme from the system's icon folder.
    QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    // Figures with the separators most readers expect.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString folder = QString::fromLocal8Bit(argv[1]);

    test::FakePlatform fake;
    tools::FillPlatform(fake);
    SettingsStore settings;
    // The wired interface is the stored choice of the Data transfer page.
    settings.Save(kApplicationTitle, "Setting", "Connection", "1");
    FrmMain window(fake.platform, settings);
    if (!tools::AddRules(window.Rules())) {
        std::fprintf(stderr, "cannot store the rules\n");
        return 1;
    }
    // Traffic follows each meter tick, so that every tick sees exactly one step of it.
    int ticks = 0;
    QObject::connect(&window.tmrUpdate, &QTimer::timeout, &window, [&] { tools::AddTraffic(fake, ticks++); });
    window.show();
    window.LoadWindow();
    if (!RunUntil([&] { return ticks >= kTrafficTicks; }, 30'000))
        std::fprintf(stderr, "only %d meter ticks ran: the graph is short\n", ticks);

    bool ok = true;
    window.Navigation()->UserControl41()->ShowMenu(1);
    window.ShowPage(1);
    RunFor(50);
    ok &= Save(&window, folder, "data_transfer.png");
    window.Navigation()->UserControl41()->ShowMenu(2);
    window.ShowPage(2);
    RunFor(400); // one activity tick for the light
    ok &= Save(&window, folder, "options.png");
    window.Navigation()->UserControl41()->ShowMenu(3);
    window.ShowPage(3);
    RunFor(50);
    ok &= Save(&window, folder, "applications.png");

    window.Navigation()->UserControl41()->ShowMenu(4);
    window.ShowPage(4);
    MonitoringPage& monitoring = *window.Monitoring();
    QTreeWidgetItem* selected = RowOfProgram(monitoring, tools::kSelectedProgram);
    if (selected == nullptr) {
        std::fprintf(stderr, "the browser's connection is not listed\n");
        return 1;
    }
    bool paneFilled = false;
    QObject::connect(monitoring.Pane(), &DetailsPane::FileInfoShown, &window, [&] { paneFilled = true; });
    ClickRow(monitoring.ListView1(), selected);
    // The file facts, the host name and the icon arrive from worker threads.
    RunUntil([&] { return paneFilled; }, 5'000);
    RunFor(300);
    ok &= Save(&window, folder, "monitoring.png");

    frmAttempt* prompt = window.OpenPrompts() > 0 ? window.Prompts().Latest() : nullptr;
    if (prompt == nullptr) {
        std::fprintf(stderr, "no prompt opened for %s\n", tools::kUnknownProgram);
        return 1;
    }
    RunUntil([&] { return prompt->DetailLines().last().contains(tools::kUnknownHost); }, 5'000);
    RunFor(300);
    ok &= Save(prompt, folder, "prompt.png");
    // The prompt goes unanswered with the window; the settings go with the temporary folder.
    return ok ? 0 : 1;
}
