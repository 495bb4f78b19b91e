#pragma once
// A dotted rectangle outline laid over a drawn button while it is held down.
#include <QWidget>

namespace qb {

// Draws a one-pixel dotted frame along its own edges in a packed colour. Lets the pointer through to
// what lies below. UI thread only.
class ShapeOutline : public QWidget {
    Q_OBJECT
public:
    ShapeOutline(qint32 packedColour, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint32 m_colour;
};

} // namespace qb
