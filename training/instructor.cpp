#include "training/instructor.h"

#include "engine/cp1252.h"
#include "shell/aboutbox.h"
#include "shell/accessiblenames.h"
#include "shell/instructorlock.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/systembeep.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QValidator>


namespace {

// Window texts, in the order English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr Tr kCaption("Instructor limitations", "Oktatói korlátozások ", "Instruktorseinschränkungen",
                      "Limitations intructeur", "Limitazioni di istruttore", "Restrições do instrutor",
                      "Resricciones del intructor");
constexpr Tr kCancel("Cancel", "Mégse", "Verlassen", "Annuler", "Uscita", "Anular", "Cancelar");
constexpr Tr kOK("OK", "OK", "OK", "OK", "OK", "OK", "OK");
constexpr Tr kFixedNote("Fixed note", "Zárolt jel", "Feste Tonhöhe", "Note fixe", "Tonalità fissa", "Nota fixa",
                        "Tonalidad fijada");
constexpr Tr kFixedSpeed("Fixed speed", "Zárolt sebesség", "Feste Geschwindigkeit", "Vitesse fixe",
                         "Velocità fissa", "Velocidade fixa", "Velocidad fijada");
constexpr Tr kInhibit("Check to inhibit Instructor mode (password required)", "Oktatói mód tiltása (jelszót kér)",
                      "Ankreuzen um Instruktorsmode abzubrechen (Passwort ist nötig)",
                      "Cocher pour inhiber le mode Instructeur (mot de passe requis)",
                      "Crosesegnàre per annulare le limitazioni (parole d'ordine necessario)",
                      "Escolher para anular as restrições do instrutor",
                      "Puntear para cancelar el modo Instructor (Contraseña requerida)");
constexpr Tr kMaskedFile("Masked file", "Maszkolt fájl", "Verbergen Text-Datei", "Fichier texte masqué",
                         "Nascondere il file", "Ficheiro escondido", "Archivo oculta");
constexpr Tr kMaskedRandom("Masked random", "Maszkolt véletlen mód", "Verbergen zufällige Zeichnen",
                           "Série aléatoire masquée", "Nascondere le caratteri aleatori", "Aleatório escondido",
                           "Aleatorio oculta");
constexpr Tr kIncorrect("Incorrect password", "Érvénytelen jelszó", "Inkorrekt Passwort", "Mot de passe incorrect",
                        "Parola d'ordine scorretta", "Palavra-chave incorrecta", "Pase palabra incorrecta");
constexpr Tr kCreate("Please create a password to accept limitations",
                     " Kérlek, hozz létre egy jelszót korlátozások elfogadásához", "Bitte Passwort erschaffen",
                     "SVP, créer un mot de passe pour accepter les limitations",
                     "Per piacere, creare una parola d'ordine", "Se faz favor, criar uma palavra-chave !",
                     "Por favor, crear una contraseña para aceptar las restricciones");
constexpr Tr kPassword("Password", "Jelszó", "Passwort", "Mot de passe", "Parola d'ordine", "Palavra-chave",
                       "Contraseña");

constexpr TextRow kMenuTexts[] = {
    {"MenuInstructor", TextKind::Caption,
     Tr("&Instructor mode...", "&Oktatói mód...", "&Instruktorsmodus...", "Mode &instructeur...",
        "Modalità &istruttore...", "Modo &instrutor...", "Modo &instructor...")},
};
static_assert(allLanguagesPresent(kMenuTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

// The locks in the order of the window's boxes.
constexpr std::array<InstructorLock, 4> kLocks = {InstructorLock::MaskedFile, InstructorLock::MaskedRandom,
                                                  InstructorLock::FixedNote, InstructorLock::FixedSpeed};
constexpr std::array<const char *, 4> kLockKeys = {"INSTMF=", "INSTMR=", "INSTFN=", "INSTFS="};

// A password the settings file can keep: characters that Windows-1252 has.
class StorablePassword : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (const QChar ch : input)
            if (!cp1252::fromUnicode(ch.unicode()))
                return Invalid;
        return Acceptable;
    }
};

