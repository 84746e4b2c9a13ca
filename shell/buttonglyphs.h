#pragma once

// The button pictures, drawn by the program itself: thirteen pictures, each at the five
// enlargement steps (16 pixels at 100 %, 32 at 200 %), transparent around the drawing.

#include <QPixmap>
#include <QString>
#include <QStringList>

// The picture names: "reset", "play", "stop", "stopquiz", "exit", "bruit", "gomme",
// "ecrire", "lapin", "case", "filter", "import", "hautparleur".
const QStringList &ButtonGlyphNames();

// A picture at a step (100, 125, 150, 175, 200); the name in any letter case ("RESET125" is
// ButtonGlyph("reset", 125)). A null pixmap for a name or step the program has no picture of.
QPixmap ButtonGlyph(const QString &name, int step);
