#pragma once

// Recording a text as a WAV file: the panel PanelTextRecord ("RECORDING WAVE") shows the size
// the file will have and the format (rate, channels, bits), and writes the file on Yes; then
// the file's path goes to the clipboard for an outside MP3 converter, which is started when
// the user asked for it and it is there. The text is the typing box's (Tools menu, Ctrl+Shift+F6)
// or the random groups' (Ctrl+Shift+F10). Settings keys WAVFREQ=, MONOSTER=, MP3=.

#include "engine/wavwriter.h"

#include <QFrame>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TForm1;

class TPanelTextRecord : public QFrame {
    Q_OBJECT
public:
    explicit TPanelTextRecord(TForm1 &form);

    QLabel *LabelTextRecord;
    QPushButton *ButtonTextRecordHelp;
    QLabel *LabelTailleFichier;
    QLabel *LabelValeurTailleFichier; // "41 660  bytes"
    QLabel *Label13;                  // "FE=1  CA=2  BI=16"
    QGroupBox *GroupBoxTextRecord;
    QLabel *LabelSamplingFrequency;
    QComboBox *ComboBoxFrequence; // "11025", "22050"
    QRadioButton *RadioButtonMono8;
    QRadioButton *RadioButtonMono16;
    QRadioButton *RadioButtonStereo8;
    QRadioButton *RadioButtonStereo16;
    QCheckBox *CheckBoxMP3;
    QLabel *LabelTextRecordContinue;
    QPushButton *BitBtnYesRecord;
    QPushButton *BitBtnNoRecord;
    QAction *MenuRecordMemoRandom;
    QAction *MenuSaveTextWave;

    // The format chosen (WAVFREQ=, MONOSTER=) and the size of the data last estimated.
    WavFormat Format;
    std::uint64_t WavByteCount = 0;

    void MenuRecordMemoRandomClick();
    void MenuSaveTextWaveClick();
    // Checks the source, works out the size and shows the panel (again).
    void MenuRecordWaveClick();
    void ComboBoxFrequenceChange();
    void FormatButtonClick(int channels, int bits);
    void BitBtnNoRecordClick();
    void BitBtnYesRecordClick();

private:
    enum class Source { TypingBox, RandomMemo };
    // The text to record (a blank, then the source's text), or nothing after telling the user
    // why there is none.
    std::optional<std::string> recordableText();
    void showFormat();
    void bindSettings();

    TForm1 &form_;
    Source source_ = Source::TypingBox;
};

// Builds the panel (hidden) and its two menu items on the main window, and binds its keys.
TPanelTextRecord *BuildRecordPanel(TForm1 &form);
TPanelTextRecord *RecordPanel();

// After a speed change: the size shown follows, while the panel is open.
void RefreshRecordEstimate();

// The save dialog ("Text1.wav" in the program folder); the chosen path or empty for Cancel.
// Tests put their own in its place.
extern std::function<QString(const QString &suggested)> ChooseRecordFile;

// The file name of the outside converter in the program folder.
extern const char *const ConverterName;
