#pragma once

// Handlers for single events of a widget without subclassing it (a right click on a button,
// a click on a label): an event filter owned by the widget.

#include <functional>

class QEvent;
class QObject;

// Runs `handler` for every event of `watched`; a handler returning true keeps the event from
// the widget. The filter lives as long as the widget.
void OnWidgetEvent(QObject *watched, std::function<bool(QEvent *)> handler);
