#include "controls/user_control4.h"

#include "controls/draw_caption.h"
#include "controls/images/given_images.h"
#include "controls/picture_box.h"
#include "controls/track_mouse.h"

namespace qb {
namespace {

constexpr qint32 kStripBack = 15523804;
constexpr qint32 kTabWhite = 16777215;
constexpr qint32 kRestText = 8421504;
constexpr qint32 kHoverText = 0;
constexpr qint32 kFrameGrey = 8421504;
constexpr qint32 kWindowBack = 15790320; // the system's window background, (240, 240, 240)
constexpr int kWidenTwips = 200;
// The template sits just above the strip, so the first entry starts 5 pixels below its top edge.
constexpr QRect kTemplateGeometry(1, -13, 140, 18);

} // namespace

UserControl4::UserControl4(QWidget* parent) : QWidget(parent), m_picture1(new PictureBox(this))
{
    m_picture1->SetBackColor(kStripBack);
    auto* templateEntry = new PictureBox(this);
    QFont entryFont(QStringLiteral("Tahoma"));
    entryFont.setPixelSize(11); // 8.25 points at 96 dots per inch
    templateEntry->setFont(entryFont);
    templateEntry->SetBackColor(kWindowBack);
    templateEntry->SetForeColor(kRestText);
    templateEntry->setGeometry(kTemplateGeometry);
    templateEntry->hide();
    m_picture2.append(templateEntry);
    m_trackMouse1.append(new TrackMouse(this));
    resize(160, 100);
}

void UserControl4::AddButton(const QString& caption)
{
    m_selected = -1;
    const int n = static_cast<int>(m_picture2.size());
    const PictureBox* templateEntry = m_picture2.front();
    const PictureBox* previous = m_picture2.back();
    auto* entry = new PictureBox(this);
    entry->setFont(templateEntry->font());
    entry->SetForeColor(templateEntry->ForeColor());
    entry->setGeometry(templateEntry->x(), previous->y() + previous->height(), templateEntry->width(),
                       templateEntry->height());
    entry->SetBackColor(kStripBack);
    m_picture1->lower();
    entry->setProperty("Tag", caption);
    entry->show();
    DrawEntryText(*entry);
    auto* tracker = new TrackMouse(this);
    connect(tracker, &TrackMouse::MouseOver, this, [this, n] { OnMouseOver(n); });
    connect(tracker, &TrackMouse::MouseOut, this, [this, n] { OnMouseOut(n); });
    connect(tracker, &TrackMouse::MouseLeftDown, this, [this, n] { ShowMenu(static_cast<qint16>(n)); });
    connect(tracker, &TrackMouse::MouseLeftUp, this, [this, n] { OnMouseLeftUp(n); });
    m_picture2.append(entry);
    m_trackMouse1.append(tracker);
    tracker->Watch(entry);
}

void UserControl4::ShowMe()
{
    const PictureBox* last = m_picture2.back();
    const int stripHeight = last->y() + last->height() + 5;
    m_picture1->setGeometry(0, 0, width(), stripHeight);
    const int ph = m_picture1->height();
    const int pw = m_picture1->width();
    m_picture1->SetBackColor(kStripBack);
    // Left, bottom and right edges; the top stays open towards the header above.
    m_picture1->Line(QPoint(0, 0), QPoint(0, ph), kFrameGrey);
    m_picture1->Line(QPoint(0, ph - 1), QPoint(pw, ph - 1), kFrameGrey);
    m_picture1->Line(QPoint(pw - 1, ph), QPoint(pw - 1, -1), kFrameGrey);
    resize(width() + TwipsToPixels(kWidenTwips), TwipsToPixels(stripHeight * kTwipsPerPixel));
}

void UserControl4::ShowMenu(qint16 index)
{
    // Below 1 there is only the template, which is never an entry.
    if (index > EntryCount() || index == m_selected || index < 1)
        return;
    if (m_selected > 0)
        ShowAtRest(*m_picture2[m_selected], QSize(m_picture2.front()->width(), m_picture2[index]->height()));
    m_selected = index;
    LoadColors();
    PictureBox& entry = *m_picture2[index];
    entry.SetBackColor(kTabWhite);
    // The width in twips taken as pixels makes the tab run well past the strip's right edge.
    entry.resize(width() * kTwipsPerPixel, entry.height() + 2);
    // The tab's bottom edge must not hide under the entry below it.
    entry.raise();
    const int h = entry.height();
    const auto pw = static_cast<qint16>(m_picture1->width());
    const auto edgeTop = static_cast<qint16>(h - 2);
    entry.DrawImageString(pw, m_bottomEdge, 0, edgeTop);
    entry.DrawImageString(1, m_leftCorner, 0, edgeTop);
    entry.DrawImageString(1, m_rightCorner, pw, edgeTop);
    DrawEntryText(entry);
}

void UserControl4::Reset()
{
    if (m_selected > 0)
        ShowAtRest(*m_picture2[m_selected], m_picture2.front()->size());
    m_selected = -1;
}

void UserControl4::LoadColors()
{
    m_bottomEdge = QLatin1StringView(images::kUserControl4BottomEdge);
    m_leftCorner = QLatin1StringView(images::kUserControl4LeftCorner);
    m_rightCorner = QLatin1StringView(images::kUserControl4RightCorner);
}

void UserControl4::UnSubClass()
{
    for (int k = 1; k < m_trackMouse1.size(); ++k)
        m_trackMouse1[k]->CloseWatch();
}

void UserControl4::DrawEntryText(PictureBox& entry)
{
    DrawCaption(entry, entry.property("Tag").toString(), Qt::AlignLeft);
}

void UserControl4::ShowAtRest(PictureBox& entry, QSize size)
{
    entry.Cls();
    entry.SetBackColor(kStripBack);
    entry.resize(size);
    entry.SetForeColor(kRestText);
    entry.SetFontUnderline(false);
    DrawEntryText(entry);
}

void UserControl4::OnMouseOver(int index)
{
    PictureBox& entry = *m_picture2[index];
    if (index != m_selected)
        entry.Cls();
    entry.SetForeColor(kHoverText);
    entry.SetFontUnderline(true);
    DrawEntryText(entry);
}

void UserControl4::OnMouseOut(int index)
{
    PictureBox& entry = *m_picture2[index];
    if (index != m_selected)
        entry.Cls();
    entry.SetForeColor(kRestText);
    entry.SetFontUnderline(false);
    DrawEntryText(entry);
}

void UserControl4::OnMouseLeftUp(int index)
{
    emit ButtonClick(static_cast<qint16>(index));
}

} // namespace qb
