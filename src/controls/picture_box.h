#pragma once
// A picture box with a persistent drawing surface: everything drawn on it lands in an image the box owns
// and paints from, so drawings survive repaints. Units are pixels; colours are packed values.
#include <QImage>
#include <QWidget>

namespace qb {

// Drawing surface shared by the drawn controls. UI thread only.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    qint32 BackColor() const { return m_backColor; }
    // Like a picture box, setting the back colour also clears the surface to it.
    void SetBackColor(qint32 packed);
    qint32 ForeColor() const { return m_foreColor; }
    void SetForeColor(qint32 packed) { m_foreColor = packed; }
    bool FontUnderline() const { return font().underline(); }
    void SetFontUnderline(bool underline);

    // Clears the surface to the back colour.
    void Cls();
    // Draws an image string on the surface; see DrawImageString.
    qint16 DrawImageString(qint16 stretch, const QString& imageText, qint16 x, qint16 y);
    // A line that leaves out its end point, as the classic line primitive does.
    void Line(QPoint from, QPoint to, qint32 packed);
    // The outline of the rectangle spanned by two corners, both included.
    void Box(QPoint corner1, QPoint corner2, qint32 packed);
    // Height of `text` laid out in `rect` with Qt alignment and wrap `flags`, as a text measuring call
    // would return it.
    int MeasureText(const QRect& rect, int flags, const QString& text) const;
    // Draws `text` clipped to `rect` in the fore colour with the box's font and underline setting.
    void DrawText(const QRect& rect, int flags, const QString& text);

    // The surface at the box's current size.
    const QImage& Surface();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EnsureSurfaceSize();

    QImage m_surface;
    qint32 m_backColor = 0xFFFFFF;
    qint32 m_foreColor = 0;
};

} // namespace qb
