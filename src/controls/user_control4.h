#pragma once
// Drop-down strip of link-like entries that unfolds under a navigation header.
#include <QList>
#include <QRect>
#include <QWidget>

namespace qb {

class PictureBox;
class TrackMouse;

// `UserControl4`: entries (numbered from 1) show grey text at rest, black underlined text under the
// pointer, and the chosen entry on a white tab that runs out past the strip's right edge. A left press
// chooses the entry under the pointer; the release over it raises `ButtonClick` with its number.
// UI thread only.
class UserControl4 : public QWidget {
    Q_OBJECT
public:
    explicit UserControl4(QWidget* parent = nullptr);

    // Appends an entry, which starts being tracked at once; clears the choice.
    void AddButton(const QString& caption);
    // Lays the strip out for its entries and widens it by 200 twips for the tab; the host calls it each
    // time it opens the strip, after giving the strip the header's left, top and width.
    void ShowMe();
    // Chooses entry `index`; an index past the last entry or the current choice does nothing.
    void ShowMenu(qint16 index);
    void Reset();
    void LoadColors();
    void UnSubClass();

    qint16 SelectedEntry() const { return m_selected; }
    int EntryCount() const { return static_cast<int>(m_picture2.size()) - 1; }
    // Element 0 is the design-time template whose geometry every entry copies.
    PictureBox* Picture2(int index) const { return m_picture2.at(index); }
    PictureBox* Picture1() const { return m_picture1; }

signals:
    void ButtonClick(qint16 index);

private:
    void DrawEntryText(PictureBox& entry);
    void ShowAtRest(PictureBox& entry, QSize size);
    void OnMouseOver(int index);
    void OnMouseOut(int index);
    void OnMouseLeftUp(int index);

    PictureBox* m_picture1;
    QList<PictureBox*> m_picture2;
    QList<TrackMouse*> m_trackMouse1;
    qint16 m_selected = -1;
    QString m_bottomEdge;
    QString m_leftCorner;
    QString m_rightCorner;
};

} // namespace qb
