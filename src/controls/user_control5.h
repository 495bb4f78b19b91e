#pragma once
// Toolbar button with a picture, 37 pixels tall.
#include "controls/property_bag.h"

#include <QWidget>

namespace qb {

class PictureBox;
class ShapeOutline;
class TrackMouse;

// `UserControl5`: a gradient face with picture `Icon` (1 to 4; other values show none) and a caption;
// the picture lightens under the pointer. A left press shows a dotted outline that stays until `Reset`;
// `Click` is raised when the button is released over it. Reacts to the pointer only after `SubClassMe`.
// UI thread only.
class UserControl5 : public QWidget {
    Q_OBJECT
public:
    explicit UserControl5(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    qint16 Icon() const { return m_icon; }
    void SetIcon(qint16 icon) { m_icon = icon; }

    void LoadColor();
    void Reset();
    void SubClassMe();
    void UnSubClassMe();
    bool IsMarked() const;

    // Saved properties "Hold_Caption" (default "null") and "Hold_Icon" (default 1).
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    PictureBox* Picture1() const { return m_picture1; }

signals:
    void Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DrawFace(bool highlighted);
    void OnMouseLeftDown();
    void OnMouseLeftUp();

    PictureBox* m_picture1;
    ShapeOutline* m_shape1;
    TrackMouse* m_trackMouse1;
    QString m_caption = QStringLiteral("null");
    qint16 m_icon = 1;
    QString m_leftCap;
    QString m_body;
    QString m_rightEdge;
    QString m_pictures[4];
    QString m_highlightedPictures[4];
};

} // namespace qb
