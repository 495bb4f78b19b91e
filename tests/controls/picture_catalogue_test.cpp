#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace qb {
namespace {

struct SizeCase {
    const char* name;
    QString text;
    QSize size;
};

QString Text(const char* literal)
{
    return QLatin1StringView(literal);
}

std::vector<SizeCase> AllPictures()
{
    using namespace images;
    std::vector<SizeCase> cases{
        {"UserControl1Edge", Text(kUserControl1Edge), {1, 23}},
        {"UserControl1Body", Text(kUserControl1Body), {1, 23}},
        {"UserControl1PressedLeftCap", Text(kUserControl1PressedLeftCap), {3, 25}},
        {"UserControl1PressedRightCap", Text(kUserControl1PressedRightCap), {3, 25}},
        {"UserControl1PressedBody", Text(kUserControl1PressedBody), {1, 25}},
        {"UserControl2Bottom", Text(kUserControl2Bottom), {1, 4}},
        {"UserControl2Top", Text(kUserControl2Top), {1, 1}},
        {"UserControl4BottomEdge", Text(kUserControl4BottomEdge), {1, 2}},
        {"UserControl4LeftCorner", Text(kUserControl4LeftCorner), {2, 2}},
        {"UserControl4RightCorner", Text(kUserControl4RightCorner), {2, 2}},
        {"UserControl5LeftCap", Text(kUserControl5LeftCap), {3, 37}},
        {"UserControl5Body", Text(kUserControl5Body), {1, 37}},
        {"UserControl5RightEdge", Text(kUserControl5RightEdge), {1, 37}},
        {"UserControl7NormalLeftCap", Text(kUserControl7NormalLeftCap), {3, 24}},
        {"UserControl7NormalBody", Text(kUserControl7NormalBody), {1, 24}},
        {"UserControl7NormalRightCap", Text(kUserControl7NormalRightCap), {2, 24}},
        {"UserControl7HighlightedLeftCap", Text(kUserControl7HighlightedLeftCap), {3, 24}},
        {"UserControl7HighlightedBody", Text(kUserControl7HighlightedBody), {1, 24}},
        {"UserControl7HighlightedRightCap", Text(kUserControl7HighlightedRightCap), {2, 24}},
        {"UserControl7PressedLeftCap", Text(kUserControl7PressedLeftCap), {3, 24}},
        {"UserControl7PressedBody", Text(kUserControl7PressedBody), {1, 24}},
        {"UserControl7DisabledLeftCap", Text(kUserControl7DisabledLeftCap), {2, 24}},
        {"UserControl7DisabledBody", Text(kUserControl7DisabledBody), {1, 24}},
        {"UserControl7DisabledRightCap", Text(kUserControl7DisabledRightCap), {2, 24}},
        {"TrayPadlock", Text(kTrayPadlock), {10, 12}},
        {"PicQuestion", Text(kPicQuestion), {16, 16}},
        {"Picture3", Text(kPicture3), {16, 16}},
        {"PromptBand", Text(kPromptBand), {1, 37}},
    };
    for (int i = 0; i < 4; ++i) {
        cases.push_back({"ToolbarPicture", JoinPieces(kUserControl5Pictures[i]), {28, 34}});
        cases.push_back({"ToolbarHighlighted", JoinPieces(kUserControl5HighlightedPictures[i]), {28, 34}});
        cases.push_back({"Activity", JoinPieces(kConStatusPictures[i]), {50, 50}});
    }
    return cases;
}

TEST(PictureCatalogueTest, EveryPictureHasItsSizeAndOnlyColoursOrTransparency)
{
    for (const SizeCase& c : AllPictures()) {
        EXPECT_EQ(ImageStringSize(c.text), c.size) << c.name;
        const QStringList elements = c.text.split(u',');
        // Whole columns only: the controls place pieces by their column counts.
        EXPECT_EQ((elements.size() - 1) % c.size.height(), 0) << c.name;
        EXPECT_EQ(elements.front().toInt() + 1, c.size.height()) << c.name;
        for (qsizetype i = 1; i < elements.size(); ++i) {
            bool ok = false;
            const int value = elements[i].toInt(&ok);
            ASSERT_TRUE(ok && value >= -1 && value <= 16777215) << c.name << " element " << i;
        }
    }
}

TEST(PictureCatalogueTest, LongPicturesAreKeptInPiecesThatJoinByConcatenation)
{
    using namespace images;
    const auto check = [](const char* const* pieces, int capacity, int minimum, int maximum) {
        int used = 0;
        while (used < capacity && pieces[used] != nullptr)
            ++used;
        EXPECT_GE(used, minimum);
        EXPECT_LE(used, maximum);
        for (int i = 0; i + 1 < used; ++i)
            EXPECT_TRUE(QByteArray(pieces[i]).endsWith(',')) << i;
        EXPECT_FALSE(QByteArray(pieces[used - 1]).endsWith(','));
    };
    for (int i = 0; i < 4; ++i) {
        check(kUserControl5Pictures[i], 7, 6, 7);
        check(kUserControl5HighlightedPictures[i], 7, 6, 7);
        check(kConStatusPictures[i], 16, 16, 16);
    }
}

bool Transparent(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 0;
}

TEST(PictureCatalogueTest, PicturesHaveTransparentSurroundings)
{
    using namespace images;
    std::vector<QImage> surrounded;
    for (int i = 0; i < 4; ++i) {
        surrounded.push_back(ImageStringToImage(JoinPieces(kUserControl5Pictures[i])));
        surrounded.push_back(ImageStringToImage(JoinPieces(kUserControl5HighlightedPictures[i])));
        surrounded.push_back(ImageStringToImage(JoinPieces(kConStatusPictures[i])));
    }
    surrounded.push_back(ImageStringToImage(Text(kTrayPadlock)));
    surrounded.push_back(ImageStringToImage(Text(kBannerImage1)));
    for (const QImage& image : surrounded) {
        const int r = image.width() - 1;
        const int b = image.height() - 1;
        EXPECT_TRUE(Transparent(image, 0, 0) && Transparent(image, r, 0) && Transparent(image, 0, b) &&
                    Transparent(image, r, b))
            << image.width() << "x" << image.height();
    }
}

TEST(PictureCatalogueTest, HighlightedPicturesAreBrighterCopiesWithTheSameOutline)
{
    using namespace images;
    for (int i = 0; i < 4; ++i) {
        const QImage normal = ImageStringToImage(JoinPieces(kUserControl5Pictures[i]));
        const QImage light = ImageStringToImage(JoinPieces(kUserControl5HighlightedPictures[i]));
        long long normalSum = 0;
        long long lightSum = 0;
        for (int y = 0; y < normal.height(); ++y) {
            for (int x = 0; x < normal.width(); ++x) {
                ASSERT_EQ(Transparent(normal, x, y), Transparent(light, x, y)) << i << " " << x << "," << y;
                normalSum += qGray(normal.pixel(x, y));
                lightSum += qGray(light.pixel(x, y));
            }
        }
        EXPECT_GT(lightSum, normalSum) << i;
    }
}

QRgb At(const char* text, int column, int row)
{
    return ImageStringToImage(Text(text)).pixel(column, row);
}

TEST(PictureCatalogueTest, CapsAndBodiesHaveTheDescribedColours)
{
    using namespace images;
    for (int row = 0; row < 21; ++row)
        EXPECT_EQ(At(kUserControl1Edge, 0, row), qRgb(131, 131, 131)) << row;
    EXPECT_EQ(At(kUserControl1Edge, 0, 21), qRgb(110, 110, 112));
    EXPECT_EQ(At(kUserControl1Edge, 0, 22), qRgb(136, 137, 138));
    EXPECT_EQ(At(kUserControl1Body, 0, 1), qRgb(252, 252, 249));
    EXPECT_EQ(At(kUserControl1Body, 0, 19), qRgb(201, 197, 151));
    EXPECT_EQ(At(kUserControl1Body, 0, 21), qRgb(75, 75, 76));
    EXPECT_EQ(At(kUserControl1PressedBody, 0, 3), qRgb(253, 252, 240));
    EXPECT_EQ(At(kUserControl1PressedBody, 0, 21), qRgb(216, 215, 203));
    EXPECT_EQ(At(kUserControl1PressedBody, 0, 24), qRgb(220, 223, 236));
    for (int row = 0; row < 25; ++row) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(At(kUserControl1PressedLeftCap, c, row), At(kUserControl1PressedRightCap, 2 - c, row));
        }
        EXPECT_EQ(At(kUserControl1PressedLeftCap, 0, row), qRgb(128, 128, 128));
    }
    EXPECT_EQ(At(kUserControl5Body, 0, 0), qRgb(119, 119, 146));
    EXPECT_EQ(At(kUserControl5Body, 0, 1), qRgb(255, 236, 159));
    EXPECT_EQ(At(kUserControl5Body, 0, 34), qRgb(226, 176, 1));
    EXPECT_EQ(At(kUserControl5Body, 0, 36), qRgb(85, 85, 85));
    EXPECT_EQ(At(kUserControl5LeftCap, 0, 10), qRgb(255, 233, 146));
    EXPECT_EQ(At(kUserControl5LeftCap, 2, 10), At(kUserControl5Body, 0, 10));
    EXPECT_EQ(At(kUserControl5RightEdge, 0, 20), qRgb(107, 57, 0));
    EXPECT_EQ(At(kUserControl7NormalBody, 0, 0), qRgb(190, 190, 189));
    EXPECT_EQ(At(kUserControl7HighlightedBody, 0, 0), qRgb(166, 166, 165));
    EXPECT_EQ(At(kUserControl7DisabledBody, 0, 0), qRgb(192, 192, 192));
    // Normal runs light to dark, pressed dark to light.
    EXPECT_GT(qGray(At(kUserControl7NormalBody, 0, 3)), qGray(At(kUserControl7NormalBody, 0, 20)));
    EXPECT_LT(qGray(At(kUserControl7PressedBody, 0, 3)), qGray(At(kUserControl7PressedBody, 0, 20)));
    EXPECT_EQ(Text(kPromptBand), Text(kUserControl5Body));
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
