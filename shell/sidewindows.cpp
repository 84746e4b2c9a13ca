#include "shell/sidewindows.h"

#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>
#include <map>
#include <string>

namespace {

std::vector<TSideForm *> &sideForms()
{
    static std::vector<TSideForm *> forms;
    return forms;
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

namespace {

std::map<std::string, std::function<void()>> &sideWindowMakers()
{
    static std::map<std::string, std::function<void()>> makers;
    return makers;
}

} // namespace

void RegisterSideWindowMaker(const char *name, std::function<void()> make)
{
    sideWindowMakers()[name] = std::move(make);
}

bool MakeSideWindow(const char *name)
{
    const auto it = sideWindowMakers().find(name);
    if (it == sideWindowMakers().end() || !it->second)
        return false;
    it->second();
    return true;
}

TSideForm *SideWindowNamed(const char *name)
{
    for (TSideForm *form : sideForms())
        if (form->objectName() == QLatin1String(name))
            return form;
    return nullptr;
}

bool SideWindowVisible(const char *name)
{
    const TSideForm *form = SideWindowNamed(name);
    return form && form->isVisible();
}

TFormNote *FormNote = nullptr;
TFormGames *FormGames = nullptr;
TFormMorseJong *FormMorseJong = nullptr;
TFormMemoryPairs *FormMemoryPairs = nullptr;
TFormhelpChoixRandom *FormhelpChoixRandom = nullptr;
TFormBalise *FormBalise = nullptr;
TFormFilter *FormFilter = nullptr;
TFormNoise *FormNoise = nullptr;
TFormQSB *FormQSB = nullptr;
TFormInstructor *FormInstructor = nullptr;
TFormDemo *FormDemo = nullptr;
TFormReport *FormReport = nullptr;
TFormPause *FormPause = nullptr;
TFormSaisie *FormSaisie = nullptr;
TFormDrift *FormDrift = nullptr;
TFormDriftBMP *FormDriftBMP = nullptr;
TFormMonitorInfo *FormMonitorInfo = nullptr;
TFormZoom *FormZoom = nullptr;

TFormBalise::TFormBalise(QWidget *parent)
    : TSideForm("FormBalise", parent)
{
    if (BuildContents())
        BuildContents()(*this);
}

std::function<void(TFormBalise &)> &TFormBalise::BuildContents()
{
    static std::function<void(TFormBalise &)> build;
    return build;
}

TFormReport::TFormReport(QWidget *parent)
    : TSideForm("FormReport", parent)
{
}

TFormPause::TFormPause(QWidget *parent)
    : TSideForm("FormPause", parent)
{
}

