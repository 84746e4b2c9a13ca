// The games' pictures and texts: every picture name the games show is drawn (a name the
// drawing does not know would leave a blank tile), and every text fits the program's code page.

#include "engine/cp1252.h"
#include "games/gameart.h"
#include "games/gamestexts.h"
#include "games/jongmodel.h"
#include "games/pairsmodel.h"

#include <QImage>
#include <gtest/gtest.h>

#include <set>

namespace {

// The share of the picture's pixels that are not transparent.
double covered(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    return double(painted) / (image.width() * image.height());
}

} // namespace

TEST(GameArt, EveryPictureTheGamesShowIsDrawnAndDistinct)
{
    std::vector<QString> names;
    for (int face = 1; face <= 36; ++face) {
        const char c = jong::FaceCharacter(face);
        names.push_back(QString::fromStdString(jong::FaceName(c)));
        names.push_back(QString::fromStdString(jong::FaceName(c)) + QLatin1Char(c));
    }
    for (int k = 1; k <= pairs::MaxTiles; ++k)
        names.push_back(QString::fromStdString(pairs::PictureName(k)));
    for (int angle : {155, 135, 90, 45, 25})
        names.push_back(QStringLiteral("image_vide%1_pairs").arg(angle));
    for (int percent : {70, 45, 25})
        names.push_back(QStringLiteral("image_clear%1_pairs").arg(percent));
    for (const char *other : {PairsFaceDown, PictureJongWin, PictureJongDeadEnd, PicturePairsYou, PicturePairsYouGrey,
                              PicturePairsProgram, PicturePairsProgramGrey, PictureLauncherTiles, PictureLauncherPairs})
        names.emplace_back(QString::fromLatin1(other));

    for (const QString &name : names) {
        ASSERT_TRUE(IsGamePicture(name)) << name.toStdString();
        const QPixmap picture = GamePicture(name, QSize(90, 70));
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        EXPECT_GT(covered(picture), 0.004) << name.toStdString(); // the frame on edge is thin
    }
    // Stored names are in capitals.
    EXPECT_TRUE(IsGamePicture(QStringLiteral("IMAGE_COD_Q")));
    EXPECT_FALSE(IsGamePicture(QStringLiteral("image_cod_")));
    EXPECT_FALSE(IsGamePicture(QStringLiteral("image_ab")));
    EXPECT_TRUE(GamePicture(QStringLiteral("image_nothing"), QSize(90, 70)).isNull());
    // Every character and every code looks different from the others.
    std::set<QByteArray> codes;
    for (int k = 1; k <= pairs::MaxTiles; ++k) {
        const QImage image = GamePicture(QString::fromStdString(pairs::PictureName(k)), QSize(90, 70)).toImage();
        codes.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(codes.size(), 72u);
    // Drawn for the size asked (a zoomed window).
    EXPECT_EQ(GamePicture(QStringLiteral("image_a"), QSize(135, 105)).deviceIndependentSize(), QSizeF(135, 105));
}

TEST(GameTexts, EveryTextFitsTheProgramsCodePage)
{
    for (const Tr *row : gametexts::AllRows)
        for (const char *text : row->text) {
            const QString unicode = QString::fromUtf8(text);
            EXPECT_EQ(cp1252::toQString(cp1252::fromQString(unicode)), unicode) << text;
        }
}
