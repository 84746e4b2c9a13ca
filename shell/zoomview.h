#pragma once

// The zoom view TFormZoom: a resizable window showing the character being sent in very large
// letters with its Morse code below, in upper or lower case by its case button. Opened and
// closed by MenuZoom (ZOOM=); its place (ZOOMPOS=) and case (ZCASE=) are kept in the settings.
// Keys typed in it go to the typing box's key handler. It follows its own size, not the
// enlargement (only its case button's picture is the step's).

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <string>

class QLabel;
class QToolButton;
class TForm1;

// A key was typed in the zoom view: at the end of the text the focus stays there.
extern bool ZoomTyping;
// The case button is down: the view shows lower case (ZCASE=).
extern bool ZoomLowerCase;
// Where the view was when last closed (ZOOMPOS=), -1 for never.
extern int ZoomTop;
extern int ZoomLeft;

class TFormZoom : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormZoom(QWidget *parent = nullptr);
    void retranslate() override;

    // Design size and the top strip above the large character.
    static constexpr int DesignWidth = 372;
    static constexpr int DesignHeight = 526;
    static constexpr int TopStrip = 25;
    static constexpr int SideMargins = 43;

    QLabel *LabelZoom;
    QLabel *LabelCode;
    QToolButton *SpeedButtonZoomCase;

    // The base metrics (start-up records them once the window exists).
    int BaseHeight = DesignHeight;
    int BaseWidth = DesignWidth;
    int BaseClientHeight = DesignHeight;
    int BaseZoomHeight = 0;
    int BaseZoomFont = 0;
    int BaseCodeHeight = 0;
    int BaseCodeFont = 0;
    void RecordBaseMetrics();

    void FormShow();
    void FormResize();
    // A key typed in the view (Windows-1252).
    void FormKeyPress(unsigned char key);
    void SpeedButtonZoomCaseClick();
    // The case button's picture at the current enlargement.
    void LoadCaseGlyph();

    // The character being sent, and its code; the quiz selected empties both.
    void ShowCharacter(unsigned char c, const std::string &code);
    void Clear();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TFormZoom *FormZoom;

// Shows the view or hides it, with MenuZoom's check mark.
void MenuZoomClick();

// MenuZoom, the view's settings keys and the engine's display hooks (TForm1's constructor).
void BuildZoomView(TForm1 &form);
