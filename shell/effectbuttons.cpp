#include "shell/effectbuttons.h"

#include "engine/tone.h"
#include "shell/accessiblenames.h"
#include "shell/effectwindows.h"
#include "shell/instructorlock.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolButton>

namespace {

EffectButtons buttons;

constexpr Tr kNoiseHint("Noise (QRN); right click: its settings", "Zaj (QRN); jobb klikk: beállítások",
                        "Rauschen (QRN); Rechtsklick: Einstellungen", "Bruit (QRN) ; clic droit : réglages",
                        "Rumore (QRN); clic destro: impostazioni", "Ruído (QRN); clique direito: definições",
                        "Ruido (QRN); clic derecho: ajustes");
constexpr Tr kQsbHint("Fading (QSB); right click: its settings", "Fading (QSB); jobb klikk: beállítások",
                      "Schwund (QSB); Rechtsklick: Einstellungen", "Fading (QSB) ; clic droit : réglages",
                      "Evanescenza (QSB); clic destro: impostazioni", "Desvanecimento (QSB); clique direito: definições",
                      "Desvanecimiento (QSB); clic derecho: ajustes");
constexpr Tr kDriftHint("Drift (QRH); right click: its settings", "Frekvenciacsúszás (QRH); jobb klikk: beállítások",
                        "Frequenzdrift (QRH); Rechtsklick: Einstellungen", "Dérive (QRH) ; clic droit : réglages",
                        "Deriva (QRH); clic destro: impostazioni", "Deriva (QRH); clique direito: definições",
                        "Deriva (QRH); clic derecho: ajustes");

constexpr TextRow kTexts[] = {
    {"MenuEffects", TextKind::Caption, Tr("E&ffects", "&Effektek", "&Effekte", "E&ffets", "E&ffetti", "E&feitos", "E&fectos")},
    {"MenuNote", TextKind::Caption, Tr("&Pitch", "&Hangmagasság", "&Tonhöhe", "&Hauteur du son", "&Tono", "&Tom", "&Tono")},
    {"MenuNoisesettings", TextKind::Caption,
     Tr("&Noise (QRN)", "&Zaj (QRN)", "&Rauschen (QRN)", "&Bruit (QRN)", "&Rumore (QRN)", "&Ruído (QRN)", "&Ruido (QRN)")},
    {"MenuQSBsetting", TextKind::Caption,
     Tr("&Fading (QSB)", "&Fading (QSB)", "&Schwund (QSB)", "&Fading (QSB)", "&Evanescenza (QSB)",
        "&Desvanecimento (QSB)", "&Desvanecimiento (QSB)")},
    {"MenuDriftSetting", TextKind::Caption,
     Tr("&Drift (QRH)", "&Csúszás (QRH)", "&Drift (QRH)", "&Dérive (QRH)", "&Deriva (QRH)", "&Deriva (QRH)",
        "&Deriva (QRH)")},
    {"SpeedButtonNoise", TextKind::Hint, kNoiseHint},
    {"SpeedButtonNoiseFile", TextKind::Hint, kNoiseHint},
    {"SpeedButtonQSB", TextKind::Hint, kQsbHint},
    {"SpeedButtonQSBFile", TextKind::Hint, kQsbHint},
    {"SpeedButtonDrift", TextKind::Hint, kDriftHint},
    {"SpeedButtonDriftFile", TextKind::Hint, kDriftHint},
    // The Q codes of the effects read alike in every language.
    {"SpeedButtonNoise", TextKind::Caption, Alike("QRN")},
    {"SpeedButtonNoiseFile", TextKind::Caption, Alike("QRN")},
    {"SpeedButtonQSB", TextKind::Caption, Alike("QSB")},
    {"SpeedButtonQSBFile", TextKind::Caption, Alike("QSB")},
    {"SpeedButtonDrift", TextKind::Caption, Alike("QRH")},
    {"SpeedButtonDriftFile", TextKind::Caption, Alike("QRH")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// Shows a side window on top.
void showWindow(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

// A right-button release on an effect button opens the effect's window.
class RightReleaseOpens : public QObject {
public:
    RightReleaseOpens(QObject *owner, void (*open)()) : QObject(owner), open_(open) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            if (event->type() == QEvent::MouseButtonRelease)
                open_();
            return true;
        }
        return false;
    }

private:
    void (*open_)();
};

QToolButton *effectButton(TForm1 &form, const char *name, const char *caption, int x, void (*click)(),
                          void (*open)())
{
    auto *button = new QToolButton(form.Frame);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromLatin1(caption));
    button->setCheckable(true);
    button->setGeometry(x, TForm1::DesignHeight - 104, 44, 24);
    button->installEventFilter(new RightReleaseOpens(button, open));
    QObject::connect(button, &QToolButton::clicked, button, [click] { click(); });
    return button;
}

EffectSwitches *switches()
{
    TSoundEngine *engine = SoundEnginePtr();
    return engine ? engine->Effects.get() : nullptr;
}

bool down(const QToolButton *button)
{
    return button && button->isChecked();
}

void driftClick(QToolButton *button, bool randomSeries)
{
    ToneGenerator &tone = Form1->EngineTone;
    if (down(button)) {
        if (randomSeries)
            tone.drift.SwitchOn(tone.Tables);
        else
            tone.drift.SwitchFileOn(tone.Tables);
    } else if (tone.drift.SwitchOff(tone.Tables)) {
        tone.Tables.BuildToneTables();
    }
    ApplyEffectButtonsToEngine();
}

// A key written "1"/"0" by the button's state; reading "1" clicks it, or (drift) only puts
// it down and keeps the pitch as the one to come back to.
SettingsRegistry::Row buttonKey(const char *key, QToolButton *EffectButtons::*member, bool click)
{
    return {key,
            [member, click](const std::string &value) {
                QToolButton *button = buttons.*member;
                // A button already down stays down: a click would put it up again.
                if (value != "1" || !button || button->isChecked())
                    return;
                if (click) {
                    button->click();
                    return;
                }
                button->setChecked(true);
                ToneTables &tables = Form1->EngineTone.Tables;
                tables.setBaseFrequency(tables.ToneFrequency());
                ApplyEffectButtonsToEngine();
            },
            [member](std::vector<std::string> &values) { values.push_back(down(buttons.*member) ? "1" : "0"); }};
}

} // namespace

