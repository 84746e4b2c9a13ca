#pragma once

// What the three game windows share: the picture controls of the tiles and small builders.
// The windows are built in design pixels; the shell enlarges them when they are shown.

#include <QAbstractButton>
#include <QRect>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;

// One picture control of a game board (ImageTile1 ...). It shows a game picture stretched to
// its size, lets clicks through only on the tile's own outline and reports a left click. It is
// a button, so that a screen reader names it (its number and what it shows) and presses it.
class GameTile : public QAbstractButton {
    Q_OBJECT
public:
    GameTile(int number, QWidget *parent);

    // The picture shown ("" = none).
    void setPicture(const QString &name);
    QString picture() const { return m_picture; }

signals:
    void tileClicked(GameTile *tile);
    void hovered(GameTile *tile);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_number;
    QString m_picture;
};

// The tile number of a tile control's name: the number after its first nine characters
// ("ImageTile12" -> 12); 0 when there is none.
int TileNumberOfName(const QString &objectName);

// A clickable picture of the launcher: a button that shows only its picture.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(const QString &picture, QWidget *parent);
    void setPicture(const QString &picture);
    QString picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_picture;
};

// Builders: a still picture (named), a menu-bar item or menu item with its object name.
QLabel *PictureLabel(QWidget *parent, const char *name, const char *picture, QRect geometry);
QAction *AddNamedAction(QWidget *menu, const char *name, const QString &caption);
QMenu *AddNamedMenu(QMenuBar *bar, const char *name, const QString &caption);
