#include "base/settings_store.h"
#include "platform/linux/linux_platform.h"
#include "shell/app_shell_window.h"
#include "shell/single_instance.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillbrook Personal Firewall");
    // Hidden main window and open prompts decide when the program ends, not the last visible window.
    QApplication::setQuitOnLastWindowClosed(false);
    // Outside a desktop session Qt knows no icon theme; program icons then come from Adwaita.
    QIcon::setFallbackThemeName("Adwaita");

    qb::SingleInstance instance;
    if (instance.Claim() == qb::InstanceRole::Secondary)
        return 0;

    qb::Platform platform = qb::linux_os::MakeLinuxPlatform(qb::linux_os::DefaultStateFolder());
    qb::SettingsStore settings;
    qb::AppShell shell(platform, settings);
    QObject::connect(&instance, &qb::SingleInstance::ShowRequested, &shell, &qb::AppShell::ShowMainWindow);
    QObject::connect(&shell, &qb::AppShell::Finished, &app, &QApplication::quit, Qt::QueuedConnection);
    shell.Start();
    return app.exec();
}
