#include "controls/user_control5.h"

#include "controls/draw_caption.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/shape_outline.h"
#include "controls/track_mouse.h"

namespace qb {
namespace {

constexpr qint32 kOutlineGrey = 8421504;
constexpr qint32 kButtonText = 0;
// Blanks before the caption keep it clear of the picture.
constexpr int kCaptionIndent = 10;

} // namespace

UserControl5::UserControl5(QWidget* parent)
    : QWidget(parent), m_picture1(new PictureBox(this)), m_shape1(new ShapeOutline(kOutlineGrey, this)),
      m_trackMouse1(new TrackMouse(this))
{
    // The classic dialog font is Tahoma 8.25 points.
    QFont captionFont(QStringLiteral("Tahoma"));
    captionFont.setPixelSize(11);
    m_picture1->setFont(captionFont);
    m_picture1->SetForeColor(kButtonText);
    connect(m_trackMouse1, &TrackMouse::MouseOver, this, [this] {
        LoadColor();
        DrawFace(true);
    });
    connect(m_trackMouse1, &TrackMouse::MouseOut, this, [this] {
        LoadColor();
        DrawFace(false);
    });
    connect(m_trackMouse1, &TrackMouse::MouseLeftDown, this, &UserControl5::OnMouseLeftDown);
    connect(m_trackMouse1, &TrackMouse::MouseLeftUp, this, &UserControl5::OnMouseLeftUp);
    resize(110, 37);
}

void UserControl5::LoadColor()
{
    m_leftCap = QLatin1StringView(images::kUserControl5LeftCap);
    m_body = QLatin1StringView(images::kUserControl5Body);
    m_rightEdge = QLatin1StringView(images::kUserControl5RightEdge);
    for (int i = 0; i < 4; ++i) {
        m_pictures[i] = images::JoinPieces(images::kUserControl5Pictures[i]);
        m_highlightedPictures[i] = images::JoinPieces(images::kUserControl5HighlightedPictures[i]);
    }
}

void UserControl5::Reset()
{
    m_shape1->hide();
    LoadColor();
    DrawFace(false);
}

void UserControl5::SubClassMe()
{
    m_trackMouse1->Watch(m_picture1);
}

void UserControl5::UnSubClassMe()
{
    m_trackMouse1->CloseWatch();
}

bool UserControl5::IsMarked() const
{
    return m_shape1->isVisibleTo(this);
}

void UserControl5::ReadProperties(const PropertyBag& bag)
{
    m_caption = bag.value(QStringLiteral("Hold_Caption"), QStringLiteral("null")).toString();
    m_icon = static_cast<qint16>(bag.value(QStringLiteral("Hold_Icon"), 1).toInt());
}

void UserControl5::WriteProperties(PropertyBag& bag) const
{
    bag.insert(QStringLiteral("Hold_Caption"), m_caption);
    bag.insert(QStringLiteral("Hold_Icon"), m_icon);
}

void UserControl5::showEvent(QShowEvent*)
{
    m_picture1->setGeometry(0, 0, width(), height());
    LoadColor();
    DrawFace(false);
}

void UserControl5::DrawFace(bool highlighted)
{
    // The face covers the whole box, so nothing needs clearing first.
    const int w = m_picture1->width();
    const qint16 r = m_picture1->DrawImageString(1, m_leftCap, 0, 0);
    m_picture1->DrawImageString(static_cast<qint16>(w - r - 1), m_body, r, 0);
    m_picture1->DrawImageString(1, m_rightEdge, static_cast<qint16>(w - 1), 0);
    if (m_icon >= 1 && m_icon <= 4) {
        const QString& picture = highlighted ? m_highlightedPictures[m_icon - 1] : m_pictures[m_icon - 1];
        m_picture1->DrawImageString(1, picture, r, 0);
    }
    DrawCaption(*m_picture1, QString(kCaptionIndent, u' ') + m_caption, Qt::AlignLeft);
}

void UserControl5::OnMouseLeftDown()
{
    m_shape1->setGeometry(2, 3, m_picture1->width() - 6, 30);
    m_shape1->show();
    m_shape1->raise();
}

void UserControl5::OnMouseLeftUp()
{
    emit Click();
}

} // namespace qb
