#pragma once
// Toggle header button of a navigation section, 25 pixels tall: a raised face while closed, a sunken
// face joined to the strip below it while open.
#include "controls/property_bag.h"

#include <QWidget>

namespace qb {

class PictureBox;
class TrackMouse;

// `UserControl1`: draws its faces from colour strings on `Picture1` and toggles `CurrentState` (0
// released, 1 pressed) on every left press; `Clicked` reports the new state when the button is released
// over it. It reacts to the pointer only after `SubClassMe`. UI thread only.
class UserControl1 : public QWidget {
    Q_OBJECT
public:
    explicit UserControl1(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    // Stored only; shown at the next paint.
    void SetCaption(const QString& caption) { m_caption = caption; }
    qint16 CurrentState() const { return m_currentState; }

    void LoadColors();
    void Reset();
    // Shows the pressed face and sets `CurrentState` to 1 without raising `Clicked`.
    void ForceClick();
    void SubClassMe();
    void UnSubClassMe();

    // Saved property "strCaption"; absent, the caption becomes "UserControl1".
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    PictureBox* Picture1() const { return m_picture1; }

signals:
    void Clicked(qint16 currentState);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawFace(bool pressed);
    void DrawCaption();
    void OnMouseOver();
    void OnMouseOut();
    void OnMouseLeftDown();
    void OnMouseLeftUp();
    void Repaint(qint32 textColour);

    PictureBox* m_picture1;
    TrackMouse* m_trackMouse1;
    QString m_caption = QStringLiteral("UserControl1");
    qint16 m_currentState = 0;
    QString m_colorCap;
    QString m_colorCent;
    QString m_colorCap1;
    QString m_colorCap2;
    QString m_colorCent1;
};

} // namespace qb
