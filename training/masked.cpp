#include "training/masked.h"

#include "engine/cp1252.h"
#include "shell/accessiblenames.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/settingspanels.h"
#include "shell/systembeep.h"
#include "training/maskedcore.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {

struct MaskedPanel {
    QFrame *PanelMaskedText = nullptr;
    QLineEdit *EditStartMaskedText = nullptr;
    QLineEdit *EditEndMaskedText = nullptr;
    QPushButton *ButtonMaskedTexthelp = nullptr;
    QAction *MenuMaskedtext = nullptr;
} panel;

constexpr TextRow MaskedTexts[] = {
    {"MenuMaskedtext", TextKind::Caption,
     Tr("&Masked text", "&Maszkolt szöveg", "&Maskierter Text", "Texte &masqué", "Testo &mascherato",
        "Texto &mascarado", "Texto &enmascarado")},
    {"LabelMaskedTitle", TextKind::Caption,
     Tr("MASKED TEXT DELIMITORS", "MASZKOLT SZÖVEG HATÁROLÓI", "BEGRENZER DES MASKIERTEN TEXTES",
        "DÉLIMITEURS DU TEXTE MASQUÉ", "DELIMITATORI DEL TESTO MASCHERATO", "DELIMITADORES DO TEXTO MASCARADO",
        "DELIMITADORES DEL TEXTO ENMASCARADO")},
    {"LabelMaskedText", TextKind::Caption,
     Tr("Texts will be ignored between those two characters", "A két karakter közötti szöveg kimarad",
        "Text zwischen diesen beiden Zeichen wird übergangen", "Le texte entre ces deux caractères sera ignoré",
        "Il testo tra questi due caratteri sarà ignorato", "O texto entre estes dois caracteres será ignorado",
        "El texto entre estos dos caracteres será ignorado")},
    {"LabelStartMaskedText", TextKind::Caption,
     Tr("Start", "Kezdet", "Anfang", "Début", "Inizio", "Início", "Inicio")},
    {"LabelEndMaskedText", TextKind::Caption, Tr("End", "Vége", "Ende", "Fin", "Fine", "Fim", "Fin")},
    {"ButtonMaskedTextOK", TextKind::Caption, Tr("OK", "OK", "OK", "OK", "OK", "OK", "Aceptar")},
    {"ButtonMaskedTextCancel", TextKind::Caption,
     Tr("Cancel", "Mégse", "Abbrechen", "Annuler", "Annulla", "Cancelar", "Cancelar")},
};
static_assert(allLanguagesPresent(MaskedTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

EngineState &state()
{
    return Form1->Engine;
}

// The one character of an edit, or nothing when it is empty.
std::optional<unsigned char> editMarker(const QLineEdit *edit)
{
    const std::string text = cp1252::fromQString(edit->text());
    if (text.empty())
        return std::nullopt;
    return static_cast<unsigned char>(text[0]);
}

// An edit holds one lower-case character that has a Windows-1252 form, or nothing.
void keepOneMarker(QLineEdit *edit)
{
    const QString typed = edit->text();
    const std::string text = cp1252::toLower(cp1252::fromQString(typed));
    const QString kept = cp1252::toQString(text.substr(0, 1));
    if (kept != typed) {
        if (kept.isEmpty() && !typed.isEmpty())
            ProgramBeep();
        edit->setText(kept);
    }
}

void applyMarkers(masked::Markers markers)
{
    EngineState &s = state();
    s.MaskStartChar = markers.start;
    s.MaskEndChar = markers.end;
    s.MaskActive = false;
    panel.MenuMaskedtext->setChecked(markers.start != 0);
}

void closePanel()
{
    CloseSettingsPanel(*Form1, panel.PanelMaskedText);
}

QLabel *label(QWidget *parent, const char *name, const char *text, QRect geometry)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

void BuildMaskedTextPanel(TForm1 &f)
{
    panel = MaskedPanel{};
    MaskedPanel &p = panel;
    p.PanelMaskedText = new QFrame(f.Frame);
    p.PanelMaskedText->setObjectName(QStringLiteral("PanelMaskedText"));
    p.PanelMaskedText->setFrameShape(QFrame::Panel);
    p.PanelMaskedText->setAutoFillBackground(true);
    p.PanelMaskedText->setGeometry(140, 150, 380, 150);
    p.PanelMaskedText->hide();
    QLabel *title = label(p.PanelMaskedText, "LabelMaskedTitle", "MASKED TEXT DELIMITORS", {10, 8, 330, 18});
    p.ButtonMaskedTexthelp = NewHelpButton(p.PanelMaskedText, "ButtonMaskedTexthelp", {346, 6, 24, 22}, title);
    label(p.PanelMaskedText, "LabelMaskedText", "Texts will be ignored between those two characters", {10, 30, 360, 18});
    QLabel *start = label(p.PanelMaskedText, "LabelStartMaskedText", "Start", {10, 60, 60, 22});
    QLabel *end = label(p.PanelMaskedText, "LabelEndMaskedText", "End", {160, 60, 60, 22});
    const auto edit = [](const char *name, int left) {
        auto *e = new QLineEdit(p.PanelMaskedText);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(left, 60, 40, 24);
        e->setMaxLength(1);
        QObject::connect(e, &QLineEdit::textChanged, e, [e] { keepOneMarker(e); });
        return e;
    };
    p.EditStartMaskedText = edit("EditStartMaskedText", 80);
    p.EditEndMaskedText = edit("EditEndMaskedText", 230);
    NameAfter(p.EditStartMaskedText, start);
    NameAfter(p.EditEndMaskedText, end);
    const auto button = [](const char *name, const char *caption, int left, void (*handler)()) {
        auto *b = new QPushButton(QString::fromLatin1(caption), p.PanelMaskedText);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 105, 90, 28);
        QObject::connect(b, &QPushButton::clicked, b, [handler] { handler(); });
        return b;
    };
    button("ButtonMaskedTextOK", "OK", 90, ButtonMaskedTextOKClick);
    button("ButtonMaskedTextCancel", "Cancel", 200, ButtonMaskedTextCancelClick);

    p.MenuMaskedtext = new QAction(QStringLiteral("&Masked text"), f.MenuOutils);
    p.MenuMaskedtext->setObjectName(QStringLiteral("MenuMaskedtext"));
    p.MenuMaskedtext->setCheckable(true);
    f.MenuOutils->insertAction(f.MenuOutilsQuit, p.MenuMaskedtext);
    QObject::connect(p.MenuMaskedtext, &QAction::triggered, p.MenuMaskedtext, [] { MenuMaskedtextClick(); });

    RegisterMainWindowTexts(MaskedTexts);
    Settings().bind(
        "MASKED_CHAR=", [](const std::string &value) { applyMarkers(masked::ParseSetting(value)); },
        [](std::vector<std::string> &values) {
            const EngineState &s = state();
            values.push_back(masked::FormatSetting({s.MaskStartChar, s.MaskEndChar}));
        });
}

void MenuMaskedtextClick()
{
    EngineState &s = state();
    // The check mark tells whether a start marker is set, not the click.
    panel.MenuMaskedtext->setChecked(s.MaskStartChar != 0);
    OpenSettingsPanel(*Form1, panel.PanelMaskedText);
    const auto text = [](unsigned char marker) {
        return marker == 0 ? QString() : cp1252::toQString(std::string(1, static_cast<char>(marker)));
    };
    panel.EditStartMaskedText->setText(text(s.MaskStartChar));
    panel.EditEndMaskedText->setText(text(s.MaskEndChar));
    panel.EditStartMaskedText->setFocus();
}

void ButtonMaskedTextOKClick()
{
    const auto start = editMarker(panel.EditStartMaskedText);
    const auto end = editMarker(panel.EditEndMaskedText);
    switch (masked::CheckEdits(start, end)) {
    case masked::EditsVerdict::Clear:
        applyMarkers({});
        break;
    case masked::EditsVerdict::Same:
        ProgramBeep();
        ShowProgramMessage(MsgStartEndCharactersSame());
        panel.EditStartMaskedText->setFocus();
        return;
    case masked::EditsVerdict::Refused:
        ProgramBeep();
        panel.EditStartMaskedText->setFocus();
        return;
    case masked::EditsVerdict::Store:
        applyMarkers({start.value_or(0), end.value_or(0)});
        break;
    }
    closePanel();
}

void ButtonMaskedTextCancelClick()
{
    closePanel();
}