template <typename W> W *placed(W *widget, const char *name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

struct InstructorModule {
    std::string password;
};
InstructorModule module;

} // namespace

std::string &InstructorPassword()
{
    return module.password;
}

InstructorAnswer InstructorOK(std::string &password, const std::string &typed, bool inhibit)
{
    if (password.empty()) {
        if (typed.empty())
            return InstructorAnswer::NoPassword;
        password = typed;
    }
    if (typed != password)
        return InstructorAnswer::WrongPassword;
    if (inhibit) {
        password.clear();
        return InstructorAnswer::Inhibited;
    }
    return InstructorAnswer::Applied;
}

// ---- The window --------------------------------------------------------------------------------

TFormInstructor *FormInstructor = nullptr;

TFormInstructor::TFormInstructor(QWidget *parent)
    : TSideForm("FormInstructor", parent)
    , LanguageAware(this)
{
    // The layout carries the French texts until the first showing.
    setWindowTitle(PickIn(kCaption, Language::Francais));
    setFixedSize(480, 300);
    const auto box = [this](const char *name, const Tr &text, int y) {
        return placed(new QCheckBox(PickIn(text, Language::Francais), this), name, 16, y, 448, 24);
    };
    CheckBoxMaskedFile = box("CheckBoxMaskedFile", kMaskedFile, 14);
    CheckBoxMaskedRandom = box("CheckBoxMaskedRandom", kMaskedRandom, 42);
    CheckBoxFixedSpeed = box("CheckBoxFixedSpeed", kFixedSpeed, 70);
    CheckBoxFixedNote = box("CheckBoxFixedNote", kFixedNote, 98);
    LabelMotPasse = placed(new QLabel(PickIn(kPassword, Language::Francais), this), "LabelMotPasse", 16, 136, 150, 24);
    EditPassword = placed(new QLineEdit(this), "EditPassword", 170, 134, 200, 26);
    EditPassword->setEchoMode(QLineEdit::Password);
    NameAfter(EditPassword, LabelMotPasse);
    EditPassword->setValidator(new StorablePassword(EditPassword));
    LabelPassword = placed(new QLabel(PickIn(kCreate, Language::Francais), this), "LabelPassword", 16, 166, 448, 40);
    LabelIncorrectPassword =
        placed(new QLabel(PickIn(kIncorrect, Language::Francais), this), "LabelIncorrectPassword", 16, 166, 448, 40);
    for (QLabel *warning : {LabelPassword, LabelIncorrectPassword}) {
        warning->setWordWrap(true);
        QPalette palette = warning->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        warning->setPalette(palette);
        warning->hide();
    }
    CheckBoxInhibitInstructor = placed(new WrappingCheckBox(PickIn(kInhibit, Language::Francais), this),
                                       "CheckBoxInhibitInstructor", 16, 210, 448, 40);
    BitBtnOK = placed(new QPushButton(Pick(kOK), this), "BitBtnOK", 254, 258, 100, 30);
    BitBtnCancel = placed(new QPushButton(PickIn(kCancel, Language::Francais), this), "BitBtnCancel", 364, 258, 100, 30);
    // As a dialog: Enter is OK, Esc closes the window (Cancel).
    BitBtnOK->setDefault(true);
    connect(BitBtnOK, &QPushButton::clicked, this, [this] { BitBtnOKClick(); });
    connect(BitBtnCancel, &QPushButton::clicked, this, [this] { BitBtnCancelClick(); });

    // The locks read from the settings file, which was read before this window was made.
    const auto boxes = lockBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(OptionLocked(kLocks[i]));
}

std::array<QCheckBox *, 4> TFormInstructor::lockBoxes() const
{
    return {CheckBoxMaskedFile, CheckBoxMaskedRandom, CheckBoxFixedNote, CheckBoxFixedSpeed};
}

