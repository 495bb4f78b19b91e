#pragma once
// Pointer input delivered straight to a widget, the way the window system delivers it, so that event
// filters see it before the widget does.
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace qb::test {

inline QPointF Centre(const QWidget* target)
{
    return QPointF(target->width() / 2.0, target->height() / 2.0);
}

inline void Enter(QWidget* target, QPointF at)
{
    QEnterEvent event(at, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
}

inline void Move(QWidget* target, QPointF at, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent event(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void Press(QWidget* target, QPointF at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent event(QEvent::MouseButtonPress, at, target->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void Release(QWidget* target, QPointF at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent event(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), button, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void Leave(QWidget* target)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(target, &event);
}

// Pointer comes in and rests on the widget.
inline void Hover(QWidget* target)
{
    Enter(target, Centre(target));
    Move(target, Centre(target));
}

inline void Click(QWidget* target)
{
    Press(target, Centre(target));
    Release(target, Centre(target));
}

// What the widget shows, as the screen would get it.
inline QImage Shot(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb Rgb(int r, int g, int b)
{
    return qRgb(r, g, b);
}

} // namespace qb::test
