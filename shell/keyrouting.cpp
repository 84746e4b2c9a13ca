#include "shell/keyrouting.h"

#include "shell/mainwindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

std::vector<KeyRoute> &routes()
{
    static std::vector<KeyRoute> table;
    return table;
}

// The program's name of the control that has the focus: the widget itself, or the compound
// control it is a part of (a spin box's or combo box's edit).
QString focusName(const QWidget *focus)
{
    for (const QWidget *w = focus; w && !w->isWindow(); w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            return name;
    }
    return {};
}

bool focusMatches(const char *names, const QString &focus)
{
    if (!names || focus.isEmpty())
        return false;
    const QStringList list = QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return list.contains(focus);
}

int keyOf(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Escape:
        return KeyEscape;
    default:
        return 0;
    }
}

// Sees the keys of the main window's controls before they do.
class KeyWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !object->isWidgetType() || !Form1)
            return false;
        auto *w = static_cast<QWidget *>(object);
        if (w->window() != Form1)
            return false;
        // Only where the key arrives, not again as it travels up to the parents.
        QWidget *focus = Form1->focusWidget();
        if (w != focus && !(focus == nullptr && w == Form1))
            return false;
        const int key = keyOf(static_cast<QKeyEvent *>(event));
        if (key == 0)
            return false;
        if (!RouteKey(key, focus).consumed)
            return false;
        event->accept();
        return true;
    }
};

} // namespace

void AddKeyRoute(KeyRoute route)
{
    std::vector<KeyRoute> &table = routes();
    RemoveKeyRoute(route.name);
    // Kept in testing order: by stage, by order, then as added.
    const auto after = std::find_if(table.begin(), table.end(), [&route](const KeyRoute &known) {
        return std::pair(known.stage, known.order) > std::pair(route.stage, route.order);
    });
    table.insert(after, std::move(route));
}

void RemoveKeyRoute(const char *name)
{
    std::erase_if(routes(), [name](const KeyRoute &route) { return std::strcmp(route.name, name) == 0; });
}

std::vector<const KeyRoute *> KeyRoutes()
{
    std::vector<const KeyRoute *> ordered;
    for (const KeyRoute &route : routes())
        ordered.push_back(&route);
    return ordered;
}

KeyDecision RouteKey(int key, const QWidget *focus)
{
    const QString focused = focusName(focus);
    // A row's action may add rows: test a copy.
    const std::vector<KeyRoute> table = routes();
    for (const KeyRoute &route : table) {
        if (!(route.keys & key))
            continue;
        if (route.stage != KeyStage::Window && !focusMatches(route.focus, focused))
            continue;
        if (route.applies && !route.applies(key))
            continue;
        KeyDecision decision;
        decision.row = route.name;
        decision.acted = route.act && route.act(key);
        decision.consumed =
            route.consume == KeyConsume::Always || (route.consume == KeyConsume::WhenActs && decision.acted);
        return decision;
    }
    return {};
}

void BuildKeyboardControl(TForm1 &form)
{
    qApp->installEventFilter(new KeyWatcher(&form));
}
