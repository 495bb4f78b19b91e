#pragma once
// Push button with an enabled state, 24 pixels tall.
#include "controls/property_bag.h"

#include <QPoint>
#include <QWidget>

namespace qb {

class PictureBox;
class ShapeOutline;
class TrackMouse;

// `UserControl7`: a face for each of normal, highlighted (under the pointer), pressed and disabled, with
// a centred caption ("Tahoma" 9 points); a disabled button shows an etched caption and raises no
// `Click`. While the left button is held, hover changes are not drawn; `Click` is raised when an enabled
// button is released over it. Reacts to the pointer only after `SubClassMe`. UI thread only.
class UserControl7 : public QWidget {
    Q_OBJECT
public:
    explicit UserControl7(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    // Stores and redraws as on show.
    void SetCaption(const QString& caption);
    bool Enabled() const { return m_enabled; }
    // Stores and redraws as on show.
    void SetEnabled(bool enabled);

    void LoadColors();
    void ShowDisable();
    void SubClassMe();
    void UnSubClassMe();
    bool IsHeldDown() const { return m_heldDown; }
    bool IsShapeVisible() const;

    // Saved properties "Hold_Caption" (default "null") and "Hold_Enabled" (default true).
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    PictureBox* Picture1() const { return m_picture1; }

signals:
    void Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Face { Normal, Highlighted, Pressed, Disabled };
    void DrawFace(Face face);
    // Clears and draws `face`, or the disabled face; false when the button is disabled.
    bool PaintFace(Face face);
    void DrawCaption();
    void Redraw();
    void OnHover(Face face);
    void OnMouseLeftDown();
    void OnMouseLeftUp();

    PictureBox* m_picture1;
    ShapeOutline* m_shape1;
    TrackMouse* m_trackMouse1;
    QString m_caption = QStringLiteral("null");
    bool m_enabled = true;
    bool m_heldDown = false;
    QPoint m_captionOffset;
    // Left cap, body and right cap of the normal, highlighted, pressed and disabled sets.
    QString m_faces[4][3];
};

} // namespace qb
