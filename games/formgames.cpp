#include "games/formgames.h"

#include "games/formmemorypairs.h"
#include "games/formmorsejong.h"
#include "games/gameart.h"
#include "games/gamewidgets.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QLabel>

#include <cmath>

TFormGames::TFormGames(QWidget *parent)
    : TSideForm("FormGames", parent), LanguageAware(this)
{
    setWindowTitle(QStringLiteral("Games"));
    m_content = new QWidget(this);
    m_content->setGeometry(0, 0, DesignWidth, DesignHeight);
    ImageMahjong = new PictureButton(QString::fromLatin1(PictureLauncherTiles), m_content);
    ImageMahjong->setObjectName(QStringLiteral("ImageMahjong"));
    ImageMahjong->setGeometry(20, 16, 140, 100);
    ImageMemoryGame = new PictureButton(QString::fromLatin1(PictureLauncherPairs), m_content);
    ImageMemoryGame->setObjectName(QStringLiteral("ImageMemoryGame"));
    ImageMemoryGame->setGeometry(180, 16, 140, 100);
    LabelImageMahjong = new QLabel(QStringLiteral("Mahjong"), m_content);
    LabelImageMahjong->setObjectName(QStringLiteral("LabelImageMahjong"));
    LabelImageMahjong->setGeometry(20, 124, 140, 24);
    LabelImageMahjong->setAlignment(Qt::AlignCenter);
    LabelImageMemorygame = new QLabel(QStringLiteral("Jeu de mémoire"), m_content);
    LabelImageMemorygame->setObjectName(QStringLiteral("LabelImageMemorygame"));
    LabelImageMemorygame->setGeometry(180, 124, 140, 24);
    LabelImageMemorygame->setAlignment(Qt::AlignCenter);
    setFixedSize(DesignWidth, DesignHeight);

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
    const int zoom = GamesZoomPercent()();
    ScaleFromDesign(m_content, zoom);
    setFixedSize(DesignWidth * zoom / 100, DesignHeight * zoom / 100);
    if (Form1) {
        // Centred on the main window, halves rounded to even as the layout did.
        const QRect main = Form1->frameGeometry();
        const QSize own = frameGeometry().size();
        const auto half = [](int length) { return static_cast<int>(std::nearbyint(length / 2.0)); };
        move(main.left() + half(main.width()) - half(own.width()), main.top() + half(main.height()) - half(own.height()));
    }
    TSideForm::showEvent(event);
}

void TFormGames::hideEvent(QHideEvent *event)
{
    ScaleFromDesign(m_content, 100);
    setFixedSize(DesignWidth, DesignHeight);
    TSideForm::hideEvent(event);
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
