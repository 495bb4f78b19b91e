#include "shell/avi_player_widget.h"

#include "base/private_file.h"
#include "clip/avi_reader.h"

#include <QPainter>

namespace qb {

AviPlayerWidget::AviPlayerWidget(QWidget* parent) : QWidget(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &AviPlayerWidget::NextFrame);
}

bool AviPlayerWidget::Open(const QString& path)
{
    Close();
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxFileSize);
    if (!bytes)
        return false;
    m_clip = ReadAvi(std::span(reinterpret_cast<const uint8_t*>(bytes->constData()),
                               static_cast<std::size_t>(bytes->size())));
    if (!m_clip)
        return false;
    m_colours.clear();
    for (uint32_t rgb : m_clip->palette)
        m_colours.push_back(qRgb(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                                 static_cast<int>(rgb & 0xFF)));
    m_frame = 0;
    m_timer.setInterval(std::max(1, m_clip->frameMicroseconds / 1000));
    updateGeometry();
    update();
    return true;
}

void AviPlayerWidget::Play()
{
    if (m_clip)
        m_timer.start();
}

void AviPlayerWidget::Stop()
{
    m_timer.stop();
}

void AviPlayerWidget::Close()
{
    m_timer.stop();
    m_clip.reset();
    m_colours.clear();
    m_frame = 0;
    update();
}

void AviPlayerWidget::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

int AviPlayerWidget::FrameCount() const
{
    return m_clip ? static_cast<int>(m_clip->frames.size()) : 0;
}

QImage AviPlayerWidget::FrameImage() const
{
    if (!m_clip)
        return {};
    const std::vector<uint8_t>& pixels = m_clip->frames[static_cast<std::size_t>(m_frame)];
    QImage image(reinterpret_cast<const uchar*>(pixels.data()), m_clip->width, m_clip->height, m_clip->width,
                 QImage::Format_Indexed8);
    QList<QRgb> colours = m_colours;
    if (m_transparent && !m_clip->frames.front().empty())
        colours[m_clip->frames.front().front()] = qRgba(0, 0, 0, 0);
    image.setColorTable(colours);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); // a copy: the clip may go
}

QSize AviPlayerWidget::sizeHint() const
{
    return m_clip ? QSize(m_clip->width, m_clip->height) : QSize(0, 0);
}

void AviPlayerWidget::paintEvent(QPaintEvent*)
{
    if (!m_clip)
        return;
    QPainter painter(this);
    const QImage image = FrameImage();
    // Centred, as the animation control centres its clip.
    painter.drawImage(QPoint((width() - image.width()) / 2, (height() - image.height()) / 2), image);
}

void AviPlayerWidget::NextFrame()
{
    if (!m_clip)
        return;
    m_frame = (m_frame + 1) % static_cast<int>(m_clip->frames.size());
    update();
}

} // namespace qb
