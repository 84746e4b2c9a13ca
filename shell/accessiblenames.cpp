#include "shell/accessiblenames.h"
#include "shell/modebutton.h"

#include "shell/languages/languages.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

constexpr const char *kNamedByHint = "kestrelonNamedByHint";
constexpr const char *kActsAsButton = "kestrelonActsAsButton";

void setName(QWidget *control, const QString &name)
{
    if (control->accessibleName() != name)
        control->setAccessibleName(name);
    // The edit a screen reader finds inside the box speaks for the box.
    QLineEdit *inner = nullptr;
    if (auto *combo = qobject_cast<QComboBox *>(control))
        inner = combo->lineEdit();
    else if (qobject_cast<QAbstractSpinBox *>(control))
        inner = control->findChild<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly);
    if (inner && inner->accessibleName() != name)
        inner->setAccessibleName(name);
}

// A name bound to a control: a child of the control, so it lives and dies with it.
class NameBinding : public QObject {
public:
    NameBinding(QWidget *control, std::function<QString()> name)
        : QObject(control), control_(control), name_(std::move(name))
    {
    }
    QWidget *control() const { return control_; }
    void apply() const { setName(control_, name_()); }

private:
    QWidget *control_;
    std::function<QString()> name_;
};

std::vector<QPointer<NameBinding>> &bindings()
{
    static std::vector<QPointer<NameBinding>> all;
    return all;
}

NameBinding *bindingOf(const QWidget *control)
{
    for (QObject *child : control->children())
        if (auto *binding = dynamic_cast<NameBinding *>(child))
            return binding;
    return nullptr;
}

QString firstLine(const QString &text)
{
    return ForDisplay(text).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// A control with no caption of its own and no bound name is named by its hint.
void nameByHint(QWidget *w)
{
    if (bindingOf(w))
        return;
    const bool picture = w->property(kActsAsButton).toBool();
    auto *button = qobject_cast<QAbstractButton *>(w);
    if (button ? !button->text().isEmpty()
               : !picture && (qobject_cast<QLabel *>(w) || w->focusPolicy() == Qt::NoFocus))
        return;
    const QString hint = firstLine(w->toolTip());
    if (!hint.isEmpty()) {
        setName(w, hint);
        w->setProperty(kNamedByHint, true);
    } else if (w->property(kNamedByHint).toBool()) {
        setName(w, QString());
        w->setProperty(kNamedByHint, false);
    }
}

class AccessibilityWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Polish && type != QEvent::ToolTipChange && type != QEvent::ShowToParent)
            return false;
        if (!watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        if (type == QEvent::ShowToParent) {
            // After the window's show handler has written its texts.
            if (w->isWindow())
                RefreshAccessibleNames(w);
            return false;
        }
        nameByHint(w);
        return false;
    }
};

