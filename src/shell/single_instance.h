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
    Unguarded, // no lock can be taken: the program must not run, or two could release each other's work
};

// Lock and socket live in `folder`, which must belong to the user and be closed to others. Destroying
// the primary releases both. UI thread only (the notifier needs the event loop).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // $XDG_RUNTIME_DIR when it is set, private and writable, else `fallback` (the private state folder)
    // when it is; empty when neither is. A folder in /tmp is never used: another user could take its name.
    static QString DefaultFolder(const QString& fallback);

    explicit SingleInstance(QString folder, QString name = QStringLiteral("quillbrook"));
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Decides the role once; later calls return the same. Unguarded when the folder is unusable (no
    // folder, not private, no lock possible). A primary whose socket cannot be made (a path too long)
    // still holds the lock. A secondary whose request cannot be delivered within about two seconds still
    // reports Secondary.
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
