#pragma once

#include <QStringList>

#include <optional>
#include <string_view>

// What the program's arguments choose for this run. Only the first three arguments count,
// each upper-cased (a to z only): "/E" "/D" "/F" "/I" "/P" "/S" "/M" choose a language
// (the letter is the one of the LANGUAGE= key); an argument longer than two characters whose
// second character is "=" gives the speed from the rest. Later arguments win.
struct CommandLineChoice {
    char language = 0;          // 0: none chosen
    std::optional<int> speed;   // not yet clamped
};

// Qt's own window geometry option, "-qwindowgeometry" (or "-geometry", X11's name for it)
// followed by [=][<width>x<height>][{+-}<x>{+-}<y>]: a minus offset counts from the right or
// bottom edge. Nothing when the text is no geometry.
struct WindowGeometryRequest {
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> x;
    std::optional<int> y;
    bool fromRight = false;
    bool fromBottom = false;
};
std::optional<WindowGeometryRequest> ParseWindowGeometry(std::string_view text);

// Takes Qt's window geometry option out of the program's arguments before the application
// object sees them (Qt would size the first window to it unchecked) and keeps it for
// ApplyCommandLine, which applies it held to the screen. Runs before QApplication exists.
void TakeWindowGeometryArgument(int &argc, char **argv);

// arguments: the program's arguments without its name (QCoreApplication::arguments().mid(1)).
CommandLineChoice ReadCommandLineArguments(const QStringList &arguments);

// Applies the command-line arguments after the settings file: the language item is clicked,
// the speed goes where SPEED= goes, held to 5..70, and a window geometry taken from the
// arguments places the main window, held to the screen. All are then what the file stores
// at exit.
// arguments: without the program's name.
void ApplyCommandLine(const QStringList &arguments);
