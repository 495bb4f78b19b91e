#include "controls/user_control3.h"

#include "controls/colour_steps.h"

namespace qb {
namespace {

constexpr qint32 kPaleGrey = 14078416;
constexpr qint32 kWhite = 16777215;

} // namespace

UserControl3::UserControl3(QWidget* parent) : PictureBox(parent)
{
    resize(300, 200);
}

void UserControl3::Analyze(qint32& colour)
{
    const ColourComponents components = AnalyzeColour(colour);
    m_red = components.red;
    m_green = components.green;
    m_blue = components.blue;
}

void UserControl3::Gradient(qint32 orientation, qint32 startColour, qint32 endColour)
{
    Analyze(startColour);
    ColourComponents running{m_red, m_green, m_blue};
    Analyze(endColour);
    const ColourComponents delta{m_red - running.red, m_green - running.green, m_blue - running.blue};
    const int n = orientation == 1 ? width() : height();
    // Without that extent the steps would divide by zero and paint undefined colours.
    if (n <= 0)
        return;
    for (int i = 0; i <= n; ++i) {
        AdvanceColour(running, delta, n);
        const qint32 colour = PackComponents(running);
        if (orientation == 0)
            Box(QPoint(0, i), QPoint(width(), i), colour);
        else if (orientation == 1)
            Box(QPoint(i, 0), QPoint(i, height()), colour);
    }
}

void UserControl3::showEvent(QShowEvent* event)
{
    PictureBox::showEvent(event);
    Gradient(0, kPaleGrey, kWhite);
}

void UserControl3::resizeEvent(QResizeEvent* event)
{
    PictureBox::resizeEvent(event);
    Gradient(0, kPaleGrey, kWhite);
}

} // namespace qb
