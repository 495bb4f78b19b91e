#pragma once
// Pixel look-ups shared by the drawn-control tests.
#include "controls/image_string.h"

#include <QImage>
#include <QRect>

namespace qb::test {

// Pixel (column, row) of a picture given as an image string.
inline QRgb PicturePixel(const char* text, int column, int row)
{
    return ImageStringToImage(QLatin1StringView(text)).pixel(column, row);
}

// Whether `colour` appears in `area` of `image`, the whole image when `area` is empty.
inline bool HasColour(const QImage& image, QRgb colour, QRect area = {})
{
    area = area.isEmpty() ? image.rect() : area;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

} // namespace qb::test
