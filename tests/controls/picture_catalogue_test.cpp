#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/pixels.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace qb {
namespace {

using namespace images;

// Every picture with the size it must have.
std::vector<std::pair<QString, QSize>> AllPictures()
{
    const std::pair<QSize, std::vector<const char*>> bySize[] = {
        {{1, 23}, {kUserControl1Edge, kUserControl1Body}},
        {{3, 25}, {kUserControl1PressedLeftCap, kUserControl1PressedRightCap}},
        {{1, 25}, {kUserControl1PressedBody}},
        {{1, 4}, {kUserControl2Bottom}},
        {{1, 1}, {kUserControl2Top}},
        {{1, 2}, {kUserControl4BottomEdge}},
        {{2, 2}, {kUserControl4LeftCorner, kUserControl4RightCorner}},
        {{3, 37}, {kUserControl5LeftCap}},
        {{1, 37}, {kUserControl5Body, kUserControl5RightEdge, kPromptBand}},
        {{3, 24}, {kUserControl7NormalLeftCap, kUserControl7HighlightedLeftCap, kUserControl7PressedLeftCap}},
        {{1, 24},
         {kUserControl7NormalBody, kUserControl7HighlightedBody, kUserControl7PressedBody,
          kUserControl7DisabledBody}},
        {{2, 24},
         {kUserControl7NormalRightCap, kUserControl7HighlightedRightCap, kUserControl7DisabledLeftCap,
          kUserControl7DisabledRightCap}},
        {{10, 12}, {kTrayPadlock}},
        {{16, 16}, {kPicQuestion, kPicture3, kStatusOn, kStatusOff, kStatusIdle}},
        {{48, 48}, {kBannerImage1}}};
    std::vector<std::pair<QString, QSize>> pictures;
    for (const auto& [size, texts] : bySize) {
        for (const char* text : texts)
            pictures.emplace_back(QLatin1StringView(text), size);
    }
    for (int i = 0; i < 4; ++i) {
        pictures.emplace_back(JoinPieces(kUserControl5Pictures[i]), QSize(28, 34));
        pictures.emplace_back(JoinPieces(kUserControl5HighlightedPictures[i]), QSize(28, 34));
        pictures.emplace_back(JoinPieces(kConStatusPictures[i]), QSize(50, 50));
    }
    return pictures;
}

// Also catches a piece of a long picture that lost its trailing comma: the join then fuses two values.
TEST(PictureCatalogueTest, EveryPictureHasItsSizeAndOnlyColoursOrTransparency)
{
    const auto pictures = AllPictures();
    for (std::size_t n = 0; n < pictures.size(); ++n) {
        const auto& [text, size] = pictures[n];
        EXPECT_EQ(ImageStringSize(text), size) << "picture " << n;
        const QStringList elements = text.split(u',');
        // Whole columns only: the controls place pieces by their column counts.
        EXPECT_EQ((elements.size() - 1) % size.height(), 0) << "picture " << n;
        for (qsizetype i = 1; i < elements.size(); ++i) {
            bool ok = false;
            const int value = elements[i].toInt(&ok);
            ASSERT_TRUE(ok && value >= -1 && value <= 16777215) << "picture " << n << " element " << i;
        }
    }
}

bool Transparent(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 0;
}

TEST(PictureCatalogueTest, PicturesHaveTransparentSurroundingsAndHighlightsAreBrighterCopies)
{
    std::vector<QImage> surrounded{ImageStringToImage(QLatin1StringView(kTrayPadlock)),
                                   ImageStringToImage(QLatin1StringView(kBannerImage1))};
    for (int i = 0; i < 4; ++i) {
        const QImage normal = ImageStringToImage(JoinPieces(kUserControl5Pictures[i]));
        const QImage light = ImageStringToImage(JoinPieces(kUserControl5HighlightedPictures[i]));
        surrounded.insert(surrounded.end(),
                          {normal, light, ImageStringToImage(JoinPieces(kConStatusPictures[i]))});
        long long brighter = 0;
        for (int y = 0; y < normal.height(); ++y) {
            for (int x = 0; x < normal.width(); ++x) {
                ASSERT_EQ(Transparent(normal, x, y), Transparent(light, x, y)) << i << " " << x << "," << y;
                brighter += qGray(light.pixel(x, y)) - qGray(normal.pixel(x, y));
            }
        }
        EXPECT_GT(brighter, 0) << i;
    }
    for (const QImage& image : surrounded) {
        const int r = image.width() - 1;
        const int b = image.height() - 1;
        EXPECT_TRUE(Transparent(image, 0, 0) && Transparent(image, r, 0) && Transparent(image, 0, b) &&
                    Transparent(image, r, b))
            << image.width() << "x" << image.height();
    }
}

constexpr auto At = &test::PicturePixel;

TEST(PictureCatalogueTest, CapsAndBodiesFitTogether)
{
    for (int row = 0; row < 25; ++row) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(At(kUserControl1PressedLeftCap, c, row), At(kUserControl1PressedRightCap, 2 - c, row));
    }
    EXPECT_EQ(At(kUserControl1PressedBody, 0, 24), qRgb(220, 223, 236)); // the strip colour below
    EXPECT_EQ(At(kUserControl5Body, 0, 0), qRgb(119, 119, 146));
    EXPECT_EQ(At(kUserControl5LeftCap, 2, 10), At(kUserControl5Body, 0, 10));
    // Normal runs light to dark, pressed dark to light.
    EXPECT_GT(qGray(At(kUserControl7NormalBody, 0, 3)), qGray(At(kUserControl7NormalBody, 0, 20)));
    EXPECT_LT(qGray(At(kUserControl7PressedBody, 0, 3)), qGray(At(kUserControl7PressedBody, 0, 20)));
    EXPECT_EQ(QLatin1StringView(kPromptBand), QLatin1StringView(kUserControl5Body));
}

#if defined(QB_IMAGE_GENERATOR) && defined(QB_CONTROLS_IMAGES_DIR)
TEST(PictureCatalogueTest, CommittedCatalogueIsWhatTheGeneratorWrites)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess generator;
    generator.start(QStringLiteral(QB_IMAGE_GENERATOR), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    const QStringList written = QDir(out.path()).entryList(QDir::Files);
    ASSERT_FALSE(written.isEmpty());
    for (const QString& name : written) {
        QFile fresh(out.filePath(name));
        QFile committed(QDir(QStringLiteral(QB_CONTROLS_IMAGES_DIR)).filePath(name));
        ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
        ASSERT_TRUE(committed.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_TRUE(fresh.readAll() == committed.readAll()) << name.toStdString() << " is out of date";
    }
}
#endif

} // namespace
} // namespace qb
