#pragma once

// What the three game windows share: the picture controls of the tiles, the enlargement of a
// window by the current zoom (the side-window rule), and small builders.

#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;

// The enlargement in percent that the game windows apply when shown (the program's own by
// default; tests choose another).
std::function<int()> &GamesZoomPercent();

// Scales `content` and every widget inside it from their design geometry and font (noted the
// first time) to `percent` of it; 100 puts them back as designed.
void ScaleFromDesign(QWidget *content, int percent);

// One picture control of a game board (ImageTile1 ...). It shows a game picture stretched to
// its size, lets clicks through only on the tile's own outline and reports a left click.
class GameTile : public QWidget {
    Q_OBJECT
public:
    GameTile(int number, QWidget *parent);

    // The picture shown ("" = none).
    void setPicture(const QString &name);
    QString picture() const { return m_picture; }

signals:
    void clicked(GameTile *tile);
    void hovered(GameTile *tile);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_picture;
    bool m_pressed = false;
};

// The tile number of a tile control's name: the number after its first nine characters
// ("ImageTile12" -> 12); 0 when there is none.
int TileNumberOfName(const QString &objectName);

// A clickable picture of the launcher.
class PictureButton : public QWidget {
    Q_OBJECT
public:
    explicit PictureButton(const QString &picture, QWidget *parent);
    void setPicture(const QString &picture);
    QString picture() const { return m_picture; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_picture;
};

// Builders: a menu-bar item or menu item with its object name.
QAction *AddNamedAction(QWidget *menu, const char *name, const QString &caption);
QMenu *AddNamedMenu(QMenuBar *bar, const char *name, const QString &caption);
