#pragma once
// Title banner of a page: a picture with a light line above it and a shaded rule below it, and on
// request a gradient from white in the middle to a colour at the right edge.
#include "controls/picture_box.h"

#include <QImage>

namespace qb {

// `UserControl2`: a persistent surface that also holds the page's controls. `Gradient` paints the right
// half and the rules; show and resize draw the rules only, keeping an earlier gradient. UI thread only.
class UserControl2 : public PictureBox {
    Q_OBJECT
public:
    explicit UserControl2(QWidget* parent = nullptr);

    // Splits a packed colour into its components and sets `colour` to 0.
    void Analyze(qint32& colour);
    // Paints columns width/2 to width from white to `colour`, then the rules. A control without width
    // gets the rules only.
    void Gradient(qint32 colour);
    void LoadBMP();

    double Red() const { return m_red; }
    double Green() const { return m_green; }
    double Blue() const { return m_blue; }

    // The design-time picture (`Image1`) and where it sits; the rules are placed by it.
    void SetImage1(const QImage& picture, QPoint position);
    QRect Image1Geometry() const { return QRect(m_image1Position, m_image1.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawRules();

    double m_red = 0;
    double m_green = 0;
    double m_blue = 0;
    QString m_colorBottom;
    QString m_colorTop;
    QImage m_image1;
    QPoint m_image1Position;
};

} // namespace qb
