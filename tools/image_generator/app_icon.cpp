// The program's own icon: the gold padlock of the tray and the splash, drawn as a vector at each size the
// hicolor theme asks for, so that no size is a scaled copy of another.
#include "image_generator/catalogue.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>

namespace qb::tools {
namespace {

QImage Padlock(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0); // drawn on a 64-unit square
    // Small sizes get relatively heavier lines, or the shackle fades into the background.
    const double line = size < 32 ? 64.0 / size * 1.2 : 2.0;

    QPainterPath shackle;
    shackle.moveTo(19, 30);
    shackle.lineTo(19, 20);
    shackle.arcTo(QRectF(19, 6, 26, 28), 180, -180);
    shackle.lineTo(45, 30);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(104, 104, 112), 9, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);
    p.setPen(QPen(QColor(176, 176, 184), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);

    const QRectF body(9, 28, 46, 32);
    QLinearGradient gold(body.topLeft(), body.bottomLeft());
    gold.setColorAt(0, QColor(255, 230, 128));
    gold.setColorAt(0.45, QColor(248, 206, 78));
    gold.setColorAt(1, QColor(212, 156, 24));
    p.setBrush(gold);
    p.setPen(QPen(QColor(150, 100, 12), line));
    p.drawRoundedRect(body, 5, 5);

    QPainterPath keyhole;
    keyhole.setFillRule(Qt::WindingFill); // the round top and the slot overlap; both are filled
    keyhole.addEllipse(QPointF(32, 40), 5, 5);
    keyhole.moveTo(29.5, 42);
    keyhole.lineTo(34.5, 42);
    keyhole.lineTo(36, 53);
    keyhole.lineTo(28, 53);
    keyhole.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(92, 60, 8));
    p.drawPath(keyhole);
    return image;
}

} // namespace

bool WriteAppIcons(const QString& themeFolder)
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(themeFolder).arg(size);
        if (!QDir().mkpath(folder) || !Padlock(size).save(folder + QStringLiteral("/quillbrook.png")))
            return false;
    }
    return true;
}

} // namespace qb::tools
