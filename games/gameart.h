#pragma once

// The games' pictures, all drawn here: the tile faces of the tile-matching game ("image_a",
// its selected look "image_aa", ...), the memory game's character and Morse-code pictures
// ("image_car_a", "image_cod_a"), its face-down tile, turning and removal frames, the turn
// pictures, the end-panel and launcher pictures and the two game cursors. Names are matched
// without regard to case. A picture is drawn once per name and size and then kept.

#include <QCursor>
#include <QPixmap>
#include <QPolygon>
#include <QSize>
#include <QString>

// Design size of a tile (the face and its 9-pixel edge at the right and bottom).
inline constexpr int TileWidth = 90;
inline constexpr int TileHeight = 70;
inline constexpr int TileEdge = 9;

// Other pictures by name.
inline constexpr const char *PictureJongWin = "image_fin_ha";
inline constexpr const char *PictureJongDeadEnd = "image_fin_ho";
inline constexpr const char *PicturePairsYou = "image_moi";
inline constexpr const char *PicturePairsYouGrey = "image_moi_gris";
inline constexpr const char *PicturePairsProgram = "image_pc";
inline constexpr const char *PicturePairsProgramGrey = "image_pc_gris";
inline constexpr const char *PictureLauncherTiles = "image_mahjong";
inline constexpr const char *PictureLauncherPairs = "image_memorygame";
inline constexpr const char *PairsFaceDown = "image_vide_pairs";

// True for every name the games draw.
bool IsGamePicture(const QString &name);
// The picture at `size` (device-independent pixels); a null pixmap for an unknown name.
QPixmap GamePicture(const QString &name, QSize size);
// What a tile's picture shows, in words for a screen reader: its character ("A") or the Morse
// code of it (".-"); empty for a face-down tile, a frame of a turn and any other picture.
QString GamePictureText(const QString &name);
// The outline of a tile at `size`: its face and edge, without the two empty corners.
QPolygon TileOutline(QSize size);

// "CURSORPAIRS1", "CURSORPAIRS2": the program's cursors 1 and 2 once the memory game exists;
// the tile-matching game shows cursor 2 over a free tile.
QCursor GameCursor(int number);
