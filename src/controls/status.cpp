#include "controls/status.h"

#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"

#include <QLabel>
#include <QPixmap>

namespace qb {

Status::Status(QWidget* parent) : QWidget(parent), m_image4(new QLabel(this))
{
    SetPictures(ImageStringToImage(QLatin1StringView(images::kStatusOn)),
                ImageStringToImage(QLatin1StringView(images::kStatusOff)),
                ImageStringToImage(QLatin1StringView(images::kStatusIdle)));
    ShowCurrent();
}

void Status::SetPictures(const QImage& image1, const QImage& image2, const QImage& image3)
{
    m_image1 = image1;
    m_image2 = image2;
    m_image3 = image3;
}

void Status::SetStatus(qint16 status)
{
    if (status == m_currentStatus)
        return;
    m_currentStatus = status;
    ShowCurrent();
}

void Status::showEvent(QShowEvent*)
{
    ShowCurrent();
}

void Status::resizeEvent(QResizeEvent*)
{
    ShowCurrent();
}

void Status::ShowCurrent()
{
    // Showing the picture for 0 here regardless of the status would leave a light that is on looking off
    // after its page was hidden and shown again, since an equal SetStatus changes nothing.
    m_image4->move(0, 0);
    if (const QImage* picture = PictureFor(m_currentStatus))
        ShowPicture(*picture);
    // All three pictures share one size, so this resize causes no further one.
    resize(m_image4->size());
}

const QImage* Status::PictureFor(qint16 status) const
{
    switch (status) {
    case 0:
        return &m_image2;
    case 1:
        return &m_image1;
    case 2:
        return &m_image3;
    default:
        return nullptr;
    }
}

void Status::ShowPicture(const QImage& picture)
{
    m_shown = picture;
    m_image4->setPixmap(QPixmap::fromImage(picture));
    m_image4->resize(picture.size());
}

} // namespace qb
