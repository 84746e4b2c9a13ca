#include "shell/hintdisplaytime.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

class HintDisplayTime : public QObject {
public:
    using QObject::QObject;
    int milliseconds = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            // -1: no time of its own yet; an earlier application time is replaced.
            if (widget->toolTipDuration() < 0 || widget->property(givenName).toBool()) {
                widget->setToolTipDuration(milliseconds);
                widget->setProperty(givenName, true);
            }
        }
        return false;
    }

private:
    static constexpr const char *givenName = "kestrelonHintDisplayTime";
};

QPointer<HintDisplayTime> filter;

} // namespace

void SetHintDisplayTime(int milliseconds)
{
    if (!qApp)
        return;
    if (!filter) {
        filter = new HintDisplayTime(qApp);
        qApp->installEventFilter(filter);
    }
    filter->milliseconds = milliseconds;
}
