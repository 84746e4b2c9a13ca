#include "shell/settingsgeometry.h"

#include "shell/mainwindow.h"
#include "shell/pendingsteps.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QSize MainWindowDesignSize()
{
    const int zoom = CurrentZoomPercent();
    return {TForm1::DesignWidth * zoom / 100, TForm1::DesignHeight * zoom / 100};
}

QRect HeldToArea(QPoint topLeft, QSize size, QSize minimum, QSize frame, const QRect &area)
{
    // 64 bits: a coordinate near the ends of int plus a size must not wrap.
    auto side = [](qint64 wanted, qint64 least, qint64 room) { return std::max(std::min(wanted, room), least); };
    const qint64 width = side(size.width(), minimum.width(), qint64(area.width()) - frame.width());
    const qint64 height = side(size.height(), minimum.height(), qint64(area.height()) - frame.height());
    auto place = [](qint64 wanted, qint64 first, qint64 room, qint64 extent) {
        return std::clamp(wanted, first, std::max(first, first + room - extent));
    };
    const qint64 x = place(topLeft.x(), area.left(), area.width(), width + frame.width());
    const qint64 y = place(topLeft.y(), area.top(), area.height(), height + frame.height());
    return {int(x), int(y), int(width), int(height)};
}

void PlaceWindow(QWidget *window, std::optional<QPoint> topLeft, std::optional<QSize> size)
{
    if (!window)
        return;
    const QPoint where = topLeft.value_or(window->pos());
    QScreen *screen = QGuiApplication::screenAt(where);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize frame = window->frameGeometry().size() - window->size();
    const QRect held = HeldToArea(where, size.value_or(window->size()), window->minimumSize(),
                                  frame.expandedTo(QSize(0, 0)), screen->availableGeometry());
    window->resize(held.size());
    window->move(held.topLeft());
}
