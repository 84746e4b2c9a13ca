// The shortcut editor PanelLocalShortcut: one character without a code of its own stands for
// a text of up to 36 characters.

#include "engine/cp1252.h"
#include "shell/utilities.h"
#include "engine/morsecode.h"
#include "shell/accessiblenames.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/settingspanels.h"
#include "shell/systembeep.h"
#include "training/lists.h"
#include "training/messages.h"
#include "training/shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <optional>

namespace {

// Shown when the 26 slots are taken (the language switch rewrites it in the language).
const QString TablePleine = QStringLiteral("Table pleine !!!!");

struct ShortcutControls {
    QFrame *PanelLocalShortcut = nullptr;
    QLabel *LabelPanelShortcut = nullptr;
    QLabel *LabelEditShortcut = nullptr;
    QLineEdit *EditShortcut = nullptr;
    QLabel *LabelShortcutText = nullptr;
    QLineEdit *EditShortcutText = nullptr;
    QGroupBox *RadioGroupShortcut = nullptr;
    QRadioButton *RadioButtonShortcutCreate = nullptr;
    QRadioButton *RadioButtonShortcutModify = nullptr;
    QRadioButton *RadioButtonShortcutDelete = nullptr;
    QButtonGroup *actions = nullptr;
    QPushButton *ButtonShortcutEnter = nullptr;
    QPushButton *ButtonShortcutExit = nullptr;
    QPushButton *ButtonLocalShortcutHelp = nullptr; // the help module connects it by its name
    QLabel *LabelShortcutPlein = nullptr;
    QLabel *Labelshortcutwarning = nullptr;
    QAction *MenuLocalShortcuts = nullptr;
    // Counts the editor's closings: a question still open when it closes creates nothing.
    int generation = 0;
} e;

constexpr TextRow kTexts[] = {
    {"LabelPanelShortcut", TextKind::Caption,
     Tr(" LOCAL SHORTCUT PROCESSING", " HELYI RÖVIDÍTÉSEK KEZELÉSE", " VERWALTUNG DER LOKALEN KÜRZEL",
        " TRAITEMENT DES RACCOURCIS LOCAUX", " GESTIONE DELLE SCORCIATOIE LOCALI", " TRATAMENTO DOS ATALHOS LOCAIS",
        " GESTIÓN DE LOS ATAJOS LOCALES")},
    {"LabelEditShortcut", TextKind::Caption,
     Tr("Shortcut character", "Rövidítés karaktere", "Kürzelzeichen", "Caractère du raccourci",
        "Carattere della scorciatoia", "Caractere do atalho", "Carácter del atajo")},
    {"LabelShortcutText", TextKind::Caption,
     Tr("Input the associated text below", "Írd be alább a hozzá tartozó szöveget", "Geben Sie unten den zugehörigen Text ein",
        "Saisissez le texte associé ci-dessous", "Inserite qui sotto il testo associato",
        "Introduza abaixo o texto associado", "Introduzca abajo el texto asociado")},
    {"Labelshortcutwarning", TextKind::Caption,
     Tr("Standard && local characters cannot be shortcuts",
        "Szabványos és helyi karakterek nem lehetnek rövidítések",
        "Standard- && lokale Zeichen können keine Kürzel sein",
        "Les caractères standard && locaux ne peuvent pas être des raccourcis",
        "I caratteri standard && locali non possono essere scorciatoie",
        "Caracteres padrão && locais não podem ser atalhos",
        "Los caracteres estándar && locales no pueden ser atajos")},
    {"RadioGroupShortcut", TextKind::Caption, Tr("Action", "Müvelet", "Aktion", "Action", "Azione", "Ação", "Acción")},
    {"RadioButtonShortcutCreate", TextKind::Caption, Tr("Create", "Létrehozás", "Anlegen", "Créer", "Crea", "Criar", "Crear")},
    {"RadioButtonShortcutDelete", TextKind::Caption,
     Tr("Delete", "Törlés", "Löschen", "Supprimer", "Elimina", "Apagar", "Borrar")},
    {"RadioButtonShortcutModify", TextKind::Caption,
     Tr("Modify", "Módosítás", "Ändern", "Modifier", "Modifica", "Modificar", "Modificar")},
    {"ButtonShortcutEnter", TextKind::Caption,
     Tr("Enter", "Bevitel", "Eingabe", "Valider", "Invio", "Confirmar", "Aceptar")},
    {"ButtonShortcutExit", TextKind::Caption, Tr("Exit", "Kilépés", "Beenden", "Sortir", "Esci", "Sair", "Salir")},
    {"MenuLocalShortcuts", TextKind::Caption,
     Tr("&Shortcuts", "&Rövidítések", "&Kürzel", "&Raccourcis locaux", "&Scorciatoie", "&Atalhos", "&Atajos")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// The edit's character as the engine holds it; nothing when it has no Windows-1252 form.
std::optional<unsigned char> characterOf(const QString &text)
{
    const std::string bytes = cp1252::fromQString(text.left(1));
    if (bytes.empty())
        return std::nullopt;
    return static_cast<unsigned char>(bytes.front());
}

void setActions(bool create, bool modify, bool remove)
{
    e.RadioButtonShortcutCreate->setEnabled(create);
    e.RadioButtonShortcutModify->setEnabled(modify);
    e.RadioButtonShortcutDelete->setEnabled(remove);
}

// Checks one action, or none.
void checkAction(QRadioButton *button)
{
    if (button) {
        button->setChecked(true);
        return;
    }
    e.actions->setExclusive(false);
    for (QAbstractButton *b : e.actions->buttons())
        b->setChecked(false);
    e.actions->setExclusive(true);
}

void refuse()
{
    ProgramBeep();
    e.EditShortcut->clear(); // back to the empty edit's state
}

void clearEditor()
{
    e.LabelShortcutPlein->clear();
    e.EditShortcut->clear();
    e.EditShortcutText->clear();
    checkAction(nullptr);
    setActions(true, true, true);
}

void enterCreate(unsigned char c, const std::string &text)
{
    if (!DefaultMorseCodes[c].empty()) {
        // Nothing of the editor may change under the question: it waits disabled, and an
        // editor closed meanwhile (Stop, Quit) creates nothing.
        const int asked = e.generation;
        e.PanelLocalShortcut->setEnabled(false);
        const int answer = AskProgramQuestion(MsgConfirmShortcutOverBuiltin());
        e.PanelLocalShortcut->setEnabled(true);
        if (asked != e.generation || e.PanelLocalShortcut->isHidden())
            return;
        if (answer != 1) {
            clearEditor();
            return;
        }
    }
    if (CreateShortcut(c, text) == 0) {
        ProgramBeep();
        return;
    }
    ShowShortcutRows();
    if (ShortcutTableFull())
        e.LabelShortcutPlein->setText(TablePleine);
    setActions(false, true, true);
    checkAction(nullptr);
    e.EditShortcut->setFocus();
}

} // namespace

void BuildShortcutPanel(TForm1 &f)
{
    e = ShortcutControls{};
    RegisterMainWindowTexts(kTexts);
    QFrame *panel = e.PanelLocalShortcut = Named(new QFrame(f.Frame), "PanelLocalShortcut");
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setGeometry(90, 70, 480, 300);

    e.LabelPanelShortcut = Named(new QLabel(QStringLiteral(" LOCAL SHORTCUT PROCESSING"), panel), "LabelPanelShortcut");
    e.LabelPanelShortcut->setGeometry(8, 6, 464, 20);
    e.LabelPanelShortcut->setAlignment(Qt::AlignCenter);

    e.LabelEditShortcut = Named(new QLabel(QStringLiteral("Shortcut character"), panel), "LabelEditShortcut");
    e.LabelEditShortcut->setGeometry(12, 40, 162, 22);
    e.EditShortcut = Named(new QLineEdit(panel), "EditShortcut");
    e.EditShortcut->setGeometry(178, 40, 36, 24);
    e.EditShortcut->setMaxLength(1);
    NameAfter(e.EditShortcut, e.LabelEditShortcut);

    e.LabelShortcutText = Named(new QLabel(QStringLiteral("Input the associated text below"), panel), "LabelShortcutText");
    e.LabelShortcutText->setGeometry(12, 80, 320, 22);
    e.EditShortcutText = Named(new QLineEdit(panel), "EditShortcutText");
    e.EditShortcutText->setGeometry(12, 104, 320, 24);
    NameAfter(e.EditShortcutText, e.LabelShortcutText);
    // One more than allowed, so that a longer paste is seen and cut with a beep.
    e.EditShortcutText->setMaxLength(MaxShortcutTextLength + 1);

    e.RadioGroupShortcut = Named(new QGroupBox(QStringLiteral("Action"), panel), "RadioGroupShortcut");
    e.RadioGroupShortcut->setGeometry(340, 34, 128, 104);
    auto *column = new QVBoxLayout(e.RadioGroupShortcut);
    e.RadioButtonShortcutCreate =
        Named(new QRadioButton(QStringLiteral("Create"), e.RadioGroupShortcut), "RadioButtonShortcutCreate");
    e.RadioButtonShortcutModify =
        Named(new QRadioButton(QStringLiteral("Modify"), e.RadioGroupShortcut), "RadioButtonShortcutModify");
    e.RadioButtonShortcutDelete =
        Named(new QRadioButton(QStringLiteral("Delete"), e.RadioGroupShortcut), "RadioButtonShortcutDelete");
    e.actions = new QButtonGroup(panel);
    for (QRadioButton *b : {e.RadioButtonShortcutCreate, e.RadioButtonShortcutModify, e.RadioButtonShortcutDelete}) {
        column->addWidget(b);
        e.actions->addButton(b);
    }

    e.Labelshortcutwarning = Named(new QLabel(QStringLiteral("Standard & local characters cannot be shortcuts"), panel),
                                   "Labelshortcutwarning");
    e.Labelshortcutwarning->setGeometry(12, 146, 456, 36);
    e.Labelshortcutwarning->setWordWrap(true);
    e.LabelShortcutPlein = Named(new QLabel(panel), "LabelShortcutPlein");
    e.LabelShortcutPlein->setGeometry(12, 186, 456, 22);

    e.ButtonShortcutEnter = Named(new QPushButton(QStringLiteral("Enter"), panel), "ButtonShortcutEnter");
    e.ButtonShortcutEnter->setGeometry(100, 240, 100, 32);
    e.ButtonShortcutExit = Named(new QPushButton(QStringLiteral("Exit"), panel), "ButtonShortcutExit");
    e.ButtonShortcutExit->setGeometry(220, 240, 100, 32);
    e.ButtonLocalShortcutHelp = Named(new QPushButton(QStringLiteral("?"), panel), "ButtonLocalShortcutHelp");
    e.ButtonLocalShortcutHelp->setGeometry(340, 240, 32, 32);
    NameWithinPlace(e.ButtonShortcutExit, e.LabelPanelShortcut);
    NameHelpButton(e.ButtonLocalShortcutHelp, e.LabelPanelShortcut);

    QObject::connect(e.EditShortcut, &QLineEdit::textChanged, panel, [] { EditShortcutChange(); });
    QObject::connect(e.EditShortcutText, &QLineEdit::textChanged, panel, [] { EditShortcutTextChange(); });
    QObject::connect(e.ButtonShortcutEnter, &QPushButton::clicked, panel, [] { ButtonShortcutEnterClick(); });
    QObject::connect(e.ButtonShortcutExit, &QPushButton::clicked, panel, [] { ButtonShortcutExitClick(); });

    e.MenuLocalShortcuts = Named(new QAction(QStringLiteral("&Shortcuts"), f.MenuOutils), "MenuLocalShortcuts");
    f.MenuOutils->insertAction(f.MenuOutilsQuit, e.MenuLocalShortcuts);
    QObject::connect(e.MenuLocalShortcuts, &QAction::triggered, panel, [] { MenuLocalShortcutsClick(); });
    // A full page says so in the language; an empty label stays empty.
    OnLanguageSwitch(e.LabelShortcutPlein, [] {
        if (!CaptionOf(e.LabelShortcutPlein).isEmpty())
            SetCaption(e.LabelShortcutPlein, Pick(ShortcutPageFullText()));
    });
    panel->hide();
}

void MenuLocalShortcutsClick()
{
    OpenSettingsPanel(*Form1, e.PanelLocalShortcut);
    e.EditShortcut->setFocus();
    const bool full = ShortcutTableFull();
    e.LabelShortcutPlein->setText(full ? TablePleine : QString());
    e.RadioButtonShortcutCreate->setEnabled(!full);
}

void OpenShortcutEditorFor(const QString &character)
{
    e.EditShortcut->setText(character);
    MenuLocalShortcutsClick();
}

void EditShortcutChange()
{
    const QString text = e.EditShortcut->text();
    if (text.isEmpty()) {
        setActions(!ShortcutTableFull(), true, true);
        checkAction(nullptr);
        return;
    }
    const std::optional<unsigned char> typed = characterOf(text);
    if (!typed) {
        refuse(); // no Windows-1252 form: the engine could never send it
        return;
    }
    const unsigned char c = cp1252::toLower(*typed);
    if (c != *typed) {
        // Lower case as typed; the change comes back here with it.
        e.EditShortcut->setText(cp1252::toQString(std::string(1, static_cast<char>(c))));
        return;
    }
    switch (ClassifyShortcutCharacter(Form1->EngineSets, c)) {
    case ShortcutCharacterKind::Empty:
        break;
    case ShortcutCharacterKind::Refused:
        refuse();
        break;
    case ShortcutCharacterKind::Existing:
        e.EditShortcutText->setText(cp1252::toQString(Shortcuts[ShortcutCount + FindShortcut(c)]));
        setActions(false, true, true);
        checkAction(nullptr);
        break;
    case ShortcutCharacterKind::New:
        e.EditShortcutText->clear();
        checkAction(nullptr);
        setActions(true, false, false);
        checkAction(e.RadioButtonShortcutCreate);
        break;
    }
}

void EditShortcutTextChange()
{
    const QString character = e.EditShortcut->text();
    if (character.isEmpty())
        return;
    QString text = e.EditShortcutText->text();
    if (text.size() > MaxShortcutTextLength) {
        ProgramBeep();
        e.EditShortcutText->setText(text.left(MaxShortcutTextLength));
        return;
    }
    // A text never ends in its own shortcut character.
    if (!text.isEmpty() && text.back() == character.front()) {
        ProgramBeep();
        text.chop(1);
        e.EditShortcutText->setText(text);
        e.EditShortcutText->end(false);
    }
}

void ButtonShortcutEnterClick()
{
    const std::optional<unsigned char> typed = characterOf(e.EditShortcut->text());
    const std::string text = cp1252::fromQString(e.EditShortcutText->text());
    if (!typed || text.empty() || e.actions->checkedButton() == nullptr) {
        ProgramBeep();
        e.EditShortcut->setFocus();
        return;
    }
    const unsigned char c = *typed;
    if (e.RadioButtonShortcutModify->isChecked()) {
        ModifyShortcut(c, text);
        ShowShortcutRows();
        e.EditShortcut->setFocus();
        return;
    }
    if (e.RadioButtonShortcutDelete->isChecked()) {
        DeleteShortcut(c);
        ShowShortcutRows();
        clearEditor();
        e.EditShortcut->setFocus();
        return;
    }
    enterCreate(c, text);
}

void ButtonShortcutExitClick()
{
    ++e.generation;
    {
        // Emptying the edits is no choice of the user's: no rule runs on it.
        const QSignalBlocker quietCharacter(e.EditShortcut);
        const QSignalBlocker quietText(e.EditShortcutText);
        e.EditShortcut->clear();
        e.EditShortcutText->clear();
    }
    checkAction(nullptr);
    CloseSettingsPanel(*Form1, e.PanelLocalShortcut);
}
