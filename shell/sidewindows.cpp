#include "shell/sidewindows.h"

#include "shell/mainwindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

std::vector<TSideForm *> &sideForms()
{
    static std::vector<TSideForm *> forms;
    return forms;
}

// Moves a window the least that brings it whole onto the screen holding the main window; one
// larger than that screen shows its top left corner.
void keepOnMainWindowScreen(QWidget *window)
{
    // A maximised or full-screen window is the window system's to place.
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    QScreen *screen = Form1 ? QGuiApplication::screenAt(Form1->frameGeometry().center()) : nullptr;
    if (!screen && Form1)
        screen = Form1->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    // In from the right and the bottom first; the left and top edges win.
    const auto shift = [](int low, int high, int areaLow, int areaHigh) {
        return std::max(areaLow - low, std::min(0, areaHigh - high));
    };
    const QPoint by(shift(frame.left(), frame.right(), area.left(), area.right()),
                    shift(frame.top(), frame.bottom(), area.top(), area.bottom()));
    if (!by.isNull())
        window->move(frame.topLeft() + by);
}

} // namespace

TSideForm::TSideForm(const char *name, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QString::fromLatin1(name));
    sideForms().push_back(this);
}

TSideForm::~TSideForm()
{
    auto &forms = sideForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

const std::vector<TSideForm *> &TSideForm::all()
{
    return sideForms();
}

void TSideForm::keyPressEvent(QKeyEvent *event)
{
    QPushButton *answer = nullptr;
    for (QPushButton *button : findChildren<QPushButton *>())
        if (button->isDefault() && button->isVisible() && button->isEnabled())
            answer = button;
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (answer && plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        answer->click();
        return;
    }
    if (answer && plain && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TSideForm::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Show && !event->spontaneous())
        keepOnMainWindowScreen(this);
    return handled;
}

TFormNote *FormNote = nullptr;
TFormFilter *FormFilter = nullptr;
TFormNoise *FormNoise = nullptr;
TFormQSB *FormQSB = nullptr;
TFormDrift *FormDrift = nullptr;
TFormDriftBMP *FormDriftBMP = nullptr;
TFormMonitorInfo *FormMonitorInfo = nullptr;
TFormZoom *FormZoom = nullptr;
