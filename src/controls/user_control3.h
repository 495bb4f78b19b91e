#pragma once
// Background panel painted with a colour gradient.
#include "controls/picture_box.h"

namespace qb {

// `UserControl3`: on show and on every resize paints itself from (208, 209, 214) at the top to white at
// the bottom. UI thread only.
class UserControl3 : public PictureBox {
    Q_OBJECT
public:
    explicit UserControl3(QWidget* parent = nullptr);

    // Splits a packed colour into its components and sets `colour` to 0.
    void Analyze(qint32& colour);
    // Orientation 0: one horizontal line per row 0..height, top to bottom; 1: one vertical line per
    // column 0..width, left to right; any other value, or a control without that extent, paints nothing.
    // The colour moves one step before the first line, so the last line lies one step past `endColour`.
    void Gradient(qint32 orientation, qint32 startColour, qint32 endColour);

    double Red() const { return m_red; }
    double Green() const { return m_green; }
    double Blue() const { return m_blue; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double m_red = 0;
    double m_green = 0;
    double m_blue = 0;
};

} // namespace qb
