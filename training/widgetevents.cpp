#include "training/widgetevents.h"

#include <QObject>

namespace {

class EventHandler : public QObject {
public:
    EventHandler(QObject *watched, std::function<bool(QEvent *)> handler)
        : QObject(watched), handler_(std::move(handler))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return handler_(event); }

private:
    std::function<bool(QEvent *)> handler_;
};

} // namespace

void OnWidgetEvent(QObject *watched, std::function<bool(QEvent *)> handler)
{
    new EventHandler(watched, std::move(handler));
}