void TFormInstructor::retranslate()
{
    setWindowTitle(Pick(kCaption));
    BitBtnOK->setText(Pick(kOK));
    BitBtnCancel->setText(Pick(kCancel));
    CheckBoxFixedNote->setText(Pick(kFixedNote));
    CheckBoxFixedSpeed->setText(Pick(kFixedSpeed));
    CheckBoxInhibitInstructor->setText(Pick(kInhibit));
    CheckBoxMaskedFile->setText(Pick(kMaskedFile));
    CheckBoxMaskedRandom->setText(Pick(kMaskedRandom));
    LabelIncorrectPassword->setText(Pick(kIncorrect));
    LabelPassword->setText(Pick(kCreate));
    LabelMotPasse->setText(Pick(kPassword));
}

void TFormInstructor::FormShow()
{
    LabelPassword->hide();
    LabelIncorrectPassword->hide();
    CheckBoxInhibitInstructor->setChecked(false);
    EditPassword->clear();
    const auto boxes = lockBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i]->setChecked(OptionLocked(kLocks[i]));
        snapshot_[i] = boxes[i]->isChecked();
    }
    EditPassword->setFocus();
}

void TFormInstructor::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormInstructor::BitBtnOKClick()
{
    const std::string typed = cp1252::fromQString(EditPassword->text());
    switch (InstructorOK(module.password, typed, CheckBoxInhibitInstructor->isChecked())) {
    case InstructorAnswer::NoPassword:
        ProgramBeep();
        LabelIncorrectPassword->hide();
        LabelPassword->show();
        return;
    case InstructorAnswer::WrongPassword:
        ProgramBeep();
        LabelPassword->hide();
        LabelIncorrectPassword->show();
        return;
    case InstructorAnswer::Inhibited:
        for (QCheckBox *box : lockBoxes())
            box->setChecked(false);
        EditPassword->clear();
        break;
    case InstructorAnswer::Applied:
        break;
    }
    const auto boxes = lockBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        SetOptionLocked(kLocks[i], boxes[i]->isChecked());
    hide();
}

void TFormInstructor::BitBtnCancelClick()
{
    const auto boxes = lockBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(snapshot_[i]);
    hide();
}

void TFormInstructor::closeEvent(QCloseEvent *event)
{
    BitBtnCancelClick();
    event->accept();
}

void MenuInstructorClick()
{
    if (!FormInstructor)
        return;
    FormInstructor->show();
    FormInstructor->raise();
    FormInstructor->activateWindow();
}

// ---- Building ----------------------------------------------------------------------------------

namespace {

void bindSettings()
{
    SettingsRegistry &settings = Settings();
    // A file starts with every lock off and no password; its lines set them.
    settings.addReadStart("instructor", [] {
        module.password.clear();
        for (InstructorLock lock : kLocks)
            SetOptionLocked(lock, false);
    });
    settings.bind("MDPINT=", [](const std::string &value) { module.password += settings::UnshiftPassword(value); },
                  [](std::vector<std::string> &out) { out.push_back(settings::ShiftPassword(module.password)); });
    for (std::size_t i = 0; i < kLocks.size(); ++i) {
        const InstructorLock lock = kLocks[i];
        settings.bind(
            kLockKeys[i],
            [lock](const std::string &value) {
                if (value == "1" || value == "0")
                    SetOptionLocked(lock, value == "1");
            },
            [lock](std::vector<std::string> &out) { out.push_back(OptionLocked(lock) ? "1" : "0"); });
    }
}

} // namespace

void BuildInstructorModule(TForm1 &form)
{
    module = InstructorModule{};
    RegisterMainWindowTexts(kMenuTexts);
    auto *item = new QAction(QStringLiteral("&Instructor mode..."), form.MenuOutils);
    item->setObjectName(QStringLiteral("MenuInstructor"));
    form.MenuOutils->insertAction(form.MenuOutilsQuit, item);
    QObject::connect(item, &QAction::triggered, item, [] { MenuInstructorClick(); });
    bindSettings();
    RegisterSideWindow(SideWindowPlace::Instructor, FormInstructor);
}
