#include "traffic/class1_widget.h"

namespace qb {
namespace {

constexpr int kVerticalGridLines = 20;
constexpr int kHorizontalGridLines = 10;

} // namespace

void Class1::Draw()
{
    PictureSurface* surface = m_pictureBox;
    if (surface == nullptr)
        return;
    if (!surface->AutoRedraw())
        surface->SetAutoRedraw(true);
    surface->Cls();
    const int borderStyle = surface->BorderStyle();
    if (surface->BackColor() != m_picBackground)
        surface->SetBackColor(m_picBackground);
    if (m_borderSize > 0)
        DrawFrame(*surface, borderStyle);
    if (m_gridVisible)
        DrawGrid(*surface);
    if (m_dataCollection && !m_dataCollection->empty())
        DrawLine(*surface, *m_dataCollection);
}

void Class1::DrawFrame(PictureSurface& surface, int borderStyle) const
{
    for (int i = 0; i <= m_borderSize; ++i) {
        const auto near = static_cast<float>(i);
        surface.Box(near, near, static_cast<float>(surface.ScaleWidth() - (i + borderStyle)),
                    static_cast<float>(surface.ScaleHeight() - (i + borderStyle)), m_borderColor);
    }
}

void Class1::DrawGrid(PictureSurface& surface) const
{
    const auto b = static_cast<float>(m_borderSize);
    // Each box shares its top, left and bottom edges with the others; its right edge is one grid line.
    for (int i = 1; i <= kVerticalGridLines; ++i) {
        const float plotWidth = static_cast<float>(surface.ScaleWidth()) - 2 * b;
        const float plotHeight = static_cast<float>(surface.ScaleHeight()) - 2 * b;
        surface.Box(b, b, plotWidth / kVerticalGridLines * static_cast<float>(i), plotHeight, m_gridColor);
    }
    for (int i = 1; i <= kHorizontalGridLines; ++i) {
        const float plotWidth = static_cast<float>(surface.ScaleWidth()) - 2 * b;
        const float plotHeight = static_cast<float>(surface.ScaleHeight()) - 2 * b;
        surface.Box(b, b, plotWidth, plotHeight / kHorizontalGridLines * static_cast<float>(i), m_gridColor);
    }
}

void Class1::DrawLine(PictureSurface& surface, GraphSeries& series) const
{
    const auto b = static_cast<float>(m_borderSize);
    const float v = (static_cast<float>(surface.ScaleHeight()) - 2 * b) / kPoints;
    const float u = (static_cast<float>(surface.ScaleWidth()) - 2 * b) / kPoints;
    while (series.size() > static_cast<std::size_t>(kPoints))
        series.pop_front();
    float x0 = b + 2;
    float y0 = (static_cast<float>(surface.ScaleHeight()) - 2 * b) - static_cast<float>(series.front()) * v;
    // The x axis always has 100 slots: a short series ends where its last value falls.
    for (int i = 1; i <= kPoints && static_cast<std::size_t>(i) <= series.size(); ++i) {
        const auto value = static_cast<float>(series[static_cast<std::size_t>(i - 1)]);
        float x = (static_cast<float>(surface.ScaleWidth()) - 2 * b) - static_cast<float>(101 - i) * u + 2;
        float y = (static_cast<float>(surface.ScaleHeight()) - 2 * b) - value * v;
        if (x < b)
            x = b;
        if (y < b)
            y = b;
        surface.Line(x0, y0, x, y, m_picForeground);
        x0 = x;
        y0 = y;
    }
}

} // namespace qb
