// Small fixed pictures: the tray padlock, the unknown-program picture, the attempts picture, the three
// status lights and the page banner's emblem.
#include "image_generator/catalogue.h"
#include "image_generator/encoding.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <cstring>

namespace qb::tools {
namespace {

const QColor kLightDesktop(240, 240, 240);

// A picture from rows of palette letters; '.' is transparent.
QImage FromGrid(const std::vector<const char*>& rows, const QHash<char, QColor>& palette)
{
    const int width = static_cast<int>(std::strlen(rows.front()));
    QImage image(width, static_cast<int>(rows.size()), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < width; ++x) {
            const char key = rows[static_cast<size_t>(y)][x];
            if (key != '.')
                image.setPixelColor(x, y, palette.value(key));
        }
    }
    return image;
}

// 10 x 12: grey shackle over a gold body with a keyhole.
QImage Padlock()
{
    const QHash<char, QColor> palette{
        {'d', QColor(104, 104, 112)}, {'l', QColor(176, 176, 184)}, {'o', QColor(150, 100, 12)},
        {'a', QColor(255, 230, 128)}, {'b', QColor(248, 206, 78)},  {'c', QColor(232, 180, 40)},
        {'e', QColor(212, 156, 24)},  {'k', QColor(92, 60, 8)},     {'m', QColor(150, 104, 20)},
    };
    return FromGrid({"...dddd...", //
                     "..dlddld..", //
                     "..dl..ld..", //
                     "..dl..ld..", //
                     "..dl..ld..", //
                     ".oooooooo.", //
                     "oaaaaaaaao", //
                     "obbbkkbbbo", //
                     "obbbkkbbbo", //
                     "occccmmcco", //
                     "oeeeeeeeeo", //
                     ".oooooooo."},
                    palette);
}

// 16 x 16: a program window with a question mark.
QImage UnknownProgram()
{
    const QHash<char, QColor> palette{
        {'f', QColor(84, 96, 124)},   {'t', QColor(58, 110, 200)},  {'u', QColor(96, 150, 230)},
        {'w', QColor(255, 255, 255)}, {'g', QColor(226, 230, 238)}, {'q', QColor(30, 76, 176)},
        {'s', QColor(170, 178, 196)},
    };
    return FromGrid({"................", //
                     "ffffffffffffffff", //
                     "fuuuuuuuuuuuuwwf", //
                     "fttttttttttttttf", //
                     "fwwwwwwwwwwwwwwf", //
                     "fwwwwwqqqqwwwwgf", //
                     "fwwwwqqwwqqwwwgf", //
                     "fwwwwwwwwqqwwwgf", //
                     "fwwwwwwwqqwwwwgf", //
                     "fwwwwwwqqwwwwwgf", //
                     "fwwwwwwqqwwwwwgf", //
                     "fwwwwwwwwwwwwwgf", //
                     "fwwwwwwqqwwwwwgf", //
                     "fgggggggggggggsf", //
                     "ffffffffffffffff", //
                     "................"},
                    palette);
}

// 16 x 16: a warning triangle, shown beside the count of connection attempts.
QImage Attempts()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(8, 1.2);
    triangle.lineTo(15.2, 14.5);
    triangle.lineTo(0.8, 14.5);
    triangle.closeSubpath();
    QLinearGradient fill(QPointF(0, 2), QPointF(0, 15));
    fill.setColorAt(0, QColor(255, 232, 120));
    fill.setColorAt(1, QColor(244, 184, 24));
    p.setPen(QPen(QColor(150, 96, 0), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(triangle);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(7, 5, 2, 5), QColor(40, 30, 10));
    p.fillRect(QRect(7, 11, 2, 2), QColor(40, 30, 10));
    return image;
}

// 16 x 16 round light.
QImage Light(const QColor& bright, const QColor& dark, const QColor& rim)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(6.2, 5.8), 8.5);
    fill.setColorAt(0, bright);
    fill.setColorAt(1, dark);
    p.setPen(QPen(rim, 1.0));
    p.setBrush(fill);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(6.3, 5.4), 2.4, 1.7);
    return image;
}

// 48 x 48 emblem for the page banners: a blue shield with a gold padlock. The top row and the four
// bottom rows stay clear for the banner's rules.
QImage BannerEmblem()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(24, 3.5);
    shield.cubicTo(QPointF(30, 6.5), QPointF(35, 7.5), QPointF(40.5, 7.5));
    shield.cubicTo(QPointF(40.5, 24), QPointF(35, 35), QPointF(24, 42.5));
    shield.cubicTo(QPointF(13, 35), QPointF(7.5, 24), QPointF(7.5, 7.5));
    shield.cubicTo(QPointF(13, 7.5), QPointF(18, 6.5), QPointF(24, 3.5));
    QLinearGradient blue(QPointF(8, 4), QPointF(40, 42));
    blue.setColorAt(0, QColor(120, 186, 250));
    blue.setColorAt(1, QColor(24, 86, 180));
    p.setPen(QPen(QColor(16, 58, 130), 1.2));
    p.setBrush(blue);
    p.drawPath(shield);
    p.setPen(QPen(QColor(230, 232, 240), 3.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(18.5, 21);
    shackle.lineTo(18.5, 17);
    shackle.arcTo(QRectF(18.5, 11.5, 11, 11), 180, -180);
    shackle.lineTo(29.5, 21);
    p.drawPath(shackle);
    QLinearGradient gold(QPointF(0, 20), QPointF(0, 33));
    gold.setColorAt(0, QColor(255, 228, 112));
    gold.setColorAt(1, QColor(216, 152, 20));
    p.setPen(QPen(QColor(130, 86, 6), 1.0));
    p.setBrush(gold);
    p.drawRoundedRect(QRectF(15.5, 20.5, 17, 13), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 62, 6));
    p.drawEllipse(QPointF(24, 25.5), 1.9, 1.9);
    p.drawRect(QRectF(23.2, 26, 1.6, 4));
    return image;
}

Picture Named(const char* name, const char* comment, const QImage& image, const QColor& matte)
{
    return {QString::fromLatin1(name), QString::fromLatin1(comment),
            EncodeImage(image, [matte](int) { return matte; })};
}

} // namespace

CatalogueFile SmallPictures()
{
    CatalogueFile file{QStringLiteral("picture_catalogue_small.cpp"), {}, {}};
    file.singles.push_back(Named("kTrayPadlock", "tray padlock, 10 x 12", Padlock(), kLightDesktop));
    file.singles.push_back(
        Named("kPicQuestion", "unknown program, 16 x 16", UnknownProgram(), QColor(255, 255, 255)));
    file.singles.push_back(
        Named("kPicture3", "beside the attempts count, 16 x 16", Attempts(), kLightDesktop));
    file.singles.push_back(Named("kStatusOn", "status light for 1, 16 x 16",
                                 Light(QColor(170, 255, 150), QColor(24, 150, 24), QColor(12, 90, 12)),
                                 kLightDesktop));
    file.singles.push_back(Named("kStatusOff", "status light for 0, 16 x 16",
                                 Light(QColor(255, 170, 160), QColor(196, 28, 20), QColor(120, 14, 10)),
                                 kLightDesktop));
    file.singles.push_back(Named("kStatusIdle", "status light for 2, 16 x 16",
                                 Light(QColor(255, 236, 160), QColor(220, 150, 10), QColor(140, 90, 6)),
                                 kLightDesktop));
    file.singles.push_back(
        Named("kBannerImage1", "page banner emblem, 48 x 48", BannerEmblem(), QColor(255, 255, 255)));
    return file;
}

} // namespace qb::tools
