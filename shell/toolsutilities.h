#pragma once

// Small behaviours of the main window that belong to no mode: copy and paste through the
// Tools menu, hiding the controls' hints (HINTS=), the font of the text boxes (FONT=), keeping
// the window on top (STAYONTOP=), the hidden debug item (Ctrl+Alt+M shows the decoder's
// Label4), the window's largest size, and the mouse wheel over the main window's combo boxes.

#include <QFont>

#include <functional>
#include <optional>
#include <string>

class TForm1;

// The font picked by the user, as FONT= keeps it: name; size in points, pixels per inch,
// height in pixels (negative: a character height), charset, colour (0x00BBGGRR), pitch
// (1 default, 2 fixed, 3 variable), style (1 bold, 2 italic, 4 underline, 8 strike-out).
struct SavedFontFields
{
    std::string name;
    int size = 0;
    int pixelsPerInch = 96;
    int height = 0;
    int charset = 0;
    int colour = 0;
    int pitch = 1;
    int style = 0;
};
extern bool FontChosen;
extern SavedFontFields SavedFont;

// The FONT= value of the saved font, and the fields of a value (nothing unless all eight are
// there and convert).
std::string FontSettingValue(const SavedFontFields &font);
std::optional<SavedFontFields> ParseFontSetting(const std::string &value);
// The Qt font of the fields, and the fields of a font the user picked (charset and colour
// are kept from `kept`: the font dialog offers neither).
QFont FontOfFields(const SavedFontFields &fields);
SavedFontFields FieldsOfFont(const QFont &font, const SavedFontFields &kept);

// The font dialog, opening with the given font; nothing when the user cancels. Tests put
// their own chooser here.
std::function<std::optional<QFont>(const QFont &initial)> &FontChooser();

// One notch of the wheel over the lesson list of the character-choice panel (20 lessons a
// page, pages 1 to 3): the entry to select and the page to turn to (-1 back, 1 on, 0 none);
// nothing when the wheel does nothing there.
struct LessonWheelStep
{
    int index;
    int page;
};
std::optional<LessonWheelStep> LessonWheel(int index, int lessonPage, bool awayFromUser);

// Menu handlers.
void menuCopierClick();
void MenuCollerClick();
void MenuHideHintsClick();
void MenuPoliceClick();
void menuStayOnTopClick();
void MenuDebugClick();

// The Tools menu's items, their settings keys, the hint gate and the wheel (TForm1's
// constructor).
void BuildToolsUtilities(TForm1 &form);
