#pragma once

// The games launcher: a picture per game; a click opens that game and closes the launcher.
// It opens centred on the main window, captioned like the main window's Games item.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

class QLabel;
class PictureButton;

class TFormGames : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormGames(QWidget *parent = nullptr);

    static constexpr int DesignWidth = 340;
    static constexpr int DesignHeight = 170;

    PictureButton *ImageMahjong;
    PictureButton *ImageMemoryGame;
    QLabel *LabelImageMahjong;
    QLabel *LabelImageMemorygame;

    void ImageMahjongClick();
    void ImageMemoryGameClick();
    // FormShow's texts: the caption of the main window's Games item, the memory game's name.
    void retranslate() override;

protected:
    void showEvent(QShowEvent *event) override; // FormShow
};

// The launcher, made by start-up at its place through the games module.
extern TFormGames *FormGames;

// The main window's Games item: shows the launcher.
void MenuGamesClick();
