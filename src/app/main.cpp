#include "base/settings_store.h"
#include "platform/linux/freeze_guardian.h"
#include "platform/linux/linux_platform.h"
#include "shell/app_shell_window.h"
#include "shell/command_line.h"
#include "shell/single_instance.h"

#include <QApplication>
#include <QIcon>

#include <sys/auxv.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication::setApplicationName("Quillbrook Personal Firewall");
    // --help and --version answer before a display is needed.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    qb::CommandLine options;
    QString message;
    switch (qb::ParseCommandLine(arguments, options, message)) {
    case qb::CommandLineOutcome::ExitOk:
        std::fputs(message.toLocal8Bit().constData(), stdout);
        return 0;
    case qb::CommandLineOutcome::ExitUsage:
        std::fputs(message.toLocal8Bit().constData(), stderr);
        return 2;
    case qb::CommandLineOutcome::Run:
        break;
    }

    // Forked before Qt starts any thread: it continues frozen programs should this process be killed.
    const auto guardian = qb::linux_os::FreezeGuardian::Start();
    if (!guardian)
        std::fputs(
            "quillbrook: no guardian process: should this program be killed, the programs it froze stay "
            "frozen until its next start\n",
            stderr);

    // With the file capability the package gives, the user running the program must not be able to make
    // it load code from folders of their choosing (the dynamic loader already ignores LD_* then).
    if (::getauxval(AT_SECURE) != 0) {
        for (const char* name : {"QT_PLUGIN_PATH", "QT_QPA_PLATFORM_PLUGIN_PATH"})
            ::unsetenv(name);
    }
    QApplication app(argc, argv);
    // Hidden main window and open prompts decide when the program ends, not the last visible window.
    QApplication::setQuitOnLastWindowClosed(false);
    // Outside a desktop session Qt knows no icon theme; program icons then come from Adwaita.
    QIcon::setFallbackThemeName("Adwaita");
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quillbrook")));

    const std::string stateFolder = qb::linux_os::DefaultStateFolder();
    qb::SingleInstance instance(qb::SingleInstance::DefaultFolder(QString::fromStdString(stateFolder)));
    switch (instance.Claim()) {
    case qb::InstanceRole::Secondary:
        return 0;
    case qb::InstanceRole::Unguarded:
        std::fputs("quillbrook: neither $XDG_RUNTIME_DIR nor the state folder is a private folder for the "
                   "instance lock; not starting\n",
                   stderr);
        return 1;
    case qb::InstanceRole::Primary:
        break;
    }

    qb::Platform platform = qb::linux_os::MakeLinuxPlatform(stateFolder, guardian.get());
    qb::SettingsStore settings;
    qb::AppShell shell(platform, settings, qb::AppShellOptions{options.minimized});
    QObject::connect(&instance, &qb::SingleInstance::ShowRequested, &shell, &qb::AppShell::ShowMainWindow);
    QObject::connect(&shell, &qb::AppShell::Finished, &app, &QApplication::quit, Qt::QueuedConnection);
    shell.Start();
    return app.exec();
}
