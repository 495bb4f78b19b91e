#include "controls/shape_outline.h"

#include "controls/image_string.h"

#include <QPainter>

namespace qb {

ShapeOutline::ShapeOutline(qint32 packedColour, QWidget* parent) : QWidget(parent), m_colour(packedColour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void ShapeOutline::paintEvent(QPaintEvent*)
{
    // Every other pixel, counted round the frame, so the corners stay crisp at any size.
    QPainter painter(this);
    const QColor colour = PackedColor(m_colour);
    const int right = width() - 1;
    const int bottom = height() - 1;
    for (int x = 0; x <= right; x += 2) {
        painter.fillRect(x, 0, 1, 1, colour);
        painter.fillRect(x, bottom, 1, 1, colour);
    }
    for (int y = 0; y <= bottom; y += 2) {
        painter.fillRect(0, y, 1, 1, colour);
        painter.fillRect(right, y, 1, 1, colour);
    }
}

} // namespace qb
