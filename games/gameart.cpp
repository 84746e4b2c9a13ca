#include "games/gameart.h"

#include "engine/morsecode.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

// ---- Tiles ----------------------------------------------------------------------------------

const QColor Ink(40, 40, 60);
const QColor Ivory(250, 246, 228);
const QColor IvoryDark(214, 204, 170);
const QColor EdgeColour(168, 150, 110);
const QColor SelectedFace(255, 214, 90);
const QColor LetterColour(20, 50, 140);
const QColor DigitColour(150, 30, 30);
const QColor CodeFace(226, 238, 255);
const QColor BackColour(30, 96, 120);
const QColor BackLines(90, 170, 190);

// Design coordinates: the face is the top-left 81 x 61, the edge runs along the right and the
// bottom, as a tile seen from above and a little to the left.
constexpr int FaceW = TileWidth - TileEdge;
constexpr int FaceH = TileHeight - TileEdge;

QPolygon designOutline()
{
    return QPolygon({QPoint(0, 0), QPoint(FaceW, 0), QPoint(TileWidth, TileEdge), QPoint(TileWidth, TileHeight),
                     QPoint(TileEdge, TileHeight), QPoint(0, FaceH)});
}

void drawEdge(QPainter &p)
{
    QPolygon edge({QPoint(FaceW, 0), QPoint(TileWidth, TileEdge), QPoint(TileWidth, TileHeight),
                   QPoint(TileEdge, TileHeight), QPoint(0, FaceH), QPoint(FaceW, FaceH)});
    p.setPen(QPen(Ink, 1));
    p.setBrush(EdgeColour);
    p.drawPolygon(edge);
    p.drawLine(FaceW, FaceH, TileWidth, TileHeight);
}

void drawFace(QPainter &p, const QColor &colour, qreal width = FaceW, qreal height = FaceH, qreal x = 0,
              qreal y = 0)
{
    QLinearGradient shade(x, y, x + width, y + height);
    shade.setColorAt(0, colour.lighter(106));
    shade.setColorAt(1, colour.darker(108));
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(x + 0.6, y + 0.6, width - 1.2, height - 1.2), 6, 6);
}

void drawCharacter(QPainter &p, char c, const QRectF &area, qreal pixelSize)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(pixelSize));
    p.setFont(font);
    p.setPen(c >= '0' && c <= '9' ? DigitColour : LetterColour);
    p.drawText(area, Qt::AlignCenter, QString(QChar(c)).toUpper());
}

// The tile-matching game's face: the character large on an ivory face; the selected look is
// golden with a red frame.
void drawJongTile(QPainter &p, char c, bool selected)
{
    drawEdge(p);
    drawFace(p, selected ? SelectedFace : Ivory);
    if (selected) {
        p.setPen(QPen(QColor(200, 40, 30), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(3, 3, FaceW - 6, FaceH - 6), 5, 5);
    }
    drawCharacter(p, c, QRectF(0, 0, FaceW, FaceH), 40);
}

// Dots and dashes of a code, centred in `area`, shrunk to fit.
void drawCode(QPainter &p, std::string_view code, const QRectF &area)
{
    constexpr qreal Dot = 9, Dash = 24, Gap = 6;
    qreal width = 0;
    for (char sign : code)
        width += (sign == '-' ? Dash : Dot) + Gap;
    width = std::max<qreal>(width - Gap, 1);
    const qreal scale = std::min<qreal>(1.0, (area.width() - 8) / width);
    p.save();
    p.translate(area.center().x() - width * scale / 2, area.center().y());
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    qreal x = 0;
    for (char sign : code) {
        if (sign == '-') {
            p.drawRoundedRect(QRectF(x, -Dot / 2, Dash, Dot), Dot / 2, Dot / 2);
            x += Dash + Gap;
        } else {
            p.drawEllipse(QRectF(x, -Dot / 2, Dot, Dot));
            x += Dot + Gap;
        }
    }
    p.restore();
}

void drawPairsCharacter(QPainter &p, char c)
{
    drawEdge(p);
    drawFace(p, Ivory);
    drawCharacter(p, c, QRectF(0, 0, FaceW, FaceH), 40);
}

void drawPairsCode(QPainter &p, char c)
{
    drawEdge(p);
    drawFace(p, CodeFace);
    drawCode(p, MorseCodes[c], QRectF(0, 0, FaceW, FaceH));
}

void drawBack(QPainter &p, qreal width, qreal x)
{
    drawFace(p, BackColour, width, FaceH, x, 0);
    if (width < 6)
        return;
    p.save();
    p.setClipRect(QRectF(x + 3, 3, width - 6, FaceH - 6));
    p.setPen(QPen(BackLines, 1.5));
    for (int k = -FaceH; k < FaceW + FaceH; k += 10) {
        const qreal sx = x + k * width / FaceW;
        p.drawLine(QPointF(sx, 0), QPointF(sx + FaceH * width / FaceW, FaceH));
        p.drawLine(QPointF(sx, FaceH), QPointF(sx + FaceH * width / FaceW, 0));
    }
    p.restore();
}

// Face down, and the frames of turning over: the back narrows until the tile stands on its
// edge (90), then the blank front widens (45, 25).
void drawTurning(QPainter &p, int angle)
{
    const qreal width = std::max<qreal>(2, std::abs(std::cos(angle * M_PI / 180.0)) * FaceW);
    const qreal x = (FaceW - width) / 2;
    if (angle > 90)
        drawBack(p, width, x);
    else if (angle == 90)
        drawFace(p, IvoryDark, 3, FaceH, (FaceW - 3) / 2.0, 0);
    else
        drawFace(p, Ivory, width, FaceH, x, 0);
}

void drawFullBack(QPainter &p)
{
    drawEdge(p);
    drawBack(p, FaceW, 0);
}

// Removal frames: the face shrinks and fades.
void drawClearing(QPainter &p, int percent)
{
    const qreal w = FaceW * percent / 100.0;
    const qreal h = FaceH * percent / 100.0;
    p.setOpacity(0.3 + 0.7 * percent / 100.0);
    drawFace(p, Ivory, w, h, (FaceW - w) / 2, (FaceH - h) / 2);
}

// ---- Other pictures (64 x 64 design) ----------------------------------------------------------

void drawStar(QPainter &p)
{
    QPainterPath star;
    for (int k = 0; k < 10; ++k) {
        const qreal r = k % 2 == 0 ? 30 : 13;
        const qreal a = -M_PI / 2 + k * M_PI / 5;
        const QPointF point(32 + r * std::cos(a), 34 + r * std::sin(a));
        k == 0 ? star.moveTo(point) : star.lineTo(point);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(170, 110, 0), 2));
    p.setBrush(QColor(255, 205, 40));
    p.drawPath(star);
    p.setPen(QPen(Ink, 2));
    p.drawArc(QRectF(24, 30, 16, 10), 200 * 16, 140 * 16);
}

