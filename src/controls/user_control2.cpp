#include "controls/user_control2.h"

#include "controls/colour_steps.h"
#include "controls/draw_caption.h"
#include "controls/image_string.h"
#include "controls/images/given_images.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace qb {
namespace {

constexpr qint32 kWhite = 16777215;
constexpr QPoint kImage1Position(5, 0);

} // namespace

UserControl2::UserControl2(QWidget* parent) : PictureBox(parent)
{
    SetBackColor(kWhite);
    SetImage1(ImageStringToImage(QLatin1StringView(images::kBannerImage1)), kImage1Position);
    resize(400, 300);
}

void UserControl2::Analyze(qint32& colour)
{
    const ColourComponents components = AnalyzeColour(colour);
    m_red = components.red;
    m_green = components.green;
    m_blue = components.blue;
}

void UserControl2::Gradient(qint32 colour)
{
    qint32 start = kWhite;
    Analyze(start);
    ColourComponents running{m_red, m_green, m_blue};
    Analyze(colour);
    const ColourComponents delta{m_red - running.red, m_green - running.green, m_blue - running.blue};
    const double m = width() / 2.0;
    // Without width the steps would divide by zero and paint undefined colours.
    if (m > 0) {
        for (int k = 0; m + k <= 2 * m; ++k) {
            AdvanceColour(running, delta, m);
            const int x = RoundHalfEven(m + k);
            Box(QPoint(x, 0), QPoint(x, height()), PackComponents(running));
        }
    }
    LoadBMP();
    DrawRules();
}

void UserControl2::LoadBMP()
{
    m_colorBottom = QLatin1StringView(images::kUserControl2Bottom);
    m_colorTop = QLatin1StringView(images::kUserControl2Top);
}

void UserControl2::SetImage1(const QImage& picture, QPoint position)
{
    m_image1 = picture;
    m_image1Position = position;
    update();
}

void UserControl2::paintEvent(QPaintEvent* event)
{
    PictureBox::paintEvent(event);
    // The picture lies above whatever was drawn on the surface, as a lightweight image control does.
    if (!m_image1.isNull()) {
        QPainter painter(this);
        painter.drawImage(m_image1Position, m_image1);
    }
}

void UserControl2::showEvent(QShowEvent* event)
{
    PictureBox::showEvent(event);
    LoadBMP();
    DrawRules();
}

void UserControl2::resizeEvent(QResizeEvent* event)
{
    PictureBox::resizeEvent(event);
    LoadBMP();
    DrawRules();
}

void UserControl2::DrawRules()
{
    const auto w = static_cast<qint16>(width());
    DrawImageString(w, m_colorBottom, 5, static_cast<qint16>(m_image1.height() - 4));
    DrawImageString(w, m_colorTop, 5, static_cast<qint16>(m_image1Position.y()));
}

} // namespace qb
