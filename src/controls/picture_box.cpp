#include "controls/picture_box.h"

#include "controls/image_string.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <utility>

namespace qb {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), m_surface(1, 1, QImage::Format_RGB32)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.fill(PackedColor(m_backColor));
}

void PictureBox::SetBackColor(qint32 packed)
{
    m_backColor = packed;
    Cls();
}

void PictureBox::SetFontUnderline(bool underline)
{
    QFont changed = font();
    changed.setUnderline(underline);
    setFont(changed);
}

void PictureBox::Cls()
{
    EnsureSurfaceSize();
    m_surface.fill(PackedColor(m_backColor));
    update();
}

qint16 PictureBox::DrawImageString(qint16 stretch, const QString& imageText, qint16 x, qint16 y)
{
    EnsureSurfaceSize();
    const qint16 result = qb::DrawImageString(m_surface, stretch, imageText, x, y);
    update();
    return result;
}

void PictureBox::Line(QPoint from, QPoint to, qint32 packed)
{
    EnsureSurfaceSize();
    const QColor colour = PackedColor(packed);
    QPainter painter(&m_surface);
    if (from.x() == to.x()) {
        const int step = to.y() > from.y() ? 1 : -1;
        for (int y = from.y(); y != to.y(); y += step)
            painter.fillRect(QRect(from.x(), y, 1, 1), colour);
    } else if (from.y() == to.y()) {
        const int left = std::min(from.x(), to.x() + 1);
        const int right = std::max(from.x(), to.x() - 1);
        painter.fillRect(QRect(QPoint(left, from.y()), QPoint(right, from.y())), colour);
    } else {
        painter.setPen(colour);
        painter.drawLine(from, to);
    }
    update();
}

void PictureBox::Box(QPoint corner1, QPoint corner2, qint32 packed)
{
    EnsureSurfaceSize();
    const QRect rect = QRect(corner1, corner2).normalized();
    const QColor colour = PackedColor(packed);
    QPainter painter(&m_surface);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
    update();
}

int PictureBox::MeasureText(const QRect& rect, int flags, const QString& text) const
{
    if (text.isEmpty())
        return 0;
    return fontMetrics().boundingRect(rect, flags, text).height();
}

void PictureBox::DrawText(const QRect& rect, int flags, const QString& text)
{
    EnsureSurfaceSize();
    QPainter painter(&m_surface);
    painter.setFont(font());
    painter.setPen(PackedColor(m_foreColor));
    painter.setClipRect(rect);
    painter.drawText(rect, flags, text);
    update(rect);
}

const QImage& PictureBox::Surface()
{
    EnsureSurfaceSize();
    return m_surface;
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    EnsureSurfaceSize();
    QPainter painter(this);
    painter.drawImage(event->rect(), m_surface, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent*)
{
    EnsureSurfaceSize();
}

void PictureBox::EnsureSurfaceSize()
{
    // A hidden widget hears of its new size only when it is shown, but drawing may come first. A grown
    // surface keeps what was drawn and shows the back colour in the new area.
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (wanted == m_surface.size())
        return;
    QImage resized(wanted, QImage::Format_RGB32);
    resized.fill(PackedColor(m_backColor));
    QPainter painter(&resized);
    painter.drawImage(0, 0, m_surface);
    painter.end();
    m_surface = std::move(resized);
}

} // namespace qb
