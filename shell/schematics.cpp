#include "shell/schematics.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cmath>

namespace {

constexpr int kTextHeight = 16;

void text(QPainter &p, int x, int y, int width, const QString &line, Qt::Alignment align = Qt::AlignLeft)
{
    p.drawText(QRect(x, y - kTextHeight / 2, width, kTextHeight), align | Qt::AlignVCenter, line);
}

void wire(QPainter &p, std::initializer_list<QPoint> points)
{
    const QPoint *previous = nullptr;
    for (const QPoint &point : points) {
        if (previous)
            p.drawLine(*previous, point);
        previous = &point;
    }
}

void junction(QPainter &p, QPoint at)
{
    p.save();
    p.setBrush(Qt::black);
    p.drawEllipse(at, 3, 3);
    p.restore();
}

// An open terminal where the transmitter's cable is connected, with its name after it.
void terminal(QPainter &p, QPoint at, const QString &name)
{
    p.save();
    p.setBrush(Qt::white);
    p.drawEllipse(at, 5, 5);
    p.restore();
    text(p, at.x() + 10, at.y(), 180, name);
}

// Horizontal, from a to b (same height), its value above.
void resistor(QPainter &p, QPoint a, QPoint b, const QString &value)
{
    const int middle = (a.x() + b.x()) / 2;
    const QRect body(middle - 20, a.y() - 6, 40, 12);
    wire(p, {a, QPoint(body.left(), a.y())});
    wire(p, {QPoint(body.right(), a.y()), b});
    p.drawRect(body);
    text(p, body.left() - 10, a.y() - 16, body.width() + 20, value, Qt::AlignHCenter);
}

void ground(QPainter &p, QPoint at);

// A lead carried on by `by` to a ground symbol.
void grounded(QPainter &p, QPoint lead, QPoint by)
{
    p.drawLine(lead, lead + by);
    ground(p, lead + by);
}

// A lead taken up or down to `height`, then right to the transmitter's terminal `name`.
void toTransmitter(QPainter &p, QPoint lead, int height, const QString &name)
{
    const QPoint terminalAt(606, height);
    p.drawLine(lead, QPoint(lead.x(), height));
    p.drawLine(QPoint(lead.x(), height), terminalAt - QPoint(6, 0));
    terminal(p, terminalAt, name);
}

void ground(QPainter &p, QPoint at)
{
    wire(p, {at, at + QPoint(0, 8)});
    for (int i = 0; i < 3; ++i) {
        const int half = 10 - 4 * i;
        const int y = at.y() + 8 + 4 * i;
        p.drawLine(at.x() - half, y, at.x() + half, y);
    }
}

// Vertical, anode below, cathode above: it conducts upwards, so a line that swings negative
// is held at a diode's drop above ground.
void clampDiode(QPainter &p, QPoint cathodeEnd, QPoint anodeEnd, const QString &name)
{
    const int x = cathodeEnd.x();
    const int top = (cathodeEnd.y() + anodeEnd.y()) / 2 - 7;
    wire(p, {cathodeEnd, QPoint(x, top)});
    p.drawLine(x - 8, top, x + 8, top);
    p.drawPolygon(QPolygon({QPoint(x, top), QPoint(x - 8, top + 14), QPoint(x + 8, top + 14)}));
    wire(p, {QPoint(x, top + 14), anodeEnd});
    text(p, x - 78, top + 7, 70, name, Qt::AlignRight);
}

void arrowHead(QPainter &p, QPointF from, QPointF to)
{
    const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF normal(-direction.y(), direction.x());
    p.save();
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF({to, to - direction * 8 + normal * 4, to - direction * 8 - normal * 4}));
    p.restore();
}

struct Leads {
    QPoint collector, emitter;
};

// An NPN transistor whose base lead comes in from the left at `base`; its collector lead
// ends 40 pixels above the base, its emitter lead 40 below.
Leads npn(QPainter &p, QPoint base, const QString &name)
{
    const QPoint c = base + QPoint(30, 0);
    p.drawEllipse(c, 22, 22);
    wire(p, {base, QPoint(c.x() - 6, c.y())});
    p.save();
    QPen bar = p.pen();
    bar.setWidth(4);
    p.setPen(bar);
    p.drawLine(c.x() - 6, c.y() - 12, c.x() - 6, c.y() + 12);
    p.restore();
    const QPoint collector(c.x() + 10, c.y() - 40), emitter(c.x() + 10, c.y() + 40);
    wire(p, {QPoint(c.x() - 6, c.y() - 6), QPoint(c.x() + 10, c.y() - 16), collector});
    wire(p, {QPoint(c.x() - 6, c.y() + 6), QPoint(c.x() + 10, c.y() + 16), emitter});
    arrowHead(p, QPointF(c.x() - 6, c.y() + 6), QPointF(c.x() + 10, c.y() + 16));
    text(p, c.x() + 26, c.y() - 8, 90, name);
    return {collector, emitter};
}

