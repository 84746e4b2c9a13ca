#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace {
std::vector<EndedByQuit *> waitsInFlight;
} // namespace

EndedByQuit::EndedByQuit(std::function<void()> end)
    : m_end(std::move(end))
{
    waitsInFlight.push_back(this);
}

EndedByQuit::~EndedByQuit()
{
    std::erase(waitsInFlight, this);
}

void EndWaitsForQuit()
{
    // Each end only asks its loop to return; the loops unwind once the quit is through.
    const std::vector<EndedByQuit *> waits = waitsInFlight;
    for (auto it = waits.rbegin(); it != waits.rend(); ++it)
        (*it)->m_end();
}

void WaitMilliseconds(int ms)
{
    if (ms < 0)
        ms = 0;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fired = true;
        loop.quit();
    });
    const EndedByQuit endedByQuit([&loop] { loop.quit(); });
    // "More than ms": the wait ends once ms + 1 whole milliseconds have passed.
    while (true) {
        const qint64 remaining = qint64(ms) + 1 - clock.elapsed();
        if (remaining <= 0)
            return;
        fired = false;
        timer.start(int(remaining));
        loop.exec();
        // Anything but our own timer ending the loop is a quit or the application ending:
        // stop waiting (once the application ends, a new loop would only return at once).
        if (!fired)
            return;
    }
}

bool ClickButton(QAbstractButton *button)
{
    if (!button)
        return false;
    if (qobject_cast<QRadioButton *>(button))
        button->setChecked(true);
    else if (button->isCheckable())
        button->setChecked(!button->isChecked());
    emit button->clicked(button->isChecked());
    return true;
}

void UncheckExclusive(QAbstractButton *button)
{
    QButtonGroup *group = button->group();
    const bool exclusive = group && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (exclusive)
        group->setExclusive(false);
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(autoExclusive);
    if (exclusive)
        group->setExclusive(true);
}

bool ClickMenuItem(QAction *item)
{
    if (!item)
        return false;
    if (item->isCheckable()) {
        // As from the menu: the checked item of an exclusive group stays checked.
        QActionGroup *group = item->actionGroup();
        const bool keep = item->isChecked() && group
                          && group->exclusionPolicy() == QActionGroup::ExclusionPolicy::Exclusive;
        if (!keep)
            item->setChecked(!item->isChecked());
    }
    emit item->triggered(item->isChecked());
    return true;
}

bool ClickNamed(QObject *root, const char *name)
{
    if (!root)
        return false;
    const QString objectName = QString::fromLatin1(name);
    if (auto *button = root->findChild<QAbstractButton *>(objectName))
        return ClickButton(button);
    if (auto *item = root->findChild<QAction *>(objectName))
        return ClickMenuItem(item);
    return false;
}

QWidget *WidgetNamed(const QObject *root, const char *name)
{
    return root ? root->findChild<QWidget *>(QString::fromLatin1(name)) : nullptr;
}

void SetShownNamed(const QObject *root, const char *name, bool shown)
{
    if (QWidget *widget = WidgetNamed(root, name))
        widget->setVisible(shown);
}

void SetEnabledNamed(QObject *root, const char *name, bool enabled)
{
    if (!root)
        return;
    const QString objectName = QString::fromLatin1(name);
    if (auto *widget = root->findChild<QWidget *>(objectName))
        widget->setEnabled(enabled);
    else if (auto *item = root->findChild<QAction *>(objectName))
        item->setEnabled(enabled);
}

bool CloseFirstShownPanel(QObject *root, std::span<const PanelExit> panels)
{
    if (!root)
        return false;
    for (const PanelExit &p : panels) {
        auto *panel = root->findChild<QWidget *>(QString::fromLatin1(p.panel));
        if (panel && !panel->isHidden()) {
            ClickNamed(root, p.exit);
            return true;
        }
    }
    return false;
}
