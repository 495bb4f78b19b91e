#pragma once
// A white sheet on which the gallery places controls in labelled rows.
#include <QString>
#include <QWidget>

namespace qb::tools {

// Places widgets left to right with a caption under each, in sections that start on a new row.
class Sheet : public QWidget {
public:
    explicit Sheet(int width);

    // Starts a new row with a heading.
    void Section(const QString& title);
    // Places `widget` (reparented to the sheet, sized already) at the next free spot with `caption` under
    // it, and shows both.
    template <typename W> W* Place(W* widget, const QString& caption)
    {
        PlaceWidget(widget, caption);
        return widget;
    }
    // Height actually used.
    int UsedHeight() const { return m_rowTop + m_rowHeight + kMargin; }

private:
    static constexpr int kMargin = 12;
    static constexpr int kGap = 14;
    void PlaceWidget(QWidget* widget, const QString& caption);

    int m_x = kMargin;
    int m_rowTop = kMargin;
    int m_rowHeight = 0;
};

} // namespace qb::tools
