#include "controls/user_control1.h"

#include "controls/draw_caption.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/track_mouse.h"

namespace qb {
namespace {

constexpr qint32 kNavigationBlue = 15836238;
constexpr qint32 kCaptionGrey = 4210752; // (64, 64, 64)
constexpr qint32 kCaptionHover = 255;    // pure red
constexpr int kHeightTwips = 375;

} // namespace

UserControl1::UserControl1(QWidget* parent)
    : QWidget(parent), m_picture1(new PictureBox(this)), m_trackMouse1(new TrackMouse(this))
{
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPixelSize(13); // 9.75 points at 96 dots per inch
    captionFont.setBold(true);
    m_picture1->setFont(captionFont);
    m_picture1->SetBackColor(kNavigationBlue);
    connect(m_trackMouse1, &TrackMouse::MouseOver, this, &UserControl1::OnMouseOver);
    connect(m_trackMouse1, &TrackMouse::MouseOut, this, &UserControl1::OnMouseOut);
    connect(m_trackMouse1, &TrackMouse::MouseLeftDown, this, &UserControl1::OnMouseLeftDown);
    connect(m_trackMouse1, &TrackMouse::MouseLeftUp, this, &UserControl1::OnMouseLeftUp);
    // The header keeps its height whatever size the host gives it.
    setFixedHeight(TwipsToPixels(kHeightTwips));
    resize(160, height());
}

void UserControl1::LoadColors()
{
    m_colorCap = QLatin1StringView(images::kUserControl1Edge);
    m_colorCent = QLatin1StringView(images::kUserControl1Body);
    m_colorCap1 = QLatin1StringView(images::kUserControl1PressedLeftCap);
    m_colorCap2 = QLatin1StringView(images::kUserControl1PressedRightCap);
    m_colorCent1 = QLatin1StringView(images::kUserControl1PressedBody);
}

void UserControl1::Reset()
{
    m_currentState = 0;
    Repaint(kCaptionGrey);
}

void UserControl1::ForceClick()
{
    m_currentState = 1;
    Repaint(kCaptionGrey);
}

void UserControl1::SubClassMe()
{
    m_trackMouse1->Watch(m_picture1);
}

void UserControl1::UnSubClassMe()
{
    m_trackMouse1->CloseWatch();
}

void UserControl1::ReadProperties(const PropertyBag& bag)
{
    m_caption = bag.value(QStringLiteral("strCaption"), QStringLiteral("UserControl1")).toString();
}

void UserControl1::WriteProperties(PropertyBag& bag) const
{
    bag.insert(QStringLiteral("strCaption"), m_caption);
}

void UserControl1::showEvent(QShowEvent*)
{
    m_picture1->setGeometry(0, 0, width(), height());
    Repaint(kCaptionGrey);
}

void UserControl1::resizeEvent(QResizeEvent*)
{
    m_picture1->setGeometry(0, 0, width(), height());
    m_picture1->Cls();
    LoadColors();
    DrawFace(false);
}

void UserControl1::DrawFace(bool pressed)
{
    const int w = m_picture1->width();
    const auto stretch = [](int pixels) { return static_cast<qint16>(pixels); };
    if (!pressed) {
        m_picture1->DrawImageString(1, m_colorCap, 2, 2);
        m_picture1->DrawImageString(stretch(w - 5), m_colorCent, 3, 2);
        m_picture1->DrawImageString(1, m_colorCap, stretch(w - 3), 2);
        return;
    }
    const qint16 r = m_picture1->DrawImageString(1, m_colorCap1, 0, 0);
    const qint16 body = m_picture1->DrawImageString(stretch(w - 2 * r - 1), m_colorCent1, stretch(r + 1), 0);
    m_picture1->DrawImageString(1, m_colorCap2, stretch(w - 2 * body - 3), 0);
}

void UserControl1::DrawCaption()
{
    qb::DrawCaption(*m_picture1, QStringLiteral("  ") + m_caption, Qt::AlignLeft);
}

void UserControl1::Repaint(qint32 textColour)
{
    LoadColors();
    m_picture1->Cls();
    DrawFace(m_currentState != 0);
    m_picture1->SetForeColor(textColour);
    DrawCaption();
}

void UserControl1::OnMouseOver()
{
    Repaint(kCaptionHover);
}

void UserControl1::OnMouseOut()
{
    Repaint(kCaptionGrey);
}

void UserControl1::OnMouseLeftDown()
{
    m_picture1->Cls();
    DrawFace(true);
    m_picture1->SetForeColor(kCaptionGrey);
    DrawCaption();
    m_currentState = m_currentState == 0 ? 1 : 0;
}

void UserControl1::OnMouseLeftUp()
{
    emit Clicked(m_currentState);
}

} // namespace qb
