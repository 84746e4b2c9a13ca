#include "shell/joystickport.h"

#include "engine/devices/joystick.h"
#include "engine/keyer.h"
#include "shell/datafolders.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace {

QPointer<TJoystickex> theJoystick;

constexpr Tr kJoystickLost("The joystick has gone: it keys nothing more until the program is started again.",
                           "A botkormány eltünt: a program újraindításáig nem billentyüz.",
                           "Der Joystick ist weg: Er tastet nichts mehr, bis das Programm neu gestartet wird.",
                           "Le joystick a disparu : il ne manipule plus rien jusqu'au redémarrage du programme.",
                           "Il joystick è scomparso: non manipola più nulla fino al riavvio del programma.",
                           "O joystick desapareceu: não manipula mais nada até o programa ser reiniciado.",
                           "El joystick ha desaparecido: no manipula nada más hasta reiniciar el programa.");

} // namespace

JoystickSeams &joystickSeams()
{
    static JoystickSeams seams{[](int id) { return joystickdev::OpenJoystick(id); }};
    return seams;
}

TJoystickex *Joystickex1()
{
    return theJoystick.data();
}

QString JoystickCalibrationPath()
{
    const QString path = QDir(DataFolder()).filePath(QStringLiteral("kestrelon.INI"));
    const QFileInfo calibration(path);
    const QFileInfo settings(SettingsFilePath());
    if (calibration.absolutePath() == settings.absolutePath()
        && calibration.fileName().compare(settings.fileName(), Qt::CaseInsensitive) == 0)
        return QString();
    return path;
}

void BuildJoystick(TForm1 &form)
{
    delete theJoystick.data();
    auto *joystick = new TJoystickex(&form);
    theJoystick = joystick;
    joystick->setObjectName(QStringLiteral("Joystickex1"));
    joystick->SetInterval(10);
    joystick->CalibrationFile = JoystickCalibrationPath();
    joystick->OpenDevice = [](int id) { return joystickSeams().open(id); };
    for (int button : {1, 2}) {
        joystick->OnButtonChange[button - 1] = [button](TJoystickex *, bool pressed, int, int,
                                                        TJoystickex::Clock::time_point at) {
            CallHook(Hooks().joystickButtonChanged, button, pressed, at);
        };
    }
    joystick->OnLost = [](TJoystickex *, int) {
        JoystickPresent = false;
        // Said once the device's read has returned: the message waits in a loop of its own.
        QTimer::singleShot(0, [] { ShowProgramMessage(Pick(kJoystickLost)); });
    };

    AddModuleStep(ModuleStep::CaptureJoystick, "joystick", [] {
        if (TJoystickex *j = Joystickex1())
            JoystickPresent = j->CaptureJoystick();
    });
}
