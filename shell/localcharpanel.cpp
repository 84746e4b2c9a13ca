#include "shell/localcharpanel.h"
#include "shell/utilities.h"

#include "engine/cp1252.h"
#include "engine/localcharacters.h"
#include "engine/morsecode.h"
#include "shell/accessiblenames.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/settingspanels.h"
#include "shell/modes.h"
#include "shell/systembeep.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPointer<TPanelLocalCharacters> thePanel;

constexpr int ListLocalFirstRow = 97; // ListAlphabet row of local character 0
constexpr int BlinkMs = 300;
constexpr int BlinkSteps = 6; // three times red, then its own colour

// The edit's character as the engine holds it; nothing when it has no Windows-1252 form.
std::optional<unsigned char> characterOf(const QString &text)
{
    const std::string bytes = cp1252::fromQString(text);
    if (bytes.empty())
        return std::nullopt;
    return static_cast<unsigned char>(bytes.front());
}

// Which set follows the number of local characters: "all" or "local" when checked.
RandomSetFollow followedSet(TForm1 &form)
{
    if (NamedChecked(form, "MenuAll"))
        return RandomSetFollow::All;
    if (NamedChecked(form, "MenuLocal"))
        return RandomSetFollow::Local;
    return RandomSetFollow::None;
}

bool isShortcutCharacter(unsigned char c)
{
    return CallHook(Hooks().shortcutText, std::optional<std::string>(), c).has_value();
}

