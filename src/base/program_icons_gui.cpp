#include "base/program_icons_gui.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMutex>
#include <QPointer>
#include <QThreadPool>

namespace qb {
namespace {

const char* const kGenericIcon = "application-x-executable";

} // namespace

// The index lives with the worker jobs, so a job still running when the owner goes away stays valid.
struct ProgramIcons::Shared {
    QMutex mutex;
    DesktopEntryIndex index;
    QThreadPool pool;
    explicit Shared(QStringList folders) : index(std::move(folders)) { pool.setMaxThreadCount(1); }
};

ProgramIcons::ProgramIcons(QStringList applicationFolders, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>(std::move(applicationFolders)))
{
}

ProgramIcons::~ProgramIcons() = default;

QPixmap ProgramIcons::GenericIcon(int size) const
{
    return QIcon::fromTheme(kGenericIcon).pixmap(size, size);
}

QPixmap ProgramIcons::Icon(const QString& path, int size)
{
    const auto known = m_iconNames.constFind(path);
    if (known == m_iconNames.constEnd()) {
        if (!m_pending.contains(path) && !path.isEmpty()) {
            m_pending.insert(path);
            QPointer<ProgramIcons> self(this);
            std::shared_ptr<Shared> shared = m_shared;
            shared->pool.start([self, shared, path] {
                QString icon;
                {
                    QMutexLocker lock(&shared->mutex);
                    icon = shared->index.IconFor(path);
                }
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, path, icon] {
                        if (self)
                            self->Resolved(path, icon);
                    },
                    Qt::QueuedConnection);
            });
        }
        return GenericIcon(size);
    }
    const QString key = path + '\n' + QString::number(size);
    if (const auto cached = m_pixmaps.constFind(key); cached != m_pixmaps.constEnd())
        return *cached;
    QIcon icon;
    if (QFileInfo(*known).isAbsolute())
        icon = QIcon(*known);
    else if (!known->isEmpty())
        icon = QIcon::fromTheme(*known);
    QPixmap pixmap = icon.pixmap(size, size);
    if (pixmap.isNull())
        pixmap =
            QIcon::fromTheme(QFileInfo(path).fileName(), QIcon::fromTheme(kGenericIcon)).pixmap(size, size);
    m_pixmaps.insert(key, pixmap);
    return pixmap;
}

void ProgramIcons::Retain(const QSet<QString>& paths)
{
    for (auto it = m_iconNames.begin(); it != m_iconNames.end();)
        it = paths.contains(it.key()) ? std::next(it) : m_iconNames.erase(it);
    for (auto it = m_pixmaps.begin(); it != m_pixmaps.end();)
        it = paths.contains(it.key().left(it.key().lastIndexOf(u'\n'))) ? std::next(it) : m_pixmaps.erase(it);
}

void ProgramIcons::Resolved(const QString& path, const QString& iconName)
{
    m_pending.remove(path);
    m_iconNames.insert(path, iconName);
    emit IconReady(path);
}

} // namespace qb
