#include "shell/settingspanels.h"

#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/sidewindows.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace {

QWidget *control(TForm1 &form, const char *name)
{
    return form.findChild<QWidget *>(QString::fromLatin1(name));
}

void setQuizOKEnabled(TForm1 &form, bool enabled)
{
    if (QWidget *ok = control(form, "ButtonQuizOK"))
        ok->setEnabled(enabled);
}

} // namespace

void OpenSettingsPanel(TForm1 &form, QWidget *panel)
{
    if (form.Engine.QuizSeriesPlaying)
        emit form.ButtonStop->pressed();
    for (const PanelExit &other : MainWindowPanels) {
        QWidget *shown = control(form, other.panel);
        if (shown && shown != panel && !shown->isHidden())
            ClickNamed(&form, other.exit);
    }
    setQuizOKEnabled(form, false);
    panel->show();
    panel->raise();
}

void CloseSettingsPanel(TForm1 &form, QWidget *panel)
{
    panel->hide();
    setQuizOKEnabled(form, true);
    FocusAfterSettingsPanel(form);
}

void FocusAfterSettingsPanel(TForm1 &form)
{
    if (SideWindowVisible(SideWindowPlace::DemoView))
        return;
    const EngineState &engine = form.Engine;
    QWidget *target = nullptr;
    if (engine.ReplayingTypedText || (!engine.RandomPlaying && !engine.TextPlaying))
        target = form.Editcaractere;
    else if (engine.TextPlaying)
        target = control(form, "FileEdit");
    if (target)
        target->setFocus();
}
