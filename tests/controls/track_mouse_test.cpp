#include "controls/c_track_mouse.h"
#include "controls/track_mouse.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <memory>

namespace qb {
namespace {

using test::Centre;

// A widget that logs its own handling of pointer events.
class LoggingWidget : public QWidget {
public:
    LoggingWidget() { resize(40, 20); }
    QStringList log;

protected:
    void enterEvent(QEnterEvent*) override { log << "widget:enter"; }
    void leaveEvent(QEvent*) override { log << "widget:leave"; }
    void mouseMoveEvent(QMouseEvent*) override { log << "widget:move"; }
    void mousePressEvent(QMouseEvent*) override { log << "widget:press"; }
    void mouseReleaseEvent(QMouseEvent*) override { log << "widget:release"; }
};

// What the tracker raises goes into the same log, so the order against the widget's handling shows.
class TrackMouseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&tracker, &TrackMouse::MouseOver, [this] { log << "over"; });
        QObject::connect(&tracker, &TrackMouse::MouseOut, [this] { log << "out"; });
        QObject::connect(&tracker, &TrackMouse::MouseLeftDown, [this] { log << "down"; });
        QObject::connect(&tracker, &TrackMouse::MouseLeftUp, [this] { log << "up"; });
        tracker.Watch(&widget);
    }
    LoggingWidget widget;
    QStringList& log = widget.log;
    TrackMouse tracker;
};

TEST_F(TrackMouseTest, EventsComeBeforeTheWidgetsOwnHandlingForTheLeftButtonAndAReleaseOverTheWidgetOnly)
{
    test::Enter(&widget, Centre(&widget));
    test::Move(&widget, Centre(&widget));
    test::Move(&widget, QPointF(1, 1)); // every move re-arms the tracker, which must not multiply it
    test::Press(&widget, Centre(&widget), Qt::RightButton);
    test::Release(&widget, Centre(&widget), Qt::RightButton);
    test::Press(&widget, Centre(&widget));
    test::Release(&widget, QPointF(200, 5)); // dragged off before letting go
    test::Press(&widget, Centre(&widget));
    test::Release(&widget, Centre(&widget));
    test::Leave(&widget);
    EXPECT_EQ(log, QStringList({"over", "widget:enter", "over", "widget:move", "over", "widget:move",
                                "widget:press", "widget:release", "down", "widget:press", "widget:release",
                                "down", "widget:press", "up", "widget:release", "out", "widget:leave"}));
}

TEST_F(TrackMouseTest, WatchingAgainReplacesTheTrackerAndCloseWatchGivesTheWidgetBack)
{
    tracker.Watch(&widget);
    test::Move(&widget, QPointF(1, 1));
    EXPECT_TRUE(log.count(QStringLiteral("over")) == 1 && widget.hasMouseTracking());
    log.clear();
    tracker.CloseWatch();
    EXPECT_FALSE(CTrackMouse::IsRegistered(&widget) || widget.hasMouseTracking());
    test::Click(&widget);
    EXPECT_EQ(log, QStringList({"widget:press", "widget:release"}));
}

TEST(CTrackMouseTest, OneWidgetHasOneTrackerAndNoKeyOutlivesTheTrackerOrTheWidget)
{
    QWidget widget;
    auto first = std::make_unique<CTrackMouse>();
    CTrackMouse second;
    first->SetTrackObject(&widget);
    second.SetTrackObject(&widget);
    EXPECT_TRUE(first->IsTracking() && !second.IsTracking());
    first.reset();
    EXPECT_FALSE(CTrackMouse::IsRegistered(&widget));
    test::Hover(&widget); // no dangling filter
    auto doomed = std::make_unique<QWidget>();
    const QWidget* address = doomed.get();
    second.SetTrackObject(doomed.get());
    doomed.reset();
    EXPECT_FALSE(CTrackMouse::IsRegistered(address));
    EXPECT_TRUE(second.TrackObject() == nullptr && !second.IsTracking());
}

TEST(CTrackMouseTest, AHandlerMayDestroyTheWatchedWidget)
{
    QPointer<QWidget> widget = new QWidget;
    CTrackMouse tracker;
    tracker.SetTrackObject(widget);
    QObject::connect(&tracker, &CTrackMouse::MouseLeftUp, [&] { delete widget.data(); });
    test::Press(widget, QPointF(1, 1));
    test::Release(widget, QPointF(1, 1));
    EXPECT_TRUE(widget.isNull() && !tracker.IsTracking());
}

} // namespace
} // namespace qb
