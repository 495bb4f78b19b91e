// The toolbar pictures, 28 x 34, drawn for the gold toolbar body they sit on; the highlighted set is a
// brighter copy of the normal one.
#include "image_generator/catalogue.h"
#include "image_generator/encoding.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace qb::tools {
namespace {

constexpr int kWidth = 28;
constexpr int kHeight = 34;
constexpr double kHighlight = 0.16;

QImage Canvas()
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The body the pictures are drawn over, row by row.
QColor ToolbarBodyAt(int row)
{
    if (row == 0)
        return QColor(119, 119, 146);
    const double t = std::clamp((row - 1) / 33.0, 0.0, 1.0);
    return QColor(static_cast<int>(std::lround(255 + (226 - 255) * t)),
                  static_cast<int>(std::lround(236 + (176 - 236) * t)),
                  static_cast<int>(std::lround(159 + (1 - 159) * t)));
}

QImage NoEntry()
{
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(14, 17);
    QRadialGradient fill(QPointF(11.5, 13.5), 14);
    fill.setColorAt(0, QColor(255, 110, 95));
    fill.setColorAt(1, QColor(196, 24, 20));
    p.setPen(QPen(QColor(128, 12, 10), 1.2));
    p.setBrush(fill);
    p.drawEllipse(centre, 11.4, 11.4);
    p.setPen(QPen(QColor(150, 20, 16, 160), 1.0));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6.5, 14.5, 15, 5), 1.2, 1.2);
    return image;
}

QImage RadioMast()
{
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Waves either side of the antenna tip.
    const QPointF tip(14, 10);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const double r = 5.0 + 3.6 * i;
        const QRectF box(tip.x() - r, tip.y() - r, 2 * r, 2 * r);
        p.setPen(QPen(QColor(24, 84, 196), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(box, -40 * 16, 80 * 16);
        p.drawArc(box, 140 * 16, 80 * 16);
    }
    // Lattice mast.
    const QColor steel(70, 70, 78);
    p.setPen(QPen(steel, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(14, 11), QPointF(8.5, 30));
    p.drawLine(QPointF(14, 11), QPointF(19.5, 30));
    p.setPen(QPen(steel, 1.0));
    p.drawLine(QPointF(12.4, 17), QPointF(15.6, 17));
    p.drawLine(QPointF(12.4, 17), QPointF(17.0, 23.5));
    p.drawLine(QPointF(11.0, 23.5), QPointF(17.0, 23.5));
    p.drawLine(QPointF(11.0, 23.5), QPointF(18.6, 30));
    p.setPen(QPen(steel, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.5, 30.2), QPointF(21.5, 30.2));
    p.setPen(QPen(QColor(120, 10, 10), 1.0));
    p.setBrush(QColor(230, 40, 30));
    p.drawEllipse(tip, 2.2, 2.2);
    return image;
}

QImage DocumentWithTick()
{
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(5.5, 5.5);
    page.lineTo(17.5, 5.5);
    page.lineTo(22.5, 10.5);
    page.lineTo(22.5, 28.5);
    page.lineTo(5.5, 28.5);
    page.closeSubpath();
    QLinearGradient paper(QPointF(5, 5), QPointF(22, 28));
    paper.setColorAt(0, Qt::white);
    paper.setColorAt(1, QColor(226, 230, 238));
    p.setPen(QPen(QColor(96, 100, 112), 1.0));
    p.setBrush(paper);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(17.5, 5.5);
    fold.lineTo(17.5, 10.5);
    fold.lineTo(22.5, 10.5);
    p.setBrush(QColor(206, 210, 220));
    p.drawPath(fold);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int y : {9, 12, 15}) {
        const int right = y == 9 ? 15 : 19;
        p.fillRect(QRect(8, y, right - 8, 1), QColor(160, 166, 180));
    }
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(9, 20.5);
    tick.lineTo(13, 24.5);
    tick.lineTo(22, 13.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(18, 92, 18), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(QColor(64, 176, 48), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    return image;
}

QImage QuestionMark()
{
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hook;
    hook.moveTo(8.5, 12.5);
    hook.arcTo(QRectF(8.5, 6, 11, 11), 180, -250);
    hook.quadTo(QPointF(14, 17.5), QPointF(14, 21));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(16, 48, 136), 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 48, 136));
    p.drawEllipse(QPointF(14, 26.5), 2.9, 2.9);
    p.setPen(QPen(QColor(48, 116, 232), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(48, 116, 232));
    p.drawEllipse(QPointF(14, 26.5), 1.9, 1.9);
    return image;
}

// Six pieces, or seven for the longer strings.
QStringList Pieces(const QString& text)
{
    return SplitPieces(text, text.size() > 6000 ? 7 : 6);
}

} // namespace

CatalogueFile ToolbarPictures()
{
    CatalogueFile file{QStringLiteral("picture_catalogue_toolbar.cpp"), {}, {}};
    const QImage pictures[4] = {NoEntry(), RadioMast(), DocumentWithTick(), QuestionMark()};
    PieceSet normal{
        QStringLiteral("kUserControl5Pictures"),
        QStringLiteral("toolbar pictures 1 to 4, 28 x 34: no entry, radio mast, document, question"),
        {},
        7};
    PieceSet highlighted{QStringLiteral("kUserControl5HighlightedPictures"),
                         QStringLiteral("the toolbar pictures lightened for the pointer"),
                         {},
                         7};
    for (const QImage& picture : pictures) {
        normal.pictures.push_back(Pieces(EncodeImage(picture, ToolbarBodyAt)));
        highlighted.pictures.push_back(Pieces(EncodeImage(Brighten(picture, kHighlight), ToolbarBodyAt)));
    }
    file.sets.push_back(std::move(normal));
    file.sets.push_back(std::move(highlighted));
    return file;
}

} // namespace qb::tools
