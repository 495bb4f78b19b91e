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
    // Composited straight from premultiplied pixels in integers: Qt's own unpremultiply picks a SIMD
    // variant by CPU, and those round differently by one step, so the catalogue would depend on the
    // machine that ran the generator.
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<Column> columns;
    for (int x = 0; x < premultiplied.width(); ++x) {
        Column column;
        for (int y = 0; y < premultiplied.height(); ++y) {
            const QRgb pixel = premultiplied.pixel(x, y);
            const int alpha = qAlpha(pixel);
            if (alpha < kAlphaCutOff) {
                column.push_back(kTransparent);
                continue;
            }
            const QColor under = matte(y);
            const auto over = [alpha](int premultipliedChannel, int underChannel) {
                return std::min(255, premultipliedChannel + (underChannel * (255 - alpha) + 127) / 255);
            };
            column.push_back(Pack(QColor(over(qRed(pixel), under.red()), over(qGreen(pixel), under.green()),
                                         over(qBlue(pixel), under.blue()))));
        }
        columns.push_back(std::move(column));
    }
    return EncodeColumns(columns);
}

QImage Brighten(const QImage& image, double amount)
{
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage bright(premultiplied.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < bright.height(); ++y) {
        for (int x = 0; x < bright.width(); ++x) {
            const QRgb p = premultiplied.pixel(x, y);
            const int alpha = qAlpha(p);
            if (alpha == 0) {
                bright.setPixel(x, y, 0);
                continue;
            }
            // Unpremultiplied by hand for the same reason as in EncodeImage.
            const auto straight = [alpha](int c) { return std::min(255, (c * 255 + alpha / 2) / alpha); };
            QColor colour = QColor(straight(qRed(p)), straight(qGreen(p)), straight(qBlue(p))).toHsv();
            // Lift the value and soften the saturation a little: brighter, not washed out.
            const int value = std::min(
                255, static_cast<int>(std::lround(colour.value() * (1.0 + amount) + 255 * amount / 2)));
            const int saturation = static_cast<int>(std::lround(colour.hsvSaturation() * (1.0 - amount / 2)));
            colour.setHsv(colour.hsvHue(), saturation, value);
            const QColor rgb = colour.toRgb();
            const auto again = [alpha](int c) { return (c * alpha + 127) / 255; };
            bright.setPixel(x, y, qRgba(again(rgb.red()), again(rgb.green()), again(rgb.blue()), alpha));
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
