#pragma once
// One running instance per user: the first start holds a lock and listens on a socket in a folder only
// the user can reach; a later start finds the lock taken, asks the first to show its main window and
// exits.
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSocketNotifier;

namespace qb {

enum class InstanceRole {
    Primary,   // this process is the one instance; ShowRequested() reports later starts
    Secondary, // another instance runs; it was asked to show its main window
};

// Lock and socket live in `folder`, which must belong to the user and be closed to others. Destroying
// the primary releases both. UI thread only (the notifier needs the event loop).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // $XDG_RUNTIME_DIR when it is set and private, else /tmp/quillbrook-<uid>, created with mode 0700.
    // Empty when neither can be used safely.
    static QString DefaultFolder();

    explicit SingleInstance(QString folder = DefaultFolder(), QString name = QStringLiteral("quillbrook"));
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Decides the role once; later calls return the same. Primary also when the folder is unusable (no
    // folder, not private, no lock possible): a program that cannot check still runs. A secondary whose
    // request cannot be delivered within about two seconds still reports Secondary.
    [[nodiscard]] InstanceRole Claim();

    QString SocketPath() const;
    QString LockPath() const;

signals:
    // Another start of the program asked this one to show its main window.
    void ShowRequested();

private:
    void Listen();
    void AcceptPending();

    QString m_folder;
    QString m_name;
    std::optional<InstanceRole> m_role;
    int m_lockFd = -1;
    int m_listenFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace qb
