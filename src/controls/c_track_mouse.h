#pragma once
// Follows the pointer over one widget and reports it entering or resting on it, leaving it, and the
// left button going down and up.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace qb {

// A pointer tracker for one watched widget, installed as an event filter so that each of its events is
// raised before the widget's own handling. `MouseOver` is raised on entering and again after every move
// inside the widget; `MouseOut` once on leaving; `MouseLeftUp` only when the button is released over the
// widget. While tracking, the tracker is held by a process-wide registry keyed by the watched widget, so
// one widget has at most one tracker. UI thread only.
class CTrackMouse : public QObject {
    Q_OBJECT
public:
    CTrackMouse() = default;
    ~CTrackMouse() override;

    QWidget* TrackObject() const { return m_trackObject; }
    // nullptr stops tracking and clears; a widget is stored and tracking starts.
    void SetTrackObject(QWidget* trackObject);

    // Install the tracker on the watched widget. Does nothing without a widget, and installs nothing when
    // another tracker already watches it. Always false.
    bool StartTracking();
    // Remove the tracker from the watched widget. Does nothing without a widget. Always false.
    bool StopTracking();
    bool IsTracking() const { return m_tracking; }

    // Registry key of a widget: its address in decimal followed by "TM".
    static QString RegistryKey(const QObject* watched);
    // Whether some tracker is registered for the widget.
    static bool IsRegistered(const QObject* watched);

signals:
    void MouseOver();
    void MouseOut();
    void MouseLeftDown();
    void MouseLeftUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Unregister();
    void ForgetDestroyedObject();

    QPointer<QWidget> m_trackObject;
    QString m_registryKey;
    bool m_tracking = false;
    bool m_previousMouseTracking = false;
    QMetaObject::Connection m_destroyedConnection;
};

} // namespace qb
