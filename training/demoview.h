#pragma once

// The demo view FormDemo: the file text on the whole screen in a large font, the part already
// sent selected and growing as the engine sends, for showing a text to a group. Opened by the
// file panel's SpeedButtonDemo while the text is visible; Play/Stop, font size and scrolling
// from eight picture buttons and from the keys (Space or Enter plays or stops, Esc stops or
// closes). While it is visible the main window leaves the keyboard focus alone.
//
// The view follows its own size (the screen's), not the enlargement: its picture buttons grow
// with the enlargement and its font is the one chosen with its magnifiers.

#include "shell/sidewindows.h"

#include <QToolButton>

class QFrame;
class QPlainTextEdit;
class TForm1;

// ---- Rules free of widgets ---------------------------------------------------------------------

// The first font size of the view: the file box's size scaled by the width of the view's memo
// over the box's (truncated), held to DemoFontRange; the box's own size while its width is
// not known yet.
int InitialDemoFontSize(int fileBoxPoints, int memoWidth, int fileBoxWidth);
inline constexpr int MinDemoFontSize = 6;
inline constexpr int MaxDemoFontSize = 200;

// The sent part of the text in the view's positions (the file box's: one per line break):
// from the start of the stretch being played to the next character to send, held to the text.
struct DemoSelection {
    int start = 0;
    int end = 0;
};
DemoSelection DemoSelectionOf(int stretchStart, int sent, int textLength);

// What a key does in the view.
enum class DemoKey { None, Play, Stop, Hide };
DemoKey DemoKeyAction(int qtKey, bool textPlaying);

// ---- The window --------------------------------------------------------------------------------

// A picture used as a button: its click and its press.
class TDemoImage : public QToolButton {
    Q_OBJECT
public:
    TDemoImage(const char *name, QWidget *parent);
};

class TFormDemo : public TSideForm {
    Q_OBJECT
public:
    explicit TFormDemo(QWidget *parent = nullptr);

    QFrame *Panel1;
    QPlainTextEdit *MemoDemo;
    TDemoImage *ImageLoupePlus;
    TDemoImage *ImageLoupeMoins;
    TDemoImage *ImageUP;
    TDemoImage *ImageDown;
    TDemoImage *ImagePageUP;
    TDemoImage *ImagePageDN;
    TDemoImage *ImagePlay;
    TDemoImage *ImageStop;

    // Maximised; the memo takes the screen less a margin, the pictures beside it; the text and
    // its sent part as the file box has them.
    void FormShow();
    // The selection follows the engine (after every character handed to the sound card).
    void SetDemoCaret();
    void ImageLoupePlusClick();
    void ImageLoupeMoinsClick();
    void ImageUPMouseDown();
    void ImageDownMouseDown();
    void ImagePageUPMouseDown();
    void ImagePageDNMouseDown();
    void ImagePlayClick();
    void ImageStopClick();
    // Every key is the view's: Space and Enter play or stop, Esc stops or closes.
    void FormKeyPress(int qtKey);
    // Play or Stop shown as the text plays or not.
    void ShowPlayState();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setFontSize(int points);
    void placeControls();
};

extern TFormDemo *FormDemo;

// The font size chosen for the view (0 until its first showing); kept for the whole run.
int DemoFontSize();

void SpeedButtonDemoClick();

// The module's build (the program's module list): the file panel's demo button, the engine's
// hand-back to the view and the window's maker.
void BuildDemoViewModule(TForm1 &form);
