#pragma once

// The beacon: the window FormBalise composes one message from a header, the time, any of the
// six memory messages, a text file and an end text, and hands it to the memory-message
// routine every 2 to 60 minutes, as a radio beacon does. With "Key TX only when beacon is
// played" checked, only the beacon's own text keys the transmitter.
//
// The composition, the file and the period are plain functions here; the window is the
// module's TFormBalise, which start-up makes at its place.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTime>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class TForm1;

// The beacon window; its controls and handlers are the TBeacon made inside it.
class TFormBalise : public TSideForm {
    Q_OBJECT
public:
    explicit TFormBalise(QWidget *parent = nullptr);
};

extern TFormBalise *FormBalise;

// ---- The message --------------------------------------------------------------------------------

struct BeaconParts {
    std::string header;
    std::optional<QTime> time;          // the clock's time, when it is asked for
    std::vector<std::string> messages;  // the checked memory messages that hold text, in order
    std::optional<std::string> fileText; // the text file's text (with its line breaks), when used
    std::string end;
};

// The parts joined by " = " (the break sign between blanks); the time reads "QTR hh:mm "
// with a blank after it, so "VVV DE ZELMO = QTR 09:05  = K". A part that is empty adds nothing.
// The file's line breaks become blanks, so its lines are not run together.
std::string ComposeBeaconMessage(const BeaconParts &parts);

// ---- The text file ------------------------------------------------------------------------------

constexpr std::size_t BeaconMaxFileText = 1000;
enum class BeaconFileStatus {
    Ok,
    Missing,    // no such file: the path error
    Unreadable, // not a regular file, or it cannot be read: "Opening file error"
    Empty,      // no lines: left out
    TooLong,    // more than 1000 characters, every line's break counted: the length error
};
struct BeaconFile {
    BeaconFileStatus status = BeaconFileStatus::Missing;
    std::string text; // the lines joined by CR LF (Windows-1252 bytes)
};
BeaconFile ReadBeaconFile(const std::filesystem::path &path);

// ---- The period ---------------------------------------------------------------------------------

// Up-down position -> minutes.
constexpr std::array<int, 7> BeaconPeriodMinutes = {2, 5, 10, 15, 20, 30, 60};
constexpr int BeaconDefaultPosition = 1;
// The position of a period as the settings file holds it ("2" .. "60"); anything else is the
// default five minutes, never a period the up-down cannot show (nor a zero one).
int BeaconPeriodPosition(std::string_view minutes);

// ---- The window ---------------------------------------------------------------------------------

// What the beacon uses from the system; tests put their own in place.
struct BeaconSeams {
    std::function<QTime()> now = [] { return QTime::currentTime(); };
    // The length of a period's minute.
    int msPerMinute = 60000;
};
BeaconSeams &beaconSeams();

// The controls, state and handlers of FormBalise.
class TBeacon : public QObject, public LanguageAware {
public:
    explicit TBeacon(TFormBalise &window);

    QLabel *LabelPeriode;
    QLineEdit *Edit1; // the period in minutes, read-only
    QSpinBox *UpDownperiode;
    QLabel *LabelMinutes;
    QTimer *TimerPeriode;
    QCheckBox *CheckBoxBalise;
    QLabel *LabelHeader;
    QLineEdit *EditHeader;
    QCheckBox *CheckBoxTime;
    QLabel *LabelMSG;
    std::array<QCheckBox *, 7> CheckBoxMSG{}; // 1..6
    QLabel *LabelTextFile;
    QLineEdit *EditPathTextFile;
    QPushButton *ButtonParcourir;
    QPlainTextEdit *MemoTextFile; // hidden
    QLabel *LabelTextError;
    QLabel *LabelEnd;
    QLineEdit *EditEndMsg;
    QCheckBox *CheckBoxKeyOff;
    QPushButton *ButtonTest;
    QPushButton *SpeedButtonHelpBalise;

    // The error texts, in the language of the last showing.
    QString BeaconPathError = QStringLiteral("Pathname/Filename error");
    QString BeaconTooLongError = QStringLiteral("1000 characters maximum !");
    // The text file's path, as the edit holds it.
    QString BeaconFilePath;
    // The folder of the last file chosen with Browse, for this run only.
    QString BrowseFolder;

    // Handlers.
    void UpDownperiodeMouseDown();
    void CheckBoxBaliseClick();
    void TimerPeriodeTimer();
    void ButtonTestClick();
    void ButtonParcourirClick();
    void EditPathTextFileChange();
    void retranslate() override; // FormShow

private:
    TFormBalise &window_;
    // Counts the beacon's switchings on and off: a period that ends after the beacon was
    // switched again does not arm the timer a second time.
    int generation_ = 0;
};

// The beacon of the window while it exists, else null.
TBeacon *Beacon();

// The module's build (the program's module list): the menu item MenuBalise, the beacon's
// settings keys, and the window's contents when start-up creates it.
void BuildBeaconModule(TForm1 &form);
void MenuBaliseClick();
void SpeedButtonHelpBaliseClick();
