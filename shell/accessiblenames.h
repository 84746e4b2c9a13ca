#pragma once

// What a screen reader meets in the program's windows: the name it reads for each control a
// user acts on, and what its press does.
//
// Names come from the program's own texts, so they follow every language switch:
// - a button, check box or radio button is named by its caption (Qt's default);
// - a control bound here is named after its label, its group's title, a menu's caption or a
//   text composed of such (NameAfter, NameAs); bound names are written again at every switch
//   and whenever a window is shown (after its show handler has written its texts);
// - any other control without a caption is named by its hint.
// The edit inside a spin box or a combo box carries its box's name.
//
// A picture that a click acts on is a button to a screen reader, its press doing what the
// click does (ActsAsButton).
// A checkable button (a radio button, a check box, a speed button that stays down) offers its
// press to the accessibility bus as a click: Qt's own only flips the check mark, which runs
// none of the handlers bound to the click.

#include <QString>

#include <functional>

class QObject;
class QWidget;

// Once, before the first window is built: the naming and the press above.
void InstallAccessibility();

// The control is named after `source` as the user reads it: a label's text, a group box's
// title, a button's or a menu's caption, a window's title (access keys, line breaks and a
// trailing ":" or "=" left out).
void NameAfter(QWidget *control, const QObject *source);
// The same, made unique by the place it belongs to: "Characters (Quiz)".
void NameAfter(QWidget *control, const QObject *source, const QObject *place);
// The control is named by its hint rather than by its caption (a "?" that says no more), or
// by the hint of the control it shows the rows of.
void NameAfterHint(QWidget *control, const QWidget *source = nullptr);
// The control is named by a text its caller composes from the program's texts.
void NameAs(QWidget *control, std::function<QString()> name);
// The control keeps its own caption, made unique by the caption of the place it belongs to:
// "DTR (TX PTT/COM)", "Neg. logic (Pin 14)".
void NameWithinPlace(QWidget *control, const QObject *place);
// A picture that answers a click: the accessibility bus shows it as a button whose press runs
// `press`, what the click runs.
void ActsAsButton(QWidget *picture, std::function<void()> press);
// The text of a control as a name reads it (see NameAfter).
QString NameText(const QObject *source);
// A name made unique by the place it belongs to: "QRN (File)", "DTR (PTT)".
QString NameWithin(const QString &name, const QString &place);

// Writes the bound names of `window`'s controls (of every window when null) now.
void RefreshAccessibleNames(QWidget *window = nullptr);
