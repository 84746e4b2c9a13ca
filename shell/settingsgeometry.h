#pragma once

// Window places and sizes that come from the settings file or the command line, held to the
// screen before a window takes them. A size the screen cannot show leaves the program
// without a surface to paint on (it ends at every start, and the file that asked for it is
// then never rewritten); a place off every screen leaves a window nobody can reach. Every
// stored geometry goes through PlaceWindow (or HeldToArea) when it is applied.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

// The main window's design size at the current enlargement: also its smallest size.
QSize MainWindowDesignSize();

// A window's place and size held to an available area, in whole numbers that cannot
// overflow whatever was asked: the size (without the frame, `frame` adds the frame's width
// and height) at most what the area holds and at least `minimum` (the minimum wins on a
// small screen), and the frame's top left so the window lies inside the area as far as it
// fits. Returns the frame's top left and the size.
QRect HeldToArea(QPoint topLeft, QSize size, QSize minimum, QSize frame, const QRect &area);

// Moves (frame top left) and sizes (without the frame) a top-level window as asked, held to
// the available area of the screen at the asked place, or of the primary screen. What is not
// asked stays as the window has it; the window's own minimum size is the least size.
void PlaceWindow(QWidget *window, std::optional<QPoint> topLeft, std::optional<QSize> size);
