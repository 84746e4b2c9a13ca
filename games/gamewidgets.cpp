#include "games/gamewidgets.h"

#include "games/gameart.h"
#include "shell/accessiblenames.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>

// ---- GameTile ---------------------------------------------------------------------------------

GameTile::GameTile(int number, QWidget *parent)
    : QAbstractButton(parent), m_number(number)
{
    setObjectName(QStringLiteral("ImageTile%1").arg(number));
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    // The board keeps the keyboard, as it did when the tiles were plain pictures.
    setFocusPolicy(Qt::NoFocus);
    resize(TileWidth, TileHeight);
    setAccessibleName(QString::number(number));
    connect(this, &QAbstractButton::clicked, this, [this] { emit tileClicked(this); });
}

void GameTile::setPicture(const QString &name)
{
    if (name == m_picture)
        return;
    m_picture = name;
    // Its number tells the tiles apart; a face-down tile shows nothing more.
    setAccessibleName(NameWithin(GamePictureText(name), QString::number(m_number)));
    update();
}

void GameTile::paintEvent(QPaintEvent *)
{
    if (m_picture.isEmpty())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, ::GamePicture(m_picture, size()));
}

void GameTile::mouseMoveEvent(QMouseEvent *event)
{
    QAbstractButton::mouseMoveEvent(event);
    emit hovered(this);
}

void GameTile::enterEvent(QEnterEvent *)
{
    emit hovered(this);
}

void GameTile::resizeEvent(QResizeEvent *)
{
    setMask(QRegion(TileOutline(size())));
}

int TileNumberOfName(const QString &objectName)
{
    if (!objectName.startsWith(QLatin1String("imagetile"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int n = objectName.mid(9).toInt(&ok);
    return ok ? n : 0;
}

// ---- PictureButton ----------------------------------------------------------------------------

PictureButton::PictureButton(const QString &picture, QWidget *parent)
    : QAbstractButton(parent), m_picture(picture)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::setPicture(const QString &picture)
{
    m_picture = picture;
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, ::GamePicture(m_picture, size()));
}

// ---- Builders ---------------------------------------------------------------------------------

QLabel *PictureLabel(QWidget *parent, const char *name, const char *picture, QRect geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(::GamePicture(QString::fromLatin1(picture), QSize(128, 128)));
    label->setScaledContents(true);
    label->setGeometry(geometry);
    return label;
}

QAction *AddNamedAction(QWidget *menu, const char *name, const QString &caption)
{
    auto *action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    return action;
}

QMenu *AddNamedMenu(QMenuBar *bar, const char *name, const QString &caption)
{
    QMenu *menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}
