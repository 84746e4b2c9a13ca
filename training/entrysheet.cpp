#include "training/entrysheet.h"

#include "shell/accessiblenames.h"
#include "shell/help.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/utilities.h"
#include "training/filetext.h"
#include "training/random.h"

#include <QAction>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

constexpr Tr kSheetCaption("Entry sheet", "Jegyzetlap", "Notizblatt", "Feuille de saisie", "Entrata foglio",
                           "Página de entrada", "Hoja de control");
constexpr Tr kMoreHelp("More help", "További segítség", "Mehr Hilfe", "Plus d'aide", "Più aiuto", "Mais ajuda",
                       "Más ayuda");
constexpr TextRow kTexts[] = {
    {"MenuSaisie", TextKind::Caption,
     Tr("&Entry sheet", "&Jegyzetlap", "&Notizblatt", "&Feuille de saisie", "&Entrata foglio", "&Página de entrada",
        "&Hoja de control")},
    {"SpeedButtonSaisie", TextKind::Hint,
     Tr("Entry sheet: write down what you hear", "Jegyzetlap: írd le, amit hallasz",
        "Notizblatt: schreiben Sie auf, was Sie hören", "Feuille de saisie : écrivez ce que vous entendez",
        "Foglio di entrata: scrivete ciò che sentite", "Página de entrada: escreva o que ouve",
        "Hoja de control: escriba lo que oye")},
    {"SpeedButtonSaisieFile", TextKind::Hint,
     Tr("Entry sheet: write down what you hear", "Jegyzetlap: írd le, amit hallasz",
        "Notizblatt: schreiben Sie auf, was Sie hören", "Feuille de saisie : écrivez ce que vous entendez",
        "Foglio di entrata: scrivete ciò che sentite", "Página de entrada: escreva o que ouve",
        "Hoja de control: escriba lo que oye")},
    {"SpeedButtonHelpChoixRanom", TextKind::Hint,
     Tr("How to choose the characters", "A karakterek kiválasztása", "Wie man die Zeichen wählt",
        "Comment choisir les caractères", "Come scegliere i caratteri", "Como escolher os caracteres",
        "Cómo elegir los caracteres")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

// Where the sheet comes the first time, from the main window's top left.
constexpr QPoint FirstPlace(245, 170);

struct SheetModule {
    QAction *MenuSaisie = nullptr;
    bool IniEntrySheet = false; // SHEET=1, run by the main block once the windows exist
};
SheetModule module;

QWidget *mainWidget(const char *name)
{
    return WidgetNamed(Form1, name);
}

bool shown(const char *name)
{
    const QWidget *w = mainWidget(name);
    return w && !w->isHidden();
}

bool menuChecked(const char *name)
{
    const auto *item = Form1 ? Form1->findChild<QAction *>(QString::fromLatin1(name)) : nullptr;
    return item && item->isChecked();
}

void showSheet()
{
    if (!FormSaisie)
        return;
    FormSaisie->show();
    FormSaisie->raise();
    FormSaisie->activateWindow();
}

QToolButton *pencil(QWidget *parent, const char *name, QRect place)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    QObject::connect(button, &QToolButton::clicked, button, [] { SpeedButtonSaisieClick(); });
    return button;
}

} // namespace

SheetKey SheetKeyAction(bool escape, bool enter, bool enterStops, bool randomPlaying, bool randomMode,
                        bool stopVisible)
{
    if (escape || (enter && enterStops)) {
        if (randomPlaying)
            return SheetKey::StopRandom;
        if (enter && randomMode)
            return SheetKey::PlayRandom;
    }
    if (escape)
        return stopVisible ? SheetKey::StopText : SheetKey::AskQuit;
    return SheetKey::PassThrough;
}

// ---- The entry sheet ---------------------------------------------------------------------------

TFormSaisie *FormSaisie = nullptr;
TFormhelpChoixRandom *FormhelpChoixRandom = nullptr;

TFormSaisie::TFormSaisie(QWidget *parent)
    : TSideForm("FormSaisie", parent)
    , LanguageAware(this)
{
    setWindowTitle(PickIn(kSheetCaption, Language::Francais));
    resize(320, 240);
    MemoSaisie = new QPlainTextEdit(this);
    MemoSaisie->setObjectName(QStringLiteral("MemoSaisie"));
    MemoSaisie->installEventFilter(this);
    NameAfter(MemoSaisie, this); // the sheet is all the window holds
    // The memo fills the sheet at whatever size the learner gives it.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MemoSaisie);
}

void TFormSaisie::retranslate()
{
    setWindowTitle(Pick(kSheetCaption));
}

void TFormSaisie::FormShow()
{
    if (!placed_ && Form1) {
        placed_ = true;
        PlaceWindow(this, Form1->pos() + FirstPlace, std::nullopt);
    }
    if (QWidget *memo = mainWidget("MemoRandom"))
        MemoSaisie->setFont(memo->font());
}

