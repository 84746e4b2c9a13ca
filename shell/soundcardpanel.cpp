#include "shell/soundcardpanel.h"

#include "platform/audiodevices.h"
#include "shell/accessiblenames.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <string>

std::function<QStringList()> ListInputDevices = [] { return audiodevices::inputDeviceNames(); };
std::function<QStringList()> ListOutputDevices = [] { return audiodevices::outputDeviceNames(); };
std::function<bool(std::function<void()>)> DeviceListsKnown = [](std::function<void()> then) {
    return audiodevices::devicesKnown([then = std::move(then)] {
        QMetaObject::invokeMethod(qApp, then, Qt::QueuedConnection);
    });
};

namespace {

SoundCardPanel panel;

// A list shows the chosen device when its number is in range, else nothing.
void showChoice(QComboBox *list, int device)
{
    list->setCurrentIndex(device >= 0 && device < list->count() ? device : -1);
}

// The lists, empty while the devices are not `known`, showing the current choice.
void fillDeviceLists(bool known = true)
{
    const TSoundEngine &engine = SoundEngine();
    panel.ComboBoxChoixIn->clear();
    panel.ComboBoxChoixOut->clear();
    if (known) {
        panel.ComboBoxChoixIn->addItems(ListInputDevices());
        panel.ComboBoxChoixOut->addItems(ListOutputDevices());
    }
    if (panel.RadioButtonCarteMoi->isChecked()) {
        showChoice(panel.ComboBoxChoixIn, engine.State.WaveInDevice);
        showChoice(panel.ComboBoxChoixOut, engine.State.WaveOutDevice);
    } else {
        panel.ComboBoxChoixIn->setCurrentIndex(-1);
        panel.ComboBoxChoixOut->setCurrentIndex(-1);
    }
}

void focusTypingBox()
{
    if (QLineEdit *box = Form1->Editcaractere; box && box->isEnabled())
        box->setFocus();
}

} // namespace

SoundCardPanel BuildSoundCardPanel(TForm1 &form)
{
    SoundCardPanel &p = panel;
    p.PanelCarteSon = Named(new QFrame(form.Frame), "PanelCarteSon");
    p.PanelCarteSon->setFrameShape(QFrame::Panel);
    p.PanelCarteSon->setFrameShadow(QFrame::Raised);
    p.PanelCarteSon->setAutoFillBackground(true);
    p.PanelCarteSon->setGeometry(150, 110, 360, 210);
    p.PanelCarteSon->hide();

    auto *title = Named(new QLabel(QStringLiteral("SOUND CARD"), p.PanelCarteSon), "TitreCarteSon");
    // Centred in the panel, clear of the "?" and the close button in its corners.
    title->setGeometry(34, 8, 292, 20);
    title->setAlignment(Qt::AlignCenter);
    p.RadioButtonCarteWin = Named(new QRadioButton(QStringLiteral("System default"), p.PanelCarteSon),
                                  "RadioButtonCarteWin");
    p.RadioButtonCarteWin->setGeometry(12, 34, 204, 22);
    p.RadioButtonCarteWin->setChecked(true);
    p.RadioButtonCarteMoi = Named(new QRadioButton(QStringLiteral("My choice"), p.PanelCarteSon),
                                  "RadioButtonCarteMoi");
    p.RadioButtonCarteMoi->setGeometry(220, 34, 128, 22);
    auto *labelIn = Named(new QLabel(QStringLiteral("In"), p.PanelCarteSon), "LabelSonIn");
    labelIn->setGeometry(12, 68, 64, 22);
    p.ComboBoxChoixIn = Named(new QComboBox(p.PanelCarteSon), "ComboBoxChoixIn");
    p.ComboBoxChoixIn->setGeometry(80, 68, 268, 24);
    NameAfter(p.ComboBoxChoixIn, labelIn);
    auto *labelOut = Named(new QLabel(QStringLiteral("Out"), p.PanelCarteSon), "LabelSonOut");
    labelOut->setGeometry(12, 104, 64, 22);
    p.ComboBoxChoixOut = Named(new QComboBox(p.PanelCarteSon), "ComboBoxChoixOut");
    p.ComboBoxChoixOut->setGeometry(80, 104, 268, 24);
    NameAfter(p.ComboBoxChoixOut, labelOut);
    p.BitBtnOKCarteSon = Named(new QPushButton(QStringLiteral("OK"), p.PanelCarteSon), "BitBtnOKCarteSon");
    p.BitBtnOKCarteSon->setGeometry(140, 160, 80, 30);
    p.ButtonCloseCarteSon = Named(new QPushButton(QStringLiteral("X"), p.PanelCarteSon), "ButtonCloseCarteSon");
    p.ButtonCloseCarteSon->setGeometry(328, 6, 22, 22);
    p.ButtonCarteSonHelp = NewHelpButton(p.PanelCarteSon, "ButtonCarteSonHelp", {8, 6, 22, 22}, title);
    QObject::connect(p.BitBtnOKCarteSon, &QPushButton::clicked, [] { BitBtnOKCarteSonClick(); });
    QObject::connect(p.ButtonCloseCarteSon, &QPushButton::clicked, [] { ButtonCloseCarteSonClick(); });

    QAction *quit = form.MenuOutilsQuit;
    p.MenuSoundCard = Named(new QAction(QStringLiteral("Sound card"), form.MenuOutils), "MenuSoundCard");
    form.MenuOutils->insertAction(quit, p.MenuSoundCard);
    QObject::connect(p.MenuSoundCard, &QAction::triggered, [] { MenuSoundCardClick(); });
    p.MenuDeleteClick = Named(new QAction(QStringLiteral("MONITORING : Tune enhancement wrt local sound card"),
                                          form.MenuOutils),
                              "MenuDeleteClick");
    p.MenuDeleteClick->setCheckable(true);
    form.MenuOutils->insertAction(quit, p.MenuDeleteClick);
    // A user's click toggles the check mark through the checkable item itself, which is all
    // MenuDeleteClickClick does.
    p.MenuSonFermeture = Named(new QAction(QStringLiteral("Play system sound when Random and Quiz stop"),
                                           form.MenuOutils),
                               "MenuSonFermeture");
    p.MenuSonFermeture->setCheckable(true);
    form.MenuOutils->insertAction(quit, p.MenuSonFermeture);
    form.MenuOutils->insertSeparator(quit);

    Settings().bind(
        "TUNEQ=",
        [](const std::string &value) {
            // Its handler toggles: a second line must not turn it off again.
            if (value == "1" && !panel.MenuDeleteClick->isChecked())
                MenuDeleteClickClick();
        },
        [](std::vector<std::string> &values) {
            if (panel.MenuDeleteClick->isChecked())
                values.push_back("1");
        });
    Settings().bind(
        "STOPSOUND=",
        [](const std::string &value) {
            if (value == "1")
                panel.MenuSonFermeture->setChecked(true);
        },
        [](std::vector<std::string> &values) {
            if (panel.MenuSonFermeture->isChecked())
                values.push_back("1");
        });
    return p;
}

