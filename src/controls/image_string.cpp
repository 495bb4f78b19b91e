#include "controls/image_string.h"

#include <QPainter>

#include <cmath>
#include <limits>

namespace qb {
namespace {

constexpr qint64 kTransparent = -1;
constexpr qint64 kNotANumber = std::numeric_limits<qint64>::min();

// Reads one element the way the painter needs it: a signed integer, or kNotANumber.
qint64 ReadElement(QStringView element)
{
    bool ok = false;
    const qint64 value = element.toLongLong(&ok);
    if (ok)
        return value;
    // A value written with a fraction still names a row index or a colour: keep the integer part.
    const double real = element.toDouble(&ok);
    if (!ok || !std::isfinite(real) || std::fabs(real) > 9.0e15)
        return kNotANumber;
    return static_cast<qint64>(std::trunc(real));
}

// Walks the pixel values of an image string in drawing order; `visit(column, row, value)` sees every
// element after the first, -1 and non-numbers included. Returns the index of the last column.
template <typename Visit> int WalkImageString(QStringView imageText, Visit&& visit)
{
    qsizetype start = 0;
    qsizetype comma = imageText.indexOf(u',');
    const QStringView first = comma < 0 ? imageText : imageText.first(comma);
    const qint64 lastRow = ReadElement(first);
    const qint64 h = lastRow == kNotANumber ? 0 : lastRow;
    qint64 row = 0;
    int column = 0;
    while (comma >= 0) {
        start = comma + 1;
        comma = imageText.indexOf(u',', start);
        const QStringView element =
            comma < 0 ? imageText.sliced(start) : imageText.sliced(start, comma - start);
        // The wrap comes only once row exceeds H, so each column holds H + 1 values.
        if (row > h) {
            row = 0;
            ++column;
        }
        visit(column, row, ReadElement(element));
        ++row;
    }
    return column;
}

} // namespace

QColor PackedColor(qint32 packed)
{
    const auto bits = static_cast<quint32>(packed);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

qint32 PackColor(const QColor& colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

qint16 DrawImageString(QPainter& painter, qint16 stretch, const QString& imageText, qint16 x, qint16 y)
{
    const int column = WalkImageString(imageText, [&](int col, qint64 row, qint64 value) {
        if (value == kTransparent || value == kNotANumber || stretch < 1)
            return;
        // The run covers exactly `stretch` pixels: the line primitive it stands for leaves out its end.
        painter.fillRect(QRect(x + col, static_cast<int>(y + row), stretch, 1),
                         PackedColor(static_cast<qint32>(value)));
    });
    return static_cast<qint16>(column);
}

qint16 DrawImageString(QImage& surface, qint16 stretch, const QString& imageText, qint16 x, qint16 y)
{
    QPainter painter(&surface);
    return DrawImageString(painter, stretch, imageText, x, y);
}

QSize ImageStringSize(const QString& imageText)
{
    int rows = 0;
    bool any = false;
    const int lastColumn = WalkImageString(imageText, [&](int, qint64 row, qint64) {
        any = true;
        rows = std::max(rows, static_cast<int>(row) + 1);
    });
    return any ? QSize(lastColumn + 1, rows) : QSize();
}

QImage ImageStringToImage(const QString& imageText)
{
    const QSize size = ImageStringSize(imageText);
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawImageString(painter, 1, imageText, 0, 0);
    return image;
}

} // namespace qb
