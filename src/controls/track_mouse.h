#pragma once
// The hover tracker as a part a drawn control places on itself: it tells the tracker which inner widget
// to watch and passes its four events on.
#include "controls/c_track_mouse.h"

#include <QObject>

#include <memory>

namespace qb {

// Wraps one CTrackMouse (`tmLink`) and re-raises its events one to one. Invisible; UI thread only.
class TrackMouse : public QObject {
    Q_OBJECT
public:
    explicit TrackMouse(QObject* parent = nullptr);
    ~TrackMouse() override;

    // Starts watching `widget` with a new tracker; the previous tracker, if any, is dropped.
    void Watch(QWidget* widget);
    // Stops watching; the widget gets its own handling back.
    void CloseWatch();

    CTrackMouse* Link() const { return m_tmLink.get(); }

signals:
    void MouseOver();
    void MouseOut();
    void MouseLeftDown();
    void MouseLeftUp();

private:
    std::unique_ptr<CTrackMouse> m_tmLink;
};

} // namespace qb
