#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace qb {
namespace {

using namespace images;

// Long pictures are joined from pieces: one piece that lost its trailing comma fuses two values.
TEST(PictureCatalogueTest, JoinedPicturesHoldWholeColumnsOfColoursOrTransparency)
{
    for (int i = 0; i < 4; ++i) {
        for (const QString& picture :
             {JoinPieces(kUserControl5Pictures[i]), JoinPieces(kUserControl5HighlightedPictures[i]),
              JoinPieces(kConStatusPictures[i])}) {
            const QStringList elements = picture.split(u',');
            const QSize size = ImageStringSize(picture);
            EXPECT_TRUE(!size.isEmpty() && elements.size() - 1 == size.width() * size.height()) << i;
            for (qsizetype k = 1; k < elements.size(); ++k) {
                bool ok = false;
                const int value = elements[k].toInt(&ok);
                ASSERT_TRUE(ok && value >= -1 && value <= 16777215) << "picture " << i << " element " << k;
            }
        }
    }
}

#if defined(QB_IMAGE_GENERATOR) && defined(QB_CONTROLS_IMAGES_DIR)
TEST(PictureCatalogueTest, CommittedCatalogueIsWhatTheGeneratorWrites)
{
    QTemporaryDir out;
    QProcess generator;
    generator.start(QStringLiteral(QB_IMAGE_GENERATOR), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    const QStringList written = QDir(out.path()).entryList(QDir::Files);
    ASSERT_FALSE(written.isEmpty());
    for (const QString& name : written) {
        QFile fresh(out.filePath(name));
        QFile committed(QDir(QStringLiteral(QB_CONTROLS_IMAGES_DIR)).filePath(name));
        ASSERT_TRUE(fresh.open(QIODevice::ReadOnly) && committed.open(QIODevice::ReadOnly))
            << name.toStdString();
        EXPECT_TRUE(fresh.readAll() == committed.readAll()) << name.toStdString() << " is out of date";
    }
}
#endif

} // namespace
} // namespace qb
