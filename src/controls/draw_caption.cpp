#include "controls/draw_caption.h"

#include "controls/picture_box.h"

#include <cmath>

namespace qb {

int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

QRect DrawCaption(PictureBox& box, const QString& text, Qt::Alignment alignment, QPoint offset)
{
    const int w = box.width();
    const int h = box.height();
    // Rectangles are (left, top, right, bottom) with the right and bottom edges outside, as text drawing
    // calls take them.
    const auto edges = [](int left, int top, int right, int bottom) {
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    };
    const int textHeight = box.MeasureText(edges(4, 0, w - 4, h), Qt::TextWordWrap | Qt::AlignHCenter, text);
    const QRect rect = edges(4 + offset.x(), RoundHalfEven(h / 2.0 - textHeight / 2.0) + offset.y(), w - 4,
                             RoundHalfEven(textHeight / 2.0 + h / 2.0));
    box.DrawText(rect, static_cast<int>(Qt::TextWordWrap | Qt::AlignTop | alignment), text);
    return rect;
}

} // namespace qb
