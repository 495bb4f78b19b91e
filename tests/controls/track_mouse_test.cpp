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
        widget = std::make_unique<LoggingWidget>(log);
        connect(QStringLiteral("over"), &TrackMouse::MouseOver);
        connect(QStringLiteral("out"), &TrackMouse::MouseOut);
        connect(QStringLiteral("down"), &TrackMouse::MouseLeftDown);
        connect(QStringLiteral("up"), &TrackMouse::MouseLeftUp);
    }

    void connect(const QString& name, void (TrackMouse::*signal)())
    {
        QObject::connect(&tracker, signal, [this, name] { log << name; });
    }

    QStringList log;
    std::unique_ptr<LoggingWidget> widget;
    TrackMouse tracker;
};

TEST_F(TrackMouseTest, EachEventIsRaisedBeforeTheWidgetsOwnHandling)
{
    tracker.Watch(widget.get());
    test::Enter(widget.get(), Centre(widget.get()));
    test::Move(widget.get(), Centre(widget.get()));
    test::Press(widget.get(), Centre(widget.get()));
    test::Release(widget.get(), Centre(widget.get()));
    test::Leave(widget.get());
    EXPECT_EQ(log, QStringList({"over", "widget:enter", "over", "widget:move", "down", "widget:press", "up",
                                "widget:release", "out", "widget:leave"}));
}

TEST_F(TrackMouseTest, EveryMoveRaisesMouseOverAgainAndLeavingRaisesOneMouseOut)
{
    tracker.Watch(widget.get());
    for (int x = 1; x <= 5; ++x)
        test::Move(widget.get(), QPointF(x, 5));
    test::Leave(widget.get());
    EXPECT_EQ(log.count(QStringLiteral("over")), 5);
    EXPECT_EQ(log.count(QStringLiteral("out")), 1);
    // Every move re-arms the tracker, which must not multiply it.
    EXPECT_EQ(log.count(QStringLiteral("widget:move")), 5);
}

TEST_F(TrackMouseTest, OnlyTheLeftButtonCountsAndOnlyAReleaseOverTheWidget)
{
    tracker.Watch(widget.get());
    test::Press(widget.get(), Centre(widget.get()), Qt::RightButton);
    test::Release(widget.get(), Centre(widget.get()), Qt::RightButton);
    test::Press(widget.get(), Centre(widget.get()));
    test::Release(widget.get(), QPointF(200, 5)); // dragged off before letting go
    EXPECT_EQ(log.count(QStringLiteral("down")), 1);
    EXPECT_EQ(log.count(QStringLiteral("up")), 0);
}

TEST_F(TrackMouseTest, CloseWatchGivesTheWidgetBackAndFreesItsKey)
{
    widget->setMouseTracking(false);
    tracker.Watch(widget.get());
    EXPECT_TRUE(CTrackMouse::IsRegistered(widget.get()));
    EXPECT_TRUE(widget->hasMouseTracking());
    tracker.CloseWatch();
    EXPECT_FALSE(CTrackMouse::IsRegistered(widget.get()));
    EXPECT_FALSE(widget->hasMouseTracking());
    test::Click(widget.get());
    EXPECT_EQ(log, QStringList({"widget:press", "widget:release"}));
}

TEST_F(TrackMouseTest, RegistryKeyIsTheAddressFollowedByTm)
{
    EXPECT_EQ(CTrackMouse::RegistryKey(widget.get()),
              QString::number(reinterpret_cast<quintptr>(widget.get())) + QStringLiteral("TM"));
}

TEST(CTrackMouseTest, WithoutATrackObjectStartAndStopDoNothing)
{
    CTrackMouse tracker;
    EXPECT_FALSE(tracker.StartTracking());
    EXPECT_FALSE(tracker.IsTracking());
    EXPECT_FALSE(tracker.StopTracking());
    EXPECT_EQ(tracker.TrackObject(), nullptr);
}

TEST(CTrackMouseTest, ASecondTrackerForTheSameWidgetIsRefused)
{
    QWidget widget;
    CTrackMouse first;
    CTrackMouse second;
    first.SetTrackObject(&widget);
    second.SetTrackObject(&widget);
    EXPECT_TRUE(first.IsTracking());
    EXPECT_FALSE(second.IsTracking());
    int overs = 0;
    QObject::connect(&second, &CTrackMouse::MouseOver, [&] { ++overs; });
    test::Hover(&widget);
    EXPECT_EQ(overs, 0);
}

TEST(CTrackMouseTest, DestroyingTheTrackerStopsTracking)
{
    QWidget widget;
    {
        CTrackMouse tracker;
        tracker.SetTrackObject(&widget);
        EXPECT_TRUE(CTrackMouse::IsRegistered(&widget));
    }
    EXPECT_FALSE(CTrackMouse::IsRegistered(&widget));
    test::Hover(&widget); // no dangling filter
}

TEST(CTrackMouseTest, ADestroyedWidgetLeavesNoKeyBehind)
{
    CTrackMouse tracker;
    auto widget = std::make_unique<QWidget>();
    const QWidget* address = widget.get();
    tracker.SetTrackObject(widget.get());
    widget.reset();
    EXPECT_FALSE(CTrackMouse::IsRegistered(address));
    EXPECT_EQ(tracker.TrackObject(), nullptr);
    EXPECT_FALSE(tracker.IsTracking());
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
    EXPECT_TRUE(guard.isNull());
    EXPECT_FALSE(tracker.IsTracking());
}

TEST(TrackMouseWatchTest, WatchingAgainReplacesTheTracker)
{
    QWidget widget;
    TrackMouse tracker;
    int overs = 0;
    QObject::connect(&tracker, &TrackMouse::MouseOver, [&] { ++overs; });
    tracker.Watch(&widget);
    tracker.Watch(&widget);
    test::Move(&widget, QPointF(1, 1));
    EXPECT_EQ(overs, 1);
    EXPECT_TRUE(CTrackMouse::IsRegistered(&widget));
}

} // namespace
} // namespace qb