// A button whose press on the accessibility bus is a click, so that the handlers bound to the
// click run; Qt's own toggles a checkable button's check mark without a click.
class ClickingButton : public QAccessibleWidget {
public:
    explicit ClickingButton(QAbstractButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QAccessible::Role role() const override
    {
        if (!button()->isCheckable())
            return QAccessible::Button;
        return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const QAbstractButton *b = button();
        state.pressed = b->isDown();
        if (b->isCheckable()) {
            state.checkable = true;
            state.checked = b->isChecked();
            if (auto *box = qobject_cast<const QCheckBox *>(b))
                state.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
        }
        if (auto *push = qobject_cast<const QPushButton *>(b); push && push->isDefault())
            state.defaultButton = true;
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? WithoutAccessKeys(button()->text()) : name;
        }
        if (t == QAccessible::Accelerator)
            return QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled()) {
            names << pressAction();
            if (button()->isCheckable())
                names << toggleAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (!widget()->isEnabled())
            return;
        if (action == pressAction() || action == toggleAction()) {
            // The chosen mode pressed again stays chosen and runs nothing, as with the mouse.
            if (dynamic_cast<ModeButton *>(button()) && button()->isChecked())
                return;
            if (button()->isCheckable())
                button()->click();
            else
                button()->animateClick();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(object()); }
};

// What a picture's click runs, kept as a child of the picture.
class PressAction : public QObject {
public:
    PressAction(QWidget *picture, std::function<void()> press)
        : QObject(picture), press(std::move(press))
    {
    }
    std::function<void()> press;
};

PressAction *pressOf(const QObject *picture)
{
    for (QObject *child : picture->children())
        if (auto *action = dynamic_cast<PressAction *>(child))
            return action;
    return nullptr;
}

class PressablePicture : public QAccessibleWidget {
public:
    explicit PressablePicture(QWidget *picture) : QAccessibleWidget(picture, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->accessibleName();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << pressAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (PressAction *press = pressOf(widget()); press && widget()->isEnabled())
            press->press();
    }
};

QAccessibleInterface *buttonFactory(const QString &, QObject *object)
{
    if (object->property(kActsAsButton).toBool() && object->isWidgetType())
        return new PressablePicture(static_cast<QWidget *>(object));
    auto *button = qobject_cast<QAbstractButton *>(object);
    if (!button)
        return nullptr;
    // Buttons that open a menu keep Qt's own.
    if (auto *tool = qobject_cast<QToolButton *>(button);
        tool && (tool->menu() || tool->defaultAction()))
        return nullptr;
    if (auto *push = qobject_cast<QPushButton *>(button); push && push->menu())
        return nullptr;
    return new ClickingButton(button);
}

} // namespace

void InstallAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(buttonFactory);
    qApp->installEventFilter(new AccessibilityWatcher(qApp));
    OnLanguageSwitch([] { RefreshAccessibleNames(); });
}

void NameAs(QWidget *control, std::function<QString()> name)
{
    if (!control)
        return;
    delete bindingOf(control);
    auto *binding = new NameBinding(control, std::move(name));
    bindings().push_back(binding);
    control->setProperty(kNamedByHint, false);
    binding->apply();
}

void NameAfter(QWidget *control, const QObject *source)
{
    NameAs(control, [source = QPointer<const QObject>(source)] { return NameText(source); });
    // A box's name is its value on this desktop; its label is found through its buddy.
    if (auto *label = qobject_cast<QLabel *>(const_cast<QObject *>(source));
        label && qobject_cast<QComboBox *>(control))
        label->setBuddy(control);
}

void NameAfter(QWidget *control, const QObject *source, const QObject *place)
{
    NameAs(control,
           [source = QPointer<const QObject>(source), place = QPointer<const QObject>(place)] {
               return NameWithin(NameText(source), NameText(place));
           });
}

void NameAfterHint(QWidget *control, const QWidget *source)
{
    NameAs(control, [source = QPointer<const QWidget>(source ? source : control)] {
        return source ? firstLine(source->toolTip()) : QString();
    });
}

void NameWithinPlace(QWidget *control, const QObject *place)
{
    NameAs(control, [control, place = QPointer<const QObject>(place)] {
        return NameWithin(NameText(control), NameText(place));
    });
}

void ActsAsButton(QWidget *picture, std::function<void()> press)
{
    delete pressOf(picture);
    new PressAction(picture, std::move(press));
    picture->setProperty(kActsAsButton, true);
    nameByHint(picture);
}

QString NameText(const QObject *source)
{
    if (!source)
        return {};
    QString text = CaptionOf(source);
    if (auto *window = qobject_cast<const QWidget *>(source);
        text.isEmpty() && window && window->isWindow())
        text = window->windowTitle();
    text = ForDisplay(text);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text = text.simplified();
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('=')))
        text = text.chopped(1).trimmed();
    return text;
}

QString NameWithin(const QString &name, const QString &place)
{
    if (name.isEmpty() || place.isEmpty())
        return name.isEmpty() ? place : name;
    return name + QStringLiteral(" (") + place + QLatin1Char(')');
}

void RefreshAccessibleNames(QWidget *window)
{
    auto &all = bindings();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [](const QPointer<NameBinding> &b) { return b.isNull(); }),
              all.end());
    for (const QPointer<NameBinding> &binding : std::vector<QPointer<NameBinding>>(all)) {
        if (binding && (!window || binding->control()->window() == window))
            binding->apply();
    }
}
