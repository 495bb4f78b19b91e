#pragma once
// Turning drawn pictures into colour strings and colour strings into C++ source.
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace qb::tools {

inline constexpr int kTransparent = -1;

// One column of packed colours (or kTransparent), top to bottom.
using Column = std::vector<int>;

int Pack(const QColor& colour);
// Linear steps from `from` to `to` over `count` values, both ends included.
Column GradientColumn(const QColor& from, const QColor& to, int count);
// Concatenation helper for building columns piece by piece.
Column operator+(Column a, const Column& b);
Column Repeat(int packed, int count);

// "H,c,c,..." from columns of equal height.
QString EncodeColumns(const std::vector<Column>& columns);

// The colour a picture's edge pixels are blended with, by row: what lies under the picture where it is
// drawn. Pixels with alpha below a small cut-off become transparent.
using Matte = std::function<QColor(int row)>;
QString EncodeImage(const QImage& image, const Matte& matte);

// An image made brighter by `amount` (0 to 1, a fraction of the brightness), alpha kept.
QImage Brighten(const QImage& image, double amount);

// Splits an image string into `count` pieces at commas; every piece but the last ends with a comma.
QStringList SplitPieces(const QString& imageText, int count);

} // namespace qb::tools
