#pragma once
// Pixel checks shared by the drawn-control tests.
#include "controls/image_string.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

namespace qb::test {

// How many pixels of `area` in `image` (the whole image when `area` is empty) are `colour`.
inline int CountColour(const QImage& image, QRgb colour, QRect area = {})
{
    area = area.isEmpty() ? image.rect() : area;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

// Whether `shot` shows the opaque pixels of `picture` (an image string) with its top-left pixel at `at`.
inline testing::AssertionResult Shows(const QImage& shot, QPoint at, const QString& picture)
{
    const QImage image = ImageStringToImage(picture);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0 && shot.pixel(at + QPoint(x, y)) != image.pixel(x, y))
                return testing::AssertionFailure() << "differs at " << at.x() + x << "," << at.y() + y;
    return testing::AssertionSuccess();
}

} // namespace qb::test
