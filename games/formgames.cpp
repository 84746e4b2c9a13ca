#include "games/formgames.h"

#include "games/formmemorypairs.h"
#include "games/formmorsejong.h"
#include "games/gameart.h"
#include "games/gamewidgets.h"
#include "shell/accessiblenames.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QLabel>

#include <cmath>

namespace {
constexpr Tr kTilesGame = Alike("Mahjong"); // the game's name
} // namespace

TFormGames *FormGames = nullptr;

TFormGames::TFormGames(QWidget *parent)
    : TSideForm("FormGames", parent), LanguageAware(this)
{
    setWindowTitle(QStringLiteral("Games"));
    ImageMahjong = new PictureButton(QString::fromLatin1(PictureLauncherTiles), this);
    ImageMahjong->setObjectName(QStringLiteral("ImageMahjong"));
    ImageMahjong->setGeometry(20, 16, 140, 100);
    ImageMemoryGame = new PictureButton(QString::fromLatin1(PictureLauncherPairs), this);
    ImageMemoryGame->setObjectName(QStringLiteral("ImageMemoryGame"));
    ImageMemoryGame->setGeometry(180, 16, 140, 100);
    LabelImageMahjong = new QLabel(Pick(kTilesGame), this);
    LabelImageMahjong->setObjectName(QStringLiteral("LabelImageMahjong"));
    LabelImageMahjong->setGeometry(20, 124, 140, 24);
    LabelImageMahjong->setAlignment(Qt::AlignCenter);
    LabelImageMemorygame = new QLabel(QStringLiteral("Jeu de mémoire"), this);
    LabelImageMemorygame->setObjectName(QStringLiteral("LabelImageMemorygame"));
    LabelImageMemorygame->setGeometry(180, 124, 140, 24);
    LabelImageMemorygame->setAlignment(Qt::AlignCenter);
    setFixedSize(DesignWidth, DesignHeight);
    NameAfter(ImageMahjong, LabelImageMahjong);
    NameAfter(ImageMemoryGame, LabelImageMemorygame);

    connect(ImageMahjong, &PictureButton::clicked, this, [this] { ImageMahjongClick(); });
    connect(ImageMemoryGame, &PictureButton::clicked, this, [this] { ImageMemoryGameClick(); });
}

void TFormGames::retranslate()
{
    QString caption;
    if (Form1) {
        if (auto *item = Form1->findChild<QAction *>(QStringLiteral("MenuGames"))) {
            caption = item->text();
            if (const int amp = caption.indexOf(QLatin1Char('&')); amp >= 0)
                caption.remove(amp, 1);
        }
    }
    if (!caption.isEmpty())
        setWindowTitle(caption);
    LabelImageMemorygame->setText(TxtMemoryGame());
}

void TFormGames::showEvent(QShowEvent *event)
{
    // The shell has enlarged the window by now; it is centred at its enlarged size.
    if (Form1) {
        // Centred on the main window, halves rounded to even as the layout did.
        const QRect main = Form1->frameGeometry();
        const QSize own = frameGeometry().size();
        const auto half = [](int length) { return static_cast<int>(std::nearbyint(length / 2.0)); };
        move(main.left() + half(main.width()) - half(own.width()), main.top() + half(main.height()) - half(own.height()));
    }
    TSideForm::showEvent(event);
}

void TFormGames::ImageMahjongClick()
{
    if (FormMorseJong)
        FormMorseJong->show();
    hide();
}

void TFormGames::ImageMemoryGameClick()
{
    if (FormMemoryPairs)
        FormMemoryPairs->show();
    hide();
}

void MenuGamesClick()
{
    if (FormGames) {
        FormGames->show();
        FormGames->raise();
    }
}
