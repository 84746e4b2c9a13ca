#pragma once

#include <QRadioButton>

// A mode button of the main window. A click on the mode already chosen changes nothing: it
// stays chosen and its handler does not run again, whether the click comes from the mouse, the
// space key, a shortcut or a screen reader's press (code that clicks it still runs the handler).
class ModeButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool event(QEvent *event) override;
};