void drawDeadEnd(QPainter &p)
{
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(IvoryDark);
    p.drawRoundedRect(QRectF(10, 8, 44, 48), 6, 6);
    p.setPen(QPen(QColor(200, 30, 30), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 18), QPointF(46, 46));
    p.drawLine(QPointF(46, 18), QPointF(18, 46));
}

void drawPerson(QPainter &p, const QColor &colour)
{
    p.setPen(QPen(colour.darker(150), 2));
    p.setBrush(colour);
    p.drawEllipse(QRectF(22, 6, 20, 20));
    p.drawRoundedRect(QRectF(12, 30, 40, 28), 12, 12);
}

void drawComputer(QPainter &p, const QColor &colour)
{
    p.setPen(QPen(colour.darker(150), 2));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(8, 8, 48, 34), 4, 4);
    p.setBrush(QColor(230, 240, 250));
    p.drawRect(QRectF(13, 13, 38, 24));
    p.setBrush(colour);
    p.drawRect(QRectF(28, 42, 8, 8));
    p.drawRoundedRect(QRectF(16, 50, 32, 6), 3, 3);
}

// The launcher's pictures (140 x 100 design): a stack of tiles; cards of the memory game.
void drawLauncherTiles(QPainter &p)
{
    const char letters[] = {'k', '7', 'm'};
    for (int k = 0; k < 3; ++k) {
        p.save();
        p.translate(10 + k * 18, 22 - k * 9);
        drawJongTile(p, letters[k], k == 2);
        p.restore();
    }
}

void drawLauncherPairs(QPainter &p)
{
    const QPointF places[] = {{4, 4}, {72, 4}, {4, 52}, {72, 52}};
    for (int k = 0; k < 4; ++k) {
        p.save();
        p.translate(places[k]);
        p.scale(0.7, 0.65);
        if (k == 0)
            drawPairsCharacter(p, 'a');
        else if (k == 3)
            drawPairsCode(p, 'a');
        else
            drawFullBack(p);
        p.restore();
    }
}

// ---- Names ------------------------------------------------------------------------------------

enum class Kind {
    None, JongTile, JongSelected, PairsCharacter, PairsCode, FaceDown, Turning, Clearing,
    Win, DeadEnd, You, YouGrey, Program, ProgramGrey, LauncherTiles, LauncherPairs
};

struct Parsed {
    Kind kind = Kind::None;
    char character = 0;
    int value = 0;
    QSize design{TileWidth, TileHeight};
};

bool tileCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

