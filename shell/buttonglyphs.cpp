#include "shell/buttonglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <functional>
#include <map>

namespace {

// Every picture is drawn on a 16 x 16 grid and scaled to the step.
constexpr int DesignSize = 16;

const QColor Ink(40, 40, 40);
const QColor Go(0, 150, 40);
const QColor Halt(200, 30, 30);

void pen(QPainter &p, const QColor &colour, qreal width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void fill(QPainter &p, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
}

void arrowHead(QPainter &p, QPointF tip, QPointF back1, QPointF back2, const QColor &colour)
{
    fill(p, colour);
    p.drawPolygon(QPolygonF({tip, back1, back2}));
}

void drawReset(QPainter &p)
{
    pen(p, Go, 1.8);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
    arrowHead(p, QPointF(12.5, 1.0), QPointF(13.8, 6.2), QPointF(8.6, 4.6), Go);
}

void drawPlay(QPainter &p)
{
    fill(p, Go);
    p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
}

void drawStop(QPainter &p)
{
    fill(p, Halt);
    p.drawRect(QRectF(3, 3, 10, 10));
}

void drawStopQuiz(QPainter &p)
{
    fill(p, Halt);
    const qreal c = 4.7;
    p.drawPolygon(QPolygonF({QPointF(c, 1), QPointF(16 - c, 1), QPointF(15, c), QPointF(15, 16 - c),
                             QPointF(16 - c, 15), QPointF(c, 15), QPointF(1, 16 - c), QPointF(1, c)}));
    fill(p, Qt::white);
    p.drawRect(QRectF(4, 7, 8, 2));
}

void drawExit(QPainter &p)
{
    pen(p, Ink, 1.4);
    p.drawRect(QRectF(2, 2, 7, 12));
    pen(p, Halt, 1.8);
    p.drawLine(QPointF(6, 8), QPointF(12.5, 8));
    arrowHead(p, QPointF(15.5, 8), QPointF(11.5, 4.8), QPointF(11.5, 11.2), Halt);
}

void drawNoise(QPainter &p)
{
    pen(p, Ink, 1.3);
    static constexpr qreal heights[] = {8, 3, 12, 5, 14, 2, 10, 6, 13, 4, 9};
    QPainterPath path(QPointF(1, 8));
    for (int i = 0; i < 11; ++i)
        path.lineTo(QPointF(2.3 + i * 1.25, heights[i]));
    p.drawPath(path);
}

void drawEraser(QPainter &p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(-35);
    fill(p, QColor(230, 90, 120));
    p.drawRect(QRectF(-7, -3.5, 8, 7));
    fill(p, QColor(90, 120, 220));
    p.drawRect(QRectF(1, -3.5, 6, 7));
    pen(p, Ink, 0.8);
    p.drawRect(QRectF(-7, -3.5, 14, 7));
    p.restore();
}

void drawPencil(QPainter &p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    fill(p, QColor(240, 190, 40));
    p.drawRect(QRectF(-6, -2, 9, 4));
    fill(p, QColor(230, 200, 160));
    p.drawPolygon(QPolygonF({QPointF(3, -2), QPointF(7, 0), QPointF(3, 2)}));
    fill(p, Ink);
    p.drawPolygon(QPolygonF({QPointF(5.7, -0.7), QPointF(7, 0), QPointF(5.7, 0.7)}));
    p.restore();
}

void drawRabbit(QPainter &p)
{
    fill(p, QColor(150, 150, 150));
    p.drawEllipse(QRectF(4, 0.5, 3, 8));
    p.drawEllipse(QRectF(9, 0.5, 3, 8));
    p.drawEllipse(QRectF(3, 6, 10, 9));
    fill(p, Ink);
    p.drawEllipse(QRectF(5.5, 9, 1.5, 1.5));
    p.drawEllipse(QRectF(9, 9, 1.5, 1.5));
}

void drawCase(QPainter &p)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Ink);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("Aa"));
}

void drawFilter(QPainter &p)
{
    fill(p, QColor(60, 110, 200));
    p.drawPolygon(QPolygonF({QPointF(1, 2), QPointF(15, 2), QPointF(9.5, 8.5), QPointF(9.5, 14.5),
                             QPointF(6.5, 13), QPointF(6.5, 8.5)}));
}

void drawImport(QPainter &p)
{
    pen(p, Ink, 1.4);
    p.drawPolyline(QPolygonF({QPointF(1.5, 10), QPointF(1.5, 14.5), QPointF(14.5, 14.5), QPointF(14.5, 10)}));
    pen(p, Go, 1.8);
    p.drawLine(QPointF(8, 1), QPointF(8, 8));
    arrowHead(p, QPointF(8, 12), QPointF(4.5, 7.5), QPointF(11.5, 7.5), Go);
}

void drawSpeaker(QPainter &p)
{
    fill(p, Ink);
    p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(4, 6), QPointF(8, 2), QPointF(8, 14), QPointF(4, 10),
                             QPointF(1, 10)}));
    pen(p, Ink, 1.2);
    p.drawArc(QRectF(6, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(5, 2.5, 9, 11), -60 * 16, 120 * 16);
}

const std::map<QString, std::function<void(QPainter &)>> &painters()
{
    static const std::map<QString, std::function<void(QPainter &)>> table = {
        {QStringLiteral("reset"), drawReset},     {QStringLiteral("play"), drawPlay},
        {QStringLiteral("stop"), drawStop},       {QStringLiteral("stopquiz"), drawStopQuiz},
        {QStringLiteral("exit"), drawExit},       {QStringLiteral("bruit"), drawNoise},
        {QStringLiteral("gomme"), drawEraser},    {QStringLiteral("ecrire"), drawPencil},
        {QStringLiteral("lapin"), drawRabbit},    {QStringLiteral("case"), drawCase},
        {QStringLiteral("filter"), drawFilter},   {QStringLiteral("import"), drawImport},
        {QStringLiteral("hautparleur"), drawSpeaker},
    };
    return table;
}

} // namespace

const QStringList &ButtonGlyphNames()
{
    static const QStringList names = {
        QStringLiteral("reset"), QStringLiteral("play"),   QStringLiteral("stop"),   QStringLiteral("stopquiz"),
        QStringLiteral("exit"),  QStringLiteral("bruit"),  QStringLiteral("gomme"),  QStringLiteral("ecrire"),
        QStringLiteral("lapin"), QStringLiteral("case"),   QStringLiteral("filter"), QStringLiteral("import"),
        QStringLiteral("hautparleur"),
    };
    return names;
}

QPixmap ButtonGlyph(const QString &name, int step)
{
    const auto painter = painters().find(name.toLower());
    if (painter == painters().end() || (step != 100 && step != 125 && step != 150 && step != 175 && step != 200))
        return {};
    const int size = DesignSize * step / 100;
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(qreal(size) / DesignSize, qreal(size) / DesignSize);
    painter->second(p);
    return picture;
}
