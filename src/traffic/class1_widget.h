#pragma once
// The traffic graph: a scrolling line of the last 100 values of a series, over an optional frame and grid.
#include "traffic/picture_surface_widget.h"
#include "traffic/transfer_meter.h"

#include <QPointer>

#include <cstdint>
#include <memory>

namespace qb {

// Draws DataCollection onto PictureBox. A value is a percentage of the plot's height: 0 on the plot's
// bottom, 100 or more on its top edge. The series and the surface are shared with their owners; Draw
// trims the series to its newest 100 values. Colours are 0x00BBGGRR. UI thread only.
class Class1 {
public:
    static constexpr int kPoints = 100;

    uint32_t GridColor() const { return m_gridColor; }
    void SetGridColor(uint32_t bgr) { m_gridColor = bgr; }
    bool GridVisible() const { return m_gridVisible; }
    void SetGridVisible(bool visible) { m_gridVisible = visible; }
    uint32_t BorderColor() const { return m_borderColor; }
    void SetBorderColor(uint32_t bgr) { m_borderColor = bgr; }
    // Frame thickness, and the inset of grid and plot, in pixels.
    int16_t BorderSize() const { return m_borderSize; }
    void SetBorderSize(int16_t size) { m_borderSize = size; }
    uint32_t PicForeground() const { return m_picForeground; }
    void SetPicForeground(uint32_t bgr) { m_picForeground = bgr; }
    uint32_t PicBackground() const { return m_picBackground; }
    void SetPicBackground(uint32_t bgr) { m_picBackground = bgr; }
    std::shared_ptr<GraphSeries> DataCollection() const { return m_dataCollection; }
    void SetDataCollection(std::shared_ptr<GraphSeries> series) { m_dataCollection = std::move(series); }
    PictureSurface* PictureBox() const { return m_pictureBox; }
    void SetPictureBox(PictureSurface* surface) { m_pictureBox = surface; }

    // Clears the surface and draws frame, grid and line. Does nothing without a surface; draws no line
    // without a series, and a short series only as far as its last value.
    void Draw();

private:
    void DrawFrame(PictureSurface& surface, int borderStyle) const;
    void DrawGrid(PictureSurface& surface) const;
    void DrawLine(PictureSurface& surface, GraphSeries& series) const;

    uint32_t m_gridColor = 0;
    bool m_gridVisible = false;
    uint32_t m_borderColor = 0;
    int16_t m_borderSize = 0;
    uint32_t m_picForeground = 0;
    uint32_t m_picBackground = 0;
    std::shared_ptr<GraphSeries> m_dataCollection;
    QPointer<PictureSurface> m_pictureBox;
};

} // namespace qb
