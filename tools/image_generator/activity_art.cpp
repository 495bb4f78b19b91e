// The activity pictures, 50 x 50: a padlock over a network connector cabled to two computers. Only the
// screens differ between the four pictures.
#include "image_generator/catalogue.h"
#include "image_generator/encoding.h"

#include <QPainter>
#include <QPainterPath>

namespace qb::tools {
namespace {

constexpr int kSize = 50;
const QColor kLightDesktop(240, 240, 240);

void DrawPadlock(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(92, 92, 100), 3.0, Qt::SolidLine, Qt::FlatCap));
    QPainterPath shackle;
    shackle.moveTo(21, 9.5);
    shackle.lineTo(21, 6);
    shackle.arcTo(QRectF(21, 2, 8, 8), 180, -180);
    shackle.lineTo(29, 9.5);
    p.drawPath(shackle);
    p.setPen(QPen(QColor(206, 206, 212), 1.0, Qt::SolidLine, Qt::FlatCap));
    QPainterPath shine;
    shine.moveTo(20.5, 9.5);
    shine.lineTo(20.5, 6);
    shine.arcTo(QRectF(20.5, 1.5, 9, 9), 180, -70);
    p.drawPath(shine);
    QLinearGradient gold(QPointF(0, 9), QPointF(0, 18));
    gold.setColorAt(0, QColor(255, 228, 116));
    gold.setColorAt(1, QColor(212, 148, 18));
    p.setPen(QPen(QColor(138, 90, 8), 1.0));
    p.setBrush(gold);
    p.drawRoundedRect(QRectF(18.5, 8.5, 13, 9), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 62, 6));
    p.drawEllipse(QPointF(25, 12.2), 1.5, 1.5);
    p.drawRect(QRectF(24.4, 12.5, 1.2, 3));
}

void DrawConnector(QPainter& p)
{
    QLinearGradient box(QPointF(0, 20), QPointF(0, 26));
    box.setColorAt(0, QColor(156, 162, 174));
    box.setColorAt(1, QColor(86, 92, 104));
    p.setPen(QPen(QColor(50, 54, 62), 1.0));
    p.setBrush(box);
    p.drawRoundedRect(QRectF(17.5, 20.5, 15, 5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(36, 38, 44));
    p.drawRect(QRectF(19.5, 22, 3, 2.5));
    p.drawRect(QRectF(27.5, 22, 3, 2.5));
    p.setBrush(QColor(80, 224, 80));
    p.drawRect(QRectF(24.5, 22, 1, 1));
}

void DrawCables(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(64, 68, 76), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath rear;
    rear.moveTo(20.5, 25.5);
    rear.cubicTo(QPointF(20.5, 28), QPointF(11.5, 26), QPointF(11.5, 28.5));
    p.drawPath(rear);
    QPainterPath front;
    front.moveTo(29.5, 25.5);
    front.cubicTo(QPointF(29.5, 28.5), QPointF(36.5, 27.5), QPointF(36.5, 31.5));
    p.drawPath(front);
}

// A monitor on a stand; the screen is the glass inside the casing.
void DrawComputer(QPainter& p, const QRectF& monitor, bool lit)
{
    const QRectF screen = monitor.adjusted(2, 2, -2, -3);
    const double neckX = monitor.center().x();
    p.setPen(QPen(QColor(86, 88, 98), 1.0));
    p.setBrush(QColor(168, 170, 180));
    p.drawRect(QRectF(neckX - 1.5, monitor.bottom(), 3, 2));
    p.drawRoundedRect(QRectF(neckX - 5, monitor.bottom() + 2, 10, 2), 1, 1);
    QLinearGradient casing(monitor.topLeft(), monitor.bottomLeft());
    casing.setColorAt(0, QColor(240, 240, 244));
    casing.setColorAt(1, QColor(184, 186, 196));
    p.setBrush(casing);
    p.drawRoundedRect(monitor, 1.5, 1.5);
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    if (lit) {
        glass.setColorAt(0, QColor(156, 214, 255));
        glass.setColorAt(1, QColor(26, 92, 212));
    } else {
        glass.setColorAt(0, QColor(128, 132, 140));
        glass.setColorAt(1, QColor(52, 54, 60));
    }
    p.setPen(QPen(QColor(58, 60, 68), 1.0));
    p.setBrush(glass);
    p.drawRect(screen);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, lit ? 96 : 40));
    QPainterPath sheen;
    sheen.moveTo(screen.topLeft() + QPointF(0.5, 0.5));
    sheen.lineTo(screen.topLeft() + QPointF(screen.width() * 0.55, 0.5));
    sheen.lineTo(screen.topLeft() + QPointF(0.5, screen.height() * 0.75));
    sheen.closeSubpath();
    p.drawPath(sheen);
}

QImage Activity(bool rearLit, bool frontLit)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawCables(p);
    DrawConnector(p);
    DrawPadlock(p);
    // The rear computer stands higher and is smaller; the front one is nearer, lower and larger.
    DrawComputer(p, QRectF(1.5, 28.5, 20, 13), rearLit);
    DrawComputer(p, QRectF(24.5, 31.5, 24, 14), frontLit);
    return image;
}

} // namespace

CatalogueFile ActivityPictures()
{
    CatalogueFile file{QStringLiteral("picture_catalogue_activity.cpp"), {}, {}};
    PieceSet set{QStringLiteral("kConStatusPictures"),
                 QStringLiteral("activity pictures, 50 x 50: 0 both screens lit, 1 both dark, 2 rear lit, "
                                "3 front lit"),
                 {},
                 16};
    const bool lit[4][2] = {{true, true}, {false, false}, {true, false}, {false, true}};
    for (const auto& screens : lit) {
        const QString text = EncodeImage(Activity(screens[0], screens[1]), [](int) { return kLightDesktop; });
        set.pictures.push_back(SplitPieces(text, 16));
    }
    file.sets.push_back(std::move(set));
    return file;
}

} // namespace qb::tools
