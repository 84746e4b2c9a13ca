#pragma once

// Window enlargement: the whole interface at 100, 125, 150, 175 or 200 %, chosen in the
// Enlarge menu (MenuAgrandir100 ... MenuAgrandir200, kept as MAINZOOM=).
//
// What a mode has to do: nothing.
// - The shell keeps every window at ZoomPercent: the main window's contents (everything under
//   its Frame) at each change of the enlargement, and each side window (TSideForm) each time it
//   is shown; a hidden side window is back at its design size. A window is kept whole on its
//   screen: where the screen cannot hold it at the chosen step it is shown at the largest step
//   it can (the main window takes that step for the whole program). A control is scaled from its
//   design values (place and size, font size, smallest and largest size, icon size, and the
//   margins and spacing of a Qt layout), recorded the first time it is scaled, never from its
//   enlarged values: every step, and 100 -> 200 -> 100 %, puts each control exactly where the
//   design has it. Controls a mode creates later are scaled when they are first shown.
// - Work in design pixels, as at 100 %, when building and at any time after: a place or size
//   that code gives a control is taken as design and shown enlarged. A control sized to its
//   contents (adjustSize) stays sized to its contents at every step.
// - Where code works in the pixels on screen:
//     * to copy another control's place at run time, read DesignGeometry(other): geometry()
//       is the enlarged one;
//     * a font that code sets on a control already shown is taken as it stands (a list that
//       fits its font to its own height relies on this); set fonts when building;
//     * a panel that places its own children from its own size (a resize handler) calls
//       KeepsOwnLayout(panel): its children's places are left to it, their fonts still follow;
//     * a window that follows its own size (the zoom view, the demo view) calls
//       ExemptFromZoom(window), and OnZoomChange when it sizes parts by ZoomScaled.
// - Controls inside a Qt layout are placed by the layout; their fonts and the layout follow.
// - A side window closed by an enlargement opens again at the new step. One kept open (the
//   random-choice help card when going back to 100 %, the message box, the demo view) is
//   rescaled where it stands.

#include <QRect>
#include <QString>

#include <functional>

class QObject;
class QWidget;
class TForm1;

// The enlargement in percent: 100, 125, 150, 175 or 200; 100 at start.
extern int ZoomPercent;

// One of the five steps.
bool IsZoomStep(int percent);

// The step a window is shown at: the enlargement, or for a side window that its screen cannot
// hold whole at it, the largest step that it can (100 % for a window still too large).
int ZoomPercentOf(const QWidget *window);

// Design pixels at the current enlargement, and back (whole pixels, truncated).
int ZoomScaled(int designPixels);
int ZoomToDesign(int screenPixels);

// A control's place and size at 100 % (its geometry while no enlargement applies).
QRect DesignGeometry(const QWidget *control);

// A panel that places its children itself, in the pixels on screen.
void KeepsOwnLayout(QWidget *panel);
// A window that keeps out of the enlargement.
void ExemptFromZoom(QWidget *window);
// After every change of step, for as long as `owner` lives: a window kept out of the
// enlargement that sizes parts of itself by ZoomScaled places them again while it is open.
void OnZoomChange(QObject *owner, std::function<void()> changed);

// The enlargement's menu handlers. Choosing the current step does nothing.
void MenuAgrandir100Click();
void MenuAgrandir125Click();
void MenuAgrandir150Click();
void MenuAgrandir175Click();
void MenuAgrandir200Click();
// The handler of the step's item (100 ... 200); other values do nothing.
void MenuAgrandirClick(int percent);

// The thirteen button pictures of a step ("100" ... "200") given to their controls (those
// that exist).
void LoadButtonGlyphs(const QString &step);

// Connects the Enlarge menu, binds MAINZOOM= and starts keeping the windows at the
// enlargement (TForm1's constructor, after the modules).
void BuildEnlargement(TForm1 &form);
