#include "controls/page_title.h"

#include <QLabel>

namespace qb {

QFont PageFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel* AddPageTitle(QWidget* banner, const QString& text)
{
    auto* title = new QLabel(text, banner);
    title->setObjectName(QStringLiteral("Title"));
    title->setTextFormat(Qt::PlainText);
    title->setFont(PageFont(16, true));
    title->setGeometry(62, 12, 300, 24);
    return title;
}

} // namespace qb
