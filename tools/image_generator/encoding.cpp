#include "image_generator/encoding.h"

#include <algorithm>
#include <cmath>

namespace qb::tools {
namespace {

// Below this alpha an antialiased fringe pixel is left out rather than blended.
constexpr int kAlphaCutOff = 24;

int Mix(int a, int b, double t)
{
    return static_cast<int>(std::lround(a + (b - a) * t));
}

} // namespace

int Pack(const QColor& colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

Column GradientColumn(const QColor& from, const QColor& to, int count)
{
    Column column;
    for (int i = 0; i < count; ++i) {
        const double t = count > 1 ? static_cast<double>(i) / (count - 1) : 0.0;
        column.push_back(Pack(QColor(Mix(from.red(), to.red(), t), Mix(from.green(), to.green(), t),
                                     Mix(from.blue(), to.blue(), t))));
    }
    return column;
}

Column operator+(Column a, const Column& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Column Repeat(int packed, int count)
{
    return Column(static_cast<size_t>(count), packed);
}

QString EncodeColumns(const std::vector<Column>& columns)
{
    const size_t height = columns.empty() ? 0 : columns.front().size();
    QString text = QString::number(static_cast<int>(height) - 1);
    for (const Column& column : columns) {
        for (int value : column)
            text += u',' + QString::number(value);
    }
    return text;
}

QString EncodeImage(const QImage& image, const Matte& matte)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<Column> columns;
    for (int x = 0; x < argb.width(); ++x) {
        Column column;
        for (int y = 0; y < argb.height(); ++y) {
            const QRgb pixel = argb.pixel(x, y);
            const int alpha = qAlpha(pixel);
            if (alpha < kAlphaCutOff) {
                column.push_back(kTransparent);
                continue;
            }
            const QColor under = matte(y);
            const double t = alpha / 255.0;
            column.push_back(
                Pack(QColor(Mix(under.red(), qRed(pixel), t), Mix(under.green(), qGreen(pixel), t),
                            Mix(under.blue(), qBlue(pixel), t))));
        }
        columns.push_back(std::move(column));
    }
    return EncodeColumns(columns);
}

QImage Brighten(const QImage& image, double amount)
{
    QImage bright = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < bright.height(); ++y) {
        for (int x = 0; x < bright.width(); ++x) {
            const QRgb p = bright.pixel(x, y);
            QColor colour = QColor::fromRgb(p).toHsv();
            // Lift the value and soften the saturation a little: brighter, not washed out.
            const int value = std::min(
                255, static_cast<int>(std::lround(colour.value() * (1.0 + amount) + 255 * amount / 2)));
            const int saturation = static_cast<int>(std::lround(colour.hsvSaturation() * (1.0 - amount / 2)));
            colour.setHsv(colour.hsvHue(), saturation, value);
            const QColor rgb = colour.toRgb();
            bright.setPixel(x, y, qRgba(rgb.red(), rgb.green(), rgb.blue(), qAlpha(p)));
        }
    }
    return bright;
}

QStringList SplitPieces(const QString& imageText, int count)
{
    const QStringList elements = imageText.split(u',');
    QStringList pieces;
    const qsizetype total = elements.size();
    qsizetype begin = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype end = total * (i + 1) / count;
        QString piece = elements.mid(begin, end - begin).join(u',');
        if (i + 1 < count)
            piece += u',';
        pieces << piece;
        begin = end;
    }
    return pieces;
}

} // namespace qb::tools
