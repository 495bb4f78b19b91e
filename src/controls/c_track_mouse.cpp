#include "controls/c_track_mouse.h"

#include <QEvent>
#include <QHash>
#include <QMouseEvent>

namespace qb {
namespace {

// Trackers by watched widget. Entries do not own their tracker: a tracker leaves the registry when it stops
// tracking, at the latest when it is destroyed. The registry itself is never destroyed, so trackers still
// registered at exit never meet a dead registry.
QHash<QString, CTrackMouse*>& Registry()
{
    static auto* registry = new QHash<QString, CTrackMouse*>;
    return *registry;
}

} // namespace

CTrackMouse::~CTrackMouse()
{
    SetTrackObject(nullptr);
}

void CTrackMouse::SetTrackObject(QWidget* trackObject)
{
    if (trackObject == nullptr) {
        StopTracking();
        QObject::disconnect(m_destroyedConnection);
        m_trackObject = nullptr;
        return;
    }
    QObject::disconnect(m_destroyedConnection);
    m_trackObject = trackObject;
    m_destroyedConnection =
        connect(trackObject, &QObject::destroyed, this, &CTrackMouse::ForgetDestroyedObject);
    StartTracking();
}

bool CTrackMouse::StartTracking()
{
    if (m_trackObject == nullptr)
        return false;
    if (m_tracking)
        StopTracking();
    const QString key = RegistryKey(m_trackObject);
    auto& registry = Registry();
    if (registry.contains(key))
        return false;
    registry.insert(key, this);
    m_registryKey = key;
    m_previousMouseTracking = m_trackObject->hasMouseTracking();
    // Moves without a pressed button are what re-arms the hover report.
    m_trackObject->setMouseTracking(true);
    m_trackObject->installEventFilter(this);
    m_tracking = true;
    return false;
}

bool CTrackMouse::StopTracking()
{
    if (m_trackObject == nullptr)
        return false;
    if (m_tracking) {
        m_trackObject->removeEventFilter(this);
        m_trackObject->setMouseTracking(m_previousMouseTracking);
        Unregister();
    }
    m_tracking = false;
    return false;
}

QString CTrackMouse::RegistryKey(const QObject* watched)
{
    return QString::number(reinterpret_cast<quintptr>(watched)) + QStringLiteral("TM");
}

bool CTrackMouse::IsRegistered(const QObject* watched)
{
    return Registry().contains(RegistryKey(watched));
}

void CTrackMouse::Unregister()
{
    auto& registry = Registry();
    const auto found = registry.constFind(m_registryKey);
    if (found != registry.constEnd() && *found == this)
        registry.erase(found);
    m_registryKey.clear();
}

void CTrackMouse::ForgetDestroyedObject()
{
    // The widget is gone: its address may be reused, so its key must not outlive it. The widget itself
    // can no longer be touched, hence no StopTracking.
    if (m_tracking)
        Unregister();
    m_tracking = false;
    m_trackObject = nullptr;
}

bool CTrackMouse::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_trackObject)
        return false;
    // A handler may close the window it watches or drop this tracker; neither may be touched then.
    const QPointer<CTrackMouse> self(this);
    const QPointer<QObject> target(watched);
    switch (event->type()) {
    case QEvent::Enter:
        emit MouseOver();
        break;
    case QEvent::MouseMove: {
        StartTracking();
        if (self)
            emit MouseOver();
        break;
    }
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            emit MouseLeftDown();
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // The widget keeps the pointer while the button is held; a release elsewhere is not over it.
        if (mouse->button() == Qt::LeftButton && m_trackObject->rect().contains(mouse->position().toPoint()))
            emit MouseLeftUp();
        break;
    }
    case QEvent::Leave:
        emit MouseOut();
        break;
    default:
        break;
    }
    // Returning true swallows the event, which is all that is safe once the receiver is gone.
    return target.isNull();
}

} // namespace qb
