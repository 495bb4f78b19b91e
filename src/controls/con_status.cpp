#include "controls/con_status.h"

#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"

namespace qb {
namespace {

constexpr qint32 kWindowBack = 15790320; // (240, 240, 240)
constexpr int kSize = 50;

} // namespace

ConStatus::ConStatus(QWidget* parent) : PictureBox(parent)
{
    SetBackColor(kWindowBack);
    resize(kSize, kSize);
}

void ConStatus::LoadColors()
{
    for (int i = 0; i < 4; ++i)
        m_pictures[i] = images::JoinPieces(images::kConStatusPictures[i]);
}

void ConStatus::SetStatus(qint16 status)
{
    Cls();
    LoadColors();
    if (status < 0 || status > 3)
        return;
    DrawImageString(1, m_pictures[status], 0, 0);
}

void ConStatus::showEvent(QShowEvent* event)
{
    PictureBox::showEvent(event);
    ShowQuiet();
}

void ConStatus::resizeEvent(QResizeEvent* event)
{
    PictureBox::resizeEvent(event);
    ShowQuiet();
}

void ConStatus::ShowQuiet()
{
    LoadColors();
    DrawImageString(1, m_pictures[1], 0, 0);
}

} // namespace qb
