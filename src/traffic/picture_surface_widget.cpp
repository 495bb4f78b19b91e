#include "traffic/picture_surface_widget.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qb {
namespace {

// Liang-Barsky: cuts the segment to the rectangle [left, right] x [top, bottom]; false when it misses.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double left, double top, double right,
                 double bottom)
{
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double enter = 0.0;
    double leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - left, right - x1, y1 - top, bottom - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        if (enter > leave)
            return false;
    }
    const double startX = x1;
    const double startY = y1;
    x1 = startX + enter * dx;
    y1 = startY + enter * dy;
    x2 = startX + leave * dx;
    y2 = startY + leave * dy;
    return true;
}

} // namespace

QColor ColorFromBgr(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

PictureSurface::PictureSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureSurface::SetAutoRedraw(bool keep)
{
    m_autoRedraw = keep;
    update();
}

void PictureSurface::SetBorderStyle(int style)
{
    if (style != 0 && style != 1)
        return;
    m_borderStyle = style;
    FitImage();
    update();
}

void PictureSurface::SetBackColor(uint32_t bgr)
{
    m_backColor = bgr & 0xFFFFFF;
    Cls();
}

void PictureSurface::Cls()
{
    FitImage();
    m_image.fill(ColorFromBgr(m_backColor));
    update();
}

int PictureSurface::ScaleWidth() const
{
    return Image().width() - 1;
}

int PictureSurface::ScaleHeight() const
{
    return Image().height() - 1;
}

void PictureSurface::Line(float x1, float y1, float x2, float y2, uint32_t bgr)
{
    FitImage();
    const QRgb rgb = ColorFromBgr(bgr).rgb();
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return;
    double fromX = x1;
    double fromY = y1;
    double toX = x2;
    double toY = y2;
    // A point far off the surface (a huge value in a graph) must not cost a walk to it; the margin
    // keeps the cut ends off the image so that a line through it keeps its pixels.
    constexpr double kMargin = 2.0;
    if (!ClipSegment(fromX, fromY, toX, toY, -kMargin, -kMargin, m_image.width() - 1 + kMargin,
                     m_image.height() - 1 + kMargin))
        return;
    // Bresenham: every pixel of the line is decided here, so what is drawn does not depend on the
    // paint engine's idea of where a thin line's last pixel goes.
    int x = static_cast<int>(std::lround(fromX));
    int y = static_cast<int>(std::lround(fromY));
    const int xEnd = static_cast<int>(std::lround(toX));
    const int yEnd = static_cast<int>(std::lround(toY));
    const int dx = std::abs(xEnd - x);
    const int dy = -std::abs(yEnd - y);
    const int stepX = x < xEnd ? 1 : -1;
    const int stepY = y < yEnd ? 1 : -1;
    int error = dx + dy;
    // One write access for the whole line: each scanLine() would detach the image anew (and drop any
    // pixmap cached from it), which showed as a copy of the image per plotted point.
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    const int width = m_image.width();
    const int height = m_image.height();
    // A row or column (every frame and grid line) is filled as a run: the same pixels, a tenth of the work.
    if (y == yEnd || x == xEnd) {
        const int from = std::max(0, std::min(y == yEnd ? x : y, y == yEnd ? xEnd : yEnd));
        const int to =
            std::min((y == yEnd ? width : height) - 1, std::max(y == yEnd ? x : y, y == yEnd ? xEnd : yEnd));
        if (y == yEnd && y >= 0 && y < height && from <= to) // a point in the margin has no run
            std::fill(reinterpret_cast<QRgb*>(bits + y * stride) + from,
                      reinterpret_cast<QRgb*>(bits + y * stride) + to + 1, rgb);
        else if (y != yEnd && x >= 0 && x < width)
            for (int row = from; row <= to; ++row)
                reinterpret_cast<QRgb*>(bits + row * stride)[x] = rgb;
        update();
        return;
    }
    for (;;) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
        if (x == xEnd && y == yEnd)
            break;
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
    update();
}

void PictureSurface::Box(float x1, float y1, float x2, float y2, uint32_t bgr)
{
    Line(x1, y1, x2, y1, bgr);
    Line(x2, y1, x2, y2, bgr);
    Line(x2, y2, x1, y2, bgr);
    Line(x1, y2, x1, y1, bgr);
}

const QImage& PictureSurface::Image() const
{
    FitImage();
    return m_image;
}

void PictureSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QColor back = ColorFromBgr(m_backColor);
    painter.fillRect(event->rect(), back);
    if (m_autoRedraw) {
        // A view of the pixels that does not share the image: nothing the painter keeps can make the
        // next plot copy it.
        const QImage& image = Image();
        painter.drawImage(
            m_borderStyle, m_borderStyle,
            QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(), image.format()));
    }
    if (m_borderStyle == 1) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitImage();
}

QSize PictureSurface::InnerSize() const
{
    const int border = 2 * m_borderStyle;
    return {std::max(1, width() - border), std::max(1, height() - border)};
}

void PictureSurface::FitImage() const
{
    const QSize size = InnerSize();
    if (m_image.size() == size)
        return;
    QImage fitted(size, QImage::Format_RGB32);
    fitted.fill(ColorFromBgr(m_backColor));
    if (!m_image.isNull()) {
        QPainter painter(&fitted);
        painter.drawImage(0, 0, m_image);
    }
    m_image = fitted;
}

} // namespace qb
