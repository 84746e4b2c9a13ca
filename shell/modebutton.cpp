#include "shell/modebutton.h"

#include <QEvent>

bool ModeButton::event(QEvent *event)
{
    // The mouse, the space key and a shortcut's delayed click all end in one of these.
    const QEvent::Type type = event->type();
    if (isChecked() && (type == QEvent::MouseButtonRelease || type == QEvent::KeyRelease || type == QEvent::Timer)) {
        const QSignalBlocker quiet(this);
        return QRadioButton::event(event);
    }
    return QRadioButton::event(event);
}