// Texts of these controls that the shell's own table does not hold.
constexpr TextRow kTexts[] = {
    {"LabelLocalCharacters", TextKind::Caption,
     Tr(" LOCAL CHARACTER PROCESSING", " HELYI KARAKTEREK KEZELÉSE", " VERWALTUNG DER LOKALEN ZEICHEN",
        " TRAITEMENT DES CARACTÈRES LOCAUX", " GESTIONE DEI CARATTERI LOCALI", " TRATAMENTO DOS CARACTERES LOCAIS",
        " GESTIÓN DE LOS CARACTERES LOCALES")},
    {"LabelLocalCaractere", TextKind::Caption,
     Tr("Character", "Karakter", "Zeichen", "Caractère", "Carattere", "Caractere", "Carácter")},
    {"LabelLocalCode", TextKind::Caption, Tr("Code", "Kód", "Code", "Code", "Codice", "Código", "Código")},
    {"LabelLocalComment", TextKind::Caption,
     Tr("Comment", "Megjegyzés", "Kommentar", "Commentaire", "Commento", "Comentário", "Comentario")},
    {"MenuLocalCharacters", TextKind::Caption,
     Tr("&Local characters", "&Helyi karakterek", "&Lokale Zeichen", "Caractères &locaux", "Caratteri &locali",
        "Caracteres &locais", "Caracteres &locales")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

} // namespace

TPanelLocalCharacters *LocalCharacterPanel()
{
    return thePanel.data();
}

TPanelLocalCharacters *BuildLocalCharacterPanel(TForm1 &form)
{
    if (!thePanel)
        thePanel = new TPanelLocalCharacters(form);
    return thePanel.data();
}

void ShowLocalCharacterLines(TForm1 &form)
{
    QObject *list = form.findChild<QObject *>(QStringLiteral("ListAlphabet"));
    if (!list)
        return;
    for (int i = 0; i < MaxLocalCharacters; ++i)
        SetItemText(list, ListLocalFirstRow + i, cp1252::toQString(form.EngineSets.LocalLines[i]));
}

TPanelLocalCharacters::TPanelLocalCharacters(TForm1 &form)
    : QFrame(form.Frame), form_(form)
{
    RegisterMainWindowTexts(kTexts);
    setObjectName(QStringLiteral("PanelLocalCharacters"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(90, 70, 480, 300);

    LabelLocalCharacters =
        Named(new QLabel(QStringLiteral(" LOCAL CHARACTER PROCESSING"), this), "LabelLocalCharacters");
    LabelLocalCharacters->setGeometry(8, 6, 464, 20);
    LabelLocalCharacters->setAlignment(Qt::AlignCenter);

    LabelLocalCaractere = Named(new QLabel(QStringLiteral("Character"), this), "LabelLocalCaractere");
    LabelLocalCaractere->setGeometry(12, 40, 110, 22);
    EditLocalCharacter = Named(new QLineEdit(this), "EditLocalCharacter");
    EditLocalCharacter->setGeometry(126, 40, 36, 24);
    EditLocalCharacter->setMaxLength(1);
    NameAfter(EditLocalCharacter, LabelLocalCaractere, LabelLocalCharacters);

    LabelLocalCode = Named(new QLabel(QStringLiteral("Code"), this), "LabelLocalCode");
    LabelLocalCode->setGeometry(12, 74, 110, 22);
    EditLocalCode = Named(new QLineEdit(this), "EditLocalCode");
    EditLocalCode->setGeometry(126, 74, 120, 24);
    EditLocalCode->setMaxLength(MaxLocalCodeSigns);
    NameAfter(EditLocalCode, LabelLocalCode);

    LabelLocalComment = Named(new QLabel(QStringLiteral("Comment"), this), "LabelLocalComment");
    LabelLocalComment->setGeometry(12, 108, 110, 22);
    EditLocalComment = Named(new QLineEdit(this), "EditLocalComment");
    EditLocalComment->setGeometry(126, 108, 200, 24);
    EditLocalComment->setMaxLength(MaxLocalCommentLength);
    NameAfter(EditLocalComment, LabelLocalComment);

    RadioGroupLocal = Named(new QGroupBox(QStringLiteral("Action"), this), "RadioGroupLocal");
    RadioGroupLocal->setGeometry(340, 34, 128, 104);
    auto *column = new QVBoxLayout(RadioGroupLocal);
    RadioButtonLocalCreate = Named(new QRadioButton(QStringLiteral("Create"), RadioGroupLocal), "RadioButtonLocalCreate");
    RadioButtonLocalDelete = Named(new QRadioButton(QStringLiteral("Delete"), RadioGroupLocal), "RadioButtonLocalDelete");
    RadioButtonLocalModify = Named(new QRadioButton(QStringLiteral("Modify"), RadioGroupLocal), "RadioButtonLocalModify");
    actions_ = new QButtonGroup(this);
    for (QRadioButton *button : {RadioButtonLocalCreate, RadioButtonLocalDelete, RadioButtonLocalModify}) {
        column->addWidget(button);
        actions_->addButton(button);
    }

    LabelLocalWarning = Named(new QLabel(QStringLiteral("Standard characters cannot be modified (pages 1 and 2 of Alphabet)"), this),
                              "LabelLocalWarning");
    LabelLocalWarning->setGeometry(12, 146, 456, 36);
    LabelLocalWarning->setWordWrap(true);
    LabelLocalPlein = Named(new QLabel(this), "LabelLocalPlein");
    LabelLocalPlein->setGeometry(12, 186, 456, 22);

    ButtonLocalCaractereEnter = Named(new QPushButton(QStringLiteral("Enter"), this), "ButtonLocalCaractereEnter");
    ButtonLocalCaractereEnter->setGeometry(100, 240, 100, 32);
    ButtonLocalCaractereExit = Named(new QPushButton(QStringLiteral("Exit"), this), "ButtonLocalCaractereExit");
    ButtonLocalCaractereExit->setGeometry(220, 240, 100, 32);
    NameWithinPlace(ButtonLocalCaractereExit, LabelLocalCharacters);
    // Help joins the other help buttons when the help pages land.
    ButtonLocalCharacterHelp = Named(new QPushButton(QStringLiteral("?"), this), "ButtonLocalCharacterHelp");
    ButtonLocalCharacterHelp->setGeometry(340, 240, 32, 32);
    NameHelpButton(ButtonLocalCharacterHelp, LabelLocalCharacters);

    blink_ = new QTimer(this);
    blink_->setInterval(BlinkMs);
    connect(blink_, &QTimer::timeout, this, [this] {
        --blinkSteps_;
        showWarningRed(blinkSteps_ > 0 && blinkSteps_ % 2 == 0);
        if (blinkSteps_ <= 0)
            blink_->stop();
    });

    connect(EditLocalCharacter, &QLineEdit::textChanged, this, [this] { EditLocalCharacterChange(); });
    connect(EditLocalCode, &QLineEdit::textChanged, this, [this] { EditLocalCodeChange(); });
    connect(ButtonLocalCaractereEnter, &QPushButton::clicked, this, [this] { ButtonLocalCaractereEnterClick(); });
    connect(ButtonLocalCaractereExit, &QPushButton::clicked, this, [this] { ButtonLocalCaractereExitClick(); });

    MenuLocalCharacters = Named(new QAction(QStringLiteral("&Local characters"), form.MenuOutils), "MenuLocalCharacters");
    form.MenuOutils->insertAction(form.MenuOutilsQuit, MenuLocalCharacters);
    connect(MenuLocalCharacters, &QAction::triggered, this, [this] { MenuLocalCharactersClick(); });

    hide();
}

void TPanelLocalCharacters::setActions(bool create, bool remove, bool modify)
{
    RadioButtonLocalCreate->setEnabled(create);
    RadioButtonLocalDelete->setEnabled(remove);
    RadioButtonLocalModify->setEnabled(modify);
}

void TPanelLocalCharacters::checkAction(QRadioButton *button)
{
    if (button) {
        button->setChecked(true);
        return;
    }
    actions_->setExclusive(false);
    for (QAbstractButton *b : actions_->buttons())
        b->setChecked(false);
    actions_->setExclusive(true);
}

void TPanelLocalCharacters::clearEdits()
{
    EditLocalCharacter->clear();
    EditLocalCode->clear();
    EditLocalComment->clear();
}

void TPanelLocalCharacters::updateFullLabel()
{
    LabelLocalPlein->setText(form_.EngineSets.LocalCount >= MaxLocalCharacters ? MsgLocalCharactersFull() : QString());
}

void TPanelLocalCharacters::blinkWarning()
{
    blinkSteps_ = BlinkSteps;
    showWarningRed(true);
    blink_->start();
}

void TPanelLocalCharacters::showWarningRed(bool red)
{
    QPalette palette = LabelLocalWarning->palette();
    palette.setColor(QPalette::WindowText, red ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    LabelLocalWarning->setPalette(palette);
}

void TPanelLocalCharacters::localCharactersChanged()
{
    ShowLocalCharacterLines(form_);
    updateFullLabel();
}

void TPanelLocalCharacters::MenuLocalCharactersClick()
{
    OpenSettingsPanel(form_, this);
    EditLocalCharacter->setFocus();
    updateFullLabel();
}

void TPanelLocalCharacters::EditLocalCharacterChange()
{
    const QString text = EditLocalCharacter->text();
    if (text.isEmpty()) {
        setActions(true, true, true);
        checkAction(nullptr);
        return;
    }
    const std::optional<unsigned char> typed = characterOf(text);
    if (!typed) {
        // No Windows-1252 form: the engine could never send it.
        EditLocalCharacter->clear();
        ProgramBeep();
        return;
    }
    const unsigned char c = cp1252::toLower(*typed);
    if (c != *typed) {
        // Lower case as typed; the change comes back here with it.
        EditLocalCharacter->setText(cp1252::toQString(std::string(1, static_cast<char>(c))));
        return;
    }

    CharacterSets &sets = form_.EngineSets;
    const std::string shortcut = isShortcutCharacter(c) ? std::string(1, static_cast<char>(c)) : std::string();
    switch (ClassifyLocalCharacter(sets, std::string(1, static_cast<char>(c)), shortcut)) {
    case LocalCharacterKind::Empty:
        break;
    case LocalCharacterKind::Blank:
        EditLocalCharacter->clear();
        ProgramBeep();
        break;
    case LocalCharacterKind::BuiltInSet:
        EditLocalCharacter->clear();
        ProgramBeep();
        blinkWarning();
        break;
    case LocalCharacterKind::Shortcut:
        EditLocalCharacter->clear();
        ProgramBeep();
        break;
    case LocalCharacterKind::Local: {
        const int i = sets.LocalEditIndex - LocalCharactersFirst;
        const std::string_view code = MorseCodes[c];
        EditLocalCode->setText(QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size())));
        EditLocalComment->setText(cp1252::toQString(LocalCommentFromLine(sets.LocalLines[i], code.size())));
        setActions(false, true, true);
        checkAction(RadioButtonLocalModify);
        break;
    }
    case LocalCharacterKind::New:
        EditLocalCode->clear();
        EditLocalComment->clear();
        setActions(true, false, false);
        checkAction(RadioButtonLocalCreate);
        break;
    }
}

void TPanelLocalCharacters::EditLocalCodeChange()
{
    const QString text = EditLocalCode->text();
    QString signs;
    for (QChar ch : text) {
        if (ch == QLatin1Char('.') || ch == QLatin1Char('-'))
            signs += ch;
    }
    if (signs == text)
        return;
    const int caret = EditLocalCode->cursorPosition();
    const QSignalBlocker quiet(EditLocalCode);
    EditLocalCode->setText(signs);
    EditLocalCode->setCursorPosition(std::max(0, caret - 1));
}

void TPanelLocalCharacters::ButtonLocalCaractereEnterClick()
{
    const std::optional<unsigned char> typed = characterOf(EditLocalCharacter->text());
    const std::string code = EditLocalCode->text().toStdString();
    if (!typed || code.empty() || actions_->checkedButton() == nullptr) {
        ProgramBeep();
        EditLocalCharacter->setFocus();
        return;
    }
    const unsigned char c = *typed;
    const std::string comment = cp1252::fromQString(EditLocalComment->text());
    CharacterSets &sets = form_.EngineSets;

    if (RadioButtonLocalModify->isChecked()) {
        // Only the character the editor found for the edit is changed (never a stale one).
        if (ModifyLocalCharacter(sets, MorseCodes, c, code, comment) != LocalResult::Done)
            ProgramBeep();
        else
            localCharactersChanged();
        EditLocalCharacter->setFocus();
        return;
    }
    if (RadioButtonLocalDelete->isChecked()) {
        if (DeleteLocalCharacter(sets, MorseCodes, c, followedSet(form_)) != LocalResult::Done) {
            ProgramBeep();
            EditLocalCharacter->setFocus();
            return;
        }
        localCharactersChanged();
        clearEdits();
        EditLocalCharacter->setFocus();
        checkAction(nullptr);
        return;
    }
    enterCreate(c, code, comment);
}

void TPanelLocalCharacters::enterCreate(unsigned char c, const std::string &code, const std::string &comment)
{
    CharacterSets &sets = form_.EngineSets;
    if (sets.LocalCount >= MaxLocalCharacters) {
        ProgramBeep();
        return;
    }
    if (NeedsBuiltInOverrideConfirmation(c)) {
        // Nothing of the panel may change under the question: it waits disabled, and a panel
        // closed meanwhile (Stop, Quit) creates nothing.
        const int asked = generation_;
        setEnabled(false);
        const int answer = AskProgramQuestion(MsgConfirmLocalOverBuiltin());
        setEnabled(true);
        if (asked != generation_ || isHidden())
            return;
        if (answer != 1) {
            clearEdits();
            EditLocalCharacter->setFocus();
            checkAction(nullptr);
            return;
        }
    }
    if (CreateLocalCharacter(sets, MorseCodes, c, code, comment, followedSet(form_)) != LocalResult::Done) {
        ProgramBeep();
        EditLocalCharacter->setFocus();
        return;
    }
    localCharactersChanged();
    setActions(false, true, true);
    checkAction(RadioButtonLocalModify);
    EditLocalCharacter->setFocus();
}

void TPanelLocalCharacters::ButtonLocalCaractereExitClick()
{
    ++generation_;
    clearEdits();
    checkAction(nullptr);
    CloseSettingsPanel(form_, this);
}
