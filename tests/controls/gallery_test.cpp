#include "controls/pixels.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <string>
#include <utility>

namespace qb {
namespace {

#ifdef QB_CONTROL_GALLERY
// Runs the gallery offscreen; its exit code (-1 when it did not end normally) and what it wrote to stderr.
std::pair<int, std::string> RunGallery(const QStringList& arguments)
{
    QProcess gallery;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    gallery.setProcessEnvironment(environment);
    gallery.start(QStringLiteral(QB_CONTROL_GALLERY), arguments);
    const bool ended = gallery.waitForFinished(60000) && gallery.exitStatus() == QProcess::NormalExit;
    return {ended ? gallery.exitCode() : -1, gallery.readAllStandardError().toStdString()};
}

TEST(ControlGalleryTest, RendersEveryControlIntoOnePngAndRefusesToRunWithoutAPath)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString path = out.filePath(QStringLiteral("controls.png"));
    const auto [exitCode, errors] = RunGallery({path});
    ASSERT_EQ(exitCode, 0) << errors;
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 600);
    EXPECT_GE(image.height(), 600);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    // Signature colours: the navigation blue, the strip, the toolbar top line, the banner's top rule and
    // the push button frame.
    for (QRgb colour : {qRgb(78, 164, 241), qRgb(220, 223, 236), qRgb(119, 119, 146), qRgb(200, 200, 200),
                        qRgb(190, 190, 189)})
        EXPECT_TRUE(test::HasColour(rgb, colour)) << std::hex << colour;
    EXPECT_GT(RunGallery({}).first, 0);
}
#endif

} // namespace
} // namespace qb
