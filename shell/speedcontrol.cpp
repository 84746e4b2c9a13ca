#include "shell/speedcontrol.h"

#include "shell/accessiblenames.h"
#include "shell/help.h"
#include "shell/instructorlock.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/recordpanel.h"
#include "shell/spacingpanel.h"
#include "shell/volumecontrol.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <string>
#include <vector>

namespace {

QSpinBox *speedBox()
{
    return Form1 ? Form1->findChild<QSpinBox *>(QStringLiteral("UpDownVitesse")) : nullptr;
}

// The control shows what the model holds.
void showSpeed(int wpm)
{
    if (QSpinBox *box = speedBox()) {
        const QSignalBlocker quiet(box);
        box->setValue(wpm);
    }
}

// Texts of these controls that the shell's own table does not hold.
constexpr TextRow kTexts[] = {
    {"MenuVitesse", TextKind::Caption,
     Tr("&Speed", "&Sebesség", "&Tempo", "&Vitesse", "&Velocità", "&Velocidade", "&Velocidad")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// The Speed menu's keys belong to the menu wherever the focus is, as they always did: a line
// edit would otherwise keep Ctrl+U for deleting its whole line.
class MenuKeysFirst : public QObject {
public:
    MenuKeysFirst(QObject *owner, std::initializer_list<QAction *> items)
        : QObject(owner), items_(items)
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        for (QAction *item : items_) {
            if (item->isEnabled() && item->shortcut() == pressed) {
                event->ignore(); // not taken by the focused control: the shortcut runs
                return true;
            }
        }
        return false;
    }

private:
    std::vector<QAction *> items_;
};

} // namespace

SpeedControl BuildSpeedControl(TForm1 &form)
{
    RegisterMainWindowTexts(kTexts);
    SpeedControl c;
    c.UpDownVitesse = new QSpinBox(form.Frame);
    c.UpDownVitesse->setObjectName(QStringLiteral("UpDownVitesse"));
    c.UpDownVitesse->setRange(MinSpeed, MaxSpeed);
    c.UpDownVitesse->setValue(DefaultSpeed);
    c.UpDownVitesse->setGeometry(56, 72, 64, 24);
    c.EditVitesse = c.UpDownVitesse->findChild<QLineEdit *>();
    if (c.EditVitesse)
        c.EditVitesse->setObjectName(QStringLiteral("EditVitesse"));
    // Its text comes from the language switch's state captions, which every speed and spacing
    // change refreshes.
    c.LabelVitesseCorrigee = new QLabel(form.Frame);
    c.LabelVitesseCorrigee->setObjectName(QStringLiteral("LabelVitesseCorrigee"));
    c.LabelVitesseCorrigee->setGeometry(152, 72, 232, 24);
    QPushButton *help = NewHelpButton(form.Frame, "ButtonSpeedHelp", {124, 72, 24, 24});
    QObject::connect(c.UpDownVitesse, &QSpinBox::valueChanged, c.UpDownVitesse,
                     [] { UpDownVitesseClick(); });
    FollowOptionLock(InstructorLock::FixedSpeed, c.UpDownVitesse,
                     [box = c.UpDownVitesse](bool locked) { box->setEnabled(!locked); });

    languageSources().timing = []() -> const Timing * { return Form1 ? &Form1->EngineTiming : nullptr; };

    c.MenuVitesse = form.addMenuNamed("MenuVitesse", QStringLiteral("&Speed"));
    NameAfter(c.UpDownVitesse, c.MenuVitesse);
    NameHelpButton(help, c.MenuVitesse);
    c.UpSpeed = c.MenuVitesse->addAction(QStringLiteral("Up"));
    c.UpSpeed->setObjectName(QStringLiteral("UpSpeed"));
    c.UpSpeed->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    c.DownSpeed = c.MenuVitesse->addAction(QStringLiteral("Down"));
    c.DownSpeed->setObjectName(QStringLiteral("DownSpeed"));
    c.DownSpeed->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    c.MenuVitesse->addSeparator();
    QCoreApplication::instance()->installEventFilter(new MenuKeysFirst(c.MenuVitesse, {c.UpSpeed, c.DownSpeed}));
    QObject::connect(c.UpSpeed, &QAction::triggered, c.UpDownVitesse, [] { UpSpeedClick(); });
    QObject::connect(c.DownSpeed, &QAction::triggered, c.UpDownVitesse, [] { DownSpeedClick(); });
    return c;
}

void UpSpeedClick()
{
    if (Form1 && !OptionLocked(InstructorLock::FixedSpeed) && Form1->EngineTiming.Speed() < MenuSpeedLimit)
        SetSpeed(Form1->EngineTiming.Speed() + 1);
}

void DownSpeedClick()
{
    if (Form1 && !OptionLocked(InstructorLock::FixedSpeed) && Form1->EngineTiming.Speed() > MinSpeed)
        SetSpeed(Form1->EngineTiming.Speed() - 1);
}

void UpDownVitesseClick()
{
    QSpinBox *box = speedBox();
    if (!box)
        return;
    // The instructor's fixed speed: the control goes back to the speed in force.
    if (OptionLocked(InstructorLock::FixedSpeed)) {
        showSpeed(Form1->EngineTiming.Speed());
        return;
    }
    Form1->EngineTiming.setSpeed(box->value());
    showSpeed(Form1->EngineTiming.Speed());
    // The real-speed floor may have stepped the character spacing back.
    if (TPanelEspace *spacing = SpacingPanel())
        spacing->ShowTimingModel();
    Form1->EngineTone.Fade.RestartPhase(Form1->EngineTiming.Speed());
    RefreshStateCaptions();
    RefreshRecordEstimate();
}

void SetSpeed(int wpm)
{
    showSpeed(wpm);
    UpDownVitesseClick();
}

void ShowSpeedOfTimingModel()
{
    if (!Form1)
        return;
    showSpeed(Form1->EngineTiming.Speed());
    if (TPanelEspace *spacing = SpacingPanel())
        spacing->ShowTimingModel();
    ShowLevelOfToneModel();
}