// An opto-coupler in `box`: its LED's anode lead enters at the top left and its cathode
// leaves at the bottom; the photo-transistor's collector leaves at the top right and its
// emitter at the right side.
struct Opto {
    QPoint anode, cathode, collector, emitter;
};
Opto optocoupler(QPainter &p, QRect box, const QString &name)
{
    p.save();
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(box);
    p.restore();
    const int ledX = box.left() + 25;
    const int top = box.top() + 30;
    const Opto leads{QPoint(ledX, box.top() + 20), QPoint(ledX, box.bottom()), QPoint(box.right() - 20, box.top()),
                     QPoint(box.right(), box.bottom() - 15)};
    wire(p, {leads.anode, QPoint(ledX, top)});
    p.drawPolygon(QPolygon({QPoint(ledX - 8, top), QPoint(ledX + 8, top), QPoint(ledX, top + 14)}));
    p.drawLine(ledX - 8, top + 14, ledX + 8, top + 14);
    wire(p, {QPoint(ledX, top + 14), leads.cathode});
    for (int i = 0; i < 2; ++i) {
        const QPointF from(ledX + 12, top + 2 + 10 * i), to(ledX + 32, top + 10 + 10 * i);
        p.drawLine(from, to);
        arrowHead(p, from, to);
    }
    const int barX = box.right() - 38;
    p.save();
    QPen bar = p.pen();
    bar.setWidth(4);
    p.setPen(bar);
    p.drawLine(barX, top - 6, barX, top + 24);
    p.restore();
    wire(p, {QPoint(barX, top), QPoint(leads.collector.x(), top - 10), leads.collector});
    wire(p, {QPoint(barX, top + 18), QPoint(leads.collector.x(), top + 28),
             QPoint(leads.collector.x(), leads.emitter.y()), leads.emitter});
    arrowHead(p, QPointF(barX, top + 18), QPointF(leads.collector.x(), top + 28));
    text(p, box.right() + 8, box.top() + 10, 120, name);
    return leads;
}

// A connector drawn as a box: its name on top, then one row per pin; the rows' wires leave
// at the box's right edge.
void connector(QPainter &p, QRect box, const QString &name)
{
    p.drawRect(box);
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    text(p, box.left() + 6, box.top() + 14, box.width() - 12, name);
    p.restore();
}

QPoint pinRow(QPainter &p, const QRect &box, int y, const QString &name)
{
    text(p, box.left() + 8, y, box.width() - 12, name);
    return QPoint(box.right(), y);
}

void notes(QPainter &p, QRect area, const QString &lines)
{
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines);
}

void heading(QPainter &p, int y, const QString &line)
{
    p.save();
    QFont bold = p.font();
    bold.setBold(true);
    bold.setPixelSize(15);
    p.setFont(bold);
    text(p, 20, y, SchematicsWidth - 40, line);
    p.restore();
}

