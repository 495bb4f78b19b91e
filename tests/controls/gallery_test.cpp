#include "controls/pixels.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace qb {
namespace {

#ifdef QB_CONTROL_GALLERY
TEST(ControlGalleryTest, RendersEveryControlIntoOnePngAndRefusesToRunWithoutAPath)
{
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("controls.png"));
    QProcess gallery; // inherits the offscreen platform of the test
    gallery.start(QStringLiteral(QB_CONTROL_GALLERY), {path});
    ASSERT_TRUE(gallery.waitForFinished(60000));
    ASSERT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
    // Signature colours: the navigation blue, the strip, the toolbar top line, the banner's top rule and
    // the push button frame.
    for (QRgb colour : {qRgb(78, 164, 241), qRgb(220, 223, 236), qRgb(119, 119, 146), qRgb(200, 200, 200),
                        qRgb(190, 190, 189)})
        EXPECT_TRUE(test::HasColour(image, colour)) << std::hex << colour;
    gallery.start(QStringLiteral(QB_CONTROL_GALLERY), {});
    ASSERT_TRUE(gallery.waitForFinished(60000));
    EXPECT_TRUE(gallery.exitStatus() == QProcess::NormalExit && gallery.exitCode() > 0);
}
#endif

} // namespace
} // namespace qb
