#pragma once
// A program icon tests can recognise once it has been found: plain red.
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>

namespace qb::test {

// The colour in the middle of a pixmap; invalid when it is empty.
inline QColor PixmapCentre(const QPixmap& pixmap)
{
    return pixmap.isNull() ? QColor() : pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
}

// A desktop entry in `folder`/apps that gives `program` a plain red icon; returns that apps folder.
inline QString WriteRedIconEntry(const QString& folder, const QString& program)
{
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    EXPECT_TRUE(red.save(folder + "/red.png"));
    QDir().mkpath(folder + "/apps");
    TempHome::WriteAll(
        folder + "/apps/app.desktop",
        ("[Desktop Entry]\nType=Application\nIcon=" + folder + "/red.png\nExec=" + program + "\n").toUtf8());
    return folder + "/apps";
}

} // namespace qb::test
