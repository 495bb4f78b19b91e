#include "controls/user_control7.h"

#include "controls/draw_caption.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/shape_outline.h"
#include "controls/track_mouse.h"

#include <QPointer>

namespace qb {
namespace {

constexpr qint32 kBlack = 0;
constexpr qint32 kWhite = 16777215;
constexpr qint32 kEtchedGrey = 12632256;
constexpr qint32 kOutlineGrey = 4210752;
constexpr int kHeightTwips = 360;

} // namespace

UserControl7::UserControl7(QWidget* parent)
    : QWidget(parent), m_picture1(new PictureBox(this)), m_shape1(new ShapeOutline(kOutlineGrey, this)),
      m_trackMouse1(new TrackMouse(this))
{
    QFont captionFont(QStringLiteral("Tahoma"));
    captionFont.setPixelSize(12); // 9 points at 96 dots per inch
    m_picture1->setFont(captionFont);
    m_picture1->SetBackColor(kBlack);
    connect(m_trackMouse1, &TrackMouse::MouseOver, this, [this] { OnHover(Face::Highlighted); });
    connect(m_trackMouse1, &TrackMouse::MouseOut, this, [this] { OnHover(Face::Normal); });
    connect(m_trackMouse1, &TrackMouse::MouseLeftDown, this, &UserControl7::OnMouseLeftDown);
    connect(m_trackMouse1, &TrackMouse::MouseLeftUp, this, &UserControl7::OnMouseLeftUp);
    setFixedHeight(TwipsToPixels(kHeightTwips));
    resize(90, height());
}

void UserControl7::SetCaption(const QString& caption)
{
    m_caption = caption;
    Redraw();
}

void UserControl7::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    Redraw();
}

void UserControl7::LoadColors()
{
    using namespace images;
    m_faces[0][0] = QLatin1StringView(kUserControl7NormalLeftCap);
    m_faces[0][1] = QLatin1StringView(kUserControl7NormalBody);
    m_faces[0][2] = QLatin1StringView(kUserControl7NormalRightCap);
    m_faces[1][0] = QLatin1StringView(kUserControl7HighlightedLeftCap);
    m_faces[1][1] = QLatin1StringView(kUserControl7HighlightedBody);
    m_faces[1][2] = QLatin1StringView(kUserControl7HighlightedRightCap);
    m_faces[2][0] = QLatin1StringView(kUserControl7PressedLeftCap);
    m_faces[2][1] = QLatin1StringView(kUserControl7PressedBody);
    // The pressed face closes with the normal right cap.
    m_faces[2][2] = QLatin1StringView(kUserControl7NormalRightCap);
    m_faces[3][0] = QLatin1StringView(kUserControl7DisabledLeftCap);
    m_faces[3][1] = QLatin1StringView(kUserControl7DisabledBody);
    m_faces[3][2] = QLatin1StringView(kUserControl7DisabledRightCap);
}

void UserControl7::ShowDisable()
{
    DrawFace(Face::Disabled);
    // A white copy one step down and right under the grey caption the caller draws next etches it.
    m_captionOffset = QPoint(2, 2);
    m_picture1->SetForeColor(kWhite);
    DrawCaption();
    m_picture1->SetForeColor(kEtchedGrey);
    m_captionOffset = QPoint(0, 0);
}

void UserControl7::SubClassMe()
{
    m_trackMouse1->Watch(m_picture1);
}

void UserControl7::UnSubClassMe()
{
    m_trackMouse1->CloseWatch();
}

bool UserControl7::IsShapeVisible() const
{
    return m_shape1->isVisibleTo(this);
}

void UserControl7::ReadProperties(const PropertyBag& bag)
{
    m_caption = bag.value(QStringLiteral("Hold_Caption"), QStringLiteral("null")).toString();
    m_enabled = bag.value(QStringLiteral("Hold_Enabled"), true).toBool();
}

void UserControl7::WriteProperties(PropertyBag& bag) const
{
    bag.insert(QStringLiteral("Hold_Caption"), m_caption);
    bag.insert(QStringLiteral("Hold_Enabled"), m_enabled);
}

void UserControl7::showEvent(QShowEvent*)
{
    Redraw();
}

void UserControl7::resizeEvent(QResizeEvent*)
{
    m_picture1->setGeometry(0, 0, width(), height());
}

void UserControl7::Redraw()
{
    m_picture1->Cls();
    m_heldDown = false;
    LoadColors();
    m_picture1->setGeometry(0, 0, width(), height());
    if (!m_enabled) {
        ShowDisable();
    } else {
        m_picture1->SetForeColor(kBlack);
        DrawFace(Face::Normal);
    }
    DrawCaption();
}

void UserControl7::DrawFace(Face face)
{
    const auto& set = m_faces[static_cast<int>(face)];
    const int w = m_picture1->width();
    const qint16 r = m_picture1->DrawImageString(1, set[0], 0, 0);
    m_picture1->DrawImageString(static_cast<qint16>(w - r - 2), set[1], r, 0);
    m_picture1->DrawImageString(1, set[2], static_cast<qint16>(face == Face::Disabled ? w - 2 : w - r), 0);
}

void UserControl7::DrawCaption()
{
    qb::DrawCaption(*m_picture1, m_caption, Qt::AlignHCenter, m_captionOffset);
}

void UserControl7::OnHover(Face face)
{
    if (m_heldDown)
        return;
    PaintFace(face);
    DrawCaption();
}

bool UserControl7::PaintFace(Face face)
{
    m_picture1->Cls();
    LoadColors();
    if (!m_enabled) {
        ShowDisable();
        return false;
    }
    m_picture1->SetForeColor(kBlack);
    DrawFace(face);
    return true;
}

void UserControl7::OnMouseLeftDown()
{
    m_heldDown = true;
    if (PaintFace(Face::Pressed)) {
        const int w = m_picture1->width();
        const int h = m_picture1->height();
        m_shape1->setGeometry(3, 3, w - 7, h - 6);
        m_shape1->show();
        m_shape1->raise();
    }
    DrawCaption();
}

void UserControl7::OnMouseLeftUp()
{
    m_heldDown = false;
    if (PaintFace(Face::Normal)) {
        const QPointer<UserControl7> self(this);
        emit Click();
        if (!self)
            return; // the host closed the button's window from its handler
    }
    DrawCaption();
    m_shape1->hide();
}

} // namespace qb