EffectButtons BuildEffectButtons(TForm1 &form)
{
    RegisterMainWindowTexts(kTexts);
    EffectButtons &b = buttons;
    const int random = 110, file = 270;
    b.SpeedButtonNoise = effectButton(form, "SpeedButtonNoise", "QRN", random, SpeedButtonNoiseClick, MenuNoisesettingsClick);
    b.SpeedButtonQSB = effectButton(form, "SpeedButtonQSB", "QSB", random + 46, SpeedButtonQSBClick, MenuQSBsettingClick);
    b.SpeedButtonDrift = effectButton(form, "SpeedButtonDrift", "QRH", random + 92, SpeedButtonDriftClick, MenuDriftSettingClick);
    b.SpeedButtonNoiseFile =
        effectButton(form, "SpeedButtonNoiseFile", "QRN", file, SpeedButtonNoiseFileClick, MenuNoisesettingsClick);
    b.SpeedButtonQSBFile =
        effectButton(form, "SpeedButtonQSBFile", "QSB", file + 46, SpeedButtonQSBFileClick, MenuQSBsettingClick);
    b.SpeedButtonDriftFile =
        effectButton(form, "SpeedButtonDriftFile", "QRH", file + 92, SpeedButtonDriftFileClick, MenuDriftSettingClick);
    // Both rows read alike: a screen reader names each with the mode whose play it acts on.
    for (QToolButton *button : {b.SpeedButtonNoise, b.SpeedButtonQSB, b.SpeedButtonDrift})
        NameAs(button, [button, &form] { return NameWithin(NameText(button), NameText(form.RadioButtonRandom)); });
    for (QToolButton *button : {b.SpeedButtonNoiseFile, b.SpeedButtonQSBFile, b.SpeedButtonDriftFile})
        NameAs(button, [button, &form] { return NameWithin(NameText(button), NameText(form.RadioButtonFile)); });

    b.MenuEffects = form.addMenuNamed("MenuEffects", QStringLiteral("E&ffects"));
    const struct {
        QAction *EffectButtons::*member;
        const char *name;
        const char *caption;
        void (*click)();
    } items[] = {
        {&EffectButtons::MenuNote, "MenuNote", "&Pitch", MenuNoteClick},
        {&EffectButtons::MenuNoisesettings, "MenuNoisesettings", "&Noise (QRN)", MenuNoisesettingsClick},
        {&EffectButtons::MenuQSBsetting, "MenuQSBsetting", "&Fading (QSB)", MenuQSBsettingClick},
        {&EffectButtons::MenuDriftSetting, "MenuDriftSetting", "&Drift (QRH)", MenuDriftSettingClick},
    };
    for (const auto &item : items) {
        QAction *action = b.MenuEffects->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        QObject::connect(action, &QAction::triggered, action, [click = item.click] { click(); });
        b.*item.member = action;
    }
    FollowOptionLock(InstructorLock::FixedNote, b.MenuNote,
                     [item = b.MenuNote](bool locked) { item->setEnabled(!locked); });

    BindEffectButtonKeys(Settings());
    AddModuleStep(ModuleStep::CheckWavFormat, "effect switches", ApplyEffectButtonsToEngine);
    return b;
}

