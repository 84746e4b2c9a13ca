#include "shell/volumecontrol.h"

#include "engine/tone.h"
#include "shell/accessiblenames.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/help.h"
#include "shell/mainwindow.h"
#include "shell/stepspinbox.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

StepSpinBox *levelBox()
{
    return Form1 ? Form1->findChild<StepSpinBox *>(QStringLiteral("UpDownAmplitude")) : nullptr;
}

void showLevel(int dB)
{
    if (StepSpinBox *box = levelBox()) {
        const QSignalBlocker quiet(box);
        box->setValue(dB);
    }
}

// A new level through the control, as a click on the up-down gives it.
void stepLevel(int dB)
{
    showLevel(dB);
    UpDownAmplitudeClick();
}

// Texts of these controls that the shell's own table does not hold.
constexpr TextRow kTexts[] = {
    {"MenuVolume", TextKind::Caption,
     Tr("&Volume", "&Hangerö", "&Lautstärke", "V&olume", "V&olume", "V&olume", "V&olumen")},
    {"UpVolume", TextKind::Caption,
     Tr("Up", "Hangosabb", "Lauter", "Plus fort", "Più forte", "Mais alto", "Más alto")},
    {"DownVolume", TextKind::Caption,
     Tr("Down", "Halkabb", "Leiser", "Moins fort", "Più piano", "Mais baixo", "Más bajo")},
    {"SpeedButtonHP", TextKind::Hint,
     Tr("Volume control of the computer", "A számítógép hangeröszabályzója", "Lautstärkeregler des Computers",
        "Contrôle du volume de l'ordinateur", "Controllo del volume del computer", "Controle de volume do computador",
        "Control de volumen del ordenador")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

} // namespace

VolumeControl BuildVolumeControl(TForm1 &form)
{
    RegisterMainWindowTexts(kTexts);
    VolumeControl c;
    c.UpDownAmplitude = new StepSpinBox(MinLevel, MaxLevel, LevelStep, form.EngineTone.Tables.Level(), form.Frame);
    c.UpDownAmplitude->setObjectName(QStringLiteral("UpDownAmplitude"));
    c.UpDownAmplitude->setSuffix(QStringLiteral(" dB"));
    c.UpDownAmplitude->setGeometry(392, 72, 72, 24);
    c.UpDownAmplitude->setToolTip(QStringLiteral("Volume"));
    c.EditAmplitude = c.UpDownAmplitude->findChild<QLineEdit *>();
    if (c.EditAmplitude)
        c.EditAmplitude->setObjectName(QStringLiteral("EditAmplitude"));
    QObject::connect(c.UpDownAmplitude, &QSpinBox::valueChanged, c.UpDownAmplitude, [] { UpDownAmplitudeClick(); });
    c.ButtonLevelHelp = NewHelpButton(form.Frame, "ButtonLevelHelp", {468, 72, 24, 24});
    // The loudspeaker: its picture comes with the enlargement's glyphs, its click from the
    // help module (the desktop's volume control).
    c.SpeedButtonHP = new QPushButton(form.Frame);
    c.SpeedButtonHP->setObjectName(QStringLiteral("SpeedButtonHP"));
    c.SpeedButtonHP->setGeometry(498, 72, 28, 24);

    c.MenuVolume = form.addMenuNamed("MenuVolume", QStringLiteral("&Volume"));
    NameHelpButton(c.ButtonLevelHelp, c.MenuVolume);
    c.UpVolume = c.MenuVolume->addAction(QStringLiteral("Up"));
    c.UpVolume->setObjectName(QStringLiteral("UpVolume"));
    c.UpVolume->setShortcut(QKeySequence(Qt::ALT | Qt::Key_U));
    c.DownVolume = c.MenuVolume->addAction(QStringLiteral("Down"));
    c.DownVolume->setObjectName(QStringLiteral("DownVolume"));
    c.DownVolume->setShortcut(QKeySequence(Qt::ALT | Qt::Key_D));
    QObject::connect(c.UpVolume, &QAction::triggered, c.UpDownAmplitude, [] { UpVolumeClick(); });
    QObject::connect(c.DownVolume, &QAction::triggered, c.UpDownAmplitude, [] { DownVolumeClick(); });
    return c;
}

void UpDownAmplitudeClick()
{
    StepSpinBox *box = levelBox();
    if (!box)
        return;
    ToneTables &tables = Form1->EngineTone.Tables;
    if (tables.setLevel(box->value()))
        tables.BuildToneTables();
    showLevel(tables.Level());
}

void UpVolumeClick()
{
    if (Form1 && Form1->EngineTone.Tables.Level() < MaxLevel)
        stepLevel(Form1->EngineTone.Tables.Level() + LevelStep);
}

void DownVolumeClick()
{
    if (Form1 && Form1->EngineTone.Tables.Level() > MinLevel)
        stepLevel(Form1->EngineTone.Tables.Level() - LevelStep);
}

void ShowLevelOfToneModel()
{
    if (Form1)
        showLevel(Form1->EngineTone.Tables.Level());
}
