#pragma once
// Starting the real program for an end-to-end test: a private home, and an allow rule for this test
// binary, which holds the local server's sockets and would otherwise be frozen by the program too.
#include "base/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace qb::test {

// The standard output of a shell command line.
inline std::string Output(const std::string& command)
{
    QProcess shell;
    shell.start("/bin/sh", {"-c", QString::fromStdString(command)});
    shell.waitForFinished(30000);
    return shell.readAllStandardOutput().toStdString();
}

// Stores rule 0 "allow" for this test binary under `home`; false when it cannot be written.
inline bool AllowThisTestBinary(const QTemporaryDir& home)
{
    SettingsStore settings(home.path() + "/config/Quillbrook");
    settings.Save(kFirewallApplication, "Programs", "ProgramCount", "0");
    settings.Save(kFirewallApplication, "Programs", "Path0", QCoreApplication::applicationFilePath());
    settings.Save(kFirewallApplication, "Programs", "Status0", "1");
    return settings.Sync();
}

// The program's environment: everything it writes stays under `home`; `display` empty means offscreen.
inline QProcessEnvironment AppEnvironment(const QTemporaryDir& home, const std::string& display)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (display.empty()) {
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("DISPLAY");
    } else {
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("DISPLAY", QString::fromStdString(display));
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    environment.insert("XDG_DATA_HOME", home.path() + "/data");
    environment.insert("XDG_STATE_HOME", home.path() + "/state");
    environment.insert("XDG_RUNTIME_DIR", home.path() + "/run");
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return environment;
}

} // namespace qb::test
