#pragma once
// The look every page shares: its fonts and the bold title beside the banner's picture.
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace qb {

// "Tahoma" at a pixel size, as the pages' captions are set.
QFont PageFont(int pixelSize, bool bold);
// Adds the page's title to `banner`, right of its picture and above its rules.
QLabel* AddPageTitle(QWidget* banner, const QString& text);

} // namespace qb
