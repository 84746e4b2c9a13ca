#pragma once

// The side windows: created once at start in a fixed order after the main window, destroyed
// at exit, each reached through its one global instance. Each class is real now and grows
// its controls and handlers as its part of the program is built; a part may move its class
// to a file of its own.

#include <QWidget>

#include <functional>
#include <vector>

// What every side window shares: its name, being a window of its own, and the list of
// side windows in creation order (shut-down walks it to stop every timer).
class TSideForm : public QWidget {
    Q_OBJECT
public:
    explicit TSideForm(const char *name, QWidget *parent = nullptr);
    ~TSideForm() override;

    // Every side window alive, in creation order.
    static const std::vector<TSideForm *> &all();

protected:
    // A window with a default button, as a dialog has, answers Enter with that button and
    // Esc by closing.
    void keyPressEvent(QKeyEvent *event) override;
    // Once shown (and placed and sized by its own show handler and the enlargement), the
    // window lies whole on the screen that holds the main window.
    bool event(QEvent *event) override;
};

// Audio filter: its own file, included at the end of this one.
class TFormFilter;

// Monitor help card: its own file, included at the end of this one.
class TFormMonitorInfo;

// Zoom view: its own file, included at the end of this one.
class TFormZoom;

// The message box, TFormDialog, is in shell/formdialog.h; the effect windows (TFormNote,
// TFormNoise, TFormQSB, TFormDrift, TFormDriftBMP) in shell/effectwindows.h; the about box,
// TFormInfo, in shell/aboutbox.h.
class TFormNote;
class TFormNoise;
class TFormQSB;
class TFormDrift;
class TFormDriftBMP;

extern TFormNote *FormNote;
extern TFormFilter *FormFilter;
extern TFormNoise *FormNoise;
extern TFormQSB *FormQSB;
extern TFormDrift *FormDrift;
extern TFormDriftBMP *FormDriftBMP;
extern TFormMonitorInfo *FormMonitorInfo;
extern TFormZoom *FormZoom;

#include "shell/formfilter.h"
#include "shell/formmonitorinfo.h"
#include "shell/zoomview.h"