void drawSerial(QPainter &p)
{
    heading(p, 52, QStringLiteral("Serial port (COM): DTR and RTS, each one PTT or CW"));
    const QRect com(20, 72, 150, 222);
    connector(p, com, QStringLiteral("COM  DB9 (DB25)"));
    const QPoint dtr = pinRow(p, com, 120, QStringLiteral("DTR  pin 4 (20)"));
    const QPoint rts = pinRow(p, com, 215, QStringLiteral("RTS  pin 7 (4)"));
    const QPoint gnd = pinRow(p, com, 275, QStringLiteral("GND  pin 5 (7)"));

    // DTR through a transistor: collector and emitter switch the transmitter's input to ground.
    resistor(p, dtr, QPoint(290, dtr.y()), QStringLiteral("4.7 k"));
    wire(p, {QPoint(290, dtr.y()), QPoint(340, dtr.y())});
    junction(p, QPoint(315, dtr.y()));
    clampDiode(p, QPoint(315, dtr.y()), QPoint(315, 170), QStringLiteral("1N4148"));
    ground(p, QPoint(315, 170));
    const Leads t = npn(p, QPoint(340, dtr.y()), QStringLiteral("2N2222"));
    grounded(p, t.emitter, QPoint(0, 10));
    toTransmitter(p, t.collector, 72, QStringLiteral("to TX PTT (or CW key)"));

    // RTS through an opto-coupler: the transmitter stays apart from the computer's ground.
    resistor(p, rts, QPoint(290, rts.y()), QStringLiteral("1 k"));
    const Opto o = optocoupler(p, QRect(330, 195, 110, 95), QStringLiteral("4N25"));
    wire(p, {QPoint(290, rts.y()), o.anode});
    junction(p, QPoint(315, rts.y()));
    clampDiode(p, QPoint(315, rts.y()), QPoint(315, 300), QStringLiteral("1N4148"));
    ground(p, QPoint(315, 300));
    grounded(p, o.cathode, QPoint(0, 300 - o.cathode.y()));
    toTransmitter(p, o.collector, 172, QStringLiteral("to TX CW key (or PTT)"));
    toTransmitter(p, o.emitter, o.emitter.y(), QStringLiteral("to TX ground"));
    grounded(p, gnd, QPoint(20, 0));

    notes(p, QRect(470, 90, 310, 70),
          QStringLiteral("Port menu: choose the port, then DTR and RTS under \"TX PTT/COM\" (held for "
                         "the whole transmission) or \"TX CW/COM\" (keyed with each element). "
                         "The transistor's emitter ground goes to the TX ground too."));
}

void drawParallel(QPainter &p)
{
    heading(p, 340, QStringLiteral("Parallel port (LPT): one control pin for CW"));
    const QRect lpt(20, 360, 170, 190);
    connector(p, lpt, QStringLiteral("LPT  DB25"));
    const int pins[] = {392, 417, 442, 467};
    const char *names[] = {"pin 1   Strobe", "pin 14  Auto feed", "pin 16  Init", "pin 17  Select in"};
    for (int i = 0; i < 4; ++i) {
        const QPoint end = pinRow(p, lpt, pins[i], QString::fromLatin1(names[i]));
        wire(p, {end, QPoint(215, end.y())});
    }
    // Only the pin chosen on the port panel is keyed: the others are left open.
    p.save();
    p.setPen(QPen(Qt::black, 2, Qt::DashLine));
    p.drawLine(215, pins[0], 215, pins[3]);
    p.restore();
    const int y = (pins[0] + pins[3]) / 2;
    text(p, 222, y - 22, 80, QStringLiteral("one of"));
    resistor(p, QPoint(215, y), QPoint(345, y), QStringLiteral("4.7 k"));
    const Leads t = npn(p, QPoint(345, y), QStringLiteral("2N2222"));
    grounded(p, t.emitter, QPoint(0, 10));
    toTransmitter(p, t.collector, 372, QStringLiteral("to TX CW key"));
    grounded(p, pinRow(p, lpt, 530, QStringLiteral("pins 18-25  GND")), QPoint(25, 0));

    notes(p, QRect(470, 400, 310, 150),
          QStringLiteral("Port menu: choose the port (LPT1 to LPT3 or an address under \"LPTx\") and "
                         "the pin under \"TX CW/LPT\". With this circuit leave \"Neg. logic\" clear: "
                         "the pin is then high while the key is down. Checked, it is low while the key is down."));
}

} // namespace

QImage DrawInterfaceSchematics()
{
    QImage sheet(SchematicsWidth, SchematicsHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    PaintInterfaceSchematics(p);
    return sheet;
}

void PaintInterfaceSchematics(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);

    QFont title = font;
    title.setBold(true);
    title.setPixelSize(18);
    p.save();
    p.setFont(title);
    p.drawText(QRect(0, 8, SchematicsWidth, 26), Qt::AlignCenter, QStringLiteral("KESTRELON: keying a transmitter"));
    p.restore();

    drawSerial(p);
    p.drawLine(20, 322, SchematicsWidth - 20, 322);
    drawParallel(p);
}

bool ProvideSchematicsFile(const QString &path)
{
    if (QFileInfo(path).isFile())
        return true;
    return DrawInterfaceSchematics().save(path, "BMP");
}
