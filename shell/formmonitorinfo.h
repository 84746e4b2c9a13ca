#pragma once

// The monitor's help card TFormMonitorInfo: how to key into the monitor (mouse, CTRL key,
// serial port), what the doubtful signs mean, and the way to the full help page. Shown and
// hidden by the monitor's "?" button; it writes its texts in the checked language whenever it
// is shown.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

class QLabel;
class QPushButton;

class TFormMonitorInfo : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormMonitorInfo(QWidget *parent = nullptr);

    void retranslate() override;

    QLabel *LabelMonitorInfo;
    QLabel *LabelInfoMouseport;
    QLabel *LabelInfoMenuPort;
    QLabel *LabelInfoCTRL;
    QLabel *LabelInfoSigne;
    QLabel *LabelInfoCOM;
    QPushButton *ButtonHelp;
    QPushButton *ButtonOK;

    // The help page of the monitor (context 30), from the button and the window's help key.
    void ButtonHelpClick();
    void ButtonOKClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

extern TFormMonitorInfo *FormMonitorInfo;
