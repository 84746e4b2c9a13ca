#pragma once

// The interface schematics picture: how a transmitter is keyed from the program's lines. A
// serial port's DTR through a transistor and RTS through an opto-coupler (either line can be
// PTT or CW), and one control pin of a parallel port (1, 14, 16 or 17) through a transistor.
// The program draws it itself, so it ships with every build; it is written into the data
// folder as "pc_tx.bmp" when the user has no picture of that name there.

#include <QImage>
#include <QString>

class QPainter;

inline constexpr int SchematicsWidth = 800;
inline constexpr int SchematicsHeight = 600;

QImage DrawInterfaceSchematics();

// Draws the same picture with `p`, on a device of SchematicsWidth x SchematicsHeight.
void PaintInterfaceSchematics(QPainter &p);

// Writes the picture to `path` (BMP) unless a file is there already. True when a file is
// there afterwards; a folder that cannot be written gives false, with no message.
bool ProvideSchematicsFile(const QString &path);
