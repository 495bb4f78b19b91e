#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the UI thread, so the program can release frozen
// programs, write its cache and remove its icon before it quits, instead of dying on the spot.
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace qb {

// Installs the handlers on construction and puts the previous ones back on destruction. The handler
// only writes the signal number to a pipe (all it may safely do); the notifier reads it on the UI
// thread. One instance at a time: a second one installs nothing and never reports. UI thread only.
class SignalExit : public QObject {
    Q_OBJECT
public:
    SignalExit();
    ~SignalExit() override;
    SignalExit(const SignalExit&) = delete;
    SignalExit& operator=(const SignalExit&) = delete;

    // False when the handlers could not be installed (another instance holds them, no pipe).
    bool Installed() const { return m_installed; }

signals:
    // Once per signal received; `signalNumber` is SIGTERM, SIGINT or SIGHUP.
    void ExitRequested(int signalNumber);

private:
    void ReadPipe();

    bool m_installed = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace qb