void MenuSoundCardClick()
{
    TSoundEngine &engine = SoundEngine();
    if (!engine.Cycle->CanChangeSoundCard()) {
        ShowProgramMessage(MsgStopPlayingBeforeSoundCard());
        return;
    }
    if (engine.State.QuizSeriesPlaying)
        engine.ButtonStopClick();

    static const struct {
        const char *panel;
        const char *exit;
    } others[] = {
        {"PanelChoixRandom", "ButtonCancelChoix"},   {"PanelLocalLesson", "ButtonLocalLessonExit"},
        {"PanelLocalCharacters", "ButtonLocalCaractereExit"},
        {"PanelMaskedText", "ButtonMaskedTextCancel"}, {"PanelEspace", "BitBtnOKEspace"},
        {"PanelLocalShortcut", "ButtonShortcutExit"}, {"PanelMsg", "ButtonCloseMsg"},
        {"PanelPort", "ButtonClosePanelPort"},        {"PanelTextRecord", "BitBtnNoRecord"},
        {"PanelImportLessons", "BitBtnCancelImport"},
    };
    for (const auto &other : others) {
        if (NamedVisible(*Form1, other.panel))
            ClickNamed(Form1, other.exit);
    }

    // The numbers are what the settings keep: any device but -1 is the user's own choice.
    if (engine.State.WaveInDevice != -1 || engine.State.WaveOutDevice != -1)
        panel.RadioButtonCarteMoi->setChecked(true);
    else
        panel.RadioButtonCarteWin->setChecked(true);
    panel.PanelCarteSon->show();
    panel.PanelCarteSon->raise();
    // A sound server that has not answered yet (frozen, or slow at start) is not waited for:
    // the lists are filled once it has.
    const QPointer<QFrame> shown = panel.PanelCarteSon;
    if (DeviceListsKnown([shown] {
            if (shown && !shown->isHidden())
                fillDeviceLists();
        }))
        fillDeviceLists();
    else
        fillDeviceLists(false);
}

void BitBtnOKCarteSonClick()
{
    TSoundEngine &engine = SoundEngine();
    const bool own = panel.RadioButtonCarteMoi->isChecked();
    if (own && (panel.ComboBoxChoixIn->currentIndex() < 0 || panel.ComboBoxChoixOut->currentIndex() < 0)) {
        ProgramBeep();
        return;
    }
    panel.PanelCarteSon->hide();
    const bool changed = engine.Cycle->ChooseDevices(!own, panel.ComboBoxChoixIn->currentIndex(),
                                                     panel.ComboBoxChoixOut->currentIndex());
    if (changed) {
        if (Form1->RadioButtonMonitor->isChecked()
            && (NamedChecked(*Form1, "RadioButtonLC") || NamedChecked(*Form1, "RadioButtonRC"))) {
            ClickButton(Form1->RadioButtonAlphabet);
            QCoreApplication::processEvents();
        }
    }
    // A device that failed before is tried again even when the choice stays the same.
    if (changed || engine.State.NoSoundCard)
        engine.Cycle->ReopenWaveOut();
    focusTypingBox();
}

void ButtonCloseCarteSonClick()
{
    panel.PanelCarteSon->hide();
    focusTypingBox();
}

void MenuDeleteClickClick()
{
    panel.MenuDeleteClick->setChecked(!panel.MenuDeleteClick->isChecked());
}