void BindEffectButtonKeys(SettingsRegistry &registry)
{
    registry.bind({
        buttonKey("BR_NOISE=", &EffectButtons::SpeedButtonNoise, true),
        buttonKey("BF_NOISE=", &EffectButtons::SpeedButtonNoiseFile, true),
        buttonKey("BR_QSB=", &EffectButtons::SpeedButtonQSB, true),
        buttonKey("BF_QSB=", &EffectButtons::SpeedButtonQSBFile, true),
        buttonKey("BR_DRIFT=", &EffectButtons::SpeedButtonDrift, false),
        buttonKey("BF_DRIFT=", &EffectButtons::SpeedButtonDriftFile, false),
    });
}

void ApplyEffectButtonsToEngine()
{
    EffectSwitches *s = switches();
    if (!s)
        return;
    s->SpeedButtonNoise = down(buttons.SpeedButtonNoise);
    s->SpeedButtonNoiseFile = down(buttons.SpeedButtonNoiseFile);
    s->SpeedButtonQSB = down(buttons.SpeedButtonQSB);
    s->SpeedButtonQSBFile = down(buttons.SpeedButtonQSBFile);
    s->SpeedButtonDrift = down(buttons.SpeedButtonDrift);
    s->SpeedButtonDriftFile = down(buttons.SpeedButtonDriftFile);
}

void SpeedButtonNoiseClick()
{
    ApplyEffectButtonsToEngine();
}

void SpeedButtonNoiseFileClick()
{
    ApplyEffectButtonsToEngine();
}

void SpeedButtonQSBClick()
{
    ApplyEffectButtonsToEngine();
}

void SpeedButtonQSBFileClick()
{
    ApplyEffectButtonsToEngine();
}

void SpeedButtonDriftClick()
{
    driftClick(buttons.SpeedButtonDrift, true);
}

void SpeedButtonDriftFileClick()
{
    driftClick(buttons.SpeedButtonDriftFile, false);
}

void MenuNoteClick()
{
    showWindow(FormNote);
}

void MenuNoisesettingsClick()
{
    showWindow(FormNoise);
}

void MenuQSBsettingClick()
{
    showWindow(FormQSB);
}

void MenuDriftSettingClick()
{
    showWindow(FormDrift);
}
