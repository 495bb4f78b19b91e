#pragma once
// Caption placement shared by the drawn buttons and the menu strip entries.
#include <QPoint>
#include <QRect>
#include <QString>

namespace qb {

class PictureBox;

// Twips per pixel, for the sizes the controls set on themselves.
inline constexpr int kTwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// Rounds to the nearest integer, halves to even.
int RoundHalfEven(double value);

// Measures `text` word-wrapped and centred in the box less a 4-pixel margin on each side, then draws it
// vertically centred in that band with `alignment` (Qt::AlignLeft or Qt::AlignHCenter) in the box's fore
// colour. `offset` moves the left and top edges of the final rectangle only. Returns that rectangle.
QRect DrawCaption(PictureBox& box, const QString& text, Qt::Alignment alignment, QPoint offset = {});

} // namespace qb
