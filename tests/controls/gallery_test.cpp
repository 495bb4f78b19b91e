#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace qb {
namespace {

#ifdef QB_CONTROL_GALLERY
bool Contains(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

TEST(ControlGalleryTest, RendersEveryControlIntoOnePngOffscreen)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString path = out.filePath(QStringLiteral("controls.png"));
    QProcess gallery;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(environment);
    gallery.start(QStringLiteral(QB_CONTROL_GALLERY), {path});
    ASSERT_TRUE(gallery.waitForFinished(60000));
    ASSERT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 600);
    EXPECT_GE(image.height(), 600);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    // Signature colours: the navigation blue, the strip, the toolbar top line, the banner's top rule and
    // the push button frame.
    for (QRgb colour : {qRgb(78, 164, 241), qRgb(220, 223, 236), qRgb(119, 119, 146), qRgb(200, 200, 200),
                        qRgb(190, 190, 189)})
        EXPECT_TRUE(Contains(rgb, colour)) << std::hex << colour;
}

TEST(ControlGalleryTest, RefusesToRunWithoutAnOutputPath)
{
    QProcess gallery;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(environment);
    gallery.start(QStringLiteral(QB_CONTROL_GALLERY), {});
    ASSERT_TRUE(gallery.waitForFinished(60000));
    EXPECT_NE(gallery.exitCode(), 0);
}
#endif

} // namespace
} // namespace qb
