#pragma once

// The audio filter's window TFormFilter: centre frequency and bandwidth of the decoder's
// band-pass filter and the box that switches it on. The audio monitor owns what the controls
// do and gives the window its handlers; the window keeps its place (FILTERPOS=) and writes
// its texts in the checked language whenever it is shown.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <functional>

class QCheckBox;
class QLabel;
class StepSpinBox;

class TFormFilter : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormFilter(QWidget *parent = nullptr);

    void retranslate() override;

    QLabel *LabelAudioFilter;
    QLabel *LabelCenterFrequency;
    QLabel *LabelBW;
    QLabel *Label2; // "Hz"
    StepSpinBox *UpDownFCenter; // its edit is EditFCenter
    StepSpinBox *UpDownBW;      // its edit is EditBW
    QCheckBox *CheckBoxFilter;
    QLabel *StaticTextNote;

    // The place the window had when last closed (FILTERPOS=); negative: none, the window
    // comes where the system puts it.
    int SavedTop = -1;
    int SavedLeft = -1;

    // What the controls do, given by the audio monitor.
    std::function<void()> OnFCenterClick;
    std::function<void()> OnBWClick;
    std::function<void()> OnCheckBoxFilterClick;

    void UpDownFCenterClick();
    void UpDownBWClick();
    void CheckBoxFilterClick();
    // The positions set in code, without running a handler.
    void SetPositions(int center, int bandwidth);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

extern TFormFilter *FormFilter;
