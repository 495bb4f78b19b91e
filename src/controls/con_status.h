#pragma once
// Network activity picture: two computers cabled to a connector under a padlock, 50 x 50 pixels.
#include "controls/picture_box.h"

namespace qb {

// `ConStatus`: shows one of four pictures chosen by `SetStatus`: 0 both screens lit, 1 both dark (also
// shown on show and resize), 2 the rear screen lit, 3 the front one lit. UI thread only.
class ConStatus : public PictureBox {
    Q_OBJECT
public:
    explicit ConStatus(QWidget* parent = nullptr);

    // Joins the four pictures from their pieces.
    void LoadColors();
    // Clears and shows picture `status`; outside 0 to 3 the surface stays cleared.
    void SetStatus(qint16 status);

    const QString& Picture(int index) const { return m_pictures[index]; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowQuiet();

    QString m_pictures[4];
};

} // namespace qb
