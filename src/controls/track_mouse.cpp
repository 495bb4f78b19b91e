#include "controls/track_mouse.h"

namespace qb {

TrackMouse::TrackMouse(QObject* parent) : QObject(parent) {}

TrackMouse::~TrackMouse() = default;

void TrackMouse::Watch(QWidget* widget)
{
    auto link = std::make_unique<CTrackMouse>();
    connect(link.get(), &CTrackMouse::MouseOver, this, &TrackMouse::MouseOver);
    connect(link.get(), &CTrackMouse::MouseOut, this, &TrackMouse::MouseOut);
    connect(link.get(), &CTrackMouse::MouseLeftDown, this, &TrackMouse::MouseLeftDown);
    connect(link.get(), &CTrackMouse::MouseLeftUp, this, &TrackMouse::MouseLeftUp);
    // The old tracker stops watching when it goes, which frees the widget's key for the new one. It may
    // be in the middle of raising an event, so it is deleted from the event loop.
    if (m_tmLink) {
        m_tmLink->SetTrackObject(nullptr);
        m_tmLink.release()->deleteLater();
    }
    m_tmLink = std::move(link);
    m_tmLink->SetTrackObject(widget);
}

void TrackMouse::CloseWatch()
{
    if (m_tmLink)
        m_tmLink->SetTrackObject(nullptr);
}

} // namespace qb