void TFormSaisie::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TFormSaisie::MemoSaisieKeyPress(bool escape, bool enter)
{
    if (!Form1)
        return false;
    const SheetKey action = SheetKeyAction(escape, enter, menuChecked("MenuDiversEnter"), Form1->Engine.RandomPlaying,
                                           Form1->RadioButtonRandom->isChecked(), !Form1->ButtonStop->isHidden());
    switch (action) {
    case SheetKey::PassThrough:
        return false;
    case SheetKey::StopRandom:
        BitBtnStopRandomClick();
        break;
    case SheetKey::PlayRandom:
        BitBtnPlayRandomClick();
        break;
    case SheetKey::StopText:
        SoundEngine().ButtonStopClick();
        return true;
    case SheetKey::AskQuit:
        Form1->ButtonQuitterClick();
        return true;
    }
    // The learner goes on writing.
    if (isVisible()) {
        activateWindow();
        MemoSaisie->setFocus();
    }
    return true;
}

bool TFormSaisie::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MemoSaisie && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool escape = key->key() == Qt::Key_Escape;
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                           && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if ((escape || enter) && MemoSaisieKeyPress(escape, enter))
            return true;
    }
    return TSideForm::eventFilter(watched, event);
}

// ---- The help card -----------------------------------------------------------------------------

TFormhelpChoixRandom::TFormhelpChoixRandom(QWidget *parent)
    : TSideForm("FormhelpChoixRandom", parent)
    , LanguageAware(this)
{
    setWindowTitle(Pick(ProgramNameText));
    resize(360, 200);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 12, 336, 64);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 84, 336, 64);
    for (QLabel *label : {Label1, Label2}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    ButtonHelp = new QPushButton(PickIn(kMoreHelp, Language::Francais), this);
    ButtonHelp->setObjectName(QStringLiteral("ButtonHelp"));
    ButtonHelp->setGeometry(12, 158, 150, 30);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(258, 158, 90, 30);
    connect(ButtonHelp, &QPushButton::clicked, this, [this] { ButtonHelpClick(); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
}

void TFormhelpChoixRandom::retranslate()
{
    const QWidget *box = mainWidget("BoxCaracteresChoix");
    Label1->setText(box ? box->toolTip() : QString());
    Label2->setText(ForDisplay(TxtLessonSetHint()));
    ButtonHelp->setText(Pick(kMoreHelp));
}

void TFormhelpChoixRandom::ButtonHelpClick()
{
    SideWindowHelp(objectName());
}

void TFormhelpChoixRandom::ButtonOKClick()
{
    hide();
}

// ---- Commands ----------------------------------------------------------------------------------

void MenuSaisieClick()
{
    QAction *item = module.MenuSaisie;
    if (!item)
        return;
    if (!item->isChecked()) {
        item->setChecked(true);
        if (shown("GroupBoxRandom") || shown("PanelFile"))
            showSheet();
    } else {
        item->setChecked(false);
        if (FormSaisie && FormSaisie->isVisible())
            FormSaisie->hide();
    }
}

void SpeedButtonSaisieClick()
{
    showSheet();
}

void ShowEntrySheetWhenChecked()
{
    if (module.MenuSaisie && module.MenuSaisie->isChecked())
        showSheet();
}

void BuildEntrySheetModule(TForm1 &form)
{
    module = SheetModule{};
    module.MenuSaisie = new QAction(QStringLiteral("&Entry sheet"), form.MenuOutils);
    module.MenuSaisie->setObjectName(QStringLiteral("MenuSaisie"));
    module.MenuSaisie->setCheckable(true);
    form.MenuOutils->insertAction(form.MenuOutilsQuit, module.MenuSaisie);
    QObject::connect(module.MenuSaisie, &QAction::triggered, module.MenuSaisie, [](bool checked) {
        // The command decides the check mark itself, from the state before the click.
        module.MenuSaisie->setChecked(!checked);
        MenuSaisieClick();
    });

    // The window is still being built: Form1 does not name it yet.
    const auto built = [&form](const char *name) { return form.findChild<QWidget *>(QString::fromLatin1(name)); };
    if (QWidget *box = built("GroupBoxRandom"))
        pencil(box, "SpeedButtonSaisie", QRect(602, 244, 34, 34));
    if (QWidget *panel = FileText().PanelFile)
        pencil(panel, "SpeedButtonSaisieFile", QRect(366, 240, 34, 30));
    // The help card's button, on the character-choice panel beside the choice box, clear of
    // the lesson numbers; the help module connects it.
    if (QWidget *choice = built("PanelChoixRandom")) {
        auto *help = new QToolButton(choice);
        help->setObjectName(QStringLiteral("SpeedButtonHelpChoixRanom"));
        help->setText(QStringLiteral("?"));
        help->setGeometry(438, 48, 30, 30);
        NameAfterHint(help);
    }
    RegisterMainWindowTexts(kTexts);

    Settings().bind(
        "SHEET=", [](const std::string &value) { module.IniEntrySheet = value == "1"; },
        [](std::vector<std::string> &out) { out.push_back(module.MenuSaisie->isChecked() ? "1" : "0"); });
    AddModuleStep(ModuleStep::PushParkedSettings, "entry sheet", [] {
        if (module.IniEntrySheet)
            MenuSaisieClick();
    });
    RegisterSideWindow(SideWindowPlace::ChoiceHelpCard, FormhelpChoixRandom);
    RegisterSideWindow(SideWindowPlace::EntrySheet, FormSaisie);
}
