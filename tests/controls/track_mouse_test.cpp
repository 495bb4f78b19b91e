#include "controls/c_track_mouse.h"
#include "controls/track_mouse.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <memory>

namespace qb {
namespace {

using test::Centre;

// A widget that writes its own handling of pointer events into a shared log.
class LoggingWidget : public QWidget {
public:
    explicit LoggingWidget(QStringList& log) : m_log(log) { resize(40, 20); }

protected:
    void enterEvent(QEnterEvent*) override { m_log << QStringLiteral("widget:enter"); }
    void leaveEvent(QEvent*) override { m_log << QStringLiteral("widget:leave"); }
    void mouseMoveEvent(QMouseEvent*) override { m_log << QStringLiteral("widget:move"); }
    void mousePressEvent(QMouseEvent*) override { m_log << QStringLiteral("widget:press"); }
    void mouseReleaseEvent(QMouseEvent*) override { m_log << QStringLiteral("widget:release"); }

private:
    QStringList& m_log;
};

class TrackMouseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&tracker, &TrackMouse::MouseOver, [this] { log << QStringLiteral("over"); });
        QObject::connect(&tracker, &TrackMouse::MouseOut, [this] { log << QStringLiteral("out"); });
        QObject::connect(&tracker, &TrackMouse::MouseLeftDown, [this] { log << QStringLiteral("down"); });
        QObject::connect(&tracker, &TrackMouse::MouseLeftUp, [this] { log << QStringLiteral("up"); });
        tracker.Watch(&widget);
    }
    QStringList log;
    LoggingWidget widget{log};
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
    EXPECT_EQ(log.count(QStringLiteral("over")), 1);
    EXPECT_TRUE(widget.hasMouseTracking());
    log.clear();
    tracker.CloseWatch();
    EXPECT_FALSE(CTrackMouse::IsRegistered(&widget) || widget.hasMouseTracking());
    test::Click(&widget);
    EXPECT_EQ(log, QStringList({"widget:press", "widget:release"}));
}

TEST(CTrackMouseTest, OneWidgetHasOneTrackerAndNoKeyOutlivesTheTrackerOrTheWidget)
{
    CTrackMouse idle;
    idle.StartTracking(); // without a widget nothing starts
    EXPECT_FALSE(idle.IsTracking());
    QWidget widget;
    auto first = std::make_unique<CTrackMouse>();
    CTrackMouse second;
    first->SetTrackObject(&widget);
    second.SetTrackObject(&widget);
    EXPECT_TRUE(first->IsTracking() && !second.IsTracking());
    int overs = 0;
    QObject::connect(&second, &CTrackMouse::MouseOver, [&] { ++overs; });
    test::Hover(&widget);
    EXPECT_EQ(overs, 0);
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
    auto* widget = new QWidget;
    QPointer<QWidget> guard(widget);
    CTrackMouse tracker;
    tracker.SetTrackObject(widget);
    QObject::connect(&tracker, &CTrackMouse::MouseLeftUp, [&] { delete guard.data(); });
    test::Press(widget, QPointF(1, 1));
    test::Release(widget, QPointF(1, 1));
    EXPECT_TRUE(guard.isNull() && !tracker.IsTracking());
}

} // namespace
} // namespace qb
