#pragma once

// The effect windows: pitch (with the exam tone and a test "v"), noise level and band, fading
// depth and speed, drift amount and limits, and the drift picture. Each writes the main
// window's tone model through its clamping setters; what a window changes is heard from the
// next character on.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

// Pitch window "KESTRELON".
class TFormNote : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormNote(QWidget *parent = nullptr);

    QSlider *TrackBarNote; // 0..140: 1500 Hz at the top, 100 Hz at the bottom
    QLabel *StaticTextNote;
    QCheckBox *CheckBoxTonExamen;
    QPushButton *SpeedButtonPlayV; // "Test": plays "v"

    void TrackBarNoteChange();
    void CheckBoxTonExamenClick();
    void SpeedButtonPlayVClick();
    void retranslate() override;

    // The pitch of a track-bar position.
    static int PitchOfPosition(int position) { return 1500 - 10 * position; }

private:
    // While the instructor keeps the pitch fixed: the controls show the pitch in force again
    // and true is returned.
    bool refusedByLock();
};

// Noise window "KESTRELON QRN".
class TFormNoise : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormNoise(QWidget *parent = nullptr);
    void retranslate() override;

    QSlider *TrackBarNoise; // 0 (most noise, top) .. 20 (none)
    QGroupBox *GroupBoxBW;
    QRadioButton *RadioButton10k;
    QRadioButton *RadioButton5k;
    QRadioButton *RadioButton2k;
    QRadioButton *RadioButton1k;

    void TrackBarNoiseChange();
    void RadioButton10kClick();
    void RadioButton5kClick();
    void RadioButton2kClick();
    void RadioButton1kClick();

private:
    void band(int divisor);
};

// Fading window "KESTRELON QSB".
class TFormQSB : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormQSB(QWidget *parent = nullptr);

    QSlider *TrackBarQSB; // depth 0 (top) .. 20 dB
    QGroupBox *GroupBoxQSBSpeed;
    QRadioButton *RadioButtonfast;
    QRadioButton *RadioButtonMedium;
    QRadioButton *RadioButtonSlow;

    void TrackBarQSBChange();
    void RadioButtonfastClick();
    void RadioButtonMediumClick();
    void RadioButtonSlowClick();
    // FormShow: the button of the fading speed in use is checked, the captions translated.
    void retranslate() override;

private:
    void speed(int qsbSpeed);
};

// Drift window "KESTRELON QRH".
class TFormDrift : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormDrift(QWidget *parent = nullptr);
    void retranslate() override;

    QLabel *LabelDriftTitle; // the main window's drift menu caption
    QLabel *LabelDriftUnit;  // "Hz/car"
    QSpinBox *UpDownDrift;   // 0..50 Hz per character, step 5
    QSpinBox *UpDownFMax;    // 800..1500, step 10
    QSpinBox *UpDownFMin;    // 100..800, step 10
    QLabel *StaticTextF0;
    QPushButton *BitBtnBMP;

    void FormShow();
    void UpDownDriftClick();
    void UpDownFMaxClick();
    void UpDownFMinClick();
    void BitBtnBMPClick();
    // The pitch window moved the pitch while this window is visible: the limits offer no value
    // on the wrong side of it, and a limit that was there follows it.
    void PitchChanged(int pitch);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};

// Drift picture "QRH ?".
class TFormDriftBMP : public TSideForm {
    Q_OBJECT
public:
    explicit TFormDriftBMP(QWidget *parent = nullptr);
    QLabel *ImageDrift;

protected:
    // The picture fills the window, drawn at its size at every enlargement.
    void resizeEvent(QResizeEvent *event) override;
};
