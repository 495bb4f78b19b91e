#pragma once
// Pictures stored as text: "H,c0,c1,..." where H is the index of the last row and the colour values
// follow column by column, top to bottom. A value is red + 256 * green + 65536 * blue; -1 is transparent.
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace qb {

// Colour of a packed value (red in the low byte). Bits above the 24 colour bits are ignored.
QColor PackedColor(qint32 packed);
qint32 PackColor(const QColor& colour);

// Draws an image string with its top-left pixel at (x, y) and returns the index of the last column.
// Every pixel becomes a horizontal run of `stretch` pixels, so a later column overdraws all but the first
// pixel of the runs before it and the last column ends up `stretch` wide. A stretch below 1 draws nothing
// but still counts the columns. An element that is not a number is transparent. Never fails.
qint16 DrawImageString(QPainter& painter, qint16 stretch, const QString& imageText, qint16 x, qint16 y);
qint16 DrawImageString(QImage& surface, qint16 stretch, const QString& imageText, qint16 x, qint16 y);

// Width and height the string describes (a short last column counts as a column); empty when the
// string holds no pixel values.
QSize ImageStringSize(const QString& imageText);

// The picture as an ARGB image, transparent where the string says -1. An empty string gives a null image.
QImage ImageStringToImage(const QString& imageText);

} // namespace qb