Parsed parse(const QString &anyCase)
{
    const QString name = anyCase.toLower();
    Parsed parsed;
    const QSize icon(64, 64);
    const QSize launcher(140, 100);
    if (name == QLatin1String(PairsFaceDown))
        return {Kind::FaceDown};
    if (name == QLatin1String(PictureJongWin))
        return {Kind::Win, 0, 0, icon};
    if (name == QLatin1String(PictureJongDeadEnd))
        return {Kind::DeadEnd, 0, 0, icon};
    if (name == QLatin1String(PicturePairsYou))
        return {Kind::You, 0, 0, icon};
    if (name == QLatin1String(PicturePairsYouGrey))
        return {Kind::YouGrey, 0, 0, icon};
    if (name == QLatin1String(PicturePairsProgram))
        return {Kind::Program, 0, 0, icon};
    if (name == QLatin1String(PicturePairsProgramGrey))
        return {Kind::ProgramGrey, 0, 0, icon};
    if (name == QLatin1String(PictureLauncherTiles))
        return {Kind::LauncherTiles, 0, 0, launcher};
    if (name == QLatin1String(PictureLauncherPairs))
        return {Kind::LauncherPairs, 0, 0, launcher};
    if (!name.startsWith(QLatin1String("image_")))
        return parsed;
    const QString rest = name.mid(6);
    if (rest.size() == 1 && tileCharacter(rest[0]))
        return {Kind::JongTile, rest[0].toLatin1()};
    if (rest.size() == 2 && rest[0] == rest[1] && tileCharacter(rest[0]))
        return {Kind::JongSelected, rest[0].toLatin1()};
    if (rest.size() == 5 && (rest.startsWith(QLatin1String("car_")) || rest.startsWith(QLatin1String("cod_")))
        && tileCharacter(rest[4]))
        return {rest[1] == QLatin1Char('a') ? Kind::PairsCharacter : Kind::PairsCode, rest[4].toLatin1()};
    for (int angle : {155, 135, 90, 45, 25})
        if (rest == QStringLiteral("vide%1_pairs").arg(angle))
            return {Kind::Turning, 0, angle};
    for (int percent : {70, 45, 25})
        if (rest == QStringLiteral("clear%1_pairs").arg(percent))
            return {Kind::Clearing, 0, percent};
    return parsed;
}

void draw(QPainter &p, const Parsed &what)
{
    switch (what.kind) {
    case Kind::JongTile:
    case Kind::JongSelected:
        drawJongTile(p, what.character, what.kind == Kind::JongSelected);
        break;
    case Kind::PairsCharacter:
        drawPairsCharacter(p, what.character);
        break;
    case Kind::PairsCode:
        drawPairsCode(p, what.character);
        break;
    case Kind::FaceDown:
        drawFullBack(p);
        break;
    case Kind::Turning:
        drawTurning(p, what.value);
        break;
    case Kind::Clearing:
        drawClearing(p, what.value);
        break;
    case Kind::Win:
        drawStar(p);
        break;
    case Kind::DeadEnd:
        drawDeadEnd(p);
        break;
    case Kind::You:
        drawPerson(p, QColor(40, 160, 60));
        break;
    case Kind::YouGrey:
        drawPerson(p, QColor(170, 170, 170));
        break;
    case Kind::Program:
        drawComputer(p, QColor(50, 90, 200));
        break;
    case Kind::ProgramGrey:
        drawComputer(p, QColor(170, 170, 170));
        break;
    case Kind::LauncherTiles:
        drawLauncherTiles(p);
        break;
    case Kind::LauncherPairs:
        drawLauncherPairs(p);
        break;
    case Kind::None:
        break;
    }
}

} // namespace

bool IsGamePicture(const QString &name)
{
    return parse(name).kind != Kind::None;
}

QPixmap GamePicture(const QString &name, QSize size)
{
    static QHash<QString, QPixmap> cache;
    const Parsed what = parse(name);
    if (what.kind == Kind::None || size.isEmpty())
        return {};
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QString key = QStringLiteral("%1/%2x%3@%4").arg(name.toLower()).arg(size.width()).arg(size.height()).arg(ratio);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(qreal(size.width()) / what.design.width(), qreal(size.height()) / what.design.height());
        draw(p, what);
    }
    cache.insert(key, pixmap);
    return pixmap;
}

QString GamePictureText(const QString &name)
{
    const Parsed what = parse(name);
    switch (what.kind) {
    case Kind::JongTile:
    case Kind::JongSelected:
    case Kind::PairsCharacter:
        return QString(QChar(what.character)).toUpper();
    case Kind::PairsCode:
        return QString::fromLatin1(MorseCodes[static_cast<unsigned char>(what.character)]);
    default:
        return {};
    }
}

QPolygon TileOutline(QSize size)
{
    QPolygon outline = designOutline();
    for (QPoint &point : outline)
        point = QPoint(point.x() * size.width() / TileWidth, point.y() * size.height() / TileHeight);
    return outline;
}

QCursor GameCursor(int number)
{
    static QHash<int, QCursor> made;
    if (auto it = made.constFind(number); it != made.constEnd())
        return *it;
    // An arrow; cursor 2 carries a small tile (a tile that can be taken), cursor 1 a dot.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QPolygonF arrow({QPointF(1, 1), QPointF(1, 20), QPointF(6, 15), QPointF(10, 23), QPointF(13, 22),
                               QPointF(9, 14), QPointF(15, 14)});
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(Qt::black);
        p.drawPolygon(arrow);
        if (number == 2) {
            p.translate(14, 16);
            p.scale(0.17, 0.2);
            drawJongTile(p, ' ', true);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 96, 120));
            p.drawEllipse(QRectF(17, 18, 10, 10));
        }
    }
    return *made.insert(number, QCursor(pixmap, 1, 1));
}
