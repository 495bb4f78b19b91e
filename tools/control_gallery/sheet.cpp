#include "control_gallery/sheet.h"

#include <QLabel>
#include <QPalette>

#include <algorithm>

namespace qb::tools {
namespace {

QFont LabelFont(bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(bold ? 13 : 11);
    font.setBold(bold);
    return font;
}

} // namespace

Sheet::Sheet(int width)
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(240, 240, 240));
    palette.setColor(QPalette::WindowText, QColor(60, 60, 60));
    setPalette(palette);
    setAutoFillBackground(true);
    resize(width, 100);
}

void Sheet::Section(const QString& title)
{
    if (m_rowHeight > 0 || m_x > kMargin)
        m_rowTop += m_rowHeight + kGap;
    auto* heading = new QLabel(title, this);
    heading->setFont(LabelFont(true));
    heading->setTextFormat(Qt::PlainText);
    heading->adjustSize();
    heading->move(kMargin, m_rowTop);
    heading->show();
    m_rowTop += heading->height() + 6;
    m_x = kMargin;
    m_rowHeight = 0;
}

void Sheet::PlaceWidget(QWidget* widget, const QString& caption)
{
    widget->setParent(this);
    auto* label = new QLabel(caption, this);
    label->setFont(LabelFont(false));
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
    const int itemWidth = std::max(widget->width(), label->width());
    if (m_x > kMargin && m_x + itemWidth > width() - kMargin) {
        m_rowTop += m_rowHeight + kGap;
        m_x = kMargin;
        m_rowHeight = 0;
    }
    widget->move(m_x, m_rowTop);
    label->move(m_x, m_rowTop + widget->height() + 3);
    widget->show();
    label->show();
    m_rowHeight = std::max(m_rowHeight, widget->height() + 3 + label->height());
    m_x += itemWidth + kGap;
}

} // namespace qb::tools
