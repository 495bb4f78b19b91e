#pragma once
// A picture surface (the page's PIC1): a kept image that line and box drawing goes to.
#include <QImage>
#include <QWidget>

#include <cstdint>

namespace qb {

// Colours are packed 0x00BBGGRR values.
QColor ColorFromBgr(uint32_t bgr);

// Draws into an image it keeps between repaints. Coordinates are pixels from 0 to ScaleWidth() and
// ScaleHeight() inclusive, so a figure that reaches (ScaleWidth(), ScaleHeight()) touches the last pixel;
// points outside are clipped. Border style 1 puts a one-pixel line around the image. UI thread only.
class PictureSurface : public QWidget {
    Q_OBJECT
public:
    explicit PictureSurface(QWidget* parent = nullptr);

    // Whether the window shows the kept drawing when it repaints; without it only the background shows.
    bool AutoRedraw() const { return m_autoRedraw; }
    void SetAutoRedraw(bool keep);
    // 0: none, 1: single line. Other values are ignored.
    int BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(int style);
    uint32_t BackColor() const { return m_backColor; }
    // Also clears the surface to the new colour.
    void SetBackColor(uint32_t bgr);
    // Clears the drawing to the background colour.
    void Cls();
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Both end points are drawn; coordinates are rounded to the nearest pixel.
    void Line(float x1, float y1, float x2, float y2, uint32_t bgr);
    // The outline of the rectangle with corners (x1, y1) and (x2, y2), both included.
    void Box(float x1, float y1, float x2, float y2, uint32_t bgr);

    // The kept drawing, one pixel per coordinate step.
    const QImage& Image() const;
    QSize sizeHint() const override { return {300, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize InnerSize() const;
    // Brings the image to the widget's inner size, keeping what fits of the drawing.
    void FitImage() const;

    bool m_autoRedraw = false;
    int m_borderStyle = 1;
    uint32_t m_backColor = 0xFFFFFF;
    mutable QImage m_image;
};

} // namespace qb
